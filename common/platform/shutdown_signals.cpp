#include "common/platform/shutdown_signals.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace lex {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
constexpr int kSignalCount = int(sizeof kSignals / sizeof kSignals[0]);

// Written by the handler, read by the bridge; -1 when no bridge is installed.
int g_writeEnd = -1;
const char* g_firstSignal = "";

const char* signalName(int sig)
{
    switch (sig) {
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    case SIGINT: return "SIGINT";
    default: return "a signal";
    }
}

extern "C" void onShutdownSignal(int sig)
{
    // Only async-signal-safe work here: one byte into the pipe. A full pipe already holds a
    // request, so a failed write loses nothing.
    const int savedErrno = errno;
    const unsigned char b = static_cast<unsigned char>(sig);
    [[maybe_unused]] const ssize_t n = ::write(g_writeEnd, &b, 1);
    errno = savedErrno;
}

class ShutdownSignalBridge : public QObject {
public:
    ShutdownSignalBridge(QObject* receiver, int readEnd, std::function<void()> onShutdown)
        : QObject(receiver), readEnd_(readEnd), onShutdown_(std::move(onShutdown))
    {
        auto* notifier = new QSocketNotifier(readEnd_, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, &ShutdownSignalBridge::drain);
    }

    ~ShutdownSignalBridge() override
    {
        // Handlers first, so that no signal writes into a closed pipe. Once a shutdown is under
        // way the process is ending on request: a repeated request is ignored to its end rather
        // than killing it during its last steps.
        struct sigaction ignore = {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        for (int i = 0; i < kSignalCount; ++i)
            ::sigaction(kSignals[i], called_ ? &ignore : &previous_[i], nullptr);
        ::close(g_writeEnd);
        ::close(readEnd_);
        g_writeEnd = -1;
    }

    struct sigaction previous_[kSignalCount] = {};

private:
    void drain()
    {
        const QByteArray program = QCoreApplication::applicationName().toLocal8Bit();
        unsigned char buf[64];
        int first = 0;
        for (;;) {
            const ssize_t n = ::read(readEnd_, buf, sizeof buf);
            if (n <= 0)
                break;
            for (ssize_t i = 0; i < n; ++i) {
                if (!called_ && !first) {
                    first = buf[i];
                    std::fprintf(stderr, "%s: %s received, saving and ending\n", program.constData(),
                                 signalName(first));
                } else {
                    std::fprintf(stderr, "%s: %s received again, still ending\n", program.constData(),
                                 signalName(buf[i]));
                }
            }
        }
        if (!first)
            return;
        called_ = true;   // before the call: it may run a nested event loop that drains again
        g_firstSignal = signalName(first);
        // Last thing: the callback may destroy the receiver, and this bridge with it.
        if (onShutdown_)
            onShutdown_();
    }

    int readEnd_;
    std::function<void()> onShutdown_;
    bool called_ = false;
};

} // namespace

bool installShutdownSignals(QObject* receiver, std::function<void()> onShutdown)
{
    if (!receiver || g_writeEnd >= 0)
        return false;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    g_writeEnd = fds[1];
    auto* bridge = new ShutdownSignalBridge(receiver, fds[0], std::move(onShutdown));
    for (int i = 0; i < kSignalCount; ++i)
        ::sigaction(kSignals[i], nullptr, &bridge->previous_[i]);
    struct sigaction sa = {};
    sa.sa_handler = onShutdownSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;   // the program's own reads and writes go on undisturbed
    for (int i = 0; i < kSignalCount; ++i) {
        // A signal ignored by whoever started us (nohup, a background job) stays ignored.
        if (bridge->previous_[i].sa_handler == SIG_IGN)
            continue;
        if (::sigaction(kSignals[i], &sa, nullptr) != 0) {
            delete bridge;   // puts back what was set so far
            return false;
        }
    }
    return true;
}

const char* shutdownSignalName() { return g_firstSignal; }

} // namespace lex
