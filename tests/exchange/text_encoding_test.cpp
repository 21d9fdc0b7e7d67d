#include "lexora/exchange/exchange_files.h"
#include "lexora/exchange/text_encoding.h"

#include "temp_dir.h"

#include <gtest/gtest.h>

using lex::TextEncoding;

namespace {

QByteArray gbk(const char* hex) { return QByteArray::fromHex(hex); }

QString decode(const QByteArray& b, TextEncoding* used, TextEncoding forced = TextEncoding::Auto)
{
    return lex::decodeWordList(b, forced, used);
}

} // namespace

TEST(ExchangeEncoding, Utf16IsRecognisedOnlyByItsMark)
{
    TextEncoding used{};
    // FF FE, then "Go中" in UTF-16 LE, then one stray byte that is dropped.
    EXPECT_EQ(decode(gbk("fffe47006f002d4e41"), &used), QStringLiteral("Go中"));
    EXPECT_EQ(used, TextEncoding::Utf16);
    // The mark alone is an empty text, not an error.
    EXPECT_EQ(decode(gbk("fffe"), &used), QString());
    EXPECT_EQ(used, TextEncoding::Utf16);
    // Without the mark the same units are code page 936 bytes: "G\0o\0-N".
    EXPECT_EQ(decode(gbk("47006f002d4e"), &used), QString(QStringLiteral("G_o_-N")).replace(u'_', QChar(0)));
    EXPECT_EQ(used, TextEncoding::Cp936);
    // FE FF (big-endian mark) is not a mark here.
    decode(gbk("feff0047"), &used);
    EXPECT_EQ(used, TextEncoding::Cp936);
}

TEST(ExchangeEncoding, Utf8ByMarkOrByContent)
{
    TextEncoding used{};
    EXPECT_EQ(decode(gbk("efbbbf") + "Go", &used), QStringLiteral("Go"));
    EXPECT_EQ(used, TextEncoding::Utf8);
    EXPECT_EQ(decode(gbk("efbbbf"), &used), QString());
    EXPECT_EQ(used, TextEncoding::Utf8);
    EXPECT_EQ(decode(QStringLiteral("go\t离去").toUtf8(), &used), QStringLiteral("go\t离去"));
    EXPECT_EQ(used, TextEncoding::Utf8);
    // Pure ASCII is the same either way and keeps to code page 936.
    EXPECT_EQ(decode("English\r\n", &used), QStringLiteral("English\r\n"));
    EXPECT_EQ(used, TextEncoding::Cp936);
}

TEST(ExchangeEncoding, GbkTextStaysGbk)
{
    TextEncoding used{};
    // "Chinese中国的" in code page 936.
    EXPECT_EQ(decode("Chinese" + gbk("d6d0b9fab5c4"), &used), QStringLiteral("Chinese中国的"));
    EXPECT_EQ(used, TextEncoding::Cp936);
    // "联通": C1 would start an overlong UTF-8 sequence, which strict validation refuses.
    EXPECT_EQ(decode(gbk("c1aacda8"), &used), QStringLiteral("联通"));
    EXPECT_EQ(used, TextEncoding::Cp936);
}

TEST(ExchangeEncoding, ShortGbkThatIsValidUtf8StaysGbk)
{
    // "谢" in code page 936 is D0 BB, also the UTF-8 form of "л"; "学习" is D1 A7 CF B0, also
    // "ѧϰ". The whole text decides, and a short GBK list stays GBK; the learner can force UTF-8.
    TextEncoding used{};
    EXPECT_EQ(decode(gbk("d0bb"), &used), QStringLiteral("谢"));
    EXPECT_EQ(used, TextEncoding::Cp936);
    EXPECT_EQ(decode(gbk("d0bb"), &used, TextEncoding::Utf8), QStringLiteral("л"));
    EXPECT_EQ(used, TextEncoding::Utf8);
    EXPECT_EQ(decode("study\t" + gbk("d1a7cfb0") + "\r\n", &used), QStringLiteral("study\t学习\r\n"));
    EXPECT_EQ(used, TextEncoding::Cp936);
    // The same words in UTF-8 are read as UTF-8, although their bytes are valid GBK too.
    EXPECT_EQ(decode(QStringLiteral("study\t学习\r\n").toUtf8(), &used), QStringLiteral("study\t学习\r\n"));
    EXPECT_EQ(used, TextEncoding::Utf8);

    // The import dialog's preview follows the same rule as the import.
    lex::WordListPreview p = lex::previewWordList(gbk("d1a7cfb0"));
    EXPECT_EQ(p.encoding, TextEncoding::Cp936);
    EXPECT_TRUE(p.text.startsWith(QStringLiteral("学习")));
    p = lex::previewWordList(QStringLiteral("学习").toUtf8());
    EXPECT_EQ(p.encoding, TextEncoding::Utf8);
    EXPECT_TRUE(p.text.startsWith(QStringLiteral("学习")));
}

