// lexbook due on real files: which entries it prints and with which keys, the --date and
// --degree options and their errors, and that it writes nothing.
#include "book_helpers.h"

#include "temp_dir.h"
#include "tool_run.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace booktest;

namespace {

using lextest::lexbook;
using lextest::ToolRun;

std::unique_ptr<lex::WordEntry> reviewed(const QString& word, QDate day, int r, int s, int l)
{
    auto e = entry(word, QStringLiteral("解释"));
    e->stored.recognition = uint8_t(r);
    e->stored.spelling = uint8_t(s);
    e->stored.listening = uint8_t(l);
    e->stored.review = lex::toEntryTime(QDateTime(day, QTime(21, 30)));
    return e;
}

QList<QJsonObject> objects(const QString& out) { return lextest::jsonLines(out); }

QStringList words(const QList<QJsonObject>& objs)
{
    QStringList w;
    for (const QJsonObject& o : objs)
        w << o.value("word").toString();
    return w;
}

class LexbookDue : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFileInfo(lextest::lexbookPath()).isExecutable()) << lextest::lexbookPath().toStdString();
        lex::Book b;
        b.path = dir.path() + QLatin1Char('/');
        b.name = QStringLiteral("English");
        const QDate day(2026, 3, 10);
        b.AddEntry(reviewed(QStringLiteral("fresh"), day, 10, 0, 0), lex::AddMode::Interactive);              // recognition
        b.AddEntry(reviewed(QStringLiteral("old"), day.addDays(-5), 5, 5, 5), lex::AddMode::Interactive);     // all three
        b.AddEntry(reviewed(QStringLiteral("calm"), day.addDays(-1), 0, 0, 0), lex::AddMode::Interactive);    // none
        b.AddEntry(reviewed(QStringLiteral("ear"), day.addDays(-1), 0, 0, 9), lex::AddMode::Interactive);     // listening
        b.AddEntry(reviewed(QStringLiteral("pen"), day.addDays(-2), 0, 7, 0), lex::AddMode::Interactive);     // spelling
        b.AddEntry(reviewed(QStringLiteral("later"), day.addDays(30), 9, 10, 9), lex::AddMode::Interactive);  // future: spelling
        ASSERT_TRUE(lex::saveBook(b).ok());
        book = dir.path() + QStringLiteral("/English");
    }
    lextest::TempDir dir;
    QString book;
};

} // namespace

TEST_F(LexbookDue, PrintsTheDueEntriesInBookOrderWithTheKeysOfDump)
{
    const QByteArray idx = dir.read(QStringLiteral("English.idx")), txt = dir.read(QStringLiteral("English.txt"));
    const QStringList before = dir.files();

    const ToolRun all = lexbook({QStringLiteral("due"), book, QStringLiteral("--date"), QStringLiteral("2026-03-10")});
    ASSERT_EQ(all.code, 0) << all.err.toStdString();
    const QList<QJsonObject> objs = objects(all.out);
    EXPECT_EQ(words(objs), (QStringList{"fresh", "old", "ear", "pen", "later"}));
    auto due = [](const QJsonObject& o) { return o.value("due").toVariant().toStringList(); };
    ASSERT_EQ(objs.size(), 5);
    EXPECT_EQ(due(objs[0]), QStringList{"recognition"});
    EXPECT_EQ(due(objs[1]), (QStringList{"recognition", "spelling", "listening"}));
    EXPECT_EQ(due(objs[2]), QStringList{"listening"});
    EXPECT_EQ(due(objs[3]), QStringList{"spelling"});
    EXPECT_EQ(due(objs[4]), QStringList{"spelling"});

    // Every key of dump, with dump's values; `due` is the one key more.
    const ToolRun dump = lexbook({QStringLiteral("dump"), book});
    ASSERT_EQ(dump.code, 0);
    const QList<QJsonObject> dumped = objects(dump.out);
    ASSERT_EQ(dumped.size(), 6);
    QJsonObject withoutDue = objs[1];
    withoutDue.remove("due");
    EXPECT_EQ(withoutDue, dumped[1]);
    EXPECT_EQ(objs[1].keys().size(), dumped[1].keys().size() + 1);

    // One degree: only its entries, and exactly dump's keys.
    const ToolRun spelling = lexbook({QStringLiteral("due"), book, QStringLiteral("--degree"), QStringLiteral("spelling"),
                                      QStringLiteral("--date"), QStringLiteral("2026-03-10")});
    ASSERT_EQ(spelling.code, 0) << spelling.err.toStdString();
    const QList<QJsonObject> sp = objects(spelling.out);
    EXPECT_EQ(words(sp), (QStringList{"old", "pen", "later"}));
    EXPECT_EQ(sp[1], dumped[4]);

    // A day earlier "pen" (strangeness 7, two days) is not due yet; "old" (5, five days) neither.
    const ToolRun earlier = lexbook({QStringLiteral("due"), book, QStringLiteral("--date"), QStringLiteral("2026-03-09"),
                                     QStringLiteral("--degree"), QStringLiteral("spelling")});
    ASSERT_EQ(earlier.code, 0);
    EXPECT_EQ(words(objects(earlier.out)), QStringList{"later"});

    // Nothing was written: same files, same bytes.
    EXPECT_EQ(dir.files(), before);
    EXPECT_EQ(dir.read(QStringLiteral("English.idx")), idx);
    EXPECT_EQ(dir.read(QStringLiteral("English.txt")), txt);
}

