#include "lexora/practice/cloze.h"

#include "common/dictionary/word_forms.h"
#include "common/dictionary/wordnet.h"
#include "lexora/practice/practice_engine.h"

#include <QRegularExpression>
#include <algorithm>

namespace lex {
namespace {

bool isWordChar(QChar c) { return c.isLetterOrNumber() || c.isMark(); }

// The length of `phrase` (words apart by spaces or hyphens) standing at `at` in `s` as whole
// words, or 0.
qsizetype matchAt(QStringView s, qsizetype at, const QStringList& words)
{
    qsizetype i = at;
    for (qsizetype w = 0; w < words.size(); ++w) {
        if (w > 0) {
            // Words of a phrase: "take off", "take  off", "take-off".
            const qsizetype gap = i;
            while (i < s.size() && s[i].isSpace())
                ++i;
            if (i == gap && i < s.size() && s[i] == QLatin1Char('-'))
                ++i;
            if (i == gap)
                return 0;
        }
        const QString& word = words[w];
        if (s.size() - i < word.size() || s.sliced(i, word.size()).compare(word, Qt::CaseInsensitive) != 0)
            return 0;
        i += word.size();
    }
    if (i < s.size() && isWordChar(s[i]))
        return 0;
    return i - at;
}

QString simplified(QStringView s) { return s.toString().simplified(); }

} // namespace

std::optional<ClozeQuestion> maskSentence(QStringView sentence, QStringView headword, const QStringList& forms)
{
    std::vector<QStringList> candidates;
    QStringList seen;
    for (const QString& c : QStringList{headword.toString()} + forms) {
        const QString key = c.simplified().toLower();
        if (key.isEmpty() || seen.contains(key))
            continue;
        seen << key;
        QStringList words = key.split(QRegularExpression(QStringLiteral("[\\s-]+")), Qt::SkipEmptyParts);
        if (!words.isEmpty())
            candidates.push_back(words);
    }
    for (qsizetype at = 0; at < sentence.size(); ++at) {
        if (!isWordChar(sentence[at]) || (at > 0 && isWordChar(sentence[at - 1])))
            continue;
        qsizetype best = 0;
        for (const QStringList& words : candidates)
            best = std::max(best, matchAt(sentence, at, words));
        if (!best)
            continue;
        ClozeQuestion q;
        q.answer = sentence.sliced(at, best).toString();
        QString before = sentence.first(at).toString();
        // "an apple" would tell the word starts with a vowel: "a(n) _____".
        qsizetype end = before.size();
        while (end > 0 && before[end - 1].isSpace())
            --end;
        qsizetype start = end;
        while (start > 0 && isWordChar(before[start - 1]))
            --start;
        const QString article = before.sliced(start, end - start);
        if (end < before.size() &&
            (article.compare(QLatin1String("a"), Qt::CaseInsensitive) == 0 ||
             article.compare(QLatin1String("an"), Qt::CaseInsensitive) == 0))
            before.replace(start, end - start, article[0] + QStringLiteral("(n)"));
        q.sentence = before + kClozeBlank.toString() + sentence.sliced(at + best).toString();
        return q;
    }
    return std::nullopt;
}

namespace {

// The runs of word characters in `s`.
QStringList wordsOf(QStringView s)
{
    QStringList out;
    qsizetype start = -1;
    for (qsizetype i = 0; i <= s.size(); ++i) {
        const bool w = i < s.size() && isWordChar(s[i]);
        if (w && start < 0)
            start = i;
        else if (!w && start >= 0) {
            out << s.sliced(start, i - start).toString();
            start = -1;
        }
    }
    return out;
}

bool bringsBackTo(const WordNet& wordnet, const WordForms* forms, const QString& text, const QString& lemma)
{
    for (WordNetPos pos : {WordNetPos::Noun, WordNetPos::Verb, WordNetPos::Adj, WordNetPos::Adv})
        for (const QString& b : wordnet.baseForms(text, pos))
            if (b.compare(lemma, Qt::CaseInsensitive) == 0)
                return true;
    if (forms)
        if (const std::optional<BaseForm> b = forms->baseFormOf(text.toLower()))
            return b->lemma.compare(lemma, Qt::CaseInsensitive) == 0;
    return false;
}

} // namespace

std::optional<ClozeQuestion> clozeFromWordNet(const WordNet& wordnet, const WordForms* forms, QStringView headword)
{
    const QString lemma = headword.toString().simplified();
    const qsizetype n = wordsOf(lemma).size();
    if (n == 0)
        return std::nullopt;
    for (const WordSense& sense : wordnet.senses(lemma, forms))
        for (const QString& example : sense.examples) {
            // The example's runs of as many words as the headword has that are one of its forms.
            const QStringList words = wordsOf(example);
            QStringList found;
            for (qsizetype i = 0; i + n <= words.size(); ++i) {
                const QString run = words.mid(i, n).join(QLatin1Char(' '));
                if (!found.contains(run) && bringsBackTo(wordnet, forms, run, lemma))
                    found << run;
            }
            if (std::optional<ClozeQuestion> q = maskSentence(example, lemma, found))
                return q;
        }
    return std::nullopt;
}

bool clozeAnswerFits(QStringView typed, const ClozeQuestion& question)
{
    return PracticeEngine::sameDictation(simplified(typed), simplified(question.answer));
}

SpellingGrade gradeClozeAnswer(QStringView typed, const ClozeQuestion& question, const WordChecker* checker)
{
    if (clozeAnswerFits(typed, question)) {
        SpellingGrade right;
        right.verdict = SpellingVerdict::Right;
        right.compared = question.answer;
        right.checked = checker != nullptr;
        return right;
    }
    // The other national spelling is looked for in lower case: a sentence may begin with the word.
    return gradeSpelling(simplified(question.answer).toLower(), simplified(typed), checker);
}

} // namespace lex
