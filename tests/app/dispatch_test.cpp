// The two windows' command tables, driven by number as the menus, tool bar and keys do.
#include "session_probe.h"
#include "app_test_support.h"
#include "word_book_fixture.h"

#include "common/config/profile.h"
#include "common/controls/image_button.h"
#include "common/controls/my_tool_bar.h"
#include "common/platform/window_link.h"
#include "lexora/web/browser_dialog.h"
#include "lexora/app/lexora_dlg.h"
#include "lexora/app/main_dialog.h"
#include "lexora/app/status_animation.h"
#include "lexora/app/word_book_session.h"
#include "lexora/book/book_file.h"

#include <QMenu>
#include <QTest>
#include <QLabel>
#include <gtest/gtest.h>

using namespace lex;
using apptest::CheckingServices;
using apptest::Session;

TEST(MainWindow, OpensOnTheWebPageAndSwitchesPages)
{
    Session s(20);
    CMyToolBar* bar = s.w->toolBar();
    EXPECT_EQ(s.w->windowTitle(), QStringLiteral("Tessaly"));
    EXPECT_FALSE(s.w->isWordBookShown());
    EXPECT_TRUE(bar->isButtonChecked(cmd::kWebPage));
    auto buttonShown = [bar](int id) {
        for (QAction* a : bar->actions())
            if (bar->widgetForAction(a) == bar->button(id))
                return a->isVisible();
        return false;
    };
    for (int id : CMainDialog::kWebButtons)
        EXPECT_TRUE(buttonShown(id)) << id;
    for (int id : CMainDialog::kWordBookButtons)
        EXPECT_FALSE(buttonShown(id)) << id;

    s.w->onCommand(cmd::kStudyPage, 0);
    EXPECT_TRUE(s.w->isWordBookShown());
    EXPECT_TRUE(s.w->webPage()->isHidden());
    EXPECT_TRUE(bar->isButtonChecked(cmd::kStudyPage));
    for (int id : CMainDialog::kWebButtons)
        EXPECT_FALSE(buttonShown(id)) << id;
    for (int id : CMainDialog::kWordBookButtons)
        EXPECT_TRUE(buttonShown(id)) << id;
    QStringList texts;
    for (int id : CMainDialog::kWordBookButtons)
        texts << bar->button(id)->text();
    EXPECT_EQ(texts.join(QLatin1Char(' ')), QStringLiteral("文件 编辑 练习 帮助"));

    // "检测更新" goes back to the web page.
    s.w->onCommand(cmd::kCheckUpdate, 0);
    EXPECT_FALSE(s.w->isWordBookShown());
    EXPECT_TRUE(bar->isButtonChecked(cmd::kWebPage));

    // The web page's back/forward state reaches its buttons.
    s.w->onCommand(cmd::kBackState, 0);
    EXPECT_FALSE(bar->button(cmd::kWebBack)->isEnabled());
    s.w->onCommand(cmd::kBackState, 1);
    EXPECT_TRUE(bar->button(cmd::kWebBack)->isEnabled());
}

// The status line says how many of the Book's words have a recording: in the voice folder (where
// an Anki import puts its sounds) or a folder of recordings by its pattern; an empty file is none.
TEST(MainWindow, TheStatusLineCountsTheWordsWithARecording)
{
    lextest::TempDir rec;
    Session s(6, QStringLiteral("[SPEECH2]\nRecordings=%1|{word}.ogg\n").arg(rec.path()));
    const QString voice = s.pf.folder + QStringLiteral("/Voice/");
    QDir().mkpath(voice + QStringLiteral("w"));
    for (const char* name : {"w/w0.mp3", "w/w1.wav", "w/w2.mp3"})
        s.dir.write(QStringLiteral("home/Voice/") + QLatin1String(name), QLatin1String(name) == QLatin1String("w/w2.mp3") ? "" : "ID3");
    rec.write(QStringLiteral("W4.OGG"), "OggS");
    rec.write(QStringLiteral("w9.ogg"), "OggS");   // no such word in the Book
    s.w.reset();
    s.open();
    EXPECT_EQ(s.book()->paneText(0), QStringLiteral("Book:English  有录音 3/6"));
    // Sounds an import brought into the voice folder count at once.
    s.dir.write(QStringLiteral("home/Voice/w/w5.mp3"), "ID3");
    s.w->onCommand(cmd::kStudyPage, 0);
    s.ui.queueDialog([](QDialog*) { return int(QDialog::Rejected); });   // the import dialog, closed
    s.book()->onCommand(cmd::kImport, 0);
    EXPECT_EQ(s.book()->paneText(0), QStringLiteral("Book:English  有录音 4/6"));
}

