#include "common/dictionary/ecdict_convert.h"

#include "common/dictionary/dict_keys.h"
#include "common/dictionary/phonetic_codes.h"
#include "common/text/codepage.h"

#include <QHash>
#include <climits>
#include <cstring>

namespace lex::ecdict {

// ---- CSV ---------------------------------------------------------------------------------------

void parseCsv(QByteArrayView data,
              const std::function<bool(const QList<QByteArray>& fields, qsizetype line, bool wellFormed)>& row)
{
    const char* p = data.data();
    const qsizetype n = data.size();
    qsizetype i = 0;
    if (n >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0)
        i = 3;
    qsizetype line = 1;
    QList<QByteArray> fields;
    while (i < n) {
        fields.clear();
        const qsizetype startLine = line;
        bool ok = true;
        for (;;) {
            QByteArray field;
            if (i < n && p[i] == '"') {
                ++i;
                bool closed = false;
                while (i < n) {
                    const char* q = static_cast<const char*>(std::memchr(p + i, '"', size_t(n - i)));
                    const qsizetype end = q ? qsizetype(q - p) : n;
                    for (qsizetype k = i; k < end; ++k)
                        line += p[k] == '\n';
                    field.append(p + i, end - i);
                    i = end;
                    if (i == n)
                        break;
                    if (i + 1 < n && p[i + 1] == '"') { // a doubled quote is one quote
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                if (!closed)
                    ok = false;
                // Text between the closing quote and the separator is kept, but the record is suspect.
                while (i < n && p[i] != ',' && p[i] != '\n' && !(p[i] == '\r' && i + 1 < n && p[i + 1] == '\n')) {
                    ok = false;
                    field += p[i++];
                }
            } else {
                const qsizetype s = i;
                while (i < n && p[i] != ',' && p[i] != '\n')
                    ++i;
                qsizetype e = i;
                if (e > s && p[e - 1] == '\r' && (i == n || p[i] == '\n'))
                    --e;
                field = QByteArray(p + s, e - s);
            }
            fields.append(std::move(field));
            if (i < n && p[i] == ',') {
                ++i;
                continue;
            }
            if (i < n && p[i] == '\r')
                ++i;
            if (i < n && p[i] == '\n') {
                ++i;
                ++line;
            }
            break;
        }
        if (!row(fields, startLine, ok))
            return;
    }
}

// ---- Records -----------------------------------------------------------------------------------

Status readCsv(QByteArrayView utf8Bytes, ReadResult* out)
{
    out->records.clear();
    out->badLines.clear();
    if (!utf8::isValid(utf8Bytes))
        return Status::error(Status::Code::Damaged, QStringLiteral("the file is not valid UTF-8"));
    enum Col { Word, Phonetic, Definition, Translation, Pos, Collins, Oxford, Tag, Bnc, Frq, Exchange, ColCount };
    static const char* const kNames[ColCount] = {"word", "phonetic", "definition", "translation", "pos", "collins",
                                                 "oxford", "tag", "bnc", "frq", "exchange"};
    int col[ColCount];
    std::fill(std::begin(col), std::end(col), -1);
    qsizetype columns = -1;
    parseCsv(utf8Bytes, [&](const QList<QByteArray>& f, qsizetype line, bool wellFormed) {
        if (columns < 0) {
            columns = f.size();
            for (int c = 0; c < ColCount; ++c)
                for (qsizetype k = 0; k < f.size(); ++k)
                    if (f[k].trimmed().toLower() == kNames[c])
                        col[c] = int(k);
            return col[Word] >= 0;
        }
        if (f.size() == 1 && f[0].isEmpty())
            return true; // a blank line
        if (!wellFormed || f.size() != columns) {
            out->badLines << line;
            return true;
        }
        auto text = [&](Col c) { return col[c] < 0 ? QString() : QString::fromUtf8(f[col[c]]); };
        auto number = [&](Col c) { return col[c] < 0 ? 0 : f[col[c]].trimmed().toInt(); };
        Record r;
        r.word = text(Word);
        r.phonetic = text(Phonetic);
        r.definition = text(Definition);
        r.translation = text(Translation);
        r.pos = text(Pos);
        r.tag = text(Tag);
        r.exchange = text(Exchange);
        r.collins = number(Collins);
        r.oxford = number(Oxford);
        r.bnc = number(Bnc);
        r.frq = number(Frq);
        out->records.push_back(std::move(r));
        return true;
    });
    if (col[Word] < 0)
        return Status::error(Status::Code::Damaged, QStringLiteral("the first line names no 'word' column"));
    return Status::ok();
}

namespace {

// Characters a dictionary text should not carry: control characters (the main variant's
// separators among them) go, invisible spaces go, the bullet that code page 936 lacks becomes
// the middle dot it has.
QString cleanText(QStringView s)
{
    QString out;
    out.reserve(s.size());
    for (QChar c : s) {
        const char16_t u = c.unicode();
        if (u == u'\t')
            out += QLatin1Char(' ');
        else if (u < 0x20 || u == 0x7F || u == 0x200B || u == 0xFEFF)
            continue;
        else if (u == 0x2022)
            out += QChar(0x00B7);
        else
            out += c;
    }
    return out;
}

} // namespace

std::vector<WordInfoRecord> wordInfoRecords(const std::vector<Record>& records)
{
    std::vector<WordInfoRecord> out;
    for (const Record& r : records)
        if (const WordInfo w = wordInfoFrom(r.tag, r.collins, r.oxford, r.bnc, r.frq); w.any())
            out.push_back({r.word, w});
    return out;
}

QStringList fieldLines(QStringView f)
{
    QStringList lines;
    QString cur;
    auto flush = [&] {
        const QString t = cleanText(cur).trimmed();
        if (!t.isEmpty())
            lines << t;
        cur.clear();
    };
    const qsizetype n = f.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = f[i];
        if (c == QLatin1Char('\\') && i + 1 < n) {
            const QChar e = f[i + 1];
            if (e == QLatin1Char('n')) {
                ++i;
                flush();
                continue;
            }
            if (e == QLatin1Char('r')) {
                i += (i + 3 < n && f[i + 2] == QLatin1Char('\\') && f[i + 3] == QLatin1Char('n')) ? 3 : 1;
                flush();
                continue;
            }
            if (e == QLatin1Char('\\')) {
                ++i;
                cur += c;
                continue;
            }
        }
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < n && f[i + 1] == QLatin1Char('\n'))
                ++i;
            flush();
            continue;
        }
        cur += c;
    }
    flush();
    return lines;
}

