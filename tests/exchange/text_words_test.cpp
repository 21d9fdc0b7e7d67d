// 从文章取词: the tokeniser on a fixed text, counting words by their headwords, subtitles, e-books
// good and hostile, and `lexbook words-from` (over the sample dictionary too).
#include "lexora/exchange/epub_text.h"
#include "lexora/exchange/text_words.h"
#include "temp_dir.h"
#include "tool_run.h"
#include "wordnet_files.h"
#include "zip_bytes.h"

#include <QFile>
#include <QJsonArray>
#include <gtest/gtest.h>

namespace {

TEST(TextTokens, WordsAndSentencesOfAFixedText)
{
    const QString text = QString::fromUtf8(
        "\"Don't go,\" said Mr. Brown\xE2\x80\x99s wife. It's 3 o'clock!\n"
        "A well-known   story\xE2\x80\x94told twice?\n\n"
        "New paragraph without a stop\n\n"
        "\xE4\xB8\xAD\xE6\x96\x87 caf\xC3\xA9 2nd");
    QStringList got, sentences;
    lex::tokenizeText(
        text,
        [&](const lex::TextToken& t) {
            got << QStringLiteral("%1/%2%3").arg(t.text).arg(t.sentence).arg(t.sentenceStart ? QStringLiteral("^") : QString());
        },
        [&](qsizetype n, const QString& s) { sentences << QString::number(n) + QLatin1Char(':') + s; });
    const QStringList expected{
        QStringLiteral("Don't/0^"), QStringLiteral("go/0"), QStringLiteral("said/0"), QStringLiteral("Mr/0"),
        // "Mr." ends a sentence here: abbreviations are not told apart
        QStringLiteral("Brown's/1^"), QStringLiteral("wife/1"), QStringLiteral("It's/2^"), QStringLiteral("o'clock/2"),
        QStringLiteral("A/3^"), QStringLiteral("well-known/3"), QStringLiteral("story/3"), QStringLiteral("told/3"),
        QStringLiteral("twice/3"), QStringLiteral("New/4^"), QStringLiteral("paragraph/4"), QStringLiteral("without/4"),
        QStringLiteral("a/4"), QStringLiteral("stop/4"), QStringLiteral("caf\u00e9/5")};   // no Chinese, no numbers
    EXPECT_EQ(got, expected);
    ASSERT_GE(sentences.size(), 5);
    EXPECT_EQ(sentences[0], QStringLiteral("0:\"Don't go,\" said Mr."));
    EXPECT_EQ(sentences[1], QStringLiteral("1:Brown\u2019s wife."));
    EXPECT_EQ(sentences[3], QStringLiteral("3:A well-known story\u2014told twice?"));
    EXPECT_EQ(sentences[4], QStringLiteral("4:New paragraph without a stop"));
}

lex::WordResolver mapResolver()
{
    static const QHash<QString, QString> heads{
        {QStringLiteral("ran"), QStringLiteral("run")},     {QStringLiteral("run"), QStringLiteral("run")},
        {QStringLiteral("runs"), QStringLiteral("run")},    {QStringLiteral("dog"), QStringLiteral("dog")},
        {QStringLiteral("dogs"), QStringLiteral("dog")},    {QStringLiteral("the"), QStringLiteral("the")},
        {QStringLiteral("do"), QStringLiteral("do")},       {QStringLiteral("well"), QStringLiteral("well")},
        {QStringLiteral("known"), QStringLiteral("know")},  {QStringLiteral("he"), QStringLiteral("he")},
        {QStringLiteral("london"), QStringLiteral("london")}};
    lex::WordResolver r;
    r.baseOf = [](const QString& lower) { return heads.value(lower); };
    r.rankOf = [](const QString& w) { return w == QLatin1String("the") ? std::optional<int>(1) : std::nullopt; };
    return r;
}

TEST(TextWords, FormsCountUnderTheirHeadwordWithTheFirstSentence)
{
    const QString text = QStringLiteral("The dog ran. Dogs run! Don't, Harry. He runs to London; well-known dogs. Harry and london.");
    lex::TextWordsSummary sum;
    const std::vector<lex::TextWord> words = lex::wordsFromText(text, mapResolver(), &sum);
    QStringList got;
    for (const lex::TextWord& w : words)
        got << QStringLiteral("%1:%2%3%4").arg(w.word).arg(w.count).arg(w.name ? QStringLiteral(" name") : QString())
                   .arg(w.resolved ? QString() : QStringLiteral(" ?"));
    EXPECT_EQ(got, (QStringList{QStringLiteral("dog:3"), QStringLiteral("run:3"), QStringLiteral("harry:2 name ?"),
                                QStringLiteral("london:2"), QStringLiteral("the:1"), QStringLiteral("do:1"),
                                QStringLiteral("he:1"), QStringLiteral("to:1 ?"), QStringLiteral("well:1"),
                                QStringLiteral("know:1"), QStringLiteral("and:1 ?")}));
    EXPECT_EQ(words[0].sentence, QStringLiteral("The dog ran."));
    EXPECT_EQ(words[1].sentence, QStringLiteral("The dog ran."));
    EXPECT_EQ(sum.tokens, 17);   // "well-known" is no headword here: two tokens
    EXPECT_EQ(sum.nameTokens, 2);
    EXPECT_EQ(sum.resolvedTokens, 13);

    struct Row {
        const char* what;
        lex::TextWordFilter filter;
        QStringList left;
    };
    lex::TextWordFilter inBook;
    inBook.inBook = [](const QString& w) { return w == QLatin1String("dog") || w == QLatin1String("run"); };
    lex::TextWordFilter ranked;
    ranked.knownRank = 1;
    lex::TextWordFilter names;
    names.keepNames = true;
    const Row rows[] = {
        {"in the Book", inBook, {"london", "the", "do", "he", "to", "well", "know", "and"}},
        {"within rank 1", ranked, {"dog", "run", "london", "do", "he", "to", "well", "know", "and"}},
        {"names kept", names, {"dog", "run", "harry", "london", "the", "do", "he", "to", "well", "know", "and"}},
    };
    for (const Row& r : rows) {
        QStringList left;
        for (const lex::TextWord& w : lex::filterTextWords(words, r.filter))
            left << w.word;
        EXPECT_EQ(left, r.left) << r.what;
    }
}

TEST(TextWords, SubtitlesLoseTheirNumbersTimesTagsAndNotes)
{
    struct Row {
        const char* raw;
        const char* text;
    };
    const Row rows[] = {
        {"1\r\n00:00:01,000 --> 00:00:02,500\r\n<i>Hello</i> there.\r\n\r\n2\r\n00:00:03,000 --> 00:00:04,000\r\n{\\an8}Second line\r\nand more\r\n",
         "Hello there.\nSecond line\nand more\n"},
        {"\xEF\xBB\xBFWEBVTT - title\nKind: captions\n\nNOTE a comment\nstill the note\n\nSTYLE\n::cue { color: red }\n\n"
         "intro\n00:01.000 --> 00:02.000 align:start\n<v Roger>We <c.yellow>go</c>.\n\n00:03.000 --> 00:04.000\n42 is the answer\n",
         "We go.\n42 is the answer\n"},
        {"", ""},
    };
    for (const Row& r : rows)
        EXPECT_EQ(lex::subtitleText(QString::fromUtf8(r.raw)), QString::fromUtf8(r.text)) << r.raw;
}

TEST(EpubText, ReadsThePagesInOrderWithoutScriptsOrRemoteLinks)
{
    const QByteArray book = lextest::epubBytes(
        {"<h1>One</h1><p>First&nbsp;<b>page</b>&mdash;</p><script>var secret = 1;</script><style>p{}</style>",
         "<p>Second <a href=\"http://example.com/x\">link</a> <img src=\"https://example.com/i.png\"/>page.</p>"});
    QString text;
    const lex::Status s = lex::epubText(book, &text);
    ASSERT_TRUE(s) << qPrintable(s.message());
    EXPECT_EQ(text.simplified(), QStringLiteral("One First page\u2014 Second link page."));   // HTML's entities too
    EXPECT_FALSE(text.contains(QLatin1String("secret")));
    EXPECT_FALSE(text.contains(QLatin1String("Page")));   // the head's title
}

TEST(EpubText, HostileBooksAreRefusedWithAMessage)
{
    std::vector<QByteArray> deep(1);
    for (int i = 0; i < 200000; ++i)
        deep[0] += "<div>";
    const QByteArray zeros(80 * 1024 * 1024, '\0');   // past one member's budget, 80 KB packed
    const QByteArray good = lextest::epubBytes({"<p>Fine.</p>"});
    struct Row {
        const char* what;
        QByteArray bytes;
        lex::Status::Code code;
        const char* says;
    };
    const Row rows[] = {
        {"not a zip", "plain text, not an archive", lex::Status::Code::Damaged, "zip"},
        {"cut short", good.left(good.size() / 2), lex::Status::Code::Damaged, "电子书已损坏"},
        {"member climbing out", lextest::epubBytes({"<p>x</p>"}, {{"../../etc/evil.xhtml", "<p>evil</p>"}}),
         lex::Status::Code::Refused, "包外"},
        {"absolute member", lextest::epubBytes({"<p>x</p>"}, {{"/etc/passwd", "root"}}), lex::Status::Code::Refused, "包外"},
        {"link climbing out",
         lextest::epubBytes({"<p>x</p>"}, {}, "<item id=\"e\" href=\"../../../evil.xhtml\" media-type=\"application/xhtml+xml\"/>"),
         lex::Status::Code::Refused, "包外"},
        {"zip bomb", lextest::epubBytes({"<p>x</p>"}, {{"OEBPS/text/p0.xhtml", zeros, true, 100}}), lex::Status::Code::Refused,
         "太大"},
        {"200,000 nested elements", lextest::epubBytes(deep), lex::Status::Code::Refused, "嵌套太深"},
        {"not XHTML", lextest::epubBytes({"<p>unclosed</b></p>"}), lex::Status::Code::Damaged, "XHTML"},
    };
    for (const Row& r : rows) {
        QString text;
        const lex::Status s = lex::epubText(r.bytes, &text);
        EXPECT_FALSE(s) << r.what;
        EXPECT_EQ(s.code(), r.code) << r.what;
        EXPECT_TRUE(s.message().contains(QString::fromUtf8(r.says))) << r.what << ": " << qPrintable(s.message());
    }
}

TEST(ReadingFiles, AFileTooLargeIsRefusedUnread)
{
    lextest::TempDir dir;
    QFile big(dir.path(QStringLiteral("novel.txt")));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(qint64(1) << 30));   // 1 GB, sparse
    big.close();
    QString text;
    const lex::Status s = lex::readReadingFile(nullptr, dir.path(QStringLiteral("novel.txt")), &text);
    EXPECT_EQ(s.code(), lex::Status::Code::Refused);
    EXPECT_TRUE(s.message().contains(QStringLiteral("文件太大")));
    EXPECT_TRUE(text.isEmpty());
}

