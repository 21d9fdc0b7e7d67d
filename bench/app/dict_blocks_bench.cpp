// What the blocks after the dictionary index (the word lists and ranks, both accents' IPA) cost a
// learner: each program's start and a look-up with the dictionary as it is, against the same
// dictionary as an older build wrote it, without those blocks (its index is the same bytes up to
// the blocks, and the inflected forms, which older builds wrote too, stay last). Both run side by
// side in one process, repetitions interleaved, and each figure is the median of its repetitions:
//  - Glosix: the process started as Lexora starts it until it says it is ready (its dictionary
//    open); then a word sent to it until its entry is shown, with both accents' IPA under the
//    entry (the default, which the older dictionary cannot give) and with them turned off;
//  - Lexora: its windows made and shown over a program folder with a 2,000-word Book open (in
//    process, the web page's browser left out: it reads no dictionary), then 添加's fill of a
//    typed word from the dictionary, with the British accent (the default) and the American one.
// Each figure is given as wall-clock and as CPU time (for Glosix its process's, summed over its
// threads; a look-up's is its share of a pass over all the words, as Glosix draws on after it has
// answered). The wall clock of a machine other work loads varies by half from one word to the
// next, so the check is on the CPU time: exit status 1 when a figure with the blocks exceeds 1.1
// times the one without.
//
//   dict_blocks_bench [--reps N] [--dict FOLDER] [--lexora-start-only with|without]
// The dictionary: --dict, else LEXORA_ECDICT_DICT (the full ECDICT, tools/dev.sh), else the
// build's sample (a few seconds).
#include "bench/support/quiet_services.h"
#include "common/config/english_settings.h"
#include "common/config/profile.h"
#include "common/dictionary/dictionary.h"
#include "common/dictionary/index_blocks.h"
#include "common/dictionary/us_phonetics.h"
#include "common/dictionary/word_forms.h"
#include "common/dictionary/word_info.h"
#include "common/platform/named_event.h"
#include "common/platform/window_link.h"
#include "lexora/app/lexora_dlg.h"
#include "lexora/app/main_dialog.h"
#include "lexora/book/book_file.h"
#include "lexora/wordlist/add_modify_dialog.h"
#include "resources/resource_ids.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <vector>

