// Today's review plan: each interval at its edge (the last minute before local midnight and the
// first after), with a fixed clock in a fixed time zone, daylight-saving days, future and undated
// review times, and the plan's counts and rows.
#include "common/platform/sources.h"
#include "lexora/book/book.h"
#include "lexora/record/review_plan.h"
#include "tests/support/time_zone.h"

#include <QDateTime>
#include <QTimeZone>
#include <gtest/gtest.h>

using namespace lex;

namespace {

EntryTime stored(QDate d, QTime t = QTime(12, 0))
{
    return toEntryTime(QDateTime(d, t));
}

IndexFields fields(EntryTime review, uint8_t recognition, uint8_t spelling = 10, uint8_t listening = 10)
{
    IndexFields f;
    f.recognition = recognition;
    f.spelling = spelling;
    f.listening = listening;
    f.review = review;
    f.added = review;
    return f;
}

// The process runs in one named zone for these tests, as the program runs in the learner's.
class ReviewClock : public lextest::BerlinZoneTest {
protected:
    // A fixed clock at a wall-clock time of the zone, made from the instant (as the real clock is).
    static FixedClock at(QDate d, QTime t)
    {
        const QDateTime local(d, t, QTimeZone("Europe/Berlin"));
        return FixedClock(QDateTime::fromSecsSinceEpoch(local.toSecsSinceEpoch()));
    }
};

bool dueAt(const FixedClock& clock, const IndexFields& f, Skill d)
{
    return ReviewCalendar(reviewDay(clock)).dueMask(f) & dueBit(d);
}

} // namespace

TEST(ReviewPlan, EachDegreeReadsItsOwnStrangeness)
{
    const QDate today(2026, 7, 15);
    const ReviewCalendar cal(today);
    // Three days ago: due at 6 (3 days) and above, not at 5 (5 days).
    const IndexFields f = fields(stored(today.addDays(-3)), 6, 5, 10);
    EXPECT_EQ(cal.dueMask(f), dueBit(Skill::Recognition) | dueBit(Skill::Listening));
    EXPECT_EQ(cal.dueMask(fields(stored(today.addDays(-3)), 0, 0, 0)), 0);
}

TEST_F(ReviewClock, EachIntervalEndsAtLocalMidnight)
{
    const int expected[11] = {55, 34, 21, 13, 8, 5, 3, 2, 1, 1, 0};
    const QDate reviewed(2026, 5, 4);
    for (int s = 0; s <= 10; ++s) {
        EXPECT_EQ(reviewIntervalDays(s), expected[s]) << s;
        // All three degrees at s, reviewed at 10:00.
        const IndexFields f = fields(stored(reviewed, QTime(10, 0)), uint8_t(s), uint8_t(s), uint8_t(s));
        const QDate end = reviewed.addDays(expected[s]);
        const ReviewCalendar lastMinute(reviewDay(at(end.addDays(-1), QTime(23, 59))));
        const ReviewCalendar firstMinute(reviewDay(at(end, QTime(0, 0))));
        if (expected[s] > 0)
            EXPECT_EQ(lastMinute.dueMask(f), 0) << s;
        else   // due at once: already at the review itself
            EXPECT_EQ(ReviewCalendar(reviewDay(at(reviewed, QTime(10, 0)))).dueMask(f), 7) << s;
        EXPECT_EQ(firstMinute.dueMask(f), 7) << s;
    }
    // A damaged degree above 10 waits no longer than 10.
    EXPECT_EQ(reviewIntervalDays(200), 0);
    EXPECT_TRUE(ReviewCalendar(reviewed).dueMask(fields(stored(reviewed), 200, 0, 0)) & dueBit(Skill::Recognition));

    // Reviewed at 23:59: one minute later it is one day old.
    const IndexFields late = fields(stored(reviewed, QTime(23, 59)), 9);
    EXPECT_TRUE(dueAt(at(reviewed.addDays(1), QTime(0, 0)), late, Skill::Recognition));
    // The clock's instant is read in the local zone: 22:00 UTC on 4 May is already 5 May here.
    const FixedClock utc(QDateTime(reviewed, QTime(22, 0), QTimeZone::utc()));
    EXPECT_EQ(reviewDay(utc), reviewed.addDays(1));
    EXPECT_TRUE(dueAt(utc, fields(stored(reviewed, QTime(10, 0)), 9), Skill::Recognition));
}

