#include "lexora/wordlist/my_list_ctrl.h"

#include "common/platform/sources.h"
#include "common/ui/menu_resource.h"
#include "lexora/book/book.h"
#include "lexora/book/book_session.h"
#include "lexora/book/operations/degree_ops.h"
#include "lexora/book/operations/order_ops.h"
#include "lexora/wordlist/history_menu.h"
#include "lexora/wordlist/my_edit.h"
#include "lexora/wordlist/word_list_delegate.h"
#include "lexora/wordlist/word_list_model.h"
#include "resources/phonetic_font.h"
#include "resources/resources.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>

namespace lex {

namespace {

// Commands of the pop-up menu that go on to the word-book window.
constexpr int kForwarded[] = {cmd::kAdd,      cmd::kModify, cmd::kDelete, cmd::kClassName,
                               cmd::kMoveCopy, cmd::kUndo,   cmd::kRedo,   cmd::kStrangenessFilter};
constexpr int kCmdDelete = cmd::kDelete;
constexpr int kCmdFind = cmd::kFind;
constexpr int kCmdUndo = cmd::kUndo;
constexpr int kCmdRedo = cmd::kRedo;

// Ctrl+Z undoes; Ctrl+Y and Ctrl+Shift+Z redo. 0 for any other key.
int historyCommand(const QKeyEvent* k)
{
    const Qt::KeyboardModifiers mods = k->modifiers() & ~Qt::KeypadModifier;
    if (k->key() == Qt::Key_Z && mods == Qt::ControlModifier)
        return kCmdUndo;
    if ((k->key() == Qt::Key_Y && mods == Qt::ControlModifier) ||
        (k->key() == Qt::Key_Z && mods == (Qt::ControlModifier | Qt::ShiftModifier)))
        return kCmdRedo;
    return 0;
}
// Keypad 1/2/3 step these degrees down, 4/5/6 up.
constexpr Degree kKeypadDegrees[3] = {Degree::Recognition, Degree::Spelling, Degree::Listening};

// The tip's exact line spacing, in twips, by font type.
constexpr int kTipLineTwips[3] = {240, 310, 370};
constexpr int kFontHeights[3] = {14, 18, 22};

QFont defaultListFont(int pixelHeight)
{
    QFont f;
    f.setFamilies(QStringList{QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans CJK SC"),
                              QStringLiteral("WenQuanYi Micro Hei")});
    f.setPixelSize(pixelHeight);
    return f;
}

} // namespace

class CMyListCtrl::MenuTarget : public ui::CommandTarget {
public:
    explicit MenuTarget(CMyListCtrl* list) : list_(list) {}
    bool onCommand(int id, qintptr) override { return list_->onListCommand(id); }

private:
    CMyListCtrl* list_;
};

CMyListCtrl::CMyListCtrl(ListHost* host, BookSession* session, const Clock* clock, QWidget* parent)
    : QTableView(parent), host_(host), session_(session),
      book_(&session->book()), clock_(clock), background_(Qt::white)
{
    model_ = new WordListModel(session_, host_, clock_, this);
    setModel(model_);
    delegate_ = new WordListDelegate(this, model_);
    setItemDelegate(delegate_);
    menuTarget_ = std::make_unique<MenuTarget>(this);
    // What an undo or redo brought back or changed is shown selected (an order change touches
    // no rows and keeps the selection).
    connect(session_, &BookSession::rowsTouched, this, [this](const std::vector<int>& rows) {
        if (!rows.empty())
            selectRows(rows);
    });

    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setShowGrid(true);
    setSortingEnabled(false);
    setDragEnabled(false);
    setTextElideMode(Qt::ElideRight);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);

    // Uniform rows: the view never asks for a row's height, whatever the Book's size.
    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setMinimumSectionSize(1);
    rows->setSectionResizeMode(QHeaderView::Fixed);