namespace {

using namespace lex;

constexpr double kLimit = 1.1;
// Common words and one of each kind a look-up walks differently: a form, a phrase, a long word.
const char* const kWords[] = {"apple", "present", "abandon", "take", "water", "running", "beautiful",
                              "ability", "government", "look after", "went", "internationalization"};

// The index bytes as the builder writes them without the blocks tagged in `drop`: the index
// itself, then the other blocks in their order (the forms last, as always).
QByteArray withoutBlocks(const QByteArray& index, const std::vector<QByteArray>& drop, QStringList* dropped)
{
    struct Found {
        char tag[5];
        uint32_t at, len;
    };
    std::vector<Found> chain;
    const auto* data = reinterpret_cast<const unsigned char*>(index.constData());
    qsizetype end = index.size();
    while (end >= 12) {
        const unsigned char* footer = data + end - 12;
        if (footer[8] != 'L' || footer[9] != 'X')
            break;
        Found f{};
        f.at = qFromLittleEndian<uint32_t>(footer);
        f.len = qFromLittleEndian<uint32_t>(footer + 4);
        if (qsizetype(f.at) + qsizetype(f.len) != end - 12)
            break;
        std::memcpy(f.tag, footer + 8, 4);
        chain.push_back(f);
        end = f.at;
    }
    QByteArray out = index.left(end);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (std::find(drop.begin(), drop.end(), QByteArray(it->tag, 4)) != drop.end()) {
            *dropped << QString::fromLatin1(it->tag, 4);
            continue;
        }
        appendIndexBlock(&out, it->tag, index.mid(it->at, it->len));
    }
    return out;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// One program folder: the dictionary (the text files shared, the indexes as given), a Book of
// the dictionary's words open, no speech, the given accent.
struct Home {
    QString folder, label;
    QStringList dropped;
};

void makeBook(const QString& bookFolder, const QStringList& words)
{
    Book book;
    book.path = bookFolder + QLatin1Char('/');
    book.name = QStringLiteral("English");
    for (int i = 0; i < 2000; ++i) {
        auto e = std::make_unique<WordEntry>();
        const QString w = i < words.size() ? words[i] : QStringLiteral("word%1").arg(i);
        e->setWord(w);
        e->setExplanation(QStringLiteral("n. 学习；记忆 %1").arg(i));
        e->setPhonetic(QStringLiteral("5iN^liF"));
        e->stored.recognition = uint8_t(i % 11);
        book.AddEntry(std::move(e), AddMode::Loaded);
    }
    book.textChanged = true;
    saveBook(book);
}

bool makeHome(const QString& folder, const QString& dictFolder, bool strip, const QStringList& bookWords, Home* home)
{
    home->folder = folder;
    for (const char* sub : {"/Dict", "/Book", "/Voice"})
        QDir().mkpath(folder + QLatin1String(sub));
    for (const char* stem : {"Dict", "21ct"}) {
        const QString name = QLatin1String(stem);
        QFile::link(dictFolder + QLatin1Char('/') + name + QStringLiteral(".dic"),
                    folder + QStringLiteral("/Dict/") + name + QStringLiteral(".dic"));
        QFile in(dictFolder + QLatin1Char('/') + name + QStringLiteral(".idx"));
        if (!in.open(QIODevice::ReadOnly))
            return false;
        QByteArray index = in.readAll();
        if (strip)
            index = withoutBlocks(index, {QByteArray(kWordInfoTag, 4), QByteArray(kUsPhoneticTag, 4)}, &home->dropped);
        if (!writeFile(folder + QStringLiteral("/Dict/") + name + QStringLiteral(".idx"), index))
            return false;
    }
    makeBook(folder + QStringLiteral("/Book"), bookWords);
    Profile p(folder + QStringLiteral("/Config.INI"));
    p.writeInt(QStringLiteral("INIT"), QStringLiteral("IsFist"), 0);
    p.writeInt(QStringLiteral("INIT"), QStringLiteral("IsDisableTTS"), 1);
    p.writeString(QStringLiteral("INIT"), QStringLiteral("VoicePath"), folder + QStringLiteral("/Voice/"));
    p.writeString(QStringLiteral("INIT"), QStringLiteral("BookPath"), folder + QStringLiteral("/Book/"));
    p.writeString(QStringLiteral("INIT"), QStringLiteral("BookName"), QStringLiteral("English"));
    return true;
}

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double msSince(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e6; }

// CPU time, which the other work of a loaded machine disturbs far less than the wall clock: of
// this process, and of another (the sum over its threads, from /proc).
double ownCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}
double processCpuMs(qint64 pid)
{
    double ns = 0;
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString& t : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile f(tasks + QLatin1Char('/') + t + QStringLiteral("/schedstat"));
        if (f.open(QIODevice::ReadOnly))
            ns += f.readAll().split(' ').value(0).toDouble();
    }
    return ns / 1e6;
}

// Wall and CPU milliseconds of one measurement.
struct Cost {
    double wall = -1, cpu = -1;
};

// ---- Glosix, the process ----

// A Glosix process over one program folder, started as Lexora starts it.
class GlosixProcess {
public:
    GlosixProcess(const Home& home, const QString& runtime) : runtime_(runtime + QStringLiteral("/lexora"))
    {
        QDir().mkpath(runtime);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        env.insert(QStringLiteral("HOME"), runtime);   // no StarDict dictionaries of the user's
        if (!env.contains(QStringLiteral("DISPLAY")))
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        FileNamedEvents events(runtime_);
        auto ready = events.create(QStringLiteral("GlosixReady"));
        if (!ready)
            return;
        p_.setProcessEnvironment(env);
        p_.setProgram(QStringLiteral(GLOSIX_EXECUTABLE));
        p_.setArguments({QStringLiteral("--home"), home.folder});
        QElapsedTimer t;
        t.start();
        p_.start();
        if (ready->wait(10000))
            start = {msSince(t), processCpuMs(p_.processId())};
    }
    ~GlosixProcess()
    {
        LocalWindowLink(runtime_, 5000).requestClose(QStringLiteral("Glosix"));
        if (!p_.waitForFinished(5000))
            p_.kill();
        p_.waitForFinished(1000);
    }
    // From sending `word` until the entry is shown; negative when not delivered.
    Cost lookUp(const QString& word)
    {
        QElapsedTimer t;
        t.start();
        if (!link_.sendWord(QStringLiteral("Glosix"), word, 1))
            return {};
        return {msSince(t), 0};
    }
    double cpu() const { return processCpuMs(p_.processId()); }
    Cost start;

private:
    QString runtime_;
    QProcess p_;
    LocalWindowLink link_{runtime_, 5000};
};

