#include "lexora/book/book_history.h"

#include "lexora/book/book_operation.h"

namespace lex {

BookHistory::BookHistory(QObject* parent) : QObject(parent) {}

BookHistory::~BookHistory() = default;

template <class Fn>
void BookHistory::changing(Fn fn)
{
    const bool undo = canUndo(), redo = canRedo();
    fn();
    if (undo != canUndo())
        Q_EMIT canUndoChanged(canUndo());
    if (redo != canRedo())
        Q_EMIT canRedoChanged(canRedo());
}

void BookHistory::push(std::unique_ptr<BookOperation> step)
{
    changing([&] {
        while (steps_.size() > index_) {
            bytes_ -= steps_.back()->cost();
            steps_.pop_back();
        }
        BookOperation* top = index_ > 0 ? steps_[index_ - 1].get() : nullptr;
        if (top && top->id() != -1 && top->id() == step->id()) {
            const size_t before = top->cost();
            if (top->mergeWith(step.get())) {
                bytes_ = bytes_ - before + top->cost();
                return;
            }
        }
        bytes_ += step->cost();
        steps_.push_back(std::move(step));
        index_ = steps_.size();
        trim();
    });
}

void BookHistory::trim()
{
    while (steps_.size() > 1 && (steps_.size() > size_t(kLimit) || bytes_ > kByteLimit)) {
        bytes_ -= steps_.front()->cost();
        steps_.pop_front();
        --index_;
    }
}

BookOperation* BookHistory::undo()
{
    BookOperation* step = toUndo();
    if (!step)
        return nullptr;
    changing([&] {
        const size_t before = step->cost();
        step->undo();
        --index_;
        bytes_ = bytes_ - before + step->cost();
    });
    return step;
}

BookOperation* BookHistory::redo()
{
    BookOperation* step = toRedo();
    if (!step)
        return nullptr;
    changing([&] {
        const size_t before = step->cost();
        step->redo();
        ++index_;
        bytes_ = bytes_ - before + step->cost();
    });
    return step;
}

void BookHistory::clear()
{
    changing([&] {
        steps_.clear();
        index_ = 0;
        bytes_ = 0;
    });
}

} // namespace lex
