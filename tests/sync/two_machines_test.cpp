// Two machines that study apart and merge through a folder that a sync tool carries badly: files
// arrive out of order, half-written first, and as conflict copies. In the end both hold the same
// Book and the same record, and no answer is lost. And the faults of the folder: a write killed
// half way, a full disk, a folder that is read-only or gone.
#include "fault_env.h"
#include "temp_dir.h"
#include "tool_run.h"

#include "lexora/book/book_file.h"
#include "lexora/book/book_session.h"
#include "lexora/book/operations/degree_ops.h"
#include "lexora/book/operations/entry_ops.h"
#include "lexora/record/book_record.h"
#include "lexora/record/review_record.h"
#include "lexora/sync/book_sync.h"
#include "lexora/sync/book_syncer.h"
#include "lexora/sync/journal_folder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <random>
#include <string>
#include <unistd.h>
#include <sys/wait.h>
#include <csignal>

namespace {

using namespace lex;
using namespace lex::sync;

constexpr int64_t kStart = 1'780'000'000'000; // a Monday morning, ms

// One machine: its Book folder, its view of the synced folder, the open session and record.
struct Machine {
    QString name;
    QString bookFolder;
    QString syncFolder;
    int64_t skewMs = 0;
    Env* env = Env::defaultEnv();
    BookSession session;
    BookRecord record{[](const RecordFault&) {}};
    SyncJournal journal;
    int answerSerial = 0;
    int compactAfter = 1000;

    Machine(QString n, QString book, QString folder, int64_t skew)
        : name(std::move(n)), bookFolder(std::move(book)), syncFolder(std::move(folder)), skewMs(skew)
    {
        QDir().mkpath(bookFolder);
        QDir().mkpath(syncFolder);
        record.follow(session);
        session.addListener(&journal);
        session.open(bookFolder, QStringLiteral("English"));
        record.record().open(ReviewRecord::fileFor(bookFolder, QStringLiteral("English")));
    }

    SyncReport sync(int64_t now)
    {
        SyncOptions o;
        o.folder = syncFolder;
        o.machine = name;
        o.wallMs = now + skewMs;
        o.compactAfter = compactAfter;
        return syncBook(session, &record.record(), &journal, env, o, [&] { return session.save(SaveQuestions{}).ok(); });
    }
};

// Everything a Book holds that must agree: each entry's fields, in a stable order.
QStringList bookLines(const Book& b)
{
    QStringList lines;
    for (const WordEntry* e : b.full()) {
        const EntryValues v = EntryValues::of(*e);
        QString line = v.texts[0];
        for (int t = 1; t < kTextFieldCount; ++t)
            line += QLatin1Char('|') + v.texts[size_t(t)];
        line += QStringLiteral("|%1,%2,%3|%4|%5")
                    .arg(v.degrees[0])
                    .arg(v.degrees[1])
                    .arg(v.degrees[2])
                    .arg(packedTime(v.review))
                    .arg(packedTime(v.added));
        lines << line;
    }
    lines.sort();
    return lines;
}

QStringList recordLines(ReviewRecord& r)
{
    QStringList lines;
    r.forEachAnswer([&](const ReviewRecord::Answer& a) {
        lines << QStringLiteral("%1|%2|%3|%4|%5|%6")
                     .arg(a.key.word)
                     .arg(packedTime(a.key.added))
                     .arg(int(a.mode))
                     .arg(int(a.outcome))
                     .arg(a.at)
                     .arg(a.durationMs);
        return true;
    });
    lines.sort();
    return lines;
}

// The sync tool between the two views of the folder: it carries each new file late, in any order,
// sometimes half of it first, sometimes as a conflict copy beside it.
class Carrier {
public:
    explicit Carrier(uint32_t seed) : rng_(seed) {}

