#include "lexora/exchange/text_words.h"

#include "common/dictionary/dictionary.h"
#include "common/dictionary/word_forms.h"
#include "common/dictionary/word_info.h"
#include "common/dictionary/wordnet.h"
#include "lexora/exchange/epub_text.h"
#include "lexora/exchange/text_encoding.h"

#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <limits>

namespace lex {
namespace {

bool isLatinLetter(QChar c)
{
    return c.isLetter() && (c.unicode() < 0x80 || c.script() == QChar::Script_Latin);
}

bool isApostrophe(QChar c) { return c == QLatin1Char('\'') || c == QChar(0x2019); }

bool endsSentence(QChar c)
{
    return c == QLatin1Char('.') || c == QLatin1Char('!') || c == QLatin1Char('?') || c == QChar(0x3002) ||
           c == QChar(0xFF01) || c == QChar(0xFF1F) || c == QChar(0x2026);
}

// A cue's timing line: "00:01:02,500 --> 00:01:04,000" and what follows it.
bool isTimingLine(QStringView line) { return line.contains(QLatin1String("-->")); }

bool allDigits(QStringView s)
{
    return !s.isEmpty() && std::all_of(s.begin(), s.end(), [](QChar c) { return c.isDigit(); });
}

// "<i>", "</font>", "<c.yellow>", "<00:01.000>", and "{\an8}".
QString withoutTags(QStringView line)
{
    QString out;
    out.reserve(line.size());
    QChar close;
    for (QChar c : line) {
        if (!close.isNull()) {
            if (c == close)
                close = QChar();
            continue;
        }
        if (c == QLatin1Char('<'))
            close = QLatin1Char('>');
        else if (c == QLatin1Char('{'))
            close = QLatin1Char('}');
        else
            out += c;
    }
    return out;
}

} // namespace

ReadingKind readingKindOf(const QString& path)
{
    const QString ext = QFileInfo(path).suffix().toLower();
    if (ext == QLatin1String("srt") || ext == QLatin1String("vtt"))
        return ReadingKind::Subtitles;
    if (ext == QLatin1String("epub"))
        return ReadingKind::Epub;
    return ReadingKind::Text;
}

QString subtitleText(QStringView raw)
{
    QString out;
    bool skippingBlock = false;   // a WebVTT NOTE, STYLE or REGION block runs to the next blank line
    bool first = true;
    const QList<QStringView> lines = raw.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QStringView line = lines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (first && line.startsWith(QChar(0xFEFF)))
            line = line.sliced(1);
        const QStringView t = line.trimmed();
        if (first && t.startsWith(QLatin1String("WEBVTT"))) {
            first = false;
            skippingBlock = true;   // the header and its settings
            continue;
        }
        first = false;
        if (t.isEmpty()) {
            skippingBlock = false;
            continue;
        }
        if (skippingBlock)
            continue;
        if (t.startsWith(QLatin1String("NOTE")) || t == QLatin1String("STYLE") || t == QLatin1String("REGION")) {
            skippingBlock = true;
            continue;
        }
        // A cue's number or name stands on the line before its times.
        if (allDigits(t) || isTimingLine(t) || (i + 1 < lines.size() && isTimingLine(lines[i + 1])))
            continue;
        const QString text = withoutTags(t).trimmed();
        if (!text.isEmpty()) {
            out += text;
            out += QLatin1Char('\n');
        }
    }
    return out;
}

Status readReadingFile(Env* env, const QString& path, QString* text)
{
    env = orDefault(env);
    if (!env->isRegularFile(path))
        return Status::error(Status::Code::NotFound, QStringLiteral("找不到文件 %1").arg(path));
    const qint64 size = env->fileSize(path);
    const ReadingKind kind = readingKindOf(path);
    if (size > kMaxReadingFileBytes)
        return Status::error(Status::Code::Refused, QStringLiteral("文件太大（超过 %1 MB），不能取词：%2")
                                                        .arg(kMaxReadingFileBytes / (1024 * 1024))
                                                        .arg(path));
    QByteArray bytes;
    if (Status s = env->readFile(path, &bytes); !s)
        return s;
    if (kind == ReadingKind::Epub)
        return epubText(bytes, text);
    QString decoded = decodeWordList(bytes);
    if (!decoded.isEmpty() && !isWordListText(decoded))
        return Status::error(Status::Code::Damaged, QStringLiteral("不是文本文件：%1").arg(path));
    *text = kind == ReadingKind::Subtitles ? subtitleText(decoded) : std::move(decoded);
    return Status::ok();
}

