// Book files at scale: loading a 1,000,000-entry Book against reading its two files as cat
// does, an index-only save against writing and syncing the same bytes, and a sort by word.
#include "lexora/book/book_file.h"
#include "lexora/book/list_ops.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <random>
#include <vector>

extern char** environ;

namespace {

constexpr int kEntries = 1'000'000;

const char* const kSyllables[] = {"ab", "ac", "ad", "al", "an", "ar", "at", "be", "ble", "ca", "com", "con",
                                  "de", "di", "en", "er", "ex", "fi", "for", "ge", "im", "in", "ing", "io",
                                  "la", "li", "ly", "ma", "ment", "mi", "na", "ne", "ni", "no", "o", "per",
                                  "pro", "ra", "re", "ri", "ro", "sa", "se", "si", "sion", "ta", "te", "ter",
                                  "ti", "tion", "to", "tu", "u", "un", "ver", "vi"};
const char16_t* const kChinese[] = {u"学习", u"记忆", u"单词", u"解释", u"发音", u"练习", u"复习", u"重要",
                                    u"理解", u"表达", u"方法", u"问题", u"时间", u"工作", u"生活", u"世界"};
const char* const kPos[] = {"n. ", "v. ", "adj. ", "adv. ", "vt. ", "prep. "};

// A large Book on disk, made once per run.
struct BigBook {
    QTemporaryDir dir;
    QString path;
    QString name = QStringLiteral("Big");
    qint64 indexBytes = 0, textBytes = 0;

    BigBook()
    {
        path = dir.path() + QLatin1Char('/');
        std::mt19937 rng(12345);
        auto pick = [&](int n) { return int(rng() % unsigned(n)); };
        lex::Book b;
        b.path = path;
        b.name = name;
        for (int i = 0; i < kEntries; ++i) {
            auto e = std::make_unique<lex::WordEntry>();
            QString word;
            const int syll = 1 + pick(4);
            for (int s = 0; s < syll; ++s)
                word += QLatin1String(kSyllables[pick(int(std::size(kSyllables)))]);
            if (pick(10) == 0)
                word[0] = word[0].toUpper();
            if (pick(20) == 0)
                word += QStringLiteral(" off");
            QString expl = QLatin1String(kPos[pick(6)]);
            const int parts = 1 + pick(3);
            for (int p = 0; p < parts; ++p) {
                if (p)
                    expl += QStringLiteral("；");
                expl += QString::fromUtf16(kChinese[pick(16)]) + QString::fromUtf16(kChinese[pick(16)]);
            }
            if (pick(4) == 0)
                expl += QStringLiteral("\r\n") + QLatin1String(kPos[pick(6)]) + QString::fromUtf16(kChinese[pick(16)]);
            e->setWord(word);
            e->setExplanation(expl);
            e->setPhonetic(QStringLiteral("ˈ") + word.toLower());
            if (pick(5) == 0)
                e->setClassName(QStringLiteral("单元%1").arg(1 + pick(9)));
            if (pick(8) == 0)
                e->setComment(QStringLiteral("example: ") + word);
            e->stored.recognition = uint8_t(pick(11));
            e->stored.spelling = uint8_t(pick(11));
            e->stored.listening = uint8_t(pick(11));
            e->stored.added = lex::EntryTime{uint8_t(pick(16)), uint8_t(1 + pick(12)), uint8_t(1 + pick(28)), 8, 30};
            e->stored.review = e->stored.added;
            b.AddEntry(std::move(e), lex::AddMode::Interactive);
        }
        if (!lex::saveBook(b).ok())
            std::abort();
        indexBytes = QFileInfo(b.indexPath()).size();
        textBytes = QFileInfo(b.textPath()).size();
    }
    QString idx() const { return path + name + QStringLiteral(".idx"); }
    QString txt() const { return path + name + QStringLiteral(".txt"); }
};

BigBook& big()
{
    static BigBook b;
    return b;
}

void readLikeCat(const QString& path, std::vector<char>& buf)
{
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDONLY);
    while (::read(fd, buf.data(), buf.size()) > 0) {
    }
    ::close(fd);
}

void BM_CatBaseline(benchmark::State& state)
{
    BigBook& b = big();
    std::vector<char> buf(128 * 1024);
    for (auto _ : state) {
        readLikeCat(b.idx(), buf);
        readLikeCat(b.txt(), buf);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * (b.indexBytes + b.textBytes));
}

// What Env::readFile costs: both files into fresh buffers of their full size.
void BM_ReadWholeFiles(benchmark::State& state)
{
    BigBook& b = big();
    for (auto _ : state) {
        QByteArray i, t;
        lex::Env::defaultEnv()->readFile(b.idx(), &i);
        lex::Env::defaultEnv()->readFile(b.txt(), &t);
        benchmark::DoNotOptimize(t.data());
    }
    state.SetBytesProcessed(state.iterations() * (b.indexBytes + b.textBytes));
}

