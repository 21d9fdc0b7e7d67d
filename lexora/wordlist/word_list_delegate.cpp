#include "lexora/wordlist/word_list_delegate.h"

#include "lexora/book/word_entry.h"
#include "lexora/wordlist/my_list_ctrl.h"
#include "lexora/wordlist/word_list_model.h"
#include "resources/resources.h"

#include <QHeaderView>
#include <QPainter>

namespace lex {

WordListDelegate::WordListDelegate(CMyListCtrl* list, const WordListModel* model)
    : QStyledItemDelegate(list), list_(list), model_(model), more_(res::bitmap(res::IDB_MORE))
{
}

void WordListDelegate::paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const int row = index.row();
    const int column = index.column();
    const QRect r = option.rect;
    const QPalette& pal = option.palette;
    const bool selected = option.state & QStyle::State_Selected;
    const bool focused = list_->hasFocus();

    // Selected rows: the highlight while the list has the keyboard focus, the button face after.
    QColor background = list_->backgroundColor();
    QColor text = pal.color(QPalette::Active, QPalette::Text);
    if (selected && focused) {
        background = pal.color(QPalette::Active, QPalette::Highlight);
        text = pal.color(QPalette::Active, QPalette::HighlightedText);
    } else if (selected) {
        background = pal.color(QPalette::Active, QPalette::Button);
        text = pal.color(QPalette::Active, QPalette::WindowText);
    }
    p->fillRect(r, background);

    QString firstLine;
    const bool multiLine = model_->multiLineCell(row, column, &firstLine);
    const QString shown = multiLine ? firstLine : model_->cellText(row, column);
    const QFont& font = column == 3 ? list_->phoneticFont() : list_->listFont();

    QRect textRect = r.adjusted(kTextLeft, 0, -2, 0);
    if (multiLine)
        textRect.setRight(r.left() + r.width() - kMoreFromRight - 2);
    if (!shown.isEmpty() && textRect.width() > 0) {
        p->setFont(font);
        p->setPen(text);
        const QFontMetrics fm(font);
        const bool centred = isDegreeColumn(column);
        const QString elided = fm.elidedText(shown, Qt::ElideRight, centred ? r.width() : textRect.width());
        // One baseline per row from the font's own metrics: Chinese glyphs from the fallback
        // font then stand on the same line as Latin ones instead of being centred apart.
        const int baseline = r.top() + (r.height() - fm.ascent() - fm.descent()) / 2 + fm.ascent();
        int x = textRect.left();
        if (centred)
            x = r.left() + std::max(0, (r.width() - fm.horizontalAdvance(elided)) / 2);
        p->drawText(QPoint(x, baseline), elided);
    }
    if (multiLine && !more_.isNull()) {
        const int x = r.left() + r.width() - kMoreFromRight;
        const int y = r.top() + std::max(0, (r.height() - kMoreSize) / 2);
        p->drawPixmap(QRect(x, y, kMoreSize, kMoreSize), more_);
    }

    // The focused row gets a dotted outline while the list has the keyboard focus.
    if (focused && list_->focusedRow() == row) {
        p->save();
        QPen pen(text, 1, Qt::DotLine);
        p->setPen(pen);
        const QHeaderView* header = list_->horizontalHeader();
        const int visual = header->visualIndex(column);
        const QRect o = r.adjusted(0, 0, -1, -1);
        p->drawLine(o.topLeft(), o.topRight());
        p->drawLine(o.bottomLeft(), o.bottomRight());
        if (visual == 0)
            p->drawLine(o.topLeft(), o.bottomLeft());
        if (visual == header->count() - 1)
            p->drawLine(o.topRight(), o.bottomRight());
        p->restore();
    }
}

} // namespace lex
