#include "lexora/practice/spelling_grade.h"

#include "common/text/hyphenator.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

namespace lex {
namespace {

char16_t fold(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; }

bool isVowel(QChar c) { return QStringView(u"aeiou").contains(c); }

// Pairs of national spellings no rule below makes: British first.
constexpr const char16_t* kIrregular[][2] = {
    {u"grey", u"gray"}, {u"greys", u"grays"}, {u"programme", u"program"}, {u"programmes", u"programs"},
    {u"tyre", u"tire"}, {u"tyres", u"tires"}, {u"aluminium", u"aluminum"}, {u"cheque", u"check"},
    {u"cheques", u"checks"}, {u"plough", u"plow"}, {u"mould", u"mold"}, {u"smoulder", u"smolder"},
    {u"jewellery", u"jewelry"}, {u"pyjamas", u"pajamas"}, {u"sceptical", u"skeptical"},
    {u"sceptic", u"skeptic"}, {u"cosy", u"cozy"}, {u"ageing", u"aging"}, {u"judgement", u"judgment"},
    {u"acknowledgement", u"acknowledgment"}, {u"draught", u"draft"}, {u"moustache", u"mustache"},
    {u"manoeuvre", u"maneuver"}, {u"enrol", u"enroll"}, {u"enrolment", u"enrollment"},
    {u"fulfil", u"fulfill"}, {u"fulfilment", u"fulfillment"}, {u"skilful", u"skillful"},
    {u"wilful", u"willful"}, {u"instalment", u"installment"}, {u"distil", u"distill"},
    {u"practise", u"practice"},
    {u"gaol", u"jail"}, {u"doughnut", u"donut"}, {u"omelette", u"omelet"}, {u"axe", u"ax"},
    {u"analyse", u"analyze"}, {u"paralyse", u"paralyze"}, {u"catalyse", u"catalyze"},
    {u"whisky", u"whiskey"}, {u"licence", u"license"}, {u"defence", u"defense"}, {u"offence", u"offense"},
    {u"pretence", u"pretense"}, {u"colour", u"color"}, {u"centre", u"center"}, {u"theatre", u"theater"},
};

// Endings after "our"/"or" that keep the national difference (colourful, favourite).
constexpr const char16_t* kOurEndings[] = {u"", u"s", u"ed", u"ing", u"ful", u"fully", u"ite", u"ites", u"able",
                                           u"ably", u"less", u"er", u"ers", u"ism", u"ist", u"hood", u"ly"};

void addCandidate(QStringList& out, const QString& c, QStringView word)
{
    if (c != word && !out.contains(c))
        out.append(c);
}

// Swaps `from` for `to` where it ends `w` (followed by one of `endings`), `minBefore` letters in.
void swapEnding(QStringList& out, const QString& w, QStringView from, QStringView to, qsizetype minBefore,
                std::initializer_list<const char16_t*> endings)
{
    for (const char16_t* e : endings) {
        const QStringView end(e);
        const qsizetype p = w.size() - end.size() - from.size();
        if (p < minBefore || !QStringView(w).mid(p).startsWith(from) || !QStringView(w).endsWith(end))
            continue;
        addCandidate(out, w.left(p).append(to).append(end), w);
    }
}

// The candidates the rules make, before a checker judges them. `checked`: a checker will judge
// them; without one only the British-to-American rules and -ise/-ize, which rarely make a
// non-word, are used (the other direction would make "actour" of actor).
QStringList ruleCandidates(const QString& w, bool checked)
{
    QStringList out;
    // -our / -or after a consonant, two letters in at least (four, hour and your keep theirs).
    for (const QStringView from : {QStringView(u"our"), QStringView(u"or")}) {
        if (!checked && from == u"or")
            continue;
        const QStringView to = from.size() == 3 ? QStringView(u"or") : QStringView(u"our");
        for (const char16_t* e : kOurEndings) {
            const QStringView end(e);
            const qsizetype p = w.size() - end.size() - from.size();
            // A consonant before it, or the i of behaviour and saviour.
            if (p < 2 || !QStringView(w).mid(p).startsWith(from) || !QStringView(w).endsWith(end)
                || (isVowel(w[p - 1]) && !(w[p - 1] == u'i' && p >= 4)))
                continue;
            addCandidate(out, w.left(p).append(to).append(end), w);
        }
    }
    // -re / -er after a consonant: centre, metres, theatre.
    for (const QStringView from : {QStringView(u"re"), QStringView(u"er")}) {
        if (!checked && from == u"er")
            continue;
        const QStringView to = from == u"re" ? QStringView(u"er") : QStringView(u"re");
        for (const char16_t* e : {u"", u"s", u"d"}) {
            const QStringView end(e);
            const qsizetype p = w.size() - end.size() - 2;
            if (p < 2 || !QStringView(w).mid(p).startsWith(from) || !QStringView(w).endsWith(end)
                || isVowel(w[p - 1]) || w[p - 1] == u'r' || w[p - 1] == u'y')
                continue;
            addCandidate(out, w.left(p).append(to).append(end), w);
        }
    }
    // -ise / -ize and their forms, -yse / -yze; three letters in at least (prize, size keep theirs).
    static const std::initializer_list<const char16_t*> kIseEndings = {u"e", u"es", u"ed", u"ing", u"er", u"ers",
                                                                        u"ation", u"ations"};
    swapEnding(out, w, u"is", u"iz", 3, kIseEndings);
    swapEnding(out, w, u"iz", u"is", 3, kIseEndings);
    swapEnding(out, w, u"ys", u"yz", 3, {u"e", u"es", u"ed", u"ing"});
    swapEnding(out, w, u"yz", u"ys", 3, {u"e", u"es", u"ed", u"ing"});
    // The doubled l of an unstressed -el: travelled, cancelling, modeller.
    for (const char16_t* e : {u"ed", u"ing", u"er", u"ers"}) {
        const QStringView end(e);
        const qsizetype p = w.size() - end.size() - 2;   // where "ll" would start
        if (p >= 4 && QStringView(w).mid(p).startsWith(u"ll") && w[p - 1] == u'e' && QStringView(w).endsWith(end))
            addCandidate(out, w.left(p).append(u'l').append(end), w);
        const qsizetype q = w.size() - end.size() - 1;   // where a single "l" would be
        if (checked && q >= 4 && w[q] == u'l' && w[q - 1] == u'e' && QStringView(w).endsWith(end) && w[q - 2] != u'l')
            addCandidate(out, w.left(q).append(QStringView(u"ll")).append(end), w);
    }
    if (!checked)
        return out;
    // -ence / -ense: defence, licence.
    swapEnding(out, w, u"ence", u"ense", 3, {u"", u"s"});
    swapEnding(out, w, u"ense", u"ence", 3, {u"", u"s"});
    // -ogue / -og: catalogue, dialogue.
    swapEnding(out, w, u"ogue", u"og", 3, {u"", u"s"});
    swapEnding(out, w, u"og", u"ogue", 3, {u"", u"s"});
    // ae / oe for e: encyclopaedia, anaemia, oestrogen.
    for (const QStringView pair : {QStringView(u"ae"), QStringView(u"oe")}) {
        const qsizetype p = w.indexOf(pair);
        if (p >= 1 && p + 2 < w.size())
            addCandidate(out, w.left(p).append(u'e').append(QStringView(w).mid(p + 2)), w);
    }
    return out;
}

} // namespace

QString spellingVerdictName(SpellingVerdict v)
{
    switch (v) {
    case SpellingVerdict::Right: return QStringLiteral("right");
    case SpellingVerdict::Typo: return QStringLiteral("typo");
    case SpellingVerdict::OtherWord: return QStringLiteral("other-word");
    case SpellingVerdict::Wrong: break;
    }
    return QStringLiteral("wrong");
}

int typoAllowance(qsizetype letters)
{
    return letters <= 4 ? 1 : letters <= 8 ? 2 : 3;
}

namespace {

// The optimal-string-alignment table of `a` against `b`, (a.size()+1) x (b.size()+1).
std::vector<int> osaTable(QStringView a, QStringView b)
{
    const qsizetype n = a.size(), m = b.size(), w = m + 1;
    std::vector<int> d(size_t((n + 1) * w));
    auto at = [&](qsizetype i, qsizetype j) -> int& { return d[size_t(i * w + j)]; };
    for (qsizetype i = 0; i <= n; ++i)
        at(i, 0) = int(i);
    for (qsizetype j = 0; j <= m; ++j)
        at(0, j) = int(j);
    for (qsizetype i = 1; i <= n; ++i) {
        for (qsizetype j = 1; j <= m; ++j) {
            const int cost = fold(a[i - 1].unicode()) == fold(b[j - 1].unicode()) ? 0 : 1;
            int v = std::min({at(i - 1, j) + 1, at(i, j - 1) + 1, at(i - 1, j - 1) + cost});
            if (i > 1 && j > 1 && fold(a[i - 1].unicode()) == fold(b[j - 2].unicode())
                && fold(a[i - 2].unicode()) == fold(b[j - 1].unicode()))
                v = std::min(v, at(i - 2, j - 2) + 1);
            at(i, j) = v;
        }
    }
    return d;
}

} // namespace

int damerauLevenshtein(QStringView a, QStringView b)
{
    // Long strings are not words; bound the table so a pasted page cannot take the memory.
    constexpr qsizetype kLongest = 256;
    if (a.size() > kLongest || b.size() > kLongest)
        return int(std::max(a.size(), b.size()));
    return osaTable(a, b).back();
}

std::vector<SpellingEdit> spellingEdits(QStringView typed, QStringView wanted)
{
    constexpr qsizetype kLongest = 256;
    if (typed.size() > kLongest || wanted.size() > kLongest)
        return {SpellingEdit{0, typed.left(kLongest).toString(), wanted.left(kLongest).toString()}};
    const std::vector<int> d = osaTable(typed, wanted);
    const qsizetype w = wanted.size() + 1;
    auto at = [&](qsizetype i, qsizetype j) { return d[size_t(i * w + j)]; };
    auto same = [](QChar x, QChar y) { return fold(x.unicode()) == fold(y.unicode()); };
    // Walk back from the end; each step is one operation, kept with where it lands in `wanted`.
    struct Step { qsizetype j; QString typed, wanted; bool match; };
    std::vector<Step> steps;
    qsizetype i = typed.size(), j = wanted.size();
    while (i > 0 || j > 0) {
        const int here = at(i, j);
        if (i > 0 && j > 0 && same(typed[i - 1], wanted[j - 1]) && here == at(i - 1, j - 1)) {
            steps.push_back({j - 1, {}, {}, true});
            --i, --j;
        } else if (i > 1 && j > 1 && same(typed[i - 1], wanted[j - 2]) && same(typed[i - 2], wanted[j - 1])
                   && here == at(i - 2, j - 2) + 1) {
            steps.push_back({j - 2, typed.mid(i - 2, 2).toString(), wanted.mid(j - 2, 2).toString(), false});
            i -= 2, j -= 2;
        } else if (i > 0 && j > 0 && here == at(i - 1, j - 1) + 1) {
            steps.push_back({j - 1, typed.mid(i - 1, 1).toString(), wanted.mid(j - 1, 1).toString(), false});
            --i, --j;
        } else if (j > 0 && here == at(i, j - 1) + 1) {
            steps.push_back({j - 1, {}, wanted.mid(j - 1, 1).toString(), false});
            --j;
        } else {
            steps.push_back({j, typed.mid(i - 1, 1).toString(), {}, false});
            --i;
        }
    }
    std::reverse(steps.begin(), steps.end());
    std::vector<SpellingEdit> edits;
    bool open = false;
    for (const Step& s : steps) {
        if (s.match) {
            open = false;
            continue;
        }
        if (!open) {
            edits.push_back({int(s.j), {}, {}});
            open = true;
        }
        edits.back().typed += s.typed;
        edits.back().wanted += s.wanted;
    }
    return edits;
}

QString markedSpelling(QStringView wanted, const std::vector<SpellingEdit>& edits)
{
    QString out;
    qsizetype pos = 0;
    for (const SpellingEdit& e : edits) {
        const qsizetype at = std::clamp<qsizetype>(e.at, pos, wanted.size());
        out += wanted.mid(pos, at - pos);
        out += u'[' + e.wanted + u']';
        pos = std::min(wanted.size(), at + e.wanted.size());
    }
    out += wanted.mid(pos);
    return out;
}

QStringList spellingVariants(QStringView word, const WordChecker* checker)
{
    QString w;
    w.reserve(word.size());
    for (QChar c : word)
        w.append(QChar(fold(c.unicode())));
    QStringList out;
    for (const auto& pair : kIrregular) {
        if (w == QStringView(pair[0]))
            addCandidate(out, QString::fromUtf16(pair[1]), w);
        else if (w == QStringView(pair[1]))
            addCandidate(out, QString::fromUtf16(pair[0]), w);
    }
    for (const QString& c : ruleCandidates(w, checker != nullptr))
        if (!out.contains(c) && (!checker || checker->isWord(c)))
            out.append(c);
    return out;
}

SpellingGrade gradeSpelling(QStringView target, QStringView typedIn, const WordChecker* checker)
{
    SpellingGrade g;
    g.checked = checker != nullptr;
    const QStringView typed = typedIn;
    g.compared = target.toString();
    QStringList spellings{target.toString()};
    spellings += spellingVariants(target, checker);
    int best = -1;
    for (const QString& s : spellings) {
        const int dist = damerauLevenshtein(typed, s);
        if (best < 0 || dist < best) {
            best = dist;
            g.compared = s;
        }
    }
    g.distance = best;
    if (best == 0) {
        g.verdict = SpellingVerdict::Right;
        return g;
    }
    g.edits = spellingEdits(typed, g.compared);
    if (typed.isEmpty() || !checker)
        g.verdict = SpellingVerdict::Wrong;
    else if (checker->isWord(typed))
        g.verdict = SpellingVerdict::OtherWord;
    else if (best <= typoAllowance(target.size()))
        g.verdict = SpellingVerdict::Typo;
    else
        g.verdict = SpellingVerdict::Wrong;
    return g;
}

QString spellingHintPattern(const SpellingHints& hints, int rung)
{
    if (rung <= 0 || hints.length == 0)
        return {};
    const QString ellipsis(QChar(0x2026));
    if (rung == 1)
        return hints.firstLetter + ellipsis;
    QStringList shown;
    for (const QString& syllable : hints.syllables) {
        if (rung == 2) {
            shown << syllable.left(1) + ellipsis;
            continue;
        }
        QString masked = syllable;
        for (qsizetype i = 1; i < masked.size(); ++i)
            if (masked[i].isLetter())
                masked[i] = QLatin1Char('_');
        shown << masked;
    }
    return shown.join(QStringLiteral(" \u00b7 "));
}

SpellingHints spellingHints(QStringView word, const Hyphenator& hyphenator)
{
    SpellingHints h;
    h.firstLetter = word.left(1).toString();
    h.syllables = hyphenator.syllables(word);
    h.length = int(word.size());
    return h;
}

QString spellingGradeJson(const SpellingGrade& g)
{
    QJsonArray edits;
    for (const SpellingEdit& e : g.edits)
        edits.append(QJsonObject{{"at", e.at}, {"typed", e.typed}, {"wanted", e.wanted}});
    const QJsonObject o{{"verdict", spellingVerdictName(g.verdict)},
                        {"compared", g.compared},
                        {"distance", g.distance},
                        {"marked", markedSpelling(g.compared, g.edits)},
                        {"edits", edits},
                        {"checked", g.checked}};
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

} // namespace lex