// ---- Phonetics ---------------------------------------------------------------------------------

namespace {

// Cyrillic and Greek letters that old data typed for IPA symbols or plain letters.
char16_t lookAlike(char16_t c)
{
    switch (c) {
    case 0x04D9: case 0x04D8: return u'E'; // ә Ә: ə
    case 0x0454: case 0x03B5: return u'Z'; // є, Greek ε: ɛ
    case 0x03B1: return u'B';              // Greek α: ɑ
    case 0x0430: return u'a';
    case 0x0435: return u'e';
    case 0x043E: return u'o';
    case 0x0440: return u'p';
    case 0x0441: return u'c';
    case 0x0443: return u'y';
    case 0x0445: return u'x';
    case 0x0456: return u'i';
    case 0x0458: return u'j';
    default: return 0;
    }
}

// IPA symbols the font has no code for, written as the nearest one it has.
char16_t nearestCode(char16_t c)
{
    switch (c) {
    case u'ɒ': return u'C'; // British short o, written ɔ as older dictionaries did
    case u'ɐ': return u'Q';
    case u'ɹ': return u'r';
    case u'ɫ': return u'l';
    default: return 0;
    }
}

bool isStressLookAlike(char16_t c)
{
    return c == 0x02CA || c == 0x00B4 || c == 0x02B9 || c == 0x2032 || c == 0x2018 || c == 0x2019;
}

bool isVowelLetter(char16_t c)
{
    return QStringView(u"aeiouyәəɑɔæʌєɛɪʊɒɜε").contains(QChar(c));
}

// A phonetic symbol can follow: then ',' and '.' before it are secondary stress marks.
bool startsSymbol(QStringView s, qsizetype i)
{
    if (i >= s.size())
        return false;
    const QChar c = s[i];
    return c.isLetter() || c == QLatin1Char('^') || c == QLatin1Char('\\') || c == QLatin1Char('(');
}

} // namespace

