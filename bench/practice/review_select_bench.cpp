// 今日复习's button over a 1,000,000-row list: selecting the due rows of one degree through the
// list's selection, scattered every 7th row (142,858 rows), against the named baseline
// "SelectOneRun", the same number of rows as one run (what Ctrl+A-like selections cost),
// measured in the same run. The list is shown offscreen; painting is not included.
#include "common/platform/sources.h"
#include "lexora/book/book_session.h"
#include "lexora/wordlist/my_list_ctrl.h"
#include "tests/support/session_probe.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

using namespace lex;

namespace {

constexpr int kEntries = 1'000'000;
constexpr int kStep = 7;

struct Host : ListHost {
    bool isToggleChecked(int) const override { return true; }
    void setSelectionText(const QString&) override {}
    void SpeakWord(const QString&) override {}
    bool lookUpWord(QStringView, QString&, QString&) override { return false; }
    bool onCommand(int, qintptr) override { return true; }
};

struct BigList {
    Host host;
    BookSession session;
    FixedClock clock{QDateTime(QDate(2026, 12, 7), QTime(9, 0))};
    std::unique_ptr<CMyListCtrl> list;

    BigList()
    {
        for (int i = 0; i < kEntries; ++i) {
            auto e = std::make_unique<WordEntry>();
            e->setWord(QStringLiteral("w"));
            lextest::writableBook(session).AddEntry(std::move(e), AddMode::Loaded);
        }
        list = std::make_unique<CMyListCtrl>(&host, &session, &clock);
        session.announceReset();
        list->resize(600, 400);
        list->show();
        QApplication::processEvents();
    }
};

BigList& bigList()
{
    static BigList b;
    return b;
}

void select(benchmark::State& state, const std::vector<int>& rows)
{
    BigList& b = bigList();
    for (auto _ : state) {
        b.list->selectRows(rows);
        benchmark::DoNotOptimize(b.list->selectedCount());
        state.PauseTiming();
        b.list->clearSelection();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * int64_t(rows.size()));
}

void SelectOneRun(benchmark::State& state)
{
    std::vector<int> rows;
    for (int i = 0; i < (kEntries + kStep - 1) / kStep; ++i)
        rows.push_back(i);
    select(state, rows);
}
BENCHMARK(SelectOneRun)->Unit(benchmark::kMillisecond);

void SelectScatteredDueRows(benchmark::State& state)
{
    std::vector<int> rows;
    for (int i = 0; i < kEntries; i += kStep)
        rows.push_back(i);
    select(state, rows);
}
BENCHMARK(SelectScatteredDueRows)->Unit(benchmark::kMillisecond);

} // namespace
