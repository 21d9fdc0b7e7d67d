// Look-ups over hand-made layouts of both variants: block edges, comparison, text rules and
// damaged files.
#include "common/dictionary/dictionary.h"
#include "common/text/codepage.h"
#include "dict_test_util.h"
#include "fault_env.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

using namespace dicttest;
using lex::DictVariant;
using lex::Dictionary;

namespace {

QByteArray gbk(const QString& s) { return lex::cp936::encode(s); }

struct Found {
    bool found = false;
    QString a, b; // main: explanation, phonetic; companion: text
};

Found lookUp(const Dictionary& d, const QString& word)
{
    Found f;
    if (d.variant() == DictVariant::Main)
        f.found = d.LookUpWord(word, f.a, f.b);
    else
        f.found = d.LookUpEntryText(word, f.a);
    return f;
}

// Both search modes must agree on every answer these tests check.
Found both(Dictionary& d, const QString& word)
{
    d.setFirstLevelSearch(lex::FirstLevelSearch::Walk);
    const Found w = lookUp(d, word);
    d.setFirstLevelSearch(lex::FirstLevelSearch::Indexed);
    const Found i = lookUp(d, word);
    EXPECT_EQ(w.found, i.found) << word.toStdString();
    EXPECT_EQ(w.a, i.a) << word.toStdString();
    EXPECT_EQ(w.b, i.b) << word.toStdString();
    return i;
}

// Text: "p0" [0,2) "p1\x01e1" [2,7) ... laid out so that each entry's range is easy to read.
class MainLayout : public ::testing::Test {
protected:
    void SetUp() override
    {
        text = QByteArray("P0") + "\x01" + "apple" // apple [0,8)
               + "\x01" + "book1\x01" + "book2"      // book [8,20)
               + gbk(QStringLiteral("kAt\x01猫"))     // cat [20,...)
            ;
        catEnd = uint32_t(text.size());
        text += QByteArray("\x01" "dog", 4); // dog
        dogEnd = uint32_t(text.size());
        text += QByteArray("\x01" "e1" "\0" "ph2" "\x01" "e2", 10); // egg: starts with U+0001, NUL after a line
        eggEnd = uint32_t(text.size());
        // Block 0 holds apple, book; block 1 holds banana (out of order on purpose), cat, dog.
        blocks = {{{"apple", 8}, {"book", 20}},
                  {{"banana", 20}, {"cat", catEnd}, {"dog", dogEnd}, {"egg", eggEnd}}};
        index = makeIndex(false, blocks);
    }
    std::vector<std::vector<Rec>> blocks;
    QByteArray index, text;
    uint32_t catEnd = 0, dogEnd = 0, eggEnd = 0;
};

} // namespace

TEST_F(MainLayout, BlockEdgesAndTexts)
{
    Dictionary d(DictVariant::Main);
    d.openMemory(index, text);
    EXPECT_TRUE(d.firstLevelAscends());

    Found f = both(d, QStringLiteral("apple"));
    ASSERT_TRUE(f.found); // the first entry takes its text from offset 0
    EXPECT_EQ(f.b, QStringLiteral("P0"));
    EXPECT_EQ(f.a, QStringLiteral("apple"));

    f = both(d, QStringLiteral("book")); // the last key of block 0
    ASSERT_TRUE(f.found);
    EXPECT_EQ(f.b, QString());
    EXPECT_EQ(f.a, QStringLiteral("book1\r\nbook2"));

    // Between apple and book: block 0 only, so banana in block 1 is never reached.
    EXPECT_FALSE(both(d, QStringLiteral("banana")).found);
    EXPECT_FALSE(both(d, QStringLiteral("b")).found);

    f = both(d, QStringLiteral("cat"));
    ASSERT_TRUE(f.found);
    EXPECT_EQ(f.b, QStringLiteral("kAt"));
    EXPECT_EQ(f.a, QStringLiteral("猫"));

    f = both(d, QStringLiteral("egg")); // the last key of the last block
    ASSERT_TRUE(f.found);
    EXPECT_EQ(f.a, QStringLiteral("e1\r\ne2"));
    EXPECT_EQ(f.b, QStringLiteral("ph2"));

    EXPECT_FALSE(both(d, QStringLiteral("zebra")).found); // greater than every first-level key
    EXPECT_FALSE(both(d, QStringLiteral("eggs")).found);
    EXPECT_FALSE(both(d, QString()).found);
}

