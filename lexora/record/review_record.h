#pragma once
// The learning record of one Book: every answer of a practice run and every review stamp, kept
// in an SQLite database beside the Book (NAME.review.db), with the memory state per entry and
// skill that follows from the answers. The Book's own files are never touched, and a Book
// without a record works as before.
//
// Entries are known by their EntryKey (the word and the added time, review_model.h). Each key
// gets a row in the record's entry table the first time something is recorded for it; answers
// point to that row, so a changed word is one rename and a deleted entry's answers stay.
//
// Durability: WAL with synchronous=NORMAL. Every answer is its own transaction, so a process
// killed at any moment (kill -9) loses at most the answer being written; only a power cut can
// lose the answers committed since the last checkpoint, and never damages the file. FULL would
// add a flush of the disk to every answer, on the thread that runs the practice window.
//
// Faults: nothing here throws or stops the caller. A record that cannot be opened, is damaged,
// locked for longer than a moment, or written by a newer version returns an error Status, and
// lastFault() says what happened (a RecordFault, which the program puts in its own words); the
// first such fault is kept for takeFirstFault(), so that the program tells the learner once and
// goes on without recording. A damaged or newer record is never overwritten.
//
// SQLite reads and writes the file itself (its locks and shared memory need its own file layer);
// whether the file is there is asked of the Env.

#include "common/platform/status.h"
#include "common/sqlite/sqlite_db.h"
#include "lexora/record/record_fault.h"
#include "lexora/record/record_schema.h"
#include "lexora/record/review_model.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace lex {

// Wrong and "don't know" are "again", right is "good".
constexpr FsrsGrade gradeOf(AnswerOutcome o) { return o == AnswerOutcome::Right ? FsrsGrade::Good : FsrsGrade::Again; }
QString outcomeName(AnswerOutcome o); // "right", "wrong", "dontknow"
QString practiceModeName(PracticeMode m); // "listen", "learn", "drill", "dictate"

// Local wall-clock time as the record keeps it: milliseconds from 1970-01-01 00:00 of the local
// calendar (no time zone), so that its day is the local date.
int64_t localMs(const QDateTime& t);
QDateTime fromLocalMs(int64_t ms);
int localDay(int64_t localMs); // Julian day number

class ReviewRecord {
public:
    static constexpr int kSchemaVersion = record_schema::kVersion;

    ReviewRecord();
    ~ReviewRecord();
    ReviewRecord(const ReviewRecord&) = delete;
    ReviewRecord& operator=(const ReviewRecord&) = delete;

    // Book path ('/'-terminated) + name + ".review.db".
    static QString fileFor(const QString& bookPath, const QString& bookName);

    enum class Mode { ReadWrite, ReadOnly };
    // ReadWrite creates the file on the first write, not before. ReadOnly never creates or
    // changes anything; a missing file is an empty record.
    Status open(const QString& file, Mode mode = Mode::ReadWrite);
    void close();
    bool isOpen() const { return !file_.isEmpty(); }
    const QString& file() const { return file_; }

    // One call per answer of a practice run, with the entry it concerns.
    // `spelling`: a typed answer's grade, kept beside it.
    Status recordAnswer(const EntryKey& key, PracticeMode mode, AnswerOutcome outcome, const QDateTime& at,
                        int durationMs, std::optional<SpellingVerdict> spelling = {});
    Status recordStamp(const EntryKey& key, StampKind kind, const QDateTime& at);
    // Many answers in one transaction (an import, a generated record): `next` fills in one answer
    // at a time and returns false after the last. All or nothing.
    struct NewAnswer {
        EntryKey key;
        PracticeMode mode = PracticeMode::Learn;
        AnswerOutcome outcome = AnswerOutcome::Right;
        int64_t at = 0; // localMs
        int durationMs = 0;
        std::optional<SpellingVerdict> spelling = {};
    };
    // `added`, when given, counts the answers that were not recorded before. A large batch has
    // the day tallies added up once at its end rather than answer by answer.
    Status recordAnswers(const std::function<bool(NewAnswer*)>& next, int* added = nullptr);
    // Many review stamps in one transaction, likewise.
    struct NewStamp {
        EntryKey key;
        StampKind kind = StampKind::Space;
        int64_t at = 0; // localMs
    };
    Status recordStamps(const std::function<bool(NewStamp*)>& next, int* added = nullptr);

    // The word of an entry changed (modify, or its undo): its record follows.
    Status renameEntry(const EntryKey& from, const EntryKey& to);
    // A copy or move to another Book: the target gets these entries' answers and stamps (once:
    // copying twice adds nothing). An empty list copies everything (save under another name).
    Status copyEntriesTo(ReviewRecord& target, const std::vector<EntryKey>& keys = {});

