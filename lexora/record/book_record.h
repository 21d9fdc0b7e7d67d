#pragma once
// The learning record of the open Book as the program keeps it: opened beside the Book at the
// first answer, stamp or question about it, kept open while that Book stays open, closed when
// another Book is open. A record that cannot be opened, is damaged or locked stops nothing:
// `tell` gets its fault once for the Book, the practice goes on unrecorded and today's review
// plans by the interval table. A fault met during a run is told when the run ends (checkpoint()):
// a message box in the middle would let the question time out.
//
// The record follows its entries (EntryKey): an order change needs nothing, a changed word is a
// rename, a save under another name and a copy or move to another Book take the record along.
// follow() keeps it in step with a session by itself: every user of a session (the program,
// lexbook) gets the same record with one call.

#include "lexora/book/book_listener.h"
#include "lexora/record/review_record.h"
#include "lexora/record/study_record.h"

#include <QDate>
#include <functional>

namespace lex {

class Book;
class BookSession;
class WordEntry;

class BookRecord : public BookListener {
public:
    // ReadOnly (the tools): nothing is ever written, not even an empty record.
    explicit BookRecord(std::function<void(const RecordFault& fault)> tell,
                        ReviewRecord::Mode mode = ReviewRecord::Mode::ReadWrite)
        : tell_(std::move(tell)), mode_(mode)
    {
    }
    ~BookRecord() override;
    BookRecord(const BookRecord&) = delete;
    BookRecord& operator=(const BookRecord&) = delete;

    // From now on the record of `session`'s open Book follows it: practice answers and the list's
    // stamps are recorded, a changed word renamed, a save-as takes the record along, another Book
    // lets the last one's record go, added or removed entries make the plan look again. Until the
    // record ends or follows another session; `session` must outlive that.
    void follow(BookSession& session);

    // The entry at `row` of `book`'s view; rows outside it are ignored.
    void recordAnswer(const Book& book, const PracticeAnswer& answer);
    void recordStamp(const Book& book, int row, StampKind kind, const QDateTime& at);
    // The end of a practice run: the log is folded into the file.
    void checkpoint();
    void close();

    // Today's review of `entries` (the Book's view, or its full array): by the memory model for
    // each skill the record has for an entry, by the interval table for the rest.
    ReviewPlan todayPlan(const Book& book, const std::vector<WordEntry*>& entries, QDate today);
    // The memory model of `book`'s record, read at the first call; an empty model when the record
    // cannot be read. With `tellNow` false a fault waits for the next occasion to be told (the
    // list's tip asks while the mouse moves).
    const ReviewModel& model(const Book& book, bool tellNow = true);
    // The model when it has been read from `book`'s record already, else null; reads nothing.
    const ReviewModel* modelIfRead(const Book& book) const;
    // The desired retention of the plans (the settings).
    void setRetention(double retention);
    // The entries of `book` changed (added, deleted, another Book): the next plan finds each
    // entry in the model anew.
    void entriesChanged()
    {
        planner_.invalidate();
        study_.clear();
        ++studyVersion_;
    }

    // The daily plan's history of `book` on `today` (StudyCache): the answers are read from the
    // record at the first call and kept current as they are recorded, so that a later call
    // replays only what came since.
    Status study(const Book& book, const PlanSettings& plan, double retention, QDate today, StudyHistory* out);
    // Changes whenever the history study() gives may have (for what is worked out from it).
    uint64_t studyVersion() const { return studyVersion_; }
    // Replays of the whole record so far (for the benchmarks and tests).
    int studyFullReplays() const { return study_.fullReplays(); }

    // For the tip: `e`'s predicted recall per skill today; none without a record, and until
    // today's review has read the model: reading a large record takes a second or so, too long
    // for a move of the mouse.
    RecallPercents recall(const Book& book, const WordEntry& e, QDate today) const;

    // An entry's word changed (modify, its undo and redo).
    void renameEntry(const Book& book, const EntryKey& from, const EntryKey& to);
    // The entries `keys` were copied or moved into the Book whose record is `targetFile`.
    void copyTo(const Book& book, const QString& targetFile, const std::vector<EntryKey>& keys);
    // `book` was just saved under its new name; `oldFile` is the record of the name it had.
    void savedAs(const QString& oldFile, const Book& book);

    ReviewRecord& record() { return record_; }

    // ---- what the followed session tells (book_listener.h) --------------------------------
    void loaded(const Book& book) override;
    void savedAs(const Book& book, const QString& oldPath, const QString& oldName) override;
    void entriesChanged(const Book& book) override;
    void wordChanged(const Book& book, const QString& from, const QString& to, const EntryTime& added) override;
    void answered(const Book& book, const PracticeAnswer& answer) override;
    void stamped(const Book& book, int row, StampKind kind, const QDateTime& at) override;

private:
    // The record of `book`, open; a different Book's record is closed first.
    ReviewRecord& recordFor(const Book& book);
    // Tells the first fault of the open Book's record (or `also`), once for that Book.
    void reportFault(const std::optional<RecordFault>& also = std::nullopt);

    std::function<void(const RecordFault&)> tell_;
    ReviewRecord::Mode mode_;
    BookSession* followed_ = nullptr;
    ReviewRecord record_;
    ReviewModel model_;
    bool modelRead_ = false;
    bool modelLoaded_ = false; // read, and without a fault
    ModelReviewPlanner planner_;
    double retention_ = FsrsScheduler::kDefaultRetention;
    StudyCache study_;
    uint64_t studyChanges_ = 0;   // the record's answerChanges() study_ reflects
    uint64_t studyVersion_ = 0;
    std::optional<RecordFault> pending_;   // a fault found while the learner must not be interrupted
    bool told_ = false;
};

} // namespace lex
