// senses WORD: the WordNet senses of a word, one JSON line each.
#include "commands.h"

#include "common/dictionary/word_forms.h"
#include "common/dictionary/wordnet.h"

namespace lexbook {
namespace {

QString jsonList(const QStringList& items)
{
    QString s = QStringLiteral("[");
    for (qsizetype i = 0; i < items.size(); ++i)
        s += (i ? QStringLiteral(", ") : QString()) + jsonString(items[i]);
    return s + QLatin1Char(']');
}

} // namespace

int cmdSenses(const QStringList& argsIn)
{
    QStringList args = argsIn;
    std::optional<QString> folder, dict;
    QString error;
    if (!takeValue(args, QStringLiteral("--wordnet"), &folder, &error) ||
        !takeValue(args, QStringLiteral("--dict"), &dict, &error))
        return fail(error);
    if (args.size() != 1)
        return fail(QStringLiteral("senses takes one WORD"));
    lex::WordNet wordnet;
    const QString where = folder.value_or(lex::WordNet::defaultFolder());
    if (!wordnet.open(where))
        return fail(QStringLiteral("no WordNet files in %1").arg(where));
    lex::WordForms forms;
    if (dict && !forms.openIndex(*dict + QStringLiteral("/21ct.idx")))
        forms.openIndex(*dict + QStringLiteral("/Dict.idx"));
    const std::vector<lex::WordSense> senses = wordnet.senses(args[0], dict ? &forms : nullptr);
    for (const lex::WordSense& s : senses)
        out(QStringLiteral("{\"pos\": ") + jsonString(QString::fromLatin1(lex::wordNetPosName(s.pos))) +
            QStringLiteral(", \"words\": ") + jsonList(s.words) + QStringLiteral(", \"gloss\": ") +
            jsonString(s.gloss) + QStringLiteral(", \"examples\": ") + jsonList(s.examples) +
            QStringLiteral("}\n"));
    return senses.empty() ? fail(QStringLiteral("'%1' is not in WordNet").arg(args[0]), 1) : 0;
}

} // namespace lexbook
