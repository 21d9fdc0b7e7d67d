#pragma once
// A WebBrowser double: records what the page asked of it, and lets the test report history
// states and finished loads as the real browser would.

#include "lexora/web/web_browser.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

namespace lextest {

class FakeWebBrowser final : public lex::WebBrowser {
public:
    explicit FakeWebBrowser(QWidget* parent) : view_(new QWidget(parent)) {}
    ~FakeWebBrowser() override { delete view_; }

    QStringList calls;   // "navigate URL", "back", "forward", "stop", "reload", "local"

    QWidget* view() const override { return view_; }
    void navigate(const QUrl& url) override { calls << QStringLiteral("navigate ") + url.toString(QUrl::FullyEncoded); }
    void back() override { calls << QStringLiteral("back"); }
    void forward() override { calls << QStringLiteral("forward"); }
    void stop() override { calls << QStringLiteral("stop"); }
    void reloadBypassingCache() override { calls << QStringLiteral("reload"); }
    bool canGoBack() const override { return back_; }
    bool canGoForward() const override { return forward_; }
    void showLocalPage(const QString& html) override
    {
        calls << QStringLiteral("local");
        localHtml = html;
    }
    QUrl commandLink(int id) const override { return QUrl(QStringLiteral("http://run.test.invalid/%1").arg(id)); }
    // The learner clicks the local page's link of command `id`.
    void clickCommand(int id) { Q_EMIT commandRequested(id); }
    QString localHtml;

    void setHistory(bool back, bool forward)
    {
        if (back != back_)
            Q_EMIT canGoBackChanged(back_ = back);
        if (forward != forward_)
            Q_EMIT canGoForwardChanged(forward_ = forward);
    }
    void finishLoad(bool ok) { Q_EMIT loadFinished(ok); }

private:
    QPointer<QWidget> view_;
    bool back_ = false;
    bool forward_ = false;
};

// Hands out fakes and remembers the last one made.
struct FakeBrowsers {
    FakeWebBrowser* last = nullptr;
    int made = 0;
    lex::WebBrowserFactory factory()
    {
        return [this](QWidget* parent) -> std::unique_ptr<lex::WebBrowser> {
            auto b = std::make_unique<FakeWebBrowser>(parent);
            last = b.get();
            ++made;
            return b;
        };
    }
};

// Sets LEXORA_UPDATE_BASE for the life of the object (unset: the variable is removed).
class UpdateBaseScope {
public:
    explicit UpdateBaseScope(const QByteArray& value, bool set = true)
    {
        if (set)
            qputenv("LEXORA_UPDATE_BASE", value);
        else
            qunsetenv("LEXORA_UPDATE_BASE");
    }
    ~UpdateBaseScope() { qunsetenv("LEXORA_UPDATE_BASE"); }
};

} // namespace lextest