TEST(LexbookWordsFrom, ListsTheWordsTheBookLacksWithTheirSentences)
{
    lextest::TempDir dir;
    lextest::WordNetFiles wn;
    for (const char* w : {"dog", "cat", "bark", "loud"})
        wn.lemma(lex::WordNetPos::Noun, w, {wn.synset(lex::WordNetPos::Noun, {w}, "a thing")});
    wn.lemma(lex::WordNetPos::Verb, "bark", {wn.synset(lex::WordNetPos::Verb, {"bark"}, "make a sound")});
    wn.writeTo(dir.path(QStringLiteral("wn")));
    dir.write(QStringLiteral("film.srt"), "1\n00:00:01,000 --> 00:00:02,000\nDogs barked at the cat.\n\n"
                                          "2\n00:00:03,000 --> 00:00:04,000\nThe dog barks, Rex said.\n");
    const lextest::ToolRun r = lextest::lexbook({QStringLiteral("words-from"), dir.path(QStringLiteral("film.srt")),
                                                 QStringLiteral("--wordnet"), dir.path(QStringLiteral("wn"))});
    ASSERT_EQ(r.code, 0) << qPrintable(r.err);
    const QList<QJsonObject> lines = lextest::jsonLines(r.out);
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[0][QStringLiteral("word")].toString(), QStringLiteral("dog"));
    EXPECT_EQ(lines[0][QStringLiteral("count")].toInt(), 2);
    EXPECT_EQ(lines[0][QStringLiteral("sentence")].toString(), QStringLiteral("Dogs barked at the cat."));
    EXPECT_TRUE(lines[0][QStringLiteral("rank")].isNull());   // no word information in this dictionary
    EXPECT_EQ(lines[1][QStringLiteral("word")].toString(), QStringLiteral("bark"));
    for (const QJsonObject& o : lines)
        EXPECT_NE(o[QStringLiteral("word")].toString(), QStringLiteral("rex"));   // a name, hidden
}

