// The other process of the two-process platform tests. Prints one line per thing that happened,
// so the test can follow it through its standard output.
//   hold RUNDIR NAME TITLE    claim NAME, publish TITLE, report messages until a close request
//   try RUNDIR NAME TITLE     claim NAME; exit 0 when acquired, 3 when another copy runs
//   create RUNDIR EVENT       create EVENT, print the result, then wait to be killed
//   set RUNDIR EVENT          open EVENT and set it; exit 0, or 4 when it does not exist
//   shutdown RUNDIR FILE      on a shutdown signal write FILE slowly ("saving" ... "saved"), exit 0
//   release RUNDIR -          install the shutdown signals on an object, destroy it, then wait
#include "common/platform/instance_lock.h"
#include "common/platform/named_event.h"
#include "common/platform/shutdown_signals.h"
#include "common/platform/window_link.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QThread>
#include <cstdio>
#include <cstdlib>

using namespace lex;

static void say(const QByteArray& line)
{
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() < 4)
        return 2;
    const QString mode = a[1], dir = a[2];
    if (mode == QLatin1String("hold") || mode == QLatin1String("try")) {
        if (a.size() < 5)
            return 2;
        FileLockInstance instance(dir);
        LocalWindowLink link(dir);
        if (!claimOrRaise(instance, link, a[3], a[4])) {
            say("refused");
            return 3;
        }
        if (mode == QLatin1String("try"))
            return 0;
        LinkHandlers h;
        h.raise = [] { say("raised"); };
        h.close = [] { say("closed"); QCoreApplication::quit(); };
        h.word = [](const QString& word, uint32_t flag) {
            // Length and a digest of the code units: a long word must not fill the pipe.
            const QByteArray units(reinterpret_cast<const char*>(word.utf16()), word.size() * 2);
            say("word " + QByteArray::number(flag) + ' ' + QByteArray::number(word.size()) + ' '
                + QCryptographicHash::hash(units, QCryptographicHash::Sha1).toHex());
        };
        LinkServer server(dir, h);
        if (!server.publish(a[4])) {
            say("unpublished");
            return 5;
        }
        say("ready");
        return app.exec();
    }
    if (mode == QLatin1String("shutdown")) {
        const QString file = a[3];
        QObject receiver;
        const bool installed = installShutdownSignals(&receiver, [file] {
            say(QByteArray("saving ") + shutdownSignalName());
            // A save long enough for more signals to arrive in the middle of it.
            QFile f(file);
            if (!f.open(QIODevice::WriteOnly))
                std::exit(6);
            for (int i = 0; i < 10; ++i) {
                f.write("line " + QByteArray::number(i) + '\n');
                f.flush();
                QThread::msleep(60);
            }
            f.close();
            // Signals that came meanwhile are read now: reported, never a second save.
            QCoreApplication::processEvents();
            say("saved");
            QCoreApplication::exit(0);
        });
        QObject other;
        say(installed && !installShutdownSignals(&other, [] {}) ? "ready" : "not installed");
        return app.exec();
    }
    if (mode == QLatin1String("release")) {
        auto* receiver = new QObject;
        installShutdownSignals(receiver, [] { say("called"); });
        delete receiver;
        say("released");
        return app.exec();
    }
    FileNamedEvents events(dir);
    if (mode == QLatin1String("create")) {
        EventCreate r;
        auto e = events.create(a[3], &r);
        say(r == EventCreate::Created ? "created" : r == EventCreate::AlreadyExists ? "exists" : "failed");
        for (;;)
            QThread::sleep(1);
    }
    if (mode == QLatin1String("set")) {
        auto e = events.open(a[3]);
        if (!e)
            return 4;
        return e->set() ? 0 : 1;
    }
    return 2;
}