namespace {

// An American form: r-coloured vowels, or an r after a vowel that no vowel follows (car, water).
bool looksAmerican(QStringView v)
{
    if (v.contains(u'ɚ') || v.contains(u'ɝ'))
        return true;
    for (qsizetype i = 1; i < v.size(); ++i) {
        if (v[i] != u'r' || (!isVowelLetter(v[i - 1].unicode()) && v[i - 1] != u'ː'))
            continue;
        qsizetype j = i + 1;
        while (j < v.size() && (v[j] == u'ˈ' || v[j] == u'ˌ'))
            ++j;
        if (j >= v.size() || !isVowelLetter(v[j].unicode()))
            return true;
    }
    return false;
}

// One variant, character by character.
QString standardVariant(QStringView s, unsigned* mends)
{
    const bool old = s.contains(QChar(0x04D9)) || s.contains(QChar(0x0454)) || s.contains(QLatin1Char('^'))
                     || s.contains(QLatin1Char('\\'));
    QString out;
    const qsizetype n = s.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i].unicode();
        const char16_t next = i + 1 < n ? s[i + 1].unicode() : 0;
        const char16_t prev = i > 0 ? s[i - 1].unicode() : 0;
        if (c == u':') {
            *mends |= kMendColon;
            out += u'ː';
        } else if (c == u'\'' || isStressLookAlike(c)) {
            *mends |= kMendAsciiStress;
            out += u'ˈ';
        } else if ((c == u',' || c == u'.') && startsSymbol(s, i + 1)) {
            *mends |= kMendAsciiStress;
            out += u'ˌ';
        } else if (c == u'^') {
            *mends |= kMendOldCodes;
            out += u'ɡ';
        } else if (c == u'\\') {
            *mends |= kMendOldCodes;
            if (prev != u'\\')
                out += u'ɜ';
        } else if (c == u'g') {
            *mends |= kMendAsciiG;
            out += u'ɡ';
        } else if (c == u'j' && old
                   && ((prev == u'a' || prev == u'o' || prev == 0x04D9 || prev == u'ə' || prev == u'j')
                       || !(isVowelLetter(next) || next == u'j'))) {
            *mends |= kMendOldCodes;
            out += u'ʊ';
        } else if (c == 0x04D9 || c == 0x04D8) {
            *mends |= kMendLookAlike;
            out += u'ə';
        } else if (c == 0x0454 || c == 0x03B5) {
            *mends |= kMendLookAlike;
            out += u'ɛ';
        } else if (c == 0x03B1) {
            *mends |= kMendLookAlike;
            out += u'ɑ';
        } else if (const char16_t l = lookAlike(c); l >= u'a' && l <= u'z') {
            *mends |= kMendLookAlike;
            out += QChar(l);
        } else if (c == 0x00A0) {
            out += u' ';
        } else {
            out += QChar(c);
        }
    }
    // The diphthongs in today's letters; a second vowel that is long (iː) or stressed starts a
    // syllable of its own and stays.
    static const std::pair<QStringView, QStringView> kDiphthongs[] = {
        {u"ei", u"eɪ"}, {u"ai", u"aɪ"}, {u"au", u"aʊ"}, {u"əu", u"əʊ"}, {u"ɔi", u"ɔɪ"}};
    for (const auto& [from, to] : kDiphthongs) {
        for (qsizetype at = out.indexOf(from); at >= 0; at = out.indexOf(from, at + 1)) {
            if (at + 2 < out.size() && out[at + 2] == u'ː')
                continue;
            out.replace(at, 2, to.toString());
            *mends |= kMendOldDiphthong;
        }
    }
    return out.simplified();
}

} // namespace

