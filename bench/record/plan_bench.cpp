// The daily plan's forecast.
//
//  - ForecastCalibration: 1,000 simulated learners (a Book of 20 to 300 new words, a pace of 5 to
//    40 new words a day, a cap of 20 to 200 reviews, a retention of 0.80 to 0.95), each simulated
//    50 times with recall drawn from the memory model; the counter `inside` is the share of
//    learners whose forecast lies within the middle 90 % of their 50 finish days (it must be at
//    least 0.95), `finished` the share whose plans finish within the ten years simulated.
//  - PlanLargeBook: what opening a Book costs with a plan: the replay of a 20,000-word Book's
//    record (5 answers each over a year) and the forecast, as the 今日计划 window works them out.
//  - The same Book and its record in a file, as the program meets them:
//    OpenBookWithPlan: the status line's plan and the 今日计划 window with its forecast, with a
//    fresh record (the Book just opened); AfterARun: the status line's plan after a run of 20
//    answers; OpenBookStatusLine: the status line's plan alone (the forecast waits for 今日计划).
//    Each against its Baseline_ReadAndReplay, which reads and replays the whole record for every
//    look (the plan without the copy the record's listener keeps).
#include "lexora/book/book.h"
#include "lexora/record/book_record.h"
#include "lexora/record/check_in.h"
#include "lexora/record/review_record.h"
#include "lexora/record/study_plan.h"
#include "lexora/record/study_record.h"
#include "common/platform/sources.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <climits>
#include <vector>

