#pragma once
// The cells of the word list, produced from the open Book's view array when the view asks.
// Nothing is cached: a cell's text is built when it is drawn, so the Book's size does not matter.

#include <QAbstractTableModel>
#include <QString>

namespace lex {

class Book;
class ListHost;

class WordListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kColumnCount = 12;
    // The longest text a cell shows; longer texts are cut (the tip shows no more either).
    static constexpr int kMaxCellText = 259;

    WordListModel(const Book* book, const ListHost* host, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The text the cell shows (empty for a hidden word or explanation, and for an explanation of
    // several lines, which the delegate draws itself).
    QString cellText(int row, int column) const;
    // True when the cell is drawn as a first line with the "more" mark; `firstLine` gets the line.
    bool multiLineCell(int row, int column, QString* firstLine) const;

    // The item count follows the view array only when told, like the list control's item count.
    // Rows are added or dropped at the end, so the selection of the remaining rows stays put.
    void setItemCount(int count);
    int itemCount() const { return count_; }
    void resetToEmpty();

    static QString headerText(int column);
    static int defaultWidth(int column);

private:
    bool wordShown(int row) const;
    bool explanationShown(int row) const;

    const Book* book_;
    const ListHost* host_;
    int count_ = 0;
};

} // namespace lex
