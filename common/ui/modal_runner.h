#pragma once
// Running a modal dialog through one door, so that a window test can drive the dialogs a
// command opens (press their buttons, read their controls) instead of waiting on exec().

#include <functional>

class QDialog;

namespace lex::ui {

using ModalRunner = std::function<int(QDialog& dialog)>;

// dialog.exec(), or the runner a test installed.
int runModal(QDialog& dialog);

// Installs a runner for the whole process; an empty one restores exec(). Returns the old one.
ModalRunner setModalRunner(ModalRunner runner);

} // namespace lex::ui
