#pragma once
// BookHistory: the learner's edits of the open Book as undoable steps. Each edit the window offers
// is one call here; it goes through the session (which announces it to the list) and is kept on
// an undo stack as one step that puts back exactly what the edit changed. Practice results
// (temporary strangeness written by a run, review-time stamps, reveal flags) are not edits and
// never enter the history. Loading a Book (start, switch, folder change) clears it.

#include "lexora/book/book_session.h"

#include <QObject>
#include <QString>
#include <memory>
#include <vector>

class QMenu;
class QUndoStack;

namespace lex {

class Clock;
class HistoryStep;
class Random;

class BookHistory : public QObject {
    Q_OBJECT
public:
    static constexpr int kLimit = 100;   // steps kept; the oldest go first

    explicit BookHistory(BookSession* session, QObject* parent = nullptr);
    ~BookHistory() override;

    BookSession& session() const { return *session_; }
    QUndoStack& stack() const { return *stack_; }
    bool canUndo() const;
    bool canRedo() const;
    void undo();
    void redo();
    void clear();
    // Keeps the items of `menu` with these command numbers enabled exactly while there is
    // something to undo / redo.
    void bindMenu(QMenu* menu, int undoCommand, int redoCommand);

    // ---- the edits -------------------------------------------------------------------------
    // The one way a word is added as the add dialog adds it (also for words that arrive from
    // elsewhere): the session admits it, and the add is one step. Returns its row, -1 if refused.
    int addEntry(std::unique_ptr<WordEntry> entry);
    bool modifyEntry(int row, const EntryEdit& edit, bool* textChanged = nullptr);
    DeleteOutcome deleteRows(const std::vector<int>& rows);
    int setClassName(const std::vector<int>& rows, const QString& name);
    int setStrangeness(const std::vector<int>& rows, int column, int value, int step);
    ImportResult importEntries(QStringView text, const ImportSettings& settings, const Clock& clock);
    // A copy leaves the open Book as it is and is no step; a move is one (its undo puts the rows
    // back here, while the copies in `target` stay).
    QString appendRowsTo(const std::vector<int>& rows, const QString& target, bool move,
                         DeleteOutcome* outcome = nullptr);
    void sortByHeader(int column);
    void shuffle(const Clock& clock, Random& random);
    void renumber();

Q_SIGNALS:
    // Something the learner should be told about an undo or redo (the window shows it).
    void notice(const QString& text);
    // The rows an undo or redo brought back or changed (ascending; none for an order change or
    // rows taken out): the list selects them.
    void rowsTouched(const std::vector<int>& rows);

private:
    void push(HistoryStep* step);
    // Runs `reorder` (a sort or shuffle that reports where each entry came from) as one step.
    template <class Fn>
    void reorderStep(const QString& text, Fn reorder);

    BookSession* session_;
    QUndoStack* stack_;
};

} // namespace lex