    QHeaderView* columns = horizontalHeader();
    columns->setSectionsMovable(true);
    columns->setSectionsClickable(true);
    columns->setHighlightSections(false);
    // Left-aligned like the rest of the list: a narrow column still shows the start of its name.
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    columns->setStretchLastSection(false);
    columns->setMinimumSectionSize(0);
    columns->setSectionResizeMode(QHeaderView::Interactive);
    for (int c = 0; c < WordListModel::kColumnCount; ++c)
        setColumnWidth(c, WordListModel::defaultWidth(c));
    connect(columns, &QHeaderView::sectionClicked, this, &CMyListCtrl::sortByHeader);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { notifySelection(); });

    viewport()->setMouseTracking(true);
    setFonts(0, defaultListFont(kFontHeights[0]), res::phoneticFont(kFontHeights[0]));
    setBackgroundColor(background_);
    // A new Book (or every entry deleted): nothing of the old one stands under the mouse.
    connect(model_, &QAbstractItemModel::modelReset, this, &CMyListCtrl::onBookReset);
    connect(model_, &QAbstractItemModel::rowsRemoved, this, [this] { notifySelection(); });
    connect(model_, &QAbstractItemModel::rowsInserted, this, [this] { notifySelection(); });
}

// The entries belong to the Book, which frees them when it is destroyed or cleared: the
// word-book window saves the Book at shutdown, possibly after this list is gone.
CMyListCtrl::~CMyListCtrl()
{
    delete menu_;
    menu_ = nullptr;
}

// ---- operations ------------------------------------------------------------------------------

bool CMyListCtrl::isChecked(int toggle) const
{
    return host_->isToggleChecked(toggle);
}

bool CMyListCtrl::validRow(int row) const
{
    return row >= 0 && row < model_->itemCount() && row < book_->size() && book_->atView(row);
}

QModelIndex CMyListCtrl::cellIndex(int row, int column) const
{
    return model_->index(row, column);
}

void CMyListCtrl::onBookReset()
{
    hideTip();
    lastHover_ = QRect();
    pressedRow_ = pressedColumn_ = -1;
    anchorRow_ = -1;
    notifySelection();
}

void CMyListCtrl::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles)
{
    // Only the rows that changed are drawn again (the view would repaint everything for a span).
    if (!topLeft.isValid() || !bottomRight.isValid()) {
        QTableView::dataChanged(topLeft, bottomRight, roles);
        return;
    }
    const int rowH = std::max(1, verticalHeader()->defaultSectionSize());
    const int onScreen = viewport()->height() / rowH + 2;
    if (bottomRight.row() - topLeft.row() + 1 > onScreen) {
        redrawAll();
        return;
    }
    for (int r = topLeft.row(); r <= bottomRight.row(); ++r)
        redrawRow(r);
}

void CMyListCtrl::redrawRow(int row)
{
    if (row < 0 || row >= model_->itemCount())
        return;
    const QRect rowRect(0, rowViewportPosition(row), viewport()->width(), rowHeight(row));
    const QRect visible = rowRect.intersected(viewport()->rect());
    if (!visible.isEmpty())
        viewport()->update(visible);
}

void CMyListCtrl::redrawAll()
{
    viewport()->update();
}

int CMyListCtrl::itemCount() const
{
    return model_->itemCount();
}

RowRanges CMyListCtrl::selectedRanges() const
{
    // The selection's ranges may overlap (a row clicked twice with Ctrl) and come in any order.
    const QItemSelection selection = selectionModel()->selection();
    RowRanges runs;
    runs.reserve(size_t(selection.size()));
    for (const QItemSelectionRange& range : selection)
        runs.push_back({range.top(), range.bottom()});
    return rowRanges(std::move(runs), model_->itemCount());
}

std::vector<int> CMyListCtrl::selectedRows() const
{
    std::vector<int> rows;
    for (const RowRange& r : selectedRanges())
        for (int row = r.first; row <= r.last; ++row)
            rows.push_back(row);
    return rows;
}

int CMyListCtrl::selectedCount() const
{
    int n = 0;
    for (const RowRange& r : selectedRanges())
        n += r.last - r.first + 1;
    return n;
}

int CMyListCtrl::focusedRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() && current.row() < model_->itemCount() ? current.row() : -1;
}

void CMyListCtrl::setFocusedRow(int row)
{
    if (row < 0 || row >= model_->itemCount())
        return;
    const QModelIndex index = cellIndex(row, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index, QAbstractItemView::EnsureVisible);
    // Before the first show the viewport has no size yet; scroll again once it has one.
    if (!isVisible())
        pendingScrollRow_ = row;
}

void CMyListCtrl::selectRow(int row)
{
    setFocusedRow(row);
}

