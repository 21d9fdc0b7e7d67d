#include "lexora/book/book_session.h"

#include "common/platform/sources.h"
#include "lexora/book/book_lock.h"
#include "lexora/practice/practice_engine.h"

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
    rows.erase(std::remove_if(rows.begin(), rows.end(), [count](int r) { return r < 0 || r >= count; }),
               rows.end());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    RowRanges out;
    for (int r : rows) {
        if (!out.empty() && out.back().last + 1 == r)
            out.back().last = r;
        else
            out.push_back({r, r});
    }
    return out;
}

RemovedRows::RemovedRows() = default;
RemovedRows::~RemovedRows() = default;
RemovedRows::RemovedRows(RemovedRows&&) noexcept = default;
RemovedRows& RemovedRows::operator=(RemovedRows&&) noexcept = default;

int RemovedRows::count() const
{
    return int(taken_.size()) + (all_ ? all_->size() : 0);
}

BookSession::BookSession(Env* env, QObject* parent) : QObject(parent), env_(env ? env : Env::defaultEnv()) {}

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
    Q_EMIT loaded(report);
    return report;
}

SaveResult BookSession::save(const SaveQuestions& questions)
{
    const QString path = book_.path, name = book_.name;
    SaveQuestions q = questions;
    // A save-as target is locked before anything of it is written; one another writer holds is
    // not written to, and the learner may choose again.
    if (questions.chooseFile) {
        q.chooseFile = [this, &questions](const QString& initialPath, const QString& filter) {
            for (;;) {
                const QString chosen = questions.chooseFile(initialPath, filter);
                if (chosen.isEmpty())
                    return chosen;
                QString folder, stem;
                splitSaveAsPath(chosen, &folder, &stem);
                if (lockBookAt(folder, stem)) {
                    readOnly_ = false;
                    return chosen;
                }
                if (!questions.askSaveAs || !questions.askSaveAs(bookBusyQuestion(stem)))
                    return QString();
            }
        };
    }
    // A read-only Book says why it cannot be saved where it is.
    if (questions.askSaveAs) {
        q.askSaveAs = [this, &questions](const QString& text) {
            return questions.askSaveAs(readOnly_ ? readOnlySaveQuestion(book_.name) : text);
        };
    }
    SaveResult r = saveBookInteractive(book_, q, env_);
    if (book_.path != path || book_.name != name)
        Q_EMIT bookRenamed(book_.name);   // saved as another Book: that one is open now
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
    book_.path = folder;
    book_.name = name;
    load(hooks);
    return true;
}

// ---- entries -------------------------------------------------------------------------------

int BookSession::addEntry(std::unique_ptr<WordEntry> entry)
{
    if (!book_.AddEntry(std::move(entry), 2))
        return -1;
    const int row = book_.size() - 1;
    Q_EMIT rowsInserted(row, row);
    return row;
}

bool BookSession::modifyEntry(int row, const EntryEdit& edit, bool* textChanged)
{
    if (textChanged)
        *textChanged = false;
    WordEntry* e = book_.atView(row);
    if (!e)
        return false;
    // What would be stored: setText() drops field selectors.
    if (trimmedWord(withoutFieldSelectors(edit.word)).isEmpty())
        return false;
    writeEntry(*e, edit, textChanged);
    Q_EMIT rowsChanged(row, row);
    return true;
}

void BookSession::restoreEntry(int row, const EntryEdit& edit)
{
    WordEntry* e = book_.atView(row);
    if (!e)
        return;
    writeEntry(*e, edit, nullptr);
    Q_EMIT rowsChanged(row, row);
}

void BookSession::writeEntry(WordEntry& e, const EntryEdit& edit, bool* textChanged)
{
    const QString word = withoutFieldSelectors(edit.word);
    const QString phonetic = withoutFieldSelectors(edit.phonetic);
    const QString explanation = withoutFieldSelectors(edit.explanation);
    const QString comment = withoutFieldSelectors(edit.comment);
    const bool changed = e.word() != word || e.phonetic() != phonetic || e.explanation() != explanation ||
                         e.comment() != comment;
    if (changed) {
        e.setWord(word);
        e.setPhonetic(phonetic);
        e.setExplanation(explanation);
        e.setComment(comment);
        book_.textChanged = true;
    }
    e.stored.recognition = std::min<uint8_t>(edit.recognition, kMaxStrangeness);
    e.stored.spelling = std::min<uint8_t>(edit.spelling, kMaxStrangeness);
    e.stored.listening = std::min<uint8_t>(edit.listening, kMaxStrangeness);
    if (textChanged)
        *textChanged = changed;
}