// Runs a program to its end with its output thrown away.
void runProcess(std::vector<QByteArray> args)
{
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (QByteArray& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid;
    if (posix_spawnp(&pid, argv[0], &fa, nullptr, argv.data(), environ) == 0) {
        int st;
        waitpid(pid, &st, 0);
    }
    posix_spawn_file_actions_destroy(&fa);
}

QByteArray selfPath()
{
    return QFile::encodeName(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget());
}

void BM_CatProcess(benchmark::State& state)
{
    BigBook& b = big();
    for (auto _ : state)
        runProcess({"cat", b.idx().toLocal8Bit(), b.txt().toLocal8Bit()});
}

// A load as a learner meets it: a new process, so every page of the Book's memory is new too
// (in BM_LoadBook the allocator may hand back pages that an earlier load already touched).
// BM_StartProcess is the same process doing nothing, to tell the start-up cost apart.
void BM_LoadBookProcess(benchmark::State& state)
{
    BigBook& b = big();
    for (auto _ : state)
        runProcess({selfPath(), "--load-only", QFile::encodeName(b.path), QFile::encodeName(b.name)});
}

void BM_StartProcess(benchmark::State& state)
{
    for (auto _ : state)
        runProcess({selfPath(), "--load-only"});
}

void BM_LoadBook(benchmark::State& state)
{
    BigBook& b = big();
    for (auto _ : state) {
        auto book = std::make_unique<lex::Book>();
        book->path = b.path;
        book->name = b.name;
        const lex::LoadReport r = lex::LoadBook(*book);
        if (r.recordsRead != kEntries)
            state.SkipWithError("wrong entry count");
        state.PauseTiming();
        book.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * (b.indexBytes + b.textBytes));
}

void writeAndSync(const QString& path, const QByteArray& bytes, bool syncDir)
{
    const int fd = ::open(path.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size())
        std::abort();
    ::fsync(fd);
    ::close(fd);
    if (syncDir) {
        const int d = ::open(lex::parentDir(path).toLocal8Bit().constData(), O_RDONLY | O_DIRECTORY);
        ::fsync(d);
        ::close(d);
    }
}

struct LoadedBig {
    lex::Book book;
    LoadedBig()
    {
        book.path = big().path;
        book.name = big().name;
        lex::LoadBook(book);
    }
};

LoadedBig& loaded()
{
    static LoadedBig l;
    return l;
}

void BM_SaveIndexOnly(benchmark::State& state)
{
    lex::Book& book = loaded().book;
    for (auto _ : state) {
        if (!lex::saveBook(book).ok())
            state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(state.iterations() * big().indexBytes);
}

void BM_WriteFsyncBaseline(benchmark::State& state)
{
    QByteArray bytes;
    lex::Env::defaultEnv()->readFile(big().idx(), &bytes);
    const QString p = big().path + QStringLiteral("baseline.idx");
    for (auto _ : state)
        writeAndSync(p, bytes, state.range(0) != 0);
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

void BM_SortByWord(benchmark::State& state)
{
    lex::Book& book = loaded().book;
    const std::vector<lex::WordEntry*> original = book.full();
    for (auto _ : state) {
        state.PauseTiming();
        book.fullForReorder() = original;
        state.ResumeTiming();
        lex::sortBook(book, 1, true);
    }
    book.fullForReorder() = original;
    book.syncViewToFull();
}

} // namespace

BENCHMARK(BM_CatBaseline)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_ReadWholeFiles)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_CatProcess)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
BENCHMARK(BM_LoadBook)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_StartProcess)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
BENCHMARK(BM_LoadBookProcess)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
BENCHMARK(BM_WriteFsyncBaseline)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK(BM_SaveIndexOnly)->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK(BM_SortByWord)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv)
{
    // The child of BM_LoadBookProcess / BM_StartProcess: load the Book (if named) and end.
    if (argc >= 2 && std::strcmp(argv[1], "--load-only") == 0) {
        if (argc < 4)
            return 0;
        lex::Book book;
        book.path = QFile::decodeName(argv[2]);
        book.name = QFile::decodeName(argv[3]);
        return lex::LoadBook(book).recordsRead == kEntries ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

namespace {
// Part of the load: making room for a million entries.
void BM_AllocateEntries(benchmark::State& state)
{
    for (auto _ : state) {
        auto book = std::make_unique<lex::Book>();
        benchmark::DoNotOptimize(book->allocateBlock(kEntries));
        book->reserve(kEntries);
        state.PauseTiming();
        book.reset();
        state.ResumeTiming();
    }
}
} // namespace
BENCHMARK(BM_AllocateEntries)->Unit(benchmark::kMillisecond)->MinTime(1);
