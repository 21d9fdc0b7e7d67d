#include "common/ui/command.h"
#include "common/ui/template_builder.h"
#include "resources/resources.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTest>
#include <gtest/gtest.h>

using namespace lex;

TEST(DialogUnits, ConversionRoundsLikeMulDiv)
{
    const ui::DialogBaseUnits u{7, 15};
    EXPECT_EQ(ui::dluToPixelsX(4, u), 7);
    EXPECT_EQ(ui::dluToPixelsX(2, u), 4);     // 3.5 rounds up
    EXPECT_EQ(ui::dluToPixelsX(1, u), 2);     // 1.75
    EXPECT_EQ(ui::dluToPixelsY(8, u), 15);
    EXPECT_EQ(ui::dluToPixelsY(3, u), 6);     // 5.625
    EXPECT_EQ(ui::dluToPixels(QRect(48, 2, 32, 14), u), QRect(84, 4, 56, 26));
}

TEST(DialogUnits, BaseUnitsFollowTheFont)
{
    QFont small = ui::defaultDialogFont();
    QFont big = small;
    big.setPixelSize(24);
    const ui::DialogBaseUnits a = ui::dialogBaseUnits(small), b = ui::dialogBaseUnits(big);
    EXPECT_GT(a.cx, 3);
    EXPECT_EQ(a.cy, QFontMetrics(small).height());
    EXPECT_GT(b.cx, a.cx);
    EXPECT_GT(b.cy, a.cy);
}

namespace {
struct Recorder : ui::CommandTarget {
    std::vector<int> ids;
    bool onCommand(int id, qintptr) override
    {
        ids.push_back(id);
        return true;
    }
};
} // namespace

TEST(TemplateBuilder, PlacesControlsAndFindsThemByNumber)
{
    QWidget w;
    w.setFont(ui::defaultDialogFont());
    const ui::DialogTemplate& t = res::dialogTemplate(res::IDD_PRACTICE_SETUP);
    const auto map = ui::TemplateBuilder(t).build(&w, QPoint(4, 23));
    const ui::DialogBaseUnits u = ui::dialogBaseUnits(w.font());
    auto* start = ui::control<QPushButton>(&w, ui::IDOK);
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(start->geometry(), ui::dluToPixels(QRect(129, 6, 50, 14), u).translated(4, 23));
    EXPECT_TRUE(start->isDefault());
    EXPECT_EQ(start->text(), QStringLiteral("开始"));
    EXPECT_EQ(map.value(res::setup_dlg::kWordCount), ui::findControl(&w, res::setup_dlg::kWordCount));
    EXPECT_TRUE(ui::control<QLineEdit>(&w, res::setup_dlg::kWordCount)->isReadOnly());
    EXPECT_FALSE(ui::control<QRadioButton>(&w, res::setup_dlg::kEnToZh)->isEnabled());
    auto* loops = ui::control<QComboBox>(&w, res::setup_dlg::kLoops);
    ASSERT_NE(loops, nullptr);
    EXPECT_EQ(loops->count(), 4);
    EXPECT_EQ(loops->y(), ui::dluToPixelsY(24, u) + 23);   // closed height, not the list's
    EXPECT_EQ(ui::findControl(&w, 4242), nullptr);
    EXPECT_EQ(ui::findControl(&w, ui::IDC_STATIC), nullptr);
    EXPECT_EQ(t.find(res::setup_dlg::kExplanation)->kind, ui::Kind::Edit);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Dialog"));
}

TEST(TemplateBuilder, ButtonsRouteAndRadioGroupsAreExclusive)
{
    QWidget w;
    Recorder r;
    ui::TemplateBuilder(res::dialogTemplate(res::IDD_IMPORT)).routeTo(&r).build(&w);
    w.show();
    QTest::mouseClick(ui::control<QPushButton>(&w, res::import_dlg::kRun), Qt::LeftButton);
    QTest::mouseClick(ui::control<QRadioButton>(&w, res::import_dlg::kStyle1), Qt::LeftButton);
    QTest::mouseClick(ui::control<QRadioButton>(&w, res::import_dlg::kStyle3), Qt::LeftButton);
    QTest::mouseClick(ui::control<QCheckBox>(&w, res::import_dlg::kUnicode), Qt::LeftButton);
    EXPECT_EQ(r.ids, (std::vector<int>{res::import_dlg::kRun, res::import_dlg::kStyle1, res::import_dlg::kStyle3,
                                       res::import_dlg::kUnicode}));
    EXPECT_FALSE(ui::control<QRadioButton>(&w, res::import_dlg::kStyle1)->isChecked());
    EXPECT_TRUE(ui::control<QRadioButton>(&w, res::import_dlg::kStyle3)->isChecked());
}