    // Picks up what is new in `from` for `to`.
    void pickUp(const QString& from, const QString& to)
    {
        for (const QString& name : QDir(from).entryList(QDir::Files)) {
            const QString key = from + name;
            if (!name.endsWith(QLatin1String(".lxj")) || seen_.contains(key))
                continue;
            seen_.insert(key);
            QFile f(from + name);
            f.open(QIODevice::ReadOnly);
            pending_.push_back({to, name, f.readAll(), false});
        }
    }
    // Delivers some of what it carries; `all` delivers everything, whole.
    void deliver(bool all)
    {
        std::shuffle(pending_.begin(), pending_.end(), rng_);
        std::vector<Item> later;
        for (Item& it : pending_) {
            const unsigned dice = rng_() % 8;
            if (!all && dice < 3) {
                later.push_back(std::move(it));
                continue;
            }
            if (!all && dice == 3 && !it.halfSent) {
                // Half of it now, the rest later (a copy in progress, a stick pulled too soon).
                write(it.to + it.name, it.bytes.left(it.bytes.size() / 2));
                it.halfSent = true;
                later.push_back(std::move(it));
                continue;
            }
            write(it.to + it.name, it.bytes);
            if (dice == 4) {
                ++conflicts_;
                const QString stem = it.name.chopped(4);
                write(it.to + stem + QStringLiteral(".sync-conflict-20261209-101010-ABC%1.lxj").arg(conflicts_), it.bytes);
                write(it.to + stem + QStringLiteral(" (conflicted copy 2026-12-09 %1).lxj").arg(conflicts_), it.bytes);
            }
        }
        pending_ = std::move(later);
    }
    int conflicts() const { return conflicts_; }

private:
    struct Item {
        QString to, name;
        QByteArray bytes;
        bool halfSent;
    };
    static void write(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(bytes);
    }
    std::mt19937 rng_;
    QSet<QString> seen_;
    std::vector<Item> pending_;
    int conflicts_ = 0;
};

// A week of one machine's study between two merges: edits through the session's operations,
// answers into the record.
void study(Machine& m, std::mt19937& rng, int edits, int answers, int64_t now, const QStringList& vocabulary)
{
    const Book& b = m.session.book();
    for (int i = 0; i < edits; ++i) {
        const int rows = b.size();
        const unsigned what = rows < 5 ? 0 : rng() % 10;
        const int row = rows ? int(rng() % unsigned(rows)) : 0;
        if (what <= 2) {
            const QString w = vocabulary[int(rng() % unsigned(vocabulary.size()))];
            auto e = std::make_unique<WordEntry>();
            e->setWord(w);
            e->setExplanation(QStringLiteral("说明 %1").arg(rng() % 5));
            e->stored.added = toEntryTime(QDateTime::fromMSecsSinceEpoch(now + m.skewMs + i * 60000));
            e->stored.review = e->stored.added;
            e->stored.recognition = e->stored.spelling = e->stored.listening = 10;
            m.session.run(std::make_unique<AddOp>(std::move(e)));
        } else if (what <= 5) {
            const WordEntry* e = b.atView(row);
            EntryEdit edit{e->word().toString(), e->phonetic().toString(), e->explanation().toString(),
                           e->comment().toString(), e->stored.recognition, e->stored.spelling, e->stored.listening};
            switch (rng() % 4) {
            case 0: edit.word = vocabulary[int(rng() % unsigned(vocabulary.size()))] + QStringLiteral("s"); break;
            case 1: edit.explanation = QStringLiteral("解释 %1 %2").arg(m.name).arg(rng() % 100); break;
            case 2: edit.comment = QStringLiteral("note %1").arg(rng() % 100); break;
            default: edit.phonetic = QStringLiteral("[%1]").arg(rng() % 100);
            }
            m.session.run(std::make_unique<ModifyOp>(row, edit));
        } else if (what <= 7) {
            m.session.run(std::make_unique<StrangenessOp>(std::vector<int>{row}, Degree(1 + rng() % 3),
                                                          DegreeChange::to(uint8_t(rng() % 11))));
        } else if (what == 8) {
            m.session.run(std::make_unique<ClassNameOp>(std::vector<int>{row}, QStringLiteral("第%1课").arg(rng() % 4)));
        } else {
            m.session.run(std::make_unique<DeleteOp>(std::vector<int>{row}));
        }
    }
    for (int i = 0; i < answers && b.size() > 0; ++i) {
        const WordEntry* e = b.atView(int(rng() % unsigned(b.size())));
        // Each machine's answers at its own milliseconds: no two answers of the week coincide.
        const int64_t at = now + m.skewMs + int64_t(++m.answerSerial) * 2 + (m.skewMs ? 1 : 0);
        m.record.record().recordAnswer(EntryKey::of(*e), PracticeMode(rng() % 4), AnswerOutcome(rng() % 3),
                                       fromLocalMs(at), int(rng() % 9000));
    }
}

TEST(TwoMachines, AWeekApartThroughABadlyCarriedFolderEndsInOneBookAndOneRecord)
{
    lextest::TempDir dir;
    QStringList vocabulary;
    for (int i = 0; i < 400; ++i)
        vocabulary << QStringLiteral("word%1").arg(i);
    // The desk's clock is six minutes ahead of the laptop's.
    Machine laptop(QStringLiteral("laptop"), dir.path(QStringLiteral("laptop/Book/")), dir.path(QStringLiteral("laptop/Sync/")), 0);
    Machine desk(QStringLiteral("desk"), dir.path(QStringLiteral("desk/Book/")), dir.path(QStringLiteral("desk/Sync/")), 6 * 60000);
    Carrier carrier(42);
    std::mt19937 rng(7);
    const QString lapJournal = journalFolder(laptop.syncFolder, QStringLiteral("English"));
    const QString deskJournal = journalFolder(desk.syncFolder, QStringLiteral("English"));
    QDir().mkpath(lapJournal);
    QDir().mkpath(deskJournal);
    int answersMade = 0;
    int64_t now = kStart;
    const int rounds = 20;
    for (int round = 0; round < rounds; ++round) {
        for (Machine* m : {&laptop, &desk}) {
            study(*m, rng, 1000 / rounds, 5000 / rounds, now, vocabulary);
            answersMade += 5000 / rounds;
            now += 3600'000;
            const SyncReport r = m->sync(now);
            ASSERT_TRUE(r.status) << r.status.message().toStdString();
            EXPECT_TRUE(r.foreign.isEmpty());
        }
        carrier.pickUp(lapJournal, deskJournal);
        carrier.pickUp(deskJournal, lapJournal);
        carrier.deliver(false);
    }
    // Quiet at last: everything arrives, both merge until nothing moves.
    for (int settle = 0; settle < 3; ++settle) {
        now += 60000;
        laptop.sync(now);
        desk.sync(now);
        carrier.pickUp(lapJournal, deskJournal);
        carrier.pickUp(deskJournal, lapJournal);
        carrier.deliver(true);
    }
    EXPECT_GT(carrier.conflicts(), 0);
    const QStringList lapBook = bookLines(laptop.session.book()), deskBook = bookLines(desk.session.book());
    EXPECT_GT(lapBook.size(), 50);
    EXPECT_TRUE(lapBook == deskBook);
    const QStringList lapLog = recordLines(laptop.record.record()), deskLog = recordLines(desk.record.record());
    EXPECT_EQ(lapLog.size(), answersMade);
    EXPECT_TRUE(lapLog == deskLog);
    if (lapLog != deskLog) {
        int shown = 0;
        for (const QString& l : lapLog)
            if (!deskLog.contains(l) && shown++ < 5)
                ADD_FAILURE() << "laptop only " << l.toStdString();
        shown = 0;
        for (const QString& l : deskLog)
            if (!lapLog.contains(l) && shown++ < 5)
                ADD_FAILURE() << "desk only " << l.toStdString();
    }

    // What each saved is what it holds.
    Book reread;
    BookSession check;
    check.open(desk.bookFolder, QStringLiteral("English"));
    EXPECT_EQ(bookLines(check.book()), deskBook);
}

// The same word added on both machines while apart is one entry, its answers from both together.
TEST(TwoMachines, TheSameWordAddedOnBothIsOneEntry)
{
    lextest::TempDir dir;
    const QString shared = dir.path(QStringLiteral("Sync/"));
    Machine a(QStringLiteral("a"), dir.path(QStringLiteral("a/")), shared, 0);
    Machine b(QStringLiteral("b"), dir.path(QStringLiteral("b/")), shared, 0);
    for (Machine* m : {&a, &b}) {
        auto e = std::make_unique<WordEntry>();
        e->setWord(QStringLiteral("apple"));
        e->setExplanation(QStringLiteral("from ") + m->name);
        e->stored.added = toEntryTime(QDateTime::fromMSecsSinceEpoch(kStart + (m == &a ? 0 : 120000)));
        m->session.run(std::make_unique<AddOp>(std::move(e)));
        m->record.record().recordAnswer(EntryKey::of(*m->session.book().full()[0]), PracticeMode::Learn,
                                        AnswerOutcome::Right, fromLocalMs(kStart + (m == &a ? 10 : 20)), 100);
    }
    a.sync(kStart + 1000);
    b.sync(kStart + 2000);
    a.sync(kStart + 3000);
    ASSERT_EQ(a.session.book().size(), 1);
    EXPECT_EQ(bookLines(a.session.book()), bookLines(b.session.book()));
    EXPECT_EQ(a.session.book().full()[0]->explanation(), QStringLiteral("from b"));
    EXPECT_EQ(recordLines(a.record.record()).size(), 2);
    EXPECT_EQ(recordLines(a.record.record()), recordLines(b.record.record()));
}

// A merge reads whole only the files it has not read before and adds what it changed to the state
// beside the Book rather than writing that anew. The journal compacted on the way keeps every
// answer; a state whose last addition a crash cut short, or one an older build wrote, is taken up
// again, and nothing is sent twice that need not be.
TEST(TwoMachines, EachMergeReadsAndWritesOnlyWhatIsNew)
{
    lextest::TempDir dir;
    const QString shared = dir.path(QStringLiteral("Sync/"));
    // A new word and an answer to it.
    auto practise = [](Machine& m, int i) {
        const QString word = QStringLiteral("w%1").arg(i);
        auto e = std::make_unique<WordEntry>();
        e->setWord(word);
        e->stored.added = toEntryTime(QDateTime::fromMSecsSinceEpoch(kStart + i * 60000));
        m.session.run(std::make_unique<AddOp>(std::move(e)));
        for (const WordEntry* entry : m.session.book().full())
            if (entry->word() == word)
                m.record.record().recordAnswer(EntryKey::of(*entry), PracticeMode::Learn, AnswerOutcome::Right,
                                               fromLocalMs(kStart + i * 60000 + 1), 500);
    };
    Machine a(QStringLiteral("a"), dir.path(QStringLiteral("a/")), shared, 0);
    a.compactAfter = 2;
    int compacted = 0;
    for (int i = 0; i < 6; ++i) {
        practise(a, i);
        const SyncReport r = a.sync(kStart + 10'000 * (i + 1));
        ASSERT_TRUE(r.status) << r.status.message().toStdString();
        compacted += r.compacted;
    }
    EXPECT_GT(compacted, 0);
    Machine b(QStringLiteral("b"), dir.path(QStringLiteral("b/")), shared, 0);
    const SyncReport joined = b.sync(kStart + 100'000);
    ASSERT_TRUE(joined.status);
    EXPECT_EQ(b.session.book().size(), 6);
    EXPECT_EQ(recordLines(b.record.record()).size(), 6u) << "the compacted journal kept every answer";

    // Nothing new: no file of the folder is read past its header, nothing is written.
    const QString state = mergedStateFile(b.bookFolder, QStringLiteral("English"));
    lextest::FaultEnv faults;
    faults.failReads(QStringLiteral(".lxj"), kJournalHeaderSize);
    b.env = &faults;
    SyncReport r = b.sync(kStart + 110'000);
    EXPECT_TRUE(r.status) << r.status.message().toStdString();
    EXPECT_EQ(r.incomplete, QStringList());
    EXPECT_EQ(r.filesRead, joined.filesRead);
    EXPECT_EQ(r.sentEdits + r.sentEvents + r.events, 0);
    EXPECT_EQ(faults.log(), QStringList());

    // Something new here: it goes out, and the state grows by an addition.
    practise(b, 10);
    r = b.sync(kStart + 120'000);
    EXPECT_TRUE(r.status) << r.status.message().toStdString();
    EXPECT_EQ(r.sentEvents, 1);
    EXPECT_TRUE(faults.log().contains(QStringLiteral("open for appending ") + state)) << faults.log().join('\n').toStdString();
    for (const QString& step : faults.log())
        EXPECT_FALSE(step.endsWith(QStringLiteral("-> ") + state)) << "written anew: " << step.toStdString();

    // Its last addition cut short: taken up from what is whole, written anew, nothing lost.
    b.env = Env::defaultEnv();
    practise(a, 20);
    ASSERT_TRUE(a.sync(kStart + 130'000).status);
    QFile::resize(state, QFileInfo(state).size() - 3);
    r = b.sync(kStart + 140'000);
    EXPECT_TRUE(r.status) << r.status.message().toStdString();
    EXPECT_EQ(r.added, 1);
    auto stateRead = [&] {
        QFile f(state);
        f.open(QIODevice::ReadOnly);
        MergedState merged;
        MergedStateRead how;
        EXPECT_EQ(parseMergedState(f.readAll(), &merged, &how), ReadResult::Ok);
        return std::make_pair(std::move(merged), how);
    };
    EXPECT_FALSE(stateRead().second.cut);
    ASSERT_TRUE(a.sync(kStart + 150'000).status);
    EXPECT_EQ(bookLines(a.session.book()), bookLines(b.session.book()));
    EXPECT_EQ(recordLines(a.record.record()), recordLines(b.record.record()));
    EXPECT_EQ(recordLines(a.record.record()).size(), 8u);

    // An older build's state: the whole of it with every event, as one journal file.
    auto [merged, how] = stateRead();
    JournalState old = merged.state;
    for (const JournalFile& f : readJournalFolder(Env::defaultEnv(), journalFolder(shared, QStringLiteral("English"))).files)
        for (const Record& rec : f.records)
            if (rec.kind == Record::Kind::Answer)
                old.apply(rec);
    {
        QFile f(state);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(encodeJournal({QStringLiteral("b"), QStringLiteral("English"), merged.nextSeq, true, old.records()}, true));
    }
    r = b.sync(kStart + 160'000);
    EXPECT_TRUE(r.status) << r.status.message().toStdString();
    EXPECT_EQ(r.sentEdits + r.sentEvents + r.events + r.added + r.changed, 0);
    EXPECT_FALSE(stateRead().second.oldForm);
}

// The folder fails in each way a learner meets: the Book is saved all the same, the failure is
// reported (once, by the caller), and a later merge sends what could not go.
TEST(SyncFaults, TheFolderFailsTheBookIsSavedAndNothingIsLost)
{
    struct Case {
        const char* what;
        lextest::FaultEnv::Mode mode;
        bool removeFolder;
    };
    const Case cases[] = {
        {"a full disk: the journal write fails", lextest::FaultEnv::Mode::Fail, false},
        {"killed during the journal write", lextest::FaultEnv::Mode::Crash, false},
        {"the stick is pulled out", lextest::FaultEnv::Mode::Fail, true},
    };
    for (const Case& c : cases) {
        for (int k = 1; k < 8; ++k) {
            lextest::TempDir dir;
            const QString shared = dir.path(QStringLiteral("Sync/"));
            Machine a(QStringLiteral("a"), dir.path(QStringLiteral("a/")), shared, 0);
            auto e = std::make_unique<WordEntry>();
            e->setWord(QStringLiteral("apple"));
            e->stored.added = toEntryTime(QDateTime::fromMSecsSinceEpoch(kStart));
            a.session.run(std::make_unique<AddOp>(std::move(e)));
            lextest::FaultEnv faults;
            a.env = &faults;
            if (c.removeFolder)
                QDir(shared).removeRecursively();
            else
                faults.breakAt(k, c.mode);
            const SyncReport r = a.sync(kStart + 1000);
            // Every file the folder holds is whole: the old one or none, never half.
            const QString journal = journalFolder(shared, QStringLiteral("English"));
            for (const QString& name : QDir(journal).entryList({QStringLiteral("*.lxj")}, QDir::Files)) {
                QFile f(journal + name);
                f.open(QIODevice::ReadOnly);
                JournalFile parsed;
                EXPECT_EQ(parseJournal(f.readAll(), &parsed), ReadResult::Ok) << c.what << " at " << k;
            }
            if (faults.crashed())
                continue; // the process is gone: what it saved is the old Book, tested by the saves' own tests
            // The Book was saved whatever became of the folder.
            BookSession reread;
            reread.open(a.bookFolder, QStringLiteral("English"));
            EXPECT_EQ(reread.book().size(), 1) << c.what << " at " << k;
            if (!r.status)
                EXPECT_EQ(r.sentFile, QString()) << c.what;
            // The folder back and working: the next merge sends what did not go.
            QDir().mkpath(shared);
            a.env = Env::defaultEnv();
            a.sync(kStart + 2000);
            Machine b(QStringLiteral("b"), dir.path(QStringLiteral("b/")), shared, 0);
            b.sync(kStart + 3000);
            EXPECT_EQ(b.session.book().size(), 1) << c.what << " at " << k;
            if (c.removeFolder)
                break;
        }
    }
}

// A crash between saving the Book and writing the merged state beside it: the Book holds what came
// in, the state does not know it came. What came in (an edit, a deletion) is no change of this
// machine's and goes out no later than it was made, so that a later edit made elsewhere in the
// meantime still wins everywhere.
TEST(SyncFaults, AStateLostAfterTheBookWasSavedSendsNothingStale)
{
    enum class Lost { Missing, Older, Cut };
    struct Case {
        const char* what;
        Lost lost;
        bool deleted;  // B deletes the word rather than edit it
    };
    const Case cases[] = {
        {"the state never written", Lost::Missing, false},
        {"the state as it was before the merge", Lost::Older, false},
        {"the state's last addition cut short", Lost::Cut, false},
        {"the state as it was before the merge, the word deleted", Lost::Older, true},
        {"the state's last addition cut short, the word deleted", Lost::Cut, true},
    };
    auto rowOf = [](Machine& m, const QString& word) {
        for (int r = 0; r < m.session.book().size(); ++r)
            if (m.session.book().atView(r)->word() == word)
                return r;
        return -1;
    };
    const QString apple = QStringLiteral("apple");
    auto explain = [&](Machine& m, const QString& text) {
        const int row = rowOf(m, apple);
        const WordEntry* e = m.session.book().atView(row);
        EntryEdit edit{e->word().toString(), e->phonetic().toString(), text, e->comment().toString(),
                       e->stored.recognition, e->stored.spelling, e->stored.listening};
        m.session.run(std::make_unique<ModifyOp>(row, edit));
    };
    for (const Case& c : cases) {
        lextest::TempDir dir;
        const QString shared = dir.path(QStringLiteral("Sync/"));
        auto a = std::make_unique<Machine>(QStringLiteral("a"), dir.path(QStringLiteral("a/")), shared, 0);
        Machine b(QStringLiteral("b"), dir.path(QStringLiteral("b/")), shared, 0);
        Machine m3(QStringLiteral("c"), dir.path(QStringLiteral("c/")), shared, 0);
        for (const QString& word : {apple, QStringLiteral("pear")}) {
            auto e = std::make_unique<WordEntry>();
            e->setWord(word);
            e->setExplanation(QStringLiteral("first"));
            e->stored.added = toEntryTime(QDateTime::fromMSecsSinceEpoch(kStart + (word == apple ? 0 : 60000)));
            a->session.run(std::make_unique<AddOp>(std::move(e)));
        }
        ASSERT_TRUE(a->sync(kStart + 100'000).status);
        ASSERT_TRUE(b.sync(kStart + 200'000).status);
        ASSERT_TRUE(m3.sync(kStart + 250'000).status);
        if (c.deleted)
            b.session.run(std::make_unique<DeleteOp>(std::vector<int>{rowOf(b, apple)}));
        else
            explain(b, QStringLiteral("from b"));
        ASSERT_TRUE(b.sync(kStart + 300'000).status);

        // A takes B's change in, saves its Book, and crashes before its state is written whole.
        const QString state = mergedStateFile(a->bookFolder, QStringLiteral("English"));
        QFile before(state);
        ASSERT_TRUE(before.open(QIODevice::ReadOnly));
        const QByteArray older = before.readAll();
        before.close();
        ASSERT_TRUE(a->sync(kStart + 400'000).status);
        ASSERT_EQ(rowOf(*a, apple) < 0, c.deleted) << c.what;
        if (c.lost == Lost::Missing) {
            QFile::remove(state);
        } else if (c.lost == Lost::Older) {
            QFile f(state);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(older);
        } else {
            ASSERT_GT(QFileInfo(state).size(), older.size()) << "the merge appended to the state";
            QFile::resize(state, QFileInfo(state).size() - 3);
        }
        a.reset();

        // Meanwhile C, which has not seen B's change, edits the word later.
        explain(m3, QStringLiteral("from c"));
        ASSERT_TRUE(m3.sync(kStart + 500'000).status);

        a = std::make_unique<Machine>(QStringLiteral("a"), dir.path(QStringLiteral("a/")), shared, 0);
        ASSERT_TRUE(a->sync(kStart + 600'000).status) << c.what;
        ASSERT_TRUE(b.sync(kStart + 700'000).status);
        ASSERT_TRUE(m3.sync(kStart + 800'000).status);
        ASSERT_TRUE(a->sync(kStart + 900'000).status);
        for (Machine* m : {a.get(), &b, &m3}) {
            const int row = rowOf(*m, apple);
            EXPECT_GE(row, 0) << c.what << ": gone on " << m->name.toStdString();
            if (row < 0)
                continue;
            EXPECT_EQ(m->session.book().atView(row)->explanation().toString().toStdString(), "from c")
                << c.what << " on " << m->name.toStdString();
        }
        EXPECT_EQ(bookLines(a->session.book()), bookLines(b.session.book())) << c.what;
        EXPECT_EQ(bookLines(a->session.book()), bookLines(m3.session.book())) << c.what;
    }
}

// A folder the program may not write in: practice and saving go on, the learner is told once, and
// what stayed behind goes out once it can. The folder made read-only by its owner (which root
// writes in all the same, so that row needs another user), and refused by the system to anyone:
// a file system mounted read-only, a folder without the right to write.
TEST(SyncFaults, AReadOnlyFolderIsReportedAndPracticeGoesOn)
{
    struct Case {
        const char* what;
        int err; // 0: the folder's own rights
    };
    const Case cases[] = {{"made read-only by its owner", 0},
                          {"on a file system mounted read-only", EROFS},
                          {"without the right to write", EACCES}};
    for (const Case& c : cases) {
        lextest::TempDir dir;
        const QString shared = dir.path(QStringLiteral("Sync/"));
        const QString bookFolder = dir.path(QStringLiteral("a/"));
        QDir().mkpath(shared);
        QDir().mkpath(bookFolder);
        BookSession session;
        BookRecord record{[](const RecordFault&) {}};
        record.follow(session);
        session.open(bookFolder, QStringLiteral("English"));
        lextest::FaultEnv faults;
        BookSyncer syncer(session, record, &faults);
        syncer.setSettings({shared, QStringLiteral("a")});
        auto save = [&] { return session.save(SaveQuestions{}).ok(); };
        auto add = [&](const char* word) {
            auto e = std::make_unique<WordEntry>();
            e->setWord(QString::fromLatin1(word));
            session.run(std::make_unique<AddOp>(std::move(e)));
        };
        add("apple");
        if (c.err == 0) {
            QFile::setPermissions(shared, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            if (QFile f(shared + QStringLiteral("probe")); f.open(QIODevice::WriteOnly)) {
                QFile::setPermissions(shared, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
                std::printf("%s: not tried, running with rights over every folder\n", c.what);
                continue;
            }
        } else {
            faults.refuseWritesUnder(shared, c.err);
        }
        EXPECT_FALSE(syncer.merge(save).fault.isEmpty()) << c.what;
        // Practice and saving go on; the folder is not named again while it stays as it is.
        EXPECT_TRUE(record.record().recordAnswer({QStringLiteral("apple"), {}}, PracticeMode::Learn, AnswerOutcome::Right,
                                                 fromLocalMs(kStart), 800))
            << c.what;
        add("pear");
        EXPECT_EQ(syncer.merge(save).fault, QString()) << c.what << ": told once";
        BookSession reread;
        reread.open(bookFolder, QStringLiteral("English"));
        EXPECT_EQ(reread.book().size(), 2) << c.what;
        // Writable again: what stayed behind goes out.
        QFile::setPermissions(shared, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        faults.refuseWritesUnder({}, 0);
        EXPECT_EQ(syncer.merge(save).fault, QString()) << c.what;
        Machine b(QStringLiteral("b"), dir.path(QStringLiteral("b/")), shared, 0);
        ASSERT_TRUE(b.sync(kStart + 1000).status) << c.what;
        EXPECT_EQ(b.session.book().size(), 2) << c.what;
        EXPECT_EQ(recordLines(b.record.record()).size(), 1u) << c.what;
    }
}

// A record that cannot take what came in (another program holds it for a while): the Book gets
// the entries at once, the record the answers at a later merge.
TEST(SyncFaults, AHeldRecordGetsTheAnswersAtALaterMerge)
{
    lextest::TempDir dir;
    const QString shared = dir.path(QStringLiteral("Sync/"));
    Machine a(QStringLiteral("a"), dir.path(QStringLiteral("a/")), shared, 0);
    Machine b(QStringLiteral("b"), dir.path(QStringLiteral("b/")), shared, 0);
    for (Machine* m : {&a, &b}) {
        auto e = std::make_unique<WordEntry>();
        e->setWord(m == &a ? QStringLiteral("apple") : QStringLiteral("pear"));
        m->session.run(std::make_unique<AddOp>(std::move(e)));
        m->record.record().recordAnswer(EntryKey::of(*m->session.book().full()[0]), PracticeMode::Learn,
                                        AnswerOutcome::Right, fromLocalMs(kStart + (m == &a ? 10 : 20)), 100);
    }
    ASSERT_TRUE(a.sync(kStart + 1000).status);
    sqlite3* other = nullptr;
    sqlite3_open(QFile::encodeName(ReviewRecord::fileFor(b.bookFolder, QStringLiteral("English"))).constData(), &other);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    SyncReport r = b.sync(kStart + 2000);
    EXPECT_EQ(r.added, 1);
    EXPECT_EQ(r.events, 0);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    r = b.sync(kStart + 3000);
    EXPECT_EQ(r.events, 1);
    ASSERT_TRUE(a.sync(kStart + 4000).status);
    EXPECT_EQ(recordLines(b.record.record()).size(), 2u);
    EXPECT_EQ(recordLines(a.record.record()), recordLines(b.record.record()));
}

// A real kill -9. First a child process that does nothing but write the journal (a large file
// after another, every fifth time a compaction of them all) is killed at random moments, round
// after round: each journal file is whole, the old or the new one, and all of them together hold
// every answer. Then `lexbook sync` itself, sending a large record, is killed at random moments
// with its merged state gone each time (so that each run writes the whole record again); at the
// end a merge of the same Book and one of a new machine read everything.
TEST(SyncFaults, KilledWhileWritingTheJournalLeavesEveryFileWhole)
{
    lextest::TempDir dir;
    const QString shared = dir.path(QStringLiteral("Sync"));
    const QString journal = journalFolder(shared, QStringLiteral("English"));
    QDir().mkpath(journal);
    std::mt19937 rng(11);
    constexpr int kEvents = 15'000;
    JournalFile big{QStringLiteral("a"), QStringLiteral("English"), 1, false, {}};
    for (int i = 0; i < kEvents; ++i)
        big.records.push_back({Record::Kind::Answer, entryIdFor(QStringLiteral("word%1").arg(i % 3000)),
                               {kStart + i, 0, machineId(big.machine)}, Field::Word, {}, kStart + int64_t(i) * 1000,
                               uint8_t(i % 4), uint8_t(i % 3), int32_t(rng() % 9000)});
    auto everyFileWhole = [&](const std::string& when) {
        for (const QString& name : QDir(journal).entryList({QStringLiteral("*.lxj")}, QDir::Files)) {
            QFile f(journal + name);
            EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
            JournalFile parsed;
            EXPECT_EQ(parseJournal(f.readAll(), &parsed), ReadResult::Ok) << name.toStdString() << " " << when;
        }
    };
    int inWrite = 0;
    constexpr int kRounds = 8;
    for (int round = 0; round < kRounds; ++round) {
        uint64_t seq = 1;
        for (const QString& name : QDir(journal).entryList({QStringLiteral("a.*.lxj")}, QDir::Files))
            seq = std::max<uint64_t>(seq, name.mid(2, 8).toULongLong() + 1);
        for (const QString& name : QDir(journal).entryList({QStringLiteral("*.tmp")}, QDir::Files))
            QFile::remove(journal + name);
        int progress[2];
        ASSERT_EQ(::pipe(progress), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(progress[0]);
            for (JournalFile f = big;; ++seq) {
                f.seq = seq;
                const bool written = seq % 5 == 0 ? bool(compactJournal(Env::defaultEnv(), journal, {f.machine, f.book, seq, true, {}}))
                                                  : bool(writeJournalFile(Env::defaultEnv(), journal, f));
                if (!written || ::write(progress[1], &seq, sizeof seq) != sizeof seq)
                    ::_exit(3);
            }
        }
        ::close(progress[1]);
        uint64_t done = 0;
        ASSERT_EQ(::read(progress[0], &done, sizeof done), ssize_t(sizeof done)) << "the writer wrote nothing";
        if (round % 2 == 0) {
            // A few hundred microseconds after the next file's temporary copy appears: while it is
            // written, made durable or renamed, or just after.
            const QByteArray tmp = QFile::encodeName(journal + journalFileName(QStringLiteral("a"), done + 1) + QStringLiteral(".tmp"));
            QElapsedTimer waited;
            waited.start();
            while (::access(tmp.constData(), F_OK) != 0 && waited.elapsed() < 2000) {
            }
            ::usleep(useconds_t(rng() % 400));
        } else {
            QThread::msleep(rng() % 60);
        }
        ::kill(child, SIGKILL);
        ::close(progress[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended by itself with " << WEXITSTATUS(status);
        inWrite += !QDir(journal).entryList({QStringLiteral("*.tmp")}, QDir::Files).isEmpty();
        everyFileWhole("after the writer's round " + std::to_string(round));
    }
    std::printf("%d of %d kills came while a file was being written\n", inWrite, kRounds);
    EXPECT_GE(inWrite, 1);
    JournalState all;
    const FolderRead read = readJournalFolder(Env::defaultEnv(), journal);
    EXPECT_EQ(read.incomplete, QStringList());
    EXPECT_EQ(read.foreign, QStringList());
    for (const JournalFile& f : read.files)
        all.applyAll(f.records);
    EXPECT_EQ(all.events().size(), size_t(kEvents));
    QDir(journal).removeRecursively();

    const QString bookFolder = dir.path(QStringLiteral("a/"));
    QDir().mkpath(bookFolder);
    constexpr int kWords = 2000, kAnswers = 30'000;
    {
        Book b;
        b.path = bookFolder;
        b.name = QStringLiteral("English");
        for (int i = 0; i < kWords; ++i) {
            auto e = std::make_unique<WordEntry>();
            e->setWord(QStringLiteral("word%1").arg(i));
            e->setExplanation(QStringLiteral("n. the meaning of word %1").arg(i));
            e->stored.added = toEntryTime(QDateTime::fromMSecsSinceEpoch(kStart + int64_t(i) * 60000));
            b.AddEntry(std::move(e), AddMode::Interactive);
        }
        ASSERT_TRUE(saveBook(b).ok());
        ReviewRecord r;
        ASSERT_TRUE(r.open(ReviewRecord::fileFor(bookFolder, b.name)));
        int n = 0;
        ASSERT_TRUE(r.recordAnswers([&](ReviewRecord::NewAnswer* a) {
            if (n == kAnswers)
                return false;
            *a = {EntryKey::of(*b.full()[size_t(n % kWords)]), PracticeMode(n % 4), AnswerOutcome(n % 3),
                  kStart + int64_t(n) * 1000, 900};
            return ++n, true;
        }));
    }
    const QString book = bookFolder + QStringLiteral("English");
    const QString state = mergedStateFile(bookFolder, QStringLiteral("English"));
    const QStringList args{QStringLiteral("sync"), book, QStringLiteral("--folder"), shared, QStringLiteral("--device"),
                           QStringLiteral("a")};
    QElapsedTimer timer;
    timer.start();
    ASSERT_EQ(lextest::lexbook(args).code, 0);
    const qint64 runMs = std::max<qint64>(timer.elapsed(), 20);
    int killed = 0;
    for (int round = 0; round < 4; ++round) {
        QFile::remove(state);
        QProcess p;
        p.start(lextest::lexbookPath(), args);
        ASSERT_TRUE(p.waitForStarted(5000));
        QThread::msleep(unsigned(rng() % uint32_t(runMs)));
        p.kill();
        ASSERT_TRUE(p.waitForFinished(5000));
        killed += p.exitStatus() == QProcess::CrashExit;
        everyFileWhole("after lexbook's round " + std::to_string(round));
        BookSession reread;
        EXPECT_TRUE(reread.open(bookFolder, QStringLiteral("English")).readError.isEmpty()) << "round " << round;
    }
    EXPECT_GE(killed, 2) << "most runs are killed before their end";

    // Both merge to their end: the Book's own machine and a new one get everything.
    const lextest::ToolRun again = lextest::lexbook(args);
    ASSERT_EQ(again.code, 0) << again.err.toStdString();
    const QString other = dir.path(QStringLiteral("b/English"));
    const lextest::ToolRun joined = lextest::lexbook({QStringLiteral("sync"), other, QStringLiteral("--folder"), shared,
                                                      QStringLiteral("--device"), QStringLiteral("b")});
    ASSERT_EQ(joined.code, 0) << joined.err.toStdString();
    EXPECT_TRUE(joined.out.contains(QStringLiteral("%1 added, 0 changed, 0 removed, %2 answers").arg(kWords).arg(kAnswers)))
        << joined.out.toStdString();
    ReviewRecord recordA, recordB;
    ASSERT_TRUE(recordA.open(ReviewRecord::fileFor(bookFolder, QStringLiteral("English")), ReviewRecord::Mode::ReadOnly));
    ASSERT_TRUE(recordB.open(ReviewRecord::fileFor(dir.path(QStringLiteral("b/")), QStringLiteral("English")),
                             ReviewRecord::Mode::ReadOnly));
    const QStringList logA = recordLines(recordA);
    EXPECT_EQ(logA.size(), kAnswers);
    EXPECT_TRUE(logA == recordLines(recordB));
}

// lexbook sync: a new Book on another machine comes whole from the folder.
TEST(LexbookSync, ANewMachineGetsTheWholeBook)
{
    lextest::TempDir dir;
    const QString shared = dir.path(QStringLiteral("Sync"));
    QDir().mkpath(shared);
    {
        Machine a(QStringLiteral("a"), dir.path(QStringLiteral("a/")), shared + QLatin1Char('/'), 0);
        for (const char* w : {"apple", "pear"}) {
            auto e = std::make_unique<WordEntry>();
            e->setWord(QString::fromLatin1(w));
            a.session.run(std::make_unique<AddOp>(std::move(e)));
        }
        a.record.record().recordAnswer({QStringLiteral("pear"), {}}, PracticeMode::Drill, AnswerOutcome::Wrong,
                                       fromLocalMs(kStart), 700);
        ASSERT_TRUE(a.sync(kStart).status);
    }
    const QString book = dir.path(QStringLiteral("b/New/English"));
    const lextest::ToolRun r = lextest::lexbook({QStringLiteral("sync"), book, QStringLiteral("--folder"), shared,
                                                 QStringLiteral("--device"), QStringLiteral("b")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("out: 0 edits, 0 answers and stamps\n"
                                    "in: 1 files, 2 added, 0 changed, 0 removed, 1 answers and stamps\n"));
    const lextest::ToolRun log = lextest::lexbook({QStringLiteral("log"), book});
    EXPECT_TRUE(log.out.contains(QStringLiteral("\"word\":\"pear\""))) << log.out.toStdString();
    // Nothing new the second time; the journal and the record stay apart from each other.
    const lextest::ToolRun again = lextest::lexbook({QStringLiteral("sync"), book, QStringLiteral("--folder"), shared,
                                                     QStringLiteral("--device"), QStringLiteral("b")});
    EXPECT_EQ(again.out, QStringLiteral("out: 0 edits, 0 answers and stamps\n"
                                        "in: 1 files, 0 added, 0 changed, 0 removed, 0 answers and stamps\n"));
    for (const QString& name : QDir(shared + QStringLiteral("/English")).entryList(QDir::Files))
        EXPECT_TRUE(name.endsWith(QLatin1String(".lxj"))) << name.toStdString();
    const lextest::ToolRun bad = lextest::lexbook({QStringLiteral("sync"), book});
    EXPECT_EQ(bad.code, 2);
}

} // namespace

namespace {

// The program's side: a fault of the folder is said once until a merge works again, a foreign
// file once, and a note when something came in; nothing at all while no folder is named.
TEST(BookSyncer, TellsOnceAndNotesWhatCameIn)
{
    lextest::TempDir dir;
    const QString shared = dir.path(QStringLiteral("Sync/"));
    QDir().mkpath(shared);
    Machine a(QStringLiteral("a"), dir.path(QStringLiteral("a/")), shared, 0);
    auto e = std::make_unique<WordEntry>();
    e->setWord(QStringLiteral("apple"));
    a.session.run(std::make_unique<AddOp>(std::move(e)));
    ASSERT_TRUE(a.sync(kStart).status);

    BookSession session;
    BookRecord record{[](const RecordFault&) {}};
    record.follow(session);
    const QString bookFolder = dir.path(QStringLiteral("b/"));
    QDir().mkpath(bookFolder);
    session.open(bookFolder, QStringLiteral("English"));
    BookSyncer syncer(session, record);
    auto save = [&] { return session.save(SaveQuestions{}).ok(); };
    const BookSyncer::Told none = syncer.merge(save);
    EXPECT_EQ(none.note + none.fault + none.foreign, QString()) << "no folder named: nothing";
    EXPECT_EQ(QDir(bookFolder).entryList({QStringLiteral("*.sync")}, QDir::Files), QStringList()) << "no folder named: no file";
    syncer.setSettings({shared, QStringLiteral("b")});
    BookSyncer::Told told = syncer.merge(save);
    EXPECT_EQ(told.note, QStringLiteral("同步: 收到新词条 1"));
    EXPECT_TRUE(syncer.lastSeen().contains(QStringLiteral("a")));

    struct Step {
        const char* what;
        bool folderThere;
        bool fault;
    };
    const Step steps[] = {{"the stick pulled out", false, true},
                          {"still out: said already", false, false},
                          {"back", true, false},
                          {"out again: said again", false, true}};
    for (const Step& s : steps) {
        if (s.folderThere)
            QDir().mkpath(shared);
        else
            QDir(shared).removeRecursively();
        told = syncer.merge(save);
        EXPECT_EQ(!told.fault.isEmpty(), s.fault) << s.what;
    }
    QDir().mkpath(journalFolder(shared, QStringLiteral("English")));
    QFile foreign(journalFolder(shared, QStringLiteral("English")) + QStringLiteral("other.lxj"));
    foreign.open(QIODevice::WriteOnly);
    foreign.write("PK\3\4");
    foreign.close();
    EXPECT_FALSE(syncer.merge(save).foreign.isEmpty());
    EXPECT_TRUE(syncer.merge(save).foreign.isEmpty()) << "said once";
}

TEST(BookSyncer, ABookFolderThatASyncToolKeepsIsNoticed)
{
    lextest::TempDir dir;
    struct Case {
        const char* what;
        const char* marker;   // made inside "top/"
        const char* bookFolder;
        bool noticed;
    };
    const Case cases[] = {
        {"Syncthing's marker above", "top/.stfolder/", "top/deep/Book", true},
        {"Nextcloud's log at the top", "top/.nextcloudsync.log", "top/Book", true},
        {"a cloud drive's folder", nullptr, "Dropbox/Book", true},
        {"an ordinary folder", nullptr, "plain/Book", false},
    };
    for (const Case& c : cases) {
        QDir().mkpath(dir.path(QString::fromLatin1(c.bookFolder)));
        if (c.marker) {
            const QString m = dir.path(QString::fromLatin1(c.marker));
            if (m.endsWith(QLatin1Char('/')))
                QDir().mkpath(m);
            else
                QFile(m).open(QIODevice::WriteOnly);
        }
        EXPECT_EQ(!syncToolAbove(nullptr, dir.path(QString::fromLatin1(c.bookFolder))).isEmpty(), c.noticed) << c.what;
    }
}

} // namespace
