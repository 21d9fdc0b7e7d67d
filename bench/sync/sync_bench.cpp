// The journal between machines at the sizes of heavy use.
//
//  - MergeIn: a machine that joins takes in another's 10,000 edits (new entries, each with all its
//    fields) and 100,000 answers from the folder: read, merged, written into its Book and record
//    and saved. Against the named baseline Load: opening the same Book and reading its record's
//    memory model, without any journal, in the same run.
//  - YearCompacted: a year of 200 answers a day and 20 edits a day on a 10,000-entry Book, merged
//    each week, its journal compacted; the counters give the folder's bytes against the Book's and
//    record's (ratio must stay under 2).
//  - DayAfterAYear: on that Book, record and journal, one merge of a day's work (200 answers, 20
//    edits), as at a save in the program: what the year behind it costs each save.
#include "lexora/book/book_file.h"
#include "lexora/book/book_session.h"
#include "lexora/book/operations/degree_ops.h"
#include "lexora/record/review_record.h"
#include "lexora/sync/book_sync.h"
#include "lexora/sync/journal_folder.h"

#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>

namespace {

using namespace lex;

constexpr int kEntries = 10'000;
constexpr int kAnswers = 100'000;
constexpr int64_t kStartMs = 1'780'000'000'000;
const QString kName = QStringLiteral("English");

qint64 folderBytes(const QString& folder, const QString& suffix = {})
{
    qint64 n = 0;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        if (suffix.isEmpty() || it.fileName().endsWith(suffix))
            n += it.fileInfo().size();
    }
    return n;
}

// A Book of kEntries and a record of kAnswers on machine "a", sent to the folder.
struct Source {
    QTemporaryDir dir;
    QString book, folder;

    Source()
    {
        book = dir.path() + QStringLiteral("/a/");
        folder = dir.path() + QStringLiteral("/Sync/");
        QDir().mkpath(book);
        QDir().mkpath(folder);
        Book b;
        b.path = book;
        b.name = kName;
        std::mt19937 rng(1);
        for (int i = 0; i < kEntries; ++i) {
            auto e = std::make_unique<WordEntry>();
            e->setWord(QStringLiteral("word%1").arg(i));
            e->setExplanation(QStringLiteral("n. the meaning of word %1\r\nv. another").arg(i));
            e->setPhonetic(QStringLiteral("[wɜːd%1]").arg(i));
            e->stored.recognition = uint8_t(rng() % 11);
            e->stored.added = toEntryTime(QDateTime::fromMSecsSinceEpoch(kStartMs + int64_t(i) * 60000));
            e->stored.review = e->stored.added;
            b.AddEntry(std::move(e), AddMode::Interactive);
        }
        if (!saveBook(b).ok())
            std::abort();
        ReviewRecord r;
        r.open(ReviewRecord::fileFor(book, kName));
        int n = 0;
        r.recordAnswers([&](ReviewRecord::NewAnswer* a) {
            if (n == kAnswers)
                return false;
            const WordEntry* e = b.full()[size_t(n % kEntries)];
            *a = {EntryKey::of(*e), PracticeMode(n % 4), AnswerOutcome(n % 3), kStartMs + int64_t(n) * 1000, 900};
            ++n;
            return true;
        });
        r.checkpoint();
        r.close();
        BookSession s;
        s.open(book, kName);
        ReviewRecord rec;
        rec.open(ReviewRecord::fileFor(book, kName));
        sync::SyncOptions o{folder, QStringLiteral("a"), kStartMs, 1000};
        const sync::SyncReport rep = sync::syncBook(s, &rec, nullptr, Env::defaultEnv(), o, [] { return true; });
        if (!rep.status || rep.sentEvents != kAnswers)
            std::abort();
    }
};

Source& source()
{
    static Source s;
    return s;
}

void Load(benchmark::State& state)
{
    Source& src = source();
    for (auto _ : state) {
        BookSession s;
        s.open(src.book, kName);
        ReviewRecord rec;
        rec.open(ReviewRecord::fileFor(src.book, kName), ReviewRecord::Mode::ReadOnly);
        ReviewModel model;
        rec.loadModel(&model);
        benchmark::DoNotOptimize(model.size());
    }
}
BENCHMARK(Load)->Unit(benchmark::kMillisecond)->Iterations(3);

