#pragma once
// Ending on the signals a desktop sends (SIGTERM at logout or from `systemctl --user stop`,
// SIGHUP when the terminal goes, SIGINT on Ctrl+C) the same way as the program's own "exit":
// the handler only writes the signal number into a pipe; the program's callback runs later on the
// event loop of the receiver's thread, where saving is safe.
//
//   installShutdownSignals(&window, [&] { window.onCommand(kExit, 0); });
//
// Contract:
// - `onShutdown` runs at most once, on the receiver's thread, from an event loop (the main one or
//   a modal dialog's). It is never called inside a signal handler.
// - Further shutdown signals that arrive while it runs (a second SIGTERM during the save) or after
//   it are noted on stderr and otherwise ignored: nothing interrupts the save. SIGKILL still ends
//   the process, as it must.
// - When the receiver is destroyed before any shutdown signal, the previous dispositions of the
//   signals come back, so a signal after that ends the process as it would have without us. After
//   a shutdown signal they stay ignored: the process is ending, and a repeated request must not
//   kill it during its last steps.
// - A signal that was ignored when the program started (nohup, a background job of a script)
//   stays ignored.
// - One installation per process: a second call while one is active replaces nothing and
//   returns false.

#include <QObject>
#include <functional>

namespace lex {

// The signals handled: SIGTERM, SIGHUP, SIGINT.
bool installShutdownSignals(QObject* receiver, std::function<void()> onShutdown);

// The name of the signal that started the shutdown ("SIGTERM"), empty before any.
const char* shutdownSignalName();

} // namespace lex
