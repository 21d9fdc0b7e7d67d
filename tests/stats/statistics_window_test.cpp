// 学习统计 from the word-book window, offscreen with scripted answers: the command reaches the
// window by its number, the charts carry the figures of a small record written here, each page
// saves as PNG and CSV through the file chooser, the keyboard changes pages and closes, and a
// Book without a record says so and still shows what the Book holds. Closed while the record is
// read, the statistics hand nothing over.
#include "app_test_support.h"
#include "entry_builder.h"

#include "common/platform/sources.h"
#include "common/ui/menu_resource.h"
#include "common/ui/template_builder.h"
#include "lexora/app/lexora_dlg.h"
#include "lexora/app/main_dialog.h"
#include "lexora/book/book_file.h"
#include "lexora/record/review_record.h"
#include "lexora/stats/check_in_calendar.h"
#include "lexora/stats/statistics_window.h"
#include "resources/resources.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStackedBarSeries>
#include <QTabWidget>
#include <QTest>
#include <chrono>
#include <numeric>
#include <thread>
#include <gtest/gtest.h>

using namespace lex;
using Page = StudyStatistics::Page;

namespace {

constexpr int kRows = 30;
const QDate kToday(2026, 6, 12);

QDateTime addedAt(int i) { return QDateTime(QDate(2026, i < 10 ? 4 : 5, 1 + i % 10), QTime(8, i)); }
EntryKey keyOf(int i) { return {QStringLiteral("w%1").arg(i), toEntryTime(addedAt(i))}; }

// Ten words added in April 2026, twenty in May; recognition i % 11, spelling 10, listening 0.
void writeStatsBook(const QString& folder)
{
    Book book;
    book.path = folder;
    book.name = QStringLiteral("English");
    for (int i = 0; i < kRows; ++i) {
        auto e = std::make_unique<WordEntry>();
        e->setWord(QStringLiteral("w%1").arg(i));
        e->setExplanation(QStringLiteral("e%1").arg(i));
        e->stored.recognition = uint8_t(i % 11);
        e->stored.spelling = 10;
        e->stored.review = toEntryTime(QDateTime(kToday.addDays(-2), QTime(12, 0)));
        e->stored.added = toEntryTime(addedAt(i));
        book.AddEntry(std::move(e), AddMode::Loaded);
    }
    book.textChanged = true;
    ASSERT_TRUE(saveBook(book).ok());
}

// Yesterday w0-w4 right in 初记; today w0-w2 wrong in 强记, w5 and w6 right in 听写, w7 不知道 in 听辩.
void writeRecord(const QString& folder)
{
    struct A {
        int row;
        PracticeMode mode;
        AnswerOutcome outcome;
        int daysAgo;
    };
    std::vector<A> answers;
    for (int r = 0; r < 5; ++r)
        answers.push_back({r, PracticeMode::Learn, AnswerOutcome::Right, 1});
    for (int r = 0; r < 3; ++r)
        answers.push_back({r, PracticeMode::Drill, AnswerOutcome::Wrong, 0});
    answers.push_back({5, PracticeMode::Dictate, AnswerOutcome::Right, 0});
    answers.push_back({6, PracticeMode::Dictate, AnswerOutcome::Right, 0});
    answers.push_back({7, PracticeMode::Listen, AnswerOutcome::DontKnow, 0});
    ReviewRecord record;
    ASSERT_TRUE(record.open(ReviewRecord::fileFor(folder, QStringLiteral("English"))).ok());
    size_t next = 0;
    ASSERT_TRUE(record.recordAnswers([&](ReviewRecord::NewAnswer* a) {
        if (next == answers.size())
            return false;
        const A& x = answers[next];
        a->key = keyOf(x.row);
        a->mode = x.mode;
        a->outcome = x.outcome;
        a->at = localMs(QDateTime(kToday.addDays(-x.daysAgo), QTime(8, int(next))));
        a->durationMs = 1500;
        ++next;
        return true;
    }).ok());
}

std::vector<QChart*> chartsOn(QWidget* page)
{
    std::vector<QChart*> out;
    if (page)
        for (QChartView* v : page->findChildren<QChartView*>())
            out.push_back(v->chart());
    return out;
}

std::vector<double> barValues(QChart* chart, int set)
{
    auto* series = qobject_cast<QAbstractBarSeries*>(chart->series().value(0));
    std::vector<double> out;
    if (series && set < series->count())
        for (int i = 0; i < series->barSets()[set]->count(); ++i)
            out.push_back(series->barSets()[set]->at(i));
    return out;
}

double sum(const std::vector<double>& v) { return std::accumulate(v.begin(), v.end(), 0.0); }

class Statistics : public ::testing::Test {
protected:
    void open(bool withRecord)
    {
        pf = apptest::makeProgramFolder(dir, 1);
        writeStatsBook(pf.bookPath);
        if (withRecord)
            writeRecord(pf.bookPath);
        AppServices s = apptest::testServices(&ui);
        s.clock = &clock;
        w = std::make_unique<CMainDialog>(s, pf.folder);
        ASSERT_TRUE(w->initialise());
        ui.base.clear();
        w->show();
    }
    // Runs 学习统计 through the outer window's dispatch; `check` plays the learner's part.
    void runStatistics(const std::function<void(StatisticsWindow&)>& check)
    {
        int opened = 0;
        ui.modalHook = [&](QDialog& d) {
            auto* window = dynamic_cast<StatisticsWindow*>(&d);
            EXPECT_NE(window, nullptr) << d.metaObject()->className();
            if (!window)
                return int(QDialog::Rejected);
            ++opened;
            window->statistics().waitForRecord();
            window->show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
            check(*window);
            return d.result();
        };
        EXPECT_TRUE(w->onCommand(cmd::kStatistics, 0));
        ui.modalHook = nullptr;
        EXPECT_EQ(opened, 1);
    }

