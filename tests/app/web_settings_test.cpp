// The outer window with a recording browser: the update request at start, back and forward, the
// page switch of "检测更新", the about box from the system menu and the help menu; and the
// settings dialog opened from the word book, with the Book-folder change on real files.
#include "session_probe.h"
#include "app_test_support.h"
#include "fake_web_browser.h"

#include "common/config/profile.h"
#include "common/controls/my_tool_bar.h"
#include "common/ui/template_builder.h"
#include "lexora/app/lexora_dlg.h"
#include "lexora/app/main_dialog.h"
#include "lexora/app/word_book_session.h"
#include "lexora/book/book_file.h"
#include "lexora/settings/my_prop_page.h"
#include "lexora/settings/prop_sub0.h"
#include "lexora/web/about_dlg.h"
#include "lexora/web/browser_dialog.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <gtest/gtest.h>

using namespace lex;
using apptest::CheckingServices;

namespace {

const QString kAddress = QStringLiteral("http://127.0.0.1:8123/checkupdate.htm?ver=1.1.5&build=116");

struct Window {
    lextest::TempDir dir;
    apptest::ProgramFolder pf;
    CheckingServices ui;
    lextest::FakeBrowsers browsers;
    QStringList modals;                                  // class names of the dialogs run
    std::function<int(QDialog&)> answer;                 // what the test does inside one
    std::unique_ptr<CMainDialog> w;

    explicit Window(int count = 10)
    {
        pf = apptest::makeProgramFolder(dir, count);
        AppServices s = apptest::testServices(&ui);
        s.browserFactory = browsers.factory();
        ui.modalHook = [this](QDialog& d) {
            modals << QString::fromLatin1(d.metaObject()->className());
            return answer ? answer(d) : int(QDialog::Rejected);
        };
        w = std::make_unique<CMainDialog>(s, pf.folder);
        EXPECT_TRUE(w->initialise());
        ui.base.clear();
    }
    CMyToolBar* bar() const { return w->toolBar(); }
};

} // namespace

TEST(WebPageInWindow, UpdateRequestAfterTheFirstPaintAndBackForwardButtons)
{
    lextest::UpdateBaseScope env("http://127.0.0.1:8123");
    Window win;
    EXPECT_EQ(win.browsers.made, 0);   // nothing before the window is painted
    EXPECT_FALSE(win.bar()->button(cmd::kWebBack)->isEnabled());
    EXPECT_FALSE(win.bar()->button(cmd::kWebForward)->isEnabled());
    win.w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(win.w.get()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return win.browsers.made == 1; }, 5000));
    ASSERT_EQ(win.browsers.made, 1);
    auto* b = win.browsers.last;
    EXPECT_EQ(b->calls, (QStringList{QStringLiteral("navigate about:blank"), QStringLiteral("navigate ") + kAddress}));

    b->setHistory(true, false);
    EXPECT_TRUE(win.bar()->button(cmd::kWebBack)->isEnabled());
    EXPECT_FALSE(win.bar()->button(cmd::kWebForward)->isEnabled());
    b->setHistory(false, true);
    EXPECT_FALSE(win.bar()->button(cmd::kWebBack)->isEnabled());
    EXPECT_TRUE(win.bar()->button(cmd::kWebForward)->isEnabled());

    // The tool-bar buttons reach the browser.
    b->calls.clear();
    for (int id : {cmd::kWebBack, cmd::kWebForward, cmd::kWebStop, cmd::kWebRefresh})
        EXPECT_TRUE(win.w->onCommand(id, 0));
    EXPECT_EQ(b->calls.join(QLatin1Char(' ')), QStringLiteral("back forward stop reload"));
}

