// Drives the lexbook binary: `lexbook config FILE get|set ...`.
#include "temp_dir.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

struct Result {
    int code = -1;
    QByteArray out, err;
};

class ConfigCli : public ::testing::Test {
protected:
    lextest::TempDir dir;
    QString file = dir.path(QStringLiteral("Config.INI"));

    // The build folder from CTest, else found from this test's own place in it.
    static QString binary()
    {
        QString build = QString::fromLocal8Bit(qgetenv("LEXORA_BINARY_DIR"));
        if (build.isEmpty())
            build = QCoreApplication::applicationDirPath() + QStringLiteral("/../..");
        return build + QStringLiteral("/tools/lexbook/lexbook");
    }

    Result run(const QStringList& rest)
    {
        QProcess p;
        p.start(binary(), QStringList{QStringLiteral("config"), file} + rest);
        Result r;
        if (!p.waitForFinished(30000))
            return r;
        r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = p.readAllStandardOutput();
        r.err = p.readAllStandardError();
        return r;
    }

    void SetUp() override { ASSERT_TRUE(QFileInfo(binary()).isExecutable()) << binary().toStdString(); }
};

TEST_F(ConfigCli, StringAndIntegerRoundTrip)
{
    dir.write(QStringLiteral("Config.INI"), "; kept\r\n[INIT]\r\nBookName=Old\r\n");
    EXPECT_EQ(run({"set", "init", "bookname", "英语 词汇"}).code, 0);
    EXPECT_EQ(dir.read(QStringLiteral("Config.INI")), QByteArray("; kept\r\n[INIT]\r\nBookName=英语 词汇\r\n"));
    Result r = run({"get", "INIT", "BookName"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, QByteArray("英语 词汇\n"));

    EXPECT_EQ(run({"set", "TTSVOICE", "TTSRate", "--", "--5"}).code, 0);
    EXPECT_EQ(run({"set", "TTSVOICE", "TTSVolume", "-5"}).code, 0);
    EXPECT_EQ(run({"get", "TTSVOICE", "TTSVolume", "--int", "100"}).out, QByteArray("-5\n"));
    EXPECT_EQ(run({"get", "TTSVOICE", "TTSRate", "--int", "100"}).out, QByteArray("0\n"));
    r = run({"get", "TTSVOICE", "Missing", "--int", "100"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, QByteArray("100\n"));
}

TEST_F(ConfigCli, StructRoundTripAndInvalidStructs)
{
    EXPECT_EQ(run({"set", "INIT", "LexoraDlgSize", "--struct", "640000006400000020030000f4010000"}).code, 0);
    // 0x64+0x64+0x20+0x03+0xF4+0x01 = 0x1E0: checksum E0, digits written in upper case.
    EXPECT_EQ(dir.read(QStringLiteral("Config.INI")),
              QByteArray("[INIT]\nLexoraDlgSize=640000006400000020030000F4010000E0\n"));
    Result r = run({"get", "INIT", "LexoraDlgSize", "--struct", "16"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, QByteArray("640000006400000020030000F4010000\n"));

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
    EXPECT_EQ(r.out, QByteArray("\n"));
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
