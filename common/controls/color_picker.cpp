#include "common/controls/color_picker.h"

#include "common/platform/user_services.h"

#include <QApplication>
#include <QBitmap>
#include <QStringList>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMetaObject>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyleOptionFocusRect>

namespace lex {

namespace {
constexpr int kGreys[CColorPalette::kRows] = {255, 232, 209, 186, 163, 140, 117, 94, 71, 48, 23, 0};
const QColor kStrip(212, 208, 200);   // light grey of the bottom strip

// The more-colours button: light grey, raised or sunken, three small overlapping squares.
class MoreButton : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const QRect r = rect();
        p.fillRect(r, kStrip);
        const bool down = isDown();
        p.setPen(down ? QColor(128, 128, 128) : QColor(255, 255, 255));
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(down ? QColor(255, 255, 255) : QColor(64, 64, 64));
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
        const int o = down ? 1 : 0;
        const QColor squares[] = {QColor(230, 40, 40), QColor(40, 180, 60), QColor(250, 220, 40)};
        const QPoint at[] = {QPoint(3, 3), QPoint(7, 5), QPoint(5, 8)};
        for (int i = 0; i < 3; ++i) {
            const QRect s(at[i].x() + o, at[i].y() + o, 6, 5);
            p.fillRect(s, squares[i]);
            p.setPen(QColor(60, 60, 60));
            p.drawRect(s.adjusted(0, 0, -1, -1));
        }
    }
};

// Pattern rows of the picking cursor, most significant bit leftmost.
constexpr unsigned char kAnd[32] = {0xFF, 0xF1, 0xFF, 0xE0, 0xFF, 0xC0, 0xFF, 0x00, 0xFF, 0x81, 0xFF, 0x03,
                                    0xFE, 0x07, 0xFC, 0x17, 0xF8, 0x3F, 0xF0, 0x7F, 0xE0, 0xFF, 0xC1, 0xFF,
                                    0x83, 0xFF, 0x87, 0xFF, 0x0F, 0xFF, 0x3F, 0xFF};
constexpr unsigned char kXor[32] = {0x00, 0x00, 0x00, 0x0C, 0x00, 0x08, 0x00, 0x10, 0x00, 0x00, 0x00, 0x40,
                                    0x00, 0xE0, 0x01, 0xC0, 0x03, 0x80, 0x07, 0x00, 0x0E, 0x00, 0x1C, 0x00,
                                    0x38, 0x00, 0x30, 0x00, 0x40, 0x00, 0x00, 0x00};
} // namespace

// ---- palette ----

CColorPalette::CColorPalette(QWidget* parent) : QWidget(parent, Qt::Popup | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("ColorPalette"));
    setWindowTitle(QStringLiteral("Palatte"));
    setFixedSize(kWidth, kHeight);
    setMouseTracking(true);
    setAttribute(Qt::WA_DeleteOnClose, false);
    more_ = new MoreButton(this);
    more_->setGeometry(moreButtonRect());
    more_->setProperty("lexControlId", kMoreButtonId);
    more_->setFocusPolicy(Qt::NoFocus);
    connect(more_, &QPushButton::clicked, this, &CColorPalette::moreColorsRequested);
}

int CColorPalette::cellAt(QPoint p)
{
    if (p.x() < 0 || p.y() < 0 || p.y() >= kGridHeight || p.x() >= 10 * kColumns)
        return -1;
    if (p.x() % 10 == 9 || p.y() % 10 == 9)
        return -1;   // a grid line
    return (p.y() / 10) * kColumns + p.x() / 10;
}

QColor CColorPalette::cellColor(int column, int row)
{
    if (column < 0 || column >= kColumns || row < 0 || row >= kRows)
        return {};
    if (column == 0)
        return QColor(kGreys[row], kGreys[row], kGreys[row]);
    const int group = (column - 1) / 6;           // red 0, 51, 102 (rows 0-5) or 153, 204, 255
    const int green = 51 * ((column - 1) % 6);
    const int red = 51 * (group + (row >= 6 ? 3 : 0));
    const int blue = 51 * (row % 6);
    return QColor(red, green, blue);
}

QString CColorPalette::colorText(const QColor& c)
{
    return QString::asprintf("#%02X%02X%02X", c.red(), c.green(), c.blue());
}

