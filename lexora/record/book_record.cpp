#include "lexora/record/book_record.h"

#include "lexora/book/book.h"

namespace lex {

ReviewRecord& BookRecord::recordFor(const Book& book)
{
    const QString file = ReviewRecord::fileFor(book.path, book.name);
    // A new open also forgets the last Book's fault: each Book's learner is told once.
    if (!record_.isOpen() || record_.file() != file)
        record_.open(file);
    return record_;
}

void BookRecord::reportFault()
{
    if (const std::optional<QString> message = record_.takeFirstFault(); message && tell_)
        tell_(*message);
}

void BookRecord::recordAnswer(const Book& book, const PracticeAnswer& answer)
{
    const WordEntry* entry = book.atView(answer.row);
    if (!entry)
        return;
    recordFor(book).recordAnswer(EntryKey::of(*entry), answer.mode, answer.outcome, answer.at, answer.durationMs);
}

void BookRecord::recordStamp(const Book& book, int row, StampKind kind, const QDateTime& at)
{
    const WordEntry* entry = book.atView(row);
    if (!entry)
        return;
    recordFor(book).recordStamp(EntryKey::of(*entry), kind, at);
    reportFault();
}

void BookRecord::checkpoint()
{
    if (!record_.isOpen())
        return;
    record_.checkpoint();
    reportFault();
}

} // namespace lex
