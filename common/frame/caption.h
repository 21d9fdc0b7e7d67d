#pragma once
// Geometry of the caption buttons of CMyBaseDialog (pure functions, screen or window pixels).

#include <QPoint>
#include <QRect>
#include <QStringView>

namespace lex {

enum CaptionButton { NoButton = 0, MinimiseButton = 1, MaximiseButton = 2, CloseButton = 3 };

inline constexpr int kCaptionStripOffset = 105;   // strip's left edge from the window's right edge
inline constexpr int kCaptionStripWidth = 95;
inline constexpr int kCaptionButtonHeight = 19;
inline constexpr int kSystemCaptionButtonHeight = 18;
inline constexpr int kCaptionHeight = kSystemCaptionButtonHeight + 5;
inline constexpr int kClientLeft = 4;

// The button under `point` for a window at `window` (same coordinates; right/bottom exclusive as
// window.x() + width()). Inside the strip: x < e + 27 minimise, x > e + 51 close, else maximise.
CaptionButton captionButtonAt(QPoint point, const QRect& window);

// Source columns of bitmap 216 and placement in the strip.
struct CaptionButtonImage {
    int sourceLeft, sourceRight;   // column range in the bitmap
    int stripOffset;               // where it is drawn, from the strip's left edge
};
// kind: MinimiseButton, MaximiseButton, CloseButton; `maximised` picks the restore image.
CaptionButtonImage captionButtonImage(CaptionButton kind, bool maximised);

// Whether dragging the caption may place the window itself (X11, the test platforms). Wayland
// lets only the compositor move a window: there the drag is handed to it with
// QWindow::startSystemMove, and edge snapping is off because the program never sees the moves.
bool captionDragMovesWindow(QStringView platformName);

} // namespace lex
