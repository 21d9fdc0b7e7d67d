// A look-up through everything the companion shows for a word: its own dictionary (200,000
// headwords, with inflected forms) and five StarDict dictionaries of 120,000 headwords each,
// compressed with dictzip, in the bench's temporary folder. The baseline, measured in the same
// run, is today's single look-up in the own dictionary. Each look-up is timed on its own, so that
// the p99 counter is the 99th percentile of single look-ups in microseconds.
//
// What the forms cost is measured twice: on words that are no inflected form (the form table is
// asked and answers none), against the same look-up without the table; and on inflected forms,
// against looking their base form up directly (the same entries are found and read both ways).
//
// Start: each run of BM_ColdStart* starts this program afresh ("--start FOLDER WORD [own]"), which
// opens the dictionaries of FOLDER, looks WORD up and ends; the baseline starts it with the own
// dictionary only. The files are in the page cache, as after an earlier start.
#include "common/dictionary/dict_builder.h"
#include "common/dictionary/dictionary_shelf.h"
#include "common/dictionary/stardict_writer.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <ctime>
#include <random>

namespace {

constexpr int kOwnWords = 200000;
constexpr int kStarDictWords = 120000;
constexpr int kStarDicts = 5;
constexpr int kQueries = 4096;

// Pronounceable headwords from a number: distinct numbers give distinct words.
QString wordOf(uint32_t n)
{
    static const char* const kSyllables[] = {"ba", "ce", "di", "fo", "gu", "ha", "je", "ki", "lo", "mu", "na",
                                             "pe", "qui", "ro", "su", "ta", "ve", "wi", "xo", "yu", "za", "bro",
                                             "cla", "dre", "fli", "gro", "pla", "str", "tha", "sho", "ent", "ion"};
    QString w;
    do {
        w += QLatin1String(kSyllables[n % 32]);
        n /= 32;
    } while (n);
    return w;
}

struct Fixture {
    QTemporaryDir dir;
    QByteArray ownIndex, ownText;
    lex::Dictionary own{lex::DictVariant::Companion};
    lex::WordForms forms;
    QStringList ifoPaths;
    std::vector<QString> queries;   // lemmas, inflected forms and absent words
    std::vector<QString> plain;     // the queries that are no inflected form
    std::vector<QString> inflected; // inflected forms ...
    std::vector<QString> lemmas;    // ... and their base forms, in the same order

