#pragma once
// BookSession: the one owner of the open Book and the one way to change it. Every learner action
// is one operation (lexora/book/operations/) given to run(): it changes the Book, announces what
// changed, and, when it is an edit that changed something, becomes a step of the history, so
// that every view (the word list, the menus, the practice window) follows the Book through one
// path. Nobody else holds a writable Book: book() is read-only, and the few things outside an
// operation that change the Book's place or flags (load, switch, save, the exit flags) are the
// named calls below.
//
// Views follow the signals; whatever must see every change (the learning record, a journal)
// listens through BookListener (book_listener.h). Announcements arrive after the Book has
// changed. Rows are view rows (display order).

#include "common/platform/env.h"
#include "common/platform/status.h"
#include "lexora/book/book.h"
#include "lexora/book/book_history.h"
#include "lexora/book/book_listener.h"
#include "lexora/book/book_operation.h"
#include "lexora/book/book_file.h"
#include "lexora/book/book_lock.h"
#include "lexora/book/list_ops.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <memory>
#include <vector>

namespace lex {

// An inclusive run of view rows.
struct RowRange {
    int first = 0;
    int last = 0;
    bool operator==(const RowRange&) const = default;
};
using RowRanges = std::vector<RowRange>;

// Sorted, distinct rows as inclusive runs (rows outside 0..count-1 dropped).
RowRanges rowRanges(std::vector<int> rows, int count);
// The same for runs in any order that may overlap or touch (a view's selection): sorted, disjoint
// runs of the rows they cover.
RowRanges rowRanges(RowRanges runs, int count);

class BookSession : public QObject {
    Q_OBJECT
public:
    // `env` null: the real file system.
    explicit BookSession(Env* env = nullptr, QObject* parent = nullptr);
    ~BookSession() override;

    // Read access; changes go through run().
    const Book& book() const { return book_; }
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

    // Opens `folder` + `name` in place of the open Book, unsaved (start-up, tools, tests).
    LoadReport open(const QString& folder, const QString& name, const BookFileHooks& hooks = {});
    // Loads book().path + book().name into the emptied Book (numbering starts at 0).
    LoadReport load(const BookFileHooks& hooks = {});
    SaveResult save(const SaveQuestions& questions);
    // The shutdown's flags: "退出(不保存)" clears saveOnExit, "本次运行不再确认" confirmDelete.
    void setSaveOnExit(bool on) { book_.saveOnExit = on; }
    void setConfirmDelete(bool on) { book_.confirmDelete = on; }
    // Writes the whole Book as a copy into a new folder under `root` (book_recovery.h); the
    // open Book keeps its place.
    Status writeRecoveryCopy(const QString& root, const QDateTime& now, QString* where);
    // The Book was filled from outside the session (tests, tools): every view starts afresh.
    void announceReset();

    // Saves (unless `discard`), then opens `folder` + `name`. Nothing happens when the name is
    // the open Book's own (compared exactly) and the folder is the same. A save that fails or
    // whose save-as question is declined keeps the open Book and its edits: returns false.
    bool switchBook(const QString& folder, const QString& name, bool discard, const SaveQuestions& questions,
                    const BookFileHooks& hooks = {});

    // ---- changes -------------------------------------------------------------------------
    // Does `op` and hands back its result(); the history keeps it when it is an edit that
    // changed the Book.
    template <class Op>
    auto run(std::unique_ptr<Op> op)
    {
        begin(*op);
        auto result = op->result();
        settle(std::move(op));
        return result;
    }
    BookHistory& history() { return history_; }

    // ---- listeners -------------------------------------------------------------------------
    // `listener` hears of every change from now on (book_listener.h), until removeListener();
    // it does not own it. Adding one twice adds it once.
    void addListener(BookListener* listener);
    void removeListener(BookListener* listener);
    // Undo / redo one step; the rows it brought back or changed are announced by rowsTouched().
    void undo();
    void redo();

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
    // The Book was saved as another one (save-as): `oldPath` + `oldName` was open before.
    void savedAs(const QString& oldPath, const QString& oldName);
    // An entry's word changed (modify and its undo and redo); `added` is its added time.
    void wordChanged(const QString& from, const QString& to, const lex::EntryTime& added);
    // A load finished (start, switch); `report` tells what it had to leave out.
    void loaded(const lex::LoadReport& report);
    // The rows an undo or redo brought back or changed (ascending; none for an order change or
    // rows taken out).
    void rowsTouched(const std::vector<int>& rows);
    // Something the learner should be told about an undo or redo (the window shows it).
    void notice(const QString& text);

private:
    friend class BookOperation;
    // Tests arrange a Book's state (flags, values a practice run left) through this.
    friend struct BookSessionProbe;
    template <class Call>
    void tell(Call call)
    {
        // A copy: a listener may come or go while it is told.
        const std::vector<BookListener*> listeners = listeners_;
        for (BookListener* l : listeners)
            call(*l);
    }
    void begin(BookOperation& op);
    void settle(std::unique_ptr<BookOperation> op);
    void announceChanged(const RowRanges& ranges);
    void announceInserted(const RowRanges& ranges);
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
    BookHistory history_;
    std::vector<BookListener*> listeners_;
};

} // namespace lex
