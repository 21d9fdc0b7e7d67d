// Today's review by the model: the interval table wherever there is no record, the model's due
// day where there is, whatever the order of the list and however the model changes between plans.
#include "lexora/record/review_model.h"

#include "lexora/book/book.h"

#include <QDateTime>
#include <algorithm>
#include <gtest/gtest.h>
#include <random>

namespace {

using lex::Skill;

const QDate kToday(2026, 12, 7);

struct Entries {
    std::vector<lex::WordEntry> block;
    std::vector<lex::WordEntry*> list;
    explicit Entries(int n) : block(size_t(n))
    {
        std::mt19937 rng(7);
        for (int i = 0; i < n; ++i) {
            lex::WordEntry& e = block[size_t(i)];
            e.setWord(QStringLiteral("w%1").arg(i));
            e.stored.recognition = uint8_t(rng() % 11);
            e.stored.spelling = uint8_t(rng() % 11);
            e.stored.listening = uint8_t(rng() % 11);
            e.stored.review = lex::toEntryTime(QDateTime(kToday.addDays(-int(rng() % 60)), QTime(9, 0)));
            e.stored.added = {9, 1, 2, 3, 4};
            list.push_back(&e);
        }
    }
};

lex::SkillMemory reviewed(double stability, QDate last) { return {{stability, 5.0}, int(last.toJulianDay()), 1}; }

TEST(ModelReviewPlanner, TableWithoutRecordModelWithIt)
{
    Entries book(300);
    lex::ReviewModel model;
    lex::ModelReviewPlanner planner;
    const lex::ReviewPlan table = lex::planReview(book.list, kToday);
    const lex::ReviewPlan none = planner.plan(book.list, kToday, model);
    EXPECT_EQ(none.due, table.due) << "no record: exactly today's plan";
    EXPECT_EQ(none.counts, table.counts);

    // Stability 10 at retention 0.9: due 10 days after the last answer.
    const int interval = model.scheduler().interval(10);
    ASSERT_EQ(interval, 10);
    const struct {
        int entry;
        Skill skill;
        int daysAgo;
        bool due;
    } cases[] = {
        {0, Skill::Recognition, 10, true}, {1, Skill::Recognition, 9, false},
        {2, Skill::Spelling, 30, true},    {3, Skill::Listening, 0, false},
        {4, Skill::Listening, 11, true},
    };
    for (const auto& c : cases)
        model.set(lex::EntryKey::of(*book.list[size_t(c.entry)]), c.skill, reviewed(10, kToday.addDays(-c.daysAgo)));

    // A list in another order than the first plan saw (a sort): the same answer per entry.
    std::vector<lex::WordEntry*> reversed(book.list.rbegin(), book.list.rend());
    for (int pass = 0; pass < 3; ++pass) {
        const std::vector<lex::WordEntry*>& list = pass == 1 ? reversed : book.list;
        const lex::ReviewPlan plan = planner.plan(list, kToday, model);
        for (size_t i = 0; i < list.size(); ++i) {
            const size_t at = size_t(list[i] - book.block.data());
            uint8_t want = table.due[at];
            for (const auto& c : cases)
                if (size_t(c.entry) == at)
                    want = uint8_t((want & ~lex::dueBit(c.skill)) | (c.due ? lex::dueBit(c.skill) : 0));
            ASSERT_EQ(plan.due[i], want) << "pass " << pass << " entry " << at;
        }
    }
    // The model changes after a run: the next plan follows.
    model.set(lex::EntryKey::of(*book.list[1]), Skill::Recognition, reviewed(10, kToday.addDays(-20)));
    EXPECT_TRUE(planner.plan(book.list, kToday, model).due[1] & lex::dueBit(Skill::Recognition));

    // Runs of answers, new keys and renames between plans: the plan that only follows the changes
    // is the plan made from scratch.
    std::mt19937 rng(3);
    for (int round = 0; round < 60; ++round) {
        for (int k = 0; k < 5; ++k) {
            lex::WordEntry& e = *book.list[rng() % book.list.size()];
            if (rng() % 4 == 0) {
                const lex::EntryKey old = lex::EntryKey::of(e);
                e.setWord(old.word + QLatin1Char('x'));
                model.rename(old, lex::EntryKey::of(e));
                planner.invalidate();   // as the program does when a word changed
            } else {
                model.set(lex::EntryKey::of(e), Skill(rng() % 3), reviewed(1 + rng() % 40, kToday.addDays(-int(rng() % 40))));
            }
        }
        lex::ModelReviewPlanner fresh;
        ASSERT_EQ(planner.plan(book.list, kToday, model).due, fresh.plan(book.list, kToday, model).due) << round;
    }
}

} // namespace

namespace {

// Many entries (the table grows several times), half of them renamed (their old keys die): every
// key is found where it should be, one by one and all at once.
TEST(ReviewModel, FindsEveryKeyThroughGrowthAndRenames)
{
    constexpr int kKeys = 5000;
    Entries book(kKeys);
    lex::ReviewModel model;
    for (int i = 0; i < kKeys; ++i)
        model.set(lex::EntryKey::of(*book.list[size_t(i)]), Skill::Spelling,
                  reviewed(1 + i, kToday.addDays(-i % 30)));
    for (int i = 0; i < kKeys; i += 2) {
        const lex::EntryKey old = lex::EntryKey::of(*book.list[size_t(i)]);
        book.list[size_t(i)]->setWord(old.word + QStringLiteral("-x"));
        model.rename(old, lex::EntryKey::of(*book.list[size_t(i)]));
        ASSERT_EQ(model.find(old.word, old.added), nullptr);
    }
    for (int i = kKeys; i < 2 * kKeys; ++i) // growth with dead items in the table
        model.set({QStringLiteral("new%1").arg(i), {1, 1, 1, 1, 1}}, Skill::Listening, reviewed(2, kToday));
    EXPECT_EQ(model.size(), size_t(2 * kKeys));
    std::vector<const lex::EntryMemory*> all(book.list.size());
    model.findMany(book.list.data(), book.list.size(), all.data());
    for (int i = 0; i < kKeys; ++i) {
        const lex::WordEntry& e = *book.list[size_t(i)];
        const lex::EntryMemory* m = model.find(e.word(), e.stored.added);
        ASSERT_NE(m, nullptr) << i;
        EXPECT_EQ(all[size_t(i)], m) << i;
        EXPECT_EQ(m->skill(Skill::Spelling).state.stability, 1 + i);
    }
}

} // namespace
