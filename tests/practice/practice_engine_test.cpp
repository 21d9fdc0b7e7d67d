#include "practice_support.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <set>

using namespace practicetest;
using lex::PracticeMark;
using lex::Direction;
using lex::PracticeMode;
using lex::PracticeResult;

namespace {

int countOf(const std::vector<int32_t>& q, int32_t v)
{
    return int(std::count(q.begin(), q.end(), v));
}

int wrongSlot(const lex::PracticeEngine& e)
{
    return e.correctSlot() == 0 ? 1 : 0;
}

// Answers the current question (revealing first when needed).
void answer(lex::PracticeEngine& e, bool right)
{
    if (!e.revealed())
        e.answer(0);
    e.answer(right ? e.correctSlot() : wrongSlot(e));
}

// Ticks until the next question is up (or the run ends); returns the number of ticks.
int tickToNext(lex::PracticeEngine& e)
{
    int ticks = 0;
    while (e.answered() && !e.finished()) {
        e.PracticeTick();
        ++ticks;
    }
    return ticks;
}

lex::PracticeOptions noPauseWhenCorrect()
{
    lex::PracticeOptions o;
    o.pauseWhenCorrect = false;
    return o;
}

} // namespace

TEST(PracticeRun, LearnTenWordsTwoLoopsAllRight)
{
    Rig run(12, PracticeMode::Learn, 2, Direction::EnToZh, noPauseWhenCorrect());
    run.e().start(range(0, 10));
    EXPECT_TRUE(run.e().view().timerRunning);
    EXPECT_EQ(run.e().view().remaining, 20);
    int questions = 0;
    while (!run.e().finished()) {
        ++questions;
        const int32_t row = run.e().currentRow();
        EXPECT_EQ(run.e().view().wordBox, run.book.atView(row)->word());
        EXPECT_EQ(run.e().view().phoneticBox, run.book.atView(row)->phonetic());
        answer(run.e(), true);
        EXPECT_EQ(run.e().view().marks[size_t(run.e().correctSlot())], PracticeMark::Tick);
        EXPECT_EQ(tickToNext(run.e()), 1); // a right answer stays until the next tick
    }
    EXPECT_EQ(questions, 20);
    EXPECT_EQ(run.e().result(), PracticeResult::Accepted);
    EXPECT_EQ(run.rec.messages, QStringList{QStringLiteral("|已完成")});
    EXPECT_FALSE(run.e().view().timerRunning);
    const lex::EntryTime t = lex::toEntryTime(run.clock.localNow());
    for (int32_t r = 0; r < 12; ++r) {
        EXPECT_EQ(run.temporary(r), 0);
        EXPECT_EQ(run.book.atView(r)->stored.review == t, r < 10) << r; // only practised rows stamped
    }
}

TEST(PracticeRun, ChoicesComeFromTheWholeBookAndDiffer)
{
    Rig run(14, PracticeMode::Listen, 4);
    run.e().start(range(0, 10));
    bool outsideRun = false;
    int questions = 0;
    while (!run.e().finished() && questions < 40) {
        ++questions;
        const auto& slots = run.e().choiceSlots();
        EXPECT_EQ(slots[size_t(run.e().correctSlot())], run.e().currentRow());
        std::set<int32_t> distinct(slots.begin(), slots.end());
        EXPECT_EQ(distinct.size(), 4u);
        for (int32_t s : slots) {
            EXPECT_TRUE(s >= 0 && s < 14);
            outsideRun = outsideRun || s >= 10;
        }
        answer(run.e(), true);
        tickToNext(run.e());
    }
    EXPECT_TRUE(outsideRun);
}

