#include "common/platform/env.h"
#include "common/platform/huge_pages.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>

namespace lex {
namespace {

Status::Code codeOf(int err)
{
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return Status::Code::NotFound;
    case EWOULDBLOCK:
        return Status::Code::Busy;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case EFBIG:
        return Status::Code::Refused;
    default:
        return Status::Code::IO;
    }
}

Status posixError(const QString& what, const QString& path, int err)
{
    return Status::error(codeOf(err),
                         QStringLiteral("%1 %2: %3").arg(what, path, QString::fromLocal8Bit(strerror(err))));
}

QByteArray native(const QString& path) { return path.toLocal8Bit(); }

class PosixWritableFile final : public WritableFile {
public:
    PosixWritableFile(int fd, QString path) : fd_(fd), path_(std::move(path)) {}
    ~PosixWritableFile() override { close(); }

    Status append(QByteArrayView data) override
    {
        const char* p = data.data();
        qsizetype left = data.size();
        while (left > 0) {
            ssize_t n = ::write(fd_, p, size_t(left));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return posixError(QStringLiteral("write"), path_, errno);
            }
            p += n;
            left -= n;
        }
        return Status::ok();
    }
    Status sync() override
    {
        if (::fsync(fd_) != 0)
            return posixError(QStringLiteral("fsync"), path_, errno);
        return Status::ok();
    }
    Status close() override
    {
        if (fd_ < 0)
            return Status::ok();
        int rc = ::close(fd_);
        fd_ = -1;
        if (rc != 0)
            return posixError(QStringLiteral("close"), path_, errno);
        return Status::ok();
    }

private:
    int fd_;
    QString path_;
};

class PosixSequentialFile final : public SequentialFile {
public:
    PosixSequentialFile(int fd, QString path) : fd_(fd), path_(std::move(path)) {}
    ~PosixSequentialFile() override { ::close(fd_); }

    Status read(char* scratch, qsizetype n, qsizetype* got) override
    {
        for (;;) {
            const ssize_t r = ::read(fd_, scratch, size_t(n));
            if (r >= 0) {
                *got = r;
                return Status::ok();
            }
            if (errno != EINTR)
                return posixError(QStringLiteral("read"), path_, errno);
        }
    }

private:
    int fd_;
    QString path_;
};

// Hands out a file read whole beforehand (the default for Envs that keep files elsewhere).
class MemorySequentialFile final : public SequentialFile {
public:
    explicit MemorySequentialFile(QByteArray bytes) : bytes_(std::move(bytes)) {}
    Status read(char* scratch, qsizetype n, qsizetype* got) override
    {
        *got = std::min(n, bytes_.size() - pos_);
        std::memcpy(scratch, bytes_.constData() + pos_, size_t(*got));
        pos_ += *got;
        return Status::ok();
    }

private:
    QByteArray bytes_;
    qsizetype pos_ = 0;
};

class PosixRegion final : public ReadOnlyRegion {
public:
    PosixRegion(const unsigned char* data, qint64 size) : data_(data), size_(size) {}
    ~PosixRegion() override
    {
        if (data_)
            ::munmap(const_cast<unsigned char*>(data_), size_t(size_));
    }
    PosixRegion(const PosixRegion&) = delete;
    PosixRegion& operator=(const PosixRegion&) = delete;
    const unsigned char* data() const override { return data_; }
    qint64 size() const override { return size_; }

private:
    const unsigned char* data_;
    qint64 size_;
};

class BytesRegion final : public ReadOnlyRegion {
public:
    explicit BytesRegion(QByteArray bytes) : bytes_(std::move(bytes)) {}
    const unsigned char* data() const override { return reinterpret_cast<const unsigned char*>(bytes_.constData()); }
    qint64 size() const override { return bytes_.size(); }

private:
    QByteArray bytes_;
};

class PosixFileLock final : public FileLock {
public:
    explicit PosixFileLock(int fd) : fd_(fd) {}
    ~PosixFileLock() override { ::close(fd_); } // closing the last descriptor releases the lock
    PosixFileLock(const PosixFileLock&) = delete;
    PosixFileLock& operator=(const PosixFileLock&) = delete;

private:
    int fd_;
};

