#pragma once
// CBrowserDialog: the web page of the outer window. It shows a browser when there is a page to
// load (the update check at start, the home page, the learner's browsing from there) and a start
// page of its own otherwise, and in place of the browser's error page when a page cannot be
// loaded. The browser is made only when a page must be loaded, and never before the window has
// been painted once: the owner calls start() after its first paint.

#include "common/ui/command.h"
#include "lexora/web/web_browser.h"

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

class QStackedLayout;
class QTextBrowser;

namespace lex {

// What the start page shows about the open Book.
struct StartPageInfo {
    QString bookName;
    int wordCount = 0;
};

class CBrowserDialog : public QWidget, public ui::CommandTarget {
    Q_OBJECT
public:
    // `factory` empty: Qt WebEngine.
    explicit CBrowserDialog(WebBrowserFactory factory = {}, QWidget* parent = nullptr);
    ~CBrowserDialog() override;

    // Where the page sends 32899 (the start page's "学习" link) and 90000/90001 (back/forward
    // state changes, the new enabled flag as parameter).
    void setOwner(ui::CommandTarget* owner) { owner_ = owner; }
    void setStartPageInfo(std::function<StartPageInfo()> info) { info_ = std::move(info); }

    // The start-up navigation: about:blank, then the update-check address. Without an update
    // address no browser is made and the start page stays. Runs once.
    void start();
    bool hasStarted() const { return started_; }

    // 32911, 32901-32904 and 14101.
    bool onCommand(int id, qintptr param) override;

    WebBrowser* browser() const { return browser_.get(); }
    QTextBrowser* startPage() const { return startPage_; }
    bool isStartPageShown() const;
    // The HTML of the start page for the given Book (escaped).
    static QString startPageHtml(const StartPageInfo& info);

protected:
    void showEvent(QShowEvent*) override;

private:
    WebBrowser* ensureBrowser();
    void navigate(const QString& address);
    void showStartPage();
    void showBrowser();
    void loadFinished(bool ok);
    void report(int id, qintptr param);

    WebBrowserFactory factory_;
    ui::CommandTarget* owner_ = nullptr;
    std::function<StartPageInfo()> info_;
    std::unique_ptr<WebBrowser> browser_;
    QStackedLayout* stack_ = nullptr;
    QTextBrowser* startPage_ = nullptr;
    bool started_ = false;
    bool browserFailed_ = false;
};

} // namespace lex
