#include "lexora/record/review_model.h"

#include <QHash>

namespace lex {

void ReviewModel::setRetention(double r)
{
    scheduler_ = FsrsScheduler(r);
    ++generation_;
}

size_t ReviewModel::hashOf(QStringView word, int64_t added)
{
    return qHash(word) ^ (size_t(added) * 0x9E3779B97F4A7C15ull);
}

void ReviewModel::reserve(size_t entries)
{
    items_.reserve(entries);
    if (slots_.size() < entries * 2)
        rehash(entries * 2);
}

void ReviewModel::rehash(size_t wanted)
{
    size_t n = 16;
    while (n < wanted)
        n *= 2;
    // Dead items go; the live ones keep their order.
    std::erase_if(items_, [](const Item& it) { return !it.live; });
    slots_.assign(n, 0);
    const size_t mask = n - 1;
    for (size_t i = 0; i < items_.size(); ++i) {
        size_t at = items_[i].hash & mask;
        while (slots_[at])
            at = (at + 1) & mask;
        slots_[at] = uint32_t(i + 1);
    }
}

const ReviewModel::Item* ReviewModel::lookUp(QStringView word, int64_t added, size_t hash) const
{
    if (slots_.empty())
        return nullptr;
    const size_t mask = slots_.size() - 1;
    for (size_t at = hash & mask;; at = (at + 1) & mask) {
        const uint32_t slot = slots_[at];
        if (!slot)
            return nullptr;
        const Item& it = items_[slot - 1];
        if (it.hash == hash && it.added == added && it.live && QStringView(it.word) == word)
            return &it;
    }
}

EntryMemory& ReviewModel::slotFor(const QString& word, int64_t added)
{
    const size_t hash = hashOf(word, added);
    if (const Item* it = lookUp(word, added, hash))
        return const_cast<Item*>(it)->memory;
    if ((items_.size() + 1) * 2 > slots_.size())
        rehash((live_ + 1) * 2);
    const size_t mask = slots_.size() - 1;
    size_t at = hash & mask;
    while (slots_[at])
        at = (at + 1) & mask;
    items_.push_back(Item{word, added, hash, {}, true});
    slots_[at] = uint32_t(items_.size());
    ++live_;
    return items_.back().memory;
}

void ReviewModel::set(const EntryKey& key, ReviewDegree skill, const SkillMemory& memory)
{
    slotFor(key.word, packedTime(key.added)).skills[size_t(skill)] = memory;
    ++generation_;
}

void ReviewModel::put(const EntryKey& key, const EntryMemory& memory)
{
    slotFor(key.word, packedTime(key.added)) = memory;
    ++generation_;
}

void ReviewModel::rename(const EntryKey& from, const EntryKey& to)
{
    const int64_t added = packedTime(from.added);
    const Item* found = lookUp(from.word, added, hashOf(from.word, added));
    if (!found || from == to)
        return;
    Item& old = const_cast<Item&>(*found);
    const EntryMemory moved = old.memory;
    old.live = false;
    --live_;
    EntryMemory& target = slotFor(to.word, packedTime(to.added));
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
    const int64_t a = packedTime(added);
    const Item* it = lookUp(word, a, hashOf(word, a));
    return it ? &it->memory : nullptr;
}

void ReviewModel::findMany(const WordEntry* const* entries, size_t n, const EntryMemory** out) const
{
    if (slots_.empty()) {
        std::fill(out, out + n, nullptr);
        return;
    }
    // In groups: hash every key of the group and ask for its slot, then for its item, then
    // compare; each step finds in the cache what the one before asked for.
    constexpr size_t kGroup = 32;
    const size_t mask = slots_.size() - 1;
    size_t hashes[kGroup];
    for (size_t base = 0; base < n; base += kGroup) {
        const size_t m = std::min(kGroup, n - base);
        for (size_t k = 0; k < m; ++k) {
            const WordEntry* e = entries[base + k];
            hashes[k] = hashOf(e->word(), packedTime(e->stored.added));
            __builtin_prefetch(&slots_[hashes[k] & mask]);
        }
        for (size_t k = 0; k < m; ++k)
            if (const uint32_t slot = slots_[hashes[k] & mask])
                __builtin_prefetch(&items_[slot - 1]);
        for (size_t k = 0; k < m; ++k) {
            const WordEntry* e = entries[base + k];
            const Item* it = lookUp(e->word(), packedTime(e->stored.added), hashes[k]);
            out[base + k] = it ? &it->memory : nullptr;
        }
    }
}

QString recallLines(const EntryMemory& memory, const ReviewModel& model, int day)
{
    static const QString kLabel[kReviewDegreeCount] = {QStringLiteral("认"), QStringLiteral("拼"), QStringLiteral("听")};
    QString text;
    for (ReviewDegree d : kReviewDegrees) {
        const SkillMemory& m = memory.skill(d);
        if (m.state.isNew())
            continue;
        // A clock put back makes no recall above that of the last answer's day.
        const double recall = model.recall(m, std::max(day, m.lastDay));
        if (!text.isEmpty())
            text += QStringLiteral("\r\n");
        text += kLabel[size_t(d)] + QStringLiteral(" %1%").arg(qRound(recall * 100));
    }
    return text;
}

ModelReviewPlanner::Bound ModelReviewPlanner::bind(const WordEntry* e, const EntryMemory* m, const ReviewModel& model)
{
    Bound b;
    b.entry = e;
    if (m)
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
    if (bound_.empty() && !entries.empty()) {
        // Every entry anew: all lookups at once.
        std::vector<const EntryMemory*> found(entries.size());
        model.findMany(entries.data(), entries.size(), found.data());
        bound_.resize(entries.size());
        for (size_t i = 0; i < entries.size(); ++i)
            bound_[i] = bind(entries[i], found[i], model);
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
            bound[i] = bind(list[i], model.find(list[i]->word(), list[i]->stored.added), model);
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
