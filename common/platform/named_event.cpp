#include "common/platform/named_event.h"

#include "common/platform/runtime_dir.h"
#include "common/platform/shared_names.h"

#include <chrono>
#include <cerrno>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace lex {

namespace {

int flockRetry(int fd, int op)
{
    int rc;
    do {
        rc = ::flock(fd, op);
    } while (rc != 0 && errno == EINTR);
    return rc;
}

class FdGuard {
public:
    explicit FdGuard(int fd) : fd_(fd) {}
    ~FdGuard() { if (fd_ >= 0) ::close(fd_); }
    int get() const { return fd_; }
    int release() { int f = fd_; fd_ = -1; return f; }

private:
    int fd_;
};

class FileNamedEvent final : public NamedEvent {
public:
    explicit FileNamedEvent(int fd) : fd_(fd) {}
    ~FileNamedEvent() override { ::close(fd_); }

    bool set() override
    {
        const char one = '1';
        return ::pwrite(fd_, &one, 1, 0) == 1;
    }

    bool wait(int timeoutMs) override
    {
        using namespace std::chrono;
        const auto deadline = steady_clock::now() + milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
        auto pause = microseconds(200);
        for (;;) {
            char c = 0;
            if (::pread(fd_, &c, 1, 0) == 1 && c == '1')
                return true;
            if (steady_clock::now() >= deadline)
                return false;
            // Short pauses first: an in-process hand-off is answered within microseconds.
            std::this_thread::sleep_for(pause);
            pause = std::min<microseconds>(pause * 2, milliseconds(5));
        }
    }

private:
    int fd_;
};

} // namespace

FileNamedEvents::FileNamedEvents(QString runtimeDir) : dir_(std::move(runtimeDir)) {}

std::unique_ptr<NamedEvent> FileNamedEvents::create(const QString& name, EventCreate* result)
{
    return acquire(name, true, result);
}

std::unique_ptr<NamedEvent> FileNamedEvents::open(const QString& name)
{
    return acquire(name, false, nullptr);
}

std::unique_ptr<NamedEvent> FileNamedEvents::acquire(const QString& name, bool create, EventCreate* result)
{
    EventCreate dummy;
    EventCreate& r = result ? *result : dummy;
    r = EventCreate::Failed;
    if (!ensureRuntimeDir(dir_))
        return nullptr;
    const QString base = dir_ + QLatin1Char('/') + runtimeFileName(names::kEventFilePrefix, name, {});
    FdGuard guard(openRuntimeFile(base + QStringLiteral(".guard"), true));
    if (guard.get() < 0 || flockRetry(guard.get(), LOCK_EX) != 0)
        return nullptr;
    // The guard is released when `guard` closes, after the handle below holds its shared lock.
    FdGuard state(openRuntimeFile(base + QStringLiteral(".lock"), create));
    if (state.get() < 0)
        return nullptr;   // open: never created, so it does not exist
    const bool unheld = flockRetry(state.get(), LOCK_EX | LOCK_NB) == 0;
    if (unheld) {
        if (!create)
            return nullptr;   // a file left behind by a holder that has ended
        // Fresh event: not signalled. Downgrading to shared is safe: all others wait on the guard.
        const char zero = '0';
        if (::ftruncate(state.get(), 0) != 0 || ::pwrite(state.get(), &zero, 1, 0) != 1)
            return nullptr;
        if (flockRetry(state.get(), LOCK_SH) != 0)
            return nullptr;
        r = EventCreate::Created;
        return std::make_unique<FileNamedEvent>(state.release());
    }
    if (errno != EWOULDBLOCK)
        return nullptr;
    if (create) {
        r = EventCreate::AlreadyExists;
        return nullptr;
    }
    if (flockRetry(state.get(), LOCK_SH | LOCK_NB) != 0)
        return nullptr;
    return std::make_unique<FileNamedEvent>(state.release());
}

} // namespace lex
