// lexbook ipa: a word's British or American IPA from the compiled dictionary's block of both.
#include "commands.h"

#include "common/dictionary/us_phonetics.h"
#include "common/platform/program_folder.h"

#include <QDir>

namespace lexbook {

const char kIpaHelp[] =
    "Prints WORD's pronunciation in IPA, British (uk, the default) or American (us), as the\n"
    "dictionary in FOLDER keeps it (FOLDER/Dict.idx, built by dict-ecdict --cmu; default: the\n"
    "program folder's Dict, $LEXORA_HOME/Dict or ~/.local/share/lexora/Dict). Several\n"
    "pronunciations are separated by \"; \". Exits 1 when the dictionary has none for WORD.\n";

int cmdIpa(const QStringList& argsIn)
{
    QStringList args = argsIn;
    std::optional<QString> accent, folder;
    QString error;
    if (!takeValue(args, QStringLiteral("--accent"), &accent, &error) || !takeValue(args, QStringLiteral("--dict"), &folder, &error))
        return fail(error);
    if (args.size() != 1 || (accent && *accent != u"uk" && *accent != u"us"))
        return fail(QStringLiteral("usage: lexbook ipa WORD [--accent uk|us] [--dict FOLDER]"));
    if (!folder) {
        const QString home = qEnvironmentVariable("LEXORA_HOME");
        folder = (home.isEmpty() ? lex::userDataHome() + QStringLiteral("/lexora") : home) + QStringLiteral("/Dict");
    }
    lex::AccentPhonetics phonetics;
    const QString index = QDir(*folder).filePath(QStringLiteral("Dict.idx"));
    if (!phonetics.openIndex(index))
        return fail(QStringLiteral("%1 has no pronunciations of both accents (build it with dict-ecdict --cmu)").arg(index), 1);
    const QString ipa = phonetics.find(args[0], accent == u"us" ? lex::Accent::US : lex::Accent::UK);
    if (ipa.isEmpty())
        return fail(QStringLiteral("no %1 pronunciation of '%2'").arg(accent.value_or(QStringLiteral("uk")), args[0]), 1);
    out(ipa + QLatin1Char('\n'));
    return 0;
}

} // namespace lexbook
