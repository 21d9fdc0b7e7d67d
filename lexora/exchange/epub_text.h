#pragma once
// The reading text of an e-book (.epub: a zip of XHTML pages listed by its package file), read
// from memory with bounds on everything a hostile file could inflate: the archive's members and
// their unpacked sizes, the text, the depth of the pages' elements. Nothing is run (scripts and
// styles are left out), nothing is fetched (a link with a scheme is not followed), and nothing
// outside the archive is named (a member or a link that climbs out of it refuses the book).

#include "common/platform/status.h"

#include <QByteArrayView>
#include <QString>

namespace lex {

inline constexpr qint64 kMaxEpubUnpackedBytes = 256 * 1024 * 1024;   // all members read, unpacked
inline constexpr qsizetype kMaxEpubTextChars = 32 * 1024 * 1024;
inline constexpr int kMaxEpubDepth = 1000;                            // nested elements of a page
inline constexpr int kMaxEpubMembers = 20000;

// The pages' text in the book's reading order, a blank line after each block (paragraph,
// heading, list item), or why the book cannot be read (Status::Code::Damaged or Refused).
Status epubText(QByteArrayView zip, QString* text);

} // namespace lex
