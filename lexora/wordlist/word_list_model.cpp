#include "lexora/wordlist/word_list_model.h"

#include "common/platform/sources.h"
#include "lexora/book/book.h"
#include "lexora/book/book_session.h"
#include "lexora/wordlist/my_list_ctrl.h"

namespace lex {

namespace {
// Cuts a text to what a cell shows without splitting a surrogate pair.
QStringView capped(QStringView v)
{
    if (v.size() <= WordListModel::kMaxCellText)
        return v;
    qsizetype n = WordListModel::kMaxCellText;
    if (v[n - 1].isHighSurrogate())
        --n;
    return v.left(n);
}
} // namespace

WordListModel::WordListModel(const BookSession* session, const ListHost* host, const Clock* clock, QObject* parent)
    : QAbstractTableModel(parent), book_(&session->book()), host_(host), clock_(orDefault(clock)),
      count_(session->rowCount())
{
    connect(session, &BookSession::rowsInserted, this, &WordListModel::onRowsInserted);
    connect(session, &BookSession::rowsRemoved, this, &WordListModel::onRowsRemoved);
    connect(session, &BookSession::rowsChanged, this, &WordListModel::onRowsChanged);
    connect(session, &BookSession::bookReset, this, &WordListModel::onReset);
}

// The session announces after the Book has changed; until the model has caught up, rows past the
// Book's end give empty cells (atView() is null there), so nothing reads a freed entry.
void WordListModel::onRowsInserted(int first, int last)
{
    // Rows come back in the middle too (an undone delete), a run at a time in ascending order.
    if (first < 0 || first > count_ || last < first) {
        onReset();
        return;
    }
    beginInsertRows(QModelIndex(), first, last);
    count_ += last - first + 1;
    endInsertRows();
}

void WordListModel::onRowsRemoved(const std::vector<RowRange>& ranges)
{
    // A few runs keep the selection and scrolling of the other rows; many become one reset.
    constexpr size_t kMaxRuns = 32;
    if (ranges.size() > kMaxRuns) {
        onReset();
        return;
    }
    for (auto it = ranges.rbegin(); it != ranges.rend(); ++it) {
        if (it->first < 0 || it->last >= count_ || it->last < it->first) {
            onReset();
            return;
        }
        beginRemoveRows(QModelIndex(), it->first, it->last);
        count_ -= it->last - it->first + 1;
        endRemoveRows();
    }
    if (count_ != book_->size())
        onReset();
}

void WordListModel::onRowsChanged(int first, int last)
{
    first = std::max(first, 0);
    last = std::min(last, count_ - 1);
    if (first > last)
        return;
    Q_EMIT dataChanged(index(first, 0), index(last, kColumnCount - 1));
}

void WordListModel::onReset()
{
    beginResetModel();
    count_ = book_->size();
    endResetModel();
}

int WordListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count_;
}

int WordListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

bool WordListModel::wordShown(int row) const
{
    const WordEntry* e = book_->atView(row);
    return e && (e->reveal || host_->isToggleChecked(kToggleWord));
}

bool WordListModel::explanationShown(int row) const
{
    const WordEntry* e = book_->atView(row);
    return e && (e->reveal || host_->isToggleChecked(kToggleExplanation));
}

QString WordListModel::cellText(int row, int column) const
{
    const WordEntry* e = book_->atView(row);
    if (!e)
        return {};
    switch (column) {
    case 0: return QString::number(qint64(e->seq) + 1);
    case 1:
        if (!wordShown(row))
            return {};
        if (host_->isToggleChecked(kToggleCase))
            return capped(e->word()).toString().toUpper();
        return capped(e->word()).toString();
    case 2:
        if (e->explanationFirstLine() >= 0 || !explanationShown(row))
            return {};
        return capped(e->explanation()).toString();
    case 3: return capped(e->phonetic()).toString();
    case 4: case 5: case 6: case 7: return QString::number(e->strangeness(degreeOfColumn(column)));
    case 8: {
        QStringView c = e->comment();
        if (e->commentFirstLine() >= 0)
            c = c.left(e->commentFirstLine());
        return capped(c).toString();
    }
    case 9: return e->stored.review.toText(clock_->localNow().date().year());
    case 10: return e->stored.added.toText(clock_->localNow().date().year());
    case 11: return capped(e->className()).toString();
    default: return {};
    }
}

bool WordListModel::multiLineCell(int row, int column, QString* firstLine) const
{
    const WordEntry* e = book_->atView(row);
    if (!e)
        return false;
    QStringView text;
    if (column == 2 && e->explanationFirstLine() >= 0 && explanationShown(row))
        text = e->explanation().left(e->explanationFirstLine());
    else if (column == 8 && e->commentFirstLine() >= 0)
        text = e->comment().left(e->commentFirstLine());
    else
        return false;
    if (firstLine)
        *firstLine = capped(text).toString();
    return true;
}

QVariant WordListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= count_)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return cellText(index.row(), index.column());
    case Qt::TextAlignmentRole:
        // The narrow strangeness columns read better centred.
        if (isDegreeColumn(index.column()))
            return int(Qt::AlignCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

QString WordListModel::headerText(int column)
{
    static const char16_t* const headers[kColumnCount] = {
        u"序号", u"英文", u"解释", u"音标", u"临时陌生度", u"认陌生度",
        u"拼陌生度", u"听陌生度", u"注释", u"复习时间", u"添加时间", u"分类"};
    if (column < 0 || column >= kColumnCount)
        return {};
    return QString::fromUtf16(headers[column]);
}

int WordListModel::defaultWidth(int column)
{
    static const int widths[kColumnCount] = {40, 120, 120, 80, 30, 30, 30, 30, 100, 100, 100, 100};
    return column >= 0 && column < kColumnCount ? widths[column] : 0;
}

QVariant WordListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return headerText(section);
    return {};
}

Qt::ItemFlags WordListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

} // namespace lex