UkIpa standardUkIpa(QStringView in)
{
    UkIpa r;
    QString src = in.toString();
    if (src.contains(QLatin1String("(?@)"))) {
        r.mends |= kMendRunTogether;
        src.replace(QLatin1String("(?@)"), QLatin1String("; "));
    }
    // Variants: "; " and ", " between them; ". " where two were run together.
    QStringList parts;
    QString cur;
    for (qsizetype i = 0; i < src.size(); ++i) {
        const QChar c = src[i];
        const bool spaceAfter = i + 1 < src.size() && src[i + 1].isSpace();
        if ((c == u';' || c == u'；') || ((c == u',' || c == u'.') && (spaceAfter || i + 1 == src.size()))) {
            if (c == u'.' && i + 1 < src.size())
                r.mends |= kMendRunTogether;
            parts << cur;
            cur.clear();
            continue;
        }
        cur += c;
    }
    parts << cur;
    QStringList british, american;
    for (const QString& p : parts) {
        const QString v = standardVariant(p, &r.mends);
        if (v.isEmpty() || r.variants.contains(v) || british.contains(v) || american.contains(v))
            continue;
        (looksAmerican(v) ? american : british) << v;
    }
    // The British first, where the field put an American form before it.
    if (!british.isEmpty() && !american.isEmpty()) {
        for (const QString& p : parts) {
            const QString v = standardVariant(p, &r.mends);
            if (v.isEmpty())
                continue;
            if (american.contains(v))
                r.mends |= kMendAmericanFirst;
            break;
        }
    }
    r.variants = british + american;
    return r;
}

