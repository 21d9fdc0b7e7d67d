// The English sections' cost: WordNet's senses of a word (what an entry with its English sections
// adds) against the own dictionary's look-up of the same words, and words-from over a text of
// 100,000 words. Over Debian's WordNet when installed; the runs say so and stop otherwise.
#include "common/dictionary/dict_builder.h"
#include "common/dictionary/dictionary.h"
#include "common/dictionary/wordnet.h"
#include "lexora/exchange/text_words.h"

#include <QFile>
#include <benchmark/benchmark.h>
#include <random>

namespace {

QStringList lemmas()
{
    static QStringList all = [] {
        QStringList out;
        QFile f(lex::WordNet::defaultFolder() + QStringLiteral("/index.noun"));
        if (f.open(QIODevice::ReadOnly))
            for (const QByteArray& line : f.readAll().split('\n'))
                if (!line.isEmpty() && line[0] != ' ')
                    out << QString::fromUtf8(line.left(line.indexOf(' ')));
        return out;
    }();
    return all;
}

QStringList sample(int n)
{
    const QStringList all = lemmas();
    std::mt19937 rng(7);
    QStringList out;
    for (int i = 0; i < n && !all.isEmpty(); ++i)
        out << all[qsizetype(rng() % unsigned(all.size()))];
    return out;
}

void BM_WordNetSenses(benchmark::State& state)
{
    lex::WordNet wn;
    if (!wn.open(lex::WordNet::defaultFolder())) {
        state.SkipWithError("WordNet is not installed");
        return;
    }
    const QStringList words = sample(1024);
    qsizetype i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(wn.senses(words[i++ % words.size()]));
}
BENCHMARK(BM_WordNetSenses);

// The existing look-up: the same words in an own dictionary that holds them all.
void BM_OwnDictionaryLookUp(benchmark::State& state)
{
    const QStringList words = sample(1024);
    if (words.isEmpty()) {
        state.SkipWithError("WordNet is not installed");
        return;
    }
    std::vector<lex::DictSourceEntry> entries;
    for (const QString& w : lemmas())
        entries.push_back({w, QStringLiteral("p"), {QStringLiteral("n. explanation of ") + w}, {}});
    QByteArray index, text;
    lex::encodeDictionary(entries, lex::DictBuildOptions{}, &index, &text, nullptr);
    lex::Dictionary dict(lex::DictVariant::Main);
    dict.openMemory(index, text);
    qsizetype i = 0;
    QString explanation, phonetic;
    for (auto _ : state)
        benchmark::DoNotOptimize(dict.LookUpWord(words[i++ % words.size()], explanation, phonetic));
}
BENCHMARK(BM_OwnDictionaryLookUp);

// A text of 100,000 words made of WordNet's own examples, through WordNet's morphology.
void BM_WordsFrom100kWords(benchmark::State& state)
{
    lex::WordNet wn;
    if (!wn.open(lex::WordNet::defaultFolder())) {
        state.SkipWithError("WordNet is not installed");
        return;
    }
    QString text;
    qsizetype words = 0;
    for (const QString& lemma : lemmas()) {
        for (const lex::WordSense& s : wn.senses(lemma))
            for (const QString& e : s.examples) {
                text += e + QStringLiteral(". ");
                words += e.count(QLatin1Char(' ')) + 1;
            }
        if (words >= 100000)
            break;
    }
    const lex::WordResolver resolver = lex::dictionaryResolver(nullptr, &wn, nullptr);
    lex::TextWordsSummary sum;
    for (auto _ : state)
        benchmark::DoNotOptimize(lex::wordsFromText(text, resolver, &sum));
    state.counters["tokens"] = double(sum.tokens);
    state.counters["resolved%"] = 100.0 * double(sum.resolvedTokens) / double(sum.tokens - sum.nameTokens);
}
BENCHMARK(BM_WordsFrom100kWords)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
