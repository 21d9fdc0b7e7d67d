#pragma once
// The Books of one folder, as the groups dialog shows them: their names, the two figures of each
// (entry count and format version) and the making of a new, empty Book. Every path is absolute
// (folder + name), so listing never changes the current directory.

#include "common/platform/env.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace lex {

// The stems of the folder's "NAME.idx" files ("idx" in any case), hidden files skipped, sorted
// the way a learner reads them (without regard to case, then exactly).
QStringList listBooks(Env* env, const QString& folder);

// 单词数 and 版本号 of a Book's index file, read from its first five bytes as if they were the
// header and the record size: the version is the low 24 bits of the first four, the count the
// bytes after the fifth divided by the record size. Neither is present for a file shorter than
// five bytes (or one that cannot be read), the count neither for a record size of 0.
struct BookFigures {
    std::optional<int64_t> count;
    std::optional<uint32_t> version;
};
BookFigures bookFigures(Env* env, const QString& folder, const QString& name);

// Whether `name` can name a Book in the folder. A name may not be empty, hold "/", "..", a
// control character, or start with "." (it would leave the folder, or never be listed).
bool validBookName(const QString& name);

// Why a new Book was not made, and what the message names.
struct CreateBookFailure {
    enum class Why {
        None,
        BadName,     // `subject` (the name) is no valid Book name
        Exists,      // the file `subject` is there already
        WriteFailed, // the file `subject` could not be written
    };
    Why why = Why::None;
    QString subject;
    bool failed() const { return why != Why::None; }
};

// The groups dialog's new Book: NAME.idx and NAME.txt, each holding only its header, both or
// neither. Neither file is touched when either exists already.
CreateBookFailure createBook(Env* env, const QString& folder, const QString& name);

} // namespace lex
