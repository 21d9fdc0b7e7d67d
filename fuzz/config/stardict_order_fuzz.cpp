// STARDICT/Dictionaries over arbitrary values: decoding never fails, what it gives encodes to a
// value that decodes to the same choice (wherever the program and home folders are), and the
// arrangement of found dictionaries holds each found one once and nothing else.
#include "common/config/stardict_order.h"

#include <QDir>
#include <QSet>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "stardict_order: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString value = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString prog = QStringLiteral("/opt/lexora"), home = QStringLiteral("/home/li");
    const std::vector<lex::StarDictChoice> choices = lex::decodeStarDictOrder(value, prog, home);
    for (const lex::StarDictChoice& c : choices)
        check(c.ifoPath.startsWith(QLatin1Char('/')) && c.ifoPath == QDir::cleanPath(c.ifoPath), "a path not absolute and clean");
    const QString again = lex::encodeStarDictOrder(choices, prog, home);
    check(lex::decodeStarDictOrder(again, prog, home) == choices, "a decoded choice does not read back");
    check(lex::encodeStarDictOrder(lex::decodeStarDictOrder(again, prog, home), prog, home) == again,
          "encoding is not stable");

    // Half of what was stored is still found, and one more that never was.
    QStringList found;
    for (size_t i = 0; i < choices.size(); i += 2)
        found << choices[i].ifoPath;
    found << QStringLiteral("/usr/share/stardict/dic/new/new.ifo");
    const std::vector<lex::StarDictChoice> arranged = lex::arrangeStarDicts(found, choices);
    QSet<QString> want(found.begin(), found.end()), seen;
    for (const lex::StarDictChoice& c : arranged) {
        check(want.contains(c.ifoPath), "a dictionary not found was kept");
        check(!seen.contains(c.ifoPath), "a dictionary listed twice");
        seen.insert(c.ifoPath);
    }
    check(seen == want, "a found dictionary is missing");
    return 0;
}
