// Sending a word to the companion: found, started and waited for, or silently not at all.
#include "app_test_support.h"

#include "common/platform/named_event.h"
#include "common/platform/process_launcher.h"
#include "common/platform/window_link.h"
#include "lexora/link/companion_link.h"
#include "common/controls/image_button.h"
#include "common/ui/template_builder.h"
#include "lexora/book/book.h"
#include "lexora/practice/practice_dialog.h"
#include "lexora/practice/practice_engine.h"
#include "resources/resources.h"
#include "direct_practice_writer.h"
#include "fake_link.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

using namespace lex;

namespace {

// A window appears once the launcher started the companion, unless told otherwise.
struct FakeLink : lextest::FakeWindowLink {
    bool appearsWhenStarted = true;
};

struct FakeEvent : NamedEvent {
    bool signalled;
    explicit FakeEvent(bool s) : signalled(s) {}
    bool set() override { return signalled = true; }
    bool wait(int) override { return signalled; }
};

struct FakeEvents : NamedEvents {
    EventCreate result = EventCreate::Created;
    bool readyInTime = true;
    QStringList created;
    std::unique_ptr<NamedEvent> create(const QString& name, EventCreate* r) override
    {
        created << name;
        if (r)
            *r = result;
        return result == EventCreate::Created ? std::make_unique<FakeEvent>(readyInTime) : nullptr;
    }
    std::unique_ptr<NamedEvent> open(const QString&) override
    {
        return result == EventCreate::AlreadyExists ? std::make_unique<FakeEvent>(readyInTime) : nullptr;
    }
};

struct FakeLauncher : ProcessLauncher {
    FakeLink* link = nullptr;
    bool canStart = true;
    QStringList started;
    bool startDetached(const QString& program, const QStringList& args) override
    {
        started << program + QLatin1Char(' ') + args.join(QLatin1Char(' '));
        if (canStart && link && link->appearsWhenStarted)
            link->present = true;
        return canStart;
    }
};

struct Rig {
    FakeLink link;
    FakeEvents events;
    FakeLauncher launcher;
    apptest::CheckingServices ui;
    CompanionLink companion{[this] {
        launcher.link = &link;
        CompanionLink::Deps d;
        d.link = &link;
        d.events = &events;
        d.launcher = &launcher;
        d.ui = &ui;
        d.programFolder = QStringLiteral("/home/prog");
        d.executable = QStringLiteral("/opt/Glosix");
        return d;
    }()};
};

} // namespace

TEST(CompanionLink, ARunningCompanionGetsTheWordAndIsRaised)
{
    Rig rig;
    rig.link.present = true;
    EXPECT_TRUE(rig.companion.SendWordToCompanion(QStringLiteral("apple"), 0));
    // The word alone, on one connection: the companion raises itself for flag 0.
    EXPECT_EQ(rig.link.arrived, QStringList{QStringLiteral("word Glosix apple 0")});
    EXPECT_EQ(rig.link.connections, 1);
    rig.link.arrived.clear();
    EXPECT_TRUE(rig.companion.SendWordToCompanion(QStringLiteral("pear"), 1));
    EXPECT_EQ(rig.link.arrived, QStringList{QStringLiteral("word Glosix pear 1")}) << "flag 1 leaves the window order alone";
    EXPECT_EQ(rig.link.connections, 2);
    EXPECT_TRUE(rig.launcher.started.isEmpty());
}

TEST(CompanionLink, AnAbsentCompanionIsStartedWithOurFolderAndWaitedFor)
{
    Rig rig;
    EXPECT_TRUE(rig.companion.SendWordToCompanion(QStringLiteral("apple"), 0));
    EXPECT_EQ(rig.events.created, QStringList{QStringLiteral("GlosixReady")});
    EXPECT_EQ(rig.launcher.started, QStringList{QStringLiteral("/opt/Glosix --home /home/prog")});
    EXPECT_TRUE(rig.link.arrived.contains(QStringLiteral("word Glosix apple 0")));
}

