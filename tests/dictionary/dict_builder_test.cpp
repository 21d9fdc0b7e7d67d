// The builder's order, drop rules and block layout, and the source reader.
#include "common/dictionary/dict_builder.h"
#include "common/dictionary/phonetic_codes.h"
#include "common/text/codepage.h"
#include "temp_dir.h"

#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

using lex::DictSourceEntry;
using lex::DictVariant;

namespace {

DictSourceEntry mainEntry(const QString& key, const QString& phonetic, const QStringList& lines)
{
    DictSourceEntry e;
    e.key = key;
    e.phonetic = phonetic;
    e.explanation = lines;
    return e;
}

DictSourceEntry companionEntry(const QString& key, const QString& text)
{
    DictSourceEntry e;
    e.key = key;
    e.text = text;
    return e;
}

// The second-level keys of a main index in file order.
QStringList mainKeys(const QByteArray& idx)
{
    QStringList keys;
    const auto* p = reinterpret_cast<const unsigned char*>(idx.constData());
    qsizetype pos = 4 + qsizetype(p[0] | p[1] << 8 | p[2] << 16 | p[3] << 24);
    while (pos < idx.size()) {
        const int n = p[pos];
        keys << lex::cp936::decode(idx.mid(pos + 1, n));
        pos += 1 + n + 4;
    }
    return keys;
}

} // namespace

TEST(DictBuilder, MainOrderDuplicatesAndDropRules)
{
    std::vector<DictSourceEntry> in = {
        mainEntry(QStringLiteral("book"), QStringLiteral("bJk"), {QStringLiteral("n. 书"), QStringLiteral("v. 预订")}),
        mainEntry(QStringLiteral("Book"), QStringLiteral("B"), {}),
        mainEntry(QStringLiteral("book"), QStringLiteral("second"), {QStringLiteral("dropped")}),
        mainEntry(QStringLiteral("ab"), QString(), {QStringLiteral("x")}),
        mainEntry(QStringLiteral("a"), QString(), {QStringLiteral("y")}),
        mainEntry(QStringLiteral("smile😀"), QString(), {}),          // not in code page 936
        mainEntry(QString(127, QLatin1Char('k')), QString(), {}),     // 127 bytes: kept
        mainEntry(QString(128, QLatin1Char('l')), QString(), {}),     // 128 bytes: dropped
        mainEntry(QString(64, QChar(0x4E00)), QString(), {}),          // 128 bytes in code page 936
        mainEntry(QString(), QString(), {}),
        mainEntry(QStringLiteral("ctrl"), QStringLiteral("a\x01" "b"), {}), // would split wrongly
        mainEntry(QStringLiteral("中文"), QStringLiteral("zhōng"), {QStringLiteral("Chinese 😀")}),
    };
    QByteArray idx, text;
    lex::DictBuildStats st;
    ASSERT_TRUE(lex::encodeDictionary(in, {DictVariant::Main, 2}, &idx, &text, &st));
    EXPECT_EQ(st.in, 12);
    EXPECT_EQ(st.written, 6);
    EXPECT_EQ(st.duplicates, 1);
    EXPECT_EQ(st.notInCodePage, 1);
    EXPECT_EQ(st.keyTooLong, 2);
    EXPECT_EQ(st.badKey, 1);
    EXPECT_EQ(st.badText, 1);
    EXPECT_EQ(st.textReplaced, 1);
    EXPECT_EQ(st.blocks, 3);
    // Case-sensitive code-unit order: capitals first, a prefix before its extensions.
    EXPECT_EQ(mainKeys(idx), QStringList({QStringLiteral("Book"), QStringLiteral("a"), QStringLiteral("ab"),
                                          QStringLiteral("book"), QString(127, QLatin1Char('k')),
                                          QStringLiteral("中文")}));

    lex::Dictionary d(DictVariant::Main);
    d.openMemory(idx, text);
    EXPECT_TRUE(d.firstLevelAscends());
    QString e, p;
    ASSERT_TRUE(d.LookUpWord(u"book", e, p)); // the first of the duplicates
    EXPECT_EQ(p, QStringLiteral("bJk"));
    EXPECT_EQ(e, QStringLiteral("n. 书\r\nv. 预订"));
    ASSERT_TRUE(d.LookUpWord(u"Book", e, p));
    EXPECT_EQ(p, QStringLiteral("B"));
    EXPECT_EQ(e, QString());
    ASSERT_TRUE(d.LookUpWord(u"中文", e, p));
    EXPECT_EQ(p, QStringLiteral("zhōng"));
    EXPECT_EQ(e, QStringLiteral("Chinese ?"));
    EXPECT_TRUE(d.LookUpWord(QString(127, QLatin1Char('k')), e, p));
    EXPECT_FALSE(d.LookUpWord(QString(128, QLatin1Char('l')), e, p));
}

