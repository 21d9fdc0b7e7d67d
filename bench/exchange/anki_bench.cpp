// 100,000 entries out to an Anki package and a 100,000-note package back in, each against the same
// words written and read in style 1 in the same run, through the real file system. Sounds are
// left out. The import goes as far as entries added to a Book, as the session's import step does.
#include "common/platform/env.h"
#include "common/platform/sources.h"
#include "lexora/book/book.h"
#include "lexora/exchange/formats/foreign_format.h"
#include "lexora/exchange/text_format.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int kEntries = 100000;

struct Words {
    QTemporaryDir dir;
    std::vector<std::unique_ptr<lex::WordEntry>> owned;
    std::vector<const lex::WordEntry*> entries;
    QString apkg, style1;
    Words()
    {
        for (int i = 0; i < kEntries; ++i) {
            auto e = std::make_unique<lex::WordEntry>();
            e->setWord(QStringLiteral("word%1").arg(i * 7919 % 1000003));
            e->setPhonetic(QStringLiteral("5w\\:d"));
            e->setExplanation(QStringLiteral("n.单词 <%1>\r\nv.说 & 讲").arg(i));
            if (i % 10 == 0)
                e->setComment(QStringLiteral("注释 %1").arg(i));
            e->setClassName(i % 3 == 0 ? QStringLiteral("CET 4") : QString());
            e->stored.recognition = e->stored.spelling = e->stored.listening = uint8_t(i % 11);
            entries.push_back(e.get());
            owned.push_back(std::move(e));
        }
        apkg = dir.filePath(QStringLiteral("words.apkg"));
        style1 = dir.filePath(QStringLiteral("words.txt"));
        lex::ForeignExportOptions options;
        options.deckName = QStringLiteral("bench");
        if (!lex::writeForeign(lex::ForeignKind::Anki, nullptr, apkg, entries, options))
            std::abort();
        if (!lex::writeFileAtomically(lex::Env::defaultEnv(), style1,
                                      lex::exportWordListBytes(entries, 1, lex::TextEncoding::Utf16)))
            std::abort();
    }
};

Words& words()
{
    static Words w;
    return w;
}

void BM_Export_Style1(benchmark::State& state)
{
    Words& w = words();
    const QString path = w.dir.filePath(QStringLiteral("out.txt"));
    for (auto _ : state) {
        const QByteArray bytes = lex::exportWordListBytes(w.entries, 1, lex::TextEncoding::Utf16);
        if (!lex::writeFileAtomically(lex::Env::defaultEnv(), path, bytes))
            state.SkipWithError("write failed");
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
}

void BM_Export_Apkg(benchmark::State& state)
{
    Words& w = words();
    const QString path = w.dir.filePath(QStringLiteral("out.apkg"));
    lex::ForeignExportOptions options;
    options.deckName = QStringLiteral("bench");
    for (auto _ : state) {
        lex::ForeignExportResult result;
        if (!lex::writeForeign(lex::ForeignKind::Anki, nullptr, path, w.entries, options, &result) ||
            result.written != kEntries)
            state.SkipWithError("export failed");
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
}

void BM_Import_Style1(benchmark::State& state)
{
    Words& w = words();
    static lex::FixedClock clock(QDateTime(QDate(2024, 1, 2), QTime(3, 4)));
    for (auto _ : state) {
        QByteArray bytes;
        if (!lex::Env::defaultEnv()->readFile(w.style1, &bytes))
            state.SkipWithError("read failed");
        lex::Book book;
        lex::ImportSettings settings;
        if (lex::importWordList(book, lex::decodeWordList(bytes, lex::TextEncoding::Auto), settings, clock).added !=
            kEntries)
            state.SkipWithError("wrong count");
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
}

void BM_Import_Apkg(benchmark::State& state)
{
    Words& w = words();
    for (auto _ : state) {
        lex::ForeignTable table;
        if (!lex::readForeign(lex::ForeignKind::Anki, nullptr, w.apkg, &table))
            state.SkipWithError("read failed");
        lex::FieldMap map = lex::guessFieldMap(table.fields);
        map.classFromTags = true;
        lex::Book book;
        for (lex::ImportRecord& r : lex::recordsFromTable(table, map)) {
            auto e = std::make_unique<lex::WordEntry>();
            e->setWord(r.word);
            e->setExplanation(r.explanation);
            e->setPhonetic(r.phonetic);
            e->setComment(r.comment);
            e->setClassName(r.className);
            book.AddEntry(std::move(e), lex::AddMode::Interactive);
        }
        if (book.size() != kEntries)
            state.SkipWithError("wrong count");
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
}

} // namespace

BENCHMARK(BM_Export_Style1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Export_Apkg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Import_Style1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Import_Apkg)->Unit(benchmark::kMillisecond);
