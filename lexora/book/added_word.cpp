#include "lexora/book/added_word.h"

#include "common/dictionary/dictionary.h"
#include "common/platform/env.h"
#include "lexora/book/book.h"
#include "lexora/book/book_file.h"
#include "lexora/book/book_lock.h"

#include <algorithm>

namespace lex {

QString storedWordForm(QStringView typed)
{
    const QString clean = withoutFieldSelectors(typed);
    return trimmedWord(clean).toString();
}

bool bookHasWord(const Book& book, QStringView stored)
{
    if (stored.isEmpty())
        return false;
    return std::any_of(book.full().begin(), book.full().end(),
                       [stored](const WordEntry* e) { return trimmedWord(e->word()) == stored; });
}

std::unique_ptr<WordEntry> makeAddedEntry(const QString& word, const Dictionary* dict,
                                          const std::array<uint8_t, kSkillCount>& degrees, const QDateTime& now)
{
    auto e = std::make_unique<WordEntry>();
    const QString stored = storedWordForm(word);
    e->setWord(stored);
    QString explanation, phonetic;
    if (dict && dict->LookUpWord(stored, explanation, phonetic)) {
        e->setPhonetic(phonetic);
        e->setExplanation(explanation);
    }
    e->temporary = 0;
    for (Skill s : kSkills)
        e->strangeness(degreeOf(s)) = std::min<uint8_t>(degrees[size_t(storedIndex(s))], kMaxStrangeness);
    e->stored.review = e->stored.added = toEntryTime(now);
    return e;
}

WordAddedToFiles addWordToBookFiles(Env* env, const QString& word, const WordForBookFiles& to)
{
    using Outcome = WordAddedToFiles::Outcome;
    WordAddedToFiles r;
    env = orDefault(env);
    const QString index = to.folder + to.name + QStringLiteral(".idx");
    if (!env->fileExists(index)) {
        r.outcome = Outcome::NoBook;
        r.detail = index;
        return r;
    }

    // Held until the word is in both files; a Lexora starting meanwhile waits for it.
    std::unique_ptr<FileLock> lock;
    bool busy = false;
    if (const Status st = lockBook(to.runtimeDir, to.folder, to.name, to.lockWaitMs, &lock, &busy); !st) {
        r.outcome = busy ? Outcome::InUse : Outcome::Failed;
        r.detail = st.message();
        return r;
    }

    Book book;
    const LoadReport report = inspectBook(to.folder, to.name, env, &book);
    if (!report.readError.isEmpty()) {
        r.outcome = Outcome::Unreadable;
        r.detail = index;
        return r;
    }
    if (bookHasWord(book, storedWordForm(word))) {
        r.outcome = Outcome::AlreadyInBook;
        return r;
    }

    std::unique_ptr<WordEntry> entry =
        makeAddedEntry(word, to.dictionary ? to.dictionary() : nullptr, to.degrees, to.now);
    // A Book never written (both files empty) is saved whole, so that it gets its headers: appended
    // records without them would be read as the oldest form of a Book.
    if (env->fileSize(index) == 0 && book.empty()) {
        book.path = to.folder;
        book.name = to.name;
        book.AddEntry(std::move(entry), AddMode::Interactive);
        if (const SaveResult saved = saveBook(book, env); !saved.ok()) {
            r.detail = saved.message.isEmpty() ? saved.failedPath : saved.message;
            return r;
        }
        r.outcome = Outcome::Added;
        return r;
    }
    if (const AppendFailure failure = AppendToBook({entry.get()}, to.folder, to.name, env); failure.failed()) {
        r.append = failure;
        return r;
    }
    r.outcome = Outcome::Added;
    return r;
}

} // namespace lex