TEST_F(LexbookDue, WithoutADateTodayIsTheLocalDate)
{
    lex::Book b;
    b.path = dir.path() + QLatin1Char('/');
    b.name = QStringLiteral("Now");
    const QDate today = QDate::currentDate();
    b.AddEntry(reviewed(QStringLiteral("new"), today, 10, 0, 0), lex::AddMode::Interactive);
    b.AddEntry(reviewed(QStringLiteral("known"), today, 0, 0, 0), lex::AddMode::Interactive);
    ASSERT_TRUE(lex::saveBook(b).ok());
    const ToolRun r = lexbook({QStringLiteral("due"), dir.path() + QStringLiteral("/Now")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(words(objects(r.out)), QStringList{"new"});
}

TEST_F(LexbookDue, BadArgumentsFailWithOneClearLine)
{
    // A leftover of an interrupted save stays as it is: due repairs nothing.
    dir.write(QStringLiteral("English.txt.new"), "half a save");
    const QStringList before = dir.files();
    const QByteArray idx = dir.read(QStringLiteral("English.idx"));
    const struct {
        QStringList args;
        QString message;
    } cases[] = {
        {{"due", book, "--date", "2026-02-30"}, "'2026-02-30' is not a date: give --date as YYYY-MM-DD"},
        {{"due", book, "--date", "2026-3-1"}, "'2026-3-1' is not a date"},
        {{"due", book, "--date", "tomorrow"}, "'tomorrow' is not a date"},
        {{"due", book, "--date"}, "--date needs a value"},
        {{"due", book, "--degree", "hearing"}, "unknown degree 'hearing': give recognition, spelling or listening"},
        {{"due", book, "--degree", "Spelling"}, "unknown degree 'Spelling'"},
        {{"due", book, "--degree", "spelling", "--degree", "listening"}, "--degree given twice"},
        {{"due", book, "--days", "3"}, "unknown option '--days'"},
        {{"due"}, "usage: lexbook due BOOK"},
        {{"due", book, book}, "usage: lexbook due BOOK"},
        {{"due", dir.path() + "/Missing"}, "no Book at"},
    };
    for (const auto& c : cases) {
        const ToolRun r = lexbook(c.args);
        EXPECT_EQ(r.code, 2) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << c.args.join(' ').toStdString();
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
    }
    EXPECT_EQ(dir.files(), before);
    EXPECT_EQ(dir.read(QStringLiteral("English.idx")), idx);
    EXPECT_EQ(dir.read(QStringLiteral("English.txt.new")), QByteArray("half a save"));
}
