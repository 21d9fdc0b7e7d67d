#include "lexora/practice/answer_fit.h"

#include <QFontMetrics>

namespace lex {
namespace {

// The answer buttons draw their text centred and word-wrapped over the whole button.
constexpr int kAnswerFlags = Qt::AlignCenter | Qt::TextWordWrap;
constexpr int kAnswerMarginPx = 4;
constexpr int kAnswerMinFontPx = 14;

bool fitsIn(const QFont& font, const QString& text, const QRect& box)
{
    const QRect needed = QFontMetrics(font).boundingRect(box, kAnswerFlags, text);
    return needed.width() <= box.width() && needed.height() <= box.height();
}

} // namespace

std::pair<QFont, QString> fitAnswerText(const QFont& big, const QString& text, const QSize& button)
{
    const QRect box(QPoint(0, 0), button - QSize(2 * kAnswerMarginPx, 2 * kAnswerMarginPx));
    QFont f = big;
    if (text.isEmpty() || box.isEmpty() || fitsIn(f, text, box))
        return {f, text};
    for (int px = big.pixelSize() - 1; px >= kAnswerMinFontPx; --px) {
        f.setPixelSize(px);
        if (fitsIn(f, text, box))
            return {f, text};
    }
    // The longest beginning that fits with the ellipsis after it.
    qsizetype lo = 0, hi = text.size();
    while (lo < hi) {
        const qsizetype mid = (lo + hi + 1) / 2;
        if (fitsIn(f, text.left(mid) + QChar(0x2026), box))
            lo = mid;
        else
            hi = mid - 1;
    }
    return {f, text.left(lo).trimmed() + QChar(0x2026)};
}

} // namespace lex
