// lexbook log, stats and due --model on a real Book and its learning record: what each prints,
// that nothing is written, and a damaged record.
#include "../book/book_helpers.h"

#include "lexora/book/book_file.h"
#include "lexora/record/review_record.h"
#include "temp_dir.h"
#include "tool_run.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

using lex::AnswerOutcome;
using lex::PracticeMode;
using lextest::lexbook;

const QDate kToday(2026, 3, 10);

class LexbookRecord : public ::testing::Test {
protected:
    void SetUp() override
    {
        lex::Book b;
        b.path = dir.path() + QLatin1Char('/');
        b.name = QStringLiteral("English");
        // All degrees 0 (table: due after 55 days), reviewed yesterday: the table wants nothing.
        for (const char* w : {"apple", "pear", "plum"}) {
            auto e = booktest::entry(QString::fromLatin1(w));
            e->stored.review = lex::toEntryTime(QDateTime(kToday.addDays(-1), QTime(8, 0)));
            e->stored.added = lex::toEntryTime(QDateTime(QDate(2025, 11, 3), QTime(7, 0)));
            b.AddEntry(std::move(e), lex::AddMode::Interactive);
        }
        b.full()[2]->stored.added = lex::toEntryTime(QDateTime(QDate(2026, 2, 1), QTime(7, 0)));
        b.full()[0]->stored.spelling = 10; // due by the table for spelling
        ASSERT_TRUE(lex::saveBook(b).ok());
        book = dir.path() + QStringLiteral("/English");

        lex::ReviewRecord r;
        ASSERT_TRUE(r.open(lex::ReviewRecord::fileFor(b.path, b.name)));
        const lex::EntryKey apple = lex::EntryKey::of(*b.full()[0]), pear = lex::EntryKey::of(*b.full()[1]);
        const lex::EntryKey gone{QStringLiteral("gone"), apple.added}; // deleted from the Book since
        const QDateTime t0(kToday.addDays(-3), QTime(20, 0));
        // apple: wrong in recognition 3 days ago (stability 0.212: due again the next day).
        ASSERT_TRUE(r.recordAnswer(apple, PracticeMode::Learn, AnswerOutcome::Wrong, t0, 2100));
        // pear: easy recognition today (due in 2 days' time and more); a stamp; gone: dictation.
        ASSERT_TRUE(r.recordStamp(pear, lex::StampKind::Space, t0.addSecs(30)));
        ASSERT_TRUE(r.recordAnswer(gone, PracticeMode::Dictate, AnswerOutcome::Right, t0.addSecs(60), 5000,
                                   lex::SpellingVerdict::Right));
        ASSERT_TRUE(r.recordAnswer(pear, PracticeMode::Drill, AnswerOutcome::Right, QDateTime(kToday, QTime(9, 0)), 800));
        r.close();
        before = dir.files();
        bytes = dir.read(QStringLiteral("English.review.db"));
    }
    void TearDown() override
    {
        EXPECT_EQ(dir.files(), before) << "nothing written";
        EXPECT_EQ(dir.read(QStringLiteral("English.review.db")), bytes);
    }
    lextest::TempDir dir;
    QString book;
    QStringList before;
    QByteArray bytes;
};

TEST_F(LexbookRecord, LogPrintsEveryAnswerAndStampOnceInTimeOrder)
{
    const lextest::ToolRun r = lexbook({QStringLiteral("log"), book});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QList<QJsonObject> lines = lextest::jsonLines(r.out);
    const struct {
        const char* kind;
        const char* word;
        const char* what; // mode/outcome of an answer, or the stamp
        const char* at;
    } want[] = {
        {"answer", "apple", "learn/wrong", "2026-03-07T20:00:00.000"},
        {"stamp", "pear", "space", "2026-03-07T20:00:30.000"},
        {"answer", "gone", "dictate/right", "2026-03-07T20:01:00.000"},
        {"answer", "pear", "drill/right", "2026-03-10T09:00:00.000"},
    };
    ASSERT_EQ(lines.size(), qsizetype(std::size(want))) << r.out.toStdString();
    for (size_t i = 0; i < std::size(want); ++i) {
        const QJsonObject& o = lines[qsizetype(i)];
        EXPECT_EQ(o["kind"].toString(), want[i].kind);
        EXPECT_EQ(o["word"].toString(), want[i].word);
        EXPECT_EQ(o["at"].toString(), want[i].at);
        const QString what = o["kind"] == QLatin1String("stamp") ? o["stamp"].toString()
                                                                   : o["mode"].toString() + '/' + o["outcome"].toString();
        EXPECT_EQ(what, want[i].what);
        EXPECT_EQ(o["added"].toArray().size(), 5);
    }
    EXPECT_EQ(lines[0]["skill"].toString(), "recognition");
    EXPECT_EQ(lines[2]["skill"].toString(), "spelling");
    EXPECT_EQ(lines[0]["durationMs"].toInt(), 2100);
    // A typed answer's grade; the others have none.
    EXPECT_EQ(lines[2]["spelling"].toString(), "right");
    EXPECT_FALSE(lines[0].contains("spelling"));
}

