// The real services across two processes: the other one is platform_helper.
#include "common/platform/instance_lock.h"
#include "common/platform/named_event.h"
#include "common/platform/window_link.h"
#include "temp_dir.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QtEndian>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>

using namespace lex;

namespace {

class Helper {
public:
    explicit Helper(const QStringList& args, std::function<void()> childSetUp = {})
    {
        if (childSetUp)
            p_.setChildProcessModifier(childSetUp);
        p_.setProgram(QStringLiteral(PLATFORM_HELPER));
        p_.setArguments(args);
        p_.start();
    }
    ~Helper()
    {
        if (p_.state() != QProcess::NotRunning) {
            p_.kill();
            p_.waitForFinished(5000);
        }
    }
    // The next line of output, or empty after `ms`.
    QByteArray line(int ms = 5000)
    {
        QElapsedTimer t;
        t.start();
        while (!p_.canReadLine()) {
            if (t.elapsed() > ms || !p_.waitForReadyRead(int(ms - t.elapsed())))
                return p_.canReadLine() ? p_.readLine().trimmed() : QByteArray();
        }
        return p_.readLine().trimmed();
    }
    void killHard()   // SIGKILL: no destructor, no clean-up
    {
        p_.kill();
        p_.waitForFinished(5000);
    }
    void signal(int sig) { ::kill(pid_t(p_.processId()), sig); }
    bool running() const { return p_.state() != QProcess::NotRunning; }
    QByteArray errors() { return p_.readAllStandardError(); }
    int finish(int ms = 5000)
    {
        if (!p_.waitForFinished(ms))
            return -1;
        return p_.exitStatus() == QProcess::NormalExit ? p_.exitCode() : -2;
    }

private:
    QProcess p_;
};

QByteArray digest(const QString& word)
{
    const QByteArray units(reinterpret_cast<const char*>(word.utf16()), word.size() * 2);
    return QCryptographicHash::hash(units, QCryptographicHash::Sha1).toHex();
}

int runHelper(const QStringList& args)
{
    Helper h(args);
    return h.finish();
}

class PlatformProcess : public ::testing::Test {
protected:
    lextest::TempDir tmp;
    QString dir = tmp.path(QStringLiteral("run"));
};

} // namespace

TEST_F(PlatformProcess, SecondInstanceIsRefusedAndRaisesTheFirst)
{
    Helper first({QStringLiteral("hold"), dir, QStringLiteral("Glosix.exe"), QStringLiteral("Glosix")});
    ASSERT_EQ(first.line(), "ready");
    EXPECT_EQ(runHelper({QStringLiteral("try"), dir, QStringLiteral("Glosix.exe"), QStringLiteral("Glosix")}), 3);
    EXPECT_EQ(first.line(), "raised");
    // Another name is not affected.
    EXPECT_EQ(runHelper({QStringLiteral("try"), dir, QStringLiteral("Lexora.exe"), QStringLiteral("Tessaly")}), 0);
    // Nor is this process refused for a name nobody holds, and it holds it while it lives.
    FileLockInstance mine(dir);
    EXPECT_EQ(mine.claim(QStringLiteral("Lexora.exe")), InstanceClaim::Acquired);
    EXPECT_EQ(runHelper({QStringLiteral("try"), dir, QStringLiteral("Lexora.exe"), QStringLiteral("Tessaly")}), 3);
}

TEST_F(PlatformProcess, KilledHolderLeavesNeitherLockNorSocketInTheWay)
{
    LocalWindowLink link(dir, 2000);
    {
        Helper first({QStringLiteral("hold"), dir, QStringLiteral("Glosix.exe"), QStringLiteral("Glosix")});
        ASSERT_EQ(first.line(), "ready");
        EXPECT_TRUE(link.find(QStringLiteral("Glosix")));
        first.killHard();
    }
    EXPECT_FALSE(link.find(QStringLiteral("Glosix")));   // its socket file is left, but dead
    Helper next({QStringLiteral("hold"), dir, QStringLiteral("Glosix.exe"), QStringLiteral("Glosix")});
    ASSERT_EQ(next.line(), "ready");
    EXPECT_TRUE(link.raise(QStringLiteral("Glosix")));
    EXPECT_EQ(next.line(), "raised");
}