TEST(PracticeRun, RowsAboveSixteenBitsAreAskedAsThemselves)
{
    Rig run(70000, PracticeMode::Learn, 1, Direction::EnToZh, noPauseWhenCorrect());
    const std::vector<int32_t> rows = lex::takePracticeRows(run.book, range(65530, 12));
    run.e().start(rows);
    std::set<int32_t> asked;
    bool highDistractor = false;
    while (!run.e().finished()) {
        const int32_t row = run.e().currentRow();
        EXPECT_EQ(run.e().currentWord(), QStringLiteral("w%1").arg(row));
        for (int32_t s : run.e().choiceSlots())
            highDistractor = highDistractor || (s != row && s >= 32768);
        // Each word wrong the first time it is asked.
        answer(run.e(), !asked.insert(row).second);
        tickToNext(run.e());
    }
    EXPECT_EQ(asked, std::set<int32_t>(rows.begin(), rows.end()));
    for (int32_t r : rows)
        EXPECT_EQ(run.temporary(r), 1) << r;
    for (int32_t r = 0; r < 6; ++r) // what 65536..65541 become when cut to 16 bits
        EXPECT_EQ(run.temporary(r), 0) << r;
    EXPECT_TRUE(highDistractor);
}

TEST(PracticeRun, ListenWithoutInputTimesOut)
{
    Rig run(10, PracticeMode::Listen, 1);
    run.e().start(range(0, 10));
    const int32_t first = run.e().currentRow();
    EXPECT_EQ(run.rec.spoken.size(), 1);
    EXPECT_EQ(run.e().view().wordBox, QString()); // the word is only heard
    run.e().PracticeTick();
    EXPECT_FALSE(run.e().revealed());
    run.e().PracticeTick();
    EXPECT_TRUE(run.e().revealed()); // after 2 ticks
    for (int slot = 0; slot < 4; ++slot)
        EXPECT_EQ(run.e().view().choiceText[size_t(slot)],
                  run.book.atView(run.e().choiceSlots()[size_t(slot)])->explanation());
    for (int i = 3; i <= 5; ++i)
        run.e().PracticeTick();
    EXPECT_FALSE(run.e().answered());
    run.e().PracticeTick(); // the 6th
    EXPECT_TRUE(run.e().answered());
    EXPECT_FALSE(run.e().lastAnswerCorrect());
    EXPECT_EQ(run.rec.spoken.size(), 2);
    EXPECT_EQ(run.temporary(first), 1);
    for (int slot = 0; slot < 4; ++slot) {
        const bool isCorrect = slot == run.e().correctSlot();
        EXPECT_EQ(run.e().view().marks[size_t(slot)], isCorrect ? PracticeMark::None : PracticeMark::Cross);
        EXPECT_EQ(run.e().view().slotEnabled[size_t(slot)], isCorrect);
    }
    EXPECT_FALSE(run.e().view().dontKnowEnabled);
    EXPECT_EQ(run.e().view().progressMax, 4);
    EXPECT_EQ(tickToNext(run.e()), 5);
    EXPECT_NE(run.e().currentRow(), first);
    EXPECT_FALSE(run.e().revealed());
    EXPECT_EQ(run.e().view().choiceText[0], QString());
    EXPECT_TRUE(run.e().view().dontKnowEnabled);
    EXPECT_EQ(run.e().view().marks, (std::array<PracticeMark, 4>{}));
}

TEST(PracticeRun, WithoutTimeLimitTheQuestionWaits)
{
    // Drill 中->英 starts unchecked; Learn when the learner unchecks it.
    Rig drill(12, PracticeMode::Drill, 1, Direction::ZhToEn);
    drill.e().start(range(0, 10));
    EXPECT_FALSE(drill.e().timeLimitChecked());
    EXPECT_EQ(drill.e().view().wordBox, drill.book.atView(drill.e().currentRow())->explanation());
    for (int i = 0; i < 100; ++i)
        drill.e().PracticeTick();
    EXPECT_FALSE(drill.e().revealed()); // Drill reveals only on a click
    EXPECT_FALSE(drill.e().answered());
    EXPECT_EQ(drill.e().tickCounter(), 4);
    drill.e().answer(1);
    EXPECT_TRUE(drill.e().revealed());
    EXPECT_FALSE(drill.e().answered());
    EXPECT_EQ(drill.e().view().choiceText[size_t(drill.e().correctSlot())], drill.e().currentWord());
    drill.e().answer(drill.e().correctSlot());
    EXPECT_EQ(drill.e().view().wordBox, drill.book.atView(drill.e().currentRow())->explanation());

    Rig learn(12, PracticeMode::Learn, 1);
    learn.e().start(range(0, 10));
    learn.e().setTimeLimitChecked(false);
    for (int i = 0; i < 50; ++i)
        learn.e().PracticeTick();
    EXPECT_TRUE(learn.e().revealed());
    EXPECT_FALSE(learn.e().answered());
}

