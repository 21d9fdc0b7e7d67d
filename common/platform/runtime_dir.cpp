#include "common/platform/runtime_dir.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lex {

QString defaultRuntimeDir()
{
    const QByteArray xdg = qgetenv("XDG_RUNTIME_DIR");
    if (!xdg.isEmpty() && xdg.startsWith('/'))
        return QFile::decodeName(xdg) + QStringLiteral("/lexora");
    return QStringLiteral("/tmp/lexora-%1").arg(::geteuid());
}

Status ensureRuntimeDir(const QString& dir)
{
    const QByteArray path = QFile::encodeName(dir);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return Status::error(QStringLiteral("cannot create %1: %2").arg(dir, QString::fromLocal8Bit(std::strerror(errno))));
    struct stat st;
    if (::lstat(path.constData(), &st) != 0)
        return Status::error(QStringLiteral("cannot examine %1").arg(dir));
    if (!S_ISDIR(st.st_mode))
        return Status::error(Status::Code::Refused, QStringLiteral("%1 is not a folder").arg(dir));
    if (st.st_uid != ::geteuid())
        return Status::error(Status::Code::Refused, QStringLiteral("%1 belongs to another user").arg(dir));
    if ((st.st_mode & 077) != 0)
        return Status::error(Status::Code::Refused, QStringLiteral("%1 is open to other users").arg(dir));
    return Status::ok();
}

QString runtimeFileName(const QString& prefix, const QString& name, const QString& suffix)
{
    QString out = prefix;
    for (char c : name.toUtf8()) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
            || c == '.' || c == '-' || c == '_';
        if (plain)
            out += QLatin1Char(c);
        else
            out += QStringLiteral("%%1").arg(uint(uint8_t(c)), 2, 16, QLatin1Char('0'));
    }
    // A name made only of dots must not become "." or "..".
    if (!name.isEmpty() && name.count(QLatin1Char('.')) == name.size())
        out += QLatin1Char('_');
    return out + suffix;
}

int openRuntimeFile(const QString& path, bool create)
{
    const int flags = O_RDWR | O_CLOEXEC | O_NOFOLLOW | (create ? O_CREAT : 0);
    int fd;
    do {
        fd = ::open(QFile::encodeName(path).constData(), flags, 0600);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

} // namespace lex
