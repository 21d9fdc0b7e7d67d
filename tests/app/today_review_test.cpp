// 今日复习 from the word-book window, offscreen with scripted dialogs: the menu item reaches the
// window, the dialog shows the due counts of the three degrees, each button selects exactly the
// due rows through the list and opens the set-up of its practice (with its 10-to-100 rule), and
// the dialog is used from the keyboard.
#include "session_probe.h"
#include "app_test_support.h"

#include "common/platform/sources.h"
#include "common/ui/menu_resource.h"
#include "common/ui/template_builder.h"
#include "lexora/app/lexora_dlg.h"
#include "lexora/app/main_dialog.h"
#include "lexora/app/word_book_session.h"
#include "lexora/book/book_file.h"
#include "lexora/practice/practice_dialog.h"
#include "lexora/practice/practice_setup_dialog.h"
#include "lexora/practice/today_review_dialog.h"
#include "lexora/wordlist/my_list_ctrl.h"
#include "resources/resources.h"

#include <QAbstractButton>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

using namespace lex;

namespace {

constexpr int kRows = 130;
const QDate kReviewed(2026, 6, 10);
const QDate kToday(2026, 6, 12);   // two days later

// Recognition i % 11: due at 7..10 (two days reach their interval). Spelling 10 for the first
// 105 rows, 0 after. Listening 10 on six rows, 0 elsewhere.
bool recognitionDue(int i) { return i % 11 >= 7; }
bool listeningDue(int i) { return i % 25 == 3; }

void writeReviewBook(const QString& folder)
{
    Book book;
    book.path = folder;
    book.name = QStringLiteral("English");
    for (int i = 0; i < kRows; ++i) {
        auto e = std::make_unique<WordEntry>();
        e->setWord(QStringLiteral("w%1").arg(i));
        e->setExplanation(QStringLiteral("e%1").arg(i));
        e->stored.recognition = uint8_t(i % 11);
        e->stored.spelling = i < 105 ? 10 : 0;
        e->stored.listening = listeningDue(i) ? 10 : 0;
        e->stored.review = toEntryTime(QDateTime(kReviewed, QTime(12, 0)));
        e->stored.added = e->stored.review;
        book.AddEntry(std::move(e), AddMode::Loaded);
    }
    book.textChanged = true;
    ASSERT_TRUE(saveBook(book).ok());
}

std::vector<int> expectedRows(bool (*due)(int))
{
    std::vector<int> rows;
    for (int i = 0; i < kRows; ++i)
        if (due(i))
            rows.push_back(i);
    return rows;
}

class TodayReview : public ::testing::Test {
protected:
    void SetUp() override
    {
        pf = apptest::makeProgramFolder(dir, 1);
        writeReviewBook(pf.bookPath);
        AppServices s = apptest::testServices(&ui);
        s.clock = &clock;
        w = std::make_unique<CMainDialog>(s, pf.folder);
        ASSERT_TRUE(w->initialise());
        ui.base.clear();
        w->show();
        ASSERT_EQ(list()->itemCount(), kRows);
    }
    CLexoraDlg* book() const { return w->wordBook(); }
    CMyListCtrl* list() const { return w->wordBook()->list(); }
    static QString countText(QDialog& d, int id) { return ui::control<QLabel>(&d, id)->text(); }

    lextest::TempDir dir;
    apptest::ProgramFolder pf;
    apptest::CheckingServices ui;
    FixedClock clock{QDateTime(kToday, QTime(9, 0))};
    std::unique_ptr<CMainDialog> w;
};

} // namespace

