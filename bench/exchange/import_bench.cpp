// A 100,000-line style-1 import with dictionary look-ups, through a generated main dictionary held
// in memory and through a hash map; the import without look-ups is the baseline.
#include "common/dictionary/dict_builder.h"
#include "common/dictionary/dictionary.h"
#include "common/platform/sources.h"
#include "lexora/book/book.h"
#include "lexora/exchange/text_format.h"

#include <QDateTime>
#include <QHash>
#include <benchmark/benchmark.h>
#include <cstdlib>

namespace {

constexpr int kLines = 100000;

QString wordOf(int i)
{
    return QStringLiteral("word%1").arg(i * 7919 % 1000003);
}

// Every line a dictionary word; every other line with its own explanation after a TAB, every
// tenth with a comment.
const QString& importText()
{
    static const QString text = [] {
        QString t;
        for (int i = 0; i < kLines; ++i) {
            t += wordOf(i);
            if (i % 2 == 0)
                t += QStringLiteral("\tn.单词%1").arg(i);
            if (i % 10 == 0)
                t += QStringLiteral("//注释");
            t += QStringLiteral("\r\n");
        }
        return t;
    }();
    return text;
}

struct GeneratedDictionary {
    QByteArray index, text;
    lex::Dictionary dict{lex::DictVariant::Main};
    GeneratedDictionary()
    {
        std::vector<lex::DictSourceEntry> entries;
        entries.reserve(kLines * 2);
        // The imported words and as many others, so that look-ups search a realistic table.
        for (int i = 0; i < kLines * 2; ++i) {
            lex::DictSourceEntry e;
            e.key = i < kLines ? wordOf(i) : QStringLiteral("other%1").arg(i);
            e.phonetic = QStringLiteral("5w\\:d");
            e.explanation = QStringList{QStringLiteral("n.单词"), QStringLiteral("v.说")};
            entries.push_back(std::move(e));
        }
        lex::DictBuildStats stats;
        if (!lex::encodeDictionary(entries, {}, &index, &text, &stats))
            std::abort();
        dict.openMemory(index, text);
    }
};

void runImport(benchmark::State& state, const lex::LookUpFn& lookUp)
{
    static lex::FixedClock clock(QDateTime(QDate(2024, 1, 2), QTime(3, 4)));
    const QString& text = importText();
    for (auto _ : state) {
        lex::Book book;
        lex::ImportSettings settings;
        settings.style = 1;
        settings.lookUp = lookUp;
        const lex::ImportResult r = lex::importWordList(book, text, settings, clock);
        if (r.added != kLines)
            state.SkipWithError("wrong count");
        benchmark::DoNotOptimize(book.size());
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}

void BM_Style1_NoLookup(benchmark::State& state)
{
    runImport(state, {});
}

void BM_Style1_HashMap(benchmark::State& state)
{
    static const QHash<QString, std::pair<QString, QString>> map = [] {
        QHash<QString, std::pair<QString, QString>> m;
        for (int i = 0; i < kLines; ++i)
            m.insert(wordOf(i), {QStringLiteral("n.单词\r\nv.说"), QStringLiteral("5w\\:d")});
        return m;
    }();
    runImport(state, [](QStringView w, QString& e, QString& p) {
        auto it = map.constFind(w.toString());
        if (it == map.cend())
            return false;
        e = it->first;
        p = it->second;
        return true;
    });
}

void BM_Style1_Dictionary(benchmark::State& state)
{
    static GeneratedDictionary g;
    QString e, p;
    if (!g.dict.LookUpWord(wordOf(5), e, p)) {
        state.SkipWithError("generated dictionary does not find its words");
        return;
    }
    runImport(state, [](QStringView w, QString& e, QString& p) { return g.dict.LookUpWord(w, e, p); });
}

} // namespace

BENCHMARK(BM_Style1_NoLookup)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Style1_HashMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Style1_Dictionary)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
