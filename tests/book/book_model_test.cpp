#include "book_helpers.h"

#include "common/platform/sources.h"
#include "lexora/book/book.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

using namespace booktest;
using lex::Book;

TEST(AddEntry, EmptyWordIsRejectedAlsoWhenTrimmedToNothing)
{
    Book b;
    EXPECT_FALSE(b.AddEntry(entry(QString()), lex::AddMode::Loaded));
    EXPECT_FALSE(b.AddEntry(entry(QString()), lex::AddMode::Interactive));
    EXPECT_EQ(b.size(), 0);
    EXPECT_FALSE(b.textChanged);

    // A lone comma would be trimmed to an empty word, which the loader drops: refused.
    EXPECT_FALSE(b.AddEntry(entry(QStringLiteral(",")), lex::AddMode::Interactive));
    EXPECT_FALSE(b.AddEntry(entry(QStringLiteral(" -/")), lex::AddMode::Interactive));
    EXPECT_FALSE(b.textChanged);
    // Loading admits what the file holds.
    ASSERT_TRUE(b.AddEntry(entry(QStringLiteral(",")), lex::AddMode::Loaded));

    ASSERT_TRUE(b.AddEntry(entry(QStringLiteral("take off, ")), lex::AddMode::Interactive));
    EXPECT_EQ(b.full().back()->word(), QStringLiteral("take off"));
    ASSERT_TRUE(b.AddEntry(entry(QStringLiteral("x-ray's/ -,'")), lex::AddMode::Interactive));
    EXPECT_EQ(b.full().back()->word(), QStringLiteral("x-ray's"));
    // Mode 0 (loading) keeps the word as it is.
    ASSERT_TRUE(b.AddEntry(entry(QStringLiteral("take off, ")), lex::AddMode::Loaded));
    EXPECT_EQ(b.full().back()->word(), QStringLiteral("take off, "));

    ASSERT_EQ(b.size(), 4);
    EXPECT_EQ(b.view(), b.full());
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(b.full()[size_t(i)]->seq, i);
        EXPECT_EQ(b.full()[size_t(i)]->keptSeq, i);
    }
    EXPECT_EQ(b.nextSeq, 4);
}

TEST(AddEntry, NumbersContinueAndFirstLinesAreDerived)
{
    Book b;
    b.nextSeq = 41;
    ASSERT_TRUE(b.AddEntry(entry(QStringLiteral("a"), QStringLiteral("a\r\nb"), {}, {}, QStringLiteral("xyz\r\n")), lex::AddMode::Loaded));
    ASSERT_TRUE(b.AddEntry(entry(QStringLiteral("b"), QStringLiteral("a\nb\r")), lex::AddMode::Loaded));
    EXPECT_EQ(b.full()[0]->seq, 41);
    EXPECT_EQ(b.full()[1]->seq, 42);
    EXPECT_EQ(b.full()[0]->explanationFirstLine(), 1);
    EXPECT_EQ(b.full()[0]->commentFirstLine(), 3);
    EXPECT_EQ(b.full()[1]->explanationFirstLine(), -1);
    EXPECT_EQ(b.full()[1]->commentFirstLine(), -1);
    b.full()[1]->setExplanation(QStringLiteral("xy\r\nz"));
    EXPECT_EQ(b.full()[1]->explanationFirstLine(), 2);
    EXPECT_FALSE(b.full()[1]->reveal == false);
}

