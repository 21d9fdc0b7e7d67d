// 撤销 and 重做 in the word-book window: every edit through the window comes back with an undo and
// goes again with a redo, a save after an undo writes the Book as it was, the history keeps 100
// steps and is cleared by a switch, and the menu items and keys follow it.
#include "word_book_fixture.h"
#include "book_snapshot.h"

#include "common/platform/sources.h"
#include "lexora/app/word_book_session.h"
#include "lexora/book/book_file.h"
#include "lexora/exchange/import_dialog.h"
#include "lexora/wordlist/add_modify_dialog.h"
#include "lexora/book/operations/degree_ops.h"
#include "lexora/book/operations/entry_ops.h"
#include "lexora/wordlist/group_dialog.h"
#include "lexora/wordlist/small_dialogs.h"
#include "lexora/wordlist/word_list_model.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <functional>

using namespace lex;
using apptest::Session;

namespace {

using lextest::snapshot;

std::string onDisk(const QString& path, const QString& name)
{
    Book b;
    b.path = path;
    b.name = name;
    LoadBook(b);
    return snapshot(b, false);
}

void click(ui::TemplateDialog* d, int id) { d->item<QPushButton>(id)->click(); }

template <class D>
std::function<int(QDialog*)> playing(std::function<void(D*)> steps)
{
    return [steps](QDialog* dialog) {
        auto* d = dynamic_cast<D*>(dialog);
        EXPECT_NE(d, nullptr) << "another dialog than expected opened";
        if (!d)
            return 0;
        steps(d);
        return d->result();
    };
}

QAction* editItem(const Session& s, int id)
{
    for (QAction* a : s.w->dropDownMenu(1)->actions())
        if (a->data().toInt() == id)
            return a;
    return nullptr;
}

void key(Session& s, int k, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QTest::keyClick(s.list(), Qt::Key(k), mods);
}

} // namespace

