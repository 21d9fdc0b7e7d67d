#pragma once
// The one way tests make a WordEntry: texts, a recognition degree and fixed time stamps.

#include "lexora/book/word_entry.h"

#include <QString>
#include <memory>

namespace lextest {

inline lex::EntryTime at(int y, int mo, int d, int h, int mi)
{
    return lex::EntryTime{uint8_t(y), uint8_t(mo), uint8_t(d), uint8_t(h), uint8_t(mi)};
}

inline std::unique_ptr<lex::WordEntry> entry(const QString& word, const QString& expl = {},
                                             const QString& phon = {}, const QString& cls = {},
                                             const QString& cmt = {}, int rec = 0)
{
    auto e = std::make_unique<lex::WordEntry>();
    e->setWord(word);
    e->setExplanation(expl);
    e->setPhonetic(phon);
    e->setClassName(cls);
    e->setComment(cmt);
    e->stored.recognition = uint8_t(rec);
    e->stored.added = at(8, 4, 5, 9, 7);
    e->stored.review = at(9, 1, 1, 0, 0);
    return e;
}

} // namespace lextest
