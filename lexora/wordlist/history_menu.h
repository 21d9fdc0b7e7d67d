#pragma once
// The 撤销 / 重做 items of a menu follow the open Book's history.

class QMenu;

namespace lex {

class BookHistory;

// Keeps the items of `menu` with these command numbers enabled exactly while there is something
// to undo / redo.
void bindHistoryMenu(QMenu* menu, BookHistory& history, int undoCommand, int redoCommand);

} // namespace lex
