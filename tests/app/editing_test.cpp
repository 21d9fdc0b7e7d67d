// The editing commands of the word-book window end to end inside the process: each opens its
// dialog (played by a script, as the learner would), and the result reaches the Book, the list
// and the files.
#include "word_book_fixture.h"

#include "lexora/app/word_book_session.h"
#include "lexora/book/book_file.h"
#include "lexora/book/operations/degree_ops.h"
#include "lexora/wordlist/add_modify_dialog.h"
#include "lexora/wordlist/find_dialog.h"
#include "lexora/wordlist/group_dialog.h"
#include "lexora/wordlist/small_dialogs.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace lex;
using apptest::Session;

namespace {

template <class D>
D* as(QDialog* d)
{
    auto* t = dynamic_cast<D*>(d);
    EXPECT_NE(t, nullptr) << "another dialog than expected opened";
    return t;
}

void click(ui::TemplateDialog* d, int id) { d->item<QPushButton>(id)->click(); }

QStringList bookWords(const QString& path, const QString& name)
{
    Book b;
    b.path = path;
    b.name = name;
    LoadBook(b);
    QStringList out;
    for (const WordEntry* e : b.full())
        out << e->word().toString();
    return out;
}

} // namespace

TEST(EditingCommands, AddTwoWordsThenModifyOne)
{
    Session s(5);
    bool dictionaryFilled = false;
    s.ui.queueDialog([&](QDialog* dialog) {
        auto* d = as<CMyAddModifyDialog>(dialog);
        if (!d)
            return 0;
        auto* word = d->item<QLineEdit>(CMyAddModifyDialog::kWord);
        QTest::keyClicks(word, QStringLiteral("abandon"));
        QCoreApplication::processEvents();
        dictionaryFilled = !d->item<QLineEdit>(CMyAddModifyDialog::kPhonetic)->text().isEmpty();
        click(d, CMyAddModifyDialog::kAccept);
        word->setText(QStringLiteral("qwzx, "));
        click(d, CMyAddModifyDialog::kAccept);
        click(d, ui::IDCANCEL);
        return d->result();
    });
    s.w->onCommand(cmd::kAdd, 0);
    if (QFile::exists(s.pf.folder + QStringLiteral("/Dict/Dict.idx")))
        EXPECT_TRUE(dictionaryFilled) << "the sample dictionary knows \"abandon\"";
    ASSERT_EQ(s.list()->itemCount(), 7);
    EXPECT_EQ(s.words().mid(5), (QStringList{"abandon", "qwzx"}));
    EXPECT_EQ(s.list()->selectedRows(), std::vector<int>{6});
    EXPECT_EQ(s.book()->book().atView(6)->seq, 6);

    // Modify the focused row; afterwards it is the one selected row.
    s.list()->setFocusedRow(2);
    s.select({0, 4});
    s.ui.queueDialog([](QDialog* dialog) {
        auto* d = as<CMyAddModifyDialog>(dialog);
        if (!d)
            return 0;
        EXPECT_EQ(d->item<QLineEdit>(CMyAddModifyDialog::kWord)->text(), QStringLiteral("w2"));
        d->item<QPlainTextEdit>(CMyAddModifyDialog::kComment)->setPlainText(QStringLiteral("note"));
        click(d, CMyAddModifyDialog::kAccept);
        return d->result();
    });
    s.w->onCommand(cmd::kModify, 0);
    EXPECT_EQ(s.book()->book().atView(2)->comment(), QStringLiteral("note"));
    EXPECT_EQ(s.list()->selectedRows(), std::vector<int>{2});

    s.w->onCommand(cmd::kExit, 0);
    const QStringList saved = bookWords(s.pf.bookPath, QStringLiteral("English"));
    EXPECT_EQ(saved.size(), 7);
    EXPECT_EQ(saved.last(), QStringLiteral("qwzx"));
}

