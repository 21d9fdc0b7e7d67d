#include "lexora/wordlist/find_dialog.h"

#include "common/config/config_keys.h"
#include "common/config/profile.h"
#include "common/platform/user_services.h"
#include "lexora/book/book_session.h"
#include "lexora/wordlist/my_list_ctrl.h"
#include "resources/resources.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>

#include <algorithm>

namespace lex {

bool usableWindowRect(const QRect& rect)
{
    if (rect.width() <= 0 || rect.height() <= 0)
        return false;
    for (const QScreen* s : QGuiApplication::screens())
        if (s->availableGeometry().intersects(rect))
            return true;
    return false;
}

CMyFindDialog::CMyFindDialog(BookSession* session, CMyListCtrl* list, UserServices* ui, Profile* profile,
                             QWidget* parent)
    : ui::TemplateDialog(parent), session_(session), list_(list), ui_(ui), profile_(profile)
{
    buildFrom(res::dialogTemplate(res::IDD_FIND));
    setModal(false);
    if (profile_) {
        const auto r = config::unpackRect(
            profile_->readStruct(config::kInit, config::kFindDlgSize, config::kRectSize).value_or(QByteArray()));
        // An empty or off-screen rectangle (another monitor, a damaged file) is not used.
        if (r) {
            const qint64 w = qint64(r->right) - r->left, h = qint64(r->bottom) - r->top;
            const QRect rect(r->left, r->top, int(std::clamp<qint64>(w, -1, 1 << 20)),
                             int(std::clamp<qint64>(h, -1, 1 << 20)));
            if (usableWindowRect(rect)) {
                frameRect_ = rect;
                placeFrame(QMargins());
            }
        }
    }
    // Always the explanations first, whatever was chosen last time.
    item<QRadioButton>(kExplanations)->setChecked(true);
    item<QLineEdit>(kText)->setFocus();
}

void CMyFindDialog::placeFrame(const QMargins& frame)
{
    // The whole stored rectangle, frame included: a size other than the template's too.
    setFixedSize(frameRect_.size().shrunkBy(frame).expandedTo(QSize(1, 1)));
    move(frameRect_.topLeft());
}

bool CMyFindDialog::event(QEvent* e)
{
    const bool done = ui::TemplateDialog::event(e);
    // The window manager tells the frame's size only once it has framed the window: the client
    // size is corrected then, once.
    if (!frameRect_.isEmpty() && !framePlaced_ &&
        (e->type() == QEvent::Show || e->type() == QEvent::Move || e->type() == QEvent::Resize)) {
        const QRect f = frameGeometry(), g = geometry();
        if (const QMargins frame(g.left() - f.left(), g.top() - f.top(), f.right() - g.right(), f.bottom() - g.bottom());
            !frame.isNull()) {
            framePlaced_ = true;
            placeFrame(frame);
        }
    }
    return done;
}

bool CMyFindDialog::onCommand(int id, qintptr param)
{
    switch (id) {
    case kFindNext:
        findNext();
        return true;
    case ui::IDOK:
        return true;
    case ui::IDCANCEL:
        closeWindow();
        return true;
    default:
        return ui::TemplateDialog::onCommand(id, param);
    }
}

int CMyFindDialog::findNext()
{
    const QString text = item<QLineEdit>(kText)->text();
    if (text.isEmpty())
        return -1;
    const bool words = item<QRadioButton>(kWords)->isChecked();
    const int row = session_->findNext(list_->focusedRow(), text, words);
    if (row < 0) {
        ui_->messageBox(this, QStringLiteral("找不到"));
        return -1;
    }
    list_->setFocusedRow(row);
    return row;
}

void CMyFindDialog::closeWindow()
{
    if (closing_)
        return;
    closing_ = true;
    if (profile_) {
        const QRect f = frameGeometry();
        profile_->writeStruct(config::kInit, config::kFindDlgSize,
                              config::packRect({f.left(), f.top(), f.left() + f.width(), f.top() + f.height()}));
    }
    hide();
    deleteLater();
}

} // namespace lex
