#include "common/dictionary/index_blocks.h"

#include <QtEndian>
#include <cstring>

namespace lex {
namespace {

constexpr qsizetype kFooter = 12;
// A chain longer than this is damage, not blocks: it bounds the walk on hostile files.
constexpr int kMaxBlocks = 32;

} // namespace

void appendIndexBlock(QByteArray* index, const char (&tag)[5], const QByteArray& block)
{
    char p[4];
    const auto at = uint32_t(index->size());
    *index += block;
    qToLittleEndian(at, p);
    index->append(p, 4);
    qToLittleEndian(uint32_t(block.size()), p);
    index->append(p, 4);
    index->append(tag, 4);
}

QByteArrayView findIndexBlock(QByteArrayView indexBytes, const char (&tag)[5])
{
    const auto* data = reinterpret_cast<const unsigned char*>(indexBytes.data());
    uint64_t end = uint64_t(indexBytes.size());
    for (int i = 0; i < kMaxBlocks && end >= kFooter; ++i) {
        const unsigned char* footer = data + end - kFooter;
        if (footer[8] != 'L' || footer[9] != 'X')
            break;
        const uint64_t at = qFromLittleEndian<uint32_t>(footer), len = qFromLittleEndian<uint32_t>(footer + 4);
        if (at + len != end - kFooter)
            break;
        if (std::memcmp(footer + 8, tag, 4) == 0)
            return QByteArrayView(indexBytes.data() + at, qsizetype(len));
        end = at;
    }
    return {};
}

} // namespace lex
