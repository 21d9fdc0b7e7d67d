// The block of both accents' IPA at the end of a compiled index, over arbitrary bytes: no read
// outside the input, and what a look-up finds is valid UTF-8 text without a zero byte. The input
// goes in once as it is and once wrapped as the block of an index.
#include "common/dictionary/index_blocks.h"
#include "common/dictionary/us_phonetics.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>

namespace {

void lookUpIn(QByteArrayView index, QByteArrayView in)
{
    lex::AccentPhonetics p;
    p.openMemory(index);
    qsizetype pos = 0;
    for (int i = 0; i < 16 && pos < in.size(); ++i) {
        qsizetype z = in.indexOf('\0', pos);
        if (z < 0)
            z = in.size();
        for (const lex::Accent a : {lex::Accent::UK, lex::Accent::US})
            if (p.find(QString::fromUtf8(in.sliced(pos, z - pos)), a).contains(QChar(0)))
                std::abort();
        pos = z + 1;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView in(reinterpret_cast<const char*>(data), qsizetype(size));
    lookUpIn(in, in);
    QByteArray index("index");
    lex::appendIndexBlock(&index, "LXUS", in.toByteArray());
    lookUpIn(index, in);
    return 0;
}
