#pragma once
// BookListener: whatever must see every change of the open Book, from any window or tool, listens
// to its BookSession here (BookSession::addListener). Every change enters through
// BookSession::run, undo() or redo(), or the session's named calls (load, switch, save-as);
// right after it, and after the views were told through the session's signals, the session calls
// each listener in the order they were added. The history is the session's own and is kept
// before any listener hears of a step.
//
// Listening here rather than to the session's signals, a listener needs no QObject and cannot
// miss a kind of change a view does not care about. The learning record (BookRecord::follow) is
// one; a journal of changes for another machine would be another: ran() and undid()/redid() hand
// it every operation, the other calls what the operations mean for an entry's record.
//
// Every call may be left as it is: the defaults do nothing. `book` is the Book as the change left
// it; rows are its view rows.

#include "lexora/book/skills.h"

#include <QString>

namespace lex {

class Book;
class BookOperation;
struct EntryTime;

class BookListener {
public:
    virtual ~BookListener() = default;

    // An operation ran (an edit, a practice result, a reveal flag, a sort): after its redo().
    virtual void ran(const Book& /*book*/, const BookOperation& /*op*/) {}
    // A step of the history was undone or redone.
    virtual void undid(const Book& /*book*/, const BookOperation& /*step*/) {}
    virtual void redid(const Book& /*book*/, const BookOperation& /*step*/) {}

    // Another Book is open (start, switch), or the same one was read again.
    virtual void loaded(const Book& /*book*/) {}
    // The open Book was saved under another folder or name; it is open under the new one now.
    virtual void savedAs(const Book& /*book*/, const QString& /*oldPath*/, const QString& /*oldName*/) {}
    // Entries were added or taken out, or every row is new: a row no longer names the same entry.
    virtual void entriesChanged(const Book& /*book*/) {}
    // An entry's word changed (modify and its undo and redo); `added` is its added time.
    virtual void wordChanged(const Book& /*book*/, const QString& /*from*/, const QString& /*to*/,
                             const EntryTime& /*added*/) {}
    // A practice answer settled (its entry already stamped).
    virtual void answered(const Book& /*book*/, const PracticeAnswer& /*answer*/) {}
    // The list stamped the review time of `row`.
    virtual void stamped(const Book& /*book*/, int /*row*/, StampKind /*kind*/, const QDateTime& /*at*/) {}
};

} // namespace lex
