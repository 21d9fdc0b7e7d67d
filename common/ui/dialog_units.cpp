#include "common/ui/dialog_units.h"

#include <QFontMetrics>
#include <QStringList>
#include <cmath>

namespace lex::ui {

namespace {
// Windows MulDiv: a * b / c rounded half away from zero.
int mulDiv(int a, int b, int c)
{
    const long long p = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(p >= 0 ? (p + half) / c : (p - half) / c);
}
} // namespace

DialogBaseUnits dialogBaseUnits(const QFont& font)
{
    const QFontMetrics fm(font);
    const int width = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    DialogBaseUnits u;
    u.cx = (width / 26 + 1) / 2;
    u.cy = fm.height();
    if (u.cx <= 0)
        u.cx = 1;
    if (u.cy <= 0)
        u.cy = 1;
    return u;
}

int dluToPixelsX(int x, const DialogBaseUnits& units) { return mulDiv(x, units.cx, 4); }
int dluToPixelsY(int y, const DialogBaseUnits& units) { return mulDiv(y, units.cy, 8); }

QRect dluToPixels(const QRect& dlu, const DialogBaseUnits& units)
{
    return QRect(dluToPixelsX(dlu.x(), units), dluToPixelsY(dlu.y(), units),
                 dluToPixelsX(dlu.width(), units), dluToPixelsY(dlu.height(), units));
}

QSize dluToPixels(const QSize& dlu, const DialogBaseUnits& units)
{
    return QSize(dluToPixelsX(dlu.width(), units), dluToPixelsY(dlu.height(), units));
}

QFont defaultDialogFont()
{
    QFont f;
    f.setFamilies(QStringList{QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans CJK SC"),
                   QStringLiteral("WenQuanYi Micro Hei")});
    f.setPixelSize(12);
    return f;
}

} // namespace lex::ui
