// Import through the 导入 dialog and the start of a practice run, offscreen, with the full
// dictionary when LEXORA_ECDICT_DICT names its Dict folder (the sample dictionary otherwise).
//  - a 100,000-line style-1 import through the dialog's code path (file read, decode, parse,
//    look-ups, rows added and selected in the list, progress bar), against importWordList() of
//    the same text with the same dictionary and no window;
//  - from 开始 to the first question shown in the practice window (100 words), against the
//    engine's own start over the same rows.
#include "bench/support/quiet_services.h"
#include "common/config/profile.h"
#include "common/dictionary/dictionary.h"
#include "common/platform/sources.h"
#include "common/ui/template_builder.h"
#include "lexora/app/lexora_dlg.h"
#include "lexora/app/main_dialog.h"
#include "lexora/book/book.h"
#include "lexora/book/book_file.h"
#include "lexora/exchange/import_dialog.h"
#include "lexora/exchange/text_encoding.h"
#include "lexora/practice/practice_dialog.h"
#include "lexora/practice/practice_setup_dialog.h"
#include "resources/resources.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <functional>

namespace {

using namespace lex;
using bench::QuietServices;

constexpr int kLines = 100'000;

QString dictFolder()
{
    const QString full = QString::fromLocal8Bit(qgetenv("LEXORA_ECDICT_DICT"));
    return full.isEmpty() ? QStringLiteral(LEXORA_BENCH_BINARY_DIR "/data/Dict") : full;
}

// A program folder with a 1,000-entry Book, the dictionary linked in, and a 100,000-line
// style-1 list of real words (the sample dictionary's, over and over; all are found).
struct Folder {
    QTemporaryDir dir;
    QString home, list;
    QString text;
    Folder()
    {
        home = dir.path() + QStringLiteral("/home");
        QDir().mkpath(home + QStringLiteral("/Book"));
        QDir().mkpath(home + QStringLiteral("/Voice"));
        QFile::link(dictFolder(), home + QStringLiteral("/Dict"));
        Book book;
        book.path = home + QStringLiteral("/Book/");
        book.name = QStringLiteral("English");
        for (int i = 0; i < 1000; ++i) {
            auto e = std::make_unique<WordEntry>();
            e->setWord(QStringLiteral("word%1").arg(i));
            e->setExplanation(QStringLiteral("n. 词 %1").arg(i));
            book.AddEntry(std::move(e), AddMode::Loaded);
        }
        book.textChanged = true;
        saveBook(book);
        Profile p(home + QStringLiteral("/Config.INI"));
        p.writeInt(QStringLiteral("INIT"), QStringLiteral("IsFist"), 0);
        p.writeInt(QStringLiteral("INIT"), QStringLiteral("IsDisableTTS"), 1);
        p.writeString(QStringLiteral("INIT"), QStringLiteral("VoicePath"), home + QStringLiteral("/Voice/"));
        p.writeString(QStringLiteral("INIT"), QStringLiteral("BookPath"), book.path);
        p.writeString(QStringLiteral("INIT"), QStringLiteral("BookName"), book.name);

        QStringList words;
        QFile tsv(QStringLiteral(LEXORA_BENCH_SOURCE_DIR "/data/dict/words.tsv"));
        if (tsv.open(QIODevice::ReadOnly))
            for (const QByteArray& line : tsv.readAll().split('\n'))
                if (!line.isEmpty() && !line.startsWith('#'))
                    words << QString::fromUtf8(line.left(line.indexOf('\t')));
        if (words.isEmpty())
            words << QStringLiteral("abandon");
        for (int i = 0; i < kLines; ++i)
            text += words[i % words.size()] + QStringLiteral("\r\n");
        list = dir.path() + QStringLiteral("/list.txt");
        QFile f(list);
        f.open(QIODevice::WriteOnly);
        f.write(text.toUtf8());
    }
};

Folder& folder()
{
    static Folder f;
    return f;
}

void BM_Baseline_ImportCore100k(benchmark::State& state)
{
    Dictionary dict(DictVariant::Main);
    dict.openFolder(dictFolder());
    for (auto _ : state) {
        Book book;
        ImportSettings s;
        s.lookUp = [&dict](QStringView w, QString& e, QString& p) { return dict.LookUpWord(w, e, p); };
        const ImportResult r = importWordList(book, folder().text, s, *Clock::system());
        if (r.added != kLines)
            state.SkipWithError("wrong count");
    }
}
BENCHMARK(BM_Baseline_ImportCore100k)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ImportDialog100k(benchmark::State& state)
{
    QuietServices ui;
    AppServices services;
    services.ui = &ui;
    int progressSteps = 0, added = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto w = std::make_unique<CMainDialog>(services, folder().home);
        w->initialise();
        w->show();
        w->onCommand(32899, 0);
        QCoreApplication::processEvents();
        const int before = w->wordBook()->book().size();
        std::chrono::steady_clock::duration took{};
        ui.script = [&](QDialog& d) {
            auto& dialog = dynamic_cast<CMyImportDialog&>(d);
            ui::control<QLineEdit>(&dialog, res::import_dlg::kPath)->setText(folder().list);
            dialog.onProgress = [&](qsizetype, qsizetype) { ++progressSteps; };
            const auto t0 = std::chrono::steady_clock::now();
            dialog.onCommand(res::import_dlg::kRun, 0);
            took = std::chrono::steady_clock::now() - t0;
            return int(QDialog::Rejected);
        };
        w->onCommand(14000, 0);
        ui.script = nullptr;
        added = w->wordBook()->book().size() - before;
        state.SetIterationTime(std::chrono::duration<double>(took).count());
        w.reset();
        state.ResumeTiming();
    }
    if (added != kLines)
        state.SkipWithError("wrong count");
    state.counters["progress_steps_per_run"] = double(progressSteps) / double(state.iterations());
}
BENCHMARK(BM_ImportDialog100k)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

