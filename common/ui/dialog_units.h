#pragma once
// Dialog units: template coordinates scale with the dialog font, the way the Windows dialog
// manager does it, so a template written for one font still fits its text in another.

#include <QFont>
#include <QRect>
#include <QSize>

namespace lex::ui {

struct DialogBaseUnits {
    int cx = 6;   // average character width in pixels
    int cy = 12;  // character height in pixels
};

// Average width is measured over the 52 Latin letters and rounded like Windows does:
// (width / 26 + 1) / 2; height is the font's full line height.
DialogBaseUnits dialogBaseUnits(const QFont& font);

// MulDiv-style rounding of one coordinate.
int dluToPixelsX(int x, const DialogBaseUnits& units);
int dluToPixelsY(int y, const DialogBaseUnits& units);
// Each of x, y, width and height is converted on its own, as the dialog manager does.
QRect dluToPixels(const QRect& dlu, const DialogBaseUnits& units);
QSize dluToPixels(const QSize& dlu, const DialogBaseUnits& units);

// The font that dialogs use: 12 pixels, Latin from DejaVu Sans, Chinese from the CJK fallback.
QFont defaultDialogFont();

} // namespace lex::ui
