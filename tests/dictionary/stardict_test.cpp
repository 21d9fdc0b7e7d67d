#include "common/dictionary/dictionary_shelf.h"
#include "common/dictionary/stardict.h"
#include "common/dictionary/stardict_writer.h"
#include "tests/support/fault_env.h"
#include "tests/support/temp_dir.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

using lex::StarDict;
using Match = lex::StarDict::Match;

lex::StarDictSource sample()
{
    lex::StarDictSource s;
    s.entries = {{QStringLiteral("apple"), "a fruit", {QStringLiteral("pomme")}},
                 {QStringLiteral("Apple"), "a company", {}},
                 {QStringLiteral("APPLE"), "shouted", {}},
                 {QStringLiteral("banana"), "yellow", {QStringLiteral("plantain")}},
                 {QStringLiteral("café"), "coffee", {}},
                 {QStringLiteral("zebra"), "stripes", {}}};
    for (int i = 0; i < 200; ++i) // several blocks of 32 records
        s.entries.push_back({QStringLiteral("w%1").arg(i, 4, 10, QLatin1Char('0')), "n" + QByteArray::number(i), {}});
    return s;
}

QStringList texts(const std::vector<lex::StarDictEntry>& es)
{
    QStringList t;
    for (const auto& e : es)
        t << e.word + QLatin1Char('=') + lex::starDictStoredText(e);
    return t;
}

// Each layout written to files and opened through the Env: the same answers everywhere.
TEST(StarDict, LayoutsAnswerAlike)
{
    struct Layout { bool offsets64, dictzip; int chunk; };
    for (const Layout l : {Layout{false, false, 0}, Layout{true, false, 0}, Layout{false, true, 16},
                           Layout{true, true, 58315}}) {
        SCOPED_TRACE(QStringLiteral("64=%1 dz=%2").arg(l.offsets64).arg(l.dictzip).toStdString());
        lex::StarDictSource s = sample();
        s.offsets64 = l.offsets64;
        s.dictzip = l.dictzip;
        if (l.chunk)
            s.chunkLength = l.chunk;
        const lex::StarDictFiles f = lex::writeStarDict(s);
        lextest::TempDir dir;
        dir.write(QStringLiteral("t.ifo"), f.ifo);
        dir.write(QStringLiteral("t.idx"), f.idx);
        dir.write(QStringLiteral("t.syn"), f.syn);
        dir.write(l.dictzip ? QStringLiteral("t.dict.dz") : QStringLiteral("t.dict"), f.dict);
        StarDict d;
        ASSERT_TRUE(d.open(lex::Env::defaultEnv(), dir.path(QStringLiteral("t.ifo")))) << "open";
        EXPECT_EQ(d.wordCount(), 206);
        EXPECT_TRUE(d.warning().isEmpty()) << d.warning().toStdString();
        std::vector<lex::StarDictEntry> out;
        struct Q { const char* word; Match m; QStringList want; };
        const Q cases[] = {
            {"apple", Match::Exact, {"apple=a fruit"}},
            {"Apple", Match::Exact, {"Apple=a company"}},
            {"aPPle", Match::Exact, {}},
            {"aPPle", Match::IgnoreAsciiCase, {"APPLE=shouted", "Apple=a company", "apple=a fruit"}},
            {"pomme", Match::Exact, {"apple=a fruit"}},
            {"PLANTAIN", Match::IgnoreAsciiCase, {"banana=yellow"}},
            {"café", Match::Exact, {"café=coffee"}},
            {"w0031", Match::Exact, {"w0031=n31"}},
            {"w0032", Match::Exact, {"w0032=n32"}},
            {"w0199", Match::Exact, {"w0199=n199"}},
            {"zebra", Match::Exact, {"zebra=stripes"}},
            {"zebras", Match::Exact, {}},
            {"", Match::Exact, {}},
        };
        for (const Q& q : cases) {
            ASSERT_TRUE(d.lookup(QString::fromUtf8(q.word), q.m, &out));
            EXPECT_EQ(texts(out), q.want) << q.word;
        }
    }
}

