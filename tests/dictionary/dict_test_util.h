#pragma once
// Hand-made dictionary layouts: records written byte by byte, so that tests can place keys,
// values and damage exactly where they want.

#include <QByteArray>
#include <cstdint>
#include <vector>

namespace dicttest {

inline void le32(QByteArray& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out += char((v >> (8 * i)) & 0xFF);
}

struct Rec {
    QByteArray key; // code page 936 bytes
    uint32_t value; // text end (second level) or block end relative to B (first level)
};

inline QByteArray mainRecord(const Rec& r)
{
    QByteArray b;
    b += char(r.key.size());
    b += r.key;
    le32(b, r.value);
    return b;
}

inline QByteArray companionFirst(const Rec& r)
{
    QByteArray b = r.key;
    b += '\0';
    le32(b, r.value);
    return b;
}

inline QByteArray companionSecond(const Rec& r, char lead = '\xEE')
{
    QByteArray b;
    b += lead;
    b += r.key;
    b += '\0';
    le32(b, r.value);
    return b;
}

// Blocks of second-level records; the first level is made from each block's last key unless
// `first` is given.
inline QByteArray makeIndex(bool companion, const std::vector<std::vector<Rec>>& blocks,
                            const std::vector<Rec>* first = nullptr, const QByteArray& trailer = {})
{
    QByteArray l1, l2;
    std::vector<Rec> made;
    for (const auto& block : blocks) {
        for (const Rec& r : block)
            l2 += companion ? companionSecond(r) : mainRecord(r);
        made.push_back({block.empty() ? QByteArray() : block.back().key, uint32_t(l2.size())});
    }
    for (const Rec& r : first ? *first : made)
        l1 += companion ? companionFirst(r) : mainRecord(r);
    QByteArray idx;
    le32(idx, uint32_t(l1.size()));
    return idx + l1 + l2 + trailer;
}

} // namespace dicttest
