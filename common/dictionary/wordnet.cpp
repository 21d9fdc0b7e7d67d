#include "common/dictionary/wordnet.h"

#include "common/dictionary/word_forms.h"

#include <algorithm>
#include <cstring>

namespace lex {
namespace {

constexpr const char* kPartNames[4] = {"noun", "verb", "adj", "adv"};

// WordNet's detachment rules: a suffix and what replaces it, per part of speech.
struct SuffixRule {
    const char* suffix;
    const char* ending;
};
constexpr SuffixRule kNounRules[] = {{"s", ""},     {"ses", "s"},   {"xes", "x"},   {"zes", "z"},
                                     {"ches", "ch"}, {"shes", "sh"}, {"men", "man"}, {"ies", "y"}};
constexpr SuffixRule kVerbRules[] = {{"s", ""},  {"ies", "y"}, {"es", "e"},  {"es", ""},
                                     {"ed", "e"}, {"ed", ""},   {"ing", "e"}, {"ing", ""}};
constexpr SuffixRule kAdjRules[] = {{"er", ""}, {"est", ""}, {"er", "e"}, {"est", "e"}};

// Verbs followed by one of these are phrasal verbs: only the verb is inflected.
constexpr const char* kPrepositions[] = {"to",   "at",   "of",   "on",   "off",  "in",   "out",  "up",
                                         "down", "from", "with", "into", "for",  "about", "between"};

// The first field of a line (up to its first space or its end).
QByteArrayView firstField(QByteArrayView line)
{
    const qsizetype sp = line.indexOf(' ');
    return sp < 0 ? line : line.first(sp);
}

int compareBytes(QByteArrayView a, QByteArrayView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    const int c = n ? std::memcmp(a.data(), b.data(), size_t(n)) : 0;
    if (c)
        return c;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// Bisects lines sorted by their first field (WordNet's own files, the licence lines that start
// with a space first) the way WordNet's own search does: it probes the line after each middle
// byte, so that where a key is on two lines it finds the same one. A file that is not sorted
// gives a miss or another line with the key, never a read outside the file.
QByteArrayView findLine(QByteArrayView file, QByteArrayView key)
{
    if (key.isEmpty() || file.isEmpty())
        return {};
    qsizetype top = 0, bot = file.size(), mid = (bot - top) / 2, diff = 0;
    int c = 0;
    do {
        qsizetype start = mid - 1;
        if (mid != 1) {
            const qsizetype nl = file.indexOf('\n', start < 0 ? 0 : start);
            start = nl < 0 ? file.size() : nl + 1;
        } else {
            start = 0;
        }
        qsizetype end = file.indexOf('\n', start);
        if (end < 0)
            end = file.size();
        const QByteArrayView line = file.sliced(start, end - start);
        c = start >= file.size() ? 1 : compareBytes(firstField(line), key);
        if (c == 0)
            return line;
        if (c < 0)
            top = mid;
        else
            bot = mid;
        diff = (bot - top) / 2;
        mid = top + diff;
    } while (diff != 0);
    return {};
}

// The fields of a line between single spaces.
QList<QByteArrayView> fields(QByteArrayView line)
{
    QList<QByteArrayView> out;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= line.size(); ++i)
        if (i == line.size() || line[i] == ' ') {
            out.append(line.sliced(start, i - start));
            start = i + 1;
        }
    return out;
}

bool endsWith(const QByteArray& s, const char* suffix) { return s.endsWith(suffix); }

QByteArray applyRule(const QByteArray& word, const SuffixRule& r)
{
    if (!word.endsWith(r.suffix))
        return word;
    return word.first(word.size() - qsizetype(std::strlen(r.suffix))) + r.ending;
}

std::pair<const SuffixRule*, size_t> rulesOf(WordNetPos pos)
{
    switch (pos) {
    case WordNetPos::Noun: return {kNounRules, std::size(kNounRules)};
    case WordNetPos::Verb: return {kVerbRules, std::size(kVerbRules)};
    case WordNetPos::Adj: return {kAdjRules, std::size(kAdjRules)};
    case WordNetPos::Adv: break;
    }
    return {nullptr, 0};
}

// The word as WordNet keys it: lower case, underscores for spaces.
QByteArray keyOf(QStringView word)
{
    QByteArray k = word.trimmed().toString().toLower().toUtf8();
    k.replace(' ', '_');
    return k;
}

QString shownWord(QByteArrayView w)
{
    // Adjectives carry their position in brackets: "galore(ip)", "elect(p)", "alone(a)".
    for (const char* mark : {"(a)", "(p)", "(ip)"})
        if (w.endsWith(mark)) {
            w.chop(qsizetype(std::strlen(mark)));
            break;
        }
    QString s = QString::fromUtf8(w);
    s.replace(QLatin1Char('_'), QLatin1Char(' '));
    return s;
}

bool parseCount(QByteArrayView field, int base, int* out)
{
    bool ok = false;
    const int v = QByteArray(field.data(), field.size()).toInt(&ok, base);
    if (!ok || v < 0)
        return false;
    *out = v;
    return true;
}

} // namespace

const char* wordNetPosName(WordNetPos pos) { return kPartNames[int(pos)]; }

void splitWordNetGloss(QStringView text, QString* gloss, QStringList* examples)
{
    text = text.trimmed();
    gloss->clear();
    examples->clear();
    // The examples follow the definition, each a quoted sentence after "; " (some with their
    // author after the closing quote).
    qsizetype first = text.startsWith(QLatin1Char('"')) ? 0 : text.indexOf(QLatin1String("; \""));
    if (first < 0) {
        *gloss = text.toString();
        return;
    }
    *gloss = text.first(first).toString();
    QStringView rest = first == 0 ? text : text.sliced(first + 2);
    for (QStringView piece : rest.split(QStringView(u"; \""))) {
        QString e = piece.toString();
        if (!e.startsWith(QLatin1Char('"')))
            e.prepend(QLatin1Char('"'));
        if (e.size() >= 2 && e.endsWith(QLatin1Char('"')) && e.indexOf(QLatin1Char('"'), 1) == e.size() - 1)
            e = e.mid(1, e.size() - 2);
        examples->append(e);
    }
}

WordNet::WordNet(Env* env) : env_(orDefault(env)) {}

QString WordNet::defaultFolder()
{
    if (qEnvironmentVariableIsSet(kWordNetPathVariable))
        return qEnvironmentVariable(kWordNetPathVariable);
    return QStringLiteral("/usr/share/wordnet");
}

void WordNet::close()
{
    for (Part& p : parts_)
        p = Part{};
}

bool WordNet::open(const QString& folder)
{
    close();
    if (folder.isEmpty())
        return false;   // no WordNet, not the root folder's files
    bool any = false;
    for (int i = 0; i < 4; ++i) {
        Part& p = parts_[size_t(i)];
        const QString name = QString::fromLatin1(kPartNames[i]);
        auto map = [&](std::unique_ptr<MappedFile>* file, QByteArrayView* view, const QString& path) {
            auto f = std::make_unique<MappedFile>(env_);
            if (!f->open(path))
                return false;
            *view = QByteArrayView(reinterpret_cast<const char*>(f->data()), qsizetype(f->size()));
            *file = std::move(f);
            return true;
        };
        const bool index = map(&p.index, &p.indexBytes, folder + QStringLiteral("/index.") + name);
        const bool data = map(&p.data, &p.dataBytes, folder + QStringLiteral("/data.") + name);
        map(&p.exceptions, &p.excBytes, folder + QLatin1Char('/') + name + QStringLiteral(".exc"));
        if (index && data)
            any = true;
        else
            p = Part{};
    }
    return any;
}

void WordNet::openMemory(WordNetPos pos, QByteArrayView index, QByteArrayView data, QByteArrayView exceptions)
{
    Part& p = parts_[size_t(pos)];
    p = Part{};
    p.indexBytes = index;
    p.dataBytes = data;
    p.excBytes = exceptions;
}

bool WordNet::isOpen() const
{
    return std::any_of(parts_.begin(), parts_.end(),
                       [](const Part& p) { return !p.indexBytes.isEmpty() && !p.dataBytes.isEmpty(); });
}

QByteArrayView WordNet::excLine(const QByteArray& word, WordNetPos pos) const
{
    return findLine(parts_[size_t(pos)].excBytes, word);
}

QByteArrayList WordNet::excBases(const QByteArray& word, WordNetPos pos) const
{
    QByteArrayList out;
    const QByteArrayView line = excLine(word, pos);
    if (line.isEmpty())
        return out;
    for (const QByteArray& f : QByteArray(line.data(), line.size()).trimmed().split(' ').mid(1))
        if (!f.isEmpty())
            out.append(f);
    return out;
}

// WordNet tries a word as given, with hyphens for underscores, underscores for hyphens, without
// either, and without full stops; the lines of the spellings the index holds, in that order.
std::vector<QByteArrayView> WordNet::indexLines(const QByteArray& word, WordNetPos pos) const
{
    std::vector<QByteArrayView> out;
    const QByteArrayView index = parts_[size_t(pos)].indexBytes;
    if (word.isEmpty() || index.isEmpty())
        return out;
    QByteArray spellings[5] = {word, word, word, {}, {}};
    spellings[1].replace('_', '-');
    spellings[2].replace('-', '_');
    for (char c : word) {
        if (c != '_' && c != '-')
            spellings[3].append(c);
        if (c != '.')
            spellings[4].append(c);
    }
    for (int i = 0; i < 5; ++i) {
        if (spellings[i].isEmpty() || (i > 0 && spellings[i] == spellings[0]))
            continue;
        const QByteArrayView line = findLine(index, spellings[i]);
        if (!line.isEmpty())
            out.push_back(line);
    }
    return out;
}

bool WordNet::isDefined(const QByteArray& word, WordNetPos pos) const { return !indexLines(word, pos).empty(); }

bool WordNet::contains(QStringView lemma, WordNetPos pos) const { return isDefined(keyOf(lemma), pos); }

// One word: the exception list, then (but for adverbs) the first rule whose result is a lemma.
QByteArray WordNet::morphWord(const QByteArray& word, WordNetPos pos) const
{
    if (word.isEmpty())
        return {};
    const QByteArrayList exc = excBases(word, pos);
    if (!exc.isEmpty())
        return exc.first();
    if (pos == WordNetPos::Adv)
        return {};
    QByteArray stem = word, tail;
    if (pos == WordNetPos::Noun) {
        if (endsWith(word, "ful")) {
            stem = word.first(word.lastIndexOf('f'));
            tail = "ful";
        } else if (endsWith(word, "ss") || word.size() <= 2) {
            return {};
        }
    }
    const auto [rules, count] = rulesOf(pos);
    for (size_t i = 0; i < count; ++i) {
        const QByteArray base = applyRule(stem, rules[i]);
        if (base != stem && isDefined(base, pos))
            return base + tail;
    }
    return {};
}

// A phrasal verb ("ran away"): the verb inflected, the rest kept.
QByteArray WordNet::morphWithPreposition(const QByteArray& str) const
{
    const qsizetype sp = str.indexOf('_');
    const QByteArray verb = str.first(sp), rest = str.sliced(sp);
    const QByteArrayList exc = excBases(verb, WordNetPos::Verb);
    if (!exc.isEmpty() && exc.first() != verb && isDefined(exc.first() + rest, WordNetPos::Verb))
        return exc.first() + rest;
    const auto [rules, count] = rulesOf(WordNetPos::Verb);
    for (size_t i = 0; i < count; ++i) {
        const QByteArray base = applyRule(verb, rules[i]);
        if (base != verb && isDefined(base + rest, WordNetPos::Verb))
            return base + rest;
    }
    return {};
}

QByteArrayList WordNet::morphBases(const QByteArray& str, WordNetPos pos) const
{
    if (str.isEmpty())
        return {};
    // The exception list names every base of an irregular form.
    const QByteArrayList exc = excBases(str, pos);
    if (!exc.isEmpty() && exc.first() != str)
        return exc;
    if (pos != WordNetPos::Verb) {
        const QByteArray m = morphWord(str, pos);
        if (!m.isEmpty() && m != str)
            return {m};
    }
    const QByteArrayList words = str.split('_');
    if (pos == WordNetPos::Verb && words.size() > 1 && !words.first().isEmpty()) {
        for (qsizetype i = 1; i < words.size(); ++i)
            for (const char* p : kPrepositions)
                if (words[i] == p) {
                    const QByteArray m = morphWithPreposition(str);
                    return m.isEmpty() ? QByteArrayList{} : QByteArrayList{m};
                }
    }
    // A collocation: each of its words in turn, hyphens and underscores kept.
    QByteArray search;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= str.size(); ++i) {
        if (i < str.size() && str[i] != '_' && str[i] != '-')
            continue;
        const QByteArray word = str.sliced(start, i - start);
        const QByteArray m = morphWord(word, pos);
        search += m.isEmpty() ? word : m;
        if (i < str.size())
            search += str[i];
        start = i + 1;
    }
    if (search == str || !isDefined(search, pos))
        return {};
    return {search};
}

