#include "common/controls/color_picker.h"
#include "common/platform/user_services.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace lex;

namespace {
class FakeServices : public UserServices {
public:
    QColor answer;
    int colorCalls = 0;
    QColor initial;
    MessageAnswer messageBox(QWidget*, const QString&, const QString&, MessageButtons, MessageIcon) override
    {
        return MessageAnswer::Ok;
    }
    QString openFileName(QWidget*, const QString&, const QString&) override { return {}; }
    QString saveFileName(QWidget*, const QString&, const QString&) override { return {}; }
    QString folder(QWidget*, const QString&, const QString&) override { return {}; }
    QColor color(QWidget*, const QColor& init) override
    {
        ++colorCalls;
        initial = init;
        return answer;
    }
    bool openExternally(const QString&) override { return false; }
};

void mouse(QWidget* w, QEvent::Type type, QPoint local, QPoint global)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent e(type, QPointF(local), QPointF(global), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
} // namespace

TEST(ColorPalette, CellUnderAPointAndGridLines)
{
    EXPECT_EQ(CColorPalette::cellAt({0, 0}), 0);
    EXPECT_EQ(CColorPalette::cellAt({8, 8}), 0);
    EXPECT_EQ(CColorPalette::cellAt({9, 4}), -1);    // vertical grid line
    EXPECT_EQ(CColorPalette::cellAt({4, 9}), -1);    // horizontal grid line
    EXPECT_EQ(CColorPalette::cellAt({10, 0}), 1);
    EXPECT_EQ(CColorPalette::cellAt({185, 115}), 11 * 19 + 18);
    EXPECT_EQ(CColorPalette::cellAt({185, 120}), -1);   // bottom strip
    EXPECT_EQ(CColorPalette::cellAt({190, 5}), -1);     // right of the grid
}

TEST(ColorPalette, CellColours)
{
    EXPECT_EQ(CColorPalette::cellColor(0, 0), QColor(255, 255, 255));
    EXPECT_EQ(CColorPalette::cellColor(0, 10), QColor(23, 23, 23));
    EXPECT_EQ(CColorPalette::cellColor(0, 11), QColor(0, 0, 0));
    EXPECT_EQ(CColorPalette::cellColor(1, 0), QColor(0, 0, 0));
    EXPECT_EQ(CColorPalette::cellColor(6, 5), QColor(0, 255, 255));      // green up the group, blue down the column
    EXPECT_EQ(CColorPalette::cellColor(7, 0), QColor(51, 0, 0));
    EXPECT_EQ(CColorPalette::cellColor(18, 0), QColor(102, 255, 0));
    EXPECT_EQ(CColorPalette::cellColor(1, 6), QColor(153, 0, 0));
    EXPECT_EQ(CColorPalette::cellColor(18, 11), QColor(255, 255, 255));
    // Every one of the 216 colours appears exactly once.
    QSet<QRgb> seen;
    for (int r = 0; r < 12; ++r)
        for (int c = 1; c < 19; ++c)
            seen.insert(CColorPalette::cellColor(c, r).rgb());
    EXPECT_EQ(seen.size(), 216);
    EXPECT_EQ(CColorPalette::colorText(QColor(255, 10, 0)), QStringLiteral("#FF0A00"));
}

struct PickerTest : ::testing::Test {
    QWidget window;
    CColorPicker* picker = nullptr;
    QLineEdit* text = nullptr;
    FakeServices services;
    int commands = 0;
    void SetUp() override
    {
        window.resize(200, 100);
        picker = new CColorPicker(&window, &services);
        picker->setGeometry(10, 10, 24, 20);
        text = new QLineEdit(&window);
        picker->setTextControl(text);
        QObject::connect(picker, &QAbstractButton::clicked, [this] { ++commands; });
        picker->setColor(QColor(10, 20, 30));
        QCoreApplication::processEvents();
        commands = 0;
        window.show();
    }
    // Opens the palette with a press, then moves onto `local` and releases there.
    void pickAt(QPoint local)
    {
        const QPoint press = picker->mapToGlobal(QPoint(5, 5));
        mouse(picker, QEvent::MouseButtonPress, QPoint(5, 5), press);
        CColorPalette* pal = picker->paletteWindow();
        ASSERT_NE(pal, nullptr);
        mouse(pal, QEvent::MouseButtonRelease, pal->mapFromGlobal(press), press);
        ASSERT_EQ(picker->paletteWindow(), pal) << "releasing the opening click keeps the palette";
        mouse(pal, QEvent::MouseMove, local, pal->mapToGlobal(local));
        mouse(pal, QEvent::MouseButtonRelease, local, pal->mapToGlobal(local));
        QCoreApplication::processEvents();
    }
};

TEST_F(PickerTest, PickingACellSetsTheColourAndPostsOneCommand)
{
    pickAt(CColorPalette::cellRect(7, 1).center());
    EXPECT_EQ(picker->paletteWindow(), nullptr);
    EXPECT_EQ(picker->color(), QColor(51, 0, 51));
    EXPECT_EQ(text->text(), QStringLiteral("#330033"));
    EXPECT_EQ(commands, 1);
}

TEST_F(PickerTest, SameColourPostsNoCommand)
{
    picker->setColor(QColor(0, 0, 0));
    QCoreApplication::processEvents();
    commands = 0;
    pickAt(CColorPalette::cellRect(0, 11).center());   // black again
    EXPECT_EQ(picker->color(), QColor(0, 0, 0));
    EXPECT_EQ(commands, 0);
}

TEST_F(PickerTest, BottomStripReturnsTheOpeningColour)
{
    pickAt(QPoint(60, 135));
    EXPECT_EQ(picker->color(), QColor(10, 20, 30));
    EXPECT_EQ(commands, 0);
}

TEST_F(PickerTest, PreviewFollowsTheCellAndGridLinesHaveNoCell)
{
    const QPoint press = picker->mapToGlobal(QPoint(5, 5));
    mouse(picker, QEvent::MouseButtonPress, QPoint(5, 5), press);
    CColorPalette* pal = picker->paletteWindow();
    ASSERT_NE(pal, nullptr);
    EXPECT_EQ(pal->previewColor(), QColor(10, 20, 30));
    EXPECT_FALSE(pal->isPicking());
    const QPoint cell = CColorPalette::cellRect(3, 2).center();
    mouse(pal, QEvent::MouseMove, cell, pal->mapToGlobal(cell));
    EXPECT_TRUE(pal->isPicking());
    EXPECT_EQ(pal->focusCell(), 2 * 19 + 3);
    EXPECT_EQ(pal->previewColor(), CColorPalette::cellColor(3, 2));
    mouse(pal, QEvent::MouseMove, QPoint(39, 5), pal->mapToGlobal(QPoint(39, 5)));
    EXPECT_EQ(pal->focusCell(), -1);
    // On a grid line the preview is the line's colour, the pixel under the cursor.
    const QColor line = pal->grab().toImage().pixelColor(39, 5);
    EXPECT_NE(line, QColor(Qt::white));
    EXPECT_EQ(pal->previewColor(), line);
    QTest::keyClick(pal, Qt::Key_Escape);   // Esc abandons the pick
    QCoreApplication::processEvents();
    EXPECT_EQ(picker->color(), QColor(10, 20, 30));
    EXPECT_EQ(commands, 0);
}

TEST_F(PickerTest, MoreColoursAsksTheServicesWithTheCurrentColour)
{
    services.answer = QColor(1, 2, 3);
    const QPoint press = picker->mapToGlobal(QPoint(5, 5));
    mouse(picker, QEvent::MouseButtonPress, QPoint(5, 5), press);
    ASSERT_NE(picker->paletteWindow(), nullptr);
    picker->paletteWindow()->moreButton()->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(services.colorCalls, 1);
    EXPECT_EQ(services.initial, QColor(10, 20, 30));
    EXPECT_EQ(picker->paletteWindow(), nullptr);
    EXPECT_EQ(picker->color(), QColor(1, 2, 3));
    EXPECT_EQ(commands, 1);
}

TEST_F(PickerTest, CancelledColourDialogChangesNothing)
{
    services.answer = QColor();
    mouse(picker, QEvent::MouseButtonPress, QPoint(5, 5), picker->mapToGlobal(QPoint(5, 5)));
    ASSERT_NE(picker->paletteWindow(), nullptr);
    picker->paletteWindow()->moreButton()->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(picker->color(), QColor(10, 20, 30));
    EXPECT_EQ(commands, 0);
}
