// The learning record of a 1,000,000-entry Book holding 10,000,000 answers (10 per entry, over
// all three skills), made in a temporary folder at start.
//
//  - ModelPlan: today's review by the model, against the named baseline TodayPlan (the interval
//    table alone, planReview), over the same shuffled list in the same run. ModelPlanAfterRun is
//    the plan after a practice run changed 100 entries' memory (今日复习 after a run);
//    ModelPlanFirst the first plan after the model was loaded, which finds every entry in it.
//  - RecordAnswer: one answer recorded into the full record, as the practice window records it;
//    its p50, p99 and largest wall-clock latencies and its p99 processor time are reported as
//    counters (milliseconds), with the number of answers that had to wait for the disk or a lock.
#include "lexora/record/review_record.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>
#include <random>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kEntries = 1'000'000;
constexpr int kAnswersPerEntry = 10;
const QDate kToday(2026, 12, 7);
constexpr lex::PracticeMode kModes[] = {lex::PracticeMode::Learn, lex::PracticeMode::Dictate,
                                        lex::PracticeMode::Listen, lex::PracticeMode::Drill};

struct Fixture {
    QTemporaryDir dir;
    std::vector<lex::WordEntry> block;
    std::vector<lex::WordEntry*> view;
    lex::ReviewRecord record;
    lex::ReviewModel model;

