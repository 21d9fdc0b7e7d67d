// Look-up speed on a dictionary of 770,000 headwords, against a binary search over the same
// keys held in memory as a sorted std::vector<QString> (the baseline, measured in the same run).
#include "common/dictionary/dict_builder.h"
#include "common/dictionary/dictionary.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>

namespace {

constexpr int kHeadwords = 770000;
constexpr int kQueries = 8192;

const char* const kOnsets[] = {"b", "c", "d", "f", "g", "h", "j", "k", "l", "m", "n", "p", "qu", "r", "s", "t",
                               "v", "w", "y", "z", "bl", "br", "ch", "cl", "cr", "dr", "fl", "fr", "gr", "pl",
                               "pr", "sh", "sk", "sl", "sp", "st", "str", "th", "tr", "wh", ""};
const char* const kVowels[] = {"a", "e", "i", "o", "u", "ea", "ee", "oo", "ou", "ai", "io", "y"};
const char* const kCodas[] = {"", "", "n", "r", "s", "t", "l", "m", "nd", "ng", "st", "ck", "ll", "ss", "tion", "ment", "ing", "ed", "er", "ly"};
const QString kHan = QStringLiteral("的一是在不了有和人这中大为上个国我以要他时来用们生到作地于出就分对成会可主发年动同工也能下过子说产种面而方后多定行学法所民得经十三之进着等部度家电力里如水化高自二理起小物现实加量都两体制机当使点从业本去把性好应开它合还因由其些然前外天政四日那社义事平形相全表间样与关各重新线内数正心反你明看原又么利比或但质气第向道命此变条只没结解问意建月公无系军很情者最立代想已通并提直题党程展五果料象员革位入常文总次品式活设及管特件长求老头基资边流路级少图山统接知较将组见计别她手角期根论运农指几九区强放决西被干做必战先回则任取据处理世车");
const QString kNonAsciiLetters = QStringLiteral("éèüöçñ");

QString randomWord(std::mt19937& rng)
{
    QString w;
    const int syllables = 1 + int(rng() % 4);
    for (int s = 0; s < syllables; ++s) {
        w += QLatin1String(kOnsets[rng() % std::size(kOnsets)]);
        w += QLatin1String(kVowels[rng() % std::size(kVowels)]);
        if (s == syllables - 1 || rng() % 3 == 0)
            w += QLatin1String(kCodas[rng() % std::size(kCodas)]);
    }
    const unsigned kind = rng() % 100;
    if (kind < 3)
        w[0] = w[0].toUpper();                                         // proper nouns
    else if (kind < 5)
        w.insert(qsizetype(rng() % unsigned(w.size())), kNonAsciiLetters[rng() % 6]); // loanwords
    else if (kind < 9)
        w += QLatin1Char(' ') + QLatin1String(kOnsets[rng() % 20]) + QLatin1String(kVowels[rng() % 12]); // phrases
    return w;
}

QString randomExplanation(std::mt19937& rng)
{
    static const char* const pos[] = {"n. ", "v. ", "adj. ", "adv. "};
    QString e = QLatin1String(pos[rng() % 4]);
    const int n = 2 + int(rng() % 8);
    for (int i = 0; i < n; ++i)
        e += kHan[rng() % unsigned(kHan.size())];
    return e;
}

struct Fixture {
    std::vector<QString> keys;          // the written keys, sorted (main order = QString order)
    std::vector<QString> queries;       // half present, half absent
    std::map<int, std::pair<QByteArray, QByteArray>> mainFiles;   // by block size
    QByteArray companionIndex, companionText;

    Fixture()
    {
        std::mt19937 rng(2024);
        std::set<QString> unique;
        while (unique.size() < size_t(kHeadwords))
            unique.insert(randomWord(rng));
        std::vector<lex::DictSourceEntry> entries;
        entries.reserve(unique.size());
        for (const QString& k : unique) {
            lex::DictSourceEntry e;
            e.key = k;
            e.phonetic = k.toLower();
            const int lines = 1 + int(rng() % 3);
            for (int i = 0; i < lines; ++i)
                e.explanation << randomExplanation(rng);
            e.text = QStringLiteral("`1`") + k + QStringLiteral("`8`") + e.explanation.join(QStringLiteral("`8`"));
            entries.push_back(std::move(e));
        }
        std::shuffle(entries.begin(), entries.end(), rng); // the builder sorts
        for (int block : {16, 32, 64, 128}) {
            QByteArray idx, text;
            lex::DictBuildStats st;
            if (!lex::encodeDictionary(entries, {lex::DictVariant::Main, block}, &idx, &text, &st))
                std::abort();
            mainFiles[block] = {std::move(idx), std::move(text)};
        }
        if (!lex::encodeDictionary(entries, {lex::DictVariant::Companion, lex::kDefaultDictBlockSize}, &companionIndex,
                                   &companionText, nullptr))
            std::abort();
        keys.assign(unique.begin(), unique.end());
        std::sort(keys.begin(), keys.end());
        for (int i = 0; i < kQueries; ++i) {
            QString q = keys[rng() % keys.size()];
            if (i % 2)
                { q += QLatin1Char(char('a' + rng() % 26)); q += QLatin1Char(char('a' + rng() % 26)); } // almost always absent
            queries.push_back(q);
        }
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

void BM_Baseline_SortedVector(benchmark::State& state)
{
    Fixture& f = fixture();
    size_t i = 0, found = 0;
    for (auto _ : state) {
        const QString& q = f.queries[i++ % f.queries.size()];
        auto it = std::lower_bound(f.keys.begin(), f.keys.end(), q);
        found += it != f.keys.end() && *it == q;
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_Baseline_SortedVector);

void lookUpMain(benchmark::State& state, lex::FirstLevelSearch mode)
{
    Fixture& f = fixture();
    const auto& files = f.mainFiles.at(int(state.range(0)));
    lex::Dictionary d(lex::DictVariant::Main);
    d.openMemory(files.first, files.second);
    d.setFirstLevelSearch(mode);
    size_t i = 0, found = 0;
    for (auto _ : state) {
        QString e, p;
        found += d.LookUpWord(f.queries[i++ % f.queries.size()], e, p);
        benchmark::DoNotOptimize(found);
    }
    state.counters["found"] = double(found) / double(i);
}

void BM_LookUpWord(benchmark::State& state) { lookUpMain(state, lex::FirstLevelSearch::Indexed); }
BENCHMARK(BM_LookUpWord)->Arg(16)->Arg(32)->Arg(64)->Arg(128);

void BM_LookUpWord_PlainWalk(benchmark::State& state) { lookUpMain(state, lex::FirstLevelSearch::Walk); }
BENCHMARK(BM_LookUpWord_PlainWalk)->Arg(64);

void BM_LookUpEntryText(benchmark::State& state)
{
    Fixture& f = fixture();
    lex::Dictionary d(lex::DictVariant::Companion);
    d.openMemory(f.companionIndex, f.companionText);
    size_t i = 0, found = 0;
    for (auto _ : state) {
        QString t;
        found += d.LookUpEntryText(f.queries[i++ % f.queries.size()], t);
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_LookUpEntryText);

} // namespace

BENCHMARK_MAIN();
