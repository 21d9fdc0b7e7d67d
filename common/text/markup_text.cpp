// Marked-up text reduced to plain text.
#include "common/text/markup_text.h"

#include <QHash>

namespace lex {
namespace {

// The characters of a named or numbered character reference, or nothing when unknown.
QString entity(QStringView name)
{
    static const QHash<QString, QString> named = {
        {QStringLiteral("lt"), QStringLiteral("<")},   {QStringLiteral("gt"), QStringLiteral(">")},
        {QStringLiteral("amp"), QStringLiteral("&")},  {QStringLiteral("quot"), QStringLiteral("\"")},
        {QStringLiteral("apos"), QStringLiteral("'")}, {QStringLiteral("nbsp"), QStringLiteral(" ")},
    };
    if (name.startsWith(QLatin1Char('#'))) {
        bool ok = false;
        const uint code = name.size() > 1 && (name[1] == QLatin1Char('x') || name[1] == QLatin1Char('X'))
                              ? name.mid(2).toUInt(&ok, 16)
                              : name.mid(1).toUInt(&ok, 10);
        if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return {};
        const char32_t c = code;
        return QString::fromUcs4(&c, 1);
    }
    return named.value(name.toString());
}

// Tags after which a new line starts.
bool breaksLine(QStringView tag)
{
    static const char* const kBreaking[] = {"br", "p", "div", "li", "tr", "h1", "h2", "h3", "h4", "h5", "h6",
                                            "blockquote", "dt", "dd", "ul", "ol", "table", "def", "ex", "k"};
    for (const char* b : kBreaking)
        if (tag.compare(QLatin1String(b), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace

// The content of script and style elements and of comments is dropped with the tags.
QString markupToText(QStringView s, bool collapse)
{
    QString out;
    out.reserve(s.size());
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n) {
        const QChar c = s[i];
        if (c == QLatin1Char('<')) {
            if (s.mid(i, 4) == QLatin1String("<!--")) {
                const qsizetype e = s.indexOf(QLatin1String("-->"), i + 4);
                i = e < 0 ? n : e + 3;
                continue;
            }
            const qsizetype close = s.indexOf(QLatin1Char('>'), i + 1);
            if (close < 0)
                break; // an unclosed tag: nothing after it can be trusted as text
            QStringView body = s.mid(i + 1, close - i - 1).trimmed();
            const bool endTag = body.startsWith(QLatin1Char('/'));
            if (endTag)
                body = body.mid(1);
            qsizetype nameEnd = 0;
            while (nameEnd < body.size() && (body[nameEnd].isLetterOrNumber() || body[nameEnd] == QLatin1Char('_')))
                ++nameEnd;
            const QStringView name = body.left(nameEnd);
            i = close + 1;
            if (!endTag && (name.compare(QLatin1String("script"), Qt::CaseInsensitive) == 0 ||
                            name.compare(QLatin1String("style"), Qt::CaseInsensitive) == 0)) {
                const QString closing = QStringLiteral("</") + name.toString();
                const qsizetype e = s.indexOf(closing, i, Qt::CaseInsensitive);
                const qsizetype after = e < 0 ? -1 : s.indexOf(QLatin1Char('>'), e);
                i = after < 0 ? n : after + 1;
                continue;
            }
            if (breaksLine(name))
                out += QLatin1Char('\n');
            continue;
        }
        if (c == QLatin1Char('&')) {
            // A reference is short: looking further would make a text of many '&' quadratic.
            const qsizetype rel = s.mid(i + 1, 10).indexOf(QLatin1Char(';'));
            const qsizetype semi = rel < 0 ? -1 : i + 1 + rel;
            if (semi > i + 1) {
                const QString t = entity(s.mid(i + 1, semi - i - 1));
                if (!t.isEmpty()) {
                    out += t;
                    i = semi + 1;
                    continue;
                }
            }
        }
        if (collapse && c.isSpace()) {
            if (!out.isEmpty() && !out.endsWith(QLatin1Char(' ')) && !out.endsWith(QLatin1Char('\n')))
                out += QLatin1Char(' ');
            ++i;
            continue;
        }
        out += c;
        ++i;
    }
    return out;
}

} // namespace lex
