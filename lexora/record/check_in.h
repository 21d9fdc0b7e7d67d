#pragma once
// The check-in: which days of a Book's plan count, and the streaks they make.
//
// A day counts (checked in) when its plan was done: all of its new words answered and its due
// reviews up to the cap. A day with nothing planned (before the plan was set, or with no new word
// left and no review due) keeps the streak without adding to it. A missed day can be made up
// (补签) by doing the next day's plan twice over, once in any 7 days running: a missed day is
// made up only when no day of the 6 before it was. Any other missed day ends the streak.
// Today is never missed: until it is done it only waits, and yesterday, if missed, can still be
// made up today.

#include "lexora/record/study_plan.h"

#include <vector>

namespace lex {

enum class CheckIn : uint8_t {
    Nothing,  // nothing planned: keeps the streak
    Done,     // checked in
    MadeUp,   // missed, made up the next day (补签): counts as checked in
    Missed,   // breaks the streak
    Waiting,  // today not done yet, or yesterday missed while today may still make it up
};

struct CheckInDay {
    int day = 0;  // Julian day number
    CheckIn state = CheckIn::Nothing;
    int answers = 0;
};

struct Streaks {
    std::vector<CheckInDay> days; // as the StudyDays given
    int current = 0;   // checked-in days of the streak that reaches today (or yesterday)
    int longest = 0;
    int checkedIn = 0; // Done and MadeUp days in all
};

// `days` consecutive, the last one today.
Streaks checkInStreaks(const std::vector<StudyDay>& days);

// "done", "madeUp", ...: the names lexbook prints.
const char* checkInName(CheckIn c);

} // namespace lex
