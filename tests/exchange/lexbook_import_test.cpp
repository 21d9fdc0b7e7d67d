// `lexbook import --encoding auto` reads a word list by the same rule as the import dialog.
#include "common/text/codepage.h"
#include "temp_dir.h"
#include "tool_run.h"

#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

TEST(LexbookImport, AutoEncodingKeepsShortGbkListsGbk)
{
    ASSERT_TRUE(QFileInfo(lextest::lexbookPath()).isExecutable()) << lextest::lexbookPath().toStdString();
    lextest::TempDir dir;
    struct Case {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        // D1 A7 CF B0 is valid UTF-8 too ("ѧϰ"); the whole file says GBK.
        {"gbk.txt", "study\t" + lex::cp936::encode(u"学习") + "\r\n"},
        {"utf8.txt", QStringLiteral("study\t学习\r\n").toUtf8()},
    };
    for (const Case& c : cases) {
        dir.write(QString::fromLatin1(c.name), c.bytes);
        const QString book = dir.path(QStringLiteral("Book/") + QString::fromLatin1(c.name).section(u'.', 0, 0));
        const lextest::ToolRun imported = lextest::lexbook({QStringLiteral("import"), book, dir.path(QString::fromLatin1(c.name)),
                                                            QStringLiteral("--style"), QStringLiteral("1"),
                                                            QStringLiteral("--encoding"), QStringLiteral("auto")});
        ASSERT_EQ(imported.code, 0) << c.name << imported.err.toStdString();
        const lextest::ToolRun dumped = lextest::lexbook({QStringLiteral("dump"), book});
        ASSERT_EQ(dumped.code, 0) << c.name;
        EXPECT_TRUE(dumped.out.contains(QStringLiteral("学习"))) << c.name << dumped.out.toStdString();
        EXPECT_FALSE(dumped.out.contains(QStringLiteral("ѧϰ"))) << c.name;
    }
}

} // namespace
