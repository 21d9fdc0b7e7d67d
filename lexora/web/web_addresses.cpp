#include "lexora/web/web_addresses.h"

#include "web_config.h"

namespace lex {

namespace {

bool isWebAddress(const QUrl& url)
{
    const QString s = url.scheme();
    return url.isValid() && !url.host().isEmpty() && (s == QLatin1String("http") || s == QLatin1String("https"));
}

} // namespace

QString updateCheckAddress(const QString& base)
{
    QString b = base.trimmed();
    // A base written with its closing '/' must not give "//checkupdate.htm".
    while (b.endsWith(QLatin1Char('/')))
        b.chop(1);
    if (b.isEmpty() || !isWebAddress(QUrl(b)))
        return {};
    return b + QStringLiteral("/checkupdate.htm?ver=%1.%2.%3&build=%4")
                   .arg(kUpdateMajor)
                   .arg(kUpdateMinor)
                   .arg(kUpdateRevision)
                   .arg(kUpdateBuild);
}

QString updateBase()
{
    if (qEnvironmentVariableIsSet("LEXORA_UPDATE_BASE"))
        return qEnvironmentVariable("LEXORA_UPDATE_BASE");
    return QString::fromUtf8(LEXORA_BUILD_UPDATE_BASE);
}

QString homePageAddress()
{
    const QString home = QString::fromUtf8(LEXORA_BUILD_HOME_PAGE).trimmed();
    return isWebAddress(QUrl(home)) ? home : QString();
}

AboutAddresses aboutAddresses()
{
    AboutAddresses a;
    for (const QString& s : QString::fromUtf8(LEXORA_BUILD_DOWNLOAD_ADDRESSES).split(QLatin1Char(';'), Qt::SkipEmptyParts))
        if (isWebAddress(QUrl(s.trimmed())))
            a.download << s.trimmed();
    a.mail = QString::fromUtf8(LEXORA_BUILD_SUPPORT_MAIL).trimmed();
    return a;
}

bool isBrowsableUrl(const QUrl& url)
{
    const QString s = url.scheme();
    return s == QLatin1String("http") || s == QLatin1String("https") || s == QLatin1String("about");
}

} // namespace lex
