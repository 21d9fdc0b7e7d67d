// The word message end to end inside one process: Lexora's side of the link on a thread of its
// own, Glosix's window receiving on the event loop. What arrives is exactly what was sent.
#include "glosix/glosix_dlg.h"

#include "common/platform/process_launcher.h"
#include "common/platform/window_link.h"
#include "lexora/link/companion_link.h"
#include "scripted_services.h"
#include "temp_dir.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace lex;

namespace {

// Sends on a thread (the send blocks until the window has handled the word) while the event
// loop of this thread serves the window.
bool sendFromOtherThread(const QString& runtime, const LinkMessage& m)
{
    std::atomic<int> result{-1};
    std::thread t([&] {
        LocalWindowLink link(runtime, 5000);
        result = link.send(QStringLiteral("Glosix"), m) ? 1 : 0;
    });
    const bool finished = QTest::qWaitFor([&] { return result != -1; }, 10000);
    t.join();
    return finished && result == 1;
}

} // namespace

TEST(GlosixLink, AWordOfNCodeUnitsArrivesAsExactlyN)
{
    lextest::TempDir dir;
    lextest::ScriptedServices ui;
    for (const char* sub : {"Voice", "Dict"})
            QDir().mkpath(dir.path(QString::fromLatin1(sub)));
    dir.write(QStringLiteral("Config.INI"), "[INIT]\nIsDisableTTS=1\n");
    dir.write(QStringLiteral("Dict/21ct.idx"), {});
    dir.write(QStringLiteral("Dict/21ct.dic"), {});
    const QString runtime = dir.path(QStringLiteral("run"));

    GlosixServices s;
    s.ui = &ui;
    CGlosixDlg w(s, dir.path());
    LinkHandlers h;
    QStringList closes;
    h.word = [&w](const QString& word, uint32_t raiseFlag) { w.receiveWord(word, raiseFlag); };
    h.close = [&w] { w.closeWindow(); };
    LinkServer server(runtime, h);
    ASSERT_TRUE(server.publish(QStringLiteral("Glosix")));
    w.initialise();
    w.show();
    // Another window has the focus; the words must not take it away.
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));

    QString longest(32768, QChar(u'a'));
    longest[0] = QChar(u'z');
    longest[32767] = QChar(u'y');
    const QString words[] = {
        QStringLiteral("a"),
        QStringLiteral("apple"),
        QString::fromUtf16(u"caf\u00e9 \U0001F34E"),        // a surrogate pair counts as two units
        QString(QStringLiteral("nul\0inside")),              // no terminator: a NUL is a unit like others
        QStringLiteral("<b>&amp;</b>"),
        QString(),
        longest,
    };
    for (const QString& word : words) {
        LinkMessage m;
        m.kind = LinkKind::Word;
        m.raiseFlag = 1;
        m.word = word;
        ASSERT_TRUE(sendFromOtherThread(runtime, m)) << word.size();
        EXPECT_EQ(w.input()->text().size(), word.size());
        EXPECT_EQ(w.input()->text(), word);
    }
    EXPECT_TRUE(other.isActiveWindow()) << "a word with flag 1 does not activate the window";

    // Flag 0 (a double-click in Lexora's list): the word alone brings the window to the top.
    ASSERT_TRUE(sendFromOtherThread(runtime, LinkMessage{LinkKind::Word, 0, QStringLiteral("raised")}));
    EXPECT_EQ(w.input()->text(), QStringLiteral("raised"));
    EXPECT_TRUE(QTest::qWaitForWindowActive(&w)) << "raised on the word's own message";

    // The close request ends the window through its one close path; it is posted, so the window
    // closes once its event loop gets to it.
    ASSERT_TRUE(sendFromOtherThread(runtime, LinkMessage{LinkKind::Close, 0, {}}));
    EXPECT_TRUE(QTest::qWaitFor([&w] { return w.isClosed(); }, 5000));
}

TEST(GlosixLink, AHungGlosixHoldsLexoraOnlyForTheLinkTimeOut)
{
    // A published "Glosix" whose event loop never runs while Lexora sends: the connection is
    // accepted by the system, the word is never answered.
    lextest::TempDir dir;
    const QString runtime = dir.path(QStringLiteral("run"));
    LinkHandlers h;
    bool handled = false;
    h.word = [&handled](const QString&, uint32_t) { handled = true; };
    LinkServer server(runtime, h);
    ASSERT_TRUE(server.publish(QStringLiteral("Glosix")));

    struct NoLauncher : ProcessLauncher {
        int starts = 0;
        bool startDetached(const QString&, const QStringList&) override { return ++starts, false; }
    } launcher;
    LocalWindowLink link(runtime, 400);
    CompanionLink::Deps deps;
    deps.link = &link;
    deps.launcher = &launcher;
    CompanionLink companion(deps);

    std::atomic<qint64> elapsed{-1};
    std::atomic<bool> delivered{true};
    std::thread t([&] {
        QElapsedTimer timer;
        timer.start();
        delivered = companion.SendWordToCompanion(QStringLiteral("apple"), 0);
        elapsed = timer.elapsed();
    });
    t.join();   // this thread's event loop stays still: Glosix is hung
    EXPECT_FALSE(delivered);
    EXPECT_GE(elapsed, 350);
    EXPECT_LT(elapsed, 1500) << "one time-out, no second wait for the raise";
    EXPECT_EQ(launcher.starts, 0) << "a window that exists is not started again";
    EXPECT_FALSE(handled);
}

TEST(GlosixLink, TheCloseRequestIsPostedAndNotWaitedFor)
{
    // Glosix's event loop is still while the practice window asks it to close: the request is
    // written and left, and Glosix closes once its loop gets to it.
    lextest::TempDir dir;
    const QString runtime = dir.path(QStringLiteral("run"));
    LinkHandlers h;
    bool closed = false;
    h.close = [&closed] { closed = true; };
    LinkServer server(runtime, h);
    ASSERT_TRUE(server.publish(QStringLiteral("Glosix")));
    LocalWindowLink link(runtime, 3000);
    CompanionLink::Deps deps;
    deps.link = &link;
    CompanionLink companion(deps);

    QElapsedTimer timer;
    timer.start();
    EXPECT_TRUE(companion.requestCompanionClose());
    EXPECT_LT(timer.elapsed(), 1000) << "no wait for an answer";
    EXPECT_FALSE(closed);
    EXPECT_TRUE(QTest::qWaitFor([&closed] { return closed; }, 5000));
}
