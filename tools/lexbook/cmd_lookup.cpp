// lookup DICT.ifo WORD: the entries of a StarDict dictionary whose headword is WORD, one JSON
// line each; a dictionary folder goes on to the own dictionaries' look-up.
#include "commands.h"

#include "common/dictionary/stardict.h"
#include "common/platform/env.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <cstdio>

namespace lexbook {
namespace {

// A JSON string literal, quotes included.
QByteArray jsonString(const QString& s)
{
    const QByteArray a = QJsonDocument(QJsonArray{s}).toJson(QJsonDocument::Compact);
    return a.mid(1, a.size() - 2);
}

int lookupStarDict(const QStringList& args)
{
    lex::StarDict dict;
    const lex::Status s = dict.open(lex::Env::defaultEnv(), args[0]);
    if (!s)
        return fail(s.message());
    if (!dict.warning().isEmpty())
        std::fprintf(stderr, "lexbook: %s: %s\n", args[0].toUtf8().constData(), dict.warning().toUtf8().constData());
    std::vector<lex::StarDictEntry> entries;
    const lex::Status ls = dict.lookup(args[1], lex::StarDict::Match::Exact, &entries);
    if (!ls)
        std::fprintf(stderr, "lexbook: %s\n", ls.message().toUtf8().constData());
    for (const lex::StarDictEntry& e : entries) {
        const QByteArray line = "{\"word\": " + jsonString(e.word) + ", \"definition\": " +
                                jsonString(lex::starDictStoredText(e)) + "}\n";
        std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    }
    if (entries.empty())
        return ls ? fail(QStringLiteral("'%1' is not in %2").arg(args[1], dict.info().bookname), 1) : 2;
    return 0;
}

} // namespace

int cmdLookupAny(const QStringList& args)
{
    if (args.size() == 2 && args[0].endsWith(QLatin1String(".ifo")))
        return lookupStarDict(args);
    return cmdLookup(args);
}

} // namespace lexbook
