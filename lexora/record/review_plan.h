#pragma once
// Today's review: which entries are due for which degree, worked out from what a Book already
// stores (the recognition, spelling and listening degrees and the one review time per entry).
//
// An entry is due for a degree when the whole days since its review time are at least the
// interval of that degree's strangeness (10 → 0 days, 9 → 1, 8 → 1, 7 → 2, 6 → 3, 5 → 5, 4 → 8,
// 3 → 13, 2 → 21, 1 → 34, 0 → 55). Days are calendar days of local time: a word reviewed at
// 23:59 is one day old at 00:00, whatever the clock did in between (daylight saving included).

#include "lexora/book/word_entry.h"

#include <QDate>
#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace lex {

class Clock;

// The bit of a degree in a due mask.
constexpr uint8_t dueBit(Skill d) { return uint8_t(1u << unsigned(d)); }

// Days that an entry of this strangeness waits before it is due again. A stored value above 10
// (a damaged index) counts as 10.
int reviewIntervalDays(int strangeness);

// The calendar, seen from one local date (today). The stored year keeps only its last four bits,
// so a review time is taken in the latest year not after today's that ends in those bits: a date
// later in today's year is in the future, and a future review time counts as today.
class ReviewCalendar {
public:
    // Returned for a review time that is no calendar date (month 0, 31 April, a year byte above
    // 15): such an entry counts as never reviewed, so it is due for every degree.
    static constexpr int kNoDate = 1 << 30;

    explicit ReviewCalendar(QDate today);

    QDate today() const { return today_; }
    // Whole days from the review time's date to today; 0 for today and for a future date.
    //
    // Both functions are written without data-dependent branches: over a large Book the pass is
    // bound by fetching the entries, and a mispredicted branch after each fetch would keep the
    // processor from fetching the next entries early.
    int daysSince(const EntryTime& review) const
    {
        const unsigned y = review.year & 15u, m = review.month & 15u;
        const bool valid = ((unsigned(review.year) | unsigned(review.month)) < 16u)
                           & (unsigned(review.day) - 1u < monthLength_[y][m]);
        const int days = todayJd_ - (firstOfMonth_[y][m] + review.day - 1);
        const int clamped = days > 0 ? days : 0;
        return valid ? clamped : kNoDate;
    }
    // The degrees (dueBit) for which an entry with these stored fields is due today.
    uint8_t dueMask(const IndexFields& stored) const
    {
        const int days = daysSince(stored.review);
        // interval - 1 - days is negative exactly when days >= interval: its sign bit is the answer.
        auto due = [days](int interval) { return unsigned(interval - 1 - days) >> 31; };
        return uint8_t(due(interval_[stored.recognition]) | due(interval_[stored.spelling]) << 1
                       | due(interval_[stored.listening]) << 2);
    }

private:
    QDate today_;
    int todayJd_ = 0;
    // By stored year and month (0..15); months 0 and 13 to 15 have no days.
    int firstOfMonth_[16][16] = {};   // day number of the 1st
    unsigned monthLength_[16][16] = {};
    std::array<int, 256> interval_{}; // by the stored byte
};

// The due entries of a list of entries (the view array, for the list's order; the full array,
// for Book order): one pass, one mask per entry.
struct ReviewPlan {
    std::vector<uint8_t> due;                 // dueBit mask per entry, in the order given
    std::array<int, kSkillCount> counts{};

    int count(Skill d) const { return counts[size_t(d)]; }
    // Indexes of the entries due for `d`, ascending.
    std::vector<int> rows(Skill d) const;
};
ReviewPlan planReview(const std::vector<WordEntry*>& entries, QDate today);

// Today for the plan: the clock's local date.
QDate reviewDay(const Clock& clock);

} // namespace lex
