#include "lexora/app/browser_placeholder.h"

#include "lexora/app/word_book_session.h"

#include <QPainter>

namespace lex {

BrowserPlaceholder::BrowserPlaceholder(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

bool BrowserPlaceholder::onCommand(int id, qintptr)
{
    switch (id) {
    case cmd::kWebHome:
    case cmd::kWebBack:
    case cmd::kWebForward:
    case cmd::kWebStop:
    case cmd::kWebRefresh:
    case cmd::kCheckUpdate:
        return true;
    default:
        return false;
    }
}

void BrowserPlaceholder::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setPen(QColor(160, 160, 160));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace lex
