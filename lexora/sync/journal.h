#pragma once
// The journal that carries a Book between machines through a folder some sync tool keeps.
//
// Each machine writes its changes into files of its own, whole and never changed after, so the
// tool never sees two writers of one file. What a file holds are records, and the state of a Book
// is what all records ever written say, merged so that the order, the grouping and repetition of
// the files never matter (each part below is a join: a maximum or a union):
// - an entry is known by an id fixed when it is first added (entryIdFor), which survives edits,
//   sorting and moves; the same word added on two machines gets the same id, so it stays one entry;
// - each field of an entry takes the value of its latest Set record by the hybrid logical clock
//   (Stamp), the machine breaking ties;
// - a deletion is a tombstone stamped like a Set. The entry is gone while its tombstone is later
//   than every edit of it; an edit made later (on a machine that had not yet seen the deletion)
//   brings it back with everything it had, and the merge counts it as brought back, so that the
//   learner is told. A typed word is never lost silently; a deletion is. A practice result (the
//   review time) brings nothing back: going through a list is no decision to keep a word;
// - answers and review stamps are events; their union is kept, one per entry, skill and time, as
//   the learning record keeps them, which replays its memory model from them.
//
// Nothing here touches a file; journal_folder.h reads and writes them through Env.

#include "lexora/book/skills.h"
#include "lexora/book/word_entry.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <array>
#include <compare>
#include <cstdint>
#include <map>
#include <tuple>
#include <unordered_map>
#include <vector>

namespace lex::sync {

// A machine as the stamps know it: a 64-bit hash of its name.
uint64_t machineId(const QString& name);

// A reading of a hybrid logical clock: wall-clock milliseconds, a counter for readings that
// share them, and the machine as the last tie-break.
struct Stamp {
    int64_t ms = 0;
    uint32_t count = 0;
    uint64_t machine = 0;
    auto operator<=>(const Stamp&) const = default;
    bool isNull() const { return ms == 0 && count == 0 && machine == 0; }
};

// Hands out stamps later than every stamp it has made or seen, however the wall clocks of the
// machines disagree: a machine whose clock is behind still writes after what it has read.
class HybridClock {
public:
    explicit HybridClock(uint64_t machine = 0) { last_.machine = machine; }
    Stamp tick(int64_t wallMs);
    void observe(const Stamp& seen);
    const Stamp& last() const { return last_; }

private:
    Stamp last_;
};

using EntryId = uint64_t;
// The id of an entry first added as `word`: the same on every machine, so that the same word
// added on two machines is one entry.
EntryId entryIdFor(QStringView word);
// The id of another entry of the same word (a Book may hold a word twice): by its added time and,
// when that is taken as well, a number.
EntryId entryIdFor(QStringView word, const EntryTime& added, int salt = 0);

// What a Set record sets: the five texts, the three stored degrees, the two times.
enum class Field : uint8_t {
    Word, Explanation, Phonetic, ClassName, Comment, Recognition, Spelling, Listening, Review, Added
};
inline constexpr int kFieldCount = 10;
constexpr bool isTextField(Field f) { return f <= Field::Comment; }
constexpr bool isDegreeField(Field f) { return f >= Field::Recognition && f <= Field::Listening; }
constexpr bool isTimeField(Field f) { return f == Field::Review || f == Field::Added; }

struct Record {
    enum class Kind : uint8_t { Set = 1, Delete = 2, Answer = 3, ReviewStamp = 4 };
    Kind kind = Kind::Set;
    EntryId id = 0;
    Stamp stamp;          // when and where it was journalled
    Field field = Field::Word;
    QString text;         // a text field
    int64_t number = 0;   // a degree; a time (packedTime); an event's time (localMs)
    uint8_t mode = 0;     // an answer's PracticeMode; a review stamp's StampKind
    uint8_t outcome = 0;  // an answer's AnswerOutcome
    int32_t durationMs = 0;
    bool operator==(const Record&) const = default;
};

// One file of the journal: who wrote it, for which Book, its number among that machine's files.
struct JournalFile {
    QString machine;
    QString book;
    uint64_t seq = 0;
    bool snapshot = false;  // replaces the machine's files numbered below it
    std::vector<Record> records;
};

// The bytes of a file: a header with the length and a checksum of what follows, then the
// compressed records.
// `fast` trades some size for time (the merged state beside the Book, rewritten at every merge).
QByteArray encodeJournal(const JournalFile& file, bool fast = false);
// The header and checksum around a file's uncompressed contents (what encodeJournal() seals).
QByteArray sealJournal(QByteArrayView contents, bool snapshot, bool fast = false);
enum class ReadResult {
    Ok,
    Incomplete,   // ours but not whole yet (a half-carried copy): read again later
    Foreign,      // another program's file, or a newer build's
};
ReadResult parseJournal(QByteArrayView bytes, JournalFile* out);
// What tells one file from another by its header alone (the length and checksum it states), so
// that a file read whole once need not be read again; false while even the header is not whole,
// or when it is not ours.
bool journalKey(QByteArrayView bytes, uint64_t* key);
inline constexpr int kJournalHeaderSize = 16;

// An entry's values as a Book keeps them.
struct EntryValues {
    std::array<QString, kTextFieldCount> texts;
    std::array<uint8_t, kSkillCount> degrees{};
    EntryTime review, added;
    bool operator==(const EntryValues&) const = default;
    static EntryValues of(const WordEntry& e);
    void writeTo(WordEntry& e) const;
};

// What every record read so far says.
class JournalState {
public:
    struct Cell {
        Stamp stamp;
        QString text;
        int64_t number = 0;
    };
    struct Entry {
        std::array<Cell, kFieldCount> cells;  // a null stamp: never set
        Stamp deleted;                         // null: never deleted
        // Present: some field was set after the last deletion (the review time does not count).
        bool live() const;
        // Deleted once, and an edit made later brought it back.
        bool revived() const { return !deleted.isNull() && live(); }
        EntryValues values() const;
    };
    struct EventKey {
        EntryId id;
        uint8_t type;    // Record::Kind of the event
        uint8_t what;    // the answer's skill, the stamp's kind
        int64_t at;
        auto operator<=>(const EventKey&) const = default;
    };

