#pragma once
// Glosix's "AddTo" arriving in Lexora: the word is added to the open Book as the add dialog adds
// a typed word, unless the Book already holds it.

#include "common/platform/link_protocol.h"

#include <QString>
#include <functional>
#include <memory>

namespace lex {

class BookSession;
class Clock;
class Dictionary;
class Profile;
class WordEntry;

// The add dialog's own entry point (the window passes its undo history's add): the new row, or -1.
using AddEntryFn = std::function<int(std::unique_ptr<WordEntry>)>;

// Adds `word` with the main dictionary's phonetic and explanation and the degrees of
// ADDMODIFY/StrangeIndex (`profile` may be null: 10, 10, 10), through `add`, so the step can be
// undone and the list shows the new last row at once. AlreadyInBook when the Book holds the word (compared as
// stored); Refused when the word is empty once trimmed, or the Book could not be read at its load
// (its files are not ours to add to).
LinkAddOutcome addCompanionWord(const BookSession& session, const AddEntryFn& add, const Dictionary* dict,
                                const Profile* profile, const Clock& clock, const QString& word);

} // namespace lex