TEST_F(PlatformProcess, WordsArriveWithExactlyTheirCodeUnits)
{
    Helper companion({QStringLiteral("hold"), dir, QStringLiteral("Glosix.exe"), QStringLiteral("Glosix")});
    ASSERT_EQ(companion.line(), "ready");
    LocalWindowLink link(dir);
    const QString words[] = {QStringLiteral("apple"), QStringLiteral("苹果派"), QString::fromUtf16(u"\U0001F34Ea"),
                             QString(32768, QChar(0x4E2D))};
    for (const QString& w : words) {
        ASSERT_TRUE(link.sendWord(QStringLiteral("Glosix"), w, 1));
        EXPECT_EQ(companion.line(), "word 1 " + QByteArray::number(w.size()) + ' ' + digest(w));
    }
    EXPECT_FALSE(link.sendWord(QStringLiteral("Glosix"), QString(32769, QLatin1Char('a')), 0));
    ASSERT_TRUE(link.sendWord(QStringLiteral("Glosix"), QStringLiteral("x"), 0));
    EXPECT_EQ(companion.line(), "word 0 1 " + digest(QStringLiteral("x")));
}

TEST_F(PlatformProcess, CloseRequestEndsTheCompanion)
{
    Helper companion({QStringLiteral("hold"), dir, QStringLiteral("Glosix.exe"), QStringLiteral("Glosix")});
    ASSERT_EQ(companion.line(), "ready");
    LocalWindowLink link(dir);
    EXPECT_TRUE(link.requestClose(QStringLiteral("Glosix")));
    EXPECT_EQ(companion.line(), "closed");
    EXPECT_EQ(companion.finish(), 0);
    EXPECT_FALSE(link.find(QStringLiteral("Glosix")));
    EXPECT_FALSE(link.sendWord(QStringLiteral("Glosix"), QStringLiteral("gone"), 0));
}

TEST_F(PlatformProcess, MalformedPeersAreDroppedWithoutHarm)
{
    Helper companion({QStringLiteral("hold"), dir, QStringLiteral("Glosix.exe"), QStringLiteral("Glosix")});
    ASSERT_EQ(companion.line(), "ready");
    const QString path = linkSocketPath(dir, QStringLiteral("Glosix"));
    auto expectDropped = [&](const QByteArray& bytes) {
        QLocalSocket s;
        s.connectToServer(path);
        ASSERT_TRUE(s.waitForConnected(2000));
        s.write(bytes);
        s.waitForBytesWritten(2000);
        // The receiver hangs up without an acknowledgement.
        QByteArray reply;
        while (s.state() == QLocalSocket::ConnectedState && s.waitForReadyRead(3000))
            reply += s.readAll();
        reply += s.readAll();
        EXPECT_TRUE(reply.isEmpty()) << bytes.toHex().constData();
        EXPECT_NE(s.state(), QLocalSocket::ConnectedState);
    };
    char huge[4];
    qToLittleEndian<quint32>(0xFFFFFFF0u, huge);
    expectDropped(QByteArray(huge, 4) + "xxxx");
    expectDropped(QByteArray::fromHex("0100000007"));                       // unknown kind
    expectDropped(QByteArray::fromHex("0d00000003000000000100000041424344"));  // count disagrees
    {   // half a message, then gone
        QLocalSocket s;
        s.connectToServer(path);
        ASSERT_TRUE(s.waitForConnected(2000));
        s.write(QByteArray::fromHex("0f00000003"));
        s.waitForBytesWritten(2000);
        s.abort();
    }
    LocalWindowLink link(dir);
    ASSERT_TRUE(link.sendWord(QStringLiteral("Glosix"), QStringLiteral("ok"), 1));
    EXPECT_EQ(companion.line(), "word 1 2 " + digest(QStringLiteral("ok")));
}

