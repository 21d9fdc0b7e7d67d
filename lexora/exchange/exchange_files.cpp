#include "lexora/exchange/exchange_files.h"

#include "common/config/config_keys.h"
#include "common/config/profile.h"
#include "common/platform/env.h"
#include "common/text/codepage.h"
#include "lexora/book/book.h"
#include "lexora/exchange/text_format.h"

#include <QFileInfo>

namespace lex {
namespace {

constexpr uint8_t kDefaultStrangeness = 10;
constexpr qsizetype kPreviewBytes = 200;
const QString kPreviewTail = QStringLiteral("\r\n...\r\n..\r\n.");

// The canonical form of a path that may not exist yet: its folder resolved, its name kept.
QString canonicalTarget(Env* env, const QString& path)
{
    const QFileInfo info(path);
    const QString whole = env->canonicalPath(path);
    if (!whole.isEmpty())
        return whole;
    const QString dir = env->canonicalPath(info.absolutePath());
    return (dir.isEmpty() ? info.absolutePath() : dir) + QLatin1Char('/') + info.fileName();
}

} // namespace

QString defaultImportPath(const QString& programFolder) { return programFolder + QStringLiteral("/Tomehold/*"); }
QString defaultExportPath(const QString& programFolder)
{
    return programFolder + QStringLiteral("/Tomehold/Lexora.txt");
}

Status readWordListBytes(Env* env, const QString& path, QByteArray* out)
{
    if (path.isEmpty() || !env->isRegularFile(path))
        return Status::error(Status::Code::Refused, QStringLiteral("not a regular file: ") + path);
    QByteArray bytes;
    const Status s = env->readFile(path, &bytes);
    if (!s)
        return s;
    if (bytes.isEmpty())
        return Status::error(Status::Code::Refused, QStringLiteral("empty file: ") + path);
    *out = std::move(bytes);
    return Status::ok();
}

WordListPreview previewImportBytes(QByteArrayView bytes)
{
    WordListPreview p = previewWordList(bytes);
    if (p.encoding == TextEncoding::Cp936 && bytes.size() > kPreviewBytes) {
        // Where characters begin depends on every byte before (an invalid pair is read as one
        // replaced byte and the next byte starts afresh), so the decoder itself says whether the
        // last byte before the cut starts a character that the cut splits.
        QString head = cp936::decode(bytes.first(kPreviewBytes));
        if (!cp936::decode(bytes.first(kPreviewBytes + 1)).startsWith(head))
            head = cp936::decode(bytes.first(kPreviewBytes - 1));
        p.text = head + kPreviewTail;
    }
    return p;
}

ExportTarget checkExportTarget(Env* env, const QString& path, const Book& book)
{
    if (path.trimmed().isEmpty())
        return ExportTarget::Empty;
    const QString target = canonicalTarget(env, path);
    for (const QString& own : {book.indexPath(), book.textPath()})
        if (!book.name.isEmpty() && canonicalTarget(env, own) == target)
            return ExportTarget::BookFile;
    if (env->fileExists(path) && !env->isRegularFile(path))
        return ExportTarget::NotRegular;
    return ExportTarget::Writable;
}

bool exportTargetExists(Env* env, const QString& path) { return env->fileExists(path); }

Status writeExportFile(Env* env, const QString& path, const std::vector<const WordEntry*>& entries, int style,
                       bool unicode)
{
    const QByteArray bytes =
        exportWordListBytes(entries, style, unicode ? TextEncoding::Utf16 : TextEncoding::Cp936);
    return writeFileAtomically(env, path, bytes);
}

} // namespace lex
