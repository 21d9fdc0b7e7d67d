#include "common/frame/my_base_dialog.h"

#include "common/frame/window_list.h"
#include "resources/resources.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWindow>

namespace lex {

namespace {
bool g_forbidWinStick = false;
CaptionButton g_pressed = NoButton;
CaptionButton g_hovered = NoButton;
CMyBaseDialog::WindowSource& windowSource()
{
    static CMyBaseDialog::WindowSource source;
    return source;
}
constexpr int kBorder = 4;
} // namespace

CMyBaseDialog::CMyBaseDialog(QWidget* parent)
    : ui::CommandDialog(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowMinMaxButtonsHint
                                    | Qt::WindowSystemMenuHint)
{
    setMouseTracking(true);
    setContentsMargins(kClientLeft, kCaptionHeight, kBorder, kBorder);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CMyBaseDialog::setForbidWinStick(bool on) { g_forbidWinStick = on; }
bool CMyBaseDialog::forbidWinStick() { return g_forbidWinStick; }
void CMyBaseDialog::setWindowSource(WindowSource source) { windowSource() = std::move(source); }
CaptionButton CMyBaseDialog::pressedButton() { return g_pressed; }
CaptionButton CMyBaseDialog::hoveredButton() { return g_hovered; }

QRect CMyBaseDialog::clientRect() const
{
    return QRect(kClientLeft, kCaptionHeight, width() - kClientLeft - kBorder, height() - kCaptionHeight - kBorder);
}

void CMyBaseDialog::setCaption(const QString& text)
{
    setWindowTitle(text);
    repaint(QRect(0, 0, width(), kCaptionHeight));
}

void CMyBaseDialog::setAllStates(int s)
{
    for (int& st : states_)
        st = s;
}

bool CMyBaseDialog::isNonClient(QPoint p) const
{
    return rect().contains(p) && !clientRect().contains(p);
}

CaptionButton CMyBaseDialog::buttonAt(QPoint p) const
{
    const CaptionButton b = captionButtonAt(p, rect());
    return b == CloseButton || showsSizeButtons() ? b : NoButton;
}

Qt::Edges CMyBaseDialog::resizeEdges(QPoint p) const
{
    if (isMaximized() || minimumSize() == maximumSize())
        return {};
    Qt::Edges e;
    if (p.x() < kBorder)
        e |= Qt::LeftEdge;
    if (p.x() >= width() - kBorder)
        e |= Qt::RightEdge;
    if (p.y() < 2)
        e |= Qt::TopEdge;
    if (p.y() >= height() - kBorder)
        e |= Qt::BottomEdge;
    return e;
}

void CMyBaseDialog::resizeEvent(QResizeEvent* e)
{
    ui::CommandDialog::resizeEvent(e);
    QPainterPath path;
    path.addRoundedRect(QRectF(0, 0, width(), height()), 5, 5);
    setMask(QRegion(path.toFillPolygon().toPolygon()));
}

void CMyBaseDialog::changeEvent(QEvent* e)
{
    ui::CommandDialog::changeEvent(e);
    switch (e->type()) {
    case QEvent::ActivationChange:
        active_ = isActiveWindow();
        setAllStates(active_ ? 1 : 0);
        update();
        break;
    case QEvent::WindowTitleChange:
    case QEvent::WindowStateChange:
        update(QRect(0, 0, width(), kCaptionHeight));
        break;
    default:
        break;
    }
}

void CMyBaseDialog::hoverAt(QPoint local)
{
    if (g_pressed != NoButton)
        return;   // while a button is pressed nothing changes
    setAllStates(active_ ? 1 : 0);
    const CaptionButton b = buttonAt(local);
    if (b != NoButton) {
        setCursor(Qt::ArrowCursor);
        states_[b - 1] = 2;
        if (g_hovered != b)
            update(QRect(0, 0, width(), kCaptionHeight));
        g_hovered = b;
    } else {
        if (g_hovered != NoButton)
            update(QRect(0, 0, width(), kCaptionHeight));
        g_hovered = NoButton;
    }
}

void CMyBaseDialog::mousePressEvent(QMouseEvent* e)
{
    const QPoint local = e->position().toPoint();
    const QPoint global = e->globalPosition().toPoint();
    if (e->button() != Qt::LeftButton || !isNonClient(local)) {
        ui::CommandDialog::mousePressEvent(e);
        return;
    }
    raise();
    activateWindow();
    setAllStates(1);
    // Where the window really is, from this event: the first click after the window manager
    // placed the window must hit the caption buttons too.
    const QRect here(global - local, size());
    const CaptionButton b = buttonAt(local);
    if (b != NoButton) {
        g_pressed = b;
        states_[b - 1] = 3;
        update(QRect(0, 0, width(), kCaptionHeight));
    }
    snapper_.beginDrag(EdgeRect::fromQRect(here));
    if (b == NoButton) {
        if (const Qt::Edges edges = resizeEdges(local); edges && windowHandle()) {
            snapper_.endDrag();
            windowHandle()->startSystemResize(edges);
        } else if (local.y() < kCaptionHeight && !isMaximized()) {
            if (captionDragMovesWindow(QGuiApplication::platformName()) || !windowHandle()) {
                moving_ = true;
                dragOffset_ = global - here.topLeft();
            } else {
                snapper_.endDrag();
                windowHandle()->startSystemMove();
            }
        }
    }
    e->accept();
}

void CMyBaseDialog::moving(const QRect& proposed)
{
    const std::vector<EdgeRect> others = windowSource() ? windowSource()(this) : otherWindowRects(this);
    const EdgeRect r = snapper_.moving(EdgeRect::fromQRect(proposed), others, g_forbidWinStick);
    move(r.left, r.top);
}

void CMyBaseDialog::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint global = e->globalPosition().toPoint();
    if (moving_ && (e->buttons() & Qt::LeftButton)) {
        moving(QRect(global - dragOffset_, size()));
        e->accept();
        return;
    }
    hoverAt(e->position().toPoint());
    if (g_pressed == NoButton && g_hovered == NoButton) {
        const Qt::Edges edges = resizeEdges(e->position().toPoint());
        const bool diag1 = edges == (Qt::LeftEdge | Qt::TopEdge) || edges == (Qt::RightEdge | Qt::BottomEdge);
        const bool diag2 = edges == (Qt::RightEdge | Qt::TopEdge) || edges == (Qt::LeftEdge | Qt::BottomEdge);
        if (diag1)
            setCursor(Qt::SizeFDiagCursor);
        else if (diag2)
            setCursor(Qt::SizeBDiagCursor);
        else if (edges & (Qt::LeftEdge | Qt::RightEdge))
            setCursor(Qt::SizeHorCursor);
        else if (edges & (Qt::TopEdge | Qt::BottomEdge))
            setCursor(Qt::SizeVerCursor);
        else
            unsetCursor();
    }
    ui::CommandDialog::mouseMoveEvent(e);
}

void CMyBaseDialog::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) {
        ui::CommandDialog::mouseReleaseEvent(e);
        return;
    }
    const CaptionButton pressed = g_pressed;
    const bool over = pressed != NoButton && buttonAt(e->position().toPoint()) == pressed;
    setAllStates(1);
    g_pressed = NoButton;
    moving_ = false;
    snapper_.endDrag();
    update(QRect(0, 0, width(), kCaptionHeight));
    e->accept();
    if (!over)
        return;
    switch (pressed) {
    case MinimiseButton: showMinimized(); break;
    case MaximiseButton:
        if (isMaximized())
            showNormal();
        else
            showMaximized();
        break;
    case CloseButton: onCommand(ui::IDCANCEL, 0); break;
    default: break;
    }
}

