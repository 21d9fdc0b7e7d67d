#pragma once
// The English-word checker of the spelling grade: the en_US and en_GB Hunspell dictionaries, a
// word being English when either accepts it (so both national spellings are words).

#include "lexora/practice/spelling_grade.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace lex {

// Where the dictionaries are looked for when the caller names no folder: the system's.
QStringList defaultHunspellFolders();

// Opens en_US and en_GB from the first folder of `folders` that has them (each .aff with its
// .dic). Null, with *message saying what is missing, when neither was found: the grade is then
// right or wrong only.
std::unique_ptr<WordChecker> openHunspellChecker(const QStringList& folders, QString* message);

} // namespace lex
