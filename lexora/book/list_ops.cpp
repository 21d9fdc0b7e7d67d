#include "lexora/book/list_ops.h"

#include "common/platform/sources.h"

#include <algorithm>

namespace lex {
namespace {

// Only A-Z fold (to lower case, so '_' sorts before letters as in the C library's
// case-insensitive comparison); every other code unit compares by value.
inline char16_t fold(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }

int compareFolded(QStringView a, QStringView b)
{
    const char16_t* pa = a.utf16();
    const char16_t* pb = b.utf16();
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t ca = fold(pa[i]), cb = fold(pb[i]);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

inline int cmp(int64_t a, int64_t b) { return a < b ? -1 : (a > b ? 1 : 0); }

// Sort keys 4..7 are the degrees, in the order of Degree.
inline Degree degreeKey(int column) { return Degree(column - 4); }

} // namespace

int compareEntries(const WordEntry& a, const WordEntry& b, int column)
{
    switch (column) {
    case 0: return cmp(a.seq, b.seq);
    case 1: return compareFolded(a.word(), b.word());
    case 2: return compareFolded(a.explanation(), b.explanation());
    case 3: return compareFolded(a.phonetic(), b.phonetic());
    case 4: case 5: case 6: case 7:
        return cmp(a.strangeness(degreeKey(column)), b.strangeness(degreeKey(column)));
    case 8: return compareFolded(a.comment(), b.comment());
    case 9: return a.stored.review.compare(b.stored.review);
    case 10: return a.stored.added.compare(b.stored.added);
    case 11: return compareFolded(a.className(), b.className());
    default: return 0;
    }
}

namespace {

constexpr int kKeyUnits = 12; // code units of a text kept in its sort key

struct SortKey {
    uint64_t part[kKeyUnits / 4] = {};
    bool whole = true; // the key holds the whole value: equal keys are equal values
    int32_t from = 0;  // position before the sort (in the padding: the key stays 32 bytes)
    bool operator==(const SortKey& o) const { return std::equal(part, part + kKeyUnits / 4, o.part); }
    bool operator<(const SortKey& o) const
    {
        for (int i = 0; i < kKeyUnits / 4; ++i)
            if (part[i] != o.part[i])
                return part[i] < o.part[i];
        return false;
    }
};

// Orders like the column's comparison wherever it differs: for texts the first twelve folded code
// units (a tie falls back to the full comparison), for the rest the whole value. The sort then
// rarely has to follow an entry pointer into scattered memory.
SortKey sortKey(const WordEntry& e, int column)
{
    auto prefix = [](QStringView t) {
        SortKey k;
        const qsizetype n = std::min<qsizetype>(t.size(), kKeyUnits);
        k.whole = t.size() <= kKeyUnits;
        for (qsizetype i = 0; i < kKeyUnits; ++i) {
            uint64_t& part = k.part[i / 4];
            part = (part << 16) | (i < n ? fold(t.utf16()[i]) : 0u);
        }
        return k;
    };
    auto whole = [](uint64_t v) {
        SortKey k;
        k.part[0] = v;
        return k;
    };
    auto time = [](const EntryTime& t) {
        return uint64_t(t.year) << 32 | uint64_t(t.month) << 24 | uint64_t(t.day) << 16 | uint64_t(t.hour) << 8 | t.minute;
    };
    switch (column) {
    case 0: return whole(uint64_t(int64_t(e.seq) + (int64_t(1) << 31)));
    case 1: return prefix(e.word());
    case 2: return prefix(e.explanation());
    case 3: return prefix(e.phonetic());
    case 4: case 5: case 6: case 7: return whole(e.strangeness(degreeKey(column)));
    case 8: return prefix(e.comment());
    case 9: return whole(time(e.stored.review));
    case 10: return whole(time(e.stored.added));
    case 11: return prefix(e.className());
    default: return {};
    }
}

} // namespace

static_assert(sizeof(SortKey) == 32, "the position before the sort costs no room");

void sortBook(Book& book, int column, bool ascending, std::vector<int32_t>* moved)
{
    std::vector<WordEntry*>& v = book.fullForReorder();
    struct Keyed {
        SortKey key;
        WordEntry* e;
    };
    std::vector<Keyed> keyed(v.size());
    for (size_t i = 0; i < v.size(); ++i) {
        keyed[i] = Keyed{sortKey(*v[i], column), v[i]};
        keyed[i].key.from = int32_t(i);
    }
    auto less = [column](const Keyed& a, const Keyed& b) {
        if (!(a.key == b.key))
            return a.key < b.key;
        return !(a.key.whole && b.key.whole) && compareEntries(*a.e, *b.e, column) < 0;
    };
    if (ascending)
        std::sort(keyed.begin(), keyed.end(), less);
    else
        std::sort(keyed.begin(), keyed.end(), [&less](const Keyed& a, const Keyed& b) { return less(b, a); });
    for (size_t i = 0; i < v.size(); ++i)
        v[i] = keyed[i].e;
    if (moved) {
        moved->resize(v.size());
        for (size_t i = 0; i < v.size(); ++i)
            (*moved)[i] = keyed[i].key.from;
    }
    book.syncViewToFull();
}

void shuffleBook(Book& book, SortState& sort, const Clock& clock, Random& random, std::vector<int32_t>* moved)
{
    if (moved)
        moved->clear();
    std::vector<WordEntry*>& v = book.fullForReorder();
    const size_t n = v.size();
    // The partner draw needs a third entry: with two, position 0 could only draw itself.
    if (n < 3)
        return;
    random.seed(uint32_t(clock.secondsSinceEpoch()));
    const uint32_t range = uint32_t(n - 1);
    // One 15-bit draw reaches only the first 32,768 partners; a larger Book takes wider draws so
    // that every entry can move.
    auto draw = [&] { return range <= Random::kMax + 1 ? random.next() % range : uniformDraw(random, range); };
    for (size_t i = 0; i < n; ++i) {
        uint32_t r = draw();
        // A generator stuck on one value must not hang the program.
        for (int tries = 0; r == i && tries < 10000; ++tries)
            r = draw();
        if (r == i)
            r = uint32_t((i + 1) % range);
        std::swap(v[r]->seq, v[i]->seq);
    }
    sort.lastColumn = 0;
    sortBook(book, 0, sort.ascending, moved);
    for (WordEntry* e : v)
        e->seq = e->keptSeq;
    book.syncViewToFull();
}

void renumberBook(Book& book)
{
    std::vector<WordEntry*>& v = book.fullForReorder();
    for (size_t i = 0; i < v.size(); ++i) {
        v[i]->seq = int32_t(i);
        v[i]->keptSeq = int32_t(i);
    }
    book.nextSeq = int32_t(v.size());
}

std::vector<int32_t> takePracticeRows(Book& book, std::vector<int32_t> selectedRows)
{
    std::sort(selectedRows.begin(), selectedRows.end());
    selectedRows.erase(std::unique(selectedRows.begin(), selectedRows.end()), selectedRows.end());
    std::vector<int32_t> rows;
    for (int32_t r : selectedRows) {
        if (int(rows.size()) == kMaxPracticeWords)
            break;
        if (r < 0 || r >= book.size())
            continue;
        book.SetStrangeness(r, Degree::Temporary, DegreeChange::to(0));
        rows.push_back(r);
    }
    return rows;
}

} // namespace lex
