#include "common/dictionary/dictionary.h"

#include "common/dictionary/dict_keys.h"
#include "common/text/codepage.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace lex {
namespace {

// A byte range of one file. Positions are 64-bit so that a position plus a 32-bit value read
// from the file never wraps; every read checks against `size` first.
struct Bytes {
    const unsigned char* data = nullptr;
    uint64_t size = 0;
    bool open = false;

    uint32_t le32(uint64_t pos) const // caller has checked pos + 4 <= size
    {
        const unsigned char* p = data + pos;
        return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    }
};

struct Record {
    uint64_t keyPos = 0;
    uint32_t keyLen = 0;
    uint32_t value = 0;
    uint64_t next = 0;
};

// Key bytes end at a 0x00 from `keyPos` on; the 4-byte value follows it. An empty key ends the
// walk, as does a key or value that would run past the end of the file.
bool readNulTerminated(const Bytes& f, uint64_t keyPos, Record* r)
{
    if (keyPos >= f.size || f.data[keyPos] == 0)
        return false;
    const void* z = std::memchr(f.data + keyPos, 0, size_t(f.size - keyPos));
    if (!z)
        return false;
    const uint64_t zPos = uint64_t(static_cast<const unsigned char*>(z) - f.data);
    if (zPos + 5 > f.size)
        return false;
    r->keyPos = keyPos;
    r->keyLen = uint32_t(zPos - keyPos);
    r->value = f.le32(zPos + 1);
    r->next = zPos + 5;
    return true;
}

bool readLengthPrefixed(const Bytes& f, uint64_t pos, uint32_t n, Record* r)
{
    const uint64_t keyPos = pos + 1;
    if (keyPos + n + 4 > f.size)
        return false;
    r->keyPos = keyPos;
    r->keyLen = n;
    r->value = f.le32(keyPos + n);
    r->next = keyPos + n + 4;
    return true;
}

bool readFirstLevel(DictVariant v, const Bytes& f, uint64_t pos, Record* r)
{
    if (v == DictVariant::Companion)
        return readNulTerminated(f, pos, r);
    if (pos >= f.size)
        return false;
    return readLengthPrefixed(f, pos, f.data[pos], r);
}

bool readSecondLevel(DictVariant v, const Bytes& f, uint64_t pos, Record* r)
{
    if (pos >= f.size)
        return false;
    if (v == DictVariant::Companion)
        return readNulTerminated(f, pos + 1, r); // the leading byte is skipped uninterpreted
    // The length byte is signed in this table: a key of 128 bytes or more cannot be stored, and
    // a negative length is a damaged record rather than a huge key.
    const auto n = static_cast<int8_t>(f.data[pos]);
    if (n < 0)
        return false;
    return readLengthPrefixed(f, pos, uint32_t(n), r);
}

struct FirstLevelEntry {
    uint64_t keyPos;
    uint32_t keyLen;
    uint32_t value;
};

} // namespace

struct Dictionary::Impl {
    explicit Impl(Env* env) : indexFile(env), textFile(env) {}
    MappedFile indexFile;
    MappedFile textFile;
    Bytes index;
    Bytes text;
    FirstLevelSearch search = FirstLevelSearch::Indexed;
    // The first-level records that the walk can reach, in file order, and whether their keys
    // ascend (then the first key >= a query is found by bisection).
    std::vector<FirstLevelEntry> table;
    bool ascends = false;

    void buildTable(DictVariant v);
    bool find(DictVariant v, QStringView query, uint32_t* start, uint32_t* end) const;
    bool searchBlock(DictVariant v, uint64_t b, uint64_t blockStart, uint64_t blockEnd, QStringView query,
                     QString& scratch, uint32_t* start, uint32_t* end) const;
};

void Dictionary::Impl::buildTable(DictVariant v)
{
    table.clear();
    ascends = false;
    if (!index.open || index.size < 4)
        return;
    const uint64_t b = 4 + uint64_t(index.le32(0));
    Record r;
    for (uint64_t pos = 4; pos < b && readFirstLevel(v, index, pos, &r); pos = r.next)
        table.push_back({r.keyPos, r.keyLen, r.value});
    // Non-decreasing is enough: the walk's answer, the first key >= the query, is then where
    // lower_bound lands.
    ascends = true;
    QString a, c;
    for (size_t i = 1; i < table.size() && ascends; ++i) {
        a = cp936::decode(QByteArrayView(reinterpret_cast<const char*>(index.data + table[i - 1].keyPos),
                                         table[i - 1].keyLen));
        c = cp936::decode(QByteArrayView(reinterpret_cast<const char*>(index.data + table[i].keyPos),
                                         table[i].keyLen));
        ascends = dictkeys::compare(v, a, c) <= 0;
    }
}

bool Dictionary::Impl::searchBlock(DictVariant v, uint64_t b, uint64_t blockStart, uint64_t blockEnd,
                                   QStringView query, QString& scratch, uint32_t* start, uint32_t* end) const
{
    uint64_t prevEnd = 0;
    if (blockStart != b) {
        if (blockStart > index.size)
            return false;
        prevEnd = index.le32(blockStart - 4);
    }
    Record r;
    for (uint64_t pos = blockStart; pos < blockEnd; pos = r.next) {
        if (!readSecondLevel(v, index, pos, &r))
            return false;
        if (dictkeys::compareStored(v, index.data + r.keyPos, r.keyLen, query, scratch) == 0) {
            if (prevEnd > r.value || r.value > text.size)
                return false;
            *start = uint32_t(prevEnd);
            *end = r.value;
            return true;
        }
        prevEnd = r.value;
    }
    return false;
}