TEST(MainWindow, StatusBarAndToggles)
{
    Session s(5);
    CLexoraDlg* b = s.book();
    EXPECT_EQ(b->paneText(0), QStringLiteral("Book:English"));
    EXPECT_EQ(b->paneText(1), QStringLiteral("已选:0"));
    EXPECT_EQ(b->paneText(2), QStringLiteral("已学:0"));
    EXPECT_EQ(s.list()->itemCount(), 5);
    EXPECT_TRUE(b->isToggleChecked(cmd::kToggleWord));
    EXPECT_TRUE(b->isToggleChecked(cmd::kToggleExplanation));
    EXPECT_FALSE(b->isToggleChecked(cmd::kToggleCase));
    EXPECT_FALSE(b->toggle(cmd::kToggleLockIndex)->isEnabled());

    // Hiding the words clears every reveal flag; hiding the explanations too brings the words back.
    b->toggle(cmd::kToggleWord)->click();
    EXPECT_FALSE(b->isToggleChecked(cmd::kToggleWord));
    for (const WordEntry* e : b->book().full())
        EXPECT_FALSE(e->reveal);
    b->toggle(cmd::kToggleExplanation)->click();
    EXPECT_FALSE(b->isToggleChecked(cmd::kToggleExplanation));
    EXPECT_TRUE(b->isToggleChecked(cmd::kToggleWord));
    b->toggle(cmd::kToggleExplanation)->click();   // checked again: everything shows
    EXPECT_TRUE(b->isToggleChecked(cmd::kToggleExplanation));
    for (const WordEntry* e : b->book().full())
        EXPECT_TRUE(e->reveal);

    b->showStatusText(QStringLiteral("hello"));
    EXPECT_EQ(b->paneText(0), QStringLiteral("hello"));
    const QString text = QStringLiteral("hello again");   // the private message 90002
    EXPECT_TRUE(b->onCommand(cmd::kStatusText, reinterpret_cast<qintptr>(&text)));
    EXPECT_EQ(b->paneText(0), text);

    // 已选 shows its whole text up to a million selected rows.
    b->setSelectionText(QStringLiteral("已选:1000000"));
    int panes = 0;
    for (const QLabel* pane : b->findChildren<QLabel*>()) {
        if (!pane->text().startsWith(QStringLiteral("已选")))
            continue;
        ++panes;
        EXPECT_GE(pane->contentsRect().width(), pane->fontMetrics().horizontalAdvance(pane->text()));
    }
    EXPECT_EQ(panes, 1);
    b->startStatusAnimation();
    b->statusAnimation().onTimer(StatusAnimation::kStartTimer);
    b->statusAnimation().onTimer(StatusAnimation::kTypeTimer);
    EXPECT_EQ(b->paneText(0), QStringLiteral("每"));
    b->statusAnimation().onTimer(StatusAnimation::kRestoreTimer);
    EXPECT_EQ(b->paneText(0), QStringLiteral("Book:English"));
}

TEST(WordBookCommands, DeleteAsksThenRemovesAndSelectsTheRowBefore)
{
    Session s(10);
    s.select({3, 5});
    QStringList asked;
    s.ui.queueDialog(apptest::answerDelete(true, false, &asked));
    EXPECT_TRUE(s.w->onCommand(cmd::kDelete, 0));
    EXPECT_EQ(asked, QStringList{QStringLiteral("您已选择了(2)项\n是否要删除选择项")});
    EXPECT_EQ(s.list()->itemCount(), 8);
    EXPECT_EQ(s.words().join(QLatin1Char(',')), QStringLiteral("w0,w1,w2,w4,w6,w7,w8,w9"));
    EXPECT_EQ(s.list()->focusedRow(), 2);
    EXPECT_EQ(s.list()->selectedRows(), std::vector<int>{2});
    EXPECT_TRUE(s.book()->book().textChanged);

    // Cancelled with the box ticked: nothing deleted, and no question from now on.
    s.select({0});
    s.ui.queueDialog(apptest::answerDelete(false, true, &asked));
    s.w->onCommand(cmd::kDelete, 0);
    EXPECT_EQ(s.list()->itemCount(), 8);
    s.w->onCommand(cmd::kDelete, 0);
    EXPECT_EQ(s.list()->itemCount(), 7);
    EXPECT_EQ(asked.size(), 2);
    EXPECT_EQ(s.list()->focusedRow(), 0) << "row 0 deleted: row 0 comes next";

    // The saved Book holds what the list shows.
    s.w->onCommand(cmd::kExit, 0);
    Book reread;
    reread.path = s.pf.bookPath;
    reread.name = QStringLiteral("English");
    LoadBook(reread);
    EXPECT_EQ(reread.size(), 7);
}