    // Takes in one record; true when it changed the state.
    bool apply(const Record& r);
    void applyAll(const std::vector<Record>& records)
    {
        for (const Record& r : records)
            apply(r);
    }
    void merge(const JournalState& other);
    // Forgets the events whose entry is known: what the learning record keeps once they are in it.
    // Those left wait for their entry. Returns how many went.
    size_t keepWaitingEvents();

    const std::unordered_map<EntryId, Entry>& entries() const { return entries_; }
    const std::map<EventKey, Record>& events() const { return events_; }
    const Entry* find(EntryId id) const;
    // The latest stamp seen, for the clock.
    const Stamp& latest() const { return latest_; }

    // The records that rebuild this state: the winning Set of every field, the winning tombstone
    // and every event; only those stamped by `machine` when it is not 0 (a machine's snapshot of
    // its own files: what it wrote and lost to another machine is not needed any more).
    std::vector<Record> records(uint64_t machine = 0) const;
    bool operator==(const JournalState& o) const;

private:
    std::unordered_map<EntryId, Entry> entries_;
    std::map<EventKey, Record> events_;
    Stamp latest_;
};

// What this machine merged last, kept beside the Book (never in the synced folder): every entry
// as merged and the events still waiting for their entry; how far the learning record was
// journalled; which files of the folder were read; the machines seen. Its file is a sealed whole
// state followed by sealed additions (each merge appends what it changed), so that a save need
// not write the whole state again; a cut addition (a crash while appending) is where reading stops.
struct MergedState {
    JournalState state;
    uint64_t nextSeq = 1;
    Stamp latest;                             // the latest stamp ever seen, events included
    // The record's last answer and stamp rows journalled, each with its time (ReviewRecord::Mark).
    int64_t answerRow = 0, answerAt = 0, stampRow = 0, stampAt = 0;
    struct SeenFile {
        QString machine;
        uint64_t seq = 0;
        bool operator==(const SeenFile&) const = default;
    };
    std::map<uint64_t, SeenFile> read;        // files read whole (journalKey), still in the folder
    std::map<QString, int64_t> lastSeen;      // machine -> the latest wall time it wrote
    // All but the state (what each piece of the file carries whole).
    auto besides() const { return std::tie(nextSeq, latest, answerRow, answerAt, stampRow, stampAt, read, lastSeen); }
};
// One piece of the merged state's file: the whole state (`whole`), or what a merge added to it
// (`added`, with everything but the entries and events as they are now).
QByteArray encodeMergedState(const QString& machine, const QString& book, const MergedState& state,
                             const std::vector<Record>* added);
struct MergedStateRead {
    QString machine;
    qsizetype wholeBytes = 0;  // the whole state at the start of the file
    qsizetype goodBytes = 0;   // that and the additions after it that read whole
    bool cut = false;          // bytes after those: an addition cut short
    bool oldForm = false;      // an older build's file: the whole state with every event
};
// Ok with what the file holds up to its first cut addition; Foreign when not such a file.
ReadResult parseMergedState(QByteArrayView bytes, MergedState* out, MergedStateRead* how);

} // namespace lex::sync
