#pragma once
// Edge snapping while a window is dragged: a vertical edge of the window jumps onto a vertical
// edge of another window within 9 pixels and lets go at 10; the same for horizontal edges.

#include <QRect>
#include <vector>

namespace lex {

// A rectangle with exclusive right and bottom edges (the form window managers report).
struct EdgeRect {
    int left = 0, top = 0, right = 0, bottom = 0;

    bool isEmpty() const { return right <= left || bottom <= top; }
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    void moveTo(int x, int y)
    {
        right += x - left;
        bottom += y - top;
        left = x;
        top = y;
    }
    bool operator==(const EdgeRect&) const = default;

    static EdgeRect fromQRect(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }
    QRect toQRect() const { return QRect(left, top, right - left, bottom - top); }
};

inline constexpr int kSnapDistance = 10;   // edges closer than this attract

// One "moving" step. `proposed` is where the window would go; `unsnapped` (the window's place if
// it followed the mouse exactly) is advanced by the proposal's offset from `last`. `points` are
// the top-left and bottom-right corners of the other windows in top-to-bottom order. Returns the
// rectangle to apply (which becomes the next `last`).
EdgeRect snapMove(EdgeRect proposed, EdgeRect& unsnapped, const EdgeRect& last, const std::vector<QPoint>& points);

// The corners of the other windows, in order.
std::vector<QPoint> cornersOf(const std::vector<EdgeRect>& windows);

// The drag state of one window: empty rectangles outside a drag.
class EdgeSnapper {
public:
    void beginDrag(const EdgeRect& windowRect)
    {
        unsnapped_ = windowRect;
        last_ = windowRect;
    }
    void endDrag()
    {
        unsnapped_ = {};
        last_ = {};
    }
    bool isDragging() const { return !last_.isEmpty(); }

    // Applies the rule unless `disabled`; outside a drag the proposal passes unchanged.
    EdgeRect moving(const EdgeRect& proposed, const std::vector<EdgeRect>& others, bool disabled);

    const EdgeRect& unsnapped() const { return unsnapped_; }
    const EdgeRect& last() const { return last_; }

private:
    EdgeRect unsnapped_;
    EdgeRect last_;
};

} // namespace lex
