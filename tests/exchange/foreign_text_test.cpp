// .kvtml, CSV and TSV: entries out and back keep every text byte for byte, KDE's own library reads
// what we write and we read what it writes, and bad files are refused with a message.
#include "lexora/exchange/formats/foreign_format.h"

#include "entry_builder.h"
#include "mem_env.h"
#include "temp_dir.h"
#include "tool_run.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>

using lex::ForeignKind;
using lex::ForeignTable;
using lex::Status;

namespace {

struct Texts {
    QString word, explanation, phonetic, className, comment;
};

// Everything that trips a writer: Chinese, IPA, quotes, separators, tabs, line breaks of every
// kind, HTML- and XML-looking text, a leading '#', a CDATA end.
const std::vector<Texts> kTricky = {
    {QStringLiteral("English"), QStringLiteral("adj.英文的, 英国人的\r\nn.英国人, 英语"), QStringLiteral("ˈɪŋɡlɪʃ"),
     QStringLiteral("第一课"), QStringLiteral("注释行1\r\n注释行2")},
    {QStringLiteral("say \"hi\""), QStringLiteral("<b>粗体</b> &amp; &lt;i&gt; 'x'"), QStringLiteral("5iN^liF"), {},
     QStringLiteral("a\tb")},
    {QStringLiteral("tab\tword"), QStringLiteral("comma, semicolon; pipe| colon:"), {}, QStringLiteral("单元一/第三课"),
     QStringLiteral("#not a header")},
    {QStringLiteral("#hash"), QStringLiteral("lone CR\rand LF\r\n\r\nblank line"), QStringLiteral("]]>"),
     QStringLiteral("第一课"), QStringLiteral("\"\"")},
    {QStringLiteral("go"), {}, {}, {}, {}},
};

std::vector<std::unique_ptr<lex::WordEntry>> makeEntries(const std::vector<Texts>& texts)
{
    std::vector<std::unique_ptr<lex::WordEntry>> out;
    for (const Texts& t : texts)
        out.push_back(lextest::entry(t.word, t.explanation, t.phonetic, t.className, t.comment));
    return out;
}

std::vector<const lex::WordEntry*> pointers(const std::vector<std::unique_ptr<lex::WordEntry>>& entries)
{
    std::vector<const lex::WordEntry*> out;
    for (const auto& e : entries)
        out.push_back(e.get());
    return out;
}

void expectRecords(const ForeignTable& table, const std::vector<Texts>& want)
{
    const std::vector<lex::ImportRecord> got = lex::recordsFromTable(table, lex::guessFieldMap(table.fields));
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(want[i].word.toStdString());
        EXPECT_EQ(got[i].word, want[i].word);
        EXPECT_EQ(got[i].explanation, want[i].explanation);
        EXPECT_EQ(got[i].phonetic, want[i].phonetic);
        EXPECT_EQ(got[i].comment, want[i].comment);
        EXPECT_EQ(got[i].className, want[i].className);
    }
}

TEST(ForeignText, EntriesOutAndBackKeepEveryText)
{
    const auto entries = makeEntries(kTricky);
    for (ForeignKind kind : {ForeignKind::Kvtml, ForeignKind::Csv, ForeignKind::Tsv}) {
        SCOPED_TRACE(int(kind));
        lextest::MemEnv env;
        lex::ForeignExportResult result;
        ASSERT_TRUE(lex::writeForeign(kind, &env, QStringLiteral("out"), pointers(entries), {}, &result));
        EXPECT_EQ(result.written, int(kTricky.size()));
        EXPECT_FALSE(result.losses.isEmpty());   // degrees and times stay behind, and the learner is told
        EXPECT_EQ(env.files.count(QStringLiteral("out.tmp")), 0u);
        ForeignTable table;
        ASSERT_TRUE(lex::readForeign(kind, &env, QStringLiteral("out"), &table)) << table.losses.join(u'\n').toStdString();
        expectRecords(table, kTricky);
    }
}