PhoneticResult convertPhonetic(QStringView in)
{
    PhoneticResult r;
    QString src = in.toString();
    if (src.contains(QLatin1String("(?@)"))) {
        r.kinds |= kVariantMarker;
        src.remove(QLatin1String("(?@)"));
    }
    const QStringView s(src);
    // Old data typed ə as the Cyrillic ә and used the font's codes directly; there a 'j' after
    // a vowel or before a consonant is the font's ʊ, not the IPA j.
    const bool old = s.contains(QChar(0x04D9)) || s.contains(QChar(0x0454)) || s.contains(QLatin1Char('^'))
                     || s.contains(QLatin1Char('\\'));
    QString& out = r.codes;
    out.reserve(s.size());
    auto put = [&](char16_t code) {
        if (code == u' ' && (out.isEmpty() || out.endsWith(QLatin1Char(' '))))
            return;
        out += QChar(code);
    };
    const qsizetype n = s.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i].unicode();
        const char16_t next = i + 1 < n ? s[i + 1].unicode() : 0;
        const char16_t prev = i > 0 ? s[i - 1].unicode() : 0;
        const bool nasal = next == 0x0303;
        if (c >= u'a' && c <= u'z') {
            if (nasal && c == u'a') {
                put(u'D');
                ++i;
                continue;
            }
            if (c == u'j' && old) {
                const bool afterVowel = prev == u'a' || prev == u'o' || prev == 0x04D9 || prev == u'ə' || prev == u'j';
                const bool beforeVowel = isVowelLetter(next) || next == u'j';
                if (afterVowel || !beforeVowel) {
                    r.kinds |= kOldCodes;
                    put(u'J');
                    continue;
                }
            }
            put(c);
            continue;
        }
        if (c == u'\'') {
            r.kinds |= kAsciiStress;
            put(u'5');
            continue;
        }
        if (c == u',' || c == u'.') {
            if (startsSymbol(s, i + 1)) {
                r.kinds |= kAsciiStress;
                put(u'7');
            } else {
                put(c);
            }
            continue;
        }
        if (c == u':' || c == u';' || c == u'(' || c == u')' || c == u'-') {
            put(c);
            continue;
        }
        if (c == u'^') {
            r.kinds |= kOldCodes;
            put(u'^');
            continue;
        }
        if (c == u'\\') { // the font's ɜ; some copies of the data doubled it, more than once
            r.kinds |= kOldCodes;
            while (i + 1 < n && s[i + 1] == QLatin1Char('\\'))
                ++i;
            put(u'\\');
            continue;
        }
        if (c == u'/' || c == u'[' || c == u']')
            continue; // delimiters around a transcription, not part of it
        if (QChar(c).isSpace()) {
            put(u' ');
            continue;
        }
        if ((c == u'ɔ' || c == u'ɛ' || c == 0x0454 || c == 0x03B5) && nasal) {
            r.kinds |= (c == u'ɔ' || c == u'ɛ') ? kIpa : kLookAlike;
            put(c == u'ɔ' ? u'S' : u'Y');
            ++i;
            continue;
        }
        if (const char16_t code = phoneticCodeOf(c)) {
            r.kinds |= kIpa;
            put(code);
            continue;
        }
        if (c == u'ʤ' || c == u'ʧ') { // ligatures of two symbols the font has
            r.kinds |= kIpa;
            put(c == u'ʤ' ? u'd' : u't');
            put(c == u'ʤ' ? u'V' : u'F');
            continue;
        }
        if (const char16_t code = lookAlike(c)) {
            r.kinds |= kLookAlike;
            put(code);
            continue;
        }
        if (isStressLookAlike(c)) {
            r.kinds |= kLookAlike;
            put(u'5');
            continue;
        }
        if (const char16_t code = nearestCode(c)) {
            r.kinds |= kIpa;
            r.approximated += QChar(c);
            put(code);
            continue;
        }
        switch (c) { // full-width punctuation of Chinese input
        case 0xFF08: put(u'('); continue;
        case 0xFF09: put(u')'); continue;
        case 0xFF1B: put(u';'); continue;
        case 0xFF0C: put(u','); continue;
        case 0xFF1A: put(u':'); continue;
        case 0x2010: case 0x2011: case 0x2013: case 0x2014: put(u'-'); continue;
        default: break;
        }
        // A Latin letter with a diacritic: its base letter.
        const QString base = QChar(c).decomposition();
        if (!base.isEmpty() && base[0].unicode() >= u'a' && base[0].unicode() <= u'z') {
            r.approximated += QChar(c);
            put(base[0].unicode());
            continue;
        }
        // Everything else has no place in the font: capitals and digits (they are its codes),
        // Chinese labels, private-use and stray characters.
        if (QChar::isHighSurrogate(c) && QChar::isLowSurrogate(next)) {
            r.dropped += s.mid(i, 2);
            ++i;
        } else {
            r.dropped += QChar(c);
        }
    }
    // No separator or blank at either end.
    static const QString kEdge = QStringLiteral(" ;,.");
    qsizetype b = 0, e = out.size();
    while (b < e && kEdge.contains(out[b]))
        ++b;
    while (e > b && kEdge.contains(out[e - 1]))
        --e;
    out = out.mid(b, e - b);
    return r;
}

// ---- Entries -----------------------------------------------------------------------------------

DictSourceEntry mainEntry(const Record& r, const QString& phoneticCodes)
{
    DictSourceEntry e;
    e.key = r.word;
    e.phonetic = phoneticCodes;
    e.explanation = fieldLines(r.translation);
    if (e.explanation.isEmpty())
        e.explanation = fieldLines(r.definition);
    return e;
}