TEST(TemplateBuilder, FactoriesReplaceControls)
{
    QWidget w;
    ui::TemplateBuilder(res::dialogTemplate(res::IDD_LEXORA_DIALOG))
        .withControl(cmd::kList, [](const ui::ControlSpec&, QWidget* parent) {
            auto* l = new QLineEdit(parent);
            l->setObjectName(QStringLiteral("list"));
            return l;
        })
        .build(&w);
    ASSERT_NE(ui::control<QLineEdit>(&w, cmd::kList), nullptr);
    EXPECT_EQ(ui::findControl(&w, cmd::kList)->objectName(), QStringLiteral("list"));
    EXPECT_FALSE(ui::findControl(&w, cmd::kToggleLockIndex)->isEnabled());   // "锁定索引" disabled in the template
}

TEST(Templates, EveryTemplateFitsAndNumbersAreUnique)
{
    for (int id : res::dialogTemplateIds()) {
        const ui::DialogTemplate& t = res::dialogTemplate(id);
        ASSERT_EQ(t.id, id);
        QSet<int> ids;
        for (const ui::ControlSpec& c : t.controls) {
            if (c.id != ui::IDC_STATIC) {
                EXPECT_FALSE(ids.contains(c.id)) << "template " << id << " repeats " << c.id;
                ids.insert(c.id);
            }
            EXPECT_LE(c.x + c.w, t.width + 1) << "template " << id << " control " << c.id;
            if (c.kind != ui::Kind::DropDownList && c.kind != ui::Kind::DropDownCombo)
                EXPECT_LE(c.y + c.h, t.height + 1) << "template " << id << " control " << c.id;
        }
    }
    EXPECT_EQ(res::dialogTemplate(9999).id, 0);
    EXPECT_EQ(res::glosixTemplate().caption, QStringLiteral("Glosix"));
}

TEST(Menus, ItemsCarryTheirCommandNumbers)
{
    const ui::MenuResource& main = res::menu(res::IDR_MAIN_MENU);
    ASSERT_EQ(main.popups.size(), 4u);
    Recorder r;
    QMenu* file = ui::buildMenu(main.popups[0], &r, nullptr);
    QList<int> ids;
    for (QAction* a : file->actions())
        ids << (a->isSeparator() ? 0 : a->data().toInt());
    EXPECT_EQ(ids, (QList<int>{cmd::kImport, cmd::kExport, 0, cmd::kSave, 0, cmd::kExit, cmd::kExitNoSave}));
    file->actions().last()->trigger();
    EXPECT_EQ(r.ids, std::vector<int>{cmd::kExitNoSave});
    delete file;

    const ui::MenuResource& popup = res::menu(res::IDR_POPUP_MENU);
    ASSERT_EQ(popup.popups.size(), 1u);
    EXPECT_EQ(popup.popups[0].text, QStringLiteral("弹出菜单"));
    QMenu* m = ui::buildMenu(popup.popups[0], &r, nullptr);
    // 撤销, 重做 and a line come first; the filter stays last.
    EXPECT_EQ(m->actions().at(0)->data().toInt(), cmd::kUndo);
    EXPECT_EQ(m->actions().last()->data().toInt(), cmd::kStrangenessFilter);
    QAction* set = m->actions().at(3);
    QAction* listening = set->menu()->actions().at(3);
    EXPECT_EQ(listening->menu()->actions().at(10)->data().toInt(), 10310);
    delete m;

    ASSERT_EQ(res::toolBar().size(), 12u);
    EXPECT_EQ(res::toolBar()[10].command, cmd::kLearn);
}

TEST(CommandDialog, EscapeArrivesAsCancel)
{
    struct D : ui::CommandDialog {
        std::vector<int> ids;
        bool onCommand(int id, qintptr p) override
        {
            ids.push_back(id);
            return ui::CommandDialog::onCommand(id, p);
        }
    } d;
    d.show();
    QTest::keyClick(&d, Qt::Key_Escape);
    EXPECT_EQ(d.ids, std::vector<int>{ui::IDCANCEL});
    EXPECT_EQ(d.result(), QDialog::Rejected);
}