TEST_F(MainLayout, ComparisonIsExact)
{
    Dictionary d(DictVariant::Main);
    d.openMemory(index, text);
    EXPECT_FALSE(both(d, QStringLiteral("Book")).found);
    EXPECT_FALSE(both(d, QStringLiteral("BOOK")).found);
    EXPECT_FALSE(both(d, QStringLiteral("book ")).found);
    EXPECT_FALSE(both(d, QStringLiteral(" book")).found);
    EXPECT_FALSE(both(d, QStringLiteral("boo")).found);
}

TEST_F(MainLayout, FailedLookUpLeavesOutputsAlone)
{
    Dictionary d(DictVariant::Main);
    d.openMemory(index, text);
    QString e = QStringLiteral("keep"), p = QStringLiteral("me");
    EXPECT_FALSE(d.LookUpWord(u"nothing", e, p));
    EXPECT_EQ(e, QStringLiteral("keep"));
    EXPECT_EQ(p, QStringLiteral("me"));
    QString t = QStringLiteral("x");
    EXPECT_FALSE(d.LookUpEntryText(u"book", t)); // wrong variant
    EXPECT_EQ(t, QStringLiteral("x"));
}

TEST_F(MainLayout, DamagedFilesGiveNotFound)
{
    Dictionary d(DictVariant::Main);
    // Every prefix of the index: whatever is still found must be found with its own text.
    Dictionary whole(DictVariant::Main);
    whole.openMemory(index, text);
    const QStringList words = {QStringLiteral("apple"), QStringLiteral("book"), QStringLiteral("cat"),
                               QStringLiteral("dog"), QStringLiteral("egg")};
    for (qsizetype n = 0; n <= index.size(); ++n) {
        const QByteArray cut = index.left(n); // a copy of exactly n bytes
        d.openMemory(cut, text);
        for (const QString& w : words) {
            const Found f = both(d, w);
            if (f.found) {
                const Found g = lookUp(whole, w);
                EXPECT_EQ(f.a, g.a);
                EXPECT_EQ(f.b, g.b);
            }
        }
    }
    const QByteArray shortText = text.left(int(dogEnd) - 1); // dog's end lies past the text
    d.openMemory(index, shortText);
    EXPECT_FALSE(both(d, QStringLiteral("dog")).found);
    EXPECT_TRUE(both(d, QStringLiteral("cat")).found);

    d.openMemory(index, QByteArray());
    EXPECT_FALSE(both(d, QStringLiteral("apple")).found);
}

