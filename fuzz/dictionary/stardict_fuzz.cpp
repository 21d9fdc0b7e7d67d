// StarDict readers over arbitrary bytes. LEXORA_FUZZ_STARDICT chooses the part:
// 1 the .ifo parser; 2 the .idx (and .syn) search with entries read from a plain .dict;
// 3 the dictzip chunk reader; 4 the inflected forms block at the end of a compiled index. None may read outside its input, and a look-up of a headword
// cut from the input must find only entries whose headword matches it.
#include "common/dictionary/dictzip.h"
#include "common/dictionary/stardict.h"
#include "common/dictionary/word_forms.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void fuzzIfo(QByteArrayView in)
{
    lex::StarDictInfo info;
    if (lex::parseStarDictIfo(in, &info)) {
        if (info.idxoffsetbits != 32 && info.idxoffsetbits != 64)
            std::abort();
    }
}

void fuzzIdx(QByteArrayView in)
{
    if (in.size() < 3)
        return;
    // First byte: flags (64-bit offsets, sametypesequence, syn). Next two: where the idx ends and
    // the syn (then the dict) begins, as fractions of the rest.
    const unsigned flags = uchar(in[0]);
    const QByteArrayView rest = in.sliced(3);
    const qsizetype a = rest.size() * uchar(in[1]) / 255, b = a + (rest.size() - a) * uchar(in[2]) / 255;
    const QByteArrayView idx = rest.first(a), syn = (flags & 4) ? rest.sliced(a, b - a) : QByteArrayView(),
                         dict = rest.sliced(b);
    QByteArray ifo = "StarDict's dict ifo file\nbookname=f\nwordcount=1\n";
    ifo += (flags & 1) ? "version=3.0.0\nidxoffsetbits=64\n" : "version=2.4.2\n";
    if (flags & 2)
        ifo += "sametypesequence=tm\n";
    lex::StarDict d;
    if (!d.openMemory(ifo, idx, syn, dict, false))
        return;
    // Headwords cut from the index itself, and one that is surely absent.
    std::vector<lex::StarDictEntry> out;
    qsizetype pos = 0;
    for (int i = 0; i < 8 && pos < idx.size(); ++i) {
        qsizetype z = idx.indexOf('\0', pos);
        if (z < 0)
            z = idx.size();
        const QString w = QString::fromUtf8(idx.sliced(pos, z - pos));
        for (auto m : {lex::StarDict::Match::Exact, lex::StarDict::Match::IgnoreAsciiCase}) {
            (void)d.lookup(w, m, &out);
            for (const auto& e : out) {
                if (m == lex::StarDict::Match::Exact && e.word != w && !syn.size())
                    std::abort();
                (void)lex::starDictSafeText(e);
                (void)lex::starDictStoredText(e);
            }
        }
        pos = z + 1 + ((flags & 1) ? 12 : 8);
    }
    (void)d.lookup(QStringLiteral("\xff"), lex::StarDict::Match::Exact, &out);
}

void fuzzDictzip(QByteArrayView in)
{
    if (in.size() < 4)
        return;
    lex::DictzipReader r;
    const auto* p = reinterpret_cast<const unsigned char*>(in.data());
    if (!r.open(p + 4, uint64_t(in.size() - 4)))
        return;
    const uint64_t off = (uint64_t(p[0]) << 8 | p[1]) * 37, len = uint64_t(p[2]) << 8 | p[3];
    QByteArray out;
    if (r.read(off, len, &out) && uint64_t(out.size()) != len)
        std::abort();
    (void)r.read(0, std::min<uint64_t>(r.maxSize(), 1 << 16), &out);
}

// Forms cut from the input are looked up; whatever is found has a lemma and a known kind.
void fuzzForms(QByteArrayView in)
{
    lex::WordForms forms;
    forms.openMemory(in);
    qsizetype pos = 0;
    for (int i = 0; i < 16 && pos < in.size(); ++i) {
        qsizetype z = in.indexOf('\0', pos);
        if (z < 0)
            z = in.size();
        if (const auto base = forms.baseFormOf(QString::fromUtf8(in.sliced(pos, z - pos)))) {
            if (base->lemma.isEmpty() || !std::strchr("pdi3srt", char(base->kind)))
                std::abort();
        }
        pos = z + 1;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView in(reinterpret_cast<const char*>(data), qsizetype(size));
#if LEXORA_FUZZ_STARDICT == 1
    fuzzIfo(in);
#elif LEXORA_FUZZ_STARDICT == 2
    fuzzIdx(in);
#elif LEXORA_FUZZ_STARDICT == 3
    fuzzDictzip(in);
#else
    fuzzForms(in);
#endif
    return 0;
}
