#include "lexora/app/lexora_app.h"

#include "common/platform/env.h"
#include "common/platform/instance_lock.h"
#include "common/platform/named_event.h"
#include "common/platform/process_launcher.h"
#include "common/platform/program_folder.h"
#include "common/platform/qt_user_services.h"
#include "common/platform/runtime_dir.h"
#include "common/platform/sources.h"
#include "common/platform/window_link.h"
#include "common/speech/audio_output.h"
#include "common/speech/espeak_engine.h"
#include "common/speech/voice_player.h"
#include "common/ui/dialog_units.h"
#include "lexora/app/main_dialog.h"
#include "resources/resources.h"

#include <QApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QDir>
#include <cstdio>

namespace lex {

int CLexoraApp::run(const QStringList& arguments)
{
    const QString runtimeDir = defaultRuntimeDir();
    LocalWindowLink link(runtimeDir);
    FileLockInstance instance(runtimeDir);
    if (!claimOrRaise(instance, link, kInstanceName, kWindowTitle))
        return 0;

    QString folder;
    if (const Status st = resolveProgramFolder(programFolderInputs(arguments), Env::defaultEnv(), &folder); !st) {
        std::fprintf(stderr, "Lexora: %s\n", qPrintable(st.message()));
        return 1;
    }
    // Relative folders in Config.INI (".\Voice\") and the phonetic font file are looked up in the
    // working folder, which for this program is its program folder.
    QDir::setCurrent(folder);

    QApplication::setFont(ui::defaultDialogFont());
    QApplication::setWindowIcon(res::appIcon());

    QtUserServices ui;
    FileNamedEvents events(runtimeDir);
    QtProcessLauncher launcher;
    PulseOutput audio(QStringLiteral("Lexora"));
    EspeakEngine tts(&audio);
    SndfilePlayer player(&audio, Clock::system());

    AppServices services;
    services.ui = &ui;
    services.link = &link;
    services.events = &events;
    services.launcher = &launcher;
    services.tts = &tts;
    services.player = &player;

    // Practice draws its questions from the process-wide generator: a new order every start.
    Random::system()->seed(uint32_t(QDateTime::currentMSecsSinceEpoch()));
    CMainDialog window(services, folder);

    // The window can be found by its title (the second start raises it, the companion's link
    // works the same way); it accepts words too but does nothing with them.
    LinkHandlers handlers;
    handlers.raise = [&window] { bringToFront(&window); };
    LinkServer server(runtimeDir, handlers);
    server.publish(kWindowTitle);

    if (!window.initialise())
        return 2;
    // Run until the window ends rather than through exec(): hiding the window (during a
    // practice run) would end a dialog's own loop and with it the program.
    QEventLoop loop;
    QObject::connect(&window, &QDialog::finished, &loop, &QEventLoop::quit);
    window.show();
    loop.exec();
    return 0;
}

} // namespace lex