    Fixture() : block(kEntries)
    {
        std::mt19937 rng(12345);
        view.reserve(kEntries);
        for (int i = 0; i < kEntries; ++i) {
            lex::WordEntry& e = block[size_t(i)];
            e.setWord(QStringLiteral("word%1").arg(i));
            e.stored.recognition = uint8_t(rng() % 11);
            e.stored.spelling = uint8_t(rng() % 11);
            e.stored.listening = uint8_t(rng() % 11);
            const QDate d = kToday.addDays(-int(rng() % 730));
            e.stored.review = lex::EntryTime{uint8_t(d.year() % 16), uint8_t(d.month()), uint8_t(d.day()), 9, 30};
            const QDate a = d.addDays(-int(rng() % 365));
            e.stored.added = lex::EntryTime{uint8_t(a.year() % 16), uint8_t(a.month()), uint8_t(a.day()), 8, uint8_t(i % 60)};
            view.push_back(&e);
        }
        std::shuffle(view.begin(), view.end(), rng); // as after a sort

        QElapsedTimer t;
        t.start();
        if (!record.open(lex::ReviewRecord::fileFor(dir.path() + QLatin1Char('/'), QStringLiteral("Big"))))
            std::abort();
        // Each entry answered 10 times over the last 300 days, in time order per entry; a third wrong.
        const int64_t firstMs = lex::localMs(QDateTime(kToday.addDays(-300), QTime(8, 0)));
        int64_t n = 0;
        const lex::Status s = record.recordAnswers([&](lex::ReviewRecord::NewAnswer* a) {
            if (n == int64_t(kEntries) * kAnswersPerEntry)
                return false;
            const int i = int(n / kAnswersPerEntry), j = int(n % kAnswersPerEntry);
            const lex::WordEntry& e = block[size_t(i)];
            a->key = lex::EntryKey::of(e);
            a->mode = kModes[size_t(j % 4)];
            a->outcome = (i + j) % 3 == 0 ? lex::AnswerOutcome::Wrong : lex::AnswerOutcome::Right;
            a->at = firstMs + int64_t(j) * 30 * 86400000 + i;
            a->durationMs = 800 + (i + j) % 4000;
            ++n;
            return true;
        });
        if (!s) {
            std::fprintf(stderr, "generating the record failed: %s\n", qPrintable(s.message()));
            std::abort();
        }
        // As a record made long ago: in the file, and the gigabytes just written on the disk (the
        // kernel's write-back would otherwise hold up the writes measured below).
        record.checkpoint();
        ::sync();
        const qint64 made = t.restart();
        if (!record.loadModel(&model))
            std::abort();
        std::fprintf(stderr, "record of %lld answers made in %.1f s; model of %zu entries loaded in %.1f s\n",
                     static_cast<long long>(n), double(made) / 1000, model.size(), double(t.elapsed()) / 1000);
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

void TodayPlan(benchmark::State& state)
{
    const auto& view = fixture().view;
    for (auto _ : state) {
        lex::ReviewPlan plan = lex::planReview(view, kToday);
        benchmark::DoNotOptimize(plan.counts.data());
    }
    state.SetItemsProcessed(state.iterations() * int64_t(view.size()));
}
BENCHMARK(TodayPlan)->Unit(benchmark::kMillisecond);

void ModelPlan(benchmark::State& state)
{
    Fixture& f = fixture();
    lex::ModelReviewPlanner planner;
    planner.plan(f.view, kToday, f.model); // finds every entry in the model once
    for (auto _ : state) {
        lex::ReviewPlan plan = planner.plan(f.view, kToday, f.model);
        benchmark::DoNotOptimize(plan.counts.data());
    }
    state.SetItemsProcessed(state.iterations() * int64_t(f.view.size()));
}
BENCHMARK(ModelPlan)->Unit(benchmark::kMillisecond);

// The plan 今日复习 makes after a practice run: 100 entries answered since the last plan.
void ModelPlanAfterRun(benchmark::State& state)
{
    Fixture& f = fixture();
    lex::ModelReviewPlanner planner;
    planner.plan(f.view, kToday, f.model);
    std::mt19937 rng(7);
    for (auto _ : state) {
        state.PauseTiming();
        for (int k = 0; k < 100; ++k) {
            const lex::WordEntry& e = f.block[rng() % kEntries];
            lex::SkillMemory m{{2.5, 5.0}, int(kToday.toJulianDay()), 11};
            f.model.set(lex::EntryKey::of(e), lex::Skill(rng() % 3), m);
        }
        state.ResumeTiming();
        lex::ReviewPlan plan = planner.plan(f.view, kToday, f.model);
        benchmark::DoNotOptimize(plan.counts.data());
    }
    state.SetItemsProcessed(state.iterations() * int64_t(f.view.size()));
}
BENCHMARK(ModelPlanAfterRun)->Unit(benchmark::kMillisecond);

void ModelPlanFirst(benchmark::State& state)
{
    Fixture& f = fixture();
    for (auto _ : state) {
        lex::ModelReviewPlanner planner;
        lex::ReviewPlan plan = planner.plan(f.view, kToday, f.model);
        benchmark::DoNotOptimize(plan.counts.data());
    }
    state.SetItemsProcessed(state.iterations() * int64_t(f.view.size()));
}
BENCHMARK(ModelPlanFirst)->Unit(benchmark::kMillisecond)->Iterations(3);

void RecordAnswer(benchmark::State& state)
{
    Fixture& f = fixture();
    f.record.attachModel(&f.model); // as the program keeps its model current
    std::mt19937 rng(99);
    std::vector<double> ms, cpuMs;
    ms.reserve(size_t(state.max_iterations));
    cpuMs.reserve(size_t(state.max_iterations));
    auto threadCpuMs = [] {
        timespec ts{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
    };
    QDateTime at(kToday, QTime(10, 0));
    // Answers during which the thread waited for something (a disk, a lock) rather than only for
    // the processor, which other processes share.
    auto voluntarySwitches = [] {
        rusage u{};
        getrusage(RUSAGE_THREAD, &u);
        return u.ru_nvcsw;
    };
    int waited = 0;
    for (auto _ : state) {
        const lex::WordEntry& e = f.block[rng() % kEntries];
        const long switches = voluntarySwitches();
        at = at.addMSecs(1500);
        QElapsedTimer t;
        const double cpu0 = threadCpuMs();
        t.start();
        const lex::Status s = f.record.recordAnswer(lex::EntryKey::of(e), kModes[rng() % 4],
                                                    lex::AnswerOutcome(rng() % 3), at, 1500);
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
        cpuMs.push_back(threadCpuMs() - cpu0);
        waited += voluntarySwitches() != switches;
        if (!s)
            state.SkipWithError(qPrintable(s.message()));
    }
    f.record.attachModel(nullptr);
    // Wall time is what the learner waits; the thread's processor time leaves out the waits for
    // other processes on a busy machine.
    std::sort(ms.begin(), ms.end());
    std::sort(cpuMs.begin(), cpuMs.end());
    state.counters["p50_ms"] = ms[ms.size() / 2];
    state.counters["p99_ms"] = ms[ms.size() * 99 / 100];
    state.counters["max_ms"] = ms.back();
    state.counters["p99_cpu_ms"] = cpuMs[cpuMs.size() * 99 / 100];
    state.counters["waited"] = waited;
}
BENCHMARK(RecordAnswer)->Unit(benchmark::kMicrosecond)->Iterations(3000);

} // namespace

BENCHMARK_MAIN();
