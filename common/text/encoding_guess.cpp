#include "common/text/encoding_guess.h"

#include "common/text/codepage.h"

#include <QString>
#include <array>

namespace lex {
namespace {

// Where a character sits in GB2312, the character set nearly all Chinese text is drawn from.
enum CharClass : unsigned char {
    NotGb2312 = 0,
    Level1,      // the 3,755 common hanzi (rows B0-D7)
    Level2,      // the 3,008 rarer hanzi (rows D8-F7)
    Punctuation, // full-width punctuation and forms (rows A1 and A3), above U+00FF
    Symbol,      // every other GB2312 symbol: Greek, Cyrillic, kana, pinyin letters, boxes
};

// Built once from the code page itself, so no table needs to be kept in step with it.
const std::array<unsigned char, 0x10000>& gb2312Classes()
{
    static const std::array<unsigned char, 0x10000> table = [] {
        std::array<unsigned char, 0x10000> t{};
        for (int hi = 0xA1; hi <= 0xF7; ++hi) {
            for (int lo = 0xA1; lo <= 0xFE; ++lo) {
                const char pair[2] = {char(hi), char(lo)};
                const QString c = cp936::decode(QByteArrayView(pair, 2));
                if (c.size() != 1)
                    continue;
                const char16_t u = c[0].unicode();
                if (u < 0x80 || u == 0xFFFD || (u >= 0xE000 && u <= 0xF8FF))
                    continue; // unassigned positions that code page 936 maps to private use
                CharClass k;
                if (hi >= 0xB0 && hi <= 0xD7)
                    k = Level1;
                else if (hi >= 0xD8)
                    k = Level2;
                else if ((hi == 0xA1 || hi == 0xA3) && u > 0xFF)
                    k = Punctuation;
                else
                    k = Symbol; // Latin-1 signs such as "±" and "÷" count as rare symbols
                t[u] = k;
            }
        }
        return t;
    }();
    return table;
}

bool isAsciiLetter(char16_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool isCjkIdeograph(char32_t c)
{
    return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0xF900 && c <= 0xFAFF);
}

// Rough negative log-likelihoods in nats: a common hanzi is likelier than a rare one, which is likelier than a
// character of a foreign script, a private-use character or a control code. Summed over the
// text, a reading that splits the same bytes into more characters pays for each of them.
int characterScore(QStringView text, qsizetype i, char32_t c, int width)
{
    const auto& classes = gb2312Classes();
    const unsigned char k = c <= 0xFFFF ? classes[c] : NotGb2312;
    int w;
    switch (k) {
    case Level1: w = -9; break;
    case Level2: w = -12; break;
    case Punctuation: w = -7; break;
    case Symbol: w = -13; break;
    default:
        if (isCjkIdeograph(c))
            w = -16;
        else if ((c >= 0xE000 && c <= 0xF8FF) || (c >= 0x80 && c <= 0x9F) || c == 0xFFFD)
            w = -30;
        else if (c >= 0xC0 && c <= 0x2FF)
            w = -13; // Latin letters and phonetic symbols
        else if (c >= 0x2000 && c <= 0x206F)
            w = -10; // general punctuation (dashes, quotes)
        else if (c > 0xFFFF)
            w = -25;
        else
            w = -20;
        break;
    }
    // An accented Latin letter inside an ASCII word ("naïve", "résumé") is ordinary UTF-8 text;
    // a hanzi wedged between ASCII letters is not ordinary GBK text.
    if (c >= 0xC0 && c <= 0x24F && k != Level1) {
        const bool left = i > 0 && isAsciiLetter(text[i - 1].unicode());
        const bool right = i + width < text.size() && isAsciiLetter(text[i + width].unicode());
        if (left && right)
            w += 8;
        else if (left || right)
            w += 2;
    }
    return w;
}

int sequenceLength(uchar lead)
{
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

} // namespace

int chineseTextScore(QStringView text)
{
    int score = 0;
    for (qsizetype i = 0; i < text.size();) {
        char32_t c = text[i].unicode();
        int width = 1;
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            width = 2;
        }
        if (c >= 0x80)
            score += characterScore(text, i, c, width);
        i += width;
    }
    return score;
}

qsizetype incompleteUtf8Tail(QByteArrayView b)
{
    for (qsizetype cut = 1; cut <= 3 && cut <= b.size(); ++cut) {
        const uchar lead = uchar(b[b.size() - cut]);
        if (lead < 0x80)
            return 0;
        if ((lead & 0xC0) == 0x80)
            continue; // a continuation byte: the lead lies further back
        return sequenceLength(lead) > cut ? cut : 0;
    }
    return 0;
}

UnmarkedEncoding guessUnmarkedEncoding(QByteArrayView bytes)
{
    if (cp936::isAscii(bytes))
        return UnmarkedEncoding::Cp936; // the same text either way
    QByteArrayView body = bytes;
    if (!utf8::isValid(body)) {
        body = bytes.first(bytes.size() - incompleteUtf8Tail(bytes));
        if (body.size() == bytes.size() || cp936::isAscii(body) || !utf8::isValid(body))
            return UnmarkedEncoding::Cp936;
    }
    const QString asGbk = cp936::decode(bytes);
    if (asGbk.contains(QChar(0xFFFD)))
        return UnmarkedEncoding::Utf8; // not GBK at all (GBK has no U+FFFD of its own)
    // The whole text: a character cut short at the end costs the UTF-8 reading its U+FFFD.
    const QString asUtf8 = QString::fromUtf8(bytes);
    // A tie goes to the code page, as Windows reads such a file.
    return chineseTextScore(asUtf8) > chineseTextScore(asGbk) ? UnmarkedEncoding::Utf8 : UnmarkedEncoding::Cp936;
}

} // namespace lex
