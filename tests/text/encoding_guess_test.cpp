#include "common/dictionary/ecdict_convert.h"
#include "common/text/codepage.h"
#include "common/text/encoding_guess.h"
#include "temp_dir.h"

#include <QFile>
#include <QSet>
#include <gtest/gtest.h>

namespace {

using lex::UnmarkedEncoding;

UnmarkedEncoding guess(const QByteArray& b) { return lex::guessUnmarkedEncoding(b); }

TEST(EncodingGuess, ShortTextsOfEitherEncoding)
{
    struct Case {
        const char* what;
        QByteArray bytes;
        UnmarkedEncoding expected;
    } cases[] = {
        // GBK text whose bytes are also valid UTF-8 ("ѧϰ", "л", "С"-like readings).
        {"学习 in GBK", lex::cp936::encode(u"学习"), UnmarkedEncoding::Cp936},
        {"谢 in GBK", QByteArray::fromHex("d0bb"), UnmarkedEncoding::Cp936},
        {"BookName=学习 in GBK", "BookName=" + lex::cp936::encode(u"学习"), UnmarkedEncoding::Cp936},
        {"go去 in GBK", "go" + lex::cp936::encode(u"去"), UnmarkedEncoding::Cp936},
        {"卤 in GBK (UTF-8 reads ±)", lex::cp936::encode(u"卤"), UnmarkedEncoding::Cp936},
        {"皓矾 in GBK (UTF-8 reads one rare ideograph)", lex::cp936::encode(u"皓矾"), UnmarkedEncoding::Cp936},
        {"GBK that is not UTF-8", lex::cp936::encode(u"中国的"), UnmarkedEncoding::Cp936},
        {"ASCII only", "English\r\n", UnmarkedEncoding::Cp936},
        {"empty", QByteArray(), UnmarkedEncoding::Cp936},
        // UTF-8 text that is also valid GBK, and UTF-8 that only Latin letters show.
        {"丰中 in UTF-8", QStringLiteral("丰中").toUtf8(), UnmarkedEncoding::Utf8},
        {"学习 in UTF-8", QStringLiteral("学习").toUtf8(), UnmarkedEncoding::Utf8},
        {"naïve in UTF-8", QStringLiteral("naïve").toUtf8(), UnmarkedEncoding::Utf8},
        {"résumé in UTF-8", QStringLiteral("résumé").toUtf8(), UnmarkedEncoding::Utf8},
        {"phonetics in UTF-8", QStringLiteral("abandon /əˈbændən/ 放弃").toUtf8(), UnmarkedEncoding::Utf8},
        {"UTF-8 cut inside its last character", QByteArray::fromHex("e4b8ade696"), UnmarkedEncoding::Utf8},
        {"only ASCII before a cut character", "abc" + QByteArray::fromHex("e4b8"), UnmarkedEncoding::Cp936},
        {"a broken sequence in the middle", QByteArray::fromHex("e4b8ade696") + "x", UnmarkedEncoding::Cp936},
    };
    for (const Case& c : cases)
        EXPECT_EQ(guess(c.bytes), c.expected) << c.what;
}

// Whether `text`, encoded alone, reads back as itself in GBK and in UTF-8. Text that code page
// 936 cannot hold is counted for UTF-8 only.
struct Tally {
    qint64 gbk = 0, gbkWrong = 0, utf8 = 0, utf8Wrong = 0;
    QStringList examples;

