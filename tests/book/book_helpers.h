#pragma once
// Building Book files byte by byte, and comparing Books by what the learner sees.

#include "entry_builder.h"
#include "lexora/book/book_file.h"

#include <QByteArray>
#include <QString>
#include <QtEndian>
#include <cstring>
#include <ostream>
#include <vector>

namespace booktest {

inline QByteArray u16(const QString& s)
{
    return QByteArray(reinterpret_cast<const char*>(s.utf16()), s.size() * 2);
}

inline QByteArray le32(uint32_t v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

inline const QByteArray kMarker = QByteArray::fromHex("740000ff");

// A text record in UTF-16LE: U+0000 word U+0001 explanation U+0002 phonetic U+0003 class U+0004 comment.
inline QByteArray textRecord(const QString& word, const QString& expl = {}, const QString& phon = {},
                             const QString& cls = {}, const QString& cmt = {})
{
    QString s;
    s += QChar(0); s += word;
    s += QChar(1); s += expl;
    s += QChar(2); s += phon;
    s += QChar(3); s += cls;
    s += QChar(4); s += cmt;
    return u16(s);
}

using lextest::at;

// One index record; `padding` extra bytes make a longer record size.
inline QByteArray indexRecord(uint32_t start, uint32_t end, int rec = 1, int spell = 2, int listen = 3,
                              lex::EntryTime review = at(9, 1, 2, 3, 4), lex::EntryTime added = at(8, 4, 5, 9, 7),
                              int padding = 0)
{
    lex::IndexFields f;
    f.textStart = start;
    f.textEnd = end;
    f.recognition = uint8_t(rec);
    f.spelling = uint8_t(spell);
    f.listening = uint8_t(listen);
    f.review = review;
    f.added = added;
    QByteArray b(reinterpret_cast<const char*>(&f), 21);
    b.append(QByteArray(padding, char(0xEE)));
    return b;
}

// What a Book holds, field by field (numbers and offsets left out).
struct EntryData {
    QString word, explanation, phonetic, className, comment;
    int recognition = 0, spelling = 0, listening = 0;
    lex::EntryTime review, added;
    bool operator==(const EntryData&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const EntryData& e)
{
    return os << "{" << e.word.toStdString() << " | " << e.explanation.toStdString() << " | "
              << e.phonetic.toStdString() << " | " << e.className.toStdString() << " | "
              << e.comment.toStdString() << " | " << e.recognition << e.spelling << e.listening << "}";
}

inline std::vector<EntryData> snapshot(const lex::Book& b)
{
    std::vector<EntryData> v;
    for (const lex::WordEntry* e : b.full())
        v.push_back({e->word().toString(), e->explanation().toString(), e->phonetic().toString(),
                     e->className().toString(), e->comment().toString(), e->stored.recognition,
                     e->stored.spelling, e->stored.listening, e->stored.review, e->stored.added});
    return v;
}

using lextest::entry;

// Loads path + name into a fresh Book and returns its contents.
inline std::vector<EntryData> loadFresh(const QString& path, const QString& name, lex::LoadReport* report = nullptr)
{
    lex::Book b;
    b.path = path;
    b.name = name;
    lex::LoadReport r = lex::LoadBook(b);
    if (report)
        *report = r;
    return snapshot(b);
}

} // namespace booktest