void MergeIn(benchmark::State& state)
{
    Source& src = source();
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString book = src.dir.path() + QStringLiteral("/b%1/").arg(++round);
        QDir().mkpath(book);
        state.ResumeTiming();
        BookSession s;
        s.open(book, kName);
        ReviewRecord rec;
        sync::SyncOptions o{src.folder, QStringLiteral("b"), kStartMs + 1000, 1000};
        const sync::SyncReport rep = sync::syncBook(s, &rec, nullptr, Env::defaultEnv(), o,
                                                    [&] { return s.save(SaveQuestions{}).ok(); });
        if (rep.added != kEntries || rep.events != kAnswers)
            state.SkipWithError("not everything came in");
    }
}
BENCHMARK(MergeIn)->Unit(benchmark::kMillisecond)->Iterations(3);

// A year of heavy use on machine "a", merged each week.
struct Year {
    QTemporaryDir dir;
    QString book, folder;
    sync::SyncJournal journal; // follows the session as the program's does
    BookSession session;
    ReviewRecord record;
    std::mt19937 rng{3};
    int64_t day = 0;

    Year()
    {
        book = dir.path() + QStringLiteral("/a/");
        folder = dir.path() + QStringLiteral("/Sync/");
        QDir().mkpath(book);
        QDir().mkpath(folder);
        {
            Book b;
            b.path = book;
            b.name = kName;
            for (int i = 0; i < kEntries; ++i) {
                auto e = std::make_unique<WordEntry>();
                e->setWord(QStringLiteral("word%1").arg(i));
                e->setExplanation(QStringLiteral("n. the meaning of word %1").arg(i));
                e->stored.added = toEntryTime(QDateTime::fromMSecsSinceEpoch(kStartMs + int64_t(i) * 60000));
                b.AddEntry(std::move(e), AddMode::Interactive);
            }
            saveBook(b);
        }
        session.addListener(&journal);
        session.open(book, kName);
        record.open(ReviewRecord::fileFor(book, kName));
        for (; day < 365; ++day) {
            study();
            if (day % 7 == 6 || day == 364)
                merge();
        }
        record.checkpoint();
    }
    // A day's work.
    void study()
    {
        const int64_t dayMs = kStartMs + day * 86'400'000;
        for (int i = 0; i < 20; ++i)
            session.run(std::make_unique<StrangenessOp>(std::vector<int>{int(rng() % kEntries)}, Degree::Recognition,
                                                        DegreeChange::to(uint8_t(rng() % 11))));
        record.recordAnswers([&, n = 0](ReviewRecord::NewAnswer* a) mutable {
            if (n == 200)
                return false;
            *a = {EntryKey::of(*session.book().full()[rng() % kEntries]), PracticeMode(rng() % 4),
                  AnswerOutcome(rng() % 3), dayMs + int64_t(n++) * 60000, int(rng() % 9000)};
            return true;
        });
    }
    sync::SyncReport merge()
    {
        sync::SyncOptions o{folder, QStringLiteral("a"), kStartMs + day * 86'400'000 + 86'000'000, 16};
        return sync::syncBook(session, &record, &journal, Env::defaultEnv(), o, [&] { return session.save(SaveQuestions{}).ok(); });
    }
};

Year& year()
{
    static Year y;
    return y;
}

void YearCompacted(benchmark::State& state)
{
    for (auto _ : state) {
        Year& y = year();
        const double journal = double(folderBytes(y.folder));
        const double bookAndRecord = double(folderBytes(y.book, QStringLiteral(".idx")) + folderBytes(y.book, QStringLiteral(".txt"))
                                            + folderBytes(y.book, QStringLiteral(".db")));
        state.counters["journal_bytes"] = journal;
        state.counters["book_and_record_bytes"] = bookAndRecord;
        state.counters["ratio"] = journal / bookAndRecord;
        if (journal >= 2 * bookAndRecord)
            state.SkipWithError("the journal grew past twice the Book and record");
    }
}
BENCHMARK(YearCompacted)->Unit(benchmark::kSecond)->Iterations(1);

void DayAfterAYear(benchmark::State& state)
{
    Year& y = year();
    for (auto _ : state) {
        state.PauseTiming();
        ++y.day;
        y.study();
        state.ResumeTiming();
        const sync::SyncReport r = y.merge();
        if (!r.status || r.sentEvents != 200)
            state.SkipWithError("the day did not go out");
    }
}
BENCHMARK(DayAfterAYear)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
