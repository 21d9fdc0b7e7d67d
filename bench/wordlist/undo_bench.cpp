// Undo on a Book of 1,000,000 loaded entries: a header sort kept as an undo step (the order is
// recorded as a permutation), its undo, and a delete of every entry with its undo, each against
// the same header sort through the session alone (the baseline, same run). What the kept sort
// steps hold is reported as a counter.
#include "lexora/book/book_file.h"
#include "lexora/book/book_session.h"
#include "lexora/wordlist/book_history.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QUndoStack>
#include <benchmark/benchmark.h>


using namespace lex;

namespace {

constexpr int kEntries = 1'000'000;

BookSession& bigSession()
{
    static QTemporaryDir dir;
    static BookSession session;
    static bool loaded = false;
    if (!loaded) {
        Book made;
        made.path = dir.path() + QLatin1Char('/');
        made.name = QStringLiteral("Big");
        for (int i = 0; i < kEntries; ++i) {
            auto e = std::make_unique<WordEntry>();
            e->setWord(QStringLiteral("word%1").arg((int64_t(i) * 7919) % kEntries));
            e->setExplanation(QStringLiteral("n. 解释 number %1").arg(i));
            e->stored.recognition = uint8_t(i % 11);
            made.AddEntry(std::move(e), 0);
        }
        made.textChanged = true;
        saveBook(made);
        session.book().path = made.path;
        session.book().name = made.name;
        session.load();
        loaded = true;
    }
    return session;
}

// Column 1 clicked again and again: each click flips the direction, so each sort moves every entry.
void BM_Baseline_SessionSort1M(benchmark::State& state)
{
    BookSession& s = bigSession();
    for (auto _ : state)
        s.sortByHeader(1);
}
BENCHMARK(BM_Baseline_SessionSort1M)->Unit(benchmark::kMillisecond)->Iterations(6);

void BM_HistorySort1M(benchmark::State& state)
{
    BookSession& s = bigSession();
    BookHistory h(&s);
    for (auto _ : state)
        h.sortByHeader(1);
    // Each step keeps one 32-bit position per entry.
    state.counters["kept_MB"] = double(h.stack().count()) * kEntries * 4 / (1024.0 * 1024.0);
}
BENCHMARK(BM_HistorySort1M)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_UndoSort1M(benchmark::State& state)
{
    BookSession& s = bigSession();
    BookHistory h(&s);
    for (auto _ : state) {
        state.PauseTiming();
        h.sortByHeader(1);
        state.ResumeTiming();
        h.undo();
    }
}
BENCHMARK(BM_UndoSort1M)->Unit(benchmark::kMillisecond)->Iterations(6);

void BM_DeleteEveryEntryAndUndo1M(benchmark::State& state)
{
    BookSession& s = bigSession();
    BookHistory h(&s);
    std::vector<int> all(size_t(s.rowCount()));
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = int(i);
    for (auto _ : state) {
        h.deleteRows(all);
        h.undo();
    }
    if (s.rowCount() != kEntries)
        state.SkipWithError("the entries did not come back");
}
BENCHMARK(BM_DeleteEveryEntryAndUndo1M)->Unit(benchmark::kMillisecond)->Iterations(6);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
