#include "lexora/wordlist/book_history.h"

#include <QAction>
#include <QMenu>
#include <QUndoCommand>
#include <QUndoStack>

#include <algorithm>
#include <numeric>

namespace lex {

// One learner action. The action itself has already run when its step is pushed, so the push's
// first redo() does nothing; later ones repeat it.
class HistoryStep : public QUndoCommand {
public:
    HistoryStep(BookSession& session, const QString& text) : session_(session) { setText(text); }
    void redo() final
    {
        if (pushed_) {
            pushed_ = false;
            return;
        }
        again();
    }
    // The rows that stand changed or brought back once the step was last undone or redone.
    virtual std::vector<int> touched() const { return {}; }

protected:
    virtual void again() = 0;
    BookSession& session_;

private:
    bool pushed_ = true;
};

namespace {

std::vector<int> rowSpan(int first, int last)
{
    std::vector<int> rows(size_t(std::max(0, last - first + 1)));
    std::iota(rows.begin(), rows.end(), first);
    return rows;
}

EntryEdit editOf(const WordEntry& e)
{
    EntryEdit d;
    d.word = e.word().toString();
    d.phonetic = e.phonetic().toString();
    d.explanation = e.explanation().toString();
    d.comment = e.comment().toString();
    d.recognition = e.stored.recognition;
    d.spelling = e.stored.spelling;
    d.listening = e.stored.listening;
    return d;
}

bool sameEdit(const EntryEdit& a, const EntryEdit& b)
{
    return a.word == b.word && a.phonetic == b.phonetic && a.explanation == b.explanation && a.comment == b.comment &&
           a.recognition == b.recognition && a.spelling == b.spelling && a.listening == b.listening;
}

// Rows taken out (an undone add or import, a delete) and put back.
class RowsStep : public HistoryStep {
public:
    // `present`: the rows are in the Book now (add, import); otherwise `kept` holds them (delete).
    RowsStep(BookSession& s, const QString& text, std::vector<int> rows, bool present, RemovedRows kept = {})
        : HistoryStep(s, text), rows_(std::move(rows)), present_(present), kept_(std::move(kept))
    {
    }
    void undo() override { present_ ? takeOut() : putBack(); }
    std::vector<int> touched() const override { return kept_.empty() ? rows_ : std::vector<int>(); }

protected:
    void again() override { present_ ? putBack() : takeOut(); }
    void takeOut() { session_.deleteRows(rows_, &kept_); }
    virtual void putBack() { session_.restoreRows(kept_); }

    std::vector<int> rows_;
    bool present_;
    RemovedRows kept_;
};

// A move to another Book: here it is a delete whose undo says where the copies are.
class MoveStep : public RowsStep {
public:
    MoveStep(BookSession& s, BookHistory& h, std::vector<int> rows, const QString& target, RemovedRows kept)
        : RowsStep(s, QStringLiteral("移动到组 %1").arg(target), std::move(rows), false, std::move(kept)),
          history_(h), target_(target)
    {
    }

protected:
    void putBack() override
    {
        const int n = kept_.count();
        RowsStep::putBack();
        Q_EMIT history_.notice(QStringLiteral("已撤销移动：%1 项已放回当前组。\n组\"%2\"中的副本仍然保留，需要时请在那个组中删除。")
                                   .arg(n)
                                   .arg(target_));
    }

private:
    BookHistory& history_;
    QString target_;
};

class ModifyStep : public HistoryStep {
public:
    ModifyStep(BookSession& s, int row, EntryEdit before, EntryEdit after)
        : HistoryStep(s, QStringLiteral("修改")), row_(row), before_(std::move(before)), after_(std::move(after))
    {
    }
    void undo() override { session_.restoreEntry(row_, before_); }
    std::vector<int> touched() const override { return {row_}; }

protected:
    void again() override { session_.restoreEntry(row_, after_); }

private:
    int row_;
    EntryEdit before_, after_;
};

class ClassNameStep : public HistoryStep {
public:
    ClassNameStep(BookSession& s, std::vector<int> rows, std::vector<QString> before, const QString& name)
        : HistoryStep(s, QStringLiteral("指定类名")), rows_(std::move(rows)), before_(std::move(before)), name_(name)
    {
    }
    void undo() override { session_.restoreClassNames(rows_, before_); }
    std::vector<int> touched() const override { return rows_; }

protected:
    void again() override { session_.setClassName(rows_, name_); }

private:
    std::vector<int> rows_;
    std::vector<QString> before_;
    QString name_;
};

// Degrees of one column. A row whose degree was changed since by something that is no edit (a
// practice run) keeps that value: undo and redo only move a degree that is where this step left it.
class DegreeStep : public HistoryStep {
public:
    DegreeStep(BookSession& s, int column, std::vector<int> rows, std::vector<uint8_t> before,
               std::vector<uint8_t> after)
        : HistoryStep(s, QStringLiteral("陌生度")), column_(column), rows_(std::move(rows)),
          before_(std::move(before)), after_(std::move(after))
    {
    }
    void undo() override { move(after_, before_); }
    std::vector<int> touched() const override { return rows_; }

protected:
    void again() override { move(before_, after_); }

private:
    void move(const std::vector<uint8_t>& from, const std::vector<uint8_t>& to)
    {
        std::vector<int> rows;
        std::vector<uint8_t> values;
        const Book& book = session_.book();
        for (size_t i = 0; i < rows_.size(); ++i) {
            const WordEntry* e = book.atView(rows_[i]);
            if (e && *e->strangeness(column_) == from[i]) {
                rows.push_back(rows_[i]);
                values.push_back(to[i]);
            }
        }
        session_.restoreDegrees(column_, rows, values);
    }

