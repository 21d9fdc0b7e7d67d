// The main program at scale, offscreen. Each figure has its baseline in the same run:
//  - start-up to a shown, laid-out word-book page with a 100,000-entry Book, against loading the
//    same Book with the core alone;
//  - a header sort of 1,000,000 entries by word, against the core's sort of the same entries;
//  - scrolling a 1,000,000-row list (a jump and a synchronous repaint), against the same on a
//    100-row list.
#include "bench/support/quiet_services.h"
#include "common/config/profile.h"
#include "common/platform/sources.h"
#include "lexora/app/lexora_dlg.h"
#include "lexora/app/main_dialog.h"
#include "lexora/book/book_file.h"
#include "lexora/book/list_ops.h"
#include "tests/support/session_probe.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <random>

namespace {

using namespace lex;
using bench::QuietServices;

// Distinct words, as in a real Book: random syllables, then the number in syllables.
QString randomWord(std::mt19937& rng, int number)
{
    static const char* const syl[] = {"ab", "con", "de", "ex", "in", "ing", "ly", "ment", "pro", "re", "sion",
                                      "ta", "ter", "tion", "un", "ver", "a", "o", "i", "ble"};
    std::uniform_int_distribution<int> n(1, 3), s(0, 19);
    QString w;
    for (int i = n(rng); i > 0; --i)
        w += QLatin1String(syl[s(rng)]);
    for (int j = number; j > 0; j /= 20)
        w += QLatin1String(syl[j % 20]);
    return w;
}

void fillBook(Book& book, int count)
{
    std::mt19937 rng(42);
    for (int i = 0; i < count; ++i) {
        auto e = std::make_unique<WordEntry>();
        e->setWord(randomWord(rng, i));
        e->setExplanation(QStringLiteral("n. 学习；记忆 %1").arg(i));
        e->setPhonetic(QStringLiteral("5iN^liF"));
        e->stored.recognition = uint8_t(i % 11);
        e->stored.review = EntryTime{uint8_t(i % 16), 3, 4, 5, 6};
        book.AddEntry(std::move(e), AddMode::Loaded);
    }
}

// A program folder with a 100,000-entry Book "English", made once.
struct Folder {
    QTemporaryDir dir;
    QString home;
    Folder()
    {
        home = dir.path() + QStringLiteral("/home");
        QDir().mkpath(home + QStringLiteral("/Book"));
        QDir().mkpath(home + QStringLiteral("/Voice"));
        QDir().mkpath(home + QStringLiteral("/Dict"));
        Book book;
        book.path = home + QStringLiteral("/Book/");
        book.name = QStringLiteral("English");
        fillBook(book, 100'000);
        book.textChanged = true;
        saveBook(book);
        Profile p(home + QStringLiteral("/Config.INI"));
        p.writeInt(QStringLiteral("INIT"), QStringLiteral("IsFist"), 0);
        p.writeInt(QStringLiteral("INIT"), QStringLiteral("IsDisableTTS"), 1);
        p.writeString(QStringLiteral("INIT"), QStringLiteral("VoicePath"), home + QStringLiteral("/Voice/"));
        p.writeString(QStringLiteral("INIT"), QStringLiteral("BookPath"), book.path);
        p.writeString(QStringLiteral("INIT"), QStringLiteral("BookName"), book.name);
        p.writeInt(QStringLiteral("MAINLISTCTRL"), QStringLiteral("FocusedItem"), 50'000);
    }
};

Folder& folder()
{
    static Folder f;
    return f;
}

void BM_Baseline_LoadBook100k(benchmark::State& state)
{
    for (auto _ : state) {
        Book book;
        book.path = folder().home + QStringLiteral("/Book/");
        book.name = QStringLiteral("English");
        LoadBook(book);
        benchmark::DoNotOptimize(book.size());
    }
}
BENCHMARK(BM_Baseline_LoadBook100k)->Unit(benchmark::kMillisecond);

void BM_StartupToWordBookPage100k(benchmark::State& state)
{
    QuietServices ui;
    AppServices services;
    services.ui = &ui;
    for (auto _ : state) {
        auto w = std::make_unique<CMainDialog>(services, folder().home);
        w->initialise();
        w->show();
        w->onCommand(32899, 0);   // "学习"
        QCoreApplication::processEvents();
        // Usable: the list has painted its rows.
        w->wordBook()->list()->viewport()->repaint();
        benchmark::DoNotOptimize(w->wordBook()->list()->itemCount());
        state.PauseTiming();
        w.reset();   // closing without the shutdown: nothing is written
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartupToWordBookPage100k)->Unit(benchmark::kMillisecond);

// A Book of `count` entries as the program has it after loading: written once, read back.
void loadBig(Book& book, int count)
{
    static QTemporaryDir dir;
    book.path = dir.path() + QLatin1Char('/');
    book.name = QStringLiteral("Big%1").arg(count);
    if (!QFile::exists(book.indexPath())) {
        Book made;
        made.path = book.path;
        made.name = book.name;
        fillBook(made, count);
        made.textChanged = true;
        saveBook(made);
    }
    LoadBook(book);
}

struct BigList {
    BookSession session;
    Book& book = lextest::writableBook(session);   // filled from outside, before any view
    std::unique_ptr<CMyListCtrl> list;
    struct Host : ListHost {
        bool isToggleChecked(int) const override { return true; }
        void setSelectionText(const QString&) override {}
        void SpeakWord(const QString&) override {}
        bool lookUpWord(QStringView, QString&, QString&) override { return false; }
        bool onCommand(int, qintptr) override { return true; }
    } host;
    explicit BigList(int count)
    {
        loadBig(book, count);
        list = std::make_unique<CMyListCtrl>(&host, &session, Clock::system());
        list->resize(900, 600);
        list->show();
        QCoreApplication::processEvents();
    }
};

void shuffleFull(Book& book)
{
    static std::mt19937 rng(7);
    std::shuffle(book.fullForReorder().begin(), book.fullForReorder().end(), rng);
    book.syncViewToFull();
}

void BM_Baseline_CoreSortByWord1M(benchmark::State& state)
{
    Book book;
    loadBig(book, 1'000'000);
    for (auto _ : state) {
        state.PauseTiming();
        shuffleFull(book);
        state.ResumeTiming();
        sortBook(book, 1, true);
    }
}
BENCHMARK(BM_Baseline_CoreSortByWord1M)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_HeaderSortByWord1M(benchmark::State& state)
{
    BigList big(1'000'000);
    for (auto _ : state) {
        state.PauseTiming();
        shuffleFull(big.book);
        state.ResumeTiming();
        big.list->sortByHeader(1);
        big.list->viewport()->repaint();
    }
}
BENCHMARK(BM_HeaderSortByWord1M)->Unit(benchmark::kMillisecond)->Iterations(5);

void scrollJumps(benchmark::State& state, int rows)
{
    BigList big(rows);
    QScrollBar* bar = big.list->verticalScrollBar();
    std::mt19937 rng(3);
    for (auto _ : state) {
        bar->setValue(std::uniform_int_distribution<int>(0, bar->maximum())(rng));
        big.list->viewport()->repaint();
    }
    state.counters["rows"] = rows;
}
void BM_Baseline_Scroll100Rows(benchmark::State& state) { scrollJumps(state, 100); }
void BM_Scroll1MRows(benchmark::State& state) { scrollJumps(state, 1'000'000); }
BENCHMARK(BM_Baseline_Scroll100Rows)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Scroll1MRows)->Unit(benchmark::kMicrosecond);

} // namespace
