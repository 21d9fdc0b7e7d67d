#include "lexora/app/main_dialog.h"

#include "common/config/config_keys.h"
#include "common/config/profile.h"
#include "common/controls/my_tool_bar.h"
#include "common/platform/user_services.h"
#include "common/ui/menu_resource.h"
#include "lexora/app/lexora_dlg.h"
#include "lexora/app/word_book_session.h"
#include "lexora/web/about_dlg.h"
#include "lexora/web/browser_dialog.h"
#include "resources/resources.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMenu>
#include <QPainter>
#include <QRandomGenerator>
#include <QTimer>

namespace lex {

using namespace config;

const int CMainDialog::kWebButtons[5] = {cmd::kWebHome, cmd::kWebBack, cmd::kWebForward, cmd::kWebStop,
                                         cmd::kWebRefresh};
const int CMainDialog::kWordBookButtons[4] = {cmd::kMenuFile, cmd::kMenuEdit, cmd::kLearn, cmd::kMenuHelp};

CMainDialog::CMainDialog(const AppServices& services, QString programFolder, QWidget* parent)
    : CMyBaseDialog(parent), services_(services), programFolder_(std::move(programFolder))
{
    profile_ = std::make_unique<Profile>(configPath(), orDefault(services_.env));
}

CMainDialog::~CMainDialog() = default;

QString CMainDialog::configPath() const
{
    return programFolder_ + QLatin1Char('/') + kFileName;
}

bool CMainDialog::initialise()
{
    UserServices& ui = *services_.ui;
    setWindowTitle(res::dialogTemplate(res::IDD_MAIN).caption);
    setMinimumSize(kOuterMinimumTrackSize);

    // First start: the Readme, once.
    if (profile_->readInt(kInit, kIsFirst, kDefaultIsFirst) != 0) {
        ui.openExternally(programFolder_ + QStringLiteral("/Readme.txt"));
        profile_->writeString(kInit, kIsFirst, QStringLiteral("0"));
    }

    forbidWinStick_ = profile_->readInt(kInit, kIsForbidWinStick, kDefaultIsForbidWinStickLexora) != 0;
    CMyBaseDialog::setForbidWinStick(forbidWinStick_);

    Rect r = kDefaultLexoraDlgSize;
    if (auto stored = unpackRect(profile_->readStruct(kInit, kLexoraDlgSize, kRectSize).value_or(QByteArray())))
        r = *stored;
    move(r.left, r.top);
    resize(r.right - r.left, r.bottom - r.top);   // the minimum size still applies

    toolBar_ = new CMyToolBar(this);
    toolBar_->setTarget(this);
    toolBar_->loadStandardButtons();

    webPage_ = new CBrowserDialog(services_.browserFactory, this);
    webPage_->setOwner(this);
    wordBook_ = new CLexoraDlg(services_, this);
    wordBook_->initialise(programFolder_, *profile_, &forbidWinStick_);
    webPage_->setStartPageSource([this] { return wordBook_->controller().startPageFigures(); });
    // Back and forward start disabled; the browser reports when they may be used.
    toolBar_->setButtonEnabled(cmd::kWebBack, false);
    toolBar_->setButtonEnabled(cmd::kWebForward, false);

    // The program opens on the web page.
    showWordBook(false);

    const ui::MenuResource& m = res::menu(res::IDR_MAIN_MENU);
    for (size_t k = 0; k < menus_.size() && k < m.popups.size(); ++k)
        menus_[k] = ui::buildMenu(m.popups[k], this, this);
    wordBook_->bindHistoryActions(menus_[1]);
    layoutChildren();
    return true;
}

bool CMainDialog::isWordBookShown() const
{
    return wordBook_ && !wordBook_->isHidden();
}

void CMainDialog::showWordBook(bool wordBook)
{
    webPage_->setVisible(!wordBook);
    wordBook_->setVisible(wordBook);
    for (int id : kWebButtons)
        toolBar_->setButtonVisible(id, !wordBook);
    for (int id : kWordBookButtons)
        toolBar_->setButtonVisible(id, wordBook);
    toolBar_->setButtonChecked(wordBook ? cmd::kStudyPage : cmd::kWebPage, true);
    layoutChildren();
    (wordBook ? static_cast<QWidget*>(wordBook_) : webPage_)->setFocus();
}

bool CMainDialog::onCommand(int id, qintptr param)
{
    switch (id) {
    case cmd::kWebHome:
    case cmd::kWebBack:
    case cmd::kWebForward:
    case cmd::kWebStop:
    case cmd::kWebRefresh:
        return webPage_->onCommand(id, param);
    default:
        break;
    }
    if ((id >= cmd::kImport && id <= cmd::kMoveCopy) || id == cmd::kUndo || id == cmd::kRedo)
        return wordBook_->onCommand(id, param);
    if (id >= cmd::kTodayReview && id <= cmd::kWordsFromText)
        return wordBook_->onCommand(id, param);

    switch (id) {
    case cmd::kHelp:
        services_.ui->openExternally(programFolder_ + QStringLiteral("/Readme.txt"));
        return true;
    case cmd::kCheckUpdate:
        showWordBook(false);
        return webPage_->onCommand(id, param);
    case cmd::kAbout:
        return onSysCommand(res::IDM_ABOUTBOX);
    case cmd::kExit:
        endWith(QDialog::Accepted);
        return true;
    case cmd::kExitNoSave:
        wordBook_->session().setSaveOnExit(false);
        endWith(QDialog::Accepted);
        return true;
    case ui::IDCANCEL:
        // The close button and the window manager's close: the program ends, with saving.
        endWith(QDialog::Rejected);
        return true;
    case ui::IDOK:
        return true;   // Enter closes nothing
    case cmd::kStudyPage:
        showWordBook(true);
        return true;
    case cmd::kWebPage:
        showWordBook(false);
        return true;
    case cmd::kBackState:
        toolBar_->setButtonEnabled(cmd::kWebBack, param != 0);
        return true;
    case cmd::kForwardState:
        toolBar_->setButtonEnabled(cmd::kWebForward, param != 0);
        return true;
    case cmd::kDropDown:
        dropDown(int(param));
        return true;
    default:
        return false;
    }
}

bool CMainDialog::onSysCommand(int id)
{
    // Only the value with the low four bits cleared is compared, as the system menu does.
    if ((id & ~0xF) != res::IDM_ABOUTBOX)
        return false;
    showAbout();
    return true;
}

void CMainDialog::showAbout()
{
    CAboutDlg about(services_.ui, this);
    services_.ui->runModal(&about);
}

void CMainDialog::dropDown(int buttonCommand)
{
    int k = -1;
    for (int i = 0; i < 4; ++i)
        if (kWordBookButtons[i] == buttonCommand)
            k = i;
    QMenu* menu = dropDownMenu(k);
    CMyToolBarButton* button = toolBar_->button(buttonCommand);
    if (!menu || !button)
        return;
    const QRect r = toolBar_->buttonGlobalRect(buttonCommand);
    button->setHeldDown(true);
    connect(menu, &QMenu::aboutToHide, button, [button] { button->setHeldDown(false); },
            Qt::SingleShotConnection);
    menu->popup(QPoint(r.left(), r.top() + r.height()));
}

void CMainDialog::endWith(int result)
{
    shutDown();
    endDialog(result);
}

void CMainDialog::shutDown()
{
    if (shutDown_)
        return;
    shutDown_ = true;
    const Qt::WindowStates st = windowState();
    if (!(st & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
        const QRect g = geometry();
        profile_->writeStruct(kInit, kLexoraDlgSize,
                              packRect(Rect{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()}));
    }
    profile_->writeString(kInit, kIsForbidWinStick, forbidWinStick_ ? QStringLiteral("1") : QStringLiteral("0"));
    // The exit itself may come from one of these menus, still inside its handler.
    for (QMenu*& m : menus_) {
        if (m)
            m->deleteLater();
        m = nullptr;
    }
    wordBook_->shutDown(*profile_);
}

void CMainDialog::layoutChildren()
{
    if (!toolBar_)
        return;
    const QRect c = clientRect();
    toolBar_->setGeometry(c.left(), c.top(), c.width(), toolBar_->sizeHint().height());
    const int top = toolBar_->geometry().bottom() + 1 + kPageGap;
    const QRect page(c.left() + kPageGap, top, c.width() - 2 * kPageGap, c.bottom() + 1 - kPageGap - top);
    webPage_->setGeometry(page);
    wordBook_->setGeometry(page);
}

void CMainDialog::resizeEvent(QResizeEvent* e)
{
    CMyBaseDialog::resizeEvent(e);
    layoutChildren();
}

void CMainDialog::paintClientBackground(QPainter& p)
{
    CMyBaseDialog::paintClientBackground(p);
    if (!toolBar_)
        return;
    // The web page's browser is made only after this first paint, so that it never delays it.
    if (!webStartScheduled_) {
        webStartScheduled_ = true;
        QTimer::singleShot(0, webPage_, &CBrowserDialog::start);
    }
    const QRect c = clientRect();
    const int top = c.top() - 1, bottom = toolBar_->geometry().bottom() + 2;
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0, QColor(240, 240, 237));
    g.setColorAt(1, QColor(224, 222, 218));
    p.fillRect(QRect(c.left(), top, c.width(), bottom - top + 1), g);
}

void CMainDialog::keyPressEvent(QKeyEvent* e)
{
    // Esc and Enter reach a dialog's default handling, which would end the program.
    if (e->key() == Qt::Key_Escape || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        e->accept();
        return;
    }
    CMyBaseDialog::keyPressEvent(e);
}

void CMainDialog::contextMenuEvent(QContextMenuEvent* e)
{
    // The system menu of the caption band: the about box.
    if (e->pos().y() >= captionHeight()) {
        CMyBaseDialog::contextMenuEvent(e);
        return;
    }
    QMenu menu(this);
    QAction* about = menu.addAction(res::string(res::IDS_ABOUTBOX));
    if (menu.exec(e->globalPos()) == about)
        onSysCommand(res::IDM_ABOUTBOX);
}

} // namespace lex
