#pragma once
// The learning record of the open Book as the program keeps it: opened beside the Book at the
// first answer or stamp, kept open while that Book stays open, closed when another Book is open.
// A record that cannot be opened, is damaged or locked stops nothing: `tell` gets its message
// once for the Book and the practice goes on unrecorded. A fault met during a run is told when
// the run ends (checkpoint()): a message box in the middle would let the question time out.

#include "lexora/record/review_record.h"

#include <functional>

namespace lex {

class Book;
class WordEntry;

class BookRecord {
public:
    explicit BookRecord(std::function<void(const QString& message)> tell) : tell_(std::move(tell)) {}

    // The entry at `row` of `book`'s view; rows outside it are ignored.
    void recordAnswer(const Book& book, const PracticeAnswer& answer);
    void recordStamp(const Book& book, int row, StampKind kind, const QDateTime& at);
    // The end of a practice run: the log is folded into the file.
    void checkpoint();
    void close() { record_.close(); }

    ReviewRecord& record() { return record_; }

private:
    // The record of `book`, open; a different Book's record is closed first.
    ReviewRecord& recordFor(const Book& book);
    void reportFault();

    std::function<void(const QString&)> tell_;
    ReviewRecord record_;
};

} // namespace lex