TEST(DictionaryMain, NegativeLengthAndReversedRange)
{
    const QByteArray text = "0123456789";
    // A length byte of 0x80 or more cannot be trusted: the block walk ends there.
    std::vector<std::vector<Rec>> blocks = {{{"a", 2}, {"b", 4}, {"c", 6}}};
    QByteArray idx = makeIndex(false, blocks);
    const qsizetype l1 = 4 + mainRecord({"c", 0}).size();
    const qsizetype bPos = l1 + mainRecord({"a", 2}).size();
    idx[bPos] = char(0x81);
    Dictionary d(DictVariant::Main);
    d.openMemory(idx, text);
    EXPECT_TRUE(both(d, QStringLiteral("a")).found);
    EXPECT_FALSE(both(d, QStringLiteral("b")).found);
    EXPECT_FALSE(both(d, QStringLiteral("c")).found);

    // end < start: reversed.
    blocks = {{{"a", 6}, {"b", 3}, {"c", 8}}};
    idx = makeIndex(false, blocks);
    d.openMemory(idx, text);
    EXPECT_FALSE(both(d, QStringLiteral("b")).found);
    EXPECT_TRUE(both(d, QStringLiteral("c")).found); // [3,8)

    // A first-level value that sends the block far past the file.
    std::vector<Rec> first = {{"c", 0xFFFFFFF0u}};
    blocks = {{{"a", 2}, {"b", 4}, {"c", 6}}};
    idx = makeIndex(false, blocks, &first);
    d.openMemory(idx, text);
    EXPECT_TRUE(both(d, QStringLiteral("a")).found); // records inside the file still read
    EXPECT_FALSE(both(d, QStringLiteral("zz")).found);

    // Block 1 starting past the end of the file (its prevEnd cannot be read).
    first = {{"a", 0xFFFFFF00u}, {"c", 0xFFFFFFF0u}};
    idx = makeIndex(false, blocks, &first);
    d.openMemory(idx, text);
    EXPECT_FALSE(both(d, QStringLiteral("b")).found);
}

TEST(DictionaryMain, EmptyFirstLevelAndTinyFiles)
{
    QByteArray idx;
    le32(idx, 0);
    idx += mainRecord({"a", 1});
    Dictionary d(DictVariant::Main);
    d.openMemory(idx, "x");
    EXPECT_FALSE(both(d, QStringLiteral("a")).found);
    EXPECT_FALSE(both(d, QString()).found);
    for (const QByteArray& tiny : {QByteArray(), QByteArray("\x05"), QByteArray("\x05\0\0", 3)}) {
        d.openMemory(tiny, "x");
        EXPECT_FALSE(both(d, QStringLiteral("a")).found);
    }
    // L1size larger than the file: the first record runs off the end.
    idx = makeIndex(false, {{{"a", 1}}});
    idx[3] = char(0x7F);
    d.openMemory(idx, "x");
    EXPECT_FALSE(both(d, QStringLiteral("a")).found);
}

TEST(DictionaryMain, NonAsciiKeys)
{
    const QByteArray text = gbk(QStringLiteral("一\x01one二\x01two"));
    const uint32_t e1 = uint32_t(gbk(QStringLiteral("一\x01one")).size());
    // 一 (U+4E00) < 二 (U+4E8C); both above every ASCII key.
    const std::vector<std::vector<Rec>> blocks = {{{gbk(QStringLiteral("a一")), e1}},
                                                 {{gbk(QStringLiteral("a二")), uint32_t(text.size())}}};
    Dictionary d(DictVariant::Main);
    d.openMemory(makeIndex(false, blocks), text);
    Found f = both(d, QStringLiteral("a二"));
    ASSERT_TRUE(f.found);
    EXPECT_EQ(f.b, QStringLiteral("二"));
    EXPECT_EQ(f.a, QStringLiteral("two"));
    EXPECT_TRUE(both(d, QStringLiteral("a一")).found);
    EXPECT_FALSE(both(d, QStringLiteral("a")).found);
    EXPECT_FALSE(both(d, QStringLiteral("a一x")).found);
}

