#pragma once
// The phonetic font's codes. Both dictionaries keep each phonetic in them, as code page 936, the
// code page of their texts, holds almost no IPA symbol (ə, ˈ, ʃ, ŋ, ...). Lexora draws the codes in
// the phonetic font (which draws '5' as ˈ, 'E' as ə, ...); the companion shows the IPA they stand
// for in its ordinary font, in marker 4's colour.

#include <QString>
#include <QStringView>

namespace lex {

// The font's code for one IPA symbol, 0 when it has none.
char16_t phoneticCodeOf(char16_t ipa);

// The IPA a text in the font's codes stands for: every code the bundled font draws as an IPA
// symbol becomes that symbol. Characters that are no code (lower-case letters but 'g', blanks,
// punctuation, IPA itself) are kept, so a text that is IPA already comes back unchanged.
QString ipaFromPhoneticCodes(QStringView codes);

// A companion entry text as read from its file, with each marker-4 run (the phonetic) given as
// the IPA its codes stand for.
QString companionTextWithIpa(QString text);

} // namespace lex
