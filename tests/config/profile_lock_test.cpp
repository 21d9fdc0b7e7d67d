// Two writers of one Config.INI at once (Lexora and Glosix at their exit): no key is lost, and a
// writer stuck with the lock delays the others only briefly.
#include "common/config/profile.h"
#include "temp_dir.h"
#include "tool_run.h"

#include <QFileInfo>
#include <QProcess>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {

using lex::Profile;

constexpr int kKeysEach = 150;
// A process per write costs more; fewer writes race just as well.
constexpr int kProcessKeysEach = 60;

// Each writer sets its own keys, one read-change-replace each, interleaved with the other's. The
// short pause stands for the work a program does between two writes at its exit.
void writeKeys(const QString& path, const QString& prefix)
{
    Profile p(path);
    for (int i = 0; i < kKeysEach; ++i) {
        ASSERT_TRUE(p.writeInt(QStringLiteral("INIT"), prefix + QString::number(i), i));
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void expectAllKeys(const QString& path, const QStringList& prefixes, int count = kKeysEach)
{
    Profile p(path);
    int missing = 0;
    for (const QString& prefix : prefixes)
        for (int i = 0; i < count; ++i)
            if (p.readInt(QStringLiteral("INIT"), prefix + QString::number(i), -1) != i)
                ++missing;
    EXPECT_EQ(missing, 0);
}

TEST(ConfigLock, TwoThreadsWritingDifferentKeysLoseNone)
{
    lextest::TempDir dir;
    const QString path = dir.path(QStringLiteral("Config.INI"));
    dir.write(QStringLiteral("Config.INI"), "[INIT]\nBookName=English\n");
    std::thread a(writeKeys, path, QStringLiteral("a"));
    std::thread b(writeKeys, path, QStringLiteral("b"));
    a.join();
    b.join();
    expectAllKeys(path, {QStringLiteral("a"), QStringLiteral("b")});
    EXPECT_EQ(Profile(path).readString(QStringLiteral("INIT"), QStringLiteral("BookName")), QStringLiteral("English"));
    EXPECT_EQ(dir.files(), QStringList{QStringLiteral("Config.INI")}) << "no lock or temporary file left";
}

TEST(ConfigLock, TwoProcessesWritingDifferentKeysLoseNone)
{
    ASSERT_TRUE(QFileInfo(lextest::lexbookPath()).isExecutable()) << lextest::lexbookPath().toStdString();
    lextest::TempDir dir;
    const QString path = dir.path(QStringLiteral("Config.INI"));
    // Each process runs a loop of lexbook calls, each call one write: two real processes racing.
    auto start = [&](const QString& prefix) {
        auto* p = new QProcess;
        const QString script = QStringLiteral("i=0; while [ $i -lt %1 ]; do \"$0\" config \"$1\" set INIT %2$i $i || exit 1; "
                                              "i=$((i+1)); done")
                                   .arg(kProcessKeysEach)
                                   .arg(prefix);
        p->start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script, lextest::lexbookPath(), path});
        return p;
    };
    QProcess* a = start(QStringLiteral("p"));
    QProcess* b = start(QStringLiteral("q"));
    for (QProcess* p : {a, b}) {
        ASSERT_TRUE(p->waitForFinished(120000));
        EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
        delete p;
    }
    expectAllKeys(path, {QStringLiteral("p"), QStringLiteral("q")}, kProcessKeysEach);
}

// A holder that never lets go (a stopped process) makes a write fail after two seconds, leaving
// the file as it was; while it stays stuck the writes after it give up after a short wait.
TEST(ConfigLock, StuckHolderMakesWritesFailSoon)
{
    lextest::TempDir dir;
    const QString path = dir.path(QStringLiteral("Config.INI"));
    dir.write(QStringLiteral("Config.INI"), "[INIT]\nBookName=English\n");
    std::unique_ptr<lex::FileLock> held;
    ASSERT_TRUE(lex::Env::defaultEnv()->lockExclusive(lex::parentDir(path), 0, &held));
    Profile p(path);
    using Clock = std::chrono::steady_clock;
    const auto t0 = Clock::now();
    EXPECT_FALSE(p.writeInt(QStringLiteral("INIT"), QStringLiteral("first"), 1));
    const auto t1 = Clock::now();
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(p.writeInt(QStringLiteral("INIT"), QStringLiteral("k%1").arg(i), i));
    const auto t2 = Clock::now();
    EXPECT_GE(t1 - t0, std::chrono::milliseconds(1900)) << "the first write waited for the holder";
    EXPECT_LT(t1 - t0, std::chrono::seconds(10));
    EXPECT_LT(t2 - t1, std::chrono::seconds(3)) << "five more writes must not wait two seconds each";
    EXPECT_EQ(dir.read(QStringLiteral("Config.INI")), QByteArray("[INIT]\nBookName=English\n"));
    // Reading needs no lock.
    EXPECT_EQ(p.readString(QStringLiteral("INIT"), QStringLiteral("BookName")), QStringLiteral("English"));

    // Once the holder lets go, writes take the lock again and release it.
    held.reset();
    ASSERT_TRUE(p.writeInt(QStringLiteral("INIT"), QStringLiteral("after"), 1));
    std::unique_ptr<lex::FileLock> again;
    EXPECT_TRUE(lex::Env::defaultEnv()->lockExclusive(lex::parentDir(path), 0, &again)) << "released after the write";
    again.reset();
    const auto t3 = Clock::now();
    ASSERT_TRUE(p.writeInt(QStringLiteral("INIT"), QStringLiteral("later"), 2));
    EXPECT_EQ(p.readInt(QStringLiteral("INIT"), QStringLiteral("later"), -1), 2);
    EXPECT_LT(Clock::now() - t3, std::chrono::seconds(1));
}

} // namespace

// The first start's Config.INI is written under the writers' lock: while another program holds
// it the seed waits, and a key that program wrote meanwhile is kept, not replaced by the seed.
TEST(ConfigLock, FirstStartSeedWaitsForTheHolderAndKeepsWhatItWrote)
{
    const QByteArray seed = "[INIT]\nBookName=English\n";
    for (const bool holderWrites : {false, true}) {
        SCOPED_TRACE(holderWrites ? "holder writes a key" : "holder writes nothing");
        lextest::TempDir dir;
        const QString path = dir.path(QStringLiteral("Config.INI"));
        std::atomic<bool> locked{false}, existedWhileHeld{true};
        std::thread holder([&] {
            Profile p(path);
            ASSERT_TRUE(p.lockWriters(0));
            locked = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            existedWhileHeld = QFileInfo::exists(path);
            if (holderWrites)   // while it holds the lock, its own writes do not wait for it
                EXPECT_TRUE(p.writeString(QStringLiteral("INIT"), QStringLiteral("GlosixDlgSize"), QStringLiteral("x")));
            p.unlockWriters();
        });
        while (!locked)
            std::this_thread::yield();
        EXPECT_TRUE(Profile(path).seed(seed));
        holder.join();
        EXPECT_FALSE(existedWhileHeld) << "the seed did not wait for the lock";
        const Profile p(path);
        EXPECT_EQ(p.contains(QStringLiteral("INIT"), QStringLiteral("GlosixDlgSize")), holderWrites);
        EXPECT_EQ(p.contains(QStringLiteral("INIT"), QStringLiteral("BookName")), !holderWrites);
    }
}
