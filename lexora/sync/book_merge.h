#pragma once
// Between a Book and the journal: which entry of the Book is which entry of the journal, what this
// machine changed since it last merged, and what a merge does to the Book and its record. Pure:
// the Book comes in as values, the result goes out as a plan that an operation carries out.

#include "lexora/record/review_model.h"
#include "lexora/sync/journal.h"

#include <QHash>
#include <QSet>
#include <vector>

namespace lex::sync {

// An entry's word and added time, for lookups.
using WordKey = std::pair<QString, int64_t>;
inline WordKey wordKey(const QString& word, const EntryTime& added) { return {word, packedTime(added)}; }

struct Matched {
    std::vector<EntryId> ids;     // one per Book entry, in the order given
    std::vector<Record> local;    // this machine's changes since `seen`, stamped now
    QHash<WordKey, EntryId> idOfKey; // every key known here, for the record's events
};

// Words changed on this machine since `seen` (modify, its undo and redo), in the order they were
// made: what the session's listeners heard (wordChanged).
using KeyChanges = std::vector<std::pair<EntryKey, EntryKey>>;

// The values that the records of the files read at this merge carry, and the entries they delete.
// The Book cannot hold them unless a merge took them in whose state was then lost (a crash
// between saving the Book and writing the state beside it): such a value is no edit of this
// machine's, and stamped anew it would win over a later edit made elsewhere in the meantime.
class Carried {
public:
    void add(const std::vector<Record>& records);
    bool sets(EntryId id, Field field, const QString& text, int64_t number) const
    {
        return values_.contains({id, uint8_t(field), text, number});
    }
    bool deletes(EntryId id) const { return deleted_.contains(id); }

private:
    struct Value {
        EntryId id;
        uint8_t field;
        QString text;
        int64_t number;
        bool operator==(const Value&) const = default;
        friend size_t qHash(const Value& v, size_t seed = 0) { return qHashMulti(seed, v.id, v.field, v.text, v.number); }
    };
    QSet<Value> values_;
    QSet<EntryId> deleted_;
};

// Matches the Book's entries to `seen`, the state they were last merged with, whose keys are first
// changed as `renamed` says: by word and added time, then an entry whose word alone changed by its
// added time when only one entry has that time. An entry matched to none is new (its id by
// entryIdFor(), never one the journal knows); one of `seen` that no entry matches was deleted
// here, under the word it had last. A value or a deletion that `carried` holds came from the folder
// and is not stamped as this machine's.
Matched matchBook(const std::vector<EntryValues>& book, const JournalState& seen, const KeyChanges& renamed,
                  HybridClock& clock, int64_t wallMs, const Carried& carried = {});

// An event of the learning record (answers and review stamps) as the journal keeps it.
struct RecordEvent {
    EntryKey key;
    Record::Kind kind = Record::Kind::Answer;
    uint8_t mode = 0, outcome = 0;
    int64_t at = 0;
    int32_t durationMs = 0;
};
// The record's events that `seen` does not hold yet, as records stamped now, each for the entry
// its key names (`matched`), else the id its word would take.
std::vector<Record> localEvents(const std::vector<RecordEvent>& events, const Matched& matched,
                                const JournalState& seen, HybridClock& clock, int64_t wallMs);

// What the merged state does to the Book and its record.
struct MergePlan {
    std::vector<std::pair<int, EntryValues>> change;  // Book index, its new values
    std::vector<int> remove;                           // Book indexes, ascending
    std::vector<std::pair<EntryId, EntryValues>> add;  // new entries, by added time
    int revived = 0;                                   // deleted here, brought back by an edit elsewhere
    KeyChanges renames;                                // the record's keys that change (keyChanges())
    std::vector<RecordEvent> events;                   // for the record
};
// The entries whose word or added time differ between `before` and `after`: the record's keys
// that a merge changes.
KeyChanges keyChanges(const JournalState& before, const JournalState& after);

// `before` is what this machine knew (seen and its own changes), `after` that and everything read.
// The events are those of `after` under the keys their entries have there, for the record, which
// keeps each once; one whose entry has not come in yet waits for it.
MergePlan planMerge(const std::vector<EntryValues>& book, const std::vector<EntryId>& ids,
                    const JournalState& before, const JournalState& after);

} // namespace lex::sync