TEST(ForeignText, DelimitedHeadersAndQuoting)
{
    struct Case {
        bool tab;
        QByteArray file;
        QStringList fields;
        std::vector<QStringList> rows;
        QStringList firstTags;
    };
    const std::vector<Case> cases = {
        {false, "#separator:Semicolon\n#html:true\n#notetype:Basic\n#deck:D\n#columns:Front;Back;Tags\n#tags column:3\n"
                "hello;\"<div><b>\xe4\xbd\xa0\xe5\xa5\xbd</b></div><div>&amp;world&nbsp;</div>\";t1 t2\n",
         {"Front", "Back", "Tags"}, {{"hello", "你好\r\n&world", "t1 t2"}}, {"t1", "t2"}},
        {true, "\xef\xbb\xbfword\texpl\r\nw2\t\"multi\r\nline \"\"q\"\"\"\r\n\r\nw3\n", {"1", "2"},
         {{"word", "expl"}, {"w2", "multi\r\nline \"q\""}, {"w3", ""}}, {}},
        {false, "#separator:|\n#html:false\na|<b>b</b>|c\n", {"1", "2", "3"}, {{"a", "<b>b</b>", "c"}}, {}},
        {false, "a;b\nc;\"d;e\"\n", {"1", "2"}, {{"a", "b"}, {"c", "d;e"}}, {}},   // a spreadsheet's semicolons
        {false, "#columns:Word,Explanation\nw,e,extra\n", {"Word", "Explanation", "3"}, {{"w", "e", "extra"}}, {}},
        {true, "#separator:tab\n#html:true\n#guid column:1\n#notetype column:2\n#deck column:3\n#tags column:5\n"
               "g\tBasic\tD\tw<br>\tt\n", {"GUID", "Note type", "Deck", "4", "Tags"}, {{"g", "Basic", "D", "w", "t"}}, {"t"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        ForeignTable t;
        ASSERT_TRUE(lex::foreign::parseDelimited(c.tab, c.file, &t));
        EXPECT_EQ(t.fields, c.fields);
        ASSERT_EQ(t.rows.size(), c.rows.size());
        for (size_t i = 0; i < c.rows.size(); ++i)
            EXPECT_EQ(t.rows[i].values, c.rows[i]);
        EXPECT_EQ(t.rows.front().tags, c.firstTags);
    }
    // Our own degree tags set the degrees; a value out of range or not a number is no degree.
    ForeignTable t;
    ASSERT_TRUE(lex::foreign::parseDelimited(
        true, "#tags column:2\nw\tlexora::spelling::3 lexora::recognition::99 lexora::listening::x CET_4\n", &t));
    lex::FieldMap map;
    map.explanation = -1;
    map.classFromTags = true;
    const auto records = lex::recordsFromTable(t, map);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].degrees, (std::array<int, 3>{-1, 3, -1}));
    EXPECT_EQ(records[0].className, QStringLiteral("CET_4"));
}

// The lesson of a .kvtml entry is its class; nested lessons join with '/'; a file by another
// program keeps its multi-line texts (LF there) as Lexora's CR LF.
TEST(ForeignText, KvtmlLessonsAndLineBreaks)
{
    const QByteArray file = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE kvtml PUBLIC "kvtml2.dtd" "http://edu.kde.org/kvtml/kvtml2.dtd">
<kvtml version="2.0">
 <identifiers>
  <identifier id="0"><name>Chinese</name><locale>zh_CN</locale></identifier>
  <identifier id="1"><name>English</name><locale>en</locale></identifier>
 </identifiers>
 <entries>
  <entry id="7"><translation id="0"><text>两行
解释</text></translation><translation id="1"><text>word</text><pronunciation>wɜːd</pronunciation>
   <grade><currentgrade>3</currentgrade></grade></translation></entry>
 </entries>
 <lessons><container><name>Unit 1</name><container><name>Part A</name><entry id="7"/></container></container></lessons>
</kvtml>)";
    ForeignTable t;
    ASSERT_TRUE(lex::foreign::parseKvtml(file, &t));
    expectRecords(t, {{QStringLiteral("word"), QStringLiteral("两行\r\n解释"), QStringLiteral("wɜːd"),
                       QStringLiteral("Unit 1/Part A"), {}}});
    EXPECT_EQ(t.rows[0].tags, QStringList{QStringLiteral("Unit 1/Part A")});
    EXPECT_TRUE(t.losses.join(u'\n').contains(u"grade")) << t.losses.join(u'\n').toStdString();
}

