#include "common/config/config_keys.h"
#include "common/config/profile.h"
#include "common/text/codepage.h"
#include "fault_env.h"
#include "temp_dir.h"

#include <climits>
#include <gtest/gtest.h>

namespace {

using lex::Profile;

// The real file system, except that no file can be read.
class UnreadableEnv final : public lex::Env {
public:
    bool fileExists(const QString& p) override { return real()->fileExists(p); }
    qint64 fileSize(const QString& p) override { return real()->fileSize(p); }
    lex::Status readFile(const QString&, QByteArray*) override { return lex::Status::error(QStringLiteral("injected")); }
    lex::Status createIfMissing(const QString& p) override { return real()->createIfMissing(p); }
    lex::Status newWritableFile(const QString& p, std::unique_ptr<lex::WritableFile>* out) override
    {
        return real()->newWritableFile(p, out);
    }
    lex::Status newAppendableFile(const QString& p, std::unique_ptr<lex::WritableFile>* out) override
    {
        return real()->newAppendableFile(p, out);
    }
    lex::Status renameFile(const QString& from, const QString& to) override { return real()->renameFile(from, to); }
    lex::Status removeFile(const QString& p) override { return real()->removeFile(p); }
    lex::Status syncDir(const QString& d) override { return real()->syncDir(d); }
    lex::Status createDir(const QString& p) override { return real()->createDir(p); }

private:
    static lex::Env* real() { return lex::Env::defaultEnv(); }
};

// Every file we write starts with it.
const QByteArray kBom = "\xEF\xBB\xBF";

class ConfigProfile : public ::testing::Test {
protected:
    lextest::TempDir dir;
    QString path = dir.path(QStringLiteral("Config.INI"));
    Profile profile{path};