TEST_F(LexbookRecord, DueByTheModelWhereTheRecordKnowsTheEntry)
{
    const lextest::ToolRun r = lexbook({QStringLiteral("due"), book, QStringLiteral("--model"), QStringLiteral("--date"),
                                        kToday.toString(Qt::ISODate)});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QList<QJsonObject> lines = lextest::jsonLines(r.out);
    // apple: recognition by the model (overdue), spelling by the table; pear: not due; plum: neither.
    ASSERT_EQ(lines.size(), 1) << r.out.toStdString();
    EXPECT_EQ(lines[0]["word"].toString(), "apple");
    EXPECT_EQ(lines[0]["due"].toArray(), QJsonArray({"recognition", "spelling"}));
    EXPECT_EQ(lines[0]["model"].toArray(), QJsonArray({"recognition"}));
    // Without --model the table alone decides, as before.
    const lextest::ToolRun table = lexbook({QStringLiteral("due"), book, QStringLiteral("--date"), kToday.toString(Qt::ISODate)});
    ASSERT_EQ(lextest::jsonLines(table.out).size(), 1);
    EXPECT_EQ(lextest::jsonLines(table.out)[0]["due"].toArray(), QJsonArray({"spelling"}));
    EXPECT_FALSE(lextest::jsonLines(table.out)[0].contains("model"));
}

TEST_F(LexbookRecord, StatsGivesTheFiguresBehindTheCharts)
{
    const lextest::ToolRun r = lexbook({QStringLiteral("stats"), book, QStringLiteral("--date"), kToday.toString(Qt::ISODate)});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
    const QJsonArray answers = o["answersPerDay"].toArray();
    ASSERT_EQ(answers.size(), 365);
    EXPECT_EQ(answers.last()["day"].toString(), "2026-03-10");
    EXPECT_EQ(answers.last()["recognition"]["right"].toInt(), 1);
    const QJsonObject threeDaysAgo = answers[364 - 3].toObject();
    EXPECT_EQ(threeDaysAgo["recognition"]["wrong"].toInt(), 1);
    EXPECT_EQ(threeDaysAgo["spelling"]["right"].toInt(), 1) << "a deleted entry's answers still count";

    const QJsonArray due = o["duePerDay"].toArray();
    ASSERT_EQ(due.size(), 30);
    EXPECT_EQ(due[0]["recognition"].toInt(), 1); // apple, overdue
    EXPECT_EQ(due[0]["spelling"].toInt(), 1);    // apple, by the table
    int pearDue = 0;
    for (const QJsonValue& d : due)
        pearDue += d["recognition"].toInt();
    EXPECT_EQ(pearDue, 2) << "apple today, pear within the month";

    EXPECT_EQ(o["recall"]["recognition"].toArray().size(), 10);
    int withRecord = 0;
    for (const QJsonValue& n : o["recall"]["recognition"].toArray())
        withRecord += n.toInt();
    EXPECT_EQ(withRecord, 2);
    EXPECT_EQ(o["recall"]["recognition"][9].toInt(), 1) << "pear answered today";
    EXPECT_EQ(o["degrees"]["spelling"].toArray(), QJsonArray({2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(o["addedPerMonth"].toArray(),
              QJsonArray({QJsonObject{{"month", "2025-11"}, {"words", 2}}, QJsonObject{{"month", "2026-02"}, {"words", 1}}}));
}

TEST_F(LexbookRecord, ADamagedRecordIsReportedNotRepaired)
{
    QByteArray damaged = bytes;
    damaged.replace(0, 16, QByteArray(16, 'x'));
    dir.write(QStringLiteral("English.review.db"), damaged);
    for (const char* verb : {"log", "stats"}) {
        const lextest::ToolRun r = lexbook({QString::fromLatin1(verb), book});
        EXPECT_EQ(r.code, 2) << verb;
        EXPECT_TRUE(r.err.contains(QStringLiteral("已损坏"))) << r.err.toStdString();
    }
    EXPECT_EQ(dir.read(QStringLiteral("English.review.db")), damaged);
    dir.write(QStringLiteral("English.review.db"), bytes); // for TearDown
}

} // namespace