TEST(ExchangeEncoding, Utf8CutOffInsideTheLastCharacter)
{
    TextEncoding used{};
    // "中文" without its last byte: still UTF-8, the broken character becomes U+FFFD.
    const QByteArray cut = gbk("e4b8ade696");
    const QString text = decode(cut, &used);
    EXPECT_EQ(used, TextEncoding::Utf8);
    EXPECT_TRUE(text.startsWith(QStringLiteral("中")));
    EXPECT_EQ(text.mid(1).count(QChar(0xFFFD)), text.size() - 1);
    // Only ASCII before the fragment: nothing shows it is UTF-8.
    decode("abc" + gbk("e4b8"), &used);
    EXPECT_EQ(used, TextEncoding::Cp936);
    // A broken sequence in the middle is not a cut-off file.
    decode(gbk("e4b8ade696") + "x", &used);
    EXPECT_EQ(used, TextEncoding::Cp936);
}

TEST(ExchangeEncoding, ForcedEncodingsSkipTheirOwnMark)
{
    TextEncoding used{};
    EXPECT_EQ(decode(gbk("47006f00"), &used, TextEncoding::Utf16), QStringLiteral("Go"));
    EXPECT_EQ(decode(gbk("fffe47006f00"), &used, TextEncoding::Utf16), QStringLiteral("Go"));
    EXPECT_EQ(decode(gbk("efbbbf476f"), &used, TextEncoding::Utf8), QStringLiteral("Go"));
    EXPECT_EQ(used, TextEncoding::Utf8);
}

TEST(ExchangeEncoding, EncodingForExport)
{
    bool lossy = true;
    EXPECT_EQ(lex::encodeWordList(u"Go中\r\n", TextEncoding::Utf16, &lossy), gbk("fffe47006f002d4e0d000a00"));
    EXPECT_FALSE(lossy);
    EXPECT_EQ(lex::encodeWordList(u"Go中", TextEncoding::Utf8), gbk("efbbbf476fe4b8ad"));
    EXPECT_EQ(lex::encodeWordList(u"Chinese中国的", TextEncoding::Cp936, &lossy), "Chinese" + gbk("d6d0b9fab5c4"));
    EXPECT_FALSE(lossy);
    // A character code page 936 cannot hold becomes the default character.
    const QByteArray b = lex::encodeWordList(u"a한b", TextEncoding::Cp936, &lossy);
    EXPECT_TRUE(lossy);
    EXPECT_EQ(b, QByteArray("a?b"));
}

TEST(ExchangeEncoding, FileReadingRefusesMissingAndEmptyFiles)
{
    lextest::TempDir dir;
    QString text;
    EXPECT_FALSE(lex::readWordListFile(lex::Env::defaultEnv(), dir.path("none.txt"), TextEncoding::Auto, &text));
    dir.write("empty.txt", {});
    EXPECT_FALSE(lex::readWordListFile(lex::Env::defaultEnv(), dir.path("empty.txt"), TextEncoding::Auto, &text));
    dir.write("w.txt", gbk("fffe41000d000a00"));
    TextEncoding used{};
    ASSERT_TRUE(lex::readWordListFile(lex::Env::defaultEnv(), dir.path("w.txt"), TextEncoding::Auto, &text, &used));
    EXPECT_EQ(text, QStringLiteral("A\r\n"));
    EXPECT_EQ(used, TextEncoding::Utf16);
}

