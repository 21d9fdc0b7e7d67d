// The marker parser of entry texts: what is replaced, where runs start and end, and that the
// one-pass parser gives what the replace-in-place procedure gives on any text.
#include "glosix/entry_markup.h"

#include <gtest/gtest.h>

#include <random>

using namespace lex;

namespace {

struct MarkupRun {
    int marker;
    qsizetype start, end;
    bool operator==(const MarkupRun&) const = default;
};

std::vector<MarkupRun> runsOf(const EntryMarkup& m)
{
    std::vector<MarkupRun> out;
    for (const EntryRun& r : m.runs)
        out.push_back({r.marker, r.start, r.end});
    return out;
}

// The procedure as first written: replace each marker in place, restart the search one place
// after the previous start on a non-match. Bounded reads added, otherwise literal.
std::pair<QString, std::vector<MarkupRun>> replaceInPlace(QString t)
{
    std::vector<MarkupRun> runs;
    qsizetype start = 0;
    for (;;) {
        const qsizetype k = t.indexOf(QLatin1Char('`'), start);
        if (k < 0)
            break;
        int n = 0;
        qsizetype len = 0;
        if (k + 2 < t.size()) {
            const QChar a = t[k + 1], b = t[k + 2];
            if (a >= QLatin1Char('1') && a <= QLatin1Char('9') && b == QLatin1Char('`')) {
                n = a.unicode() - '0';
                len = 3;
            } else if (a == QLatin1Char('1') && b >= QLatin1Char('0') && b <= QLatin1Char('4') && k + 3 < t.size()
                       && t[k + 3] == QLatin1Char('`')) {
                n = 10 + b.unicode() - '0';
                len = 4;
            }
        }
        if (!n) {
            ++start;
            continue;
        }
        qsizetype runStart;
        if (n == 1) {
            t.remove(k, len);
            runStart = k;
        } else {
            t.replace(k, len, QStringLiteral("\n"));
            runStart = k + 1;
            ++start;
        }
        const qsizetype k2 = t.indexOf(QLatin1Char('`'), start);
        qsizetype runEnd = t.size();
        if (k2 >= 0) {
            runEnd = k2;
            start = k2;
        }
        runs.push_back({n, runStart, runEnd});
    }
    return {t, runs};
}

} // namespace

TEST(EntryMarkup, EveryMarkerIsReplacedAndStartsItsRun)
{
    QString in = QStringLiteral("`1`head");
    for (int n = 2; n <= 14; ++n)
        in += QStringLiteral("`%1`r%1").arg(n);
    const EntryMarkup m = parseEntryText(in);
    QString expected = QStringLiteral("head");
    for (int n = 2; n <= 14; ++n)
        expected += QStringLiteral("\nr%1").arg(n);
    EXPECT_EQ(m.text, expected);
    ASSERT_EQ(m.runs.size(), 14u);
    EXPECT_EQ(runsOf(m).front(), (MarkupRun{1, 0, 4})) << "marker 1 first: no line break above the headword";
    for (int n = 2; n <= 14; ++n) {
        const EntryRun& r = m.runs[size_t(n - 1)];
        EXPECT_EQ(r.marker, n);
        EXPECT_EQ(m.text.mid(r.start, r.end - r.start), QStringLiteral("r%1").arg(n));
        EXPECT_EQ(m.text[r.start - 1], QLatin1Char('\n'));
    }
    ASSERT_EQ(m.paragraphMarkers.size(), 14u);
    for (int n = 1; n <= 14; ++n)
        EXPECT_EQ(m.paragraphMarkers[size_t(n - 1)], n);
}

TEST(EntryMarkup, WhatIsNoMarkerStaysVisible)
{
    // A backquote at the very end, or a marker cut short by the end of the text.
    for (const char* s : {"abc`", "abc`1", "abc`10", "abc`1`x`", "`", "``", "`14"}) {
        const QString in = QString::fromLatin1(s);
        const EntryMarkup m = parseEntryText(in);
        EXPECT_EQ(m.text, replaceInPlace(in).first) << s;
    }
    EXPECT_EQ(parseEntryText(u"abc`").text, QStringLiteral("abc`"));
    EXPECT_EQ(parseEntryText(u"abc`10").text, QStringLiteral("abc`10"));
    EXPECT_EQ(parseEntryText(u"abc`1").text, QStringLiteral("abc`1"));
    // Numbers outside 1 to 14, and other characters between backquotes.
    EXPECT_EQ(parseEntryText(u"a`15`b").text, QStringLiteral("a`15`b"));
    EXPECT_EQ(parseEntryText(u"a`0`b`99`c`x`d").text, QStringLiteral("a`0`b`99`c`x`d"));
    EXPECT_TRUE(parseEntryText(u"a`15`b").runs.empty());
    // A marker right after an unknown one is still found.
    EXPECT_EQ(parseEntryText(u"`15``5`red").text, QStringLiteral("`15`\nred"));
}

