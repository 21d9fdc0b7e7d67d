#pragma once
// A word added from outside the add dialog (Glosix's "AddTo"): the entry that dialog would have
// made for it, and the check that keeps a Book from holding the same word twice. Shared by Lexora,
// which adds it to the open Book, and Glosix, which appends it to the Book's files when no Lexora
// runs.

#include "lexora/book/book.h"

#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>

namespace lex {

class Dictionary;

// The word as an interactive add stores it (field selectors dropped, trailing " ,'-/" trimmed);
// empty when such an add would refuse it.
QString storedWordForm(QStringView typed);

// Whether the Book holds an entry whose word, stored the same way, equals `stored` exactly
// (case-sensitive: "May" and "may" are two words).
bool bookHasWord(const Book& book, QStringView stored);

// The new entry for `word` (in its stored form): the main dictionary's phonetic and explanation when it knows the word
// (`dict` may be null), the three degrees of ADDMODIFY/StrangeIndex, added and reviewed `now`.
std::unique_ptr<WordEntry> makeAddedEntry(const QString& word, const Dictionary* dict,
                                          const std::array<uint8_t, kSkillCount>& degrees, const QDateTime& now);

} // namespace lex