namespace {

struct Label {
    const char* code;
    const char* text; // UTF-8
};

const Label kForms[] = {
    {"p", "过去式"}, {"d", "过去分词"}, {"i", "现在分词"}, {"3", "第三人称单数"},
    {"s", "复数"},   {"r", "比较级"},   {"t", "最高级"},   {"0", "原形"},
};

const Label kTags[] = {
    {"zk", "中考"}, {"gk", "高考"}, {"cet4", "四级"}, {"cet6", "六级"},
    {"ky", "考研"}, {"toefl", "托福"}, {"ielts", "雅思"}, {"gre", "GRE"},
};

// The companion draws a backquote as the start of a marker; the texts use it as an opening quote.
QString markupSafe(const QString& s)
{
    QString t = s;
    t.replace(QLatin1Char('`'), QChar(0x2018));
    return t;
}

} // namespace

QString companionText(const Record& r, const QString& phoneticCodes)
{
    QString t = QStringLiteral("`1`") + markupSafe(cleanText(r.word));
    if (!phoneticCodes.isEmpty())
        t += QStringLiteral("`4`/") + phoneticCodes + QLatin1Char('/');
    for (const QString& line : fieldLines(r.translation))
        t += QStringLiteral("`8`") + markupSafe(line);

    // Word forms: "p:went/d:gone/..."; each code once, in the order of kForms.
    QHash<QString, QString> forms;
    for (QStringView item : QStringView(r.exchange).split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        const qsizetype colon = item.indexOf(QLatin1Char(':'));
        if (colon <= 0)
            continue;
        const QString code = item.left(colon).trimmed().toString();
        const QString value = cleanText(item.mid(colon + 1)).trimmed();
        if (!value.isEmpty() && !forms.contains(code))
            forms.insert(code, value);
    }
    QString formLines;
    for (const Label& l : kForms) {
        const auto it = forms.constFind(QLatin1String(l.code));
        if (it != forms.constEnd())
            formLines += QStringLiteral("`13`") + QString::fromUtf8(l.text) + QStringLiteral("：") + markupSafe(*it);
    }
    if (!formLines.isEmpty())
        t += QStringLiteral("`7`词形变化") + formLines;

    const QStringList definitions = fieldLines(r.definition);
    if (!definitions.isEmpty()) {
        t += QStringLiteral("`7`英文释义");
        for (const QString& line : definitions)
            t += QStringLiteral("`9`") + markupSafe(line);
    }

    QStringList tags;
    for (QStringView tag : QStringView(r.tag).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        QString shown = markupSafe(cleanText(tag));
        for (const Label& l : kTags)
            if (tag == QLatin1String(l.code))
                shown = QString::fromUtf8(l.text);
        tags << shown;
    }
    if (!tags.isEmpty())
        t += QStringLiteral("`14`考试：") + tags.join(QStringLiteral(" / "));

    QStringList marks;
    if (r.collins >= 1 && r.collins <= 5)
        marks << QStringLiteral("柯林斯") + QString(r.collins, QChar(0x2605));
    if (r.oxford > 0)
        marks << QStringLiteral("牛津3000核心词");
    if (!marks.isEmpty())
        t += QStringLiteral("`6`") + marks.join(QStringLiteral("　"));
    return t;
}

namespace {

enum class KeyProblem { None, Bad, NotInCodePage, TooLong };

KeyProblem keyProblem(const QString& key)
{
    if (key.isEmpty() || key.front().isSpace() || key.back().isSpace())
        return KeyProblem::Bad;
    for (QChar c : key)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return KeyProblem::Bad;
    bool lossy = false;
    const QByteArray bytes = cp936::encode(key, &lossy);
    // A key that does not come back unchanged would sort differently from what the reader sees.
    if (lossy || cp936::decode(bytes) != key)
        return KeyProblem::NotInCodePage;
    if (bytes.size() > kMaxKeyBytes)
        return KeyProblem::TooLong;
    return KeyProblem::None;
}

bool hasAsciiCapital(const QString& s)
{
    for (QChar c : s)
        if (c.unicode() >= u'A' && c.unicode() <= u'Z')
            return true;
    return false;
}

// True when `a` should replace `b` as the companion's entry for their folded key.
bool preferredForCompanion(const Record& a, const Record& b)
{
    auto rank = [](int v) { return v > 0 ? v : INT_MAX; };
    if (rank(a.frq) != rank(b.frq))
        return rank(a.frq) < rank(b.frq);
    if (rank(a.bnc) != rank(b.bnc))
        return rank(a.bnc) < rank(b.bnc);
    return !hasAsciiCapital(a.word) && hasAsciiCapital(b.word);
}

QString foldKey(const QString& s)
{
    QString f = s;
    for (QChar& c : f)
        c = QChar(dictkeys::foldAscii(c.unicode()));
    return f;
}

} // namespace

