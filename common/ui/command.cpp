#include "common/ui/command.h"

#include <QMetaObject>

namespace lex::ui {

void postCommand(QObject* context, CommandTarget* target, int id, qintptr param)
{
    QPointer<QObject> guard(context);
    QMetaObject::invokeMethod(
        context,
        [guard, target, id, param] {
            if (guard)
                target->onCommand(id, param);
        },
        Qt::QueuedConnection);
}

CommandDialog::CommandDialog(QWidget* parent, Qt::WindowFlags flags) : QDialog(parent, flags) {}

bool CommandDialog::onCommand(int id, qintptr)
{
    if (id == IDOK) {
        endDialog(QDialog::Accepted);
        return true;
    }
    if (id == IDCANCEL) {
        endDialog(QDialog::Rejected);
        return true;
    }
    return false;
}

void CommandDialog::reject()
{
    onCommand(IDCANCEL, 0);
}

void CommandDialog::endDialog(int result)
{
    QDialog::done(result);
}

} // namespace lex::ui