void BM_Baseline_EngineStart100(benchmark::State& state)
{
    Book book;
    for (int i = 0; i < 1000; ++i) {
        auto e = std::make_unique<WordEntry>();
        e->setWord(QStringLiteral("word%1").arg(i));
        e->setExplanation(QStringLiteral("n. 词 %1").arg(i));
        book.AddEntry(std::move(e), AddMode::Loaded);
    }
    std::vector<int32_t> rows;
    for (int i = 0; i < 100; ++i)
        rows.push_back(i);
    LcgRandom random(3);
    // The start writes nothing; the engine only needs somewhere to send answers.
    struct : PracticeWriter {
        void settle(const PracticeAnswer&) override {}
    } writer;
    for (auto _ : state) {
        PracticeEngine engine(book, writer, PracticeSettings{PracticeMode::Learn, Direction::EnToZh, 3}, PracticeOptions{},
                              random, *Clock::system());
        engine.start(rows);
        benchmark::DoNotOptimize(engine.view().remaining);
    }
}
BENCHMARK(BM_Baseline_EngineStart100)->Unit(benchmark::kMicrosecond);

void BM_PracticeStartToFirstQuestion(benchmark::State& state)
{
    QuietServices ui;
    AppServices services;
    services.ui = &ui;
    auto w = std::make_unique<CMainDialog>(services, folder().home);
    w->initialise();
    w->show();
    w->onCommand(32899, 0);
    QCoreApplication::processEvents();
    CMyListCtrl* list = w->wordBook()->list();
    for (int r = 0; r < 100; ++r)
        list->selectionModel()->select(list->model()->index(r, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    for (auto _ : state) {
        std::chrono::steady_clock::time_point start;
        std::chrono::steady_clock::duration took{};
        ui.script = [&](QDialog& d) {
            if (auto* setup = dynamic_cast<CMyMemSet*>(&d)) {
                setup->onCommand(1, 0);   // 开始
                start = std::chrono::steady_clock::now();
                return setup->result();
            }
            auto& practice = dynamic_cast<CMyPracticeDialog&>(d);
            practice.show();
            QCoreApplication::processEvents();
            practice.repaint();   // the first question is on screen
            took = std::chrono::steady_clock::now() - start;
            practice.onCommand(2, 0);   // the close button: the run ends
            return practice.result();
        };
        w->onCommand(14014, 0);
        ui.script = nullptr;
        state.SetIterationTime(std::chrono::duration<double>(took).count());
    }
}
BENCHMARK(BM_PracticeStartToFirstQuestion)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

} // namespace
