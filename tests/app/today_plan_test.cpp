// 今日计划 from the word-book window, offscreen with scripted dialogs: a Book with a plan opens on
// it, its button selects today's words and opens the practice chosen, 保存计划 keeps the numbers
// beside the Book and shows the plan again, the status line follows, and a plan file that is not
// ours is set aside with one message and no plan.
#include "app_test_support.h"

#include "common/platform/sources.h"
#include "common/ui/menu_resource.h"
#include "common/ui/template_builder.h"
#include "lexora/app/lexora_dlg.h"
#include "lexora/app/main_dialog.h"
#include "lexora/book/book_file.h"
#include "lexora/practice/practice_setup_dialog.h"
#include "lexora/practice/today_plan_dialog.h"
#include "lexora/record/review_record.h"
#include "lexora/wordlist/my_list_ctrl.h"
#include "resources/resources.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

using namespace lex;

namespace {

const QDate kToday(2026, 6, 12);

class TodayPlanWindow : public ::testing::Test {
protected:
    void start(const QByteArray& planFile)
    {
        if (pf.folder.isEmpty())
            pf = apptest::makeProgramFolder(dir, 40);
        if (!planFile.isNull())
            writeFile(planPath(), planFile);
        AppServices s = apptest::testServices(&ui);
        s.clock = &clock;
        w = std::make_unique<CMainDialog>(s, pf.folder);
        ui.modalHook = [this](QDialog& d) { return script(d); };
        ASSERT_TRUE(w->initialise());
        replaysAtStart = book()->controller().record().studyFullReplays();
        w->show();
        QCoreApplication::processEvents(); // the plan a Book opens on comes once the window is up
    }
    void TearDown() override { ui.modalHook = nullptr; }
    int script(QDialog& d)
    {
        opened << QString::fromLatin1(d.metaObject()->className());
        if (auto* plan = dynamic_cast<TodayPlanDialog*>(&d)) {
            newText << ui::control<QLabel>(plan, res::plan_dlg::kNewCount)->text();
            if (!planActions.empty()) {
                const auto act = planActions.front();
                planActions.erase(planActions.begin());
                act(*plan);
            } else {
                QTest::keyClick(plan, Qt::Key_Escape);
            }
            return d.result();
        }
        if (auto* setup = dynamic_cast<CMyMemSet*>(&d)) {
            selectedAtSetup = w->wordBook()->list()->selectedRows();
            setupTitle = setup->windowTitle();
            setupStartEnabled = setup->startEnabled();
            setup->onCommand(acceptSetup ? ui::IDOK : ui::IDCANCEL, 0);
            return setup->result();
        }
        return int(QDialog::Rejected);
    }
    CLexoraDlg* book() const { return w->wordBook(); }
    QString planPath(const char* suffix = "") const { return pf.bookPath + QStringLiteral("English.plan") + QLatin1String(suffix); }
    static void writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static QByteArray readFile(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    lextest::TempDir dir;
    apptest::ProgramFolder pf;
    apptest::CheckingServices ui;
    FixedClock clock{QDateTime(kToday, QTime(9, 0))};
    std::unique_ptr<CMainDialog> w;
    QStringList opened, newText;
    std::vector<std::function<void(TodayPlanDialog&)>> planActions;
    std::vector<int> selectedAtSetup;
    QString setupTitle;
    bool setupStartEnabled = false;
    int replaysAtStart = -1; // the record's answers replayed before the window was up
    bool acceptSetup = false; // 开始 in the set-up (the practice window that follows is closed at once)
};

} // namespace

TEST_F(TodayPlanWindow, ABookWithAPlanOpensOnItAndItsButtonStartsTodaysWords)
{
    // Two words answered yesterday: the next twelve in Book order are today's.
    pf = apptest::makeProgramFolder(dir, 40);
    {
        Book b;
        b.path = pf.bookPath;
        b.name = QStringLiteral("English");
        ASSERT_TRUE(LoadBook(b).readError.isEmpty());
        ReviewRecord r;
        ASSERT_TRUE(r.open(ReviewRecord::fileFor(b.path, b.name)));
        for (int i : {0, 1})
            ASSERT_TRUE(r.recordAnswer(EntryKey::of(*b.full()[size_t(i)]), PracticeMode::Learn, AnswerOutcome::Right,
                                       QDateTime(kToday.addDays(-1), QTime(20, i)), 900));
    }
    planActions.push_back([](TodayPlanDialog& d) {
        // 强记, then the one button.
        auto* modes = ui::control<QComboBox>(&d, res::plan_dlg::kMode);
        modes->setCurrentIndex(1);
        QTest::mouseClick(ui::control<QAbstractButton>(&d, res::plan_dlg::kStart), Qt::LeftButton);
    });
    start("LexoraPlan 1\nnew=12\nreviews=50\nsince=2026-06-11\n");
    EXPECT_EQ(opened, (QStringList{QStringLiteral("lex::TodayPlanDialog"), QStringLiteral("lex::CMyMemSet")}));
    EXPECT_EQ(newText, QStringList{QStringLiteral("0/12")});
    std::vector<int> expected;
    for (int i = 2; i < 14; ++i)
        expected.push_back(i);
    EXPECT_EQ(selectedAtSetup, expected);
    EXPECT_EQ(setupTitle, QStringLiteral("强记"));
    EXPECT_EQ(book()->paneText(3), QStringLiteral("今日 新词 0/12 复习 0/0"));
    EXPECT_TRUE(ui.messages().isEmpty()) << ui.messages().join(QLatin1Char('|')).toStdString();
    // The record is replayed once the window is up, and once for the status line and the plan.
    EXPECT_EQ(replaysAtStart, 0);
    EXPECT_EQ(book()->controller().record().studyFullReplays(), 1);
}

TEST_F(TodayPlanWindow, SavingThePlanKeepsItBesideTheBookAndShowsItAgain)
{
    start(QByteArray()); // no plan: nothing opens with the Book
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_TRUE(book()->paneText(3).isEmpty());
    planActions.push_back([](TodayPlanDialog& d) {
        ui::control<QLineEdit>(&d, res::plan_dlg::kNewPerDay)->setText(QStringLiteral("15"));
        ui::control<QLineEdit>(&d, res::plan_dlg::kReviewCap)->setText(QStringLiteral("80"));
        QTest::mouseClick(ui::control<QAbstractButton>(&d, res::plan_dlg::kSavePlan), Qt::LeftButton);
    });
    // The item of 练习 reaches the window by its number.
    const ui::MenuResource& menu = res::menu(res::IDR_MAIN_MENU);
    QMenu* practice = ui::buildMenu(menu.popups[2], w.get(), nullptr);
    QAction* item = nullptr;
    for (QAction* a : practice->actions())
        if (a->data().toInt() == cmd::kTodayPlan)
            item = a;
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), QStringLiteral("今日计划"));
    item->trigger();
    delete practice;
    EXPECT_EQ(newText, (QStringList{QStringLiteral("0/20"), QStringLiteral("0/15")}));
    EXPECT_EQ(readFile(planPath()), "LexoraPlan 1\nnew=15\nreviews=80\nsince=2026-06-12\n");
    EXPECT_EQ(book()->paneText(3), QStringLiteral("今日 新词 0/15 复习 0/0"));
}

