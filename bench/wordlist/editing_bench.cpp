// Editing speed: "查找下一个" over a Book of 1,000,000 entries without a match (a whole wrap)
// against a plain substring scan over the same texts held in memory (the baseline, same run);
// the dictionary fill per keystroke of the add dialog (p99 reported); listing a folder of 1,000
// Books in the groups dialog. Undo on the same Book: a header sort kept as an undo step and its
// undo, a delete of every entry and its undo, against the same sort of the Book itself, keeping
// nothing for an undo (the baseline, same run); what the kept sort steps hold is a counter. With
// the word list over the Book: a strangeness change of 100,000 scattered selected rows from the
// list's menu and its undo, which selects those rows again (vs_change: the undo over the change).
//   LEXORA_ECDICT_DICT=<Dict folder>  the full dictionary; otherwise the built sample dictionary.
#include "common/dictionary/dictionary.h"
#include "common/platform/sources.h"
#include "lexora/book/book_file.h"
#include "lexora/book/book_session.h"
#include "lexora/wordlist/add_modify_dialog.h"
#include "lexora/book/operations/entry_ops.h"
#include "lexora/book/operations/order_ops.h"
#include "lexora/wordlist/group_dialog.h"
#include "lexora/wordlist/my_list_ctrl.h"
#include "tests/support/session_probe.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <random>

using namespace lex;

