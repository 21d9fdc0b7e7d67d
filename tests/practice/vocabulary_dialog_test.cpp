// 词汇量测试 (221) over the sample dictionary, answered by clicks: a learner who knows the 200
// most frequent words and says so, the checks of his "认识" answered right, the estimate shown and
// kept, and the two Books the result offers.
#include "scripted_services.h"
#include "temp_dir.h"

#include "common/config/profile.h"
#include "common/dictionary/dictionary.h"
#include "common/dictionary/word_info.h"
#include "common/platform/sources.h"
#include "lexora/book/book.h"
#include "lexora/book/book_file.h"
#include "lexora/book/word_entry.h"
#include "lexora/practice/vocabulary_test_dialog.h"
#include "lexora/texts/lexora_texts.h"

#include <QComboBox>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace lex;
using namespace lex::res::vocabulary_dlg;

namespace {

struct VocabularyDialog : ::testing::Test {
    QString dictFolder = lextest::binaryDir() + QStringLiteral("/data/Dict");
    WordInfoTable table;
    Dictionary dict{DictVariant::Main};
    lextest::TempDir dir;
    lextest::ScriptedServices ui;
    FixedClock clock{QDateTime(QDate(2026, 12, 9), QTime(9, 0))};
    LcgRandom random{31};

    void SetUp() override
    {
        ASSERT_TRUE(table.openIndex(dictFolder + QStringLiteral("/Dict.idx")));
        ASSERT_TRUE(dict.openFolder(dictFolder).isEmpty());
    }
    // Answers as a learner who knows the words of rank up to `knows`, until the result shows.
    int answerAll(CVocabularyTestDialog& d, VocabularyQuiz& quiz, const QStringList& pool, int knows, int* checks)
    {
        int questions = 0;
        while (!quiz.done() && questions < 200) {
            if (quiz.checking()) {
                ++*checks;
                EXPECT_TRUE(d.item<QPushButton>(kChoice0)->isVisibleTo(&d));
                EXPECT_FALSE(d.item<QPushButton>(kYes)->isVisibleTo(&d));
                // The right meaning is the word's own first explanation line.
                QString e, p;
                dict.LookUpWord(d.item<QLabel>(kWord)->text(), e, p);
                const QString mine = e.section(QStringLiteral("\r\n"), 0, 0).trimmed();
                const int right = int(quiz.choices().indexOf(mine));
                EXPECT_GE(right, 0);
                d.item<QPushButton>(right == 1 ? kChoice1 : right == 2 ? kChoice2 : right == 3 ? kChoice3 : kChoice0)->click();
                continue;
            }
            const int rank = int(pool.indexOf(d.item<QLabel>(kWord)->text())) + 1;
            EXPECT_GT(rank, 0);
            d.item<QPushButton>(rank <= knows ? kYes : kNo)->click();
            ++questions;
        }
        return questions;
    }
};

} // namespace

TEST_F(VocabularyDialog, AsksChecksAndShowsTheEstimateThenMakesTheBookAbove)
{
    const QStringList pool = vocabularyPool(table);
    ASSERT_GT(pool.size(), 400);
    VocabularyQuiz quiz(pool, &dict, random);
    ListBookForm form(table, &dict, nullptr, dir.path() + QLatin1Char('/'));
    CVocabularyTestDialog d(quiz, form, &ui, clock);
    EXPECT_FALSE(d.item<QPushButton>(kNextBook)->isEnabled());
    EXPECT_GT(QFontInfo(d.item<QLabel>(kWord)->font()).pixelSize(), QFontInfo(d.font()).pixelSize() * 3 / 2)
        << "the word stands out, whether the font is sized in points or pixels";
    int checks = 0;
    const int questions = answerAll(d, quiz, pool, 200, &checks);
    EXPECT_GE(questions, 50);
    EXPECT_LE(questions, 100);
    EXPECT_GT(checks, 0);
    const VocabularyEstimate e = quiz.estimate();
    EXPECT_NEAR(e.words, 200, 30);
    EXPECT_EQ(d.item<QLabel>(kResult)->text(), texts::vocabularyEstimateText(e.words, e.low, e.high));
    EXPECT_EQ(d.item<QLabel>(kProgress)->text(), QStringLiteral("共 %1 题").arg(questions));
    ASSERT_TRUE(d.item<QPushButton>(kNextBook)->isEnabled());

    d.item<QPushButton>(kNextBook)->click();
    ASSERT_EQ(d.result(), int(QDialog::Accepted)) << ui.messages().join(u'|').toStdString();
    EXPECT_EQ(d.madeName(), QStringLiteral("词汇量之上"));
    Book book;
    book.path = dir.path() + QLatin1Char('/');
    book.name = d.madeName();
    ASSERT_TRUE(LoadBook(book).readError.isEmpty());
    ASSERT_EQ(book.size(), std::min<int>(CVocabularyTestDialog::kAboveCount, int(pool.size()) - e.words));
    EXPECT_EQ(book.full()[0]->word(), pool[e.words]) << "the first word above the estimate";
}

TEST_F(VocabularyDialog, TheExamBookMarksTheKnownWords)
{
    const QStringList pool = vocabularyPool(table);
    VocabularyQuiz quiz(pool, &dict, random);
    ListBookForm form(table, &dict, nullptr, dir.path() + QLatin1Char('/'));
    CVocabularyTestDialog d(quiz, form, &ui, clock);
    int checks = 0;
    answerAll(d, quiz, pool, 300, &checks);
    auto* exams = d.item<QComboBox>(kExam);
    exams->setCurrentIndex(exams->findText(QStringLiteral("ielts")));
    d.item<QPushButton>(kKnownBook)->click();
    ASSERT_EQ(d.result(), int(QDialog::Accepted)) << ui.messages().join(u'|').toStdString();
    EXPECT_EQ(d.madeName(), QStringLiteral("ielts-词汇量"));
    Book book;
    book.path = dir.path() + QLatin1Char('/');
    book.name = d.madeName();
    ASSERT_TRUE(LoadBook(book).readError.isEmpty());
    const QStringList known = quiz.wordsKnown();
    int low = 0, high = 0;
    for (const WordEntry* w : book.full()) {
        const bool isKnown = known.contains(w->word().toString());
        EXPECT_EQ(w->stored.recognition, isKnown ? 1 : 10) << w->word().toString().toStdString();
        (isKnown ? low : high)++;
    }
    EXPECT_GT(low, 0);
    EXPECT_GT(high, 0);
}

TEST(VocabularyEstimateKept, ReadsBackWhatWasWrittenAndNothingElse)
{
    lextest::TempDir dir;
    Profile profile(dir.path(QStringLiteral("Config.INI")));
    EXPECT_FALSE(loadVocabularyEstimate(profile).valid());
    saveVocabularyEstimate(profile, {4200, 3800, 4700, 80, 0.1}, 40000);
    const VocabularyEstimate e = loadVocabularyEstimate(profile);
    EXPECT_EQ(e.words, 4200);
    EXPECT_EQ(e.low, 3800);
    EXPECT_EQ(e.high, 4700);
    profile.writeInt(QStringLiteral("PLAN"), QStringLiteral("VocabularyLow"), 5000);
    EXPECT_FALSE(loadVocabularyEstimate(profile).valid()) << "figures that do not hold together";
}