class PosixEnv final : public Env {
public:
    bool fileExists(const QString& path) override { return ::access(native(path).constData(), F_OK) == 0; }

    qint64 fileSize(const QString& path) override
    {
        struct stat st;
        if (::stat(native(path).constData(), &st) != 0)
            return -1;
        return st.st_size;
    }

    bool isRegularFile(const QString& path) override
    {
        struct stat st;
        return ::stat(native(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
    }

    bool isDir(const QString& path) override
    {
        struct stat st;
        return ::stat(native(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
    }

    QString canonicalPath(const QString& path) override { return QFileInfo(path).canonicalFilePath(); }

    Status mapReadOnly(const QString& path, std::unique_ptr<ReadOnlyRegion>* out) override
    {
        // Non-blocking for the same reason as readFile(): a FIFO is refused, not waited on.
        const int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            return posixError(QStringLiteral("open"), path, errno);
        struct stat st;
        if (::fstat(fd, &st) != 0) {
            const int e = errno;
            ::close(fd);
            return posixError(QStringLiteral("stat"), path, e);
        }
        if (!S_ISREG(st.st_mode)) {
            ::close(fd);
            return Status::error(Status::Code::Refused, QStringLiteral("not a regular file: %1").arg(path));
        }
        const qint64 size = st.st_size;
        void* p = nullptr;
        if (size > 0) {
            p = ::mmap(nullptr, size_t(size), PROT_READ, MAP_PRIVATE, fd, 0);
            if (p == MAP_FAILED) {
                const int e = errno;
                ::close(fd);
                return posixError(QStringLiteral("mmap"), path, e);
            }
        }
        ::close(fd); // the mapping stays valid without the descriptor
        *out = std::make_unique<PosixRegion>(static_cast<const unsigned char*>(p), size);
        return Status::ok();
    }

    Status readFile(const QString& path, QByteArray* out) override
    {
        // Non-blocking, so that opening a FIFO returns at once; it is refused below.
        int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            return posixError(QStringLiteral("open"), path, errno);
        struct stat st;
        if (::fstat(fd, &st) != 0) {
            int e = errno;
            ::close(fd);
            return posixError(QStringLiteral("stat"), path, e);
        }
        if (!S_ISREG(st.st_mode)) {
            ::close(fd);
            return Status::error(Status::Code::Refused, QStringLiteral("not a regular file: %1").arg(path));
        }
        QByteArray buf(qsizetype(st.st_size), Qt::Uninitialized);
        adviseHugePages(buf.data(), size_t(buf.size()));
        qsizetype got = 0;
        while (got < buf.size()) {
            ssize_t n = ::read(fd, buf.data() + got, size_t(buf.size() - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += n;
        }
        ::close(fd);
        if (got != buf.size())
            return Status::error(QStringLiteral("short read %1").arg(path));
        *out = std::move(buf);
        return Status::ok();
    }

    Status newSequentialFile(const QString& path, std::unique_ptr<SequentialFile>* out) override
    {
        const int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return posixError(QStringLiteral("open"), path, errno);
        *out = std::make_unique<PosixSequentialFile>(fd, path);
        return Status::ok();
    }

    Status createIfMissing(const QString& path) override
    {
        int fd = ::open(native(path).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0)
            return posixError(QStringLiteral("create"), path, errno);
        ::close(fd);
        return Status::ok();
    }

    Status newWritableFile(const QString& path, std::unique_ptr<WritableFile>* out) override
    {
        int fd = ::open(native(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0)
            return posixError(QStringLiteral("open"), path, errno);
        *out = std::make_unique<PosixWritableFile>(fd, path);
        return Status::ok();
    }

    Status newAppendableFile(const QString& path, std::unique_ptr<WritableFile>* out) override
    {
        int fd = ::open(native(path).constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
        if (fd < 0)
            return posixError(QStringLiteral("open"), path, errno);
        *out = std::make_unique<PosixWritableFile>(fd, path);
        return Status::ok();
    }

    Status renameFile(const QString& from, const QString& to) override
    {
        if (::rename(native(from).constData(), native(to).constData()) != 0)
            return posixError(QStringLiteral("rename"), from, errno);
        return Status::ok();
    }

    Status removeFile(const QString& path) override
    {
        if (::unlink(native(path).constData()) != 0)
            return posixError(QStringLiteral("remove"), path, errno);
        return Status::ok();
    }

    Status syncDir(const QString& dir) override
    {
        int fd = ::open(native(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return posixError(QStringLiteral("open"), dir, errno);
        int rc = ::fsync(fd);
        int e = errno;
        ::close(fd);
        if (rc != 0)
            return posixError(QStringLiteral("fsync"), dir, e);
        return Status::ok();
    }

    Status createDir(const QString& path) override
    {
        if (::mkdir(native(path).constData(), 0755) != 0 && errno != EEXIST)
            return posixError(QStringLiteral("mkdir"), path, errno);
        return Status::ok();
    }

    Status lockExclusive(const QString& path, int timeoutMs, std::unique_ptr<FileLock>* out) override
    {
        // Read-only opening works for folders and needs no write permission.
        const int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return posixError(QStringLiteral("open"), path, errno);
        // Polling keeps the wait bounded; flock itself has no time-out.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(0, timeoutMs));
        for (;;) {
            if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
                *out = std::make_unique<PosixFileLock>(fd);
                return Status::ok();
            }
            const int e = errno;
            if (e == EINTR)
                continue;
            if (e != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
                ::close(fd);
                return e == EWOULDBLOCK ? Status::error(Status::Code::Busy,
                                                        QStringLiteral("timed out waiting for the lock on ") + path)
                                        : posixError(QStringLiteral("flock"), path, e);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
};

} // namespace

Status Env::lockExclusive(const QString&, int, std::unique_ptr<FileLock>* out)
{
    *out = std::make_unique<FileLock>();
    return Status::ok();
}

Status Env::newSequentialFile(const QString& path, std::unique_ptr<SequentialFile>* out)
{
    QByteArray bytes;
    const Status st = readFile(path, &bytes);
    if (st)
        *out = std::make_unique<MemorySequentialFile>(std::move(bytes));
    return st;
}

Status Env::mapReadOnly(const QString& path, std::unique_ptr<ReadOnlyRegion>* out)
{
    QByteArray bytes;
    const Status st = readFile(path, &bytes);
    if (st)
        *out = std::make_unique<BytesRegion>(std::move(bytes));
    return st;
}

QString Env::canonicalPath(const QString& path)
{
    return fileExists(path) ? QDir::cleanPath(path) : QString();
}

Env* Env::defaultEnv()
{
    static PosixEnv env;
    return &env;
}

QString parentDir(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QStringLiteral(".");
    if (slash == 0)
        return QStringLiteral("/");
    return path.left(slash);
}

QStringList Env::listFiles(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::NoDotAndDotDot);
}

QStringList Env::listFolders(const QString& folder)
{
    return QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
}

Status createDirs(Env* env, const QString& folder)
{
    QStringList missing;
    for (QString f = folder; !f.isEmpty() && f != QLatin1String(".") && !env->fileExists(f); f = parentDir(f)) {
        missing.prepend(f);
        if (parentDir(f) == f)
            break;
    }
    for (const QString& f : missing) {
        const Status s = env->createDir(f);
        if (!s)
            return s;
    }
    return Status::ok();
}

Status writeDurably(WritableFile& file, QByteArrayView data)
{
    Status s = file.append(data);
    if (s) s = file.sync();
    if (s) s = file.close();
    return s;
}

Status writeFileAtomically(Env* env, const QString& path, QByteArrayView data)
{
    const QString tmp = path + QStringLiteral(".tmp");
    std::unique_ptr<WritableFile> f;
    Status s = env->newWritableFile(tmp, &f);
    if (s) s = writeDurably(*f, data);
    if (s) s = env->renameFile(tmp, path);
    if (!s) {
        f.reset();
        env->removeFile(tmp);
        return s;
    }
    return env->syncDir(parentDir(path));
}

} // namespace lex
