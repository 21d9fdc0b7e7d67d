#pragma once
// The web page's browser on Qt WebEngine, kept quiet and safe: an off-the-record profile, no
// JavaScript dialogs, no pop-ups, downloads, permissions or file choosers, certificate errors
// rejected, authentication cancelled, and only http, https and about: addresses followed.

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

    // The factory the program hands to its web page.
    static std::unique_ptr<WebBrowser> create(QWidget* parent);

private:
    void updateHistoryState();

    QWebEngineProfile* profile_ = nullptr;
    QuietWebPage* page_ = nullptr;
    QWebEngineView* view_ = nullptr;
    bool canBack_ = false;
    bool canForward_ = false;
};

} // namespace lex