TEST(EditingCommands, ClassNamesAndTheStrangenessFilterActOnTheSelection)
{
    Session s(6);
    s.select({});
    s.w->onCommand(cmd::kClassName, 0);   // no selected row: no dialog
    s.select({1, 3});
    s.ui.queueDialog([](QDialog* dialog) {
        auto* d = as<CMyNameClass>(dialog);
        if (!d)
            return 0;
        d->item<QComboBox>(CMyNameClass::kName)->setEditText(QStringLiteral("单元一"));
        click(d, ui::IDOK);
        return d->result();
    });
    s.w->onCommand(cmd::kClassName, 0);
    const Book& b = s.book()->book();
    EXPECT_EQ(b.atView(1)->className(), QStringLiteral("单元一"));
    EXPECT_EQ(b.atView(3)->className(), QStringLiteral("单元一"));
    EXPECT_TRUE(b.atView(2)->className().isEmpty());
    EXPECT_TRUE(b.textChanged);
    EXPECT_EQ(s.profile().readString(QStringLiteral("INIT"), QStringLiteral("ClassName1")), QStringLiteral("单元一"));

    // Rows with temporary strangeness 0, 2 and 5, filtered with "大于" 1.
    s.book()->session().run(std::make_unique<StrangenessOp>(std::vector<int>{2}, Degree::Temporary, DegreeChange::to(2)));
    s.book()->session().run(std::make_unique<StrangenessOp>(std::vector<int>{4}, Degree::Temporary, DegreeChange::to(5)));
    s.select({0, 2, 4});
    s.ui.queueDialog([](QDialog* dialog) {
        auto* d = as<CMySelFilter>(dialog);
        if (!d)
            return 0;
        d->item<QComboBox>(CMySelFilter::kRelation)->setCurrentIndex(CMySelFilter::Greater);
        d->item<QComboBox>(CMySelFilter::kValue)->setCurrentIndex(1);
        click(d, ui::IDOK);
        return d->result();
    });
    s.book()->onCommand(cmd::kStrangenessFilter, 0);   // from the list's pop-up menu
    EXPECT_EQ(s.list()->selectedRows(), (std::vector<int>{2, 4}));
}

TEST(EditingCommands, CtrlFOpensOneFindWindowAndItFindsWhatTheListShows)
{
    Session s(12);
    s.w->show();
    s.w->onCommand(cmd::kStudyPage, 0);
    QCoreApplication::processEvents();
    s.list()->setFocus();
    QTest::keyClick(s.list(), Qt::Key_F, Qt::ControlModifier);
    CMyFindDialog* find = s.book()->findDialog();
    ASSERT_NE(find, nullptr);
    // A second 查找 does nothing: no second window, and the open one is not brought forward.
    s.w->activateWindow();
    QCoreApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), s.w.get());
    s.w->onCommand(cmd::kFind, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(s.book()->findDialog(), find) << "one find window at a time";
    EXPECT_EQ(QApplication::activeWindow(), s.w.get());
    find->item<QLineEdit>(CMyFindDialog::kText)->setText(QStringLiteral("w1"));
    find->item<QRadioButton>(CMyFindDialog::kWords)->setChecked(true);
    click(find, CMyFindDialog::kFindNext);
    EXPECT_EQ(s.list()->focusedRow(), 1);
    click(find, CMyFindDialog::kFindNext);
    EXPECT_EQ(s.list()->focusedRow(), 10) << "w10 after w1";

    // Deleted through the confirmation while the window stays open.
    s.ui.queueDialog(apptest::answerDelete(true, false));
    s.w->onCommand(cmd::kDelete, 0);
    EXPECT_EQ(s.list()->itemCount(), 11);
    click(find, CMyFindDialog::kFindNext);
    EXPECT_EQ(s.list()->focusedRow(), 10) << "w11 is row 10 now";
    click(find, ui::IDCANCEL);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(s.book()->findDialog(), nullptr);
    EXPECT_TRUE(s.profile().readStruct(QStringLiteral("INIT"), QStringLiteral("FindDlgSize"), 16).has_value());
}