// ---- Lexora, in process ----

// Lexora's windows over one program folder; the time to a shown word-book page.
struct LexoraWindows {
    bench::QuietServices ui;
    std::unique_ptr<CMainDialog> w;
    Cost start;
    explicit LexoraWindows(const Home& home)
    {
        AppServices services;
        services.ui = &ui;
        services.browserFactory = [](QWidget*) { return std::unique_ptr<WebBrowser>(); };
        const double cpu = ownCpuMs();
        QElapsedTimer t;
        t.start();
        w = std::make_unique<CMainDialog>(services, home.folder);
        w->initialise();
        w->show();
        w->onCommand(32899, 0);   // "学习": the word-book page
        QCoreApplication::processEvents();
        w->wordBook()->list()->viewport()->repaint();
        start = {msSince(t), ownCpuMs() - cpu};
    }
    ~LexoraWindows() { w.reset(); }   // closed without the shutdown: nothing is written
};

void setAccent(const Home& home, Accent accent)
{
    Profile p(home.folder + QStringLiteral("/Config.INI"));
    p.writeString(QLatin1String(kAccentSection), QLatin1String(kAccentKey), accentSetting(accent));
}

// Glosix's [ENGLISH] Phonetics: both accents' IPA under the entry (the default) or not.
void setIpa(const Home& home, bool shown)
{
    Profile p(home.folder + QStringLiteral("/Config.INI"));
    p.writeInt(QString::fromLatin1(kEnglishSection), QString::fromLatin1(kEnglishPhonetics), shown ? 1 : 0);
}

// A word typed into 添加 until the dictionary's texts are filled in; negative when not filled.
Cost fill(CMyAddModifyDialog* d, const QString& word)
{
    auto* line = d->item<QLineEdit>(CMyAddModifyDialog::kWord);
    auto* explanation = d->item<QPlainTextEdit>(CMyAddModifyDialog::kExplanation);
    line->clear();
    explanation->clear();
    QCoreApplication::processEvents();
    const double cpu = ownCpuMs();
    QElapsedTimer t;
    t.start();
    line->setText(word);   // as typed: the fill runs once the keys are handled
    while (d->fillPending())
        QCoreApplication::processEvents();
    const Cost c{msSince(t), ownCpuMs() - cpu};
    return explanation->toPlainText().isEmpty() ? Cost{} : c;
}

struct Row {
    const char* what;
    std::vector<Cost> without, with;
    void add(bool withBlocks, Cost c) { (withBlocks ? with : without).push_back(c); }
};

