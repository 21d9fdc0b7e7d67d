// The learning record on real files: what one answer leaves (row and memory state), an entry's
// record through a changed word and a copy to another Book, a record following a session by
// itself, every way the file can be bad, a locked file, and a process killed in the middle of a run.
#include "lexora/record/review_record.h"

#include "common/platform/sources.h"
#include "lexora/book/book_file.h"
#include "lexora/book/book_folder.h"
#include "lexora/book/book_session.h"
#include "lexora/book/operations/degree_ops.h"
#include "lexora/book/operations/entry_ops.h"
#include "lexora/record/book_record.h"
#include "lexora/record/study_record.h"
#include "lexora/texts/lexora_texts.h"
#include "entry_builder.h"
#include "session_probe.h"
#include "temp_dir.h"

#include <QDateTime>
#include <QFile>
#include <QDir>
#include <algorithm>
#include <csignal>
#include <functional>
#include <future>
#include <map>
#include <thread>
#include <tuple>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using lex::AnswerOutcome;
using lex::EntryKey;
using lex::PracticeMode;
using lex::Skill;
using lex::ReviewRecord;

const QDateTime kStart(QDate(2026, 3, 1), QTime(9, 0));
const EntryKey kApple{QStringLiteral("apple"), {10, 2, 3, 8, 15}};
const EntryKey kPear{QStringLiteral("pear"), {10, 2, 3, 8, 15}};

std::vector<ReviewRecord::Answer> answers(const ReviewRecord& r)
{
    std::vector<ReviewRecord::Answer> out;
    EXPECT_TRUE(r.forEachAnswer([&](const ReviewRecord::Answer& a) { out.push_back(a); return true; }));
    return out;
}

lex::SkillMemory memoryOf(const ReviewRecord& r, const EntryKey& k, Skill skill)
{
    lex::ReviewModel model;
    EXPECT_TRUE(r.loadModel(&model));
    const lex::EntryMemory* m = model.find(k.word, k.added);
    return m ? m->skill(skill) : lex::SkillMemory{};
}

class Record : public ::testing::Test {
protected:
    lextest::TempDir dir;
    QString file = ReviewRecord::fileFor(dir.path() + QLatin1Char('/'), QStringLiteral("English"));
};

