#pragma once
// CBrowserDialog: the web page of the outer window, filled by the browser. At start it loads
// about:blank and then the update-check page; a page that cannot be loaded shows the browser's
// own error page. With no update address configured the page is the start page instead, made
// here and requested from nowhere, whose links run a few commands through the owner. The browser
// is made only when a page must be shown, and never before the window has been painted once:
// the owner calls start() after its first paint.

#include "common/ui/command.h"
#include "lexora/web/start_page.h"
#include "lexora/web/web_browser.h"

#include <QWidget>
#include <memory>

class QStackedLayout;

namespace lex {

class CBrowserDialog : public QWidget, public ui::CommandTarget {
    Q_OBJECT
public:
    // `factory` empty: Qt WebEngine.
    explicit CBrowserDialog(WebBrowserFactory factory = {}, QWidget* parent = nullptr);
    ~CBrowserDialog() override;

    // Where the page sends 90000/90001 (back/forward state changes, the new enabled flag as
    // parameter).
    void setOwner(ui::CommandTarget* owner) { owner_ = owner; }
    // What the start page shows, asked each time it is drawn.
    void setStartPageSource(std::function<StartPageFigures()> source) { startSource_ = std::move(source); }
    bool showsStartPage() const { return startShown_; }

    // The start-up navigation: about:blank, then the update-check address; the start page
    // instead when the build and LEXORA_UPDATE_BASE give no update base. Runs once.
    void start();
    bool hasStarted() const { return started_; }

    // 32911, 32901-32904 and 14101.
    bool onCommand(int id, qintptr param) override;

    WebBrowser* browser() const { return browser_.get(); }
    // What the page shows: the browser's view, or an empty area when no browser could be made.
    QWidget* currentView() const;

protected:
    void showEvent(QShowEvent*) override;

private:
    WebBrowser* ensureBrowser();
    void navigate(const QString& address);
    void showStartPage();
    void report(int id, qintptr param);
    void runStartPageCommand(int id);

    WebBrowserFactory factory_;
    ui::CommandTarget* owner_ = nullptr;
    std::unique_ptr<WebBrowser> browser_;
    QStackedLayout* stack_ = nullptr;
    bool started_ = false;
    bool browserFailed_ = false;
    bool startShown_ = false;
    std::function<StartPageFigures()> startSource_;
};

} // namespace lex