    int column_;
    std::vector<int> rows_;
    std::vector<uint8_t> before_, after_;
};

// An order change (sort, shuffle): kept as a permutation, never as copies of entries.
class ReorderStep : public HistoryStep {
public:
    ReorderStep(BookSession& s, const QString& text, std::vector<int32_t> moved, SortState before, SortState after)
        : HistoryStep(s, text), moved_(std::move(moved)), before_(before), after_(after)
    {
    }
    void undo() override
    {
        std::vector<int32_t> back(moved_.size());
        for (size_t i = 0; i < moved_.size(); ++i)
            back[size_t(moved_[i])] = int32_t(i);
        session_.reorder(back, before_);
    }

protected:
    void again() override { session_.reorder(moved_, after_); }

private:
    std::vector<int32_t> moved_;   // position i after the change holds the entry that stood at moved_[i]
    SortState before_, after_;
};

class RenumberStep : public HistoryStep {
public:
    RenumberStep(BookSession& s, std::vector<int32_t> seqs, int32_t nextSeq)
        : HistoryStep(s, QStringLiteral("重置序号")), seqs_(std::move(seqs)), nextSeq_(nextSeq)
    {
    }
    void undo() override { session_.restoreNumbers(seqs_, nextSeq_); }

protected:
    void again() override { session_.renumber(); }

private:
    std::vector<int32_t> seqs_;
    int32_t nextSeq_;
};

bool identity(const std::vector<int32_t>& order)
{
    for (size_t i = 0; i < order.size(); ++i)
        if (order[i] != int32_t(i))
            return false;
    return true;
}

} // namespace

BookHistory::BookHistory(BookSession* session, QObject* parent)
    : QObject(parent), session_(session), stack_(new QUndoStack(this))
{
    stack_->setUndoLimit(kLimit);
    // Another Book (or the same one read again): the steps no longer describe it.
    connect(session_, &BookSession::loaded, this, &BookHistory::clear);
}

BookHistory::~BookHistory() = default;

bool BookHistory::canUndo() const { return stack_->canUndo(); }
bool BookHistory::canRedo() const { return stack_->canRedo(); }
void BookHistory::undo()
{
    const auto* step = static_cast<const HistoryStep*>(stack_->command(stack_->index() - 1));
    stack_->undo();
    if (step)
        Q_EMIT rowsTouched(step->touched());
}

void BookHistory::redo()
{
    const auto* step = static_cast<const HistoryStep*>(stack_->command(stack_->index()));
    stack_->redo();
    if (step)
        Q_EMIT rowsTouched(step->touched());
}
void BookHistory::clear() { stack_->clear(); }

void BookHistory::bindMenu(QMenu* menu, int undoCommand, int redoCommand)
{
    QAction* undo = nullptr;
    QAction* redo = nullptr;
    for (QAction* a : menu ? menu->actions() : QList<QAction*>()) {
        if (a->data().toInt() == undoCommand)
            undo = a;
        else if (a->data().toInt() == redoCommand)
            redo = a;
    }
    if (undo) {
        undo->setEnabled(canUndo());
        connect(stack_, &QUndoStack::canUndoChanged, undo, &QAction::setEnabled);
    }
    if (redo) {
        redo->setEnabled(canRedo());
        connect(stack_, &QUndoStack::canRedoChanged, redo, &QAction::setEnabled);
    }
}

void BookHistory::push(HistoryStep* step)
{
    stack_->push(step);
}

int BookHistory::addEntry(std::unique_ptr<WordEntry> entry)
{
    const int row = session_->addEntry(std::move(entry));
    if (row >= 0)
        push(new RowsStep(*session_, QStringLiteral("添加"), {row}, true));
    return row;
}

bool BookHistory::modifyEntry(int row, const EntryEdit& edit, bool* textChanged)
{
    const WordEntry* e = session_->book().atView(row);
    const EntryEdit before = e ? editOf(*e) : EntryEdit{};
    if (!session_->modifyEntry(row, edit, textChanged))
        return false;
    const EntryEdit after = editOf(*session_->book().atView(row));
    if (!sameEdit(before, after))
        push(new ModifyStep(*session_, row, before, after));
    return true;
}

DeleteOutcome BookHistory::deleteRows(const std::vector<int>& rows)
{
    RemovedRows kept;
    const DeleteOutcome out = session_->deleteRows(rows, &kept);
    if (out.removed > 0)
        push(new RowsStep(*session_, QStringLiteral("删除"), rows, false, std::move(kept)));
    return out;
}

int BookHistory::setClassName(const std::vector<int>& rows, const QString& name)
{
    const Book& book = session_->book();
    const QString clean = withoutFieldSelectors(name);
    std::vector<int> changed;
    std::vector<QString> before;
    for (const RowRange& r : rowRanges(rows, book.size())) {
        for (int i = r.first; i <= r.last; ++i) {
            const QStringView old = book.atView(i)->className();
            if (old != clean) {
                changed.push_back(i);
                before.push_back(old.toString());
            }
        }
    }
    const int n = session_->setClassName(rows, name);
    if (n > 0)
        push(new ClassNameStep(*session_, std::move(changed), std::move(before), name));
    return n;
}

int BookHistory::setStrangeness(const std::vector<int>& rows, int column, int value, int step)
{
    const Book& book = session_->book();
    std::vector<int> candidates;
    std::vector<uint8_t> before;
    for (const RowRange& r : rowRanges(rows, book.size())) {
        for (int i = r.first; i <= r.last; ++i) {
            const uint8_t* d = book.atView(i)->strangeness(column);
            if (!d)
                return session_->setStrangeness(rows, column, value, step);
            candidates.push_back(i);
            before.push_back(*d);
        }
    }
    const int n = session_->setStrangeness(rows, column, value, step);
    if (n == 0)
        return 0;
    std::vector<int> changed;
    std::vector<uint8_t> was, now;
    for (size_t i = 0; i < candidates.size(); ++i) {
        const uint8_t d = *book.atView(candidates[i])->strangeness(column);
        if (d != before[i]) {
            changed.push_back(candidates[i]);
            was.push_back(before[i]);
            now.push_back(d);
        }
    }
    if (!changed.empty())
        push(new DegreeStep(*session_, column, std::move(changed), std::move(was), std::move(now)));
    return n;
}

ImportResult BookHistory::importEntries(QStringView text, const ImportSettings& settings, const Clock& clock)
{
    const int before = session_->rowCount();
    const ImportResult r = session_->importEntries(text, settings, clock);
    const int after = session_->rowCount();
    if (after > before)
        push(new RowsStep(*session_, QStringLiteral("导入"), rowSpan(before, after - 1), true));
    return r;
}

QString BookHistory::appendRowsTo(const std::vector<int>& rows, const QString& target, bool move,
                                  DeleteOutcome* outcome)
{
    RemovedRows kept;
    DeleteOutcome out;
    const QString error = session_->appendRowsTo(rows, target, move, &out, move ? &kept : nullptr);
    if (outcome)
        *outcome = out;
    if (error.isEmpty() && move && out.removed > 0)
        push(new MoveStep(*session_, *this, rows, target, std::move(kept)));
    return error;
}

template <class Fn>
void BookHistory::reorderStep(const QString& text, Fn reorder)
{
    const SortState before = session_->sortState();
    std::vector<int32_t> moved;
    reorder(&moved);
    if (!moved.empty() && !identity(moved))
        push(new ReorderStep(*session_, text, std::move(moved), before, session_->sortState()));
}

void BookHistory::sortByHeader(int column)
{
    reorderStep(QStringLiteral("排序"), [&](std::vector<int32_t>* moved) { session_->sortByHeader(column, moved); });
}

void BookHistory::shuffle(const Clock& clock, Random& random)
{
    reorderStep(QStringLiteral("乱序"), [&](std::vector<int32_t>* moved) { session_->shuffle(clock, random, moved); });
}

void BookHistory::renumber()
{
    std::vector<int32_t> seqs;
    seqs.reserve(size_t(session_->rowCount()));
    for (const WordEntry* e : session_->book().full())
        seqs.push_back(e->seq);
    const int32_t next = session_->book().nextSeq;
    session_->renumber();
    bool changed = next != session_->book().nextSeq;
    const auto& full = session_->book().full();
    for (size_t i = 0; !changed && i < full.size(); ++i)
        changed = full[i]->seq != seqs[i];
    if (changed)
        push(new RenumberStep(*session_, std::move(seqs), next));
}

} // namespace lex