TEST_F(Record, AnswersKeepTheirFieldsAndMakeTheMemoryOfTheirSkill)
{
    ReviewRecord r;
    ASSERT_TRUE(r.open(file));
    EXPECT_FALSE(QFile::exists(file)) << "nothing is created before the first answer";
    // Learn and drill train recognition, dictate spelling, listen listening; a day apart each.
    const struct {
        PracticeMode mode;
        AnswerOutcome outcome;
        int day;
    } run[] = {{PracticeMode::Learn, AnswerOutcome::Right, 0}, {PracticeMode::Drill, AnswerOutcome::Wrong, 1},
               {PracticeMode::Learn, AnswerOutcome::Right, 4}, {PracticeMode::Dictate, AnswerOutcome::DontKnow, 4},
               {PracticeMode::Listen, AnswerOutcome::Right, 5}};
    for (const auto& a : run)
        ASSERT_TRUE(r.recordAnswer(kApple, a.mode, a.outcome, kStart.addDays(a.day), 1500 + a.day));
    ASSERT_TRUE(QFile::exists(file));

    const auto got = answers(r);
    ASSERT_EQ(got.size(), std::size(run));
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].key, kApple);
        EXPECT_EQ(got[i].mode, run[i].mode);
        EXPECT_EQ(got[i].skill, lex::skillOf(run[i].mode));
        EXPECT_EQ(got[i].outcome, run[i].outcome);
        EXPECT_EQ(lex::fromLocalMs(got[i].at), kStart.addDays(run[i].day));
        EXPECT_EQ(got[i].durationMs, 1500 + run[i].day);
    }
    // The memory is the scheduler's over that skill's answers alone: good, again, good.
    const lex::FsrsScheduler fsrs;
    lex::MemoryState want = fsrs.review({}, 0, lex::FsrsGrade::Good).after;
    want = fsrs.review(want, 1, lex::FsrsGrade::Again).after;
    want = fsrs.review(want, 3, lex::FsrsGrade::Good).after;
    const lex::SkillMemory recognition = memoryOf(r, kApple, Skill::Recognition);
    EXPECT_DOUBLE_EQ(recognition.state.stability, want.stability);
    EXPECT_DOUBLE_EQ(recognition.state.difficulty, want.difficulty);
    EXPECT_EQ(recognition.lastDay, kStart.date().addDays(4).toJulianDay());
    EXPECT_EQ(recognition.answers, 3);
    EXPECT_EQ(memoryOf(r, kApple, Skill::Spelling).answers, 1);
    EXPECT_DOUBLE_EQ(memoryOf(r, kApple, Skill::Spelling).state.stability,
                     fsrs.review({}, 0, lex::FsrsGrade::Again).after.stability);

    // An answer dated before the last one (the clock was put back) is replayed in time order.
    ASSERT_TRUE(r.recordAnswer(kApple, PracticeMode::Learn, AnswerOutcome::Wrong, kStart.addDays(2), 900));
    lex::MemoryState replay = fsrs.review({}, 0, lex::FsrsGrade::Good).after;
    replay = fsrs.review(replay, 1, lex::FsrsGrade::Again).after;
    replay = fsrs.review(replay, 1, lex::FsrsGrade::Again).after;
    replay = fsrs.review(replay, 2, lex::FsrsGrade::Good).after;
    EXPECT_DOUBLE_EQ(memoryOf(r, kApple, Skill::Recognition).state.stability, replay.stability);

    // A stamp is kept, and is no answer.
    ASSERT_TRUE(r.recordStamp(kPear, lex::StampKind::Phonetic, kStart));
    int stamps = 0;
    ASSERT_TRUE(r.forEachStamp([&](const ReviewRecord::Stamp& s) {
        EXPECT_EQ(s.key, kPear);
        EXPECT_EQ(s.kind, lex::StampKind::Phonetic);
        return ++stamps;
    }));
    EXPECT_EQ(stamps, 1);
    EXPECT_EQ(memoryOf(r, kPear, Skill::Recognition).answers, 0);
    EXPECT_FALSE(r.takeFirstFault());
}

TEST_F(Record, AnEntryKeepsItsRecordWhenItsWordChangesAndWhenCopied)
{
    ReviewRecord r;
    lex::ReviewModel model;
    ASSERT_TRUE(r.open(file));
    r.attachModel(&model);
    ASSERT_TRUE(r.recordAnswer(kApple, PracticeMode::Learn, AnswerOutcome::Right, kStart, 1000));
    ASSERT_TRUE(r.recordAnswer(kPear, PracticeMode::Learn, AnswerOutcome::Wrong, kStart.addDays(1), 1000));
    ASSERT_NE(model.find(kApple.word, kApple.added), nullptr) << "the attached model follows the answers";

    // Modify: apple becomes apples; undo brings it back; each time the answers follow.
    const EntryKey apples{QStringLiteral("apples"), kApple.added};
    ASSERT_TRUE(r.renameEntry(kApple, apples));
    EXPECT_EQ(answers(r)[0].key, apples);
    EXPECT_EQ(model.find(kApple.word, kApple.added), nullptr);
    ASSERT_NE(model.find(apples.word, apples.added), nullptr);
    ASSERT_TRUE(r.renameEntry(apples, kApple));
    EXPECT_EQ(answers(r)[0].key, kApple);
    // Renamed onto a word that has a record of its own: one entry with both histories.
    ASSERT_TRUE(r.renameEntry(kPear, kApple));
    const auto merged = answers(r);
    ASSERT_EQ(merged.size(), 2u);
    EXPECT_EQ(merged[1].key, kApple);
    EXPECT_EQ(memoryOf(r, kApple, Skill::Recognition).answers, 2);
    ASSERT_TRUE(r.renameEntry(kPear, apples)) << "a key without a record renames nothing";

    // Copy to another Book (twice: the second adds nothing), and save under another name.
    ReviewRecord other;
    ASSERT_TRUE(other.open(ReviewRecord::fileFor(dir.path() + QLatin1Char('/'), QStringLiteral("Other"))));
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(r.copyEntriesTo(other, {kApple, kPear}));
    EXPECT_EQ(answers(other).size(), 2u);
    EXPECT_DOUBLE_EQ(memoryOf(other, kApple, Skill::Recognition).state.stability,
                     memoryOf(r, kApple, Skill::Recognition).state.stability);
    ReviewRecord saved;
    ASSERT_TRUE(saved.open(ReviewRecord::fileFor(dir.path() + QLatin1Char('/'), QStringLiteral("Saved"))));
    ASSERT_TRUE(r.copyEntriesTo(saved));
    EXPECT_EQ(answers(saved).size(), 2u);

    // The record is no Book: the folder lists none of its files.
    QFile(file + QStringLiteral("-wal")).open(QIODevice::WriteOnly | QIODevice::Append);
    dir.write(QStringLiteral("English.idx"), QByteArray());
    EXPECT_EQ(lex::listBooks(lex::Env::defaultEnv(), dir.path() + QLatin1Char('/')), QStringList{"English"});
}

