#pragma once
// Inside the learning record: how its rows are read back (shared by the writing and the reading
// halves of ReviewRecord). A row is taken only with values that some version of ours writes.

#include "lexora/record/review_plan.h"

#include <QString>
#include <cstdint>
#include <sqlite3.h>

namespace lex::record_rows {

constexpr int64_t kDayMs = 86400000;
constexpr int kJulianDayOf1970 = 2440588;

inline bool validMode(int64_t v) { return v >= 0 && v <= 3; }
inline bool validSkill(int64_t v) { return v >= 0 && v < kSkillCount; }
inline bool validOutcome(int64_t v) { return v >= 0 && v <= 2; }

// One row, whether the record keeps its answers per day (made by this build or opened for writing
// by one): count 1 or 0.
inline constexpr char kHasDayTallies[] = "SELECT count(*) FROM sqlite_schema WHERE name = 'answer_days'";

// As UTF-8, the record's own encoding: asked for UTF-16, SQLite would convert every value into a
// buffer of its own first.
inline QString columnText(sqlite3_stmt* s, int i)
{
    const unsigned char* p = sqlite3_column_text(s, i);
    return p ? QString::fromUtf8(reinterpret_cast<const char*>(p), sqlite3_column_bytes(s, i)) : QString();
}

} // namespace lex::record_rows
