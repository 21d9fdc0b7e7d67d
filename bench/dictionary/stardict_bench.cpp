// A look-up through everything the companion shows for a word: its own dictionary (200,000
// headwords, with inflected forms) and five StarDict dictionaries of 120,000 headwords each,
// compressed with dictzip, in the bench's temporary folder. The baseline, measured in the same
// run, is today's single look-up in the own dictionary. Each look-up is timed on its own, so that
// the p99 counter is the 99th percentile of single look-ups in microseconds.
#include "common/dictionary/dict_builder.h"
#include "common/dictionary/dictionary_shelf.h"
#include "common/dictionary/stardict_writer.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
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
    std::vector<QString> queries; // lemmas, inflected forms and absent words

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
            case 1: queries.push_back(wordOf((i - i % 4) * 7 + 1) + QStringLiteral("ing")); break;
            case 2: queries.push_back(wordOf(rng() % kStarDictWords * 11)); break;
            default: queries.push_back(lemma + QStringLiteral("zq")); break; // absent everywhere
            }
        }
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

// Runs `once` for each query in turn, timing each call; reports the 99th percentile.
template <typename F>
void timeEach(benchmark::State& state, F once)
{
    const Fixture& f = fixture();
    std::vector<double> us;
    us.reserve(1 << 16);
    size_t i = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        once(f.queries[i++ % f.queries.size()]);
        us.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count());
    }
    std::sort(us.begin(), us.end());
    state.counters["p99_us"] = us.empty() ? 0 : us[size_t(double(us.size() - 1) * 0.99)];
}

void BM_Baseline_OwnDictionaryOnly(benchmark::State& state)
{
    const Fixture& f = fixture();
    QString text;
    timeEach(state, [&](const QString& q) { benchmark::DoNotOptimize(f.own.LookUpEntryText(q, text)); });
}
BENCHMARK(BM_Baseline_OwnDictionaryOnly);

void lookUpShelf(benchmark::State& state, bool withForms)
{
    Fixture& f = fixture();
    lex::DictionaryShelf shelf;
    shelf.setOwn(&f.own, withForms ? &f.forms : nullptr);
    for (const QString& p : f.ifoPaths)
        shelf.addStarDict(lex::Env::defaultEnv(), p);
    timeEach(state, [&](const QString& q) { benchmark::DoNotOptimize(shelf.lookUp(q)); });
}

void BM_ShelfOwnPlusFiveStarDicts(benchmark::State& state) { lookUpShelf(state, true); }
BENCHMARK(BM_ShelfOwnPlusFiveStarDicts);

void BM_ShelfWithoutForms(benchmark::State& state) { lookUpShelf(state, false); }
BENCHMARK(BM_ShelfWithoutForms);

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

} // namespace

BENCHMARK_MAIN();
