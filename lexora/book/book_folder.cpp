#include "lexora/book/book_folder.h"

#include "lexora/book/book_file.h"

#include <QtEndian>
#include <algorithm>

namespace lex {

QStringList listBooks(Env* env, const QString& folder)
{
    QStringList names;
    for (const QString& file : env->listFiles(folder)) {
        if (file.startsWith(QLatin1Char('.')))
            continue;
        const qsizetype dot = file.lastIndexOf(QLatin1Char('.'));
        if (dot <= 0)
            continue;
        if (QStringView(file).mid(dot + 1).compare(QLatin1String("idx"), Qt::CaseInsensitive) == 0)
            names << file.left(dot);
    }
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

BookFigures bookFigures(Env* env, const QString& folder, const QString& name)
{
    BookFigures f;
    const QString path = folder + name + QStringLiteral(".idx");
    const qint64 length = env->fileSize(path);
    // Both figures come from the first five bytes: a shorter file shows neither.
    if (length < 5)
        return f;
    std::unique_ptr<SequentialFile> file;
    if (!env->newSequentialFile(path, &file))
        return f;
    char head[5] = {};
    qsizetype got = 0, total = 0;
    while (total < 5 && file->read(head + total, 5 - total, &got) && got > 0)
        total += got;
    if (total < 5)
        return f;
    // Read as a header whatever the file holds: an older index without one shows what its first
    // record's bytes make.
    f.version = qFromLittleEndian<uint32_t>(head) & 0xFFFFFF;
    const int recordSize = uint8_t(head[4]);
    if (recordSize > 0)
        f.count = (length - 5) / recordSize;
    return f;
}

bool validBookName(const QString& name)
{
    bool bad = name.isEmpty() || name.startsWith(QLatin1Char('.')) || name.contains(QLatin1Char('/'))
               || name.contains(QStringLiteral(".."));
    for (QChar c : name)
        bad = bad || c.unicode() < 0x20 || c.unicode() == 0x7F;
    return !bad;
}

CreateBookFailure createBook(Env* env, const QString& folder, const QString& name)
{
    using Why = CreateBookFailure::Why;
    if (!validBookName(name))
        return {Why::BadName, name};
    const QString idx = folder + name + QStringLiteral(".idx");
    const QString txt = folder + name + QStringLiteral(".txt");
    // Both names are checked first: a stray NAME.txt is never adopted (and later overwritten).
    for (const QString& path : {idx, txt})
        if (env->fileExists(path))
            return {Why::Exists, path};

    QByteArray header(4, '\0');
    qToLittleEndian<uint32_t>(kBookMarker, header.data());
    if (!writeFileAtomically(env, idx, header + char(kIndexRecordSize)))
        return {Why::WriteFailed, idx};
    if (!writeFileAtomically(env, txt, header)) {
        env->removeFile(idx);
        return {Why::WriteFailed, txt};
    }
    return {};
}

} // namespace lex
