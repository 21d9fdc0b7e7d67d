#include "book_helpers.h"

#include "common/platform/sources.h"
#include "lexora/book/list_ops.h"

#include <gtest/gtest.h>

#include <deque>
#include <unordered_map>

using namespace booktest;
using lex::Book;

namespace {

class ScriptedRandom final : public lex::Random {
public:
    explicit ScriptedRandom(std::deque<uint32_t> draws) : draws_(std::move(draws)) {}
    void seed(uint32_t s) override { seeded = s; }
    uint32_t next() override
    {
        if (draws_.empty())
            return 0;
        uint32_t v = draws_.front();
        draws_.pop_front();
        return v;
    }
    uint32_t seeded = 0;

private:
    std::deque<uint32_t> draws_;
};

QStringList words(const Book& b)
{
    QStringList w;
    for (const lex::WordEntry* e : b.view())
        w << e->word().toString();
    return w;
}

void fill(Book& b, const QStringList& ws)
{
    for (const QString& w : ws)
        b.AddEntry(entry(w), lex::AddMode::Loaded);
}

} // namespace

TEST(HeaderSort, SameColumnFlipsOtherColumnKeepsDirection)
{
    lex::SortState s;
    EXPECT_EQ(s.lastColumn, 0);
    EXPECT_TRUE(s.ascending);
    s.click(0); // column 0 is the last sorted one from the start
    EXPECT_FALSE(s.ascending);
    s.click(1);
    EXPECT_FALSE(s.ascending);
    EXPECT_EQ(s.lastColumn, 1);
    s.click(1);
    EXPECT_TRUE(s.ascending);
    s.click(9);
    EXPECT_TRUE(s.ascending);
}

TEST(HeaderSort, ColumnsCompareAsDesigned)
{
    Book b;
    fill(b, {QStringLiteral("banana"), QStringLiteral("Apple"), QStringLiteral("apricot"), QStringLiteral("_x"),
             QStringLiteral("APPLE pie"), QStringLiteral("\u00c4pfel")});
    sortBook(b, 1, true);
    // Only A-Z fold (to lower case): '_' sorts before letters, non-ASCII after them.
    EXPECT_EQ(words(b), (QStringList{"_x", "Apple", "APPLE pie", "apricot", "banana", "\u00c4pfel"}));
    EXPECT_EQ(b.view(), b.full());
    sortBook(b, 1, false);
    EXPECT_EQ(words(b), (QStringList{"\u00c4pfel", "banana", "apricot", "APPLE pie", "Apple", "_x"}));

    // Seq as signed; degrees and times as unsigned bytes; 2016 (stored 0) before 2015 (15).
    Book t;
    fill(t, {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    t.full()[0]->seq = -5;
    t.full()[0]->stored.review = at(15, 1, 1, 0, 0);
    t.full()[1]->stored.review = at(0, 12, 31, 23, 59);
    t.full()[2]->stored.review = at(15, 1, 1, 0, 1);
    t.full()[0]->stored.listening = 200;
    t.full()[1]->stored.listening = 3;
    EXPECT_LT(compareEntries(*t.full()[0], *t.full()[1], 0), 0);
    EXPECT_GT(compareEntries(*t.full()[0], *t.full()[1], 7), 0);
    sortBook(t, 9, true);
    EXPECT_EQ(words(t), (QStringList{"b", "a", "c"}));
    EXPECT_EQ(compareEntries(*t.full()[0], *t.full()[1], 12), 0);
}

TEST(Shuffle, FixedDrawsGiveTheExpectedOrderAndEveryEntryKeepsItsNumber)
{
    // n = 4, draws modulo 3. i=0: 0 (itself, drawn again), 2 -> swap seq of 0 and 2;
    // i=1: 4 (=1, again), 0 -> swap 1 and 0; i=2: 1 -> swap 2 and 1; i=3: 2 -> swap 3 and 2.
    // Temporary numbers A1 B0 C3 D2, so the ascending order is B A D C.
    for (bool ascending : {true, false}) {
        Book b;
        fill(b, {"A", "B", "C", "D"});
        lex::SortState sort;
        sort.lastColumn = 3;
        sort.ascending = ascending;
        lex::FixedClock clock(QDateTime::fromSecsSinceEpoch(1234567));
        ScriptedRandom rnd({0, 2, 4, 0, 1, 2});
        lex::shuffleBook(b, sort, clock, rnd);
        EXPECT_EQ(rnd.seeded, 1234567u);
        EXPECT_EQ(sort.lastColumn, 0);
        EXPECT_EQ(words(b), ascending ? (QStringList{"B", "A", "D", "C"}) : (QStringList{"C", "D", "A", "B"}));
        for (const lex::WordEntry* e : b.full())
            EXPECT_EQ(e->seq, e->word()[0].unicode() - u'A');
        EXPECT_FALSE(b.textChanged);
        EXPECT_EQ(b.view(), b.full());
    }
}

TEST(Shuffle, SmallBooksStayAndLargeOnesArePermuted)
{
    lex::FixedClock clock(QDateTime::fromSecsSinceEpoch(99));
    for (int n : {0, 1, 2}) {
        Book b;
        for (int i = 0; i < n; ++i)
            b.AddEntry(entry(QString::number(i)), lex::AddMode::Loaded);
        lex::SortState sort;
        sort.lastColumn = 5;
        ScriptedRandom rnd({1, 0, 1, 0});
        lex::shuffleBook(b, sort, clock, rnd);
        QStringList expect;
        for (int i = 0; i < n; ++i)
            expect << QString::number(i);
        EXPECT_EQ(words(b), expect);
        EXPECT_EQ(sort.lastColumn, 5);
    }
    Book b;
    for (int i = 0; i < 200; ++i)
        b.AddEntry(entry(QString::number(i)), lex::AddMode::Loaded);
    lex::SortState sort;
    lex::LcgRandom rnd;
    lex::shuffleBook(b, sort, clock, rnd);
    std::vector<int> seen(200, 0);
    int moved = 0;
    for (int i = 0; i < 200; ++i) {
        const lex::WordEntry* e = b.full()[size_t(i)];
        EXPECT_EQ(e->seq, e->word().toInt());
        ++seen[size_t(e->seq)];
        moved += e->seq != i;
    }
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), 200);
    EXPECT_GT(moved, 150);

    // A generator stuck on one value does not hang the shuffle.
    Book s;
    fill(s, {"a", "b", "c"});
    ScriptedRandom stuck({});
    lex::shuffleBook(s, sort, clock, stuck);
    EXPECT_EQ(s.size(), 3);

    // Renumber after the shuffle: 0..n-1 from the top, and the next entry continues.
    lex::renumberBook(b);
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(b.full()[size_t(i)]->seq, i);
        EXPECT_EQ(b.full()[size_t(i)]->keptSeq, i);
    }
    b.AddEntry(entry(QStringLiteral("new")), lex::AddMode::Interactive);
    EXPECT_EQ(b.full().back()->seq, 200);
}

