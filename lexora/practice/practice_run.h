#pragma once
// A practice command from start to end: the set-up dialog, the run start (the first 100
// selected rows, their temporary strangeness cleared), the practice window while the outer
// window is hidden, and the changed rows announced by the session afterwards.

#include "lexora/practice/practice_dialog.h"
#include "lexora/wordlist/add_modify_dialog.h"

#include <vector>

namespace lex {

class BookSession;
class CMyListCtrl;

struct PracticeRunHost {
    BookSession* session = nullptr;
    CMyListCtrl* list = nullptr;
    QWidget* owner = nullptr;        // the word-book window
    QWidget* outerWindow = nullptr;  // hidden during the run
    PracticeWindowDeps window;       // window.ui runs the set-up dialog and the practice window
    // 修改: what the add/modify dialog needs besides the session.
    CMyAddModifyDialog::LookUp lookUp;
    // The fewest selected words 开始 takes (today's plan: one).
    int minWords = kMinPracticeWords;
};

// True when a run took place (the caller then starts the status-line animation); false when
// the set-up was left with 退出.
bool runPractice(PracticeMode mode, PracticeRunHost& host);

// 修改 during a run: the add/modify dialog in modify mode on the entry at `row`, changing it
// through the session (an edit, kept on its history, not a result); true on OK.
bool modifyEntryForPractice(QWidget* owner, BookSession& session, int row, UserServices& ui,
                            const CMyAddModifyDialog::LookUp& lookUp, const QFont& phoneticFont);

} // namespace lex