    void write(const QByteArray& bytes) { dir.write(QStringLiteral("Config.INI"), bytes); }
    QByteArray contents() const { return dir.read(QStringLiteral("Config.INI")); }
};

TEST_F(ConfigProfile, SectionAndKeyNamesIgnoreAsciiCase)
{
    write("[TTSVoice]\nttsvolume=70\n[init]\nBookName=English\n");
    EXPECT_EQ(profile.readInt(QStringLiteral("TTSVOICE"), QStringLiteral("TTSVolume"), 100), 70);
    EXPECT_EQ(profile.readString(QStringLiteral("INIT"), QStringLiteral("BOOKNAME")), QStringLiteral("English"));
    // A write in another case lands on the existing line and adds no new section.
    ASSERT_TRUE(profile.writeInt(QStringLiteral("ttsVOICE"), QStringLiteral("TTSVOLUME"), 80));
    EXPECT_EQ(contents(), kBom + "[TTSVoice]\nttsvolume=80\n[init]\nBookName=English\n");
    // Non-ASCII letters are not folded.
    write("[INIT]\n\xC3\xA9=1\n");
    EXPECT_EQ(profile.readInt(QStringLiteral("INIT"), QString::fromUtf8("\xC3\x89"), -1), -1);
}

TEST_F(ConfigProfile, MissingFileOrKeyGivesDefaults)
{
    EXPECT_EQ(profile.readInt(QStringLiteral("INIT"), QStringLiteral("IsFist"), 1), 1);
    EXPECT_EQ(profile.readString(QStringLiteral("INIT"), QStringLiteral("VoicePath"), QStringLiteral("./Voice/")),
              QStringLiteral("./Voice/"));
    EXPECT_FALSE(profile.readStruct(QStringLiteral("INIT"), QStringLiteral("LexoraDlgSize"), 16));
    EXPECT_FALSE(profile.contains(QStringLiteral("INIT"), QStringLiteral("IsFist")));
    // A key of another section or before any section does not count.
    write("IsFist=5\n[OTHER]\nIsFist=6\n[INIT]\n");
    EXPECT_EQ(profile.readInt(QStringLiteral("INIT"), QStringLiteral("IsFist"), 1), 1);
}

// As Windows' private-profile integer function reads them (the values its conformance tests use).
TEST_F(ConfigProfile, IntegerParsing)
{
    struct Case { const char* value; int expected; } cases[] = {
        {"42", 42}, {"  42", 42}, {"-10", -10}, {"+7", 7}, {"abc", 0}, {"12abc", 12}, {" -12abc", -12},
        {"0x1F", 31}, {"0x1f", 31}, {"0b101", 5}, {"0o17", 15}, {"-0x10", -16}, {"+0x10", 16}, {"  0x10", 16},
        {"0X1f", 0}, {"0B101", 0}, {"0x", 0}, {"0xZ", 0}, {"0b2", 0}, {"0o8", 0}, {"0x1G", 1},
        {"010", 10}, {"0", 0}, {"-0", 0},
        {"2147483647", INT_MAX}, {"-2147483648", INT_MIN}, {"2147483648", INT_MIN},
        {"4294967295", -1}, {"4294967296", 0}, {"4294967297", 1}, {"-4294967297", -1},
        {"0xFFFFFFFF", -1}, {"0x100000001", 1},
        {"99999999999999999999999", -159383553}, {"-99999999999999999999999", 159383553},
        {"- 5", 0}, {"+", 0}, {"+-5", 0}, {"\"42\"", 42}, {"\"0x10\"", 16},
    };
    QByteArray file = "[S]\n";
    int n = 0;
    for (const Case& c : cases)
        file += "k" + QByteArray::number(n++) + "=" + c.value + "\n";
    file += "empty=\nblank=   \n";
    write(file);
    n = 0;
    for (const Case& c : cases)
        EXPECT_EQ(profile.readInt(QStringLiteral("S"), QStringLiteral("k%1").arg(n++), 555), c.expected) << c.value;
    // A missing key or an empty value gives the default.
    EXPECT_EQ(profile.readInt(QStringLiteral("S"), QStringLiteral("empty"), 555), 555);
    EXPECT_EQ(profile.readInt(QStringLiteral("S"), QStringLiteral("blank"), 555), 555);
    EXPECT_EQ(profile.readInt(QStringLiteral("S"), QStringLiteral("missing"), 555), 555);
    // Every integer we write reads back as written.
    for (int v : {0, 1, -1, INT_MAX, INT_MIN, 123456789}) {
        ASSERT_TRUE(profile.writeInt(QStringLiteral("S"), QStringLiteral("w"), v));
        EXPECT_EQ(profile.readInt(QStringLiteral("S"), QStringLiteral("w"), 555), v);
    }
}

TEST_F(ConfigProfile, StringsAreTrimmedUnquotedAndTruncated)
{
    const QByteArray longValue(300, 'x');
    write("[S]\n"
          "plain =  two words  \t\n"
          "dq=\" padded \"\n"
          "sq='single'\n"
          "mixed=\"a'\n"
          "twice=\"\"x\"\"\n"
          "lone=\"\n"
          "empty=\n"
          "long=" + longValue + "\n"
          "eq=a=b\n");
    auto s = [&](const char* key, int cap = 256) {
        return profile.readString(QStringLiteral("S"), QString::fromLatin1(key), QStringLiteral("DEF"), cap);
    };
    EXPECT_EQ(s("plain"), QStringLiteral("two words"));
    EXPECT_EQ(s("dq"), QStringLiteral(" padded "));
    EXPECT_EQ(s("sq"), QStringLiteral("single"));
    EXPECT_EQ(s("mixed"), QStringLiteral("\"a'"));
    EXPECT_EQ(s("twice"), QStringLiteral("\"x\""));   // one pair only
    EXPECT_EQ(s("lone"), QStringLiteral("\""));
    EXPECT_EQ(s("empty"), QString());                 // present but empty: not the default
    EXPECT_EQ(s("long"), QString(255, QLatin1Char('x')));
    EXPECT_EQ(s("long", 10), QString(9, QLatin1Char('x')));
    EXPECT_EQ(s("long", 0), QString());
    EXPECT_EQ(s("eq"), QStringLiteral("a=b"));
    EXPECT_EQ(s("missing", 3), QStringLiteral("DE")); // the default is bounded too
}

TEST_F(ConfigProfile, TruncationNeverSplitsASurrogatePair)
{
    // 254 'a' then an emoji (two UTF-16 units): cutting at 255 would leave a lone high surrogate.
    write("[S]\nk=" + QByteArray(254, 'a') + "\xF0\x9F\x98\x80" + "\n");
    const QString v = profile.readString(QStringLiteral("S"), QStringLiteral("k"));
    EXPECT_EQ(v, QString(254, QLatin1Char('a')));
}

TEST_F(ConfigProfile, StructuresNeedTheRightLengthChecksumAndDigits)
{
    using namespace lex::config;
    ASSERT_TRUE(profile.writeStruct(kMainListCtrl, kColumnWidth, packColumnWidths(kDefaultColumnWidths)));
    const QByteArray file = contents();
    // 24 bytes of widths: 28 00 78 00 78 00 50 00 1E 00 ... 64 00; checksum = sum mod 256.
    ASSERT_TRUE(file.startsWith(kBom + "[MAINLISTCTRL]\nColumnWidth=280078007800500"));
    const QByteArray line = file.mid(file.indexOf('=') + 1).trimmed();
    ASSERT_EQ(line.size(), 50);
    EXPECT_EQ(line.right(2), QByteArray("70")); // (40+120+120+80+4*30+4*100) = 880 = 0x370
    auto read = [&](int size = kColumnWidthSize) { return profile.readStruct(kMainListCtrl, kColumnWidth, size); };
    ASSERT_TRUE(read());
    EXPECT_EQ(unpackColumnWidths(*read()), kDefaultColumnWidths);
    EXPECT_FALSE(read(kColumnWidthSize - 1));
    EXPECT_FALSE(read(kColumnWidthSize + 1));

    auto withValue = [&](const QByteArray& v) { write("[MAINLISTCTRL]\nColumnWidth=" + v + "\n"); };
    withValue(line.toLower());
    EXPECT_TRUE(read()) << "lower-case digits are read";
    withValue(line.left(48) + "71");
    EXPECT_FALSE(read()) << "checksum edited";
    withValue("29" + line.mid(2));
    EXPECT_FALSE(read()) << "data edited";
    withValue(line.left(46) + "G0" + line.right(2));
    EXPECT_FALSE(read()) << "non-hex digit";
    withValue(line + "00");
    EXPECT_FALSE(read()) << "too long";

    // Empty data is just the checksum byte.
    ASSERT_TRUE(profile.writeStruct(QStringLiteral("S"), QStringLiteral("e"), QByteArray()));
    EXPECT_EQ(profile.readStruct(QStringLiteral("S"), QStringLiteral("e"), 0), QByteArray());
    EXPECT_FALSE(profile.readStruct(QStringLiteral("S"), QStringLiteral("e"), -1));
}

TEST_F(ConfigProfile, WriteChangesOnlyItsOwnLine)
{
    const QByteArray original = "; Lexora settings\r\n"
                                "\r\n"
                                "[INIT]\r\n"
                                "  BookName = Old Name  \r\n"
                                "Unknown=keep me\r\n"
                                "a line without equals\r\n"
                                "BookName=second copy\r\n"
                                "[TTSVOICE]\r\n"
                                "TTSRate=3\r\n"
                                "; trailing comment";
    write(original);
    ASSERT_TRUE(profile.writeString(QStringLiteral("INIT"), QStringLiteral("BookName"), QStringLiteral("英语")));
    QByteArray expected = kBom + original;
    expected.replace("  BookName = Old Name  \r\n", "  BookName = \xE8\x8B\xB1\xE8\xAF\xAD\r\n");
    EXPECT_EQ(contents(), expected);
    EXPECT_EQ(profile.readString(QStringLiteral("INIT"), QStringLiteral("BookName")), QStringLiteral("英语"));

    // A new key goes after the last key line of its section, with the file's CRLF.
    ASSERT_TRUE(profile.writeInt(QStringLiteral("TTSVOICE"), QStringLiteral("TTSVolume"), 50));
    expected.replace("TTSRate=3\r\n", "TTSRate=3\r\nTTSVolume=50\r\n");
    EXPECT_EQ(contents(), expected);

    // A new section goes at the end; the last line keeps having no line ending.
    ASSERT_TRUE(profile.writeInt(QStringLiteral("MAINLISTCTRL"), QStringLiteral("FocusedItem"), -1));
    expected += "\r\n[MAINLISTCTRL]\r\nFocusedItem=-1";
    EXPECT_EQ(contents(), expected);
}

TEST_F(ConfigProfile, NewKeysAndSectionsInAnLfFile)
{
    write("[INIT]\n; note\n\n[B]\nx=1\n\n");
    ASSERT_TRUE(profile.writeString(QStringLiteral("init"), QStringLiteral("k"), QStringLiteral("v")));
    EXPECT_EQ(contents(), kBom + "[INIT]\nk=v\n; note\n\n[B]\nx=1\n\n");
    ASSERT_TRUE(profile.writeString(QStringLiteral("B"), QStringLiteral("y"), QStringLiteral("2")));
    EXPECT_EQ(contents(), kBom + "[INIT]\nk=v\n; note\n\n[B]\nx=1\ny=2\n\n");
    ASSERT_TRUE(profile.writeString(QStringLiteral("C"), QStringLiteral("z"), QStringLiteral("3")));
    EXPECT_EQ(contents(), kBom + "[INIT]\nk=v\n; note\n\n[B]\nx=1\ny=2\n\n[C]\nz=3\n");
}

TEST_F(ConfigProfile, NewFileIsCreatedWithLfLines)
{
    ASSERT_TRUE(profile.writeInt(QStringLiteral("INIT"), QStringLiteral("IsFist"), 0));
    ASSERT_TRUE(profile.writeString(QStringLiteral("INIT"), QStringLiteral("VoicePath"), QStringLiteral("./Voice/")));
    EXPECT_EQ(contents(), kBom + "[INIT]\nIsFist=0\nVoicePath=./Voice/\n");
    EXPECT_EQ(dir.files(), QStringList{QStringLiteral("Config.INI")}) << "no temporary file left";
}

TEST_F(ConfigProfile, RepeatedKeysAndSections)
{
    write("[S]\nk=first\nk=second\n[T]\n[s]\nk=third\nj=from second block\n");
    EXPECT_EQ(profile.readString(QStringLiteral("S"), QStringLiteral("k")), QStringLiteral("first"));
    EXPECT_EQ(profile.readString(QStringLiteral("S"), QStringLiteral("j")), QStringLiteral("from second block"));
    ASSERT_TRUE(profile.writeString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("new")));
    ASSERT_TRUE(profile.writeString(QStringLiteral("S"), QStringLiteral("j"), QStringLiteral("J")));
    ASSERT_TRUE(profile.writeString(QStringLiteral("S"), QStringLiteral("n"), QStringLiteral("N")));
    EXPECT_EQ(contents(), kBom + "[S]\nk=new\nk=second\nn=N\n[T]\n[s]\nk=third\nj=J\n");
}