void WordNet::appendSenses(QByteArrayView indexLine, WordNetPos pos, std::vector<WordSense>* out) const
{
    // lemma pos synset_cnt p_cnt [ptr_symbol...] sense_cnt tagsense_cnt synset_offset...
    const QList<QByteArrayView> f = fields(indexLine.trimmed());
    int synsets = 0, pointers = 0;
    if (f.size() < 4 || !parseCount(f[2], 10, &synsets) || !parseCount(f[3], 10, &pointers))
        return;
    const qsizetype firstOffset = 4 + qsizetype(pointers) + 2;
    if (firstOffset + synsets > f.size())
        return;
    const QString lemma = shownWord(f[0]);
    const QByteArrayView data = parts_[size_t(pos)].dataBytes;
    for (int i = 0; i < synsets; ++i) {
        const QByteArrayView offsetField = f[firstOffset + i];
        bool ok = false;
        const qint64 offset = QByteArray(offsetField.data(), offsetField.size()).toLongLong(&ok);
        if (!ok || offset < 0 || offset >= data.size())
            continue;
        qsizetype end = data.indexOf('\n', offset);
        if (end < 0)
            end = data.size();
        const QByteArrayView line = data.sliced(offset, end - offset);
        // offset lex_filenum ss_type w_cnt (word lex_id)... p_cnt ... | gloss
        if (firstField(line) != offsetField)
            continue;
        const qsizetype bar = line.indexOf(" | ");
        const QList<QByteArrayView> g = fields(bar < 0 ? line : line.first(bar));
        int words = 0;
        if (g.size() < 4 || !parseCount(g[3], 16, &words) || 4 + 2 * qsizetype(words) > g.size())
            continue;
        WordSense s;
        s.pos = pos;
        s.lemma = lemma;
        for (int w = 0; w < words; ++w)
            s.words.append(shownWord(g[4 + 2 * w]));
        if (bar >= 0)
            splitWordNetGloss(QString::fromUtf8(line.sliced(bar + 3)), &s.gloss, &s.examples);
        out->push_back(std::move(s));
    }
}

