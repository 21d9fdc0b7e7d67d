// Glosix: the companion dictionary of Lexora.
#include "common/platform/command_line.h"
#include "glosix/glosix_app.h"

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

int main(int argc, char** argv)
{
    lex::answerWithoutDisplayWhenAsked(argc, argv);
    QApplication app(argc, argv);
    lex::setApplicationIdentity(QStringLiteral("Glosix"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.lexora.Glosix"));

    QCommandLineParser parser;
    parser.addOption(QCommandLineOption(QStringLiteral("home"),
                                        QStringLiteral("Use DIR as the program folder (Config.INI, Dict, Voice), "
                                                       "as Lexora does; LEXORA_HOME does the same."),
                                        QStringLiteral("DIR")));
    parser.addOption(QCommandLineOption(QStringLiteral("selection"),
                                        QStringLiteral("Look up the word selected in another program (the X11 primary "
                                                       "selection; on Wayland the selection or the clipboard), in the "
                                                       "running Glosix or a new one.")));
    if (const int code = lex::parseCommandLine(
            parser, QStringLiteral("Glosix: the companion dictionary of Lexora. Type a word and press Enter to read "
                                   "its entry; Lexora sends words here on a double-click."));
        code >= 0)
        return code;
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "Glosix: unexpected argument '%s'\nTry 'Glosix --help'.\n",
                     qPrintable(parser.positionalArguments().first()));
        return 2;
    }
    return lex::CGlosixApp().run(QApplication::arguments(), parser.isSet(QStringLiteral("selection")));
}