std::vector<DictSourceEntry> convert(const std::vector<Record>& records, DictVariant variant, ConvertStats* statsOut)
{
    ConvertStats st;
    st.records = qsizetype(records.size());

    // Which records are written: filter the keys, then resolve duplicates.
    std::vector<size_t> kept;
    kept.reserve(records.size());
    QHash<QString, size_t> slot; // key (folded for the companion) -> position in `kept`
    slot.reserve(qsizetype(records.size()));
    for (size_t i = 0; i < records.size(); ++i) {
        const Record& r = records[i];
        switch (keyProblem(r.word)) {
        case KeyProblem::Bad: ++st.badKey; continue;
        case KeyProblem::NotInCodePage: ++st.notInCodePage; continue;
        case KeyProblem::TooLong: ++st.keyTooLong; continue;
        case KeyProblem::None: break;
        }
        if (variant == DictVariant::Main) {
            if (slot.contains(r.word)) {
                ++st.exactDuplicates;
                continue;
            }
            slot.insert(r.word, kept.size());
            kept.push_back(i);
            continue;
        }
        const QString folded = foldKey(r.word);
        const auto it = slot.constFind(folded);
        if (it == slot.constEnd()) {
            slot.insert(folded, kept.size());
            kept.push_back(i);
            continue;
        }
        const Record& holder = records[kept[*it]];
        if (holder.word == r.word)
            ++st.exactDuplicates;
        else
            ++st.caseDuplicates;
        if (preferredForCompanion(r, holder))
            kept[*it] = i;
    }
    slot.clear();

    // Phonetic figures describe every record of the file, whether written or not.
    std::vector<QString> codes(records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        const Record& r = records[i];
        if (r.phonetic.trimmed().isEmpty())
            continue;
        ++st.withPhonetic;
        const PhoneticResult p = convertPhonetic(r.phonetic);
        for (int k = 0; k < kPhoneticKindCount; ++k)
            st.kinds[k] += (p.kinds >> k) & 1u;
        if (p.clean())
            ++st.phoneticClean;
        if (!p.approximated.isEmpty())
            ++st.phoneticApproximated;
        if (!p.dropped.isEmpty())
            ++st.phoneticDropped;
        if (p.codes.isEmpty())
            ++st.phoneticEmptied;
        auto tally = [](const QString& chars, std::map<char32_t, qsizetype>& into) {
            QList<uint> seen;
            for (uint u : chars.toUcs4())
                if (!seen.contains(u)) {
                    seen << u;
                    ++into[char32_t(u)];
                }
        };
        tally(p.dropped, st.droppedChars);
        tally(p.approximated, st.approximatedChars);
        codes[i] = p.codes;
    }

    std::vector<DictSourceEntry> entries;
    entries.reserve(kept.size());
    for (size_t i : kept) {
        const Record& r = records[i];
        DictSourceEntry e = mainEntry(r, codes[i]);
        if (e.phonetic.isEmpty() && e.explanation.isEmpty()) {
            ++st.noText;
            continue;
        }
        if (variant == DictVariant::Companion) {
            e.text = companionText(r, codes[i]);
            e.phonetic.clear();
            e.explanation.clear();
        }
        entries.push_back(std::move(e));
    }
    st.out = qsizetype(entries.size());
    if (statsOut)
        *statsOut = std::move(st);
    return entries;
}

} // namespace lex::ecdict