QCursor CColorPalette::pickingCursor()
{
    // Windows AND/XOR pairs: AND 0 XOR 0 black, AND 0 XOR 1 white, AND 1 XOR 0 transparent,
    // AND 1 XOR 1 inverted (drawn black here).
    QImage bits(16, 16, QImage::Format_Mono), mask(16, 16, QImage::Format_Mono);
    bits.fill(0);
    mask.fill(0);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const int byte = y * 2 + x / 8;
            const int bit = 0x80 >> (x % 8);
            const bool a = kAnd[byte] & bit, xr = kXor[byte] & bit;
            const bool visible = !a || xr;
            const bool black = (!a && !xr) || (a && xr);
            mask.setPixel(x, y, visible ? 1 : 0);
            bits.setPixel(x, y, black ? 1 : 0);
        }
    return QCursor(QBitmap::fromImage(bits), QBitmap::fromImage(mask), 0, 15);
}

void CColorPalette::begin(const QColor& current, QPoint pressGlobal)
{
    opening_ = current;
    preview_ = current;
    press_ = pressGlobal;
    picking_ = false;
    done_ = false;
    focusCell_ = -1;
    update();
}

QColor CColorPalette::screenPixel(QPoint global) const
{
    QScreen* screen = QGuiApplication::screenAt(global);
    if (!screen)
        return preview_;
    const QPoint at = global - screen->geometry().topLeft();
    const QImage img = screen->grabWindow(0, at.x(), at.y(), 1, 1).toImage();
    return img.isNull() || img.width() < 1 ? preview_ : QColor(img.pixel(0, 0));
}

void CColorPalette::track(QPoint local, QPoint global)
{
    if (!picking_) {
        if (global == press_)
            return;
        picking_ = true;
    }
    focusCell_ = -1;
    if (rect().contains(local)) {
        setCursor(Qt::ArrowCursor);
        if (local.y() < kGridHeight) {
            // The pixel under the cursor is our own drawing: the cell's colour, or on a grid line
            // (which has no cell) the line's, as drawn.
            focusCell_ = cellAt(local);
            preview_ = focusCell_ >= 0 ? cellColor(focusCell_) : grab(QRect(local, QSize(1, 1))).toImage().pixelColor(0, 0);
        } else {
            preview_ = opening_;
        }
    } else {
        setCursor(pickingCursor());
        preview_ = screenPixel(global);
    }
    update();
}

void CColorPalette::finish(const QColor& c)
{
    if (done_)
        return;
    done_ = true;
    hide();
    Q_EMIT finished(c);
}

void CColorPalette::mousePressEvent(QMouseEvent* e)
{
    // Presses anywhere are part of the pick; the popup must not close on its own here.
    e->accept();
}

void CColorPalette::mouseMoveEvent(QMouseEvent* e)
{
    track(e->position().toPoint(), e->globalPosition().toPoint());
}

void CColorPalette::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    track(e->position().toPoint(), e->globalPosition().toPoint());
    if (picking_)
        finish(preview_);
    // The release of the opening click without a move keeps the palette open.
}

void CColorPalette::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape) {
        finish(opening_);   // Esc abandons the pick
        return;
    }
    QWidget::keyPressEvent(e);
}

void CColorPalette::hideEvent(QHideEvent* e)
{
    QWidget::hideEvent(e);
    finish(preview_);   // closed by deactivation: the preview colour stands
}

void CColorPalette::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && !isActiveWindow() && isVisible() && picking_)
        finish(preview_);
}

void CColorPalette::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    for (int row = 0; row < kRows; ++row)
        for (int col = 0; col < kColumns; ++col)
            p.fillRect(cellRect(col, row), cellColor(col, row));
    // Grid lines between the cells.
    p.setPen(QColor(160, 160, 160));
    for (int col = 0; col < kColumns; ++col)
        p.drawLine(10 * col + 9, 0, 10 * col + 9, kGridHeight - 1);
    for (int row = 0; row < kRows; ++row)
        p.drawLine(0, 10 * row + 9, 10 * kColumns - 1, 10 * row + 9);
    if (focusCell_ >= 0) {
        const QRect r = cellRect(focusCell_ % kColumns, focusCell_ / kColumns).adjusted(-1, -1, 1, 1);
        p.setPen(QPen(Qt::white, 1));
        p.drawRect(r.adjusted(0, 0, -1, -1));
        p.setPen(QPen(Qt::black, 1, Qt::DotLine));
        p.drawRect(r.adjusted(0, 0, -1, -1));
    }

    p.fillRect(QRect(0, kGridHeight, kWidth, kHeight - kGridHeight), kStrip);
    const QRect swatch(QPoint(5, 125), QPoint(39, 142));
    p.fillRect(swatch, preview_);
    p.setPen(QColor(64, 64, 64));
    p.drawRect(swatch.adjusted(0, 0, -1, -1));
    QFont f;
    f.setFamilies(QStringList{QStringLiteral("SimSun"), QStringLiteral("宋体"), QStringLiteral("Noto Sans CJK SC"),
                   QStringLiteral("DejaVu Sans Mono")});
    f.setPixelSize(12);
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(QRect(80, 127, 80, 14), Qt::AlignLeft | Qt::AlignTop, colorText(preview_));
}

