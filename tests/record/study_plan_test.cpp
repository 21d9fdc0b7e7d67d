// The daily plan and the check-in: the plan file beside a Book, the streak rules, the days
// replayed from answers (midnight, a clock change, a time zone), today's plan, the forecast against
// simulated learners, and lexbook plan and streak on a real Book.
#include "../book/book_helpers.h"

#include "common/platform/env.h"
#include "common/platform/sources.h"
#include "lexora/book/book_file.h"
#include "lexora/record/check_in.h"
#include "lexora/record/review_record.h"
#include "lexora/record/study_plan.h"
#include "lexora/record/study_record.h"
#include "temp_dir.h"
#include "time_zone.h"
#include "tool_run.h"
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimeZone>
#include <algorithm>
#include <climits>
#include <gtest/gtest.h>

namespace {

using lex::CheckIn;
using lex::PlanSettings;
using lex::StudyAnswer;
using lex::StudyDay;

TEST(StudyPlan, PlanFileIsReadOnlyWhenItIsOurs)
{
    struct Row {
        const char* what;
        QByteArray text;
        bool read;
        int newPerDay, reviewCap;
    };
    const Row rows[] = {
        {"ours", "LexoraPlan 1\nnew=15\nreviews=120\nsince=2026-03-01\n", true, 15, 120},
        {"CRLF, no since", "LexoraPlan 1\r\nnew=0\r\nreviews=5\r\n", true, 0, 5},
        {"another program's", "[Plan]\nnew=15\n", false, 0, 0},
        {"a key twice", "LexoraPlan 1\nnew=15\nnew=30\nreviews=1\n", false, 0, 0},
        {"an unknown key", "LexoraPlan 1\nnew=15\nreviews=1\ncolour=red\n", false, 0, 0},
        {"out of range", "LexoraPlan 1\nnew=-3\nreviews=1\n", false, 0, 0},
        {"too many new", "LexoraPlan 1\nnew=1001\nreviews=1\n", false, 0, 0},
        {"cut short", "LexoraPlan 1\nnew=15\n", false, 0, 0},
        {"a bad date", "LexoraPlan 1\nnew=1\nreviews=1\nsince=2026-02-30\n", false, 0, 0},
        {"binary", QByteArray("\0\1\2LexoraPlan 1", 15), false, 0, 0},
        {"huge", "LexoraPlan 1\nnew=1\nreviews=1\n" + QByteArray(5000, '\n'), false, 0, 0},
    };
    for (const Row& r : rows) {
        lextest::TempDir dir;
        const QString file = lex::planFileFor(dir.path() + QLatin1Char('/'), QStringLiteral("CET4"));
        dir.write(QStringLiteral("CET4.bad"), "unrelated");
        dir.write(QStringLiteral("CET4.plan"), r.text);
        if (!r.read)
            dir.write(QStringLiteral("CET4.plan.bad"), "set aside before"); // the next free name is taken
        const lex::PlanFileRead got = lex::readPlanFile(nullptr, file);
        EXPECT_TRUE(got.status.isOk()) << r.what;
        EXPECT_EQ(got.settings.has_value(), r.read) << r.what;
        if (r.read) {
            EXPECT_EQ(got.settings->newPerDay, r.newPerDay) << r.what;
            EXPECT_EQ(got.settings->reviewCap, r.reviewCap) << r.what;
            EXPECT_TRUE(got.setAsideTo.isEmpty()) << r.what;
            // Written back, it reads the same.
            PlanSettings back;
            ASSERT_TRUE(lex::parsePlanFile(lex::planFileText(*got.settings), &back)) << r.what;
            EXPECT_EQ(back, *got.settings) << r.what;
        } else {
            EXPECT_EQ(got.setAsideTo, file + QStringLiteral(".bad2")) << r.what;
            EXPECT_FALSE(dir.exists(QStringLiteral("CET4.plan"))) << r.what;
            EXPECT_EQ(dir.read(QStringLiteral("CET4.plan.bad2")), r.text) << r.what;
            EXPECT_EQ(dir.read(QStringLiteral("CET4.plan.bad")), "set aside before") << r.what;
            // Once aside, the Book simply has no plan: nothing more is said.
            const lex::PlanFileRead again = lex::readPlanFile(nullptr, file);
            EXPECT_FALSE(again.settings) << r.what;
            EXPECT_TRUE(again.setAsideTo.isEmpty()) << r.what;
        }
    }
}

// One letter a day: D done, T done twice over, M missed, N nothing planned, - before the plan; the
// last letter is today. States: d done, u made up, m missed, n nothing, w waiting.
std::vector<StudyDay> daysOf(const char* code)
{
    std::vector<StudyDay> days;
    int day = 2461000;
    for (const char* c = code; *c; ++c) {
        StudyDay d;
        d.day = day++;
        d.planned = *c != '-';
        if (d.planned && *c != 'N') {
            d.plannedNew = 10, d.twiceNew = 20, d.plannedReviews = 5, d.twiceReviews = 8;
            d.doneNew = *c == 'M' ? 9 : *c == 'T' ? 20 : 10;
            d.doneReviews = *c == 'T' ? 8 : 5;
        }
        days.push_back(d);
    }
    return days;
}

TEST(StudyPlan, StreakRules)
{
    struct Row {
        const char* days;
        const char* states;
        int current, longest;
    };
    const Row rows[] = {
        {"DDD", "ddd", 3, 3},
        {"DNND", "dnnd", 2, 2},           // nothing planned keeps the streak, adds nothing
        {"--DD", "nndd", 2, 2},           // before the plan was set
        {"DDMDD", "ddmdd", 2, 2},         // a missed day ends it
        {"DDMTD", "ddudd", 5, 5},         // made up by doing the next day's plan twice over
        {"DMTDMTD", "duddmdd", 2, 4},     // a second make-up within 7 days is refused
        {"DMTDDDDMTD", "dudddddmdd", 2, 7}, // six days after a make-up: still refused
        {"DMTDDDDDMTD", "duddddddudd", 11, 11}, // seven days after: allowed again
        {"DDM", "ddw", 2, 2},             // today is never missed
        {"DDMM", "ddww", 2, 2},           // yesterday may still be made up today
        {"DDMD", "ddwd", 3, 3},           // ... also after today's plan was done once
        {"DDMT", "ddud", 4, 4},
        {"MDDD", "mddd", 3, 3},
        {"N", "n", 0, 0},
        {"D", "d", 1, 1},
        {"DMMT", "dmud", 2, 2},           // only the day just before can be made up
    };
    for (const Row& r : rows) {
        const lex::Streaks s = lex::checkInStreaks(daysOf(r.days));
        std::string states;
        for (const lex::CheckInDay& d : s.days)
            states += "ndumw"[int(d.state)];
        EXPECT_EQ(states, r.states) << r.days;
        EXPECT_EQ(s.current, r.current) << r.days;
        EXPECT_EQ(s.longest, r.longest) << r.days;
    }
}

// The process runs in one named zone, as the program runs in the learner's.
class StudyDays : public lextest::BerlinZoneTest {
protected:
};

struct Given {
    int entry;
    QDateTime at; // an instant; recorded as the record does, in local wall-clock time
};

TEST_F(StudyDays, AnswersFallOnTheLocalDate)
{
    const QTimeZone berlin("Europe/Berlin");
    auto at = [&](int y, int m, int d, int h, int mi) { return QDateTime(QDate(y, m, d), QTime(h, mi), berlin); };
    struct Row {
        const char* what;
        QDate since, today;
        std::vector<Given> answers;
        std::vector<int> doneNew; // per day from `since`
        const char* states;
    };
    const Row rows[] = {
        {"midnight: 23:59 and 00:01 are two days", QDate(2026, 5, 4), QDate(2026, 5, 5),
         {{0, at(2026, 5, 4, 23, 58)}, {1, at(2026, 5, 4, 23, 59)}, {2, at(2026, 5, 5, 0, 1)}}, {2, 1}, "dw"},
        {"the spring change: 29 March has 23 hours", QDate(2026, 3, 29), QDate(2026, 3, 30),
         {{0, at(2026, 3, 29, 0, 30)}, {1, at(2026, 3, 29, 23, 30)}, {2, at(2026, 3, 30, 0, 10)}, {3, at(2026, 3, 30, 1, 0)}},
         {2, 2}, "dd"},
        {"the autumn change: 25 October has 25 hours", QDate(2026, 10, 25), QDate(2026, 10, 26),
         {{0, at(2026, 10, 25, 2, 30)}, {1, at(2026, 10, 25, 23, 59)}, {2, at(2026, 10, 26, 0, 0)}}, {2, 1}, "dw"},
        {"another zone: 22:30 UTC in summer is 00:30 here, the next day", QDate(2026, 7, 1), QDate(2026, 7, 2),
         {{2, QDateTime(QDate(2026, 7, 1), QTime(8, 0), QTimeZone("Asia/Shanghai"))},
          {0, QDateTime(QDate(2026, 7, 1), QTime(21, 0), QTimeZone::utc())},
          {1, QDateTime(QDate(2026, 7, 1), QTime(22, 30), QTimeZone::utc())}},
         {2, 1}, "dw"},
        {"an empty day between: missed, then made up", QDate(2026, 5, 4), QDate(2026, 5, 7),
         {{0, at(2026, 5, 4, 9, 0)}, {1, at(2026, 5, 4, 9, 1)}, {2, at(2026, 5, 6, 9, 0)}, {3, at(2026, 5, 6, 9, 1)},
          {4, at(2026, 5, 6, 9, 2)}, {5, at(2026, 5, 6, 9, 3)}},
         {2, 0, 4, 0}, "dudw"},
        {"a deleted entry's answer counts as an answer only", QDate(2026, 5, 4), QDate(2026, 5, 4),
         {{-1, at(2026, 5, 4, 9, 0)}}, {0}, "w"},
    };
    for (const Row& r : rows) {
        std::vector<StudyAnswer> answers;
        for (const Given& g : r.answers)
            answers.push_back({g.entry, lex::Skill::Recognition, true, lex::localMs(g.at)});
        PlanSettings plan;
        plan.newPerDay = 2;
        plan.reviewCap = 0; // reviews play no part here
        plan.since = r.since;
        const lex::StudyHistory h = lex::replayStudy(8, answers, plan, 0.9, r.today);
        ASSERT_EQ(h.days.size(), r.doneNew.size()) << r.what;
        int answered = 0;
        for (size_t i = 0; i < h.days.size(); ++i) {
            EXPECT_EQ(h.days[i].day, r.since.toJulianDay() + qint64(i)) << r.what;
            EXPECT_EQ(h.days[i].doneNew, r.doneNew[i]) << r.what << " day " << i;
            answered += h.days[i].answers;
        }
        EXPECT_EQ(answered, int(r.answers.size())) << r.what;
        std::string states;
        for (const lex::CheckInDay& d : lex::checkInStreaks(h.days).days)
            states += "ndumw"[int(d.state)];
        EXPECT_EQ(states, r.states) << r.what;
    }
}

TEST_F(StudyDays, TodaysPlanTakesNewWordsInBookOrderAndCapsTheReviews)
{
    const QDate day0(2026, 6, 1);
    auto at = [&](int d, int h) { return lex::localMs(QDateTime(day0.addDays(d), QTime(h, 0))); };
    PlanSettings plan;
    plan.newPerDay = 3;
    plan.reviewCap = 2;
    plan.since = day0;
    // Day 0: words 1, 3, 4, 5 answered right (new; due again two days later); word 0 wrong in
    // spelling (due the next day). Day 2: word 3 reviewed, word 7 first answered.
    const std::vector<StudyAnswer> answers = {
        {1, lex::Skill::Recognition, true, at(0, 9)}, {3, lex::Skill::Recognition, true, at(0, 9)},
        {4, lex::Skill::Recognition, true, at(0, 9)}, {5, lex::Skill::Recognition, true, at(0, 9)},
        {0, lex::Skill::Spelling, false, at(0, 10)},  {3, lex::Skill::Recognition, true, at(2, 8)},
        {7, lex::Skill::Recognition, true, at(2, 8)},
    };
    const lex::StudyHistory h = lex::replayStudy(10, answers, plan, 0.9, day0.addDays(2));
    const lex::TodayPlan& p = h.plan;
    EXPECT_EQ(p.practised, 5);
    EXPECT_EQ(p.reviewsDue, 5); // all five practised on day 0
    EXPECT_EQ(p.today.plannedReviews, 2);
    EXPECT_EQ(p.today.doneReviews, 1);
    EXPECT_EQ(p.reviewRows, (std::vector<int>{3, 0})); // the one done first, then Book order
    EXPECT_EQ(p.today.plannedNew, 3);
    EXPECT_EQ(p.today.doneNew, 1);
    EXPECT_EQ(p.newRows, (std::vector<int>{2, 6, 7}));
    EXPECT_EQ(p.rowsToDo(), (std::vector<int>{2, 6, 0}));
    EXPECT_EQ(h.days[0].doneNew, 5);
    EXPECT_EQ(h.days[1].plannedReviews, 1); // word 0, failed on day 0
    EXPECT_EQ(h.days[1].doneNew, 0);
    // Day 0 done, day 1 missed, today waiting for its make-up.
    const lex::Streaks s = lex::checkInStreaks(h.days);
    EXPECT_EQ(s.days[0].state, CheckIn::Done);
    EXPECT_EQ(s.days[1].state, CheckIn::Waiting);
}

// The plan's copy of a record, kept current answer by answer, gives what a replay of every answer
// gives, whatever comes between two looks: answers of the same day, days without any, a plan or a
// retention changed, the clock put back, an answer dated after the day looked at.
TEST_F(StudyDays, TheCopyKeptAnswerByAnswerGivesWhatAFullReplayGives)
{
    constexpr int kWords = 40;
    lex::Book book;
    for (int i = 0; i < kWords; ++i) {
        auto e = std::make_unique<lex::WordEntry>();
        e->setWord(QStringLiteral("w%1").arg(i));
        e->stored.added = lex::EntryTime{26, 1, 1, uint8_t(i % 24), uint8_t(i % 60)};
        book.AddEntry(std::move(e), lex::AddMode::Loaded);
    }
    lex::ReviewRecord none; // no record yet: the copy starts empty
    lex::StudyCache cache;
    ASSERT_TRUE(cache.fill(none, book));
    const QDate day0(2026, 6, 1);
    PlanSettings plan;
    plan.newPerDay = 4;
    plan.reviewCap = 6;
    plan.since = day0;
    double retention = 0.9;
    std::vector<StudyAnswer> all;
    lex::LcgRandom random(11);
    int64_t now = lex::localMs(QDateTime(day0, QTime(8, 0)));
    const auto same = [&](const lex::StudyHistory& a, const lex::StudyHistory& b) {
        if (a.days.size() != b.days.size() || a.plan.newRows != b.plan.newRows || a.plan.reviewRows != b.plan.reviewRows
            || a.plan.doneRows != b.plan.doneRows || a.plan.practised != b.plan.practised
            || a.plan.reviewsDue != b.plan.reviewsDue || a.memory.size() != b.memory.size())
            return false;
        for (size_t i = 0; i < a.days.size(); ++i) {
            const StudyDay &x = a.days[i], &y = b.days[i];
            if (x.day != y.day || x.answers != y.answers || x.plannedNew != y.plannedNew || x.doneNew != y.doneNew
                || x.plannedReviews != y.plannedReviews || x.doneReviews != y.doneReviews || x.twiceNew != y.twiceNew)
                return false;
        }
        for (size_t i = 0; i < a.memory.size(); ++i)
            if (a.memory[i].lastDay != b.memory[i].lastDay || a.memory[i].state.stability != b.memory[i].state.stability)
                return false;
        return true;
    };
    int looks = 0;
    for (int step = 0; step < 600; ++step) {
        const uint32_t what = lex::uniformDraw(random, 100);
        if (what < 70) { // an answer, mostly a few minutes on, now and then the next morning
            now += what < 60 ? 60000 * int64_t(1 + lex::uniformDraw(random, 30)) : 86400000;
            int64_t at = now;
            if (what == 0)
                at -= 3 * 86400000; // recorded with the clock put back
            const StudyAnswer a{int(lex::uniformDraw(random, kWords)), lex::Skill(lex::uniformDraw(random, 3)),
                                lex::uniformDraw(random, 10) < 8, at};
            const lex::WordEntry& e = *book.full()[size_t(a.entry)];
            cache.answered(lex::EntryKey::of(e), a.skill, a.right, a.at);
            all.insert(std::upper_bound(all.begin(), all.end(), a.at,
                                        [](int64_t t, const StudyAnswer& x) { return t < x.at; }),
                       a);
            continue;
        }
        if (what < 73)
            plan.newPerDay = 1 + int(lex::uniformDraw(random, 8));
        else if (what < 75)
            retention = retention == 0.9 ? 0.85 : 0.9;
        // Looked at today, or on a day before the last answer's (it then counts for that day).
        QDate today = QDateTime::fromMSecsSinceEpoch(now, QTimeZone::utc()).date();
        if (what >= 97)
            today = today.addDays(-1);
        ++looks;
        ASSERT_TRUE(same(cache.history(plan, retention, today), lex::replayStudy(kWords, all, plan, retention, today)))
            << "step " << step;
    }
    EXPECT_GT(looks, 100);
    EXPECT_LT(cache.fullReplays(), looks / 2) << "most looks replay only the answers since the last";
}

// Simulated learners: a Book of 20 to 300 new words, a pace, a cap and a retention each. The
// forecast (its own simulations) must lie within the middle 90 % of the learner's 50 simulated
// finish days for at least 95 % of learners. Here 80 learners; bench/plan_bench runs 1,000.
TEST(StudyPlan, ForecastLiesWithinTheSimulatedLearnersMiddle)
{
    lex::LcgRandom setup(7);
    const double retentions[] = {0.8, 0.85, 0.9, 0.95};
    const int learners = 80, runs = 50;
    int inside = 0, finished = 0;
    for (int l = 0; l < learners; ++l) {
        const int words = 20 + int(lex::uniformDraw(setup, 281));
        PlanSettings plan;
        plan.newPerDay = 5 + int(lex::uniformDraw(setup, 36));
        plan.reviewCap = 20 + int(lex::uniformDraw(setup, 181));
        const double retention = retentions[lex::uniformDraw(setup, 4)];
        const QDate today(2026, 3, 1);
        plan.since = today;
        const lex::StudyHistory h = lex::replayStudy(words, {}, plan, retention, today);
        lex::LcgRandom forecastRandom(1000 + l);
        const lex::Forecast f = lex::forecastFinish(h, plan, retention, forecastRandom);
        const lex::FsrsScheduler scheduler(retention);
        lex::LcgRandom learner(90000 + l);
        std::vector<int> finish;
        for (int r = 0; r < runs; ++r) {
            const std::optional<int> d = lex::simulateFinish(h.memory, plan, scheduler, int(today.toJulianDay()), 0, 0, learner);
            finish.push_back(d ? *d : INT_MAX);
        }
        std::sort(finish.begin(), finish.end());
        finished += finish[47] != INT_MAX;
        // The middle 90 % of 50: from the 3rd to the 48th; never finishing is the latest day.
        const int forecast = f.finishDay.value_or(INT_MAX);
        inside += forecast >= finish[2] && forecast <= finish[47];
    }
    EXPECT_GE(inside, learners * 95 / 100);
    EXPECT_GE(finished, learners * 8 / 10); // most such plans finish within the horizon
}

TEST(StudyPlan, NoNewWordsAndWordsLeftMeansNoForecast)
{
    PlanSettings plan;
    plan.newPerDay = 0;
    plan.since = QDate(2026, 3, 1);
    const lex::StudyHistory h = lex::replayStudy(5, {}, plan, 0.9, plan.since);
    lex::LcgRandom random(1);
    EXPECT_FALSE(lex::forecastFinish(h, plan, 0.9, random).finishDay);
    // An empty Book is learned today.
    const lex::StudyHistory empty = lex::replayStudy(0, {}, plan, 0.9, plan.since);
    EXPECT_EQ(lex::forecastFinish(empty, plan, 0.9, random).finishDay, plan.since.toJulianDay());
}

// lexbook plan and streak on a real Book with a record.
TEST(StudyPlan, LexbookPlanAndStreak)
{
    lextest::TempDir dir;
    lex::Book b;
    b.path = dir.path() + QLatin1Char('/');
    b.name = QStringLiteral("CET4");
    const char* words[] = {"abandon", "ability", "able", "aboard", "about", "above"};
    for (const char* w : words) {
        auto e = booktest::entry(QString::fromLatin1(w));
        e->stored.added = lex::toEntryTime(QDateTime(QDate(2026, 1, 1), QTime(7, 0)));
        b.AddEntry(std::move(e), lex::AddMode::Interactive);
    }
    ASSERT_TRUE(lex::saveBook(b).ok());
    const QString book = dir.path() + QStringLiteral("/CET4");
    const QDate day0(2026, 3, 1);

    // No plan yet: the default plan from today, said to be unset; nothing written.
    lextest::ToolRun r = lextest::lexbook({QStringLiteral("plan"), book, QStringLiteral("--date"), day0.toString(Qt::ISODate)});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
    EXPECT_FALSE(o[QStringLiteral("plan")].toObject()[QStringLiteral("set")].toBool());
    EXPECT_FALSE(dir.exists(QStringLiteral("CET4.plan")));

    // Set: two new words a day.
    r = lextest::lexbook({QStringLiteral("plan"), book, QStringLiteral("--date"), day0.toString(Qt::ISODate),
                          QStringLiteral("--new"), QStringLiteral("2"), QStringLiteral("--reviews"), QStringLiteral("50")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    o = QJsonDocument::fromJson(r.out.toUtf8()).object();
    EXPECT_EQ(o[QStringLiteral("plan")].toObject()[QStringLiteral("since")].toString(), QStringLiteral("2026-03-01"));
    EXPECT_EQ(o[QStringLiteral("new")].toObject()[QStringLiteral("words")].toArray(),
              (QJsonArray{QStringLiteral("abandon"), QStringLiteral("ability")}));
    EXPECT_EQ(o[QStringLiteral("words")].toInt(), 6);
    EXPECT_TRUE(o[QStringLiteral("forecast")].isString());

    // Day 0 done, day 1 missed, day 2 twice over: a make-up.
    {
        lex::ReviewRecord rec;
        ASSERT_TRUE(rec.open(lex::ReviewRecord::fileFor(b.path, b.name)));
        auto answer = [&](int i, int d) {
            ASSERT_TRUE(rec.recordAnswer(lex::EntryKey::of(*b.full()[size_t(i)]), lex::PracticeMode::Learn,
                                         lex::AnswerOutcome::Right, QDateTime(day0.addDays(d), QTime(9, i)), 1000));
        };
        answer(0, 0), answer(1, 0), answer(2, 2), answer(3, 2), answer(4, 2), answer(5, 2);
        answer(0, 2), answer(1, 2); // the reviews due on day 2
    }
    r = lextest::lexbook({QStringLiteral("streak"), book, QStringLiteral("--date"), day0.addDays(3).toString(Qt::ISODate)});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    o = QJsonDocument::fromJson(r.out.toUtf8()).object();
    QStringList states;
    for (const QJsonValue& d : o[QStringLiteral("days")].toArray())
        states << d.toObject()[QStringLiteral("state")].toString();
    EXPECT_EQ(states, (QStringList{"done", "madeUp", "done", "nothing"})) << r.out.toStdString();
    EXPECT_EQ(o[QStringLiteral("current")].toInt(), 3);
    EXPECT_EQ(o[QStringLiteral("longest")].toInt(), 3);

    // A damaged plan file: set aside with one message, the default plan used, the next run quiet.
    dir.write(QStringLiteral("CET4.plan"), "LexoraPlan 1\nnew=lots\n");
    r = lextest::lexbook({QStringLiteral("plan"), book, QStringLiteral("--date"), day0.toString(Qt::ISODate)});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("CET4.plan.bad"))) << r.err.toStdString();
    EXPECT_EQ(dir.read(QStringLiteral("CET4.plan.bad")), "LexoraPlan 1\nnew=lots\n");
    EXPECT_FALSE(QJsonDocument::fromJson(r.out.toUtf8()).object()[QStringLiteral("plan")].toObject()[QStringLiteral("set")].toBool());
    r = lextest::lexbook({QStringLiteral("streak"), book});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();

    // Bad options.
    r = lextest::lexbook({QStringLiteral("plan"), book, QStringLiteral("--new"), QStringLiteral("5000")});
    EXPECT_EQ(r.code, 2);
    r = lextest::lexbook({QStringLiteral("streak"), book, QStringLiteral("--new"), QStringLiteral("5")});
    EXPECT_EQ(r.code, 2);
}

} // namespace
