#include "lexora/practice/practice_run.h"

#include "common/ui/modal_runner.h"
#include "lexora/book/book.h"
#include "lexora/practice/practice_setup_dialog.h"
#include "lexora/wordlist/my_list_ctrl.h"

#include <QGuiApplication>

namespace lex {

bool modifyEntryForPractice(QWidget* owner, Book& book, int row)
{
    // The add/modify dialog in modify mode plugs in here; without it 修改 acts as Cancel and
    // leaves the run paused.
    (void)owner;
    (void)book;
    (void)row;
    return false;
}

void applyPracticeResults(CMyListCtrl& list, const std::vector<int32_t>& rows)
{
    (void)rows; // the changed rows are all redrawn with the rest
    list.redrawAll();
}

bool runPractice(PracticeMode mode, PracticeRunHost& host)
{
    const std::vector<int> selected = host.list->selectedRows();
    CMyMemSet setup(mode, int(selected.size()), host.owner);
    if (ui::runModal(setup) != QDialog::Accepted)
        return false;

    const std::vector<int32_t> rows = takePracticeRows(*host.book, std::vector<int32_t>(selected.begin(), selected.end()));
    if (!host.window.modifyEntry)
        host.window.modifyEntry = [book = host.book](QWidget* owner, int row) {
            return modifyEntryForPractice(owner, *book, row);
        };
    // While the outer window is hidden the practice window is the only one: closing it must
    // not end the program.
    const bool quitOnClose = QGuiApplication::quitOnLastWindowClosed();
    QGuiApplication::setQuitOnLastWindowClosed(false);
    {
        CMyPracticeDialog window(*host.book, setup.settings(), rows, host.window, nullptr);
        if (host.outerWindow)
            host.outerWindow->hide();
        // A run over an empty Book has ended already; it is not shown at all.
        if (!window.engine().finished())
            ui::runModal(window);
    }
    if (host.outerWindow)
        host.outerWindow->showNormal();
    QGuiApplication::setQuitOnLastWindowClosed(quitOnClose);
    applyPracticeResults(*host.list, rows);
    return true;
}

} // namespace lex