TEST(DictBuilder, CompanionFoldsDuplicatesAndKeepsLongKeys)
{
    std::vector<DictSourceEntry> in = {
        companionEntry(QStringLiteral("China"), QStringLiteral("`1`China\r\n中国")),
        companionEntry(QStringLiteral("china"), QStringLiteral("`1`china")),
        companionEntry(QStringLiteral("Apple"), QStringLiteral("a\nb")),
        companionEntry(QStringLiteral("banana"), QStringLiteral("x")),
        companionEntry(QString(200, QLatin1Char('z')), QStringLiteral("long")),
        companionEntry(QStringLiteral("nul"), QStringLiteral("a") + QChar(0) + QStringLiteral("b")),
    };
    QByteArray idx, text;
    lex::DictBuildStats st;
    ASSERT_TRUE(lex::encodeDictionary(in, {DictVariant::Companion, 64}, &idx, &text, &st));
    EXPECT_EQ(st.written, 4);
    EXPECT_EQ(st.duplicates, 1);
    EXPECT_EQ(st.badText, 1);
    EXPECT_EQ(st.keyTooLong, 0);
    EXPECT_EQ(st.blocks, 1);
    // Texts are stored with LF only, in key order: Apple, banana, China, zzz...
    EXPECT_EQ(text, lex::cp936::encode(QStringLiteral("a\nbx`1`China\n中国long")));
    // Companion second-level records lead with one byte the reader skips.
    lex::Dictionary d(DictVariant::Companion);
    d.openMemory(idx, text);
    QString t;
    ASSERT_TRUE(d.LookUpEntryText(u"CHINA", t));
    EXPECT_EQ(t, QStringLiteral("`1`China\r\n中国"));
    ASSERT_TRUE(d.LookUpEntryText(u"apple", t));
    EXPECT_EQ(t, QStringLiteral("a\r\nb"));
    EXPECT_TRUE(d.LookUpEntryText(QString(200, QLatin1Char('Z')), t));
}

TEST(DictBuilder, BlocksOfNAndEveryKeyFound)
{
    for (int n : {1, 2, 3, 7, 64}) {
        std::vector<DictSourceEntry> in;
        for (int i = 0; i < 20; ++i)
            in.push_back(mainEntry(QStringLiteral("w%1").arg(i, 2, 10, QLatin1Char('0')), QString::number(i),
                                   {QStringLiteral("line %1").arg(i)}));
        QByteArray idx, text;
        lex::DictBuildStats st;
        ASSERT_TRUE(lex::encodeDictionary(in, {DictVariant::Main, n}, &idx, &text, &st));
        EXPECT_EQ(st.blocks, (20 + n - 1) / n);
        lex::Dictionary d(DictVariant::Main);
        d.openMemory(idx, text);
        for (int i = 0; i < 20; ++i) {
            QString e, p;
            ASSERT_TRUE(d.LookUpWord(in[size_t(i)].key, e, p)) << n << " " << i;
            EXPECT_EQ(p, QString::number(i));
            EXPECT_EQ(e, QStringLiteral("line %1").arg(i));
        }
    }
    QByteArray idx, text;
    EXPECT_FALSE(lex::encodeDictionary({}, {DictVariant::Main, 0}, &idx, &text, nullptr));
    ASSERT_TRUE(lex::encodeDictionary({}, {DictVariant::Main, 8}, &idx, &text, nullptr));
    EXPECT_EQ(idx, QByteArray(4, '\0')); // L1size 0: every look-up reports not found
    EXPECT_TRUE(text.isEmpty());
}

