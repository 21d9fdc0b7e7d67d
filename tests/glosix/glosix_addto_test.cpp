// "AddTo" from Glosix: through a running Lexora over the link, and without one into the Book's
// files under the Book's writer lock, racing a Lexora that opens the same Book at that moment.
#include "session_probe.h"
#include "glosix/add_to_book.h"
#include "glosix/glosix_dlg.h"

#include "common/config/config_keys.h"
#include "common/config/profile.h"
#include "common/dictionary/dict_builder.h"
#include "common/platform/sources.h"
#include "common/platform/window_link.h"
#include "lexora/book/book_file.h"
#include "lexora/book/book_lock.h"
#include "lexora/book/book_session.h"
#include "resources/resource_ids.h"
#include "fake_link.h"
#include "scripted_services.h"
#include "temp_dir.h"

#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace lex;
namespace id = lex::res::glosix;

namespace {

const QDateTime kNow(QDate(2026, 3, 14), QTime(9, 26));

struct FakeLink : WindowLink {
    LinkAddReply reply;   // NoWindow by default: no Lexora runs
    QStringList asked;
    bool find(const QString&) override { return false; }
    bool raise(const QString&) override { return false; }
    bool requestClose(const QString&) override { return false; }
    LinkDelivery deliverWord(const QString&, const QString&, uint32_t, QDeadlineTimer) override
    {
        return LinkDelivery::NoWindow;
    }
    LinkAddReply sendAddTo(const QString& title, const QString& word) override
    {
        asked << title + QLatin1Char('/') + word;
        return reply;
    }
};

// A program folder: Config.INI naming the Book "English" (apple, pear), Lexora's dictionary,
// ADDMODIFY/StrangeIndex 3, 4, 5, and a runtime folder of its own.
struct Home {
    lextest::TempDir dir;
    FixedClock clock{kNow};
    QString folder, book, runtime;

    explicit Home(bool withBook = true)
    {
        folder = dir.path();
        book = dir.path(QStringLiteral("Book")) + QLatin1Char('/');
        runtime = dir.path(QStringLiteral("run"));
        QDir().mkpath(book);
        QDir().mkpath(dir.path(QStringLiteral("Dict")));
        dir.write(QStringLiteral("Config.INI"), "[INIT]\nBookPath=./Book/\nBookName=English\n");
        profile().writeStruct(config::kAddModify, config::kStrangeIndex, QByteArray("\x03\x04\x05", 3));
        std::vector<DictSourceEntry> entries{
            {QStringLiteral("banana"), QStringLiteral("b@'nA:n@"), {QStringLiteral("n. 香蕉"), QStringLiteral("n. 芭蕉")}, {}},
        };
        QByteArray idx, dic;
        EXPECT_TRUE(encodeDictionary(entries, DictBuildOptions{}, &idx, &dic, nullptr));
        dir.write(QStringLiteral("Dict/Dict.idx"), idx);
        dir.write(QStringLiteral("Dict/Dict.dic"), dic);
        if (withBook) {
            Book b;
            b.path = book;
            b.name = QStringLiteral("English");
            for (const char* w : {"apple", "pear"}) {
                auto e = std::make_unique<WordEntry>();
                e->setWord(QString::fromLatin1(w));
                b.AddEntry(std::move(e), AddMode::Interactive);
            }
            EXPECT_TRUE(saveBook(b).ok());
        }
        // Relative Book folders in Config.INI are meant from the program folder.
        QDir::setCurrent(folder);
    }
    Profile profile() const { return Profile(folder + QStringLiteral("/Config.INI")); }
    QByteArray files() const
    {
        return dir.read(QStringLiteral("Book/English.idx")) + dir.read(QStringLiteral("Book/English.txt"));
    }
    QStringList words() const
    {
        Book b;
        inspectBook(book, QStringLiteral("English"), Env::defaultEnv(), &b);
        QStringList out;
        for (const WordEntry* e : b.full())
            out << e->word().toString();
        return out;
    }
    GlosixAddTo adder(WindowLink* link) const
    {
        GlosixAddTo::Deps d;
        d.link = link;
        d.clock = &clock;
        d.runtimeDir = runtime;
        d.programFolder = folder;
        return GlosixAddTo(d);
    }
};

using Kind = AddToResult::Kind;

} // namespace

