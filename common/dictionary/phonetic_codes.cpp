#include "common/dictionary/phonetic_codes.h"

#include "common/dictionary/ecdict_convert.h"

namespace lex {
namespace {

struct Pair {
    char16_t code;
    const char16_t* ipa; // one symbol; the nasal vowels carry a combining tilde
};

// Both directions of the font's table. Lower-case letters are themselves and are not listed
// (but for 'g', below).
constexpr Pair kCodes[] = {
    {u'5', u"ˈ"}, {u'7', u"ˌ"}, {u':', u"ː"}, {u'A', u"æ"}, {u'B', u"ɑ"}, {u'C', u"ɔ"}, {u'D', u"ã"},
    {u'E', u"ə"}, {u'F', u"ʃ"}, {u'G', u"ɣ"}, {u'H', u"ɥ"}, {u'I', u"ɪ"}, {u'J', u"ʊ"}, {u'K', u"ʏ"},
    {u'L', u"ɚ"}, {u'M', u"ɲ"}, {u'N', u"ŋ"}, {u'O', u"œ"}, {u'P', u"ɵ"}, {u'Q', u"ʌ"}, {u'S', u"ɔ̃"},
    {u'T', u"ð"}, {u'V', u"ʒ"}, {u'W', u"θ"}, {u'X', u"ø"}, {u'Y', u"ɛ̃"}, {u'Z', u"ɛ"}, {u'[', u"ɝ"},
    {u'\\', u"ɜ"}, {u']', u"ç"}, {u'^', u"ɡ"}, {u'_', u"ˇ"}, {u'=', u"ê"},
};

// Second codes the font draws for symbols that have one above: read, never written, so that a
// converted phonetic keeps the codes it always had (and a plain 'u' stays a 'u').
constexpr Pair kAlsoDrawn[] = {{u'9', u"ˌ"}, {u'R', u"ɔ"}, {u'U', u"u"}, {u'g', u"ɡ"}};

const char16_t* ipaOf(char16_t code)
{
    for (const Pair& p : kCodes)
        if (p.code == code)
            return p.ipa;
    for (const Pair& p : kAlsoDrawn)
        if (p.code == code)
            return p.ipa;
    return nullptr;
}

} // namespace

char16_t phoneticCodeOf(char16_t ipa)
{
    for (const Pair& p : kCodes)
        if (p.ipa[0] == ipa && !p.ipa[1])
            return p.code;
    return 0;
}

QString ipaFromPhoneticCodes(QStringView codes)
{
    QString out;
    out.reserve(codes.size());
    for (QChar c : codes) {
        if (const char16_t* ipa = c.unicode() < 128 ? ipaOf(c.unicode()) : nullptr)
            out += QStringView(ipa);
        else
            out += c;
    }
    return out;
}

namespace {

// The companion's phonetics come from ECDICT's British field, which writes ASCII ' and : for ˈ and ː,
// older diphthong letters and variants run together; the learner sees standard IPA, British first.
QString standardPhonetic(const QString& ipa)
{
    const bool slashed = ipa.size() >= 2 && ipa.startsWith(QLatin1Char('/')) && ipa.endsWith(QLatin1Char('/'));
    const ecdict::UkIpa uk = ecdict::standardUkIpa(slashed ? QStringView(ipa).mid(1, ipa.size() - 2) : QStringView(ipa));
    if (uk.variants.isEmpty() || !uk.mends)
        return ipa;
    const QString joined = uk.variants.join(QStringLiteral("; "));
    return slashed ? QLatin1Char('/') + joined + QLatin1Char('/') : joined;
}

} // namespace

QString companionTextWithIpa(QString text)
{
    // Walks the markers as the companion reads them: a backquote, 1 to 14, a backquote.
    qsizetype k = text.indexOf(QLatin1Char('`'));
    while (k >= 0 && k + 2 < text.size()) {
        const QChar a = text[k + 1], b = text[k + 2];
        qsizetype runStart = -1;
        if (a >= QLatin1Char('1') && a <= QLatin1Char('9') && b == QLatin1Char('`'))
            runStart = k + 3;
        else if (a == QLatin1Char('1') && b >= QLatin1Char('0') && b <= QLatin1Char('4') && k + 3 < text.size()
                 && text[k + 3] == QLatin1Char('`'))
            runStart = k + 4;
        if (runStart < 0) {
            k = text.indexOf(QLatin1Char('`'), k + 1);
            continue;
        }
        qsizetype end = text.indexOf(QLatin1Char('`'), runStart);
        if (end < 0)
            end = text.size();
        if (a == QLatin1Char('4') && runStart == k + 3) {
            const QString ipa = standardPhonetic(ipaFromPhoneticCodes(QStringView(text).mid(runStart, end - runStart)));
            text.replace(runStart, end - runStart, ipa);
            end = runStart + ipa.size();
        }
        k = end < text.size() ? end : -1;
    }
    return text;
}

} // namespace lex
