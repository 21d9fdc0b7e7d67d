// A real sync tool between two machines on this one: two Syncthing instances, each with its own
// home, talking only over 127.0.0.1 (no discovery, no relays, no NAT), carry the synced folder
// between two Book folders whose sessions merge through it. Started and stopped by the test, every
// wait bounded; skipped where Syncthing is not installed.
#include "temp_dir.h"

#include "lexora/book/book_session.h"
#include "lexora/book/operations/entry_ops.h"
#include "lexora/record/book_record.h"
#include "lexora/sync/book_sync.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QThread>
#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace lex;

int freePort()
{
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    return s.serverPort();
}

struct Instance {
    QString home, folder, id;
    int port = 0;
    std::unique_ptr<QProcess> process;

    ~Instance()
    {
        if (process && process->state() != QProcess::NotRunning) {
            process->terminate();
            if (!process->waitForFinished(5000)) {
                process->kill();
                process->waitForFinished(5000);
            }
        }
    }
};

QProcessEnvironment toolEnvironment(const QString& home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("STNOUPGRADE"), QStringLiteral("1"));
    env.insert(QStringLiteral("STNODEFAULTFOLDER"), QStringLiteral("1"));
    env.insert(QStringLiteral("all_proxy"), QString());
    return env;
}

QString configFor(const Instance& self, const Instance& other)
{
    const QString device = QStringLiteral(
        "  <device id=\"%1\" name=\"%2\" compression=\"metadata\" introducer=\"false\">\n"
        "    <address>tcp://127.0.0.1:%3</address>\n  </device>\n");
    return QStringLiteral("<configuration version=\"36\">\n"
                          "  <folder id=\"lexora\" label=\"lexora\" path=\"%1\" type=\"sendreceive\" rescanIntervalS=\"2\""
                          " fsWatcherEnabled=\"true\" fsWatcherDelayS=\"1\">\n"
                          "    <filesystemType>basic</filesystemType>\n"
                          "    <device id=\"%2\"></device>\n    <device id=\"%3\"></device>\n  </folder>\n")
               .arg(self.folder, self.id, other.id)
           + device.arg(self.id, QStringLiteral("self")).arg(self.port)
           + device.arg(other.id, QStringLiteral("other")).arg(other.port)
           + QStringLiteral("  <gui enabled=\"false\"></gui>\n  <options>\n"
                            "    <listenAddress>tcp://127.0.0.1:%1</listenAddress>\n"
                            "    <globalAnnounceEnabled>false</globalAnnounceEnabled>\n"
                            "    <localAnnounceEnabled>false</localAnnounceEnabled>\n"
                            "    <relaysEnabled>false</relaysEnabled>\n    <natEnabled>false</natEnabled>\n"
                            "    <urAccepted>-1</urAccepted>\n    <autoUpgradeIntervalH>0</autoUpgradeIntervalH>\n"
                            "    <crashReportingEnabled>false</crashReportingEnabled>\n"
                            "    <startBrowser>false</startBrowser>\n  </options>\n</configuration>\n")
                 .arg(self.port);
}

struct Side {
    QString bookFolder, folder, name;
    BookSession session;
    BookRecord record{[](const RecordFault&) {}};
    sync::SyncJournal journal;

    Side(QString book, QString f, QString n) : bookFolder(std::move(book)), folder(std::move(f)), name(std::move(n))
    {
        QDir().mkpath(bookFolder);
        record.follow(session);
        session.addListener(&journal);
        session.open(bookFolder, QStringLiteral("English"));
    }
    sync::SyncReport sync()
    {
        sync::SyncOptions o{folder, name, QDateTime::currentMSecsSinceEpoch(), 16};
        return sync::syncBook(session, &record.record(), &journal, Env::defaultEnv(), o,
                              [&] { return session.save(SaveQuestions{}).ok(); });
    }
    void add(const QString& word)
    {
        auto e = std::make_unique<WordEntry>();
        e->setWord(word);
        session.run(std::make_unique<AddOp>(std::move(e)));
    }
    bool has(const QString& word) const
    {
        for (const WordEntry* e : session.book().full())
            if (e->word() == word)
                return true;
        return false;
    }
};

// Merges `side` until it holds `word`, for at most `ms`.
bool arrives(Side& side, const QString& word, int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        side.sync();
        if (side.has(word))
            return true;
        QThread::msleep(500);
    }
    return false;
}

TEST(Syncthing, TwoInstancesCarryTheJournalBetweenTwoMachines)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("syncthing"));
    if (program.isEmpty())
        GTEST_SKIP() << "syncthing is not installed";
    lextest::TempDir dir;
    Instance a, b;
    for (auto [inst, n] : {std::pair{&a, "a"}, std::pair{&b, "b"}}) {
        inst->home = dir.path(QStringLiteral("%1/home").arg(QLatin1String(n)));
        inst->folder = dir.path(QStringLiteral("%1/Sync").arg(QLatin1String(n)));
        QDir().mkpath(inst->folder + QStringLiteral("/.stfolder"));
        QProcess gen;
        gen.setProcessEnvironment(toolEnvironment(dir.path()));
        gen.start(program, {QStringLiteral("generate"), QStringLiteral("--home=") + inst->home,
                            QStringLiteral("--no-default-folder"), QStringLiteral("--skip-port-probing")});
        ASSERT_TRUE(gen.waitForFinished(60000));
        QFile config(inst->home + QStringLiteral("/config.xml"));
        ASSERT_TRUE(config.open(QIODevice::ReadOnly));
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("<device id=\"([A-Z0-9-]+)\"")).match(QString::fromUtf8(config.readAll()));
        ASSERT_TRUE(m.hasMatch());
        inst->id = m.captured(1);
        inst->port = freePort();
    }
    for (auto [self, other] : {std::pair{&a, &b}, std::pair{&b, &a}}) {
        QFile config(self->home + QStringLiteral("/config.xml"));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly | QIODevice::Truncate));
        config.write(configFor(*self, *other).toUtf8());
        config.close();
        self->process = std::make_unique<QProcess>();
        self->process->setProcessEnvironment(toolEnvironment(dir.path()));
        self->process->setProcessChannelMode(QProcess::MergedChannels);
        self->process->setStandardOutputFile(self->home + QStringLiteral("/log.txt"));
        self->process->start(program, {QStringLiteral("serve"), QStringLiteral("--home=") + self->home,
                                       QStringLiteral("--no-browser"), QStringLiteral("--no-restart"),
                                       QStringLiteral("--no-upgrade")});
        ASSERT_TRUE(self->process->waitForStarted(10000));
    }

    Side laptop(dir.path(QStringLiteral("a/Book/")), a.folder + QLatin1Char('/'), QStringLiteral("laptop"));
    Side desk(dir.path(QStringLiteral("b/Book/")), b.folder + QLatin1Char('/'), QStringLiteral("desk"));
    laptop.add(QStringLiteral("apple"));
    ASSERT_TRUE(laptop.sync().status);
    auto logs = [&] {
        std::string text;
        for (const Instance* i : {&a, &b}) {
            QFile f(i->home + QStringLiteral("/log.txt"));
            f.open(QIODevice::ReadOnly);
            text += f.readAll().right(3000).toStdString() + "\n----\n";
        }
        return text;
    };
    ASSERT_TRUE(arrives(desk, QStringLiteral("apple"), 90000)) << "the laptop's word on the desk\n" << logs();
    desk.add(QStringLiteral("pear"));
    ASSERT_TRUE(desk.sync().status);
    EXPECT_TRUE(arrives(laptop, QStringLiteral("pear"), 90000)) << "the desk's word on the laptop";
}

} // namespace