TEST_F(PlatformProcess, EventsAreSharedAndDieWithTheirCreator)
{
    FileNamedEvents events(dir);
    EXPECT_EQ(events.open(QStringLiteral("GlosixReady")), nullptr);
    EXPECT_EQ(runHelper({QStringLiteral("set"), dir, QStringLiteral("GlosixReady")}), 4);   // none exists

    EventCreate r;
    auto ready = events.create(QStringLiteral("GlosixReady"), &r);
    ASSERT_TRUE(ready);
    EXPECT_EQ(r, EventCreate::Created);
    EXPECT_EQ(events.create(QStringLiteral("GlosixReady"), &r), nullptr);
    EXPECT_EQ(r, EventCreate::AlreadyExists);
    QElapsedTimer t;
    t.start();
    EXPECT_FALSE(ready->wait(150));
    EXPECT_GE(t.elapsed(), 140);
    EXPECT_EQ(runHelper({QStringLiteral("set"), dir, QStringLiteral("GlosixReady")}), 0);
    EXPECT_TRUE(ready->wait(2000));
    ready.reset();
    // Closed by its only holder: gone, and a new one starts unsignalled.
    EXPECT_EQ(events.open(QStringLiteral("GlosixReady")), nullptr);
    ready = events.create(QStringLiteral("GlosixReady"), &r);
    ASSERT_TRUE(ready);
    EXPECT_FALSE(ready->wait(0));

    {
        Helper creator({QStringLiteral("create"), dir, QStringLiteral("WaitPlayed")});
        ASSERT_EQ(creator.line(), "created");
        EXPECT_EQ(events.create(QStringLiteral("WaitPlayed"), &r), nullptr);
        EXPECT_EQ(r, EventCreate::AlreadyExists);
        auto opened = events.open(QStringLiteral("WaitPlayed"));
        ASSERT_TRUE(opened);
        EXPECT_TRUE(opened->set());
        opened.reset();
        creator.killHard();
    }
    EXPECT_EQ(events.open(QStringLiteral("WaitPlayed")), nullptr);
    auto again = events.create(QStringLiteral("WaitPlayed"), &r);
    ASSERT_TRUE(again);
    EXPECT_FALSE(again->wait(0));   // the dead creator's signalled state is not inherited
}

// The shutdown signals end through the program's own path, once, and never in the middle of it.
TEST_F(PlatformProcess, ShutdownSignalsSaveOnceAndAreNotInterrupted)
{
    for (const int sig : {SIGTERM, SIGHUP}) {
        const QString file = tmp.path(QStringLiteral("saved-%1").arg(sig));
        Helper program({QStringLiteral("shutdown"), dir, file});
        ASSERT_EQ(program.line(), "ready");   // and a second installation was refused
        program.signal(sig);
        EXPECT_EQ(program.line(), QByteArray("saving ") + (sig == SIGTERM ? "SIGTERM" : "SIGHUP"));
        // More of them during the save: a session manager's repeat, an impatient user.
        program.signal(SIGTERM);
        program.signal(SIGTERM);
        program.signal(SIGHUP);
        EXPECT_EQ(program.line(), "saved");
        EXPECT_EQ(program.finish(), 0);
        EXPECT_EQ(program.line(200), QByteArray());   // the save ran once
        EXPECT_EQ(tmp.read(QFileInfo(file).fileName()).count('\n'), 10);
        EXPECT_TRUE(program.errors().contains("received again"));
    }
}

TEST_F(PlatformProcess, ShutdownSignalsRespectIgnoredOnesAndGoWithTheirReceiver)
{
    {   // Started with SIGHUP ignored (nohup): it stays ignored, SIGTERM still saves.
        Helper program({QStringLiteral("shutdown"), dir, tmp.path(QStringLiteral("nohup"))},
                       [] { ::signal(SIGHUP, SIG_IGN); });
        ASSERT_EQ(program.line(), "ready");
        program.signal(SIGHUP);
        EXPECT_EQ(program.line(500), QByteArray());
        EXPECT_TRUE(program.running());
        program.signal(SIGTERM);
        EXPECT_EQ(program.line(), "saving SIGTERM");
        EXPECT_EQ(program.line(), "saved");
        EXPECT_EQ(program.finish(), 0);
    }
    {   // Once the receiver is gone a SIGTERM ends the process as if nothing had been installed.
        Helper program({QStringLiteral("release"), dir, QStringLiteral("-")});
        ASSERT_EQ(program.line(), "released");
        program.signal(SIGTERM);
        EXPECT_EQ(program.finish(), -2);   // killed by the signal, the callback never ran
        EXPECT_EQ(program.line(100), QByteArray());
    }
}
