// The find window (157): where each press starts and wraps, "找不到", a Book that changes while
// the window is open, and the remembered window place.
#include "list_fixture.h"

#include "lexora/book/operations/entry_ops.h"
#include "scripted_services.h"
#include "temp_dir.h"

#include "common/config/config_keys.h"
#include "common/config/profile.h"
#include "lexora/wordlist/find_dialog.h"

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

using namespace lex;

namespace {

class FindTest : public wltest::ListTest {
protected:
    lextest::TempDir dir;
    Profile profile{dir.path(QStringLiteral("Config.INI"))};
    lextest::ScriptedServices ui;
    QPointer<CMyFindDialog> find;

    void open()
    {
        find = new CMyFindDialog(&session, list.get(), &ui, &profile);
        find->show();
    }
    int press(const QString& text, bool words = false)
    {
        find->item<QLineEdit>(CMyFindDialog::kText)->setText(text);
        find->item<QRadioButton>(words ? CMyFindDialog::kWords : CMyFindDialog::kExplanations)->setChecked(true);
        find->item<QPushButton>(CMyFindDialog::kFindNext)->click();
        return list->focusedRow();
    }
    void TearDown() override { delete find; }
};

} // namespace

TEST_F(FindTest, EachPressStartsAfterTheFocusedRowAndWrapsRound)
{
    for (const char* w : {"a", "b", "grape", "c", "d", "e", "f", "grape", "g"})
        add({QString::fromUtf8(w), QStringLiteral("释 ") + QString::fromUtf8(w)});
    makeList();
    open();
    EXPECT_TRUE(find->item<QRadioButton>(CMyFindDialog::kExplanations)->isChecked());
    EXPECT_EQ(find->windowTitle(), QStringLiteral("Dialog"));

    list->setFocusedRow(5);
    EXPECT_EQ(press(QStringLiteral("grape"), true), 7);
    EXPECT_EQ(list->selectedRows(), std::vector<int>{7});
    EXPECT_EQ(press(QStringLiteral("grape"), true), 2);
    EXPECT_EQ(press(QStringLiteral("释 grape")), 7) << "explanations";
    EXPECT_TRUE(ui.messages().isEmpty());

    // Case-sensitive; the focused row itself is not searched.
    press(QStringLiteral("Grape"), true);
    EXPECT_EQ(ui.messages(), QStringList{QStringLiteral("找不到")});
    list->setFocusedRow(0);
    press(QStringLiteral("释 a"));
    EXPECT_EQ(ui.messages().size(), 2);
    // An empty text is ignored without a word.
    press(QString());
    EXPECT_EQ(ui.messages().size(), 2);

    // No focused row: every row from row 0.
    list->selectionModel()->clear();
    EXPECT_EQ(press(QStringLiteral("释 a")), 0);
}

TEST_F(FindTest, TheBookMayChangeWhileTheWindowIsOpen)
{
    addWords({"k0", "k1", "k2", "k3", "k4"});
    makeList();
    open();
    list->setFocusedRow(3);
    EXPECT_EQ(press(QStringLiteral("k4"), true), 4);
    // The found row and everything after it go: the next press reads the rows afresh.
    session.run(std::make_unique<DeleteOp>(std::vector<int>{3, 4}));
    EXPECT_EQ(list->itemCount(), 3);
    EXPECT_EQ(press(QStringLiteral("k1"), true), 1);
    session.run(std::make_unique<DeleteOp>(std::vector<int>{0, 1, 2}));
    press(QStringLiteral("k1"), true);
    EXPECT_EQ(ui.messages(), QStringList{QStringLiteral("找不到")});
    auto e = std::make_unique<WordEntry>();
    e->setWord(QStringLiteral("k1 again"));
    session.run(std::make_unique<AddOp>(std::move(e)));
    EXPECT_EQ(press(QStringLiteral("k1"), true), 0);
}

TEST_F(FindTest, ClosingRemembersTheWindowPlaceAndABadPlaceIsIgnored)
{
    addWords({"a"});
    makeList();
    open();
    find->move(120, 140);
    QApplication::processEvents();
    const QPoint placed = find->frameGeometry().topLeft();
    find->item<QPushButton>(ui::IDCANCEL)->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(find.isNull()) << "the window deletes itself";
    const auto r = config::unpackRect(
        profile.readStruct(QStringLiteral("INIT"), QStringLiteral("FindDlgSize"), 16).value_or(QByteArray()));
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(QPoint(r->left, r->top), placed);
    EXPECT_GT(r->right, r->left);
    EXPECT_GT(r->bottom, r->top);

    // The whole rectangle comes back, its size too.
    delete find;
    profile.writeStruct(QStringLiteral("INIT"), QStringLiteral("FindDlgSize"), config::packRect({100, 120, 600, 320}));
    open();
    QApplication::processEvents();
    EXPECT_EQ(find->frameGeometry(), QRect(100, 120, 500, 200));
    delete find;

    // Empty, inverted or off every screen: not used.
    EXPECT_FALSE(usableWindowRect(QRect(10, 10, 0, 50)));
    EXPECT_FALSE(usableWindowRect(QRect(10, 10, -20, 50)));
    EXPECT_FALSE(usableWindowRect(QRect(-50000, -50000, 200, 100)));
    EXPECT_TRUE(usableWindowRect(QRect(10, 10, 200, 100)));
    profile.writeStruct(QStringLiteral("INIT"), QStringLiteral("FindDlgSize"),
                        config::packRect({-50000, -50000, -49800, -49900}));
    open();
    EXPECT_GT(find->pos().x(), -1000) << "the window stays where it can be seen";
}
