#pragma once
// "AddTo": the word shown in Glosix joins the learner's Book. When Lexora runs, it is asked over
// the link to add the word to the Book it has open (its list shows it at once). When no Lexora
// answers the link, the word is appended to the files of the Book named in Config.INI, under that
// Book's writer lock, so that a Lexora starting at that moment waits for it and reads the Book with
// the word (addWordToBookFiles() in lexora/book/added_word.h, the one call Glosix makes into the
// Book). No window here: the window shows describe() of the result.

#include "common/dictionary/dictionary.h"
#include "common/platform/link_protocol.h"
#include "common/platform/status.h"
#include "common/platform/shared_names.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace lex {

class Clock;
class Env;
class WindowLink;
struct LinkAddReply;

struct AddToResult {
    enum class Kind {
        AddedInLexora,    // Lexora added it to its open Book
        AddedToFile,      // appended to the Book's files (bookName)
        AlreadyInLexora,  // Lexora's open Book holds it
        AlreadyInFile,    // the Book's files hold it (bookName)
        Refused,          // Lexora could not take it now (starting, ending, unreadable Book)
        NoAnswer,         // Lexora's window was found but did not answer in time
        BookInUse,        // another writer holds the Book (a Lexora that cannot be reached)
        Failed,           // the files could not be read or written (detail)
        NothingToAdd,     // no word
    };
    Kind kind = Kind::NothingToAdd;
    QString bookName;
    QString detail;
};

// Several words added in one step (the history's "添加到词库").
struct AddAllResult {
    int added = 0;     // new in the Book
    int already = 0;   // the Book held them: not added again
    // The result that stopped the step (Lexora refusing or not answering, the Book in use, a
    // failed write): the words after it were not tried.
    std::optional<AddToResult> stopped;
    QString stoppedWord;
};

class GlosixAddTo {
public:
    static inline const QString kLexoraTitle = names::kLexoraTitle;
    static constexpr int kLockWaitMs = 1000;   // lexbook or a Lexora's save may hold it briefly

    struct Deps {
        WindowLink* link = nullptr;   // null: Lexora is never asked
        Env* env = nullptr;           // Config.INI, the dictionary and the Book files; null: real files
        const Clock* clock = nullptr; // null: the system clock
        QString runtimeDir;           // where the Book locks live
        QString programFolder;        // Config.INI, Dict/, the default Book folder
    };
    explicit GlosixAddTo(Deps deps);
    ~GlosixAddTo();

    // The word as it would be added (the Book's stored form); empty when add() would refuse it.
    static QString storedForm(QStringView word);

    AddToResult add(const QString& word);
    // Each word once, in order, through add(); a word given twice is tried once.
    AddAllResult addAll(const QStringList& words);

    // The short text the window shows for a result.
    static QString describe(const AddToResult& result, const QString& word);
    static QString describe(const AddAllResult& result);

    // Lexora's dictionary (for the texts of new entries), opened at the first call; without its
    // files it knows no word.
    const Dictionary* mainDictionary();

    // Writes `words` to `path` as a text word list of `style` (1 to 3), each with the texts AddTo
    // would give it, so that the list imports as it reads; words add() would refuse are left out.
    // *written (when given) is how many were written.
    Status exportWords(const QStringList& words, const QString& path, int style, bool unicode,
                       qsizetype* written = nullptr);

private:
    AddToResult appendWithoutLexora(const QString& word);

    // The request to Lexora; the link is served meanwhile. `link` is called on a thread of its own.
    LinkAddReply askLexora(const QString& word);

    Deps deps_;
    std::unique_ptr<Dictionary> mainDict_;   // Lexora's dictionary, mapped at the first append
};

} // namespace lex
