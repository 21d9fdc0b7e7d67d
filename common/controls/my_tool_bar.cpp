#include "common/controls/my_tool_bar.h"

#include "resources/resources.h"

#include <QButtonGroup>
#include <QFontDatabase>
#include <QIcon>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace lex {

namespace {
constexpr int kImageSize = 30;
constexpr int kArrowWidth = 11;
} // namespace

CMyToolBarButton::CMyToolBarButton(int command, const QString& text, const QPixmap& image, bool dropDown,
                                   QWidget* parent)
    : QToolButton(parent), command_(command), image_(image), dropDown_(dropDown)
{
    setText(text);
    setAutoRaise(true);
    setAttribute(Qt::WA_Hover);
    setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
}

void CMyToolBarButton::setHeldDown(bool down)
{
    heldDown_ = down;
    update();
}

void CMyToolBarButton::setIndeterminate(bool on)
{
    indeterminate_ = on;
    update();
}

void CMyToolBarButton::enterEvent(QEnterEvent* e)
{
    hot_ = true;
    update();
    QToolButton::enterEvent(e);
}

void CMyToolBarButton::leaveEvent(QEvent* e)
{
    hot_ = false;
    update();
    QToolButton::leaveEvent(e);
}

QSize CMyToolBarButton::sizeHint() const
{
    const int textWidth = fontMetrics().horizontalAdvance(text());
    return QSize(3 + kImageSize + 3 + textWidth + 8 + (dropDown_ ? kArrowWidth : 0), kImageSize + 6);
}

void CMyToolBarButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect r = rect();
    const bool pressed = isDown() || heldDown_;
    const bool checked = isChecked();
    const bool hot = hot_ && isEnabled();

    if (indeterminate_)
        p.fillRect(r, palette().color(QPalette::Base));

    if (checked || pressed || hot) {
        p.setRenderHint(QPainter::Antialiasing, true);
        QPainterPath outer;
        outer.addRoundedRect(QRectF(r), 2.5, 2.5);
        p.fillPath(outer, (pressed || checked) ? QColor(74, 54, 33) : QColor(116, 154, 201));
        const QRect in = r.adjusted(1, 1, -1, -1);
        const QColor edge = (pressed || checked) ? QColor(227, 215, 251) : QColor(243, 247, 251);
        const QColor middle = (pressed || checked) ? QColor(153, 161, 218) : QColor(169, 193, 218);
        QLinearGradient g(0, in.top(), 0, in.bottom() + 1);
        g.setColorAt(0, edge);
        g.setColorAt(0.5, middle);
        g.setColorAt(1, edge);
        QPainterPath inner;
        inner.addRoundedRect(QRectF(in), 2, 2);
        p.fillPath(inner, g);
        p.setRenderHint(QPainter::Antialiasing, false);
    }

    if (!text().isEmpty()) {
        QRect textRect = r;
        textRect.setLeft(r.left() + kImageSize + 3);
        if (dropDown_)
            textRect.setRight(textRect.right() - kArrowWidth);
        QColor colour = !isEnabled() ? palette().color(QPalette::Disabled, QPalette::WindowText)
                        : pressed   ? palette().color(QPalette::HighlightedText)
                                    : palette().color(QPalette::WindowText);
        p.setPen(colour);
        p.setFont(font());
        p.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine, text());
        const QIcon::Mode mode = isEnabled() ? QIcon::Normal : QIcon::Disabled;
        QIcon(image_).paint(&p, QRect(r.left() + 3, r.top() + 3, kImageSize, kImageSize),
                            Qt::AlignCenter, mode);
    }

    if (dropDown_) {
        const int cx = r.right() - kArrowWidth / 2 - 1;
        const int cy = r.center().y();
        p.setPen(Qt::NoPen);
        p.setBrush(isEnabled() ? palette().color(QPalette::WindowText)
                               : palette().color(QPalette::Disabled, QPalette::WindowText));
        const QPoint tri[] = {QPoint(cx - 3, cy - 1), QPoint(cx + 4, cy - 1), QPoint(cx, cy + 3)};
        p.setRenderHint(QPainter::Antialiasing, true);
        p.drawPolygon(tri, 3);
    }
}

CMyToolBar::CMyToolBar(QWidget* parent) : QToolBar(parent)
{
    setMovable(false);
    setFloatable(false);
    setIconSize(QSize(kImageSize, kImageSize));
    setContentsMargins(0, 0, 0, 0);
    setAttribute(Qt::WA_NoSystemBackground);
}

CMyToolBarButton* CMyToolBar::addButton(int command, const QString& text, const QPixmap& image, bool checkGroup,
                                        bool wholeDropDown, bool checked)
{
    auto* b = new CMyToolBarButton(command, text, image, wholeDropDown, this);
    if (checkGroup) {
        if (!currentGroup_) {
            currentGroup_ = new QButtonGroup(this);
            currentGroup_->setExclusive(true);
        }
        b->setCheckable(true);
        currentGroup_->addButton(b);
        b->setChecked(checked);
    } else {
        currentGroup_ = nullptr;
    }
    if (wholeDropDown) {
        connect(b, &QToolButton::pressed, this, [this, command] {
            if (target_)
                ui::postCommand(this, target_, kDropDownCommand, command);
        });
    } else {
        connect(b, &QToolButton::clicked, this, [this, command] {
            if (target_)
                target_->onCommand(command, 0);
        });
    }
    buttons_.insert(command, b);
    actions_.insert(command, addWidget(b));
    return b;
}

void CMyToolBar::addSeparatorItem()
{
    currentGroup_ = nullptr;
    addSeparator();
}

void CMyToolBar::loadStandardButtons()
{
    for (const res::ToolButtonSpec& s : res::toolBar()) {
        if (s.style & res::TbSeparator) {
            addSeparatorItem();
            continue;
        }
        addButton(s.command, s.text, res::toolBarImage(s.image), s.style & res::TbCheckGroup,
                  s.style & res::TbWholeDropDown, s.style & res::TbChecked);
    }
}

void CMyToolBar::setButtonVisible(int command, bool visible)
{
    if (QAction* a = actions_.value(command))
        a->setVisible(visible);
}

void CMyToolBar::setButtonEnabled(int command, bool enabled)
{
    if (auto* b = buttons_.value(command))
        b->setEnabled(enabled);
}

void CMyToolBar::setButtonChecked(int command, bool checked)
{
    if (auto* b = buttons_.value(command))
        b->setChecked(checked);
}

bool CMyToolBar::isButtonChecked(int command) const
{
    auto* b = buttons_.value(command);
    return b && b->isChecked();
}

QRect CMyToolBar::buttonGlobalRect(int command) const
{
    auto* b = buttons_.value(command);
    return b ? QRect(b->mapToGlobal(QPoint(0, 0)), b->size()) : QRect();
}

} // namespace lex
