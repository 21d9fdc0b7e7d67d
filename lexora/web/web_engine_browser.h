#pragma once
// The web page's browser on Qt WebEngine, kept quiet and safe: an off-the-record profile, no
// JavaScript dialogs, no pop-ups, downloads, permissions or file choosers, certificate errors
// rejected, authentication cancelled, and only http, https and about: addresses followed; the
// program's own local page is the only one whose links may run commands.

#include "lexora/web/web_browser.h"

class QWebEngineView;
class QWebEngineProfile;

namespace lex {

class QuietWebPage;

class WebEngineBrowser final : public WebBrowser {
    Q_OBJECT
public:
    explicit WebEngineBrowser(QWidget* parent);
    ~WebEngineBrowser() override;

    QWidget* view() const override;
    void navigate(const QUrl& url) override;
    void back() override;
    void forward() override;
    void stop() override;
    void reloadBypassingCache() override;
    bool canGoBack() const override { return canBack_; }
    bool canGoForward() const override { return canForward_; }
    void showLocalPage(const QString& html) override;
    QUrl commandLink(int id) const override;

    // What the page does with a navigation request (the page's only way anywhere): true to let it
    // load. A command link is never loaded; it runs its command when it carries this browser's
    // secret and comes from the main frame while the local page is shown.
    bool decideNavigation(const QUrl& url, bool isMainFrame);

    // The factory the program hands to its web page.
    static std::unique_ptr<WebBrowser> create(QWidget* parent);

private:
    void updateHistoryState();

    QWebEngineProfile* profile_ = nullptr;
    QuietWebPage* page_ = nullptr;
    QWebEngineView* view_ = nullptr;
    bool canBack_ = false;
    bool canForward_ = false;
    QString secret_;
    bool localLoading_ = false; // showLocalPage() asked for the local page, not yet admitted
    bool localShown_ = false;   // the main frame shows the local page
};

} // namespace lex