void tokenizeText(QStringView text, const std::function<void(const TextToken&)>& each,
                  const std::function<void(qsizetype, const QString&)>& sentenceSink)
{
    qsizetype sentence = 0, sentenceFrom = 0, lastNewline = -2;
    bool sentenceOpen = false, atStart = true;
    auto closeSentence = [&](qsizetype end) {
        sentenceFrom = end;
        if (sentenceOpen)
            ++sentence;
        sentenceOpen = false;
        atStart = true;
    };
    // A sentence's text is handed over when its first word is met: up to its end, found ahead.
    auto openSentence = [&](qsizetype at) {
        sentenceOpen = true;
        if (!sentenceSink)
            return;
        qsizetype end = at, newlines = 0;
        for (; end < text.size(); ++end) {
            const QChar c = text[end];
            if (c == QLatin1Char('\n')) {
                if (++newlines == 2)
                    break;
            } else if (!c.isSpace()) {
                newlines = 0;
            }
            if (endsSentence(c) && (end + 1 == text.size() || text[end + 1].isSpace() || text[end + 1] == QLatin1Char('"'))) {
                ++end;
                break;
            }
        }
        QString s = text.sliced(sentenceFrom, end - sentenceFrom).toString().simplified();
        if (s.size() > 400)
            s = s.left(400) + QChar(0x2026);
        sentenceSink(sentence, s);
    };
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text[i];
        if (c == QLatin1Char('\n')) {
            if (lastNewline >= 0 && text.sliced(lastNewline, i - lastNewline).trimmed().isEmpty())
                closeSentence(i);   // a blank line ends a paragraph
            lastNewline = i;
            ++i;
            continue;
        }
        if (endsSentence(c)) {
            ++i;
            if (i == n || text[i].isSpace() || text[i] == QLatin1Char('"') || text[i] == QChar(0x201D))
                closeSentence(i);
            continue;
        }
        if (!c.isLetterOrNumber()) {
            if (!sentenceOpen && c.isSpace())
                sentenceFrom = i + 1;
            ++i;
            continue;
        }
        // A word: letters and digits, with apostrophes and hyphens inside it.
        const qsizetype start = i;
        while (i < n) {
            if (text[i].isLetterOrNumber() || text[i].isMark()) {
                ++i;
                continue;
            }
            if ((isApostrophe(text[i]) || text[i] == QLatin1Char('-')) && i + 1 < n && text[i + 1].isLetter() &&
                i > start && text[i - 1].isLetter()) {
                ++i;
                continue;
            }
            break;
        }
        QString word = text.sliced(start, i - start).toString();
        word.replace(QChar(0x2019), QLatin1Char('\''));
        if (!sentenceOpen) {
            if (sentenceFrom > start)
                sentenceFrom = start;
            openSentence(start);
        }
        const bool first = atStart;
        atStart = false;
        const bool latin = std::all_of(word.begin(), word.end(), [](QChar ch) {
            return isLatinLetter(ch) || ch.isMark() || ch == QLatin1Char('\'') || ch == QLatin1Char('-');
        });
        if (latin && each)
            each(TextToken{word, sentence, first});
    }
}

namespace {

// The parts of a written word that can be headwords: "don't" is "do", "John's" is "John",
// "well-known" stays whole when it is a headword and is its parts otherwise.
QStringList partsOf(const QString& word)
{
    QString w = word;
    static const char* const endings[] = {"n't", "'s", "'ll", "'re", "'ve", "'d", "'m", "'"};
    const QString lower = w.toLower();
    if (lower == QLatin1String("can't"))
        return {w.left(3)};
    if (lower == QLatin1String("won't"))
        return {w.at(0) + QStringLiteral("ill")};
    for (const char* e : endings)
        if (lower.endsWith(QLatin1String(e)) && lower.size() > qsizetype(qstrlen(e))) {
            w.chop(qsizetype(qstrlen(e)));
            break;
        }
    return {w};
}

} // namespace

