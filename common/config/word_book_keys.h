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

// The recognition, spelling and listening degrees of ADDMODIFY/StrangeIndex; 10, 10, 10 when
// missing, unreadable or holding a byte above 10.
std::array<uint8_t, 3> readAddStrangeIndex(const Profile* profile);

} // namespace lex