TEST(PracticeRun, DrillTimesOutAfterElevenTicks)
{
    Rig run(12, PracticeMode::Drill, 1);
    run.e().start(range(0, 10));
    EXPECT_TRUE(run.e().timeLimitChecked());
    for (int i = 1; i <= 10; ++i)
        run.e().PracticeTick();
    EXPECT_FALSE(run.e().revealed());
    EXPECT_FALSE(run.e().answered());
    run.e().PracticeTick();
    EXPECT_TRUE(run.e().answered());
    EXPECT_TRUE(run.e().revealed());
    // Learn/Drill cross only the visible wrong slot.
    EXPECT_EQ(run.e().view().marks[size_t(wrongSlot(run.e()))], PracticeMark::Cross);
    EXPECT_EQ(run.e().view().marks[2], PracticeMark::None);
}

TEST(PracticeRun, PauseWhenCorrectAndWrongAnswerTimings)
{
    Rig run(12, PracticeMode::Learn, 2);
    run.e().start(range(0, 10));
    int spoken = run.rec.spoken.size();
    answer(run.e(), true);
    EXPECT_EQ(run.rec.spoken.size(), spoken + 1); // spoken again with the pause
    EXPECT_EQ(run.e().timeLimit(), 3);
    EXPECT_EQ(tickToNext(run.e()), 4);

    spoken = run.rec.spoken.size();
    const int32_t row = run.e().currentRow();
    const int chosen = wrongSlot(run.e());
    answer(run.e(), false);
    EXPECT_EQ(run.rec.spoken.size(), spoken + 1);
    EXPECT_EQ(run.e().view().marks[size_t(chosen)], PracticeMark::Cross);
    EXPECT_EQ(run.e().view().marks[size_t(run.e().correctSlot())], PracticeMark::None);
    EXPECT_EQ(run.temporary(row), 1);
    EXPECT_EQ(run.e().view().focusIndex, run.e().correctSlot());
    EXPECT_EQ(tickToNext(run.e()), 6);

    // A second answer on an answered question and don't know afterwards change nothing.
    answer(run.e(), false);
    const auto q = run.e().queue();
    run.e().answer(run.e().correctSlot());
    run.e().dontKnow();
    EXPECT_EQ(run.e().queue(), q);
    EXPECT_FALSE(run.e().lastAnswerCorrect());
}

TEST(PracticeRun, TemporaryStrangenessStopsAtTen)
{
    Rig run(12, PracticeMode::Learn, 1, Direction::EnToZh, noPauseWhenCorrect());
    run.e().start(range(0, 10));
    const int32_t row = run.e().currentRow();
    run.book.atView(row)->temporary = 10;
    run.e().dontKnow();
    EXPECT_EQ(run.temporary(row), 10);
}

TEST(PracticeRequeue, WrongWithThirtyLeftComesBackThirdAndTenth)
{
    Rig run(12, PracticeMode::Learn, 3);
    run.e().start(range(0, 10)); // one group asked three times: 30 questions
    ASSERT_EQ(run.e().queue().size(), 30u);
    const int32_t e = run.e().currentRow();
    ASSERT_EQ(countOf(run.e().queue(), e), 3);
    answer(run.e(), false);
    const std::vector<int32_t>& q = run.e().queue();
    // The copy 10 questions ahead (within the last 12) is replaced; the one 20 ahead stays.
    EXPECT_EQ(q.size(), 31u);
    EXPECT_EQ(q.back(), e);
    EXPECT_EQ(q[q.size() - 4], e);  // third question from now
    EXPECT_EQ(q[q.size() - 11], e); // tenth
    EXPECT_EQ(q[9], e);
    EXPECT_EQ(countOf(q, e), 4);
    EXPECT_FALSE(run.e().shortRequeue());
    EXPECT_FALSE(run.e().mediumRequeue());
}

