#pragma once
// Command routing: menus, tool bars, buttons and keys all end in one onCommand(id, param) of the
// window, the way WM_COMMAND does, so a window's behaviour reads as one dispatch table.

#include "common/ui/dialog_template.h"

#include <QDialog>
#include <QPointer>
#include <QtGlobal>

namespace lex::ui {

class CommandTarget {
public:
    virtual ~CommandTarget() = default;
    // True when the command was handled.
    virtual bool onCommand(int id, qintptr param) = 0;
};

// Delivers the command after the current event has been handled (PostMessage). `context` is the
// object whose lifetime guards the delivery: nothing arrives once it is gone.
void postCommand(QObject* context, CommandTarget* target, int id, qintptr param = 0);

// A dialog whose IDOK/IDCANCEL and Esc go through onCommand, so derived windows can intercept
// them like any other command.
class CommandDialog : public QDialog, public CommandTarget {
    Q_OBJECT
public:
    explicit CommandDialog(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    // IDOK accepts, IDCANCEL rejects; anything else is not handled here.
    bool onCommand(int id, qintptr param) override;

    // Esc and the window's close request arrive as IDCANCEL.
    void reject() override;

protected:
    // Ends the dialog without going through onCommand again.
    void endDialog(int result);
};

} // namespace lex::ui
