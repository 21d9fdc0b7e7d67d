#include "lexora/book/book_session.h"

#include "common/platform/sources.h"
#include "lexora/book/book_lock.h"
#include "lexora/book/book_recovery.h"

#include <QDebug>
#include <QStringMatcher>

#include <algorithm>

namespace lex {

namespace {
// More separate runs than this repaint as one span: a view redraws a large span at once anyway.
constexpr size_t kMaxChangedRuns = 64;
} // namespace

RowRanges rowRanges(std::vector<int> rows, int count)
{
    RowRanges runs;
    runs.reserve(rows.size());
    for (int r : rows)
        runs.push_back({r, r});
    return rowRanges(std::move(runs), count);
}

RowRanges rowRanges(RowRanges runs, int count)
{
    for (RowRange& r : runs) {
        r.first = std::max(r.first, 0);
        r.last = std::min(r.last, count - 1);
    }
    runs.erase(std::remove_if(runs.begin(), runs.end(), [](const RowRange& r) { return r.first > r.last; }),
               runs.end());
    // Most callers give ascending rows already.
    if (!std::is_sorted(runs.begin(), runs.end(), [](const RowRange& a, const RowRange& b) { return a.first < b.first; }))
        std::sort(runs.begin(), runs.end(), [](const RowRange& a, const RowRange& b) { return a.first < b.first; });
    RowRanges out;
    for (const RowRange& r : runs) {
        if (!out.empty() && r.first <= out.back().last + 1)
            out.back().last = std::max(out.back().last, r.last);
        else
            out.push_back(r);
    }
    return out;
}

BookSession::BookSession(Env* env, QObject* parent) : QObject(parent), env_(orDefault(env)) {}

BookSession::~BookSession() = default;

void BookSession::announceChanged(const RowRanges& ranges)
{
    if (ranges.empty())
        return;
    if (ranges.size() > kMaxChangedRuns) {
        Q_EMIT rowsChanged(ranges.front().first, ranges.back().last);
        return;
    }
    for (const RowRange& r : ranges)
        Q_EMIT rowsChanged(r.first, r.last);
}

void BookSession::announceReset()
{
    Q_EMIT bookReset();
    tell([this](BookListener& l) { l.entriesChanged(book_); });
}

void BookSession::addListener(BookListener* listener)
{
    if (listener && std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end())
        listeners_.push_back(listener);
}

void BookSession::removeListener(BookListener* listener)
{
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

// ---- loading and saving --------------------------------------------------------------------

void BookSession::setLockFolder(const QString& runtimeDir, int waitMs)
{
    lockFolder_ = runtimeDir;
    lockWaitMs_ = waitMs;
}

bool BookSession::lockBookAt(const QString& folder, const QString& name)
{
    if (lockFolder_.isEmpty())
        return true;
    const QString key = bookLockKey(folder, name);
    if (bookLock_ && key == lockedKey_)
        return true;
    // The new Book's lock first: the old one is let go only once this one is ours.
    std::unique_ptr<FileLock> lock;
    bool busy = false;
    const Status st = lockBook(lockFolder_, folder, name, lockWaitMs_, &lock, &busy);
    if (busy)
        return false;
    bookLock_ = std::move(lock);
    lockedKey_ = st ? key : QString();
    // A runtime folder we cannot use binds nobody else either: go on without the lock.
    if (!st)
        qWarning().noquote() << "Lexora: the Book" << key << "is not locked against other writers:" << st.message();
    return true;
}

bool BookSession::lockOpenBook()
{
    if (lockBookAt(book_.path, book_.name))
        return true;
    bookLock_.reset();
    lockedKey_.clear();
    return false;
}

LoadReport BookSession::load(const BookFileHooks& hooks)
{
    // Another writer (Glosix appending a word, lexbook) finishes before the files are read; one
    // that never does leaves the Book to it: read as it is, nothing repaired, created or removed.
    readOnly_ = !lockOpenBook();
    // Another Book (or the same one read again): the steps no longer describe it.
    history_.clear();
    book_.clear();
    LoadReport report;
    if (readOnly_) {
        report = inspectBook(book_.path, book_.name, env_, &book_);
        book_.loadFailed = true;   // the save must not write over it
    } else {
        report = LoadBook(book_, env_, hooks);
    }
    Q_EMIT bookReset();
    Q_EMIT bookRenamed(book_.name);
    tell([this](BookListener& l) { l.loaded(book_); });
    Q_EMIT loaded(report);
    return report;
}

LoadReport BookSession::open(const QString& folder, const QString& name, const BookFileHooks& hooks)
{
    book_.path = folder;
    book_.name = name;
    return load(hooks);
}

Status BookSession::writeRecoveryCopy(const QString& root, const QDateTime& now, QString* where)
{
    return lex::writeRecoveryCopy(book_, root, now, env_, where);
}

SaveResult BookSession::save(const SaveQuestions& questions)
{
    const QString path = book_.path, name = book_.name;
    SaveQuestions q = questions;
    // A save-as target is locked before anything of it is written; one another writer holds is
    // not written to, and the learner may choose again.
    if (questions.chooseFile) {
        q.chooseFile = [this, &questions](const QString& initialPath, SaveFailure failed) {
            for (;;) {
                const QString chosen = questions.chooseFile(initialPath, failed);
                if (chosen.isEmpty())
                    return chosen;
                QString folder, stem;
                splitSaveAsPath(chosen, &folder, &stem);
                if (lockBookAt(folder, stem)) {
                    readOnly_ = false;
                    return chosen;
                }
                if (!questions.askSaveAs || !questions.askSaveAs({SaveAsQuestion::Why::Busy, stem}))
                    return QString();
            }
        };
    }
    // A read-only Book says why it cannot be saved where it is.
    if (questions.askSaveAs) {
        q.askSaveAs = [this, &questions](const SaveAsQuestion& question) {
            return questions.askSaveAs(readOnly_ ? SaveAsQuestion{SaveAsQuestion::Why::ReadOnly, book_.name} : question);
        };
    }
    SaveResult r = saveBookInteractive(book_, q, env_);
    if (book_.path != path || book_.name != name) {
        Q_EMIT savedAs(path, name);
        tell([&](BookListener& l) { l.savedAs(book_, path, name); });
        Q_EMIT bookRenamed(book_.name);   // saved as another Book: that one is open now
    }
    return r;
}

bool BookSession::switchBook(const QString& folder, const QString& name, bool discard,
                             const SaveQuestions& questions, const BookFileHooks& hooks)
{
    if (name == book_.name && folder == book_.path)
        return true;
    if (!discard && !save(questions).ok())
        return false;
    // The save may have moved the open Book elsewhere (save-as); the new one comes from the
    // folder that was asked for.
    open(folder, name, hooks);
    return true;
}

// ---- changes -------------------------------------------------------------------------------

void BookSession::announceInserted(const RowRanges& ranges)
{
    if (ranges.size() > kMaxChangedRuns) {
        Q_EMIT bookReset();
        return;
    }
    // Ascending: each run's rows are where they stand once the runs before it are in.
    for (const RowRange& r : ranges)
        Q_EMIT rowsInserted(r.first, r.last);
}

void BookSession::begin(BookOperation& op)
{
    op.session_ = this;
    op.redo();
}

void BookSession::settle(std::unique_ptr<BookOperation> op)
{
    // The listeners hear of the operation before the history takes it: a step may merge into
    // the one before it there.
    tell([&](BookListener& l) { l.ran(book_, *op); });
    if (op->undoable() && op->changed())
        history_.push(std::move(op));
}

void BookSession::undo()
{
    if (const BookOperation* step = history_.undo()) {
        Q_EMIT rowsTouched(step->touched());
        tell([&](BookListener& l) { l.undid(book_, *step); });
    }
}

void BookSession::redo()
{
    if (const BookOperation* step = history_.redo()) {
        Q_EMIT rowsTouched(step->touched());
        tell([&](BookListener& l) { l.redid(book_, *step); });
    }
}

// ---- what operations use ------------------------------------------------------------------

Book& BookOperation::book() const { return session_->book_; }
SortState& BookOperation::sortState() const { return session_->sort_; }
void BookOperation::announceChanged(const RowRanges& ranges) const { session_->announceChanged(ranges); }
void BookOperation::announceChanged(int first, int last) const { Q_EMIT session_->rowsChanged(first, last); }
void BookOperation::announceAll() const
{
    if (!session_->book_.empty())
        Q_EMIT session_->rowsChanged(0, session_->book_.size() - 1);
}
void BookOperation::announceInserted(const RowRanges& ranges) const
{
    session_->announceInserted(ranges);
    session_->tell([this](BookListener& l) { l.entriesChanged(session_->book_); });
}
void BookOperation::announceRemoved(const RowRanges& ranges) const
{
    Q_EMIT session_->rowsRemoved(ranges);
    session_->tell([this](BookListener& l) { l.entriesChanged(session_->book_); });
}
void BookOperation::announceReset() const { session_->announceReset(); }
void BookOperation::notice(const QString& text) const { Q_EMIT session_->notice(text); }
void BookOperation::announceWordChanged(const QString& from, const WordEntry& e) const
{
    if (e.word() == from)
        return;
    const QString to = e.word().toString();
    Q_EMIT session_->wordChanged(from, to, e.stored.added);
    session_->tell([&](BookListener& l) { l.wordChanged(session_->book_, from, to, e.stored.added); });
}
void BookOperation::tellAnswered(const PracticeAnswer& answer) const
{
    session_->tell([&](BookListener& l) { l.answered(session_->book_, answer); });
}
void BookOperation::tellStamped(int row, StampKind kind, const QDateTime& at) const
{
    session_->tell([&](BookListener& l) { l.stamped(session_->book_, row, kind, at); });
}

int BookSession::findNext(int from, QStringView text, bool inWords) const
{
    const int n = book_.size();
    if (text.isEmpty() || n == 0)
        return -1;
    if (from < -1 || from >= n)
        from = -1;
    const auto& view = book_.view();
    // One matcher for the whole walk: its skip table is built once, not per row.
    const QStringMatcher matcher(text, Qt::CaseSensitive);
    auto matches = [&](int row) {
        const WordEntry* e = view[size_t(row)];
        return matcher.indexIn(inWords ? e->word() : e->explanation()) >= 0;
    };
    for (int r = from + 1; r < n; ++r)
        if (matches(r))
            return r;
    for (int r = 0; r < from; ++r)
        if (matches(r))
            return r;
    return -1;
}

} // namespace lex