void CMyListCtrl::selectRows(const std::vector<int>& rows)
{
    const RowRanges ranges = rowRanges(rows, model_->itemCount());
    applySelection(ranges);
    if (ranges.empty())
        return;
    const QModelIndex first = cellIndex(ranges.front().first, 0);
    selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
    scrollTo(first, QAbstractItemView::EnsureVisible);
    if (!isVisible())
        pendingScrollRow_ = first.row();
}

void CMyListCtrl::applySelection(const RowRanges& ranges)
{
    // Already exactly these rows (the undo of a change to the selected rows): a large selection
    // costs as much to make again as the change itself.
    if (ranges == selectedRanges())
        return;
    QItemSelection selection;
    for (const RowRange& r : ranges)
        selection.select(cellIndex(r.first, 0), cellIndex(r.last, WordListModel::kColumnCount - 1));
    // Cleared first and selected without the Rows flag (the ranges span whole rows already): the
    // selection model compares a new selection range by range with the old one and widens each
    // range to its row against all the others, which takes minutes for the scattered rows of a
    // large Book and nothing when the old selection is empty.
    selectionModel()->clearSelection();
    if (!selection.isEmpty())
        selectionModel()->select(selection, QItemSelectionModel::Select);
}

void CMyListCtrl::focusRow(int row)
{
    setFocusedRow(row);
    setFocus();
}

void CMyListCtrl::scrollToRow(int row)
{
    if (row < 0 || row >= model_->itemCount())
        return;
    scrollTo(cellIndex(row, 0), QAbstractItemView::EnsureVisible);
    if (!isVisible())
        pendingScrollRow_ = row;
    if (!currentIndex().isValid())
        anchorRow_ = row;
}

void CMyListCtrl::narrowSelection(const std::function<bool(int row)>& keep)
{
    std::vector<int> kept;
    for (int r : selectedRows())
        if (keep(r))
            kept.push_back(r);
    applySelection(rowRanges(std::move(kept), model_->itemCount()));
}

void CMyListCtrl::setFonts(int fontType, const QFont& listFont, const QFont& phoneticFont)
{
    fontType_ = std::clamp(fontType, 0, 2);
    listFont_ = listFont;
    phoneticFont_ = phoneticFont;
    hideTip();
    setFont(listFont_);
    horizontalHeader()->setFont(listFont_);
    updateRowHeight();
    redrawAll();
}

void CMyListCtrl::updateRowHeight()
{
    const int text = std::max(QFontMetrics(listFont_).height(), QFontMetrics(phoneticFont_).height());
    verticalHeader()->setDefaultSectionSize(std::max(text + 4, WordListDelegate::kMoreSize + 4));
}

void CMyListCtrl::setBackgroundColor(const QColor& color)
{
    if (!color.isValid())
        return;
    background_ = color;
    QPalette pal = palette();
    pal.setColor(QPalette::Base, color);
    setPalette(pal);
    viewport()->setPalette(pal);
    redrawAll();
}

QColor CMyListCtrl::backgroundColor() const
{
    return background_;
}

std::vector<int> CMyListCtrl::columnWidths() const
{
    std::vector<int> widths;
    for (int c = 0; c < WordListModel::kColumnCount; ++c)
        widths.push_back(columnWidth(c));
    return widths;
}

void CMyListCtrl::setColumnWidths(const std::vector<int>& widths)
{
    const int n = std::min(int(widths.size()), WordListModel::kColumnCount);
    for (int c = 0; c < n; ++c) {
        if (widths[size_t(c)] >= 0)
            setColumnWidth(c, widths[size_t(c)]);
    }
}

void CMyListCtrl::sortByHeader(int column)
{
    if (column < 0 || column >= WordListModel::kColumnCount)
        return;
    hideTip();
    session_->run(std::make_unique<SortOp>(column));
}

// ---- strangeness -----------------------------------------------------------------------------

void CMyListCtrl::changeSelected(Degree degree, DegreeChange change)
{
    // A row already at the end of the scale keeps its value; the others still change.
    session_->run(std::make_unique<StrangenessOp>(selectedRows(), degree, change));
}

