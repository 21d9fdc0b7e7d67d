#pragma once
// Edits that add, change or take out entries: add, modify, delete, move to another Book, class
// name; the import is one too (lexora/exchange/import_op.h). Each undoes exactly what it did;
// rows are view rows.

#include "lexora/book/book_file.h"
#include "lexora/book/book_operation.h"

#include <QString>
#include <memory>
#include <vector>

namespace lex {

class Clock;

// The texts and the three stored degrees the add/modify dialog hands over.
struct EntryEdit {
    QString word, phonetic, explanation, comment;
    uint8_t recognition = 10, spelling = 10, listening = 10;
    bool operator==(const EntryEdit&) const = default;
};

// What a delete did.
struct DeleteOutcome {
    int removed = 0;
    bool cleared = false;    // every entry went: the text file is kept as it was
    int selectRow = -1;      // the row before the lowest deleted row (0 when that was row 0)
};

// Rows that an operation takes out of the Book and puts back; it keeps the entries themselves
// while they are out (a delete of every entry keeps them without a copy).
class RowsOp : public BookOperation {
public:
    using BookOperation::BookOperation;
    ~RowsOp() override;
    size_t cost() const override;
    std::vector<int> touched() const override;

protected:
    // Takes `rows_` out; what a delete reports.
    DeleteOutcome takeOut();
    void putBack();

    std::vector<int> rows_;

private:
    std::vector<Book::Taken> taken_;
    std::unique_ptr<Book::Contents> all_;
    size_t keptBytes_ = 0;   // what taken_ and all_ hold, counted once when they are taken
};

// An interactive add (the add dialog, Glosix's AddTo): result() is the new row, -1 when refused.
class AddOp : public RowsOp {
public:
    explicit AddOp(std::unique_ptr<WordEntry> entry);
    void redo() override;
    void undo() override { takeOut(); }
    int result() const { return changed_ ? rows_.front() : -1; }

private:
    std::unique_ptr<WordEntry> entry_;
};

// "删除": every entry at once frees nothing while the step is kept, keeps the numbering going and
// leaves the text flag alone (the text file keeps its records).
class DeleteOp : public RowsOp {
public:
    explicit DeleteOp(std::vector<int> rows);
    void redo() override;
    void undo() override { putBack(); }
    DeleteOutcome result() const { return outcome_; }

protected:
    DeleteOutcome outcome_;
};

// "移动到组"/"复制到组": appends the rows (ascending) to the Book `target` in the open Book's folder;
// a move then deletes them here. A copy leaves the open Book as it is and is no step. Refuses the
// open Book itself (its own files would be appended to and then emptied). result() says what
// failed, if anything, and what the delete of a move did. The undo of a move
// puts the rows back here and says that the copies in `target` stay; its redo appends nothing.
class MoveToOp : public DeleteOp {
public:
    MoveToOp(std::vector<int> rows, QString target, bool move);
    void redo() override;
    void undo() override;
    struct Outcome {
        bool intoOpenBook = false; // refused: the target is the open Book
        AppendFailure append;
        DeleteOutcome deleted;
        bool failed() const { return intoOpenBook || append.failed(); }
    };
    Outcome result() const { return {intoOpenBook_, append_, outcome_}; }

private:
    QString target_;
    bool move_;
    bool appended_ = false;
    bool intoOpenBook_ = false;
    AppendFailure append_;
};

// "修改": the dialog's texts and degrees into the entry of `row`. Refused (nothing changed) when
// the row does not exist or the word is empty once trailing " ,'-/" are trimmed (the loader would
// drop it); the word is stored as typed otherwise. Only a text that differs (exact comparison)
// marks the Book's text as modified.
class ModifyOp : public BookOperation {
public:
    struct Outcome {
        bool done = false;          // written (it may have changed nothing)
        bool textChanged = false;   // a text differed from the entry's
    };
    ModifyOp(int row, EntryEdit edit);
    void redo() override;
    void undo() override;
    Outcome result() const { return outcome_; }
    std::vector<int> touched() const override { return {row_}; }
    size_t cost() const override;

private:
    int row_;
    EntryEdit after_, before_;
    Outcome outcome_;
};

// "指定类名": every entry of `rows` gets the class name (empty clears it). result() is the number of
// rows changed; the text is marked modified when any was.
class ClassNameOp : public BookOperation {
public:
    ClassNameOp(std::vector<int> rows, const QString& name);
    void redo() override;
    void undo() override;
    int result() const { return int(rows_.size()); }
    std::vector<int> touched() const override { return rows_; }
    size_t cost() const override;

private:
    bool done_ = false;
    std::vector<int> rows_;   // asked for; after the first redo() the rows changed
    QString name_;
    std::vector<QString> before_;
};

} // namespace lex
