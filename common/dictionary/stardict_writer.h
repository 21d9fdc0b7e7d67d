#pragma once
// Writes StarDict dictionaries: the files for tests, benchmarks and fuzzing seeds, and the 64-bit
// offset form that Debian's tools do not write.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace lex {

struct StarDictSource {
    struct Entry {
        QString word;
        QByteArray data;              // the stored bytes: fields as the .ifo's sametypesequence says
        QStringList synonyms;
    };
    std::vector<Entry> entries;       // any order: sorted on writing
    QString bookname = QStringLiteral("Test");
    QByteArray sametypesequence = "m"; // empty: each entry's data carries its field types
    bool offsets64 = false;
    bool dictzip = false;
    int chunkLength = 58315;          // dictzip's own default
};

struct StarDictFiles {
    QByteArray ifo, idx, syn, dict; // dict is compressed when the source asked for dictzip
};

StarDictFiles writeStarDict(const StarDictSource& source);

// `data` compressed as dictzip does: fixed-size chunks, each flushed so it inflates on its own.
QByteArray dictzipCompress(const QByteArray& data, int chunkLength = 58315);

} // namespace lex
