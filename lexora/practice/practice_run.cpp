#include "lexora/practice/practice_run.h"

#include "common/platform/user_services.h"
#include "lexora/book/book_session.h"
#include "lexora/book/operations/degree_ops.h"
#include "lexora/practice/practice_setup_dialog.h"
#include "lexora/texts/lexora_texts.h"
#include "lexora/wordlist/my_list_ctrl.h"

#include <QGuiApplication>

namespace lex {

bool modifyEntryForPractice(QWidget* owner, BookSession& session, int row, UserServices& ui,
                            const CMyAddModifyDialog::LookUp& lookUp, const QFont& phoneticFont)
{
    CMyAddModifyDialog::Inputs in;
    in.mode = CMyAddModifyDialog::Mode::Modify;
    in.row = row;
    in.session = &session;
    in.lookUp = lookUp;
    in.phoneticFont = phoneticFont;
    CMyAddModifyDialog dialog(in, owner);
    return ui.runModal(&dialog) == QDialog::Accepted;
}

bool runPractice(PracticeMode mode, PracticeRunHost& host)
{
    UserServices& ui = *host.window.ui;
    const std::vector<int> selected = host.list->selectedRows();
    CMyMemSet setup(mode, int(selected.size()), host.owner, host.minWords);
    if (ui.runModal(&setup) != QDialog::Accepted)
        return false;

    BookSession& session = *host.session;
    const std::vector<int32_t> rows = session.run(std::make_unique<BeginPracticeOp>(selected));
    if (!host.window.modifyEntry)
        host.window.modifyEntry = [&host, &session, &ui](QWidget* owner, int row) {
            return modifyEntryForPractice(owner, session, row, ui, host.lookUp, host.window.phoneticFont);
        };
    // While the outer window is hidden the practice window is the only one: closing it must
    // not end the program.
    const bool quitOnClose = QGuiApplication::quitOnLastWindowClosed();
    QGuiApplication::setQuitOnLastWindowClosed(false);
    {
        // Each answer reaches the Book (and the session's listeners, the learning record among
        // them) as an operation of the session.
        SessionPracticeWriter writer(session);
        CMyPracticeDialog window(session.book(), writer, setup.settings(), rows, host.window, nullptr);
        if (const int leftOut = window.engine().clozeLeftOut(); leftOut > 0)
            ui.messageBox(host.owner, texts::clozeLeftOutMessage(leftOut));
        if (host.outerWindow)
            host.outerWindow->hide();
        // A run over an empty Book has ended already; it is not shown at all.
        if (!window.engine().finished())
            ui.runModal(&window);
    }
    if (host.outerWindow)
        host.outerWindow->showNormal();
    QGuiApplication::setQuitOnLastWindowClosed(quitOnClose);
    session.run(std::make_unique<EndPracticeOp>(rows));
    return true;
}

} // namespace lex
