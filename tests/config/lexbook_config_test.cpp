// Drives the lexbook binary: `lexbook config FILE get|set ...`.
#include "temp_dir.h"
#include "tool_run.h"

#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

using Result = lextest::ToolRun;

class ConfigCli : public ::testing::Test {
protected:
    lextest::TempDir dir;
    QString file = dir.path(QStringLiteral("Config.INI"));

    Result run(const QStringList& rest)
    {
        return lextest::lexbook(QStringList{QStringLiteral("config"), file} + rest);
    }

    void SetUp() override
    {
        ASSERT_TRUE(QFileInfo(lextest::lexbookPath()).isExecutable()) << lextest::lexbookPath().toStdString();
    }
};

TEST_F(ConfigCli, StringAndIntegerRoundTrip)
{
    dir.write(QStringLiteral("Config.INI"), "; kept\r\n[INIT]\r\nBookName=Old\r\n");
    EXPECT_EQ(run({"set", "init", "bookname", "英语 词汇"}).code, 0);
    // Every file written carries the UTF-8 mark.
    EXPECT_EQ(dir.read(QStringLiteral("Config.INI")), QByteArray("\xEF\xBB\xBF; kept\r\n[INIT]\r\nBookName=英语 词汇\r\n"));
    Result r = run({"get", "INIT", "BookName"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, QStringLiteral("英语 词汇\n"));

    EXPECT_EQ(run({"set", "TTSVOICE", "TTSRate", "--", "--5"}).code, 0);
    EXPECT_EQ(run({"set", "TTSVOICE", "TTSVolume", "-5"}).code, 0);
    EXPECT_EQ(run({"get", "TTSVOICE", "TTSVolume", "--int", "100"}).out, QStringLiteral("-5\n"));
    EXPECT_EQ(run({"get", "TTSVOICE", "TTSRate", "--int", "100"}).out, QStringLiteral("0\n"));
    r = run({"get", "TTSVOICE", "Missing", "--int", "100"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, QStringLiteral("100\n"));

    // A Windows file (code page 936, no mark) and Windows' integer forms.
    dir.write(QStringLiteral("Config.INI"), "[INIT]\r\nBookName=\xD1\xA7\xCF\xB0\r\nFocusedItem=0x1F\r\n");
    EXPECT_EQ(run({"get", "INIT", "BookName"}).out, QStringLiteral("学习\n"));
    EXPECT_EQ(run({"get", "INIT", "FocusedItem", "--int", "0"}).out, QStringLiteral("31\n"));
}

TEST_F(ConfigCli, StructRoundTripAndInvalidStructs)
{
    EXPECT_EQ(run({"set", "INIT", "LexoraDlgSize", "--struct", "640000006400000020030000f4010000"}).code, 0);
    // 0x64+0x64+0x20+0x03+0xF4+0x01 = 0x1E0: checksum E0, digits written in upper case.
    EXPECT_EQ(dir.read(QStringLiteral("Config.INI")),
              QByteArray("\xEF\xBB\xBF[INIT]\nLexoraDlgSize=640000006400000020030000F4010000E0\n"));
    Result r = run({"get", "INIT", "LexoraDlgSize", "--struct", "16"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, QStringLiteral("640000006400000020030000F4010000\n"));

    r = run({"get", "INIT", "LexoraDlgSize", "--struct", "15"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.startsWith("lexbook: "));
    dir.write(QStringLiteral("Config.INI"), "[INIT]\nLexoraDlgSize=640000006400000020030000F4010000E1\n");
    EXPECT_EQ(run({"get", "INIT", "LexoraDlgSize", "--struct", "16"}).code, 1);
    EXPECT_EQ(run({"get", "INIT", "Nothing", "--struct", "16"}).code, 1);
}

TEST_F(ConfigCli, ExitCodes)
{
    dir.write(QStringLiteral("Config.INI"), "[INIT]\nEmpty=\n");
    // An absent string key is exit 1; a present empty one prints an empty line.
    Result r = run({"get", "INIT", "Absent"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.isEmpty());
    r = run({"get", "INIT", "Empty"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, QStringLiteral("\n"));
    // A value that cannot be one line is refused and the file left alone.
    EXPECT_EQ(run({"set", "INIT", "K", "a\nb"}).code, 1);
    EXPECT_EQ(dir.read(QStringLiteral("Config.INI")), QByteArray("[INIT]\nEmpty=\n"));

    const QList<QStringList> bad = {
        {},
        {"frob", "S", "K"},
        {"get", "S"},
        {"get", "S", "K", "extra"},
        {"get", "S", "K", "--int"},
        {"get", "S", "K", "--int", "x"},
        {"get", "S", "K", "--struct", "-1"},
        {"get", "S", "K", "--int", "1", "--struct", "4"},
        {"get", "S", "K", "--bogus"},
        {"set", "S", "K"},
        {"set", "S", "K", "abc", "--struct"},
        {"set", "S", "K", "0", "--struct"},
    };
    for (const QStringList& args : bad) {
        r = run(args);
        EXPECT_EQ(r.code, 2) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(r.err.startsWith("lexbook: config: ")) << r.err.toStdString();
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
    }
    EXPECT_EQ(dir.read(QStringLiteral("Config.INI")), QByteArray("[INIT]\nEmpty=\n"));
}

} // namespace
