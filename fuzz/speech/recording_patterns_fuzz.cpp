// A recording path pattern and a word over arbitrary bytes (the pattern, a zero byte, the word):
// what the expansion gives is relative, without an empty, "." or ".." part, a backslash or NUL.
#include "common/speech/recording_patterns.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView in(reinterpret_cast<const char*>(data), qsizetype(size));
    qsizetype z = in.indexOf('\0');
    if (z < 0)
        z = in.size();
    const QString pattern = QString::fromUtf8(in.first(z));
    const QString word = z < in.size() ? QString::fromUtf8(in.sliced(z + 1)) : QString();
    const QString path = lex::expandRecordingPattern(pattern, word);
    if (path.isEmpty())
        return 0;
    if (path.startsWith(u'/') || path.contains(u'\\') || path.contains(QChar(0)))
        std::abort();
    for (const QStringView part : QStringView(path).split(u'/'))
        if (part.isEmpty() || part == u"." || part == u"..")
            std::abort();
    for (const auto& s : lex::parseRecordingSources(pattern))
        if (s.folder.isEmpty() || s.pattern.isEmpty())
            std::abort();
    return 0;
}