TEST_F(TodayReview, MenuItemOpensTheDialogWithTheDueCounts)
{
    // The item stands after the practices in 练习 (学习统计 follows it) and reaches the window by
    // its command number.
    const ui::MenuResource& menu = res::menu(res::IDR_MAIN_MENU);
    QMenu* practice = ui::buildMenu(menu.popups[2], w.get(), nullptr);
    QAction* item = practice->actions().at(practice->actions().size() - 2);
    EXPECT_EQ(item->data().toInt(), cmd::kTodayReview);
    EXPECT_EQ(item->text(), QStringLiteral("今日复习"));

    list()->selectRows({0, 1, 2});
    QStringList opened;
    ui.modalHook = [&](QDialog& d) {
        opened << QString::fromLatin1(d.metaObject()->className());
        EXPECT_EQ(d.windowTitle(), QStringLiteral("今日复习"));
        EXPECT_EQ(countText(d, res::review_dlg::kRecognitionCount), QString::number(expectedRows(recognitionDue).size()));
        EXPECT_EQ(countText(d, res::review_dlg::kSpellingCount), QStringLiteral("105"));
        EXPECT_EQ(countText(d, res::review_dlg::kListeningCount), QStringLiteral("6"));
        for (int id : {res::review_dlg::kRecognitionStart, res::review_dlg::kSpellingStart, res::review_dlg::kListeningStart})
            EXPECT_TRUE(ui::control<QAbstractButton>(&d, id)->isEnabled()) << id;
        // Esc closes it and nothing else happens.
        QTest::keyClick(&d, Qt::Key_Escape);
        return d.result();
    };
    item->trigger();
    ui.modalHook = nullptr;
    delete practice;
    EXPECT_EQ(opened, QStringList{QStringLiteral("lex::TodayReviewDialog")});
    EXPECT_EQ(list()->selectedRows(), (std::vector<int>{0, 1, 2}));
}

TEST_F(TodayReview, EachButtonSelectsItsDueRowsAndOpensItsPractice)
{
    struct Case {
        int button;
        std::vector<int> rows;
        QString setupTitle;
        bool startEnabled;
    };
    const Case cases[] = {
        {res::review_dlg::kRecognitionStart, expectedRows(recognitionDue), QStringLiteral("初记"), true},
        {res::review_dlg::kSpellingStart, expectedRows([](int i) { return i < 105; }), QStringLiteral("拼写"), true},
        // Six due: the set-up explains the 10-word minimum and cannot start.
        {res::review_dlg::kListeningStart, expectedRows(listeningDue), QStringLiteral("听辨"), false},
    };
    for (const Case& c : cases) {
        list()->selectRows({kRows - 1});   // whatever was selected before is replaced
        QStringList opened;
        std::vector<int> selectedAtSetup;
        ui.modalHook = [&](QDialog& d) {
            opened << QString::fromLatin1(d.metaObject()->className());
            if (dynamic_cast<TodayReviewDialog*>(&d)) {
                QTest::mouseClick(ui::control<QAbstractButton>(&d, c.button), Qt::LeftButton);
                return d.result();
            }
            if (auto* setup = dynamic_cast<CMyMemSet*>(&d)) {
                selectedAtSetup = list()->selectedRows();
                EXPECT_EQ(setup->windowTitle(), c.setupTitle);
                EXPECT_EQ(ui::control<QLineEdit>(setup, res::setup_dlg::kWordCount)->text(),
                          QString::number(c.rows.size()));
                EXPECT_EQ(setup->startEnabled(), c.startEnabled);
                setup->onCommand(ui::IDCANCEL, 0);   // 退出
                return setup->result();
            }
            ADD_FAILURE() << "unexpected dialog " << d.metaObject()->className();
            return int(QDialog::Rejected);
        };
        book()->onCommand(cmd::kTodayReview, 0);
        ui.modalHook = nullptr;
        EXPECT_EQ(opened, (QStringList{QStringLiteral("lex::TodayReviewDialog"), QStringLiteral("lex::CMyMemSet")}))
            << c.setupTitle.toStdString();
        EXPECT_EQ(selectedAtSetup, c.rows) << c.setupTitle.toStdString();
        // The selection is the list's own: the status bar counts it, the first due row is current.
        EXPECT_EQ(book()->paneText(1), QStringLiteral("已选:%1").arg(c.rows.size()));
        EXPECT_EQ(list()->focusedRow(), c.rows.front());
    }
}

