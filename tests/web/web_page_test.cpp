// The web page driven with a recording browser: the start-up requests, the tool-bar commands and
// the states it reports; a failed load leaves the browser (and its error page) in view.
#include "fake_web_browser.h"

#include "lexora/web/browser_dialog.h"
#include "lexora/web/web_addresses.h"
#include "resources/resource_ids.h"
#include "common/ui/template_builder.h"

#include <gtest/gtest.h>

using namespace lex;
using lextest::FakeBrowsers;
using lextest::UpdateBaseScope;

namespace {

const QString kAddress = QStringLiteral("http://127.0.0.1:8123/checkupdate.htm?ver=1.1.5&build=116");

struct Owner : ui::CommandTarget {
    QList<QPair<int, qintptr>> got;
    bool onCommand(int id, qintptr param) override
    {
        got.append({id, param});
        return true;
    }
};

struct Page {
    FakeBrowsers browsers;
    Owner owner;
    CBrowserDialog page{browsers.factory()};
    Page()
    {
        page.setOwner(&owner);
        page.resize(400, 300);
    }
};

} // namespace

TEST(WebAddresses, UpdateCheckAddressIsExactAndOnlyForWebBases)
{
    EXPECT_EQ(updateCheckAddress(QStringLiteral("http://127.0.0.1:8123")), kAddress);
    EXPECT_EQ(updateCheckAddress(QStringLiteral("http://127.0.0.1:8123/")), kAddress);
    EXPECT_EQ(updateCheckAddress(QStringLiteral("https://example.org/lexora")),
              QStringLiteral("https://example.org/lexora/checkupdate.htm?ver=1.1.5&build=116"));
    for (const char* bad : {"", "  ", "ftp://example.org", "file:///tmp", "javascript:alert(1)", "example.org"})
        EXPECT_TRUE(updateCheckAddress(QString::fromLatin1(bad)).isEmpty()) << bad;

    // The environment overrides the build's setting, and set to empty switches the check off.
    {
        UpdateBaseScope env("http://127.0.0.1:9");
        EXPECT_EQ(updateBase(), QStringLiteral("http://127.0.0.1:9"));
    }
    {
        UpdateBaseScope env("");
        EXPECT_TRUE(updateCheckAddress(updateBase()).isEmpty());
    }
    EXPECT_TRUE(isBrowsableUrl(QUrl(QStringLiteral("about:blank"))));
    EXPECT_TRUE(isBrowsableUrl(QUrl(QStringLiteral("https://a.b/"))));
    for (const char* no : {"file:///etc/passwd", "javascript:void(0)", "mailto:a@b.c", "data:text/html,x", "lexora:study"})
        EXPECT_FALSE(isBrowsableUrl(QUrl(QString::fromLatin1(no)))) << no;
}

TEST(WebPage, StartRequestsBlankThenTheUpdatePageOnce)
{
    UpdateBaseScope env("http://127.0.0.1:8123");
    Page p;
    EXPECT_EQ(p.browsers.made, 0);   // nothing is made before the start
    p.page.start();
    p.page.start();
    ASSERT_EQ(p.browsers.made, 1);
    EXPECT_EQ(p.browsers.last->calls,
              (QStringList{QStringLiteral("navigate about:blank"), QStringLiteral("navigate ") + kAddress}));
}

TEST(WebPage, WithoutAnUpdateAddressTheStartPageIsShownAndNothingRequested)
{
    UpdateBaseScope env("");
    Page p;
    StartPageFigures f;
    f.bookName = QStringLiteral("CET4<b>");
    f.words = 3849;
    f.planSet = true;
    f.plannedNew = 20;
    f.doneNew = 5;
    f.streak = 6;
    f.longest = 9;
    p.page.setStartPageSource([&f] { return f; });
    p.page.start();
    ASSERT_EQ(p.browsers.made, 1);
    auto* b = p.browsers.last;
    // "检测更新" and "主页" have nowhere to go either: the start page again, never a request.
    p.page.onCommand(cmd::kCheckUpdate, 0);
    p.page.onCommand(cmd::kWebHome, 0);
    const QString local = QStringLiteral("local");
    EXPECT_EQ(b->calls, (QStringList{local, local, local}));
    EXPECT_EQ(p.page.currentView(), b->view());
    EXPECT_TRUE(p.page.showsStartPage());
    const QString& html = b->localHtml;
    for (const char* text : {"今日计划", "新词 <b>5/20</b>", "连续打卡 <b>6</b> 天，最长 9 天", "CET4&lt;b&gt;", "共 3849 词",
                             "开始今日学习", "从词表新建单词本", "词汇量测试", ">学习<"})
        EXPECT_TRUE(html.contains(QString::fromUtf8(text))) << text;
    // Each link is the browser's own link of its command; nothing on the page names another address.
    for (int id : {cmd::kTodayPlan, cmd::kNewBookFromList, cmd::kVocabularyTest, cmd::kStudyPage})
        EXPECT_TRUE(html.contains(QStringLiteral("href=\"%1\"").arg(b->commandLink(id).toString()))) << id;
    EXPECT_EQ(html.count(QStringLiteral("href=")), 4);
    EXPECT_FALSE(html.contains(QStringLiteral("src=")));
}