// ---- picker ----

CColorPicker::CColorPicker(QWidget* parent, UserServices* services)
    : QAbstractButton(parent), color_(QApplication::palette().color(QPalette::Button)), services_(services)
{
    setFocusPolicy(Qt::StrongFocus);
}

void CColorPicker::setFlat(bool flat)
{
    flat_ = flat;
    update();
}

void CColorPicker::setColor(const QColor& c)
{
    color_ = c;
    // Posted, as the parent learns of the change after the palette has gone.
    QPointer<CColorPicker> self(this);
    QMetaObject::invokeMethod(
        this, [self] { if (self) Q_EMIT self->clicked(false); }, Qt::QueuedConnection);
    if (text_)
        text_->setText(CColorPalette::colorText(c));
    update();
}

void CColorPicker::openPalette(QPoint pressGlobal)
{
    if (palette_)
        return;
    auto* pal = new CColorPalette(this);
    palette_ = pal;
    connect(pal, &CColorPalette::finished, this, &CColorPicker::paletteFinished);
    connect(pal, &CColorPalette::moreColorsRequested, this, &CColorPicker::moreColors);

    QPoint at = mapToGlobal(QPoint(0, height() - 1));
    const QScreen* screen = this->screen();
    const QRect avail = screen ? screen->geometry() : QRect(0, 0, 1 << 20, 1 << 20);
    if (at.x() + CColorPalette::kWidth > avail.right() + 1)
        at.setX(avail.right() + 1 - CColorPalette::kWidth);
    if (at.y() + CColorPalette::kHeight > avail.bottom() + 1)
        at.setY(mapToGlobal(QPoint(0, 0)).y() - CColorPalette::kHeight);
    pal->move(at);
    pal->begin(color_, pressGlobal);
    pal->show();
    update();
}

void CColorPicker::closePalette()
{
    if (CColorPalette* pal = palette_) {
        palette_ = nullptr;
        pal->disconnect(this);
        pal->hide();
        pal->deleteLater();
    }
}

void CColorPicker::paletteFinished(const QColor& c)
{
    closePalette();
    if (c.isValid() && c.rgb() != color_.rgb())
        setColor(c);
    else
        update();
}

void CColorPicker::moreColors()
{
    closePalette();
    if (!services_)
        return;
    const QColor chosen = services_->color(window(), color_);
    if (chosen.isValid())
        setColor(chosen);
}

void CColorPicker::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton) {
        setFocus(Qt::MouseFocusReason);
        openPalette(e->globalPosition().toPoint());
    }
    e->accept();
}

void CColorPicker::mouseReleaseEvent(QMouseEvent* e)
{
    e->accept();   // the click opened the palette on press; no command of its own
}

void CColorPicker::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Space || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        openPalette(QPoint(-100000, -100000));
        return;
    }
    QAbstractButton::keyPressEvent(e);
}

void CColorPicker::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect r = rect();
    p.fillRect(r, palette().color(QPalette::Button));
    if (!flat_) {
        p.setPen(Qt::white);
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(palette().color(QPalette::Shadow));
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
        p.setPen(palette().color(QPalette::Button).darker(115));
        p.drawRect(r.adjusted(1, 1, -2, -2));
    }
    p.fillRect(r.adjusted(3, 3, -3, -3), isEnabled() ? color_ : palette().color(QPalette::Disabled, QPalette::Button));
    // Drop mark at the bottom right.
    const QPoint br = r.bottomRight() - QPoint(3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    const QPoint tri[] = {QPoint(br.x() - 6, br.y() - 3), QPoint(br.x(), br.y() - 3), QPoint(br.x() - 3, br.y())};
    p.setBrush(QColor(255, 255, 255));
    p.drawPolygon(QPolygon({tri[0] + QPoint(-1, -1), tri[1] + QPoint(1, -1), tri[2] + QPoint(0, 1)}));
    p.setBrush(Qt::black);
    p.drawPolygon(tri, 3);
    if (hasFocus()) {
        QStyleOptionFocusRect fo;
        fo.initFrom(this);
        fo.rect = r.adjusted(2, 2, -2, -2);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &fo, &p, this);
    }
}

} // namespace lex
