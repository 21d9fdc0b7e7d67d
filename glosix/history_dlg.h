#pragma once
// CHistoryDlg: Glosix's look-up history, a window beside the look-up window (modeless). The
// learner filters the words, shows one's entry again (Enter or a double-click; that is not a new
// look-up), adds the selected words to the Book in one step, or exports them as a word list in one
// of the three text styles. Words looked up three times or more are marked.

#include "common/ui/command.h"
#include "glosix/add_to_book.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTableView;

namespace lex {

class Clock;
class Env;
class LookUpHistory;
class UserServices;
struct HistoryRecord;

// The rows of the history list: the records that pass the filter, most recent first.
class HistoryModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Word, Count, First, Last, ColumnCount };
    static inline const QString kOftenMark = QStringLiteral("★");

    explicit HistoryModel(const LookUpHistory* history, QObject* parent = nullptr);
    void setFilter(const QString& filter);
    void reload();
    const HistoryRecord* record(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

private:
    const LookUpHistory* history_;
    QString filter_;
    std::vector<const HistoryRecord*> rows_;
};

class CHistoryDlg final : public ui::CommandDialog {
    Q_OBJECT
public:
    struct Host {
        LookUpHistory* history = nullptr;
        GlosixAddTo* addTo = nullptr;
        UserServices* ui = nullptr;
        QString programFolder;
    };
    CHistoryDlg(Host host, QWidget* parent);

    bool onCommand(int id, qintptr param) override;

    // After a look-up: the list follows, keeping the filter and the selected words.
    void refresh();

    QStringList shownWords() const;
    QStringList selectedWords() const;
    void selectWords(const QStringList& words);

    // "添加到词库": every selected word through AddTo, each once; the outcome is the note line.
    AddAllResult addSelected();
    // "导出": the selected words (all listed when none is selected) in the chosen style.
    void exportWords();

    QLineEdit* filterBox() const { return filter_; }
    QTableView* list() const { return view_; }
    QString noteText() const;

Q_SIGNALS:
    // The learner chose a word to read again.
    void wordChosen(const QString& word);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updateCount();
    void chooseCurrent();

    Host host_;
    QHash<int, QWidget*> controls_;
    QLineEdit* filter_ = nullptr;
    QTableView* view_ = nullptr;
    QLabel* count_ = nullptr;
    QLabel* note_ = nullptr;
    QComboBox* style_ = nullptr;
    QCheckBox* unicode_ = nullptr;
    HistoryModel* model_ = nullptr;
};

} // namespace lex
