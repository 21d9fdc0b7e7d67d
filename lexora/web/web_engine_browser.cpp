#include "lexora/web/web_engine_browser.h"

#include "lexora/web/web_addresses.h"

#include <QAction>
#include <QAuthenticator>
#include <QRandomGenerator>
#include <QWebEngineCertificateError>
#include <QWebEngineClientCertificateSelection>
#include <QWebEngineDownloadRequest>
#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineRegisterProtocolHandlerRequest>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace lex {

namespace {
// A load replaced by the next navigation: not a failure the learner needs to see.
constexpr int kAborted = -3;
// The host of command links: a reserved name that resolves nowhere, and is never asked for.
const QString kCommandHost = QStringLiteral("run.lexora.invalid");
} // namespace

// A page that asks the learner nothing and goes nowhere unexpected.
class QuietWebPage final : public QWebEnginePage {
public:
    QuietWebPage(QWebEngineProfile* profile, WebEngineBrowser* browser, QObject* parent)
        : QWebEnginePage(profile, parent), browser_(browser)
    {
        connect(this, &QWebEnginePage::certificateError, this,
                [](QWebEngineCertificateError e) { e.rejectCertificate(); });
        connect(this, &QWebEnginePage::authenticationRequired, this,
                [](const QUrl&, QAuthenticator* a) { *a = QAuthenticator(); });
        connect(this, &QWebEnginePage::proxyAuthenticationRequired, this,
                [](const QUrl&, QAuthenticator* a, const QString&) { *a = QAuthenticator(); });
        connect(this, &QWebEnginePage::featurePermissionRequested, this,
                [this](const QUrl& origin, Feature f) { setFeaturePermission(origin, f, PermissionDeniedByUser); });
        connect(this, &QWebEnginePage::fullScreenRequested, this,
                [](QWebEngineFullScreenRequest r) { r.reject(); });
        connect(this, &QWebEnginePage::registerProtocolHandlerRequested, this,
                [](QWebEngineRegisterProtocolHandlerRequest r) { r.reject(); });
        connect(this, &QWebEnginePage::fileSystemAccessRequested, this,
                [](QWebEngineFileSystemAccessRequest r) { r.reject(); });
        connect(this, &QWebEnginePage::selectClientCertificate, this,
                [](QWebEngineClientCertificateSelection s) { s.selectNone(); });
    }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override
    {
        return browser_->decideNavigation(url, isMainFrame);
    }
    QWebEnginePage* createWindow(WebWindowType) override { return nullptr; }
    QStringList chooseFiles(FileSelectionMode, const QStringList&, const QStringList&) override { return {}; }
    void javaScriptAlert(const QUrl&, const QString&) override {}
    bool javaScriptConfirm(const QUrl&, const QString&) override { return false; }
    bool javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) override { return false; }
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int, const QString&) override {}

private:
    WebEngineBrowser* browser_;
};

