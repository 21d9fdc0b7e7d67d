#pragma once
// The real user interaction: Qt's message box and standard dialogs, and the desktop's "open".

#include "common/platform/user_services.h"

#include <QFileDialog>

class QWidget;

namespace lex {

class QtUserServices final : public UserServices {
public:
    MessageAnswer messageBox(QWidget* owner, const QString& text, const QString& caption = {},
                             MessageButtons buttons = MessageButtons::Ok,
                             MessageIcon icon = MessageIcon::None) override;
    MessageAnswer messageBoxWithCheck(QWidget* owner, const QString& text, const QString& checkText, bool* checked,
                                      const QString& caption = {},
                                      MessageButtons buttons = MessageButtons::OkCancel) override;
    QString openFileName(QWidget* owner, const QString& initialPath, const QString& filter) override;
    QString saveFileName(QWidget* owner, const QString& initialPath, const QString& filter) override;
    QString folder(QWidget* owner, const QString& title, const QString& initialPath) override;
    QColor color(QWidget* owner, const QColor& initial) override;
    bool openExternally(const QString& pathOrUrl) override;
    int runModal(QDialog* dialog) override;
};

// How the file choosers open: each filter shows only its description as the program gives it
// ("所有文件 (*.*)"), while the patterns qtFileFilter puts after it decide what is listed.
inline constexpr QFileDialog::Options kFileChooserOptions = QFileDialog::HideNameFilterDetails;

// What the window does on a "come to the front" request: shown, un-minimised, raised, activated.
void bringToFront(QWidget* window);

} // namespace lex
