#include "common/controls/bm_static.h"
#include "common/controls/image_button.h"
#include "common/ui/template_builder.h"
#include "resources/resources.h"

#include <QImage>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

using namespace lex;

namespace {
// A window built from a template with image buttons; it records what it sees on each click.
struct Window : QWidget, ui::CommandTarget {
    std::vector<std::pair<int, bool>> seen;   // (id, checked state seen by the parent)
    QHash<int, QWidget*> controls;
    explicit Window(const ui::DialogTemplate& t)
    {
        controls = ui::TemplateBuilder(t)
                       .withKind(ui::Kind::CheckBox, createImageButton)
                       .withKind(ui::Kind::RadioButton, createImageButton)
                       .withKind(ui::Kind::PushButton, createImageButton)
                       .withKind(ui::Kind::DefPushButton, createImageButton)
                       .routeTo(this)
                       .build(this);
    }
    bool onCommand(int id, qintptr) override
    {
        auto* b = ui::control<CImageButton>(this, id);
        seen.emplace_back(id, b && b->isChecked());
        return true;
    }
    CImageButton* button(int id) { return ui::control<CImageButton>(this, id); }
};

ui::DialogTemplate twoGroups()
{
    ui::DialogTemplate t;
    t.width = 200;
    t.height = 80;
    t.controls = {
        {1026, ui::Kind::RadioButton, QStringLiteral("查找单词"), ui::Group, 7, 7, 60, 10, {}},
        {1027, ui::Kind::RadioButton, QStringLiteral("查找解释"), ui::None, 7, 20, 60, 10, {}},
        {1028, ui::Kind::RadioButton, QStringLiteral("other group"), ui::Group, 100, 7, 60, 10, {}},
        {1017, ui::Kind::CheckBox, QStringLiteral("单词"), ui::Group, 7, 40, 40, 10, {}},
        {1004, ui::Kind::PushButton, QStringLiteral("修改"), ui::None, 7, 55, 50, 14, {}},
    };
    return t;
}
} // namespace

TEST(ImageButton, KindsComeFromTheTemplate)
{
    Window w(twoGroups());
    EXPECT_EQ(w.button(1026)->buttonKind(), CImageButton::ButtonKind::Radio);
    EXPECT_EQ(w.button(1017)->buttonKind(), CImageButton::ButtonKind::Check);
    EXPECT_EQ(w.button(1004)->buttonKind(), CImageButton::ButtonKind::Push);
    EXPECT_EQ(w.button(1004)->backgroundColor(), QColor(185, 209, 234));
}

TEST(ImageButton, ParentSeesTheNewStateOfAClick)
{
    Window w(twoGroups());
    w.show();
    QTest::mouseClick(w.button(1017), Qt::LeftButton);
    QTest::mouseClick(w.button(1017), Qt::LeftButton);
    QTest::mouseClick(w.button(1004), Qt::LeftButton);
    const std::vector<std::pair<int, bool>> expected{{1017, true}, {1017, false}, {1004, false}};
    EXPECT_EQ(w.seen, expected);
}

TEST(ImageButton, RadioGroupUnchecksOnlyItsOwnGroup)
{
    Window w(twoGroups());
    w.show();
    w.button(1028)->setCheck(true);
    QTest::mouseClick(w.button(1026), Qt::LeftButton);
    EXPECT_TRUE(w.button(1026)->isChecked());
    QTest::mouseClick(w.button(1027), Qt::LeftButton);
    EXPECT_TRUE(w.button(1027)->isChecked());
    EXPECT_FALSE(w.button(1026)->isChecked());
    EXPECT_TRUE(w.button(1028)->isChecked());   // another group keeps its state
    // Clicking a checked radio button leaves it checked, and the parent is still told.
    QTest::mouseClick(w.button(1027), Qt::LeftButton);
    EXPECT_TRUE(w.button(1027)->isChecked());
    ASSERT_FALSE(w.seen.empty());
    EXPECT_EQ(w.seen.back(), std::make_pair(1027, true));
}

TEST(ImageButton, HoverFollowsEnterAndLeave)
{
    Window w(twoGroups());
    w.show();
    CImageButton* b = w.button(1004);
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(b, &enter);
    EXPECT_TRUE(b->isHover());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(b, &leave);
    EXPECT_FALSE(b->isHover());
}

TEST(ImageButton, CheckGlyphIsDrawnFromItsBytes)
{
    QImage img(7, 7, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        drawGlyph(p, 0, 0, CImageButton::kCheckGlyph, 7, Qt::black);
    }
    // Row 0 (FE): only the last of the seven columns is ink; row 6 (EF): only column 2.
    for (int x = 0; x < 7; ++x) {
        EXPECT_EQ(img.pixelColor(x, 0) == Qt::black, x == 6) << x;
        EXPECT_EQ(img.pixelColor(x, 6) == Qt::black, x == 2) << x;
    }
}

TEST(ImageButton, CheckedBoxShowsTheMark)
{
    CImageButton b(CImageButton::ButtonKind::Check, QStringLiteral("单词"));
    b.resize(60, 16);
    const QImage off = b.grab().toImage();
    b.setCheck(true);
    const QImage on = b.grab().toImage();
    // The 7 x 7 mark sits inside the 13 x 13 box shrunk by 3: (3..9, 4..10) for a box at y = 1.
    int differing = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 13; ++x)
            differing += off.pixel(x, y) != on.pixel(x, y);
    EXPECT_GE(differing, 10);
}

TEST(BMStatic, MovesToTheTopRightOfItsParentWhenShown)
{
    QWidget parent;
    parent.resize(300, 200);
    parent.setContentsMargins(4, 23, 4, 4);
    auto* tick = new CBMStatic(res::bitmap(res::IDB_TICK), &parent);
    tick->hide();
    parent.show();
    tick->show();
    EXPECT_EQ(tick->size(), QSize(64, 64));
    EXPECT_EQ(tick->geometry().topRight(), QPoint(295, 23));
    // Black is transparent: a corner of the tick bitmap is not drawn.
    EXPECT_FALSE(tick->bitmap().mask().toImage().pixelIndex(0, 0) == 1);
}
