#include "lexora/wordlist/history_menu.h"

#include "lexora/book/book_history.h"

#include <QAction>
#include <QMenu>

namespace lex {

void bindHistoryMenu(QMenu* menu, BookHistory& history, int undoCommand, int redoCommand)
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
        undo->setEnabled(history.canUndo());
        QObject::connect(&history, &BookHistory::canUndoChanged, undo, &QAction::setEnabled);
    }
    if (redo) {
        redo->setEnabled(history.canRedo());
        QObject::connect(&history, &BookHistory::canRedoChanged, redo, &QAction::setEnabled);
    }
}

} // namespace lex