std::vector<TextWord> wordsFromText(QStringView text, const WordResolver& resolver, TextWordsSummary* summary)
{
    struct Seen {
        qsizetype index;   // in `words`
        int lowerUses = 0, capitalUses = 0;
    };
    std::vector<TextWord> words;
    std::vector<Seen> seen;
    QHash<QString, qsizetype> byWord;       // headword (or lower-case word) -> index
    QHash<QString, QString> baseCache;      // lower-case form -> headword ("" when none)
    QHash<qsizetype, QString> pendingSentences;
    QString currentSentence;
    qsizetype currentNumber = -1, tokenNumber = 0;
    TextWordsSummary sum;

    auto resolve = [&](const QString& lower, bool* found) {
        auto it = baseCache.constFind(lower);
        if (it == baseCache.cend())
            it = baseCache.insert(lower, resolver.baseOf ? resolver.baseOf(lower) : QString());
        *found = !it->isEmpty();
        return *found ? *it : lower;
    };
    auto take = [&](const QString& written, bool sentenceStart) {
        const QString lower = written.toLower();
        bool found = false;
        QString head = resolve(lower, &found);
        if (!found && lower.contains(QLatin1Char('-')))
            return false;   // a compound the dictionaries lack counts as its parts
        ++sum.tokens;
        auto at = byWord.constFind(head);
        qsizetype index;
        if (at == byWord.cend()) {
            index = qsizetype(words.size());
            byWord.insert(head, index);
            TextWord w;
            w.word = head;
            w.resolved = found;
            w.sentence = currentSentence;
            w.firstAt = tokenNumber;
            words.push_back(std::move(w));
            seen.push_back(Seen{index});
        } else {
            index = *at;
        }
        ++words[size_t(index)].count;
        Seen& s = seen[size_t(index)];
        if (written.at(0).isUpper() && !sentenceStart)
            ++s.capitalUses;
        else if (!written.at(0).isUpper())
            ++s.lowerUses;
        if (found)
            ++sum.resolvedTokens;
        ++tokenNumber;
        return true;
    };
    tokenizeText(
        text,
        [&](const TextToken& t) {
            if (t.sentence != currentNumber) {
                currentNumber = t.sentence;
                currentSentence = pendingSentences.take(t.sentence);
            }
            for (const QString& part : partsOf(t.text)) {
                if (part.isEmpty())
                    continue;
                if (!take(part, t.sentenceStart))
                    for (const QString& piece : part.split(QLatin1Char('-'), Qt::SkipEmptyParts))
                        take(piece, false);
            }
        },
        [&](qsizetype number, const QString& sentence) { pendingSentences.insert(number, sentence); });

    for (size_t i = 0; i < words.size(); ++i) {
        TextWord& w = words[i];
        // "I" is always written so; a single capital letter is no name.
        w.name = seen[i].lowerUses == 0 && seen[i].capitalUses > 0 && w.word.size() > 1;
        if (w.name) {
            sum.nameTokens += w.count;
            if (w.resolved)
                sum.resolvedTokens -= w.count;
        }
        if (resolver.rankOf)
            w.rank = resolver.rankOf(w.word);
        if (resolver.examsOf)
            w.exams = resolver.examsOf(w.word);
    }
    std::stable_sort(words.begin(), words.end(), [](const TextWord& a, const TextWord& b) {
        return a.count != b.count ? a.count > b.count : a.firstAt < b.firstAt;
    });
    if (summary)
        *summary = sum;
    return words;
}

WordResolver dictionaryResolver(const WordForms* forms, const WordNet* wordnet, const Dictionary* dict,
                                const WordInfoTable* info)
{
    WordResolver r;
    r.baseOf = [forms, wordnet, dict](const QString& lower) -> QString {
        if (forms)
            if (const std::optional<BaseForm> b = forms->baseFormOf(lower))
                return b->lemma;
        static constexpr WordNetPos kOrder[] = {WordNetPos::Verb, WordNetPos::Noun, WordNetPos::Adj, WordNetPos::Adv};
        if (wordnet) {
            for (WordNetPos pos : kOrder)
                if (wordnet->contains(lower, pos))
                    return lower;
            for (WordNetPos pos : kOrder)
                if (const QStringList bases = wordnet->baseForms(lower, pos); !bases.isEmpty())
                    return bases.first();
        }
        QString explanation, phonetic;
        if (dict && dict->LookUpWord(lower, explanation, phonetic))
            return lower;
        return {};
    };
    // Frequency ranks and exam lists come with the dictionary's word information; without it
    // every word has none, and a known-rank filter leaves nothing out.
    if (!info || info->count() == 0)
        return r;
    auto record = [info](const QString& headword) {
        qsizetype i = info->find(headword);
        if (i < 0 && !headword.isEmpty() && headword.at(0).isLower()) {
            QString capital = headword;
            capital[0] = capital.at(0).toUpper();
            i = info->find(capital);
        }
        return i;
    };
    r.rankOf = [info, record](const QString& headword) -> std::optional<int> {
        const qsizetype i = record(headword);
        const uint32_t frq = i >= 0 ? info->info(i).frq : 0;
        if (frq == 0)
            return std::nullopt;
        return int(std::min<uint32_t>(frq, uint32_t(std::numeric_limits<int>::max())));
    };
    r.examsOf = [info, record](const QString& headword) {
        QStringList exams;
        if (const qsizetype i = record(headword); i >= 0) {
            const WordInfo w = info->info(i);
            for (int e = 0; e < kExamCount; ++e)
                if (w.inExam(Exam(e)))
                    exams << QString::fromLatin1(examName(Exam(e)));
        }
        return exams;
    };
    return r;
}

std::vector<TextWord> filterTextWords(std::vector<TextWord> words, const TextWordFilter& filter)
{
    words.erase(std::remove_if(words.begin(), words.end(),
                               [&](const TextWord& w) {
                                   if (w.name && !filter.keepNames)
                                       return true;
                                   if (filter.knownRank > 0 && w.rank && *w.rank <= filter.knownRank)
                                       return true;
                                   return filter.inBook && filter.inBook(w.word.toLower());
                               }),
                words.end());
    return words;
}

} // namespace lex
