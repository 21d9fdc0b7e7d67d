#pragma once
// Inside the learning record: how its rows are read back (shared by the writing and the reading
// halves of ReviewRecord). A row is taken only with values that some version of ours writes.

#include "lexora/practice/review_plan.h"

#include <QString>
#include <cstdint>
#include <sqlite3.h>

namespace lex::record_rows {

constexpr int64_t kDayMs = 86400000;
constexpr int kJulianDayOf1970 = 2440588;

inline bool validMode(int64_t v) { return v >= 0 && v <= 3; }
inline bool validSkill(int64_t v) { return v >= 0 && v < kReviewDegreeCount; }
inline bool validOutcome(int64_t v) { return v >= 0 && v <= 2; }

inline QString columnText(sqlite3_stmt* s, int i)
{
    const void* p = sqlite3_column_text16(s, i);
    return p ? QString::fromUtf16(static_cast<const char16_t*>(p), sqlite3_column_bytes16(s, i) / 2) : QString();
}

} // namespace lex::record_rows
