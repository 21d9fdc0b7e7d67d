#pragma once
// Where the companion window opens: the rectangle stored in "GlosixDlgSize" when it is usable,
// else the default one. A stored rectangle may be empty, inverted or left from a screen that is no
// longer attached; a window opened there could not be seen or grabbed.

#include "common/config/config_keys.h"

#include <QList>
#include <QMargins>
#include <QRect>
#include <QSize>
#include <optional>

namespace lex {

// The smallest window, frame included.
inline constexpr QSize kGlosixMinimumSize{350, 200};
// How much of the window must lie on one screen for the learner to reach its title bar.
inline constexpr int kGlosixVisibleMargin = 50;

// The stored rectangle when it is at least the minimum size and overlaps one of `screens` by
// kGlosixVisibleMargin in both directions (with no screens known, the size alone decides); else
// the default 100, 100, 500, 400. Screen pixels; the result's right/bottom are exclusive.
config::Rect glosixStartRect(const std::optional<config::Rect>& stored, const QList<QRect>& screens);

// "GlosixDlgSize" holds the window rectangle, frame included. Earlier builds stored the client
// rectangle in the same form; such a value is read the same way and only loses the frame's width.
// The geometry (client area) that puts the window's frame on `window`, given the frame's margins;
// never smaller than glosixMinimumClientSize().
QRect glosixClientGeometry(const config::Rect& window, const QMargins& frame);
// The smallest client area: the one whose window, with a frame of `frame`, is kGlosixMinimumSize.
QSize glosixMinimumClientSize(const QMargins& frame);
// What is stored for a window whose frame is at `frameGeometry`.
config::Rect glosixWindowRect(const QRect& frameGeometry);

} // namespace lex
