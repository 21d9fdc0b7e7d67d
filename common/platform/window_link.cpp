#include "common/platform/window_link.h"

#include "common/platform/runtime_dir.h"
#include "common/platform/shared_names.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>

#include <cerrno>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>

namespace lex {

namespace {

constexpr int kServeTimeoutMs = 5000;   // a peer that stalls mid-message is dropped

} // namespace

QString linkSocketPath(const QString& runtimeDir, const QString& title)
{
    return runtimeDir + QLatin1Char('/') + runtimeFileName(names::kWindowFilePrefix, title, names::kSocketSuffix);
}

bool peerIsSameUser(qintptr socketDescriptor)
{
    struct ucred cred {};
    socklen_t len = sizeof cred;
    if (::getsockopt(int(socketDescriptor), SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0 || len != sizeof cred)
        return false;
    return cred.uid == ::geteuid();
}

// ---- client ----

LocalWindowLink::LocalWindowLink(QString runtimeDir, int timeoutMs) : dir_(std::move(runtimeDir)), timeoutMs_(timeoutMs) {}

bool LocalWindowLink::find(const QString& title)
{
    if (!ensureRuntimeDir(dir_))
        return false;
    QLocalSocket socket;
    socket.connectToServer(linkSocketPath(dir_, title));
    if (!socket.waitForConnected(timeoutMs_))
        return false;
    const bool ours = peerIsSameUser(socket.socketDescriptor());
    socket.abort();
    return ours;
}

bool LocalWindowLink::raise(const QString& title) { return send(title, LinkMessage{LinkKind::Raise, 0, {}}); }

bool LocalWindowLink::requestClose(const QString& title) { return send(title, LinkMessage{LinkKind::Close, 0, {}}); }

LinkDelivery LocalWindowLink::deliverWord(const QString& title, const QString& word, uint32_t raiseFlag,
                                          QDeadlineTimer deadline)
{
    const LinkMessage message{LinkKind::Word, raiseFlag, word};
    const QByteArray frame = encodeLinkMessage(message);
    if (frame.isEmpty())
        return LinkDelivery::NoAnswer;   // nothing that could be sent; starting the receiver would not help
    QByteArray reply;
    const LinkDelivery d = exchange(title, frame, 2, &reply, deadline);
    if (d == LinkDelivery::Answered && !isLinkAck(reply, message.kind))
        return LinkDelivery::NoAnswer;
    return d;
}

bool LocalWindowLink::send(const QString& title, const LinkMessage& message)
{
    const QByteArray frame = encodeLinkMessage(message);
    if (frame.isEmpty())
        return false;
    // The close request is posted: the window answers nothing, the sender does not wait for it.
    const bool posted = message.kind == LinkKind::Close;
    QByteArray reply;
    return exchange(title, frame, posted ? 0 : 2, &reply) == LinkDelivery::Answered
           && (posted || isLinkAck(reply, message.kind));
}

LinkAddReply LocalWindowLink::sendAddTo(const QString& title, const QString& word)
{
    LinkAddReply r;
    const QByteArray frame = encodeLinkMessage(LinkMessage{LinkKind::AddTo, 0, word});
    if (frame.isEmpty()) {
        // Nothing that could be sent: as if the window had refused it.
        r.delivery = LinkAddReply::Delivery::Answered;
        return r;
    }
    QByteArray reply;
    r.delivery = exchange(title, frame, kLinkAddReplySize, &reply);
    if (r.delivery == LinkAddReply::Delivery::Answered && !decodeLinkAddReply(reply, &r.outcome))
        r.delivery = LinkAddReply::Delivery::NoAnswer;
    return r;
}

LinkDelivery LocalWindowLink::exchange(const QString& title, const QByteArray& frame, qsizetype replySize,
                                       QByteArray* reply, QDeadlineTimer callerDeadline)
{
    using D = LinkDelivery;
    if (!ensureRuntimeDir(dir_))
        return D::NoWindow;
    QDeadlineTimer deadline(timeoutMs_);
    if (callerDeadline < deadline)
        deadline = callerDeadline;
    QLocalSocket socket;
    socket.connectToServer(linkSocketPath(dir_, title));
    if (!socket.waitForConnected(int(deadline.remainingTime())))
        return D::NoWindow;
    if (!peerIsSameUser(socket.socketDescriptor())) {
        socket.abort();
        return D::NoWindow;
    }
    socket.write(frame);
    while (socket.bytesToWrite() > 0) {
        if (deadline.hasExpired() || !socket.waitForBytesWritten(int(deadline.remainingTime())))
            return D::NoAnswer;
    }
    reply->clear();
    while (reply->size() < replySize) {
        if (socket.bytesAvailable() == 0
            && (deadline.hasExpired() || !socket.waitForReadyRead(int(deadline.remainingTime()))))
            return D::NoAnswer;
        *reply += socket.read(replySize - reply->size());
    }
    socket.disconnectFromServer();
    return D::Answered;
}

// ---- server ----

LinkServer::LinkServer(QString runtimeDir, LinkHandlers handlers)
    : dir_(std::move(runtimeDir)), handlers_(std::move(handlers))
{
}

LinkServer::~LinkServer()
{
    if (server_)
        server_->close();   // removes the socket file
    server_.reset();
    if (lockFd_ >= 0)
        ::close(lockFd_);
}

bool LinkServer::publish(const QString& title)
{
    if (server_ || !ensureRuntimeDir(dir_))
        return false;
    const QString path = linkSocketPath(dir_, title);
    // Whoever holds this lock owns the socket path; anything found there without it is stale.
    const int fd = openRuntimeFile(dir_ + QLatin1Char('/') + runtimeFileName(names::kWindowFilePrefix, title, names::kLockSuffix), true);
    if (fd < 0)
        return false;
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        ::close(fd);
        return false;
    }
    QLocalServer::removeServer(path);
    auto server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(path)) {
        ::close(fd);
        return false;
    }
    lockFd_ = fd;
    socketPath_ = path;
    server_ = std::move(server);
    QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this] { accept(); });
    return true;
}

