// The desktop's own ways of ending Lexora. A binary of its own: both end every event loop of the
// process, which the other window tests would not survive.
#include "session_probe.h"
#include "app_test_support.h"

#include "common/config/profile.h"
#include "common/platform/shutdown_signals.h"
#include "lexora/app/lexora_app.h"
#include "lexora/app/lexora_dlg.h"
#include "lexora/app/main_dialog.h"
#include "lexora/book/book_file.h"
#include "lexora/book/book_recovery.h"
#include "lexora/texts/lexora_texts.h"

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <csignal>
#include <gtest/gtest.h>

using namespace lex;

namespace {

struct Running {
    lextest::TempDir dir;
    apptest::ProgramFolder pf = apptest::makeProgramFolder(dir, 20);
    apptest::CheckingServices ui;
    CMainDialog w{apptest::testServices(&ui), pf.folder};
    DesktopEnds ends;

    Running()
    {
        // An application-wide exit stops later loops from starting until the application's own
        // loop has run again: run it once so that each test starts as a fresh process would.
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
        ends.recoveryRoot = dir.path(QStringLiteral("recovered"));
        connectDesktopEnds(w, &ends);
        EXPECT_TRUE(w.initialise());
        ends.running = true;
        lextest::writableBook(w.wordBook()->session()).SetStrangeness(3, Degree::Spelling, DegreeChange::to(7));
        w.show();
    }
    int savedSpelling() const
    {
        Book reread;
        reread.path = pf.bookPath;
        reread.name = QStringLiteral("English");
        LoadBook(reread);
        return reread.size() > 3 ? reread.full()[3]->stored.spelling : -1;
    }
    bool settingsWritten() const
    {
        Profile p(pf.folder + QStringLiteral("/Config.INI"));
        return p.readStruct(QStringLiteral("INIT"), QStringLiteral("LexoraDlgSize"), 16).has_value()
               && !p.readString(QStringLiteral("MAINLISTCTRL"), QStringLiteral("ColumnWidth"), {}).isEmpty();
    }
};

} // namespace

TEST(DesktopEnd, ASignalInTheMiddleOfTheRunEndsItAsExitDoes)
{
    Running r;
    // The handler only writes into the pipe; the save happens when the loop reads it.
    QTimer::singleShot(50, [] { ::raise(SIGTERM); });
    r.w.exec();
    EXPECT_TRUE(r.w.hasShutDown());
    EXPECT_TRUE(r.ends.ending);
    EXPECT_EQ(r.savedSpelling(), 7);
    EXPECT_TRUE(r.settingsWritten());
}

TEST(DesktopEnd, TheSessionsQuitClosesTheWindowWithSaving)
{
    Running r;
    // What the session manager's final "die" becomes in Qt: a quit event to the application,
    // which closes the windows.
    QTimer::singleShot(50, [] { QCoreApplication::postEvent(qApp, new QEvent(QEvent::Quit)); });
    r.w.exec();
    EXPECT_TRUE(r.w.hasShutDown());
    EXPECT_EQ(r.savedSpelling(), 7);
    EXPECT_TRUE(r.settingsWritten());
}

// The Book's folder went away while Lexora ran: a signal during a practice run (a modal window
// open) and the session's quit each end the program without asking anything (the scripted
// services fail any question), the Book goes whole to a recovery folder, and the next start says
// where.
TEST(DesktopEnd, AShutdownRequestThatCannotSaveAsksNothingAndKeepsACopy)
{
    for (const bool signal : {true, false}) {
        SCOPED_TRACE(signal ? "SIGTERM in a modal window" : "the session's quit");
        // A process ends by a signal once (ctest runs each test in a process of its own).
        if (signal && *shutdownSignalName())
            continue;
        Running r;
        const int entries = r.w.wordBook()->book().size();
        ASSERT_TRUE(QDir(r.pf.bookPath).removeRecursively());
        if (signal) {
            r.ui.modalHook = [](QDialog& d) {
                QTimer::singleShot(50, [] { ::raise(SIGTERM); });
                return d.exec();
            };
            QTimer::singleShot(0, &r.w, [&r] { r.ui.runModal(new QDialog(&r.w)); });
        } else {
            QTimer::singleShot(50, [] { QCoreApplication::postEvent(qApp, new QEvent(QEvent::Quit)); });
        }
        r.w.exec();
        EXPECT_TRUE(r.w.hasShutDown());
        EXPECT_TRUE(r.ui.messages().isEmpty()) << r.ui.messages().join(QLatin1Char('|')).toStdString();
        EXPECT_TRUE(r.settingsWritten());

        const QStringList copies = takeRecoveredBooks(r.ends.recoveryRoot, Env::defaultEnv());
        ASSERT_EQ(copies.size(), 1);
        // Written back for the next start to tell.
        r.dir.write(QStringLiteral("recovered/not-yet-announced.txt"), copies[0].toUtf8() + '\n');
        Book copy;
        copy.path = copies[0].left(copies[0].lastIndexOf(QLatin1Char('/')) + 1);
        copy.name = QStringLiteral("English");
        LoadBook(copy);
        EXPECT_EQ(copy.size(), entries);
        EXPECT_EQ(copy.full()[3]->stored.spelling, 7);

        lextest::ScriptedServices next;
        tellRecoveredBooks(next, nullptr, r.ends.recoveryRoot, Env::defaultEnv());
        ASSERT_EQ(next.messages().size(), 1);
        EXPECT_EQ(next.messages()[0], texts::recoveredBookNotice(copies[0]));
        EXPECT_TRUE(next.messages()[0].contains(copies[0] + QStringLiteral(".idx")));
        tellRecoveredBooks(next, nullptr, r.ends.recoveryRoot, Env::defaultEnv());
        EXPECT_EQ(next.messages().size(), 1) << "told once only";
    }
}