TEST(PracticeRequeue, WrongWithTwelveLeftDropsOtherCopies)
{
    Rig run(12, PracticeMode::Learn, 2);
    run.e().start(range(0, 6)); // 12 questions, every word twice
    const int32_t e = run.e().currentRow();
    const int32_t other = run.e().queue()[0];
    answer(run.e(), false);
    const std::vector<int32_t>& q = run.e().queue();
    EXPECT_EQ(q.size(), 13u); // +2, -1 pending copy
    EXPECT_EQ(q.front(), e);
    EXPECT_EQ(q[1], other);
    EXPECT_EQ(q[q.size() - 4], e);
    EXPECT_EQ(countOf(q, e), 3);
    EXPECT_TRUE(run.e().mediumRequeue());
    EXPECT_FALSE(run.e().shortRequeue());
}

TEST(PracticeRequeue, WrongWithFiveLeftGoesToTheEndOnly)
{
    Rig run(12, PracticeMode::Learn, 1);
    run.e().start(range(0, 5));
    const auto before = run.e().queue();
    const int32_t e = run.e().currentRow();
    answer(run.e(), false);
    std::vector<int32_t> expected = before;
    expected.insert(expected.begin(), e);
    EXPECT_EQ(run.e().queue(), expected);
    EXPECT_TRUE(run.e().shortRequeue());
}

TEST(PracticeRequeue, FlagsStaySetForTheRestOfTheRun)
{
    // Medium from 15 questions on; wrong answers then grow the queue past 15 and the medium rule
    // (a copy at the very end) stays in force.
    Rig run(20, PracticeMode::Learn, 1, Direction::EnToZh, noPauseWhenCorrect());
    run.e().start(range(0, 15));
    size_t largest = 0; // queue size at a wrong answer
    for (int i = 0; i < 20 && !run.e().finished(); ++i) {
        const int32_t e = run.e().currentRow();
        largest = std::max(largest, run.e().queue().size());
        answer(run.e(), false);
        EXPECT_TRUE(run.e().mediumRequeue());
        EXPECT_EQ(run.e().queue().front(), e);
        tickToNext(run.e());
    }
    EXPECT_GT(largest, 15u);

    // Short from 5 questions on: later wrong answers only go to the end.
    Rig shortRun(20, PracticeMode::Learn, 2, Direction::EnToZh, noPauseWhenCorrect());
    shortRun.e().start(range(0, 10));
    while (shortRun.e().queue().size() > 5) {
        answer(shortRun.e(), true);
        tickToNext(shortRun.e());
    }
    for (int i = 0; i < 8; ++i) {
        auto expected = shortRun.e().queue();
        expected.insert(expected.begin(), shortRun.e().currentRow());
        answer(shortRun.e(), false);
        EXPECT_EQ(shortRun.e().queue(), expected);
        EXPECT_TRUE(shortRun.e().shortRequeue());
        tickToNext(shortRun.e());
    }
}

TEST(PracticeDictate, CheckFoldsOnlyAsciiLetters)
{
    using E = lex::PracticeEngine;
    EXPECT_TRUE(E::sameDictation(u"TAKE OFF", u"take off"));
    EXPECT_TRUE(E::sameDictation(u"Ab-c", u"aB-C"));
    EXPECT_FALSE(E::sameDictation(u"CAFÉ", u"café"));
    EXPECT_FALSE(E::sameDictation(u"take of", u"take off"));
    EXPECT_FALSE(E::sameDictation(u"[", u"{")); // '[' + 32 is '{': not a letter
    EXPECT_FALSE(E::sameDictation(u"@", u"`"));
}

