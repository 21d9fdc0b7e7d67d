#pragma once
// The memory model's view of a Book: for each entry with a learning record, the memory state of
// each skill it was practised in, and the plan of today's review that follows from it.
//
// Skills are the three stored degrees: recognition (初记, 强记), spelling (听写), listening (听辩).
// Days are Julian day numbers of local dates.

#include "lexora/book/word_entry.h"
#include "lexora/practice/practice_engine.h"
#include "lexora/practice/review_plan.h"
#include "lexora/record/fsrs.h"

#include <QString>
#include <array>
#include <cstdint>
#include <unordered_map>
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

// The skill a practice mode trains.
constexpr ReviewDegree skillOf(PracticeMode m)
{
    return m == PracticeMode::Listen    ? ReviewDegree::Listening
           : m == PracticeMode::Dictate ? ReviewDegree::Spelling
                                        : ReviewDegree::Recognition;
}

struct SkillMemory {
    MemoryState state;   // isNew(): never answered in this skill
    int lastDay = 0;     // local date of the last answer
    int answers = 0;
};
struct EntryMemory {
    std::array<SkillMemory, kReviewDegreeCount> skills;
    const SkillMemory& skill(ReviewDegree d) const { return skills[size_t(d)]; }
};

class ReviewModel {
public:
    explicit ReviewModel(double retention = FsrsScheduler::kDefaultRetention) : scheduler_(retention) {}

    const FsrsScheduler& scheduler() const { return scheduler_; }
    void setRetention(double r);

    void set(const EntryKey& key, ReviewDegree skill, const SkillMemory& memory);
    // Every skill of an entry at once (a load).
    void put(const EntryKey& key, const EntryMemory& memory);
    void reserve(size_t entries) { items_.reserve(entries); }
    // Moves the memory of `from` to `to` (a changed word); merged skill by skill when `to` has one.
    void rename(const EntryKey& from, const EntryKey& to);
    const EntryMemory* find(QStringView word, const EntryTime& added) const;
    size_t size() const { return items_.size(); }
    // Changes with every change of the model (and of the retention).
    uint64_t generation() const { return generation_; }

    // The Julian day on which a skill falls due: the last answer's day plus the interval.
    int dueDay(const SkillMemory& m) const { return m.lastDay + scheduler_.interval(m.state.stability); }
    // Predicted recall of a skill on `day`.
    double recall(const SkillMemory& m, int day) const
    {
        return scheduler_.retrievability(day - m.lastDay, m.state.stability);
    }

    template <class F> void forEach(F&& f) const
    {
        for (const auto& [k, v] : items_)
            f(EntryKey{k.word, unpackedTime(k.added)}, v);
    }

private:
    struct Key {
        QString word;
        int64_t added;
    };
    struct KeyView {
        QStringView word;
        int64_t added;
    };
    struct Hash {
        using is_transparent = void;
        size_t operator()(const Key& k) const { return (*this)(KeyView{k.word, k.added}); }
        size_t operator()(const KeyView& k) const;
    };
    struct Equal {
        using is_transparent = void;
        template <class A, class B> bool operator()(const A& a, const B& b) const
        {
            return a.added == b.added && QStringView(a.word) == QStringView(b.word);
        }
    };

    FsrsScheduler scheduler_;
    std::unordered_map<Key, EntryMemory, Hash, Equal> items_;
    uint64_t generation_ = 1;
};

// Today's review by the model: an entry that has a record for a skill is due for it from the day
// its predicted recall falls to the desired retention; for the skills without a record the
// interval table of planReview() decides, so a Book without a record plans exactly as before.
//
// The first plan over a list finds each entry in the model once and remembers what it found, in
// the list's order; later plans over the same list read that alongside the entries. The memory
// is refreshed when the model changed, and entry by entry where the list was reordered. Call
// invalidate() when entries were changed in place (a modified word).
class ModelReviewPlanner {
public:
    ReviewPlan plan(const std::vector<WordEntry*>& entries, QDate today, const ReviewModel& model);
    void invalidate() { bound_.clear(); }

private:
    static constexpr int32_t kNoRecord = INT32_MIN;
    struct Bound {
        const WordEntry* entry = nullptr;
        std::array<int32_t, kReviewDegreeCount> dueDay{kNoRecord, kNoRecord, kNoRecord};
    };
    Bound bind(const WordEntry* e, const ReviewModel& model) const;

    std::vector<Bound> bound_;
    const ReviewModel* model_ = nullptr;
    uint64_t generation_ = 0;
};

} // namespace lex