bool CMyListCtrl::onListCommand(int id)
{
    if (id >= cmd::kSetStrangeness && id <= cmd::kSetStrangenessLast) {
        const std::optional<DegreeCommand> set = setCommandAt(id - cmd::kSetStrangeness);
        if (!set)
            return false;
        changeSelected(set->degree, set->change);
        return true;
    }
    for (const auto& [base, step] : {std::pair{cmd::kRaiseStrangeness, Step::Up}, {cmd::kLowerStrangeness, Step::Down}}) {
        if (const std::optional<DegreeCommand> c = stepCommandAt(id - base, step)) {
            changeSelected(c->degree, c->change);
            return true;
        }
    }
    if (std::find(std::begin(kForwarded), std::end(kForwarded), id) != std::end(kForwarded)) {
        host_->onCommand(id, 0);
        return true;
    }
    return false;
}

// ---- status ----------------------------------------------------------------------------------

void CMyListCtrl::notifySelection()
{
    host_->setSelectionText(QStringLiteral("已选:%1").arg(selectedCount()));
}

// ---- keys ------------------------------------------------------------------------------------

bool CMyListCtrl::event(QEvent* e)
{
    // Keys the list consumes must reach it even when the window has a shortcut for them.
    if (e->type() == QEvent::ShortcutOverride) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (historyCommand(k)) {
            e->accept();
            return true;
        }
        const bool keypad = k->modifiers() & Qt::KeypadModifier;
        switch (k->key()) {
        case Qt::Key_Return: case Qt::Key_Enter: case Qt::Key_Escape: case Qt::Key_Space:
        case Qt::Key_Left: case Qt::Key_Right: case Qt::Key_Delete:
            e->accept();
            return true;
        case Qt::Key_A: case Qt::Key_F:
            if (leftCtrlHeld(k)) {
                e->accept();
                return true;
            }
            break;
        case Qt::Key_1: case Qt::Key_2: case Qt::Key_3: case Qt::Key_4: case Qt::Key_5: case Qt::Key_6:
            if (keypad) {
                e->accept();
                return true;
            }
            break;
        default: break;
        }
    }
    return QTableView::event(e);
}

void CMyListCtrl::keyPressEvent(QKeyEvent* e)
{
    const Qt::KeyboardModifiers mods = e->modifiers();
    const bool ctrl = mods & Qt::ControlModifier;
    const bool keypad = mods & Qt::KeypadModifier;
    if (const int id = historyCommand(e)) {
        e->accept();
        host_->onCommand(id, 0);
        return;
    }
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        // Enter never reaches the window: it would close it.
        e->accept();
        if (isChecked(kToggleWord) && isChecked(kToggleExplanation))
            return;
        session_->run(std::make_unique<RevealOp>(selectedRows(), *clock_));
        return;
    }
    case Qt::Key_Escape:
        e->accept();
        return;
    case Qt::Key_Shift:
        hideTip();
        break;
    case Qt::Key_Space: {
        e->accept();
        const int row = focusedRow();
        if (!validRow(row))
            return;
        session_->run(std::make_unique<StampReviewOp>(row, StampKind::Space, *clock_));
        host_->SpeakWord(book_->atView(row)->word().toString());
        return;
    }
    case Qt::Key_Left:
    case Qt::Key_Right:
        e->accept();
        changeSelected(Degree::Temporary, DegreeChange::by(e->key() == Qt::Key_Left ? Step::Down : Step::Up));
        return;
    case Qt::Key_Delete:
        e->accept();
        host_->onCommand(kCmdDelete, 0);
        return;
    case Qt::Key_Control:
        trackCtrl(e, true);
        break;
    case Qt::Key_A:
    case Qt::Key_F:
        if (ctrl) {
            // Only with the left Ctrl key; the key is not consumed: it goes on to the window.
            if (leftCtrlHeld(e)) {
                if (e->key() == Qt::Key_A)
                    selectAll();
                else
                    host_->onCommand(kCmdFind, 0);
            }
            e->ignore();
            return;
        }
        break;
    case Qt::Key_1: case Qt::Key_2: case Qt::Key_3:
        if (keypad) {
            e->accept();
            changeSelected(kKeypadDegrees[e->key() - Qt::Key_1], DegreeChange::by(Step::Down));
            return;
        }
        break;
    case Qt::Key_4: case Qt::Key_5: case Qt::Key_6:
        if (keypad) {
            e->accept();
            changeSelected(kKeypadDegrees[e->key() - Qt::Key_4], DegreeChange::by(Step::Up));
            return;
        }
        break;
    default:
        break;
    }
    QTableView::keyPressEvent(e);
}

void CMyListCtrl::keyReleaseEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Control)
        trackCtrl(e, false);
    QTableView::keyReleaseEvent(e);
}

