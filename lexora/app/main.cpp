// Lexora: the word-book program.
#include "common/platform/command_line.h"
#include "lexora/app/lexora_app.h"

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

#include <unistd.h>

int main(int argc, char** argv)
{
    // The embedded browser's sandbox refuses to run as root.
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    lex::answerWithoutDisplayWhenAsked(argc, argv);
    QApplication app(argc, argv);
    lex::setApplicationIdentity(QStringLiteral("Lexora"));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(lex::CLexoraApp::kDesktopId));

    QCommandLineParser parser;
    lex::CLexoraApp::describeCommandLine(parser);
    if (const int code = lex::parseCommandLine(parser, lex::CLexoraApp::kDescription); code >= 0)
        return code;
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "Lexora: unexpected argument '%s'\nTry 'Lexora --help'.\n",
                     qPrintable(parser.positionalArguments().first()));
        return 2;
    }
    return lex::CLexoraApp().run(QApplication::arguments());
}
