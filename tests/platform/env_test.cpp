// What callers of the real file system rely on: the code of a failure (a lock held past the wait
// is Busy, whatever its text says), folder tests, canonical paths and mappings.
#include "common/platform/env.h"
#include "temp_dir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using lex::Env;
using lex::Status;

namespace {

TEST(PosixEnv, FailuresCarryTheirCode)
{
    lextest::TempDir dir;
    dir.write(QStringLiteral("f"), "x");
    Env* env = Env::defaultEnv();
    QByteArray bytes;
    std::unique_ptr<lex::ReadOnlyRegion> region;
    std::unique_ptr<lex::FileLock> held, second;
    std::unique_ptr<lex::WritableFile> file;
    ASSERT_TRUE(env->lockExclusive(dir.path(QStringLiteral("f")), 0, &held));

    const struct {
        const char* what;
        Status status;
        Status::Code code;
    } cases[] = {
        {"read a missing file", env->readFile(dir.path(QStringLiteral("gone")), &bytes), Status::Code::NotFound},
        {"read a folder", env->readFile(dir.path(), &bytes), Status::Code::Refused},
        {"map a missing file", env->mapReadOnly(dir.path(QStringLiteral("gone")), &region), Status::Code::NotFound},
        {"map a folder", env->mapReadOnly(dir.path(), &region), Status::Code::Refused},
        {"lock a held file", env->lockExclusive(dir.path(QStringLiteral("f")), 20, &second), Status::Code::Busy},
        {"append to a missing file", env->newAppendableFile(dir.path(QStringLiteral("gone")), &file),
         Status::Code::NotFound},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(c.status);
        EXPECT_EQ(c.status.code(), c.code);
        EXPECT_FALSE(c.status.message().isEmpty());
    }
    EXPECT_EQ(Status::error(QStringLiteral("x")).code(), Status::Code::IO);
    EXPECT_EQ(Status::ok().code(), Status::Code::Ok);
}

TEST(PosixEnv, FoldersCanonicalPathsAndMappings)
{
    lextest::TempDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    dir.write(QStringLiteral("sub/f"), "hello");
    dir.write(QStringLiteral("empty"), QByteArray());
    ASSERT_TRUE(QFile::link(dir.path(QStringLiteral("sub")), dir.path(QStringLiteral("link"))));
    Env* env = Env::defaultEnv();

    EXPECT_TRUE(env->isDir(dir.path(QStringLiteral("sub"))));
    EXPECT_TRUE(env->isDir(dir.path(QStringLiteral("link"))));
    EXPECT_FALSE(env->isDir(dir.path(QStringLiteral("sub/f"))));
    EXPECT_FALSE(env->isDir(dir.path(QStringLiteral("gone"))));

    const QString real = env->canonicalPath(dir.path(QStringLiteral("sub/f")));
    EXPECT_FALSE(real.isEmpty());
    EXPECT_EQ(env->canonicalPath(dir.path(QStringLiteral("link/../link/f"))), real);
    EXPECT_EQ(env->canonicalPath(dir.path(QStringLiteral("gone"))), QString());

    std::unique_ptr<lex::ReadOnlyRegion> region;
    ASSERT_TRUE(env->mapReadOnly(dir.path(QStringLiteral("link/f")), &region));
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(region->data()), qsizetype(region->size())), "hello");
    ASSERT_TRUE(env->mapReadOnly(dir.path(QStringLiteral("empty")), &region));
    EXPECT_EQ(region->size(), 0);
}

} // namespace