// lexbook reading while the program writes: the reader sees every answer committed so far, and
// after the writer closed it leaves no file behind.
TEST_F(Record, ABookRecordFollowsItsSessionByItself)
{
    // A session of the Book "English" (apple, pear) with a record following it and nothing else:
    // every change reaches the record through the session alone.
    const QString folder = dir.path() + QLatin1Char('/');
    for (const char* name : {"English", "Other"}) {
        lex::Book b;
        b.path = folder;
        b.name = QString::fromLatin1(name);
        for (const char* w : {"apple", "pear"})
            b.AddEntry(lextest::entry(QString::fromLatin1(w)), lex::AddMode::Loaded);
        b.textChanged = true;
        ASSERT_TRUE(lex::saveBook(b).ok());
    }
    const lex::FixedClock clock(kStart);
    const lex::PracticeAnswer apple{0, PracticeMode::Learn, AnswerOutcome::Wrong, kStart, 1200};
    auto run = [](lex::BookSession& s, auto op) { s.run(std::move(op)); };
    const struct {
        const char* name;
        std::function<void(lex::BookSession&)> act;
        const char* book;                 // whose record is read
        std::vector<const char*> answered; // its answers' words, in time order
        int stamps;
    } cases[] = {
        {"a practice answer", [&](lex::BookSession& s) { run(s, std::make_unique<lex::PracticeAnswerOp>(apple)); },
         "English", {"apple"}, 0},
        {"a stamp from the list",
         [&](lex::BookSession& s) { run(s, std::make_unique<lex::StampReviewOp>(1, lex::StampKind::Space, clock)); },
         "English", {}, 1},
        {"a changed word, its undo and redo",
         [&](lex::BookSession& s) {
             run(s, std::make_unique<lex::PracticeAnswerOp>(apple));
             run(s, std::make_unique<lex::ModifyOp>(0, lex::EntryEdit{QStringLiteral("apples"), {}, {}, {}, 0, 0, 0}));
             s.undo();
             s.redo();
         },
         "English", {"apples"}, 0},
        {"save-as takes the record along",
         [&](lex::BookSession& s) {
             run(s, std::make_unique<lex::PracticeAnswerOp>(apple));
             lextest::writableBook(s).loadFailed = true;   // the save refuses and offers save-as
             lex::SaveQuestions q;
             q.askSaveAs = [](const lex::SaveAsQuestion&) { return true; };
             q.chooseFile = [&](const QString&, lex::SaveFailure) { return folder + QStringLiteral("Saved.idx"); };
             ASSERT_TRUE(s.save(q).ok());
         },
         "Saved", {"apple"}, 0},
        {"another Book lets the last one's record go",
         [&](lex::BookSession& s) {
             ASSERT_TRUE(s.switchBook(folder, QStringLiteral("Other"), true, {}));
             run(s, std::make_unique<lex::PracticeAnswerOp>(lex::PracticeAnswer{1, PracticeMode::Dictate,
                                                                                AnswerOutcome::Right, kStart, 900}));
         },
         "Other", {"pear"}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* name : {"English", "Other", "Saved"})
            QFile::remove(ReviewRecord::fileFor(folder, QString::fromLatin1(name)));
        QFile::remove(folder + QStringLiteral("Saved.idx"));
        QFile::remove(folder + QStringLiteral("Saved.txt"));
        lex::BookSession session;
        session.open(folder, QStringLiteral("English"));
        {
            QStringList told;
            lex::BookRecord record([&told](const lex::RecordFault& f) { told << lex::texts::recordFault(f); });
            record.follow(session);
            // The plan's copy of the record, read before the change, keeps up with it.
            lex::PlanSettings plan;
            plan.since = kStart.date();
            lex::StudyHistory kept;
            ASSERT_TRUE(record.study(session.book(), plan, 0.9, kStart.date(), &kept));
            c.act(session);
            record.checkpoint();
            EXPECT_TRUE(told.isEmpty()) << told.join(u'\n').toStdString();
            ASSERT_TRUE(record.study(session.book(), plan, 0.9, kStart.date(), &kept));
            ReviewRecord fresh;
            lex::StudyState read;
            ASSERT_TRUE(fresh.open(ReviewRecord::fileFor(session.book().path, session.book().name), ReviewRecord::Mode::ReadOnly));
            ASSERT_TRUE(lex::computeStudy(fresh, session.book(), plan, 0.9, kStart.date(), nullptr, &read, false));
            EXPECT_EQ(kept.days.back().answers, read.history.days.back().answers);
            EXPECT_EQ(kept.plan.doneRows, read.history.plan.doneRows);
            EXPECT_EQ(kept.plan.newRows, read.history.plan.newRows);
        }
        ReviewRecord r;
        ASSERT_TRUE(r.open(ReviewRecord::fileFor(folder, QString::fromLatin1(c.book)), ReviewRecord::Mode::ReadOnly));
        QStringList words;
        for (const ReviewRecord::Answer& a : answers(r))
            words << a.key.word;
        QStringList expected;
        for (const char* w : c.answered)
            expected << QString::fromLatin1(w);
        EXPECT_EQ(words, expected);
        int stamps = 0;
        EXPECT_TRUE(r.forEachStamp([&](const ReviewRecord::Stamp&) { return ++stamps, true; }));
        EXPECT_EQ(stamps, c.stamps);
        // The session outlives a record that followed it, and runs on without it.
        run(session, std::make_unique<lex::PracticeAnswerOp>(apple));
    }
}