TEST(EntryMarkup, AnyBackquoteEndsTheRunBeforeIt)
{
    const EntryMarkup m = parseEntryText(u"`5`red`x plain`8`blue");
    EXPECT_EQ(m.text, QStringLiteral("\nred`x plain\nblue"));
    EXPECT_EQ(runsOf(m), (std::vector<MarkupRun>{{5, 1, 4}, {8, 13, 17}}));
    // Empty runs and a marker 1 at the very end.
    const EntryMarkup e = parseEntryText(u"a`2``3`b`1`");
    EXPECT_EQ(e.text, QStringLiteral("a\n\nb"));
    EXPECT_EQ(runsOf(e), (std::vector<MarkupRun>{{2, 2, 2}, {3, 3, 4}, {1, 4, 4}}));
}

TEST(EntryMarkup, ParagraphsTakeTheIndentOfTheLastRunTouchingThem)
{
    // Marker 1 continues its paragraph and resets its indent; lines inside a run share its indent;
    // text after an unknown backquote is in no run.
    const EntryMarkup m = parseEntryText(u"`8`abc`1`def`9`one\r\ntwo`0`\r\nthree");
    EXPECT_EQ(m.text, QStringLiteral("\nabcdef\none\ntwo`0`\nthree"));
    EXPECT_EQ(m.paragraphMarkers, (std::vector<int>{0, 1, 9, 9, 0}));
}

TEST(EntryMarkup, TheOnePassParserAgreesWithReplacingInPlace)
{
    std::mt19937 rng(7);
    const QString alphabet = QStringLiteral("```0112345abc\n");
    for (int i = 0; i < 20000; ++i) {
        QString in;
        const int len = int(rng() % 24);
        for (int j = 0; j < len; ++j)
            in += alphabet[int(rng() % alphabet.size())];
        const auto [text, runs] = replaceInPlace(in);
        const EntryMarkup m = parseEntryText(in);
        ASSERT_EQ(m.text, text) << qPrintable(in);
        ASSERT_EQ(runsOf(m), runs) << qPrintable(in);
    }
}

TEST(EntryMarkup, AnEntryFullOfBackquotesIsReadInOnePass)
{
    // 200,000 backquotes that begin no marker: each must be looked at a bounded number of times.
    const QString in = QString(200000, QLatin1Char('`')) + QStringLiteral("`2`end");
    const EntryMarkup m = parseEntryText(in);
    EXPECT_EQ(m.text.size(), 200000 + 4);
    ASSERT_EQ(m.runs.size(), 1u);
    EXPECT_EQ(m.runs[0].marker, 2);
}

TEST(EntryMarkup, Styles)
{
    EXPECT_TRUE(entryStyle(1).bold && entryStyle(5).bold && entryStyle(7).bold);
    for (int n : {2, 3, 4, 6, 8, 9, 10, 11, 12, 13, 14})
        EXPECT_FALSE(entryStyle(n).bold) << n;
    EXPECT_EQ(entryStyle(8).indent, 2);
    for (int n = 9; n <= 13; ++n)
        EXPECT_EQ(entryStyle(n).indent, 4) << n;
    for (int n : {1, 2, 3, 4, 5, 6, 7, 14})
        EXPECT_EQ(entryStyle(n).indent, 0) << n;
    const EntryStyle red = entryStyle(5);
    EXPECT_EQ((std::tuple(red.red, red.green, red.blue)), (std::tuple(255, 0, 0)));
    const EntryStyle brown = entryStyle(12);
    EXPECT_EQ((std::tuple(brown.red, brown.green, brown.blue)), (std::tuple(128, 32, 0)));
}
