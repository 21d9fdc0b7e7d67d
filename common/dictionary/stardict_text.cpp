// What a StarDict entry shows: its stored text, and the same reduced to safe marked-up lines.
#include "common/dictionary/stardict.h"

#include "common/text/markup_text.h"

namespace lex {
namespace {

bool isTextType(char t) { return t >= 'a' && t <= 'z'; }

QString markerSafe(QString s)
{
    s.replace(QLatin1Char('`'), QChar(0x2018));
    // Control characters other than the line break have no place in a shown line.
    for (QChar& c : s)
        if (c.unicode() < 0x20 && c != QLatin1Char('\n'))
            c = QLatin1Char(' ');
    return s;
}

} // namespace

QString starDictStoredText(const StarDictEntry& entry)
{
    QString text;
    for (const StarDictField& f : entry.fields) {
        if (!isTextType(f.type))
            continue;
        if (!text.isEmpty())
            text += QLatin1Char('\n');
        text += QString::fromUtf8(f.data);
    }
    return text;
}

QString starDictSafeText(const StarDictEntry& entry)
{
    QString out;
    auto addLines = [&out](const QString& text, const QLatin1String& marker) {
        for (QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
            line = line.trimmed();
            if (!line.isEmpty())
                out += marker + markerSafe(line.toString());
        }
    };
    for (const StarDictField& f : entry.fields) {
        const QString raw = QString::fromUtf8(f.data);
        switch (f.type) {
        case 't':
        case 'y':
            if (!raw.trimmed().isEmpty())
                out += QLatin1String("`13`[") + markerSafe(raw.simplified()) + QLatin1Char(']');
            break;
        case 'h':
            addLines(markupToText(raw, true), QLatin1String("`8`"));
            break;
        case 'x':
        case 'g':
            addLines(markupToText(raw, false), QLatin1String("`8`"));
            break;
        default:
            if (isTextType(f.type))
                addLines(raw, QLatin1String("`8`"));
            break; // pictures, sounds and other binary fields are not shown
        }
    }
    if (entry.cut)
        out += QLatin1String("`9`") + QStringLiteral("(this entry is longer than 1 MB: only its start is shown)");
    return out;
}

} // namespace lex