TEST(GlosixAddTo, ARunningLexoraIsAskedAndItsAnswerIsTold)
{
    Home home;
    const QByteArray before = home.files();
    FakeLink link;
    link.reply.delivery = LinkAddReply::Delivery::Answered;
    const struct {
        LinkAddReply::Delivery delivery;
        LinkAddOutcome outcome;
        Kind kind;
        const char* text;
    } cases[] = {
        {LinkAddReply::Delivery::Answered, LinkAddOutcome::Added, Kind::AddedInLexora, "“kiwi”已添加到 Lexora 打开的词库"},
        {LinkAddReply::Delivery::Answered, LinkAddOutcome::AlreadyInBook, Kind::AlreadyInLexora,
         "“kiwi”已在 Lexora 打开的词库中，未重复添加"},
        {LinkAddReply::Delivery::Answered, LinkAddOutcome::Refused, Kind::Refused, "Lexora 现在不能添加单词，请稍后再试"},
        {LinkAddReply::Delivery::NoAnswer, LinkAddOutcome::Refused, Kind::NoAnswer, "Lexora 没有回应，请稍后在 Lexora 中查看"},
    };
    for (const auto& c : cases) {
        link.reply = {c.delivery, c.outcome};
        GlosixAddTo add = home.adder(&link);
        const AddToResult r = add.add(QStringLiteral("kiwi"));
        EXPECT_EQ(r.kind, c.kind) << c.text;
        EXPECT_EQ(GlosixAddTo::describe(r, QStringLiteral("kiwi")), QString::fromUtf8(c.text));
    }
    EXPECT_EQ(link.asked.first(), QStringLiteral("Tessaly/kiwi"));
    EXPECT_EQ(home.files(), before) << "with a Lexora there, even a silent one, the files are not touched";
    // Nothing to add asks nobody.
    link.asked.clear();
    EXPECT_EQ(home.adder(&link).add(QStringLiteral(" ,")).kind, Kind::NothingToAdd);
    EXPECT_TRUE(link.asked.isEmpty());
}

TEST(GlosixAddTo, WithoutLexoraTheWordIsAppendedOnceWithTheDictionaryAndTheDegrees)
{
    Home home;
    FakeLink nobody;
    GlosixAddTo add = home.adder(&nobody);
    const AddToResult r = add.add(QStringLiteral("banana,"));
    ASSERT_EQ(r.kind, Kind::AddedToFile) << r.detail.toStdString();
    EXPECT_EQ(GlosixAddTo::describe(r, QStringLiteral("banana,")), QStringLiteral("“banana”已添加到词库 English"));
    EXPECT_EQ(nobody.asked, QStringList{QStringLiteral("Tessaly/banana,")});

    Book b;
    const LoadReport report = inspectBook(home.book, QStringLiteral("English"), Env::defaultEnv(), &b);
    EXPECT_TRUE(report.clean());
    ASSERT_EQ(b.size(), 3);
    const WordEntry* e = b.full().back();
    EXPECT_EQ(e->word(), QStringLiteral("banana")) << "stored as an interactive add stores it";
    EXPECT_EQ(e->phonetic(), QStringLiteral("b@'nA:n@"));
    EXPECT_EQ(e->explanation(), QStringLiteral("n. 香蕉\r\nn. 芭蕉"));
    EXPECT_EQ(e->stored.recognition, 3);
    EXPECT_EQ(e->stored.spelling, 4);
    EXPECT_EQ(e->stored.listening, 5);
    EXPECT_EQ(e->stored.added, toEntryTime(kNow));
    EXPECT_EQ(e->stored.review, toEntryTime(kNow));

    // Again, and in another spelling of the same stored word: said, not added.
    const QByteArray after = home.files();
    for (const char* again : {"banana", "banana - "}) {
        const AddToResult twice = add.add(QString::fromLatin1(again));
        EXPECT_EQ(twice.kind, Kind::AlreadyInFile);
        EXPECT_EQ(GlosixAddTo::describe(twice, QString::fromLatin1(again)),
                  QStringLiteral("“banana”已在词库 English 中，未重复添加"));
    }
    EXPECT_EQ(home.files(), after);
    // Case tells words apart, as the list does.
    EXPECT_EQ(add.add(QStringLiteral("Apple")).kind, Kind::AddedToFile);
    EXPECT_EQ(home.words(), (QStringList{"apple", "pear", "banana", "Apple"}));

    // A stored degree out of range counts as none: 10, 10, 10, as in the add dialog.
    home.profile().writeStruct(config::kAddModify, config::kStrangeIndex, QByteArray("\x02\x0B\x02", 3));
    ASSERT_EQ(add.add(QStringLiteral("cherry")).kind, Kind::AddedToFile);
    Book c;
    inspectBook(home.book, QStringLiteral("English"), Env::defaultEnv(), &c);
    EXPECT_EQ(c.full().back()->stored.recognition, 10);
    EXPECT_EQ(c.full().back()->stored.spelling, 10);
    EXPECT_TRUE(c.full().back()->phonetic().isEmpty()) << "a word the dictionary lacks has no texts";
}

