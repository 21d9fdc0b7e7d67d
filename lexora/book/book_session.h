#pragma once
// BookSession: the one owner of the open Book and the one way to change it. Every learner action
// is a single call here (add, modify, delete, set a degree, class name, sort, shuffle, renumber,
// move/copy to another Book, switch Book); each changes the Book and then announces what changed,
// so that every view (the word list, later the undo stack and the practice window) follows the
// Book through one path instead of callers remembering to push row counts and repaint.
//
// Announcements arrive after the Book has changed. Rows are view rows (display order).

#include "common/platform/env.h"
#include "lexora/book/book.h"
#include "lexora/book/book_file.h"
#include "lexora/book/book_lock.h"
#include "lexora/book/list_ops.h"
#include "lexora/exchange/text_format.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace lex {

class Clock;
class Random;

// An inclusive run of view rows.
struct RowRange {
    int first = 0;
    int last = 0;
    bool operator==(const RowRange&) const = default;
};
using RowRanges = std::vector<RowRange>;

// Sorted, distinct rows as inclusive runs (rows outside 0..count-1 dropped).
RowRanges rowRanges(std::vector<int> rows, int count);

// The texts and the three stored degrees the add/modify dialog hands over.
struct EntryEdit {
    QString word, phonetic, explanation, comment;
    uint8_t recognition = 10, spelling = 10, listening = 10;
};

// What a delete did.
struct DeleteOutcome {
    int removed = 0;
    bool cleared = false;    // every entry went: the text file is kept as it was
    int selectRow = -1;      // the row before the lowest deleted row (0 when that was row 0)
};

// Entries a delete took out of the open Book, kept so that restoreRows() can put them back.
// Move-only; frees them when dropped.
class RemovedRows {
public:
    RemovedRows();
    ~RemovedRows();
    RemovedRows(RemovedRows&&) noexcept;
    RemovedRows& operator=(RemovedRows&&) noexcept;
    int count() const;
    bool empty() const { return count() == 0; }

private:
    friend class BookSession;
    std::vector<Book::Taken> taken_;
    std::unique_ptr<Book::Contents> all_;   // a delete of every entry
};

class BookSession : public QObject {
    Q_OBJECT
public:
    // `env` null: the real file system.
    explicit BookSession(Env* env = nullptr, QObject* parent = nullptr);
    ~BookSession() override;

    // Read access for views; changes go through the actions below.
    const Book& book() const { return book_; }
    // The Book's flags and file names (path, name, saveOnExit, confirmDelete) and the loader's
    // way in; entries changed through this are announced with announceReset().
    Book& book() { return book_; }
    const SortState& sortState() const { return sort_; }
    int rowCount() const { return book_.size(); }
    Env* env() const { return env_; }

    // ---- loading and saving ----------------------------------------------------------------
    // From now on every Book opened here (load, switch, save-as) is first locked against other
    // writers (book_lock.h) in `runtimeDir`, and stays locked while it is open; a lock another
    // writer holds is waited for `waitMs`. Empty (the default, for tests and tools): no lock.
    // A Book whose lock another writer keeps past the wait is opened read-only: read without
    // changing any of its files, and never saved over (a save offers save-as instead). A save-as
    // locks the Book it is about to write first, and does not write one another writer holds.
    void setLockFolder(const QString& runtimeDir, int waitMs = kBookLockWaitMs);
    // Whether the open Book's writer lock is held.
    bool holdsBookLock() const { return bookLock_ != nullptr; }
    // The open Book was opened read-only (see setLockFolder); a save-as to a Book of its own ends it.
    bool readOnly() const { return readOnly_; }

    // Loads book().path + book().name into the emptied Book (numbering starts at 0).
    LoadReport load(const BookFileHooks& hooks = {});
    SaveResult save(const SaveQuestions& questions);
    // The Book was filled from outside the session (tests, tools): every view starts afresh.
    void announceReset();

    // Saves (unless `discard`), then opens `folder` + `name`. Nothing happens when the name is
    // the open Book's own (compared exactly) and the folder is the same. A save that fails or
    // whose save-as question is declined keeps the open Book and its edits: returns false.
    bool switchBook(const QString& folder, const QString& name, bool discard, const SaveQuestions& questions,
                    const BookFileHooks& hooks = {});

    // ---- entries ---------------------------------------------------------------------------
    // Admits an interactive entry (AddEntry mode 2). Returns its view row, or -1 when refused.
    int addEntry(std::unique_ptr<WordEntry> entry);
    // Writes the dialog's texts and degrees into the entry of `row`. Refused (false, nothing
    // changed) when the row does not exist or the word is empty once trailing " ,'-/" are
    // trimmed (the loader would drop it). The word is stored as typed otherwise. `textChanged`
    // tells whether a text differed from the entry's (exact comparison); only then is the Book's
    // text marked as modified.
    bool modifyEntry(int row, const EntryEdit& edit, bool* textChanged = nullptr);
    // Deletes the entries of `rows`. Every entry at once frees them all but keeps the numbering
    // going and leaves the text flag alone (the text file keeps its records).
    // With `keep` the entries are handed over to it instead of being freed.
    DeleteOutcome deleteRows(const std::vector<int>& rows, RemovedRows* keep = nullptr);
    // Gives every entry of `rows` the class name (empty clears it). Returns the rows changed; the
    // text is marked modified when any was.
    int setClassName(const std::vector<int>& rows, const QString& name);

