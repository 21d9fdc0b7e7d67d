#include "lexora/web/browser_dialog.h"

#include "lexora/web/web_addresses.h"
#include "lexora/web/web_engine_browser.h"
#include "resources/resource_ids.h"

#include <QStackedLayout>

namespace lex {

namespace {

// Command numbers the page handles or sends.
using cmd::kStudyPage, cmd::kWebBack, cmd::kWebForward, cmd::kWebStop, cmd::kWebRefresh, cmd::kWebHome;
using cmd::kCheckUpdate, cmd::kBackState, cmd::kForwardState;
constexpr int kBrowserControl = res::browser_dlg::kBrowser;

const QString kBlank = QStringLiteral("about:blank");

} // namespace

CBrowserDialog::CBrowserDialog(WebBrowserFactory factory, QWidget* parent)
    : QWidget(parent), factory_(factory ? std::move(factory) : WebBrowserFactory(&WebEngineBrowser::create))
{
    stack_ = new QStackedLayout(this);
    stack_->setContentsMargins(0, 0, 0, 0);
    // Until the browser is made (or when it cannot be), the page is an empty white area.
    auto* empty = new QWidget(this);
    empty->setAutoFillBackground(true);
    QPalette p = empty->palette();
    p.setColor(QPalette::Window, Qt::white);
    empty->setPalette(p);
    empty->setFocusPolicy(Qt::StrongFocus);
    stack_->addWidget(empty);
    setFocusProxy(empty);
}

CBrowserDialog::~CBrowserDialog()
{
    // The browser's view is a child of this page; the browser must go first.
    browser_.reset();
}

QWidget* CBrowserDialog::currentView() const { return stack_->currentWidget(); }

void CBrowserDialog::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    // The start page's figures may have changed while the word book was shown.
    if (startShown_)
        showStartPage();
    // The page's focus is the browser's when it is shown.
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
    stack_->setCurrentWidget(v);
    setFocusProxy(v);
    connect(browser_.get(), &WebBrowser::canGoBackChanged, this, [this](bool on) { report(kBackState, on ? 1 : 0); });
    connect(browser_.get(), &WebBrowser::canGoForwardChanged, this,
            [this](bool on) { report(kForwardState, on ? 1 : 0); });
    connect(browser_.get(), &WebBrowser::commandRequested, this, &CBrowserDialog::runStartPageCommand);
    return browser_.get();
}

void CBrowserDialog::navigate(const QString& address)
{
    startShown_ = false;
    if (WebBrowser* b = ensureBrowser())
        b->navigate(QUrl(address));
}

void CBrowserDialog::showStartPage()
{
    WebBrowser* b = ensureBrowser();
    if (!b)
        return;
    startShown_ = true;
    const StartPageFigures f = startSource_ ? startSource_() : StartPageFigures{};
    b->showLocalPage(startPageHtml(f, [b](int id) { return b->commandLink(id); }));
}

void CBrowserDialog::runStartPageCommand(int id)
{
    // The browser vouches for the link; the list of what a link may do is kept here as well.
    if (!startShown_ || !isStartPageCommand(id) || !owner_)
        return;
    if (id != kStudyPage)
        owner_->onCommand(kStudyPage, 0); // the word book's commands act on the word-book page
    owner_->onCommand(id, 0);
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
    navigate(kBlank);
    navigate(address);
}

bool CBrowserDialog::onCommand(int id, qintptr)
{
    switch (id) {
    case kCheckUpdate: {
        started_ = true;
        const QString address = updateCheckAddress(updateBase());
        if (address.isEmpty())
            showStartPage();
        else
            navigate(address);
        return true;
    }
    case kWebHome: {
        started_ = true;
        // Without an update address the start page is home: the program then asks nothing of the
        // network unless the learner follows a link himself.
        const QString home = homePageAddress();
        if (updateCheckAddress(updateBase()).isEmpty())
            showStartPage();
        else
            navigate(home.isEmpty() ? kBlank : home);
        return true;
    }
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