TEST(GlosixAddTo, ANewOrMissingBook)
{
    Home home(false);
    FakeLink nobody;
    GlosixAddTo add = home.adder(&nobody);
    const AddToResult missing = add.add(QStringLiteral("kiwi"));
    EXPECT_EQ(missing.kind, Kind::Failed);
    EXPECT_EQ(GlosixAddTo::describe(missing, QStringLiteral("kiwi")),
              QStringLiteral("添加失败：找不到词库：./Book/English.idx"));
    EXPECT_FALSE(home.dir.exists(QStringLiteral("Book/English.idx"))) << "no Book is made up";

    // The empty pair Lexora makes for a new Book gets its headers with the first word.
    home.dir.write(QStringLiteral("Book/English.idx"), {});
    home.dir.write(QStringLiteral("Book/English.txt"), {});
    ASSERT_EQ(add.add(QStringLiteral("kiwi")).kind, Kind::AddedToFile);
    Book b;
    const LoadReport report = inspectBook(home.book, QStringLiteral("English"), Env::defaultEnv(), &b);
    EXPECT_TRUE(report.indexHasHeader && report.textHasHeader);
    EXPECT_FALSE(report.oldestIndexForm);
    EXPECT_EQ(home.words(), QStringList{QStringLiteral("kiwi")});
}

