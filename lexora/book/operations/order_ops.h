#pragma once
// Edits of the whole Book's order and numbers: the header sort, "乱序" and "重置序号". An order
// change is kept as a permutation (one 32-bit position per entry, written by the sort itself),
// never as copies of entries.

#include "lexora/book/book_operation.h"
#include "lexora/book/list_ops.h"

#include <vector>

namespace lex {

class Clock;
class Random;

// Sort or shuffle: what they share.
class ReorderOp : public BookOperation {
public:
    using BookOperation::BookOperation;
    void undo() override;
    size_t cost() const override { return sizeof(*this) + moved_.capacity() * sizeof(int32_t); }

protected:
    // After the first redo(): keeps the change when anything moved.
    void kept(SortState before);
    void again();

    std::vector<int32_t> moved_;   // position i after the change holds the entry that stood at moved_[i]
    SortState before_, after_;
    bool done_ = false;
};

// A header click on list column `column` (0..11): the shared direction rule, then the sort.
class SortOp : public ReorderOp {
public:
    explicit SortOp(int column) : ReorderOp(QStringLiteral("排序")), column_(column) {}
    void redo() override;

private:
    int column_;
};

class ShuffleOp : public ReorderOp {
public:
    ShuffleOp(const Clock& clock, Random& random) : ReorderOp(QStringLiteral("乱序")), clock_(clock), random_(random) {}
    void redo() override;

private:
    const Clock& clock_;
    Random& random_;
};

// Numbers the entries 0..n-1 in their current order; the undo gives back the numbers they had.
class RenumberOp : public BookOperation {
public:
    RenumberOp() : BookOperation(QStringLiteral("重置序号")) {}
    void redo() override;
    void undo() override;
    size_t cost() const override { return sizeof(*this) + seqs_.capacity() * sizeof(int32_t); }

private:
    bool done_ = false;
    std::vector<int32_t> seqs_;   // in Book order
    int32_t nextSeq_ = 0;
};

} // namespace lex
