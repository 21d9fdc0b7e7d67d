#pragma once
// A Book loaded from damaged files: the files as they were are kept beside them before the first
// save overwrites them, and the learner is told once, at the load.

#include "common/platform/env.h"
#include "lexora/book/book.h"

#include <optional>

namespace lex {

struct LoadReport;

// The copies are NAME.idx.damaged-TAG and NAME.txt.damaged-TAG beside the originals, TAG being
// 8 hex digits of a hash of both files. The same damage always gives the same names, so a later
// save, even in a later run, never keeps it a second time; and the names do not end in ".idx",
// so the group list never offers a copy as a Book.
std::optional<Book::DamageCopies> planDamageCopies(const Book& book, Env* env);

// Writes the planned copies (each synced, renamed into place, the folder synced), leaving alone a
// copy that is already there with the same bytes, then clears book.damageCopies. Does nothing
// when nothing is planned or the Book has been given other files since (a save-as). A failure
// leaves book.damageCopies set: the caller must not overwrite the originals then.
Status keepDamageCopies(Book& book, Env* env);

// Removes what a copy cut short by a crash or a power cut left beside the Book: the temporary
// files NAME.idx.damaged-TAG(-N).tmp and NAME.txt.damaged-TAG(-N).tmp. The copies themselves, whole
// or not yet made, are left alone; the next save makes a missing one again.
void removeStrayDamageTemps(const QString& path, const QString& name, Env* env);

} // namespace lex
