#include "common/platform/command_line.h"

#include "common/version.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>
#include <cstring>

namespace lex {

namespace {

bool isInformationOption(const char* a)
{
    for (const char* o : {"-h", "-?", "--help", "--help-all", "-v", "--version"})
        if (std::strcmp(a, o) == 0)
            return true;
    return false;
}

void print(FILE* to, const QString& text)
{
    const QByteArray b = text.toLocal8Bit();
    std::fwrite(b.constData(), 1, size_t(b.size()), to);
    std::fflush(to);
}

} // namespace

void answerWithoutDisplayWhenAsked(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0)
            return;
        if (isInformationOption(argv[i])) {
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
                qputenv("QT_QPA_PLATFORM", "offscreen");
            return;
        }
    }
}

void setApplicationIdentity(const QString& name)
{
    QCoreApplication::setApplicationName(name);
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kVersion));
}

int parseCommandLine(QCommandLineParser& parser, const QString& description)
{
    parser.setApplicationDescription(description);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QString program = QCoreApplication::applicationName();
    if (!parser.parse(QCoreApplication::arguments())) {
        print(stderr, QStringLiteral("%1: %2\nTry '%1 --help'.\n").arg(program, parser.errorText()));
        return 2;
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        print(stdout, parser.helpText());
        return 0;
    }
    if (parser.isSet(version)) {
        print(stdout, QStringLiteral("%1 %2\n").arg(program, QCoreApplication::applicationVersion()));
        return 0;
    }
    return -1;
}

} // namespace lex
