#include "lexora/web/about_dlg.h"

#include "common/platform/user_services.h"
#include "common/ui/template_builder.h"
#include "resources/resources.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>

namespace lex {

namespace {

bool isOpenableLink(const QUrl& url)
{
    const QString s = url.scheme();
    return url.isValid()
        && (s == QLatin1String("http") || s == QLatin1String("https") || s == QLatin1String("mailto"));
}

QString link(const QString& href, const QString& text)
{
    return QStringLiteral("<a href=\"%1\">%2</a>").arg(href.toHtmlEscaped(), text.toHtmlEscaped());
}

} // namespace

QString aboutText(const AboutAddresses& a)
{
    QString html = QStringLiteral("最新版本，请到此地址下载:<br/>");
    for (const QString& d : a.download)
        html += link(d, d) + QStringLiteral("<br/>");
    if (!a.mail.isEmpty())
        html += QStringLiteral("问题、意见和建议请发邮件至: ") + link(QStringLiteral("mailto:") + a.mail, a.mail);
    return html;
}

AboutLinkText::AboutLinkText(QWidget* parent) : QTextBrowser(parent)
{
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setTextInteractionFlags(Qt::TextBrowserInteraction);
    document()->setDocumentMargin(2);   // the four lines fit the box without scrolling
    connect(this, &QTextBrowser::anchorClicked, this, &AboutLinkText::openLink);
}

void AboutLinkText::mousePressEvent(QMouseEvent* e)
{
    // A press on a link must not move the learner's selection.
    before_ = textCursor();
    QTextBrowser::mousePressEvent(e);
}

void AboutLinkText::openLink(const QUrl& url)
{
    const QTextCursor keep = before_.isNull() ? textCursor() : before_;
    if (ui_ && isOpenableLink(url)) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ui_->openExternally(url.toString());   // a link that cannot be opened is ignored
        QApplication::restoreOverrideCursor();
    }
    setTextCursor(keep);
    before_ = QTextCursor();
}

CAboutDlg::CAboutDlg(UserServices* ui, QWidget* parent, const AboutAddresses& addresses) : CommandDialog(parent)
{
    const ui::DialogTemplate& t = res::dialogTemplate(res::IDD_ABOUTBOX);
    ui::TemplateBuilder builder(t);
    builder
        .withControl(kTextControl, [](const ui::ControlSpec&, QWidget* p) -> QWidget* { return new AboutLinkText(p); })
        .routeTo(this);
    const QHash<int, QWidget*> controls = builder.build(this);
    setFixedSize(builder.clientSize(font()));
    if (auto* version = qobject_cast<QLabel*>(controls.value(kVersionControl)))
        version->setText(QString::fromUtf8(kVersionText));
    text_ = qobject_cast<AboutLinkText*>(controls.value(kTextControl));
    text_->setServices(ui);
    text_->setHtml(aboutText(addresses));
}

} // namespace lex
