// An entry's learning record through what the learner does to the Book, in the running program
// (offscreen, scripted dialogs): each command, then the record of the Book it concerns must hold
// every answer under the entry's present word and added time. A record that cannot be read
// stops neither the recording nor the save, and is told once.
#include "session_probe.h"
#include "../app/word_book_fixture.h"

#include "lexora/book/book_file.h"
#include "lexora/book/operations/degree_ops.h"
#include "lexora/book/operations/entry_ops.h"
#include "lexora/wordlist/group_dialog.h"

#include "common/config/word_book_keys.h"
#include "common/ui/template_builder.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

using namespace lex;
using apptest::Session;

namespace {

// An answer as the practice window settles it: an operation of the page's session.
void answer(WordBookController& c, const PracticeAnswer& a)
{
    c.session().run(std::make_unique<PracticeAnswerOp>(a));
}

const QDateTime kAnswered(QDate(2026, 11, 2), QTime(9, 0));

// Word → answers, as the record of `path` + `name` keeps them.
QMap<QString, int> recorded(const QString& path, const QString& name)
{
    ReviewRecord r;
    EXPECT_TRUE(r.open(ReviewRecord::fileFor(path, name), ReviewRecord::Mode::ReadOnly));
    ReviewModel model;
    EXPECT_TRUE(r.loadModel(&model));
    QMap<QString, int> out;
    model.forEach([&](const EntryKey& k, const EntryMemory& m) { out[k.word] = m.skill(Skill::Recognition).answers; });
    return out;
}

// How many of `entries` the record of `path` + `name` knows by their key.
int withRecord(const QString& path, const QString& name, const std::vector<WordEntry*>& entries)
{
    ReviewRecord r;
    EXPECT_TRUE(r.open(ReviewRecord::fileFor(path, name), ReviewRecord::Mode::ReadOnly));
    ReviewModel model;
    EXPECT_TRUE(r.loadModel(&model));
    int n = 0;
    for (const WordEntry* e : entries)
        n += model.find(e->word(), e->stored.added) != nullptr;
    return n;
}

std::unique_ptr<Book> loaded(const QString& path, const QString& name)
{
    auto b = std::make_unique<Book>();
    b->path = path;
    b->name = name;
    LoadBook(*b);
    return b;
}

// The group dialog, played: copy or move to the Book it offers (the other one).
std::function<int(QDialog*)> toOtherBook(bool move)
{
    return [move](QDialog* dialog) {
        auto* d = dynamic_cast<CMyCategory*>(dialog);
        EXPECT_NE(d, nullptr);
        if (!d)
            return 0;
        d->item<QRadioButton>(move ? CMyCategory::kMove : CMyCategory::kCopy)->setChecked(true);
        d->item<QPushButton>(ui::IDOK)->click();
        return d->result();
    };
}

void modifyWord(Session& s, int row, const QString& word)
{
    const WordEntry* e = s.book()->book().atView(row);
    EntryEdit edit{word, e->phonetic().toString(), e->explanation().toString(), e->comment().toString(),
                   e->stored.recognition, e->stored.spelling, e->stored.listening};
    s.book()->session().run(std::make_unique<ModifyOp>(row, edit));
}

} // namespace