TEST_F(Record, ThePlansCopyIsReadOnceAndReadAgainAfterAWriteItDidNotSee)
{
    lex::Book book;
    book.path = dir.path() + QLatin1Char('/');
    book.name = QStringLiteral("English");
    for (const EntryKey& k : {kApple, kPear}) {
        auto e = lextest::entry(k.word);
        e->stored.added = k.added;
        book.AddEntry(std::move(e), lex::AddMode::Loaded);
    }
    lex::BookRecord record(nullptr);
    lex::PlanSettings plan;
    plan.since = kStart.date();
    lex::StudyHistory h;
    const auto answersToday = [&] {
        EXPECT_TRUE(record.study(book, plan, 0.9, kStart.date(), &h));
        return h.days.back().answers;
    };
    EXPECT_EQ(answersToday(), 0);
    // Answers the practice gives reach the copy through the listener: no second read.
    record.recordAnswer(book, {0, PracticeMode::Learn, AnswerOutcome::Right, kStart, 900});
    record.recordAnswer(book, {1, PracticeMode::Learn, AnswerOutcome::Wrong, kStart.addSecs(5), 900});
    EXPECT_EQ(answersToday(), 2);
    EXPECT_EQ(record.studyFullReplays(), 1);
    // A merge writes into the record itself (the journal of another machine): read again.
    ASSERT_TRUE(record.record().recordAnswer(kPear, PracticeMode::Dictate, AnswerOutcome::Right, kStart.addSecs(-60), 900));
    EXPECT_EQ(answersToday(), 3);
    EXPECT_EQ(h.plan.doneRows, (std::vector<bool>{true, true}));
}

