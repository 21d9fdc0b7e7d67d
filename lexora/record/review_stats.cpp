#include "lexora/record/review_stats.h"

#include <algorithm>
#include <map>

namespace lex {

void computeBookFigures(const std::vector<WordEntry*>& entries, QDate today, ReviewFigures* out)
{
    ReviewFigures& f = *out;
    f.today = today;
    f.degrees = {};
    f.added.clear();
    const ReviewCalendar calendar(today);
    // Added dates counted by days ago first: a large Book has far fewer distinct days than
    // entries, and each day becomes a calendar month once, after the pass.
    std::vector<int> addedDaysAgo;
    for (const WordEntry* e : entries) {
        const uint8_t stored[kSkillCount] = {e->stored.recognition, e->stored.spelling, e->stored.listening};
        for (size_t s = 0; s < kSkillCount; ++s)
            ++f.degrees[s][std::min<size_t>(stored[s], kMaxStrangeness)];
        // The added date, in the latest year that fits its stored last four bits.
        const int addedAgo = calendar.daysSince(e->stored.added);
        if (addedAgo != ReviewCalendar::kNoDate) {
            if (size_t(addedAgo) >= addedDaysAgo.size())
                addedDaysAgo.resize(size_t(addedAgo) + 1);
            ++addedDaysAgo[size_t(addedAgo)];
        }
    }
    std::map<std::pair<int, int>, int> months;
    for (size_t ago = 0; ago < addedDaysAgo.size(); ++ago)
        if (addedDaysAgo[ago]) {
            const QDate d = today.addDays(-qint64(ago));
            months[{d.year(), d.month()}] += addedDaysAgo[ago];
        }
    for (const auto& [ym, n] : months)
        f.added.push_back({ym.first, ym.second, n});
}

Status computeAnswerFigures(const ReviewRecord& record, QDate today, ReviewFigures* out)
{
    const int todayJd = int(today.toJulianDay());
    const int firstDay = todayJd - ReviewFigures::kAnswerDays + 1;
    out->answers.assign(ReviewFigures::kAnswerDays, {});
    std::vector<ReviewRecord::DayCount> days;
    const Status status = record.answersPerDay(firstDay, &days);
    for (const ReviewRecord::DayCount& d : days) {
        if (d.day < firstDay || d.day > todayJd)
            continue; // later than today: a clock that was ahead
        ReviewFigures::DayAnswers& a = out->answers[size_t(d.day - firstDay)];
        a.right[size_t(d.skill)] += d.right;
        a.wrong[size_t(d.skill)] += d.wrong;
    }
    return status;
}

void addDueFigures(const WordEntry* const* entries, size_t n, const ReviewModel& model, QDate today,
                   ReviewFigures* out)
{
    ReviewFigures& f = *out;
    const int todayJd = int(today.toJulianDay());
    const ReviewCalendar calendar(today);
    std::vector<const EntryMemory*> memories(n);
    model.findMany(entries, n, memories.data()); // the lookups overlap: several times faster than one by one
    for (size_t i = 0; i < n; ++i) {
        const WordEntry* e = entries[i];
        const uint8_t stored[kSkillCount] = {e->stored.recognition, e->stored.spelling, e->stored.listening};
        const int reviewed = calendar.daysSince(e->stored.review); // kNoDate: never, so due today
        const EntryMemory* memory = memories[i];
        for (size_t s = 0; s < kSkillCount; ++s) {
            const SkillMemory* m = memory && !memory->skills[s].state.isNew() ? &memory->skills[s] : nullptr;
            int inDays;
            if (m) {
                inDays = model.dueDay(*m) - todayJd;
                const double r = model.recall(*m, todayJd);
                ++f.recall[s][std::clamp(int(r * ReviewFigures::kRecallBins), 0, ReviewFigures::kRecallBins - 1)];
            } else {
                inDays = reviewed == ReviewCalendar::kNoDate ? 0 : reviewIntervalDays(stored[s]) - reviewed;
            }
            if (inDays < ReviewFigures::kDueDays)
                ++f.due[size_t(std::max(inDays, 0))][s];
        }
    }
}

Status computeReviewFigures(const std::vector<WordEntry*>& entries, const ReviewRecord& record,
                            const ReviewModel& model, QDate today, ReviewFigures* out)
{
    ReviewFigures f;
    f.due.resize(ReviewFigures::kDueDays);
    const Status status = computeAnswerFigures(record, today, &f);
    addDueFigures(entries.data(), entries.size(), model, today, &f);
    computeBookFigures(entries, today, &f);
    *out = std::move(f);
    return status;
}

} // namespace lex
