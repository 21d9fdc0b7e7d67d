#include "common/frame/caption.h"
#include "common/frame/snapping.h"

#include <gtest/gtest.h>

using namespace lex;

namespace {
// A 300 x 200 window dragged from (100, 100); another window's right edge at x = 500.
struct Drag {
    EdgeSnapper snapper;
    std::vector<EdgeRect> others{{200, 400, 500, 700}};   // corners (200, 400) and (500, 700)
    EdgeRect at{100, 100, 400, 300};
    Drag() { snapper.beginDrag(at); }
    // Moves the mouse by (dx, dy) from where the window was last put.
    EdgeRect by(int dx, int dy, bool disabled = false)
    {
        EdgeRect p = at;
        p.moveTo(at.left + dx, at.top + dy);
        at = snapper.moving(p, others, disabled);
        return at;
    }
};
} // namespace

TEST(Snapping, LeftEdgeAttractedWithinNineAndReleasedAtTen)
{
    Drag d;
    // Left edge from 100 to 491: 9 pixels from the other window's right edge 500 -> snaps.
    EXPECT_EQ(d.by(391, 0).left, 500);
    EXPECT_EQ(d.snapper.unsnapped().left, 491);
    // One more pixel of mouse travel: unsnapped 492, still within 9 -> stays.
    EXPECT_EQ(d.by(1, 0).left, 500);
    // Mouse goes on: unsnapped reaches 510, 10 away -> lets go and follows the mouse.
    EXPECT_EQ(d.by(18, 0).left, 510);
}

TEST(Snapping, TenPixelsAwayDoesNotAttract)
{
    Drag d;
    EXPECT_EQ(d.by(390, 0).left, 490);
    EXPECT_EQ(d.by(0, 0).left, 490);
}

TEST(Snapping, RightEdgeAndVerticalEdges)
{
    Drag d;
    d.others = {{600, 400, 700, 700}};
    // Right edge 400 -> 595: 5 left of the other window's left edge 600, so the edges touch.
    const EdgeRect r = d.by(195, 0);
    EXPECT_EQ(r.right, 600);
    EXPECT_EQ(r.width(), 300);
    // Bottom edge 300 -> 395, 5 above the other window's top 400 -> snaps; sizes kept.
    const EdgeRect v = d.by(0, 95);
    EXPECT_EQ(v.bottom, 400);
    EXPECT_EQ(v.height(), 200);
    EXPECT_EQ(v.right, 600);
}

TEST(Snapping, ExactMatchFollowsTheMouse)
{
    EdgeSnapper s;
    s.beginDrag({100, 100, 400, 300});
    // The unsnapped left edge lands exactly on 500: no correction, the window is at the mouse.
    const EdgeRect r = s.moving({500, 100, 800, 300}, {{500, 0, 600, 50}}, false);
    EXPECT_EQ(r.left, 500);
    EXPECT_EQ(s.unsnapped().left, 500);
}

TEST(Snapping, FirstWindowInStackingOrderWins)
{
    EdgeSnapper s;
    s.beginDrag({100, 100, 400, 300});
    // Both 103 and 98 are within reach of left = 100; the top-most window (first) decides.
    const EdgeRect r = s.moving({100, 100, 400, 300}, {{103, 900, 150, 950}, {98, 900, 120, 950}}, false);
    EXPECT_EQ(r.left, 103);
}

TEST(Snapping, DisabledOrOutsideADragPassesTheProposal)
{
    Drag d;
    EXPECT_EQ(d.by(391, 0, /*disabled=*/true).left, 491);
    EdgeSnapper idle;
    const EdgeRect p{491, 100, 791, 300};
    EXPECT_EQ(idle.moving(p, {{200, 400, 500, 700}}, false), p);
    EXPECT_FALSE(idle.isDragging());
}

TEST(CaptionHitAreas, StripColumnsAndBounds)
{
    const QRect w(1000, 50, 600, 400);   // right edge 1600, strip starts at 1495
    const int e = 1600 - 105;
    EXPECT_EQ(captionButtonAt({e - 1, 55}, w), NoButton);
    EXPECT_EQ(captionButtonAt({e, 55}, w), MinimiseButton);
    EXPECT_EQ(captionButtonAt({e + 26, 55}, w), MinimiseButton);
    EXPECT_EQ(captionButtonAt({e + 27, 55}, w), MaximiseButton);
    EXPECT_EQ(captionButtonAt({e + 51, 55}, w), MaximiseButton);
    EXPECT_EQ(captionButtonAt({e + 52, 55}, w), CloseButton);
    EXPECT_EQ(captionButtonAt({e + 94, 55}, w), CloseButton);
    EXPECT_EQ(captionButtonAt({e + 95, 55}, w), NoButton);
    EXPECT_EQ(captionButtonAt({e + 60, 50 + 18}, w), CloseButton);
    EXPECT_EQ(captionButtonAt({e + 60, 50 + 19}, w), NoButton);
    EXPECT_EQ(captionButtonAt({e + 60, 49}, w), NoButton);
}

TEST(CaptionHitAreas, ImagesOfTheStrip)
{
    EXPECT_EQ(captionButtonImage(MinimiseButton, false).sourceRight, 26);
    EXPECT_EQ(captionButtonImage(MaximiseButton, false).sourceLeft, 26);
    EXPECT_EQ(captionButtonImage(MaximiseButton, true).sourceLeft, 95);   // restore while maximised
    EXPECT_EQ(captionButtonImage(MaximiseButton, true).stripOffset, 26);
    EXPECT_EQ(captionButtonImage(CloseButton, false).stripOffset, 51);
    EXPECT_EQ(captionButtonImage(CloseButton, false).sourceRight, 95);
}
