#pragma once
// CMyFindDialog (template 157): the modeless find window. "查找下一个" finds the next row, after
// the focused one and round to the top, whose word or explanation holds the text. Every press
// reads the rows and the focus afresh, so the Book may change while the window is open.

#include "common/ui/template_dialog.h"
#include "resources/resource_ids.h"

#include <QMargins>
#include <QRect>

namespace lex {

class BookSession;
class CMyListCtrl;
class Profile;
class UserServices;

class CMyFindDialog : public ui::TemplateDialog {
    Q_OBJECT
public:
    static constexpr int kText = res::find_dlg::kText, kWords = res::find_dlg::kWords,
                         kExplanations = res::find_dlg::kExplanations, kFindNext = res::find_dlg::kFindNext;

    // Everything given is owned by the caller and outlives the window; `profile` may be null.
    CMyFindDialog(BookSession* session, CMyListCtrl* list, UserServices* ui, Profile* profile,
                  QWidget* parent = nullptr);

    bool onCommand(int id, qintptr param) override;
    // "查找下一个": the row found, -1 when none (after "找不到") or when the text is empty.
    int findNext();

protected:
    bool event(QEvent* e) override;

private:
    void closeWindow();
    // Puts the window's frame, whose margins are `frame`, on the remembered rectangle.
    void placeFrame(const QMargins& frame);

    BookSession* session_;
    CMyListCtrl* list_;
    UserServices* ui_;
    Profile* profile_;
    bool closing_ = false;
    QRect frameRect_;            // the remembered window rectangle, frame included; empty: none
    bool framePlaced_ = false;
};

// A saved window rectangle worth restoring: a positive size and some part on a screen.
bool usableWindowRect(const QRect& rect);

} // namespace lex