// A picture or an archive is no word list in any of the three encodings; a text with a stray bad
// byte or a terminating zero still is.
TEST(ExchangeEncoding, OnlyTextIsReadAsAWordList)
{
    const struct {
        const char* name;
        QByteArray bytes;
        bool text;
    } cases[] = {
        {"PNG", gbk("89504e470d0a1a0a0000000d4948445200000001000000010806000000"), false},
        {"zip", QByteArray("PK\x03\x04\x14\x00\x00\x00\x08\x00word", 14), false},
        {"UTF-16 with a zero unit inside", gbk("fffe41000000420043004400"), false},
        {"UTF-16 with lone surrogates", gbk("fffe00d801d802d803d841000d000a00"), false},
        {"control characters", QByteArray("go\x01\x02\x03\x04\x05 away"), false},
        {"mostly undecodable", gbk("ff41ff42ff43ff"), false},
        {"GBK with one stray byte", "study\t" + gbk("d1a7cfb0ff") + "\r\nlearn", true},
        {"UTF-16 ending in a zero unit", gbk("fffe41000d000a0042000000"), true},
        {"UTF-8 with TAB, FF and end-of-file mark", QStringLiteral("学习\tstudy\f\r\n\x1a").toUtf8(), true},
    };
    lextest::TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(lex::isWordListText(lex::decodeWordList(c.bytes)), c.text);
        dir.write("f.txt", c.bytes);
        QString text;
        const lex::Status s = lex::readWordListFile(lex::Env::defaultEnv(), dir.path("f.txt"), TextEncoding::Auto, &text);
        EXPECT_EQ(bool(s), c.text) << s.message().toStdString();
    }
}

TEST(ExchangeEncoding, PreviewCountsLinesAndShowsTheStart)
{
    const QString dots = QStringLiteral("\r\n...\r\n..\r\n.");
    lex::WordListPreview p = lex::previewWordList("a\r\nb\r\nc");
    EXPECT_EQ(p.lineCount, 3);
    EXPECT_EQ(p.text, QStringLiteral("a\r\nb\r\nc") + dots);
    // A lone LF does not count.
    EXPECT_EQ(lex::previewWordList("a\nb").lineCount, 1);

    QByteArray longGbk;
    for (int i = 0; i < 150; ++i)
        longGbk += gbk("d6d0"); // 中, two bytes each
    p = lex::previewWordList(longGbk);
    EXPECT_EQ(p.text, QString(100, QChar(0x4E2D)) + dots); // the first 200 bytes

    QString units(300, u'x');
    units[1] = u'\r';
    units[2] = u'\n';
    p = lex::previewWordList(lex::encodeWordList(units, TextEncoding::Utf16));
    EXPECT_EQ(p.lineCount, 2);
    EXPECT_EQ(p.text, units.left(200) + dots);

    // UTF-8: 200 bytes would cut the 67th "中" in half; it is left out.
    QString many(80, QChar(0x4E2D));
    p = lex::previewWordList(many.toUtf8());
    EXPECT_EQ(p.encoding, TextEncoding::Utf8);
    EXPECT_EQ(p.text, QString(66, QChar(0x4E2D)) + dots);
}

TEST(ExchangeEncoding, PreviewNeverEndsInHalfACharacter)
{
    const QString dots = QStringLiteral("\r\n...\r\n..\r\n.");
    // Code page 936: AA A1 is no character, so AA reads as one replaced byte and A1 pairs with the
    // next byte; the last byte before the cut then starts "中" (D0 D0), which the cut would split.
    QByteArray b(196, 'a');
    b += gbk("aaa1d6d0d0d0");
    b += "\r\nx";
    lex::WordListPreview p = lex::previewImportBytes(b);
    ASSERT_EQ(p.encoding, TextEncoding::Cp936);
    ASSERT_TRUE(p.text.endsWith(dots));
    QString shown = p.text.chopped(dots.size());
    EXPECT_TRUE(lex::decodeWordList(b).startsWith(shown)) << "the preview shows what the import reads";
    EXPECT_EQ(shown, QString(196, QLatin1Char('a')) + QChar(0xFFFD) + lex::decodeWordList(gbk("a1d6")));

    // UTF-16: a character outside the basic plane straddling the 200th unit is left out whole.
    QString units(199, u'a');
    units += QStringLiteral("\U0001F600\r\nb");
    p = lex::previewImportBytes(lex::encodeWordList(units, TextEncoding::Utf16));
    EXPECT_EQ(p.text, QString(199, u'a') + dots);

    // A run of high surrogates with no low ones (a damaged file): nothing is split, so the cut
    // stays at 200 units and shows them as the import reads them; a real pair right after a lone
    // high surrogate is still kept whole.
    QString lone(300, QChar(0xD8D8));
    p = lex::previewImportBytes(lex::encodeWordList(lone, TextEncoding::Utf16));
    EXPECT_EQ(p.text, lone.left(200) + dots);
    lone = QString(199, QChar(0xD8D8)) + QStringLiteral("😀") + QStringLiteral("b");
    p = lex::previewImportBytes(lex::encodeWordList(lone, TextEncoding::Utf16));
    EXPECT_EQ(p.text, lone.left(199) + dots);
}
