// `lexbook dict-ecdict` on a small CSV: the report, and the built files read back by both
// look-ups, every key and the gaps between keys, with blocks small enough that many keys sit
// at a block's edge. Also the set-up script's fall-back, and the full dictionary when it is built.
#include "common/dictionary/dict_keys.h"
#include "common/dictionary/dictionary.h"
#include "common/dictionary/ecdict_convert.h"
#include "common/dictionary/word_lists.h"
#include "common/dictionary/word_forms.h"
#include "temp_dir.h"
#include "tool_run.h"

#include <algorithm>
#include <QMap>
#include <gtest/gtest.h>

namespace {

using lextest::lexbook;
using lextest::lexbookPath;
using Result = lextest::ToolRun;

Result run(const QString& program, const QStringList& args, const QStringList& env = {})
{
    return lextest::runTool(program, args, env, 120000);
}

// Quoted fields with commas, doubled quotes and a real line break; case variants; keys that
// must be left out; phonetics of every kind.
const char kCsv[] =
    "word,phonetic,definition,translation,pos,collins,oxford,tag,bnc,frq,exchange,detail,audio\n"
    "abandon,ә'bændәn,\"v. forsake, leave behind\\nn. the trait of lacking restraint\","
    "\"vt. 放弃, 抛弃\\nn. 放任\",,3,1,gk cet4,2057,2182,d:abandoned/p:abandoned/i:abandoning/3:abandons,,\n"
    "abbey,ˈæbi,,n. 修道院,,,,,0,0,s:abbeys,,\n"
    "able,'eibl,,\"adj. \"\"能够的\"\"\",,,,,0,0,,,\n"
    "China,'tʃainә,,n. 中国,,,,,1973,7946,,,\n"
    "china,,,\"n. 瓷器\n(real line break)\",,,,,9000,9500,,,\n"
    "CHINA,,,n. shouting,,,,,0,0,,,\n"
    "english,ˈɪŋɡlɪʃ,,n. 英语,,,,,0,0,,,\n"
    "English,ˈɪŋɡlɪʃ,,adj. 英国的,,,,,0,0,,,\n"
    "naïve,nɑ:'i:v,,adj. 天真的,,,,,0,0,,,\n"
    "café,'kæfei,,n. 咖啡馆,,,,,0,0,,,\n"
    "Aalborg,'ɔ:lbɔ:^,,奥尔堡,,,,,0,0,,,\n"
    "alter ego,\"æltәr 'ә^әj; (?@) æltә'i:gәj\",,n. 另一个自我,,,,,0,0,,,\n"
    "baruch,英 [bəˈru:k] 美 [ˈbɛrək],,巴鲁克,,,,,0,0,,,\n"
    "zebra,ˈzebrə,,n. 斑马,,,,,0,0,,,\n"
    "中文词,,,Chinese headword,,,,,0,0,,,\n";

class LexbookEcdict : public ::testing::Test {
protected:
    void SetUp() override { dir.write(QStringLiteral("ecdict.csv"), QByteArray(kCsv) + longKeyRow()); }

    // A key of 128 bytes, then a quote that never closes (it swallows the rest of the file).
    static QByteArray longKeyRow()
    {
        return QByteArray(128, 'x') + ",,,too long,,,,,0,0,,,\n" + "broken,\"never closed,,,,,,,,,,,\nlost,,,,,,,,0,0,,,\n";
    }

    lextest::TempDir dir;
};

// The keys each variant writes, in its order.
std::vector<QString> writtenKeys(lex::DictVariant v)
{
    lex::ecdict::ReadResult rr;
    EXPECT_TRUE(lex::ecdict::readCsv(QByteArray(kCsv), &rr));
    std::vector<QString> keys;
    for (const lex::DictSourceEntry& e : lex::ecdict::convert(rr.records, v, nullptr))
        keys.push_back(e.key);
    std::sort(keys.begin(), keys.end(),
              [v](const QString& a, const QString& b) { return lex::dictkeys::compare(v, a, b) < 0; });
    return keys;
}

} // namespace

