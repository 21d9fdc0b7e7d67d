#include "lexora/exchange/text_format.h"

#include "common/platform/sources.h"
#include "lexora/book/added_word.h"
#include "lexora/book/book.h"

#include <QSet>

#include <iterator>
#include <memory>

namespace lex {
namespace {

const QString kCrLf = QStringLiteral("\r\n");

// Calls the progress callback now and then: often enough for a progress bar, rarely enough to
// cost nothing next to the parse.
class ProgressGate {
public:
    // `minStep` in the units of `total`: characters of a text, or records.
    ProgressGate(const ImportProgressFn& fn, qsizetype total, qsizetype minStep = 4096)
        : fn_(fn), total_(total), step_(qMax<qsizetype>(total / 200, minStep)), next_(step_)
    {
    }
    // False when the caller asked to stop.
    bool at(qsizetype pos)
    {
        if (!fn_ || pos < next_)
            return true;
        next_ = pos + step_;
        return fn_(pos, total_);
    }
    void done()
    {
        if (fn_)
            fn_(total_, total_);
    }

private:
    const ImportProgressFn& fn_;
    qsizetype total_, step_, next_;
};

// The dictionary's explanation and phonetic of `word`; both empty when it is not there.
void lookUpBoth(const LookUpFn& lookUp, QStringView word, QString& explanation, QString& phonetic)
{
    explanation.clear();
    phonetic.clear();
    if (!lookUp || word.isEmpty())
        return;
    if (!lookUp(word, explanation, phonetic)) {
        explanation.clear();
        phonetic.clear();
    }
}

// "explanation//comment 1//comment 2": the comment is everything after the first "//", its further
// "//" being line breaks; the explanation ends before it.
void splitComment(ImportRecord& r)
{
    const qsizetype at = r.explanation.indexOf(u"//");
    if (at < 0)
        return;
    r.comment = r.explanation.mid(at + 2);
    r.comment.replace(QStringLiteral("//"), kCrLf);
    r.explanation.truncate(at);
}

// Styles 1 and 2: explanation from the dictionary only when none was given, phonetic always.
void fillFromDictionary(const LookUpFn& lookUp, ImportRecord& r)
{
    QString explanation, phonetic;
    lookUpBoth(lookUp, r.word, explanation, phonetic);
    if (r.explanation.isEmpty())
        r.explanation = explanation;
    r.phonetic = phonetic;
}

// Style 3 and other programs' records: the dictionary fills whichever of the two is empty.
void fillEmptyFromDictionary(const LookUpFn& lookUp, ImportRecord& r)
{
    if (!r.explanation.isEmpty() && !r.phonetic.isEmpty())
        return;
    QString explanation, phonetic;
    lookUpBoth(lookUp, r.word, explanation, phonetic);
    if (r.explanation.isEmpty())
        r.explanation = explanation;
    if (r.phonetic.isEmpty())
        r.phonetic = phonetic;
}

bool isCrLf(QStringView t, qsizetype i)
{
    return t[i] == u'\r' && i + 1 < t.size() && t[i + 1] == u'\n';
}

// Calls `line(begin, end)` for every CR LF-terminated line and the rest after the last one.
// Stops (returning false) when `line` or the progress gate says so.
template <typename LineFn>
bool forEachCrLfLine(QStringView t, ProgressGate& gate, LineFn line)
{
    qsizetype start = 0;
    for (qsizetype i = 0; i <= t.size(); ++i) {
        if (i < t.size() && !isCrLf(t, i))
            continue;
        if (!gate.at(start) || !line(start, i))
            return false;
        ++i; // skip the LF
        start = i + 1;
    }
    return true;
}

bool parseStyle1(QStringView t, const LookUpFn& lookUp, const std::function<bool(ImportRecord&)>& sink,
                 ProgressGate& gate)
{
    return forEachCrLfLine(t, gate, [&](qsizetype begin, qsizetype end) {
        qsizetype split = begin;
        while (split < end && t[split] != u'\t' && t[split].unicode() < 0x80)
            ++split;
        if (split == begin)
            return true; // no word: the line is dropped
        ImportRecord r;
        r.word = t.sliced(begin, split - begin).toString();
        qsizetype from = split;
        if (from < end && t[from] == u'\t')
            ++from;
        r.explanation = t.sliced(from, end - from).toString();
        splitComment(r);
        fillFromDictionary(lookUp, r);
        return sink(r);
    });
}

bool parseStyle2(QStringView t, const LookUpFn& lookUp, const std::function<bool(ImportRecord&)>& sink,
                 ProgressGate& gate)
{
    bool haveWord = false;
    QString word;
    return forEachCrLfLine(t, gate, [&](qsizetype begin, qsizetype end) {
        const QStringView line = t.sliced(begin, end - begin);
        if (!haveWord) {
            word = line.toString();
            haveWord = true;
            return true;
        }
        haveWord = false;
        ImportRecord r;
        r.word = std::move(word);
        r.explanation = line.toString();
        splitComment(r);
        fillFromDictionary(lookUp, r);
        return sink(r); // an empty word is refused by the Book, which counts it
    });
}

bool parseStyle3(QStringView t, const LookUpFn& lookUp, const std::function<bool(ImportRecord&)>& sink,
                 ProgressGate& gate)
{
    ImportRecord r;
    auto flush = [&]() -> bool {
        if (r.word.isEmpty())
            return true;
        fillEmptyFromDictionary(lookUp, r);
        if (r.explanation.endsWith(kCrLf))
            r.explanation.chop(2);
        if (r.comment.endsWith(kCrLf))
            r.comment.chop(2);
        const bool go = sink(r);
        r = ImportRecord();
        return go;
    };

    const qsizetype n = t.size();
    qsizetype pos = 0;
    for (;;) {
        if (pos >= n)
            return flush();
        if (!gate.at(pos))
            return false;
        qsizetype end = pos;
        while (end < n && t[end] != u'\r' && t[end] != u'\n' && t[end] != QChar(0))
            ++end;
        const QStringView line = t.sliced(pos, end - pos);
        pos = end;
        if (pos < n && t[pos] == u'\r')
            ++pos;
        if (pos < n && t[pos] == u'\n')
            ++pos;
        if (pos < n && t[pos] == QChar(0))
            ++pos;

        if (line.isEmpty())
            continue;
        const QChar tag = line[0];
        const QStringView rest = line.sliced(1);
        if (tag == u'+') {
            if (!r.word.isEmpty() && !flush())
                return false;
            r.explanation.clear(); // explanation lines without a word before them go
            r.word = rest.toString();
        } else if (tag == u'\\') {
            r.explanation += rest;
            r.explanation += kCrLf;
        } else if (tag == u'&') {
            r.phonetic = rest.toString();
        } else if (tag == u'@') {
            r.className = rest.toString();
        } else if (tag == u'/' && rest.startsWith(u'/')) {
            r.comment += rest.sliced(1);
            r.comment += kCrLf;
        }
    }
}

void appendLine(QString& out, QStringView line)
{
    out += line;
    out += kCrLf;
}

} // namespace

bool parseWordList(QStringView text, int style, const LookUpFn& lookUp,
                   const std::function<bool(ImportRecord&)>& sink, const ImportProgressFn& progress)
{
    using Parser = bool (*)(QStringView, const LookUpFn&, const std::function<bool(ImportRecord&)>&, ProgressGate&);
    static constexpr Parser kParsers[] = {parseStyle1, parseStyle2, parseStyle3};
    static_assert(std::size(kParsers) == kLastStyle - kFirstStyle + 1);
    if (style < kFirstStyle || style > kLastStyle)
        return false;
    ProgressGate gate(progress, text.size());
    const bool finished = kParsers[style - kFirstStyle](text, lookUp, sink, gate);
    if (finished)
        gate.done();
    return finished;
}

namespace {

// The words of the Book as an interactive add stores them, for skipKnown; filled only when asked.
class KnownWords {
public:
    KnownWords(const Book& book, bool wanted) : wanted_(wanted)
    {
        if (!wanted)
            return;
        words_.reserve(qsizetype(book.full().size()));
        for (const WordEntry* e : book.full())
            words_.insert(trimmedWord(e->word()).toString());
    }
    // True when the word is known already; otherwise it is known from now on.
    bool seen(const QString& word)
    {
        if (!wanted_)
            return false;
        const QString stored = storedWordForm(word);
        if (stored.isEmpty())
            return false;   // the Book refuses it and counts it as rejected
        if (words_.contains(stored))
            return true;
        words_.insert(stored);
        return false;
    }

private:
    bool wanted_;
    QSet<QString> words_;
};

// Completes a record into an entry as every import does (the chosen degrees, temporary 0, both
// times the import's) and adds it as an interactive add would.
void addImported(Book& book, ImportRecord& r, const ImportSettings& settings, const EntryTime& now,
                 ImportResult& result)
{
    auto e = std::make_unique<WordEntry>();
    e->setWord(r.word);
    e->setExplanation(r.explanation);
    e->setPhonetic(r.phonetic);
    e->setComment(r.comment);
    e->setClassName(r.className);
    e->temporary = 0;
    const auto degree = [&r](Skill s, uint8_t chosen) {
        const int carried = r.degrees[size_t(storedIndex(s))];
        return carried >= 0 ? uint8_t(carried) : chosen;
    };
    e->stored.recognition = degree(Skill::Recognition, settings.recognition);
    e->stored.spelling = degree(Skill::Spelling, settings.spelling);
    e->stored.listening = degree(Skill::Listening, settings.listening);
    e->stored.review = now;
    e->stored.added = now;
    if (book.AddEntry(std::move(e), AddMode::Interactive))
        ++result.added;
    else
        ++result.rejected;
}

} // namespace

ImportResult importWordList(Book& book, QStringView text, const ImportSettings& settings, const Clock& clock)
{
    const EntryTime now = toEntryTime(clock.localNow());
    ImportResult result;
    if (settings.style < kFirstStyle || settings.style > kLastStyle)
        return result;
    KnownWords known(book, settings.skipKnown);
    const bool finished = parseWordList(
        text, settings.style, settings.lookUp,
        [&](ImportRecord& r) {
            if (known.seen(r.word))
                ++result.skipped;
            else
                addImported(book, r, settings, now, result);
            return true;
        },
        settings.progress);
    result.cancelled = !finished; // the sink never stops the parse, only the progress callback
    return result;
}

ImportResult importRecords(Book& book, std::vector<ImportRecord>& records, const ImportSettings& settings,
                           const Clock& clock)
{
    const EntryTime now = toEntryTime(clock.localNow());
    ImportResult result;
    const qsizetype total = qsizetype(records.size());
    ProgressGate gate(settings.progress, total, 64);
    KnownWords known(book, settings.skipKnown);
    for (qsizetype i = 0; i < total; ++i) {
        if (!gate.at(i)) {
            result.cancelled = true;
            return result;
        }
        ImportRecord& r = records[size_t(i)];
        if (known.seen(r.word)) {
            ++result.skipped;
            continue;
        }
        fillEmptyFromDictionary(settings.lookUp, r);
        addImported(book, r, settings, now, result);
    }
    gate.done();
    return result;
}

QString exportWordList(const std::vector<const WordEntry*>& entries, int style)
{
    QString out;
    for (const WordEntry* e : entries) {
        if (style == 1) {
            appendLine(out, e->word());
        } else if (style == 2) {
            appendLine(out, e->word());
            QString line = e->explanation().toString();
            if (!e->comment().isEmpty()) {
                line += u" //";
                line += e->comment();
            }
            line.replace(kCrLf, QStringLiteral(" "));
            appendLine(out, line);
        } else {
            out += u'+';
            appendLine(out, e->word());
            if (!e->explanation().isEmpty()) {
                out += u'\\';
                appendLine(out, e->explanation().toString().replace(kCrLf, QStringLiteral("\r\n\\")));
            }
            if (!e->phonetic().isEmpty()) {
                out += u'&';
                appendLine(out, e->phonetic());
            }
            if (!e->comment().isEmpty()) {
                out += u"//";
                appendLine(out, e->comment().toString().replace(kCrLf, QStringLiteral("\r\n//")));
            }
            if (!e->className().isEmpty()) {
                out += u'@';
                appendLine(out, e->className());
            }
        }
    }
    return out;
}

QByteArray exportWordListBytes(const std::vector<const WordEntry*>& entries, int style,
                               TextEncoding encoding, bool* lossy)
{
    return encodeWordList(exportWordList(entries, style), encoding, lossy);
}

} // namespace lex