TEST_F(Record, AReaderBesideAWriterSeesWhatIsCommitted)
{
    ReviewRecord writer, reader;
    ASSERT_TRUE(writer.open(file));
    ASSERT_TRUE(writer.recordAnswer(kApple, PracticeMode::Learn, AnswerOutcome::Right, kStart, 1));
    ASSERT_TRUE(reader.open(file, ReviewRecord::Mode::ReadOnly));
    EXPECT_EQ(answers(reader).size(), 1u);
    ASSERT_TRUE(writer.recordAnswer(kApple, PracticeMode::Learn, AnswerOutcome::Wrong, kStart.addSecs(5), 1));
    EXPECT_EQ(answers(reader).size(), 2u);
    EXPECT_FALSE(reader.recordAnswer(kApple, PracticeMode::Learn, AnswerOutcome::Right, kStart.addSecs(9), 1));
    reader.close();
    writer.close();
    const QStringList files = dir.files();
    ASSERT_TRUE(reader.open(file, ReviewRecord::Mode::ReadOnly));
    EXPECT_EQ(answers(reader).size(), 2u);
    reader.close();
    EXPECT_EQ(dir.files(), files);
    EXPECT_EQ(files, QStringList{"English.review.db"});
}

// A file that is not a record we may write: refused with a message once, never changed, and
// recording goes on failing quietly instead of stopping anything.
// A window closed while its record is read: interrupt() from another thread stops the read under
// way after the row it is at, and every read after it; another reader of the file is not touched.
TEST_F(Record, AnInterruptFromAnotherThreadStopsTheReadUnderWayAndTheReadsAfterIt)
{
    {
        ReviewRecord w;
        ASSERT_TRUE(w.open(file));
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(w.recordAnswer(i % 2 ? kApple : kPear, PracticeMode::Learn, AnswerOutcome::Right,
                                       kStart.addDays(i), 1000));
    }
    ReviewRecord r;
    ASSERT_TRUE(r.open(file, ReviewRecord::Mode::ReadOnly));
    std::promise<void> atFirstRow, interrupted;
    int rows = 0;
    lex::Status read;
    std::thread reader([&] {
        read = r.forEachAnswer([&](const ReviewRecord::Answer&) {
            if (++rows == 1) {
                atFirstRow.set_value();
                interrupted.get_future().wait();
            }
            return true;
        });
    });
    atFirstRow.get_future().wait();
    r.interrupt();
    interrupted.set_value();
    reader.join();
    EXPECT_FALSE(read);
    const QString said = lex::texts::recordFailure(read, r.lastFault());
    EXPECT_TRUE(said.contains(QStringLiteral("已中止"))) << said.toStdString();
    EXPECT_EQ(rows, 1);
    EXPECT_TRUE(r.interrupted());
    lex::ReviewModel model;
    std::vector<ReviewRecord::DayCount> days;
    EXPECT_FALSE(r.loadModel(&model));
    EXPECT_FALSE(r.answersPerDay(0, &days));

    ReviewRecord other;
    ASSERT_TRUE(other.open(file, ReviewRecord::Mode::ReadOnly));
    EXPECT_EQ(answers(other).size(), 3u);
    EXPECT_EQ(memoryOf(other, kApple, Skill::Recognition).answers, 1);
    ASSERT_TRUE(other.answersPerDay(0, &days));
    ASSERT_EQ(days.size(), 3u);
    EXPECT_EQ(days[2].day, int(kStart.date().addDays(2).toJulianDay()));
    EXPECT_EQ(days[2].right, 1);
}

