#pragma once
// Getting entries back from a damaged Book: what the loader accepts, and the text records that no
// sound index record points to.

#include "common/platform/env.h"
#include "lexora/book/book_file.h"

namespace lex {

struct SalvageReport {
    LoadReport load;          // what the loader made of the Book
    int fromIndex = 0;        // entries the loader accepts
    int fromTextWithIndex = 0; // text records found by scanning, with their damaged index record's degrees and times
    int fromTextDefaults = 0;  // the same, with the default degrees and times (no readable index record)
    int emptyPieces = 0;      // text records found by scanning whose word was empty (left out)
    int total() const { return fromIndex + fromTextWithIndex + fromTextDefaults; }
};

// Reads path + name without writing anything (an interrupted save is read as a load would finish
// it) into the empty `into`: every entry the loader accepts, then every text record of NAME.txt
// outside the records of the sound index records. Such a record starts with U+0000 and ends at
// the next U+0000 or where the next sound record or the file begins. It takes the degrees and
// times of a damaged index record that points at it (by its start, its end, both reversed, or by
// standing between the index records of its neighbours); otherwise the degrees 10, 10, 10 and
// `now` as both times. Entries stand in index order, those without an index record at the end.
SalvageReport salvageBook(const QString& path, const QString& name, Book& into, const EntryTime& now,
                          Env* env = Env::defaultEnv());

} // namespace lex
