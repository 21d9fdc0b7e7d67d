// Glosix: the companion dictionary of Lexora.
#include "glosix/command_line.h"
#include "glosix/glosix_app.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    // --help and --version need no display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const lex::GlosixCommandLine cl = lex::parseGlosixCommandLine(arguments);
    switch (cl.action) {
    case lex::GlosixCommandLine::Help:
    case lex::GlosixCommandLine::Version:
        std::fputs(cl.output.toLocal8Bit().constData(), stdout);
        return 0;
    case lex::GlosixCommandLine::Error:
        std::fputs(cl.output.toLocal8Bit().constData(), stderr);
        return 2;
    case lex::GlosixCommandLine::Run:
        break;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Glosix"));
    return lex::CGlosixApp().run(QApplication::arguments());
}
