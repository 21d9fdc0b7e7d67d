#include "common/frame/my_base_dialog.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

using namespace lex;

namespace {
class Window : public CMyBaseDialog {
public:
    int cancels = 0;
    bool onCommand(int id, qintptr param) override
    {
        if (id == ui::IDCANCEL)
            ++cancels;
        return CMyBaseDialog::onCommand(id, param);
    }
};

void send(QWidget* w, QEvent::Type type, QPoint local, Qt::MouseButtons buttons)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(local), QPointF(w->mapToGlobal(local)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

QPoint buttonPoint(const QWidget& w, CaptionButton b)
{
    const int e = w.width() - 105;
    return QPoint(b == MinimiseButton ? e + 10 : b == MaximiseButton ? e + 35 : e + 70, 8);
}

struct FrameTest : ::testing::Test {
    Window w;
    void SetUp() override
    {
        w.setGeometry(100, 100, 700, 450);
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    }
    void TearDown() override
    {
        CMyBaseDialog::setWindowSource(nullptr);
        CMyBaseDialog::setForbidWinStick(false);
    }
};
} // namespace

TEST_F(FrameTest, TheFirstClickAfterPlacementHitsTheButtons)
{
    // A window manager that has just placed the window may not have told Qt yet: the events'
    // screen positions are then off from what Qt believes. The buttons go by the window itself.
    const QPoint close = buttonPoint(w, CloseButton);
    const QPoint elsewhere = w.mapToGlobal(close) + QPoint(240, 130);
    auto at = [&](QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QMouseEvent e(type, QPointF(close), QPointF(elsewhere), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(&w, &e);
    };
    at(QEvent::MouseMove, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(CMyBaseDialog::hoveredButton(), CloseButton);
    at(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(CMyBaseDialog::pressedButton(), CloseButton);
    at(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(w.cancels, 1);
    EXPECT_FALSE(w.isVisible());
}

TEST_F(FrameTest, CloseNeedsPressAndReleaseOnTheButton)
{
    const QPoint close = buttonPoint(w, CloseButton);
    send(&w, QEvent::MouseButtonPress, close, Qt::LeftButton);
    EXPECT_EQ(CMyBaseDialog::pressedButton(), CloseButton);
    EXPECT_EQ(w.buttonState(CloseButton), 3);
    // Moving off changes nothing while pressed; releasing elsewhere does nothing.
    send(&w, QEvent::MouseMove, buttonPoint(w, MinimiseButton), Qt::LeftButton);
    EXPECT_EQ(w.buttonState(CloseButton), 3);
    EXPECT_EQ(w.buttonState(MinimiseButton), 1);
    send(&w, QEvent::MouseButtonRelease, buttonPoint(w, MinimiseButton), Qt::NoButton);
    EXPECT_EQ(w.cancels, 0);
    EXPECT_EQ(CMyBaseDialog::pressedButton(), NoButton);
    EXPECT_FALSE(w.isMinimized());
    // Press and release on it closes like Cancel.
    send(&w, QEvent::MouseButtonPress, close, Qt::LeftButton);
    send(&w, QEvent::MouseButtonRelease, close, Qt::NoButton);
    EXPECT_EQ(w.cancels, 1);
    EXPECT_FALSE(w.isVisible());
}

TEST_F(FrameTest, HoverMarksOneButtonAndClears)
{
    send(&w, QEvent::MouseMove, buttonPoint(w, MaximiseButton), Qt::NoButton);
    EXPECT_EQ(CMyBaseDialog::hoveredButton(), MaximiseButton);
    EXPECT_EQ(w.buttonState(MaximiseButton), 2);
    EXPECT_LE(w.buttonState(CloseButton), 1);
    send(&w, QEvent::MouseMove, QPoint(200, 10), Qt::NoButton);
    EXPECT_EQ(CMyBaseDialog::hoveredButton(), NoButton);
    EXPECT_LE(w.buttonState(MaximiseButton), 1);
}

TEST_F(FrameTest, MaximiseThenRestoreWithTheMiddleButton)
{
    send(&w, QEvent::MouseButtonPress, buttonPoint(w, MaximiseButton), Qt::LeftButton);
    send(&w, QEvent::MouseButtonRelease, buttonPoint(w, MaximiseButton), Qt::NoButton);
    EXPECT_TRUE(w.isMaximized());
    send(&w, QEvent::MouseButtonPress, buttonPoint(w, MaximiseButton), Qt::LeftButton);
    send(&w, QEvent::MouseButtonRelease, buttonPoint(w, MaximiseButton), Qt::NoButton);
    EXPECT_FALSE(w.isMaximized());
}

TEST_F(FrameTest, AFixedSizeWindowShowsOnlyTheCloseButton)
{
    w.setFixedSize(300, 200);
    QApplication::processEvents();
    // Nothing drawn where minimise and maximise stand (below the outline): the caption band's
    // colour throughout; the close button is drawn.
    const QImage image = w.grab().toImage();
    const int e = w.width() - 105;
    const QColor band = image.pixelColor(e - 2, 2);
    auto drawn = [&](int from, int to) {
        int n = 0;
        for (int x = e + from; x < e + to; ++x)
            for (int y = 1; y < 19; ++y)
                n += image.pixelColor(x, y) != band;
        return n;
    };
    EXPECT_EQ(drawn(0, 51), 0);
    EXPECT_GT(drawn(51, 95), 0);
    for (CaptionButton b : {MinimiseButton, MaximiseButton}) {
        send(&w, QEvent::MouseMove, buttonPoint(w, b), Qt::NoButton);
        EXPECT_EQ(CMyBaseDialog::hoveredButton(), NoButton);
        send(&w, QEvent::MouseButtonPress, buttonPoint(w, b), Qt::LeftButton);
        send(&w, QEvent::MouseButtonRelease, buttonPoint(w, b), Qt::NoButton);
    }
    EXPECT_FALSE(w.isMaximized());
    EXPECT_FALSE(w.isMinimized());
    send(&w, QEvent::MouseButtonPress, buttonPoint(w, CloseButton), Qt::LeftButton);
    send(&w, QEvent::MouseButtonRelease, buttonPoint(w, CloseButton), Qt::NoButton);
    EXPECT_EQ(w.cancels, 1);
}

TEST_F(FrameTest, CaptionDragSnapsToOtherWindowsUnlessForbidden)
{
    const EdgeRect other{1000, 600, 1300, 900};   // its left edge at x = 1000
    CMyBaseDialog::setWindowSource([other](const QWidget*) { return std::vector<EdgeRect>{other}; });
    const QPoint grip(200, 10);
    const QPoint start = w.mapToGlobal(grip);
    send(&w, QEvent::MouseButtonPress, grip, Qt::LeftButton);
    EXPECT_TRUE(w.snapper().isDragging());
    // Right edge 800 -> 995: within 9 of 1000, so the right edge touches it.
    QMouseEvent m(QEvent::MouseMove, QPointF(grip), QPointF(start + QPoint(195, 0)), Qt::NoButton, Qt::LeftButton,
                  Qt::NoModifier);
    QApplication::sendEvent(&w, &m);
    EXPECT_EQ(w.x() + w.width(), 1000);
    send(&w, QEvent::MouseButtonRelease, grip, Qt::NoButton);
    EXPECT_FALSE(w.snapper().isDragging());

    CMyBaseDialog::setForbidWinStick(true);
    const QPoint start2 = w.mapToGlobal(grip);
    send(&w, QEvent::MouseButtonPress, grip, Qt::LeftButton);
    QMouseEvent m2(QEvent::MouseMove, QPointF(grip), QPointF(start2 + QPoint(-3, 0)), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
    QApplication::sendEvent(&w, &m2);
    EXPECT_EQ(w.x() + w.width(), 997);   // follows the mouse exactly
    send(&w, QEvent::MouseButtonRelease, grip, Qt::NoButton);
}

TEST_F(FrameTest, ClientPressesAreNotCaptionPresses)
{
    send(&w, QEvent::MouseButtonPress, QPoint(300, 200), Qt::LeftButton);
    EXPECT_FALSE(w.snapper().isDragging());
    EXPECT_EQ(CMyBaseDialog::pressedButton(), NoButton);
    send(&w, QEvent::MouseButtonRelease, QPoint(300, 200), Qt::NoButton);
}

TEST_F(FrameTest, ActivationSetsAllButtonStates)
{
    QEvent deactivate(QEvent::ActivationChange);
    QApplication::sendEvent(&w, &deactivate);
    const int expected = w.isActiveWindow() ? 1 : 0;
    EXPECT_EQ(w.isActiveFrame(), w.isActiveWindow());
    for (CaptionButton b : {MinimiseButton, MaximiseButton, CloseButton})
        EXPECT_EQ(w.buttonState(b), expected);
}

TEST_F(FrameTest, CaptionChangeAndGeometry)
{
    w.setCaption(QStringLiteral("单词听辩"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("单词听辩"));
    EXPECT_EQ(w.contentsRect(), w.clientRect());
    EXPECT_EQ(w.clientRect().topLeft(), QPoint(4, CMyBaseDialog::captionHeight()));
    // Rounded corners: the window's corner pixel is outside its mask.
    EXPECT_FALSE(w.mask().contains(QPoint(0, 0)));
    EXPECT_TRUE(w.mask().contains(QPoint(10, 10)));
}

TEST(FrameMinimum, OuterWindowMinimumTrackingSize)
{
    Window w;
    w.setMinimumSize(CMyBaseDialog::kOuterMinimumTrackSize);
    w.resize(100, 100);
    EXPECT_EQ(w.size(), QSize(650, 400));
}

TEST(FrameWayland, OnlyWaylandHandsTheCaptionDragToTheCompositor)
{
    EXPECT_TRUE(captionDragMovesWindow(u"xcb"));
    EXPECT_TRUE(captionDragMovesWindow(u"offscreen"));
    EXPECT_FALSE(captionDragMovesWindow(u"wayland"));
    EXPECT_FALSE(captionDragMovesWindow(u"wayland-egl"));
}
