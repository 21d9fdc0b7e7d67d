#include "lexora/record/review_model.h"

#include <QHash>

namespace lex {

void ReviewModel::setRetention(double r)
{
    scheduler_ = FsrsScheduler(r);
    ++generation_;
}

size_t ReviewModel::Hash::operator()(const KeyView& k) const
{
    return qHash(k.word) ^ (size_t(k.added) * 0x9E3779B97F4A7C15ull);
}

void ReviewModel::set(const EntryKey& key, ReviewDegree skill, const SkillMemory& memory)
{
    items_[Key{key.word, packedTime(key.added)}].skills[size_t(skill)] = memory;
    ++generation_;
}

void ReviewModel::put(const EntryKey& key, const EntryMemory& memory)
{
    items_[Key{key.word, packedTime(key.added)}] = memory;
    ++generation_;
}

void ReviewModel::rename(const EntryKey& from, const EntryKey& to)
{
    auto it = items_.find(KeyView{from.word, packedTime(from.added)});
    if (it == items_.end() || from == to)
        return;
    const EntryMemory moved = it->second;
    items_.erase(it);
    EntryMemory& target = items_[Key{to.word, packedTime(to.added)}];
    for (size_t s = 0; s < moved.skills.size(); ++s) {
        SkillMemory& t = target.skills[s];
        const SkillMemory& m = moved.skills[s];
        // The more recent memory of the two wins; the answers add up.
        if (t.state.isNew() || (!m.state.isNew() && m.lastDay >= t.lastDay)) {
            const int answers = t.answers + m.answers;
            t = m;
            t.answers = answers;
        } else {
            t.answers += m.answers;
        }
    }
    ++generation_;
}

const EntryMemory* ReviewModel::find(QStringView word, const EntryTime& added) const
{
    const auto it = items_.find(KeyView{word, packedTime(added)});
    return it == items_.end() ? nullptr : &it->second;
}

ModelReviewPlanner::Bound ModelReviewPlanner::bind(const WordEntry* e, const ReviewModel& model) const
{
    Bound b;
    b.entry = e;
    if (const EntryMemory* m = model.find(e->word(), e->stored.added))
        for (size_t s = 0; s < m->skills.size(); ++s)
            if (!m->skills[s].state.isNew())
                b.dueDay[s] = model.dueDay(m->skills[s]);
    return b;
}

ReviewPlan ModelReviewPlanner::plan(const std::vector<WordEntry*>& entries, QDate today, const ReviewModel& model)
{
    if (model_ != &model || generation_ != model.generation()) {
        bound_.clear();
        model_ = &model;
        generation_ = model.generation();
    }
    bound_.resize(entries.size());

    const ReviewCalendar calendar(today);
    const int32_t day = int32_t(today.toJulianDay());
    ReviewPlan plan;
    plan.due.resize(entries.size());
    int counts[kReviewDegreeCount] = {0, 0, 0};
    constexpr size_t kAhead = 16; // as planReview(): keep fetches of scattered entries under way
    const size_t n = entries.size();
    WordEntry* const* list = entries.data();
    Bound* bound = bound_.data();
    for (size_t i = 0; i < n; ++i) {
        if (i + kAhead < n)
            __builtin_prefetch(&list[i + kAhead]->stored);
        if (bound[i].entry != list[i]) [[unlikely]]
            bound[i] = bind(list[i], model);
        const uint8_t table = calendar.dueMask(list[i]->stored);
        uint8_t mask = 0;
        for (size_t s = 0; s < kReviewDegreeCount; ++s) {
            const int32_t due = bound[i].dueDay[s];
            const unsigned byTable = (table >> s) & 1u;
            const unsigned byModel = day >= due;
            mask |= uint8_t((due == kNoRecord ? byTable : byModel) << s);
        }
        plan.due[i] = mask;
        counts[0] += mask & 1;
        counts[1] += (mask >> 1) & 1;
        counts[2] += (mask >> 2) & 1;
    }
    for (size_t s = 0; s < kReviewDegreeCount; ++s)
        plan.counts[s] = counts[s];
    return plan;
}

} // namespace lex
