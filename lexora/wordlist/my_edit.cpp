#include "lexora/wordlist/my_edit.h"

#include "common/ui/template_builder.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QWheelEvent>
#include <cmath>

namespace lex {

namespace {
constexpr int kDocumentMargin = 2;
}

CMyEdit::CMyEdit(QWidget* parent) : QTextEdit(parent)
{
    setProperty(ui::kControlIdProperty, kControlId);
    setReadOnly(true);
    setTextInteractionFlags(Qt::NoTextInteraction);
    setFocusPolicy(Qt::NoFocus);
    // A sunken two-pixel edge, like a client edge.
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QTextEdit::NoWrap);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    viewport()->setCursor(Qt::ArrowCursor);
    document()->setDocumentMargin(kDocumentMargin);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, QColor::fromRgb(kBackground));
    pal.setColor(QPalette::Text, QColor(0, 0, 0));
    setPalette(pal);
    setAutoFillBackground(true);
    hide();
}

void CMyEdit::setTipText(const QString& text, const QFont& font, qreal lineHeight, const QString& more,
                         const QFont& moreFont)
{
    const QString crLf = QStringLiteral("\r\n");
    text_ = more.isEmpty() ? text : text + crLf + more;
    setLineWrapMode(QTextEdit::NoWrap);
    setFont(font);
    document()->setDefaultFont(font);
    QString plain = text;
    plain.replace(crLf, QStringLiteral("\n"));
    setPlainText(plain);
    if (!more.isEmpty()) {
        QString rest = more;
        rest.replace(crLf, QStringLiteral("\n"));
        QTextCursor end(document());
        end.movePosition(QTextCursor::End);
        QTextCharFormat format;
        format.setFont(moreFont);
        end.insertBlock(QTextBlockFormat(), format);
        end.insertText(rest, format);
    }
    QTextCursor cursor(document());
    cursor.select(QTextCursor::Document);
    QTextBlockFormat format;
    format.setLineHeight(lineHeight, QTextBlockFormat::FixedHeight);
    cursor.mergeBlockFormat(format);
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
}

QSize CMyEdit::fittingSize() const
{
    QTextDocument* doc = document();
    doc->setTextWidth(-1);
    const QSizeF ideal(doc->idealWidth(), doc->size().height());
    const int frame = 2 * frameWidth();
    return QSize(int(std::ceil(ideal.width())) + frame + 1, int(std::ceil(ideal.height())) + frame);
}

int CMyEdit::heightForWrappedWidth(int width)
{
    setLineWrapMode(QTextEdit::WidgetWidth);
    const int frame = 2 * frameWidth();
    QTextDocument* doc = document();
    doc->setTextWidth(std::max(1, width - frame));
    return int(std::ceil(doc->size().height())) + frame;
}

void CMyEdit::passClick(QMouseEvent* e)
{
    QWidget* target = parentWidget();
    hide();
    if (!target)
        return;
    // Mouse events of a text box arrive in its viewport's coordinates.
    const QPointF at = viewport()->mapTo(target, e->position().toPoint());
    const QPointF global = e->globalPosition();
    QMouseEvent down(QEvent::MouseButtonPress, at, global, e->button(), e->button(), e->modifiers());
    QApplication::sendEvent(target, &down);
    QMouseEvent up(QEvent::MouseButtonRelease, at, global, e->button(), Qt::NoButton, e->modifiers());
    QApplication::sendEvent(target, &up);
}

void CMyEdit::mousePressEvent(QMouseEvent* e)
{
    e->accept();
    if (e->button() == Qt::LeftButton || e->button() == Qt::RightButton)
        passClick(e);
    else
        hide();
}

void CMyEdit::mouseReleaseEvent(QMouseEvent* e)
{
    e->accept();
}

void CMyEdit::mouseDoubleClickEvent(QMouseEvent* e)
{
    mousePressEvent(e);
}

void CMyEdit::mouseMoveEvent(QMouseEvent* e)
{
    e->accept();
    if (!rect().contains(viewport()->mapTo(this, e->position().toPoint())))
        hide();
}

void CMyEdit::wheelEvent(QWheelEvent* e)
{
    QWidget* target = parentWidget();
    hide();
    if (!target)
        return;
    // The wheel scrolls the list as if the tip were not there.
    QWheelEvent pass(viewport()->mapTo(target, e->position().toPoint()), e->globalPosition(), e->pixelDelta(),
                     e->angleDelta(), e->buttons(), e->modifiers(), e->phase(), e->inverted());
    QApplication::sendEvent(target, &pass);
    e->accept();
}

void CMyEdit::leaveEvent(QEvent* e)
{
    hide();
    QTextEdit::leaveEvent(e);
}

void CMyEdit::contextMenuEvent(QContextMenuEvent* e)
{
    e->accept();   // the right click was passed on to the list already
}

} // namespace lex
