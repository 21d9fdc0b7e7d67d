#pragma once
// A practice command from start to end: the set-up dialog, the run start (the first 100
// selected rows, their temporary strangeness cleared), the practice window while the outer
// window is hidden, and the changed rows handed back to the list.

#include "lexora/practice/practice_dialog.h"

#include <vector>

namespace lex {

class Book;
class CMyListCtrl;

struct PracticeRunHost {
    Book* book = nullptr;
    CMyListCtrl* list = nullptr;
    QWidget* owner = nullptr;        // the word-book window
    QWidget* outerWindow = nullptr;  // hidden during the run
    PracticeWindowDeps window;
};

// True when a run took place (the caller then starts the status-line animation); false when
// the set-up was left with 退出.
bool runPractice(PracticeMode mode, PracticeRunHost& host);

// The one way a run's changes (temporary strangeness, review times of `rows`) reach the list.
void applyPracticeResults(CMyListCtrl& list, const std::vector<int32_t>& rows);

// 修改 during a run: the add/modify dialog in modify mode on the entry at `row`; true on OK.
// This is the single place that dialog is called from the practice window.
bool modifyEntryForPractice(QWidget* owner, Book& book, int row);

} // namespace lex
