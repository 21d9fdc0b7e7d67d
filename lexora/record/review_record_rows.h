#pragma once
// Inside the learning record: how its rows are read back (shared by the writing and the reading
// halves of ReviewRecord). A row is taken only with values that some version of ours writes.

#include "lexora/record/review_plan.h"

#include <cstdint>

namespace lex::record_rows {

constexpr int64_t kDayMs = 86400000;
constexpr int kJulianDayOf1970 = 2440588;

inline bool validMode(int64_t v) { return v >= 0 && v <= 4; }
inline bool validSkill(int64_t v) { return v >= 0 && v < kSkillCount; }
inline bool validOutcome(int64_t v) { return v >= 0 && v <= 2; }

} // namespace lex::record_rows
