#pragma once
// Operations on the whole open Book: shuffle, renumber, the header-sort comparison, and the rows a
// practice run takes.

#include "lexora/book/book.h"

namespace lex {

class Clock;
class Random;

// Shared sort state of the list: the last sorted column (initially 0) and the direction.
struct SortState {
    int lastColumn = 0;
    bool ascending = true;
    // A header click: same column flips the direction, another column keeps it.
    void click(int column)
    {
        if (column == lastColumn)
            ascending = !ascending;
        lastColumn = column;
    }
};

// <0, 0, >0 for entries a and b by list column (0..11); allocates nothing.
int compareEntries(const WordEntry& a, const WordEntry& b, int column);

// Sorts the full array by `column` in the given direction and copies it into the view array.
// With `moved`, moved[i] receives the position before the sort of the entry now at position i
// (what an undo needs to put the order back).
void sortBook(Book& book, int column, bool ascending, std::vector<int32_t>* moved = nullptr);

// "乱序": entries change places, each keeps its number. A Book of fewer than three entries is
// left as it is. Makes column 0 the last sorted column of `sort`.
// `moved` as for sortBook(); left empty when nothing moved.
void shuffleBook(Book& book, SortState& sort, const Clock& clock, Random& random,
                 std::vector<int32_t>* moved = nullptr);

// "重置序号": numbers the entries 0..n-1 in their current order; nextSeq becomes n.
void renumberBook(Book& book);

// The most words one practice run takes.
constexpr int kMaxPracticeWords = 100;
// A practice run's start: the selected rows in ascending order, at most the first 100; each taken
// entry's temporary strangeness is reset to 0. Rows outside the Book are skipped.
std::vector<int32_t> takePracticeRows(Book& book, std::vector<int32_t> selectedRows);

} // namespace lex
