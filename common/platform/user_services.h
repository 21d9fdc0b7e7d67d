#pragma once
// Everything the user must answer goes through this one interface, so that tests can replace it
// with a scripted double and no test ever waits on a modal window.

#include <QColor>
#include <QString>
#include <QStringList>

class QDialog;
class QWidget;

namespace lex {

enum class MessageButtons { Ok, YesNo, OkCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };
enum class MessageIcon { None, Information, Warning, Error, Question };

class UserServices {
public:
    virtual ~UserServices() = default;

    // An empty caption means the application's title.
    virtual MessageAnswer messageBox(QWidget* owner, const QString& text, const QString& caption = {},
                                     MessageButtons buttons = MessageButtons::Ok,
                                     MessageIcon icon = MessageIcon::None) = 0;
    // A question with a check box under the text (the delete confirmation's "本次运行不再确认").
    // *checked holds the box's initial state and receives its final state, whatever the answer.
    // The default asks without the box and leaves *checked as it was.
    virtual MessageAnswer messageBoxWithCheck(QWidget* owner, const QString& text, const QString& checkText,
                                              bool* checked, const QString& caption = {},
                                              MessageButtons buttons = MessageButtons::OkCancel)
    {
        (void)checkText;
        (void)checked;
        return messageBox(owner, text, caption, buttons, MessageIcon::None);
    }
    // Filters in the Windows form "文本文件 (*.txt)|*.txt|所有文件 (*.*)|*.*||". Empty when cancelled.
    virtual QString openFileName(QWidget* owner, const QString& initialPath, const QString& filter) = 0;
    virtual QString saveFileName(QWidget* owner, const QString& initialPath, const QString& filter) = 0;
    virtual QString folder(QWidget* owner, const QString& title, const QString& initialPath) = 0;
    // Invalid QColor when cancelled.
    virtual QColor color(QWidget* owner, const QColor& initial) = 0;
    // The shell's "open": only http, https, mailto and local paths are ever opened.
    virtual bool openExternally(const QString& pathOrUrl) = 0;
    // Runs one of our own modal dialogs (add/modify, class names, groups ...) and gives its result
    // (QDialog::Accepted, QDialog::Rejected or the value it ended with). The real services run it
    // with exec(); test doubles script it. This default, for doubles that never open one, rejects.
    virtual int runModal(QDialog* dialog)
    {
        (void)dialog;
        return 0;
    }
};

} // namespace lex
