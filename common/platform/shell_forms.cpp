#include "common/platform/shell_forms.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

namespace lex {

namespace {

QString qtPatterns(const QString& windowsPatterns)
{
    QStringList out;
    for (QString p : windowsPatterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        p = p.trimmed();
        if (p == QLatin1String("*.*"))
            p = QStringLiteral("*");
        if (!p.isEmpty() && !out.contains(p))
            out << p;
    }
    return out.join(QLatin1Char(' '));
}

} // namespace

QString qtFileFilter(const QString& windowsFilter)
{
    QStringList parts = windowsFilter.split(QLatin1Char('|'));
    // The Windows form ends with "||"; an odd description without patterns is dropped.
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        const QString patterns = qtPatterns(parts[i + 1]);
        if (description.isEmpty() && patterns.isEmpty())
            break;
        if (patterns.isEmpty())
            continue;
        // The description is shown as written (the chooser hides what follows it); Qt takes the
        // patterns from the last parenthesis, which is therefore always the real one.
        if (description.isEmpty())
            description = patterns;
        else if (!description.endsWith(QLatin1Char(')')) && !description.endsWith(QChar(0xFF09)))
            description += QStringLiteral(" (") + parts[i + 1].trimmed().replace(QLatin1Char(';'), QLatin1Char(' ')) + QLatin1Char(')');
        filters << description + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

std::optional<QUrl> externalOpenUrl(const QString& pathOrUrl)
{
    const QString text = pathOrUrl.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    static const QRegularExpression scheme(QStringLiteral("^([A-Za-z][A-Za-z0-9+.\\-]*):"));
    const QRegularExpressionMatch m = scheme.match(text);
    if (m.hasMatch() && !text.startsWith(QLatin1Char('/'))) {
        const QString s = m.captured(1).toLower();
        if (s == QLatin1String("http") || s == QLatin1String("https") || s == QLatin1String("mailto")) {
            QUrl url(text, QUrl::StrictMode);
            if (!url.isValid())
                return std::nullopt;
            if (s != QLatin1String("mailto") && url.host().isEmpty())
                return std::nullopt;
            return url;
        }
        if (s == QLatin1String("file")) {
            QUrl url(text, QUrl::TolerantMode);
            if (!url.isValid() || !url.isLocalFile() || !url.host().isEmpty())
                return std::nullopt;
            return QUrl::fromLocalFile(QFileInfo(url.toLocalFile()).absoluteFilePath());
        }
        return std::nullopt;
    }
    return QUrl::fromLocalFile(QFileInfo(QDir::fromNativeSeparators(text)).absoluteFilePath());
}

} // namespace lex