    lextest::TempDir dir;
    apptest::ProgramFolder pf;
    apptest::CheckingServices ui;
    FixedClock clock{QDateTime(kToday, QTime(18, 0))};
    std::unique_ptr<CMainDialog> w;
};

} // namespace

TEST_F(Statistics, MenuItemOpensChartsOfTheRecordAndEachPageSavesAsPngAndCsv)
{
    open(true);
    const ui::MenuResource& menu = res::menu(res::IDR_MAIN_MENU);
    std::unique_ptr<QMenu> practice(ui::buildMenu(menu.popups[2], w.get(), nullptr));
    EXPECT_EQ(practice->actions().last()->data().toInt(), cmd::kStatistics);
    EXPECT_EQ(practice->actions().last()->text(), QStringLiteral("学习统计"));

    runStatistics([&](StatisticsWindow& win) {
        EXPECT_EQ(win.windowTitle(), QStringLiteral("学习统计"));
        EXPECT_FALSE(ui::control<QLabel>(&win, StatisticsWindow::kNotice)->isVisible());
        EXPECT_EQ(win.currentPage(), Page::AnswersMonth);

        // Answers of the last 30 days, one chart per skill, right and wrong stacked per day.
        const std::vector<QChart*> month = chartsOn(win.pageContent(Page::AnswersMonth));
        ASSERT_EQ(month.size(), 3u);
        struct Day {
            int chart, set, daysAgo;
            double count;
        };
        for (const Day& d : {Day{0, 0, 1, 5}, Day{0, 1, 0, 3}, Day{0, 0, 0, 0}, Day{1, 0, 0, 2}, Day{2, 1, 0, 1}}) {
            const std::vector<double> v = barValues(month[size_t(d.chart)], d.set);
            ASSERT_EQ(v.size(), 30u);
            EXPECT_EQ(v[size_t(29 - d.daysAgo)], d.count) << d.chart << "/" << d.set << "/" << d.daysAgo;
            EXPECT_EQ(sum(v), d.chart == 0 && d.set == 0 ? 5 : d.count) << d.chart << "/" << d.set;
        }
        auto* days = qobject_cast<QBarCategoryAxis*>(month[0]->axes(Qt::Horizontal).value(0));
        ASSERT_NE(days, nullptr);
        EXPECT_EQ(days->titleText(), QStringLiteral("5月14日至6月12日"));
        EXPECT_EQ(days->categories().first(), QStringLiteral("14"));
        EXPECT_EQ(days->categories().at(18), QStringLiteral("1"));
        EXPECT_EQ(days->categories().last(), QStringLiteral("今天"));
        EXPECT_EQ(chartsOn(win.pageContent(Page::AnswersYear)).size(), 3u);
        // Every entry counts once per skill in the degrees; recall only where a skill has answers.
        const std::vector<QChart*> degrees = chartsOn(win.pageContent(Page::Degrees));
        ASSERT_EQ(degrees.size(), 1u);
        EXPECT_EQ(barValues(degrees[0], 1)[10], kRows); // spelling 10 everywhere
        const std::vector<QChart*> recall = chartsOn(win.pageContent(Page::Recall));
        ASSERT_EQ(recall.size(), 1u);
        EXPECT_EQ(sum(barValues(recall[0], 0)), 5);
        EXPECT_EQ(sum(barValues(recall[0], 1)), 2);
        EXPECT_EQ(sum(barValues(recall[0], 2)), 1);
        const std::vector<QChart*> added = chartsOn(win.pageContent(Page::Added));
        ASSERT_EQ(added.size(), 1u);
        EXPECT_EQ(barValues(added[0], 0), (std::vector<double>{10, 20}));
        EXPECT_EQ(chartsOn(win.pageContent(Page::Due)).size(), 1u);

        // The page shown goes out as a picture and as its figures; a name without a suffix gets one.
        const QString png = dir.path(QStringLiteral("answers.png")), csvStem = dir.path(QStringLiteral("answers"));
        ui.base.queueFileName(png);
        ui.base.queueFileName(csvStem);
        ui::control<QPushButton>(&win, StatisticsWindow::kSaveImage)->click();
        ui::control<QPushButton>(&win, StatisticsWindow::kSaveData)->click();
        QImage image;
        ASSERT_TRUE(image.loadFromData(dir.read(QStringLiteral("answers.png")), "PNG"));
        EXPECT_GT(image.width(), 300);
        EXPECT_GT(image.height(), 300);
        const QByteArray csvBytes = dir.read(QStringLiteral("answers.csv"));
        EXPECT_TRUE(csvBytes.startsWith("\xEF\xBB\xBF")); // UTF-8, marked for spreadsheet programs
        const QString csv = QString::fromUtf8(csvBytes.mid(3));
        EXPECT_TRUE(csv.startsWith(QStringLiteral("日期,认识答对,认识答错,拼写答对,拼写答错,听力答对,听力答错\r\n"))) << csv.left(80).toStdString();
        EXPECT_TRUE(csv.contains(QStringLiteral("\r\n2026-06-11,5,0,0,0,0,0\r\n2026-06-12,0,3,2,0,0,1\r\n")));
        EXPECT_EQ(csv.count(QStringLiteral("\r\n")), 31);

        // Pages by the keyboard, then Esc closes.
        auto* tabs = ui::control<QTabWidget>(&win, StatisticsWindow::kPages);
        QTest::keyClick(tabs->currentWidget(), Qt::Key_Tab, Qt::ControlModifier);
        EXPECT_EQ(win.currentPage(), Page::AnswersYear);
        QTest::keyClick(tabs->currentWidget(), Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(win.currentPage(), Page::AnswersMonth);
        QTest::keyClick(&win, Qt::Key_Escape);
        EXPECT_FALSE(win.isVisible());
    });
    EXPECT_TRUE(ui.messages().isEmpty()) << ui.messages().join(QLatin1Char('|')).toStdString();
}

TEST_F(Statistics, ABookWithoutARecordSaysSoAndShowsWhatTheBookHolds)
{
    open(false);
    const QString recordFile = ReviewRecord::fileFor(pf.bookPath, QStringLiteral("English"));
    runStatistics([&](StatisticsWindow& win) {
        auto* notice = ui::control<QLabel>(&win, StatisticsWindow::kNotice);
        EXPECT_TRUE(notice->isVisible());
        EXPECT_TRUE(notice->text().startsWith(QStringLiteral("这个Book还没有学习记录"))) << notice->text().toStdString();
        EXPECT_EQ(win.currentPage(), Page::Degrees);
        auto* tabs = ui::control<QTabWidget>(&win, StatisticsWindow::kPages);
        for (Page p : {Page::AnswersMonth, Page::AnswersYear, Page::Recall}) {
            EXPECT_TRUE(chartsOn(win.pageContent(p)).empty()) << int(p);
            tabs->setCurrentIndex(int(p)); // nothing drawn, nothing to save
            EXPECT_FALSE(ui::control<QPushButton>(&win, StatisticsWindow::kSaveImage)->isEnabled()) << int(p);
            EXPECT_FALSE(ui::control<QPushButton>(&win, StatisticsWindow::kSaveData)->isEnabled()) << int(p);
        }
        const std::vector<QChart*> degrees = chartsOn(win.pageContent(Page::Degrees));
        ASSERT_EQ(degrees.size(), 1u);
        for (int skill = 0; skill < kSkillCount; ++skill)
            EXPECT_EQ(sum(barValues(degrees[0], skill)), kRows) << skill;
        EXPECT_EQ(chartsOn(win.pageContent(Page::Added)).size(), 1u);
        // Words due still follow the interval table, as 今日复习 does.
        const std::vector<QChart*> due = chartsOn(win.pageContent(Page::Due));
        ASSERT_EQ(due.size(), 1u);
        EXPECT_EQ(sum(barValues(due[0], 1)), kRows); // spelling 10: an interval beyond the two days
        QTest::keyClick(&win, Qt::Key_Escape);
    });
    // Looking never makes a record.
    EXPECT_FALSE(QFileInfo::exists(recordFile));
}

// Stopped at any point of the reading (by cancel() or by the destructor), the statistics hand
// nothing over; a new start reads the record to the end.
TEST_F(Statistics, StoppedWhileReadingHandsNothingOverAndANewStartReadsItAll)
{
    const QString folder = dir.path() + QLatin1Char('/');
    writeRecord(folder);
    std::vector<std::unique_ptr<WordEntry>> owned;
    StudyStatistics::Source source;
    for (int i = 0; i < kRows; ++i) {
        owned.push_back(lextest::entry(QStringLiteral("w%1").arg(i)));
        owned.back()->stored.added = keyOf(i).added;
        source.entries.push_back(owned.back().get());
    }
    source.recordFile = ReviewRecord::fileFor(folder, QStringLiteral("English"));
    source.today = kToday;

    int ready = 0;
    for (int i = 0; i < 24; ++i) {
        StudyStatistics stats;
        QObject::connect(&stats, &StudyStatistics::recordReady, [&] { ++ready; });
        stats.start(source);
        std::this_thread::sleep_for(std::chrono::microseconds(100 * (i % 12))); // a later point each time
        if (i % 2) {
            stats.cancel();
            QCoreApplication::processEvents();
            EXPECT_FALSE(stats.recordLoaded());
            EXPECT_EQ(stats.figures().answers.back().wrong[0], 0);
        }
    }
    QCoreApplication::processEvents(); // a hand-over queued before the destructor: gone with it
    EXPECT_EQ(ready, 0);

    StudyStatistics stats;
    stats.start(source);
    stats.cancel();
    stats.start(source);
    stats.waitForRecord();
    ASSERT_TRUE(stats.recordLoaded());
    EXPECT_TRUE(stats.recordError().isEmpty()) << stats.recordError().toStdString();
    const ReviewFigures::DayAnswers& today = stats.figures().answers.back();
    EXPECT_EQ(today.wrong, (std::array<int, kSkillCount>{3, 0, 1}));
    EXPECT_EQ(today.right, (std::array<int, kSkillCount>{0, 2, 0}));
    EXPECT_EQ(stats.figures().answers[size_t(ReviewFigures::kAnswerDays - 2)].right[0], 5);
}

// The calendar: a year of answers a square a day, the checked-in days of the plan marked, the
// streaks above; saved as a picture and as its days like the other pages.
TEST_F(Statistics, TheCalendarMarksTheCheckedInDaysOfThePlan)
{
    open(true);
    // Five new words a day from yesterday: yesterday's five done, today three so far.
    QFile plan(pf.bookPath + QStringLiteral("English.plan"));
    ASSERT_TRUE(plan.open(QIODevice::WriteOnly));
    plan.write("LexoraPlan 1\nnew=5\nreviews=50\nsince=2026-06-11\n");
    plan.close();
    w->wordBook()->controller().planner().bookOpened(w->wordBook()->controller().book());
    runStatistics([&](StatisticsWindow& win) {
        QWidget* page = win.pageContent(Page::Calendar);
        ASSERT_NE(page, nullptr);
        auto* calendar = page->findChild<CheckInCalendar*>();
        ASSERT_NE(calendar, nullptr);
        EXPECT_EQ(calendar->stateOf(kToday.addDays(-1)), CheckIn::Done);
        EXPECT_EQ(calendar->stateOf(kToday), CheckIn::Waiting);
        EXPECT_EQ(calendar->stateOf(kToday.addDays(-2)), CheckIn::Nothing);
        EXPECT_EQ(win.statistics().streaks().current, 1);
        EXPECT_EQ(calendar->shadeOf(6), 4); // today's six answers are the busiest day
        EXPECT_EQ(calendar->shadeOf(0), 0);
        auto* tabs = ui::control<QTabWidget>(&win, StatisticsWindow::kPages);
        tabs->setCurrentIndex(int(Page::Calendar));
        EXPECT_EQ(tabs->tabText(int(Page::Calendar)), QStringLiteral("打卡日历"));
        const QString png = dir.path(QStringLiteral("calendar.png")), csvFile = dir.path(QStringLiteral("calendar.csv"));
        ui.base.queueFileName(png);
        ui.base.queueFileName(csvFile);
        ui::control<QPushButton>(&win, StatisticsWindow::kSaveImage)->click();
        ui::control<QPushButton>(&win, StatisticsWindow::kSaveData)->click();
        QImage image;
        EXPECT_TRUE(image.loadFromData(dir.read(QStringLiteral("calendar.png")), "PNG"));
        const QString csv = QString::fromUtf8(dir.read(QStringLiteral("calendar.csv")).mid(3));
        EXPECT_TRUE(csv.startsWith(QStringLiteral("日期,答题数,打卡\r\n")));
        EXPECT_TRUE(csv.endsWith(QStringLiteral("\r\n2026-06-10,0,nothing\r\n2026-06-11,5,done\r\n2026-06-12,6,waiting\r\n")))
            << csv.right(120).toStdString();
        EXPECT_EQ(csv.count(QStringLiteral("\r\n")), 366);
        const QString shots = qEnvironmentVariable("LEXORA_SHOT_DIR");
        if (!shots.isEmpty())
            win.grab().save(shots + QStringLiteral("/stats_calendar.png"));
    });
}
