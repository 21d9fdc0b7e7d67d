#pragma once
// Drives the modal dialogs a command opens: while one lives, every ui::runModal() calls the
// given function with the dialog instead of waiting in exec(). The old runner comes back at the end.

#include "common/ui/modal_runner.h"

#include <QDialog>

namespace lextest {

class ModalScript {
public:
    explicit ModalScript(lex::ui::ModalRunner runner) : old_(lex::ui::setModalRunner(std::move(runner))) {}
    ~ModalScript() { lex::ui::setModalRunner(std::move(old_)); }
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

private:
    lex::ui::ModalRunner old_;
};

} // namespace lextest
