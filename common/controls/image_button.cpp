#include "common/controls/image_button.h"

#include "common/ui/template_builder.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QEvent>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace lex {

namespace {
const QColor kHoverLeft(250, 196, 88), kHoverRight(251, 202, 106), kHoverTop(252, 210, 121), kHoverBottom(229, 151, 0);
const QColor kFocusLeft(153, 198, 252), kFocusRight(162, 189, 252), kFocusTop(162, 201, 255), kFocusBottom(162, 201, 255);
const QColor kEdgeLight(103, 89, 175), kEdgeDark(73, 59, 145);
constexpr int kSystemEdge = 2;   // the system's edge size

struct StateColours { QColor first, second, third; };

StateColours boxColours(bool enabled, bool active)
{
    if (!enabled)
        return {QColor(245, 249, 250), QColor(209, 215, 221), QColor(183, 190, 196)};
    if (active)
        return {QColor(227, 215, 251), QColor(177, 165, 201), QColor(197, 185, 221)};
    return {QColor(141, 204, 255), QColor(91, 154, 216), QColor(111, 174, 236)};
}

// Two vertical gradients meeting in the middle of `r`.
void fillTwoGradients(QPainter& p, const QRect& r, const StateColours& c)
{
    const int mid = r.top() + r.height() / 2;
    QLinearGradient g1(0, r.top(), 0, mid);
    g1.setColorAt(0, c.first);
    g1.setColorAt(1, c.second);
    p.fillRect(QRect(r.left(), r.top(), r.width(), mid - r.top()), g1);
    QLinearGradient g2(0, mid, 0, r.bottom() + 1);
    g2.setColorAt(0, c.second);
    g2.setColorAt(1, c.third);
    p.fillRect(QRect(r.left(), mid, r.width(), r.bottom() + 1 - mid), g2);
}
} // namespace

QWidget* createImageButton(const ui::ControlSpec& s, QWidget* parent)
{
    CImageButton* b = nullptr;
    switch (s.kind) {
    case ui::Kind::PushButton:
    case ui::Kind::DefPushButton:
        b = new CImageButton(CImageButton::ButtonKind::Push, s.caption, parent);
        b->setDefault(s.kind == ui::Kind::DefPushButton);
        break;
    case ui::Kind::CheckBox:
        b = new CImageButton(CImageButton::ButtonKind::Check, s.caption, parent);
        b->setPushLike(s.style & ui::PushLike);
        break;
    case ui::Kind::RadioButton:
        b = new CImageButton(CImageButton::ButtonKind::Radio, s.caption, parent);
        break;
    default:
        break;
    }
    return b;
}

void drawGlyph(QPainter& p, int x, int y, const unsigned char* rows, int rowCount, const QColor& ink)
{
    for (int row = 0; row < rowCount; ++row)
        for (int col = 0; col < 7; ++col)
            if (!(rows[row] & (0x40 >> col)))
                p.fillRect(x + col, y + row, 1, 1, ink);
}

CImageButton::CImageButton(ButtonKind kind, const QString& text, QWidget* parent)
    : QPushButton(text, parent), kind_(kind)
{
    setCheckable(kind != ButtonKind::Push);
    setAutoExclusive(false);
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);
}

void CImageButton::setCheck(bool checked)
{
    if (checked && kind_ == ButtonKind::Radio && parentWidget()) {
        const int group = ui::controlGroup(this);
        for (QObject* o : parentWidget()->children()) {
            auto* other = qobject_cast<CImageButton*>(o);
            if (other && other != this && other->kind_ == ButtonKind::Radio && ui::controlGroup(other) == group)
                other->uncheck();
        }
    }
    setChecked(checked);
    update();
}

void CImageButton::uncheck()
{
    setChecked(false);
    update();
}

void CImageButton::setPushLike(bool on)
{
    pushLike_ = on;
    update();
}

void CImageButton::setBackgroundColor(const QColor& c)
{
    background_ = c;
    update();
}

void CImageButton::nextCheckState()
{
    switch (kind_) {
    case ButtonKind::Check: setCheck(!isChecked()); break;
    case ButtonKind::Radio:
        if (!isChecked())
            setCheck(true);
        break;
    case ButtonKind::Push: break;
    }
}

void CImageButton::enterEvent(QEnterEvent* e)
{
    hover_ = true;
    update();
    QPushButton::enterEvent(e);
}

void CImageButton::leaveEvent(QEvent* e)
{
    hover_ = false;
    update();
    QPushButton::leaveEvent(e);
}

void CImageButton::changeEvent(QEvent* e)
{
    QPushButton::changeEvent(e);
    if (e->type() == QEvent::EnabledChange || e->type() == QEvent::FontChange)
        update();
}

QSize CImageButton::sizeHint() const
{
    const QFontMetrics fm(font());
    const QSize text = fm.size(0, this->text());
    if (kind_ == ButtonKind::Push || pushLike_)
        return QSize(text.width() + 16, qMax(text.height() + 8, 23));
    return QSize(text.width() + 20, qMax(text.height() + 2, 14));
}

void CImageButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), background_);   // the erase
    if (kind_ == ButtonKind::Push || pushLike_)
        paintPush(p);
    else
        paintCheckOrRadio(p);
}

void CImageButton::paintPush(QPainter& p)
{
    const QRect r = rect();
    const bool pressed = isDown() || (isCheckable() && isChecked());

    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 2.5, 2.5);
    p.setRenderHint(QPainter::Antialiasing, false);

    const QRect inner = r.adjusted(kSystemEdge, kSystemEdge, -kSystemEdge, -kSystemEdge);
    QLinearGradient g(0, inner.top(), 0, inner.bottom() + 1);
    g.setColorAt(0, hover_ ? QColor(253, 253, 252) : QColor(253, 253, 254));
    g.setColorAt(1, hover_ ? QColor(240, 240, 234) : QColor(222, 223, 236));
    p.fillRect(inner, g);

    if (pressed || hover_ || hasFocus()) {
        const bool h = hover_;
        const QRect f = r.adjusted(1, 1, -1, -1);   // inside the outline
        p.fillRect(QRect(f.left(), f.top(), 3, f.height()), h ? kHoverLeft : kFocusLeft);
        p.fillRect(QRect(f.right() - 2, f.top(), 3, f.height()), h ? kHoverRight : kFocusRight);
        p.fillRect(QRect(f.left(), f.top(), f.width(), 2), h ? kHoverTop : kFocusTop);
        p.fillRect(QRect(f.left(), f.bottom() - 1, f.width(), 2), h ? kHoverBottom : kFocusBottom);
        if (hasFocus() && !h) {
            QStyleOptionFocusRect fo;
            fo.initFrom(this);
            fo.rect = r.adjusted(4, 4, -4, -4);
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &fo, &p, this);
        }
    }

    QRect textRect = r;
    if (pressed)
        textRect.translate(1, 1);
    p.setFont(font());
    if (isEnabled()) {
        p.setPen(palette().color(QPalette::Active, QPalette::ButtonText));
    } else {
        // The greyed look: a white emboss under grey text.
        p.setPen(Qt::white);
        p.drawText(textRect.translated(1, 1), Qt::AlignCenter | Qt::TextWordWrap, text());
        p.setPen(palette().color(QPalette::Disabled, QPalette::ButtonText));
    }
    p.drawText(textRect, Qt::AlignCenter | Qt::TextWordWrap, text());
}

void CImageButton::paintCheckOrRadio(QPainter& p)
{
    const QRect r = rect();
    const bool pressed = isDown();
    const bool active = pressed || hasFocus() || hover_;
    const StateColours colours = boxColours(isEnabled(), active);
    const int centre = r.top() + r.height() / 2;
    const QColor ink = pressed ? QColor(Qt::white) : QColor(Qt::black);
    int textLeft;

    if (kind_ == ButtonKind::Check) {
        const QRect box(r.left(), centre - 6, 13, 13);
        p.setPen(kEdgeLight);   // three-dimensional edge: light top-left, dark bottom-right
        p.drawLine(box.topLeft(), box.topRight());
        p.drawLine(box.topLeft(), box.bottomLeft());
        p.setPen(kEdgeDark);
        p.drawLine(box.bottomLeft(), box.bottomRight());
        p.drawLine(box.topRight(), box.bottomRight());
        fillTwoGradients(p, box.adjusted(1, 1, -1, -1), colours);
        if (isChecked() || pressed)
            drawGlyph(p, box.left() + 3, box.top() + 3, kCheckGlyph, 7, ink);
        textLeft = box.right() + 1;
    } else {
        const QRect region(r.left(), centre - 7, 14, 14);
        p.setRenderHint(QPainter::Antialiasing, true);
        QPainterPath outer;
        outer.addRoundedRect(QRectF(region), 2.5, 2.5);
        p.fillPath(outer, QColor(103, 89, 175));
        p.setRenderHint(QPainter::Antialiasing, false);
        p.save();
        QPainterPath inner;
        inner.addRoundedRect(QRectF(region.adjusted(1, 1, -1, -1)), 2, 2);
        p.setClipPath(inner);
        fillTwoGradients(p, region.adjusted(1, 1, -1, -1), colours);
        p.restore();
        if (isChecked() || pressed)
            drawGlyph(p, region.left() + 4, region.top() + 4, kRadioGlyph, 6, ink);
        textLeft = region.right() + 1;
    }

    const QRect textRect(textLeft, r.top(), r.right() - textLeft + 1, r.height());
    p.setFont(font());
    p.setPen(isEnabled() ? palette().color(QPalette::Active, QPalette::WindowText)
                         : palette().color(QPalette::Disabled, QPalette::WindowText));
    p.drawText(textRect, Qt::AlignCenter | Qt::TextWordWrap, text());
}

} // namespace lex
