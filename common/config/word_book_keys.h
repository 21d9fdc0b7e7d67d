#pragma once
// The word-book keys of Config.INI that both programs read: where the Book is (INIT/BookPath,
// BookName) and the degrees a new entry starts with (ADDMODIFY/StrangeIndex). Lexora asks its
// questions about a missing folder or Book itself; these only read what is stored.

#include "common/config/profile.h"

#include <QString>
#include <array>
#include <cstdint>

namespace lex {

// A path from Config.INI in our form: '/' separators, ending in '/' (empty stays empty).
QString folderFromConfig(const QString& value);

// The recognition, spelling and listening degrees new entries start with, kept for each way in
// as SECTION/StrangeIndex: ADDMODIFY (the add dialog, Glosix's AddTo), IMPORTEXPORT (imports).
using StrangeIndex = std::array<uint8_t, 3>;
// 10, 10, 10 when `profile` is null or the key missing, unreadable or holding a byte above 10
// (the checksum does not vouch for the range).
StrangeIndex readStrangeIndex(const Profile* profile, QLatin1String section);
bool writeStrangeIndex(Profile* profile, QLatin1String section, const StrangeIndex& values);

// REVIEW/DesiredRetention, 0.70 to 0.99; 0.9 when `profile` is null or the key missing.
double readDesiredRetention(const Profile* profile);
bool writeDesiredRetention(Profile* profile, double retention);

} // namespace lex