void LinkServer::accept()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (!peerIsSameUser(socket->socketDescriptor())) {
            socket->abort();
            continue;
        }
        serve(socket);
    }
}

void LinkServer::serve(QLocalSocket* socket)
{
    auto buffer = std::make_shared<QByteArray>();
    auto done = std::make_shared<bool>(false);
    QTimer::singleShot(kServeTimeoutMs, socket, [socket, done] {
        if (!*done)
            socket->abort();
    });
    QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket, buffer, done] {
        if (*done) {
            socket->readAll();
            return;
        }
        buffer->append(socket->readAll());
        LinkMessage message;
        qsizetype used = 0;
        switch (decodeLinkMessage(*buffer, &message, &used)) {
        case LinkDecode::NeedMore:
            return;
        case LinkDecode::Malformed:
            *done = true;
            socket->abort();
            return;
        case LinkDecode::Ok:
            break;
        }
        *done = true;
        buffer->clear();
        // A handler may run a nested event loop (a message box): keep the socket alive meanwhile
        // and answer only if the peer still waits.
        QPointer<QLocalSocket> guard(socket);
        LinkAddOutcome added = LinkAddOutcome::Refused;
        switch (message.kind) {
        case LinkKind::Raise:
            if (handlers_.raise) handlers_.raise();
            break;
        case LinkKind::Close:
            if (handlers_.close) handlers_.close();
            break;
        case LinkKind::Word:
            if (handlers_.word) handlers_.word(message.word, message.raiseFlag);
            break;
        case LinkKind::AddTo:
            added = handlers_.addTo ? handlers_.addTo(message.word) : LinkAddOutcome::Refused;
            break;
        }
        if (!guard || guard->state() != QLocalSocket::ConnectedState)
            return;
        if (message.kind != LinkKind::Close) {   // posted: its sender is gone already
            guard->write(message.kind == LinkKind::AddTo ? encodeLinkAddReply(added) : encodeLinkAck(message.kind));
            guard->flush();
        }
        guard->disconnectFromServer();
    });
    if (socket->bytesAvailable() > 0)
        QMetaObject::invokeMethod(socket, [socket] { Q_EMIT socket->readyRead(); }, Qt::QueuedConnection);
}

} // namespace lex