    Fixture()
    {
        std::mt19937 rng(5);
        std::vector<lex::DictSourceEntry> entries;
        lex::DictBuildOptions options;
        options.variant = lex::DictVariant::Companion;
        options.blockSize = 32;
        for (uint32_t i = 0; i < kOwnWords; ++i) {
            lex::DictSourceEntry e;
            e.key = wordOf(i * 7 + 1);
            e.text = QStringLiteral("`1`%1`8`n. 释义 %2").arg(e.key).arg(i);
            if (i % 4 == 0) {
                options.forms.push_back({e.key + QStringLiteral("ed"), e.key, lex::FormKind::Past});
                options.forms.push_back({e.key + QStringLiteral("ing"), e.key, lex::FormKind::Present});
                options.forms.push_back({e.key + QStringLiteral("s"), e.key, lex::FormKind::Plural});
            }
            entries.push_back(std::move(e));
        }
        lex::encodeDictionary(entries, options, &ownIndex, &ownText, nullptr);
        own.openMemory(ownIndex, ownText);
        forms.openMemory(ownIndex);
        for (const auto& [name, bytes] : {std::pair{"21ct.idx", &ownIndex}, {"21ct.dic", &ownText}}) {
            QFile out(dir.filePath(QLatin1String(name)));
            out.open(QIODevice::WriteOnly);
            out.write(*bytes);
        }

        for (int d = 0; d < kStarDicts; ++d) {
            lex::StarDictSource s;
            s.bookname = QStringLiteral("dict%1").arg(d);
            s.dictzip = true;
            for (uint32_t i = 0; i < kStarDictWords; ++i) {
                const QString w = wordOf(i * 11 + uint32_t(d));
                s.entries.push_back({w, (w + QStringLiteral(" — meaning %1 in dictionary %2").arg(i).arg(d)).toUtf8(), {}});
            }
            const lex::StarDictFiles f = lex::writeStarDict(s);
            const QString stem = dir.filePath(s.bookname);
            for (const auto& [ext, bytes] : {std::pair{".ifo", &f.ifo}, {".idx", &f.idx}, {".dict.dz", &f.dict}}) {
                QFile out(stem + QLatin1String(ext));
                out.open(QIODevice::WriteOnly);
                out.write(*bytes);
            }
            ifoPaths << stem + QStringLiteral(".ifo");
        }
        for (int q = 0; q < kQueries; ++q) {
            const uint32_t i = rng() % kOwnWords;
            const QString lemma = wordOf(i * 7 + 1);
            switch (q % 4) {
            case 0: queries.push_back(lemma); break;
            case 1:
                queries.push_back(wordOf((i - i % 4) * 7 + 1) + QStringLiteral("ing"));
                inflected.push_back(queries.back());
                lemmas.push_back(wordOf((i - i % 4) * 7 + 1));
                break;
            case 2: queries.push_back(wordOf(rng() % kStarDictWords * 11)); break;
            default: queries.push_back(lemma + QStringLiteral("zq")); break; // absent everywhere
            }
            if (q % 4 != 1)
                plain.push_back(queries.back());
        }
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

double threadCpuMicroseconds()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e6 + double(t.tv_nsec) / 1e3;
}

// Runs `once` for each query in turn, timing each call; reports the 99th percentile of the time
// taken and of the processor time used (on a loaded machine the first also counts waiting).
template <typename F>
void timeEach(benchmark::State& state, F once, const std::vector<QString>* queries = nullptr)
{
    const std::vector<QString>& qs = queries ? *queries : fixture().queries;
    std::vector<double> us, cpu;
    us.reserve(1 << 16);
    cpu.reserve(1 << 16);
    size_t i = 0;
    for (auto _ : state) {
        const double c0 = threadCpuMicroseconds();
        const auto t0 = std::chrono::steady_clock::now();
        once(qs[i++ % qs.size()]);
        us.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count());
        cpu.push_back(threadCpuMicroseconds() - c0);
    }
    auto p99 = [](std::vector<double>& v) {
        std::sort(v.begin(), v.end());
        return v.empty() ? 0 : v[size_t(double(v.size() - 1) * 0.99)];
    };
    state.counters["p99_us"] = p99(us);
    state.counters["p99_cpu_us"] = p99(cpu);
}

void BM_Baseline_OwnDictionaryOnly(benchmark::State& state)
{
    const Fixture& f = fixture();
    QString text;
    timeEach(state, [&](const QString& q) { benchmark::DoNotOptimize(f.own.LookUpEntryText(q, text)); });
}
BENCHMARK(BM_Baseline_OwnDictionaryOnly);

void lookUpShelf(benchmark::State& state, bool withForms, const std::vector<QString>* queries = nullptr)
{
    Fixture& f = fixture();
    lex::DictionaryShelf shelf;
    shelf.setOwn(&f.own, withForms ? &f.forms : nullptr);
    for (const QString& p : f.ifoPaths)
        shelf.addStarDict(lex::Env::defaultEnv(), p);
    timeEach(state, [&](const QString& q) { benchmark::DoNotOptimize(shelf.lookUp(q)); }, queries);
}

void BM_ShelfOwnPlusFiveStarDicts(benchmark::State& state) { lookUpShelf(state, true); }
BENCHMARK(BM_ShelfOwnPlusFiveStarDicts);

void BM_ShelfWithoutForms(benchmark::State& state) { lookUpShelf(state, false); }
BENCHMARK(BM_ShelfWithoutForms);

// Words that are no inflected form: the forms add the table look-up only.
void BM_Plain_WithForms(benchmark::State& state) { lookUpShelf(state, true, &fixture().plain); }
BENCHMARK(BM_Plain_WithForms);
void BM_Plain_WithoutForms(benchmark::State& state) { lookUpShelf(state, false, &fixture().plain); }
BENCHMARK(BM_Plain_WithoutForms);

// "xing" shows the entries of "x": against looking "x" up directly.
void BM_Inflected_ResolvedToBase(benchmark::State& state) { lookUpShelf(state, true, &fixture().inflected); }
BENCHMARK(BM_Inflected_ResolvedToBase);
void BM_Inflected_BaseTypedDirectly(benchmark::State& state) { lookUpShelf(state, true, &fixture().lemmas); }
BENCHMARK(BM_Inflected_BaseTypedDirectly);

void BM_BaseFormOf(benchmark::State& state)
{
    const Fixture& f = fixture();
    timeEach(state, [&](const QString& q) { benchmark::DoNotOptimize(f.forms.baseFormOf(q)); });
}
BENCHMARK(BM_BaseFormOf);

// Opening the own dictionary (files of the bench's folder, with their forms) and the five
// StarDict dictionaries, and looking the first word up, as the window does at start.
void BM_OpenOwnAndFiveStarDicts(benchmark::State& state)
{
    const Fixture& f = fixture();
    for (auto _ : state) {
        lex::Dictionary own(lex::DictVariant::Companion);
        own.openFolder(f.dir.path());
        lex::WordForms forms;
        forms.openIndex(f.dir.filePath(QStringLiteral("21ct.idx")));
        lex::DictionaryShelf shelf;
        shelf.setOwn(&own, &forms);
        for (const QString& p : f.ifoPaths)
            shelf.addStarDict(lex::Env::defaultEnv(), p);
        benchmark::DoNotOptimize(shelf.lookUp(f.queries[0]));
    }
}
BENCHMARK(BM_OpenOwnAndFiveStarDicts)->Unit(benchmark::kMillisecond);

// A fresh process that opens what the window opens and looks one word up.
int startAndLookUp(const QString& folder, const QString& word, bool ownOnly)
{
    lex::Dictionary own(lex::DictVariant::Companion);
    own.openFolder(folder);
    lex::WordForms forms;
    forms.openIndex(folder + QStringLiteral("/21ct.idx"));
    lex::DictionaryShelf shelf;
    shelf.setOwn(&own, &forms);
    if (!ownOnly)
        for (const QString& ifo : lex::findStarDictFiles({folder}))
            shelf.addStarDict(lex::Env::defaultEnv(), ifo);
    return shelf.lookUp(word).empty() ? 1 : 0;
}

void coldStart(benchmark::State& state, bool ownOnly)
{
    const Fixture& f = fixture();
    QStringList args{QStringLiteral("--start"), f.dir.path(), f.queries[0]};
    if (ownOnly)
        args << QStringLiteral("own");
    for (auto _ : state) {
        QProcess p;
        p.start(QCoreApplication::applicationFilePath(), args);
        if (!p.waitForFinished(30000) || p.exitCode() != 0)
            state.SkipWithError("the start did not find the first entry");
    }
}
void BM_ColdStart_OwnDictionaryOnly(benchmark::State& state) { coldStart(state, true); }
BENCHMARK(BM_ColdStart_OwnDictionaryOnly)->Unit(benchmark::kMillisecond)->UseRealTime();
void BM_ColdStart_OwnPlusFiveStarDicts(benchmark::State& state) { coldStart(state, false); }
BENCHMARK(BM_ColdStart_OwnPlusFiveStarDicts)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 4 && std::strcmp(argv[1], "--start") == 0)
        return startAndLookUp(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                              argc >= 5 && std::strcmp(argv[4], "own") == 0);
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