    void check(const QString& text)
    {
        bool lossy = false;
        const QByteArray g = lex::cp936::encode(text, &lossy);
        if (!lossy && !lex::cp936::isAscii(g)) {
            ++gbk;
            if (guess(g) != UnmarkedEncoding::Cp936) {
                ++gbkWrong;
                note(QStringLiteral("GBK: ") + text);
            }
        }
        const QByteArray u = text.toUtf8();
        if (!lex::cp936::isAscii(u)) {
            ++utf8;
            if (guess(u) != UnmarkedEncoding::Utf8) {
                ++utf8Wrong;
                note(QStringLiteral("UTF-8: ") + text);
            }
        }
    }
    void note(const QString& s)
    {
        if (examples.size() < 10)
            examples << s;
    }
    static double percent(qint64 wrong, qint64 all) { return all ? 100.0 * double(all - wrong) / double(all) : 100.0; }
    QString report(const char* what) const
    {
        return QStringLiteral("%1: GBK %2 of %3 right (%4 %), UTF-8 %5 of %6 right (%7 %)")
            .arg(QLatin1String(what))
            .arg(gbk - gbkWrong).arg(gbk).arg(percent(gbkWrong, gbk), 0, 'f', 4)
            .arg(utf8 - utf8Wrong).arg(utf8).arg(percent(utf8Wrong, utf8), 0, 'f', 4);
    }
    void expectAtLeast(double goal, const char* what) const
    {
        std::printf("%s\n", qUtf8Printable(report(what)));
        EXPECT_GE(percent(gbkWrong, gbk), goal) << qUtf8Printable(report(what) + u'\n' + examples.join(u'\n'));
        EXPECT_GE(percent(utf8Wrong, utf8), goal) << qUtf8Printable(report(what) + u'\n' + examples.join(u'\n'));
    }
};

bool isHanzi(QChar c) { return c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF; }

// The words of a line: its runs of one to four hanzi; with `allPieces`, every piece of one to
// four hanzi of every run, so that each word of a longer run is in.
void addWords(QStringView line, bool allPieces, QSet<QString>& words)
{
    for (qsizetype i = 0; i < line.size();) {
        if (!isHanzi(line[i])) {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < line.size() && isHanzi(line[end]))
            ++end;
        const QStringView run = line.mid(i, end - i);
        if (run.size() <= 4)
            words.insert(run.toString());
        if (allPieces)
            for (qsizetype n = 1; n <= 4; ++n)
                for (qsizetype at = 0; at + n <= run.size(); ++at)
                    words.insert(run.mid(at, n).toString());
        i = end;
    }
}

void measure(const QStringList& lines, double goal)
{
    QSet<QString> distinct, runs, pieces;
    for (const QString& l : lines) {
        distinct.insert(l);
        addWords(l, false, runs);
        addWords(l, true, pieces);
    }
    Tally lineTally, runTally, pieceTally;
    for (const QString& l : distinct)
        lineTally.check(l);
    for (const QString& w : runs)
        runTally.check(w);
    for (const QString& w : pieces)
        pieceTally.check(w);
    lineTally.expectAtLeast(goal, "translation lines");
    runTally.expectAtLeast(goal, "words (runs of 1-4 hanzi)");
    pieceTally.expectAtLeast(goal, "every piece of 1-4 hanzi of every run");
}

// Every line of the committed sample is read right, and so is every word in it.
TEST(EncodingGuess, EcdictSample)
{
    QFile f(lextest::sourceDir() + QStringLiteral("/tests/text/data/ecdict_sample.txt"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QStringList lines;
    for (const QString& l : QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts))
        if (!l.startsWith(u'#'))
            lines << l;
    ASSERT_GE(lines.size(), 300);
    measure(lines, 100.0);
}

// The whole ECDICT word list, when the set-up could fetch it (LEXORA_ECDICT_CSV names its CSV).
TEST(EncodingGuess, EcdictFull)
{
    const QString csv = QString::fromLocal8Bit(qgetenv("LEXORA_ECDICT_CSV"));
    if (csv.isEmpty())
        GTEST_SKIP() << "LEXORA_ECDICT_CSV is not set";
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    lex::ecdict::ReadResult rows;
    ASSERT_TRUE(lex::ecdict::readCsv(f.readAll(), &rows));
    QStringList lines;
    for (const lex::ecdict::Record& r : rows.records)
        lines << lex::ecdict::fieldLines(r.translation);
    ASSERT_GT(lines.size(), 500000);
    measure(lines, 99.99);
}

} // namespace