TEST_F(LexbookEcdict, BuildsTheMainVariantAndReportsWhatWasLeftOut)
{
    const Result r = lexbook({QStringLiteral("dict-ecdict"), dir.path(QStringLiteral("ecdict.csv")),
                              dir.path(QStringLiteral("out/Dict")), QStringLiteral("--block"), QStringLiteral("3")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("16 records read, 1 malformed records left out"))) << r.out.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("ecdict.csv:19: malformed record"))) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("1 keys not in code page 936, 1 keys of 128 bytes or more")))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("0 case duplicates"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("14 entries written in 5 blocks of up to 3"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("phonetics: 12 present; 11 converted cleanly"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("dropped (entries): 美 U+7f8e 1, 英 U+82f1 1"))) << r.out.toStdString();

    const Result a = lexbook({QStringLiteral("lookup"), dir.path(QStringLiteral("out/Dict")), QStringLiteral("abandon")});
    EXPECT_EQ(a.code, 0);
    EXPECT_EQ(a.out, QStringLiteral("E5bAndEn\nvt. 放弃, 抛弃\nn. 放任\n"));
    const Result e = lexbook({QStringLiteral("lookup"), dir.path(QStringLiteral("out/Dict")), QStringLiteral("able")});
    EXPECT_EQ(e.out, QStringLiteral("5eibl\nadj. \"能够的\"\n"));

    // The word lists and ranks go into Lexora's dictionary, each spelling with its own.
    EXPECT_TRUE(r.out.contains(QStringLiteral("word lists and ranks: 3 headwords"))) << r.out.toStdString();
    lex::WordInfoTable info;
    ASSERT_TRUE(info.openIndex(dir.path(QStringLiteral("out/Dict/Dict.idx"))));
    EXPECT_EQ(info.count(), 3);
    lex::WordInfo abandon;
    abandon.exams = (1u << int(lex::Exam::Gk)) | (1u << int(lex::Exam::Cet4));
    abandon.collins = 3;
    abandon.oxford = true;
    abandon.bnc = 2057;
    abandon.frq = 2182;
    EXPECT_EQ(info.info(info.find(u"abandon")), abandon);
    EXPECT_EQ(info.info(info.find(u"china")).frq, 9500u);
    EXPECT_EQ(info.info(info.find(u"China")).frq, 7946u);
}

