#pragma once
// The rectangles of the other top-level windows that attract a dragged window: visible, not
// maximised, not the window itself, in top-to-bottom order. On X11 they come from the window
// manager's stacking list; elsewhere only this program's own windows count.

#include "common/frame/snapping.h"

#include <vector>

class QWidget;

namespace lex {

std::vector<EdgeRect> otherWindowRects(const QWidget* self);

} // namespace lex
