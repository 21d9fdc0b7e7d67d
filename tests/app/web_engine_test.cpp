// The outer window with the real web engine, against a local HTTP server that this test starts on
// 127.0.0.1: the exact update request at start, back and forward following the navigation, and
// the engine's own error page (with no dialog) once the server is gone. Run under a display of its own by
// web_engine_test.sh; skipped when the web engine cannot start here.
#include "app_test_support.h"

#include "common/controls/my_tool_bar.h"
#include "lexora/app/main_dialog.h"
#include "lexora/app/word_book_session.h"
#include "lexora/web/browser_dialog.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <gtest/gtest.h>

using namespace lex;

namespace {

constexpr int kEngineWaitMs = 30000;

// A page from the network that tries every way it has to run one of the program's commands:
// links to the command addresses (without the secret, with a guessed one, other schemes), clicked
// by its script; the address set by script; a frame holding such a link; a new window; a data:
// page; going back to whatever came before it. It marks itself when its script has run.
const char kHostilePage[] = R"(<html><head><title>update</title></head><body>
<a id="a1" href="http://run.lexora.invalid/32899">a1</a>
<a id="a2" href="http://run.lexora.invalid/14023?k=00000000000000000000000000000000">a2</a>
<a id="a3" href="lexora:32899">a3</a>
<a id="a4" href="https://run.lexora.invalid/32899">a4</a>
<iframe id="f" srcdoc="<a id=x href='http://run.lexora.invalid/32899' target=_top>x</a><script>document.getElementById('x').click()</script>"></iframe>
<script>
for (const id of ['a1', 'a2', 'a3', 'a4']) document.getElementById(id).click();
window.open('http://run.lexora.invalid/32899');
setTimeout(() => { location.href = 'data:text/html,<a href=http://run.lexora.invalid/32899>d</a>'; }, 100);
setTimeout(() => { location.href = 'http://run.lexora.invalid/14023'; }, 200);
setTimeout(() => { history.back(); }, 300);
document.title = 'hostile ran';
</script></body></html>)";

// python3 -m http.server on a free port of 127.0.0.1, serving two small pages.
class LocalServer {
public:
    explicit LocalServer(const lextest::TempDir& dir)
    {
        QDir().mkpath(dir.path(QStringLiteral("site")));
        dir.write(QStringLiteral("site/checkupdate.htm"),
                  "<html><head><title>update</title></head><body>Lexora is up to date."
                  " <a href=\"page2.htm\">next</a></body></html>");
        dir.write(QStringLiteral("site/page2.htm"), "<html><body>second page</body></html>");
        dir.write(QStringLiteral("site/hostile.htm"), kHostilePage);
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        port_ = probe.serverPort();
        probe.close();
        server_.setProcessChannelMode(QProcess::SeparateChannels);
        server_.start(QStringLiteral("python3"), {QStringLiteral("-u"), QStringLiteral("-m"), QStringLiteral("http.server"),
                                                  QString::number(port_), QStringLiteral("--bind"),
                                                  QStringLiteral("127.0.0.1"), QStringLiteral("--directory"),
                                                  dir.path(QStringLiteral("site"))});
    }
    ~LocalServer() { stop(); }

    bool waitReady()
    {
        for (int i = 0; i < 100; ++i) {
            QTcpSocket s;
            s.connectToHost(QHostAddress::LocalHost, port_);
            if (s.waitForConnected(100))
                return true;
            QTest::qWait(50);
        }
        return false;
    }
    void stop()
    {
        if (server_.state() != QProcess::NotRunning) {
            server_.kill();
            server_.waitForFinished(3000);
        }
    }
    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(port_); }
    // The request lines received so far ("GET /path HTTP/1.1"), favicon requests left out.
    QStringList requests()
    {
        log_ += QString::fromUtf8(server_.readAllStandardError());
        QStringList out;
        for (const QString& line : log_.split(QLatin1Char('\n'))) {
            const int a = line.indexOf(QLatin1Char('"')), b = line.indexOf(QLatin1Char('"'), a + 1);
            if (a < 0 || b < 0)
                continue;
            const QString request = line.mid(a + 1, b - a - 1);
            if (!request.contains(QLatin1String("favicon")))
                out << request;
        }
        return out;
    }

private:
    QProcess server_;
    quint16 port_ = 0;
    QString log_;
};

// Qt Test's QTRY_ macros return silently outside a Qt Test run: wait and let the caller assert.
template <class F>
bool waitFor(F condition, int ms)
{
    return QTest::qWaitFor(condition, ms);
}

