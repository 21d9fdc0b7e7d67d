#include "common/platform/instance_lock.h"

#include "common/platform/runtime_dir.h"
#include "common/platform/shared_names.h"
#include "common/platform/window_link.h"

#include <cerrno>
#include <sys/file.h>
#include <unistd.h>

namespace lex {

FileLockInstance::FileLockInstance(QString runtimeDir) : dir_(std::move(runtimeDir)) {}

FileLockInstance::~FileLockInstance()
{
    if (fd_ >= 0)
        ::close(fd_);
}

InstanceClaim FileLockInstance::claim(const QString& name)
{
    if (fd_ >= 0)
        return InstanceClaim::Acquired;
    if (!ensureRuntimeDir(dir_))
        return InstanceClaim::Unavailable;
    const int fd = openRuntimeFile(dir_ + QLatin1Char('/') + runtimeFileName(names::kInstanceFilePrefix, name, names::kLockSuffix), true);
    if (fd < 0)
        return InstanceClaim::Unavailable;
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return held ? InstanceClaim::AlreadyRunning : InstanceClaim::Unavailable;
    }
    fd_ = fd;
    return InstanceClaim::Acquired;
}

bool claimOrRaise(SingleInstance& instance, WindowLink& link, const QString& name, const QString& title)
{
    if (instance.claim(name) != InstanceClaim::AlreadyRunning)
        return true;
    link.raise(title);
    return false;
}

} // namespace lex