DeleteOutcome BookSession::deleteRows(const std::vector<int>& rows, RemovedRows* keep)
{
    DeleteOutcome out;
    const RowRanges ranges = rowRanges(rows, book_.size());
    if (ranges.empty())
        return out;
    for (const RowRange& r : ranges)
        out.removed += r.last - r.first + 1;
    if (out.removed == book_.size()) {
        // The entries go, the numbering goes on: the next word added is number n + 1. Only a
        // switch to another Book starts counting afresh.
        const int32_t next = book_.nextSeq;
        if (keep)
            keep->all_ = book_.takeAll();
        book_.clear();
        book_.nextSeq = next;
        out.cleared = true;
        Q_EMIT bookReset();
        return out;
    }
    std::vector<int> list;
    list.reserve(size_t(out.removed));
    for (const RowRange& r : ranges)
        for (int i = r.first; i <= r.last; ++i)
            list.push_back(i);
    if (keep) {
        std::vector<Book::Taken> taken = book_.takeViewRows(list);
        keep->taken_.insert(keep->taken_.end(), std::make_move_iterator(taken.begin()),
                            std::make_move_iterator(taken.end()));
    } else {
        book_.removeViewRows(std::move(list));
    }
    out.selectRow = std::max(0, ranges.front().first - 1);
    Q_EMIT rowsRemoved(ranges);
    return out;
}

int BookSession::setClassName(const std::vector<int>& rows, const QString& name)
{
    const QString clean = withoutFieldSelectors(name);
    std::vector<int> changed;
    for (const RowRange& r : rowRanges(rows, book_.size())) {
        for (int i = r.first; i <= r.last; ++i) {
            WordEntry* e = book_.atView(i);
            if (e->className() == clean)
                continue;
            e->setClassName(clean);
            changed.push_back(i);
        }
    }
    if (!changed.empty())
        book_.textChanged = true;
    announceChanged(rowRanges(changed, book_.size()));
    return int(changed.size());
}

int BookSession::setStrangeness(const std::vector<int>& rows, int column, int value, int step)
{
    std::vector<int> changed;
    for (const RowRange& r : rowRanges(rows, book_.size()))
        for (int i = r.first; i <= r.last; ++i)
            if (book_.SetStrangeness(i, column, value, step))
                changed.push_back(i);
    announceChanged(rowRanges(changed, book_.size()));
    return int(changed.size());
}

ImportResult BookSession::importEntries(QStringView text, const ImportSettings& settings, const Clock& clock)
{
    const int before = book_.size();
    const ImportResult r = importWordList(book_, text, settings, clock);
    // Only what was added changes the text file; an import that added nothing leaves the flag.
    if (book_.size() > before) {
        book_.textChanged = true;
        Q_EMIT rowsInserted(before, book_.size() - 1);
    }
    return r;
}

std::vector<int32_t> BookSession::beginPractice(const std::vector<int>& selected)
{
    const std::vector<int32_t> rows = takePracticeRows(book_, std::vector<int32_t>(selected.begin(), selected.end()));
    announceChanged(rowRanges(std::vector<int>(rows.begin(), rows.end()), book_.size()));
    return rows;
}

void BookSession::endPractice(const std::vector<int32_t>& rows)
{
    announceChanged(rowRanges(std::vector<int>(rows.begin(), rows.end()), book_.size()));
}

void BookSession::stampReviewTime(int row, const Clock& clock)
{
    if (!book_.atView(row))
        return;
    book_.StampReviewTime(row, clock);
    Q_EMIT rowsChanged(row, row);
}

void BookSession::toggleReveal(const std::vector<int>& rows, const Clock& clock)
{
    const RowRanges ranges = rowRanges(rows, book_.size());
    bool first = true;
    for (const RowRange& r : ranges) {
        for (int i = r.first; i <= r.last; ++i) {
            WordEntry* e = book_.atView(i);
            e->reveal = !e->reveal;
            if (first && e->reveal)
                book_.StampReviewTime(i, clock);
            first = false;
        }
    }
    announceChanged(ranges);
}

void BookSession::toggleRevealOne(int row, const Clock& clock)
{
    WordEntry* e = book_.atView(row);
    if (!e)
        return;
    e->reveal = !e->reveal;
    if (e->reveal)
        book_.StampReviewTime(row, clock);
    Q_EMIT rowsChanged(row, row);
}

void BookSession::setRevealAll(bool reveal)
{
    for (WordEntry* e : book_.full())
        e->reveal = reveal;
    if (!book_.empty())
        Q_EMIT rowsChanged(0, book_.size() - 1);
}

// ---- whole Book ----------------------------------------------------------------------------

