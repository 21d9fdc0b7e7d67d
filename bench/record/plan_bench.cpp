// The daily plan's forecast.
//
//  - ForecastCalibration: 1,000 simulated learners (a Book of 20 to 300 new words, a pace of 5 to
//    40 new words a day, a cap of 20 to 200 reviews, a retention of 0.80 to 0.95), each simulated
//    50 times with recall drawn from the memory model; the counter `inside` is the share of
//    learners whose forecast lies within the middle 90 % of their 50 finish days (it must be at
//    least 0.95), `finished` the share whose plans finish within the ten years simulated.
//  - PlanLargeBook: what opening a Book costs with a plan: the replay of a 20,000-word Book's
//    record (5 answers each over a year) and the forecast, as the 今日计划 window works them out.
#include "lexora/record/check_in.h"
#include "lexora/record/study_plan.h"
#include "common/platform/sources.h"

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

} // namespace

BENCHMARK_MAIN();
