#include "common/platform/qt_user_services.h"

#include "common/platform/shell_forms.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QWidget>

namespace lex {

namespace {

MessageAnswer runBox(QMessageBox& box, const QString& text, const QString& caption, MessageButtons buttons,
                     MessageIcon icon)
{
    box.setWindowTitle(caption.isEmpty() ? QApplication::applicationDisplayName() : caption);
    box.setText(text);
    switch (icon) {
    case MessageIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MessageIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MessageIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case MessageIcon::Error: box.setIcon(QMessageBox::Critical); break;
    case MessageIcon::Question: box.setIcon(QMessageBox::Question); break;
    }
    switch (buttons) {
    case MessageButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MessageButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case MessageButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes: return MessageAnswer::Yes;
    case QMessageBox::No: return MessageAnswer::No;
    case QMessageBox::Cancel: return MessageAnswer::Cancel;
    case QMessageBox::Ok: return MessageAnswer::Ok;
    default:
        // Closed with Escape or the close box: the answer that changes nothing.
        return buttons == MessageButtons::YesNo ? MessageAnswer::No
             : buttons == MessageButtons::OkCancel ? MessageAnswer::Cancel : MessageAnswer::Ok;
    }
}

} // namespace

MessageAnswer QtUserServices::messageBox(QWidget* owner, const QString& text, const QString& caption,
                                         MessageButtons buttons, MessageIcon icon)
{
    QMessageBox box(owner);
    return runBox(box, text, caption, buttons, icon);
}

MessageAnswer QtUserServices::messageBoxWithCheck(QWidget* owner, const QString& text, const QString& checkText,
                                                  bool* checked, const QString& caption, MessageButtons buttons)
{
    QMessageBox box(owner);
    auto* check = new QCheckBox(checkText);
    check->setChecked(checked && *checked);
    box.setCheckBox(check);
    const MessageAnswer a = runBox(box, text, caption, buttons, MessageIcon::Question);
    if (checked)
        *checked = check->isChecked();
    return a;
}

QString QtUserServices::openFileName(QWidget* owner, const QString& initialPath, const QString& filter)
{
    return QFileDialog::getOpenFileName(owner, QString(), initialPath, qtFileFilter(filter), nullptr,
                                        kFileChooserOptions);
}

QString QtUserServices::saveFileName(QWidget* owner, const QString& initialPath, const QString& filter)
{
    return QFileDialog::getSaveFileName(owner, QString(), initialPath, qtFileFilter(filter), nullptr,
                                        kFileChooserOptions);
}

QString QtUserServices::folder(QWidget* owner, const QString& title, const QString& initialPath)
{
    return QFileDialog::getExistingDirectory(owner, title, initialPath);
}

QColor QtUserServices::color(QWidget* owner, const QColor& initial)
{
    return QColorDialog::getColor(initial, owner);   // invalid when cancelled
}

bool QtUserServices::openExternally(const QString& pathOrUrl)
{
    const std::optional<QUrl> url = externalOpenUrl(pathOrUrl);
    if (!url)
        return false;
    if (url->isLocalFile() && !QFileInfo::exists(url->toLocalFile()))
        return false;
    return QDesktopServices::openUrl(*url);
}

int QtUserServices::runModal(QDialog* dialog)
{
    return dialog ? dialog->exec() : QDialog::Rejected;
}

void bringToFront(QWidget* window)
{
    if (!window)
        return;
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace lex