TEST(PracticeDictate, FullRunWithAWrongWord)
{
    Rig run(12, PracticeMode::Dictate, 1);
    run.e().start(range(0, 10));
    EXPECT_FALSE(run.e().view().timerRunning);
    EXPECT_EQ(run.e().view().focus, lex::PracticeFocus::WordBox);
    EXPECT_FALSE(run.e().view().dontKnowEnabled);
    int checks = 0, wrong = 0;
    while (!run.e().finished()) {
        ++checks;
        const int32_t row = run.e().currentRow();
        const QString word = run.e().currentWord();
        EXPECT_EQ(run.e().view().choiceText[0], run.book.atView(row)->explanation()); // 解释 on
        EXPECT_EQ(run.e().view().letterCount, QString::number(word.size()));
        EXPECT_TRUE(run.e().view().letterCountAlert);
        EXPECT_EQ(run.e().view().wordBoxMaxLength, word.size());
        const bool miss = checks == 2;
        const QString typed = miss ? word.left(1) : word.toUpper();
        run.e().dictationTextChanged(typed);
        EXPECT_EQ(run.e().view().letterCountAlert, miss);
        run.e().CheckDictation();
        if (miss) {
            ++wrong;
            EXPECT_EQ(run.rec.messages.last(), QStringLiteral("Wrong|") + word);
            EXPECT_EQ(run.temporary(row), 1);
        }
        EXPECT_EQ(run.book.atView(row)->stored.review, lex::toEntryTime(run.clock.localNow()));
    }
    EXPECT_EQ(wrong, 1);
    EXPECT_EQ(checks, 12); // the missed word twice more (9 left: at 3rd from now and at index 3)
    EXPECT_EQ(run.e().result(), PracticeResult::Cancelled);
    EXPECT_EQ(run.rec.messages.last(), QStringLiteral("|已完成"));
}

TEST(PracticeDictate, RequeueRule)
{
    {   // 10 left: back as the third question from now, and once more at lo + 3.
        Rig run(12, PracticeMode::Dictate, 1);
        run.e().start(range(0, 10));
        const int32_t e = run.e().currentRow();
        run.e().dictationTextChanged(QStringLiteral("x"));
        run.e().CheckDictation();
        const auto& q = run.e().queue();
        ASSERT_EQ(q.size(), 11u);
        EXPECT_EQ(q[3], e);
        EXPECT_EQ(q[size_t(q.size() - 3)], e); // third question from now after the pop
        EXPECT_EQ(countOf(q, e), 2);
    }
    {   // 5 left: only at the start.
        Rig run(12, PracticeMode::Dictate, 1);
        run.e().start(range(0, 5));
        const int32_t e = run.e().currentRow();
        run.e().CheckDictation(); // empty box: wrong
        const auto& q = run.e().queue();
        ASSERT_EQ(q.size(), 5u);
        EXPECT_EQ(q.front(), e);
        EXPECT_EQ(countOf(q, e), 1);
    }
    {   // 3 left: at the start.
        Rig run(12, PracticeMode::Dictate, 1);
        run.e().start(range(0, 3));
        const int32_t e = run.e().currentRow();
        run.e().CheckDictation();
        EXPECT_EQ(run.e().queue().front(), e);
        EXPECT_EQ(run.e().queue().size(), 3u);
    }
}

