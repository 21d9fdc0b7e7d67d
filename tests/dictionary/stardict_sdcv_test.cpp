// Our StarDict reader against Debian's: dictionaries built by stardict-tools (and, for 64-bit
// offsets, which those tools do not write, by our own writer) are read by sdcv and by us, and
// every headword and synonym must give the same text.
#include "common/dictionary/stardict.h"
#include "common/dictionary/stardict_writer.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tool_run.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>
#include <map>
#include <random>

namespace {

const QString kTools = QStringLiteral("/usr/lib/stardict-tools/");

struct Word {
    QString word;
    QString text;        // as the entry stores it
    QStringList synonyms;
};

// Distinct headwords: random ones, some also capitalised with their own entry, some with letters
// outside ASCII, blanks and punctuation; texts of several lines with quotes and markup characters.
std::vector<Word> words()
{
    std::mt19937 rng(25);
    std::map<QString, Word> byWord;
    auto add = [&](const QString& w, int i) {
        Word e{w, QStringLiteral("%1 meaning %2\nsecond line \"quoted\" <b>&amp;</b> ✓ 中文").arg(w).arg(i), {}};
        if (i % 7 == 0)
            e.synonyms << QStringLiteral("syn%1%2").arg(w).arg(i);
        byWord.emplace(w, e);
    };
    for (int i = 0; i < 400; ++i) {
        QString w;
        const int n = 2 + int(rng() % 9);
        for (int k = 0; k < n; ++k)
            w += QChar('a' + int(rng() % 26));
        add(w, i);
        if (i % 10 == 0)
            add(w.left(1).toUpper() + w.mid(1), i + 1000);
        if (i % 25 == 0)
            add(w.toUpper(), i + 2000);
    }
    int i = 3000;
    for (const char* w : {"café", "Café", "naïve", "Ångström", "ice cream", "x-ray", "O'Neill", "Zürich", "zz top", "_x", "9lives"})
        add(QString::fromUtf8(w), i++);
    std::vector<Word> out;
    for (auto& [k, v] : byWord)
        out.push_back(v);
    return out;
}

// One JSON line per asked word from sdcv: the definition of this dictionary's first entry, or
// nothing.
std::vector<QString> askSdcv(const QString& dataDir, const QStringList& asked, const QString& home)
{
    const lextest::ToolRun r = lextest::runTool(
        QStringLiteral("sdcv"),
        QStringList{QStringLiteral("-n"), QStringLiteral("-x"), QStringLiteral("-j"), QStringLiteral("-e"),
                    QStringLiteral("-0"), QStringLiteral("-1"), QStringLiteral("--data-dir"), dataDir} + asked,
        {QStringLiteral("HOME=") + home, QStringLiteral("LANG=C.UTF-8"), QStringLiteral("LC_ALL=C.UTF-8")}, 120000);
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    std::vector<QString> defs;
    for (const QString& line : r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QJsonArray a = QJsonDocument::fromJson(line.toUtf8()).array();
        defs.push_back(a.isEmpty() ? QString() : a[0].toObject()[QStringLiteral("definition")].toString());
    }
    return defs;
}

bool haveTools()
{
    return QFile::exists(kTools + QStringLiteral("tabfile")) && QFile::exists(kTools + QStringLiteral("stardict-text2bin")) &&
           lextest::runTool(QStringLiteral("sdcv"), {QStringLiteral("--version")}).code == 0 &&
           lextest::runTool(QStringLiteral("dictzip"), {QStringLiteral("--version")}).code >= 0;
}

QString xmlEscape(QString s)
{
    return s.replace(QLatin1Char('&'), QLatin1String("&amp;")).replace(QLatin1Char('<'), QLatin1String("&lt;"));
}

TEST(StarDictReference, SameTextAsSdcv)
{
    if (!haveTools())
        GTEST_SKIP() << "sdcv, dictzip or stardict-tools are not installed (tools/dev.sh installs them)";
    const std::vector<Word> ws = words();
    lextest::TempDir dir;
    const QString home = dir.path(QStringLiteral("home"));
    QDir().mkpath(home);

    // tabfile: tab file to .idx and .dict.dz.
    QDir().mkpath(dir.path(QStringLiteral("tab")));
    QByteArray tab;
    for (const Word& w : ws)
        tab += w.word.toUtf8() + '\t' + QString(w.text).replace(QLatin1Char('\n'), QLatin1String("\\n")).toUtf8() + '\n';
    dir.write(QStringLiteral("tab/tab.txt"), tab);
    ASSERT_EQ(lextest::runTool(kTools + QStringLiteral("tabfile"), {dir.path(QStringLiteral("tab/tab.txt"))}).code, 0);
    QFile::remove(dir.path(QStringLiteral("tab/tab.txt")));

    // stardict-text2bin: the XML form, with synonyms; a copy with the .dict unpacked.
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<stardict>\n<info>\n<version>2.4.2</version>\n"
                     "<bookname>syn</bookname>\n</info>\n<contents type=\"m\"></contents>\n";
    for (const Word& w : ws) {
        xml += "<article>\n<key>" + xmlEscape(w.word).toUtf8() + "</key>\n";
        for (const QString& s : w.synonyms)
            xml += "<synonym>" + xmlEscape(s).toUtf8() + "</synonym>\n";
        xml += "<definition type=\"m\"><![CDATA[" + w.text.toUtf8() + "]]></definition>\n</article>\n";
    }
    xml += "</stardict>\n";
    for (const char* sub : {"syn", "plain"}) {
        QDir().mkpath(dir.path(QLatin1String(sub)));
        dir.write(QStringLiteral("syn.xml"), xml);
        ASSERT_EQ(lextest::runTool(kTools + QStringLiteral("stardict-text2bin"),
                                   {dir.path(QStringLiteral("syn.xml")), dir.path(QStringLiteral("%1/syn.ifo").arg(QLatin1String(sub)))})
                      .code,
                  0);
    }
    ASSERT_EQ(lextest::runTool(QStringLiteral("dictzip"), {QStringLiteral("-d"), dir.path(QStringLiteral("plain/syn.dict.dz"))}).code, 0);
    ASSERT_TRUE(dir.exists(QStringLiteral("plain/syn.dict")));

    // Our writer, compressed: with 32-bit offsets, and with 64-bit ones. Debian's sdcv (0.5.2)
    // reads offsets as 32-bit whatever the .ifo says, so our 64-bit dictionary is held against
    // what sdcv reads from its 32-bit twin.
    for (const bool wide : {false, true}) {
        lex::StarDictSource src;
        src.bookname = wide ? QStringLiteral("wide") : QStringLiteral("ours");
        src.offsets64 = wide;
        src.dictzip = true;
        for (const Word& w : ws)
            src.entries.push_back({w.word, w.text.toUtf8(), w.synonyms});
        const lex::StarDictFiles f = lex::writeStarDict(src);
        const QString stem = src.bookname + QLatin1Char('/') + src.bookname;
        QDir().mkpath(dir.path(src.bookname));
        dir.write(stem + QStringLiteral(".ifo"), f.ifo);
        dir.write(stem + QStringLiteral(".idx"), f.idx);
        dir.write(stem + QStringLiteral(".syn"), f.syn);
        dir.write(stem + QStringLiteral(".dict.dz"), f.dict);
    }

    struct Dict { const char* folder; const char* ifo; bool synonyms; const char* sdcvFolder; };
    int compared = 0;
    for (const Dict& dd : {Dict{"tab", "tab.ifo", false, "tab"}, Dict{"syn", "syn.ifo", true, "syn"},
                           Dict{"plain", "syn.ifo", true, "plain"}, Dict{"ours", "ours.ifo", true, "ours"},
                           Dict{"wide", "wide.ifo", true, "ours"}}) {
        SCOPED_TRACE(dd.folder);
        lex::StarDict ours;
        const QString folder = dir.path(QLatin1String(dd.folder));
        ASSERT_TRUE(ours.open(lex::Env::defaultEnv(), folder + QLatin1Char('/') + QLatin1String(dd.ifo)));
        EXPECT_TRUE(ours.warning().isEmpty()) << ours.warning().toStdString();
        EXPECT_EQ(ours.wordCount(), qint64(ws.size()));
        QStringList asked;
        for (const Word& w : ws) {
            asked << w.word;
            if (dd.synonyms)
                asked += w.synonyms;
        }
        asked << QStringLiteral("notaword") << ws.front().word.toUpper() + QStringLiteral("Q");
        const std::vector<QString> theirs = askSdcv(dir.path(QLatin1String(dd.sdcvFolder)), asked, home);
        ASSERT_EQ(theirs.size(), size_t(asked.size()));
        for (qsizetype i = 0; i < asked.size(); ++i) {
            std::vector<lex::StarDictEntry> out;
            ASSERT_TRUE(ours.lookup(asked[i], lex::StarDict::Match::Exact, &out));
            // sdcv starts each field with a line break.
            const QString mine = out.empty() ? QString() : QLatin1Char('\n') + lex::starDictStoredText(out[0]);
            EXPECT_LE(out.size(), 1u) << asked[i].toStdString();
            EXPECT_EQ(mine, theirs[size_t(i)]) << asked[i].toStdString();
            ++compared;
        }
    }
    std::printf("compared %d look-ups with sdcv\n", compared);

    // lexbook shows the same entries, and says when there is none.
    const QString wide = dir.path(QStringLiteral("wide/wide.ifo"));
    const Word& w = ws[3];
    lextest::ToolRun r = lextest::lexbook({QStringLiteral("lookup"), wide, w.word});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
    EXPECT_EQ(o[QStringLiteral("word")].toString(), w.word);
    EXPECT_EQ(o[QStringLiteral("definition")].toString(), w.text);
    EXPECT_TRUE(r.out.startsWith(QLatin1String("{\"word\": ")));
    r = lextest::lexbook({QStringLiteral("lookup"), wide, QStringLiteral("Café")});
    EXPECT_EQ(r.out.count(QLatin1Char('\n')), 1) << r.out.toStdString();
    EXPECT_EQ(lextest::lexbook({QStringLiteral("lookup"), wide, QStringLiteral("notaword")}).code, 1);
}

} // namespace
