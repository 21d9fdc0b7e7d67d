#pragma once
// The browser the web page embeds, reduced to what the page asks of it: navigate, back, forward,
// stop, a reload that bypasses the cache, and reports of the back/forward states and of each
// finished load. The program uses Qt WebEngine behind it; tests use a double that records.

#include <QObject>
#include <QUrl>
#include <functional>
#include <memory>

class QWidget;

namespace lex {

class WebBrowser : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~WebBrowser() override = default;

    // The widget that shows the pages; owned by the browser's parent widget.
    virtual QWidget* view() const = 0;

    virtual void navigate(const QUrl& url) = 0;
    virtual void back() = 0;
    virtual void forward() = 0;
    virtual void stop() = 0;
    virtual void reloadBypassingCache() = 0;

    virtual bool canGoBack() const = 0;
    virtual bool canGoForward() const = 0;

    // The program's own page, made on the machine (the start page): shown without a request.
    // Its links made by commandLink() run commands; nothing else can, neither a page from the
    // network (whatever it scripts or links) nor this page once another has replaced it.
    virtual void showLocalPage(const QString& html) = 0;
    // The address of a link of the local page that runs command `id`: never loaded, and known
    // only to this browser (it carries a secret made when the browser was).
    virtual QUrl commandLink(int id) const = 0;

Q_SIGNALS:
    // Sent only when the state changes, never on the first load.
    void canGoBackChanged(bool enabled);
    void canGoForwardChanged(bool enabled);
    // A navigation ended; ok is false when the page could not be loaded (no network, refused,
    // certificate rejected, renderer gone).
    void loadFinished(bool ok);
    // A link of the local page asked for command `id` (sent after the click has been handled).
    void commandRequested(int id);
};

// Makes the browser inside `parent` (which owns the view). Null when no browser can be made.
using WebBrowserFactory = std::function<std::unique_ptr<WebBrowser>(QWidget* parent)>;

} // namespace lex
