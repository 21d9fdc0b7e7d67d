// The status line after practice, stepped tick by tick.
#include "lexora/app/status_animation.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

using lex::StatusAnimation;

namespace {

struct Pane {
    QString text = QStringLiteral("Book:English");
    QStringList history;
    StatusAnimation anim{[this](const QString& t) {
                             text = t;
                             history << t;
                         },
                         [] { return QStringLiteral("Book:English"); }};
};

} // namespace

TEST(StatusAnimation, TypesBlinksAndRestores)
{
    Pane pane;
    const QString advice = QStringLiteral("每天点击一次广告，支持本软件持续发展");
    pane.anim.start();
    EXPECT_TRUE(pane.anim.isActive(StatusAnimation::kStartTimer));
    EXPECT_FALSE(pane.anim.isActive(StatusAnimation::kTypeTimer));
    EXPECT_TRUE(pane.history.isEmpty()) << "nothing changes during the first second";

    pane.anim.onTimer(StatusAnimation::kStartTimer);
    EXPECT_FALSE(pane.anim.isActive(StatusAnimation::kStartTimer));
    EXPECT_TRUE(pane.anim.isActive(StatusAnimation::kRestoreTimer));
    EXPECT_TRUE(pane.anim.isActive(StatusAnimation::kTypeTimer));

    for (int i = 1; i <= advice.size(); ++i) {
        pane.anim.onTimer(StatusAnimation::kTypeTimer);
        EXPECT_EQ(pane.text, advice.left(i));
    }
    EXPECT_FALSE(pane.anim.isActive(StatusAnimation::kTypeTimer));
    EXPECT_TRUE(pane.anim.isActive(StatusAnimation::kBlinkTimer));

    pane.history.clear();
    for (int i = 0; i < 7; ++i)
        pane.anim.onTimer(StatusAnimation::kBlinkTimer);
    EXPECT_EQ(pane.history, (QStringList{advice, QString(), advice, QString(), advice, QString(), advice}));
    EXPECT_FALSE(pane.anim.isActive(StatusAnimation::kBlinkTimer));
    pane.anim.onTimer(StatusAnimation::kBlinkTimer);   // a late tick of a stopped timer does nothing
    EXPECT_EQ(pane.history.size(), 7);

    pane.anim.onTimer(StatusAnimation::kRestoreTimer);
    EXPECT_EQ(pane.text, QStringLiteral("Book:English"));
    for (int id = 0; id < 4; ++id)
        EXPECT_FALSE(pane.anim.isActive(id));
}

TEST(StatusAnimation, RestoreStopsAnAnimationStillRunningAndStartBeginsAgain)
{
    Pane pane;
    pane.anim.start();
    pane.anim.onTimer(StatusAnimation::kStartTimer);
    pane.anim.onTimer(StatusAnimation::kTypeTimer);
    pane.anim.onTimer(StatusAnimation::kRestoreTimer);
    EXPECT_EQ(pane.text, QStringLiteral("Book:English"));
    EXPECT_FALSE(pane.anim.isActive(StatusAnimation::kTypeTimer));

    pane.anim.start();
    pane.anim.onTimer(StatusAnimation::kStartTimer);
    pane.anim.onTimer(StatusAnimation::kTypeTimer);
    EXPECT_EQ(pane.text, QStringLiteral("每")) << "a new run types from the first character again";
}

TEST(StatusAnimation, RealTimersReachTheFirstCharacter)
{
    Pane pane;
    pane.anim.start();
    QElapsedTimer t;
    t.start();
    while (pane.history.isEmpty() && t.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    ASSERT_FALSE(pane.history.isEmpty());
    EXPECT_EQ(pane.history.first(), QStringLiteral("每"));
    EXPECT_GE(t.elapsed(), 1000);
}