// 听写 and 填空 grade alike: the other national spelling is right, a typo or another word is
// wrong all the same (the record keeps which), and the hint ladder climbs before the answer.
TEST(PracticeDictate, AnswersAreGradedAndATypoOrAnotherWordIsStillWrong)
{
    const QStringList words{"receive", "quiet", "colour", "necessary", "believe",
                            "weather", "centre", "friend", "because", "people"};
    // English is this list: the words, what a confusion types, and the other national spellings.
    struct ListChecker : lex::WordChecker {
        bool isWord(QStringView w) const override
        {
            return QStringList{"receive", "quiet", "quite", "colour", "color", "centre", "center", "weather", "whether"}
                .contains(w.toString().toLower());
        }
    } checker;
    lex::Hyphenator hyphenator;
    ASSERT_TRUE(hyphenator.load("UTF-8\ne1c\nn1n\nt1l\n"));
    const struct { const char* word; const char* typed; lex::SpellingVerdict verdict; const char* line; } rows[] = {
        {"receive", "recieve", lex::SpellingVerdict::Typo, "拼写有误，差一点(仍算答错): rec[ei]ve"},
        {"quiet", "quite", lex::SpellingVerdict::OtherWord, "“quite”是另一个单词: qui[et]"},
        {"colour", "color", lex::SpellingVerdict::Right, ""},
        {"weather", "whether", lex::SpellingVerdict::OtherWord, "“whether”是另一个单词: w[ea]ther"},
        {"centre", "CENTER", lex::SpellingVerdict::Right, ""},
        {"necessary", "nesesery", lex::SpellingVerdict::Typo, "拼写有误，差一点(仍算答错): ne[ces]s[a]ry"},
        {"friend", "fiend", lex::SpellingVerdict::Typo, "拼写有误，差一点(仍算答错): f[r]iend"},
        {"people", "pipol", lex::SpellingVerdict::Wrong, "拼写错误: p[eop]l[e]"},
    };
    // The ladder's three rungs, each telling more; a fourth press stays on the last.
    const struct { const char* word; const char* rungs[3]; } ladders[] = {
        {"receive", {"r\u2026", "r\u2026 \u00b7 c\u2026", "r_ \u00b7 c____"}},
        {"people", {"p\u2026", "p\u2026", "p_____"}},
    };
    for (const PracticeMode mode : {PracticeMode::Dictate, PracticeMode::Cloze}) {
        SCOPED_TRACE(mode == PracticeMode::Cloze ? "cloze" : "dictate");
        Rig run(0, mode, 1);
        for (const QString& w : words) {
            auto e = std::make_unique<lex::WordEntry>();
            e->setWord(w);
            run.book.AddEntry(std::move(e), lex::AddMode::Loaded);
        }
        lex::PracticeSinks sinks = run.rec.sinks();
        sinks.clozeFor = [](const lex::WordEntry& e) {
            return lex::maskSentence(QStringLiteral("We said ") + e.word().toString() + QStringLiteral("."), e.word(), {});
        };
        run.engine = std::make_unique<lex::PracticeEngine>(run.book, run.writer, lex::PracticeSettings{mode, Direction::EnToZh, 1},
                                                           lex::PracticeOptions{}, run.random, run.clock, sinks);
        run.e().setWordChecker(&checker);
        run.e().setHyphenator(&hyphenator);
        run.e().start(range(0, 10));
        std::set<QString> seen;
        while (!run.e().finished()) {
            const QString word = run.e().currentWord();
            const auto* row = std::find_if(std::begin(rows), std::end(rows), [&](const auto& r) { return word == QLatin1String(r.word); });
            const bool graded = row != std::end(rows) && seen.insert(word).second;
            EXPECT_TRUE(run.e().view().hint.isEmpty());   // each question starts at the foot of the ladder
            if (const auto* l = std::find_if(std::begin(ladders), std::end(ladders), [&](const auto& r) { return word == QLatin1String(r.word); });
                graded && l != std::end(ladders)) {
                for (int rung = 0; rung < 4; ++rung) {
                    run.e().hint();
                    EXPECT_EQ(run.e().view().hint, QString::fromUtf8(l->rungs[std::min(rung, 2)])) << word.toStdString() << rung;
                }
                EXPECT_EQ(run.e().hintRung(), 3);
            }
            run.e().dictationTextChanged(graded ? QString::fromUtf8(row->typed) : word);
            // While an input method composes, Enter is its own: nothing is settled.
            run.e().setComposing(true);
            const size_t before = run.writer.answers.size();
            run.e().CheckDictation();
            EXPECT_EQ(run.writer.answers.size(), before);
            run.e().setComposing(false);
            run.e().CheckDictation();
            ASSERT_EQ(run.writer.answers.size(), before + 1);
            const lex::PracticeAnswer& a = run.writer.answers.back();
            const lex::SpellingVerdict verdict = graded ? row->verdict : lex::SpellingVerdict::Right;
            EXPECT_EQ(a.spelling, verdict) << word.toStdString();
            EXPECT_EQ(a.outcome, verdict == lex::SpellingVerdict::Right ? lex::AnswerOutcome::Right : lex::AnswerOutcome::Wrong)
                << word.toStdString();
            if (!graded)
                continue;
            const QString typed = QString::fromUtf8(row->typed);
            if (mode == PracticeMode::Cloze && verdict != lex::SpellingVerdict::Right) {
                // The first miss says which kind it was, not the letters; the second shows them.
                EXPECT_EQ(run.e().currentWord(), word);
                EXPECT_EQ(run.e().view().missed, verdict);
                run.e().dictationTextChanged(typed);
                run.e().CheckDictation();
                EXPECT_EQ(run.writer.answers.size(), before + 1);   // the blank counts once
                EXPECT_EQ(run.rec.messages.last(), QStringLiteral("Wrong|") + word);
            }
            EXPECT_EQ(lex::texts::dictationGradeText(run.e().lastSpellingGrade(), typed), QString::fromUtf8(row->line))
                << word.toStdString();
        }
        EXPECT_EQ(seen.size(), std::size(rows));
    }
}

