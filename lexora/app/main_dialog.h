#pragma once
// CMainDialog: the outer window "Tessaly" on the program's own frame. Its tool bar switches
// between the web page and the word-book page and drops down the four menus; it forwards the
// word-book commands and ends the program in order.

#include "common/frame/my_base_dialog.h"
#include "lexora/app/app_services.h"

#include <QRect>
#include <QString>
#include <array>
#include <memory>

class QMenu;

namespace lex {

class CBrowserDialog;
class CLexoraDlg;
class CMyToolBar;
class Profile;

class CMainDialog : public CMyBaseDialog {
    Q_OBJECT
public:
    static constexpr int kPageGap = 3;   // pages start this far below the tool bar and inside the edges

    CMainDialog(const AppServices& services, QString programFolder, QWidget* parent = nullptr);
    ~CMainDialog() override;

    // The outer window's start-up, in order, including the word-book window's own. False when the
    // window cannot run (it then ends with result 2).
    bool initialise();

    bool onCommand(int id, qintptr param) override;
    // The system menu's commands: every value whose low four bits cleared give 16 opens the
    // about box; false for the rest (the default handling).
    bool onSysCommand(int id);

    // Both halves of the shutdown: the window's rectangle and snapping flag, then the word-book
    // window (speech settings, save, settings). Runs once.
    void shutDown();

    const QString& programFolder() const { return programFolder_; }
    QString configPath() const;
    Profile& profile() { return *profile_; }
    CLexoraDlg* wordBook() const { return wordBook_; }
    CBrowserDialog* webPage() const { return webPage_; }
    CMyToolBar* toolBar() const { return toolBar_; }
    // Pop-up k (0 文件, 1 编辑, 2 练习, 3 帮助) of menu 158.
    QMenu* dropDownMenu(int k) const { return k >= 0 && k < 4 ? menus_[size_t(k)] : nullptr; }
    bool isWordBookShown() const;
    bool hasShutDown() const { return shutDown_; }

    static const int kWebButtons[5];
    static const int kWordBookButtons[4];

protected:
    void paintClientBackground(QPainter& p) override;
    void resizeEvent(QResizeEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void contextMenuEvent(QContextMenuEvent*) override;

private:
    void showWordBook(bool wordBook);
    void dropDown(int buttonCommand);
    void endWith(int result);
    void layoutChildren();
    void showAbout();

    AppServices services_;
    QString programFolder_;
    std::unique_ptr<Profile> profile_;
    bool forbidWinStick_ = true;
    bool shutDown_ = false;

    CMyToolBar* toolBar_ = nullptr;
    CBrowserDialog* webPage_ = nullptr;
    bool webStartScheduled_ = false;
    CLexoraDlg* wordBook_ = nullptr;
    std::array<QMenu*, 4> menus_{};
};

} // namespace lex
