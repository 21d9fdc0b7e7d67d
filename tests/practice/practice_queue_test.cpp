#include "practice_support.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <set>

using namespace practicetest;
using lex::PracticeMode;

namespace {

std::vector<size_t> sizes(const std::vector<std::vector<int32_t>>& groups)
{
    std::vector<size_t> s;
    for (const auto& g : groups)
        s.push_back(g.size());
    return s;
}

} // namespace

TEST(PracticeQueue, GroupSizes)
{
    const std::vector<std::pair<int, std::vector<size_t>>> cases = {
        {10, {10}}, {20, {20}}, {30, {30}}, {40, {20, 20}}, {41, {21, 20}},
        {45, {23, 22}}, {99, {25, 25, 25, 24}}, {100, {20, 20, 20, 20, 20}},
    };
    for (const auto& [n, expected] : cases) {
        SCOPED_TRACE(n);
        lex::LcgRandom random{uint32_t(n)};
        const auto groups = lex::buildPracticeGroups(range(500, n), random);
        EXPECT_EQ(sizes(groups), expected);
        // Every word once, in some order.
        std::vector<int32_t> all;
        for (const auto& g : groups)
            all.insert(all.end(), g.begin(), g.end());
        std::sort(all.begin(), all.end());
        EXPECT_EQ(all, range(500, n));
    }
}

TEST(PracticeQueue, ShortFirstGroupIsDealtRoundRobin)
{
    // n = 45: the first five drawn go to groups 0, 1, 0, 1, 0 after the two full groups.
    lex::LcgRandom a(3), b(3);
    const auto groups = lex::buildPracticeGroups(range(0, 45), a);
    std::vector<int32_t> w = range(0, 45), drawn;
    while (!w.empty()) {
        const size_t at = lex::uniformDraw(b, uint32_t(w.size()));
        drawn.push_back(w[at]);
        w.erase(w.begin() + qsizetype(at));
    }
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(std::vector<int32_t>(groups[0].begin(), groups[0].begin() + 20),
              std::vector<int32_t>(drawn.begin() + 5, drawn.begin() + 25));
    EXPECT_EQ(std::vector<int32_t>(groups[0].begin() + 20, groups[0].end()),
              (std::vector<int32_t>{drawn[0], drawn[2], drawn[4]}));
    EXPECT_EQ(std::vector<int32_t>(groups[1].begin() + 20, groups[1].end()),
              (std::vector<int32_t>{drawn[1], drawn[3]}));
}

TEST(PracticeQueue, LoopLayoutForEveryCount)
{
    for (int n : {10, 41, 45, 99, 100}) {
        for (int loops = 1; loops <= 4; ++loops) {
            SCOPED_TRACE(QStringLiteral("n=%1 loops=%2").arg(n).arg(loops).toStdString());
            lex::LcgRandom r1(11), r2(11);
            const auto groups = lex::buildPracticeGroups(range(0, n), r1);
            // The engine builds the same queue from the same draws.
            Rig run(100, PracticeMode::Learn, loops);
            lex::PracticeEngine engine(run.book, run.writer, {PracticeMode::Learn, lex::Direction::EnToZh, loops}, {}, r2, run.clock);
            engine.BuildPracticeQueue(range(0, n));
            const std::vector<int32_t>& q = engine.queue();

            std::vector<int32_t> expected;
            auto add = [&](const std::vector<int32_t>& g) { expected.insert(expected.end(), g.begin(), g.end()); };
            const int repeats = loops == 1 ? 1 : loops == 4 ? 3 : 2;
            for (const auto& g : groups)
                for (int i = 0; i < repeats; ++i)
                    add(g);
            if (loops >= 3)
                for (const auto& g : groups)
                    add(g);
            EXPECT_EQ(q, expected);
            EXPECT_EQ(q.size(), size_t(n * loops));
        }
    }
}

TEST(PracticeQueue, LastGroupIsAskedFirst)
{
    // 45 words, loop 1: groups of 23 and 22; the 22 come first.
    Rig run(50, PracticeMode::Learn, 1);
    run.e().start(range(0, 45));
    std::set<int32_t> firstAsked;
    for (int i = 0; i < 22; ++i)
        firstAsked.insert(run.e().queue()[size_t(44 - i)]);
    lex::LcgRandom again(7);
    const auto groups = lex::buildPracticeGroups(range(0, 45), again);
    ASSERT_EQ(groups[1].size(), 22u);
    EXPECT_EQ(firstAsked, std::set<int32_t>(groups[1].begin(), groups[1].end()));
    EXPECT_EQ(run.e().currentRow(), groups[1].back());
    EXPECT_EQ(run.e().view().remaining, 45);
}

TEST(PracticeQueue, UniformDrawReachesEveryRowOfALargeBook)
{
    lex::LcgRandom random(5);
    std::set<uint32_t> seen;
    uint32_t high = 0;
    for (int i = 0; i < 20000; ++i) {
        const uint32_t v = lex::uniformDraw(random, 70000);
        ASSERT_LT(v, 70000u);
        high = std::max(high, v);
        seen.insert(v / 10000);
    }
    EXPECT_EQ(seen.size(), 7u); // every tenth-thousand band is hit, not only 0..32767
    EXPECT_GE(high, 65536u);
    for (uint32_t b : {1u, 2u, 3u, 4u})
        for (int i = 0; i < 100; ++i)
            ASSERT_LT(lex::uniformDraw(random, b), b);
}

TEST(PracticeQueue, RunStartTakesTheFirstHundredSelectedRows)
{
    lex::Book book;
    fillBook(book, 200);
    for (lex::WordEntry* e : book.view())
        e->temporary = 7;
    std::vector<int32_t> selected;
    for (int32_t r = 199; r >= 50; --r) // 150 rows, handed over in any order
        selected.push_back(r);
    selected.push_back(60);  // a duplicate
    selected.push_back(500); // not a row
    const std::vector<int32_t> rows = lex::takePracticeRows(book, selected);
    EXPECT_EQ(rows, range(50, 100));
    for (int32_t r = 0; r < 200; ++r)
        EXPECT_EQ(book.atView(r)->temporary, r >= 50 && r < 150 ? 0 : 7) << r;
}