double medianOf(const std::vector<Cost>& v, double Cost::*field)
{
    std::vector<double> x;
    for (const Cost& c : v)
        x.push_back(c.*field);
    return median(x);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The offscreen platform's notes on every window would bury the figures.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& m) {
        if (type != QtDebugMsg && type != QtInfoMsg && !m.contains(QLatin1String("window mask")))
            std::fprintf(stderr, "%s\n", qPrintable(m));
    });
    int reps = 5;
    QString only;
    QString dict = qEnvironmentVariable("LEXORA_ECDICT_DICT");
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--reps"))
            reps = std::max(1, args[i + 1].toInt());
        else if (args[i] == QLatin1String("--lexora-start-only"))
            only = args[i + 1];
        else if (args[i] == QLatin1String("--dict"))
            dict = args[i + 1];
    }
    if (dict.isEmpty())
        dict = QStringLiteral(LEXORA_SAMPLE_DICT);

    // The words looked up: those the dictionary has.
    QStringList words;
    {
        Dictionary d(DictVariant::Main);
        if (!d.openFolder(dict).isEmpty()) {
            std::fprintf(stderr, "dict_blocks_bench: no dictionary in %s\n", qPrintable(dict));
            return 2;
        }
        QString e, p;
        for (const char* w : kWords)
            if (d.LookUpWord(QString::fromUtf8(w), e, p))
                words << QString::fromUtf8(w);
    }
    if (words.isEmpty()) {
        std::fprintf(stderr, "dict_blocks_bench: none of the words is in %s\n", qPrintable(dict));
        return 2;
    }

    QTemporaryDir tmp;
    Home without, with;
    if (!makeHome(tmp.path() + QStringLiteral("/without"), dict, true, words, &without)
        || !makeHome(tmp.path() + QStringLiteral("/with"), dict, false, words, &with)) {
        std::fprintf(stderr, "dict_blocks_bench: could not make the program folders\n");
        return 2;
    }
    // One side's Lexora start alone, for a profiler that counts instructions (valgrind
    // --tool=callgrind --toggle-collect='*LexoraWindows::LexoraWindows*').
    if (only == QLatin1String("with") || only == QLatin1String("without")) {
        for (int r = 0; r < reps; ++r)
            LexoraWindows lexora(only == QLatin1String("with") ? with : without);
        return 0;
    }
    // What each program folder holds.
    for (const Home* h : {&without, &with}) {
        WordInfoTable info;
        info.openIndex(h->folder + QStringLiteral("/Dict/Dict.idx"));
        AccentPhonetics main, companion;
        main.openIndex(h->folder + QStringLiteral("/Dict/Dict.idx"));
        companion.openIndex(h->folder + QStringLiteral("/Dict/21ct.idx"));
        WordForms forms;
        forms.openIndex(h->folder + QStringLiteral("/Dict/Dict.idx"));
        std::printf("%-14s Dict.idx %9lld bytes, 21ct.idx %9lld bytes: word information %lld, IPA %lld / %lld, "
                    "forms %lld\n",
                    h == &without ? "without blocks" : "with blocks",
                    qlonglong(QFileInfo(h->folder + QStringLiteral("/Dict/Dict.idx")).size()),
                    qlonglong(QFileInfo(h->folder + QStringLiteral("/Dict/21ct.idx")).size()),
                    qlonglong(info.count()), qlonglong(main.size()), qlonglong(companion.size()),
                    qlonglong(forms.count()));
    }
    std::printf("dictionary %s, blocks left out: %s; %d repetitions, %lld words looked up\n\n", qPrintable(dict),
                qPrintable(without.dropped.join(QLatin1Char(' '))), reps, qlonglong(words.size()));

    Row rows[] = {{"Glosix start to ready", {}, {}},
                  {"Glosix look-up, word to shown entry", {}, {}},
                  {"  the same, both accents' IPA not shown", {}, {}},
                  {"Lexora start, Book open and shown", {}, {}},
                  {"Lexora 添加 fill, British accent", {}, {}},
                  {"Lexora 添加 fill, American accent", {}, {}}};
    const Home* homes[2] = {&without, &with};
    QTemporaryDir runtime;
    int runtimes = 0;
    const auto newRuntime = [&] { return runtime.path() + QStringLiteral("/r%1").arg(runtimes++); };
    const auto failed = [](const char* what) {
        std::fprintf(stderr, "dict_blocks_bench: %s\n", what);
        return 2;
    };
    // The starts: one warm-up of each, then the repetitions, the order alternating.
    for (int r = -1; r < reps; ++r)
        for (int k = 0; k < 2; ++k) {
            const int which = (r + k + 2) % 2;
            Cost g;
            {
                GlosixProcess glosix(*homes[which], newRuntime());
                g = glosix.start;
            }
            if (g.wall < 0)
                return failed("Glosix did not start");
            if (r >= 0)
                rows[0].add(which, g);
            // Lexora's start is short: three of them a repetition.
            for (int i = 0; i < 3; ++i) {
                LexoraWindows lexora(*homes[which]);
                if (r >= 0)
                    rows[3].add(which, lexora.start);
            }
        }
    // The look-ups: both programs run side by side and each word goes to one, then the other.
    const int passes = 2 * reps;
    for (const bool ipa : {true, false}) {
        Row& row = rows[ipa ? 1 : 2];
        setIpa(without, ipa);
        setIpa(with, ipa);
        GlosixProcess a(without, newRuntime()), b(with, newRuntime());
        GlosixProcess* both[2] = {&a, &b};
        if (a.start.wall < 0 || b.start.wall < 0)
            return failed("Glosix did not start");
        // Glosix goes on drawing after it has answered: its CPU is taken per pass over all the
        // words, once both have settled, and shared out over the pass's words.
        const auto settled = [&] {
            QThread::msleep(30);
            return std::array<double, 2>{a.cpu(), b.cpu()};
        };
        for (int pass = -1; pass < passes; ++pass) {
            const std::array<double, 2> before = settled();
            std::vector<Cost> costs[2];
            for (const QString& word : words)
                for (int k = 0; k < 2; ++k) {
                    const int which = (pass + k + 2) % 2;
                    const Cost c = both[which]->lookUp(word);
                    if (c.wall < 0)
                        return failed("Glosix did not answer");
                    costs[which].push_back(c);
                }
            const std::array<double, 2> after = settled();
            for (int which = 0; which < 2 && pass >= 0; ++which)
                for (Cost c : costs[which]) {
                    c.cpu = (after[size_t(which)] - before[size_t(which)]) / double(words.size());
                    row.add(which, c);
                }
        }
    }
    for (const Accent accent : {Accent::UK, Accent::US}) {
        Row& row = rows[accent == Accent::UK ? 4 : 5];
        setAccent(without, accent);
        setAccent(with, accent);
        LexoraWindows a(without), b(with);
        CMyAddModifyDialog* dialogs[2] = {nullptr, nullptr};
        bool unfilled = false;
        // 添加 open in both windows at once: the second dialog's script does the typing.
        a.ui.script = [&](QDialog& d) {
            dialogs[0] = dynamic_cast<CMyAddModifyDialog*>(&d);
            b.w->onCommand(cmd::kAdd, 0);
            return 0;
        };
        b.ui.script = [&](QDialog& d) {
            dialogs[1] = dynamic_cast<CMyAddModifyDialog*>(&d);
            if (!dialogs[0] || !dialogs[1])
                return 0;
            for (int pass = -1; pass < passes; ++pass)
                for (const QString& word : words)
                    for (int k = 0; k < 2; ++k) {
                        const int which = (pass + k + 2) % 2;
                        const Cost c = fill(dialogs[which], word);
                        unfilled |= c.wall < 0;
                        if (pass >= 0)
                            row.add(which, c);
                    }
            return 0;
        };
        a.w->onCommand(cmd::kAdd, 0);
        if (!dialogs[1] || unfilled)
            return failed("添加 did not fill every word from the dictionary");
    }

    bool over = false;
    std::printf("%-42s %20s %20s %15s\n", "median of the repetitions, ms", "without: wall  CPU", "with: wall  CPU",
                "ratio: wall CPU");
    for (const Row& row : rows) {
        const double aw = medianOf(row.without, &Cost::wall), bw = medianOf(row.with, &Cost::wall);
        const double ac = medianOf(row.without, &Cost::cpu), bc = medianOf(row.with, &Cost::cpu);
        const double rw = aw > 0 ? bw / aw : 0, rc = ac > 0 ? bc / ac : 0;
        // The check is on the CPU time; the wall clock of a loaded machine is shown beside it.
        const bool bad = rc > kLimit;
        over |= bad;
        std::printf("%-42s %10.3f %9.3f %10.3f %9.3f %7.3f %7.3f%s\n", row.what, aw, ac, bw, bc, rw, rc,
                    bad ? "  over 1.1" : "");
    }
    return over ? 1 : 0;
}