TEST(PracticeWindowState, PauseStopsEverythingAndResumeRestores)
{
    Rig run(12, PracticeMode::Listen, 1);
    run.e().start(range(0, 10));
    run.e().PracticeTick();
    const int tick = run.e().tickCounter();
    run.e().pause();
    EXPECT_EQ(lex::texts::practiceTitle(run.e().settings().mode, run.e().paused()), QStringLiteral("单词听辩 <已暂停>"));
    EXPECT_EQ(lex::texts::pauseCaption(run.e().paused()), QStringLiteral("继续"));
    EXPECT_FALSE(run.e().view().timerRunning);
    EXPECT_EQ(run.e().view().slotEnabled, (std::array<bool, 4>{}));
    EXPECT_FALSE(run.e().view().dontKnowEnabled);
    run.e().PracticeTick();
    run.e().answer(0);
    run.e().dontKnow();
    EXPECT_EQ(run.e().tickCounter(), tick);
    EXPECT_FALSE(run.e().revealed());
    EXPECT_FALSE(run.e().answered());
    run.e().resume();
    EXPECT_EQ(lex::texts::practiceTitle(run.e().settings().mode, run.e().paused()), QStringLiteral("单词听辩"));
    EXPECT_TRUE(run.e().view().timerRunning);
    EXPECT_EQ(run.e().view().slotEnabled, (std::array<bool, 4>{true, true, true, true}));

    // Answered, then paused: only the correct button was still enabled, and it is disabled.
    answer(run.e(), false);
    run.e().togglePause();
    EXPECT_EQ(run.e().view().slotEnabled, (std::array<bool, 4>{}));
    run.e().togglePause();
    std::array<bool, 4> onlyCorrect{};
    onlyCorrect[size_t(run.e().correctSlot())] = true;
    EXPECT_EQ(run.e().view().slotEnabled, onlyCorrect);

    // Closing drops the rest of the run.
    run.e().close();
    EXPECT_EQ(run.e().result(), PracticeResult::Cancelled);
    EXPECT_FALSE(run.e().completed());
}