TEST(WebPage, StartPageLinksRunTheirCommandsOnTheWordBookPage)
{
    UpdateBaseScope env("");
    Page p;
    p.page.start();
    auto* b = p.browsers.last;
    using P = QPair<int, qintptr>;
    struct Row {
        int link;
        QList<P> sent;
    };
    const Row rows[] = {
        {cmd::kTodayPlan, {P(cmd::kStudyPage, 0), P(cmd::kTodayPlan, 0)}},
        {cmd::kNewBookFromList, {P(cmd::kStudyPage, 0), P(cmd::kNewBookFromList, 0)}},
        {cmd::kVocabularyTest, {P(cmd::kStudyPage, 0), P(cmd::kVocabularyTest, 0)}},
        {cmd::kStudyPage, {P(cmd::kStudyPage, 0)}},
        // No other command, whatever the browser passes on.
        {cmd::kExit, {}},
        {cmd::kExitNoSave, {}},
        {cmd::kDelete, {}},
        {cmd::kCheckUpdate, {}},
    };
    for (const Row& r : rows) {
        p.owner.got.clear();
        b->clickCommand(r.link);
        EXPECT_EQ(p.owner.got, r.sent) << r.link;
    }
    // Once the page shows anything else, even its own links run nothing.
    UpdateBaseScope configured("http://127.0.0.1:8123");
    p.page.onCommand(cmd::kCheckUpdate, 0);
    p.owner.got.clear();
    b->clickCommand(cmd::kTodayPlan);
    EXPECT_TRUE(p.owner.got.isEmpty());
}

TEST(WebPage, ToolBarCommandsAndReportedStates)
{
    UpdateBaseScope env("http://127.0.0.1:8123");
    Page p;
    p.page.start();
    auto* b = p.browsers.last;
    b->calls.clear();
    for (int id : {cmd::kWebBack, cmd::kWebForward, cmd::kWebStop, cmd::kWebRefresh})
        EXPECT_TRUE(p.page.onCommand(id, 0)) << id;
    EXPECT_EQ(b->calls, (QStringList{QStringLiteral("back"), QStringLiteral("forward"), QStringLiteral("stop"),
                                     QStringLiteral("reload")}));
    b->calls.clear();
    p.page.onCommand(cmd::kCheckUpdate, 0);
    EXPECT_EQ(b->calls, QStringList{QStringLiteral("navigate ") + kAddress});
    EXPECT_FALSE(p.page.onCommand(cmd::kAbout, 0));

    // Only changes are reported, each with its new state.
    b->setHistory(true, false);
    b->setHistory(true, true);
    b->setHistory(false, true);
    using P = QPair<int, qintptr>;
    EXPECT_EQ(p.owner.got, (QList<P>{P(cmd::kBackState, 1), P(cmd::kForwardState, 1), P(cmd::kBackState, 0)}));
}

TEST(WebPage, AFailedLoadLeavesTheBrowserWithItsErrorPage)
{
    UpdateBaseScope env("http://127.0.0.1:8123");
    Page p;
    p.page.start();
    auto* b = p.browsers.last;
    EXPECT_EQ(ui::controlId(b->view()), res::browser_dlg::kBrowser);
    for (bool ok : {false, true, false}) {
        b->finishLoad(ok);
        EXPECT_EQ(p.page.currentView(), b->view()) << ok;
    }
    EXPECT_EQ(b->calls.size(), 2);   // nothing loaded in its place
    EXPECT_TRUE(p.owner.got.isEmpty());
}

TEST(WebPage, ABrowserThatCannotBeMadeLeavesAnEmptyPage)
{
    UpdateBaseScope env("http://127.0.0.1:8123");
    int asked = 0;
    CBrowserDialog page([&asked](QWidget*) -> std::unique_ptr<WebBrowser> {
        ++asked;
        return nullptr;
    });
    page.start();
    page.onCommand(cmd::kCheckUpdate, 0);
    for (int id : {cmd::kWebBack, cmd::kWebForward, cmd::kWebStop, cmd::kWebRefresh})
        page.onCommand(id, 0);
    EXPECT_EQ(asked, 1);   // not tried again and again
    EXPECT_NE(page.currentView(), nullptr);
}
