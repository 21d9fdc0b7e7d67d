// A practice command from the word-book window, driven through its dialogs: the run start clears
// the temporary degree through the session, the outer window is hidden while the run lasts, 修改
// edits the practised entry through the add/modify dialog, and the run's rows are announced once
// it ends.
#include "session_probe.h"
#include "app_test_support.h"

#include "common/ui/template_builder.h"
#include "lexora/app/lexora_dlg.h"
#include "lexora/app/main_dialog.h"
#include "lexora/app/status_animation.h"
#include "lexora/app/word_book_session.h"
#include "lexora/book/book_session.h"
#include "lexora/practice/practice_dialog.h"
#include "lexora/practice/practice_setup_dialog.h"
#include "lexora/record/review_record.h"
#include "lexora/wordlist/add_modify_dialog.h"
#include "lexora/wordlist/my_list_ctrl.h"
#include "resources/resources.h"

#include <QDir>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
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
        lextest::writableBook(book->session()).atView(r)->temporary = 5;   // left over from an earlier run
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

namespace {

struct Given {
    QString word;
    PracticeMode mode;
    AnswerOutcome outcome;
    bool operator==(const Given& o) const { return word == o.word && mode == o.mode && outcome == o.outcome; }
};

// Runs one practice command over the first ten rows to its end through the practice window. The
// first eight questions are answered in turn right, wrong, 不知道 and not at all (the time runs
// out), the first six dictations alternately right and wrong; then every answer is right, so that
// the run ends. Every answer takes kThinkMs on `clock`. Returns each answer as given.
constexpr int kThinkMs = 1500;
std::vector<Given> practiseToTheEnd(CMainDialog& w, apptest::CheckingServices& ui, FixedClock& clock, int command)
{
    CLexoraDlg* book = w.wordBook();
    CMyListCtrl* list = book->list();
    list->clearSelection();
    for (int r = 0; r < 10; ++r)
        list->selectionModel()->select(list->model()->index(r, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    std::vector<Given> given;
    ui.modalHook = [&](QDialog& d) {
        if (auto* setup = dynamic_cast<CMyMemSet*>(&d)) {
            setup->onCommand(1, 0);   // 开始
            return setup->result();
        }
        auto* practice = dynamic_cast<CMyPracticeDialog*>(&d);
        if (!practice) {
            ADD_FAILURE() << "unexpected dialog " << d.metaObject()->className();
            return int(QDialog::Rejected);
        }
        PracticeEngine& e = practice->engine();
        const PracticeMode mode = e.settings().mode;
        for (int n = 0; !e.finished() && n < 500; ++n) {
            const QString word = e.currentWord();
            clock.advanceMs(kThinkMs);
            if (mode == PracticeMode::Dictate) {
                const bool right = n % 2 == 0 || n >= 6;
                e.dictationTextChanged(right ? word : QStringLiteral("?"));
                e.CheckDictation();
                given.push_back({word, mode, right ? AnswerOutcome::Right : AnswerOutcome::Wrong});
                continue;
            }
            const int kind = n < 8 ? n % 4 : 0;
            if (kind < 2 && !e.revealed())
                e.answer(0);   // the first press shows the choices
            if (kind == 0)
                e.answer(e.correctSlot());
            else if (kind == 1)
                e.answer(e.correctSlot() == 0 ? 1 : 0);
            else if (kind == 2)
                e.dontKnow();
            for (int t = 0; !e.answered() && t < 20; ++t)
                practice->tick();
            given.push_back({word, mode, kind == 0 ? AnswerOutcome::Right
                                         : kind == 1 ? AnswerOutcome::Wrong
                                                     : AnswerOutcome::DontKnow});
            for (int t = 0; e.answered() && !e.finished() && t < 20; ++t)
                practice->tick();
        }
        EXPECT_TRUE(e.finished());
        return int(QDialog::Accepted);
    };
    book->onCommand(command, 0);
    ui.modalHook = nullptr;
    return given;
}

// The program on a Book of 15 words, its clock standing still until a test moves it.
struct Program {
    lextest::TempDir dir;
    apptest::ProgramFolder pf = apptest::makeProgramFolder(dir, 15);
    apptest::CheckingServices ui;
    FixedClock clock{QDateTime(QDate(2026, 5, 6), QTime(7, 8))};
    CMainDialog w{withClock(apptest::testServices(&ui), &clock), pf.folder};

    static AppServices withClock(AppServices s, Clock* clock)
    {
        s.clock = clock;
        return s;
    }
};

QString recordFile(CMainDialog& w)
{
    const Book& b = w.wordBook()->session().book();
    return ReviewRecord::fileFor(b.path, b.name);
}

} // namespace

TEST(PracticeRecord, EveryAnswerOfARunIsRecordedOnceWithItsModeAndOutcome)
{
    const struct {
        int command;
        PracticeMode mode;
    } cases[] = {{cmd::kLearn, PracticeMode::Learn}, {cmd::kDrill, PracticeMode::Drill},
                 {cmd::kListen, PracticeMode::Listen}, {cmd::kDictate, PracticeMode::Dictate}};
    for (const auto& c : cases) {
        SCOPED_TRACE(practiceModeName(c.mode).toStdString());
        Program p;
        ASSERT_TRUE(p.w.initialise());
        p.w.show();
        const std::vector<Given> given = practiseToTheEnd(p.w, p.ui, p.clock, c.command);
        ASSERT_GE(given.size(), 10u);
        for (const Given& g : given)
            ASSERT_EQ(g.mode, c.mode);

        ReviewRecord record;
        ASSERT_TRUE(record.open(recordFile(p.w), ReviewRecord::Mode::ReadOnly));
        std::vector<Given> recorded;
        ASSERT_TRUE(record.forEachAnswer([&](const ReviewRecord::Answer& a) {
            EXPECT_EQ(a.durationMs, kThinkMs);
            EXPECT_EQ(a.skill, skillOf(c.mode));
            recorded.push_back({a.key.word, a.mode, a.outcome});
            return true;
        }));
        EXPECT_TRUE(recorded == given) << recorded.size() << " recorded, " << given.size() << " given";
        // A sound record is not worth a word to the learner.
        for (const QString& m : p.ui.messages())
            EXPECT_FALSE(m.contains(QStringLiteral("学习记录"))) << m.toStdString();
    }
}

TEST(PracticeRecord, ARecordThatCannotBeOpenedIsToldOnceAndTheRunGoesOn)
{
    Program p;
    ASSERT_TRUE(p.w.initialise());
    p.w.show();
    ASSERT_TRUE(QDir().mkpath(recordFile(p.w)));   // a folder where the record would be

    for (int run = 0; run < 2; ++run)
        EXPECT_GE(practiseToTheEnd(p.w, p.ui, p.clock, cmd::kLearn).size(), 10u) << run;
    int told = 0, finished = 0;
    for (const QString& m : p.ui.messages()) {
        told += m.contains(QStringLiteral("学习记录"));
        finished += m == QStringLiteral("已完成");
    }
    EXPECT_EQ(told, 1) << p.ui.messages().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(finished, 2);
    EXPECT_TRUE(QFileInfo(recordFile(p.w)).isDir());
}

TEST(PracticeRecord, ReviewStampsFromTheListAreRecordedWithTheirKind)
{
    Program p;
    ASSERT_TRUE(p.w.initialise());
    p.w.show();
    CMyListCtrl* list = p.w.wordBook()->list();
    list->setCurrentIndex(list->model()->index(2, 0));
    QTest::keyClick(list, Qt::Key_Space);
    const QPoint phonetic = list->visualRect(list->model()->index(4, 3)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, phonetic);

    ReviewRecord record;
    ASSERT_TRUE(record.open(recordFile(p.w), ReviewRecord::Mode::ReadOnly));
    QStringList stamps;
    ASSERT_TRUE(record.forEachStamp([&](const ReviewRecord::Stamp& s) {
        stamps << s.key.word + QLatin1Char(s.kind == StampKind::Space ? ' ' : '/');
        return true;
    }));
    EXPECT_EQ(stamps, (QStringList{QStringLiteral("w2 "), QStringLiteral("w4/")}));
}
