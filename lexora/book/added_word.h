#pragma once
// A word added from outside the add dialog (Glosix's "AddTo"): the entry that dialog would have
// made for it, and the check that keeps a Book from holding the same word twice. Shared by Lexora,
// which adds it to the open Book, and Glosix, which appends it to the Book's files when no Lexora
// runs. Glosix reaches the Book through this header alone.

#include "lexora/book/book_file.h"

#include <QDateTime>
#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

namespace lex {

class Book;
class Dictionary;
class Env;
class WordEntry;

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

// Where and how addWordToBookFiles() adds a word.
struct WordForBookFiles {
    QString folder;       // the Book's folder, ending in '/'
    QString name;         // the Book's name
    QString runtimeDir;   // where the Book's writer lock lives
    int lockWaitMs = 0;   // how long another writer may hold it
    // Lexora's dictionary for the new entry's texts, asked only when an entry is made; may give null.
    std::function<const Dictionary*()> dictionary;
    std::array<uint8_t, 3> degrees{};   // ADDMODIFY/StrangeIndex
    QDateTime now;                      // the entry's added and review time
};

struct WordAddedToFiles {
    enum class Outcome {
        Added,
        AlreadyInBook,   // an entry holds the word already: nothing written
        NoBook,          // no index file (detail: its path)
        Unreadable,      // the Book cannot be read (detail: the index file's path)
        InUse,           // another writer kept the lock past the wait (detail: the lock's words)
        Failed,          // the lock or a write failed (detail: what the file layer says), or the
                         // append failed (`append` says why)
    };
    Outcome outcome = Outcome::Failed;
    QString detail;
    AppendFailure append;
};

// Adds `word` to a Book no program has open: under the Book's writer lock, only when no entry
// holds it yet, as makeAddedEntry() makes it. A Book never written (both files empty) is saved
// whole so that it gets its headers; otherwise the entry is appended to its files.
WordAddedToFiles addWordToBookFiles(Env* env, const QString& word, const WordForBookFiles& to);

} // namespace lex
