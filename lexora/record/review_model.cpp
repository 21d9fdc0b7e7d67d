#include "lexora/record/review_model.h"

#include <QHash>

#include <algorithm>
#include <atomic>

namespace lex {

namespace {
// Each model numbers its generations from a start of its own, so that a planner never takes a
// new model at an old one's address for the one it planned with.
std::atomic<uint64_t> nextStart{1};
} // namespace

ReviewModel::ReviewModel(double retention) : scheduler_(retention)
{
    generation_ = journalBase_ = nextStart.fetch_add(1) << 32;
}

void ReviewModel::setRetention(double r)
{
    scheduler_ = FsrsScheduler(r);
    journalBase_ = ++generation_;   // every due day changes
    journal_.clear();
}

void ReviewModel::changed(size_t item)
{
    ++generation_;
    journal_.push_back(uint32_t(item));
    // A load puts every entry: a planner that far behind binds everything anew anyway.
    if (journal_.size() > (size_t(1) << 16)) {
        journal_.clear();
        journalBase_ = generation_;
    }
}

std::optional<std::vector<uint32_t>> ReviewModel::changedSince(uint64_t generation) const
{
    if (generation < journalBase_ || generation > generation_)
        return std::nullopt;
    return std::vector<uint32_t>(journal_.begin() + ptrdiff_t(generation - journalBase_), journal_.end());
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
    // Dead items go; the live ones keep their order, but not their places.
    if (std::erase_if(items_, [](const Item& it) { return !it.live; }) > 0) {
        journalBase_ = ++generation_;
        journal_.clear();
    }
    slots_.assign(n, 0);
    const size_t mask = n - 1;
    for (size_t i = 0; i < items_.size(); ++i) {
        size_t at = items_[i].hash & mask;
        while (slots_[at])
            at = (at + 1) & mask;
        slots_[at] = slotOf(i, items_[i].hash);
    }
}

const ReviewModel::Item* ReviewModel::lookUp(QStringView word, int64_t added, size_t hash) const
{
    if (slots_.empty())
        return nullptr;
    const size_t mask = slots_.size() - 1;
    for (size_t at = hash & mask;; at = (at + 1) & mask) {
        const uint64_t slot = slots_[at];
        if (!slot)
            return nullptr;
        if (!slotMatches(slot, hash))
            continue;
        const Item& it = items_[itemOfSlot(slot)];
        if (it.hash == hash && it.added == added && it.live && QStringView(it.word) == word)
            return &it;
    }
}

size_t ReviewModel::slotFor(const QString& word, int64_t added)
{
    const size_t hash = hashOf(word, added);
    if (const Item* it = lookUp(word, added, hash))
        return size_t(it - items_.data());
    if ((items_.size() + 1) * 2 > slots_.size())
        rehash((live_ + 1) * 2);
    const size_t mask = slots_.size() - 1;
    size_t at = hash & mask;
    while (slots_[at])
        at = (at + 1) & mask;
    items_.push_back(Item{word, added, hash, {}, true});
    slots_[at] = slotOf(items_.size() - 1, hash);
    ++live_;
    return items_.size() - 1;
}

void ReviewModel::set(const EntryKey& key, Skill skill, const SkillMemory& memory)
{
    const size_t item = slotFor(key.word, packedTime(key.added));
    items_[item].memory.skills[size_t(skill)] = memory;
    changed(item);
}

void ReviewModel::put(const EntryKey& key, const EntryMemory& memory)
{
    const size_t item = slotFor(key.word, packedTime(key.added));
    items_[item].memory = memory;
    changed(item);
}

void ReviewModel::rename(const EntryKey& from, const EntryKey& to)
{
    const int64_t added = packedTime(from.added);
    const Item* found = lookUp(from.word, added, hashOf(from.word, added));
    if (!found || from == to)
        return;
    const size_t oldItem = size_t(found - items_.data());
    const EntryMemory moved = found->memory;
    items_[oldItem].live = false;
    --live_;
    changed(oldItem);
    const size_t targetItem = slotFor(to.word, packedTime(to.added));
    EntryMemory& target = items_[targetItem].memory;
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
    changed(targetItem);
}

const EntryMemory* ReviewModel::find(QStringView word, const EntryTime& added) const
{
    const int64_t a = packedTime(added);
    const Item* it = lookUp(word, a, hashOf(word, a));
    return it ? &it->memory : nullptr;
}

void ReviewModel::findItems(const WordEntry* const* entries, size_t n, uint32_t* out, size_t* hashesOut) const
{
    // In groups: hash every key of the group and ask for its slot, then for its item, then
    // compare; each step finds in the cache what the one before asked for.
    constexpr size_t kGroup = 32;
    const size_t mask = slots_.empty() ? 0 : slots_.size() - 1;
    size_t hashes[kGroup];
    for (size_t base = 0; base < n; base += kGroup) {
        const size_t m = std::min(kGroup, n - base);
        for (size_t k = 0; k < m; ++k) {
            const WordEntry* e = entries[base + k];
            hashes[k] = hashOf(e->word(), packedTime(e->stored.added));
            if (hashesOut)
                hashesOut[base + k] = hashes[k];
            if (!slots_.empty())
                __builtin_prefetch(&slots_[hashes[k] & mask]);
        }
        if (slots_.empty()) {
            std::fill(out + base, out + base + m, kNoItem);
            continue;
        }
        for (size_t k = 0; k < m; ++k)
            if (const uint64_t slot = slots_[hashes[k] & mask]; slot && slotMatches(slot, hashes[k]))
                __builtin_prefetch(&items_[itemOfSlot(slot)]);
        for (size_t k = 0; k < m; ++k) {
            const WordEntry* e = entries[base + k];
            const Item* it = lookUp(e->word(), packedTime(e->stored.added), hashes[k]);
            out[base + k] = it ? uint32_t(it - items_.data()) : kNoItem;
        }
    }
}

void ReviewModel::findMany(const WordEntry* const* entries, size_t n, const EntryMemory** out) const
{
    std::vector<uint32_t> items(n);
    findItems(entries, n, items.data());
    for (size_t i = 0; i < n; ++i)
        out[i] = memoryAt(items[i]);
}

RecallPercents recallPercents(const EntryMemory& memory, const ReviewModel& model, int day)
{
    RecallPercents out;
    for (Skill d : kSkills) {
        const SkillMemory& m = memory.skill(d);
        if (m.state.isNew())
            continue;
        // A clock put back makes no recall above that of the last answer's day.
        out[size_t(d)] = qRound(model.recall(m, std::max(day, m.lastDay)) * 100);
    }
    return out;
}

ModelReviewPlanner::Bound ModelReviewPlanner::bind(const WordEntry* e, uint32_t item, const ReviewModel& model)
{
    Bound b;
    b.entry = e;
    if (const EntryMemory* m = model.memoryAt(item)) {
        b.item = item;
        for (size_t s = 0; s < m->skills.size(); ++s)
            if (!m->skills[s].state.isNew())
                b.dueDay[s] = model.dueDay(m->skills[s]);
    }
    return b;
}

void ModelReviewPlanner::bindAt(size_t position, const WordEntry* e, uint32_t item, const ReviewModel& model)
{
    bound_[position] = bind(e, item, model);
    if (bound_[position].item != ReviewModel::kNoItem) {
        if (positionOf_.size() <= item)
            positionOf_.resize(size_t(item) + 1, ReviewModel::kNoItem);
        positionOf_[item] = uint32_t(position);
    }
}

bool ModelReviewPlanner::follow(const std::vector<WordEntry*>& entries, const ReviewModel& model)
{
    const std::optional<std::vector<uint32_t>> changes = model.changedSince(generation_);
    if (!changes || bound_.size() != entries.size())
        return false;
    std::vector<size_t> newKeys;   // items no entry was bound to: keys new to the model
    for (const uint32_t item : *changes) {
        const uint32_t at = item < positionOf_.size() ? positionOf_[item] : ReviewModel::kNoItem;
        if (at != ReviewModel::kNoItem && bound_[at].item == item)
            bindAt(at, bound_[at].entry, item, model);
        else if (model.memoryAt(item))
            newKeys.push_back(model.hashAt(item));
    }
    if (newKeys.empty())
        return true;
    std::sort(newKeys.begin(), newKeys.end());
    for (size_t i = 0; i < bound_.size(); ++i) {
        if (bound_[i].item != ReviewModel::kNoItem || !std::binary_search(newKeys.begin(), newKeys.end(), hashes_[i]))
            continue;
        uint32_t item = ReviewModel::kNoItem;
        model.findItems(&entries[i], 1, &item, &hashes_[i]);
        bindAt(i, entries[i], item, model);
    }
    return true;
}

ReviewPlan ModelReviewPlanner::plan(const std::vector<WordEntry*>& entries, QDate today, const ReviewModel& model)
{
    if (model_ != &model) {
        bound_.clear();
        model_ = &model;
    } else if (generation_ != model.generation() && !follow(entries, model)) {
        bound_.clear();
    }
    generation_ = model.generation();
    if (bound_.empty() && !entries.empty()) {
        // Every entry anew: all lookups at once.
        std::vector<uint32_t> items(entries.size());
        hashes_.resize(entries.size());
        model.findItems(entries.data(), entries.size(), items.data(), hashes_.data());
        bound_.resize(entries.size());
        positionOf_.assign(model.itemCount(), ReviewModel::kNoItem);
        for (size_t i = 0; i < entries.size(); ++i)
            bindAt(i, entries[i], items[i], model);
    }
    bound_.resize(entries.size());
    hashes_.resize(entries.size());

    const ReviewCalendar calendar(today);
    const int32_t day = int32_t(today.toJulianDay());
    ReviewPlan plan;
    plan.due.resize(entries.size());
    int counts[kSkillCount] = {0, 0, 0};
    constexpr size_t kAhead = 16; // as planReview(): keep fetches of scattered entries under way
    const size_t n = entries.size();
    WordEntry* const* list = entries.data();
    Bound* bound = bound_.data();
    for (size_t i = 0; i < n; ++i) {
        if (i + kAhead < n)
            __builtin_prefetch(&list[i + kAhead]->stored);
        if (bound[i].entry != list[i]) [[unlikely]] {
            uint32_t item = ReviewModel::kNoItem;
            model.findItems(&list[i], 1, &item, &hashes_[i]);
            bindAt(i, list[i], item, model);
        }
        const uint8_t table = calendar.dueMask(list[i]->stored);
        uint8_t mask = 0;
        for (size_t s = 0; s < kSkillCount; ++s) {
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
    for (size_t s = 0; s < kSkillCount; ++s)
        plan.counts[s] = counts[s];
    return plan;
}

} // namespace lex
