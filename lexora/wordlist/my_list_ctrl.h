#pragma once
// The word list of the main window: a table over the open Book's view array. Rows are never
// copied into the view; each cell is produced when asked, so a Book of any size shows at once.

#include "common/ui/command.h"
#include "lexora/book/book_session.h"
#include "lexora/book/word_entry.h"
#include "lexora/record/review_model.h"
#include "resources/resource_ids.h"

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <QStringView>
#include <QTableView>
#include <functional>
#include <memory>
#include <vector>

class QKeyEvent;
class QMenu;

namespace lex {

class Book;
class BookSession;
class Clock;
class CMyEdit;
class WordListDelegate;
class WordListModel;

// The column toggles of the word-book window that the list reads: "单词", "解释", "大写", "词典".
using cmd::kToggleWord;
using cmd::kToggleExplanation;
using cmd::kToggleCase;
using cmd::kToggleDictionary;

// What the list needs from the window that owns it (the word-book window).
class ListHost : public ui::CommandTarget {
public:
    // State of the column toggles 1017 "单词", 1018 "解释", 1019 "大写", 1027 "词典".
    virtual bool isToggleChecked(int controlId) const = 0;
    // Pane 1 of the status bar ("已选:%d").
    virtual void setSelectionText(const QString& text) = 0;
    // `SpeakWord`.
    virtual void SpeakWord(const QString& word) = 0;
    // `LookUpWord` of the main dictionary; false when not found or no dictionary.
    virtual bool lookUpWord(QStringView word, QString& explanation, QString& phonetic) = 0;
    // The predicted recall of each skill of `e` today, a line a skill; empty for an entry
    // without a learning record.
    virtual QString recallText(const WordEntry& e) { (void)e; return {}; }
    // One English example for `e`'s word; empty when there is none or the learner turned it off.
    virtual QString exampleText(const WordEntry& e) { (void)e; return {}; }
    // Commands the list sends to its owner (14005-14008, 14012, 14017, 14018, 14019, 32921)
    // arrive through CommandTarget::onCommand.
};

class CMyListCtrl : public QTableView {
    Q_OBJECT
public:
    // `session`, `clock` and `host` are owned by the caller and outlive the list. Every edit the
    // list makes is an operation run by the session (and a step of its history); every change of
    // the Book reaches the list's rows from the session's announcements.
    CMyListCtrl(ListHost* host, BookSession* session, const Clock* clock, QWidget* parent = nullptr);
    ~CMyListCtrl() override;

    // Operations other parts of the program call.
    void redrawRow(int row);
    void redrawAll();
    int itemCount() const;
    std::vector<int> selectedRows() const;  // ascending
    RowRanges selectedRanges() const;       // ascending, disjoint
    int selectedCount() const;
    int focusedRow() const;                 // -1 when none
    void setFocusedRow(int row);            // focused row, selected alone, scrolled into view
                                            // (the keyboard focus stays where it is)
    void selectRow(int row);                // select only this row (after an add)
    // Selects exactly `rows` (ascending) as a click and shift-clicks would, the first one focused
    // and scrolled into view; the keyboard focus stays where it is. Nothing selected when empty.
    void selectRows(const std::vector<int>& rows);
    // Keeps selected only the selected rows for which `keep` holds (the strangeness filter); the
    // focused row stays.
    void narrowSelection(const std::function<bool(int row)>& keep);
    // The focused row selected alone and scrolled into view, with the keyboard focus.
    void focusRow(int row);
    // `row` scrolled into view (once the list is shown, when it is hidden): it becomes neither
    // focused nor selected.
    void scrollToRow(int row);

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

    int fontType() const { return fontType_; }
    const QFont& listFont() const { return listFont_; }
    const QFont& phoneticFont() const { return phoneticFont_; }
    WordListModel* listModel() const { return model_; }

    // The hover tip: shown state, its text (lines separated by CR LF) and where it stands.
    bool isTipShown() const;
    QString tipText() const;
    QRect tipGeometry() const;   // viewport coordinates
    void hideTip();
    // The pop-up menu (menu 136), nullptr until first opened.
    QMenu* popupMenu() const { return menu_; }

Q_SIGNALS:
    // A double-click on a row (the word-book window sends its word to the companion).
    void rowDoubleClicked(int row);

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void showEvent(QShowEvent* e) override;
    void keyboardSearch(const QString& search) override;
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = QList<int>()) override;

private:
    class MenuTarget;

    // Exactly `ranges` selected: the one way the list's selection is set from a list of rows.
    void applySelection(const RowRanges& ranges);
    // Ctrl+A and Ctrl+F act with the left Ctrl key only.
    void trackCtrl(const QKeyEvent* e, bool down);
    bool leftCtrlHeld(const QKeyEvent* e);
    bool isChecked(int toggle) const;
    bool validRow(int row) const;
    void notifySelection();
    void leftClick(int row, int column);
    void rightClick(const QModelIndex& index, const QPoint& globalPos);
    void openPopupMenu(const QPoint& globalPos);
    void hoverAt(const QPoint& pos, Qt::KeyboardModifiers modifiers);
    void showTipFor(int row, int column, const QRect& cell);
    QSize tipSize(const QString& text, const QFont& font, int cellWidth) const;
    qreal tipLineHeight() const;
    void changeSelected(Degree degree, DegreeChange change);
    void onBookReset();
    void updateRowHeight();
    QModelIndex cellIndex(int row, int column) const;

    ListHost* host_;
    BookSession* session_;
    const Book* book_;
    const Clock* clock_;
    WordListModel* model_ = nullptr;
    WordListDelegate* delegate_ = nullptr;
    CMyEdit* tip_ = nullptr;
    QMenu* menu_ = nullptr;
    std::unique_ptr<MenuTarget> menuTarget_;
    int fontType_ = 0;
    QFont listFont_;
    QFont phoneticFont_;
    QColor background_;
    QRect lastHover_;              // the cell the mouse was last over, empty when none
    int pressedRow_ = -1;          // where the left button went down
    int pressedColumn_ = -1;
    bool speakerCursor_ = false;
    int pendingScrollRow_ = -1;    // made visible once the list is shown and laid out
    int anchorRow_ = -1;           // scrolled to while no row had the focus: keys move on from it
    bool focusingIn_ = false;
    bool leftCtrl_ = false;        // the left or right Ctrl key seen going down and not up yet
    bool rightCtrl_ = false;
};

} // namespace lex
