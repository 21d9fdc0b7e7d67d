#pragma once
// Code page 936 (the Chinese "ANSI" code page of older files, dictionary keys and word lists)
// to and from UTF-16, through glibc iconv. iconv stops at a bad byte; these go on.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace lex::cp936 {

// An invalid or truncated input sequence becomes U+FFFD and decoding resumes at the next byte.
// Embedded 0x00 bytes become U+0000; nothing stops early.
QString decode(QByteArrayView bytes);
// Appends to `out` instead of returning a new string (for hot paths that reuse a buffer).
void decodeAppend(QByteArrayView bytes, QString& out);

// A character that code page 936 cannot hold becomes '?'. Embedded U+0000 is kept.
// When `lossy` is given it is set to whether any character was replaced.
QByteArray encode(QStringView text, bool* lossy = nullptr);

// True when every byte is below 0x80: such bytes are the same in code page 936 and UTF-16.
bool isAscii(QByteArrayView bytes);

} // namespace lex::cp936

namespace lex::utf8 {
// Strict UTF-8 validation (no overlongs, no surrogates, nothing above U+10FFFF).
bool isValid(QByteArrayView bytes);
} // namespace lex::utf8
