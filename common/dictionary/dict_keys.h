#pragma once
// Key order of the two dictionary variants, shared by the reader and the builder so that a built
// file ascends in exactly the order the look-up compares in.

#include "common/dictionary/dictionary.h"

#include <QString>
#include <QStringView>
#include <cstddef>

namespace lex::dictkeys {

inline char16_t foldAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }

// <0, 0, >0. Main: UTF-16 code units as unsigned numbers, a prefix first. Companion: the same
// after folding only 'A'..'Z' to 'a'..'z' on both sides.
int compare(DictVariant v, QStringView a, QStringView b);

// Compares a stored key (code page 936 bytes) with a query, with the result compare() gives for
// the key's conversion. Keys whose bytes decide the result while still ASCII need no conversion;
// the others are converted into `scratch`, which keeps its capacity between calls.
int compareStored(DictVariant v, const unsigned char* key, size_t len, QStringView query, QString& scratch);

} // namespace lex::dictkeys
