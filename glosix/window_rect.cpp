#include "glosix/window_rect.h"

namespace lex {

config::Rect glosixStartRect(const std::optional<config::Rect>& stored, const QList<QRect>& screens)
{
    if (!stored)
        return config::kDefaultGlosixDlgSize;
    const config::Rect& r = *stored;
    // 64-bit: the stored values may be anything.
    const qint64 w = qint64(r.right) - r.left, h = qint64(r.bottom) - r.top;
    if (w < kGlosixMinimumSize.width() || h < kGlosixMinimumSize.height() || w > 1000000 || h > 1000000)
        return config::kDefaultGlosixDlgSize;
    if (screens.isEmpty())
        return r;
    for (const QRect& s : screens) {
        const qint64 ix = std::min<qint64>(r.right, qint64(s.left()) + s.width()) - std::max<qint64>(r.left, s.left());
        const qint64 iy = std::min<qint64>(r.bottom, qint64(s.top()) + s.height()) - std::max<qint64>(r.top, s.top());
        if (ix >= kGlosixVisibleMargin && iy >= kGlosixVisibleMargin)
            return r;
    }
    return config::kDefaultGlosixDlgSize;
}

QRect glosixClientGeometry(const config::Rect& window, const QMargins& frame)
{
    const QRect outer(window.left, window.top, window.right - window.left, window.bottom - window.top);
    QRect client = outer.marginsRemoved(frame);
    // Never below the minimum: the window manager would grow it past the stored frame anyway.
    client.setSize(client.size().expandedTo(glosixMinimumClientSize(frame)));
    return client;
}

QSize glosixMinimumClientSize(const QMargins& frame)
{
    return kGlosixMinimumSize.shrunkBy(frame).expandedTo(QSize(0, 0));
}

config::Rect glosixWindowRect(const QRect& frameGeometry)
{
    return config::Rect{frameGeometry.left(), frameGeometry.top(), frameGeometry.left() + frameGeometry.width(),
                        frameGeometry.top() + frameGeometry.height()};
}

} // namespace lex