TEST_F(ReviewClock, DaylightSavingDaysCountAsWholeDays)
{
    // Spring: 29 March 2026 has 23 hours. Reviewed 28 March at 00:30, strangeness 7 (2 days):
    // 47.5 hours later, at 00:00 on 30 March, two calendar days have passed.
    const IndexFields spring = fields(stored(QDate(2026, 3, 28), QTime(0, 30)), 7);
    EXPECT_FALSE(dueAt(at(QDate(2026, 3, 29), QTime(23, 59)), spring, Skill::Recognition));
    EXPECT_TRUE(dueAt(at(QDate(2026, 3, 30), QTime(0, 0)), spring, Skill::Recognition));
    // Autumn: 25 October 2026 has 25 hours. Reviewed 24 October at 00:00, strangeness 7: at 23:59
    // on the 25th almost 49 hours have passed but only one calendar day.
    const IndexFields autumn = fields(stored(QDate(2026, 10, 24), QTime(0, 0)), 7);
    EXPECT_FALSE(dueAt(at(QDate(2026, 10, 25), QTime(23, 59)), autumn, Skill::Recognition));
    EXPECT_TRUE(dueAt(at(QDate(2026, 10, 26), QTime(0, 0)), autumn, Skill::Recognition));
}

TEST(ReviewPlan, FutureAndUndatedReviewTimes)
{
    const QDate today(2026, 3, 1);
    const ReviewCalendar cal(today);
    // Later today, and later this year (a clock that was set wrong): both count as today, so
    // only strangeness 10 is due.
    for (const EntryTime t : {stored(today, QTime(23, 0)), stored(QDate(2026, 11, 20))}) {
        EXPECT_EQ(cal.daysSince(t), 0);
        EXPECT_EQ(cal.dueMask(fields(t, 10, 9, 10)),
                  dueBit(Skill::Recognition) | dueBit(Skill::Listening));
    }
    // The year keeps four bits: 2026 and 2010 are both stored as 10, 2011 as 11. A stored 11 is
    // 2011 seen from 2026 (the latest such year not after today's), fifteen years ago.
    EXPECT_EQ(cal.daysSince(stored(QDate(2011, 3, 1))), int(QDate(2011, 3, 1).daysTo(today)));
    EXPECT_EQ(cal.daysSince(stored(QDate(2025, 12, 31))), 60);
    // 29 February of a leap year stored four bits deep is still a leap day.
    EXPECT_EQ(ReviewCalendar(QDate(2029, 1, 1)).daysSince(stored(QDate(2028, 2, 29))),
              int(QDate(2028, 2, 29).daysTo(QDate(2029, 1, 1))));

    // No calendar date (a damaged index): due for every degree, whatever the degrees say.
    for (const EntryTime t : {EntryTime{10, 0, 1, 0, 0}, EntryTime{10, 13, 1, 0, 0}, EntryTime{10, 4, 31, 0, 0},
                              EntryTime{10, 2, 29, 0, 0}, EntryTime{10, 5, 0, 0, 0}, EntryTime{16, 5, 1, 0, 0}}) {
        EXPECT_EQ(cal.daysSince(t), ReviewCalendar::kNoDate) << t.toText().toStdString();
        EXPECT_EQ(cal.dueMask(fields(t, 0, 0, 0)), 7) << t.toText().toStdString();
    }
}

TEST(ReviewPlan, CountsAndRowsFollowTheOrderGiven)
{
    Book book;
    const QDate today(2026, 7, 15);
    // degrees (r, s, l) and days since review per entry
    const struct {
        uint8_t r, s, l;
        int days;
    } rows[] = {{10, 0, 0, 0}, {5, 5, 5, 4}, {5, 10, 5, 5}, {0, 0, 9, 1}, {3, 3, 3, 20}};
    for (const auto& r : rows) {
        auto e = std::make_unique<WordEntry>();
        e->setWord(QStringLiteral("w"));
        e->stored = fields(stored(today.addDays(-r.days)), r.r, r.s, r.l);
        book.AddEntry(std::move(e), AddMode::Loaded);
    }
    std::vector<WordEntry*> view = book.view();
    std::reverse(view.begin(), view.end());   // the list shows them in another order
    const ReviewPlan plan = planReview(view, today);
    ASSERT_EQ(plan.due.size(), 5u);
    // In reversed order: 20 days (all three), 1 day (listening), 5 days (all three), 4 days
    // (none), today (recognition).
    EXPECT_EQ(plan.rows(Skill::Recognition), (std::vector<int>{0, 2, 4}));
    EXPECT_EQ(plan.rows(Skill::Spelling), (std::vector<int>{0, 2}));
    EXPECT_EQ(plan.rows(Skill::Listening), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(plan.count(Skill::Recognition), 3);
    EXPECT_EQ(plan.count(Skill::Spelling), 2);
    EXPECT_EQ(plan.count(Skill::Listening), 3);
    EXPECT_EQ(planReview({}, today).counts, (std::array<int, 3>{0, 0, 0}));
}

TEST(ReviewPlan, DegreeNames)
{
    for (Skill d : kSkills)
        EXPECT_EQ(skillFromName(skillName(d)), d);
    EXPECT_EQ(skillName(Skill::Spelling), QStringLiteral("spelling"));
    EXPECT_FALSE(skillFromName(u"Spelling"));
    EXPECT_FALSE(skillFromName(u""));
}
