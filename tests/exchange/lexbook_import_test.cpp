// `lexbook import --encoding auto` reads a word list by the same rule as the import dialog; other
// programs' files in and out by extension or --format, with the field map of --map.
#include "common/text/codepage.h"
#include "temp_dir.h"
#include "tool_run.h"

#include <QFileInfo>
#include <QJsonObject>
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

QStringList words(const QString& book, const char* key = "word")
{
    QStringList out;
    for (const QJsonObject& o : lextest::jsonLines(lextest::lexbook({QStringLiteral("dump"), book}).out))
        out << o.value(QLatin1String(key)).toString();
    return out;
}

TEST(LexbookImport, OtherProgramsFilesByExtensionOrFormatWithTheFieldMap)
{
    lextest::TempDir dir;
    const QByteArray tsv = "#columns:Front\tBack\n"
                           "apple\t苹果\n"
                           "pear\t梨\n";
    dir.write(QStringLiteral("deck.tsv"), tsv);
    dir.write(QStringLiteral("deck.txt"), tsv);
    struct Case {
        const char* book;
        QStringList args;   // after BOOK FILE
        const char* file;
        QStringList words, explanations;
    } cases[] = {
        {"ByExtension", {}, "deck.tsv", {"apple", "pear"}, {"苹果", "梨"}},
        {"ByFormat", {"--format", "tsv"}, "deck.txt", {"apple", "pear"}, {"苹果", "梨"}},
        {"Mapped", {"--map", "word=Back,explanation=1"}, "deck.tsv", {"苹果", "梨"}, {"apple", "pear"}},
        {"NoExplanation", {"--map", "explanation=none"}, "deck.tsv", {"apple", "pear"}, {"", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.book);
        const QString book = dir.path(QStringLiteral("Book/") + QLatin1String(c.book));
        const lextest::ToolRun r = lextest::lexbook(QStringList{QStringLiteral("import"), book,
                                                                dir.path(QLatin1String(c.file))} + c.args);
        ASSERT_EQ(r.code, 0) << r.err.toStdString();
        EXPECT_EQ(r.out, QStringLiteral("导入完成，导入单词数:2\n"));
        EXPECT_EQ(words(book), c.words);
        EXPECT_EQ(words(book, "explanation"), c.explanations);
    }

    // Out and back in: by the extension, and by --format whatever the name.
    const QString from = dir.path(QStringLiteral("Book/ByExtension"));
    for (const char* out : {"out.apkg", "out.kvtml", "out.csv", "out.dat"}) {
        SCOPED_TRACE(out);
        QStringList format;
        if (QByteArray(out).endsWith(".dat"))
            format = QStringList{QStringLiteral("--format"), QStringLiteral("kvtml")};
        const QString file = dir.path(QLatin1String(out));
        const lextest::ToolRun e = lextest::lexbook(QStringList{QStringLiteral("export"), from, file} + format);
        ASSERT_EQ(e.code, 0) << e.err.toStdString();
        EXPECT_TRUE(e.out.startsWith(QStringLiteral("导出完成，导出单词数:2"))) << e.out.toStdString();
        const QString back = dir.path(QStringLiteral("Book/Back_") + QString::fromLatin1(out).section(u'.', 1));
        ASSERT_EQ(lextest::lexbook(QStringList{QStringLiteral("import"), back, file} + format).code, 0);
        EXPECT_EQ(words(back), (QStringList{QStringLiteral("apple"), QStringLiteral("pear")}));
        EXPECT_EQ(words(back, "explanation"), (QStringList{QStringLiteral("苹果"), QStringLiteral("梨")}));
    }

    // Again into a Book that holds the words: another program's file leaves them out unless
    // --skip-known no, a text word list adds them unless --skip-known yes, as the dialog does.
    dir.write(QStringLiteral("words.txt"), "apple\r\npear\r\n");
    const struct {
        const char* file;
        QStringList args;
        const char* says;
        int size;
    } again[] = {
        {"deck.tsv", {}, "导入完成，导入单词数:0\n已在词库中而未导入:2\n", 2},
        {"deck.tsv", {"--skip-known", "no"}, "导入完成，导入单词数:2\n", 4},
        {"words.txt", {"--style", "1", "--skip-known", "yes"}, "导入完成，导入单词数:0\n已在词库中而未导入:2\n", 4},
        {"words.txt", {"--style", "1"}, "导入完成，导入单词数:2\n", 6},
    };
    for (const auto& a : again) {
        SCOPED_TRACE(a.file + a.args.join(u' ').toStdString());
        const lextest::ToolRun r =
            lextest::lexbook(QStringList{QStringLiteral("import"), from, dir.path(QLatin1String(a.file))} + a.args);
        EXPECT_EQ(r.code, 0) << r.err.toStdString();
        EXPECT_EQ(r.out, QString::fromUtf8(a.says));
        EXPECT_EQ(words(from).size(), a.size);
    }
}

TEST(LexbookImport, ABadFileLeavesTheBookAsItWasAndSaysWhy)
{
    lextest::TempDir dir;
    dir.write(QStringLiteral("ok.tsv"), "#columns:Front\tBack\nalpha\ta\n");
    const QString book = dir.path(QStringLiteral("Book/English"));
    ASSERT_EQ(lextest::lexbook({QStringLiteral("import"), book, dir.path(QStringLiteral("ok.tsv"))}).code, 0);
    const QByteArray idx = dir.read(QStringLiteral("Book/English.idx")), txt = dir.read(QStringLiteral("Book/English.txt"));
    dir.write(QStringLiteral("damaged.apkg"), "PK\x03\x04 this is no zip");
    dir.write(QStringLiteral("words.kvtml"), "<kvtml version=\"2.0\"><entries><entry");
    dir.write(QStringLiteral("photo.png"), QByteArray::fromHex("89504e470d0a1a0a0000000d494844520000000100000001"));
    struct Case {
        const char* file;
        QStringList args;
        const char* says;
    } cases[] = {
        {"damaged.apkg", {}, "无效文件"},
        {"words.kvtml", {}, "无效文件"},
        {"photo.png", {"--style", "1"}, "无效文件"},
        {"ok.tsv", {"--map", "word=7"}, "--map: no field '7'"},
        {"ok.tsv", {"--map", "sound=1"}, "--map takes word"},
        {"ok.tsv", {"--format", "xls"}, "--format must be"},
        {"ok.tsv", {"--format", "tsv", "--style", "1"}, "exclude each other"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file + c.args.join(u' ').toStdString());
        const lextest::ToolRun r =
            lextest::lexbook(QStringList{QStringLiteral("import"), book, dir.path(QLatin1String(c.file))} + c.args);
        EXPECT_EQ(r.code, 2);
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.says))) << r.err.toStdString();
        EXPECT_EQ(dir.read(QStringLiteral("Book/English.idx")), idx);
        EXPECT_EQ(dir.read(QStringLiteral("Book/English.txt")), txt);
    }
}

} // namespace
