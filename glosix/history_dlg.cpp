#include "glosix/history_dlg.h"

#include "common/config/config_keys.h"
#include "common/platform/env.h"
#include "common/platform/sources.h"
#include "common/platform/user_services.h"
#include "common/ui/template_builder.h"
#include "glosix/look_up_history.h"
#include "resources/resources.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPushButton>
#include <QSet>
#include <QTableView>

namespace lex {

namespace id = res::glosix_history;

// The same category as the window's: what the history did, for scripts that drive it.
Q_LOGGING_CATEGORY(lcGlosixHistory, "lexora.glosix", QtWarningMsg)

namespace {
const QString kFilter = QStringLiteral("文本文件 (*.txt)|*.txt|所有文件 (*.*)|*.*||");

QString shownTime(qint64 secs)
{
    return QDateTime::fromSecsSinceEpoch(secs).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}
} // namespace

HistoryModel::HistoryModel(const LookUpHistory* history, QObject* parent)
    : QAbstractTableModel(parent), history_(history)
{
    reload();
}

void HistoryModel::setFilter(const QString& filter)
{
    filter_ = filter;
    reload();
}

void HistoryModel::reload()
{
    beginResetModel();
    rows_ = history_->filtered(filter_);
    endResetModel();
}

const HistoryRecord* HistoryModel::record(int row) const
{
    return row >= 0 && size_t(row) < rows_.size() ? rows_[size_t(row)] : nullptr;
}

int HistoryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int HistoryModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant HistoryModel::data(const QModelIndex& index, int role) const
{
    const HistoryRecord* r = record(index.row());
    if (!r)
        return {};
    const bool often = LookUpHistory::isOften(*r);
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case Word:
            return r->word;
        case Count:
            return often ? QStringLiteral("%1 %2").arg(r->count).arg(kOftenMark) : QString::number(r->count);
        case First:
            return shownTime(r->first);
        case Last:
            return shownTime(r->last);
        }
        return {};
    case Qt::FontRole:
        if (often) {
            QFont f = QGuiApplication::font();
            f.setBold(true);
            return f;
        }
        return {};
    case Qt::ToolTipRole:
        return often ? QStringLiteral("查过 %1 次").arg(r->count) : QVariant();
    case Qt::TextAlignmentRole:
        return index.column() == Count ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    }
    return {};
}

QVariant HistoryModel::headerData(int section, Qt::Orientation o, int role) const
{
    if (o != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case Word:
        return QStringLiteral("单词");
    case Count:
        return QStringLiteral("次数");
    case First:
        return QStringLiteral("首次查询");
    case Last:
        return QStringLiteral("最近查询");
    }
    return {};
}

CHistoryDlg::CHistoryDlg(Host host, QWidget* parent)
    : ui::CommandDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), host_(std::move(host))
{
    ui::TemplateBuilder builder(res::glosixHistoryTemplate());
    builder.routeTo(this);
    controls_ = builder.build(this);
    resize(builder.clientSize(font()));
    filter_ = qobject_cast<QLineEdit*>(controls_.value(id::kFilter));
    view_ = qobject_cast<QTableView*>(controls_.value(id::kWords));
    count_ = qobject_cast<QLabel*>(controls_.value(id::kCount));
    note_ = qobject_cast<QLabel*>(controls_.value(id::kNote));
    style_ = qobject_cast<QComboBox*>(controls_.value(id::kStyle));
    unicode_ = qobject_cast<QCheckBox*>(controls_.value(id::kUnicode));
    Q_ASSERT(filter_ && view_ && count_ && note_ && style_ && unicode_);
    note_->setTextFormat(Qt::PlainText);
    count_->setTextFormat(Qt::PlainText);
    {
        const QSignalBlocker block(style_);
        style_->setCurrentIndex(0);
    }
    unicode_->setChecked(true);
    for (int b : {id::kAdd, id::kExport, int(ui::IDCANCEL)})
        if (auto* p = qobject_cast<QPushButton*>(controls_.value(b)))
            p->setAutoDefault(false);

    model_ = new HistoryModel(host_.history, this);
    view_->setModel(model_);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setTabKeyNavigation(false);
    view_->verticalHeader()->hide();
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 4);
    // The word takes what the count and the two times leave.
    QHeaderView* header = view_->horizontalHeader();
    header->setStretchLastSection(false);
    for (int c : {HistoryModel::Count, HistoryModel::First, HistoryModel::Last})
        header->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(HistoryModel::Word, QHeaderView::Stretch);
    view_->setWordWrap(false);
    view_->installEventFilter(this);
    filter_->installEventFilter(this);
    connect(view_, &QAbstractItemView::doubleClicked, this, [this] { chooseCurrent(); });
    connect(filter_, &QLineEdit::returnPressed, this, [this] { onCommand(ui::IDOK, 0); });
    connect(filter_, &QLineEdit::textChanged, this, [this](const QString& f) {
        model_->setFilter(f);
        if (model_->rowCount() > 0)
            view_->setCurrentIndex(model_->index(0, 0));
        updateCount();
    });
    updateCount();
    filter_->setFocus();
}

