// lexbook dump / check on real files: output, exit codes, and that neither writes anything.
#include "book_helpers.h"

#include "temp_dir.h"
#include "tool_run.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace booktest;

namespace {

using lextest::lexbook;
using lextest::ToolRun;

class Lexbook : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFileInfo(lextest::lexbookPath()).isExecutable()) << lextest::lexbookPath().toStdString();
    }
    lextest::TempDir dir;
};

} // namespace

TEST_F(Lexbook, DumpPrintsOneJsonObjectPerEntryInBookOrder)
{
    lex::Book b;
    b.path = dir.path() + QLatin1Char('/');
    b.name = QStringLiteral("English");
    b.AddEntry(entry(QStringLiteral("say \"hi\""), QStringLiteral("说\r\n嗨"), QStringLiteral("seɪ"),
                     QStringLiteral("单元一"), QStringLiteral("c\\d")), lex::AddMode::Interactive);
    b.AddEntry(entry(QStringLiteral("two")), lex::AddMode::Interactive);
    ASSERT_TRUE(lex::saveBook(b).ok());
    const QStringList before = dir.files();

    const ToolRun r = lexbook({QStringLiteral("dump"), dir.path() + QStringLiteral("/English")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QList<QByteArray> lines = r.out.trimmed().toUtf8().split('\n');
    ASSERT_EQ(lines.size(), 2);
    const QJsonObject o = QJsonDocument::fromJson(lines[0]).object();
    EXPECT_EQ(o.value("seq").toInt(), 0);
    EXPECT_EQ(o.value("word").toString(), QStringLiteral("say \"hi\""));
    EXPECT_EQ(o.value("explanation").toString(), QStringLiteral("说\r\n嗨"));
    EXPECT_EQ(o.value("phonetic").toString(), QStringLiteral("seɪ"));
    EXPECT_EQ(o.value("comment").toString(), QStringLiteral("c\\d"));
    EXPECT_EQ(o.value("class").toString(), QStringLiteral("单元一"));
    EXPECT_EQ(o.value("added").toVariant().toList(), (QVariantList{8, 4, 5, 9, 7}));
    EXPECT_EQ(o.value("textStart").toInt(), 4);
    EXPECT_EQ(o.value("textEnd").toInt(), int(b.full()[0]->stored.textEnd));
    EXPECT_TRUE(lines[0].startsWith("{\"seq\":0,\"word\":"));
    EXPECT_EQ(QJsonDocument::fromJson(lines[1]).object().value("word").toString(), QStringLiteral("two"));

    const ToolRun c = lexbook({QStringLiteral("check"), dir.path() + QStringLiteral("/English")});
    EXPECT_EQ(c.code, 0) << c.out.toStdString();
    EXPECT_TRUE(c.out.contains("entries: 2"));
    EXPECT_EQ(dir.files(), before);
}

TEST_F(Lexbook, CheckReportsDamageAndInterruptedSavesWithoutWriting)
{
    const QByteArray rec = textRecord(QStringLiteral("w"));
    dir.write(QStringLiteral("D.idx"), kMarker + QByteArray(1, 21) + indexRecord(4, 4 + uint32_t(rec.size())) +
                                           indexRecord(4, 9999));
    dir.write(QStringLiteral("D.txt"), kMarker + rec);
    dir.write(QStringLiteral("D.txt.new"), QByteArray("half a save"));
    const QStringList before = dir.files();
    const ToolRun c = lexbook({QStringLiteral("check"), dir.path() + QStringLiteral("/D")});
    EXPECT_EQ(c.code, 1);
    EXPECT_TRUE(c.out.contains("record 1 at offset 26: text offsets outside")) << c.out.toStdString();
    EXPECT_TRUE(c.out.contains("interrupted save: the leftovers")) << c.out.toStdString();
    EXPECT_EQ(dir.files(), before);

    // Missing Book, bad arguments: one line on stderr, non-zero, nothing created.
    for (const QStringList& args : {QStringList{"dump", dir.path() + "/Missing"}, QStringList{"check"},
                                    QStringList{"dump", dir.path() + "/"}}) {
        const ToolRun r = lexbook(args);
        EXPECT_NE(r.code, 0);
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
    }
    EXPECT_EQ(dir.files(), before);
}

TEST_F(Lexbook, SalvageWritesANewBookAndTheCommandsThatLoadTellOfDamageOnStderr)
{
    const QByteArray a = textRecord(QStringLiteral("apple"), QStringLiteral("苹果"));
    const QByteArray b = textRecord(QStringLiteral("pear"), QStringLiteral("梨"));
    const uint32_t end = 4 + uint32_t(a.size() + b.size());
    // The second record's offsets lie past the text file; its text is intact after the first.
    const QByteArray idx = kMarker + QByteArray(1, 21) + indexRecord(4, 4 + uint32_t(a.size())) +
                           indexRecord(end + 10, end + 30, 7, 8, 9);
    const QByteArray txt = kMarker + a + b;
    dir.write(QStringLiteral("D.idx"), idx);
    dir.write(QStringLiteral("D.txt"), txt);
    dir.write(QStringLiteral("Taken.txt"), "x");
    const QStringList before = dir.files();
    const QString d = dir.path() + QStringLiteral("/D");

    const ToolRun refused = lexbook({QStringLiteral("salvage"), d, dir.path() + QStringLiteral("/Taken")});
    EXPECT_NE(refused.code, 0);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("Taken.txt exists"))) << refused.err.toStdString();
    EXPECT_EQ(dir.files(), before);

    const ToolRun s = lexbook({QStringLiteral("salvage"), d, dir.path() + QStringLiteral("/sub/Out")});
    ASSERT_EQ(s.code, 0) << s.err.toStdString();
    EXPECT_TRUE(s.out.contains(QStringLiteral("entries accepted by the loader (%1.idx): 1\n").arg(d))) << s.out.toStdString();
    EXPECT_TRUE(s.out.contains(QStringLiteral("of %1.txt, with the degrees and times of their damaged index record: 1\n").arg(d)))
        << s.out.toStdString();
    EXPECT_TRUE(s.out.contains(QStringLiteral("with default degrees (10) and times (now): 0\n")) &&
                s.out.contains(QStringLiteral("Out.txt, 2 entries\n")));
    EXPECT_EQ(dir.read(QStringLiteral("D.idx")), idx);
    EXPECT_EQ(dir.read(QStringLiteral("D.txt")), txt);
    lex::LoadReport r;
    const auto out = loadFresh(dir.path() + QStringLiteral("/sub/"), QStringLiteral("Out"), &r);
    EXPECT_TRUE(r.clean());
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[1].word, QStringLiteral("pear"));
    EXPECT_EQ(out[1].explanation, QStringLiteral("梨"));
    EXPECT_EQ(out[1].recognition, 7);

    // check and import load the Book: each tells once on stderr; the import's save keeps the copies.
    const ToolRun c = lexbook({QStringLiteral("check"), d});
    EXPECT_EQ(c.err.count(QStringLiteral("已损坏")), 1) << c.err.toStdString();
    dir.write(QStringLiteral("list.txt"), "banana\t香蕉\n");
    const ToolRun i = lexbook({QStringLiteral("import"), d, dir.path() + QStringLiteral("/list.txt"), QStringLiteral("--style"),
                               QStringLiteral("1")});
    ASSERT_EQ(i.code, 0) << i.err.toStdString();
    EXPECT_EQ(i.err.count(QStringLiteral("已损坏")), 1) << i.err.toStdString();
    EXPECT_TRUE(i.err.contains(d + QStringLiteral(".idx.damaged-"))) << i.err.toStdString();
    const QStringList copies = QDir(dir.path()).entryList({QStringLiteral("D.*.damaged-*")}, QDir::Files, QDir::Name);
    ASSERT_EQ(copies.size(), 2);
    EXPECT_EQ(dir.read(copies[0]), idx);
    EXPECT_EQ(dir.read(copies[1]), txt);
    EXPECT_TRUE(lexbook({QStringLiteral("check"), d}).err.isEmpty());
}