namespace {

void ForecastCalibration(benchmark::State& state)
{
    const int learners = 1000, runs = 50;
    int inside = 0, finished = 0;
    for (auto _ : state) {
        inside = finished = 0;
        lex::LcgRandom setup(7);
        const double retentions[] = {0.8, 0.85, 0.9, 0.95};
        for (int l = 0; l < learners; ++l) {
            const int words = 20 + int(lex::uniformDraw(setup, 281));
            lex::PlanSettings plan;
            plan.newPerDay = 5 + int(lex::uniformDraw(setup, 36));
            plan.reviewCap = 20 + int(lex::uniformDraw(setup, 181));
            const double retention = retentions[lex::uniformDraw(setup, 4)];
            const QDate today(2026, 3, 1);
            plan.since = today;
            const lex::StudyHistory h = lex::replayStudy(words, {}, plan, retention, today);
            lex::LcgRandom forecastRandom(1000 + l);
            const int forecast = lex::forecastFinish(h, plan, retention, forecastRandom).finishDay.value_or(INT_MAX);
            const lex::FsrsScheduler scheduler(retention);
            lex::LcgRandom learner(90000 + l);
            std::vector<int> finish;
            for (int r = 0; r < runs; ++r)
                finish.push_back(lex::simulateFinish(h.memory, plan, scheduler, int(today.toJulianDay()), 0, 0, learner)
                                     .value_or(INT_MAX));
            std::sort(finish.begin(), finish.end());
            finished += finish[47] != INT_MAX;
            inside += forecast >= finish[2] && forecast <= finish[47];
        }
    }
    state.counters["inside"] = double(inside) / learners;
    state.counters["finished"] = double(finished) / learners;
}
BENCHMARK(ForecastCalibration)->Unit(benchmark::kSecond)->Iterations(1);

void PlanLargeBook(benchmark::State& state)
{
    const int words = 20000;
    const QDate today(2026, 12, 7);
    const QDate first = today.addDays(-365);
    std::vector<lex::StudyAnswer> answers;
    lex::LcgRandom random(3);
    // 60 new words a day for a year, each answered again 1, 3, 8 and 20 days later.
    for (int w = 0; w < words; ++w)
        for (int later : {0, 1, 3, 8, 20}) {
            const int day = std::min(w / 60 + later, 365);
            answers.push_back({w, lex::Skill::Recognition, lex::uniformDraw(random, 10) < 8,
                               (first.addDays(day).toJulianDay() - 2440588) * 86400000LL + w % 60 * 60000});
        }
    std::sort(answers.begin(), answers.end(), [](const auto& a, const auto& b) { return a.at < b.at; });
    lex::PlanSettings plan;
    plan.newPerDay = 60;
    plan.reviewCap = 300;
    plan.since = first;
    for (auto _ : state) {
        const lex::StudyHistory h = lex::replayStudy(words, answers, plan, 0.9, today);
        benchmark::DoNotOptimize(lex::checkInStreaks(h.days));
        lex::LcgRandom r(1);
        benchmark::DoNotOptimize(lex::forecastFinish(h, plan, 0.9, r));
    }
}
BENCHMARK(PlanLargeBook)->Unit(benchmark::kMillisecond);

// A 20,000-word Book and its record: 60 new words a day for a year, each answered again 1, 3, 8
// and 20 days later (100,000 answers), as in PlanLargeBook.
struct RecordedBook {
    static constexpr int kWords = 20000;
    QTemporaryDir dir;
    lex::Book book;
    QDate today{2026, 12, 7};
    lex::PlanSettings plan;
    QDateTime now;
    RecordedBook()
    {
        book.path = dir.path() + QLatin1Char('/');
        book.name = QStringLiteral("Big");
        for (int w = 0; w < kWords; ++w) {
            auto e = std::make_unique<lex::WordEntry>();
            e->setWord(QStringLiteral("word%1").arg(w));
            e->stored.added = lex::EntryTime{25, uint8_t(1 + w % 12), uint8_t(1 + w % 28), uint8_t(w % 24), uint8_t(w % 60)};
            book.AddEntry(std::move(e), lex::AddMode::Loaded);
        }
        const QDate first = today.addDays(-365);
        struct A {
            int w;
            int64_t at;
            bool right;
        };
        std::vector<A> answers;
        lex::LcgRandom random(3);
        for (int w = 0; w < kWords; ++w)
            for (int later : {0, 1, 3, 8, 20}) {
                const int day = std::min(w / 60 + later, 364);
                answers.push_back({w, lex::localMs(QDateTime(first.addDays(day), QTime(8, w % 60))),
                                   lex::uniformDraw(random, 10) < 8});
            }
        std::stable_sort(answers.begin(), answers.end(), [](const A& a, const A& b) { return a.at < b.at; });
        lex::ReviewRecord r;
        r.open(lex::ReviewRecord::fileFor(book.path, book.name));
        size_t i = 0;
        const lex::Status s = r.recordAnswers([&](lex::ReviewRecord::NewAnswer* a) {
            if (i == answers.size())
                return false;
            const A& x = answers[i++];
            *a = {lex::EntryKey::of(*book.full()[size_t(x.w)]), lex::PracticeMode::Learn,
                  x.right ? lex::AnswerOutcome::Right : lex::AnswerOutcome::Wrong, x.at, 900};
            return true;
        });
        if (!s)
            std::abort();
        r.close();
        plan.newPerDay = 60;
        plan.reviewCap = 300;
        plan.since = first;
        now = QDateTime(today, QTime(9, 0));
    }
    // A run's 20 answers, through the record's listener as the practice gives them.
    void run(lex::BookRecord& record)
    {
        for (int i = 0; i < 20; ++i) {
            now = now.addMSecs(500);
            const lex::PracticeAnswer a{int32_t(i * 37 % kWords), lex::PracticeMode::Learn, lex::AnswerOutcome::Right, now,
                                        900};
            record.recordAnswer(book, a);
        }
        record.checkpoint();
    }
    // The plan without a kept copy: the record read and replayed for each look.
    lex::StudyState readAndReplay(bool forecast)
    {
        lex::ReviewRecord r;
        r.open(lex::ReviewRecord::fileFor(book.path, book.name), lex::ReviewRecord::Mode::ReadOnly);
        lex::StudyState st;
        lex::LcgRandom random(1);
        lex::computeStudy(r, book, plan, 0.9, today, &random, &st, forecast);
        return st;
    }
    lex::StudyState kept(lex::BookRecord& record, bool forecast)
    {
        lex::StudyHistory h;
        record.study(book, plan, 0.9, today, &h);
        lex::LcgRandom random(1);
        return lex::studyStateOf(std::move(h), plan, 0.9, &random, forecast);
    }
};
RecordedBook& recordedBook()
{
    static RecordedBook b;
    return b;
}

void Baseline_ReadAndReplay_OpenBookWithPlan(benchmark::State& state)
{
    RecordedBook& b = recordedBook();
    for (auto _ : state) {
        benchmark::DoNotOptimize(b.readAndReplay(false));   // the status line
        benchmark::DoNotOptimize(b.readAndReplay(true));    // 今日计划
    }
}
BENCHMARK(Baseline_ReadAndReplay_OpenBookWithPlan)->Unit(benchmark::kMillisecond)->Iterations(5);

void OpenBookWithPlan(benchmark::State& state)
{
    RecordedBook& b = recordedBook();
    for (auto _ : state) {
        lex::BookRecord record(nullptr);
        benchmark::DoNotOptimize(b.kept(record, false));
        benchmark::DoNotOptimize(b.kept(record, true));
        state.PauseTiming();
        record.close();
        state.ResumeTiming();
    }
}
BENCHMARK(OpenBookWithPlan)->Unit(benchmark::kMillisecond)->Iterations(5);

// Only what the window's start needs: the status line's plan, the forecast waiting for 今日计划.
void Baseline_ReadAndReplay_OpenBookStatusLine(benchmark::State& state)
{
    RecordedBook& b = recordedBook();
    for (auto _ : state)
        benchmark::DoNotOptimize(b.readAndReplay(false));
}
BENCHMARK(Baseline_ReadAndReplay_OpenBookStatusLine)->Unit(benchmark::kMillisecond)->Iterations(5);

void OpenBookStatusLine(benchmark::State& state)
{
    RecordedBook& b = recordedBook();
    for (auto _ : state) {
        lex::BookRecord record(nullptr);
        benchmark::DoNotOptimize(b.kept(record, false));
        state.PauseTiming();
        record.close();
        state.ResumeTiming();
    }
}
BENCHMARK(OpenBookStatusLine)->Unit(benchmark::kMillisecond)->Iterations(5);

void Baseline_ReadAndReplay_AfterARun(benchmark::State& state)
{
    RecordedBook& b = recordedBook();
    lex::BookRecord record(nullptr);
    for (auto _ : state) {
        state.PauseTiming();
        b.run(record);
        state.ResumeTiming();
        benchmark::DoNotOptimize(b.readAndReplay(false));
    }
}
BENCHMARK(Baseline_ReadAndReplay_AfterARun)->Unit(benchmark::kMillisecond)->Iterations(20);

void AfterARun(benchmark::State& state)
{
    RecordedBook& b = recordedBook();
    lex::BookRecord record(nullptr);
    b.kept(record, false);   // the Book's opening read it
    for (auto _ : state) {
        state.PauseTiming();
        b.run(record);
        state.ResumeTiming();
        benchmark::DoNotOptimize(b.kept(record, false));
    }
    state.counters["full_replays"] = record.studyFullReplays();
}
BENCHMARK(AfterARun)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

BENCHMARK_MAIN();