TEST(Strangeness, SetAndStepStayWithinZeroToTen)
{
    Book b;
    b.AddEntry(entry(QStringLiteral("w"), {}, {}, {}, {}, 0), lex::AddMode::Loaded);
    lex::WordEntry* e = b.full()[0];
    EXPECT_FALSE(b.SetStrangeness(0, lex::Degree::Recognition, lex::DegreeChange::by(lex::Step::Down))); // 0 - 1 refused
    EXPECT_EQ(e->stored.recognition, 0);
    EXPECT_TRUE(b.SetStrangeness(0, lex::Degree::Recognition, lex::DegreeChange::by(lex::Step::Up)));
    EXPECT_EQ(e->stored.recognition, 1);
    EXPECT_TRUE(b.SetStrangeness(0, lex::Degree::Recognition, lex::DegreeChange::to(10)));
    EXPECT_FALSE(b.SetStrangeness(0, lex::Degree::Recognition, lex::DegreeChange::by(lex::Step::Up))); // 10 + 1 refused
    EXPECT_EQ(e->stored.recognition, 10);
    EXPECT_TRUE(b.SetStrangeness(0, lex::Degree::Temporary, lex::DegreeChange::to(7)));
    EXPECT_TRUE(b.SetStrangeness(0, lex::Degree::Spelling, lex::DegreeChange::to(0)));
    EXPECT_TRUE(b.SetStrangeness(0, lex::Degree::Listening, lex::DegreeChange::to(3)));
    EXPECT_EQ(e->temporary, 7);
    EXPECT_EQ(e->stored.spelling, 0);
    EXPECT_EQ(e->stored.listening, 3);
    // No degree outside the four exists any more (the type says so); a value above the scale is
    // refused instead.
    EXPECT_FALSE(b.SetStrangeness(0, lex::Degree::Recognition, lex::DegreeChange::to(11)));
    EXPECT_FALSE(b.SetStrangeness(1, lex::Degree::Recognition, lex::DegreeChange::to(5)));
    EXPECT_FALSE(b.SetStrangeness(-1, lex::Degree::Recognition, lex::DegreeChange::to(5)));
    EXPECT_EQ(e->stored.recognition, 10);
    EXPECT_FALSE(b.textChanged);
}

TEST(EntryTimes, YearIsStoredModuloSixteen)
{
    Book b;
    b.AddEntry(entry(QStringLiteral("w")), lex::AddMode::Loaded);
    lex::FixedClock clock(QDateTime(QDate(2009, 4, 5), QTime(9, 7)));
    b.StampReviewTime(0, clock);
    EXPECT_EQ(b.full()[0]->stored.review, at(9, 4, 5, 9, 7));
    EXPECT_EQ(b.full()[0]->stored.review.toText(), QStringLiteral("09/04/05 09:07"));
    clock.set(QDateTime(QDate(2016, 12, 31), QTime(23, 59)));
    b.StampReviewTime(0, clock);
    EXPECT_EQ(b.full()[0]->stored.review.toText(), QStringLiteral("00/12/31 23:59"));
    EXPECT_LT(b.full()[0]->stored.review.compare(lex::toEntryTime(QDateTime(QDate(2015, 1, 1), QTime(0, 0)))), 0);
    b.StampReviewTime(5, clock); // no such row: nothing happens
    EXPECT_EQ(lex::toEntryTime(QDateTime(QDate(2008, 1, 1), QTime(0, 0))).year, 8);
}

TEST(BookEntries, RemovingKeepsBothArraysInStepAndCopiesOwnTheirTexts)
{
    lextest::TempDir dir;
    Book src;
    src.path = dir.path() + QLatin1Char('/');
    src.name = QStringLiteral("B");
    for (const char* w : {"one", "two", "three", "four"})
        src.AddEntry(entry(QString::fromLatin1(w), QStringLiteral("expl ") + QString::fromLatin1(w)), lex::AddMode::Interactive);
    ASSERT_TRUE(lex::saveBook(src).ok());

    Book b;
    b.path = src.path;
    b.name = src.name;
    lex::LoadBook(b);
    ASSERT_EQ(b.size(), 4);
    // Loaded texts are borrowed from the file's bytes; a copy must not be.
    lex::WordEntry copy(*b.full()[1]);
    EXPECT_TRUE(copy.ownsAllTexts());

    b.removeViewRows({2, 0, 2, 9}, true);
    EXPECT_FALSE(b.textChanged);
    ASSERT_EQ(b.size(), 2);
    EXPECT_EQ(b.view(), b.full());
    EXPECT_EQ(b.full()[0]->word(), QStringLiteral("two"));
    EXPECT_EQ(b.full()[1]->word(), QStringLiteral("four"));
    b.removeViewRows({0, 1});
    EXPECT_TRUE(b.textChanged);
    EXPECT_TRUE(b.empty());
    ASSERT_TRUE(b.AddEntry(entry(QStringLiteral("five")), lex::AddMode::Interactive));
    EXPECT_EQ(b.full()[0]->seq, 4);
    b.clear();
    EXPECT_EQ(b.nextSeq, 0);
    EXPECT_EQ(copy.word(), QStringLiteral("two"));
    EXPECT_EQ(copy.explanation(), QStringLiteral("expl two"));
}
