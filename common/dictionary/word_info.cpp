#include "common/dictionary/word_info.h"

#include "common/dictionary/index_blocks.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace lex {
namespace {

constexpr char kMagic[8] = {'L', 'X', 'W', 'I', 'N', 'F', 'O', 1};
constexpr uint32_t kHeader = sizeof kMagic + 8;
constexpr uint32_t kRecord = 16;
constexpr uint16_t kOxfordBit = 1u << 8;
constexpr const char* kExamNames[kExamCount] = {"zk", "gk", "cet4", "cet6", "ky", "ielts", "toefl", "gre"};

void appendLe32(QByteArray& b, uint32_t v)
{
    char p[4];
    qToLittleEndian(v, p);
    b.append(p, 4);
}

} // namespace

const char* examName(Exam e) { return kExamNames[int(e)]; }

WordInfo wordInfoFrom(QStringView tags, int collins, int oxford, int bnc, int frq)
{
    WordInfo w;
    for (QStringView t : tags.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        for (int i = 0; i < kExamCount; ++i)
            if (t == QLatin1String(kExamNames[i]))
                w.exams |= uint16_t(1u << i);
    w.collins = uint8_t(std::clamp(collins, 0, kMaxCollins));
    w.oxford = oxford != 0;
    w.bnc = uint32_t(std::max(bnc, 0));
    w.frq = uint32_t(std::max(frq, 0));
    return w;
}

QByteArray encodeWordInfoBlock(std::vector<WordInfoRecord> records)
{
    struct Rec {
        QByteArray word;
        WordInfo info;
    };
    std::vector<Rec> recs;
    recs.reserve(records.size());
    for (WordInfoRecord& r : records)
        if (r.info.any() && !r.word.isEmpty() && !r.word.contains(QChar(0)))
            recs.push_back({r.word.toUtf8(), r.info});
    std::stable_sort(recs.begin(), recs.end(), [](const Rec& a, const Rec& b) { return a.word < b.word; });
    recs.erase(std::unique(recs.begin(), recs.end(), [](const Rec& a, const Rec& b) { return a.word == b.word; }),
               recs.end());
    QByteArray table, pool;
    table.reserve(qsizetype(recs.size() * kRecord));
    for (const Rec& r : recs) {
        appendLe32(table, uint32_t(pool.size()));
        char p[2];
        qToLittleEndian(uint16_t(r.info.exams | (r.info.oxford ? kOxfordBit : 0)), p);
        table.append(p, 2);
        table.append(char(r.info.collins));
        table.append('\0');
        appendLe32(table, r.info.bnc);
        appendLe32(table, r.info.frq);
        pool += r.word;
        pool += '\0';
    }
    QByteArray block(kMagic, sizeof kMagic);
    appendLe32(block, uint32_t(recs.size()));
    appendLe32(block, uint32_t(pool.size()));
    return block + table + pool;
}

bool WordInfoTable::openIndex(const QString& indexPath)
{
    close();
    if (!file_.open(indexPath))
        return false;
    openMemory(QByteArrayView(reinterpret_cast<const char*>(file_.data()), qsizetype(file_.size())));
    return true;
}

void WordInfoTable::openMemory(QByteArrayView bytes)
{
    records_ = nullptr;
    pool_ = nullptr;
    poolSize_ = 0;
    count_ = 0;
    const QByteArrayView block = findIndexBlock(bytes, kWordInfoTag);
    const auto* data = reinterpret_cast<const unsigned char*>(block.data());
    const uint64_t len = uint64_t(block.size());
    // Another version is ignored like no block.
    if (len < kHeader || std::memcmp(data, kMagic, sizeof kMagic) != 0)
        return;
    const uint64_t count = qFromLittleEndian<uint32_t>(data + 8), poolSize = qFromLittleEndian<uint32_t>(data + 12);
    if (kHeader + count * kRecord + poolSize != len || (poolSize && data[len - 1] != 0) || (count && !poolSize))
        return;
    const unsigned char* records = data + kHeader;
    // Every word must start inside the pool, which ends in NUL: then no read leaves the block.
    for (uint64_t i = 0; i < count; ++i)
        if (qFromLittleEndian<uint32_t>(records + i * kRecord) >= poolSize)
            return;
    records_ = records;
    pool_ = reinterpret_cast<const char*>(records + count * kRecord);
    poolSize_ = uint32_t(poolSize);
    count_ = qsizetype(count);
}

void WordInfoTable::close()
{
    file_.close();
    records_ = nullptr;
    pool_ = nullptr;
    poolSize_ = 0;
    count_ = 0;
}

QByteArrayView WordInfoTable::wordBytes(qsizetype i) const
{
    if (i < 0 || i >= count_)
        return {};
    const char* w = pool_ + qFromLittleEndian<uint32_t>(records_ + uint64_t(i) * kRecord);
    return QByteArrayView(w, qsizetype(std::strlen(w)));
}

WordInfo WordInfoTable::info(qsizetype i) const
{
    WordInfo w;
    if (i < 0 || i >= count_)
        return w;
    const unsigned char* r = records_ + uint64_t(i) * kRecord;
    const uint16_t bits = qFromLittleEndian<uint16_t>(r + 4);
    w.exams = bits & ((1u << kExamCount) - 1);
    w.oxford = bits & kOxfordBit;
    w.collins = std::min<uint8_t>(r[6], kMaxCollins);
    w.bnc = qFromLittleEndian<uint32_t>(r + 8);
    w.frq = qFromLittleEndian<uint32_t>(r + 12);
    return w;
}

qsizetype WordInfoTable::find(QStringView word) const
{
    if (!count_ || word.isEmpty())
        return -1;
    const QByteArray q = word.toUtf8();
    qsizetype lo = 0, hi = count_;
    while (lo < hi) {
        const qsizetype mid = lo + (hi - lo) / 2;
        if (wordBytes(mid).compare(q) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo < count_ && wordBytes(lo) == QByteArrayView(q) ? lo : -1;
}

} // namespace lex