// Damaged dictionaries: a clear message or an entry left out, never a crash.
TEST(StarDict, DamageGivesMessages)
{
    const lex::StarDictFiles good = lex::writeStarDict(sample());
    lex::StarDictSource zs = sample();
    zs.dictzip = true;
    zs.chunkLength = 16;
    const lex::StarDictFiles dz = lex::writeStarDict(zs);

    struct Case { const char* name; QByteArray ifo, idx, dict; bool isDz; const char* openError; const char* lookupError; };
    QByteArray pastEnd = good.idx;
    pastEnd[pastEnd.indexOf("zebra") + 6] = '\x7f'; // zebra's offset far beyond the .dict
    QByteArray badTable = dz.dict;
    badTable[22] = '\xff'; // first chunk's size: the table now reaches past the file
    badTable[23] = '\xff';
    QByteArray badChunk = dz.dict;
    for (int i = 0; i < 40; ++i)
        badChunk[badChunk.size() / 2 + i] = char(0x55 + i);
    QByteArray wrongCount = good.ifo;
    wrongCount.replace("wordcount=206", "wordcount=9");
    const Case cases[] = {
        {"truncated idx", good.ifo, good.idx.chopped(3), good.dict, false, "cut short", nullptr},
        {"offset past end", good.ifo, pastEnd, good.dict, false, nullptr, "past the end"},
        {"damaged chunk table", dz.ifo, dz.idx, badTable, true, "past the end of the file", nullptr},
        {"damaged chunk", dz.ifo, dz.idx, badChunk, true, nullptr, "damaged"},
        {"plain gzip", dz.ifo, dz.idx, QByteArray("\x1f\x8b\x08\x00\0\0\0\0\0\x03", 10), true, "chunk table", nullptr},
        {"no magic", QByteArray("bookname=x\n"), good.idx, good.dict, false, "not a StarDict", nullptr},
        {"bad offset bits", good.ifo + "idxoffsetbits=48\n", good.idx, good.dict, false, "idxoffsetbits", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StarDict d;
        const lex::Status s = d.openMemory(c.ifo, c.idx, {}, c.dict, c.isDz);
        if (c.openError) {
            EXPECT_FALSE(s);
            EXPECT_TRUE(s.message().contains(QLatin1String(c.openError))) << s.message().toStdString();
            EXPECT_FALSE(d.isOpen());
            continue;
        }
        ASSERT_TRUE(s) << s.message().toStdString();
        std::vector<lex::StarDictEntry> out;
        bool sawError = false;
        for (const auto& e : sample().entries) {
            const lex::Status ls = d.lookup(e.word, Match::Exact, &out);
            if (!ls) {
                sawError = true;
                EXPECT_TRUE(ls.message().contains(QLatin1String(c.lookupError))) << ls.message().toStdString();
            }
        }
        EXPECT_TRUE(sawError);
    }
    // A wrong wordcount opens with a warning: the index itself says how many words there are.
    StarDict d;
    ASSERT_TRUE(d.openMemory(wrongCount, good.idx, {}, good.dict, false));
    EXPECT_EQ(d.wordCount(), 206);
    EXPECT_TRUE(d.warning().contains(QLatin1String("206")));
}

TEST(StarDict, HugeEntryIsCut)
{
    lex::StarDictSource s;
    s.entries = {{QStringLiteral("big"), QByteArray(100 << 20, 'a'), {}}};
    const lex::StarDictFiles f = lex::writeStarDict(s);
    StarDict d;
    ASSERT_TRUE(d.openMemory(f.ifo, f.idx, {}, f.dict, false));
    std::vector<lex::StarDictEntry> out;
    ASSERT_TRUE(d.lookup(QStringLiteral("big"), Match::Exact, &out));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_TRUE(out[0].cut);
    EXPECT_EQ(out[0].fields[0].data.size(), qsizetype(lex::kMaxStarDictEntryBytes));
    EXPECT_TRUE(lex::starDictSafeText(out[0]).endsWith(QLatin1String("only its start is shown)")));
}

// Entry types with and without a sametypesequence, reduced to the companion's markup.
TEST(StarDict, EntryTypesBecomeSafeText)
{
    struct Case { QByteArray seq, data; QString safe; };
    const Case cases[] = {
        {"m", "line one\nline `two`", QStringLiteral("`8`line one`8`line \u2018two\u2018")},
        {"tm", QByteArray("h\xc9\x99\xcb\x88l\x65\x75", 8) + '\0' + "hello", QStringLiteral("`13`[hə\u02c8leu]`8`hello")},
        {"h", "<p>A&amp;B</p><script>alert(1)</script><a href=\"file:///etc/passwd\">see</a>"
              "<img src=\"http://x/y.png\"><style>p{}</style>&#x4e2d;&lt;x&gt;",
         QStringLiteral("`8`A&B`8`see中<x>")},
        {"x", "<k>go</k>\n<tr>gəʊ</tr> <dtrn>to move</dtrn><!-- <script>x</script> -->", QStringLiteral("`8`go`8`gəʊ`8`to move")},
        {"g", "<b>bold</b> <span foreground=\"red\">red</span>", QStringLiteral("`8`bold red")},
        {"", QByteArray("mfirst") + '\0' + "W" + QByteArray("\0\0\0\3abc", 7) + "hsecond<br>third" + '\0',
         QStringLiteral("`8`first`8`second`8`third")},
        {"h", "<p>unclosed <script src=x", QStringLiteral("`8`unclosed")},
    };
    for (const Case& c : cases) {
        lex::StarDictSource s;
        s.sametypesequence = c.seq;
        s.entries = {{QStringLiteral("w"), c.data, {}}};
        const lex::StarDictFiles f = lex::writeStarDict(s);
        StarDict d;
        ASSERT_TRUE(d.openMemory(f.ifo, f.idx, {}, f.dict, false));
        std::vector<lex::StarDictEntry> out;
        ASSERT_TRUE(d.lookup(QStringLiteral("w"), Match::Exact, &out));
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(lex::starDictSafeText(out[0]), c.safe) << c.data.toStdString();
    }
}

// Files are found and mapped through the Env: a dictionary whose file cannot be mapped, or whose
// index is cut short on disk, is left out with a message naming it; the others still answer.
TEST(StarDict, UnreadableDictionaryIsSkippedWithAMessage)
{
    lextest::TempDir dir;
    const lex::StarDictFiles f = lex::writeStarDict(sample());
    for (const char* name : {"good", "unmappable", "cut", "nodict"}) {
        const QString stem = QStringLiteral("Dict/%1/%1").arg(QLatin1String(name));
        QDir().mkpath(dir.path(QStringLiteral("Dict/") + QLatin1String(name)));
        dir.write(stem + QStringLiteral(".ifo"), f.ifo);
        dir.write(stem + QStringLiteral(".idx"), name == QLatin1String("cut") ? f.idx.chopped(5) : f.idx);
        if (name != QLatin1String("nodict"))
            dir.write(stem + QStringLiteral(".dict"), f.dict);
    }
    lextest::FaultEnv env;
    env.failReads(QStringLiteral("unmappable.idx"), 0);
    // Each sub-folder of Dict is a folder to look in.
    const QStringList ifos = lex::findStarDictFiles(lex::starDictFolders(dir.path(), &env).mid(0, 4), &env);
    ASSERT_EQ(ifos.size(), 4);

    lex::DictionaryShelf shelf;
    QStringList messages;
    for (const QString& ifo : ifos)
        if (const lex::Status s = shelf.addStarDict(&env, ifo); !s)
            messages << s.message();
    ASSERT_EQ(shelf.starDictCount(), 1);
    EXPECT_EQ(shelf.starDict(0).ifoPath(), dir.path(QStringLiteral("Dict/good/good.ifo")));
    ASSERT_EQ(messages.size(), 3) << messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(messages[0].contains(QLatin1String("cut.ifo")) && messages[0].contains(QLatin1String("cut short")))
        << messages[0].toStdString();
    EXPECT_TRUE(messages[1].contains(QLatin1String("nodict.dict"))) << messages[1].toStdString();
    EXPECT_TRUE(messages[2].contains(QLatin1String("unmappable.idx"))) << messages[2].toStdString();
    EXPECT_EQ(shelf.lookUp(u"banana").size(), 1u);
}

} // namespace