bool noDialogOpen(QWidget* main)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != main && w->isVisible() && qobject_cast<QDialog*>(w))
            return false;
    return true;
}

} // namespace

TEST(WebEngine, UpdateRequestNavigationAndTheErrorPageOffline)
{
    lextest::TempDir dir;
    LocalServer server(dir);
    ASSERT_TRUE(server.waitReady()) << "python3 -m http.server did not start";
    qputenv("LEXORA_UPDATE_BASE", server.base().toUtf8());

    const apptest::ProgramFolder pf = apptest::makeProgramFolder(dir, 25);
    apptest::CheckingServices ui;
    AppServices s = apptest::testServices(&ui);
    s.browserFactory = {};   // the real web engine
    CMainDialog w(s, pf.folder);
    ASSERT_TRUE(w.initialise());
    ui.base.clear();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));

    int loads = 0, failures = 0;
    ASSERT_TRUE(waitFor([&] { return w.webPage()->browser() != nullptr; }, 5000));
    QObject::connect(w.webPage()->browser(), &WebBrowser::loadFinished, [&](bool ok) { ok ? ++loads : ++failures; });
    const QString update = QStringLiteral("GET /checkupdate.htm?ver=1.1.5&build=116 HTTP/1.1");
    (void)QTest::qWaitFor([&] { return !server.requests().isEmpty() || loads + failures > 0; }, kEngineWaitMs);
    if (server.requests().isEmpty())
        GTEST_SKIP() << "the web engine did not start here";

    // Exactly the update address, once, at start.
    EXPECT_EQ(server.requests(), QStringList{update});
    ASSERT_TRUE(waitFor([&] { return loads > 0; }, kEngineWaitMs));
    EXPECT_EQ(w.webPage()->currentView(), w.webPage()->browser()->view());
    CMyToolBar* bar = w.toolBar();
    // about:blank gave way to the update page before it was committed: nothing to go back to.
    EXPECT_FALSE(bar->button(cmd::kWebBack)->isEnabled());
    EXPECT_FALSE(bar->button(cmd::kWebForward)->isEnabled());

    // A second page, then back and forward.
    w.webPage()->browser()->navigate(QUrl(server.base() + QStringLiteral("/page2.htm")));
    ASSERT_TRUE(waitFor([&] { return server.requests().contains(QStringLiteral("GET /page2.htm HTTP/1.1")); }, kEngineWaitMs));
    ASSERT_TRUE(waitFor([&] { return bar->button(cmd::kWebBack)->isEnabled(); }, kEngineWaitMs));
    EXPECT_FALSE(bar->button(cmd::kWebForward)->isEnabled());
    w.onCommand(cmd::kWebBack, 0);
    ASSERT_TRUE(waitFor([&] { return bar->button(cmd::kWebForward)->isEnabled(); }, kEngineWaitMs));
    EXPECT_FALSE(bar->button(cmd::kWebBack)->isEnabled());
    w.onCommand(cmd::kWebForward, 0);
    ASSERT_TRUE(waitFor([&] { return !bar->button(cmd::kWebForward)->isEnabled(); }, kEngineWaitMs));
    EXPECT_TRUE(bar->button(cmd::kWebBack)->isEnabled());

    // The server gone: "检测更新" ends on the engine's error page, and nothing asks the learner
    // anything.
    server.stop();
    w.onCommand(cmd::kStudyPage, 0);
    const int failedBefore = failures;
    w.onCommand(cmd::kCheckUpdate, 0);
    EXPECT_FALSE(w.isWordBookShown());
    ASSERT_TRUE(waitFor([&] { return failures > failedBefore; }, kEngineWaitMs));
    EXPECT_EQ(w.webPage()->currentView(), w.webPage()->browser()->view());
    auto* view = qobject_cast<QWebEngineView*>(w.webPage()->browser()->view());
    ASSERT_NE(view, nullptr);
    QString shown;
    const auto readPage = [&] { view->page()->toPlainText([&](const QString& text) { shown = text; }); };
    EXPECT_TRUE(waitFor(
        [&] {
            readPage();
            return shown.contains(QLatin1String("ERR_CONNECTION_REFUSED"));
        },
        kEngineWaitMs))
        << shown.toStdString();
    QTest::qWait(300);
    EXPECT_TRUE(noDialogOpen(&w));
    EXPECT_TRUE(ui.base.shown().isEmpty());
    const QString shots = qEnvironmentVariable("LEXORA_SHOT_DIR");
    if (!shots.isEmpty()) {
        const QString file = shots + QStringLiteral("/web_error_page.png");
        EXPECT_TRUE(w.grab().save(file)) << file.toStdString();
    }
    w.shutDown();
    qunsetenv("LEXORA_UPDATE_BASE");
}