TEST(RecordKeeping, AnEntryKeepsItsRecordThroughEveryCommand)
{
    // w0..w5; wI has I + 1 answers before the command.
    const QMap<QString, int> before{{"w0", 1}, {"w1", 2}, {"w2", 3}, {"w3", 4}, {"w4", 5}, {"w5", 6}};
    auto with = [&](std::initializer_list<std::pair<const char*, const char*>> renamed) {
        QMap<QString, int> m = before;
        for (const auto& [from, to] : renamed)
            m[QString::fromUtf8(to)] = m.take(QString::fromUtf8(from));
        return m;
    };
    const struct {
        const char* name;
        std::function<void(Session&)> act;
        const char* book;   // whose record and entries are checked
        QMap<QString, int> expected;
    } cases[] = {
        {"sort", [](Session& s) { s.list()->sortByHeader(1); s.list()->sortByHeader(1); }, "English", before},
        {"shuffle", [](Session& s) { s.w->onCommand(cmd::kShuffle, 0); }, "English", before},
        {"renumber", [](Session& s) { s.list()->sortByHeader(1); s.list()->sortByHeader(1); s.w->onCommand(cmd::kRenumber, 0); },
         "English", before},
        {"modify", [](Session& s) { modifyWord(s, 1, QStringLiteral("w1x")); }, "English", with({{"w1", "w1x"}})},
        {"modify, undo", [](Session& s) { modifyWord(s, 1, QStringLiteral("w1x")); s.w->onCommand(cmd::kUndo, 0); },
         "English", before},
        {"modify, undo, redo",
         [](Session& s) {
             modifyWord(s, 1, QStringLiteral("w1x"));
             s.w->onCommand(cmd::kUndo, 0);
             s.w->onCommand(cmd::kRedo, 0);
         },
         "English", with({{"w1", "w1x"}})},
        {"save-as",
         [](Session& s) {
             lextest::writableBook(s.book()->session()).loadFailed = true;   // the save fails and offers save-as
             s.ui.queueAnswer(MessageAnswer::Yes);
             s.ui.base.queueFileName(s.pf.bookPath + QStringLiteral("Other.idx"));
             s.w->onCommand(cmd::kSave, 0);
         },
         "Other", before},
        {"copy to another Book",
         [](Session& s) {
             s.select({1, 2});
             s.ui.queueDialog(toOtherBook(false));
             s.w->onCommand(cmd::kMoveCopy, 0);
         },
         "Second", {{"w1", 2}, {"w2", 3}}},
        {"move to another Book, then undo",
         [](Session& s) {
             s.select({4});
             s.ui.queueDialog(toOtherBook(true));
             s.w->onCommand(cmd::kMoveCopy, 0);
             s.w->onCommand(cmd::kUndo, 0);
         },
         "Second", {{"w4", 5}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Session s(6);
        Book second;
        second.path = s.pf.bookPath;
        second.name = QStringLiteral("Second");
        auto e = std::make_unique<WordEntry>();
        e->setWord(QStringLiteral("z"));
        second.AddEntry(std::move(e), AddMode::Loaded);
        second.textChanged = true;
        ASSERT_TRUE(saveBook(second).ok());
        for (int row = 0; row < 6; ++row)
            for (int n = 0; n <= row; ++n)
                answer(s.book()->controller(), {row, PracticeMode::Learn, AnswerOutcome::Right, kAnswered.addDays(n), 900});
        const WordEntry* w1 = s.book()->book().atView(1);
        EXPECT_TRUE(s.book()->controller().recallText(*w1).isEmpty()) << "the tip reads no record itself";
        s.ui.queueDialog([](QDialog*) { return 0; });   // 今日复习 reads the model, and is closed
        s.w->onCommand(cmd::kTodayReview, 0);
        EXPECT_TRUE(s.book()->controller().recallText(*w1).startsWith(QStringLiteral("认 "))) << "the tip's lines";

        c.act(s);
        const QString book = QString::fromUtf8(c.book);
        const QMap<QString, int> got = recorded(s.pf.bookPath, book);
        EXPECT_EQ(got, c.expected);
        // Each entry of that Book finds its record by its word and added time as they are now.
        const auto b = loaded(s.pf.bookPath, book);
        const std::vector<WordEntry*>& entries = book == QStringLiteral("English") ? s.book()->book().full() : b->full();
        EXPECT_EQ(withRecord(s.pf.bookPath, book, entries), c.expected.size());
        // A deleted (moved) entry's record stays where it was.
        EXPECT_EQ(recorded(s.pf.bookPath, QStringLiteral("English")).size(), 6);
        for (const QString& m : s.ui.messages())
            EXPECT_FALSE(m.contains(QStringLiteral("学习记录"))) << "a sound record is worth no word: " << m.toStdString();
    }
}

TEST(RecordKeeping, ADamagedRecordStopsNeitherRecordingNorSaveAndIsToldOnce)
{
    Session s(12);
    const QString file = ReviewRecord::fileFor(s.pf.bookPath, QStringLiteral("English"));
    const QByteArray damaged(8192, 'x');
    s.dir.write(QStringLiteral("home/Book/English.review.db"), damaged);

    WordBookController& c = s.book()->controller();
    for (int row = 0; row < 3; ++row)
        answer(c, {row, PracticeMode::Learn, AnswerOutcome::Wrong, kAnswered, 900});
    EXPECT_TRUE(c.recallText(*s.book()->book().atView(0)).isEmpty());
    s.ui.queueDialog([](QDialog*) { return 0; });   // 今日复习 by the interval table, closed
    s.w->onCommand(cmd::kTodayReview, 0);
    modifyWord(s, 0, QStringLiteral("changed"));
    s.w->onCommand(cmd::kSave, 0);

    int told = 0;
    for (const QString& m : s.ui.messages())
        told += m.contains(QStringLiteral("学习记录"));
    EXPECT_EQ(told, 1) << s.ui.messages().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(s.dir.read(QStringLiteral("home/Book/English.review.db")), damaged) << "never overwritten";
    EXPECT_EQ(loaded(s.pf.bookPath, QStringLiteral("English"))->atView(0)->word(), QStringLiteral("changed"))
        << "the Book is saved as ever";
}

TEST(RecordKeeping, TodaysReviewPlansWithTheDesiredRetentionOfTheSettings)
{
    // One right answer yesterday: the model's interval is 1 day at 0.97, 2 at 0.9, weeks at 0.7.
    Session s(6);
    const QDateTime yesterday = QDateTime::currentDateTime().addDays(-1);
    for (int row = 0; row < 6; ++row)
        answer(s.book()->controller(), {row, PracticeMode::Learn, AnswerOutcome::Right, yesterday, 900});
    for (const auto& [retention, due] : {std::pair{0.97, "6"}, {0.9, "0"}, {0.97, "6"}}) {
        SCOPED_TRACE(retention);
        Profile profile = s.profile();
        ASSERT_TRUE(writeDesiredRetention(&profile, retention));
        QString shown;
        s.ui.queueDialog([&shown](QDialog* d) {
            shown = ui::control<QLabel>(d, res::review_dlg::kRecognitionCount)->text();
            return 0;
        });
        s.w->onCommand(cmd::kTodayReview, 0);
        EXPECT_EQ(shown, QString::fromLatin1(due));
    }
}
