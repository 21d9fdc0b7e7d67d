#include "common/frame/caption.h"

namespace lex {

CaptionButton captionButtonAt(QPoint p, const QRect& window)
{
    const int e = window.x() + window.width() - kCaptionStripOffset;
    const int top = window.y();
    if (p.x() < e || p.x() >= e + kCaptionStripWidth || p.y() < top || p.y() >= top + kCaptionButtonHeight)
        return NoButton;
    if (p.x() < e + 27)
        return MinimiseButton;
    if (p.x() > e + 51)
        return CloseButton;
    return MaximiseButton;
}

CaptionButtonImage captionButtonImage(CaptionButton kind, bool maximised)
{
    switch (kind) {
    case MinimiseButton: return {0, 26, 0};
    case MaximiseButton: return maximised ? CaptionButtonImage{95, 120, 26} : CaptionButtonImage{26, 51, 26};
    case CloseButton: return {51, 95, 51};
    default: return {0, 0, 0};
    }
}

bool captionDragMovesWindow(QStringView platformName)
{
    return !platformName.startsWith(u"wayland");
}

} // namespace lex