TEST(WebPageInWindow, CheckUpdateSwitchesToTheWebPageFirst)
{
    lextest::UpdateBaseScope env("http://127.0.0.1:8123");
    Window win;
    win.w->onCommand(cmd::kStudyPage, 0);
    ASSERT_TRUE(win.w->isWordBookShown());
    win.w->onCommand(cmd::kCheckUpdate, 0);
    EXPECT_FALSE(win.w->isWordBookShown());
    EXPECT_TRUE(win.bar()->isButtonChecked(cmd::kWebPage));
    ASSERT_NE(win.browsers.last, nullptr);
    EXPECT_EQ(win.browsers.last->calls, QStringList{QStringLiteral("navigate ") + kAddress});

    // A page that does not load stays the browser's; the word book is one tool-bar click away.
    win.browsers.last->finishLoad(false);
    EXPECT_EQ(win.w->webPage()->currentView(), win.browsers.last->view());
    win.w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(win.w.get()));
    EXPECT_TRUE(win.bar()->button(cmd::kStudyPage)->isVisible());
    win.bar()->button(cmd::kStudyPage)->click();
    EXPECT_TRUE(win.w->isWordBookShown());
}

TEST(WebPageInWindow, WithoutAnUpdateBaseNothingIsRequested)
{
    lextest::UpdateBaseScope env("");
    Window win;
    win.w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(win.w.get()));
    QTest::qWait(50);
    EXPECT_TRUE(win.w->webPage()->hasStarted());
    ASSERT_EQ(win.browsers.made, 1);
    // The start page, made here: not even about:blank is asked for.
    EXPECT_EQ(win.browsers.last->calls, QStringList{QStringLiteral("local")});
    EXPECT_TRUE(win.w->webPage()->showsStartPage());
    EXPECT_TRUE(win.browsers.last->localHtml.contains(QStringLiteral("单词本 <b>English</b>")));
}

TEST(AboutBoxInWindow, SystemCommands16To31AndTheHelpMenu)
{
    Window win;
    for (int id = 16; id <= 31; ++id)
        EXPECT_TRUE(win.w->onSysCommand(id)) << id;
    EXPECT_EQ(win.modals.size(), 16);
    for (int id : {0, 15, 32, 0xF060, 0xF010})
        EXPECT_FALSE(win.w->onSysCommand(id)) << id;
    EXPECT_EQ(win.modals.size(), 16);
    EXPECT_TRUE(win.w->onCommand(cmd::kAbout, 0));
    EXPECT_EQ(win.modals.size(), 17);
    EXPECT_EQ(win.modals.front(), QStringLiteral("lex::CAboutDlg"));
    EXPECT_EQ(win.modals.back(), QStringLiteral("lex::CAboutDlg"));
}

namespace {

CMyPropPage& propPage(QDialog& d)
{
    auto* p = qobject_cast<CMyPropPage*>(&d);
    EXPECT_NE(p, nullptr);
    return *p;
}

int setBookFolderAndSave(QDialog& d, const QString& folder)
{
    CMyPropPage& p = propPage(d);
    ui::control<QLineEdit>(p.page(0), CPropSub0::kBookFolder)->setText(folder);
    ui::control<QPushButton>(&p, CMyPropPage::kCloseSave)->click();
    return p.result();
}

} // namespace