TEST_F(TodayPlanWindow, APlanFileNotOursIsSetAsideWithOneMessage)
{
    start("<plan>no</plan>");
    EXPECT_TRUE(opened.isEmpty());
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_TRUE(ui.messages().front().contains(QStringLiteral("English.plan.bad"))) << ui.messages().front().toStdString();
    EXPECT_EQ(readFile(planPath(".bad")), "<plan>no</plan>");
    EXPECT_FALSE(QFile::exists(planPath()));
    EXPECT_TRUE(book()->paneText(3).isEmpty());
}

TEST_F(TodayPlanWindow, ThePlansButtonStartsWithFewerThanTenWordsTheOrdinarySetUpKeepsItsMinimum)
{
    // Three new words a day: fewer than the ten the ordinary set-up asks for.
    planActions.push_back([](TodayPlanDialog& d) {
        QTest::mouseClick(ui::control<QAbstractButton>(&d, res::plan_dlg::kStart), Qt::LeftButton);
    });
    acceptSetup = true;
    start("LexoraPlan 1\nnew=3\nreviews=50\nsince=2026-06-12\n");
    EXPECT_EQ(selectedAtSetup, (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(setupStartEnabled) << "the plan's button starts with today's three words";
    EXPECT_EQ(opened, (QStringList{QStringLiteral("lex::TodayPlanDialog"), QStringLiteral("lex::CMyMemSet"),
                                   QStringLiteral("lex::CMyPracticeDialog")}));

    // The same three words through 初记 of the menu: the set-up's own rule stands.
    acceptSetup = false;
    opened.clear();
    w->wordBook()->list()->setFocus();
    w->onCommand(cmd::kLearn, 0);
    EXPECT_EQ(opened, QStringList{QStringLiteral("lex::CMyMemSet")});
    EXPECT_EQ(selectedAtSetup, (std::vector<int>{0, 1, 2}));
    EXPECT_FALSE(setupStartEnabled);
}
