// The desktop's own ways of ending Lexora. A binary of its own: both end every event loop of the
// process, which the other window tests would not survive.
#include "app_test_support.h"

#include "common/config/profile.h"
#include "lexora/app/lexora_app.h"
#include "lexora/app/lexora_dlg.h"
#include "lexora/app/main_dialog.h"
#include "lexora/book/book_file.h"

#include <QApplication>
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
        connectDesktopEnds(w, &ends);
        EXPECT_TRUE(w.initialise());
        ends.running = true;
        w.wordBook()->book().SetStrangeness(3, Degree::Spelling, DegreeChange::to(7));
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
