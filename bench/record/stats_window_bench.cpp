// 学习统计 on a 1,000,000-entry Book whose learning record holds 10,000,000 answers (10 per entry
// over the last 300 days, all three skills) and the memory state of every entry and skill. The
// record is written straight through SQLite into the record's own schema, which takes seconds
// where recording answer by answer would take minutes; it gets its day tallies when opened for
// writing once, as a record written before them does.
//
//  - BookFigures: the Book's own figures (degrees, words added per month): the named baseline.
//  - OpenStatisticsWindow: from the command to the window shown and painted with its pages (the
//    record's pages still reading). Counters: `vs_book_figures`, its time over BookFigures' in the
//    same run; `record_in_ms`, from the command until the record's figures are in and drawn;
//    `close_while_reading_ms`, the longest time 关闭 takes (the window closed and destroyed) when
//    pressed 50, 300 and 700 ms after the window opened, the record still being read.
#include "lexora/record/review_record.h"
#include "lexora/record/review_stats.h"
#include "lexora/stats/statistics_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr int kEntries = 1'000'000;
constexpr int kAnswersPerEntry = 10;
const QDate kToday(2026, 12, 7);

void check(int rc, sqlite3* db, const char* what)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
        std::abort();
    }
}

struct Fixture {
    QTemporaryDir dir;
    QString bookPath = dir.path() + QLatin1Char('/');
    std::vector<lex::WordEntry> block;
    std::vector<lex::WordEntry*> entries;

    Fixture() : block(kEntries)
    {
        std::mt19937 rng(2026);
        entries.reserve(kEntries);
        for (int i = 0; i < kEntries; ++i) {
            lex::WordEntry& e = block[size_t(i)];
            e.setWord(QStringLiteral("word%1").arg(i));
            e.stored.recognition = uint8_t(rng() % 11);
            e.stored.spelling = uint8_t(rng() % 11);
            e.stored.listening = uint8_t(rng() % 11);
            const QDate r = kToday.addDays(-int(rng() % 300));
            e.stored.review = lex::EntryTime{uint8_t(r.year() % 16), uint8_t(r.month()), uint8_t(r.day()), 9, 30};
            const QDate a = kToday.addDays(-300 - int(rng() % 700));
            e.stored.added = lex::EntryTime{uint8_t(a.year() % 16), uint8_t(a.month()), uint8_t(a.day()), 8, uint8_t(i % 60)};
            entries.push_back(&e);
        }
        QElapsedTimer t;
        t.start();
        const QString file = lex::ReviewRecord::fileFor(bookPath, QStringLiteral("Big"));
        {
            // The record makes its own file and schema with its first answer.
            lex::ReviewRecord record;
            if (!record.open(file) || !record.recordAnswer(lex::EntryKey::of(block[0]), lex::PracticeMode::Learn,
                                                           lex::AnswerOutcome::Right,
                                                           QDateTime(kToday.addDays(-301), QTime(8, 0)), 1000))
                std::abort();
        }
        sqlite3* db = nullptr;
        check(sqlite3_open(file.toUtf8().constData(), &db), db, "open");
        // Written as by a build before the day tallies: those are made when the record is next
        // opened for writing (timed below), as a learner's record gets them.
        check(sqlite3_exec(db, "PRAGMA synchronous=OFF; PRAGMA cache_size=-2000000; BEGIN; DELETE FROM answers; "
                               "DELETE FROM memory; DELETE FROM entries; DROP TRIGGER answer_days_in; "
                               "DROP TRIGGER answer_days_out; DROP TRIGGER answer_days_moved; DROP TABLE answer_days;",
                           nullptr, nullptr, nullptr), db, "clear");
        sqlite3_stmt *entry = nullptr, *answer = nullptr, *memory = nullptr;
        check(sqlite3_prepare_v2(db, "INSERT INTO entries(id, word, added) VALUES(?1, ?2, ?3)", -1, &entry, nullptr), db, "entries");
        check(sqlite3_prepare_v2(db, "INSERT INTO answers(entry, mode, skill, outcome, at, duration_ms) VALUES(?1, ?2, ?3, ?4, ?5, ?6)",
                                 -1, &answer, nullptr), db, "answers");
        check(sqlite3_prepare_v2(db, "INSERT INTO memory(entry, skill, stability, difficulty, last_at, answers) "
                                     "VALUES(?1, ?2, ?3, ?4, ?5, ?6)", -1, &memory, nullptr), db, "memory");
        const int64_t firstMs = lex::localMs(QDateTime(kToday.addDays(-300), QTime(8, 0)));
        constexpr int kModes[] = {1, 3, 0, 2}; // learn, dictate, listen, drill
        constexpr int kSkillOfMode[] = {2, 0, 0, 1};
        for (int i = 0; i < kEntries; ++i) {
            const lex::WordEntry& e = block[size_t(i)];
            const QString word = e.word().toString();
            sqlite3_bind_int64(entry, 1, i + 1);
            sqlite3_bind_text16(entry, 2, word.utf16(), int(word.size() * 2), SQLITE_TRANSIENT);
            sqlite3_bind_int64(entry, 3, lex::packedTime(e.stored.added));
            check(sqlite3_step(entry), db, "entry");
            sqlite3_reset(entry);
            int64_t lastAt[3] = {0, 0, 0};
            for (int j = 0; j < kAnswersPerEntry; ++j) {
                const int mode = kModes[j % 4], skill = kSkillOfMode[mode];
                const int64_t at = firstMs + int64_t(j) * 30 * 86400000 + i;
                sqlite3_bind_int64(answer, 1, i + 1);
                sqlite3_bind_int(answer, 2, mode);
                sqlite3_bind_int(answer, 3, skill);
                sqlite3_bind_int(answer, 4, (i + j) % 3 == 0 ? 1 : 0);
                sqlite3_bind_int64(answer, 5, at);
                sqlite3_bind_int(answer, 6, 800 + (i + j) % 4000);
                check(sqlite3_step(answer), db, "answer");
                sqlite3_reset(answer);
                lastAt[skill] = at;
            }
            for (int s = 0; s < 3; ++s) {
                sqlite3_bind_int64(memory, 1, i + 1);
                sqlite3_bind_int(memory, 2, s);
                sqlite3_bind_double(memory, 3, 1.0 + double(rng() % 20000) / 100);
                sqlite3_bind_double(memory, 4, 1.0 + double(rng() % 900) / 100);
                sqlite3_bind_int64(memory, 5, lastAt[s]);
                sqlite3_bind_int(memory, 6, 3);
                check(sqlite3_step(memory), db, "memory row");
                sqlite3_reset(memory);
            }
        }
        sqlite3_finalize(entry);
        sqlite3_finalize(answer);
        sqlite3_finalize(memory);
        check(sqlite3_exec(db, "COMMIT; PRAGMA wal_checkpoint(TRUNCATE);", nullptr, nullptr, nullptr), db, "commit");
        sqlite3_close(db);
        const qint64 made = t.restart();
        {
            lex::ReviewRecord record;
            if (!record.open(file))
                std::abort();
        }
        std::fprintf(stderr, "record of %d entries and %d answers made in %.1f s; its day tallies made in %.1f s\n",
                     kEntries, kEntries * kAnswersPerEntry, double(made) / 1000, double(t.elapsed()) / 1000);
    }

