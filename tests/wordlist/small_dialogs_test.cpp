// The class-name dialog (172), the strangeness filter (203) and the delete confirmation (202).
#include "temp_dir.h"

#include "common/config/profile.h"
#include "lexora/wordlist/small_dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace lex;

namespace {

QString key(int n) { return QStringLiteral("ClassName%1").arg(n); }
const QString kInit = QStringLiteral("INIT");

struct ClassNames : ::testing::Test {
    lextest::TempDir dir;
    Profile profile{dir.path(QStringLiteral("Config.INI"))};

    QString accept(const QString& typed)
    {
        CMyNameClass d(&profile);
        d.item<QComboBox>(CMyNameClass::kName)->setEditText(typed);
        d.item<QPushButton>(ui::IDOK)->click();
        EXPECT_EQ(d.result(), int(QDialog::Accepted));
        return d.className();
    }
};

} // namespace

TEST_F(ClassNames, APrefixOfAKnownNameIsAssignedButNotRemembered)
{
    profile.writeString(kInit, key(1), QStringLiteral("Unit"));
    EXPECT_EQ(accept(QStringLiteral("Unit two")), QStringLiteral("Unit two"));
    EXPECT_EQ(readClassNames(profile), (QStringList{"Unit", "Unit two"}));
    // "un" begins a stored name (without regard to case): assigned, not added.
    EXPECT_EQ(accept(QStringLiteral("un")), QStringLiteral("un"));
    EXPECT_EQ(readClassNames(profile).size(), 2);
    // An empty name clears the rows' class and writes nothing.
    const QByteArray before = dir.read(QStringLiteral("Config.INI"));
    EXPECT_EQ(accept(QString()), QString());
    EXPECT_EQ(dir.read(QStringLiteral("Config.INI")), before);

    CMyNameClass d(&profile);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("指定类名"));
    EXPECT_EQ(d.item<QComboBox>(CMyNameClass::kName)->count(), 2);
    EXPECT_TRUE(d.item<QComboBox>(CMyNameClass::kName)->currentText().isEmpty());
    d.item<QPushButton>(ui::IDCANCEL)->click();
    EXPECT_EQ(d.result(), int(QDialog::Rejected));
}

TEST_F(ClassNames, ADeletedNameStaysDeletedAndTheListHoldsNine)
{
    for (int n = 1; n <= 9; ++n)
        profile.writeString(kInit, key(n), QStringLiteral("name%1").arg(n));
    {
        CMyNameClass d(&profile);
        auto* combo = d.item<QComboBox>(CMyNameClass::kName);
        combo->setCurrentIndex(8);
        d.item<QPushButton>(CMyNameClass::kDeleteName)->click();
        EXPECT_EQ(combo->count(), 8);
        EXPECT_EQ(combo->currentText(), QStringLiteral("name8")) << "the last item is selected next";
        // Typed text deletes the item equal to it, without regard to case.
        combo->setEditText(QStringLiteral("NAME2"));
        d.item<QPushButton>(CMyNameClass::kDeleteName)->click();
        EXPECT_EQ(combo->count(), 7);
        // Unknown typed text is only cleared.
        combo->setEditText(QStringLiteral("nothing"));
        d.item<QPushButton>(CMyNameClass::kDeleteName)->click();
        EXPECT_EQ(combo->count(), 7);
        EXPECT_TRUE(combo->currentText().isEmpty());
        combo->setEditText(QStringLiteral("fresh"));
        d.item<QPushButton>(ui::IDOK)->click();
    }
    EXPECT_EQ(readClassNames(profile),
              (QStringList{"name1", "name3", "name4", "name5", "name6", "name7", "name8", "fresh"}));
    EXPECT_TRUE(profile.readString(kInit, key(9)).isEmpty()) << "the old ninth name does not come back";

    // Full: a new name is still assigned, but no tenth name is written that nobody reads.
    accept(QStringLiteral("ninth"));
    EXPECT_EQ(accept(QStringLiteral("tenth")), QStringLiteral("tenth"));
    EXPECT_EQ(readClassNames(profile).size(), 9);
    EXPECT_FALSE(profile.contains(kInit, key(10)));
}

TEST_F(ClassNames, TypedNamesAreCappedAndCleaned)
{
    CMyNameClass d(&profile);
    auto* edit = d.item<QComboBox>(CMyNameClass::kName)->lineEdit();
    edit->setText(QString(300, QChar(u'x')));
    EXPECT_EQ(edit->text().size(), 256);
    edit->setText(QStringLiteral("单元") + QChar(3) + QStringLiteral("一"));
    d.item<QPushButton>(ui::IDOK)->click();
    EXPECT_EQ(d.className(), QStringLiteral("单元一"));
    EXPECT_EQ(readClassNames(profile), QStringList{QStringLiteral("单元一")});

    // The longest name is assigned and remembered whole.
    CMyNameClass again(&profile);
    again.item<QComboBox>(CMyNameClass::kName)->lineEdit()->setText(QString(300, QChar(u'x')));
    again.item<QPushButton>(ui::IDOK)->click();
    EXPECT_EQ(again.className(), QString(256, QChar(u'x')));
    EXPECT_EQ(readClassNames(profile), (QStringList{QStringLiteral("单元一"), QString(256, QChar(u'x'))}));
}

TEST(StrangenessFilter, OpensAtEqualZeroAndKeepsByTheRelation)
{
    CMySelFilter d;
    EXPECT_EQ(d.windowTitle(), QStringLiteral("临时陌生度过虑"));
    EXPECT_EQ(d.item<QComboBox>(CMySelFilter::kRelation)->currentText(), QStringLiteral("等于"));
    EXPECT_EQ(d.item<QComboBox>(CMySelFilter::kValue)->currentText(), QStringLiteral("0"));
    EXPECT_TRUE(d.keeps(0));
    EXPECT_FALSE(d.keeps(2));
    d.item<QComboBox>(CMySelFilter::kRelation)->setCurrentIndex(CMySelFilter::Greater);
    d.item<QComboBox>(CMySelFilter::kValue)->setCurrentIndex(1);
    EXPECT_FALSE(d.keeps(0));
    EXPECT_TRUE(d.keeps(2));
    EXPECT_TRUE(d.keeps(5));
    d.item<QComboBox>(CMySelFilter::kRelation)->setCurrentIndex(CMySelFilter::Less);
    EXPECT_TRUE(d.keeps(0));
    EXPECT_FALSE(d.keeps(1));
}

TEST(DeleteCheck, ShowsTheQuestionAndTheBoxCountsOnCancelToo)
{
    CMyDeleteCheck d(QStringLiteral("您已选择了(3)项\n是否要删除选择项"));
    EXPECT_EQ(d.windowTitle(), QStringLiteral("确认删除"));
    EXPECT_EQ(d.text(), QStringLiteral("您已选择了(3)项\n是否要删除选择项"));
    EXPECT_EQ(d.item<QCheckBox>(CMyDeleteCheck::kDontAsk)->text(), QStringLiteral("本次运行不再确认"));
    d.item<QCheckBox>(CMyDeleteCheck::kDontAsk)->setChecked(true);
    d.item<QPushButton>(ui::IDCANCEL)->click();
    EXPECT_EQ(d.result(), int(QDialog::Rejected));
    EXPECT_TRUE(d.dontAskAgain());

    CMyDeleteCheck ok(QStringLiteral("?"));
    ok.item<QPushButton>(ui::IDOK)->click();
    EXPECT_EQ(ok.result(), int(QDialog::Accepted));
    EXPECT_FALSE(ok.dontAskAgain());
}
