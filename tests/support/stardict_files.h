#pragma once
// A small StarDict dictionary written into a test folder: STEM.ifo, .idx and .dict, each word's
// entry the text "WORD in NAME".

#include "temp_dir.h"

#include "common/dictionary/stardict_writer.h"

#include <QDir>
#include <QFileInfo>

namespace lextest {

// Returns the path of the .ifo; `stem` is relative to the folder and may name sub-folders.
inline QString writeStarDictFiles(const TempDir& dir, const QString& stem, const QString& name,
                                  const QStringList& words)
{
    lex::StarDictSource src;
    src.bookname = name;
    for (const QString& w : words)
        src.entries.push_back({w, (w + QStringLiteral(" in ") + name).toUtf8(), {}});
    const lex::StarDictFiles files = lex::writeStarDict(src);
    QDir().mkpath(QFileInfo(dir.path(stem)).path());
    dir.write(stem + QStringLiteral(".ifo"), files.ifo);
    dir.write(stem + QStringLiteral(".idx"), files.idx);
    dir.write(stem + QStringLiteral(".dict"), files.dict);
    return dir.path(stem + QStringLiteral(".ifo"));
}

} // namespace lextest
