#pragma once
// Progress of long lexbook work on stderr, shown only when stderr is a terminal (never in a pipe,
// a log or a test): one line, rewritten in place, naming the step and the seconds it has taken.
//
//   Progress progress;                 // silent unless stderr is a terminal
//   progress.step("reading the CSV");
//   ...
//   progress.step("writing Dict.idx and Dict.dic");
//   ...                                // the line is cleared when `progress` goes
// The line is redrawn four times a second from a thread of its own, so a step that blocks in one
// long call still shows that it is alive.

#include <QByteArray>
#include <QString>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace lexbook {

// Clears the line of the Progress that is running, if any, so that a message can be printed;
// the next step or tick draws it again below.
void clearProgressLine();

class Progress {
public:
    Progress();
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    bool shown() const { return shown_; }
    // Starts a step; the line says "lexbook: <what>... <seconds> s".
    void step(const QString& what);

    void clear();

private:
    void draw();   // with mutex_ held
    void run();

    bool shown_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    QByteArray what_;
    std::chrono::steady_clock::time_point started_;
    std::thread ticker_;
};

} // namespace lexbook
