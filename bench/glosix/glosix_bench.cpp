// The companion at full size. Each figure has its baseline in the same run:
//  - ShowEntryText of the longest entry of the dictionary, against setPlainText of the same
//    shown text (the pane's own cost for that much text, without colours or indents);
//  - a cold start of the Glosix process until a word's entry is shown (Lexora's road: the ready
//    event, then the word, answered once the entry is in the pane), against the start of the
//    same executable that only prints its version;
//  - the same cold start with five StarDict dictionaries of 100,000 headwords each (dictzip) in
//    ~/.local/share/stardict/dic, where the companion finds them, against the start with none;
//  - a word from Lexora into the window until its entry is shown, in process, with the English
//    parts under it (both accents' IPA, WordNet's senses; WordNet from LEXORA_WORDNET_PATH, else
//    the system's) against the same look-up with [ENGLISH] turned off;
//  - a word sent to the running Glosix until its entry is shown, against a word it does not have
//    (the link's round trip without a look-up hit or drawing).
//
// The dictionary: LEXORA_BENCH_HOME (a program folder with Dict/21ct.*, e.g. made by
// tools/fetch_ecdict.sh), else the sample program folder of the build.
#include "common/dictionary/dictionary.h"
#include "common/dictionary/stardict_writer.h"
#include "common/platform/named_event.h"
#include "common/platform/window_link.h"
#include "common/text/codepage.h"
#include "glosix/entry_markup.h"
#include "glosix/entry_view.h"
#include "glosix/glosix_dlg.h"
#include "glosix/glosix_services.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFontInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextEdit>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>