namespace {

constexpr int kEntries = 1'000'000;

QString wordOf(int i) { return QStringLiteral("word%1").arg(i); }
QString explanationOf(int i) { return QStringLiteral("n. 解释 number %1; a longer gloss").arg(i); }

// The Book as the program has it after loading: saved once, read back (entries borrow their
// texts from the loaded text file).
BookSession& bigSession()
{
    static QTemporaryDir dir;
    static BookSession session;
    static bool loaded = false;
    if (!loaded) {
        Book made;
        made.path = dir.path() + QLatin1Char('/');
        made.name = QStringLiteral("Big");
        for (int i = 0; i < kEntries; ++i) {
            auto e = std::make_unique<WordEntry>();
            e->setWord(wordOf(i));
            e->setExplanation(explanationOf(i));
            made.AddEntry(std::move(e), AddMode::Loaded);
        }
        made.textChanged = true;
        saveBook(made);
        session.open(made.path, made.name);
        loaded = true;
    }
    return session;
}

void BM_Baseline_SubstringScan1M(benchmark::State& state)
{
    QStringList texts;
    texts.reserve(kEntries);
    for (int i = 0; i < kEntries; ++i)
        texts << explanationOf(i);
    const QString needle = QStringLiteral("nowhere");
    for (auto _ : state) {
        int found = -1;
        for (int i = 0; i < kEntries && found < 0; ++i)
            if (texts[i].contains(needle))
                found = i;
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_Baseline_SubstringScan1M)->Unit(benchmark::kMillisecond);

void BM_FindNextNoMatch1M(benchmark::State& state)
{
    BookSession& s = bigSession();
    const QString needle = QStringLiteral("nowhere");
    for (auto _ : state)
        benchmark::DoNotOptimize(s.findNext(kEntries / 2, needle, false));
}
BENCHMARK(BM_FindNextNoMatch1M)->Unit(benchmark::kMillisecond);

// Each keystroke of a word typed into the add dialog, until the window has filled phonetic and
// explanation from the dictionary (the look-up included).
void BM_DictionaryFillPerKeystroke(benchmark::State& state)
{
    static Dictionary dict(DictVariant::Main);
    QString folder = QString::fromLocal8Bit(qgetenv("LEXORA_ECDICT_DICT"));
    if (folder.isEmpty())
        folder = QCoreApplication::applicationDirPath() + QStringLiteral("/../../data/Dict");
    if (!dict.isOpen() && !dict.openFolder(folder).isEmpty()) {
        state.SkipWithError("no dictionary");
        return;
    }
    BookSession session;
    FixedClock clock(QDateTime::currentDateTime());
    CMyAddModifyDialog::Inputs in;
    in.session = &session;
    in.clock = &clock;
    in.lookUp = [](QStringView w, QString& e, QString& p) { return dict.LookUpWord(w, e, p); };
    CMyAddModifyDialog d(in);
    d.show();
    QLineEdit* word = d.item<QLineEdit>(CMyAddModifyDialog::kWord);
    const QStringList words = {QStringLiteral("abandon"), QStringLiteral("international"), QStringLiteral("take"),
                               QStringLiteral("zebra"), QStringLiteral("photosynthesis"), QStringLiteral("quick")};
    std::vector<double> us;
    size_t k = 0;
    for (auto _ : state) {
        const QString& w = words[k++ % size_t(words.size())];
        word->clear();
        QCoreApplication::processEvents();
        for (QChar c : w) {
            QElapsedTimer t;
            t.start();
            QTest::keyClick(word, c.toLatin1());
            QCoreApplication::processEvents();   // the coalesced look-up and the fill
            us.push_back(t.nsecsElapsed() / 1000.0);
        }
    }
    std::sort(us.begin(), us.end());
    if (!us.empty()) {
        state.counters["p50_us"] = us[us.size() / 2];
        state.counters["p99_us"] = us[std::min(us.size() - 1, us.size() * 99 / 100)];
        state.counters["max_us"] = us.back();
    }
}
BENCHMARK(BM_DictionaryFillPerKeystroke)->Unit(benchmark::kMillisecond)->Iterations(60);

// The groups dialog opened on a folder of 1,000 Books: listing, sorting, the figures of one.
void BM_GroupsDialogFolderOf1000(benchmark::State& state)
{
    static QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    static bool made = false;
    if (!made) {
        Book b;
        b.path = folder;
        b.textChanged = true;
        for (int i = 0; i < 1000; ++i) {
            b.name = QStringLiteral("Book%1").arg(i, 4, 10, QLatin1Char('0'));
            saveBook(b);
        }
        made = true;
    }
    CMyCategory::Inputs in;
    in.folder = folder;
    in.openName = QStringLiteral("Book0000");
    CMyCategory d(in);
    for (auto _ : state)
        d.refill();
    state.counters["books"] = 1000;
}
BENCHMARK(BM_GroupsDialogFolderOf1000)->Unit(benchmark::kMillisecond);

// ---- undo ----------------------------------------------------------------------------------

// Column 1 clicked again and again: each click flips the direction, so each sort moves every entry.
// The baseline sorts the Book itself, keeping nothing for an undo.
void BM_Baseline_SessionSort1M(benchmark::State& state)
{
    BookSession& s = bigSession();
    SortState sort;
    for (auto _ : state) {
        sort.click(1);
        sortBook(lextest::writableBook(s), 1, sort.ascending);
    }
}
BENCHMARK(BM_Baseline_SessionSort1M)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_HistorySort1M(benchmark::State& state)
{
    BookSession& s = bigSession();
    s.history().clear();
    for (auto _ : state)
        s.run(std::make_unique<SortOp>(1));
    // Each step keeps one 32-bit position per entry.
    state.counters["kept_MB"] = double(s.history().bytes()) / (1024.0 * 1024.0);
    s.history().clear();
}
BENCHMARK(BM_HistorySort1M)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_UndoSort1M(benchmark::State& state)
{
    BookSession& s = bigSession();
    s.history().clear();
    for (auto _ : state) {
        state.PauseTiming();
        s.run(std::make_unique<SortOp>(1));
        state.ResumeTiming();
        s.undo();
    }
    s.history().clear();
}
BENCHMARK(BM_UndoSort1M)->Unit(benchmark::kMillisecond)->Iterations(6);

void BM_DeleteEveryEntryAndUndo1M(benchmark::State& state)
{
    BookSession& s = bigSession();
    s.history().clear();
    std::vector<int> all(size_t(s.rowCount()));
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = int(i);
    for (auto _ : state) {
        s.run(std::make_unique<DeleteOp>(all));
        s.undo();
    }
    s.history().clear();
    if (s.rowCount() != kEntries)
        state.SkipWithError("the entries did not come back");
}
BENCHMARK(BM_DeleteEveryEntryAndUndo1M)->Unit(benchmark::kMillisecond)->Iterations(6);

// ---- undo of a strangeness change on scattered rows, with the list ---------------------------

// The word list over the same Book, as the window has it: its model follows the session, a menu
// command reads the selection, an undo selects the rows it brought back.
struct QuietListHost final : ListHost {
    bool isToggleChecked(int) const override { return true; }
    void setSelectionText(const QString&) override {}
    void SpeakWord(const QString&) override {}
    bool lookUpWord(QStringView, QString&, QString&) override { return false; }
    bool onCommand(int, qintptr) override { return true; }
};

// `shown`: on the screen, so that each change is drawn (the drawing asks the selection model about
// each visible cell, which looks through every selected range); hidden: the model and selection
// work alone.
CMyListCtrl& bigList(bool shown)
{
    static QuietListHost host;
    static FixedClock clock(QDateTime(QDate(2026, 12, 9), QTime(10, 0)));
    // Never destroyed: a widget must not outlive the application object.
    static CMyListCtrl* list = nullptr;
    if (!list) {
        list = new CMyListCtrl(&host, &bigSession(), &clock);
        list->resize(900, 600);
    }
    list->setVisible(shown);
    QCoreApplication::processEvents();
    return *list;
}

// 100,000 rows scattered over the million (no two neighbours), selected as today's review does.
const std::vector<int>& scatteredRows()
{
    static std::vector<int> rows;
    if (rows.empty()) {
        std::mt19937 random(30);
        for (int block = 0; block < kEntries; block += 10)
            rows.push_back(block + int(random() % 9));
    }
    return rows;
}

// "设置陌生度 / 认读 / 5" from the list's menu on the selected rows, until the list has drawn it.
double changeSelected(CMyListCtrl& list)
{
    QElapsedTimer t;
    t.start();
    list.onListCommand(cmd::kSetStrangeness + 100 + 5);
    QCoreApplication::processEvents();
    return double(t.nsecsElapsed()) / 1e6;
}

void BM_StrangenessChange100kScatteredOf1M(benchmark::State& state)
{
    BookSession& s = bigSession();
    CMyListCtrl& list = bigList(state.range(0) != 0);
    s.history().clear();
    list.selectRows(scatteredRows());
    for (auto _ : state) {
        changeSelected(list);
        state.PauseTiming();
        s.undo();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    s.history().clear();
}
BENCHMARK(BM_StrangenessChange100kScatteredOf1M)->Unit(benchmark::kMillisecond)->Iterations(10)->Arg(0)->Arg(1);

// The undo of that change (Ctrl+Z), the rows brought back selected and drawn. vs_change: the undo
// over the change, both timed in each iteration.
void BM_UndoStrangenessChange100kScatteredOf1M(benchmark::State& state)
{
    BookSession& s = bigSession();
    CMyListCtrl& list = bigList(state.range(0) != 0);
    s.history().clear();
    list.selectRows(scatteredRows());
    double changeMs = 0, undoMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        changeMs += changeSelected(list);
        state.ResumeTiming();
        QElapsedTimer t;
        t.start();
        s.undo();
        QCoreApplication::processEvents();
        undoMs += double(t.nsecsElapsed()) / 1e6;
    }
    state.counters["vs_change"] = changeMs > 0 ? undoMs / changeMs : 0;
    if (list.selectedRows() != scatteredRows())
        state.SkipWithError("the undone rows are not the ones selected");
    s.history().clear();
}
BENCHMARK(BM_UndoStrangenessChange100kScatteredOf1M)->Unit(benchmark::kMillisecond)->Iterations(10)->Arg(0)->Arg(1);

// The same undo after the learner has picked another row: the 100,000 rows are selected anew.
void BM_UndoStrangenessChangeReselecting100kOf1M(benchmark::State& state)
{
    BookSession& s = bigSession();
    CMyListCtrl& list = bigList(state.range(0) != 0);
    s.history().clear();
    for (auto _ : state) {
        state.PauseTiming();
        list.selectRows(scatteredRows());
        changeSelected(list);
        list.setFocusedRow(0);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        s.undo();
        QCoreApplication::processEvents();
    }
    if (list.selectedRows() != scatteredRows())
        state.SkipWithError("the undone rows are not the ones selected");
    s.history().clear();
}
BENCHMARK(BM_UndoStrangenessChangeReselecting100kOf1M)->Unit(benchmark::kMillisecond)->Iterations(10)->Arg(0)->Arg(1);

} // namespace
