#include "common/dictionary/us_phonetics.h"

#include "common/dictionary/index_blocks.h"
#include "common/dictionary/phonetic_codes.h"

#include <QRegularExpression>
#include <QSet>
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <map>

namespace lex {
namespace {

constexpr char kMagic[4] = {'L', 'X', 'U', 'S'};
constexpr uint8_t kVersion = 1;
constexpr uint64_t kHeader = 4 + 1 + 4;   // magic, version, count

struct PhoneIpa {
    const char* phone;
    const char16_t* ipa;
    const char16_t* unstressed;   // a vowel's reduced form, else null
};

// ARPAbet as the CMU dictionary writes it (lower case), and the IPA of American dictionaries.
constexpr PhoneIpa kPhones[] = {
    {"aa", u"ɑ", nullptr}, {"ae", u"æ", nullptr}, {"ah", u"ʌ", u"ə"}, {"ao", u"ɔ", nullptr},
    {"aw", u"aʊ", nullptr}, {"ax", u"ə", u"ə"}, {"axr", u"ɚ", u"ɚ"}, {"ay", u"aɪ", nullptr},
    {"eh", u"ɛ", nullptr}, {"er", u"ɝ", u"ɚ"}, {"ey", u"eɪ", nullptr}, {"ih", u"ɪ", nullptr},
    {"ix", u"ɨ", nullptr}, {"iy", u"i", nullptr}, {"ow", u"oʊ", nullptr}, {"oy", u"ɔɪ", nullptr},
    {"uh", u"ʊ", nullptr}, {"uw", u"u", nullptr}, {"ux", u"ʉ", nullptr},
    {"b", u"b", nullptr}, {"ch", u"tʃ", nullptr}, {"d", u"d", nullptr}, {"dh", u"ð", nullptr},
    {"dx", u"ɾ", nullptr}, {"el", u"l̩", nullptr}, {"em", u"m̩", nullptr}, {"en", u"n̩", nullptr},
    {"f", u"f", nullptr}, {"g", u"ɡ", nullptr}, {"hh", u"h", nullptr}, {"jh", u"dʒ", nullptr},
    {"k", u"k", nullptr}, {"l", u"l", nullptr}, {"m", u"m", nullptr}, {"n", u"n", nullptr},
    {"ng", u"ŋ", nullptr}, {"nx", u"ŋ", nullptr}, {"p", u"p", nullptr}, {"q", u"ʔ", nullptr},
    {"r", u"r", nullptr}, {"s", u"s", nullptr}, {"sh", u"ʃ", nullptr}, {"t", u"t", nullptr},
    {"th", u"θ", nullptr}, {"v", u"v", nullptr}, {"w", u"w", nullptr}, {"wh", u"ʍ", nullptr},
    {"y", u"j", nullptr}, {"z", u"z", nullptr}, {"zh", u"ʒ", nullptr},
};

const PhoneIpa* phoneOf(const QString& p)
{
    for (const PhoneIpa& x : kPhones)
        if (p == QLatin1String(x.phone))
            return &x;
    return nullptr;
}

bool isVowelPhone(const QString& p)
{
    static const QSet<QString> kVowels = {"aa", "ae", "ah", "ao", "aw", "ax", "axr", "ay", "eh", "er",
                                          "ey", "ih", "ix", "iy", "ow", "oy", "uh", "uw", "ux"};
    return kVowels.contains(p);
}

// The consonant (if any) before which a reduced vowel and l, n or m make a syllabic consonant:
// l after any consonant but l (little, table); n after t, d, s, z (button, sudden, lesson); m after
// the fricatives of rhythm and prism.
bool syllabicAfter(const QString& before, const QString& sonorant)
{
    if (sonorant == u"l")
        return before != u"l" && before != u"r" && !isVowelPhone(before);
    if (sonorant == u"n")
        return before == u"t" || before == u"d" || before == u"s" || before == u"z";
    if (sonorant == u"m")
        return before == u"dh" || before == u"z" || before == u"s";
    return false;
}

} // namespace

QString arpabetToIpa(const std::vector<CmuSyllable>& syllables)
{
    QString out;
    bool primaryGiven = false;
    for (const CmuSyllable& s : syllables) {
        if (s.stress > 0 && syllables.size() > 1) {
            // The Festival edition marks secondary stress as primary: the first is the primary.
            const bool primary = s.stress == 1 && !primaryGiven;
            out += primary ? u'ˈ' : u'ˌ';
            primaryGiven = primaryGiven || primary;
        }
        const QStringList& ph = s.phones;
        for (qsizetype i = 0; i < ph.size(); ++i) {
            // A reduced vowel between a consonant and a last l, n or m of an unstressed syllable.
            if (s.stress == 0 && (ph[i] == u"ax" || ph[i] == u"ah") && i > 0 && i + 2 == ph.size() && syllabicAfter(ph[i - 1], ph[i + 1])) {
                out += phoneOf(ph[i + 1])->ipa;
                out += QChar(0x0329);
                break;
            }
            const PhoneIpa* x = phoneOf(ph[i]);
            if (!x)
                continue;   // nothing of the dictionary's own that IPA lacks
            out += QStringView(s.stress == 0 && x->unstressed ? x->unstressed : x->ipa);
        }
    }
    return out;
}

bool parseFestivalCmuLine(QStringView line, QString* word, std::vector<CmuSyllable>* syllables)
{
    static const QRegularExpression whole(QString::fromLatin1(R"re(^\("([^"]+)" \S+ \((.*)\)\)\s*$)re"));
    static const QRegularExpression syllable(QString::fromLatin1(R"re(\(\(([^()]*)\) (\d)\))re"));
    const QRegularExpressionMatch m = whole.match(line.toString());
    if (!m.hasMatch())
        return false;
    *word = m.captured(1).toLower();
    syllables->clear();
    auto it = syllable.globalMatch(m.captured(2));
    while (it.hasNext()) {
        const QRegularExpressionMatch s = it.next();
        syllables->push_back({s.captured(1).split(u' ', Qt::SkipEmptyParts), s.captured(2).toInt()});
    }
    return !syllables->empty();
}

bool parsePlainCmuLine(QStringView line, QString* word, std::vector<CmuSyllable>* syllables)
{
    if (line.startsWith(u";;;") || line.trimmed().isEmpty())
        return false;
    const QStringList parts = line.toString().split(u' ', Qt::SkipEmptyParts);
    if (parts.size() < 2)
        return false;
    QString w = parts[0].toLower();
    if (const qsizetype paren = w.indexOf(u'('); paren > 0 && w.endsWith(u')'))
        w.truncate(paren);   // READ(1): a second pronunciation
    *word = w;
    // Phones and the vowels' stress digits.
    QStringList phones;
    std::vector<int> stress;
    for (qsizetype i = 1; i < parts.size(); ++i) {
        if (parts[i].startsWith(u'#'))
            break;   // a comment after the pronunciation
        QString p = parts[i].toLower();
        int st = -1;
        if (!p.isEmpty() && p.back().isDigit()) {
            st = p.back().digitValue();
            p.chop(1);
        }
        phones << p;
        stress.push_back(st);
    }
    // Maximal onset: each vowel takes the consonants before it that may begin an English syllable.
    static const QSet<QString> kOnsets = {
        "p l", "p r", "b l", "b r", "t r", "d r", "k l", "k r", "g l", "g r", "f l", "f r", "th r", "sh r",
        "s p", "s t", "s k", "s m", "s n", "s l", "s w", "s f", "s p l", "s p r", "s t r", "s k r", "s k w",
        "t w", "d w", "k w", "g w", "th w", "hh w", "p y", "b y", "k y", "g y", "f y", "m y", "hh y", "v y",
        "s k y", "s p y", "n y"};
    std::vector<qsizetype> vowels;
    for (qsizetype i = 0; i < phones.size(); ++i)
        if (stress[size_t(i)] >= 0 || isVowelPhone(phones[i]))
            vowels.push_back(i);
    syllables->clear();
    if (vowels.empty()) {
        syllables->push_back({phones, 0});
        return !phones.isEmpty();
    }
    qsizetype start = 0;
    for (size_t v = 0; v < vowels.size(); ++v) {
        const qsizetype next = v + 1 < vowels.size() ? vowels[v + 1] : phones.size();
        qsizetype end = phones.size();
        if (v + 1 < vowels.size()) {
            // The consonants between this vowel and the next: the longest legal onset goes on.
            const qsizetype first = vowels[v] + 1;
            qsizetype cut = next;   // no consonant goes on
            for (qsizetype c = first; c < next; ++c) {
                const QString onset = phones.mid(c, next - c).join(u' ');
                if (next - c == 1 ? phones[c] != u"ng" : kOnsets.contains(onset)) {
                    cut = c;
                    break;
                }
            }
            end = cut;
        }
        syllables->push_back({phones.mid(start, end - start), std::max(0, stress[size_t(vowels[v])])});
        start = end;
    }
    return true;
}

QMap<QString, QStringList> readCmuDictionary(const QByteArray& text)
{
    QMap<QString, QStringList> out;
    QString word;
    std::vector<CmuSyllable> syllables;
    for (const QByteArray& raw : text.split('\n')) {
        // Both editions are ASCII; Latin-1 reads any stray byte without failing.
        const QString line = QString::fromLatin1(raw).trimmed();
        const bool parsed = line.startsWith(u'(') ? parseFestivalCmuLine(line, &word, &syllables)
                                                  : parsePlainCmuLine(line, &word, &syllables);
        if (!parsed || word.isEmpty())
            continue;
        const QString ipa = arpabetToIpa(syllables);
        QStringList& list = out[word];
        if (!ipa.isEmpty() && !list.contains(ipa))
            list << ipa;
    }
    return out;
}

QByteArray buildPhoneticBlock(const QMap<QString, AccentIpa>& words)
{
    std::map<QByteArray, QByteArray> sorted;   // byte order, as the reader bisects
    for (auto it = words.cbegin(); it != words.cend(); ++it) {
        if (it.value().uk.isEmpty() && it.value().us.isEmpty())
            continue;
        // A zero byte ends each field; none may hide inside one.
        QByteArray uk = it.value().uk.toUtf8(), us = it.value().us.toUtf8(), word = it.key().toLower().toUtf8();
        uk.replace('\0', ""), us.replace('\0', ""), word.replace('\0', "");
        sorted[word] = uk + '\0' + us;
    }
    QByteArray offsets, records;
    for (const auto& [word, ipa] : sorted) {
        char o[4];
        qToLittleEndian<uint32_t>(uint32_t(records.size()), o);
        offsets.append(o, 4);
        records += word + '\0' + ipa + '\0';
    }
    QByteArray block(kMagic, 4);
    block += char(kVersion);
    char n[4];
    qToLittleEndian<uint32_t>(uint32_t(sorted.size()), n);
    block.append(n, 4);
    return block + offsets + records;
}

Accent accentFromSetting(QStringView value)
{
    return value.trimmed().compare(u"US", Qt::CaseInsensitive) == 0 ? Accent::US : Accent::UK;
}

QString accentSetting(Accent accent)
{
    return accent == Accent::US ? QStringLiteral("US") : QStringLiteral("UK");
}

QString phoneticCodesFromIpa(QStringView ipa)
{
    QString out;
    for (const QChar c : ipa) {
        const char16_t u = c.unicode();
        if (u == u'g') {
            out += QChar(phoneticCodeOf(u'ɡ'));
        } else if ((u >= u'a' && u <= u'z') || u == u' ' || u == u';' || u == u'-' || u == u'(' || u == u')') {
            out += c;
        } else if (const char16_t code = phoneticCodeOf(u)) {
            out += QChar(code);
        } else if (u == u'ɾ') {
            out += u't';
        } else if (u == u'ʍ') {
            out += u'w';
        } else if (u == u'ɨ') {
            out += QChar(phoneticCodeOf(u'ɪ'));
        } else if (u == u'ʉ') {
            out += u'u';
        }
        // anything else (the syllabic mark, the glottal stop) has no place in the font
    }
    return out;
}

QString phoneticToFill(Accent accent, const QString& dictionaryCodes, const AccentPhonetics& accents, QStringView word)
{
    if (accent != Accent::US)
        return dictionaryCodes;
    const QString us = accents.find(word, Accent::US);
    if (us.isEmpty())
        return dictionaryCodes;
    return phoneticCodesFromIpa(us.section(QStringLiteral("; "), 0, 0));
}

bool AccentPhonetics::openIndex(const QString& indexPath)
{
    file_.close();
    openMemory({});
    if (!file_.open(indexPath))
        return false;
    openMemory(QByteArrayView(reinterpret_cast<const char*>(file_.data()), qsizetype(file_.size())));
    return count_ > 0;
}

void AccentPhonetics::openMemory(QByteArrayView indexBytes)
{
    data_ = nullptr;
    size_ = 0;
    count_ = 0;
    const QByteArrayView block = findIndexBlock(indexBytes, kUsPhoneticTag);
    const auto* d = reinterpret_cast<const unsigned char*>(block.data());
    const uint64_t len = uint64_t(block.size());
    // An unknown version is ignored like no block.
    if (len < kHeader || std::memcmp(d, kMagic, 4) != 0 || d[4] != kVersion)
        return;
    const uint64_t count = qFromLittleEndian<uint32_t>(d + 5);
    if (kHeader + 4 * count > len)
        return;
    data_ = d;
    size_ = len;
    count_ = uint32_t(count);
}

bool AccentPhonetics::entryAt(uint32_t i, QByteArrayView* word, QByteArrayView* uk, QByteArrayView* us) const
{
    const uint64_t recordsAt = kHeader + 4 * uint64_t(count_);
    const uint64_t at = recordsAt + qFromLittleEndian<uint32_t>(data_ + kHeader + 4 * uint64_t(i));
    if (at >= size_)
        return false;
    const auto* start = reinterpret_cast<const char*>(data_ + at);
    const auto* end = reinterpret_cast<const char*>(data_ + size_);
    const char* z1 = static_cast<const char*>(std::memchr(start, 0, size_t(end - start)));
    if (!z1)
        return false;
    const char* z2 = static_cast<const char*>(std::memchr(z1 + 1, 0, size_t(end - z1 - 1)));
    if (!z2)
        return false;
    const char* z3 = static_cast<const char*>(std::memchr(z2 + 1, 0, size_t(end - z2 - 1)));
    if (!z3)
        return false;
    *word = QByteArrayView(start, z1 - start);
    *uk = QByteArrayView(z1 + 1, z2 - z1 - 1);
    *us = QByteArrayView(z2 + 1, z3 - z2 - 1);
    return true;
}

QString AccentPhonetics::find(QStringView wordIn, Accent accent) const
{
    if (count_ == 0)
        return {};
    QString folded = wordIn.toString();
    for (QChar& c : folded)
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + 32);
    const QByteArray key = folded.toUtf8();
    uint32_t lo = 0, hi = count_;
    // Bisects by the words' bytes; a damaged record ends the search empty-handed.
    while (lo < hi) {
        const uint32_t mid = lo + (hi - lo) / 2;
        QByteArrayView w, uk, us;
        if (!entryAt(mid, &w, &uk, &us))
            return {};
        const int c = QByteArrayView(key).compare(w);
        if (c == 0)
            return QString::fromUtf8(accent == Accent::UK ? uk : us);
        if (c < 0)
            hi = mid;
        else
            lo = mid + 1;
    }
    return {};
}

} // namespace lex
