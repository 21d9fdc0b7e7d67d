#pragma once
// BookOperation: one learner action on the open Book, run by BookSession::run(). Its first redo()
// does the work and keeps what it needs to undo itself; later redo()s repeat it. An operation
// that changed nothing, or one that is no edit (practice results, reveal flags), is not kept on
// the history. A new kind of edit is one subclass in lexora/book/operations/.

#include "lexora/book/book.h"

#include <QUndoCommand>

#include <vector>

namespace lex {

class BookSession;
struct RowRange;
using RowRanges = std::vector<RowRange>;
struct SortState;

class BookOperation : public QUndoCommand {
public:
    explicit BookOperation(const QString& text = {}) { setText(text); }

    // False for what is no edit: it runs like any other operation but never enters the history.
    virtual bool undoable() const { return true; }
    // Whether the last redo() changed the Book: an operation that changed nothing adds no step.
    bool changed() const { return changed_; }
    // Approximate bytes the operation keeps while it is on the history.
    virtual size_t cost() const { return sizeof(*this); }
    // The rows that stand changed or brought back once the operation was last undone or redone
    // (ascending): the list selects them.
    virtual std::vector<int> touched() const { return {}; }
    // What run() hands back when an operation has nothing else to tell.
    bool result() const { return changed_; }

protected:
    // The session's means, valid from the first redo() on.
    BookSession& session() const { return *session_; }
    Book& book() const;
    SortState& sortState() const;
    void announceChanged(const RowRanges& ranges) const;
    void announceChanged(int first, int last) const;
    void announceAll() const;                           // every row changed (an order change)
    void announceInserted(const RowRanges& ranges) const;
    void announceRemoved(const RowRanges& ranges) const;
    void announceReset() const;
    void notice(const QString& text) const;
    // Said after `e` was written: its word was `from` before (nothing when it still is).
    void announceWordChanged(const QString& from, const WordEntry& e) const;
    // What the session's listeners hear besides the rows (book_listener.h): a practice answer
    // settled, a review time stamped from the list.
    void tellAnswered(const PracticeAnswer& answer) const;
    void tellStamped(int row, StampKind kind, const QDateTime& at) const;

    bool changed_ = false;

private:
    friend class BookSession;
    BookSession* session_ = nullptr;
};

} // namespace lex