TEST(EditingCommands, AfterStartTheFirstFindSearchesFromRowZero)
{
    // FocusedItem is 0 by default: row 0 is shown, but no row has the focus, so w0 is found.
    Session s(3);
    s.w->show();
    s.w->onCommand(cmd::kStudyPage, 0);
    QCoreApplication::processEvents();
    s.w->onCommand(cmd::kFind, 0);
    CMyFindDialog* find = s.book()->findDialog();
    ASSERT_NE(find, nullptr);
    s.list()->setFocus();
    QCoreApplication::processEvents();
    find->item<QLineEdit>(CMyFindDialog::kText)->setText(QStringLiteral("w0"));
    find->item<QRadioButton>(CMyFindDialog::kWords)->setChecked(true);
    click(find, CMyFindDialog::kFindNext);
    EXPECT_EQ(s.list()->focusedRow(), 0);
    EXPECT_EQ(s.list()->selectedRows(), std::vector<int>{0});
    EXPECT_EQ(s.ui.messages(), QStringList()) << "not 找不到";
    click(find, ui::IDCANCEL);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(EditingCommands, CreateABookCopyRowsIntoItAndSwitch)
{
    Session s(6);
    s.w->onCommand(cmd::kMoveCopy, 0);   // no selected row: no dialog

    // Only the open Book in the folder: a move is refused, nothing is touched.
    s.select({0});
    s.ui.queueDialog([](QDialog* dialog) {
        auto* d = as<CMyCategory>(dialog);
        if (d)
            click(d, ui::IDOK);
        return d ? d->result() : 0;
    });
    const QByteArray idx = s.file(QStringLiteral("English.idx"));
    s.w->onCommand(cmd::kMoveCopy, 0);
    ASSERT_EQ(s.ui.messages().size(), 1);
    EXPECT_EQ(s.list()->itemCount(), 6);
    EXPECT_EQ(s.file(QStringLiteral("English.idx")), idx);

    // "添加" in the switch dialog, then cancel: the Book exists, nothing is switched.
    s.ui.queueDialog([](QDialog* dialog) {
        auto* d = as<CMyCategory>(dialog);
        if (!d)
            return 0;
        d->item<QLineEdit>(CMyCategory::kNewName)->setText(QStringLiteral("Second"));
        click(d, CMyCategory::kAdd);
        click(d, ui::IDCANCEL);
        return d->result();
    });
    s.w->onCommand(cmd::kGroups, 0);
    EXPECT_EQ(s.file(QStringLiteral("Second.idx")).size(), 5);
    EXPECT_EQ(s.book()->paneText(0), QStringLiteral("Book:English"));

    // Copy three rows.
    s.select({1, 2, 4});
    s.ui.queueDialog([](QDialog* dialog) {
        auto* d = as<CMyCategory>(dialog);
        if (!d)
            return 0;
        d->item<QRadioButton>(CMyCategory::kCopy)->setChecked(true);
        click(d, ui::IDOK);
        return d->result();
    });
    s.w->onCommand(cmd::kMoveCopy, 0);
    EXPECT_EQ(s.list()->itemCount(), 6);
    EXPECT_EQ(bookWords(s.pf.bookPath, QStringLiteral("Second")), (QStringList{"w1", "w2", "w4"}));

    // Move one more: it leaves the open Book without a question.
    s.select({5});
    s.ui.queueDialog([](QDialog* dialog) {
        auto* d = as<CMyCategory>(dialog);
        if (d)
            click(d, ui::IDOK);
        return d ? d->result() : 0;
    });
    s.w->onCommand(cmd::kMoveCopy, 0);
    EXPECT_EQ(s.words(), (QStringList{"w0", "w1", "w2", "w3", "w4"}));
    EXPECT_EQ(s.ui.messages().size(), 1);

    // Switch: the open Book is saved first, the new one shows, pane 0 names it.
    s.ui.queueDialog([](QDialog* dialog) {
        auto* d = as<CMyCategory>(dialog);
        if (!d)
            return 0;
        EXPECT_EQ(d->chosenName(), QStringLiteral("Second"));
        click(d, ui::IDOK);
        return d->result();
    });
    s.w->onCommand(cmd::kGroups, 0);
    EXPECT_EQ(s.book()->paneText(0), QStringLiteral("Book:Second"));
    EXPECT_EQ(s.words(), (QStringList{"w1", "w2", "w4", "w5"}));
    EXPECT_EQ(bookWords(s.pf.bookPath, QStringLiteral("English")).size(), 5) << "saved before the switch";
    s.w->onCommand(cmd::kExit, 0);
    EXPECT_EQ(s.profile().readString(QStringLiteral("INIT"), QStringLiteral("BookName")), QStringLiteral("Second"));
}