TEST(ForeignText, BadFilesAreRefusedWithAMessage)
{
    const QByteArray head = "<?xml version=\"1.0\"?>\n";
    const QByteArray body = "<kvtml version=\"2.0\"><entries><entry id=\"0\"><translation id=\"0\"><text>";
    const QByteArray tail = "</text></translation></entry></entries></kvtml>";
    // One field of 100 MB, made in place: copies of it would cost more than reading it.
    auto hugeField = [](const QByteArray& before, const QByteArray& after) {
        QByteArray f;
        f.reserve(before.size() + (100 << 20) + after.size());
        f.append(before).append(100 << 20, 'x').append(after);
        return f;
    };
    struct Case {
        const char* what;
        ForeignKind kind;
        QByteArray file;
        Status::Code code;
        const char* says;
    };
    const std::vector<Case> cases = {
        {"entity expansion", ForeignKind::Kvtml,
         head + "<!DOCTYPE kvtml [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">]>" + body + "&b;" + tail,
         Status::Code::Refused, "entities"},
        {"external entity", ForeignKind::Kvtml,
         head + "<!DOCTYPE kvtml [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>" + body + "&x;" + tail,
         Status::Code::Refused, "entities"},
        {"parameter entity", ForeignKind::Kvtml, head + "<!DOCTYPE kvtml [<!ENTITY % p \"\">]>" + body + tail,
         Status::Code::Refused, "entities"},
        {"entity of an outside DTD", ForeignKind::Kvtml, head + "<!DOCTYPE kvtml SYSTEM \"k.dtd\">" + body + "&x;" + tail,
         Status::Code::Refused, "&x;"},
        {"100 MB field", ForeignKind::Kvtml, hugeField(head + body, tail), Status::Code::Refused, "longer than"},
        {"version 1", ForeignKind::Kvtml, head + "<kvtml version=\"1.0\"/>", Status::Code::Refused, "version 1.0"},
        {"no XML", ForeignKind::Kvtml, "word,explanation\n", Status::Code::Damaged, "XML"},
        {"cut short", ForeignKind::Kvtml, head + body, Status::Code::Damaged, "XML"},
        {"mixed separators", ForeignKind::Csv, "a,b\nc,d\ne;f\ng;h\n", Status::Code::Damaged, "mixes separators"},
        {"mixed, three columns", ForeignKind::Tsv, "a\tb\tc\nd;e;f\n", Status::Code::Damaged, "mixes separators"},
        {"mostly another separator", ForeignKind::Csv, "#separator:Tab\na\tb\nc,d\ne,f\n", Status::Code::Damaged,
         "line 3"},
        {"open quote", ForeignKind::Csv, "a,b\nc,\"d\ne,f\n", Status::Code::Damaged, "begins on line 2"},
        {"100 MB field", ForeignKind::Csv, hugeField("w,\"", "\"\n"), Status::Code::Refused, "longer than"},
        {"unknown separator", ForeignKind::Csv, "#separator:Dots\na,b\n", Status::Code::Damaged, "Dots"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        lextest::MemEnv env;
        env.files[QStringLiteral("in")] = c.file;
        ForeignTable t;
        const Status s = lex::readForeign(c.kind, &env, QStringLiteral("in"), &t);
        ASSERT_FALSE(s);
        EXPECT_EQ(s.code(), c.code) << s.message().toStdString();
        EXPECT_TRUE(s.message().contains(QLatin1String(c.says))) << s.message().toStdString();
        EXPECT_TRUE(t.rows.empty() && t.fields.isEmpty());
    }
    // A word that merely holds a comma is no mix.
    ForeignTable t;
    EXPECT_TRUE(lex::foreign::parseDelimited(true, "a\tb\nc\td\nwell, well\n", &t));

    // Past the file limit nothing is read at all.
    struct HugeEnv : lextest::MemEnv {
        qint64 fileSize(const QString&) override { return lex::kForeignMaxFileBytes + 1; }
        lex::Status readFile(const QString&, QByteArray*) override { ADD_FAILURE() << "read"; return {}; }
    } hugeEnv;
    for (ForeignKind kind : {ForeignKind::Kvtml, ForeignKind::Csv})
        EXPECT_EQ(lex::readForeign(kind, &hugeEnv, QStringLiteral("in"), &t).code(), Status::Code::Refused);
}