TEST(WordBookCommands, DeletingEveryRowEmptiesTheBookAndKeepsItsText)
{
    Session s(6);
    const QByteArray text = s.file(QStringLiteral("English.txt"));
    s.list()->selectAll();
    s.w->onCommand(cmd::kDelete, 1);   // as a move to another group does: no question
    EXPECT_TRUE(s.ui.messages().isEmpty());
    EXPECT_EQ(s.list()->itemCount(), 0);
    EXPECT_TRUE(s.book()->book().empty());

    // On an empty Book the list commands change nothing and ask nothing.
    for (int id : {cmd::kDelete, cmd::kShuffle, cmd::kRenumber})
        EXPECT_TRUE(s.w->onCommand(id, 0));
    EXPECT_TRUE(s.ui.messages().isEmpty());
    s.w->onCommand(cmd::kExit, 0);
    EXPECT_EQ(s.file(QStringLiteral("English.idx")).size(), 5);
    EXPECT_EQ(s.file(QStringLiteral("English.txt")), text);
}

TEST(WordBookCommands, ShuffleKeepsNumbersAndRenumberCountsAfresh)
{
    Session s(30);
    const QByteArray text = s.file(QStringLiteral("English.txt"));
    const QStringList before = s.words();
    s.w->onCommand(cmd::kShuffle, 0);
    EXPECT_NE(s.words(), before);
    EXPECT_EQ(s.book()->sortState().lastColumn, 0);
    for (const WordEntry* e : s.book()->book().view())
        EXPECT_EQ(e->word(), QStringLiteral("w%1").arg(e->seq)) << "each entry keeps its number";
    EXPECT_FALSE(s.book()->book().textChanged);
    const QStringList shuffled = s.words();

    s.w->onCommand(cmd::kRenumber, 0);
    EXPECT_EQ(s.words(), shuffled);
    const auto& view = s.book()->book().view();
    for (size_t i = 0; i < view.size(); ++i) {
        EXPECT_EQ(view[i]->seq, int(i));
        EXPECT_EQ(view[i]->keptSeq, int(i));
    }
    EXPECT_EQ(s.book()->book().nextSeq, 30);

    // Saved: the index in the new order, the text file untouched.
    s.w->onCommand(cmd::kSave, 0);
    EXPECT_EQ(s.file(QStringLiteral("English.txt")), text);
    Book reread;
    reread.path = s.pf.bookPath;
    reread.name = QStringLiteral("English");
    LoadBook(reread);
    QStringList order;
    for (const WordEntry* e : reread.full())
        order << e->word().toString();
    EXPECT_EQ(order, shuffled);
}

TEST(WordBookCommands, SelectionChecksAndCommandsWithoutDialogs)
{
    Session s(5);
    QStringList dialogs;   // every modal dialog opened past the filter, left with Cancel
    s.select({});
    s.w->onCommand(cmd::kExport, 0);
    s.select({1});
    s.book()->onCommand(cmd::kStrangenessFilter, 0);   // the list's request goes to the word-book window
    EXPECT_EQ(s.ui.messages(), (QStringList{QStringLiteral("请选择单词再导出.要导出全部可按Ctrl-A"),
                                            QStringLiteral("必须有多个选择项才有意义，此过滤器用于练习过后\n方便通过临时陌生度改变其它陌生度")}));
    s.select({1, 2});
    s.ui.queueDialog([](QDialog* d) {
        d->reject();
        return d->result();
    });
    s.book()->onCommand(cmd::kStrangenessFilter, 0);
    s.ui.modalHook = [&](QDialog& d) {
        dialogs << d.windowTitle();
        return int(QDialog::Rejected);
    };
    s.w->onCommand(cmd::kExport, 0);
    EXPECT_EQ(s.ui.messages().size(), 2);
    EXPECT_EQ(dialogs, QStringList{QStringLiteral("导出文件")});

    // Dialogs left with Cancel change nothing.
    const QStringList before = s.words();
    for (int id : {cmd::kImport, cmd::kDictate, cmd::kCheckDuplicates, cmd::kLearn, cmd::kDrill, cmd::kListen})
        EXPECT_TRUE(s.w->onCommand(id, 0)) << id;
    EXPECT_EQ(s.words(), before);
    EXPECT_EQ(dialogs, (QStringList{QStringLiteral("导出文件"), QStringLiteral("导入文件"), QStringLiteral("拼写"),
                                    QStringLiteral("初记"), QStringLiteral("强记"), QStringLiteral("听辨")}));
    EXPECT_FALSE(s.book()->statusAnimation().isActive(StatusAnimation::kStartTimer));
    EXPECT_FALSE(s.w->hasShutDown());
    EXPECT_FALSE(s.w->onCommand(12345, 0));
    s.ui.modalHook = nullptr;

    s.w->onCommand(cmd::kHelp, 0);
    EXPECT_EQ(s.ui.base.opened(), QStringList{s.pf.folder + QStringLiteral("/Readme.txt")});
}

