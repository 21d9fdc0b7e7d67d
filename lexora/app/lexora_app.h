#pragma once
// CLexoraApp: the start of the main program. One copy per user ("Lexora.exe"): a second start
// brings the running "Tessaly" to the front and ends. Then the program folder, the outer window,
// and its modal loop, which is the program's main loop.

#include "common/platform/shared_names.h"

#include <QString>
#include <QStringList>

class QWidget;

class QCommandLineParser;

namespace lex {

class CMainDialog;
class Env;
class UserServices;

// Where a shutdown request puts a Book it could not save: $XDG_DATA_HOME/lexora/recovered
// (~/.local/share/lexora/recovered without it).
QString defaultRecoveryRoot();

// The ends a desktop gives a program besides its own menu: SIGTERM, SIGHUP and SIGINT, the
// session manager's save request at logout, and the application's quit. Each ends the window as
// "退出" does, from the event loop. `running` is set once start-up is over: a signal before that
// ends the program without saving (`ending` tells the caller). Once per process.
// Such an end asks nothing: a Book that cannot be saved where it belongs is written whole into
// a new folder under `recoveryRoot` (book_recovery.h), and the next start says where.
struct DesktopEnds {
    bool running = false;
    bool ending = false;
    QString recoveryRoot = defaultRecoveryRoot();
};
void connectDesktopEnds(CMainDialog& window, DesktopEnds* state);

// At the start: a message box for each recovery copy an earlier run wrote into `root`.
void tellRecoveredBooks(UserServices& ui, QWidget* owner, const QString& root, Env* env);

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
