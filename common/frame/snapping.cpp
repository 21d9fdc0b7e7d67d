#include "common/frame/snapping.h"

#include <cstdlib>

namespace lex {

EdgeRect snapMove(EdgeRect p, EdgeRect& u, const EdgeRect& last, const std::vector<QPoint>& points)
{
    u.moveTo(u.left + (p.left - last.left), u.top + (p.top - last.top));

    bool snapped = false;
    for (const QPoint& pt : points) {
        const int d = pt.x();
        if (std::abs(u.left - d) < kSnapDistance) {
            if (u.left != d) {
                p.moveTo(d, p.top);
                snapped = true;
            }
            break;
        }
        if (std::abs(u.right - d) < kSnapDistance) {
            if (u.right != d) {
                p.moveTo(d - p.width(), p.top);
                snapped = true;
            }
            break;
        }
    }
    if (!snapped)
        p.moveTo(u.left, p.top);

    snapped = false;
    for (const QPoint& pt : points) {
        const int d = pt.y();
        if (std::abs(u.top - d) < kSnapDistance) {
            if (u.top != d) {
                p.moveTo(p.left, d);
                snapped = true;
            }
            break;
        }
        if (std::abs(u.bottom - d) < kSnapDistance) {
            if (u.bottom != d) {
                p.moveTo(p.left, d - p.height());
                snapped = true;
            }
            break;
        }
    }
    if (!snapped)
        p.moveTo(p.left, u.top);
    return p;
}

std::vector<QPoint> cornersOf(const std::vector<EdgeRect>& windows)
{
    std::vector<QPoint> points;
    points.reserve(windows.size() * 2);
    for (const EdgeRect& w : windows) {
        points.emplace_back(w.left, w.top);
        points.emplace_back(w.right, w.bottom);
    }
    return points;
}

EdgeRect EdgeSnapper::moving(const EdgeRect& proposed, const std::vector<EdgeRect>& others, bool disabled)
{
    if (!isDragging() || disabled)
        return proposed;
    last_ = snapMove(proposed, unsnapped_, last_, cornersOf(others));
    return last_;
}

} // namespace lex
