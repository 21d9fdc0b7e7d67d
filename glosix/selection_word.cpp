#include "glosix/selection_word.h"

namespace lex {

namespace {
bool isWordLetter(QChar c)
{
    return c.isLetter() && c.script() == QChar::Script_Latin;
}
bool isJoiner(QChar c)
{
    return c == QLatin1Char('-') || c == QLatin1Char('\'') || c == QChar(0x2019);   // ’ as typeset text has it
}

// The word starting at `from` (a letter): letters, and joiners that have a letter on both sides.
qsizetype wordEnd(QStringView text, qsizetype from)
{
    qsizetype end = from;
    while (end < text.size()) {
        if (isWordLetter(text[end]))
            ++end;
        else if (isJoiner(text[end]) && end + 1 < text.size() && isWordLetter(text[end + 1]))
            end += 2;
        else
            break;
    }
    return end;
}

QString normalised(QStringView word)
{
    QString w = word.toString();
    w.replace(QChar(0x2019), QLatin1Char('\''));   // the dictionaries spell "don't" with a plain apostrophe
    return w;
}
} // namespace

QString wordInSelection(QStringView text)
{
    const QStringView scan = text.left(kSelectionScan);
    for (qsizetype i = 0; i < scan.size(); ++i) {
        if (!isWordLetter(scan[i]))
            continue;
        const qsizetype end = wordEnd(text, i);
        // A word cut by the scan's end is still that word; one running on and on is no word.
        return end - i > kSelectionScan ? QString() : normalised(text.mid(i, end - i));
    }
    return {};
}

QString copiedWord(QStringView text, bool ownCopy)
{
    if (ownCopy)
        return {};
    const QStringView t = text.trimmed();
    if (t.isEmpty() || t.size() > kCopiedWordMax || !isWordLetter(t.front()) || wordEnd(t, 0) != t.size())
        return {};
    for (QChar c : t)
        if (c.unicode() > 0x7F && c != QChar(0x2019))
            return {};   // English words only: a French or German word is not looked up
    return normalised(t);
}

} // namespace lex
