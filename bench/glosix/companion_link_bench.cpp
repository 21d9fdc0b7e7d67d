// What a double-click in Lexora's list costs its GUI thread when no Glosix runs and none can be
// started (the program is missing): the whole SendWordToCompanion, against its baseline in the
// same run, one failed connect to the companion's socket (the least any send must try). The target
// is under 100 ms.
//
// A word to a running Glosix: one connection per message (tests/app/companion_link_test.cpp
// counts them); the round trip to the real window is in glosix_bench.
#include "common/platform/named_event.h"
#include "common/platform/process_launcher.h"
#include "common/platform/window_link.h"
#include "lexora/link/companion_link.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

using namespace lex;

struct NoGlosix {
    QTemporaryDir dir;
    QString runtime = dir.path() + QStringLiteral("/run");
    LocalWindowLink link{runtime};
    FileNamedEvents events{runtime};
    QtProcessLauncher launcher;
    CompanionLink companion{[this] {
        CompanionLink::Deps d;
        d.link = &link;
        d.events = &events;
        d.launcher = &launcher;
        d.programFolder = dir.path();
        d.executable = dir.path() + QStringLiteral("/Glosix");   // not there
        return d;
    }()};
};

void BM_NoGlosix_DoubleClick(benchmark::State& state)
{
    NoGlosix rig;
    for (auto _ : state) {
        const bool sent = rig.companion.SendWordToCompanion(QStringLiteral("apple"), 0);
        benchmark::DoNotOptimize(sent);
        if (sent)
            state.SkipWithError("a word was delivered to no companion");
    }
}
// Wall-clock time: the GUI thread waits for the failed start as well.
BENCHMARK(BM_NoGlosix_DoubleClick)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_NoGlosix_OneFailedConnect_Baseline(benchmark::State& state)
{
    NoGlosix rig;
    for (auto _ : state)
        benchmark::DoNotOptimize(rig.link.find(CompanionLink::kTitle));
}
BENCHMARK(BM_NoGlosix_OneFailedConnect_Baseline)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
