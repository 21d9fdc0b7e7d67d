#pragma once
// Two stand-ins for the other program at the end of the link, header-only (the tests that use
// them link lexplatform):
//  - FakeWindowLink: no sockets; every call is one connection, and `arrived` lists what a running
//    window received ("word TITLE WORD FLAG", "close TITLE", "raise TITLE", "addto TITLE WORD").
//  - LinkServerThread: a real listener on a title's socket in a runtime folder, served on a thread
//    of its own, so that a test's thread may block in a send as a GUI thread does. It counts the
//    connections it accepted and answers every well-formed message as the real window does (a
//    posted close request with nothing).
#include "common/platform/link_protocol.h"
#include "common/platform/runtime_dir.h"
#include "common/platform/window_link.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QMutex>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

namespace lextest {

struct FakeWindowLink : lex::WindowLink {
    bool present = false;   // a window publishes every title
    int connections = 0;
    QStringList arrived;
    lex::LinkAddReply addReply{lex::LinkDelivery::Answered, lex::LinkAddOutcome::Added};

    bool find(const QString&) override { return ++connections, present; }
    bool raise(const QString& t) override { return record(QStringLiteral("raise ") + t); }
    bool requestClose(const QString& t) override { return record(QStringLiteral("close ") + t); }
    lex::LinkDelivery deliverWord(const QString& t, const QString& w, uint32_t flag, QDeadlineTimer) override
    {
        return record(QStringLiteral("word %1 %2 %3").arg(t, w).arg(flag)) ? lex::LinkDelivery::Answered
                                                                            : lex::LinkDelivery::NoWindow;
    }
    lex::LinkAddReply sendAddTo(const QString& t, const QString& w) override
    {
        return record(QStringLiteral("addto %1 %2").arg(t, w)) ? addReply : lex::LinkAddReply{};
    }

private:
    bool record(const QString& what)
    {
        ++connections;
        if (present)
            arrived << what;
        return present;
    }
};

class LinkServerThread {
public:
    // Listens at once; `published()` says whether the title could be taken. `beforeReply` runs on
    // the server's thread with each message before it is answered (a program busy meanwhile).
    using Hook = std::function<void(const lex::LinkMessage&)>;
    LinkServerThread(const QString& runtimeDir, const QString& title, Hook beforeReply = {})
        : beforeReply_(std::move(beforeReply))
    {
        std::atomic<int> up{-1};
        thread_ = std::thread([this, runtimeDir, title, &up] {
            QLocalServer server;
            const QString path = lex::linkSocketPath(runtimeDir, title);
            QLocalServer::removeServer(path);
            up = lex::ensureRuntimeDir(runtimeDir) && server.listen(path) ? 1 : 0;
            while (!stop_) {
                if (server.waitForNewConnection(20))
                    while (QLocalSocket* s = server.nextPendingConnection()) {
                        ++connections_;
                        serve(s);
                        delete s;
                    }
            }
        });
        while (up == -1)
            std::this_thread::yield();
        published_ = up == 1;
    }
    ~LinkServerThread()
    {
        stop_ = true;
        thread_.join();
    }
    LinkServerThread(const LinkServerThread&) = delete;
    LinkServerThread& operator=(const LinkServerThread&) = delete;

    bool published() const { return published_; }
    int connections() const { return connections_; }
    QList<lex::LinkMessage> messages() const
    {
        QMutexLocker lock(&mutex_);
        return messages_;
    }
    // Waits at most `ms` until `n` messages have arrived (a posted one may still be on its way
    // when its send returns); false when they did not.
    bool waitForMessages(qsizetype n, int ms = 5000) const
    {
        for (int waited = 0; messages().size() < n; waited += 5) {
            if (waited >= ms)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

private:
    void serve(QLocalSocket* s)
    {
        QByteArray in;
        lex::LinkMessage m;
        qsizetype used = 0;
        lex::LinkDecode d = lex::LinkDecode::NeedMore;
        while (d == lex::LinkDecode::NeedMore && s->state() == QLocalSocket::ConnectedState) {
            if (s->bytesAvailable() == 0 && !s->waitForReadyRead(2000))
                break;
            in += s->readAll();
            d = lex::decodeLinkMessage(in, &m, &used);
        }
        if (d != lex::LinkDecode::Ok)
            return;
        {
            QMutexLocker lock(&mutex_);
            messages_ << m;
        }
        if (beforeReply_)
            beforeReply_(m);
        if (m.kind == lex::LinkKind::Close)
            return;
        s->write(m.kind == lex::LinkKind::AddTo ? lex::encodeLinkAddReply(lex::LinkAddOutcome::Added)
                                                 : lex::encodeLinkAck(m.kind));
        s->waitForBytesWritten(2000);
        s->disconnectFromServer();
    }

    Hook beforeReply_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    bool published_ = false;
    mutable QMutex mutex_;
    QList<lex::LinkMessage> messages_;
};

} // namespace lextest