// Each action through the window: undo gives back the Book as before it (in memory and, after a
// save, on disk exactly as it was loaded), redo the Book as after it, and a second undo the
// state before again.
TEST(UndoRedo, EveryEditComesBackAndGoesAgain)
{
    struct Action {
        const char* name;
        std::function<void(Session&)> run;
    };
    const std::vector<Action> actions = {
        {"add", [](Session& s) {
             s.ui.queueDialog(playing<CMyAddModifyDialog>([](CMyAddModifyDialog* d) {
                 d->item<QLineEdit>(CMyAddModifyDialog::kWord)->setText(QStringLiteral("qwzx"));
                 click(d, CMyAddModifyDialog::kAccept);
                 click(d, ui::IDCANCEL);
             }));
             s.w->onCommand(cmd::kAdd, 0);
         }},
        {"modify", [](Session& s) {
             s.list()->setFocusedRow(3);
             s.ui.queueDialog(playing<CMyAddModifyDialog>([](CMyAddModifyDialog* d) {
                 d->item<QLineEdit>(CMyAddModifyDialog::kWord)->setText(QStringLiteral("changed"));
                 d->item<QPlainTextEdit>(CMyAddModifyDialog::kComment)->setPlainText(QStringLiteral("note"));
                 d->item<QComboBox>(CMyAddModifyDialog::kSpelling)->setCurrentIndex(2);
                 click(d, CMyAddModifyDialog::kAccept);
             }));
             s.w->onCommand(cmd::kModify, 0);
         }},
        {"delete some rows", [](Session& s) {
             s.select({1, 2, 7});
             s.w->onCommand(cmd::kDelete, 1);
         }},
        {"delete every row", [](Session& s) {
             s.list()->selectAll();
             s.w->onCommand(cmd::kDelete, 1);
         }},
        {"class name", [](Session& s) {
             s.select({0, 4});
             s.ui.queueDialog(playing<CMyNameClass>([](CMyNameClass* d) {
                 d->item<QComboBox>(CMyNameClass::kName)->setEditText(QStringLiteral("单元一"));
                 click(d, ui::IDOK);
             }));
             s.w->onCommand(cmd::kClassName, 0);
         }},
        {"strangeness by the pop-up menu", [](Session& s) {
             s.select({2, 3, 5});
             s.list()->onListCommand(10000 + 100 * 2 + 7);   // 拼写 = 7
         }},
        {"strangeness by keys", [](Session& s) {
             s.select({0, 10});
             key(s, Qt::Key_1, Qt::KeypadModifier);   // 认读 - 1 (row 0 is at 0 and keeps it)
         }},
        {"temporary strangeness by keys", [](Session& s) {
             s.select({4});
             key(s, Qt::Key_Right);
         }},
        {"strangeness by mouse", [](Session& s) {
             s.list()->setFocusedRow(0);
             const QRect cell = s.list()->visualRect(s.list()->model()->index(6, kColListening));
             QTest::mouseClick(s.list()->viewport(), Qt::LeftButton, {}, cell.center());
         }},
        {"import", [](Session& s) {
             ImportExportHost host;
             host.session = &s.book()->session();
             host.list = s.list();
             ImportSettings settings;
             applyImport(host, u"alpha\n甲\nbeta\n乙\n", settings);
         }},
        {"shuffle", [](Session& s) { s.w->onCommand(cmd::kShuffle, 0); }},
        {"sort by a header", [](Session& s) { s.list()->sortByHeader(1); }},
    };
    for (const Action& a : actions) {
        SCOPED_TRACE(a.name);
        Session s(12);
        s.w->show();
        BookHistory& h = s.book()->history();
        const Book& b = s.book()->book();
        const std::string loaded = snapshot(b);
        const std::string loadedSaved = snapshot(b, false);
        ASSERT_FALSE(h.canUndo());
        a.run(s);
        const std::string after = snapshot(b);
        ASSERT_NE(after, loaded) << "the action changed nothing";
        ASSERT_TRUE(h.canUndo());
        EXPECT_EQ(h.count(), 1) << "one step per action";

        s.w->onCommand(cmd::kUndo, 0);
        EXPECT_EQ(snapshot(b), loaded);
        EXPECT_EQ(s.list()->itemCount(), b.size());
        s.w->onCommand(cmd::kRedo, 0);
        EXPECT_EQ(snapshot(b), after);
        EXPECT_EQ(s.list()->itemCount(), b.size());

        // Saved after the action, then undone and saved again: the files hold the Book as loaded.
        s.w->onCommand(cmd::kSave, 0);
        s.w->onCommand(cmd::kUndo, 0);
        EXPECT_EQ(snapshot(b), loaded);
        s.w->onCommand(cmd::kSave, 0);
        EXPECT_EQ(onDisk(s.pf.bookPath, QStringLiteral("English")), loadedSaved);
        s.w->onCommand(cmd::kRedo, 0);
        s.w->onCommand(cmd::kSave, 0);
        EXPECT_EQ(onDisk(s.pf.bookPath, QStringLiteral("English")), snapshot(b, false));
        EXPECT_EQ(snapshot(b), after);
    }
}

// Renumbering after a shuffle: the numbers come back, and the order stays where the shuffle left it.
TEST(UndoRedo, RenumberAndShuffleAreTwoSteps)
{
    Session s(12);
    BookHistory& h = s.book()->history();
    const Book& b = s.book()->book();
    const std::string loaded = snapshot(b);
    s.w->onCommand(cmd::kRenumber, 0);
    EXPECT_FALSE(h.canUndo()) << "numbers already 0..n-1: nothing to undo";
    s.w->onCommand(cmd::kShuffle, 0);
    const std::string shuffled = snapshot(b);
    s.w->onCommand(cmd::kRenumber, 0);
    EXPECT_EQ(b.full()[0]->seq, 0);
    EXPECT_EQ(h.count(), 2);
    s.w->onCommand(cmd::kUndo, 0);
    EXPECT_EQ(snapshot(b), shuffled);
    s.w->onCommand(cmd::kRedo, 0);
    EXPECT_EQ(b.full()[11]->seq, 11);
    s.w->onCommand(cmd::kUndo, 0);
    s.w->onCommand(cmd::kUndo, 0);
    EXPECT_EQ(snapshot(b), loaded);
}

