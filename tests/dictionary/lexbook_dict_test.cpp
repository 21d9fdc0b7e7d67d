// `lexbook dict-build` and `lexbook lookup` through the built binary, and the sample dictionary
// compiled at build time.
#include "common/dictionary/dictionary.h"
#include "temp_dir.h"
#include "tool_run.h"

#include <gtest/gtest.h>

namespace {

using lextest::binaryDir;
using lextest::lexbook;
using Result = lextest::ToolRun;

class LexbookDict : public ::testing::Test {};

} // namespace

TEST_F(LexbookDict, BuildAndLookUpBothVariants)
{
    lextest::TempDir dir;
    dir.write(QStringLiteral("src.tsv"), "# test\n"
                                         "book\tbJk\tn. \xE4\xB9\xA6\\nv. \xE9\xA2\x84\xE8\xAE\xA2\n"
                                         "China\t5tFainE\tn. China\n"
                                         "china\t5tFainE\tn. porcelain\n"
                                         "take off\t5teik 5Cf\tv. to leave the ground\n"
                                         "book\tdup\tdup\n"
                                         "bad line\n");
    Result r = lexbook({QStringLiteral("dict-build"), dir.path(QStringLiteral("src.tsv")), dir.path(QStringLiteral("out")),
                     QStringLiteral("--block"), QStringLiteral("2")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("5 entries in, 4 written in 2 blocks"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("1 duplicates"))) << r.out.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral(":7: wrong number of fields"))) << r.err.toStdString();

    r = lexbook({QStringLiteral("lookup"), dir.path(QStringLiteral("out")), QStringLiteral("book")});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, QStringLiteral("bJk\nn. 书\nv. 预订\n"));
    r = lexbook({QStringLiteral("lookup"), dir.path(QStringLiteral("out")), QStringLiteral("take off")});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, QStringLiteral("5teik 5Cf\nv. to leave the ground\n"));
    r = lexbook({QStringLiteral("lookup"), dir.path(QStringLiteral("out")), QStringLiteral("CHINA")});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.isEmpty());

    r = lexbook({QStringLiteral("dict-build"), dir.path(QStringLiteral("src.tsv")), dir.path(QStringLiteral("out")),
                 QStringLiteral("--companion"), QStringLiteral("--from-main")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("2 duplicates"))) << r.out.toStdString(); // china, book
    r = lexbook({QStringLiteral("lookup"), dir.path(QStringLiteral("out")), QStringLiteral("CHINA"),
                 QStringLiteral("--companion")});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, QStringLiteral("`1`China`4`/5tFainE/`8`n. China\n"));

    // A folder without the files: the system's message and the path, exit 2.
    r = lexbook({QStringLiteral("lookup"), dir.path(QStringLiteral("none")), QStringLiteral("book")});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("不能打开词典文件，请确认此文件是否存在\n") + dir.path(QStringLiteral("none/Dict.idx"))))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(dir.path(QStringLiteral("none/Dict.dic"))));

    r = lexbook({QStringLiteral("dict-build"), dir.path(QStringLiteral("src.tsv")), dir.path(QStringLiteral("out")),
                 QStringLiteral("--block"), QStringLiteral("0")});
    EXPECT_EQ(r.code, 2);

    // Missing parent folders are created.
    r = lexbook({QStringLiteral("dict-build"), dir.path(QStringLiteral("src.tsv")), dir.path(QStringLiteral("deep/er"))});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(dir.exists(QStringLiteral("deep/er/Dict.idx")));
}

TEST_F(LexbookDict, SampleDictionaryIsBuilt)
{
    const QString folder = binaryDir() + QStringLiteral("/data/Dict");
    lex::Dictionary main(lex::DictVariant::Main);
    ASSERT_TRUE(main.openFolder(folder).isEmpty());
    EXPECT_TRUE(main.firstLevelAscends());
    QString e, p;
    ASSERT_TRUE(main.LookUpWord(u"abandon", e, p));
    EXPECT_EQ(p, QStringLiteral("E5bAndEn"));
    EXPECT_TRUE(e.startsWith(QStringLiteral("v. 放弃")));
    EXPECT_TRUE(e.contains(QStringLiteral("\r\n")));
    ASSERT_TRUE(main.LookUpWord(u"english", e, p));
    EXPECT_EQ(p, QStringLiteral("5iN^liF"));
    EXPECT_TRUE(main.LookUpWord(u"take off", e, p));
    ASSERT_TRUE(main.LookUpWord(u"China", e, p));
    EXPECT_EQ(e, QStringLiteral("n. 中国"));
    ASSERT_TRUE(main.LookUpWord(u"china", e, p));
    EXPECT_EQ(e, QStringLiteral("n. 瓷器；瓷"));

    lex::Dictionary companion(lex::DictVariant::Companion);
    ASSERT_TRUE(companion.openFolder(folder).isEmpty());
    QString t;
    ASSERT_TRUE(companion.LookUpEntryText(u"Abandon", t));
    EXPECT_TRUE(t.startsWith(QStringLiteral("`1`abandon`4`/E5bAndEn/`8`v. 放弃"))) << t.toStdString();

    const Result r = lexbook({QStringLiteral("lookup"), folder, QStringLiteral("book")});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, QStringLiteral("bJk\nn. 书；书本\nv. 预订；登记\n"));
}