// Over the sample dictionary, whose word information holds the real ranks and exam lists: each word
// with its own (a name's too, found under its capital), and --known-rank leaving out the words
// ranked within it; unranked words always stay.
TEST(LexbookWordsFrom, RanksAndExamListsComeFromTheDictionary)
{
    lextest::TempDir dir;
    dir.write(QStringLiteral("film.srt"), "1\n00:00:01,000 --> 00:00:02,000\nThe English student found nothing to practice.\n\n"
                                          "2\n00:00:03,000 --> 00:00:04,000\nHarry met the student, said Harry.\n");
    const QString dict = lextest::binaryDir() + QStringLiteral("/data/Dict");
    const struct {
        const char* word;
        int rank;   // 0: null
        QStringList exams;
    } words[] = {
        {"the", 1, {"zk", "gk"}},
        {"student", 157, {"zk", "gk", "ielts"}},
        {"harry", 0, {}},
        {"english", 1782, {"zk", "gk"}},
        {"found", 0, {}},
        {"nothing", 315, {"zk", "gk", "ielts"}},
        {"to", 0, {}},
        {"practice", 564, {"zk", "gk", "ielts"}},
        {"met", 0, {}},
        {"said", 0, {}},
    };
    const struct {
        QStringList options;
        QStringList left;
    } rows[] = {
        {{"--names"}, {"the", "student", "harry", "english", "found", "nothing", "to", "practice", "met", "said"}},
        {{}, {"the", "student", "found", "nothing", "to", "practice", "met", "said"}},
        {{"--known-rank", "1"}, {"student", "found", "nothing", "to", "practice", "met", "said"}},
        {{"--known-rank", "157"}, {"found", "nothing", "to", "practice", "met", "said"}},
        {{"--known-rank", "564", "--names"}, {"harry", "english", "found", "to", "met", "said"}},
        {{"--known-rank", "100000"}, {"found", "to", "met", "said"}},
    };
    for (const auto& r : rows) {
        const QString shown = r.options.join(QLatin1Char(' '));
        const lextest::ToolRun run = lextest::lexbook(QStringList{QStringLiteral("words-from"), dir.path(QStringLiteral("film.srt")),
                                                                  QStringLiteral("--dict"), dict} + r.options);
        ASSERT_EQ(run.code, 0) << qPrintable(shown) << ": " << qPrintable(run.err);
        QStringList left;
        for (const QJsonObject& o : lextest::jsonLines(run.out)) {
            const QString word = o[QStringLiteral("word")].toString();
            left << word;
            for (const auto& w : words)
                if (word == QLatin1String(w.word)) {
                    EXPECT_EQ(o[QStringLiteral("rank")].toInt(), w.rank) << w.word;
                    EXPECT_EQ(o[QStringLiteral("rank")].isNull(), w.rank == 0) << w.word;
                    QStringList exams;
                    for (const QJsonValue& e : o[QStringLiteral("exams")].toArray())
                        exams << e.toString();
                    EXPECT_EQ(exams, w.exams) << w.word;
                }
        }
        EXPECT_EQ(left, r.left) << qPrintable(shown);
    }
}

} // namespace
