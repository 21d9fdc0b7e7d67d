#include "progress.h"

#include "commands.h"

#include <cstdio>

namespace lexbook {

namespace {
Progress* g_running = nullptr;   // one at a time, on the main thread
} // namespace

void clearProgressLine()
{
    if (g_running)
        g_running->clear();
}

void Progress::clear()
{
    if (!shown_)
        return;
    std::lock_guard<std::mutex> lock(mutex_);
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
}

Progress::Progress() : shown_(progressWanted())
{
    started_ = std::chrono::steady_clock::now();
    if (shown_)
        ticker_ = std::thread([this] { run(); });
    g_running = this;
}

Progress::~Progress()
{
    if (g_running == this)
        g_running = nullptr;
    if (!shown_)
        return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    ticker_.join();
    std::fputs("\r\033[K", stderr);   // the finished command's own report follows
    std::fflush(stderr);
}

void Progress::step(const QString& what)
{
    if (!shown_)
        return;
    std::lock_guard<std::mutex> lock(mutex_);
    what_ = what.toLocal8Bit();
    started_ = std::chrono::steady_clock::now();
    draw();
}

void Progress::draw()
{
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started_);
    std::fprintf(stderr, "\r\033[Klexbook: %s... %lld s", what_.constData(), static_cast<long long>(seconds.count()));
    std::fflush(stderr);
}

void Progress::run()
{
    std::unique_lock<std::mutex> lock(mutex_);
    while (!wake_.wait_for(lock, std::chrono::milliseconds(250), [this] { return stop_; })) {
        if (!what_.isEmpty())
            draw();
    }
}

} // namespace lexbook
