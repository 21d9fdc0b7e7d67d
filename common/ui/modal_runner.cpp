#include "common/ui/modal_runner.h"

#include <QDialog>

namespace lex::ui {
namespace {
ModalRunner& current()
{
    static ModalRunner runner;
    return runner;
}
} // namespace

int runModal(QDialog& dialog)
{
    if (const ModalRunner& r = current())
        return r(dialog);
    return dialog.exec();
}

ModalRunner setModalRunner(ModalRunner runner)
{
    ModalRunner old = std::move(current());
    current() = std::move(runner);
    return old;
}

} // namespace lex::ui