void CMyListCtrl::trackCtrl(const QKeyEvent* e, bool down)
{
    // The key symbols of the two Ctrl keys (X11 and Wayland report them alike).
    constexpr quint32 kLeftCtrl = 0xffe3, kRightCtrl = 0xffe4;
    if (e->nativeVirtualKey() == kLeftCtrl)
        leftCtrl_ = down;
    else if (e->nativeVirtualKey() == kRightCtrl)
        rightCtrl_ = down;
}

bool CMyListCtrl::leftCtrlHeld(const QKeyEvent* e)
{
    if (!(e->modifiers() & Qt::ControlModifier)) {
        leftCtrl_ = rightCtrl_ = false;   // released while the list had no focus
        return false;
    }
    // Which Ctrl key is held is known only from its press; one pressed before the list had the
    // focus, or on a system that does not tell, counts as the left one.
    return leftCtrl_ || !rightCtrl_;
}

void CMyListCtrl::keyboardSearch(const QString&)
{
    // Typing letters does not jump between rows: the list has no incremental search, and a
    // search over a million rows would stall the window.
}

void CMyListCtrl::focusInEvent(QFocusEvent* e)
{
    // Gaining the keyboard focus gives no row the focus (the item view would make its first row
    // current): until the learner picks a row, 修改 has none and 查找下一个 searches from row 0.
    const bool hadCurrent = currentIndex().isValid();
    focusingIn_ = true;
    QTableView::focusInEvent(e);
    focusingIn_ = false;
    if (!hadCurrent && currentIndex().isValid())
        selectionModel()->clearCurrentIndex();
}

QModelIndex CMyListCtrl::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    // The first arrow key after the start moves on from the row shown for the last run, not from
    // the top of the list.
    if (!focusingIn_) {
        if (!currentIndex().isValid() && anchorRow_ >= 0 && anchorRow_ < model_->itemCount())
            selectionModel()->setCurrentIndex(cellIndex(anchorRow_, 0), QItemSelectionModel::NoUpdate);
        anchorRow_ = -1;
    }
    return QTableView::moveCursor(action, modifiers);
}

// ---- mouse -----------------------------------------------------------------------------------

void CMyListCtrl::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton) {
        const QModelIndex index = indexAt(e->position().toPoint());
        pressedRow_ = index.isValid() ? index.row() : -1;
        pressedColumn_ = index.isValid() ? index.column() : -1;
    }
    QTableView::mousePressEvent(e);
}

void CMyListCtrl::mouseReleaseEvent(QMouseEvent* e)
{
    QTableView::mouseReleaseEvent(e);
    const QModelIndex index = indexAt(e->position().toPoint());
    if (e->button() == Qt::LeftButton) {
        const int row = pressedRow_, column = pressedColumn_;
        pressedRow_ = pressedColumn_ = -1;
        // A click counts only when the button goes down and comes up on the same cell.
        if (index.isValid() && index.row() == row && index.column() == column)
            leftClick(row, column);
    } else if (e->button() == Qt::RightButton) {
        rightClick(index, e->globalPosition().toPoint());
    }
}

void CMyListCtrl::mouseDoubleClickEvent(QMouseEvent* e)
{
    const QModelIndex index = indexAt(e->position().toPoint());
    // The second press of a double-click is no second click: a strangeness cell rises once, a
    // revealed word stays revealed.
    if (e->button() == Qt::LeftButton)
        pressedRow_ = pressedColumn_ = -1;
    QTableView::mouseDoubleClickEvent(e);
    if (e->button() == Qt::LeftButton && index.isValid() && validRow(index.row()))
        Q_EMIT rowDoubleClicked(index.row());
}

void CMyListCtrl::leftClick(int row, int column)
{
    const WordEntry* entry = book_->atView(row);
    if (!entry || !validRow(row))
        return;
    switch (column) {
    case 1:
    case 2:
        if (isChecked(column == 1 ? kToggleWord : kToggleExplanation))
            return;
        session_->run(std::make_unique<RevealOp>(std::vector<int>{row}, *clock_));
        return;
    case 3:
        session_->run(std::make_unique<StampReviewOp>(row, StampKind::Phonetic, *clock_));
        host_->SpeakWord(entry->word().toString());
        return;
    default:
        if (isDegreeColumn(column))
            session_->run(std::make_unique<StrangenessOp>(std::vector<int>{row}, degreeOfColumn(column), DegreeChange::by(Step::Up)));
        return;
    }
}

