#include "common/dictionary/stardict_writer.h"

#include "common/dictionary/stardict.h"

#include <QtEndian>
#include <algorithm>
#include <zlib.h>

namespace lex {
namespace {

void appendBe32(QByteArray& b, uint32_t v)
{
    char p[4];
    qToBigEndian(v, p);
    b.append(p, 4);
}

void appendLe16(QByteArray& b, uint16_t v)
{
    b.append(char(v & 0xff));
    b.append(char(v >> 8));
}

} // namespace

QByteArray dictzipCompress(const QByteArray& data, int chunkLength)
{
    QByteArray chunks;
    std::vector<uint16_t> sizes;
    z_stream z{};
    deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
    QByteArray buf(chunkLength + chunkLength / 2 + 1024, '\0');
    // Like dictzip itself: every chunk ends in a full flush, so that it inflates on its own, and
    // the end of the stream follows the last chunk outside the table.
    auto run = [&](const char* in, qsizetype n, int flush) {
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in));
        z.avail_in = uInt(n);
        z.next_out = reinterpret_cast<Bytef*>(buf.data());
        z.avail_out = uInt(buf.size());
        deflate(&z, flush);
        const qsizetype out = buf.size() - z.avail_out;
        chunks.append(buf.constData(), out);
        return out;
    };
    for (qsizetype pos = 0; pos < data.size(); pos += chunkLength)
        sizes.push_back(uint16_t(run(data.constData() + pos, std::min<qsizetype>(chunkLength, data.size() - pos), Z_FULL_FLUSH)));
    run(nullptr, 0, Z_FINISH);
    deflateEnd(&z);

    QByteArray f;
    f.append("\x1f\x8b\x08\x04", 4);          // gzip, deflate, FEXTRA
    f.append("\0\0\0\0\x02\x03", 6);          // no time, best compression, Unix
    const uint16_t raLen = uint16_t(6 + 2 * sizes.size());
    appendLe16(f, uint16_t(4 + raLen));
    f.append("RA", 2);
    appendLe16(f, raLen);
    appendLe16(f, 1);
    appendLe16(f, uint16_t(chunkLength));
    appendLe16(f, uint16_t(sizes.size()));
    for (uint16_t s : sizes)
        appendLe16(f, s);
    f += chunks;
    char t[4];
    qToLittleEndian(uint32_t(crc32(0, reinterpret_cast<const Bytef*>(data.constData()), uInt(data.size()))), t);
    f.append(t, 4);
    qToLittleEndian(uint32_t(data.size()), t);
    f.append(t, 4);
    return f;
}

StarDictFiles writeStarDict(const StarDictSource& source)
{
    std::vector<const StarDictSource::Entry*> sorted;
    for (const auto& e : source.entries)
        sorted.push_back(&e);
    std::stable_sort(sorted.begin(), sorted.end(), [](auto* a, auto* b) {
        return starDictCompare(a->word.toUtf8(), b->word.toUtf8()) < 0;
    });
    StarDictFiles f;
    QByteArray dict;
    struct Syn { QByteArray word; uint32_t target; };
    std::vector<Syn> syns;
    for (size_t i = 0; i < sorted.size(); ++i) {
        const auto& e = *sorted[i];
        f.idx += e.word.toUtf8();
        f.idx += '\0';
        if (source.offsets64)
            appendBe32(f.idx, uint32_t(uint64_t(dict.size()) >> 32));
        appendBe32(f.idx, uint32_t(dict.size()));
        appendBe32(f.idx, uint32_t(e.data.size()));
        dict += e.data;
        for (const QString& s : e.synonyms)
            syns.push_back({s.toUtf8(), uint32_t(i)});
    }
    std::stable_sort(syns.begin(), syns.end(),
                     [](const Syn& a, const Syn& b) { return starDictCompare(a.word, b.word) < 0; });
    for (const Syn& s : syns) {
        f.syn += s.word;
        f.syn += '\0';
        appendBe32(f.syn, s.target);
    }
    f.dict = source.dictzip ? dictzipCompress(dict, source.chunkLength) : dict;
    f.ifo = "StarDict's dict ifo file\n";
    f.ifo += source.offsets64 ? "version=3.0.0\n" : "version=2.4.2\n";
    f.ifo += "bookname=" + source.bookname.toUtf8() + "\n";
    f.ifo += "wordcount=" + QByteArray::number(qsizetype(sorted.size())) + "\n";
    if (!syns.empty())
        f.ifo += "synwordcount=" + QByteArray::number(qsizetype(syns.size())) + "\n";
    f.ifo += "idxfilesize=" + QByteArray::number(f.idx.size()) + "\n";
    if (source.offsets64)
        f.ifo += "idxoffsetbits=64\n";
    if (!source.sametypesequence.isEmpty())
        f.ifo += "sametypesequence=" + source.sametypesequence + "\n";
    return f;
}

} // namespace lex
