// The word-information block after a dictionary index, the list expressions over it, the order
// of a word book made from them, and `lexbook new-book` on the sample dictionary against its CSV.
#include "common/dictionary/dict_builder.h"
#include "common/dictionary/index_blocks.h"
#include "common/dictionary/word_forms.h"
#include "common/dictionary/word_info.h"
#include "common/dictionary/word_lists.h"
#include "temp_dir.h"
#include "tool_run.h"

#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QMap>
#include <QtEndian>
#include <gtest/gtest.h>

#include <set>

namespace {

using lex::Exam;
using lex::WordInfo;
using Why = lex::ListExprError::Why;

WordInfo info(std::initializer_list<Exam> exams, int collins = 0, bool oxford = false, uint32_t bnc = 0, uint32_t frq = 0)
{
    WordInfo w;
    for (Exam e : exams)
        w.exams |= uint16_t(1u << unsigned(e));
    w.collins = uint8_t(collins);
    w.oxford = oxford;
    w.bnc = bnc;
    w.frq = frq;
    return w;
}

// A small index (an empty main dictionary) with the block, and the forms block after it.
QByteArray indexWith(const QByteArray& block)
{
    QByteArray index, text;
    lex::DictBuildOptions options;
    options.blocks.push_back({{'L', 'X', 'W', 'I', 0}, block});
    options.forms.push_back({QStringLiteral("went"), QStringLiteral("go"), lex::FormKind::Past});
    EXPECT_TRUE(lex::encodeDictionary({{QStringLiteral("go"), QStringLiteral("g"), {QStringLiteral("v. 去")}, {}}},
                                      options, &index, &text, nullptr));
    return index;
}

const std::vector<lex::WordInfoRecord> kRecords = {
    {QStringLiteral("zeal"), info({Exam::Gre, Exam::Toefl}, 1, false, 9000, 12000)},
    {QStringLiteral("able"), info({Exam::Zk, Exam::Gk, Exam::Cet4}, 5, true, 700, 800)},
    {QStringLiteral("abandon"), info({Exam::Cet4, Exam::Cet6, Exam::Ky}, 4, true, 3000, 2500)},
    {QStringLiteral("able"), info({Exam::Gre})},                         // a repeat: the first counts
    {QStringLiteral("nothing"), WordInfo{}},                             // no information: left out
    {QStringLiteral("café"), info({Exam::Ielts}, 2, false, 0, 15000)},
    {QStringLiteral("Zeus"), info({}, 0, false, 20000, 0)},              // only a rank
    {QStringLiteral("abyss"), info({Exam::Cet6, Exam::Gre}, 0, false, 0, 0)}, // unranked
};

lex::WordInfoTable& sampleTable()
{
    static QByteArray index = indexWith(lex::encodeWordInfoBlock(kRecords));
    static lex::WordInfoTable table;
    table.openMemory(index);
    return table;
}

TEST(WordInfoBlock, KeepsEachWordOnceSortedAndFindsItExactly)
{
    const QByteArray index = indexWith(lex::encodeWordInfoBlock(kRecords));
    lex::WordInfoTable t;
    t.openMemory(index);
    ASSERT_EQ(t.count(), 6);
    const QStringList order = {QStringLiteral("Zeus"), QStringLiteral("abandon"), QStringLiteral("able"),
                               QStringLiteral("abyss"), QStringLiteral("café"), QStringLiteral("zeal")};
    for (qsizetype i = 0; i < t.count(); ++i)
        EXPECT_EQ(t.word(i), order[i]);
    const struct { const char* word; qsizetype at; } finds[] = {
        {"able", 2}, {"Able", -1}, {"café", 4}, {"zeal", 5}, {"Zeus", 0}, {"nothing", -1}, {"", -1}, {"zzz", -1}, {"A", -1}};
    for (const auto& f : finds)
        EXPECT_EQ(t.find(QString::fromUtf8(f.word)), f.at) << f.word;
    EXPECT_EQ(t.info(2), info({Exam::Zk, Exam::Gk, Exam::Cet4}, 5, true, 700, 800));
    EXPECT_EQ(t.info(0), info({}, 0, false, 20000, 0));
    // The forms block after it is still found where older readers look.
    lex::WordForms forms;
    forms.openMemory(index);
    EXPECT_EQ(forms.count(), 1);
}

TEST(WordInfoBlock, DamagedOrForeignBlocksOfferNoWords)
{
    const QByteArray good = lex::encodeWordInfoBlock(kRecords);
    auto patched = [&](int at, char byte) {
        QByteArray b = good;
        b[at] = byte;
        return b;
    };
    auto le32At = [&](int at, uint32_t v) {
        QByteArray b = good;
        qToLittleEndian(v, b.data() + at);
        return b;
    };
    const struct { const char* what; QByteArray block; } rows[] = {
        {"another version", patched(7, 2)},
        {"another magic", patched(0, 'M')},
        {"a count beyond the block", le32At(8, 7)},
        {"a pool size beyond the block", le32At(12, uint32_t(good.size()))},
        {"a word outside the pool", le32At(16, 0x00FFFFFF)},
        {"a pool not ended by NUL", patched(int(good.size()) - 1, 'x')},
        {"cut short", good.left(good.size() - 3)},
        {"only the magic", good.left(8)},
    };
    for (const auto& r : rows) {
        const QByteArray index = indexWith(r.block);
        lex::WordInfoTable t;
        t.openMemory(index);
        EXPECT_EQ(t.count(), 0) << r.what;
        EXPECT_EQ(t.find(QStringLiteral("able")), -1) << r.what;
    }
    // No block at all: an index of an older build.
    QByteArray plain, text;
    ASSERT_TRUE(lex::encodeDictionary({{QStringLiteral("go"), {}, {QStringLiteral("v.")}, {}}}, {}, &plain, &text, nullptr));
    lex::WordInfoTable t;
    t.openMemory(plain);
    EXPECT_EQ(t.count(), 0);
}

TEST(WordInfoBlock, FromTheWordListsColumns)
{
    EXPECT_EQ(lex::wordInfoFrom(u"zk gk  cet4 xyz gre", 7, 1, -3, 42), info({Exam::Zk, Exam::Gk, Exam::Cet4, Exam::Gre}, 5, true, 0, 42));
    EXPECT_EQ(lex::wordInfoFrom(u"", 0, 0, 0, 0), WordInfo{});
}

TEST(ListExpression, ParsesNamesAndOperatorsOrRefusesWithThePlace)
{
    const struct {
        const char* text;
        const char* names; // the terms as written back, joined by the operators; empty on failure
        Why why;
        qsizetype position;
        const char* subject;
    } rows[] = {
        {"cet6 - cet4", "cet6-cet4", Why::None, 0, ""},
        {"cet6-cet4", "cet6-cet4", Why::None, 0, ""},
        {"  GRE - toefl - ielts-cet6 ", "gre-toefl-ielts-cet6", Why::None, 0, ""},
        {"cet4&oxford3000+collins5", "cet4&oxford3000+collins5", Why::None, 0, ""},
        {"collins1", "collins1", Why::None, 0, ""},
        {"gre - book:My Books/old-words - cet4", "gre-book:My Books/old-words-cet4", Why::None, 0, ""},
        {"book:a-b", "book:a-b", Why::None, 0, ""},
        {"", "", Why::Empty, 0, ""},
        {"   ", "", Why::Empty, 3, ""},
        {"cet6 -", "", Why::NameExpected, 6, ""},
        {"- cet4", "", Why::NameExpected, 0, ""},
        {"cet6 + & cet4", "", Why::NameExpected, 7, ""},
        {"cet6 cet4", "", Why::OperatorExpected, 5, ""},
        {"cet4, cet6", "", Why::OperatorExpected, 4, ""},
        {"cet7", "", Why::UnknownList, 0, "cet7"},
        {"collins0", "", Why::UnknownList, 0, "collins0"},
        {"collins6", "", Why::UnknownList, 0, "collins6"},
        {"cet4 + ,x", "", Why::UnknownList, 7, ",x"},
        {"gre - book: ", "", Why::NameExpected, 11, ""},
    };
    for (const auto& r : rows) {
        lex::ListExpression e;
        const lex::ListExprError err = lex::parseListExpression(QString::fromUtf8(r.text), &e);
        EXPECT_EQ(err.why, r.why) << r.text;
        if (r.why != Why::None) {
            EXPECT_EQ(err.position, r.position) << r.text;
            EXPECT_EQ(err.subject, QString::fromUtf8(r.subject)) << r.text;
            continue;
        }
        QString back = lex::listTermName(e.terms[0]);
        for (size_t i = 1; i < e.terms.size(); ++i)
            back += e.ops[qsizetype(i - 1)] + lex::listTermName(e.terms[i]);
        EXPECT_EQ(back, QString::fromUtf8(r.names)) << r.text;
    }
}

TEST(ListExpression, NamesTheWordsLeftToRight)
{
    const lex::WordInfoTable& t = sampleTable();
    auto books = [](const QString& book, QStringList* words) {
        if (book == u"Book/Known") {
            *words = {QStringLiteral("able"), QStringLiteral("zeal"), QStringLiteral("own word")};
            return Why::None;
        }
        return book == u"Book/Broken" ? Why::UnreadableBook : Why::MissingBook;
    };
    const struct { const char* text; const char* words; Why why; } rows[] = {
        {"cet4", "abandon|able", Why::None},
        {"cet6 - cet4", "abyss", Why::None},
        {"gre + cet4", "abandon|able|abyss|zeal", Why::None},
        {"gre + cet4 & cet6", "abandon|abyss", Why::None},  // left to right: (gre + cet4) & cet6
        {"gre + (cet4)", "", Why::UnknownList},
        {"collins4", "abandon|able", Why::None},
        {"collins1 - collins2", "zeal", Why::None},
        {"oxford3000", "abandon|able", Why::None},
        {"ielts", "café", Why::None},
        {"zk & gre", "", Why::None},
        {"gre - book:Book/Known", "abyss", Why::None},
        {"book:Book/Known + cet6", "abandon|able|abyss|own word|zeal", Why::None},
        {"gre - book:Book/None", "", Why::MissingBook},
        {"gre - book:Book/Broken", "", Why::UnreadableBook},
    };
    for (const auto& r : rows) {
        lex::ListExpression e;
        lex::ListExprError err = lex::parseListExpression(QString::fromUtf8(r.text), &e);
        QStringList words;
        if (!err.failed())
            err = lex::evaluateListExpression(e, t, books, &words);
        EXPECT_EQ(err.why, r.why) << r.text;
        words.sort();
        EXPECT_EQ(words.join(u'|'), QString::fromUtf8(r.words)) << r.text;
    }
}

TEST(ListExpression, OrdersByRankWithUnrankedLast)
{
    const lex::WordInfoTable& t = sampleTable();
    const QStringList words = {QStringLiteral("zeal"), QStringLiteral("abyss"), QStringLiteral("able"), QStringLiteral("Zeus"),
                               QStringLiteral("abandon"), QStringLiteral("café"), QStringLiteral("not in table")};
    const struct { lex::ListOrder order; const char* expected; } rows[] = {
        {lex::ListOrder::Frq, "able|abandon|zeal|café|abyss|not in table|Zeus"},
        {lex::ListOrder::Bnc, "able|abandon|zeal|Zeus|abyss|café|not in table"},
        {lex::ListOrder::Collins, "able|abandon|café|zeal|abyss|not in table|Zeus"},
        {lex::ListOrder::Alpha, "abandon|able|abyss|café|not in table|zeal|Zeus"},
    };
    for (const auto& r : rows) {
        QStringList w = words;
        lex::orderWords(&w, t, r.order);
        EXPECT_EQ(w.join(u'|'), QString::fromUtf8(r.expected))
            << lex::listOrderName(r.order);
    }
}

// The sample's word information read straight from its CSV (word,collins,oxford,tag,bnc,frq; no
// quoted fields), to count each list independently of the reader under test.
struct CsvWord {
    QStringList tags;
    int collins = 0, oxford = 0, bnc = 0, frq = 0;
};
QMap<QString, CsvWord> sampleCsv()
{
    QFile f(lextest::sourceDir() + QStringLiteral("/data/dict/wordinfo.csv"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    QMap<QString, CsvWord> words;
    const QList<QByteArray> lines = f.readAll().split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> c = lines[i].split(',');
        if (c.size() != 6)
            continue;
        words.insert(QString::fromUtf8(c[0]), {QString::fromUtf8(c[3]).split(u' ', Qt::SkipEmptyParts), c[1].toInt(),
                                               c[2].toInt(), c[4].toInt(), c[5].toInt()});
    }
    return words;
}

TEST(LexbookNewBook, GivesExactlyTheListsWordsInFrequencyOrderWithExplanations)
{
    const QMap<QString, CsvWord> csv = sampleCsv();
    ASSERT_GT(csv.size(), 500);
    const QString dict = lextest::binaryDir() + QStringLiteral("/data/Dict");
    lextest::ToolRun r = lextest::lexbook({QStringLiteral("lists"), dict});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    QMap<QString, qsizetype> listed;
    for (const QJsonObject& o : lextest::jsonLines(r.out))
        listed.insert(o.value(QStringLiteral("list")).toString(), qsizetype(o.value(QStringLiteral("words")).toInteger()));
    for (const char* exam : {"zk", "gk", "cet4", "cet6", "ky", "ielts", "toefl", "gre"})
        EXPECT_EQ(listed.value(QString::fromLatin1(exam)),
                  std::count_if(csv.begin(), csv.end(), [&](const CsvWord& w) { return w.tags.contains(QString::fromLatin1(exam)); }))
            << exam;

    const struct { const char* expr; std::function<bool(const CsvWord&)> in; } rows[] = {
        {"ielts - cet4", [](const CsvWord& w) { return w.tags.contains(u"ielts") && !w.tags.contains(u"cet4"); }},
        {"gre & toefl + collins5",
         [](const CsvWord& w) { return (w.tags.contains(u"gre") && w.tags.contains(u"toefl")) || w.collins >= 5; }},
        {"oxford3000 - collins2", [](const CsvWord& w) { return w.oxford && w.collins < 2; }},
    };
    for (const auto& row : rows) {
        lextest::TempDir dir;
        r = lextest::lexbook({QStringLiteral("new-book"), dir.path(QStringLiteral("Book/Exam")), QStringLiteral("--list"),
                              QString::fromUtf8(row.expr), QStringLiteral("--dict"), dict, QStringLiteral("--strangeness"),
                              QStringLiteral("9,8,7")});
        ASSERT_EQ(r.code, 0) << row.expr << r.err.toStdString();
        std::set<QString> expected;
        for (auto it = csv.begin(); it != csv.end(); ++it)
            if (row.in(*it))
                expected.insert(it.key());
        r = lextest::lexbook({QStringLiteral("dump"), dir.path(QStringLiteral("Book/Exam"))});
        const QList<QJsonObject> entries = lextest::jsonLines(r.out);
        std::set<QString> got;
        int lastFrq = 0;
        bool unrankedSeen = false;
        for (const QJsonObject& e : entries) {
            const QString w = e.value(QStringLiteral("word")).toString();
            got.insert(w);
            EXPECT_FALSE(e.value(QStringLiteral("explanation")).toString().isEmpty()) << w.toStdString();
            const int frq = csv.value(w).frq;
            if (frq == 0)
                unrankedSeen = true;
            else {
                EXPECT_FALSE(unrankedSeen) << row.expr << ": " << w.toStdString() << " after an unranked word";
                EXPECT_GE(frq, lastFrq) << row.expr << ": " << w.toStdString();
                lastFrq = frq;
            }
        }
        EXPECT_EQ(got, expected) << row.expr;
        ASSERT_FALSE(entries.isEmpty());
        EXPECT_EQ(entries[0].value(QStringLiteral("recognition")).toInt(), 9) << r.out.left(300).toStdString();
    }
}

TEST(LexbookNewBook, BadInputSaysWhyAndMakesNothing)
{
    lextest::TempDir dir;
    const QString dict = lextest::binaryDir() + QStringLiteral("/data/Dict");
    // A dictionary of an older build: no word lists kept.
    dir.write(QStringLiteral("old.tsv"), "zeal\tzi:l\tn. zeal\n");
    ASSERT_EQ(lextest::lexbook({QStringLiteral("dict-build"), dir.path(QStringLiteral("old.tsv")), dir.path(QStringLiteral("Old"))}).code, 0);
    const struct { QStringList args; int code; const char* says; } rows[] = {
        {{QStringLiteral("--list"), QStringLiteral("cet6 -")}, 2, "a list name is missing at character 7"},
        {{QStringLiteral("--list"), QStringLiteral("cet6 cet4")}, 2, "'+', '-' or '&' is missing at character 6"},
        {{QStringLiteral("--list"), QStringLiteral("cet9")}, 2, "no list named 'cet9'"},
        {{QStringLiteral("--list"), QStringLiteral("gre - book:") + dir.path(QStringLiteral("Book/None"))}, 2, "no word book"},
        {{QStringLiteral("--list"), QStringLiteral("gre"), QStringLiteral("--order"), QStringLiteral("size")}, 2, "--order must be"},
        {{QStringLiteral("--list"), QStringLiteral("gre"), QStringLiteral("--strangeness"), QStringLiteral("11,1,1")}, 2, "--strangeness"},
        {{QStringLiteral("--list"), QStringLiteral("gre"), QStringLiteral("--dict"), dir.path(QStringLiteral("Old"))}, 2, "keeps no word lists"},
        {{QStringLiteral("--list"), QStringLiteral("gre"), QStringLiteral("--dict"), dir.path(QStringLiteral("None"))}, 2, "不能打开词典文件"},
    };
    for (const auto& row : rows) {
        QStringList args = {QStringLiteral("new-book"), dir.path(QStringLiteral("Book/New"))};
        args += row.args;
        if (!row.args.contains(QStringLiteral("--dict")))
            args += {QStringLiteral("--dict"), dict};
        const lextest::ToolRun r = lextest::lexbook(args);
        EXPECT_EQ(r.code, row.code) << row.says;
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(row.says))) << row.says << " / " << r.err.toStdString();
        EXPECT_FALSE(dir.exists(QStringLiteral("Book"))) << row.says;
    }
    // An existing Book is never replaced.
    QDir().mkpath(dir.path(QStringLiteral("Book")));
    dir.write(QStringLiteral("Book/New.idx"), "keep");
    const lextest::ToolRun r = lextest::lexbook({QStringLiteral("new-book"), dir.path(QStringLiteral("Book/New")),
                                                 QStringLiteral("--list"), QStringLiteral("gre"), QStringLiteral("--dict"), dict});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(dir.read(QStringLiteral("Book/New.idx")), QByteArray("keep"));
    EXPECT_FALSE(dir.exists(QStringLiteral("Book/New.txt")));
}

} // namespace