void CMyListCtrl::rightClick(const QModelIndex& index, const QPoint& globalPos)
{
    if (!index.isValid() || !validRow(index.row()))
        return;
    const int column = index.column();
    if (isDegreeColumn(column)) {
        session_->run(std::make_unique<StrangenessOp>(std::vector<int>{index.row()}, degreeOfColumn(column),
                                                      DegreeChange::by(Step::Down)));
        return;
    }
    openPopupMenu(globalPos);
}

void CMyListCtrl::openPopupMenu(const QPoint& globalPos)
{
    hideTip();
    if (!menu_) {
        const ui::MenuResource& resource = res::menu(res::IDR_POPUP_MENU);
        if (resource.popups.empty())
            return;
        menu_ = ui::buildMenu(resource.popups.front(), menuTarget_.get(), this);
        bindHistoryMenu(menu_, session_->history(), kCmdUndo, kCmdRedo);
    }
    menu_->popup(globalPos);
}

void CMyListCtrl::contextMenuEvent(QContextMenuEvent* e)
{
    e->accept();
    // The mouse's right click was handled on release; the menu key opens the menu at the
    // focused row, so that it can be reached without a mouse.
    if (e->reason() == QContextMenuEvent::Mouse)
        return;
    const int row = focusedRow();
    if (!validRow(row))
        return;
    QRect cell = visualRect(cellIndex(row, 1));
    if (cell.isEmpty())
        cell = visualRect(cellIndex(row, 0));
    openPopupMenu(viewport()->mapToGlobal(cell.bottomLeft()));
}

void CMyListCtrl::wheelEvent(QWheelEvent* e)
{
    hideTip();
    QTableView::wheelEvent(e);
}

void CMyListCtrl::scrollContentsBy(int dx, int dy)
{
    // Other entries now stand under the mouse: drop the tip and let the next move show theirs.
    hideTip();
    lastHover_ = QRect();
    QTableView::scrollContentsBy(dx, dy);
}

void CMyListCtrl::showEvent(QShowEvent* e)
{
    QTableView::showEvent(e);
    if (pendingScrollRow_ >= 0) {
        QTimer::singleShot(0, this, [this] {
            const int row = pendingScrollRow_;
            pendingScrollRow_ = -1;
            if (row >= 0 && row < model_->itemCount())
                scrollTo(cellIndex(row, 0), QAbstractItemView::EnsureVisible);
        });
    }
}

// ---- hover tip -------------------------------------------------------------------------------

void CMyListCtrl::mouseMoveEvent(QMouseEvent* e)
{
    QTableView::mouseMoveEvent(e);
    if (e->buttons() == Qt::NoButton)
        hoverAt(e->position().toPoint(), e->modifiers());
}

void CMyListCtrl::hoverAt(const QPoint& pos, Qt::KeyboardModifiers modifiers)
{
    hideTip();
    const QModelIndex index = indexAt(pos);
    if (!index.isValid() || !validRow(index.row())) {
        lastHover_ = QRect();
        if (speakerCursor_) {
            viewport()->unsetCursor();
            speakerCursor_ = false;
        }
        return;
    }
    // Over the phonetic a click speaks: say so with the cursor.
    const bool speaker = index.column() == 3;
    if (speaker != speakerCursor_) {
        if (speaker)
            viewport()->setCursor(res::cursor(res::IDC_SPEAKER));
        else
            viewport()->unsetCursor();
        speakerCursor_ = speaker;
    }
    const QRect cell = visualRect(index);
    if (cell == lastHover_)
        return;
    lastHover_ = cell;
    const int column = index.column();
    if (!(column >= 1 && column <= 3) && column < 8)
        return;
    if (modifiers & Qt::ShiftModifier)
        return;
    showTipFor(index.row(), column, cell);
}

qreal CMyListCtrl::tipLineHeight() const
{
    return kTipLineTwips[fontType_] * logicalDpiY() / 1440.0;
}

QSize CMyListCtrl::tipSize(const QString& text, const QFont& font, int cellWidth) const
{
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QRect bounds = QFontMetrics(font).boundingRect(QRect(0, 0, 1 << 20, 1 << 20),
                                                         Qt::AlignLeft | Qt::AlignTop | Qt::TextExpandTabs, plain);
    const int lines = int(text.count(QStringLiteral("\r\n"))) + 1;
    return QSize(std::max(bounds.width() + 12, cellWidth), bounds.height() + 2 * lines + 3);
}

