// The run's trace for end-to-end tests, and a run whose end message is open while time goes on.
#include "practice_support.h"
#include "temp_dir.h"

#include "common/platform/env.h"
#include "lexora/practice/practice_trace.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace practicetest;
using lex::Direction;
using lex::PracticeMode;
using lex::PracticeTrace;

namespace {

lex::PracticeOptions noPauseWhenCorrect()
{
    lex::PracticeOptions o;
    o.pauseWhenCorrect = false;
    return o;
}

} // namespace

TEST(PracticeTrace, NamesTheRightSlotOfEveryQuestionAndEachAnswer)
{
    Rig run(12, PracticeMode::Learn, 2, Direction::EnToZh, noPauseWhenCorrect());
    QStringList lines;
    PracticeTrace trace([&](const QString& l) { lines << l; });
    run.e().start(range(0, 10));
    trace.observe(run.e());
    QStringList expected;
    int n = 0;
    while (!run.e().finished()) {
        ++n;
        expected << QStringLiteral("question\t%1\t%2\t%3").arg(n).arg(run.e().correctSlot()).arg(run.e().currentWord());
        const bool right = n % 3 != 1;   // questions 1, 4, 7 ... wrong
        if (!run.e().revealed()) {
            run.e().answer(0);             // the first press only shows the choices
            trace.observe(run.e());
        }
        run.e().answer(right ? run.e().correctSlot() : 1 - run.e().correctSlot());
        trace.observe(run.e());
        trace.observe(run.e());            // nothing new: nothing written
        expected << QStringLiteral("answer\t%1\t%2").arg(n).arg(right ? u"right" : u"wrong");
        while (run.e().answered() && !run.e().finished()) {
            run.e().PracticeTick();
            trace.observe(run.e());
        }
    }
    expected << QStringLiteral("end\taccepted");
    EXPECT_EQ(lines, expected);
    EXPECT_GT(n, 20) << "the wrong answers were asked again";
}

TEST(PracticeTrace, EachRungOfTheHintLadderOnce)
{
    Rig run(12, PracticeMode::Dictate, 1);
    QStringList lines;
    PracticeTrace trace([&](const QString& l) { lines << l; });
    run.e().start(range(0, 10));
    trace.observe(run.e());
    const QString first = run.e().currentWord().left(1) + QChar(0x2026);
    for (int press = 0; press < 4; ++press) {   // the fourth stays on the last rung: nothing new
        run.e().hint();
        trace.observe(run.e());
    }
    run.e().dictationTextChanged(run.e().currentWord());
    run.e().CheckDictation();
    trace.observe(run.e());   // the next question starts at the foot again, unannounced
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[1], QStringLiteral("hint\t1\t1\t") + first);
    EXPECT_EQ(lines[2], QStringLiteral("hint\t1\t2\t") + first);
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("hint\t1\t3\t"))) << lines[3].toStdString();
    EXPECT_TRUE(lines[4].startsWith(QStringLiteral("question\t2\t")));
}

TEST(PracticeTrace, ATimeOutIsAWrongAnswerAndAClosedRunEndsCancelled)
{
    Rig run(12, PracticeMode::Listen, 2);
    QStringList lines;
    PracticeTrace trace([&](const QString& l) { lines << l; });
    run.e().start(range(0, 10));
    trace.observe(run.e());
    while (!run.e().answered()) {
        run.e().PracticeTick();
        trace.observe(run.e());
    }
    run.e().close();
    trace.observe(run.e());
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("question\t1\t")));
    EXPECT_EQ(lines[1], QStringLiteral("answer\t1\twrong"));
    EXPECT_EQ(lines[2], QStringLiteral("end\tcancelled"));
}

TEST(PracticeTrace, WritesTheFileNamedInTheEnvironmentAndNothingWithoutIt)
{
    lextest::TempDir dir;
    const QString path = dir.path(QStringLiteral("trace.txt"));
    qunsetenv(PracticeTrace::kVariable);
    EXPECT_FALSE(PracticeTrace::fromEnvironment(lex::Env::defaultEnv()));
    qputenv(PracticeTrace::kVariable, path.toUtf8());
    PracticeTrace::Sink sink = PracticeTrace::fromEnvironment(lex::Env::defaultEnv());
    qunsetenv(PracticeTrace::kVariable);
    ASSERT_TRUE(sink);
    PracticeTrace trace(sink);
    trace.message(QStringLiteral("已完成"));
    trace.message(QStringLiteral("second"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(f.readAll()), QStringLiteral("message\t已完成\nmessage\tsecond\n"));
}

TEST(PracticeRun, TicksAndKeysWhileTheEndMessageIsOpenChangeNothing)
{
    // The window's message box runs an event loop: the one-second timer and the learner's keys
    // can reach the engine before "已完成" is closed.
    Rig run(12, PracticeMode::Learn, 2, Direction::EnToZh, noPauseWhenCorrect());
    lex::PracticeEngine* engine = nullptr;
    int messages = 0;
    lex::PracticeSinks sinks;
    sinks.showMessage = [&](lex::PracticeNotice notice, const QString& word) {
        ++messages;
        EXPECT_EQ(lex::texts::practiceNoticeText(notice, word), QStringLiteral("已完成"));
        EXPECT_TRUE(engine->finished());
        for (int i = 0; i < 8; ++i) {
            engine->PracticeTick();
            engine->answer(i % 2);
            engine->dontKnow();
        }
    };
    lex::PracticeEngine e(run.book, run.writer, lex::PracticeSettings{PracticeMode::Learn, lex::Direction::EnToZh, 2}, noPauseWhenCorrect(), run.random,
                          run.clock, sinks);
    engine = &e;
    e.start(range(0, 10));
    while (!e.finished()) {
        if (!e.revealed())
            e.answer(0);
        e.answer(e.correctSlot());
        while (e.answered() && !e.finished())
            e.PracticeTick();
    }
    EXPECT_EQ(messages, 1);
    EXPECT_EQ(e.result(), lex::PracticeResult::Accepted);
    EXPECT_TRUE(e.queue().empty());
    for (int32_t r = 0; r < 12; ++r)
        EXPECT_EQ(run.temporary(r), 0) << r;
}
