#include "common/text/hyphenator.h"

#include <algorithm>

namespace lex {

QString defaultHyphenationPatterns()
{
    if (qEnvironmentVariableIsSet(kHyphenationPatternsVariable))
        return qEnvironmentVariable(kHyphenationPatternsVariable);
    return QStringLiteral("/usr/share/hyphen/hyph_en_US.dic");
}

bool Hyphenator::load(const QByteArray& bytes)
{
    patterns_.clear();
    maxPatternLength_ = 0;
    const QList<QByteArray> lines = bytes.split('\n');
    bool first = true;
    for (QByteArray line : lines) {
        line = line.trimmed();
        if (first) {   // the charset line
            first = false;
            if (!line.isEmpty() && !line.startsWith('.') && !(line.at(0) >= 'a' && line.at(0) <= 'z')
                && !(line.at(0) >= '0' && line.at(0) <= '9'))
                continue;
        }
        if (line.isEmpty() || line.startsWith('%') || line.startsWith('#'))
            continue;
        if (line.startsWith("LEFTHYPHENMIN")) {
            leftMin_ = std::max(1, line.mid(13).trimmed().toInt());
            continue;
        }
        if (line.startsWith("RIGHTHYPHENMIN")) {
            rightMin_ = std::max(1, line.mid(14).trimmed().toInt());
            continue;
        }
        // Non-standard patterns (a '/' with a replacement) and other keywords are not ours.
        if (line.contains('/') || (line.at(0) >= 'A' && line.at(0) <= 'Z'))
            continue;
        const QString p = QString::fromUtf8(line);
        QString letters;
        std::vector<uint8_t> digits(1, 0);
        for (QChar c : p) {
            if (c.isDigit())
                digits.back() = uint8_t(c.digitValue());
            else {
                letters.append(c.toLower());
                digits.push_back(0);
            }
        }
        if (letters.isEmpty())
            continue;
        maxPatternLength_ = std::max(maxPatternLength_, int(letters.size()));
        patterns_.insert(letters, std::move(digits));
    }
    return hasPatterns();
}

QStringList Hyphenator::byVowelGroups(QStringView word) const
{
    auto vowel = [](QChar c) { return QStringView(u"aeiouyAEIOUY").contains(c); };
    QStringList out;
    QString cur;
    const qsizetype n = word.size();
    for (qsizetype i = 0; i < n; ++i) {
        cur.append(word[i]);
        // A cut after a vowel group that has a consonant after it and another vowel later on.
        if (vowel(word[i]) && i + 1 < n && !vowel(word[i + 1])) {
            qsizetype j = i + 1;
            while (j < n && !vowel(word[j]))
                ++j;
            if (j >= n || (j == n - 1 && (word[j] == u'e' || word[j] == u'E')))
                continue;   // the rest is consonants or a silent final e
            const qsizetype consonants = j - (i + 1);
            // One consonant goes with the next syllable; of more, the first stays.
            if (consonants >= 2) {
                cur.append(word[i + 1]);
                ++i;
            }
            out.append(cur);
            cur.clear();
        }
    }
    if (!cur.isEmpty())
        out.append(cur);
    return out;
}

QStringList Hyphenator::syllables(QStringView word) const
{
    if (word.isEmpty())
        return {};
    for (QChar c : word)
        if (!c.isLetter())
            return {word.toString()};
    if (!hasPatterns())
        return byVowelGroups(word);
    const QString dotted = u'.' + word.toString().toLower() + u'.';
    const qsizetype n = dotted.size();
    std::vector<uint8_t> points(size_t(n) + 1, 0);
    for (qsizetype i = 0; i < n; ++i) {
        for (qsizetype len = 1; len <= maxPatternLength_ && i + len <= n; ++len) {
            const auto it = patterns_.constFind(dotted.mid(i, len));
            if (it == patterns_.constEnd())
                continue;
            const std::vector<uint8_t>& d = it.value();
            for (size_t k = 0; k < d.size(); ++k)
                points[size_t(i) + k] = std::max(points[size_t(i) + k], d[k]);
        }
    }
    // points[k] is the value before dotted[k]; a cut before word[j] is points[j + 1].
    QStringList out;
    qsizetype start = 0;
    const qsizetype w = word.size();
    for (qsizetype j = leftMin_; j <= w - rightMin_; ++j) {
        if (points[size_t(j) + 1] % 2 == 1) {
            out.append(word.mid(start, j - start).toString());
            start = j;
        }
    }
    out.append(word.mid(start).toString());
    return out;
}

} // namespace lex