TEST(SettingsInWindow, BookFolderChangeSavesHereAndLoadsThere)
{
    Window win(10);
    CLexoraDlg* book = win.w->wordBook();
    const QString other = win.pf.folder + QStringLiteral("/Other/");
    apptest::writeBook(other, QStringLiteral("English"), 3);
    // An edit that must reach the old folder before the switch.
    lextest::writableBook(book->session()).atView(0)->stored.recognition = 7;

    win.answer = [&](QDialog& d) { return setBookFolderAndSave(d, other); };
    EXPECT_TRUE(win.w->onCommand(cmd::kSettings, 0));
    EXPECT_EQ(win.modals, QStringList{QStringLiteral("lex::CMyPropPage")});
    EXPECT_EQ(book->book().path, other);
    EXPECT_EQ(book->list()->itemCount(), 3);
    EXPECT_EQ(book->paneText(0), QStringLiteral("Book:English"));
    Book saved;
    saved.path = win.pf.bookPath;
    saved.name = QStringLiteral("English");
    LoadBook(saved);
    ASSERT_EQ(saved.size(), 10);
    EXPECT_EQ(saved.atView(0)->stored.recognition, 7);

    // The same folder in another letter case is another folder here, and counts as a change.
    const QString upper = win.pf.folder + QStringLiteral("/OTHER/");
    QDir().mkpath(upper);
    win.answer = [&](QDialog& d) { return setBookFolderAndSave(d, upper); };
    win.w->onCommand(cmd::kSettings, 0);
    EXPECT_EQ(book->book().path, upper);
    EXPECT_EQ(book->list()->itemCount(), 0);   // a new, empty Book there
    EXPECT_TRUE(win.ui.messages().isEmpty()) << win.ui.messages().join(QLatin1Char('|')).toStdString();
}

TEST(SettingsInWindow, BookFolderRefusals)
{
    Window win(10);
    CLexoraDlg* book = win.w->wordBook();
    const QString before = book->book().path;

    // A folder that does not exist: refused in the dialog, which stays open; the Book stays.
    win.answer = [&](QDialog& d) {
        EXPECT_NE(setBookFolderAndSave(d, win.pf.folder + QStringLiteral("/Missing")), QDialog::Accepted);
        return int(QDialog::Rejected);
    };
    win.w->onCommand(cmd::kSettings, 0);
    EXPECT_EQ(book->book().path, before);
    EXPECT_EQ(book->list()->itemCount(), 10);
    ASSERT_EQ(win.ui.messages().size(), 1);
    EXPECT_TRUE(win.ui.messages()[0].startsWith(QStringLiteral("Book路径不存在")));

    // A save that fails (the learner declines the save-as) keeps the folder and the entries.
    win.ui.base.clear();
    const QString other = win.pf.folder + QStringLiteral("/Other/");
    apptest::writeBook(other, QStringLiteral("English"), 3);
    lextest::writableBook(book->session()).loadFailed = true;   // the save refuses to overwrite a Book it could not read
    win.ui.queueAnswer(MessageAnswer::No);
    win.answer = [&](QDialog& d) {
        EXPECT_NE(setBookFolderAndSave(d, other), QDialog::Accepted);
        return int(QDialog::Rejected);
    };
    win.w->onCommand(cmd::kSettings, 0);
    EXPECT_EQ(book->book().path, before);
    EXPECT_EQ(book->list()->itemCount(), 10);
    ASSERT_EQ(win.ui.messages().size(), 2);
    EXPECT_EQ(win.ui.messages()[1], QStringLiteral("当前Book没有保存成功，Book路径未改变。"));
}

TEST(SettingsInWindow, FontSizeReachesTheListAndIsWrittenAtExit)
{
    Window win(10);
    CLexoraDlg* book = win.w->wordBook();
    win.answer = [&](QDialog& d) {
        CMyPropPage& p = propPage(d);
        ui::control<QComboBox>(p.page(0), CPropSub0::kFontSize)->setCurrentIndex(2);
        return int(QDialog::Rejected);   // closed without "关闭保存": the font size stays
    };
    win.w->onCommand(cmd::kSettings, 0);
    EXPECT_EQ(book->fontType(), 2);
    EXPECT_EQ(book->listFont().pixelSize(), 22);
    EXPECT_EQ(book->phoneticFont().pixelSize(), 22);
    EXPECT_EQ(book->list()->font().pixelSize(), 22);
    win.w->shutDown();
    EXPECT_EQ(Profile(win.pf.folder + QStringLiteral("/Config.INI")).readInt(QStringLiteral("MAINLISTCTRL"),
                                                                             QStringLiteral("FontSize"), -1),
              2);
}
