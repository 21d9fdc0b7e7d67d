// The loader reads the index through a small window and the text as the records ask for it (on
// a second thread for a large Book). Whatever pieces the files arrive in, the Book must be the
// same; a read that fails part way must leave an empty Book that no save writes over.
#include "book_helpers.h"

#include "fault_env.h"
#include "mem_env.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

using namespace booktest;

namespace {

struct Loaded {
    std::vector<EntryData> entries;
    lex::LoadReport report;
    bool loadFailed = false;
};

Loaded loadWith(lex::Env* env, const QString& path, const QString& name = QStringLiteral("B"))
{
    lex::Book b;
    b.path = path;
    b.name = name;
    Loaded l;
    l.report = lex::LoadBook(b, env);
    l.entries = snapshot(b);
    l.loadFailed = b.loadFailed;
    return l;
}

void expectSameLoad(const Loaded& got, const Loaded& want)
{
    EXPECT_EQ(got.entries, want.entries);
    EXPECT_EQ(got.report.recordsRead, want.report.recordsRead);
    EXPECT_EQ(got.report.emptyWords, want.report.emptyWords);
    EXPECT_EQ(got.report.notes, want.report.notes);
    ASSERT_EQ(got.report.skipped.size(), want.report.skipped.size());
    for (size_t i = 0; i < want.report.skipped.size(); ++i) {
        EXPECT_EQ(got.report.skipped[i].index, want.report.skipped[i].index);
        EXPECT_EQ(got.report.skipped[i].offset, want.report.skipped[i].offset);
        EXPECT_EQ(got.report.skipped[i].reason, want.report.skipped[i].reason);
    }
    EXPECT_TRUE(got.report.readError.isEmpty()) << got.report.readError.toStdString();
}

// Records for every path of the loader: plain, word not first, a field in two runs, an empty
// word, reversed and odd-length offsets, an odd start (copied out), a short last record.
struct SmallBook {
    QByteArray text, index21, index30;
    SmallBook()
    {
        const QByteArray plain = textRecord(QStringLiteral("plain"), QStringLiteral("a\r\nb"), QStringLiteral("ph"),
                                            QStringLiteral("单元"), QStringLiteral("c"));
        const QByteArray late = u16(QString(QChar(1)) + QStringLiteral("x") + QChar(0) + QStringLiteral("late"));
        const QByteArray twice = u16(QString(QChar(0)) + QStringLiteral("tw") + QChar(1) + QStringLiteral("e") +
                                     QChar(0) + QStringLiteral("ice"));
        const QByteArray empty = textRecord(QString(), QStringLiteral("no word"));
        text = kMarker;
        auto put = [&](const QByteArray& r) {
            const uint32_t s = uint32_t(text.size());
            text += r;
            return std::pair<uint32_t, uint32_t>(s, uint32_t(text.size()));
        };
        const auto p = put(plain), l = put(late), t = put(twice), e = put(empty);
        text += 'x';
        const auto o = put(plain); // at an odd offset
        const std::pair<uint32_t, uint32_t> recs[] = {p, l, t, e, {l.second, l.first}, {p.first, p.second + 1}, o, p};
        for (int pad : {0, 9}) {
            QByteArray& idx = pad ? index30 : index21;
            idx = kMarker + QByteArray(1, char(21 + pad));
            for (const auto& r : recs)
                idx += indexRecord(r.first, r.second, 1, 2, 3, at(9, 1, 2, 3, 4), at(8, 4, 5, 9, 7), pad);
            idx += indexRecord(p.first, p.second).left(13);
        }
    }
};

} // namespace

TEST(BookLoadStream, AnySmallPiecesGiveTheSameBookAndReport)
{
    lextest::TempDir dir;
    const SmallBook sb;
    for (const QByteArray* idx : {&sb.index21, &sb.index30}) {
        SCOPED_TRACE(idx == &sb.index21 ? "record size 21" : "record size 30");
        dir.write(QStringLiteral("B.idx"), *idx);
        dir.write(QStringLiteral("B.txt"), sb.text);
        const Loaded whole = loadWith(lex::Env::defaultEnv(), dir.path() + QLatin1Char('/'));
        ASSERT_EQ(whole.entries.size(), 5u);
        EXPECT_EQ(whole.entries[1].word, QStringLiteral("late"));
        EXPECT_EQ(whole.entries[2].word, QStringLiteral("twice"));
        EXPECT_EQ(whole.entries[2].explanation, QStringLiteral("e"));
        EXPECT_EQ(whole.report.emptyWords, 1);
        EXPECT_EQ(whole.report.skipped.size(), 3u);
        for (qsizetype piece : {1, 2, 3, 5, 20, 21, 22, 29, 30, 31, 4097}) {
            SCOPED_TRACE(piece);
            lextest::FaultEnv env;
            env.shapeReads(piece);
            expectSameLoad(loadWith(&env, dir.path() + QLatin1Char('/')), whole);
        }
        EXPECT_EQ(dir.read(QStringLiteral("B.idx")), *idx);
        EXPECT_EQ(dir.read(QStringLiteral("B.txt")), sb.text);
    }
}

