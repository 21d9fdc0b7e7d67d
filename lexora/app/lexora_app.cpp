#include "lexora/app/lexora_app.h"

#include "common/platform/named_event.h"
#include "common/platform/program_folder.h"
#include "common/platform/process_launcher.h"
#include "common/platform/program_start.h"
#include "common/platform/qt_user_services.h"
#include "common/platform/shutdown_signals.h"
#include "common/platform/sources.h"
#include "common/platform/window_link.h"
#include "common/speech/audio_output.h"
#include "common/speech/espeak_engine.h"
#include "common/speech/voice_player.h"
#include "common/ui/dialog_units.h"
#include "lexora/app/lexora_dlg.h"
#include "lexora/app/main_dialog.h"
#include "lexora/app/word_book_session.h"
#include "lexora/book/book_recovery.h"
#include "lexora/texts/lexora_texts.h"
#include "resources/resources.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDateTime>
#include <QEvent>
#include <QEventLoop>
#include <QIcon>
#include <QSessionManager>
#include <QTimer>
#include <cstdio>

namespace lex {

QString defaultRecoveryRoot() { return userDataHome() + QStringLiteral("/lexora/recovered"); }

void tellRecoveredBooks(UserServices& ui, QWidget* owner, const QString& root, Env* env)
{
    for (const QString& where : takeRecoveredBooks(root, env))
        ui.messageBox(owner, texts::recoveredBookNotice(where));
}

namespace {

// The end of a shutdown request: the Book saved without a question (or its recovery copy
// written), then the window ends as "退出" does, without saving again.
void endUnasked(CMainDialog& window, const DesktopEnds& state)
{
    if (window.hasShutDown())
        return;
    saveForShutdownRequest(window.wordBook()->session(), state.recoveryRoot, QDateTime::currentDateTime());
    window.onCommand(cmd::kExit, 0);
}

// The session manager's final "die" (and any other quit of the application) reaches the
// application as a quit event, which closes the windows; the Book is dealt with first, unasked,
// since a closing window would ask.
class QuitWatcher final : public QObject {
public:
    QuitWatcher(CMainDialog& window, DesktopEnds* state) : QObject(&window), window_(window), state_(state) {}
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (watched == qApp && e->type() == QEvent::Quit && state_->running)
            endUnasked(window_, *state_);
        return false;
    }

private:
    CMainDialog& window_;
    DesktopEnds* state_;
};

} // namespace

void connectDesktopEnds(CMainDialog& window, DesktopEnds* state)
{
    // Logout, `systemctl --user stop`, a closed terminal: the same end as "退出", from the event
    // loop, but nobody is there to answer a question. During start-up nothing of the learner's has
    // changed yet, so nothing is saved then.
    installShutdownSignals(&window, [&window, state] {
        state->ending = true;
        if (state->running)
            endUnasked(window, *state);
        // Also leaves the loop of a modal dialog open at the time; no later dialog opens.
        QCoreApplication::exit(0);
    });
    // The session manager asks to save before a logout that may still be cancelled: save the
    // Book and stay, without a question that would hold the logout up (a failure is dealt with
    // by the quit that follows). Its final "die" arrives as a quit event, which ends the program
    // as a signal does.
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, &window, [&window, state](QSessionManager&) {
        if (state->running && !window.hasShutDown() && window.wordBook()->book().saveOnExit)
            window.wordBook()->session().save(SaveQuestions{});
    });
    qApp->installEventFilter(new QuitWatcher(window, state));
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, &window, [&window, state] {
        if (state->running)
            endUnasked(window, *state);
    });
}

void CLexoraApp::describeCommandLine(QCommandLineParser& parser)
{
    parser.addOption(QCommandLineOption(
        QStringLiteral("home"),
        QStringLiteral("Use DIR as the program folder (Config.INI, Book, Dict, Voice); the environment variable "
                       "LEXORA_HOME does the same. Without either: the build's sample folder, a portable copy's "
                       "own folder, else $XDG_DATA_HOME/lexora."),
        QStringLiteral("DIR")));
}

int CLexoraApp::run(const QStringList& arguments)
{
    ProgramStart start;
    if (const int status = start.claim(arguments, "Lexora", kInstanceName, kWindowTitle); status >= 0)
        return status;
    const QString& runtimeDir = start.runtimeDir();
    const QString& folder = start.folder();
    LocalWindowLink& link = start.link();

    QApplication::setFont(ui::defaultDialogFont());
    // The installed theme icon has every size a launcher or a HiDPI task bar asks for.
    QApplication::setWindowIcon(QIcon::fromTheme(QString::fromLatin1(kDesktopId), res::appIcon()));

    QtUserServices ui;
    FileNamedEvents events(runtimeDir);
    QtProcessLauncher launcher;
    const std::unique_ptr<AudioOutput> audio = programAudioOutput(QStringLiteral("Lexora"));
    SpeechEngines tts(audio.get());   // every engine built in; the learner picks among their voices
    SndfilePlayer player(audio.get(), Clock::system());

    AppServices services;
    services.ui = &ui;
    services.link = &link;
    services.events = &events;
    services.launcher = &launcher;
    services.tts = &tts;
    services.player = &player;
    services.runtimeDir = runtimeDir;

    // Practice draws its questions from the process-wide generator: a new order every start.
    Random::system()->seed(uint32_t(QDateTime::currentMSecsSinceEpoch()));
    CMainDialog window(services, folder);

    DesktopEnds ends;
    // The window can be found by its title (the second start raises it, the companion's link
    // works the same way); it accepts words too but does nothing with them. Glosix's "AddTo"
    // adds to the open Book once it is loaded; before that, or while ending, it is refused.
    LinkHandlers handlers;
    handlers.raise = [&window] { bringToFront(&window); };
    handlers.addTo = [&window, &ends](const QString& word) {
        if (!ends.running || ends.ending || window.hasShutDown())
            return LinkAddOutcome::Refused;
        return window.wordBook()->addFromCompanion(word);
    };
    LinkServer server(runtimeDir, handlers);
    server.publish(kWindowTitle);

    connectDesktopEnds(window, &ends);
    if (!window.initialise())
        return 2;
    if (ends.ending)
        return 0;
    ends.running = true;
    // Run until the window ends rather than through exec(): hiding the window (during a
    // practice run) would end a dialog's own loop and with it the program.
    QEventLoop loop;
    QObject::connect(&window, &QDialog::finished, &loop, &QEventLoop::quit);
    window.show();
    // Over the window, once it is on screen.
    QTimer::singleShot(0, &window, [&] { tellRecoveredBooks(ui, &window, ends.recoveryRoot, Env::defaultEnv()); });
    loop.exec();
    return 0;
}

} // namespace lex