TEST(DictionaryCompanion, FoldingTextAndTerminators)
{
    QByteArray text = "`1`apple\nred";             // apple [0,12)
    const uint32_t apple = uint32_t(text.size());
    text += "`1`Book\r\nline2";                      // Book
    const uint32_t book = uint32_t(text.size());
    text += QByteArray("cat\0hidden", 10);           // cat: up to the first 0x00
    const uint32_t cat = uint32_t(text.size());
    text += gbk(QStringLiteral("全角"));               // Ａ
    const uint32_t wide = uint32_t(text.size());
    // The companion folds only 'A'..'Z': "Book" is stored with a capital and sorts as "book".
    const std::vector<std::vector<Rec>> blocks = {{{"apple", apple}, {"Book", book}},
                                                 {{"cat", cat}, {gbk(QStringLiteral("Ａ")), wide}}};
    Dictionary d(DictVariant::Companion);
    d.openMemory(makeIndex(true, blocks), text);
    EXPECT_TRUE(d.firstLevelAscends());

    Found f = both(d, QStringLiteral("APPLE"));
    ASSERT_TRUE(f.found); // first entry, offset 0
    EXPECT_EQ(f.a, QStringLiteral("`1`apple\r\nred"));
    f = both(d, QStringLiteral("book"));
    ASSERT_TRUE(f.found);
    EXPECT_EQ(f.a, QStringLiteral("`1`Book\r\r\nline2")); // CR before LF is kept
    f = both(d, QStringLiteral("CaT"));
    ASSERT_TRUE(f.found);
    EXPECT_EQ(f.a, QStringLiteral("cat"));
    EXPECT_TRUE(both(d, QStringLiteral("Ａ")).found);
    EXPECT_FALSE(both(d, QStringLiteral("ａ")).found); // full-width letters are not folded
    EXPECT_FALSE(both(d, QStringLiteral("book ")).found);
    EXPECT_FALSE(both(d, QStringLiteral("zzz")).found);

    QString out;
    QString e, p;
    EXPECT_FALSE(d.LookUpWord(u"apple", e, p)); // wrong variant
}

TEST(DictionaryCompanion, EmptyKeyEndsTheWalk)
{
    const QByteArray text = "aabbcc";
    // First level: an empty key (first byte 0x00) ends the walk, so "b" in block 1 is lost.
    QByteArray l2 = companionSecond({"a", 2}) ;
    const uint32_t end0 = uint32_t(l2.size());
    l2 += companionSecond({"b", 4});
    const uint32_t end1 = uint32_t(l2.size());
    QByteArray l1 = companionFirst({"a", end0});
    l1 += QByteArray(1, '\0');
    le32(l1, end1);
    l1 += companionFirst({"b", end1});
    QByteArray idx;
    le32(idx, uint32_t(l1.size()));
    idx += l1 + l2;
    Dictionary d(DictVariant::Companion);
    d.openMemory(idx, text);
    EXPECT_TRUE(both(d, QStringLiteral("a")).found);
    EXPECT_FALSE(both(d, QStringLiteral("b")).found);

    // Second level: an empty key ends the block.
    l2 = companionSecond({"a", 2});
    l2 += QByteArray("\xEE\0", 2);
    le32(l2, 4);
    l2 += companionSecond({"c", 6});
    l1 = companionFirst({"c", uint32_t(l2.size())});
    idx.clear();
    le32(idx, uint32_t(l1.size()));
    idx += l1 + l2;
    d.openMemory(idx, text);
    EXPECT_TRUE(both(d, QStringLiteral("a")).found);
    EXPECT_FALSE(both(d, QStringLiteral("c")).found);

    // A key with no terminator before the end of the file.
    idx = makeIndex(true, {{{"a", 2}, {"b", 4}}});
    const QByteArray cut = idx.left(idx.size() - 6); // the bytes must outlive the look-ups
    d.openMemory(cut, text);
    EXPECT_TRUE(both(d, QStringLiteral("a")).found);
    EXPECT_FALSE(both(d, QStringLiteral("b")).found);
}

TEST(MappedFileTest, OpensExistingRegularFilesOnly)
{
    lextest::TempDir dir;
    dir.write(QStringLiteral("f"), "hello");
    dir.write(QStringLiteral("empty"), QByteArray());
    lex::MappedFile m;
    EXPECT_FALSE(m.open(dir.path(QStringLiteral("missing"))));
    EXPECT_FALSE(m.isOpen());
    EXPECT_FALSE(m.open(dir.path()));
    ASSERT_TRUE(m.open(dir.path(QStringLiteral("f"))));
    EXPECT_EQ(m.size(), 5u);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(m.data()), 5), QByteArray("hello"));
    ASSERT_TRUE(m.open(dir.path(QStringLiteral("empty"))));
    EXPECT_TRUE(m.isOpen());
    EXPECT_EQ(m.size(), 0u);
    m.close();
    EXPECT_FALSE(m.isOpen());
}