WebEngineBrowser::WebEngineBrowser(QWidget* parent) : WebBrowser(parent)
{
    // 128 bits from the system's generator: a page from the network cannot guess them, and
    // cannot read them from the local page (another origin, which it cannot open or frame).
    for (int i = 0; i < 4; ++i)
        secret_ += QString::number(QRandomGenerator::system()->generate(), 16).rightJustified(8, QLatin1Char('0'));
    // A profile without a storage name is off the record: no cookies, cache or history on disk.
    profile_ = new QWebEngineProfile(this);
    profile_->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    profile_->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    profile_->setSpellCheckEnabled(false);
    connect(profile_, &QWebEngineProfile::downloadRequested, this, [](QWebEngineDownloadRequest* d) { d->cancel(); });

    QWebEngineSettings* s = profile_->settings();
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanPaste, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    s->setAttribute(QWebEngineSettings::AllowRunningInsecureContent, false);
    s->setAttribute(QWebEngineSettings::AllowGeolocationOnInsecureOrigins, false);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    s->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
    s->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, false);
    s->setAttribute(QWebEngineSettings::WebRTCPublicInterfacesOnly, true);
    s->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    s->setAttribute(QWebEngineSettings::ErrorPageEnabled, true);    // a failed load says why, inside the page
    s->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);

    view_ = new QWebEngineView(parent);
    view_->setContextMenuPolicy(Qt::NoContextMenu);
    page_ = new QuietWebPage(profile_, this, view_);
    view_->setPage(page_);

    connect(page_, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo& info) {
        if (info.status() == QWebEngineLoadingInfo::LoadSucceededStatus)
            Q_EMIT loadFinished(true);
        else if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus && info.errorCode() != kAborted)
            Q_EMIT loadFinished(false);
        updateHistoryState();
    });
    connect(page_, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
                if (status != QWebEnginePage::NormalTerminationStatus)
                    Q_EMIT loadFinished(false);
            });
    for (QWebEnginePage::WebAction a : {QWebEnginePage::Back, QWebEnginePage::Forward})
        connect(page_->action(a), &QAction::changed, this, &WebEngineBrowser::updateHistoryState);
    connect(page_, &QWebEnginePage::urlChanged, this, &WebEngineBrowser::updateHistoryState);
}

WebEngineBrowser::~WebEngineBrowser()
{
    // The page must go before its profile.
    delete view_;
    view_ = nullptr;
    page_ = nullptr;
}

std::unique_ptr<WebBrowser> WebEngineBrowser::create(QWidget* parent)
{
    return std::make_unique<WebEngineBrowser>(parent);
}

QWidget* WebEngineBrowser::view() const { return view_; }

void WebEngineBrowser::navigate(const QUrl& url)
{
    if (isBrowsableUrl(url))
        page_->load(url);
}

void WebEngineBrowser::showLocalPage(const QString& html)
{
    localLoading_ = localShown_ = true;
    page_->setHtml(html, QUrl());
}

QUrl WebEngineBrowser::commandLink(int id) const
{
    return QUrl(QStringLiteral("http://%1/%2?k=%3").arg(kCommandHost).arg(id).arg(secret_));
}

bool WebEngineBrowser::decideNavigation(const QUrl& url, bool isMainFrame)
{
    if (url.host() == kCommandHost) {
        bool ok = false;
        const int id = url.path().mid(1).toInt(&ok);
        if (ok && isMainFrame && localShown_ && url.scheme() == QLatin1String("http") && url == commandLink(id))
            // After the navigation has been refused: the command may open a modal window.
            QMetaObject::invokeMethod(this, [this, id] { Q_EMIT commandRequested(id); }, Qt::QueuedConnection);
        return false;
    }
    if (!isMainFrame)
        return isBrowsableUrl(url);
    // The local page comes as a data: address, admitted only when showLocalPage() asked for it.
    if (url.scheme() == QLatin1String("data")) {
        const bool ours = localLoading_;
        localLoading_ = false;
        localShown_ = ours;
        return ours;
    }
    localLoading_ = false;
    const bool go = isBrowsableUrl(url);
    if (go)
        localShown_ = false;
    return go;
}

void WebEngineBrowser::back() { page_->triggerAction(QWebEnginePage::Back); }
void WebEngineBrowser::forward() { page_->triggerAction(QWebEnginePage::Forward); }
void WebEngineBrowser::stop() { page_->triggerAction(QWebEnginePage::Stop); }
void WebEngineBrowser::reloadBypassingCache() { page_->triggerAction(QWebEnginePage::ReloadAndBypassCache); }

void WebEngineBrowser::updateHistoryState()
{
    if (!page_)
        return;
    const bool back = page_->history()->canGoBack();
    const bool forward = page_->history()->canGoForward();
    if (back != canBack_) {
        canBack_ = back;
        Q_EMIT canGoBackChanged(back);
    }
    if (forward != canForward_) {
        canForward_ = forward;
        Q_EMIT canGoForwardChanged(forward);
    }
}

} // namespace lex