TEST_F(TodayReview, MoreThanAHundredDueRunsTheFirstHundredInListOrder)
{
    for (int r = 0; r < kRows; ++r)
        lextest::writableBook(book()->session()).atView(r)->temporary = 5;
    int practised = -1;
    ui.modalHook = [&](QDialog& d) {
        if (dynamic_cast<TodayReviewDialog*>(&d)) {
            ui::control<QAbstractButton>(&d, res::review_dlg::kSpellingStart)->click();
            return d.result();
        }
        if (auto* setup = dynamic_cast<CMyMemSet*>(&d)) {
            EXPECT_EQ(setup->windowTitle(), QStringLiteral("拼写"));
            setup->onCommand(ui::IDOK, 0);   // 开始
            return setup->result();
        }
        if (auto* run = dynamic_cast<CMyPracticeDialog*>(&d)) {
            EXPECT_EQ(run->engine().settings().mode, PracticeMode::Dictate);
            practised = 0;
            for (int r = 0; r < kRows; ++r)
                if (book()->book().atView(r)->temporary == 0)
                    ++practised;
            for (int r = 100; r < kRows; ++r)
                EXPECT_EQ(book()->book().atView(r)->temporary, 5) << r;
            run->onCommand(ui::IDCANCEL, 0);
            return run->result();
        }
        ADD_FAILURE() << "unexpected dialog " << d.metaObject()->className();
        return int(QDialog::Rejected);
    };
    book()->onCommand(cmd::kTodayReview, 0);
    ui.modalHook = nullptr;
    EXPECT_EQ(practised, 100);
}

TEST(TodayReviewDialog, KeyboardAndEmptyDegrees)
{
    // Nothing due for recognition: its button is off and Enter presses the first that has work.
    {
        TodayReviewDialog d({0, 12, 3});
        EXPECT_FALSE(ui::control<QAbstractButton>(&d, res::review_dlg::kRecognitionStart)->isEnabled());
        d.show();
        QTest::keyClick(&d, Qt::Key_Return);
        EXPECT_EQ(d.result(), QDialog::Accepted);
        EXPECT_EQ(d.chosen(), Skill::Spelling);
    }
    // Each button carries its letter (Alt+R, Alt+S, Alt+L; pressed for real in the end-to-end test).
    {
        TodayReviewDialog d({4, 12, 3});
        EXPECT_EQ(ui::control<QAbstractButton>(&d, res::review_dlg::kRecognitionStart)->shortcut(),
                  QKeySequence(Qt::ALT | Qt::Key_R));
        EXPECT_EQ(ui::control<QAbstractButton>(&d, res::review_dlg::kSpellingStart)->shortcut(),
                  QKeySequence(Qt::ALT | Qt::Key_S));
        EXPECT_EQ(ui::control<QAbstractButton>(&d, res::review_dlg::kListeningStart)->shortcut(),
                  QKeySequence(Qt::ALT | Qt::Key_L));
        // The focus starts on the first button with words to practise.
        d.show();
        EXPECT_EQ(d.focusWidget(), ui::findControl(&d, res::review_dlg::kRecognitionStart));
    }
    // Nothing due at all: a disabled button's command does nothing, Enter presses 关闭.
    {
        TodayReviewDialog d({0, 0, 0});
        d.show();
        d.onCommand(res::review_dlg::kSpellingStart, 0);
        EXPECT_TRUE(d.isVisible());
        QTest::keyClick(&d, Qt::Key_Return);
        EXPECT_FALSE(d.isVisible());
        EXPECT_EQ(d.result(), QDialog::Rejected);
        EXPECT_FALSE(d.chosen());
    }
    EXPECT_EQ(TodayReviewDialog::practiceFor(Skill::Recognition), PracticeMode::Learn);
    EXPECT_EQ(TodayReviewDialog::practiceFor(Skill::Spelling), PracticeMode::Dictate);
    EXPECT_EQ(TodayReviewDialog::practiceFor(Skill::Listening), PracticeMode::Listen);
}
