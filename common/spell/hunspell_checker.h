#pragma once
// The English-word checker of the spelling grade: the en_US and en_GB Hunspell dictionaries, a
// word being English when either accepts it (so both national spellings are words).

#include "lexora/practice/spelling_grade.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace lex {

// The variable that names the folders of the Hunspell dictionaries instead of the system's: a
// ':'-separated list; set but empty, there are none. Tests set it, so that what the machine has
// installed never changes their results.
inline constexpr char kHunspellPathVariable[] = "LEXORA_HUNSPELL_PATH";
// Where Debian's hunspell-en-us and hunspell-en-gb put them.
QStringList systemHunspellFolders();
// Where the dictionaries are looked for: those kHunspellPathVariable names, else the system's.
QStringList defaultHunspellFolders();

// Opens en_US and en_GB from the first folder of `folders` that has them (each .aff with its
// .dic). Null, with *message saying what is missing, when neither was found: the grade is then
// right or wrong only.
std::unique_ptr<WordChecker> openHunspellChecker(const QStringList& folders, QString* message);

} // namespace lex
