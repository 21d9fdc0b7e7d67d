#pragma once
// BookHistory: the undo stack of the open Book's edits, held by its BookSession. Like a
// QUndoStack of BookOperations (push merges through id() and mergeWith(), a push after an undo
// drops what could be redone), but limited both in steps and in the bytes the steps keep: the
// oldest steps go first, the newest always stays (an undo of a large delete must stay possible).
// Not a QUndoStack itself: that one can only limit the number of commands, set while it is empty,
// and has no way to drop its oldest commands by size.

#include <QObject>

#include <deque>
#include <memory>

namespace lex {

class BookOperation;

class BookHistory : public QObject {
    Q_OBJECT
public:
    static constexpr int kLimit = 100;                           // steps kept
    static constexpr size_t kByteLimit = size_t(64) << 20;       // bytes the steps keep

    explicit BookHistory(QObject* parent = nullptr);
    ~BookHistory() override;

    bool canUndo() const { return index_ > 0; }
    bool canRedo() const { return index_ < steps_.size(); }
    int count() const { return int(steps_.size()); }
    size_t bytes() const { return bytes_; }
    // The step an undo / a redo would run; null when none.
    BookOperation* toUndo() const { return canUndo() ? steps_[index_ - 1].get() : nullptr; }
    BookOperation* toRedo() const { return canRedo() ? steps_[index_].get() : nullptr; }

    // A step that has already been done (its first redo() ran).
    void push(std::unique_ptr<BookOperation> step);
    // The step undone / redone, null when there was none.
    BookOperation* undo();
    BookOperation* redo();
    void clear();

Q_SIGNALS:
    void canUndoChanged(bool can);
    void canRedoChanged(bool can);

private:
    void trim();
    template <class Fn>
    void changing(Fn fn);

    std::deque<std::unique_ptr<BookOperation>> steps_;
    size_t index_ = 0;   // steps below it are done
    size_t bytes_ = 0;
};

} // namespace lex
