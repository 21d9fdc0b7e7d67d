#include "lexora/book/book_lock.h"

#include "common/platform/runtime_dir.h"
#include "common/platform/shared_names.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

namespace lex {

QString bookLockKey(const QString& folder, const QString& name)
{
    const QFileInfo info(folder.isEmpty() ? QStringLiteral(".") : folder);
    // Like the lock files themselves, the key is of the real file system.
    QString dir = Env::defaultEnv()->canonicalPath(info.filePath());
    if (dir.isEmpty())   // a folder that does not exist (yet): its absolute, cleaned form
        dir = QDir::cleanPath(info.absoluteFilePath());
    return dir + QLatin1Char('/') + name;
}

QString bookLockPath(const QString& runtimeDir, const QString& folder, const QString& name)
{
    const QByteArray hash = QCryptographicHash::hash(bookLockKey(folder, name).toUtf8(), QCryptographicHash::Sha1);
    return runtimeDir + QLatin1Char('/') + names::kBookLockPrefix + QString::fromLatin1(hash.toHex()) + names::kLockSuffix;
}

Status lockBook(const QString& runtimeDir, const QString& folder, const QString& name, int timeoutMs,
                std::unique_ptr<FileLock>* out, bool* heldByOther)
{
    if (heldByOther)
        *heldByOther = false;
    // The lock files live outside the Book folder, in the real file system whatever Env the
    // Book's own files go through.
    if (Status st = ensureRuntimeDir(runtimeDir); !st)
        return st;
    Env* env = Env::defaultEnv();
    const QString path = bookLockPath(runtimeDir, folder, name);
    if (Status st = env->createIfMissing(path); !st)
        return st;
    const Status st = env->lockExclusive(path, timeoutMs, out);
    if (!st && heldByOther)
        *heldByOther = st.code() == Status::Code::Busy;
    return st;
}

} // namespace lex
