// lexbook new-book against lexbook dump of the Book it makes, both as the learner runs them (one
// process each), on the full dictionary when LEXORA_ECDICT_DICT names its folder, else on the
// sample. Each exam list, and the difference learners ask for most.
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

QString dictFolder()
{
    const QByteArray full = qgetenv("LEXORA_ECDICT_DICT");
    return full.isEmpty() ? QStringLiteral(LEXORA_SAMPLE_DICT) : QString::fromLocal8Bit(full);
}

bool run(const QStringList& args, QByteArray* out = nullptr)
{
    QProcess p;
    p.start(QStringLiteral(LEXBOOK), args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return false;
    if (out)
        *out = p.readAllStandardOutput();
    return true;
}

const char* const kLists[] = {"zk", "gk", "cet4", "cet6", "ky", "ielts", "toefl", "gre", "cet6 - cet4",
                              "gre - toefl - ielts - cet6"};

void BM_NewBook(benchmark::State& state)
{
    const QString list = QString::fromLatin1(kLists[state.range(0)]);
    QTemporaryDir dir;
    int n = 0;
    for (auto _ : state) {
        const QString book = dir.path() + QStringLiteral("/Book/L%1").arg(n++);
        if (!run({QStringLiteral("new-book"), book, QStringLiteral("--list"), list, QStringLiteral("--dict"), dictFolder()})) {
            state.SkipWithError("lexbook new-book failed");
            return;
        }
    }
    state.SetLabel(list.toStdString());
}

void BM_DumpOfThatBook(benchmark::State& state)
{
    const QString list = QString::fromLatin1(kLists[state.range(0)]);
    QTemporaryDir dir;
    const QString book = dir.path() + QStringLiteral("/Book/L");
    if (!run({QStringLiteral("new-book"), book, QStringLiteral("--list"), list, QStringLiteral("--dict"), dictFolder()})) {
        state.SkipWithError("lexbook new-book failed");
        return;
    }
    qsizetype lines = 0;
    for (auto _ : state) {
        QByteArray out;
        if (!run({QStringLiteral("dump"), book}, &out)) {
            state.SkipWithError("lexbook dump failed");
            return;
        }
        lines = out.count('\n');
    }
    state.SetLabel(list.toStdString() + ": " + std::to_string(lines) + " words");
}

} // namespace

BENCHMARK(BM_NewBook)->DenseRange(0, std::size(kLists) - 1)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DumpOfThatBook)->DenseRange(0, std::size(kLists) - 1)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_MAIN();