TEST(CompanionLink, FailuresSendNothingAndOnlyTheEventFailureSpeaks)
{
    {
        Rig rig;   // cannot be started (missing program)
        rig.launcher.canStart = false;
        EXPECT_FALSE(rig.companion.SendWordToCompanion(QStringLiteral("apple"), 0));
        EXPECT_FALSE(rig.link.arrived.join(QLatin1Char(',')).contains(QStringLiteral("word")));
        EXPECT_TRUE(rig.ui.messages().isEmpty());
    }
    {
        Rig rig;   // not ready in time
        rig.events.readyInTime = false;
        EXPECT_FALSE(rig.companion.SendWordToCompanion(QStringLiteral("apple"), 0));
        EXPECT_TRUE(rig.ui.messages().isEmpty());
    }
    {
        Rig rig;   // ready, but no window to be found
        rig.link.appearsWhenStarted = false;
        EXPECT_FALSE(rig.companion.SendWordToCompanion(QStringLiteral("apple"), 0));
    }
    {
        Rig rig;   // the event cannot be made at all
        rig.events.result = EventCreate::Failed;
        EXPECT_FALSE(rig.companion.SendWordToCompanion(QStringLiteral("apple"), 0));
        EXPECT_EQ(rig.ui.messages(), QStringList{QStringLiteral("error")});
        EXPECT_TRUE(rig.launcher.started.isEmpty());
    }
    {
        Rig rig;   // an earlier start still holds the event: it is waited on, not an error
        rig.events.result = EventCreate::AlreadyExists;
        EXPECT_TRUE(rig.companion.SendWordToCompanion(QStringLiteral("apple"), 0));
        EXPECT_TRUE(rig.ui.messages().isEmpty());
    }
}

TEST(CompanionLink, TheCloseRequestGoesOnlyToARunningCompanion)
{
    Rig rig;
    EXPECT_FALSE(rig.companion.requestCompanionClose());
    EXPECT_FALSE(rig.link.arrived.join(QLatin1Char(',')).contains(QStringLiteral("close")));
    EXPECT_TRUE(rig.launcher.started.isEmpty()) << "closing never starts it";
    rig.link.present = true;
    EXPECT_TRUE(rig.companion.requestCompanionClose());
    EXPECT_TRUE(rig.link.arrived.contains(QStringLiteral("close Glosix")));
}

TEST(CompanionLink, PracticeFollowsInTheCompanionWithoutRaisingItAndClosesIt)
{
    Rig rig;
    rig.link.present = true;
    PracticeSinks sinks;
    rig.companion.connectPracticeSinks(sinks);
    sinks.sendToCompanion(u"apple", 0);   // 例句 checked
    sinks.sendToCompanion(u"pear", 1);    // the next question
    sinks.closeCompanion();               // 例句 unchecked
    EXPECT_EQ(rig.link.arrived, (QStringList{QStringLiteral("word Glosix apple 0"), QStringLiteral("word Glosix pear 1"),
                                             QStringLiteral("close Glosix")}));
    EXPECT_EQ(rig.link.connections, 3) << "one connection per message";
}

namespace {

// The practice window of a 初记 run over twelve words, following along in the companion through
// the real link over the fakes of `rig`.
struct PracticeWithCompanion {
    lextest::TempDir dir;
    Book book;
    lextest::DirectPracticeWriter writer{book};
    LcgRandom random{5};
    FixedClock clock{QDateTime(QDate(2026, 5, 6), QTime(7, 8))};
    std::unique_ptr<CMyPracticeDialog> w;

    explicit PracticeWithCompanion(Rig& rig)
    {
        for (int i = 0; i < 12; ++i) {
            auto e = std::make_unique<WordEntry>();
            e->setWord(QStringLiteral("w%1").arg(i));
            e->setExplanation(QStringLiteral("e%1").arg(i));
            book.AddEntry(std::move(e), AddMode::Loaded);
        }
        PracticeWindowDeps d;
        d.ui = &rig.ui;
        d.random = &random;
        d.clock = &clock;
        PracticeSinks sinks;
        rig.companion.connectPracticeSinks(sinks);
        d.sendToCompanion = sinks.sendToCompanion;
        d.closeCompanion = sinks.closeCompanion;
        d.configPath = dir.path(QStringLiteral("Config.INI"));
        std::vector<int32_t> rows;
        for (int32_t r = 0; r < 12; ++r)
            rows.push_back(r);
        w = std::make_unique<CMyPracticeDialog>(book, writer, PracticeSettings{PracticeMode::Learn, Direction::EnToZh, 1}, rows,
                                                d);
    }
    CImageButton* companionBox() const { return ui::control<CImageButton>(w.get(), res::practice_dlg::kCompanion); }
    // Answers the current question rightly and waits for the next one.
    void next()
    {
        PracticeEngine& e = w->engine();
        w->onCommand(res::practice_dlg::kSlot0, 0);   // shows the choices
        w->onCommand(e.correctSlot() == 0 ? res::practice_dlg::kSlot0 : res::practice_dlg::kSlot1, 0);
        while (e.answered() && !e.finished())
            w->tick();
    }
};

} // namespace