void BookSession::sortByHeader(int column, std::vector<int32_t>* moved)
{
    if (column < 0 || column > 11)
        return;
    sort_.click(column);
    sortBook(book_, column, sort_.ascending, moved);
    if (!book_.empty())
        Q_EMIT rowsChanged(0, book_.size() - 1);
}

void BookSession::shuffle(const Clock& clock, Random& random, std::vector<int32_t>* moved)
{
    shuffleBook(book_, sort_, clock, random, moved);
    if (!book_.empty())
        Q_EMIT rowsChanged(0, book_.size() - 1);
}

void BookSession::renumber()
{
    renumberBook(book_);
    if (!book_.empty())
        Q_EMIT rowsChanged(0, book_.size() - 1);
}

QString BookSession::appendRowsTo(const std::vector<int>& rows, const QString& target, bool move,
                                  DeleteOutcome* outcome, RemovedRows* keep)
{
    if (outcome)
        *outcome = {};
    // Names are compared exactly: on this system "book" and "Book" are two Books.
    if (target == book_.name)
        return QStringLiteral("不能移动或复制到当前打开的组：请先用\"添加\"新建另一个组。");
    std::vector<const WordEntry*> entries;
    for (const RowRange& r : rowRanges(rows, book_.size()))
        for (int i = r.first; i <= r.last; ++i)
            entries.push_back(book_.atView(i));
    if (entries.empty())
        return {};
    const QString error = AppendToBook(entries, book_.path, target, env_);
    if (!error.isEmpty())
        return error;
    if (move) {
        const DeleteOutcome d = deleteRows(rows, keep);
        if (outcome)
            *outcome = d;
    }
    return {};
}

// ---- putting earlier states back -----------------------------------------------------------

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

void BookSession::restoreRows(RemovedRows& kept)
{
    if (kept.all_) {
        const int n = kept.all_->size();
        book_.putBackAll(std::move(kept.all_));
        if (n > 0)
            announceInserted({{0, n - 1}});
    }
    if (!kept.taken_.empty()) {
        std::vector<int> rows;
        rows.reserve(kept.taken_.size());
        for (const Book::Taken& t : kept.taken_)
            rows.push_back(t.viewRow);
        book_.putBack(std::move(kept.taken_));
        kept.taken_.clear();
        announceInserted(rowRanges(std::move(rows), book_.size()));
    }
}

void BookSession::restoreClassNames(const std::vector<int>& rows, const std::vector<QString>& names)
{
    std::vector<int> changed;
    for (size_t i = 0; i < rows.size() && i < names.size(); ++i) {
        if (WordEntry* e = book_.atView(rows[i])) {
            e->setClassName(names[i]);
            changed.push_back(rows[i]);
        }
    }
    if (!changed.empty())
        book_.textChanged = true;
    announceChanged(rowRanges(std::move(changed), book_.size()));
}

void BookSession::restoreDegrees(int column, const std::vector<int>& rows, const std::vector<uint8_t>& values)
{
    std::vector<int> changed;
    for (size_t i = 0; i < rows.size() && i < values.size(); ++i) {
        WordEntry* e = book_.atView(rows[i]);
        uint8_t* degree = e ? e->strangeness(column) : nullptr;
        if (!degree)
            continue;
        *degree = std::min<uint8_t>(values[i], kMaxStrangeness);
        changed.push_back(rows[i]);
    }
    announceChanged(rowRanges(std::move(changed), book_.size()));
}

void BookSession::reorder(const std::vector<int32_t>& order, const SortState& state)
{
    std::vector<WordEntry*>& full = book_.fullForReorder();
    if (order.size() != full.size())
        return;
    std::vector<char> seen(full.size(), 0);
    std::vector<WordEntry*> next(full.size());
    for (size_t i = 0; i < order.size(); ++i) {
        const int32_t from = order[i];
        if (from < 0 || size_t(from) >= full.size() || seen[size_t(from)])
            return;
        seen[size_t(from)] = 1;
        next[i] = full[size_t(from)];
    }
    full.swap(next);
    book_.syncViewToFull();
    sort_ = state;
    if (!book_.empty())
        Q_EMIT rowsChanged(0, book_.size() - 1);
}

void BookSession::restoreNumbers(const std::vector<int32_t>& seqs, int32_t nextSeq)
{
    const std::vector<WordEntry*>& full = book_.full();
    if (seqs.size() != full.size())
        return;
    for (size_t i = 0; i < full.size(); ++i) {
        full[i]->seq = seqs[i];
        full[i]->keptSeq = seqs[i];
    }
    book_.nextSeq = nextSeq;
    if (!book_.empty())
        Q_EMIT rowsChanged(0, book_.size() - 1);
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
