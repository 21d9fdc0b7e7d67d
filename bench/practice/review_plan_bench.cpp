// Today's review over a 1,000,000-entry Book: the plan (one mask per entry and the three counts)
// against the named baseline "PlainPass", a pass over the same entries that only adds up the
// bytes the plan reads (three degrees and the review date), measured in the same run.
#include "lexora/record/review_plan.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

constexpr int kEntries = 1'000'000;
const QDate kToday(2026, 12, 7);

// Entries laid out as the loader lays them out (one block), review times spread over two years.
struct Entries {
    std::vector<lex::WordEntry> block;
    std::vector<lex::WordEntry*> view;

    Entries() : block(kEntries)
    {
        std::mt19937 rng(12345);
        view.reserve(kEntries);
        for (lex::WordEntry& e : block) {
            e.stored.recognition = uint8_t(rng() % 11);
            e.stored.spelling = uint8_t(rng() % 11);
            e.stored.listening = uint8_t(rng() % 11);
            const QDate d = kToday.addDays(-int(rng() % 730));
            e.stored.review = lex::EntryTime{uint8_t(d.year() % 16), uint8_t(d.month()), uint8_t(d.day()), 9, 30};
            view.push_back(&e);
        }
        // The list shows them in another order than they lie in memory, as after a sort.
        std::shuffle(view.begin(), view.end(), rng);
    }
};

const Entries& entries()
{
    static const Entries e;
    return e;
}

void PlainPass(benchmark::State& state)
{
    const auto& view = entries().view;
    for (auto _ : state) {
        unsigned sum = 0;
        for (const lex::WordEntry* e : view)
            sum += e->stored.recognition + e->stored.spelling + e->stored.listening + e->stored.review.day
                   + e->stored.review.month + e->stored.review.year;
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * int64_t(view.size()));
}
BENCHMARK(PlainPass)->Unit(benchmark::kMillisecond);

void PlanReview(benchmark::State& state)
{
    const auto& view = entries().view;
    for (auto _ : state) {
        lex::ReviewPlan plan = lex::planReview(view, kToday);
        benchmark::DoNotOptimize(plan.counts.data());
    }
    state.SetItemsProcessed(state.iterations() * int64_t(view.size()));
}
BENCHMARK(PlanReview)->Unit(benchmark::kMillisecond);

// What the dialog's button adds: the due rows of one degree, in list order.
void PlanAndRowsOfOneDegree(benchmark::State& state)
{
    const auto& view = entries().view;
    for (auto _ : state) {
        const lex::ReviewPlan plan = lex::planReview(view, kToday);
        std::vector<int> rows = plan.rows(lex::Skill::Spelling);
        benchmark::DoNotOptimize(rows.data());
    }
    state.SetItemsProcessed(state.iterations() * int64_t(view.size()));
}
BENCHMARK(PlanAndRowsOfOneDegree)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
