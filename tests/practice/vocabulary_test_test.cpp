// The vocabulary test's estimate for simulated learners, and the rules of its questions.
#include "lexora/practice/vocabulary_test.h"

#include "common/platform/sources.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace {

double uniform01(lex::Random& r) { return (lex::uniformDraw(r, 1u << 30) + 0.5) / double(1u << 30); }

// A learner who knows the word of rank r with the chance 1 / (1 + exp((r − edge) / width)), says
// "no" to a known word now and then, and (an over-claimer) says "yes" to an unknown one with the
// chance `claim`; in a check he finds the meaning of a word he knows, and guesses otherwise.
struct Learner {
    double edge, width, claim;
    double knows(int rank) const { return 1 / (1 + std::exp((rank - edge) / width)); }
    double truth(int pool) const
    {
        double sum = 0;
        for (int r = 1; r <= pool; ++r)
            sum += knows(r);
        return sum;
    }
};

struct Outcome {
    lex::VocabularyEstimate estimate;
    int checks = 0;
};

Outcome run(lex::VocabularyTest& test, const Learner& l, lex::Random& chance)
{
    Outcome o;
    for (int rank; (rank = test.nextRank()) != 0;) {
        const bool known = uniform01(chance) < l.knows(rank);
        const bool yes = known ? uniform01(chance) >= 0.02 : uniform01(chance) < l.claim;
        if (test.answer(yes)) {
            ++o.checks;
            test.check(known ? uniform01(chance) >= 0.03 : lex::uniformDraw(chance, 4) == 0);
        }
    }
    o.estimate = test.estimate();
    return o;
}

TEST(VocabularyTest, EstimatesSimulatedLearnersWithinTenPercent)
{
    constexpr int kPool = 40000, kLearners = 1000;
    lex::LcgRandom draws(20261209), chance(7);
    int within = 0, inRange = 0, overclaimers = 0, overclaimersWithin = 0, mostQuestions = 0, fewestQuestions = 1000;
    for (int i = 0; i < kLearners; ++i) {
        // Vocabularies from 300 to 30,000 words (even in log), edges 5 to 25 % of it wide, and
        // three learners in ten claiming 10 to 40 % of the words they do not know.
        Learner l;
        l.edge = 300 * std::exp(uniform01(draws) * std::log(100.0));
        l.width = l.edge * (0.05 + 0.2 * uniform01(draws));
        const bool over = uniform01(draws) < 0.3;
        l.claim = over ? 0.1 + 0.3 * uniform01(draws) : 0;
        lex::VocabularyTest test(kPool, draws);
        const Outcome o = run(test, l, chance);
        const double truth = l.truth(kPool);
        const bool ok = std::abs(o.estimate.words - truth) <= 0.1 * truth;
        within += ok;
        inRange += o.estimate.low <= truth && truth <= o.estimate.high;
        overclaimers += over;
        overclaimersWithin += over && ok;
        mostQuestions = std::max(mostQuestions, o.estimate.questions);
        fewestQuestions = std::min(fewestQuestions, o.estimate.questions);
    }
    EXPECT_GE(within, kLearners * 9 / 10) << "estimates within 10 %";
    EXPECT_GE(inRange, kLearners * 9 / 10) << "the stated 90 % range holds the truth";
    EXPECT_GE(overclaimersWithin, overclaimers * 8 / 10) << "over-claimers within 10 %: " << overclaimersWithin << " of " << overclaimers;
    EXPECT_LE(mostQuestions, 100);
    EXPECT_GE(fewestQuestions, 50);
    std::printf("within 10 %%: %d of %d (over-claimers %d of %d); truth in the 90 %% range: %d; questions %d to %d\n",
                within, kLearners, overclaimersWithin, overclaimers, inRange, fewestQuestions, mostQuestions);
}

TEST(VocabularyTest, AsksEachRankOnceAndChecksOnlyAYes)
{
    for (int pool : {4, 30, 5000}) {
        lex::LcgRandom r{uint32_t(pool)};
        lex::VocabularyTest test(pool, r);
        std::set<int> asked;
        int checks = 0;
        for (int rank; (rank = test.nextRank()) != 0;) {
            ASSERT_EQ(test.nextRank(), rank) << "asked again before the answer: the same word";
            ASSERT_GE(rank, 1);
            ASSERT_LE(rank, pool);
            ASSERT_TRUE(asked.insert(rank).second) << "rank " << rank << " asked twice, pool " << pool;
            const bool yes = rank % 3 != 0;
            if (test.answer(yes)) {
                ASSERT_TRUE(yes) << "a 'no' is never checked";
                ASSERT_EQ(test.nextRank(), rank) << "the check comes before the next word";
                const std::array<int, 4> c = test.choiceRanks(rank);
                EXPECT_EQ(std::set<int>(c.begin(), c.end()).size(), 4u);
                EXPECT_EQ(std::count(c.begin(), c.end(), rank), 1);
                for (int x : c) {
                    EXPECT_GE(x, 1);
                    EXPECT_LE(x, pool);
                }
                test.check(true);
                ++checks;
            }
        }
        EXPECT_LE(int(asked.size()), std::min(pool, 100));
        EXPECT_GT(checks, 0) << pool;
        const lex::VocabularyEstimate e = test.estimate();
        EXPECT_TRUE(e.low <= e.words && e.words <= e.high) << pool;
        EXPECT_LE(e.high, pool);
    }
}

} // namespace
