#pragma once
// The memory model's view of a Book: for each entry with a learning record, the memory state of
// each skill it was practised in, and the plan of today's review that follows from it.
//
// Skills are the three stored degrees: recognition (the Learn and Drill practices), spelling
// (Dictate), listening (Listen).
// Days are Julian day numbers of local dates.

#include "lexora/book/word_entry.h"
#include "lexora/record/review_plan.h"
#include "lexora/record/fsrs.h"

#include <QString>
#include <array>
#include <optional>
#include <cstdint>
#include <vector>

namespace lex {

// Who an answer belongs to: the word as stored and the added time, the two things about an entry
// that survive sorting, shuffling, renumbering, saving under another name and copying to another
// Book (which writes the same word and added time). Changing the word (modify, and its undo) is a
// rename of the key in the record. Two entries of one Book with the same word added in the same
// minute cannot be told apart by the learner either, and share one record.
struct EntryKey {
    QString word;
    EntryTime added;

    static EntryKey of(const WordEntry& e) { return {e.word().toString(), e.stored.added}; }
    bool operator==(const EntryKey& o) const { return added == o.added && word == o.word; }
};

// The added time as one number (the five stored bytes, year first), as the record keeps it.
inline int64_t packedTime(const EntryTime& t)
{
    return int64_t(t.year) << 32 | int64_t(t.month) << 24 | int64_t(t.day) << 16 | int64_t(t.hour) << 8 | t.minute;
}
inline EntryTime unpackedTime(int64_t v)
{
    return {uint8_t(v >> 32), uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
}

struct SkillMemory {
    MemoryState state;   // isNew(): never answered in this skill
    int lastDay = 0;     // local date of the last answer
    int answers = 0;
};
struct EntryMemory {
    std::array<SkillMemory, kSkillCount> skills;
    const SkillMemory& skill(Skill d) const { return skills[size_t(d)]; }
};

class ReviewModel {
public:
    explicit ReviewModel(double retention = FsrsScheduler::kDefaultRetention);

    const FsrsScheduler& scheduler() const { return scheduler_; }
    void setRetention(double r);

    void set(const EntryKey& key, Skill skill, const SkillMemory& memory);
    // Every skill of an entry at once (a load).
    void put(const EntryKey& key, const EntryMemory& memory);
    void reserve(size_t entries);
    // Moves the memory of `from` to `to` (a changed word); merged skill by skill when `to` has one.
    void rename(const EntryKey& from, const EntryKey& to);
    const EntryMemory* find(QStringView word, const EntryTime& added) const;
    // find() for n entries at once, out[i] for entries[i]: the lookups overlap in memory, which
    // makes a first plan over a large Book several times faster than one find() after another.
    void findMany(const WordEntry* const* entries, size_t n, const EntryMemory** out) const;
    size_t size() const { return live_; }
    // Changes with every change of the model (and of the retention).
    uint64_t generation() const { return generation_; }
    // The items changed since `generation` (an item is one key's place in the model, kept until
    // the model is rebuilt), one per change; nothing when that is not known any more (too long
    // ago, a new retention, a rebuild): then everything may have changed.
    std::optional<std::vector<uint32_t>> changedSince(uint64_t generation) const;
    // The place of a key, of each of `n` entries at once (kNoItem: none), as findMany().
    static constexpr uint32_t kNoItem = UINT32_MAX;
    // `hashesOut` (may be null) receives each entry's hashOf().
    void findItems(const WordEntry* const* entries, size_t n, uint32_t* out, size_t* hashesOut = nullptr) const;
    size_t itemCount() const { return items_.size(); }
    // What an item holds; nullptr once its key was renamed away.
    const EntryMemory* memoryAt(uint32_t item) const
    {
        return item < items_.size() && items_[item].live ? &items_[item].memory : nullptr;
    }
    static size_t hashOf(QStringView word, int64_t added);
    size_t hashAt(uint32_t item) const { return items_[item].hash; }

    // The Julian day on which a skill falls due: the last answer's day plus the interval.
    int dueDay(const SkillMemory& m) const { return m.lastDay + scheduler_.interval(m.state.stability); }
    // Predicted recall of a skill on `day`.
    double recall(const SkillMemory& m, int day) const
    {
        return scheduler_.retrievability(day - m.lastDay, m.state.stability);
    }

    template <class F> void forEach(F&& f) const
    {
        for (const Item& it : items_)
            if (it.live)
                f(EntryKey{it.word, unpackedTime(it.added)}, it.memory);
    }

private:
    // Open addressing over a dense array: a slot holds an item's index + 1 (0: free) and, above
    // it, the high half of the item's hash, so that probing past other keys' slots (a miss, as
    // every key of a load is) seldom reads their items. An item renamed away stays in the array,
    // dead, until the table grows.
    struct Item {
        QString word;
        int64_t added;
        size_t hash;
        EntryMemory memory;
        bool live;
    };
    size_t slotFor(const QString& word, int64_t added); // the item of a key, made when new
    void changed(size_t item);
    const Item* lookUp(QStringView word, int64_t added, size_t hash) const;
    void rehash(size_t slots);

    FsrsScheduler scheduler_;
    std::vector<Item> items_;
    std::vector<uint64_t> slots_;
    static uint64_t slotOf(size_t item, size_t hash) { return uint64_t(hash) >> 32 << 32 | uint64_t(item + 1); }
    static bool slotMatches(uint64_t slot, size_t hash) { return slot >> 32 == uint64_t(hash) >> 32; }
    static size_t itemOfSlot(uint64_t slot) { return size_t(uint32_t(slot)) - 1; }
    size_t live_ = 0;
    uint64_t generation_;
    // journal_[i] is the item of the change that made generation journalBase_ + i + 1.
    std::vector<uint32_t> journal_;
    uint64_t journalBase_;
};

// The predicted recall on `day` of each skill `memory` has, in percent (for the list's tip); none
// for a skill never answered.
using RecallPercents = std::array<std::optional<int>, kSkillCount>;
RecallPercents recallPercents(const EntryMemory& memory, const ReviewModel& model, int day);

// Today's review by the model: an entry that has a record for a skill is due for it from the day
// its predicted recall falls to the desired retention; for the skills without a record the
// interval table of planReview() decides, so a Book without a record plans exactly as before.
//
// The first plan over a list finds each entry in the model once and remembers what it found, in
// the list's order; later plans over the same list read that alongside the entries. After
// answers only the entries whose memory changed are found anew (those the model says changed),
// and entry by entry where the list was reordered. Call
// invalidate() whenever the Book's entries changed (added, deleted, modified): an entry is
// recognised by its address, which a freed entry may pass on to a new one.
class ModelReviewPlanner {
public:
    ReviewPlan plan(const std::vector<WordEntry*>& entries, QDate today, const ReviewModel& model);
    void invalidate() { bound_.clear(); }

private:
    static constexpr int32_t kNoRecord = INT32_MIN;
    struct Bound {
        const WordEntry* entry = nullptr;
        uint32_t item = ReviewModel::kNoItem;
        std::array<int32_t, kSkillCount> dueDay{kNoRecord, kNoRecord, kNoRecord};
    };
    static Bound bind(const WordEntry* e, uint32_t item, const ReviewModel& model);
    void bindAt(size_t position, const WordEntry* e, uint32_t item, const ReviewModel& model);
    // After answers: only the entries of the items that changed are bound anew. False when the
    // model cannot say what changed.
    bool follow(const std::vector<WordEntry*>& entries, const ReviewModel& model);

    std::vector<Bound> bound_;
    std::vector<size_t> hashes_;          // of each bound entry's key, by position
    std::vector<uint32_t> positionOf_;    // by item: the position of an entry bound to it
    const ReviewModel* model_ = nullptr;
    uint64_t generation_ = 0;
};

} // namespace lex
