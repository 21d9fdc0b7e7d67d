// lexbook config: reads and writes Config.INI through the same Profile calls the programs use.
#include "commands.h"

#include "common/config/profile.h"

#include <cstdio>

namespace lexbook {
namespace {

const char kConfigHelp[] =
    "usage: lexbook config FILE get SECTION KEY [--int DEFAULT | --struct SIZE]\n"
    "       lexbook config FILE set SECTION KEY VALUE [--struct]\n"
    "Section and key names match without regard to case.\n"
    "get                  prints the string value; exit 1 when the key is absent\n"
    "get --int DEFAULT    prints the integer value as Windows reads it (\"0x1F\", \"0b101\" and \"0o17\"\n"
    "                     prefixes, wrapping beyond 32 bits), DEFAULT when the key is absent or empty\n"
    "get --struct SIZE    prints the SIZE data bytes in hexadecimal (without the checksum);\n"
    "                     exit 1 when the key is absent or its length or checksum is wrong\n"
    "set                  stores VALUE as a string (the file is rewritten as UTF-8 with its mark,\n"
    "                     under a lock that the programs' own writes respect)\n"
    "set --struct         VALUE is the data bytes in hexadecimal; the checksum is added\n"
    "Exit codes: 0 done, 1 absent or invalid value or a failed write, 2 bad arguments, 3 another\n"
    "program kept the file locked (nothing was changed).\n"
    "Use -- before a VALUE that starts with \"--\".\n";

// Strict decimal 32-bit integer.
bool parseInt(const QString& s, int* v)
{
    bool ok = false;
    *v = s.toInt(&ok, 10);
    return ok;
}

bool parseHex(const QString& s, QByteArray* out)
{
    if (s.size() % 2 != 0)
        return false;
    for (QChar c : s)
        if (!(c >= QLatin1Char('0') && c <= QLatin1Char('9')) && !(c >= QLatin1Char('a') && c <= QLatin1Char('f'))
            && !(c >= QLatin1Char('A') && c <= QLatin1Char('F')))
            return false;
    *out = QByteArray::fromHex(s.toLatin1());
    return true;
}

} // namespace

int cmdConfig(const QStringList& args)
{
    if (!args.isEmpty() && (args[0] == QLatin1String("--help") || args[0] == QLatin1String("-h"))) {
        std::fputs(kConfigHelp, stdout);
        return 0;
    }
    if (args.size() < 2)
        return fail(QStringLiteral("config: expected FILE get|set ... (see lexbook config --help)"));
    const QString file = args[0];
    const QString verb = args[1];
    const bool isGet = verb == QLatin1String("get");
    if (!isGet && verb != QLatin1String("set"))
        return fail(QStringLiteral("config: unknown action '%1', expected get or set").arg(verb));

    QStringList positional;
    bool asStruct = false, asInt = false, optionsEnded = false;
    int intDefault = 0, structSize = 0;
    for (int i = 2; i < args.size(); ++i) {
        const QString& a = args[i];
        if (optionsEnded || !a.startsWith(QLatin1String("--"))) {
            positional << a;
        } else if (a == QLatin1String("--")) {
            optionsEnded = true;
        } else if (a == QLatin1String("--struct")) {
            asStruct = true;
            if (isGet) {
                if (i + 1 >= args.size() || !parseInt(args[i + 1], &structSize) || structSize < 0 || structSize > 65535)
                    return fail(QStringLiteral("config: --struct needs a SIZE from 0 to 65535"));
                ++i;
            }
        } else if (a == QLatin1String("--int") && isGet) {
            asInt = true;
            if (i + 1 >= args.size() || !parseInt(args[i + 1], &intDefault))
                return fail(QStringLiteral("config: --int needs a decimal DEFAULT"));
            ++i;
        } else {
            return fail(QStringLiteral("config: unknown option '%1'").arg(a));
        }
    }
    if (asInt && asStruct)
        return fail(QStringLiteral("config: --int and --struct exclude each other"));
    const qsizetype wanted = isGet ? 2 : 3;
    if (positional.size() != wanted)
        return fail(isGet ? QStringLiteral("config: get needs SECTION KEY")
                          : QStringLiteral("config: set needs SECTION KEY VALUE"));
    const QString& section = positional[0];
    const QString& key = positional[1];
    lex::Profile profile(file);

    if (isGet) {
        if (asInt) {
            out(QString::number(profile.readInt(section, key, intDefault)) + QLatin1Char('\n'));
            return 0;
        }
        if (asStruct) {
            const auto bytes = profile.readStruct(section, key, structSize);
            if (!bytes)
                return fail(QStringLiteral("config: [%1] %2 is absent or not a valid %3-byte structure")
                                .arg(section, key).arg(structSize), 1);
            out(QString::fromLatin1(bytes->toHex().toUpper()) + QLatin1Char('\n'));
            return 0;
        }
        if (!profile.contains(section, key))
            return fail(QStringLiteral("config: [%1] %2 is absent").arg(section, key), 1);
        out(profile.readString(section, key) + QLatin1Char('\n'));
        return 0;
    }

    const QString& value = positional[2];
    QByteArray bytes;
    if (asStruct && !parseHex(value, &bytes))
        return fail(QStringLiteral("config: --struct VALUE must be hexadecimal digits, two per byte"));
    std::unique_ptr<lex::FileLock> unused;
    int code = 0;
    if (!lockOrRefuse({file, {}, {}, &profile}, &unused, &code))
        return code;
    const bool ok = asStruct ? profile.writeStruct(section, key, bytes) : profile.writeString(section, key, value);
    if (!ok)
        return fail(QStringLiteral("config: cannot write [%1] %2 to %3").arg(section, key, file), 1);
    return 0;
}

} // namespace lexbook