TEST(GlosixAddTo, AHeldLockIsWaitedForBrieflyThenRefused)
{
    Home home;
    FakeLink nobody;
    GlosixAddTo add = home.adder(&nobody);
    const QByteArray before = home.files();
    {
        // Another writer (a Lexora that has the Book open but cannot be reached) holds it.
        std::unique_ptr<FileLock> held;
        ASSERT_TRUE(lockBook(home.runtime, home.book, QStringLiteral("English"), 0, &held));
        QElapsedTimer t;
        t.start();
        const AddToResult r = add.add(QStringLiteral("kiwi"));
        EXPECT_EQ(r.kind, Kind::BookInUse);
        EXPECT_GE(t.elapsed(), GlosixAddTo::kLockWaitMs - 50);
        EXPECT_EQ(GlosixAddTo::describe(r, QStringLiteral("kiwi")), QStringLiteral("词库 English 正被其他程序使用，未添加"));
        EXPECT_EQ(home.files(), before);
    }
    // Held a moment only (lexbook rewriting it): the append waits and goes through.
    std::unique_ptr<FileLock> held;
    ASSERT_TRUE(lockBook(home.runtime, home.book, QStringLiteral("English"), 0, &held));
    std::thread releaser([&held] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        held.reset();
    });
    EXPECT_EQ(add.add(QStringLiteral("kiwi")).kind, Kind::AddedToFile);
    releaser.join();
    // A runtime folder others may enter is not used for locks: that is a failure, not a busy Book.
    QDir().mkpath(home.dir.path(QStringLiteral("open")));
    QFile::setPermissions(home.dir.path(QStringLiteral("open")), QFileDevice::Permissions(0x7755));
    GlosixAddTo::Deps d;
    d.runtimeDir = home.dir.path(QStringLiteral("open"));
    d.programFolder = home.folder;
    const AddToResult loose = GlosixAddTo(d).add(QStringLiteral("fig"));
    EXPECT_EQ(loose.kind, Kind::Failed);
    EXPECT_TRUE(loose.detail.contains(QStringLiteral("open to other users"))) << loose.detail.toStdString();
    // Two spellings of the Book's folder are one lock.
    EXPECT_EQ(bookLockPath(home.runtime, home.book, QStringLiteral("English")),
              bookLockPath(home.runtime, home.dir.path(QStringLiteral("Book/../Book")), QStringLiteral("English")));
    EXPECT_NE(bookLockPath(home.runtime, home.book, QStringLiteral("English")),
              bookLockPath(home.runtime, home.book, QStringLiteral("Other")));
}

