#include "common/platform/env.h"
#include "common/platform/program_folder.h"
#include "common/platform/program_start.h"
#include "common/platform/runtime_dir.h"
#include "temp_dir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace lex;

namespace {

// An installed layout <root>/bin and <root>/share/lexora, and a user data home.
struct Layout {
    lextest::TempDir t;
    ProgramFolderInputs in;
    Layout()
    {
        QDir().mkpath(t.path(QStringLiteral("usr/bin")));
        QDir().mkpath(t.path(QStringLiteral("usr/share/lexora/Dict")));
        QDir().mkpath(t.path(QStringLiteral("usr/share/lexora/Book")));
        t.write(QStringLiteral("usr/share/lexora/Readme.txt"), "readme");
        t.write(QStringLiteral("usr/share/lexora/ReportError.txt"), "report");
        t.write(QStringLiteral("usr/share/lexora/Config.INI"), "[INIT]\nBookName=English\n");
        t.write(QStringLiteral("usr/share/lexora/Book/English.idx"), "idx");
        t.write(QStringLiteral("usr/share/lexora/Book/English.txt"), "txt");
        t.write(QStringLiteral("usr/share/lexora/Dict/Dict.idx"), "dict");
        in.executableDir = t.path(QStringLiteral("usr/bin"));
        in.installedData = t.path(QStringLiteral("usr/share/lexora"));
        in.dataHome = t.path(QStringLiteral("home/.local/share"));
    }
    QString resolve(ProgramFolderKind* kind = nullptr)
    {
        QString folder;
        const Status s = resolveProgramFolder(in, Env::defaultEnv(), &folder, kind);
        EXPECT_TRUE(s) << qPrintable(s.message());
        return folder;
    }
};

} // namespace

TEST(ProgramFolder, OptionThenVariableThenBuildTreeThenPortableThenUserData)
{
    Layout l;
    l.t.write(QStringLiteral("usr/bin/Config.INI"), "");   // would make it a portable copy
    l.in.homeOption = l.t.path(QStringLiteral("opt/"));
    l.in.homeVariable = l.t.path(QStringLiteral("var"));
    l.in.buildTreeHome = l.t.path(QStringLiteral("build/data"));
    ProgramFolderKind kind;
    EXPECT_EQ(l.resolve(&kind), l.t.path(QStringLiteral("opt")));   // created, no trailing '/'
    EXPECT_EQ(kind, ProgramFolderKind::HomeOption);
    EXPECT_TRUE(QFileInfo(l.t.path(QStringLiteral("opt"))).isDir());
    l.in.homeOption.clear();
    EXPECT_EQ(l.resolve(&kind), l.t.path(QStringLiteral("var")));
    EXPECT_EQ(kind, ProgramFolderKind::HomeVariable);
    l.in.homeVariable.clear();
    EXPECT_EQ(l.resolve(&kind), l.t.path(QStringLiteral("build/data")));
    EXPECT_EQ(kind, ProgramFolderKind::BuildTree);
    l.in.buildTreeHome.clear();
    EXPECT_EQ(l.resolve(&kind), l.t.path(QStringLiteral("usr/bin")));
    EXPECT_EQ(kind, ProgramFolderKind::Portable);
    // None of these is seeded from the installed data.
    for (const char* f : {"opt/Readme.txt", "var/Readme.txt", "build/data/Readme.txt", "usr/bin/Readme.txt"})
        EXPECT_FALSE(l.t.exists(QString::fromLatin1(f))) << f;
}

TEST(ProgramFolder, InstalledProgramNeverWritesBesideItself)
{
    // A writable executable folder without Config.INI is an installed program's (root running
    // /usr/bin/Lexora): the user's data folder is used, never the executable's.
    Layout l;
    ProgramFolderKind kind;
    EXPECT_EQ(l.resolve(&kind), l.t.path(QStringLiteral("home/.local/share/lexora")));
    EXPECT_EQ(kind, ProgramFolderKind::UserData);
    EXPECT_EQ(QDir(l.t.path(QStringLiteral("usr/bin"))).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());

    // A portable copy whose folder cannot be written falls back to the user's folder too.
    if (::geteuid() != 0) {   // root writes anywhere
        l.t.write(QStringLiteral("usr/bin/Config.INI"), "");
        ::chmod(QFile::encodeName(l.t.path(QStringLiteral("usr/bin"))).constData(), 0555);
        EXPECT_EQ(l.resolve(&kind), l.t.path(QStringLiteral("home/.local/share/lexora")));
        EXPECT_EQ(kind, ProgramFolderKind::UserData);
        ::chmod(QFile::encodeName(l.t.path(QStringLiteral("usr/bin"))).constData(), 0755);
    }
}

