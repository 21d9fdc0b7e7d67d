// lexbook: a command-line companion for learners who script and for checking files.
#include "commands.h"

#include <QCoreApplication>
#include <cstdio>
#include <functional>
#include <map>

namespace lexbook {

int fail(const QString& message, int code)
{
    std::fprintf(stderr, "lexbook: %s\n", message.toUtf8().constData());
    return code;
}

bool takeFlag(QStringList& args, const QString& flag)
{
    return args.removeAll(flag) > 0;
}

bool takeIntOption(QStringList& args, const QString& name, int min, int* value, QString* error)
{
    const qsizetype at = args.indexOf(name);
    if (at < 0)
        return true;
    bool ok = false;
    const int v = at + 1 < args.size() ? args[at + 1].toInt(&ok) : 0;
    if (!ok || v < min) {
        *error = QStringLiteral("%1 needs a whole number of at least %2").arg(name).arg(min);
        return false;
    }
    *value = v;
    args.remove(at, 2);
    return true;
}

void out(const QString& text)
{
    const QByteArray b = text.toUtf8();
    std::fwrite(b.constData(), 1, size_t(b.size()), stdout);
}

} // namespace lexbook

static const char kUsage[] =
    "usage: lexbook dump BOOK\n"
    "       lexbook check BOOK\n"
    "       lexbook salvage BOOK OUT\n"
    "       lexbook lookup DICTFOLDER WORD [--companion]\n"
    "       lexbook config FILE get SECTION KEY [--int DEFAULT | --struct SIZE]\n"
    "       lexbook config FILE set SECTION KEY VALUE [--struct]\n"
    "       lexbook dict-build SOURCE OUTFOLDER [--companion] [--block N]\n"
    "       lexbook dict-ecdict CSV OUTFOLDER [--companion] [--block N]\n"
    "       lexbook import BOOK FILE --style 1|2|3 [--strangeness R,S,L] [--encoding auto|utf16|gbk|utf8] [--dict DICTFOLDER]\n"
    "       lexbook export BOOK FILE --style 1|2|3 [--encoding utf16|gbk|utf8] [--rows FIRST-LAST]\n"
    "BOOK is the folder and stem of a word book: Book/English for Book/English.idx and .txt\n";

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h")) {
        std::fputs(kUsage, args.isEmpty() ? stderr : stdout);
        return args.isEmpty() ? 2 : 0;
    }
    const std::map<QString, std::function<int(const QStringList&)>> commands = {
        {QStringLiteral("dump"), lexbook::cmdDump},
        {QStringLiteral("check"), lexbook::cmdCheck},
        {QStringLiteral("salvage"), lexbook::cmdSalvage},
        {QStringLiteral("lookup"), lexbook::cmdLookup},
        {QStringLiteral("config"), lexbook::cmdConfig},
        {QStringLiteral("dict-build"), lexbook::cmdDictBuild},
        {QStringLiteral("dict-ecdict"), lexbook::cmdDictEcdict},
        {QStringLiteral("import"), lexbook::cmdImport},
        {QStringLiteral("export"), lexbook::cmdExport},
    };
    const QString name = args.takeFirst();
    auto it = commands.find(name);
    if (it == commands.end())
        return lexbook::fail(QStringLiteral("unknown command '%1' (see lexbook --help)").arg(name));
    return it->second(args);
}
