#include "glosix/english_sections.h"

#include "glosix/entry_markup.h"

namespace lex {

namespace {

// A backquote in dictionary text would start a marker.
QString safe(QStringView text)
{
    return text.toString().replace(QLatin1Char('`'), QChar(0x2018));
}

QString posLabel(WordNetPos pos)
{
    switch (pos) {
    case WordNetPos::Noun: return QStringLiteral("n.");
    case WordNetPos::Verb: return QStringLiteral("v.");
    case WordNetPos::Adj: return QStringLiteral("adj.");
    case WordNetPos::Adv: return QStringLiteral("adv.");
    }
    return {};
}

} // namespace

QString englishSectionsText(const AccentIpa& ipa, Accent accent, const std::vector<WordSense>& senses,
                            const EnglishSettings& settings, bool allSenses)
{
    QString t;
    if (settings.phonetics) {
        const QString uk = ipa.uk.isEmpty() ? QString() : QStringLiteral("英 /") + safe(ipa.uk) + QLatin1Char('/');
        const QString us = ipa.us.isEmpty() ? QString() : QStringLiteral("美 /") + safe(ipa.us) + QLatin1Char('/');
        QStringList both = accent == Accent::US ? QStringList{us, uk} : QStringList{uk, us};
        both.removeAll(QString());
        if (!both.isEmpty())
            t += QStringLiteral("`4`") + both.join(QStringLiteral("　"));
    }
    if (settings.senses && !senses.empty()) {
        t += QStringLiteral("`7`WordNet");
        const size_t shown = allSenses ? senses.size() : qMin(senses.size(), size_t(settings.sensesShown));
        for (size_t i = 0; i < shown; ++i) {
            const WordSense& s = senses[i];
            t += QStringLiteral("`8`%1. %2 %3").arg(i + 1).arg(posLabel(s.pos), safe(s.gloss));
            for (const QString& e : s.examples)
                t += QStringLiteral("`12`\u201C") + safe(e) + QStringLiteral("\u201D");
            QStringList others;
            for (const QString& w : s.words)
                if (w.compare(s.lemma, Qt::CaseInsensitive) != 0)
                    others << safe(w);
            if (!others.isEmpty())
                t += QStringLiteral("`13`同义词：") + others.join(QStringLiteral(", "));
        }
        if (shown < senses.size())
            t += QStringLiteral("`14`还有 %1 条释义（Ctrl+E 展开）").arg(senses.size() - shown);
        else if (senses.size() > size_t(settings.sensesShown))
            t += QStringLiteral("`14`（Ctrl+E 收起）");
    }
    return t;
}

QString withoutEnglishDefinition(const QString& entry)
{
    const QString heading = QStringLiteral("`7`英文释义");
    const qsizetype from = entry.indexOf(heading);
    if (from < 0)
        return entry;
    qsizetype k = from + heading.size();
    while (k < entry.size()) {
        qsizetype length = 0;
        if (entry[k] == QLatin1Char('`')) {
            const int marker = markerAt(entry, k, &length);
            if (marker != 0 && marker != 9)
                break;
        }
        ++k;
    }
    return entry.left(from) + entry.mid(k);
}

} // namespace lex