void CMyListCtrl::showTipFor(int row, int column, const QRect& cell)
{
    const WordEntry* entry = book_->atView(row);
    if (!entry)
        return;
    const bool dictionary = isChecked(kToggleDictionary);
    if (column == 1 && !isChecked(kToggleWord) && !entry->reveal)
        return;
    if (column == 2 && !isChecked(kToggleExplanation) && !entry->reveal && !dictionary)
        return;

    const QFont& font = column == 3 ? phoneticFont_ : listFont_;
    QString text = model_->cellText(row, column);
    bool show = false;
    QRect rect = cell;
    if (column == 2 && entry->explanationFirstLine() >= 0) {
        text = entry->explanation().toString();
        show = true;
    } else if (column == 8 && entry->commentFirstLine() >= 0) {
        text = entry->comment().toString();
        show = true;
    } else if (!text.isEmpty() && QFontMetrics(font).horizontalAdvance(text) + 12 > cell.width()) {
        show = true;
    }
    if (show)
        rect.setSize(tipSize(text, font, cell.width()));

    if (column == 2 && dictionary) {
        QString explanation, phonetic;
        if (host_->lookUpWord(entry->word(), explanation, phonetic) && !explanation.isEmpty()) {
            text += QStringLiteral("\r\n<<词典>>\r\n") + explanation;
            const QSize whole = tipSize(text, font, cell.width());
            rect.setWidth(std::max(rect.width(), whole.width()));
            rect.setHeight(std::max(rect.height(), whole.height()));
            show = true;
        }
    }
    if (!show)
        return;
    // A tip that shows anyway adds an English example of the word and, for an entry with a
    // learning record, how well each skill is remembered today. These lines are in the list font,
    // also under the phonetic: the phonetic font draws letters as IPA signs.
    QString tail;
    if (const QString example = host_->exampleText(*entry); !example.isEmpty())
        tail = QStringLiteral("<<例句>>\r\n") + example;
    if (const QString recall = host_->recallText(*entry); !recall.isEmpty())
        tail += (tail.isEmpty() ? QString() : QStringLiteral("\r\n")) + QStringLiteral("<<记忆>>\r\n") + recall;
    if (!tail.isEmpty()) {
        const QSize head = tipSize(text, font, cell.width());
        const QSize more = tipSize(tail, listFont_, cell.width());
        rect.setWidth(std::max({rect.width(), head.width(), more.width()}));
        rect.setHeight(std::max(rect.height(), head.height() + more.height()));
    }

    if (!tip_)
        tip_ = new CMyEdit(viewport());
    tip_->setTipText(text, font, tipLineHeight(), tail, listFont_);
    // Never smaller than the text needs in the tip's own frame and spacing.
    const QSize fitting = tip_->fittingSize();
    rect.setWidth(std::max(rect.width(), fitting.width()));
    rect.setHeight(std::max(rect.height(), fitting.height()));
    const QRect area = viewport()->rect();
    // A tip wider than the list wraps its lines instead of running off its left edge.
    if (rect.width() > area.width() && area.width() > 0) {
        rect.setWidth(area.width());
        rect.setHeight(std::max(rect.height(), tip_->heightForWrappedWidth(area.width())));
    }
    // Move it left and up by what would pass the list's right and bottom edges.
    if (rect.right() > area.right())
        rect.translate(area.right() - rect.right(), 0);
    if (rect.bottom() > area.bottom())
        rect.translate(0, area.bottom() - rect.bottom());
    if (rect.left() < 0)
        rect.moveLeft(0);
    if (rect.top() < 0)
        rect.moveTop(0);
    tip_->setGeometry(rect);
    tip_->show();
    tip_->raise();
}

bool CMyListCtrl::isTipShown() const
{
    return tip_ && tip_->isVisible();
}

QString CMyListCtrl::tipText() const
{
    return tip_ ? tip_->tipText() : QString();
}

QRect CMyListCtrl::tipGeometry() const
{
    return tip_ ? tip_->geometry() : QRect();
}

void CMyListCtrl::hideTip()
{
    if (tip_ && tip_->isVisible())
        tip_->hide();
}

} // namespace lex
