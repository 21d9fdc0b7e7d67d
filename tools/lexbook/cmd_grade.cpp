// lexbook grade: the spelling grade of one typed answer, as the dictation practice grades it.
#include "commands.h"

#include "common/platform/env.h"
#include "common/spell/hunspell_checker.h"
#include "common/text/hyphenator.h"
#include "lexora/practice/spelling_grade.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

namespace lexbook {

const char kGradeHelp[] =
    "Grades TYPED as an answer for TARGET and prints one JSON object: verdict (right, typo,\n"
    "other-word or wrong), the spelling compared (the target or its other national spelling),\n"
    "the distance, the differing letters (marked, edits) and the hints (first letter, syllables,\n"
    "length). An English word is one the en_US or en_GB Hunspell dictionary accepts, looked for in\n"
    "--hunspell FOLDER (default: the system's); without them the verdict is right or wrong and one\n"
    "line on stderr says so. --hyphen FILE names the hyphenation patterns of the syllables\n"
    "(default: the system's en_US patterns; without them syllables are cut by vowels).\n";

int cmdGrade(const QStringList& argsIn)
{
    QStringList args = argsIn;
    std::optional<QString> hunspell, hyphen;
    QString error;
    if (!takeValue(args, QStringLiteral("--hunspell"), &hunspell, &error)
        || !takeValue(args, QStringLiteral("--hyphen"), &hyphen, &error))
        return fail(error);
    if (args.size() != 2)
        return fail(QStringLiteral("grade needs TARGET and TYPED"));
    QString message;
    const std::unique_ptr<lex::WordChecker> checker = lex::openHunspellChecker(
        hunspell ? QStringList{*hunspell} : lex::defaultHunspellFolders(), &message);
    if (!checker)
        std::fprintf(stderr, "lexbook: %s\n", message.toUtf8().constData());
    lex::Hyphenator hyphenator;
    QByteArray patterns;
    if (lex::Env::defaultEnv()->readFile(hyphen.value_or(lex::defaultHyphenationPatterns()), &patterns).isOk())
        hyphenator.load(patterns);

    const lex::SpellingGrade g = lex::gradeSpelling(args[0], args[1], checker.get());
    const lex::SpellingHints h = lex::spellingHints(args[0], hyphenator);
    QJsonObject o = QJsonDocument::fromJson(lex::spellingGradeJson(g).toUtf8()).object();
    o.insert(QStringLiteral("hints"), QJsonObject{{"first", h.firstLetter},
                                                   {"syllables", QJsonArray::fromStringList(h.syllables)},
                                                   {"length", h.length}});
    out(QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)) + QLatin1Char('\n'));
    return 0;
}

} // namespace lexbook