TEST(HeaderSort, EveryColumnAgreesWithTheComparisonInBothDirections)
{
    Book b;
    lex::LcgRandom rnd(7);
    const QString pool = QStringLiteral("aAbB_Zz\u4e00\r\n");
    auto text = [&] {
        QString s;
        // Lengths on both sides of the sort key's twelve code units.
        const int n = int(rnd.next() % 17);
        for (int i = 0; i < n; ++i)
            s += pool[int(rnd.next() % pool.size())];
        return s;
    };
    for (int i = 0; i < 400; ++i) {
        auto e = entry(QStringLiteral("abcdefghij") + text(), text(), text(), text(), text(), int(rnd.next() % 11));
        e->stored.review = at(int(rnd.next() % 16), 1 + int(rnd.next() % 2), 1, 0, int(rnd.next() % 3));
        e->stored.added = at(int(rnd.next() % 2), 1, 1, 0, 0);
        e->temporary = uint8_t(rnd.next() % 3);
        b.AddEntry(std::move(e), lex::AddMode::Loaded);
        b.full().back()->seq = int(rnd.next()) - 16000;
    }
    for (int column = 0; column < 12; ++column) {
        for (bool ascending : {true, false}) {
            sortBook(b, column, ascending);
            ASSERT_EQ(b.view(), b.full());
            for (size_t i = 1; i < b.full().size(); ++i) {
                const int c = compareEntries(*b.full()[i - 1], *b.full()[i], column);
                ASSERT_TRUE(ascending ? c <= 0 : c >= 0) << "column " << column << " at " << i;
            }
        }
    }
}

// A 15-bit draw names only the first 32,768 partners. In a larger Book the shuffle must still
// scatter entries from the far end over the far end, as a random order would.
TEST(Shuffle, LargeBooksMixTheirFarEndToo)
{
    constexpr int n = 70000, half = n / 2;
    Book b;
    for (int i = 0; i < n; ++i)
        b.AddEntry(entry(QStringLiteral("w%1").arg(i)), lex::AddMode::Loaded);
    std::vector<const lex::WordEntry*> before(b.full().begin(), b.full().end());
    lex::SortState sort;
    lex::LcgRandom rnd;
    lex::shuffleBook(b, sort, lex::FixedClock(QDateTime::fromSecsSinceEpoch(12345)), rnd);
    // Entries that started in the far half and ended in it: a random order keeps about a quarter
    // of all entries there (n/4 = 17,500).
    std::unordered_map<const lex::WordEntry*, int> from;
    for (int i = 0; i < n; ++i)
        from[before[size_t(i)]] = i;
    int farToFar = 0;
    for (int pos = half; pos < n; ++pos)
        farToFar += from[b.full()[size_t(pos)]] >= half;
    EXPECT_GT(farToFar, n / 4 - 1000);
    EXPECT_LT(farToFar, n / 4 + 1500);
}