void WordNet::appendAll(const QByteArray& str, WordNetPos pos, std::vector<WordSense>* out) const
{
    // Only the first spelling found is listed: "e-mail" is not listed again as "email".
    const std::vector<QByteArrayView> lines = indexLines(str, pos);
    if (!lines.empty())
        appendSenses(lines.front(), pos, out);
}

QStringList WordNet::baseForms(QStringView word, WordNetPos pos) const
{
    QStringList out;
    for (const QByteArray& b : morphBases(keyOf(word), pos))
        out.append(shownWord(b));
    return out;
}

std::vector<WordSense> WordNet::senses(QStringView word, const WordForms* forms) const
{
    std::vector<WordSense> out;
    const QByteArray str = keyOf(word);
    if (str.isEmpty())
        return out;
    for (WordNetPos pos : {WordNetPos::Noun, WordNetPos::Verb, WordNetPos::Adj, WordNetPos::Adv}) {
        appendAll(str, pos, &out);
        for (const QByteArray& base : morphBases(str, pos))
            appendAll(base, pos, &out);
    }
    if (out.empty() && forms) {
        // The dictionary's own forms reach what the rules cannot ("spat" is not in every list).
        if (const std::optional<BaseForm> base = forms->baseFormOf(word.trimmed().toString().toLower()))
            if (keyOf(base->lemma) != str)
                return senses(base->lemma, nullptr);
    }
    return out;
}

namespace {

// Whether `word` stands in `text` with no letter or digit on either side.
bool standsIn(QStringView text, QStringView word)
{
    if (word.isEmpty())
        return false;
    for (qsizetype at = text.indexOf(word, 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(word, at + 1, Qt::CaseInsensitive)) {
        const qsizetype end = at + word.size();
        if ((at == 0 || !text[at - 1].isLetterOrNumber()) && (end == text.size() || !text[end].isLetterOrNumber()))
            return true;
    }
    return false;
}

} // namespace

QString exampleOf(const std::vector<WordSense>& senses, QStringView word)
{
    const QString written = word.trimmed().toString();
    for (const WordSense& s : senses)
        for (const QString& e : s.examples)
            if (standsIn(e, written) || standsIn(e, s.lemma))
                return e;
    for (const WordSense& s : senses)
        if (!s.examples.isEmpty())
            return s.examples.first();
    return {};
}

} // namespace lex
