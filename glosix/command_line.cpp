#include "glosix/command_line.h"

#include <QCommandLineParser>

#ifndef GLOSIX_VERSION
#define GLOSIX_VERSION "0"
#endif

namespace lex {

QString glosixVersionText()
{
    return QStringLiteral("Glosix ") + QStringLiteral(GLOSIX_VERSION);
}

GlosixCommandLine parseGlosixCommandLine(const QStringList& arguments)
{
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral("Glosix: the companion dictionary of Lexora. Type a word and press "
                                               "Enter to read its entry; Lexora sends words here on a double-click."));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and end."));
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and end."));
    const QCommandLineOption home(QStringLiteral("home"),
                                  QStringLiteral("Use DIR as the program folder (Config.INI, Dict/, Voice/), "
                                                 "as Lexora does."),
                                  QStringLiteral("DIR"));
    p.addOption(help);
    p.addOption(version);
    p.addOption(home);

    GlosixCommandLine r;
    if (!p.parse(arguments)) {
        r.action = GlosixCommandLine::Error;
        r.output = QStringLiteral("Glosix: ") + p.errorText() + QStringLiteral("\nTry 'Glosix --help'.\n");
        return r;
    }
    if (!p.positionalArguments().isEmpty()) {
        r.action = GlosixCommandLine::Error;
        r.output = QStringLiteral("Glosix: unexpected argument '") + p.positionalArguments().first()
                   + QStringLiteral("'\nTry 'Glosix --help'.\n");
        return r;
    }
    if (p.isSet(help)) {
        r.action = GlosixCommandLine::Help;
        // The usage line names the program, whatever path it was started by.
        const QString text = p.helpText();
        r.output = QStringLiteral("Usage: Glosix [options]") + text.mid(text.indexOf(QLatin1Char('\n')));
        return r;
    }
    if (p.isSet(version)) {
        r.action = GlosixCommandLine::Version;
        r.output = glosixVersionText() + QLatin1Char('\n');
        return r;
    }
    if (p.isSet(home) && p.value(home).isEmpty()) {
        r.action = GlosixCommandLine::Error;
        r.output = QStringLiteral("Glosix: --home needs a folder\n");
    }
    return r;
}

} // namespace lex
