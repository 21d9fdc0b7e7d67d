#pragma once
// Random access into a dictzip file (a gzip file whose "RA" extra field lists the compressed size
// of each fixed-size chunk, every chunk flushed so that it inflates on its own). A read inflates
// only the chunks that cover the asked range; the file is never unpacked whole.

#include "common/platform/status.h"

#include <QByteArray>
#include <cstdint>
#include <vector>

namespace lex {

class DictzipReader {
public:
    // Reads the header and the chunk table of `data` (not copied: the bytes must outlive the
    // reader). Fails with a message on anything that is not a dictzip file or whose chunk table
    // points outside the file.
    Status open(const unsigned char* data, uint64_t size);
    void close();

    // An upper bound of the uncompressed length (chunk count times chunk length).
    uint64_t maxSize() const { return chunkOffsets_.empty() ? 0 : uint64_t(chunkLength_) * (chunkOffsets_.size() - 1); }

    // The uncompressed bytes [offset, offset + length). Fails when the range ends past the data or
    // a chunk does not inflate. The last chunk read stays cached: entries next to each other
    // usually share it. Not safe for use from two threads at once.
    Status read(uint64_t offset, uint64_t length, QByteArray* out) const;

private:
    Status inflateChunk(size_t index) const;

    const unsigned char* data_ = nullptr;
    uint64_t size_ = 0;
    uint32_t chunkLength_ = 0;
    std::vector<uint64_t> chunkOffsets_; // file offset of each chunk; one more marks the end
    mutable size_t cachedChunk_ = SIZE_MAX;
    mutable QByteArray cache_;
};

} // namespace lex
