#include "lexora/book/added_word.h"

#include "common/dictionary/dictionary.h"

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

} // namespace lex