bool Dictionary::Impl::find(DictVariant v, QStringView query, uint32_t* start, uint32_t* end) const
{
    if (!index.open || !text.open || index.size < 4)
        return false;
    const uint32_t l1size = index.le32(0);
    if (l1size == 0)
        return false;
    const uint64_t b = 4 + uint64_t(l1size);
    thread_local QString scratch;

    if (search == FirstLevelSearch::Walk) {
        uint64_t blockStart = b;
        Record r;
        for (uint64_t pos = 4; pos < b; pos = r.next) {
            if (!readFirstLevel(v, index, pos, &r))
                return false;
            const uint64_t blockEnd = b + r.value;
            if (dictkeys::compareStored(v, index.data + r.keyPos, r.keyLen, query, scratch) >= 0)
                return searchBlock(v, b, blockStart, blockEnd, query, scratch, start, end);
            blockStart = blockEnd;
        }
        return false;
    }

    auto keyBelowQuery = [&](const FirstLevelEntry& e) {
        return dictkeys::compareStored(v, index.data + e.keyPos, e.keyLen, query, scratch) < 0;
    };
    size_t k;
    if (ascends) {
        k = size_t(std::partition_point(table.begin(), table.end(), keyBelowQuery) - table.begin());
    } else {
        k = 0;
        while (k < table.size() && keyBelowQuery(table[k]))
            ++k;
    }
    // Past the last reachable record: the walk would have run off the table or hit a record it
    // cannot read; either way nothing is found.
    if (k == table.size())
        return false;
    const uint64_t blockStart = k == 0 ? b : b + table[k - 1].value;
    return searchBlock(v, b, blockStart, b + table[k].value, query, scratch, start, end);
}

Dictionary::Dictionary(DictVariant variant, Env* env) : variant_(variant), d_(new Impl(env)) {}

Dictionary::~Dictionary()
{
    close();
    delete d_;
}

QStringList Dictionary::open(const QString& indexPath, const QString& textPath)
{
    close();
    QStringList failed;
    // A zero-length file cannot be mapped: it counts as a file that cannot be opened.
    const auto openMapped = [&failed](MappedFile& file, const QString& path) {
        if (file.open(path) && file.size() > 0)
            return true;
        file.close();
        failed << path;
        return false;
    };
    if (openMapped(d_->indexFile, indexPath))
        d_->index = {d_->indexFile.data(), d_->indexFile.size(), true};
    if (openMapped(d_->textFile, textPath))
        d_->text = {d_->textFile.data(), d_->textFile.size(), true};
    d_->buildTable(variant_);
    return failed;
}

QStringList Dictionary::openFolder(const QString& dictFolder)
{
    QString base = dictFolder;
    if (!base.isEmpty() && !base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    if (variant_ == DictVariant::Main)
        return open(base + QStringLiteral("Dict.idx"), base + QStringLiteral("Dict.dic"));
    return open(base + QStringLiteral("21ct.idx"), base + QStringLiteral("21ct.dic"));
}

void Dictionary::openMemory(QByteArrayView indexBytes, QByteArrayView textBytes)
{
    close();
    d_->index = {reinterpret_cast<const unsigned char*>(indexBytes.data()), uint64_t(indexBytes.size()), true};
    d_->text = {reinterpret_cast<const unsigned char*>(textBytes.data()), uint64_t(textBytes.size()), true};
    // Sizes are 32-bit in these files; more than that is not a dictionary.
    if (d_->index.size > UINT32_MAX || d_->text.size > UINT32_MAX) {
        close();
        return;
    }
    d_->buildTable(variant_);
}

void Dictionary::close()
{
    d_->indexFile.close();
    d_->textFile.close();
    d_->index = {};
    d_->text = {};
    d_->table.clear();
    d_->table.shrink_to_fit();
    d_->ascends = false;
}

bool Dictionary::isOpen() const { return d_->index.open && d_->text.open; }

void Dictionary::setFirstLevelSearch(FirstLevelSearch mode) { d_->search = mode; }

bool Dictionary::firstLevelAscends() const { return d_->ascends; }

bool Dictionary::LookUpWord(QStringView word, QString& explanation, QString& phonetic) const
{
    uint32_t start, end;
    if (variant_ != DictVariant::Main || !d_->find(variant_, word, &start, &end))
        return false;
    // Embedded 0x00 bytes are part of the text: they switch back to the phonetic.
    const QString all = cp936::decode(
        QByteArrayView(reinterpret_cast<const char*>(d_->text.data + start), qsizetype(end - start)));
    QString exp, pho;
    QString* target = &pho;
    for (QChar c : all) {
        if (c.unicode() == 0) {
            target = &pho;
        } else if (c.unicode() == 1) {
            target = &exp;
            if (!exp.isEmpty())
                exp += QLatin1String("\r\n");
        } else {
            *target += c;
        }
    }
    explanation = std::move(exp);
    phonetic = std::move(pho);
    return true;
}

bool Dictionary::LookUpEntryText(QStringView word, QString& text) const
{
    uint32_t start, end;
    if (variant_ != DictVariant::Companion || !d_->find(variant_, word, &start, &end))
        return false;
    const char* p = reinterpret_cast<const char*>(d_->text.data + start);
    const void* nul = std::memchr(p, 0, end - start);
    const qsizetype n = nul ? static_cast<const char*>(nul) - p : qsizetype(end - start);
    QString s = cp936::decode(QByteArrayView(p, n));
    s.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    text = std::move(s);
    return true;
}

} // namespace lex