TEST(ProgramFolder, UserFolderIsSeededOnceAndKeepsTheLearnersFiles)
{
    Layout l;
    const QString home = l.resolve();
    auto read = [&](const char* name) { return l.t.read(QStringLiteral("home/.local/share/lexora/") + QLatin1String(name)); };
    EXPECT_EQ(read("Readme.txt"), "readme");
    EXPECT_EQ(read("ReportError.txt"), "report");
    EXPECT_EQ(read("Config.INI"), "[INIT]\nBookName=English\n");
    EXPECT_EQ(read("Book/English.idx"), "idx");
    EXPECT_EQ(read("Dict/Dict.idx"), "dict");
    EXPECT_TRUE(QFileInfo(home + QStringLiteral("/Voice")).isDir());

    // The learner changes and deletes; the next start restores only missing read-only files.
    l.t.write(QStringLiteral("home/.local/share/lexora/Readme.txt"), "mine");
    l.t.write(QStringLiteral("home/.local/share/lexora/Config.INI"), "[INIT]\nBookName=Mine\n");
    QFile::remove(home + QStringLiteral("/Book/English.idx"));
    QFile::remove(home + QStringLiteral("/Book/English.txt"));
    QFile::remove(home + QStringLiteral("/Dict/Dict.idx"));
    // A newer package brings the companion's dictionary.
    l.t.write(QStringLiteral("usr/share/lexora/Dict/21ct.idx"), "companion");
    EXPECT_EQ(l.resolve(), home);
    EXPECT_EQ(read("Readme.txt"), "mine");
    EXPECT_EQ(read("Config.INI"), "[INIT]\nBookName=Mine\n");
    EXPECT_FALSE(l.t.exists(QStringLiteral("home/.local/share/lexora/Book/English.idx")));   // seeded once only
    EXPECT_EQ(read("Dict/Dict.idx"), "dict");
    EXPECT_EQ(read("Dict/21ct.idx"), "companion");
}

TEST(ProgramFolder, InputsOfThisProcess)
{
    EXPECT_EQ(programFolderInputs({QStringLiteral("Lexora"), QStringLiteral("--home"), QStringLiteral("/x")}).homeOption,
              QStringLiteral("/x"));
    EXPECT_EQ(programFolderInputs({QStringLiteral("Lexora"), QStringLiteral("--home=/y")}).homeOption, QStringLiteral("/y"));
    EXPECT_TRUE(programFolderInputs({QStringLiteral("Lexora"), QStringLiteral("--home")}).homeOption.isEmpty());
    // This test runs from the build tree: its sample folder is found through CMakeCache.txt.
    const ProgramFolderInputs in = programFolderInputs({QStringLiteral("platform_tests")});
    EXPECT_EQ(in.buildTreeHome, QDir::cleanPath(lextest::binaryDir() + QStringLiteral("/data")));
    EXPECT_TRUE(in.installedData.endsWith(QStringLiteral("/share/lexora")));
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

// Both programs' first steps: the first start goes on in its program folder, a second one ends
// with 0 while the first holds the instance, and a folder that cannot be made ends with 1.
TEST(ProgramStart, FirstGoesOnSecondEndsBadFolderFails)
{
    lextest::TempDir run;
    lextest::TempDir home;
    const QByteArray oldRun = qgetenv("XDG_RUNTIME_DIR");
    const QString oldCwd = QDir::currentPath();
    qputenv("XDG_RUNTIME_DIR", run.path().toUtf8());
    const QStringList args{QStringLiteral("x"), QStringLiteral("--home"), home.path()};
    {
        ProgramStart first;
        ASSERT_EQ(first.claim(args, "Test", QStringLiteral("Test.exe"), QStringLiteral("Test window")), -1);
        EXPECT_EQ(QFileInfo(first.folder()).canonicalFilePath(), QFileInfo(home.path()).canonicalFilePath());
        EXPECT_EQ(QFileInfo(QDir::currentPath()).canonicalFilePath(), QFileInfo(home.path()).canonicalFilePath());
        // Qt's own texts speak Chinese while the program runs, where Qt's translations are.
        if (QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_zh_CN.qm")))
            EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("是(&Y)"));
        ProgramStart second;
        EXPECT_EQ(second.claim(args, "Test", QStringLiteral("Test.exe"), QStringLiteral("Test window")), 0);
    }
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("&Yes")) << "gone with the program";
    QFile plain(home.path() + QStringLiteral("/plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    ProgramStart third;
    EXPECT_EQ(third.claim({QStringLiteral("x"), QStringLiteral("--home"), plain.fileName() + QStringLiteral("/sub")},
                          "Test", QStringLiteral("Test.exe"), QStringLiteral("Test window")),
              1);
    QDir::setCurrent(oldCwd);
    if (oldRun.isNull())
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", oldRun);
}