TEST_F(ConfigProfile, SectionLinesAndComments)
{
    write("  [ INIT ]  \n;k=commented\n  ; k=also commented\nk=1\n[bad\nk=2\n");
    EXPECT_EQ(profile.readInt(QStringLiteral("INIT"), QStringLiteral("k"), 0), 1);
    // "[bad" has no closing bracket, so it is not a section: k=2 still belongs to INIT but is second.
    write("[INIT] trailing text\nk=7\n");
    EXPECT_EQ(profile.readInt(QStringLiteral("INIT"), QStringLiteral("k"), 0), 7);
}

TEST_F(ConfigProfile, WrittenValuesReadBackExactly)
{
    const QString values[] = {
        QStringLiteral(" leading"), QStringLiteral("trailing\t"), QStringLiteral("\"quoted\""),
        QStringLiteral("'q'"), QStringLiteral("a=b;c"), QString(), QStringLiteral("\""),
        QStringLiteral("含中文的 路径/"), QString::fromUtf8("\xF0\x9F\x98\x80"), QStringLiteral("x\0y"),
    };
    for (const QString& v : values) {
        ASSERT_TRUE(profile.writeString(QStringLiteral("S"), QStringLiteral("k"), v)) << v.toStdString();
        EXPECT_EQ(profile.readString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("DEF")), v)
            << v.toStdString();
    }
}

