// Sending a word to the companion: found, started and waited for, or silently not at all.
#include "app_test_support.h"

#include "common/platform/named_event.h"
#include "common/platform/process_launcher.h"
#include "common/platform/window_link.h"
#include "lexora/link/companion_link.h"
#include "lexora/practice/practice_engine.h"

#include <gtest/gtest.h>

using namespace lex;

namespace {

struct FakeLink : WindowLink {
    bool present = false;
    bool appearsWhenStarted = true;
    QStringList calls;
    bool find(const QString& t) override
    {
        calls << QStringLiteral("find ") + t;
        return present;
    }
    bool raise(const QString& t) override
    {
        calls << QStringLiteral("raise ") + t;
        return present;
    }
    bool requestClose(const QString& t) override
    {
        calls << QStringLiteral("close ") + t;
        return present;
    }
    bool sendWord(const QString& t, const QString& w, uint32_t flag) override
    {
        calls << QStringLiteral("word %1 %2 %3").arg(t, w).arg(flag);
        return present;
    }
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
    EXPECT_EQ(rig.link.calls, (QStringList{QStringLiteral("find Glosix"), QStringLiteral("word Glosix apple 0"),
                                           QStringLiteral("raise Glosix")}));
    rig.link.calls.clear();
    EXPECT_TRUE(rig.companion.SendWordToCompanion(QStringLiteral("pear"), 1));
    EXPECT_FALSE(rig.link.calls.contains(QStringLiteral("raise Glosix"))) << "flag 1 leaves the window order alone";
    EXPECT_TRUE(rig.launcher.started.isEmpty());
}

TEST(CompanionLink, AnAbsentCompanionIsStartedWithOurFolderAndWaitedFor)
{
    Rig rig;
    EXPECT_TRUE(rig.companion.SendWordToCompanion(QStringLiteral("apple"), 0));
    EXPECT_EQ(rig.events.created, QStringList{QStringLiteral("GlosixReady")});
    EXPECT_EQ(rig.launcher.started, QStringList{QStringLiteral("/opt/Glosix --home /home/prog")});
    EXPECT_TRUE(rig.link.calls.contains(QStringLiteral("word Glosix apple 0")));
}

TEST(CompanionLink, FailuresSendNothingAndOnlyTheEventFailureSpeaks)
{
    {
        Rig rig;   // cannot be started (missing program)
        rig.launcher.canStart = false;
        EXPECT_FALSE(rig.companion.SendWordToCompanion(QStringLiteral("apple"), 0));
        EXPECT_FALSE(rig.link.calls.join(QLatin1Char(',')).contains(QStringLiteral("word")));
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
    EXPECT_FALSE(rig.link.calls.join(QLatin1Char(',')).contains(QStringLiteral("close")));
    EXPECT_TRUE(rig.launcher.started.isEmpty()) << "closing never starts it";
    rig.link.present = true;
    EXPECT_TRUE(rig.companion.requestCompanionClose());
    EXPECT_TRUE(rig.link.calls.contains(QStringLiteral("close Glosix")));
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
    EXPECT_EQ(rig.link.calls, (QStringList{QStringLiteral("find Glosix"), QStringLiteral("word Glosix apple 0"),
                                           QStringLiteral("raise Glosix"), QStringLiteral("find Glosix"),
                                           QStringLiteral("word Glosix pear 1"), QStringLiteral("find Glosix"),
                                           QStringLiteral("close Glosix")}));
}
