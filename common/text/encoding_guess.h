#pragma once
// Which encoding a text file without a byte-order mark is in: code page 936 (what the old
// program and Windows write) or UTF-8 (what learners on Linux mostly hold). Many short GBK texts
// are also valid UTF-8 ("学习" is D1 A7 CF B0, which UTF-8 reads as "ѧϰ"), so validity alone
// does not decide: when the bytes are valid both ways, both readings are scored as Chinese
// learner text and the likelier one wins. The decision is made once for the whole text, never
// per line or per value.

#include <QByteArrayView>
#include <QStringView>

namespace lex {

enum class UnmarkedEncoding { Cp936, Utf8 };

// The guess for `bytes`, which must not start with a byte-order mark (the caller strips or
// honours it). ASCII-only text is the same either way and gives Cp936. UTF-8 is accepted when
// only the last character is cut short (a file cut off while being copied).
UnmarkedEncoding guessUnmarkedEncoding(QByteArrayView bytes);

// How likely `text` is as a learner's Chinese/English text, as a sum of log-likelihoods per
// non-ASCII character (0 for pure ASCII, more negative for stranger text). Exposed for tests.
int chineseTextScore(QStringView text);

// The number of bytes at the end of `bytes` that begin a UTF-8 sequence without completing it,
// 0 when the end is not such a fragment.
qsizetype incompleteUtf8Tail(QByteArrayView bytes);

} // namespace lex
