#include "common/text/codepage.h"

#include <gtest/gtest.h>

namespace {

using lex::cp936::decode;
using lex::cp936::encode;

const QChar kFffd(0xFFFD);

QString u(const char* utf8) { return QString::fromUtf8(utf8); }

TEST(Cp936, KnownDoubleByteMappingsBothWays)
{
    struct Case { QByteArray bytes; QString text; } cases[] = {
        {"\xB0\xA1", u("啊")},   // first GB2312 hanzi
        {"\xD6\xD0\xCE\xC4", u("中文")},
        {"\xA1\xAA", u("—")},    // U+2014 in code page 936 (U+2015 in plain GB2312)
        {"\xA1\xA4", u("·")},    // U+00B7 (U+30FB in plain GB2312)
        {"\x81\x40", u("丂")},   // GBK extension area
        {"\x80", u("€")},        // the single-byte euro sign of code page 936
    };
    for (const Case& c : cases) {
        EXPECT_EQ(decode(c.bytes), c.text) << c.bytes.toHex().constData();
        bool lossy = true;
        EXPECT_EQ(encode(c.text, &lossy), c.bytes) << c.bytes.toHex().constData();
        EXPECT_FALSE(lossy);
    }
}

TEST(Cp936, ChineseTextRoundTrips)
{
    const QString text = u("生词本：abandon 放弃；抛弃。\t第2组 — 《牛津》“例句”…ｑ①ā");
    bool lossy = true;
    const QByteArray bytes = encode(text, &lossy);
    EXPECT_FALSE(lossy);
    qsizetype ascii = 0;
    for (QChar c : text)
        ascii += c.unicode() < 0x80;
    EXPECT_EQ(bytes.size(), ascii + 2 * (text.size() - ascii)); // two bytes for every other character
    EXPECT_EQ(decode(bytes), text);
}

TEST(Cp936, EveryAsciiByteAndNulRoundTrip)
{
    QByteArray all;
    for (int b = 0; b < 0x80; ++b)
        all += char(b);
    const QString text = decode(all);
    ASSERT_EQ(text.size(), 0x80);
    for (int b = 0; b < 0x80; ++b)
        EXPECT_EQ(text[b].unicode(), b);
    EXPECT_EQ(encode(text), all);
    // Embedded U+0000 between double-byte characters is kept both ways.
    const QString withNul = u("中") + QChar(0) + u("文");
    EXPECT_EQ(encode(withNul), QByteArray("\xD6\xD0\0\xCE\xC4", 5));
    EXPECT_EQ(decode(QByteArray("\xD6\xD0\0\xCE\xC4", 5)), withNul);
}

TEST(Cp936, InvalidBytesBecomeReplacementAndDecodingResynchronises)
{
    // 0xFF is never a lead byte; the next byte starts afresh.
    EXPECT_EQ(decode("A\xFF" "B"), u("A") + kFffd + u("B"));
    EXPECT_EQ(decode("\xFF\xB0\xA1"), kFffd + u("啊"));
    // A lead byte followed by a byte that cannot trail: only the lead is replaced.
    EXPECT_EQ(decode("\x81" "0x"), kFffd + u("0x"));
    EXPECT_EQ(decode("\xB0\x0A\xB0\xA1"), kFffd + u("\n啊"));
    EXPECT_EQ(decode("\xB0\x7F"), QString(kFffd) + QChar(0x7F));
    // Several bad bytes in a row each give one replacement.
    EXPECT_EQ(decode("\xFF\xFF\xFF"), QString(3, kFffd));
}

TEST(Cp936, TruncatedDoubleByteAtTheEnd)
{
    EXPECT_EQ(decode("\xB0"), QString(kFffd));
    EXPECT_EQ(decode("\xD6\xD0\xCE"), u("中") + kFffd);
    // The converter state must not leak into the next call on the same thread.
    EXPECT_EQ(decode("\xA1"), QString(kFffd));
    EXPECT_EQ(decode("\xA1\xA4"), u("·"));
}

TEST(Cp936, DecodeAppendKeepsWhatIsThere)
{
    QString s = u("前缀");
    lex::cp936::decodeAppend("\xD6\xD0\xFF" "a", s);
    EXPECT_EQ(s, u("前缀中") + kFffd + u("a"));
}

TEST(Cp936, UnmappableCharactersBecomeOneQuestionMark)
{
    bool lossy = false;
    EXPECT_EQ(encode(u("a\xF0\x9F\x98\x80" "b"), &lossy), QByteArray("a?b")) << "one '?' per emoji, not two";
    EXPECT_TRUE(lossy);
    lossy = false;
    EXPECT_EQ(encode(u("한국"), &lossy), QByteArray("??"));
    EXPECT_TRUE(lossy);
    // Lone surrogates, and a high surrogate at the very end.
    const char16_t lone[] = {u'x', 0xD83D, u'y', 0xDE00, u'中', 0xD83D};
    lossy = false;
    EXPECT_EQ(encode(QStringView(lone, 6), &lossy), QByteArray("x?y?\xD6\xD0?"));
    EXPECT_TRUE(lossy);
    // After a failure the encoder is usable again.
    lossy = true;
    EXPECT_EQ(encode(u("中"), &lossy), QByteArray("\xD6\xD0"));
    EXPECT_FALSE(lossy);
    EXPECT_EQ(encode(QString()), QByteArray());
}

TEST(Cp936, IsAscii)
{
    EXPECT_TRUE(lex::cp936::isAscii(QByteArray("abc\0\x7F", 5)));
    EXPECT_TRUE(lex::cp936::isAscii(QByteArray()));
    EXPECT_FALSE(lex::cp936::isAscii("abc\x80"));
}

TEST(Utf8Valid, BorderlineSequences)
{
    struct Case { QByteArray bytes; bool valid; } cases[] = {
        {QByteArray(), true},
        {QByteArray("a\0b", 3), true},
        {"\xC2\x80", true},              // U+0080, smallest two-byte
        {"\xC0\x80", false},             // overlong NUL
        {"\xC1\xBF", false},             // overlong U+007F
        {"\xDF\xBF", true},              // U+07FF
        {"\xE0\x9F\xBF", false},         // overlong U+07FF
        {"\xE0\xA0\x80", true},          // U+0800
        {"\xED\x9F\xBF", true},          // U+D7FF
        {"\xED\xA0\x80", false},         // U+D800
        {"\xED\xBF\xBF", false},         // U+DFFF
        {"\xEE\x80\x80", true},          // U+E000
        {"\xEF\xBF\xBF", true},          // U+FFFF
        {"\xF0\x8F\xBF\xBF", false},     // overlong U+FFFF
        {"\xF0\x90\x80\x80", true},      // U+10000
        {"\xF4\x8F\xBF\xBF", true},      // U+10FFFF
        {"\xF4\x90\x80\x80", false},     // U+110000
        {"\xF5\x80\x80\x80", false},
        {"\xF8\x88\x80\x80\x80", false}, // five-byte form
        {"\xFF", false},
        {"\x80", false},                 // lone continuation
        {"a\xBF", false},
        {"\xC2", false},                 // truncated
        {"\xE4\xB8", false},
        {"ok\xF0\x9F\x98", false},
        {"\xE4\x41\xAD", false},         // missing continuation
        {"\xE4\xB8\xAD\xE6\x96\x87", true},
        {"\xEF\xBB\xBF", true},          // a byte-order mark is valid text
    };
    for (const Case& c : cases)
        EXPECT_EQ(lex::utf8::isValid(c.bytes), c.valid) << c.bytes.toHex().constData();
}

} // namespace