TEST(DictionaryFiles, ReportsEachFileThatCannotBeOpened)
{
    lextest::TempDir dir;
    Dictionary d(DictVariant::Main);
    QStringList failed = d.openFolder(dir.path());
    EXPECT_EQ(failed, QStringList({dir.path(QStringLiteral("Dict.idx")), dir.path(QStringLiteral("Dict.dic"))}));
    EXPECT_FALSE(d.isOpen());
    QString e, p;
    EXPECT_FALSE(d.LookUpWord(u"a", e, p));

    // Only the text file: still one failure, and nothing is found.
    dir.write(QStringLiteral("21ct.dic"), "x");
    Dictionary c(DictVariant::Companion);
    failed = c.openFolder(dir.path());
    EXPECT_EQ(failed, QStringList({dir.path(QStringLiteral("21ct.idx"))}));
    QString t;
    EXPECT_FALSE(c.LookUpEntryText(u"a", t));

    // A zero-length file cannot be mapped, so it is a file that cannot be opened: reported, and
    // nothing is found.
    const QByteArray index = makeIndex(false, {{{"a", 0}}});
    struct Case {
        QByteArray idx, dic;
        QStringList failed;
    };
    for (const Case& k : {Case{index, QByteArray(), {dir.path(QStringLiteral("Dict.dic"))}},
                          Case{QByteArray(), "x", {dir.path(QStringLiteral("Dict.idx"))}},
                          Case{QByteArray(), QByteArray(),
                               {dir.path(QStringLiteral("Dict.idx")), dir.path(QStringLiteral("Dict.dic"))}}}) {
        dir.write(QStringLiteral("Dict.idx"), k.idx);
        dir.write(QStringLiteral("Dict.dic"), k.dic);
        EXPECT_EQ(d.openFolder(dir.path()), k.failed);
        EXPECT_FALSE(d.isOpen());
        EXPECT_FALSE(d.LookUpWord(u"a", e, p));
    }
    // One byte of text is enough for an entry to be found.
    dir.write(QStringLiteral("Dict.idx"), makeIndex(false, {{{"a", 1}}}));
    dir.write(QStringLiteral("Dict.dic"), "x");
    EXPECT_TRUE(d.openFolder(dir.path()).isEmpty());
    EXPECT_TRUE(d.LookUpWord(u"a", e, p));
}

// A file that cannot be mapped takes the path of a missing one: it is reported for the message,
// and look-ups find nothing, with the outputs untouched.
TEST(DictionaryFiles, AFileThatCannotBeMappedIsReportedLikeAMissingOne)
{
    lextest::TempDir dir;
    dir.write(QStringLiteral("Dict.idx"), makeIndex(false, {{{"a", 1}}}));
    dir.write(QStringLiteral("Dict.dic"), "x");
    for (const QString name : {QStringLiteral("Dict.idx"), QStringLiteral("Dict.dic")}) {
        SCOPED_TRACE(name.toStdString());
        lextest::FaultEnv env;
        env.failReads(name, 0);
        Dictionary d(DictVariant::Main, &env);
        EXPECT_EQ(d.openFolder(dir.path()), QStringList{dir.path(name)});
        EXPECT_FALSE(d.isOpen());
        QString e = QStringLiteral("old"), p = QStringLiteral("old");
        EXPECT_FALSE(d.LookUpWord(u"a", e, p));
        EXPECT_EQ(e, QStringLiteral("old"));
        EXPECT_EQ(p, QStringLiteral("old"));

        env.failReads(QString(), 0);
        EXPECT_TRUE(d.openFolder(dir.path()).isEmpty());
        EXPECT_TRUE(d.LookUpWord(u"a", e, p));
    }
}
