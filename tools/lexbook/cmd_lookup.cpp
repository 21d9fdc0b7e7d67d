// lookup DICT.ifo WORD: the entries of a StarDict dictionary whose headword is WORD, one JSON
// line each; lookup PROGRAMFOLDER WORD --all: everything Glosix shows for WORD, one JSON line per
// entry; a dictionary folder goes on to the own dictionaries' look-up.
#include "commands.h"

#include "common/config/config_keys.h"
#include "common/config/profile.h"
#include "common/dictionary/dictionary_shelf.h"
#include "common/dictionary/stardict.h"
#include "common/platform/env.h"

#include <QDir>
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

// As Glosix: its own dictionary with the inflected forms, then the StarDict dictionaries in the
// learner's order, the ones switched off left out.
int lookupAll(const QStringList& args)
{
    const QString folder = QDir(args[0]).absolutePath();
    lex::Env* env = lex::Env::defaultEnv();
    lex::Dictionary own(lex::DictVariant::Companion);
    lex::WordForms forms;
    const QStringList unopened = own.openFolder(folder + QStringLiteral("/Dict"));
    for (const QString& path : unopened)
        std::fprintf(stderr, "lexbook: cannot open %s\n", path.toUtf8().constData());
    if (unopened.isEmpty())
        forms.openIndex(folder + QStringLiteral("/Dict/21ct.idx"));
    lex::DictionaryShelf shelf;
    shelf.setOwn(&own, &forms);
    const lex::Profile profile(folder + QLatin1Char('/') + lex::config::kFileName, env);
    QStringList problems;
    shelf.addStarDicts(env, lex::enabledStarDicts(lex::starDictChoices(profile, folder, lex::starDictFolders(folder))),
                       &problems);
    const std::vector<lex::ShelfEntry> entries = shelf.lookUp(args[1], &problems);
    for (const QString& p : problems)
        std::fprintf(stderr, "lexbook: %s\n", p.toUtf8().constData());
    for (const lex::ShelfEntry& e : entries) {
        QString text = e.text;
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        QByteArray line = "{\"dictionary\": " + jsonString(e.source) + ", \"word\": " + jsonString(e.headword);
        if (!e.formNote.isEmpty())
            line += ", \"form\": " + jsonString(e.formNote);
        line += ", \"text\": " + jsonString(text) + "}\n";
        std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    }
    return entries.empty() ? fail(QStringLiteral("'%1' is in none of the dictionaries").arg(args[1]), 1) : 0;
}

} // namespace

int cmdLookupAny(const QStringList& args)
{
    if (args.size() == 2 && args[0].endsWith(QLatin1String(".ifo")))
        return lookupStarDict(args);
    QStringList rest = args;
    if (takeFlag(rest, QStringLiteral("--all"))) {
        if (rest.size() != 2)
            return fail(QStringLiteral("usage: lexbook lookup PROGRAMFOLDER WORD --all"));
        return lookupAll(rest);
    }
    return cmdLookup(args);
}

} // namespace lexbook
