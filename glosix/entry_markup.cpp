#include "glosix/entry_markup.h"

#include <algorithm>

namespace lex {

EntryStyle entryStyle(int marker)
{
    switch (marker) {
    case 1: return {0, 0, 0, true, 0};
    case 2: return {0, 32, 128, false, 0};
    case 3: return {0, 0, 0, false, 0};
    case 4: return {0, 128, 128, false, 0};
    case 5: return {255, 0, 0, true, 0};
    case 6: return {0, 128, 128, false, 0};
    case 7: return {0, 0, 0, true, 0};
    case 8: return {0, 32, 128, false, 2};
    case 9:
    case 10:
    case 11:
    case 12: return {128, 32, 0, false, 4};
    case 13: return {0, 0, 0, false, 4};
    case 14: return {0, 0, 0, false, 0};
    default: return {};
    }
}

int markerAt(QStringView text, qsizetype k, qsizetype* length)
{
    const qsizetype n = text.size();
    if (k < 0 || k + 2 >= n || text[k] != QLatin1Char('`'))
        return 0;
    const char16_t a = text[k + 1].unicode(), b = text[k + 2].unicode();
    if (a >= u'1' && a <= u'9' && b == u'`') {
        *length = 3;
        return a - u'0';
    }
    if (a == u'1' && b >= u'0' && b <= u'4' && k + 3 < n && text[k + 3] == QLatin1Char('`')) {
        *length = 4;
        return 10 + (b - u'0');
    }
    return 0;
}

EntryMarkup parseEntryText(QStringView input)
{
    // CR LF is one line break on screen.
    QString normalised;
    if (input.contains(u"\r\n")) {
        normalised = input.toString();
        normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        input = normalised;
    }

    EntryMarkup m;
    m.text.reserve(input.size());
    int open = 0;              // marker of the run being collected, 0 when none
    qsizetype openStart = 0;
    auto closeRun = [&m, &open, &openStart] {
        if (open)
            m.runs.push_back({open, openStart, m.text.size()});
        open = 0;
    };

    qsizetype i = 0;
    const qsizetype n = input.size();
    while (i < n) {
        const qsizetype k = input.indexOf(QLatin1Char('`'), i);
        if (k < 0) {
            m.text += input.mid(i);
            break;
        }
        m.text += input.mid(i, k - i);
        closeRun();   // any backquote ends the run before it
        qsizetype length = 0;
        const int marker = markerAt(input, k, &length);
        if (!marker) {
            // Not a marker: the backquote stays, and the search goes on right after it.
            m.text += QLatin1Char('`');
            i = k + 1;
            continue;
        }
        if (marker != 1)
            m.text += QLatin1Char('\n');
        open = marker;
        openStart = m.text.size();
        i = k + length;
    }
    closeRun();

    // Paragraph indents: a run touches the paragraphs holding its characters (an empty run, the
    // one it sits in); the last run that touches a paragraph decides.
    std::vector<qsizetype> paragraphStarts{0};
    for (qsizetype p = 0; p < m.text.size(); ++p)
        if (m.text[p] == QLatin1Char('\n'))
            paragraphStarts.push_back(p + 1);
    m.paragraphMarkers.assign(paragraphStarts.size(), 0);
    auto paragraphOf = [&paragraphStarts](qsizetype pos) {
        return size_t(std::upper_bound(paragraphStarts.begin(), paragraphStarts.end(), pos) - paragraphStarts.begin()) - 1;
    };
    for (const EntryRun& r : m.runs) {
        const size_t first = paragraphOf(r.start);
        const size_t last = r.end > r.start ? paragraphOf(r.end - 1) : first;
        for (size_t p = first; p <= last; ++p)
            m.paragraphMarkers[p] = r.marker;
    }
    return m;
}

} // namespace lex
