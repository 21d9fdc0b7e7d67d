#include "common/controls/bm_static.h"

#include <QBitmap>
#include <QPainter>

namespace lex {

CBMStatic::CBMStatic(const QPixmap& bitmap, QWidget* parent) : QWidget(parent), bitmap_(bitmap)
{
    if (!bitmap_.isNull() && bitmap_.mask().isNull())
        bitmap_.setMask(bitmap_.createMaskFromColor(QColor(0, 0, 0), Qt::MaskInColor));
    resize(bitmap_.deviceIndependentSize().toSize());
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void CBMStatic::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawPixmap(0, 0, bitmap_);
}

void CBMStatic::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    raise();
    if (QWidget* parent = parentWidget()) {
        const QRect client = parent->contentsRect();
        move(client.right() + 1 - width(), client.top());
    }
}

} // namespace lex
