#include "lexora/record/record_schema.h"

#include "common/sqlite/sqlite_db.h"

namespace lex::record_schema {

namespace {

const char kTables[] =
    "CREATE TABLE entries(id INTEGER PRIMARY KEY, word TEXT NOT NULL, added INTEGER NOT NULL,"
    "  UNIQUE(word, added));"
    "CREATE TABLE answers(id INTEGER PRIMARY KEY, entry INTEGER NOT NULL, mode INTEGER NOT NULL,"
    "  skill INTEGER NOT NULL, outcome INTEGER NOT NULL, at INTEGER NOT NULL, duration_ms INTEGER NOT NULL,"
    "  UNIQUE(entry, skill, at));"
    "CREATE INDEX answers_at ON answers(at);"
    "CREATE TABLE stamps(id INTEGER PRIMARY KEY, entry INTEGER NOT NULL, kind INTEGER NOT NULL,"
    "  at INTEGER NOT NULL, UNIQUE(entry, kind, at));"
    // Derived from the answers (rebuilt from them when in doubt), kept so that the plan of a
    // large Book needs no replay of every answer.
    "CREATE TABLE memory(entry INTEGER NOT NULL, skill INTEGER NOT NULL, stability REAL NOT NULL,"
    "  difficulty REAL NOT NULL, last_at INTEGER NOT NULL, answers INTEGER NOT NULL,"
    "  PRIMARY KEY(entry, skill)) WITHOUT ROWID;";

// Answers per local day (days since 1970) and skill, kept by SQLite itself as answers come and go,
// whatever version of ours writes them, so that the statistics need not count every answer of a
// large record. A record made before it gets it when first opened for writing; until then its
// answers are counted (ReviewRecord::answersPerDay()).
#define LEX_DAY_OF(at) "(" at " / 86400000 - (" at " < 0 AND " at " % 86400000 <> 0))"
const char kDayTallies[] =
    "CREATE TABLE answer_days(day INTEGER NOT NULL, skill INTEGER NOT NULL, correct INTEGER NOT NULL,"
    "  wrong INTEGER NOT NULL, PRIMARY KEY(day, skill)) WITHOUT ROWID;"
    "CREATE TRIGGER answer_days_in AFTER INSERT ON answers BEGIN"
    "  INSERT INTO answer_days VALUES(" LEX_DAY_OF("NEW.at") ", NEW.skill, NEW.outcome = 0, NEW.outcome <> 0)"
    "  ON CONFLICT(day, skill) DO UPDATE SET correct = correct + excluded.correct, wrong = wrong + excluded.wrong;"
    "END;"
    "CREATE TRIGGER answer_days_out AFTER DELETE ON answers BEGIN"
    "  UPDATE answer_days SET correct = correct - (OLD.outcome = 0), wrong = wrong - (OLD.outcome <> 0)"
    "  WHERE day = " LEX_DAY_OF("OLD.at") " AND skill = OLD.skill;"
    "END;"
    "CREATE TRIGGER answer_days_moved AFTER UPDATE OF skill, outcome, at ON answers BEGIN"
    "  UPDATE answer_days SET correct = correct - (OLD.outcome = 0), wrong = wrong - (OLD.outcome <> 0)"
    "  WHERE day = " LEX_DAY_OF("OLD.at") " AND skill = OLD.skill;"
    "  INSERT INTO answer_days VALUES(" LEX_DAY_OF("NEW.at") ", NEW.skill, NEW.outcome = 0, NEW.outcome <> 0)"
    "  ON CONFLICT(day, skill) DO UPDATE SET correct = correct + excluded.correct, wrong = wrong + excluded.wrong;"
    "END;";
const char kFillDayTallies[] =
    "INSERT INTO answer_days SELECT " LEX_DAY_OF("at") ", skill, sum(outcome = 0), sum(outcome <> 0) FROM answers"
    "  GROUP BY 1, 2;";
#undef LEX_DAY_OF

// The grade of a typed answer (SpellingVerdict), by the answer's row, gone with it. Kept apart
// from the answers so that every version's reader sees the answers it knows.
const char kSpelling[] =
    "CREATE TABLE answer_spelling(answer INTEGER PRIMARY KEY, verdict INTEGER NOT NULL);"
    "CREATE TRIGGER answer_spelling_out AFTER DELETE ON answers BEGIN"
    "  DELETE FROM answer_spelling WHERE answer = OLD.id;"
    "END;";

// The first column of the first row of `sql`.
int queryInt(sqlite3* db, const char* sql, int* v)
{
    sqlite::Statement s(db, sql);
    if (!s)
        return sqlite3_errcode(db);
    const int rc = s.step();
    if (rc != SQLITE_ROW)
        return rc;
    *v = int(s.integer(0));
    return SQLITE_OK;
}

// Runs `sql` as one transaction; a failure leaves nothing of it behind.
int inTransaction(sqlite3* db, const QByteArray& sql)
{
    const QByteArray all = QByteArray("BEGIN IMMEDIATE;") + sql + "COMMIT;";
    const int rc = sqlite3_exec(db, all.constData(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    return rc;
}

} // namespace

int identify(sqlite3* db, Identity* out)
{
    *out = {};
    int rc = queryInt(db, "PRAGMA application_id", &out->applicationId);
    if (rc == SQLITE_OK)
        rc = queryInt(db, "PRAGMA user_version", &out->version);
    if (rc == SQLITE_OK)
        rc = queryInt(db, "SELECT count(*) FROM sqlite_schema", &out->tables);
    return rc;
}

int create(sqlite3* db)
{
    return inTransaction(db, QByteArray(kTables) + kDayTallies + kSpelling + QByteArray("PRAGMA application_id=")
                                 + QByteArray::number(kApplicationId) + "; PRAGMA user_version="
                                 + QByteArray::number(kVersion) + ";");
}

void upgrade(sqlite3* db)
{
    int tallies = 0;
    if (queryInt(db, kHasDayTallies, &tallies) == SQLITE_OK && tallies == 0)
        inTransaction(db, QByteArray(kDayTallies) + kFillDayTallies);
    int spelling = 0;
    if (queryInt(db, kHasSpelling, &spelling) == SQLITE_OK && spelling == 0)
        inTransaction(db, kSpelling);
}

} // namespace lex::record_schema