// The answers per day come from the tallies SQLite keeps as answers come and go (here through a
// merge that drops a duplicate), or are counted in a record made before the tallies; opened for
// writing, such a record gets them. The same days every way.
TEST_F(Record, TypedAnswersKeepTheirSpellingGradeAndAnOlderRecordGetsTheTable)
{
    using V = lex::SpellingVerdict;
    const std::optional<V> grades[] = {V::Typo, std::nullopt, V::OtherWord, V::Right, V::Wrong};
    {
        ReviewRecord w;
        ASSERT_TRUE(w.open(file));
        for (size_t i = 0; i < std::size(grades); ++i)
            ASSERT_TRUE(w.recordAnswer(kApple, grades[i] ? PracticeMode::Dictate : PracticeMode::Learn,
                                       grades[i] == V::Right ? AnswerOutcome::Right : AnswerOutcome::Wrong,
                                       kStart.addSecs(int(i) * 60), 1000, grades[i]));
        // The same answer again (a copy made twice) keeps the grade it had.
        ASSERT_TRUE(w.recordAnswer(kApple, PracticeMode::Dictate, AnswerOutcome::Wrong, kStart, 1000, V::Wrong));
    }
    auto spellings = [&] {
        ReviewRecord r;
        EXPECT_TRUE(r.open(file, ReviewRecord::Mode::ReadOnly));
        std::vector<std::optional<V>> out;
        for (const auto& a : answers(r))
            out.push_back(a.spelling);
        return out;
    };
    EXPECT_EQ(spellings(), std::vector<std::optional<V>>(std::begin(grades), std::end(grades)));
    {   // A record of a build before the grades: its answers read without one.
        sqlite3* db = nullptr;
        sqlite3_open(file.toUtf8().constData(), &db);
        ASSERT_EQ(sqlite3_exec(db, "DROP TABLE answer_spelling; DROP TRIGGER answer_spelling_out;", nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
    }
    EXPECT_EQ(spellings(), std::vector<std::optional<V>>(std::size(grades)));
    {   // Opened for writing, it gets the table, and the next grade is kept.
        ReviewRecord w;
        ASSERT_TRUE(w.open(file));
        ASSERT_TRUE(w.recordAnswer(kPear, PracticeMode::Dictate, AnswerOutcome::Wrong, kStart.addDays(1), 1000, V::Typo));
    }
    EXPECT_EQ(spellings().back(), V::Typo);
}

TEST_F(Record, AnswersPerDayAreTheSameFromTheTalliesAndFromARecordMadeBeforeThem)
{
    using Day = std::tuple<int, Skill, int, int>;
    const int day0 = int(kStart.date().toJulianDay());
    struct Case {
        const char* what;
        std::function<void(ReviewRecord&, std::vector<Day>*)> write;
    };
    const Case cases[] = {
        {"answer by answer",
         [&](ReviewRecord& w, std::vector<Day>* want) {
             ASSERT_TRUE(w.recordAnswer(kApple, PracticeMode::Learn, AnswerOutcome::Right, kStart, 1000));
             ASSERT_TRUE(w.recordAnswer(kApple, PracticeMode::Drill, AnswerOutcome::Wrong, kStart.addSecs(60), 1000));
             ASSERT_TRUE(w.recordAnswer(kPear, PracticeMode::Learn, AnswerOutcome::Right, kStart, 1000)); // apple's twin
             ASSERT_TRUE(w.recordAnswer(kPear, PracticeMode::Dictate, AnswerOutcome::DontKnow, kStart.addDays(1), 1000));
             ASSERT_TRUE(w.recordAnswer(kPear, PracticeMode::Learn, AnswerOutcome::Right, kStart.addDays(2), 1000));
             ASSERT_TRUE(w.renameEntry(kPear, kApple));
             *want = {{day0, Skill::Recognition, 1, 1}, {day0 + 1, Skill::Spelling, 0, 1}, {day0 + 2, Skill::Recognition, 1, 0}};
         }},
        {"a batch large enough to be tallied at its end, some answers twice",
         [&](ReviewRecord& w, std::vector<Day>* want) {
             ASSERT_TRUE(w.recordAnswer(kApple, PracticeMode::Learn, AnswerOutcome::Right, kStart, 1000));
             std::map<std::pair<int, Skill>, std::pair<int, int>> counted{{{day0, Skill::Recognition}, {1, 0}}};
             int n = 0, unique = 0, given = -1;
             std::map<std::pair<QString, Skill>, lex::SkillMemory> memory;
             const lex::FsrsScheduler scheduler;
             const int64_t start = lex::localMs(kStart);
             ASSERT_TRUE(w.recordAnswers([&](ReviewRecord::NewAnswer* a) {
                 if (n == 3000)
                     return false;
                 const int i = n % 7 == 6 ? n - 1 : n; // every seventh the one before again
                 ++n;
                 *a = {{QStringLiteral("w%1").arg(i % 50), {}}, PracticeMode(i % 4), AnswerOutcome(i % 3),
                       start + int64_t(i) * 150'000, 900};
                 if (i == n - 1) {
                     auto& [right, wrong] = counted[{lex::localDay(a->at), lex::skillOf(a->mode)}];
                     ++(a->outcome == AnswerOutcome::Right ? right : wrong);
                     ++unique;
                     // The memory each answer makes, replayed here.
                     lex::SkillMemory& m = memory[{a->key.word, lex::skillOf(a->mode)}];
                     const int day = lex::localDay(a->at);
                     m.state = scheduler.review(m.state, day - m.lastDay, lex::gradeOf(a->outcome)).after;
                     m.lastDay = day;
                     ++m.answers;
                 }
                 return true;
             }, &given));
             EXPECT_EQ(given, unique) << "the answers not recorded before";
             for (const auto& [key, want] : memory) {
                 const lex::SkillMemory got = memoryOf(w, {key.first, {}}, key.second);
                 EXPECT_EQ(got.answers, want.answers) << key.first.toStdString();
                 EXPECT_EQ(got.lastDay, want.lastDay) << key.first.toStdString();
                 EXPECT_DOUBLE_EQ(got.state.stability, want.state.stability) << key.first.toStdString();
                 EXPECT_DOUBLE_EQ(got.state.difficulty, want.state.difficulty) << key.first.toStdString();
             }
             for (const auto& [key, c] : counted)
                 want->push_back({key.first, key.second, c.first, c.second});
             std::sort(want->begin(), want->end());
         }},
    };
    for (const Case& c : cases) {
        const QString file = dir.path() + QStringLiteral("/%1.review.db").arg(&c - cases);
        std::vector<Day> want;
        {
            ReviewRecord w;
            ASSERT_TRUE(w.open(file));
            c.write(w, &want);
        }
        auto days = [&](ReviewRecord::Mode mode) {
            ReviewRecord r;
            std::vector<ReviewRecord::DayCount> got;
            EXPECT_TRUE(r.open(file, mode));
            EXPECT_TRUE(r.answersPerDay(day0 - 10, &got));
            std::vector<Day> out;
            for (const auto& d : got)
                out.push_back({d.day, d.skill, d.right, d.wrong});
            std::sort(out.begin(), out.end());
            return out;
        };
        auto tables = [&] {
            sqlite3* db = nullptr;
            int n = -1;
            sqlite3_open(file.toUtf8().constData(), &db);
            sqlite3_exec(db, "SELECT count(*) FROM sqlite_schema WHERE name LIKE 'answer_days%'",
                         [](void* p, int, char** v, char**) { *static_cast<int*>(p) = atoi(v[0]); return 0; }, &n, nullptr);
            sqlite3_close(db);
            return n;
        };
        EXPECT_EQ(days(ReviewRecord::Mode::ReadOnly), want) << c.what << ": tallied";
        ASSERT_EQ(tables(), 4) << c.what;
        {
            sqlite3* db = nullptr;
            sqlite3_open(file.toUtf8().constData(), &db);
            ASSERT_EQ(sqlite3_exec(db, "DROP TABLE answer_days; DROP TRIGGER answer_days_in; DROP TRIGGER answer_days_out;"
                                       "DROP TRIGGER answer_days_moved;", nullptr, nullptr, nullptr), SQLITE_OK);
            sqlite3_close(db);
        }
        EXPECT_EQ(days(ReviewRecord::Mode::ReadOnly), want) << c.what << ": counted";
        EXPECT_EQ(tables(), 0) << c.what << ": a reader changes nothing";
        EXPECT_EQ(days(ReviewRecord::Mode::ReadWrite), want) << c.what << ": tallied anew";
        EXPECT_EQ(tables(), 4) << c.what;
    }
}

TEST_F(Record, RefusesWhatItMustNotWriteAndSaysSoOnce)
{
    auto sqliteFile = [this](const char* sql) {
        sqlite3* db = nullptr;
        sqlite3_open(QFile::encodeName(file).constData(), &db);
        sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
        sqlite3_close(db);
    };
    const struct {
        const char* name;
        std::function<void()> make;
        const char* says;
    } cases[] = {
        {"damaged", [&] { dir.write(QStringLiteral("English.review.db"), QByteArray(8192, 'x')); }, "已损坏"},
        {"newer", [&] { sqliteFile("PRAGMA application_id=1282953846; PRAGMA user_version=2; CREATE TABLE t(x);"); },
         "较新版本"},
        {"foreign", [&] { sqliteFile("CREATE TABLE notes(x); INSERT INTO notes VALUES(1);"); }, "不是本程序"},
        {"folder", [&] { QDir().mkpath(file); }, "无法打开"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(file);
        QDir(file).removeRecursively();
        c.make();
        const QByteArray before = QFileInfo(file).isFile() ? dir.read(QStringLiteral("English.review.db")) : QByteArray();
        ReviewRecord r;
        const lex::Status opened = r.open(file);
        EXPECT_FALSE(opened);
        const std::optional<lex::RecordFault> fault = r.lastFault();
        ASSERT_TRUE(fault);
        const QString said = lex::texts::recordFault(*fault);
        EXPECT_TRUE(said.contains(QString::fromUtf8(c.says))) << said.toStdString();
        EXPECT_TRUE(said.contains(file)) << said.toStdString();
        EXPECT_FALSE(r.recordAnswer(kApple, PracticeMode::Learn, AnswerOutcome::Right, kStart, 1));
        EXPECT_FALSE(r.recordStamp(kApple, lex::StampKind::Space, kStart));
        const auto told = r.takeFirstFault();
        ASSERT_TRUE(told);
        EXPECT_EQ(*told, *fault);
        EXPECT_FALSE(r.takeFirstFault()) << "told once";
        r.close();
        if (!before.isEmpty())
            EXPECT_EQ(dir.read(QStringLiteral("English.review.db")), before);
    }
}

TEST_F(Record, ALockedRecordLosesTheAnswerNotThePractice)
{
    ReviewRecord r;
    ASSERT_TRUE(r.open(file));
    ASSERT_TRUE(r.recordAnswer(kApple, PracticeMode::Learn, AnswerOutcome::Right, kStart, 1));
    sqlite3* other = nullptr;
    sqlite3_open(QFile::encodeName(file).constData(), &other);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    const lex::Status locked = r.recordAnswer(kApple, PracticeMode::Learn, AnswerOutcome::Right, kStart.addSecs(60), 1);
    EXPECT_FALSE(locked);
    const QString said = lex::texts::recordFailure(locked, r.lastFault());
    EXPECT_TRUE(said.contains(QStringLiteral("占用"))) << said.toStdString();
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_TRUE(r.recordAnswer(kApple, PracticeMode::Learn, AnswerOutcome::Right, kStart.addSecs(120), 1))
        << "a lock that is gone is no lasting fault";
    EXPECT_EQ(answers(r).size(), 2u);
}

// A run killed with SIGKILL between any two instructions: every answer it had finished is there,
// and the record opens clean.
TEST_F(Record, KillDuringARunLosesAtMostTheAnswerBeingWritten)
{
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(pipeFds[0]);
        ReviewRecord r;
        if (!r.open(file))
            ::_exit(3);
        for (int i = 1;; ++i) {
            const EntryKey k{QStringLiteral("w%1").arg(i % 50), kApple.added};
            if (!r.recordAnswer(k, PracticeMode::Learn, AnswerOutcome(i % 3), kStart.addMSecs(i), i))
                ::_exit(4);
            if (::write(pipeFds[1], &i, sizeof i) != sizeof i)
                ::_exit(5);
        }
    }
    ::close(pipeFds[1]);
    int done = 0, n = 0;
    while (done < 300 && ::read(pipeFds[0], &n, sizeof n) == sizeof n)
        done = n;
    ::kill(child, SIGKILL);
    while (::read(pipeFds[0], &n, sizeof n) == sizeof n)
        done = n;
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended by itself with " << WEXITSTATUS(status);

    ReviewRecord r;
    ASSERT_TRUE(r.open(file));
    const size_t kept = answers(r).size();
    EXPECT_GE(kept, size_t(done));
    EXPECT_LE(kept, size_t(done) + 1);
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(file).constData(), &db);
    sqlite3_stmt* check = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr);
    ASSERT_EQ(sqlite3_step(check), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok");
    sqlite3_finalize(check);
    sqlite3_close(db);
}

} // namespace