TEST(PracticeWindowState, OptionsEditAndCompanion)
{
    Rig run(12, PracticeMode::Drill, 1, Direction::ZhToEn);
    run.e().start(range(0, 10));
    const int32_t row = run.e().currentRow();
    EXPECT_EQ(run.e().view().letterCount, QString::number(run.e().currentWord().size()));
    EXPECT_EQ(run.e().view().firstLetter, QStringLiteral("w"));
    EXPECT_EQ(run.e().view().commentBox, run.book.atView(row)->comment());
    run.e().setOption(lex::PracticeOption::Explanation, false);
    EXPECT_EQ(run.e().view().wordBox, QString());
    run.e().setOption(lex::PracticeOption::Explanation, true);
    EXPECT_EQ(run.e().view().wordBox, QStringLiteral("e%1").arg(row));
    run.e().setOption(lex::PracticeOption::FirstLetter, false);
    EXPECT_EQ(run.e().view().firstLetter, QString());

    run.e().setCompanion(true);
    EXPECT_EQ(run.rec.companion, QStringList{run.e().currentWord() + u'0'});
    answer(run.e(), true);
    tickToNext(run.e());
    EXPECT_EQ(run.rec.companion.last(), run.e().currentWord() + u'1');
    run.e().setCompanion(false);
    EXPECT_EQ(run.rec.closed, 1);

    // 修改: pauses, and on OK the texts are taken again and the run resumes.
    EXPECT_EQ(run.e().beginEdit(), run.e().currentRow());
    EXPECT_TRUE(run.e().paused());
    run.book.atView(run.e().currentRow())->setExplanation(QStringLiteral("edited"));
    run.e().endEdit(true);
    EXPECT_FALSE(run.e().paused());
    EXPECT_EQ(run.e().view().wordBox, QStringLiteral("edited"));
    run.e().beginEdit();
    run.e().endEdit(false);
    EXPECT_TRUE(run.e().paused()); // Cancel leaves the pause
}

// 填空: rows without an example are left out; a miss counts once, brings the explanation as the
// hint and a second try; a second miss shows the answer; every answer counts for spelling.
TEST(PracticeCloze, RunLeavesOutWordsWithoutAnExampleAndHintsAfterAMiss)
{
    Rig run(12, PracticeMode::Cloze, 1);
    lex::PracticeSinks sinks = run.rec.sinks();
    sinks.clozeFor = [](const lex::WordEntry& e) -> std::optional<lex::ClozeQuestion> {
        if (e.word() == u"w3" || e.word() == u"w7")
            return std::nullopt;
        return lex::maskSentence(QStringLiteral("An ") + e.word().toString() + QStringLiteral(" here"), e.word(), {});
    };
    run.engine = std::make_unique<lex::PracticeEngine>(run.book, run.writer, lex::PracticeSettings{PracticeMode::Cloze},
                                                       lex::PracticeOptions{}, run.random, run.clock, sinks);
    run.e().start(range(0, 10));
    EXPECT_EQ(run.e().clozeLeftOut(), 2);
    EXPECT_EQ(run.e().view().focus, lex::PracticeFocus::WordBox);
    int checks = 0;
    QStringList asked;
    while (!run.e().finished()) {
        ASSERT_LT(++checks, 40);
        const int32_t row = run.e().currentRow();
        const QString word = run.e().currentWord();
        asked << word;
        EXPECT_EQ(run.e().view().choiceText[0], QStringLiteral("A(n) _____ here"));
        EXPECT_TRUE(run.e().view().commentBox.isEmpty());   // the comment may hold the example
        const bool miss = checks == 2;
        run.e().dictationTextChanged(miss ? QStringLiteral("nope") : word.toUpper());
        run.e().CheckDictation();
        if (miss) {
            EXPECT_EQ(run.e().currentRow(), row);   // the same blank once more, with the hint
            EXPECT_EQ(run.e().view().choiceText[0], QStringLiteral("A(n) _____ here\n") + run.book.atView(row)->explanation().toString());
            run.e().dictationTextChanged(QStringLiteral("still wrong"));
            run.e().CheckDictation();
            EXPECT_EQ(run.rec.messages.last(), QStringLiteral("Wrong|") + word);
            EXPECT_EQ(run.temporary(row), 1);   // counted once
        }
    }
    EXPECT_FALSE(asked.contains(QStringLiteral("w3")));
    EXPECT_FALSE(asked.contains(QStringLiteral("w7")));
    EXPECT_TRUE(run.rec.spoken.size() == 1);    // only after the second miss
    int wrong = 0;
    for (const lex::PracticeAnswer& a : run.writer.answers) {
        EXPECT_EQ(lex::skillOf(a.mode), lex::Skill::Spelling);
        wrong += a.outcome == lex::AnswerOutcome::Wrong;
    }
    EXPECT_EQ(wrong, 1);
    EXPECT_EQ(run.rec.messages.last(), QStringLiteral("|已完成"));
}
