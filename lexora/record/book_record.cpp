#include "lexora/record/book_record.h"

#include "lexora/book/book.h"
#include "lexora/book/book_session.h"

namespace lex {

BookRecord::~BookRecord()
{
    if (followed_)
        followed_->removeListener(this);
}

void BookRecord::follow(BookSession& session)
{
    if (followed_)
        followed_->removeListener(this);
    followed_ = &session;
    session.addListener(this);
}

void BookRecord::loaded(const Book&)
{
    // Another Book open: the last one's record is let go.
    close();
}

void BookRecord::savedAs(const Book& book, const QString& oldPath, const QString& oldName)
{
    savedAs(ReviewRecord::fileFor(oldPath, oldName), book);
}

void BookRecord::entriesChanged(const Book&)
{
    // An entry is known to the plan by its address.
    entriesChanged();
}

void BookRecord::wordChanged(const Book& book, const QString& from, const QString& to, const EntryTime& added)
{
    renameEntry(book, EntryKey{from, added}, EntryKey{to, added});
    entriesChanged();
}

void BookRecord::answered(const Book& book, const PracticeAnswer& answer)
{
    recordAnswer(book, answer);
}

void BookRecord::stamped(const Book& book, int row, StampKind kind, const QDateTime& at)
{
    recordStamp(book, row, kind, at);
}

ReviewRecord& BookRecord::recordFor(const Book& book)
{
    const QString file = ReviewRecord::fileFor(book.path, book.name);
    // A new open also forgets the last Book's fault: each Book's learner is told once.
    if (!record_.isOpen() || record_.file() != file) {
        close();
        record_.open(file, mode_);
    }
    return record_;
}

void BookRecord::close()
{
    record_.attachModel(nullptr);
    record_.close();
    model_ = ReviewModel(retention_);
    modelRead_ = false;
    modelLoaded_ = false;
    planner_.invalidate();
    study_.clear();
    ++studyVersion_;
    pending_.reset();
    told_ = false;
}

void BookRecord::reportFault(const std::optional<RecordFault>& also)
{
    std::optional<RecordFault> message = record_.takeFirstFault();
    if (!message)
        message = also;
    if (!message)
        message = std::exchange(pending_, std::nullopt);
    if (message && !told_ && tell_) {
        told_ = true;
        tell_(*message);
    }
}

void BookRecord::recordAnswer(const Book& book, const PracticeAnswer& answer)
{
    const WordEntry* entry = book.atView(answer.row);
    if (!entry)
        return;
    ReviewRecord& r = recordFor(book);
    const uint64_t before = r.answerChanges();
    const EntryKey key = EntryKey::of(*entry);
    if (!r.recordAnswer(key, answer.mode, answer.outcome, answer.at, answer.durationMs, answer.spelling))
        return;
    ++studyVersion_;
    // The plan's copy takes the answer when it was current; else it reads the record again.
    if (study_.filled() && studyChanges_ == before) {
        study_.answered(key, skillOf(answer.mode), answer.outcome == AnswerOutcome::Right, localMs(answer.at));
        studyChanges_ = r.answerChanges();
    }
}

Status BookRecord::study(const Book& book, const PlanSettings& plan, double retention, QDate today, StudyHistory* out)
{
    ReviewRecord& r = recordFor(book);
    if (!study_.filled() || studyChanges_ != r.answerChanges()) {
        ++studyVersion_;
        if (const Status s = study_.fill(r, book); !s)
            return s;
        studyChanges_ = r.answerChanges();
    }
    *out = study_.history(plan, retention, today);
    return Status::ok();
}

void BookRecord::recordStamp(const Book& book, int row, StampKind kind, const QDateTime& at)
{
    const WordEntry* entry = book.atView(row);
    if (!entry)
        return;
    recordFor(book).recordStamp(EntryKey::of(*entry), kind, at);
    reportFault();
}

void BookRecord::checkpoint()
{
    if (!record_.isOpen())
        return;
    record_.checkpoint();
    reportFault();
}

const ReviewModel& BookRecord::model(const Book& book, bool tellNow)
{
    recordFor(book);
    if (!modelRead_) {
        modelRead_ = true;
        if (const Status s = record_.loadModel(&model_); !s) {
            model_ = ReviewModel(retention_);
            if (!pending_)
                pending_ = record_.lastFault();
        } else {
            record_.attachModel(&model_);
            modelLoaded_ = true;
        }
    }
    if (tellNow)
        reportFault();
    return model_;
}

const ReviewModel* BookRecord::modelIfRead(const Book& book) const
{
    return modelLoaded_ && record_.isOpen() && record_.file() == ReviewRecord::fileFor(book.path, book.name) ? &model_
                                                                                                         : nullptr;
}

void BookRecord::setRetention(double retention)
{
    if (retention == retention_)
        return;   // the model's due days stay bound
    retention_ = retention;
    model_.setRetention(retention);
}

ReviewPlan BookRecord::todayPlan(const Book& book, const std::vector<WordEntry*>& entries, QDate today)
{
    return planner_.plan(entries, today, model(book));
}

RecallPercents BookRecord::recall(const Book& book, const WordEntry& e, QDate today) const
{
    // The tip asks at every move of the mouse: it never reads the record itself.
    const ReviewModel* m = modelIfRead(book);
    const EntryMemory* memory = m ? m->find(e.word(), e.stored.added) : nullptr;
    return memory ? recallPercents(*memory, *m, int(today.toJulianDay())) : RecallPercents{};
}

void BookRecord::renameEntry(const Book& book, const EntryKey& from, const EntryKey& to)
{
    recordFor(book).renameEntry(from, to);
    reportFault();
}

void BookRecord::copyTo(const Book& book, const QString& targetFile, const std::vector<EntryKey>& keys)
{
    ReviewRecord target;
    Status s = target.open(targetFile);
    if (s)
        s = recordFor(book).copyEntriesTo(target, keys);
    reportFault(target.takeFirstFault());
}

void BookRecord::savedAs(const QString& oldFile, const Book& book)
{
    if (oldFile == ReviewRecord::fileFor(book.path, book.name))
        return;
    close();   // the old name's record: read below, not written
    ReviewRecord old;
    const Status opened = old.open(oldFile, ReviewRecord::Mode::ReadOnly);
    ReviewRecord& now = recordFor(book);
    if (opened)
        old.copyEntriesTo(now, {});
    reportFault(old.takeFirstFault());
}

} // namespace lex
