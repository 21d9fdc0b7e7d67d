#pragma once
// The encodings of text word lists: UTF-16 LE (recognised by FF FE), code page 936 (everything
// else in the old program's world), and UTF-8, which learners on Linux mostly hold: a file that
// starts with EF BB BF is UTF-8; a file without a mark is UTF-8 only when the whole text is valid
// UTF-8 and reads as likelier Chinese text that way than as GBK (see common/text/encoding_guess.h),
// so that short GBK lists that happen to be valid UTF-8 stay GBK.

#include "common/platform/env.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace lex {

enum class TextEncoding {
    Auto,   // reading only: decide from the bytes
    Utf16,  // UTF-16 little-endian, written with FF FE
    Cp936,  // the ANSI code page of the old files (GBK)
    Utf8,   // written with EF BB BF
};

// The encoding a reader should use for `bytes` (never Auto).
TextEncoding detectEncoding(QByteArrayView bytes);

// Decodes a whole word-list file. With Auto the encoding is detected; a byte-order mark of the
// encoding used is never part of the text. UTF-16: an odd last byte is dropped. Code page 936 and
// UTF-8: an invalid sequence becomes U+FFFD. `used`, when given, receives the encoding applied.
QString decodeWordList(QByteArrayView bytes, TextEncoding encoding = TextEncoding::Auto,
                       TextEncoding* used = nullptr);

// Whether decoded word-list text is text at all, so that a picture or an archive is refused before
// anything is added. Not text: a zero character before the end (zero characters ending the file
// are allowed), or undecodable units (U+FFFD, a lone surrogate, a control character other than
// TAB, LF, VT, FF, CR and the end-of-file mark 1A) four in a row or over an eighth of the text.
bool isWordListText(QStringView text);

// Encodes text for an exported file: UTF-16 and UTF-8 with their marks, code page 936 without;
// a character that code page 936 cannot hold becomes '?' and sets `lossy`.
QByteArray encodeWordList(QStringView text, TextEncoding encoding, bool* lossy = nullptr);

// Reads and decodes a word-list file. Fails for a missing, unreadable or empty file and for one
// that isWordListText refuses (the dialog says "无效文件"); nothing is parsed then.
Status readWordListFile(Env* env, const QString& path, TextEncoding encoding, QString* text,
                        TextEncoding* used = nullptr);

// What the import dialog shows of a chosen file: the line count (CR LF pairs + 1) and the first
// 200 characters (UTF-16, UTF-8) or bytes (code page 936), followed by three short dot lines.
struct WordListPreview {
    int lineCount = 0;
    QString text;
    TextEncoding encoding = TextEncoding::Cp936;
};
WordListPreview previewWordList(QByteArrayView bytes);

// Parses "auto", "utf16", "gbk" (or "cp936"), "utf8"; false for anything else.
bool parseTextEncoding(QStringView name, TextEncoding* out);

} // namespace lex