    lex::StudyStatistics::Source source() const
    {
        lex::StudyStatistics::Source s;
        s.entries = entries;
        s.recordFile = lex::ReviewRecord::fileFor(bookPath, QStringLiteral("Big"));
        s.today = kToday;
        return s;
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

double bookFiguresMs()
{
    Fixture& f = fixture();
    QElapsedTimer t;
    t.start();
    lex::ReviewFigures figures;
    lex::computeBookFigures(f.entries, kToday, &figures);
    benchmark::DoNotOptimize(figures.degrees.data());
    return double(t.nsecsElapsed()) / 1e6;
}

void BookFigures(benchmark::State& state)
{
    for (auto _ : state)
        state.SetIterationTime(bookFiguresMs() / 1000);
}
BENCHMARK(BookFigures)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void OpenStatisticsWindow(benchmark::State& state)
{
    Fixture& f = fixture();
    std::vector<double> baseline;
    for (int i = 0; i < 3; ++i)
        baseline.push_back(bookFiguresMs());
    std::sort(baseline.begin(), baseline.end());
    double openMs = 0, recordMs = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        auto window = std::make_unique<lex::StatisticsWindow>(f.source(), lex::StatisticsWindow::Deps{});
        window->show();
        QApplication::processEvents(); // laid out and painted
        const double open = double(t.nsecsElapsed()) / 1e6;
        state.SetIterationTime(open / 1000);
        window->statistics().waitForRecord();
        QApplication::processEvents();
        recordMs += double(t.nsecsElapsed()) / 1e6;
        openMs += open;
        window.reset();
    }
    double closeMs = 0;
    for (const int after : {50, 300, 700}) {
        auto window = std::make_unique<lex::StatisticsWindow>(f.source(), lex::StatisticsWindow::Deps{});
        window->show();
        QApplication::processEvents();
        QThread::msleep(after);
        QElapsedTimer t;
        t.start();
        window->onCommand(lex::ui::IDCANCEL, 0);
        window.reset();
        closeMs = std::max(closeMs, double(t.nsecsElapsed()) / 1e6);
    }
    const double n = double(state.iterations());
    state.counters["vs_book_figures"] = (openMs / n) / baseline[1];
    state.counters["record_in_ms"] = recordMs / n;
    state.counters["close_while_reading_ms"] = closeMs;
}
BENCHMARK(OpenStatisticsWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
