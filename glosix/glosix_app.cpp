#include "glosix/glosix_app.h"

#include "common/platform/named_event.h"
#include "common/platform/program_folder.h"
#include "common/platform/program_start.h"
#include "common/platform/qt_user_services.h"
#include "common/platform/shutdown_signals.h"
#include "common/platform/sources.h"
#include "common/platform/window_link.h"
#include "common/speech/audio_output.h"
#include "common/speech/synth_engine.h"
#include "common/speech/voice_player.h"
#include "common/ui/dialog_units.h"
#include "glosix/glosix_dlg.h"
#include "glosix/selection_lookup.h"
#include "glosix/selection_word.h"
#include "resources/resources.h"

#include <QApplication>
#include <QIcon>
#include <QPointer>
#include <cstdio>

namespace lex {

namespace {
QPointer<CGlosixDlg> g_window;
} // namespace

CGlosixDlg* CGlosixApp::window()
{
    return g_window.data();
}

int CGlosixApp::run(const QStringList& arguments, bool lookUpSelection)
{
    // Read before anything of ours takes the focus or the selection.
    QString selected = lookUpSelection ? wordInSelection(selectedText()) : QString();
    ProgramStart start;
    if (const int status = start.claim(arguments, "Glosix", kInstanceName, kWindowTitle); status >= 0) {
        // Wayland gave this window-less process no selection: a window of ours asks for it.
        if (status == 0 && lookUpSelection && selected.isEmpty())
            selected = wordInSelection(selectedTextWithFocus());
        // The running Glosix was raised; it shows the word as it shows Lexora's, raising itself.
        if (status == 0 && !selected.isEmpty() && !start.link().sendWord(kWindowTitle, selected, 0))
            std::fprintf(stderr, "Glosix: the running Glosix did not take the word\n");
        return status;
    }
    const QString& runtimeDir = start.runtimeDir();
    const QString& folder = start.folder();
    LocalWindowLink& link = start.link();

    QApplication::setFont(ui::defaultDialogFont());
    // The installed theme icon of the menu entry, at every size a task bar asks for.
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.lexora.Glosix"), res::appIcon()));

    QtUserServices ui;
    FileNamedEvents events(runtimeDir);
    const std::unique_ptr<AudioOutput> audio = programAudioOutput(QStringLiteral("Glosix"));
    SpeechEngines tts(audio.get());   // as in Lexora: the voice [SPEECH2] names, of whichever engine
    SndfilePlayer player(audio.get(), Clock::system());

    GlosixServices services;
    services.ui = &ui;
    services.events = &events;
    services.tts = &tts;
    services.player = &player;
    services.link = &link;
    services.runtimeDir = runtimeDir;
    services.historyPath = userDataHome() + QStringLiteral("/lexora/glosix-history.txt");

    CGlosixDlg window(services, folder);
    g_window = &window;

    LinkHandlers handlers;
    handlers.raise = [&window] { bringToFront(&window); };
    handlers.close = [&window] { window.closeWindow(); };
    handlers.word = [&window](const QString& word, uint32_t raiseFlag) { window.receiveWord(word, raiseFlag); };
    LinkServer server(runtimeDir, handlers);
    // Findable before the ready event is set, or a waiting Lexora would find no window and drop
    // its first word. When another process still holds the title (it is ending), we run unfound.
    if (!server.publish(kWindowTitle))
        std::fprintf(stderr, "Glosix: the window cannot be published for Lexora\n");

    window.initialise();
    if (window.isClosed())
        return 0;
    // Logout or `kill`: the window ends as its close button does, keeping its rectangle.
    installShutdownSignals(&window, [&window] { window.closeWindow(); });
    window.show();
    if (lookUpSelection)
        showSelectionAtStart(window, selected);
    window.exec();
    g_window = nullptr;
    return 0;
}

} // namespace lex