    // Degrees: `value` 0..10 sets, a larger value steps by `step` (a row at the end of the scale
    // keeps its value, the others change). Returns the rows changed.
    int setStrangeness(const std::vector<int>& rows, int column, int value, int step);
    void stampReviewTime(int row, const Clock& clock);
    // Flips the reveal flag of every row; the first row, when it became revealed, is stamped.
    void toggleReveal(const std::vector<int>& rows, const Clock& clock);
    // One row's reveal flag flipped; stamped when it became revealed.
    void toggleRevealOne(int row, const Clock& clock);
    // Every entry revealed or hidden (the column toggles).
    void setRevealAll(bool reveal);

    // ---- import and practice -------------------------------------------------------------
    // Appends the records of `text` (a cancel keeps the entries before it) and, when any was
    // added, marks the text as modified; the new rows are announced once, at the end, so a long import with progress never
    // shows half its rows.
    ImportResult importEntries(QStringView text, const ImportSettings& settings, const Clock& clock);
    // A run starts: at most the first 100 of `selected` (ascending), their temporary strangeness
    // cleared. Returns the rows the run practises.
    std::vector<int32_t> beginPractice(const std::vector<int>& selected);
    // A run ended: the practice window wrote temporary strangeness and review times into the
    // entries of `rows` while it ran; they are announced here, once.
    void endPractice(const std::vector<int32_t>& rows);

    // ---- whole Book ------------------------------------------------------------------------
    // A header click: the shared direction rule, then the sort. `moved` as for sortBook().
    void sortByHeader(int column, std::vector<int32_t>* moved = nullptr);
    void shuffle(const Clock& clock, Random& random, std::vector<int32_t>* moved = nullptr);
    void renumber();

    // Appends the entries of `rows` (ascending) to the Book `target` in the open Book's folder;
    // with `move` they are then deleted here. Refuses the open Book itself as target (its own
    // files would be appended to and then emptied). Returns the message to show, empty on
    // success; `outcome` receives what the delete of a move did.
    QString appendRowsTo(const std::vector<int>& rows, const QString& target, bool move,
                         DeleteOutcome* outcome = nullptr, RemovedRows* keep = nullptr);

    // ---- putting earlier states back (undo and redo) ----------------------------------------
    // These restore exactly what an action changed; each marks the text as modified where the
    // text file may no longer match, and announces the change like any other action.
    // The entries of a delete back at the rows they stood at; `kept` is emptied.
    void restoreRows(RemovedRows& kept);
    // Texts and stored degrees of `row` as they were (no rule on the word: it was stored before).
    void restoreEntry(int row, const EntryEdit& edit);
    void restoreClassNames(const std::vector<int>& rows, const std::vector<QString>& names);
    // `values[i]` back into column 4..7 of `rows[i]`.
    void restoreDegrees(int column, const std::vector<int>& rows, const std::vector<uint8_t>& values);
    // Book order from a permutation: the entry at position i afterwards is the one now at
    // order[i] (a permutation of 0..n-1, else nothing happens). The sort state becomes `state`.
    void reorder(const std::vector<int32_t>& order, const SortState& state);
    // Sequence numbers in Book order, and the next number.
    void restoreNumbers(const std::vector<int32_t>& seqs, int32_t nextSeq);

    // The first row after `from`, wrapping round to row 0, whose word (`inWords`) or explanation
    // contains `text` (case-sensitive); `from` itself is not searched. `from` -1 (no focused row)
    // searches every row from row 0. -1 when nothing matches or `text` is empty.
    int findNext(int from, QStringView text, bool inWords) const;

Q_SIGNALS:
    void rowsInserted(int first, int last);
    void rowsRemoved(const lex::RowRanges& ranges);   // ranges as they were before the removal
    void rowsChanged(int first, int last);
    void bookReset();
    // The open Book's name or folder changed (switch, save-as).
    void bookRenamed(const QString& name);
    // A load finished (start, switch); `report` tells what it had to leave out.
    void loaded(const lex::LoadReport& report);

private:
    void announceChanged(const RowRanges& ranges);
    void announceInserted(const RowRanges& ranges);
    void writeEntry(WordEntry& e, const EntryEdit& edit, bool* textChanged);
    bool lockOpenBook();
    bool lockBookAt(const QString& folder, const QString& name);

    Env* env_;
    QString lockFolder_;
    int lockWaitMs_ = kBookLockWaitMs;
    bool readOnly_ = false;
    std::unique_ptr<FileLock> bookLock_;
    QString lockedKey_;
    Book book_;
    SortState sort_;
};

} // namespace lex
