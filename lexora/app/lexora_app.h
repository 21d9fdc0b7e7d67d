#pragma once
// CLexoraApp: the start of the main program. One copy per user ("Lexora.exe"): a second start
// brings the running "Tessaly" to the front and ends. Then the program folder, the outer window,
// and its modal loop, which is the program's main loop.

#include "common/platform/shared_names.h"

#include <QStringList>

class QCommandLineParser;

namespace lex {

class CMainDialog;

// The ends a desktop gives a program besides its own menu: SIGTERM, SIGHUP and SIGINT, the
// session manager's save request at logout, and the application's quit. Each ends the window as
// "退出" does, from the event loop. `running` is set once start-up is over: a signal before that
// ends the program without saving (`ending` tells the caller). Once per process.
struct DesktopEnds {
    bool running = false;
    bool ending = false;
};
void connectDesktopEnds(CMainDialog& window, DesktopEnds* state);

class CLexoraApp {
public:
    static inline const QString kInstanceName = names::kLexoraInstance;
    static inline const QString kWindowTitle = names::kLexoraTitle;
    // The name of the desktop entry (and of the icons and metainfo) the window belongs to.
    static constexpr char kDesktopId[] = "org.lexora.Lexora";
    static inline const QString kDescription =
        QStringLiteral("A vocabulary notebook: word books, practice, dictionary look-up and speech.");

    // The program's own options (--home DIR); --help and --version come with the parser.
    static void describeCommandLine(QCommandLineParser& parser);

    // Runs the program with the process's arguments; returns its exit code.
    int run(const QStringList& arguments);
};

} // namespace lex