TEST(GlosixAddTo, ALexoraOpeningTheBookWaitsForTheAppendAndThenHoldsTheBook)
{
    Home home;
    // Glosix is appending: it holds the lock while Lexora starts and opens the Book.
    std::unique_ptr<FileLock> glosix;
    ASSERT_TRUE(lockBook(home.runtime, home.book, QStringLiteral("English"), 0, &glosix));
    std::atomic<int> loaded{-1};
    std::thread lexora([&] {
        BookSession session;
        session.setLockFolder(home.runtime);
        lextest::writableBook(session).path = home.book;
        lextest::writableBook(session).name = QStringLiteral("English");
        session.load();
        loaded = session.rowCount();
        // Now open in "Lexora": Glosix must keep off until it is closed.
        FakeLink nobody;
        GlosixAddTo add = home.adder(&nobody);
        EXPECT_TRUE(session.holdsBookLock());
        EXPECT_EQ(add.add(QStringLiteral("plum")).kind, Kind::BookInUse);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(loaded, -1) << "the Book was read while another writer held it";
    auto e = std::make_unique<WordEntry>();
    e->setWord(QStringLiteral("kiwi"));
    ASSERT_FALSE(AppendToBook({e.get()}, home.book, QStringLiteral("English")).failed());
    glosix.reset();
    lexora.join();
    EXPECT_EQ(loaded, 3) << "the load saw the appended word";
    EXPECT_FALSE(home.words().contains(QStringLiteral("plum")));
}

TEST(GlosixAddTo, RacingAppendsAndOpeningsNeverLoseOrDoubleAWord)
{
    // Real threads, no ordering imposed: each round Glosix appends a new word while a "Lexora"
    // opens the Book, keeps it a moment and closes it. Either the word went in before the open
    // (and the open sees it) or the append was refused; the files always load cleanly.
    Home home;
    int added = 0;
    for (int round = 0; round < 12; ++round) {
        const QString word = QStringLiteral("w%1").arg(round);
        std::atomic<int> kind{-1};
        std::thread glosix([&] {
            FakeLink nobody;
            GlosixAddTo add = home.adder(&nobody);
            kind = int(add.add(word).kind);
        });
        bool sawWord = false;
        {
            BookSession session;
            session.setLockFolder(home.runtime);
            lextest::writableBook(session).path = home.book;
            lextest::writableBook(session).name = QStringLiteral("English");
            session.load();
            for (const WordEntry* e : session.book().full())
                sawWord = sawWord || e->word() == word;
            std::this_thread::sleep_for(std::chrono::milliseconds(round % 3 * 40));
        }
        glosix.join();
        ASSERT_TRUE(kind == int(Kind::AddedToFile) || kind == int(Kind::BookInUse)) << kind;
        if (kind == int(Kind::AddedToFile))
            ++added;
        else
            EXPECT_FALSE(sawWord);
        Book b;
        EXPECT_TRUE(inspectBook(home.book, QStringLiteral("English"), Env::defaultEnv(), &b).clean());
        EXPECT_EQ(b.size(), 2 + added);
    }
}

TEST(GlosixAddTo, OverTheLinkLexoraAnswersWithTheOutcome)
{
    lextest::TempDir dir;
    const QString runtime = dir.path(QStringLiteral("run"));
    LocalWindowLink link(runtime, 3000);
    // Nobody publishes "Tessaly": no window.
    EXPECT_EQ(link.sendAddTo(QStringLiteral("Tessaly"), QStringLiteral("kiwi")).delivery, LinkAddReply::Delivery::NoWindow);

    QStringList got;
    LinkHandlers h;
    h.addTo = [&got](const QString& word) {
        got << word;
        return got.count(word) > 1 ? LinkAddOutcome::AlreadyInBook : LinkAddOutcome::Added;
    };
    LinkServer server(runtime, h);
    ASSERT_TRUE(server.publish(QStringLiteral("Tessaly")));
    // Sent from a thread while this one runs the servers' event loop.
    auto sendOnThread = [&](const QString& title, const QString& word) {
        std::atomic<bool> done{false};
        LinkAddReply reply;
        std::thread t([&] {
            reply = link.sendAddTo(title, word);
            done = true;
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return done.load(); }, 5000));
        t.join();
        return reply;
    };
    const QString word = QString::fromUtf16(u"caf\u00e9 \U0001F34E");
    LinkAddReply r = sendOnThread(QStringLiteral("Tessaly"), word);
    EXPECT_EQ(r.delivery, LinkAddReply::Delivery::Answered);
    EXPECT_EQ(r.outcome, LinkAddOutcome::Added);
    r = sendOnThread(QStringLiteral("Tessaly"), word);
    EXPECT_EQ(r.outcome, LinkAddOutcome::AlreadyInBook);
    EXPECT_EQ(got, (QStringList{word, word}));

    // A window without a handler for it refuses; one that never answers is told apart from none.
    LinkServer other(runtime, LinkHandlers{});
    ASSERT_TRUE(other.publish(QStringLiteral("Glosix")));
    const LinkAddReply refused = sendOnThread(QStringLiteral("Glosix"), QStringLiteral("kiwi"));
    EXPECT_EQ(refused.delivery, LinkAddReply::Delivery::Answered);
    EXPECT_EQ(refused.outcome, LinkAddOutcome::Refused);
    LocalWindowLink impatient(runtime, 300);
    // This thread's event loop does not run during the call: the window is hung.
    EXPECT_EQ(impatient.sendAddTo(QStringLiteral("Tessaly"), QStringLiteral("kiwi")).delivery,
              LinkAddReply::Delivery::NoAnswer);
}

TEST(GlosixAddTo, TheButtonFollowsTheShownEntryAndTheWindowSaysWhatHappened)
{
    Home home;
    lextest::ScriptedServices ui;
    std::vector<DictSourceEntry> entries{{QStringLiteral("banana"), {}, {}, QStringLiteral("`1`banana`8`n. 香蕉")}};
    QByteArray idx, dic;
    DictBuildOptions o;
    o.variant = DictVariant::Companion;
    ASSERT_TRUE(encodeDictionary(entries, o, &idx, &dic, nullptr));
    home.dir.write(QStringLiteral("Dict/21ct.idx"), idx);
    home.dir.write(QStringLiteral("Dict/21ct.dic"), dic);
    QDir().mkpath(home.dir.path(QStringLiteral("Voice")));
    home.profile().writeInt(config::kInit, config::kIsDisableTts, 1);

    FakeLink lexora;
    lexora.reply = {LinkAddReply::Delivery::Answered, LinkAddOutcome::Added};
    GlosixServices s;
    s.ui = &ui;
    s.link = &lexora;
    s.runtimeDir = home.runtime;
    CGlosixDlg w(s, home.folder);
    w.initialise();
    EXPECT_TRUE(ui.messages().isEmpty()) << ui.messages().join(QLatin1Char('|')).toStdString();
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QPushButton* addTo = w.button(id::IDC_ADDTO);
    EXPECT_FALSE(addTo->isEnabled()) << "no entry shown yet";

    w.input()->setText(QStringLiteral("banana"));
    w.onCommand(id::IDC_LOOKUP, 0);
    EXPECT_TRUE(addTo->isEnabled());
    EXPECT_EQ(addTo->focusPolicy(), Qt::StrongFocus);
    // Typing on: the box no longer holds the shown entry's word.
    QTest::keyClick(w.input(), Qt::Key_S);
    EXPECT_FALSE(addTo->isEnabled());
    w.onCommand(id::IDC_ADDTO, 0);
    EXPECT_TRUE(lexora.asked.isEmpty()) << "a disabled button does nothing";
    QTest::keyClick(w.input(), Qt::Key_Backspace);
    EXPECT_TRUE(addTo->isEnabled());

    // Ctrl+D from the input box: Lexora adds it; the window says so, no message box.
    w.input()->setFocus();
    QTest::keyClick(w.input(), Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(lexora.asked, QStringList{QStringLiteral("Tessaly/banana")});
    EXPECT_EQ(w.statusText(), QStringLiteral("“banana”已添加到 Lexora 打开的词库"));
    EXPECT_TRUE(ui.messages().isEmpty());

    // Without Lexora the button appends to the Book; a second press says it is there.
    lexora.reply = {};
    w.onCommand(id::IDC_ADDTO, 0);
    EXPECT_EQ(w.statusText(), QStringLiteral("“banana”已添加到词库 English"));
    w.onCommand(id::IDC_ADDTO, 0);
    EXPECT_EQ(w.statusText(), QStringLiteral("“banana”已在词库 English 中，未重复添加"));
    EXPECT_EQ(home.words(), (QStringList{"apple", "pear", "banana"}));

    // A word from Lexora the dictionary lacks: the old entry stays, the button goes off.
    w.receiveWord(QStringLiteral("zzz"));
    EXPECT_FALSE(addTo->isEnabled());
    EXPECT_TRUE(w.statusText().isEmpty());
    w.closeWindow();
}

TEST(GlosixAddTo, AWordFromLexoraCrossingAddToIsServedWhileGlosixWaits)
{
    // Lexora sends a double-clicked word at the moment Glosix asks it to add one: Lexora's GUI
    // thread answers AddTo only once its word was handled. Glosix serves its link while it waits.
    Home home;
    QStringList shown;
    LinkHandlers h;
    h.word = [&shown](const QString& word, uint32_t) { shown << word; };
    LinkServer glosix(home.runtime, h);
    ASSERT_TRUE(glosix.publish(QStringLiteral("Glosix")));
    std::atomic<bool> wordDelivered{false};
    lextest::LinkServerThread lexora(home.runtime, QStringLiteral("Tessaly"), [&](const LinkMessage&) {
        wordDelivered = LocalWindowLink(home.runtime, 3000).sendWord(QStringLiteral("Glosix"), QStringLiteral("pear"), 1);
    });
    ASSERT_TRUE(lexora.published());
    LocalWindowLink link(home.runtime, 3000);
    const AddToResult r = home.adder(&link).add(QStringLiteral("banana"));
    EXPECT_EQ(r.kind, Kind::AddedInLexora);
    EXPECT_TRUE(wordDelivered) << "Lexora's word did not wait out its time-out";
    EXPECT_EQ(shown, QStringList{QStringLiteral("pear")});
    EXPECT_EQ(lexora.connections(), 1);
}