bool CHistoryDlg::onCommand(int cmd, qintptr param)
{
    switch (cmd) {
    case id::kAdd:
        addSelected();
        return true;
    case id::kExport:
        exportWords();
        return true;
    case ui::IDOK:
        // Enter: in the list it shows the word; in the filter box it goes down to the list.
        if (view_->hasFocus()) {
            chooseCurrent();
        } else {
            view_->setFocus();
            if (!view_->currentIndex().isValid() && model_->rowCount() > 0)
                view_->setCurrentIndex(model_->index(0, 0));
        }
        return true;
    case ui::IDCANCEL:
        hide();
        return true;
    default:
        return ui::CommandDialog::onCommand(cmd, param);
    }
}

bool CHistoryDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* k = static_cast<QKeyEvent*>(event);
        if (watched == filter_ && (k->key() == Qt::Key_Down || k->key() == Qt::Key_PageDown) && model_->rowCount() > 0) {
            view_->setFocus();
            if (!view_->currentIndex().isValid())
                view_->setCurrentIndex(model_->index(0, 0));
            return true;
        }
        if (watched == view_ && (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter)) {
            chooseCurrent();
            return true;
        }
    }
    return ui::CommandDialog::eventFilter(watched, event);
}

void CHistoryDlg::chooseCurrent()
{
    if (const HistoryRecord* r = model_->record(view_->currentIndex().row()))
        Q_EMIT wordChosen(r->word);
}

void CHistoryDlg::refresh()
{
    const QStringList selected = selectedWords();
    const HistoryRecord* current = model_->record(view_->currentIndex().row());
    const QString currentWord = current ? current->word : QString();
    model_->reload();
    selectWords(selected);
    for (int row = 0; row < model_->rowCount(); ++row)
        if (model_->record(row)->word == currentWord) {
            view_->selectionModel()->setCurrentIndex(model_->index(row, 0), QItemSelectionModel::NoUpdate);
            break;
        }
    updateCount();
}

void CHistoryDlg::updateCount()
{
    int often = 0;
    for (const HistoryRecord& r : host_.history->records())
        often += LookUpHistory::isOften(r) ? 1 : 0;
    const int shown = model_->rowCount();
    const int all = int(host_.history->records().size());
    QString text = shown == all ? QStringLiteral("共 %1 个单词").arg(all) : QStringLiteral("%1 / %2 个单词").arg(shown).arg(all);
    if (often > 0)
        text += QStringLiteral("，%1 常查").arg(HistoryModel::kOftenMark);
    count_->setText(text);
}

QStringList CHistoryDlg::shownWords() const
{
    QStringList out;
    for (int row = 0; row < model_->rowCount(); ++row)
        out << model_->record(row)->word;
    return out;
}

QStringList CHistoryDlg::selectedWords() const
{
    QList<int> rows;
    for (const QModelIndex& i : view_->selectionModel()->selectedRows())
        rows << i.row();
    std::sort(rows.begin(), rows.end());
    QStringList out;
    for (int row : rows)
        out << model_->record(row)->word;
    return out;
}

void CHistoryDlg::selectWords(const QStringList& words)
{
    QItemSelection selection;
    for (int row = 0; row < model_->rowCount(); ++row)
        if (words.contains(model_->record(row)->word))
            selection.select(model_->index(row, 0), model_->index(row, HistoryModel::ColumnCount - 1));
    view_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

QString CHistoryDlg::noteText() const
{
    return note_->text();
}

AddAllResult CHistoryDlg::addSelected()
{
    const QStringList words = selectedWords();
    if (words.isEmpty()) {
        note_->setText(QStringLiteral("请先选择要添加的单词"));
        return {};
    }
    const AddAllResult r = host_.addTo->addAll(words);
    note_->setText(GlosixAddTo::describe(r));
    note_->setToolTip(note_->text());
    qCInfo(lcGlosixHistory).noquote() << "history added" << r.added << "already" << r.already << note_->text();
    return r;
}

void CHistoryDlg::exportWords()
{
    QStringList words = selectedWords();
    if (words.isEmpty())
        words = shownWords();
    if (words.isEmpty()) {
        note_->setText(QStringLiteral("没有可导出的单词"));
        return;
    }
    if (!host_.ui)
        return;
    const QString path = host_.ui->saveFileName(this, QDir::homePath() + QStringLiteral("/Glosix.txt"), kFilter);
    if (path.isEmpty())
        return;
    qsizetype written = 0;
    const Status s = host_.addTo->exportWords(words, path, style_->currentIndex() + 1, unicode_->isChecked(), &written);
    const QString text = s ? QStringLiteral("导出完成，导出单词数:%1").arg(written)
                           : QStringLiteral("导出失败：") + s.message();
    note_->setText(text);
    host_.ui->messageBox(this, text);
}

} // namespace lex
