// The entry-text markup comes from dictionary files: whatever the text, the parser must stay in
// bounds, give runs that lie inside the shown text in order, and one indent per paragraph; the
// phonetic codes of older dictionaries given as IPA touch nothing but marker-4 runs; leaving out
// the English definition cuts one piece out and nothing else.
#include "common/dictionary/phonetic_codes.h"
#include "glosix/english_sections.h"
#include "glosix/entry_markup.h"

#include <cstdint>
#include <cstdlib>

using namespace lex;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Bytes as UTF-16 code units (odd last byte dropped), so that any unit can appear.
    const QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(data), qsizetype(size / 2));
    const EntryMarkup m = parseEntryText(text);
    if (m.text.size() > text.size())
        std::abort();   // markers only shrink the text
    qsizetype last = 0;
    for (const EntryRun& r : m.runs) {
        if (r.marker < 1 || r.marker > 14 || r.start < last || r.end < r.start || r.end > m.text.size())
            std::abort();
        if (r.marker != 1 && (r.start == 0 || m.text[r.start - 1] != QLatin1Char('\n')))
            std::abort();   // every marker but 1 starts a new line
        if (m.text.mid(r.start, r.end - r.start).contains(QLatin1Char('`')))
            std::abort();   // a backquote always ends the run before it
        last = r.end;
    }
    if (qsizetype(m.paragraphMarkers.size()) != m.text.count(QLatin1Char('\n')) + 1)
        std::abort();
    for (int p : m.paragraphMarkers)
        if (p < 0 || p > 14)
            std::abort();
    // Parsing what is shown again never finds more runs than there are backquotes left.
    if (qsizetype(parseEntryText(m.text).runs.size()) > m.text.count(QLatin1Char('`')))
        std::abort();
    // Giving old phonetics as IPA changes the text of marker-4 runs only: the same runs remain.
    const EntryMarkup ipa = parseEntryText(companionTextWithIpa(text));
    if (ipa.runs.size() != m.runs.size())
        std::abort();
    for (size_t i = 0; i < m.runs.size(); ++i) {
        const EntryRun &a = m.runs[i], &b = ipa.runs[i];
        if (a.marker != b.marker
            || (a.marker != 4 && QStringView(m.text).mid(a.start, a.end - a.start) != QStringView(ipa.text).mid(b.start, b.end - b.start)))
            std::abort();
    }
    // Without the English definition: the text before the heading, then some end of the text.
    const QString cut = withoutEnglishDefinition(text);
    const qsizetype heading = text.indexOf(QStringLiteral("`7`英文释义"));
    const bool kept = heading < 0 ? cut == text
                                  : cut.size() < text.size() && cut.startsWith(QStringView(text).left(heading))
                                        && text.endsWith(QStringView(cut).mid(heading));
    if (!kept)
        std::abort();
    return 0;
}