TEST(CompanionLink, TheExampleBoxSendsTheCurrentWordAndFollowsTheRun)
{
    Rig rig;
    rig.link.present = true;
    PracticeWithCompanion p(rig);
    const QString first = p.w->engine().currentWord();
    EXPECT_TRUE(rig.link.arrived.isEmpty()) << "nothing goes to the companion until 例句 is ticked";

    p.companionBox()->click();   // 例句
    ASSERT_TRUE(p.companionBox()->check());
    EXPECT_EQ(rig.link.arrived, QStringList{QStringLiteral("word Glosix ") + first + QStringLiteral(" 0")});
    rig.link.arrived.clear();
    p.next();
    const QString second = p.w->engine().currentWord();
    EXPECT_EQ(rig.link.arrived, QStringList{QStringLiteral("word Glosix ") + second + QStringLiteral(" 1")})
        << "each next question follows without raising the companion";

    rig.link.arrived.clear();
    p.companionBox()->click();   // unticked: the companion is asked to close
    EXPECT_EQ(rig.link.arrived, QStringList{QStringLiteral("close Glosix")});
    rig.link.arrived.clear();
    p.next();
    EXPECT_TRUE(rig.link.arrived.isEmpty());
    EXPECT_TRUE(rig.ui.messages().isEmpty());
}

TEST(CompanionLink, WithoutACompanionTheExampleBoxStaysQuietAndTheRunGoesOn)
{
    Rig rig;   // not running, and it cannot be started (the program is missing)
    rig.launcher.canStart = false;
    PracticeWithCompanion p(rig);
    p.companionBox()->click();
    EXPECT_EQ(rig.launcher.started.size(), 1) << "one try to start it";
    EXPECT_FALSE(rig.link.arrived.join(u',').contains(QStringLiteral("word")));
    EXPECT_TRUE(rig.ui.messages().isEmpty()) << "a missing companion is no reason for a message";
    EXPECT_FALSE(p.w->engine().paused());
    EXPECT_TRUE(p.w->timerActive());
    // The run goes on to its end; unticking sends no close request to a companion that is not there.
    int questions = 0;
    while (!p.w->engine().finished() && questions++ < 40)
        p.next();
    EXPECT_TRUE(p.w->engine().finished());
    p.companionBox()->click();
    EXPECT_FALSE(rig.link.arrived.join(u',').contains(QStringLiteral("close")));
    EXPECT_EQ(rig.ui.messages(), QStringList{QStringLiteral("已完成")});
}

TEST(CompanionLink, OverTheRealLinkAWordIsOneConnectionAndAnAbsentCompanionOneFailedConnect)
{
    lextest::TempDir dir;
    const QString runtime = dir.path(QStringLiteral("run"));
    LocalWindowLink link(runtime);
    FakeEvents events;
    FakeLauncher launcher;
    launcher.canStart = false;   // never started here: a running one must be found, an absent one stays so
    CompanionLink::Deps d;
    d.link = &link;
    d.events = &events;
    d.launcher = &launcher;
    d.executable = QStringLiteral("/nonexistent/Glosix");
    CompanionLink companion(d);

    EXPECT_FALSE(companion.SendWordToCompanion(QStringLiteral("apple"), 0));
    EXPECT_EQ(launcher.started.size(), 1) << "the failed connect leads straight to the start";

    lextest::LinkServerThread glosix(runtime, QStringLiteral("Glosix"));
    ASSERT_TRUE(glosix.published());
    const QString word = QString::fromUtf16(u"caf\u00e9");
    EXPECT_TRUE(companion.SendWordToCompanion(word, 0));   // a double-click in the list
    EXPECT_TRUE(companion.SendWordToCompanion(QStringLiteral("pear"), 1));   // practice following along
    EXPECT_TRUE(companion.requestCompanionClose());
    ASSERT_TRUE(glosix.waitForMessages(3)) << "the posted close request arrives";
    EXPECT_EQ(glosix.connections(), 3) << "one connection per message, no find, no separate raise";
    const QList<LinkMessage> got = glosix.messages();
    ASSERT_EQ(got.size(), 3);
    EXPECT_EQ(got[0].kind, LinkKind::Word);
    EXPECT_EQ(got[0].word, word);
    EXPECT_EQ(got[0].raiseFlag, 0u) << "the raise travels with the word";
    EXPECT_EQ(got[1].raiseFlag, 1u);
    EXPECT_EQ(got[2].kind, LinkKind::Close);
    EXPECT_EQ(launcher.started.size(), 1) << "a running companion is not started";
}
