#include "lexora/book/operations/order_ops.h"

#include "lexora/book/book_session.h"

namespace lex {

namespace {

bool identity(const std::vector<int32_t>& order)
{
    for (size_t i = 0; i < order.size(); ++i)
        if (order[i] != int32_t(i))
            return false;
    return true;
}

} // namespace

void ReorderOp::kept(SortState before)
{
    done_ = true;
    before_ = before;
    after_ = sortState();
    changed_ = !moved_.empty() && !identity(moved_);
    if (!changed_)
        moved_ = {};
    announceAll();
}

// The permutation came from the sort or shuffle of this very order: no check needed.
void ReorderOp::again()
{
    std::vector<WordEntry*>& full = book().fullForReorder();
    if (moved_.size() != full.size())
        return;
    std::vector<WordEntry*> next(full.size());
    for (size_t i = 0; i < moved_.size(); ++i)
        next[i] = full[size_t(moved_[i])];
    full.swap(next);
    book().syncViewToFull();
    sortState() = after_;
    announceAll();
}

void ReorderOp::undo()
{
    std::vector<WordEntry*>& full = book().fullForReorder();
    if (moved_.size() != full.size())
        return;
    std::vector<WordEntry*> back(full.size());
    for (size_t i = 0; i < moved_.size(); ++i)
        back[size_t(moved_[i])] = full[i];
    full.swap(back);
    book().syncViewToFull();
    sortState() = before_;
    announceAll();
}

void SortOp::redo()
{
    if (done_) {
        again();
        return;
    }
    if (column_ < 0 || column_ > 11) {
        done_ = true;
        return;
    }
    const SortState before = sortState();
    sortState().click(column_);
    sortBook(book(), column_, sortState().ascending, &moved_);
    kept(before);
}

void ShuffleOp::redo()
{
    if (done_) {
        again();
        return;
    }
    const SortState before = sortState();
    shuffleBook(book(), sortState(), clock_, random_, &moved_);
    kept(before);
}

void RenumberOp::redo()
{
    Book& b = book();
    if (!done_) {
        done_ = true;
        seqs_.reserve(size_t(b.size()));
        for (const WordEntry* e : b.full())
            seqs_.push_back(e->seq);
        nextSeq_ = b.nextSeq;
    }
    renumberBook(b);
    if (!changed_) {
        changed_ = nextSeq_ != b.nextSeq;
        for (size_t i = 0; !changed_ && i < seqs_.size(); ++i)
            changed_ = b.full()[i]->seq != seqs_[i];
    }
    announceAll();
}

void RenumberOp::undo()
{
    const std::vector<WordEntry*>& full = book().full();
    if (seqs_.size() != full.size())
        return;
    for (size_t i = 0; i < full.size(); ++i) {
        full[i]->seq = seqs_[i];
        full[i]->keptSeq = seqs_[i];
    }
    book().nextSeq = nextSeq_;
    announceAll();
}

} // namespace lex
