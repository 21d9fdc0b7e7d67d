#include "common/dictionary/dictzip.h"

#include <zlib.h>

namespace lex {
namespace {

constexpr unsigned char kFlagText = 1, kFlagHeaderCrc = 2, kFlagExtra = 4, kFlagName = 8, kFlagComment = 16;

uint16_t le16(const unsigned char* p) { return uint16_t(p[0] | p[1] << 8); }

Status bad(const char* why) { return Status::error(QStringLiteral("not a readable dictzip file: %1").arg(QLatin1String(why))); }

} // namespace

void DictzipReader::close()
{
    data_ = nullptr;
    size_ = 0;
    chunkLength_ = 0;
    chunkOffsets_.clear();
    cachedChunk_ = SIZE_MAX;
    cache_.clear();
}

Status DictzipReader::open(const unsigned char* data, uint64_t size)
{
    close();
    (void)kFlagText;
    if (size < 10 || data[0] != 0x1f || data[1] != 0x8b || data[2] != 8)
        return bad("no gzip header");
    const unsigned char flags = data[3];
    if (!(flags & kFlagExtra))
        return bad("no chunk table (a plain gzip file; recompress it with dictzip)");
    uint64_t pos = 10;
    if (pos + 2 > size)
        return bad("header cut short");
    const uint64_t extraEnd = pos + 2 + le16(data + pos);
    if (extraEnd > size)
        return bad("header cut short");
    pos += 2;
    uint32_t chunkCount = 0;
    std::vector<uint16_t> sizes;
    while (pos + 4 <= extraEnd) {
        const unsigned char si1 = data[pos], si2 = data[pos + 1];
        const uint64_t len = le16(data + pos + 2);
        const uint64_t body = pos + 4;
        if (body + len > extraEnd)
            return bad("damaged extra field");
        if (si1 == 'R' && si2 == 'A') {
            if (len < 6 || le16(data + body) != 1)
                return bad("unknown chunk table version");
            chunkLength_ = le16(data + body + 2);
            chunkCount = le16(data + body + 4);
            if (chunkLength_ == 0 || len < 6 + 2 * uint64_t(chunkCount))
                return bad("damaged chunk table");
            sizes.resize(chunkCount);
            for (uint32_t i = 0; i < chunkCount; ++i)
                sizes[i] = le16(data + body + 6 + 2 * i);
        }
        pos = body + len;
    }
    if (chunkLength_ == 0)
        return bad("no chunk table (a plain gzip file; recompress it with dictzip)");
    pos = extraEnd;
    for (unsigned char f : {kFlagName, kFlagComment}) {
        if (!(flags & f))
            continue;
        while (pos < size && data[pos] != 0)
            ++pos;
        if (pos >= size)
            return bad("header cut short");
        ++pos;
    }
    if (flags & kFlagHeaderCrc)
        pos += 2;
    chunkOffsets_.reserve(chunkCount + 1);
    for (uint16_t s : sizes) {
        chunkOffsets_.push_back(pos);
        pos += s;
    }
    chunkOffsets_.push_back(pos);
    // The 8-byte gzip trailer follows the last chunk.
    if (pos > size) {
        close();
        return bad("chunk table points past the end of the file");
    }
    data_ = data;
    size_ = size;
    return Status::ok();
}

Status DictzipReader::inflateChunk(size_t index) const
{
    if (cachedChunk_ == index)
        return Status::ok();
    cachedChunk_ = SIZE_MAX;
    const uint64_t from = chunkOffsets_[index], to = chunkOffsets_[index + 1];
    cache_.resize(qsizetype(chunkLength_));
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
        return Status::error(QStringLiteral("dictzip: cannot start inflating"));
    z.next_in = const_cast<Bytef*>(data_ + from);
    z.avail_in = uInt(to - from);
    z.next_out = reinterpret_cast<Bytef*>(cache_.data());
    z.avail_out = chunkLength_;
    const int rc = inflate(&z, Z_SYNC_FLUSH);
    const uLong produced = z.total_out;
    inflateEnd(&z);
    // A chunk ends with a full flush (Z_OK, input used up) or, the last one, the end of the stream.
    if ((rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) || (rc == Z_BUF_ERROR && produced == 0))
        return Status::error(QStringLiteral("dictzip: chunk %1 is damaged").arg(index));
    cache_.resize(qsizetype(produced));
    cachedChunk_ = index;
    return Status::ok();
}

Status DictzipReader::read(uint64_t offset, uint64_t length, QByteArray* out) const
{
    out->clear();
    if (!data_)
        return Status::error(QStringLiteral("dictzip: not open"));
    if (offset > maxSize() || length > maxSize() - offset)
        return Status::error(QStringLiteral("entry lies past the end of the dictionary text"));
    out->reserve(qsizetype(length));
    uint64_t pos = offset;
    const uint64_t end = offset + length;
    while (pos < end) {
        const size_t chunk = size_t(pos / chunkLength_);
        Status s = inflateChunk(chunk);
        if (!s)
            return s;
        const uint64_t inChunk = pos - uint64_t(chunk) * chunkLength_;
        if (inChunk >= uint64_t(cache_.size()))
            return Status::error(QStringLiteral("entry lies past the end of the dictionary text"));
        const uint64_t take = std::min<uint64_t>(end - pos, uint64_t(cache_.size()) - inChunk);
        out->append(cache_.constData() + inChunk, qsizetype(take));
        pos += take;
    }
    return Status::ok();
}

} // namespace lex
