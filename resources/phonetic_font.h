#pragma once
// The phonetic font. Word lists store phonetics in the codes of an old phonetic font ("5iN^liF"
// reads ˈiŋɡliʃ). When that font file sits in the program folder it is installed into the user's
// fonts folder and used; otherwise Lexora's own font with the same codes is used.

#include <QFont>
#include <QString>

namespace lex::res {

inline constexpr char kProprietaryPhoneticFile[] = "Ksphonet.ttf";
inline constexpr char kProprietaryPhoneticFamily[] = "Kingsoft Phonetic Plain";
inline constexpr char kOwnPhoneticFamily[] = "Lexora Phonetic";

struct PhoneticFontResult {
    QString family;           // the family to use
    bool installed = false;   // the file was copied into the fonts folder just now
};

// The copy step: when `programFolder` holds "Ksphonet.ttf" and `fontsFolder` has none, copies it
// there. Returns the path to load ("" when the program folder has no such file) and sets
// *copied when a copy was made. An existing file in the fonts folder is never overwritten.
QString installProprietaryPhoneticFont(const QString& programFolder, const QString& fontsFolder, bool* copied);

// Loads the phonetic font for this process (needs a QGuiApplication). `programFolder` is where
// "Ksphonet.ttf" may be; `userFontsFolder` defaults to ~/.local/share/fonts. An existing file in
// the fonts folder is never overwritten. Calling it again loads nothing new.
PhoneticFontResult loadPhoneticFont(const QString& programFolder, const QString& userFontsFolder = {});

// The family loaded by loadPhoneticFont(); loads Lexora's own font when nothing was loaded yet.
QString phoneticFontFamily();

// The phonetic font at a pixel height; characters it lacks (Chinese) come from the CJK fallback.
QFont phoneticFont(int pixelHeight);

} // namespace lex::res