// A delete of every row keeps the entries themselves, not copies; a delete of some rows puts
// them back between the rows that stayed, which keep their selection.
TEST(UndoRedo, DeletedRowsReturnToTheirPlaces)
{
    Session s(12);
    const Book& b = s.book()->book();
    const std::vector<WordEntry*> entries = b.view();
    s.list()->selectAll();
    s.w->onCommand(cmd::kDelete, 1);
    ASSERT_EQ(b.size(), 0);
    s.w->onCommand(cmd::kUndo, 0);
    EXPECT_EQ(b.view(), entries);

    s.select({0, 3, 4, 11});
    s.w->onCommand(cmd::kDelete, 1);
    s.select({1, 5});   // w2 and w8 now
    s.w->onCommand(cmd::kUndo, 0);
    EXPECT_EQ(s.words(), (QStringList{"w0", "w1", "w2", "w3", "w4", "w5", "w6", "w7", "w8", "w9", "w10", "w11"}));
    EXPECT_EQ(s.list()->itemCount(), 12);
    // The rows that came back are shown selected.
    EXPECT_EQ(s.list()->selectedRows(), (std::vector<int>{0, 3, 4, 11}));
    EXPECT_EQ(s.list()->focusedRow(), 0);
    s.list()->clearSelection();
    s.w->onCommand(cmd::kRedo, 0);
    EXPECT_TRUE(s.list()->selectedRows().empty()) << "rows taken out select nothing";
    s.w->onCommand(cmd::kUndo, 0);

    // Every row deleted while the text was modified: the save writes an empty text file, and the
    // rows an undo brings back are written anew by the next save.
    s.book()->session().run(std::make_unique<ClassNameOp>(std::vector<int>{5}, QStringLiteral("x")));
    const std::string before = snapshot(b, false);
    s.list()->selectAll();
    s.w->onCommand(cmd::kDelete, 1);
    s.w->onCommand(cmd::kSave, 0);
    ASSERT_EQ(onDisk(s.pf.bookPath, QStringLiteral("English")), "");
    s.w->onCommand(cmd::kUndo, 0);
    s.w->onCommand(cmd::kSave, 0);
    EXPECT_EQ(onDisk(s.pf.bookPath, QStringLiteral("English")), before);
}

