// A practice command from the word-book window, driven through its dialogs: the run start clears
// the temporary degree through the session, the outer window is hidden while the run lasts, 修改
// edits the practised entry through the add/modify dialog, and the run's rows are announced once
// it ends.
#include "app_test_support.h"

#include "common/ui/template_builder.h"
#include "lexora/app/lexora_dlg.h"
#include "lexora/app/main_dialog.h"
#include "lexora/app/status_animation.h"
#include "lexora/app/word_book_session.h"
#include "lexora/book/book_session.h"
#include "lexora/practice/practice_dialog.h"
#include "lexora/practice/practice_setup_dialog.h"
#include "lexora/wordlist/add_modify_dialog.h"
#include "lexora/wordlist/my_list_ctrl.h"
#include "resources/resources.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace lex;

TEST(PracticeRun, ModifyEditsThePractisedEntryAndTheRunIsAnnouncedWhenItEnds)
{
    lextest::TempDir dir;
    const apptest::ProgramFolder pf = apptest::makeProgramFolder(dir, 15);
    apptest::CheckingServices ui;
    CMainDialog w(apptest::testServices(&ui), pf.folder);
    ASSERT_TRUE(w.initialise());
    w.show();
    CLexoraDlg* book = w.wordBook();
    CMyListCtrl* list = book->list();
    for (int r = 0; r < 12; ++r)
        list->selectionModel()->select(list->model()->index(r, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    for (int r = 0; r < 15; ++r)
        book->session().book().atView(r)->temporary = 5;   // left over from an earlier run
    QSignalSpy changed(&book->session(), &BookSession::rowsChanged);

    int edited = -1;
    bool hiddenDuringRun = false, pausedAfterModify = false;
    QStringList opened;
    ui.modalHook = [&](QDialog& d) {
        opened << QString::fromLatin1(d.metaObject()->className());
        if (auto* setup = dynamic_cast<CMyMemSet*>(&d)) {
            setup->onCommand(1, 0);   // 开始
            return setup->result();
        }
        if (auto* practice = dynamic_cast<CMyPracticeDialog*>(&d)) {
            hiddenDuringRun = !w.isVisible();
            // The run starts afresh: every practised row's temporary degree is 0, the others keep theirs.
            for (int r = 0; r < 12; ++r)
                EXPECT_EQ(book->session().book().atView(r)->temporary, 0) << r;
            EXPECT_EQ(book->session().book().atView(12)->temporary, 5);
            edited = practice->engine().currentRow();
            practice->onCommand(res::practice_dlg::kModify, 0);
            pausedAfterModify = practice->engine().paused();
            practice->onCommand(2, 0);   // the close button: the run ends
            return practice->result();
        }
        if (auto* modify = dynamic_cast<CMyAddModifyDialog*>(&d)) {
            ui::control<QLineEdit>(modify, CMyAddModifyDialog::kWord)->setText(QStringLiteral("edited"));
            modify->onCommand(CMyAddModifyDialog::kAccept, 0);
            return modify->result();
        }
        ADD_FAILURE() << "unexpected dialog " << d.metaObject()->className();
        return int(QDialog::Rejected);
    };
    book->onCommand(cmd::kLearn, 0);
    ui.modalHook = nullptr;

    EXPECT_EQ(opened, (QStringList{QStringLiteral("lex::CMyMemSet"), QStringLiteral("lex::CMyPracticeDialog"),
                                   QStringLiteral("lex::CMyAddModifyDialog")}));
    EXPECT_TRUE(hiddenDuringRun);
    EXPECT_TRUE(w.isVisible());
    ASSERT_GE(edited, 0);
    ASSERT_LT(edited, 12);
    EXPECT_EQ(book->session().book().atView(edited)->word().toString(), QStringLiteral("edited"));
    EXPECT_EQ(list->model()->index(edited, 1).data().toString(), QStringLiteral("edited"));
    // An accepted 修改 resumes the run.
    EXPECT_FALSE(pausedAfterModify);
    // Announced: the run start (rows 0-11), the edited row, the run end (rows 0-11 again).
    ASSERT_EQ(changed.size(), 3);
    EXPECT_EQ(changed.at(0), (QList<QVariant>{0, 11}));
    EXPECT_EQ(changed.at(1), (QList<QVariant>{edited, edited}));
    EXPECT_EQ(changed.at(2), (QList<QVariant>{0, 11}));
    EXPECT_TRUE(book->statusAnimation().isActive(StatusAnimation::kStartTimer));
}