#ifdef LEXORA_KDE_CHECK
// KDE's library folds every run of white space in a text into one blank when it reads or sets it.
QString kdeText(const QString& s) { return s.simplified(); }

QJsonObject asJson(const Texts& t)
{
    return {{"word", t.word}, {"phonetic", t.phonetic}, {"comment", t.comment},
            {"explanation", t.explanation}, {"lesson", t.className}};
}
#endif

TEST(ForeignText, KdeLibraryReadsOursAndWeReadItsFiles)
{
#ifndef LEXORA_KDE_CHECK
    GTEST_SKIP() << "KDE's vocabulary library (libkeduvocdocument-dev, Qt 5) was not found at configure time";
#else
    // Its texts cannot hold line breaks or tabs, so KDE's side of each text is its folded form.
    std::vector<Texts> withLessons;
    for (Texts t : kTricky) {
        if (t.className.isEmpty())
            t.className = QStringLiteral("Lesson");
        withLessons.push_back(t);
    }
    std::vector<Texts> folded;
    for (const Texts& t : withLessons)
        folded.push_back({kdeText(t.word), kdeText(t.explanation), kdeText(t.phonetic), t.className, kdeText(t.comment)});

    lextest::TempDir dir;
    const auto entries = makeEntries(withLessons);
    ASSERT_TRUE(lex::writeForeign(ForeignKind::Kvtml, nullptr, dir.path("ours.kvtml"), pointers(entries), {}));
    const lextest::ToolRun read = lextest::runTool(QStringLiteral(LEXORA_KDE_CHECK), {"read", dir.path("ours.kvtml")});
    ASSERT_EQ(read.code, 0) << read.err.toStdString();
    const QList<QJsonObject> lines = lextest::jsonLines(read.out);
    ASSERT_EQ(lines.size(), qsizetype(folded.size() + 1));
    EXPECT_EQ(QJsonDocument(lines[0]).toJson(QJsonDocument::Compact),
              R"({"identifiers":[{"locale":"en","name":"English"},{"locale":"zh_CN","name":"Chinese"}]})");
    // KDE lists entries lesson by lesson.
    QStringList want, got;
    for (const Texts& t : folded)
        want << QString::fromUtf8(QJsonDocument(asJson(t)).toJson(QJsonDocument::Compact));
    for (qsizetype i = 1; i < lines.size(); ++i)
        got << QString::fromUtf8(QJsonDocument(lines[i]).toJson(QJsonDocument::Compact));
    want.sort();
    got.sort();
    EXPECT_EQ(got, want);

    QProcess writer;
    writer.start(QStringLiteral(LEXORA_KDE_CHECK), {QStringLiteral("write"), dir.path("kde.kvtml")});
    ASSERT_TRUE(writer.waitForStarted());
    for (const Texts& t : withLessons)
        writer.write(QJsonDocument(asJson(t)).toJson(QJsonDocument::Compact) + '\n');
    writer.closeWriteChannel();
    ASSERT_TRUE(writer.waitForFinished(30000));
    ASSERT_EQ(writer.exitCode(), 0) << writer.readAllStandardError().toStdString();
    ForeignTable table;
    ASSERT_TRUE(lex::readForeign(ForeignKind::Kvtml, nullptr, dir.path("kde.kvtml"), &table));
    got.clear();
    for (const lex::ImportRecord& r : lex::recordsFromTable(table, lex::guessFieldMap(table.fields)))
        got << QString::fromUtf8(QJsonDocument(asJson({r.word, r.explanation, r.phonetic, r.className, r.comment}))
                                     .toJson(QJsonDocument::Compact));
    got.sort();
    EXPECT_EQ(got, want);
#endif
}

} // namespace