    // Moves what the write-ahead log holds into the file and empties the log; for a quiet moment
    // (the end of a practice run), since it flushes the disk. A reader in the way is no fault.
    Status checkpoint();

    // Keeps `model` up to date with what is recorded from now on (nullptr: none); it must outlive
    // the attachment.
    void attachModel(ReviewModel* model) { attached_ = model; }
    // Counts the writes that changed the answers (recorded, merged, renamed, copied in): a copy
    // of them kept elsewhere is current while this stays what it was.
    uint64_t answerChanges() const { return answerChanges_; }

    // The first fault since open(), once; nothing after that or when all went well.
    std::optional<RecordFault> takeFirstFault();
    // The fault behind the last error Status returned (reads included); none after a success or
    // for a misuse (a write to a record opened read-only).
    const std::optional<RecordFault>& lastFault() const { return lastFault_; }

    // ---- reading ----------------------------------------------------------------------------
    struct Answer {
        EntryKey key;
        PracticeMode mode;
        Skill skill;
        AnswerOutcome outcome;
        int64_t at;        // localMs
        int durationMs;
        std::optional<SpellingVerdict> spelling = {};   // a typed answer's grade, where kept
    };
    struct Stamp {
        EntryKey key;
        StampKind kind;
        int64_t at;
    };
    // In time order. The callbacks return false to stop. `afterRow`: only the rows recorded after
    // the one a Mark names.
    Status forEachAnswer(const std::function<bool(const Answer&)>& f, int64_t afterRow = 0) const;
    Status forEachStamp(const std::function<bool(const Stamp&)>& f, int64_t afterRow = 0) const;
    // Where the record ends: its last answer and stamp rows, each with its time, so that a reader
    // can later take only what was recorded since.
    struct Mark {
        int64_t answerRow = 0, answerAt = 0, stampRow = 0, stampAt = 0;
        bool operator==(const Mark&) const = default;
    };
    Status mark(Mark* out) const;
    // Whether the rows `m` names are still there as they were; not when the record was replaced,
    // or those rows went, since (what came after them can then not be told apart).
    Status holds(const Mark& m, bool* out) const;
    // The memory of every entry and skill. `model` keeps its retention.
    Status loadModel(ReviewModel* model) const;
    // Answers per local day, skill and right/wrong ("don't know" counts as wrong), from `firstDay` on.
    struct DayCount {
        int day;
        Skill skill;
        int right, wrong;
    };
    Status answersPerDay(int firstDay, std::vector<DayCount>* out) const;

    // From another thread: the read under way on this record stops within a row and reports
    // failure, as does every read after it (a record read for a window that was closed); it is
    // then only good for close(). Safe at any moment, also before open() or after close().
    void interrupt();
    bool interrupted() const { return interrupted_.load(std::memory_order_relaxed); }

private:
    Status ensureWritable();
    // `f` as the error Status of a call: kept for lastFault(), and for takeFirstFault() if first.
    Status fault(RecordFault f);
    Status fail(const char* what, int rc);
    Status failed(RecordFault f) const; // for lastFault() only (reads)
    RecordFault about(RecordFault::Kind kind, QString detail = {}) const { return {kind, file_, {}, std::move(detail)}; }
    Status entryId(const EntryKey& key, bool create, int64_t* id);
    Status rebuildMemory(int64_t entry);
    Status readMemory(int64_t entry, Skill skill, SkillMemory* m, int64_t* lastAt);
    Status writeMemory(int64_t entry, Skill skill, const SkillMemory& m, int64_t lastAt);
    sqlite::Statement prepare(const char* sql) const;
    // Runs a query (its ?1 bound to `parameter`) and hands each row to `row` until it returns false.
    Status eachRow(const char* sql, const std::function<bool(const sqlite::Statement&)>& row, int64_t parameter = 0) const;
    Status readFailure(int rc) const;
    // Sets the connection (null: closes the one there) where interrupt() can see it.
    void setConnection(sqlite3* db);

    QString file_;
    Mode mode_ = Mode::ReadWrite;
    sqlite::Database db_;
    bool broken_ = false;
    std::optional<RecordFault> fault_;
    mutable std::optional<RecordFault> lastFault_;
    bool faultTaken_ = false;
    struct Statements;
    std::unique_ptr<Statements> st_;
    QHash<QString, int64_t> ids_; // word + '\0' + added → entry row, as met
    ReviewModel* attached_ = nullptr;
    uint64_t answerChanges_ = 0;
    std::atomic<bool> interrupted_{false};
    std::mutex connectionMutex_; // db_ as interrupt() sees it
};

} // namespace lex