TEST_F(LexbookEcdict, BuildsTheCompanionVariantWithOneEntryPerFoldedKey)
{
    const Result r = lexbook({QStringLiteral("dict-ecdict"), dir.path(QStringLiteral("ecdict.csv")),
                              dir.path(QStringLiteral("out")), QStringLiteral("--companion"), QStringLiteral("--block"),
                              QStringLiteral("2")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("3 case duplicates"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("/21ct.idx ("))) << r.out.toStdString();

    const Result a = lexbook({QStringLiteral("lookup"), dir.path(QStringLiteral("out")), QStringLiteral("ABANDON"),
                              QStringLiteral("--companion")});
    EXPECT_EQ(a.code, 0);
    EXPECT_EQ(a.out, QStringLiteral("`1`abandon`4`/E5bAndEn/`8`vt. 放弃, 抛弃`8`n. 放任"
                                    "`7`词形变化`13`过去式：abandoned`13`过去分词：abandoned`13`现在分词：abandoning"
                                    "`13`第三人称单数：abandons`7`英文释义`9`v. forsake, leave behind"
                                    "`9`n. the trait of lacking restraint`14`考试：高考 / 四级`6`柯林斯★★★　牛津3000核心词\n"));
    // The inflected forms are kept after the index, in both variants.
    for (const char* idx : {"out/21ct.idx", "out/Dict.idx"}) {
        if (!dir.exists(QString::fromUtf8(idx)))
            continue;
        lex::WordForms forms;
        ASSERT_TRUE(forms.openIndex(dir.path(QString::fromUtf8(idx))));
        const auto base = forms.baseFormOf(QStringLiteral("abbeys"));
        ASSERT_TRUE(base) << idx;
        EXPECT_EQ(base->lemma, QStringLiteral("abbey"));
        EXPECT_EQ(base->kind, lex::FormKind::Plural);
        EXPECT_EQ(forms.baseFormOf(QStringLiteral("abandoning"))->lemma, QStringLiteral("abandon"));
    }
    // The most frequent of China / china / CHINA.
    const Result c = lexbook({QStringLiteral("lookup"), dir.path(QStringLiteral("out")), QStringLiteral("china"),
                              QStringLiteral("--companion")});
    EXPECT_EQ(c.out, QStringLiteral("`1`China`4`/5tFainE/`8`n. 中国\n"));
}

TEST_F(LexbookEcdict, BothLookUpsFindEveryKeyAndNothingBetweenKeys)
{
    for (const lex::DictVariant v : {lex::DictVariant::Main, lex::DictVariant::Companion}) {
        const bool companion = v == lex::DictVariant::Companion;
        for (const int block : {1, 2, 3, 64}) {
            SCOPED_TRACE(QStringLiteral("%1, block %2").arg(companion ? "companion" : "main").arg(block).toStdString());
            const QString out = dir.path(QStringLiteral("b%1%2").arg(block).arg(companion));
            QStringList args = {QStringLiteral("dict-ecdict"), dir.path(QStringLiteral("ecdict.csv")), out,
                                QStringLiteral("--block"), QString::number(block)};
            if (companion)
                args << QStringLiteral("--companion");
            const Result r = lexbook(args);
            ASSERT_EQ(r.code, 0) << r.err.toStdString();

            lex::Dictionary d(v);
            ASSERT_TRUE(d.openFolder(out).isEmpty());
            const std::vector<QString> keys = writtenKeys(v);
            ASSERT_EQ(keys.size(), companion ? 11u : 14u);
            auto found = [&](const QString& w) {
                QString a, b;
                return companion ? d.LookUpEntryText(w, a) : d.LookUpWord(w, a, b);
            };
            for (size_t i = 0; i < keys.size(); ++i) {
                EXPECT_TRUE(found(keys[i])) << keys[i].toStdString();
                // Just after a key and before the next one: absent.
                EXPECT_FALSE(found(keys[i] + QChar(1))) << keys[i].toStdString();
            }
            EXPECT_FALSE(found(QString()));
            EXPECT_FALSE(found(QStringLiteral(" ")));
            EXPECT_FALSE(found(keys.back() + QStringLiteral("z")));
            EXPECT_FALSE(found(QStringLiteral("naïve")));
            EXPECT_EQ(found(QStringLiteral("ENGLISH")), companion);
            QString text;
            if (companion) {
                ASSERT_TRUE(d.LookUpEntryText(u"english", text));
                EXPECT_TRUE(text.startsWith(QStringLiteral("`1`english`4`/5IN^lIF/"))) << text.toStdString();
            } else {
                QString phonetic;
                ASSERT_TRUE(d.LookUpWord(u"china", text, phonetic));
                EXPECT_EQ(text, QStringLiteral("n. 瓷器\r\n(real line break)"));
                EXPECT_TRUE(phonetic.isEmpty());
            }
        }
    }
}

TEST_F(LexbookEcdict, BadArgumentsAndInput)
{
    EXPECT_EQ(lexbook({QStringLiteral("dict-ecdict"), dir.path(QStringLiteral("ecdict.csv"))}).code, 2);
    EXPECT_EQ(lexbook({QStringLiteral("dict-ecdict"), dir.path(QStringLiteral("ecdict.csv")), dir.path(QStringLiteral("o")),
                       QStringLiteral("--block"), QStringLiteral("0")})
                  .code,
              2);
    EXPECT_EQ(lexbook({QStringLiteral("dict-ecdict"), dir.path(QStringLiteral("none.csv")), dir.path(QStringLiteral("o"))}).code,
              2);
    dir.write(QStringLiteral("other.csv"), "name,value\nx,1\n");
    const Result r = lexbook({QStringLiteral("dict-ecdict"), dir.path(QStringLiteral("other.csv")), dir.path(QStringLiteral("o"))});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("no 'word' column"))) << r.err.toStdString();
    EXPECT_FALSE(dir.exists(QStringLiteral("o/Dict.idx")));
}