TEST_F(ConfigProfile, RefusesWhatCannotBeOneLine)
{
    write("[S]\nk=1\n");
    const QString s = QStringLiteral("S"), k = QStringLiteral("k");
    EXPECT_FALSE(profile.writeString(s, k, QStringLiteral("a\n[EVIL]\nk=2")));
    EXPECT_FALSE(profile.writeString(s, k, QStringLiteral("a\rb")));
    EXPECT_FALSE(profile.writeString(s, QStringLiteral("a=b"), QStringLiteral("v")));
    EXPECT_FALSE(profile.writeString(s, QStringLiteral(";k"), QStringLiteral("v")));
    EXPECT_FALSE(profile.writeString(s, QStringLiteral("[k"), QStringLiteral("v")));
    EXPECT_FALSE(profile.writeString(s, QStringLiteral(" k"), QStringLiteral("v")));
    EXPECT_FALSE(profile.writeString(s, QString(), QStringLiteral("v")));
    EXPECT_FALSE(profile.writeString(QStringLiteral("a]b"), k, QStringLiteral("v")));
    EXPECT_FALSE(profile.writeString(QString(), k, QStringLiteral("v")));
    EXPECT_EQ(contents(), QByteArray("[S]\nk=1\n"));
}

TEST_F(ConfigProfile, Cp936FileIsReadAndRewrittenAsUtf8)
{
    const QString name = QStringLiteral("英语词汇");
    const QByteArray gbk = lex::cp936::encode(name);
    ASSERT_FALSE(lex::utf8::isValid(gbk));
    write("[INIT]\r\nBookName=" + gbk + "\r\nBookPath=./Book/\r\n");
    EXPECT_EQ(profile.readString(QStringLiteral("INIT"), QStringLiteral("BookName")), name);
    ASSERT_TRUE(profile.writeInt(QStringLiteral("INIT"), QStringLiteral("IsCase"), 1));
    EXPECT_EQ(contents(), kBom + "[INIT]\r\nBookName=" + name.toUtf8() + "\r\nBookPath=./Book/\r\nIsCase=1\r\n");
    EXPECT_EQ(profile.readString(QStringLiteral("INIT"), QStringLiteral("BookName")), name);
}