TEST(DictBuilder, WritesBothFilesThroughEnv)
{
    lextest::TempDir dir;
    const std::vector<DictSourceEntry> in = {mainEntry(QStringLiteral("a"), QStringLiteral("p"), {QStringLiteral("e")})};
    lex::DictBuildStats st;
    ASSERT_TRUE(lex::buildDictionary(lex::Env::defaultEnv(), dir.path(QStringLiteral("Dict.idx")),
                                     dir.path(QStringLiteral("Dict.dic")), in, {}, &st));
    EXPECT_EQ(dir.files(), QStringList({QStringLiteral("Dict.dic"), QStringLiteral("Dict.idx")}));
    lex::Dictionary d(DictVariant::Main);
    ASSERT_TRUE(d.openFolder(dir.path()).isEmpty());
    QString e, p;
    ASSERT_TRUE(d.LookUpWord(u"a", e, p));
    EXPECT_EQ(p, QStringLiteral("p"));
    EXPECT_EQ(e, QStringLiteral("e"));
}

TEST(DictSource, ParsesLinesEscapesAndReportsMalformed)
{
    const QByteArray src = "\xEF\xBB\xBF# comment\r\n"
                           "book\tbJk\tn. 书\\nv. 预订\r\n"
                           "\n"
                           "   \n"
                           "bird\tb\\:d\tn. 鸟\\\\n\n"
                           "broken\tonly two\n"
                           "take off\t5teik 5Cf\t\n";
    lex::DictSourceParse parsed;
    ASSERT_TRUE(lex::parseDictSource(src, DictVariant::Main, &parsed));
    ASSERT_EQ(parsed.entries.size(), 3u);
    EXPECT_EQ(parsed.entries[0].key, QStringLiteral("book"));
    EXPECT_EQ(parsed.entries[0].explanation, QStringList({QStringLiteral("n. 书"), QStringLiteral("v. 预订")}));
    EXPECT_EQ(parsed.entries[1].phonetic, QStringLiteral("b\\:d")); // the phonetic keeps its backslash
    EXPECT_EQ(parsed.entries[1].explanation, QStringList({QStringLiteral("n. 鸟\\n")}));
    EXPECT_EQ(parsed.entries[2].key, QStringLiteral("take off"));
    EXPECT_TRUE(parsed.entries[2].explanation.isEmpty());
    EXPECT_EQ(parsed.malformedLines, QList<int>({6}));

    ASSERT_TRUE(lex::parseDictSource("a\t`1`a\\nb\\tc\n", DictVariant::Companion, &parsed));
    ASSERT_EQ(parsed.entries.size(), 1u);
    EXPECT_EQ(parsed.entries[0].text, QStringLiteral("`1`a\nb\tc"));

    EXPECT_FALSE(lex::parseDictSource("a\t\xFF\n", DictVariant::Companion, &parsed));

    const QString styled = lex::companionTextFromMain(
        mainEntry(QStringLiteral("book"), QStringLiteral("bJk"), {QStringLiteral("n. 书"), QStringLiteral("v. 预订")}));
    EXPECT_EQ(styled, QStringLiteral("`1`book`4`/bJk/`8`n. 书`8`v. 预订"));
}

