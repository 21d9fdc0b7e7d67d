#pragma once
// The word list of the main window: a table over the open Book's view array. Rows are never
// copied into the view; each cell is produced when asked, so a Book of any size shows at once.

#include "common/ui/command.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringView>
#include <QTableView>
#include <vector>

namespace lex {

class Book;
class Clock;
struct SortState;

// What the list needs from the window that owns it (the word-book window).
class ListHost : public ui::CommandTarget {
public:
    // State of the column toggles 1017 "单词", 1018 "解释", 1019 "大写", 1027 "词典".
    virtual bool isToggleChecked(int controlId) const = 0;
    // Pane 1 of the status bar ("已选:%d").
    virtual void setSelectionText(const QString& text) = 0;
    // `SpeakWord`.
    virtual void speakWord(const QString& word) = 0;
    // `LookUpWord` of the main dictionary; false when not found or no dictionary.
    virtual bool lookUpWord(QStringView word, QString& explanation, QString& phonetic) = 0;
    // Commands the list sends to its owner (14005-14008, 14012, 14017, 32921) arrive through
    // CommandTarget::onCommand.
};

class CMyListCtrl : public QTableView {
    Q_OBJECT
public:
    // `book`, `sort`, `clock` and `host` are owned by the caller and outlive the list.
    CMyListCtrl(ListHost* host, Book* book, SortState* sort, const Clock* clock, QWidget* parent = nullptr);
    ~CMyListCtrl() override;

    // Operations other parts of the program call.
    void clearAll();          // frees every entry of the Book, item count 0
    void showAll();           // view := full; redraw everything
    void updateItemCount();   // item count := size of the view array
    void redrawRow(int row);
    void redrawAll();
    int itemCount() const;
    std::vector<int> selectedRows() const;  // ascending
    int selectedCount() const;
    int focusedRow() const;                 // -1 when none
    void setFocusedRow(int row);            // focus, select and scroll into view
    void selectRow(int row);                // select only this row (after an add)

    // Fonts by font type 0/1/2 (heights 14/18/22), the phonetic font of the same height.
    void setFonts(int fontType, const QFont& listFont, const QFont& phoneticFont);
    void setBackgroundColor(const QColor& color);
    QColor backgroundColor() const;
    std::vector<int> columnWidths() const;  // twelve, column 0 first
    void setColumnWidths(const std::vector<int>& widths);

    // A header click on `column` (sort with the shared direction rule).
    void sortByHeader(int column);
    // Pop-up menu commands 10000-10310, 12004-12007, 13004-13007 on the selected rows; the rest
    // is forwarded to the host. True when handled.
    bool onListCommand(int id);
};

} // namespace lex
