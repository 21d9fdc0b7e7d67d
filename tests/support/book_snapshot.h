#pragma once
// The one way tests compare whole Books: everything each entry holds, one line per entry in Book
// order, so a failed comparison shows the entries that differ.

#include "lexora/book/book.h"

#include <QStringList>
#include <string>

namespace lextest {

// `inMemory` adds what is never saved (the numbers, which a load gives afresh, and the temporary
// degree), for comparing a Book with itself rather than with what a load reads back.
inline std::string snapshot(const lex::Book& b, bool inMemory = true)
{
    QStringList out;
    for (const lex::WordEntry* e : b.full()) {
        QString line = QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8|%9")
                           .arg(inMemory ? e->seq : 0)
                           .arg(e->word(), e->phonetic(), e->explanation(), e->comment(), e->className())
                           .arg(e->stored.recognition)
                           .arg(e->stored.spelling)
                           .arg(e->stored.listening);
        line += QLatin1Char('|') + e->stored.review.toText() + QLatin1Char('|') + e->stored.added.toText();
        if (inMemory)
            line += QStringLiteral("|t%1").arg(e->temporary);
        out << line;
    }
    return out.join(QLatin1Char('\n')).toStdString();
}

} // namespace lextest
