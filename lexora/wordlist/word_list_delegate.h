#pragma once
// Draws every cell of the word list: the list font, the phonetic font in column 3, and the first
// line with the "more" mark for explanations and comments of several lines.

#include <QPixmap>
#include <QStyledItemDelegate>

namespace lex {

class CMyListCtrl;
class WordListModel;

class WordListDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int kTextLeft = 6;       // the text starts 6 pixels right of the cell's edge
    static constexpr int kMoreSize = 13;      // the "more" mark, 13 x 13
    static constexpr int kMoreFromRight = 15; // its left edge, counted from the cell's right edge

    WordListDelegate(CMyListCtrl* list, const WordListModel* model);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    CMyListCtrl* list_;
    const WordListModel* model_;
    QPixmap more_;
};

} // namespace lex
