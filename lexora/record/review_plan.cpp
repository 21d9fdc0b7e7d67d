#include "lexora/record/review_plan.h"

#include "common/platform/sources.h"

namespace lex {

namespace {

constexpr std::array<int, kMaxStrangeness + 1> kIntervalDays{55, 34, 21, 13, 8, 5, 3, 2, 1, 1, 0};

} // namespace

int reviewIntervalDays(int strangeness)
{
    if (strangeness < 0)
        strangeness = 0;
    return kIntervalDays[size_t(strangeness > kMaxStrangeness ? kMaxStrangeness : strangeness)];
}

ReviewCalendar::ReviewCalendar(QDate today) : today_(today), todayJd_(int(today.toJulianDay()))
{
    // Each stored year byte stands for the latest year not after today's with those last four bits.
    for (int stored = 0; stored < 16; ++stored) {
        const int full = calendarYear(unsigned(stored), today.year());
        for (int m = 1; m <= 12; ++m) {
            const QDate first(full, m, 1);
            firstOfMonth_[stored][m] = int(first.toJulianDay());
            monthLength_[stored][m] = unsigned(first.daysInMonth());
        }
    }
    for (size_t b = 0; b < interval_.size(); ++b)
        interval_[b] = reviewIntervalDays(int(b));
}

std::vector<int> ReviewPlan::rows(Skill d) const
{
    std::vector<int> out;
    out.reserve(size_t(count(d)));
    const uint8_t bit = dueBit(d);
    for (size_t i = 0; i < due.size(); ++i)
        if (due[i] & bit)
            out.push_back(int(i));
    return out;
}

ReviewPlan planReview(const std::vector<WordEntry*>& entries, QDate today)
{
    const ReviewCalendar calendar(today);
    ReviewPlan plan;
    plan.due.resize(entries.size());
    int counts[kSkillCount] = {0, 0, 0};
    uint8_t* out = plan.due.data();
    // The entries lie wherever the Book put them and the list order jumps between them: asking
    // for the ones a few steps ahead keeps several fetches under way while this one is computed.
    constexpr size_t kAhead = 16;
    const size_t n = entries.size();
    WordEntry* const* list = entries.data();
    for (size_t i = 0; i < n; ++i) {
        if (i + kAhead < n)
            __builtin_prefetch(&list[i + kAhead]->stored);
        const uint8_t mask = calendar.dueMask(list[i]->stored);
        *out++ = mask;
        counts[0] += mask & 1;
        counts[1] += (mask >> 1) & 1;
        counts[2] += (mask >> 2) & 1;
    }
    for (int i = 0; i < kSkillCount; ++i)
        plan.counts[size_t(i)] = counts[i];
    return plan;
}

QDate reviewDay(const Clock& clock)
{
    return clock.localNow().toLocalTime().date();
}

} // namespace lex