// A move: the undo puts the rows back here and says that the copies in the other Book stay; the
// redo removes them here again without appending a second copy there.
TEST(UndoRedo, UndoneMoveLeavesTheCopyInTheOtherBook)
{
    Session s(6);
    apptest::writeBook(s.pf.bookPath, QStringLiteral("Second"), 0);
    const Book& b = s.book()->book();
    const std::string loaded = snapshot(b);
    s.select({1, 2});
    s.ui.queueDialog(playing<CMyCategory>([](CMyCategory* d) { click(d, ui::IDOK); }));
    s.w->onCommand(cmd::kMoveCopy, 0);
    ASSERT_EQ(s.words(), (QStringList{"w0", "w3", "w4", "w5"}));
    ASSERT_TRUE(s.ui.messages().isEmpty());
    Book second;
    second.path = s.pf.bookPath;
    second.name = QStringLiteral("Second");
    auto secondWords = [&] {
        LoadBook(second);
        QStringList w;
        for (const WordEntry* e : second.full())
            w << e->word().toString();
        return w;
    };
    ASSERT_EQ(secondWords(), (QStringList{"w1", "w2"}));

    key(s, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(snapshot(b), loaded);
    ASSERT_EQ(s.ui.messages().size(), 1);
    EXPECT_TRUE(s.ui.messages()[0].contains(QStringLiteral("Second")));
    EXPECT_TRUE(s.ui.messages()[0].contains(QStringLiteral("副本仍然保留")));
    EXPECT_EQ(secondWords(), (QStringList{"w1", "w2"}));

    key(s, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(s.words(), (QStringList{"w0", "w3", "w4", "w5"}));
    EXPECT_EQ(secondWords(), (QStringList{"w1", "w2"}));
    s.w->onCommand(cmd::kUndo, 0);
    s.w->onCommand(cmd::kSave, 0);
    EXPECT_EQ(onDisk(s.pf.bookPath, QStringLiteral("English")), snapshot(b, false));
}

// What a practice run writes (temporary strangeness, review times) is no edit: an undo after
// the run leaves it, also on the rows of the step it undoes.
TEST(UndoRedo, PracticeResultsStayThroughAnUndo)
{
    Session s(6);
    BookSession& session = s.book()->session();
    const Book& b = s.book()->book();
    s.select({0, 1});
    key(s, Qt::Key_Right);                       // temporary 0 -> 1 on rows 0 and 1
    s.list()->onListCommand(10000 + 100 * 1 + 9);   // 认读 = 9 on rows 0 and 1
    ASSERT_EQ(s.book()->history().count(), 2);

    // A run over row 0: it clears the row's temporary degree and stamps its review time.
    const std::vector<int32_t> rows = session.run(std::make_unique<BeginPracticeOp>(std::vector<int>{0}));
    session.run(std::make_unique<PracticeAnswerOp>(
        PracticeAnswer{0, PracticeMode::Learn, AnswerOutcome::Right, QDateTime(QDate(2009, 1, 2), QTime(3, 4)), 800}));
    ASSERT_EQ(b.atView(0)->stored.review, (EntryTime{9, 1, 2, 3, 4}));
    session.run(std::make_unique<EndPracticeOp>(rows));
    // Space stamps the review time of the focused row: no edit either.
    s.list()->setFocusedRow(1);
    key(s, Qt::Key_Space);
    const EntryTime stamped1 = b.atView(1)->stored.review;
    EXPECT_EQ(s.book()->history().count(), 2);

    key(s, Qt::Key_Z, Qt::ControlModifier);      // 认读 back
    key(s, Qt::Key_Z, Qt::ControlModifier);      // temporary back where the run did not touch it
    EXPECT_EQ(b.atView(0)->stored.recognition, 0);
    EXPECT_EQ(b.atView(1)->stored.recognition, 1);
    EXPECT_EQ(b.atView(0)->temporary, 0) << "the run's value";
    EXPECT_EQ(b.atView(1)->temporary, 0);
    EXPECT_EQ(b.atView(0)->stored.review, (EntryTime{9, 1, 2, 3, 4}));
    EXPECT_EQ(b.atView(1)->stored.review, stamped1);
}

// At most 100 steps: the oldest go; undoing all that are kept stops at the state after the
// first steps that were dropped.
TEST(UndoRedo, KeepsAHundredSteps)
{
    Session s(3);
    BookSession& session = s.book()->session();
    BookHistory& h = s.book()->history();
    const Book& b = s.book()->book();
    for (int i = 0; i < 105; ++i)
        session.run(std::make_unique<StrangenessOp>(std::vector<int>{0}, Degree::Spelling,
                                                    DegreeChange::to(i % 2 ? 10 : 3)));
    EXPECT_EQ(h.count(), BookHistory::kLimit);
    int undone = 0;
    while (h.canUndo()) {
        session.undo();
        ++undone;
    }
    EXPECT_EQ(undone, 100);
    EXPECT_EQ(b.atView(0)->stored.spelling, 3) << "the state after the fifth step";
}

// Another Book, by the groups dialog or by a new Book folder, starts with an empty history.
TEST(UndoRedo, ASwitchOfBookClearsTheHistory)
{
    Session s(4);
    apptest::writeBook(s.pf.bookPath, QStringLiteral("Second"), 2);
    BookHistory& h = s.book()->history();
    s.select({0});
    s.w->onCommand(cmd::kDelete, 1);
    ASSERT_TRUE(h.canUndo());
    s.ui.queueDialog(playing<CMyCategory>([](CMyCategory* d) { click(d, ui::IDOK); }));
    s.w->onCommand(cmd::kGroups, 0);
    ASSERT_EQ(s.book()->book().name, QStringLiteral("Second"));
    EXPECT_FALSE(h.canUndo());
    EXPECT_FALSE(h.canRedo());

    s.select({0});
    s.w->onCommand(cmd::kDelete, 1);
    s.w->onCommand(cmd::kUndo, 0);
    ASSERT_TRUE(h.canRedo());
    const QString other = s.dir.path(QStringLiteral("other/"));
    QDir().mkpath(other);
    ASSERT_TRUE(s.book()->changeBookFolder(other));
    EXPECT_FALSE(h.canUndo());
    EXPECT_FALSE(h.canRedo());
}

// 撤销 and 重做 head the 编辑 menu and end the list's pop-up menu, enabled exactly while they can
// be used; Ctrl+Z, Ctrl+Y and Ctrl+Shift+Z in the list do the same.
TEST(UndoRedo, MenuItemsAndKeysFollowTheHistory)
{
    Session s(5);
    s.w->show();
    s.w->onCommand(cmd::kStudyPage, 0);
    QAction* undo = editItem(s, cmd::kUndo);
    QAction* redo = editItem(s, cmd::kRedo);
    ASSERT_NE(undo, nullptr);
    ASSERT_NE(redo, nullptr);
    EXPECT_EQ(s.w->dropDownMenu(1)->actions().indexOf(undo), 0);
    EXPECT_TRUE(undo->text().startsWith(QStringLiteral("撤销")));
    EXPECT_TRUE(redo->text().startsWith(QStringLiteral("重做")));
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_FALSE(redo->isEnabled());

    s.select({2});
    s.w->onCommand(cmd::kDelete, 1);
    EXPECT_TRUE(undo->isEnabled());
    EXPECT_FALSE(redo->isEnabled());
    undo->trigger();
    EXPECT_EQ(s.list()->itemCount(), 5);
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_TRUE(redo->isEnabled());
    redo->trigger();
    EXPECT_EQ(s.list()->itemCount(), 4);

    // The list's pop-up menu.
    s.list()->setFocusedRow(0);
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(5, 5), s.list()->viewport()->mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(s.list()->viewport(), &menuKey);
    QMenu* popup = s.list()->popupMenu();
    ASSERT_NE(popup, nullptr);
    QAction* popupUndo = nullptr;
    QAction* popupRedo = nullptr;
    for (QAction* a : popup->actions()) {
        if (a->data().toInt() == cmd::kUndo)
            popupUndo = a;
        if (a->data().toInt() == cmd::kRedo)
            popupRedo = a;
    }
    popup->hide();
    ASSERT_NE(popupUndo, nullptr);
    ASSERT_NE(popupRedo, nullptr);
    EXPECT_TRUE(popupUndo->isEnabled());
    EXPECT_FALSE(popupRedo->isEnabled());
    popupUndo->trigger();
    EXPECT_EQ(s.list()->itemCount(), 5);
    EXPECT_TRUE(popupRedo->isEnabled());

    // Keys.
    key(s, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(s.list()->itemCount(), 4);
    key(s, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(s.list()->itemCount(), 5);
    key(s, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(s.list()->itemCount(), 4);
    key(s, Qt::Key_Z, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(s.list()->itemCount(), 4) << "only the three key combinations";
}