TEST(BookLoadStream, LargeBookIsTheSameReadWholeOrInPiecesAndAFailedReadLeavesItEmpty)
{
    lextest::TempDir dir;
    const QString path = dir.path() + QLatin1Char('/');
    std::vector<EntryData> source;
    {
        lex::Book b;
        b.path = path;
        b.name = QStringLiteral("B");
        const QString filler = QStringLiteral("这是一个足够长的解释，让文本文件超过几兆字节。");
        for (int i = 0; i < 80000; ++i) {
            b.AddEntry(entry(QStringLiteral("word%1").arg(i), filler + QString::number(i), QStringLiteral("ph%1").arg(i % 7),
                             i % 3 ? QString() : QStringLiteral("单元%1").arg(i % 10), i % 5 ? QString() : QStringLiteral("c\r\nd"),
                             i % 11),
                       lex::AddMode::Interactive);
        }
        ASSERT_TRUE(lex::saveBook(b).ok());
        source = snapshot(b);
    }
    const QByteArray idx = dir.read(QStringLiteral("B.idx")), txt = dir.read(QStringLiteral("B.txt"));
    ASSERT_GT(txt.size(), 6 << 20); // past the size that is read on a second thread

    const Loaded whole = loadWith(lex::Env::defaultEnv(), path);
    EXPECT_TRUE(whole.report.clean());
    EXPECT_EQ(whole.entries, source);
    for (qsizetype piece : {qsizetype(65536 + 3), qsizetype(1 << 20) - 1}) {
        SCOPED_TRACE(piece);
        lextest::FaultEnv env;
        env.shapeReads(piece);
        expectSameLoad(loadWith(&env, path), whole);
    }

    struct Failure {
        const char* file;
        qint64 after;
    };
    for (const Failure f : {Failure{".txt", 0}, Failure{".txt", txt.size() / 2}, Failure{".txt", txt.size() - 1},
                            Failure{".idx", 3}, Failure{".idx", idx.size() / 2}}) {
        SCOPED_TRACE(std::string(f.file) + " after " + std::to_string(f.after));
        lextest::FaultEnv env;
        env.failReads(QString::fromLatin1(f.file), f.after);
        lex::Book b;
        b.path = path;
        b.name = QStringLiteral("B");
        const lex::LoadReport r = lex::LoadBook(b, &env);
        EXPECT_FALSE(r.readError.isEmpty());
        EXPECT_TRUE(b.loadFailed);
        EXPECT_TRUE(b.empty());
        b.AddEntry(entry(QStringLiteral("new")), lex::AddMode::Interactive);
        EXPECT_FALSE(lex::saveBook(b, &env).ok());
        EXPECT_EQ(dir.read(QStringLiteral("B.idx")), idx);
        EXPECT_EQ(dir.read(QStringLiteral("B.txt")), txt);
    }
}

namespace {

// Files whose sizes, as the folder tells them, are off by a set amount from what can be read:
// another program changed them between the look and the read.
class ShiftedSizeEnv : public lextest::MemEnv {
public:
    qint64 shiftIdx = 0, shiftTxt = 0;
    qint64 fileSize(const QString& path) override
    {
        const qint64 real = MemEnv::fileSize(path);
        return real + (path.endsWith(QStringLiteral(".idx")) ? shiftIdx : shiftTxt);
    }
};

} // namespace

TEST(BookLoadStream, FilesThatChangeSizeWhileReadAreReadAsFarAsTheyGo)
{
    const SmallBook sb;
    ShiftedSizeEnv env;
    env.files[QStringLiteral("/m/B.idx")] = sb.index21;
    env.files[QStringLiteral("/m/B.txt")] = sb.text;
    const Loaded exact = loadWith(&env, QStringLiteral("/m/"));
    ASSERT_EQ(exact.entries.size(), 5u);

    env.shiftIdx = 100; // shrank: the records that are there
    expectSameLoad(loadWith(&env, QStringLiteral("/m/")), exact);

    env.shiftIdx = -2 * 21; // grew after the look: the records of the size seen, and a note
    const Loaded grew = loadWith(&env, QStringLiteral("/m/"));
    // The two records past the size seen (a good one and a short one) are left for another time.
    EXPECT_EQ(grew.entries.size(), 4u);
    EXPECT_EQ(grew.report.recordsRead, exact.report.recordsRead - 1);
    EXPECT_TRUE(grew.report.notes.join(QString()).contains(QStringLiteral("grew")));

    env.shiftIdx = 0;
    env.shiftTxt = 1000; // the text shrank: loads as it is
    expectSameLoad(loadWith(&env, QStringLiteral("/m/")), exact);

    env.shiftTxt = -(sb.text.size() - 30); // grew: only its first 30 bytes are taken
    const Loaded cut = loadWith(&env, QStringLiteral("/m/"));
    EXPECT_TRUE(cut.entries.empty());
    EXPECT_TRUE(cut.report.readError.isEmpty());
    EXPECT_GE(cut.report.skipped.size(), 5u);
}
