#pragma once
// Finding the other program's window by its title ("Tessaly", "Glosix") and talking to it.
// Each program publishes its title on a local socket in the runtime folder; "find" is a connect,
// and bringing to the front, the close request, the word and the word to add are messages on it.
// Every message is one connection. A send returns once the receiver has handled the message, or
// after its time-out, which bounds the whole exchange (connect, write and reply together); the
// close request alone is posted and returns once written. A title nobody publishes costs one
// failed connect, which returns at once.

#include "common/platform/link_protocol.h"

#include <QDeadlineTimer>
#include <QString>
#include <functional>
#include <memory>

class QLocalServer;
class QLocalSocket;

namespace lex {

// What became of one message.
enum class LinkDelivery {
    NoWindow,   // nobody publishes the title: the program is not running
    NoAnswer,   // connected, but no valid reply in time (busy, ending, or a stranger)
    Answered,
};

// What became of a word sent to be added.
struct LinkAddReply {
    using Delivery = LinkDelivery;
    Delivery delivery = Delivery::NoWindow;
    LinkAddOutcome outcome = LinkAddOutcome::Refused;   // when answered
};

class WindowLink {
public:
    virtual ~WindowLink() = default;
    virtual bool find(const QString& title) = 0;
    virtual bool raise(const QString& title) = 0;
    // Posts the close request: true once it is written, without waiting for the window to close
    // (a window busy or hung holds nobody up). False when nobody publishes the title.
    virtual bool requestClose(const QString& title) = 0;
    // The word's UTF-16 code units, exactly, on one connection; the receiver raises its window
    // unless raiseFlag is 1. Waits no longer than `deadline` (nor the link's own time-out).
    virtual LinkDelivery deliverWord(const QString& title, const QString& word, uint32_t raiseFlag,
                                     QDeadlineTimer deadline) = 0;
    // The same within the link's own time-out; false when it was not delivered and handled.
    bool sendWord(const QString& title, const QString& word, uint32_t raiseFlag)
    {
        return deliverWord(title, word, raiseFlag, QDeadlineTimer(QDeadlineTimer::Forever))
               == LinkDelivery::Answered;
    }
    // Asks the window to add `word` to its open Book and waits for the outcome. This default
    // finds no window.
    virtual LinkAddReply sendAddTo(const QString& title, const QString& word)
    {
        (void)title, (void)word;
        return {};
    }
};

// The client side over the runtime folder's sockets.
class LocalWindowLink final : public WindowLink {
public:
    explicit LocalWindowLink(QString runtimeDir, int timeoutMs = 3000);
    bool find(const QString& title) override;
    bool raise(const QString& title) override;
    bool requestClose(const QString& title) override;
    LinkDelivery deliverWord(const QString& title, const QString& word, uint32_t raiseFlag,
                             QDeadlineTimer deadline) override;
    LinkAddReply sendAddTo(const QString& title, const QString& word) override;

    // Sends one message and waits for its acknowledgement; a close request is only posted.
    bool send(const QString& title, const LinkMessage& message);

private:
    // Sends `frame` on one connection and reads a reply of `replySize` bytes into *reply, all
    // within the earlier of `deadline` and the link's time-out. With `replySize` 0 it returns
    // Answered once the frame is written.
    LinkDelivery exchange(const QString& title, const QByteArray& frame, qsizetype replySize, QByteArray* reply,
                          QDeadlineTimer deadline = QDeadlineTimer(QDeadlineTimer::Forever));

    QString dir_;
    int timeoutMs_;
};

// What a published window does with the messages it receives, on the thread that owns the server.
struct LinkHandlers {
    std::function<void()> raise;
    std::function<void()> close;
    // The word message; raiseFlag 0 asks the receiver to bring its window to the top as well.
    std::function<void(const QString& word, uint32_t raiseFlag)> word;
    // Adds the word to the open Book; without a handler the word is refused.
    std::function<LinkAddOutcome(const QString& word)> addTo;
};

// The receiving side: publishes `title` while it lives. Needs the owning thread's event loop.
class LinkServer {
public:
    LinkServer(QString runtimeDir, LinkHandlers handlers);
    ~LinkServer();
    LinkServer(const LinkServer&) = delete;
    LinkServer& operator=(const LinkServer&) = delete;

    // False when another live process already publishes the title, or the folder is unusable.
    // A socket left behind by a crashed publisher is replaced.
    bool publish(const QString& title);
    QString socketPath() const { return socketPath_; }

private:
    void accept();
    void serve(QLocalSocket* socket);

    QString dir_;
    LinkHandlers handlers_;
    QString socketPath_;
    int lockFd_ = -1;
    std::unique_ptr<QLocalServer> server_;
};

// The socket path of a title in the runtime folder.
QString linkSocketPath(const QString& runtimeDir, const QString& title);

// True when the process at the other end of a connected local socket runs as this user.
bool peerIsSameUser(qintptr socketDescriptor);

} // namespace lex
