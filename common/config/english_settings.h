#pragma once
// Which English parts Glosix shows under an entry, kept in Config.INI [ENGLISH] (each 1 or 0, on
// when missing): Phonetics (both accents' IPA), Senses (WordNet's), Definition (the entry's own
// 英文释义), and SensesShown, how many senses show before the rest are folded away; and
// TipExample, Lexora's word list adding one WordNet example to a tip that shows.

#include <QString>

namespace lex {

class Profile;

inline constexpr char kEnglishSection[] = "ENGLISH";
inline constexpr char kEnglishPhonetics[] = "Phonetics";
inline constexpr char kEnglishSenses[] = "Senses";
inline constexpr char kEnglishDefinition[] = "Definition";
inline constexpr char kEnglishSensesShown[] = "SensesShown";
inline constexpr char kEnglishTipExample[] = "TipExample";

struct EnglishSettings {
    bool phonetics = true;
    bool senses = true;
    bool definition = true;
    int sensesShown = 3;
    bool tipExample = true;
    friend bool operator==(const EnglishSettings&, const EnglishSettings&) = default;
};

EnglishSettings readEnglishSettings(const Profile& profile);
// Writes the four switches (SensesShown is left as the learner wrote it); false when a write failed.
bool writeEnglishSwitches(Profile& profile, const EnglishSettings& settings);

} // namespace lex