void CMyBaseDialog::leaveEvent(QEvent* e)
{
    if (g_pressed == NoButton && g_hovered != NoButton) {
        g_hovered = NoButton;
        setAllStates(active_ ? 1 : 0);
        update(QRect(0, 0, width(), kCaptionHeight));
    }
    ui::CommandDialog::leaveEvent(e);
}

void CMyBaseDialog::paintClientBackground(QPainter& p)
{
    p.fillRect(clientRect(), kFrame);
}

void CMyBaseDialog::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const int w = width(), h = height();

    p.fillRect(QRect(0, 0, w, kCaptionHeight), active_ ? kCaptionActive : kCaptionInactive);

    static const QPixmap strip = res::transparentBitmap(res::IDB_CAPTION_BUTTONS);
    const int e = w - kCaptionStripOffset;
    for (CaptionButton b : {MinimiseButton, MaximiseButton, CloseButton}) {
        if (b != CloseButton && !showsSizeButtons())
            continue;
        const CaptionButtonImage img = captionButtonImage(b, isMaximized());
        const int row = qBound(0, states_[b - 1], 3);
        // The source rectangle is in the strip's own pixels (twice as many in its @2x twin).
        const qreal dpr = strip.devicePixelRatio();
        p.drawPixmap(QRectF(e + img.stripOffset, 0, img.sourceRight - img.sourceLeft, kCaptionButtonHeight), strip,
                     QRectF(img.sourceLeft * dpr, row * kCaptionButtonHeight * dpr,
                            (img.sourceRight - img.sourceLeft) * dpr, kCaptionButtonHeight * dpr));
    }

    QFont captionFont = font();
    captionFont.setBold(true);
    p.setFont(captionFont);
    p.setPen(active_ ? QColor(255, 255, 255) : QColor(236, 234, 240));
    const QRect textRect(10, 5, qMax(0, e - 14), kCaptionHeight - 5);
    p.drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
               p.fontMetrics().elidedText(windowTitle(), Qt::ElideRight, textRect.width()));

    // The frame below the caption, separated from it by a dark line.
    p.fillRect(QRect(0, kCaptionHeight, w, 1), kOutline);
    p.fillRect(QRect(0, kCaptionHeight + 1, w, h - kCaptionHeight - 1), kFrame);
    paintClientBackground(p);

    // A one-pixel dark edge along the rounded shape.
    p.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath outside;
    outside.addRect(QRectF(0, 0, w, h));
    QPainterPath inside;
    inside.addRoundedRect(QRectF(1, 1, w - 2, h - 2), 4, 4);
    p.fillPath(outside.subtracted(inside), kOutline);
}

} // namespace lex
