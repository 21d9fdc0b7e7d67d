#include "lexora/record/check_in.h"

#include <algorithm>

namespace lex {

const char* checkInName(CheckIn c)
{
    switch (c) {
    case CheckIn::Nothing: return "nothing";
    case CheckIn::Done: return "done";
    case CheckIn::MadeUp: return "madeUp";
    case CheckIn::Missed: return "missed";
    case CheckIn::Waiting: return "waiting";
    }
    return "nothing";
}

Streaks checkInStreaks(const std::vector<StudyDay>& days)
{
    Streaks s;
    const size_t n = days.size();
    s.days.resize(n);
    for (size_t i = 0; i < n; ++i) {
        const StudyDay& d = days[i];
        s.days[i].day = d.day;
        s.days[i].answers = d.answers;
        const bool today = i + 1 == n;
        CheckIn& c = s.days[i].state;
        if (!d.planned || d.nothingPlanned())
            c = CheckIn::Nothing;
        else if (d.done())
            c = CheckIn::Done;
        else if (today)
            c = CheckIn::Waiting;
        else
            c = CheckIn::Missed;
    }
    // Make-ups, in day order, so that one made up day shuts out the next six.
    int lastMadeUp = -1000000;
    for (size_t i = 0; i + 1 < n; ++i) {
        if (s.days[i].state != CheckIn::Missed)
            continue;
        const StudyDay& next = days[i + 1];
        const bool nextIsToday = i + 2 == n;
        const bool canMakeUp = days[i].day - lastMadeUp >= 7;
        if (canMakeUp && next.planned && next.doneTwice()) {
            s.days[i].state = CheckIn::MadeUp;
            lastMadeUp = days[i].day;
        } else if (canMakeUp && nextIsToday) {
            s.days[i].state = CheckIn::Waiting; // today may still make it up
        }
    }
    int run = 0;
    for (size_t i = 0; i < n; ++i) {
        switch (s.days[i].state) {
        case CheckIn::Done:
        case CheckIn::MadeUp:
            ++run;
            ++s.checkedIn;
            break;
        case CheckIn::Missed:
            run = 0;
            break;
        case CheckIn::Nothing:
        case CheckIn::Waiting:
            break;
        }
        s.longest = std::max(s.longest, run);
    }
    s.current = run;
    return s;
}

} // namespace lex