// A Windows file: code page 936 throughout, even where its bytes happen to be valid UTF-8
// ("学习" is D1 A7 CF B0, which UTF-8 reads as "ѧϰ"). A rewrite converts every value, not
// only the one written.
TEST_F(ConfigProfile, FileWithoutTheMarkIsCodePage936)
{
    const QByteArray study = lex::cp936::encode(u"学习");
    ASSERT_TRUE(lex::utf8::isValid(study));
    const QByteArray original = "[INIT]\r\nBookName=" + study + "\r\nBookPath=D:/" + lex::cp936::encode(u"单词") +
                                "/\r\nClassName1=" + lex::cp936::encode(u"谢") + "\r\n";
    write(original);
    EXPECT_EQ(profile.readString(QStringLiteral("INIT"), QStringLiteral("BookName")), QStringLiteral("学习"));
    EXPECT_EQ(profile.readString(QStringLiteral("INIT"), QStringLiteral("ClassName1")), QStringLiteral("谢"));
    ASSERT_TRUE(profile.writeInt(QStringLiteral("INIT"), QStringLiteral("IsCase"), 1));
    EXPECT_EQ(contents(), kBom + QStringLiteral("[INIT]\r\nBookName=学习\r\nBookPath=D:/单词/\r\nClassName1=谢\r\n"
                                                "IsCase=1\r\n").toUtf8());
    EXPECT_EQ(profile.readString(QStringLiteral("INIT"), QStringLiteral("BookName")), QStringLiteral("学习"));
    EXPECT_EQ(profile.readString(QStringLiteral("INIT"), QStringLiteral("BookPath")), QStringLiteral("D:/单词/"));
}

// Files our earlier versions wrote: UTF-8 without the mark. They still read right, and the first
// write adds the mark.
TEST_F(ConfigProfile, Utf8FileOfEarlierVersionsStillReads)
{
    const QString ini = QStringLiteral("[INIT]\nBookName=学习\nBookPath=/home/学生/词书/\nClassName1=动词\n"
                                       "[IMPORTEXPORT]\nInFileName=/home/学生/下载/单词表.txt\n");
    write(ini.toUtf8());
    EXPECT_EQ(profile.readString(QStringLiteral("INIT"), QStringLiteral("BookName")), QStringLiteral("学习"));
    EXPECT_EQ(profile.readString(QStringLiteral("IMPORTEXPORT"), QStringLiteral("InFileName")),
              QStringLiteral("/home/学生/下载/单词表.txt"));
    ASSERT_TRUE(profile.writeString(QStringLiteral("INIT"), QStringLiteral("BookName"), QStringLiteral("英语")));
    QString expected = ini;
    expected.replace(QStringLiteral("BookName=学习"), QStringLiteral("BookName=英语"));
    EXPECT_EQ(contents(), kBom + expected.toUtf8());
    // A single short value decides nothing alone: this one is read as the code page says.
    write("[INIT]\nBookName=" + QStringLiteral("ѧϰ").toUtf8() + "\n");
    EXPECT_EQ(profile.readString(QStringLiteral("INIT"), QStringLiteral("BookName")), QStringLiteral("学习"));
}