namespace {

using namespace lex;

QString benchHome()
{
    const QString env = qEnvironmentVariable("LEXORA_BENCH_HOME");
    return env.isEmpty() ? QStringLiteral(LEXORA_SAMPLE_HOME) : env;
}

// The headword of the longest entry text: every text starts with "`1`" and its headword.
QString longestWord(const QString& dicPath)
{
    QFile f(dicPath);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray all = f.readAll();
    qsizetype best = -1, bestLen = 0, prev = -1;
    for (qsizetype at = all.indexOf("`1`"); ; at = all.indexOf("`1`", at + 3)) {
        const qsizetype end = at < 0 ? all.size() : at;
        if (prev >= 0 && end - prev > bestLen) {
            bestLen = end - prev;
            best = prev;
        }
        if (at < 0)
            break;
        prev = at;
    }
    if (best < 0)
        return {};
    const qsizetype stop = all.indexOf('`', best + 3);
    return cp936::decode(all.mid(best + 3, stop - best - 3));
}

struct Dict {
    Dictionary dict{DictVariant::Companion};
    QString word, text;
    Dict()
    {
        dict.openFolder(benchHome() + QStringLiteral("/Dict"));
        word = longestWord(benchHome() + QStringLiteral("/Dict/21ct.dic"));
        if (!dict.LookUpEntryText(word, text))
            std::fprintf(stderr, "glosix_bench: the longest entry \"%s\" is not found\n", qPrintable(word));
    }
};
Dict& dict()
{
    static Dict d;
    return d;
}

void BM_ShowEntryText_Longest(benchmark::State& state)
{
    QTextEdit pane;
    pane.resize(600, 400);
    pane.show();   // laid out as on screen
    EntryFonts fonts{pane.font()};
    const QString& text = dict().text;
    for (auto _ : state)
        ShowEntryText(&pane, text, fonts);
    state.SetLabel(QStringLiteral("%1: %2 units").arg(dict().word).arg(text.size()).toStdString());
}
BENCHMARK(BM_ShowEntryText_Longest)->Unit(benchmark::kMillisecond);

void BM_Baseline_SetPlainText_Longest(benchmark::State& state)
{
    QTextEdit pane;
    pane.resize(600, 400);
    pane.show();
    const QString shown = parseEntryText(dict().text).text;
    for (auto _ : state)
        pane.setPlainText(shown);
}
BENCHMARK(BM_Baseline_SetPlainText_Longest)->Unit(benchmark::kMillisecond);

void BM_ParseEntryText_Longest(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(parseEntryText(dict().text));
}
BENCHMARK(BM_ParseEntryText_Longest)->Unit(benchmark::kMicrosecond);

// The window as Glosix runs it, from a program folder of its own sharing the dictionary.
void windowLookUp(benchmark::State& state, const QString& word, bool english)
{
    QTemporaryDir dir;
    const QString home = dir.path();
    QDir().mkpath(home + QStringLiteral("/Voice"));
    QFile::link(benchHome() + QStringLiteral("/Dict"), home + QStringLiteral("/Dict"));
    QFile ini(home + QStringLiteral("/Config.INI"));
    if (ini.open(QIODevice::WriteOnly))
        ini.write(english ? "[INIT]\nIsDisableTTS=1\n" : "[INIT]\nIsDisableTTS=1\n[ENGLISH]\nPhonetics=0\nSenses=0\n");
    ini.close();
    CGlosixDlg w(GlosixServices{}, home);
    w.initialise();
    w.show();
    for (auto _ : state)
        w.receiveWord(word);
    const QString shown = w.textPane()->toPlainText();
    if (shown.isEmpty())
        state.SkipWithError("the word is not in the dictionary");
    state.SetLabel(QStringLiteral("%1: %2 units%3%4").arg(word).arg(shown.size())
                       .arg(shown.contains(QStringLiteral("英 /")) ? QStringLiteral(", IPA") : QString(),
                            shown.contains(QStringLiteral("\nWordNet\n")) ? QStringLiteral(", senses") : QString())
                       .toStdString());
    w.closeWindow();
}
void BM_WindowLookUp_Common_English(benchmark::State& state) { windowLookUp(state, QStringLiteral("apple"), true); }
BENCHMARK(BM_WindowLookUp_Common_English)->Unit(benchmark::kMillisecond);
void BM_Baseline_WindowLookUp_Common(benchmark::State& state) { windowLookUp(state, QStringLiteral("apple"), false); }
BENCHMARK(BM_Baseline_WindowLookUp_Common)->Unit(benchmark::kMillisecond);
void BM_WindowLookUp_Longest_English(benchmark::State& state) { windowLookUp(state, dict().word, true); }
BENCHMARK(BM_WindowLookUp_Longest_English)->Unit(benchmark::kMillisecond);
void BM_Baseline_WindowLookUp_Longest(benchmark::State& state) { windowLookUp(state, dict().word, false); }
BENCHMARK(BM_Baseline_WindowLookUp_Longest)->Unit(benchmark::kMillisecond);

// ---- the real process ----

constexpr int kStarDicts = 5;
constexpr int kStarDictWords = 100000;

struct Run {
    QTemporaryDir dir;
    QString home;
    bool withStarDicts = false;
    // A program folder of its own (Glosix writes its rectangle there), sharing the dictionary;
    // the user's home is the temporary folder, so only the bench's StarDicts are found.
    explicit Run(bool starDicts = false) : withStarDicts(starDicts)
    {
        home = dir.path() + QStringLiteral("/home");
        QDir().mkpath(home + QStringLiteral("/Voice"));
        QFile::link(benchHome() + QStringLiteral("/Dict"), home + QStringLiteral("/Dict"));
        QFile ini(home + QStringLiteral("/Config.INI"));
        if (ini.open(QIODevice::WriteOnly))
            ini.write("[INIT]\nIsDisableTTS=1\n");
        for (int d = 0; withStarDicts && d < kStarDicts; ++d)
            writeBenchStarDict(d);
    }
    void writeBenchStarDict(int d) const
    {
        StarDictSource s;
        s.bookname = QStringLiteral("bench%1").arg(d);
        s.dictzip = true;
        s.entries.reserve(kStarDictWords);
        for (int i = 0; i < kStarDictWords; ++i) {
            const QString w = QStringLiteral("w%1x%2").arg(i * 7 + d).arg(i % 97);
            s.entries.push_back({w, (w + QStringLiteral(" — meaning %1 in dictionary %2").arg(i).arg(d)).toUtf8(), {}});
        }
        s.entries.push_back({dict().word, QByteArrayLiteral("the longest word, also here"), {}});
        const StarDictFiles f = writeStarDict(s);
        const QString folder = dir.path() + QStringLiteral("/.local/share/stardict/dic/") + s.bookname;
        QDir().mkpath(folder);
        for (const auto& [ext, bytes] : {std::pair{".ifo", &f.ifo}, {".idx", &f.idx}, {".dict.dz", &f.dict}}) {
            QFile out(folder + QLatin1Char('/') + s.bookname + QLatin1String(ext));
            if (!out.open(QIODevice::WriteOnly) || out.write(*bytes) != bytes->size())
                std::abort();
        }
    }
    QProcessEnvironment env() const
    {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
        e.insert(QStringLiteral("HOME"), dir.path());
        if (!e.contains(QStringLiteral("DISPLAY")))
            e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        return e;
    }
};

QString runtimeOf(const Run& r) { return r.dir.path() + QStringLiteral("/lexora"); }

// Starts Glosix as Lexora does and hands it `word`; true once the word was handled.
bool startAndShow(const Run& run, QProcess& p, const QString& word)
{
    FileNamedEvents events(runtimeOf(run));
    auto ready = events.create(QStringLiteral("GlosixReady"));
    if (!ready)
        return false;
    p.setProcessEnvironment(run.env());
    p.setProgram(QStringLiteral(GLOSIX_EXECUTABLE));
    p.setArguments({QStringLiteral("--home"), run.home});
    p.start();
    if (!ready->wait(5000))
        return false;
    LocalWindowLink link(runtimeOf(run), 5000);
    return link.sendWord(QStringLiteral("Glosix"), word, 1);
}

void stop(const Run& run, QProcess& p)
{
    LocalWindowLink(runtimeOf(run), 5000).requestClose(QStringLiteral("Glosix"));
    if (!p.waitForFinished(5000))
        p.kill();
    p.waitForFinished(1000);
}

void coldStart(benchmark::State& state, bool starDicts)
{
    Run run(starDicts);
    for (auto _ : state) {
        QProcess p;
        QElapsedTimer t;
        t.start();
        if (!startAndShow(run, p, dict().word)) {
            state.SkipWithError("Glosix did not start and show the word");
            stop(run, p);
            return;
        }
        state.SetIterationTime(double(t.nsecsElapsed()) / 1e9);
        state.PauseTiming();
        stop(run, p);
        state.ResumeTiming();
    }
}
void BM_ColdStartToShownEntry(benchmark::State& state) { coldStart(state, false); }
BENCHMARK(BM_ColdStartToShownEntry)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_ColdStartToShownEntry_FiveStarDicts(benchmark::State& state) { coldStart(state, true); }
BENCHMARK(BM_ColdStartToShownEntry_FiveStarDicts)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_Baseline_ProcessStartVersionOnly(benchmark::State& state)
{
    for (auto _ : state) {
        QProcess p;
        p.start(QStringLiteral(GLOSIX_EXECUTABLE), {QStringLiteral("--version")});
        p.waitForFinished(5000);
    }
}
BENCHMARK(BM_Baseline_ProcessStartVersionOnly)->Unit(benchmark::kMillisecond)->Iterations(10);

struct Running {
    Run run;
    QProcess p;
    bool ok = false;
    Running() { ok = startAndShow(run, p, QStringLiteral("a")); }
    ~Running() { stop(run, p); }
};

void sendLoop(benchmark::State& state, const QString& word)
{
    static Running running;
    if (!running.ok) {
        state.SkipWithError("Glosix did not start");
        return;
    }
    LocalWindowLink link(runtimeOf(running.run), 5000);
    for (auto _ : state)
        if (!link.sendWord(QStringLiteral("Glosix"), word, 1)) {
            state.SkipWithError("the word was not delivered");
            return;
        }
}

void BM_WordToRunningGlosix_Longest(benchmark::State& state) { sendLoop(state, dict().word); }
BENCHMARK(BM_WordToRunningGlosix_Longest)->Unit(benchmark::kMillisecond);

void BM_WordToRunningGlosix_Common(benchmark::State& state) { sendLoop(state, QStringLiteral("apple")); }
BENCHMARK(BM_WordToRunningGlosix_Common)->Unit(benchmark::kMillisecond);

void BM_Baseline_WordNotInDictionary(benchmark::State& state) { sendLoop(state, QStringLiteral("qqqzzzxxx")); }
BENCHMARK(BM_Baseline_WordNotInDictionary)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
