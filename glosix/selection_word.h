#pragma once
// The word in a text the learner selected or copied in another program. Pure, so that the rules
// are tested (and fuzzed) without a clipboard.
//
// A word is a run of Latin letters, with hyphens and apostrophes inside it ("well-known",
// "don't"); what surrounds it (spaces, quotes, a full stop) is not part of it.

#include <QString>
#include <QStringView>

namespace lex {

// `Glosix --selection`: the first word of the selection; empty when the selection holds none
// within its first kSelectionScan characters.
QString wordInSelection(QStringView text);
inline constexpr qsizetype kSelectionScan = 200;

// The clipboard watch: the copied text when it is one English word and nothing more (long texts,
// sentences and our own copies are not looked up); otherwise empty.
QString copiedWord(QStringView text, bool ownCopy);
inline constexpr qsizetype kCopiedWordMax = 40;

} // namespace lex