// The companion shows as IPA the phonetics its dictionary holds in the phonetic font's codes; only
// marker-4 runs are phonetics.
TEST(PhoneticCodes, CodesBecomeIpaOnlyInMarkerFour)
{
    struct Case { const char16_t* codes; const char16_t* ipa; };
    const Case cases[] = {
        {u"E5bAndEn", u"əˈbændən"}, {u"5IN^lIF", u"ˈɪŋɡlɪʃ"}, {u"b\\:d", u"bɜːd"}, {u"7Sk[TW", u"ˌɔ̃kɝðθ"},
        {u"", u""}, {u"əˈbændən", u"əˈbændən"}, // IPA already: unchanged
    };
    for (const Case& c : cases) {
        EXPECT_EQ(lex::ipaFromPhoneticCodes(QStringView(c.codes)), QStringView(c.ipa));
        for (QChar ch : QStringView(c.ipa)) // one table both ways
            if (const char16_t code = lex::phoneticCodeOf(ch.unicode()))
                EXPECT_EQ(lex::ipaFromPhoneticCodes(QString(QChar(code))), QString(ch));
    }
    EXPECT_EQ(lex::companionTextWithIpa(QStringLiteral("`1`A5`4`/E5bAndEn/`8`5A\r\n`4`bJk`X`A`14`Ab`4`")),
              QStringLiteral("`1`A5`4`/əˈbændən/`8`5A\r\n`4`bʊk`X`A`14`Ab`4`"));
    // ECDICT's British field as it comes (ASCII stress and length, an old diphthong, an American
    // variant first) is shown as standard IPA, British first.
    EXPECT_EQ(lex::companionTextWithIpa(QStringLiteral("`1`tomato`4`/tə'mɑ:təu/`8`n. 西红柿")),
              QStringLiteral("`1`tomato`4`/təˈmɑːtəʊ/`8`n. 西红柿"));
    EXPECT_EQ(lex::companionTextWithIpa(QStringLiteral("`4`/'wɔtɚ, 'wɔ:tə/")), QStringLiteral("`4`/ˈwɔːtə; ˈwɔtɚ/"));
}

// Every code the bundled phonetic font draws as an IPA symbol (the table its generator reads) is
// shown as that symbol, so Glosix shows what Lexora's list draws.
TEST(PhoneticCodes, EveryCodeTheBundledFontDrawsBecomesItsIpa)
{
    QFile script(lextest::sourceDir() + QStringLiteral("/tools/make_phonetic_font.py"));
    ASSERT_TRUE(script.open(QIODevice::ReadOnly));
    const QString source = QString::fromUtf8(script.readAll());
    const qsizetype from = source.indexOf(QStringLiteral("CODES = {"));
    ASSERT_GE(from, 0);
    const QString table = source.mid(from, source.indexOf(QLatin1Char('}'), from) - from);
    // Python string literals: a backslash-escaped character or \uXXXX.
    auto unescape = [](const QString& literal) {
        QString out;
        for (qsizetype i = 0; i < literal.size(); ++i) {
            if (literal[i] != QLatin1Char('\\') || i + 1 >= literal.size()) {
                out += literal[i];
            } else if (literal[i + 1] == QLatin1Char('u')) {
                out += QChar(literal.mid(i + 2, 4).toUShort(nullptr, 16));
                i += 5;
            } else {
                out += literal[++i];
            }
        }
        return out;
    };
    const QRegularExpression pair(QStringLiteral(R"re("((?:\\.|[^"\\])+)":\s*"((?:\\.|[^"\\])+)")re"));
    int codes = 0;
    for (const QRegularExpressionMatch& m : pair.globalMatch(table)) {
        const QString code = unescape(m.captured(1)), ipa = unescape(m.captured(2));
        ASSERT_EQ(code.size(), 1) << qPrintable(m.captured(0));
        EXPECT_EQ(lex::ipaFromPhoneticCodes(code), ipa) << "code " << qPrintable(code);
        ++codes;
    }
    EXPECT_GE(codes, 37);
}
