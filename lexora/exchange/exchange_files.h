#pragma once
// The file side of the import/export dialog, without its window: the strangeness values and
// paths it keeps in Config.INI, reading a chosen file for preview and import, and writing an
// export so that nothing is truncated or half-written by mistake.

#include "common/config/word_book_keys.h"
#include "common/platform/status.h"
#include "lexora/exchange/text_encoding.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace lex {

class Book;
class Env;
class Profile;
class WordEntry;

// The chooser's first path when "InFileName" / "OutFileName" is empty.
QString defaultImportPath(const QString& programFolder);
QString defaultExportPath(const QString& programFolder);

// Reads a word-list file whole into memory. Fails for a missing, empty or unreadable file and
// for anything that is not a regular file (a FIFO, a device, a folder): the dialog then says
// "无效文件". Reading copies the bytes, so a file cut short by another program meanwhile gives a
// short read, never a crash.
Status readWordListBytes(Env* env, const QString& path, QByteArray* out);

// What the dialog shows of a chosen file: as previewWordList(), except that a code page 936
// preview never ends in half a character.
WordListPreview previewImportBytes(QByteArrayView bytes);

// Why an export path is refused before anything is written.
enum class ExportTarget {
    Writable,    // a new file, or an existing regular file (the caller asks before overwriting)
    Empty,       // no path
    BookFile,    // the open Book's own NAME.idx or NAME.txt
    NotRegular,  // a folder, FIFO, device ...
};
ExportTarget checkExportTarget(Env* env, const QString& path, const Book& book);
// Whether an export to `path` would replace an existing file.
bool exportTargetExists(Env* env, const QString& path);

// Writes the entries in `style` (UTF-16 with FF FE, else code page 936) through a temporary file
// renamed over `path`, so that a failure leaves any earlier file as it was. Every step is checked.
Status writeExportFile(Env* env, const QString& path, const std::vector<const WordEntry*>& entries, int style,
                       bool unicode);

} // namespace lex
