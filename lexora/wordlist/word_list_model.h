#pragma once
// The cells of the word list, produced from the open Book's view array when the view asks.
// Nothing is cached: a cell's text is built when it is drawn, so the Book's size does not matter.
// The rows follow the session's announcements (inserted, removed, changed, reset); nobody else
// sets the row count.

#include "lexora/book/book_session.h"

#include <QAbstractTableModel>
#include <QString>
#include <vector>

namespace lex {

class Book;
class Clock;
class ListHost;

// The list's columns 4..7 show the four strangeness degrees (columnOf(), degreeOfColumn() in
// lexora/book/skills.h).
constexpr int kColTemporary = columnOf(Degree::Temporary), kColListening = columnOf(Degree::Listening);

class WordListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kColumnCount = 12;
    // The longest text a cell shows; longer texts are cut (the tip shows no more either).
    static constexpr int kMaxCellText = 259;

    // The time columns show the calendar year the stored one stands for, seen from `clock`'s today.
    WordListModel(const BookSession* session, const ListHost* host, const Clock* clock, QObject* parent = nullptr);

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

    int itemCount() const { return count_; }

    static QString headerText(int column);
    static int defaultWidth(int column);

private:
    void onRowsInserted(int first, int last);
    void onRowsRemoved(const std::vector<RowRange>& ranges);
    void onRowsChanged(int first, int last);
    void onReset();
    bool wordShown(int row) const;
    bool explanationShown(int row) const;

    const Book* book_;
    const ListHost* host_;
    const Clock* clock_;
    int count_ = 0;
};

} // namespace lex
