#include "common/platform/env.h"
#include "common/platform/program_folder.h"
#include "common/platform/runtime_dir.h"
#include "temp_dir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace lex;

TEST(ProgramFolder, ChosenInTheDocumentedOrder)
{
    lextest::TempDir t;
    QDir().mkpath(t.path(QStringLiteral("exe")));
    ProgramFolderInputs in;
    in.homeOption = t.path(QStringLiteral("opt/"));
    in.homeVariable = t.path(QStringLiteral("var"));
    in.executableDir = t.path(QStringLiteral("exe"));
    in.dataHome = t.path(QStringLiteral("data"));
    QString folder;
    ASSERT_TRUE(resolveProgramFolder(in, Env::defaultEnv(), &folder));
    EXPECT_EQ(folder, t.path(QStringLiteral("opt")));
    in.homeOption.clear();
    ASSERT_TRUE(resolveProgramFolder(in, Env::defaultEnv(), &folder));
    EXPECT_EQ(folder, t.path(QStringLiteral("var")));
    in.homeVariable.clear();
    ASSERT_TRUE(resolveProgramFolder(in, Env::defaultEnv(), &folder));
    EXPECT_EQ(folder, t.path(QStringLiteral("exe")));   // a writable executable folder: portable copy
}

TEST(ProgramFolder, InstalledCopySeedsTheUserFolderOnce)
{
    lextest::TempDir t;
    QDir().mkpath(t.path(QStringLiteral("share/Dict")));
    t.write(QStringLiteral("share/Readme.txt"), "readme");
    t.write(QStringLiteral("share/Dict/Dict.idx"), "idx");
    ProgramFolderInputs in;
    in.executableDir = t.path(QStringLiteral("no-such-folder"));   // not writable: an installed copy
    in.dataHome = t.path(QStringLiteral("home/.local/share"));
    in.installedData = t.path(QStringLiteral("share"));
    QString folder;
    ASSERT_TRUE(resolveProgramFolder(in, Env::defaultEnv(), &folder));
    EXPECT_EQ(folder, t.path(QStringLiteral("home/.local/share/lexora")));
    EXPECT_EQ(t.read(QStringLiteral("home/.local/share/lexora/Readme.txt")), "readme");
    EXPECT_EQ(t.read(QStringLiteral("home/.local/share/lexora/Dict/Dict.idx")), "idx");
    // The user's own copy is never overwritten by a later start.
    t.write(QStringLiteral("home/.local/share/lexora/Readme.txt"), "mine");
    ASSERT_TRUE(resolveProgramFolder(in, Env::defaultEnv(), &folder));
    EXPECT_EQ(t.read(QStringLiteral("home/.local/share/lexora/Readme.txt")), "mine");
}

TEST(ProgramFolder, HomeOptionFromArguments)
{
    EXPECT_EQ(programFolderInputs({QStringLiteral("Lexora"), QStringLiteral("--home"), QStringLiteral("/x")}).homeOption,
              QStringLiteral("/x"));
    EXPECT_EQ(programFolderInputs({QStringLiteral("Lexora"), QStringLiteral("--home=/y")}).homeOption, QStringLiteral("/y"));
    EXPECT_TRUE(programFolderInputs({QStringLiteral("Lexora"), QStringLiteral("--home")}).homeOption.isEmpty());
}

TEST(RuntimeDir, OnlyAPrivateFolderOfOursIsUsed)
{
    lextest::TempDir t;
    const QString fresh = t.path(QStringLiteral("rt"));
    ASSERT_TRUE(ensureRuntimeDir(fresh));
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(fresh).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_TRUE(ensureRuntimeDir(fresh));   // again: fine

    const QString open = t.path(QStringLiteral("open"));
    ASSERT_EQ(::mkdir(QFile::encodeName(open).constData(), 0755), 0);
    ::chmod(QFile::encodeName(open).constData(), 0755);
    EXPECT_FALSE(ensureRuntimeDir(open));

    const QString link = t.path(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(fresh, link));
    EXPECT_FALSE(ensureRuntimeDir(link));
}

TEST(RuntimeDir, NamesCannotLeaveTheFolder)
{
    EXPECT_EQ(runtimeFileName(QStringLiteral("e-"), QStringLiteral("WaitPlayed"), QStringLiteral(".lock")),
              QStringLiteral("e-WaitPlayed.lock"));
    EXPECT_EQ(runtimeFileName(QStringLiteral("e-"), QStringLiteral("../x/y"), {}), QStringLiteral("e-..%2fx%2fy"));
    EXPECT_EQ(runtimeFileName({}, QStringLiteral(".."), {}), QStringLiteral(".._"));
}