TEST_F(ConfigProfile, ByteOrderMarkIsSkippedAndKept)
{
    write("\xEF\xBB\xBF[INIT]\nIsFist=0\n");
    EXPECT_EQ(profile.readInt(QStringLiteral("INIT"), QStringLiteral("IsFist"), 1), 0);
    ASSERT_TRUE(profile.writeInt(QStringLiteral("INIT"), QStringLiteral("IsFist"), 2));
    EXPECT_EQ(contents(), QByteArray("\xEF\xBB\xBF[INIT]\nIsFist=2\n"));
    // Only the first mark is the file's; a second one is text and is kept.
    write("\xEF\xBB\xBF\xEF\xBB\xBFx=1\n[INIT]\nIsFist=0\n");
    ASSERT_TRUE(profile.writeInt(QStringLiteral("INIT"), QStringLiteral("IsFist"), 3));
    EXPECT_EQ(contents(), QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFx=1\n[INIT]\nIsFist=3\n"));
}

TEST_F(ConfigProfile, FailedWriteLeavesTheOldFile)
{
    const QByteArray original = "[INIT]\nIsFist=1\nBookName=English\n";
    const QByteArray updated = kBom + "[INIT]\nIsFist=0\nBookName=English\n";
    using Mode = lextest::FaultEnv::Mode;
    for (Mode mode : {Mode::Fail, Mode::Crash}) {
        for (int k = 1;; ++k) {
            write(original);
            lextest::FaultEnv env;
            env.breakAt(k, mode);
            const bool ok = Profile(path, &env).writeInt(QStringLiteral("INIT"), QStringLiteral("IsFist"), 0);
            const QByteArray now = contents();
            const std::string where = "k=" + std::to_string(k) + " " + env.log().join(QLatin1String("; ")).toStdString();
            // Either the old file or the whole new one, never a mixture; success means the new one.
            EXPECT_TRUE(now == original || now == updated) << where;
            if (ok)
                EXPECT_EQ(now, updated) << where;
            if (mode == Mode::Fail && !ok && now == original)
                EXPECT_EQ(dir.files(), QStringList{QStringLiteral("Config.INI")}) << where;
            if (env.count() < k)
                break; // the write finished before reaching the broken step
        }
    }
    // A file that exists but cannot be read is not replaced by one holding a single key.
    write(original);
    UnreadableEnv unreadable;
    EXPECT_FALSE(Profile(path, &unreadable).writeInt(QStringLiteral("INIT"), QStringLiteral("IsFist"), 0));
    EXPECT_EQ(contents(), original);
}

TEST(ConfigKeys, PackedLayouts)
{
    using namespace lex::config;
    const QByteArray r = packRect({-1, 2, 0x01020304, INT_MIN});
    EXPECT_EQ(r.toHex(), QByteArray("ffffffff020000000403020100000080"));
    EXPECT_EQ(unpackRect(r), (Rect{-1, 2, 0x01020304, INT_MIN}));
    EXPECT_FALSE(unpackRect(r.left(15)));
    ColumnWidths w{};
    w[0] = 0xFFFF;
    w[11] = 0x1234;
    const QByteArray c = packColumnWidths(w);
    EXPECT_EQ(c.size(), 24);
    EXPECT_EQ(c.left(2).toHex(), QByteArray("ffff"));
    EXPECT_EQ(c.right(2).toHex(), QByteArray("3412"));
    EXPECT_EQ(unpackColumnWidths(c), w);
    EXPECT_FALSE(unpackColumnWidths(c + 'x'));
    EXPECT_EQ(ttsVolumeFromConfig(150), 100);
    EXPECT_EQ(ttsVolumeFromConfig(-5), 0);
    EXPECT_EQ(ttsRateFromConfig(-20), -10);
    EXPECT_EQ(ttsRateFromConfig(11), 10);
}

} // namespace
