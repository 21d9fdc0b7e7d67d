// The word-book window's side of the settings dialog: what it hands the dialog and what the
// dialog may change here (background, fonts, snapping, the Book folder).
#include "lexora/app/lexora_dlg.h"

#include "common/frame/my_base_dialog.h"
#include "common/platform/env.h"
#include "common/platform/user_services.h"
#include "lexora/app/main_dialog.h"
#include "lexora/app/word_book_session.h"
#include "lexora/book/book_file.h"
#include "lexora/settings/my_prop_page.h"
#include "resources/phonetic_font.h"

#include <QFileInfo>

namespace lex {

void CLexoraDlg::openSettings()
{
    SettingsTarget t;
    t.ui = services_.ui;
    t.speech = speech_.get();
    if (auto* outer = qobject_cast<CMainDialog*>(window()))
        t.profile = &outer->profile();
    t.bookFolder = session_.book().path;
    t.forbidWinStick = forbidWinStick_ && *forbidWinStick_;
    t.background = list_->backgroundColor();
    t.fontType = fontType_;
    t.setBackground = [this](const QColor& c) { list_->setBackgroundColor(c); };
    t.setFontType = [this](int type) { setFontType(type); };
    t.setForbidWinStick = [this](bool on) {
        if (forbidWinStick_)
            *forbidWinStick_ = on;
        CMyBaseDialog::setForbidWinStick(on);
    };
    t.changeBookFolder = [this](const QString& folder) { return changeBookFolder(folder); };
    CMyPropPage dialog(std::move(t), this);
    services_.ui->runModal(&dialog);
}

void CLexoraDlg::setFontType(int fontType)
{
    fontType_ = qBound(0, fontType, 2);
    const int height = listFontHeight(fontType_);
    listFont_.setPixelSize(height);
    phoneticFont_.setPixelSize(height);
    // The list takes both fonts, its row height and the hover tip's line spacing from the type.
    list_->setFonts(fontType_, listFont_, phoneticFont_);
}

// Another Book folder: the open Book is saved where it is, then the same Book name is opened
// from the new folder, through the same switch as the groups dialog.
bool CLexoraDlg::changeBookFolder(const QString& folder)
{
    if (!QFileInfo(folder).isDir()) {
        services_.ui->messageBox(this, QStringLiteral("Book路径不存在，请重新设置:\n%1").arg(folder));
        return false;
    }
    if (!session_.switchBook(folder, session_.book().name, false, saveQuestions(), loadHooks())) {
        services_.ui->messageBox(this, QStringLiteral("当前Book没有保存成功，Book路径未改变。"));
        return false;
    }
    return true;
}

} // namespace lex
