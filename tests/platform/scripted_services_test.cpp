#include "scripted_services.h"

#include <QColor>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

using lex::MessageAnswer;
using lex::MessageButtons;

TEST(ScriptedServices, RecordsTextsAndReturnsQueuedAnswers)
{
    lextest::ScriptedServices ui;
    ui.queueAnswer(MessageAnswer::Yes);
    ui.queueFileName(QStringLiteral("/tmp/a.txt"));
    ui.queueColor(QColor(1, 2, 3));
    EXPECT_EQ(ui.messageBox(nullptr, QStringLiteral("提示")), MessageAnswer::Ok);   // OK needs no answer
    EXPECT_EQ(ui.messageBox(nullptr, QStringLiteral("问"), QStringLiteral("T"), MessageButtons::YesNo), MessageAnswer::Yes);
    EXPECT_EQ(ui.openFileName(nullptr, {}, QStringLiteral("A|*.a||")), QStringLiteral("/tmp/a.txt"));
    EXPECT_EQ(ui.color(nullptr, Qt::white), QColor(1, 2, 3));
    EXPECT_EQ(ui.messages(), (QStringList{QStringLiteral("提示"), QStringLiteral("问")}));
    EXPECT_EQ(ui.shown()[1].caption, QStringLiteral("T"));
}

TEST(ScriptedServices, UnansweredQuestionsFailLoudly)
{
    EXPECT_NONFATAL_FAILURE(
        {
            lextest::ScriptedServices ui;
            EXPECT_EQ(ui.messageBox(nullptr, QStringLiteral("q"), {}, MessageButtons::YesNo), MessageAnswer::No);
        },
        "nobody answered");
    EXPECT_NONFATAL_FAILURE({ lextest::ScriptedServices ui; ui.folder(nullptr, {}, {}); }, "without a queued answer");
    EXPECT_NONFATAL_FAILURE({ lextest::ScriptedServices ui; ui.queueAnswer(MessageAnswer::Yes); }, "never asked for");
}