// The set-up script: a given CSV is converted into both variants; without the package it puts
// the sample dictionary there and says so.
TEST_F(LexbookEcdict, SetUpScriptConvertsOrFallsBack)
{
    const QString script = lextest::sourceDir() + QStringLiteral("/tools/fetch_ecdict.sh");
    const QStringList common = {QStringLiteral("LEXBOOK=") + lexbookPath(),
                                QStringLiteral("ECDICT_CACHE=") + dir.path(QStringLiteral("cache")),
                                QStringLiteral("LEXORA_BUILD_DIR=") + dir.path(QStringLiteral("build"))};
    Result r = run(QStringLiteral("bash"), {script, dir.path(QStringLiteral("prog"))},
                   common + QStringList{QStringLiteral("ECDICT_CSV=") + dir.path(QStringLiteral("ecdict.csv"))});
    ASSERT_EQ(r.code, 0) << r.err.toStdString() << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("ECDICT dictionaries (MIT licence) installed"))) << r.out.toStdString();
    lex::Dictionary main(lex::DictVariant::Main), companion(lex::DictVariant::Companion);
    ASSERT_TRUE(main.openFolder(dir.path(QStringLiteral("prog/Dict"))).isEmpty());
    ASSERT_TRUE(companion.openFolder(dir.path(QStringLiteral("prog/Dict"))).isEmpty());
    QString a, b;
    EXPECT_TRUE(main.LookUpWord(u"zebra", a, b));
    EXPECT_TRUE(companion.LookUpEntryText(u"Zebra", a));
    main.close();
    companion.close();

    // Done once: a second run copies the kept conversion.
    r = run(QStringLiteral("bash"), {script, dir.path(QStringLiteral("prog"))},
            common + QStringList{QStringLiteral("ECDICT_CSV=") + dir.path(QStringLiteral("ecdict.csv"))});
    ASSERT_EQ(r.code, 0);
    EXPECT_FALSE(r.out.contains(QStringLiteral("converting"))) << r.out.toStdString();

    r = run(QStringLiteral("bash"), {script, dir.path(QStringLiteral("prog"))},
            common + QStringList{QStringLiteral("ECDICT_OFFLINE=1")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("ECDICT could not be had (offline, and no copy in")))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("using the bundled sample dictionary")));
    ASSERT_TRUE(main.openFolder(dir.path(QStringLiteral("prog/Dict"))).isEmpty());
    EXPECT_FALSE(main.LookUpWord(u"zebra", a, b)); // the sample has no zebra
    EXPECT_TRUE(main.LookUpWord(u"abandon", a, b));
    EXPECT_EQ(b, QStringLiteral("E5bAndEn"));
}

// The full dictionary, when the set-up has built it (LEXORA_ECDICT_DICT names its Dict folder).
TEST(EcdictFull, AbandonInBothVariants)
{
    const QString folder = QString::fromLocal8Bit(qgetenv("LEXORA_ECDICT_DICT"));
    if (folder.isEmpty())
        GTEST_SKIP() << "LEXORA_ECDICT_DICT is not set";
    lex::Dictionary main(lex::DictVariant::Main), companion(lex::DictVariant::Companion);
    ASSERT_TRUE(main.openFolder(folder).isEmpty());
    ASSERT_TRUE(companion.openFolder(folder).isEmpty());
    QString e, p;
    ASSERT_TRUE(main.LookUpWord(u"abandon", e, p));
    EXPECT_EQ(p, QStringLiteral("E5bAndEn"));
    EXPECT_TRUE(e.startsWith(QStringLiteral("vt. 放弃"))) << e.toStdString();
    QString t;
    ASSERT_TRUE(companion.LookUpEntryText(u"Abandon", t));
    EXPECT_TRUE(t.startsWith(QStringLiteral("`1`abandon`4`/E5bAndEn/`8`vt. 放弃"))) << t.toStdString();
    EXPECT_TRUE(main.LookUpWord(u"China", e, p));
    EXPECT_TRUE(companion.LookUpEntryText(u"china", t));
}

// The full dictionary's word lists hold what ECDICT's CSV says (its own counts, by the tag column).
TEST(EcdictFull, WordListsHoldTheCsvsCounts)
{
    const QString folder = QString::fromLocal8Bit(qgetenv("LEXORA_ECDICT_DICT"));
    if (folder.isEmpty())
        GTEST_SKIP() << "LEXORA_ECDICT_DICT is not set";
    lex::WordInfoTable info;
    ASSERT_TRUE(info.openIndex(folder + QStringLiteral("/Dict.idx")));
    QMap<QString, qsizetype> counts;
    for (const lex::NamedList& l : lex::dictionaryLists(info))
        counts.insert(lex::listTermName(l.term), l.count);
    const struct { const char* list; qsizetype count; } rows[] = {
        {"zk", 1603}, {"gk", 3677}, {"cet4", 3849}, {"cet6", 5407}, {"ky", 4801}, {"ielts", 5040},
        {"toefl", 6974}, {"gre", 7504}, {"oxford3000", 3461}, {"collins1", 13633}};
    for (const auto& r : rows)
        EXPECT_EQ(counts.value(QString::fromLatin1(r.list)), r.count) << r.list;
}
