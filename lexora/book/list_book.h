#pragma once
// A new word book made from words chosen elsewhere (the dictionary's word lists): each entry as
// the add dialog would make it, in the order given, and the words of an existing Book for a list
// expression's book: term.

#include "common/dictionary/word_lists.h"
#include "lexora/book/book_folder.h"
#include "lexora/book/skills.h"

#include <QDateTime>
#include <QStringList>
#include <array>

namespace lex {

class Dictionary;

struct NewBookFromWords {
    QString folder;  // ending in '/'
    QString name;
    QStringList words;                        // in Book order
    const Dictionary* dict = nullptr;         // the phonetics and explanations (may be null)
    std::array<uint8_t, kSkillCount> degrees{10, 10, 10}; // recognition, spelling, listening
    QDateTime now;                            // the entries' added and review time
};

// Makes folder/name.idx and .txt holding the words, both or neither: nothing is written when the
// name is no Book name or either file exists. Words the add dialog would refuse, and repeats, are
// left out; *added (optional) gets the count of entries written.
CreateBookFailure makeBookFromWords(Env* env, const NewBookFromWords& request, int* added = nullptr);

// The words of the Book PATH/STEM ("Book/English"; a relative path from the current folder):
// MissingBook without its index file, UnreadableBook when it cannot be read. Reads, never writes.
ListExprError::Why readBookWords(Env* env, const QString& pathStem, QStringList* words);

} // namespace lex