// With no update address the web page is the start page: nothing is requested, and its links run
// their commands. With one, a page from the network that tries everything runs none, not even
// with the secret of the start page's links handed to it.
TEST(WebEngine, OnlyTheLocalStartPageRunsCommands)
{
    lextest::TempDir dir;
    LocalServer server(dir);
    ASSERT_TRUE(server.waitReady()) << "python3 -m http.server did not start";
    const apptest::ProgramFolder pf = apptest::makeProgramFolder(dir, 25);
    const QString shots = qEnvironmentVariable("LEXORA_SHOT_DIR");

    QString commandLink;
    {
        qputenv("LEXORA_UPDATE_BASE", QByteArray());
        apptest::CheckingServices ui;
        AppServices s = apptest::testServices(&ui);
        s.browserFactory = {};
        CMainDialog w(s, pf.folder);
        ASSERT_TRUE(w.initialise());
        ui.base.clear();
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        ASSERT_TRUE(waitFor([&] { return w.webPage()->browser() != nullptr; }, 5000));
        auto* view = qobject_cast<QWebEngineView*>(w.webPage()->browser()->view());
        ASSERT_NE(view, nullptr);
        QString shown;
        const bool drawn = waitFor(
            [&] {
                view->page()->toPlainText([&](const QString& text) { shown = text; });
                return shown.contains(QStringLiteral("开始今日学习"));
            },
            kEngineWaitMs);
        if (!drawn)
            GTEST_SKIP() << "the web engine did not start here";
        EXPECT_TRUE(w.webPage()->showsStartPage());
        if (!shots.isEmpty())
            EXPECT_TRUE(w.grab().save(shots + QStringLiteral("/web_start_page.png")));
        // Its 学习 link shows the word book.
        EXPECT_FALSE(w.isWordBookShown());
        view->page()->runJavaScript(QStringLiteral("document.getElementById('cmd%1').click()").arg(cmd::kStudyPage));
        EXPECT_TRUE(waitFor([&] { return w.isWordBookShown(); }, kEngineWaitMs));
        commandLink = w.webPage()->browser()->commandLink(cmd::kStudyPage).toString();
        w.shutDown();
    }
    EXPECT_TRUE(server.requests().isEmpty()) << server.requests().join(QLatin1Char('|')).toStdString();

    // The same program with an update address whose page is hostile.
    qputenv("LEXORA_UPDATE_BASE", server.base().toUtf8());
    dir.write(QStringLiteral("site/checkupdate.htm"), kHostilePage);
    apptest::CheckingServices ui;
    int dialogs = 0;
    ui.modalHook = [&](QDialog& d) {
        ++dialogs;
        return int(d.result());
    };
    AppServices s = apptest::testServices(&ui);
    s.browserFactory = {};
    CMainDialog w(s, pf.folder);
    ASSERT_TRUE(w.initialise());
    ui.base.clear();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    ASSERT_TRUE(waitFor([&] { return w.webPage()->browser() != nullptr; }, 5000));
    auto* view = qobject_cast<QWebEngineView*>(w.webPage()->browser()->view());
    ASSERT_TRUE(waitFor([&] { return view->title() == QStringLiteral("hostile ran"); }, kEngineWaitMs)) << view->title().toStdString();
    // Even a link with this browser's own secret, from the network page, runs nothing.
    const QString secret = w.webPage()->browser()->commandLink(cmd::kStudyPage).toString();
    view->page()->runJavaScript(QStringLiteral("location.href = '%1'").arg(secret));
    QTest::qWait(1500);
    EXPECT_FALSE(w.isWordBookShown());
    EXPECT_FALSE(w.webPage()->showsStartPage());
    EXPECT_EQ(dialogs, 0);
    EXPECT_TRUE(ui.base.shown().isEmpty());
    EXPECT_NE(secret, commandLink); // each browser its own secret
    // It is still the hostile page that is shown: none of its navigations went anywhere.
    EXPECT_EQ(view->title(), QStringLiteral("hostile ran"));
    EXPECT_TRUE(server.requests().contains(QStringLiteral("GET /checkupdate.htm?ver=1.1.5&build=116 HTTP/1.1")));
    if (!shots.isEmpty())
        EXPECT_TRUE(w.grab().save(shots + QStringLiteral("/web_hostile_page.png")));
    w.shutDown();
    qunsetenv("LEXORA_UPDATE_BASE");
}