TEST(WordBookCommands, DropDownMenusCarryTheirCommands)
{
    Session s(12);
    s.w->show();
    s.w->onCommand(cmd::kStudyPage, 0);
    s.w->onCommand(cmd::kDropDown, cmd::kMenuEdit);
    QMenu* edit = s.w->dropDownMenu(1);
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(edit->isVisible());
    EXPECT_TRUE(s.w->toolBar()->button(cmd::kMenuEdit)->isHeldDown());
    QAction* renumber = nullptr;
    QStringList ids;
    for (QAction* a : edit->actions()) {
        if (a->isSeparator())
            continue;
        ids << a->data().toString();
        if (a->data().toInt() == cmd::kRenumber)
            renumber = a;
    }
    QStringList expected;
    for (int id : {cmd::kUndo, cmd::kRedo, cmd::kAdd, cmd::kModify, cmd::kDelete, cmd::kClassName, cmd::kMoveCopy,
                   cmd::kFind, cmd::kShuffle, cmd::kRenumber, cmd::kCheckDuplicates, cmd::kGroups, cmd::kNewBookFromList,
                   cmd::kSettings})
        expected << QString::number(id);
    EXPECT_EQ(ids, expected);
    edit->hide();
    EXPECT_FALSE(s.w->toolBar()->button(cmd::kMenuEdit)->isHeldDown());
    ASSERT_NE(renumber, nullptr);
    s.w->onCommand(cmd::kShuffle, 0);
    renumber->trigger();
    EXPECT_EQ(s.book()->book().view()[0]->seq, 0);
    EXPECT_EQ(s.book()->book().view()[11]->seq, 11);

    // The tool-bar button posts the drop-down request instead of running a command.
    QTest::mousePress(s.w->toolBar()->button(cmd::kMenuFile), Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_TRUE(s.w->dropDownMenu(0)->isVisible());
    s.w->dropDownMenu(0)->hide();
    QTest::mouseRelease(s.w->toolBar()->button(cmd::kMenuFile), Qt::LeftButton);

    // "退出" from its menu ends the window from inside the menu's own handler.
    for (QAction* a : s.w->dropDownMenu(0)->actions())
        if (a->data().toInt() == cmd::kExit)
            a->trigger();
    EXPECT_TRUE(s.w->hasShutDown());
    EXPECT_EQ(s.w->dropDownMenu(0), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(WordBookCommands, DoubleClickSendsTheWordToTheCompanion)
{
    Session s(4);
    s.w->show();
    s.w->onCommand(cmd::kStudyPage, 0);
    QCoreApplication::processEvents();
    const QRect cell = s.list()->visualRect(s.list()->model()->index(2, 0));
    QTest::mouseDClick(s.list()->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(s.link.words, QStringList{QStringLiteral("w2/0")});
    s.book()->sendRowToCompanion(99);   // outside the view: nothing
    EXPECT_EQ(s.link.words.size(), 1);
}

TEST(Shutdown, ExitWithoutSavingLeavesTheBookButWritesEverySetting)
{
    Session s(8);
    const QByteArray idx = s.file(QStringLiteral("English.idx"));
    const QByteArray txt = s.file(QStringLiteral("English.txt"));
    lextest::writableBook(s.book()->session()).SetStrangeness(0, Degree::Recognition, DegreeChange::to(9));
    s.select({2});
    s.w->onCommand(cmd::kDelete, 1);
    s.list()->setFocusedRow(4);
    s.w->onCommand(cmd::kExitNoSave, 0);
    EXPECT_TRUE(s.w->hasShutDown());
    EXPECT_EQ(s.w->result(), int(QDialog::Accepted));
    EXPECT_EQ(s.file(QStringLiteral("English.idx")), idx);
    EXPECT_EQ(s.file(QStringLiteral("English.txt")), txt);

    const Profile p = s.profile();
    const QString init = QStringLiteral("INIT"), list = QStringLiteral("MAINLISTCTRL");
    EXPECT_EQ(p.readString(init, QStringLiteral("BookName")), QStringLiteral("English"));
    EXPECT_EQ(p.readString(init, QStringLiteral("BookPath")), s.pf.bookPath);
    EXPECT_EQ(p.readString(init, QStringLiteral("VoicePath")), s.pf.folder + QStringLiteral("/Voice/"));
    EXPECT_EQ(p.readInt(init, QStringLiteral("IsCase"), -1), 0);
    EXPECT_EQ(p.readInt(init, QStringLiteral("IsDisableTTS"), -1), 1);
    EXPECT_EQ(p.readInt(init, QStringLiteral("IsForbidWinStick"), -1), 1);
    EXPECT_EQ(p.readInt(list, QStringLiteral("FocusedItem"), -9), 4);
    EXPECT_EQ(p.readInt(list, QStringLiteral("FontSize"), -9), 0);
    EXPECT_TRUE(p.readStruct(list, QStringLiteral("ColumnWidth"), 24).has_value());
    EXPECT_TRUE(p.readStruct(list, QStringLiteral("BackGroundColor"), 4).has_value());
    const auto rect = config::unpackRect(p.readStruct(init, QStringLiteral("LexoraDlgSize"), 16).value_or(QByteArray()));
    ASSERT_TRUE(rect.has_value());
    EXPECT_EQ(rect->right - rect->left, 700);
    EXPECT_EQ(rect->bottom - rect->top, 400);

    s.w->onCommand(cmd::kExit, 0);   // a second ending does nothing more
    EXPECT_EQ(s.file(QStringLiteral("English.idx")), idx);
}

TEST(Shutdown, ClosingSavesAndTheNextRunStartsWhereThisOneEnded)
{
    Session s(40, QStringLiteral("[MAINLISTCTRL]\nFontSize=1\n"));
    EXPECT_EQ(s.book()->listFont().pixelSize(), 18);
    EXPECT_EQ(s.book()->phoneticFont().pixelSize(), 18);
    lextest::writableBook(s.book()->session()).SetStrangeness(3, Degree::Spelling, DegreeChange::to(7));
    s.list()->setFocusedRow(33);
    s.w->onCommand(ui::IDCANCEL, 0);   // the close button
    EXPECT_EQ(s.w->result(), int(QDialog::Rejected));
    Book reread;
    reread.path = s.pf.bookPath;
    reread.name = QStringLiteral("English");
    LoadBook(reread);
    EXPECT_EQ(reread.full()[3]->stored.spelling, 7);

    s.open();
    EXPECT_EQ(s.list()->focusedRow(), -1) << "the row is scrolled to, not focused";
    EXPECT_EQ(s.list()->selectedCount(), 0) << "the row is scrolled to, not selected";
    EXPECT_EQ(s.book()->fontType(), 1);
    EXPECT_EQ(s.book()->listFont().pixelSize(), 18);
    s.w->show();
    s.w->onCommand(cmd::kStudyPage, 0);
    auto rowShown = [&s] {
        return s.list()->viewport()->rect().contains(s.list()->visualRect(s.list()->model()->index(33, 0)));
    };
    for (int i = 0; i < 100 && !rowShown(); ++i)
        QTest::qWait(20);
    EXPECT_TRUE(rowShown()) << "the focused row of the last run is scrolled into view";
    EXPECT_EQ(s.list()->focusedRow(), -1) << "the list's keyboard focus gives no row the focus";
    s.w->onCommand(cmd::kModify, 0);   // no focused row: no dialog (an unscripted one fails the test)
    QTest::keyClick(s.list(), Qt::Key_Down);
    EXPECT_EQ(s.list()->focusedRow(), 34) << "the first arrow key moves on from the row shown";
}

TEST(Shutdown, EscAndEnterCloseNothing)
{
    Session s(3);
    s.w->show();
    QTest::keyClick(s.w.get(), Qt::Key_Escape);
    QTest::keyClick(s.w.get(), Qt::Key_Return);
    s.w->onCommand(cmd::kStudyPage, 0);
    QTest::keyClick(s.list(), Qt::Key_Escape);
    QTest::keyClick(s.list(), Qt::Key_Return);
    EXPECT_FALSE(s.w->hasShutDown());
    EXPECT_TRUE(s.w->isVisible());
}
