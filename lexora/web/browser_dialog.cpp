#include "lexora/web/browser_dialog.h"

#include "lexora/web/about_dlg.h"
#include "lexora/web/web_addresses.h"
#include "lexora/web/web_engine_browser.h"
#include "resources/resource_ids.h"

#include <QFile>
#include <QStackedLayout>
#include <QTextBrowser>

namespace lex {

namespace {

// Command numbers the page handles or sends.
using cmd::kStudyPage, cmd::kWebBack, cmd::kWebForward, cmd::kWebStop, cmd::kWebRefresh, cmd::kWebHome;
using cmd::kCheckUpdate, cmd::kBackState, cmd::kForwardState;
constexpr int kBrowserControl = res::browser_dlg::kBrowser;

} // namespace

CBrowserDialog::CBrowserDialog(WebBrowserFactory factory, QWidget* parent)
    : QWidget(parent), factory_(factory ? std::move(factory) : WebBrowserFactory(&WebEngineBrowser::create))
{
    stack_ = new QStackedLayout(this);
    stack_->setContentsMargins(0, 0, 0, 0);
    startPage_ = new QTextBrowser(this);
    startPage_->setOpenLinks(false);
    startPage_->setOpenExternalLinks(false);
    startPage_->setFrameShape(QFrame::NoFrame);
    connect(startPage_, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
        if (url.scheme() == QLatin1String("lexora") && url.path() == QLatin1String("study"))
            report(kStudyPage, 0);
    });
    stack_->addWidget(startPage_);
    setFocusProxy(startPage_);
}

CBrowserDialog::~CBrowserDialog()
{
    // The browser's view is a child of this page; the browser must go first.
    browser_.reset();
}

QString CBrowserDialog::startPageHtml(const StartPageInfo& info)
{
    QFile f(QStringLiteral(":/lexora/web/start_page.html"));
    QString html = f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    html.replace(QLatin1String("{{name}}"), QStringLiteral("Lexora"));
    html.replace(QLatin1String("{{version}}"), QString::fromUtf8(kVersionText).toHtmlEscaped());
    html.replace(QLatin1String("{{book}}"), info.bookName.toHtmlEscaped());
    html.replace(QLatin1String("{{count}}"), QString::number(info.wordCount));
    return html;
}

bool CBrowserDialog::isStartPageShown() const
{
    return stack_->currentWidget() == startPage_;
}

void CBrowserDialog::showStartPage()
{
    startPage_->setHtml(startPageHtml(info_ ? info_() : StartPageInfo{}));
    stack_->setCurrentWidget(startPage_);
    setFocusProxy(startPage_);
}

void CBrowserDialog::showBrowser()
{
    if (!browser_)
        return;
    stack_->setCurrentWidget(browser_->view());
    setFocusProxy(browser_->view());
}

void CBrowserDialog::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    // The Book may have changed since the start page was last filled.
    if (isStartPageShown())
        showStartPage();
    // The page's focus is the browser's (or the start page's) when it is shown.
    if (QWidget* w = stack_->currentWidget())
        w->setFocus();
}

WebBrowser* CBrowserDialog::ensureBrowser()
{
    if (browser_ || browserFailed_)
        return browser_.get();
    browser_ = factory_(this);
    if (!browser_) {
        browserFailed_ = true;
        return nullptr;
    }
    QWidget* v = browser_->view();
    v->setProperty("lexControlId", kBrowserControl);
    stack_->addWidget(v);
    connect(browser_.get(), &WebBrowser::canGoBackChanged, this, [this](bool on) { report(kBackState, on ? 1 : 0); });
    connect(browser_.get(), &WebBrowser::canGoForwardChanged, this,
            [this](bool on) { report(kForwardState, on ? 1 : 0); });
    connect(browser_.get(), &WebBrowser::loadFinished, this, &CBrowserDialog::loadFinished);
    return browser_.get();
}

void CBrowserDialog::loadFinished(bool ok)
{
    if (ok)
        showBrowser();
    else
        showStartPage();
}

void CBrowserDialog::navigate(const QString& address)
{
    if (address.isEmpty()) {
        showStartPage();
        return;
    }
    if (WebBrowser* b = ensureBrowser())
        b->navigate(QUrl(address));
    else
        showStartPage();
}

void CBrowserDialog::start()
{
    if (started_)
        return;
    started_ = true;
    const QString address = updateCheckAddress(updateBase());
    if (address.isEmpty()) {
        showStartPage();
        return;
    }
    WebBrowser* b = ensureBrowser();
    if (!b) {
        showStartPage();
        return;
    }
    b->navigate(QUrl(QStringLiteral("about:blank")));
    b->navigate(QUrl(address));
}

bool CBrowserDialog::onCommand(int id, qintptr)
{
    switch (id) {
    case kCheckUpdate:
        started_ = true;
        navigate(updateCheckAddress(updateBase()));
        return true;
    case kWebHome:
        started_ = true;
        navigate(homePageAddress());
        return true;
    case kWebBack:
        if (browser_)
            browser_->back();
        return true;
    case kWebForward:
        if (browser_)
            browser_->forward();
        return true;
    case kWebStop:
        if (browser_)
            browser_->stop();
        return true;
    case kWebRefresh:
        if (browser_)
            browser_->reloadBypassingCache();
        else
            showStartPage();
        return true;
    default:
        return false;
    }
}

void CBrowserDialog::report(int id, qintptr param)
{
    if (owner_)
        owner_->onCommand(id, param);
}

} // namespace lex
