#pragma once
// The learning record's tables, how a file is told to be one of ours, and how a record made by an
// older version is brought up to this one. The file format lives here alone; ReviewRecord only
// reads and writes rows.

struct sqlite3;

namespace lex::record_schema {

// "LxRv" in PRAGMA application_id: tells our records from other SQLite files.
constexpr int kApplicationId = 0x4C785276;
// PRAGMA user_version of the records this version writes. A newer one is never opened.
constexpr int kVersion = 1;

// One row, whether the record keeps its answers per day (made by this build, or opened for writing
// by one): count 1 or 0.
inline constexpr char kHasDayTallies[] = "SELECT count(*) FROM sqlite_schema WHERE name = 'answer_days'";

// One row: whether the record keeps the grades of typed answers (count 1 or 0). Records of
// builds before it lack the table; they get it when opened for writing.
inline constexpr char kHasSpelling[] = "SELECT count(*) FROM sqlite_schema WHERE name = 'answer_spelling'";

// What an opened file holds, from its header and schema.
struct Identity {
    int applicationId = 0;
    int version = 0;
    int tables = 0;
    // An empty file (or one SQLite has just made): ours to fill.
    bool fresh() const { return applicationId == 0 && version == 0 && tables == 0; }
    bool ours() const { return applicationId == kApplicationId; }
    bool newer() const { return version > kVersion; }
};
// SQLite's result code; SQLITE_OK with `out` filled.
int identify(sqlite3* db, Identity* out);

// Makes every table of a fresh record, in one transaction. SQLite's result code; on failure
// nothing is made.
int create(sqlite3* db);

// Adds what a record of an earlier version lacks: the day tallies, made once from its answers,
// and the table of typed answers' grades.
// Should that fail (another writer in the way), the record stays as it was and its answers are
// counted until the next open for writing.
void upgrade(sqlite3* db);

} // namespace lex::record_schema
