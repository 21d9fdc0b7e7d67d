// A save or an append broken at every single file operation, by an error, a crash or a power cut,
// never leaves a Book that loads as anything but its old or its new state.
#include "book_helpers.h"

#include "fault_env.h"
#include "temp_dir.h"

#include <QFile>
#include <map>
#include <gtest/gtest.h>

using namespace booktest;
using lex::Book;
using Mode = lextest::FaultEnv::Mode;

namespace {

struct Scenario {
    const char* name;
    bool textSave; // whether the change reaches NAME.txt
    void (*change)(Book&);
};

void editTexts(Book& b)
{
    b.removeViewRows({1});
    b.full()[0]->setExplanation(QStringLiteral("改过的解释\r\nsecond line"));
    b.AddEntry(entry(QStringLiteral("added"), QStringLiteral("新")), lex::AddMode::Interactive);
    b.SetStrangeness(2, lex::Degree::Listening, lex::DegreeChange::to(10));
}

void editDegrees(Book& b)
{
    b.SetStrangeness(0, lex::Degree::Recognition, lex::DegreeChange::to(10));
    b.SetStrangeness(3, lex::Degree::Spelling, lex::DegreeChange::to(0));
    std::swap(b.fullForReorder()[0], b.fullForReorder()[4]);
    b.syncViewToFull();
}

class SaveFaults : public ::testing::TestWithParam<std::tuple<int, Mode>> {
protected:
    void SetUp() override
    {
        Book b;
        b.path = base();
        b.name = QStringLiteral("B");
        lex::LoadBook(b);
        for (int i = 0; i < 5; ++i)
            b.AddEntry(entry(QStringLiteral("word%1").arg(i), QStringLiteral("解释 %1").arg(i), QStringLiteral("p"),
                             i % 2 ? QStringLiteral("单元一") : QString(), QString(), i),
                       lex::AddMode::Interactive);
        ASSERT_TRUE(lex::saveBook(b).ok());
        oldIdx = dir.read(QStringLiteral("B.idx"));
        oldTxt = dir.read(QStringLiteral("B.txt"));
        oldState = snapshot(b);
    }
    QString base() const { return dir.path() + QLatin1Char('/'); }
    void restoreOld()
    {
        for (const QString& f : dir.files())
            QFile::remove(dir.path(f));
        dir.write(QStringLiteral("B.idx"), oldIdx);
        dir.write(QStringLiteral("B.txt"), oldTxt);
    }
    void loadChanged(Book& b, const Scenario& s)
    {
        b.path = base();
        b.name = QStringLiteral("B");
        lex::LoadBook(b);
        s.change(b);
        ASSERT_EQ(b.textChanged, s.textSave);
    }

    std::map<QString, QByteArray> dirState() const
    {
        std::map<QString, QByteArray> m;
        for (const QString& f : dir.files())
            m[f] = dir.read(f);
        return m;
    }
    void putDirState(const std::map<QString, QByteArray>& m)
    {
        for (const QString& f : dir.files())
            QFile::remove(dir.path(f));
        for (const auto& [name, bytes] : m)
            dir.write(name, bytes);
    }
    void loadThrough(lex::Env* env)
    {
        Book b;
        b.path = base();
        b.name = QStringLiteral("B");
        lex::LoadBook(b, env);
    }

    lextest::TempDir dir;
    QByteArray oldIdx, oldTxt;
    std::vector<EntryData> oldState;
};

const Scenario kScenarios[] = {
    {"text and index", true, editTexts},
    {"index only", false, editDegrees},
};

} // namespace

TEST_P(SaveFaults, EveryStepLeavesTheOldOrTheNewBook)
{
    const Scenario& sc = kScenarios[std::get<0>(GetParam())];
    const Mode mode = std::get<1>(GetParam());

    // A clean run: how many operations a save takes, and the new state.
    lextest::FaultEnv env;
    std::vector<EntryData> newState;
    int steps = 0;
    {
        Book b;
        loadChanged(b, sc);
        newState = snapshot(b);
        env.breakAt(0, mode);
        ASSERT_TRUE(lex::saveBook(b, &env).ok());
        steps = env.count();
        ASSERT_EQ(loadFresh(base(), QStringLiteral("B")), newState);
    }
    ASSERT_NE(newState, oldState);
    ASSERT_GE(steps, sc.textSave ? 12 : 5);

    int sawOld = 0, sawNew = 0;
    for (int k = 1; k <= steps; ++k) {
        restoreOld();
        Book b;
        loadChanged(b, sc);
        env.breakAt(k, mode);
        const lex::SaveResult r = lex::saveBook(b, &env);
        SCOPED_TRACE(QStringLiteral("broken at %1: %2").arg(k).arg(env.log().value(k - 1)).toStdString());
        EXPECT_FALSE(r.ok());
        EXPECT_TRUE(b.textChanged == sc.textSave);

        if (mode == Mode::PowerCut || mode == Mode::PowerCutZeros) {
            // Another power cut while the next start repairs this one, at each step of the repair.
            const std::map<QString, QByteArray> cut = dirState();
            lextest::FaultEnv again;
            again.breakAt(0, mode);
            loadThrough(&again);
            const int repairSteps = again.count();
            for (int j = 1; j <= repairSteps; ++j) {
                putDirState(cut);
                again.breakAt(j, mode);
                loadThrough(&again);
                const auto twice = loadFresh(base(), QStringLiteral("B"));
                EXPECT_TRUE(twice == oldState || twice == newState)
                    << "a second power cut while repairing, at " << again.log().value(j - 1).toStdString();
            }
            putDirState(cut);
        }

        // Looking does not repair; the look and the load agree.
        const QStringList filesBefore = dir.files();
        Book seen;
        const lex::LoadReport ir = lex::inspectBook(base(), QStringLiteral("B"), lex::Env::defaultEnv(), &seen);
        EXPECT_EQ(dir.files(), filesBefore);
        EXPECT_TRUE(ir.skipped.empty());

        lex::LoadReport lr;
        const auto state = loadFresh(base(), QStringLiteral("B"), &lr);
        EXPECT_TRUE(state == oldState || state == newState) << "a mix of old and new";
        EXPECT_EQ(snapshot(seen), state);
        EXPECT_TRUE(lr.skipped.empty());
        EXPECT_EQ(dir.files(), (QStringList{"B.idx", "B.txt"}));
        sawOld += state == oldState;
        sawNew += state == newState;
        if (state == oldState) {
            EXPECT_EQ(dir.read(QStringLiteral("B.idx")), oldIdx);
            EXPECT_EQ(dir.read(QStringLiteral("B.txt")), oldTxt);
        }

        if (mode == Mode::Fail) {
            // The same Book in memory saves cleanly afterwards.
            restoreOld();
            Book again;
            loadChanged(again, sc);
            env.breakAt(k, mode);
            lex::saveBook(again, &env);
            ASSERT_TRUE(lex::saveBook(again).ok());
            EXPECT_EQ(loadFresh(base(), QStringLiteral("B")), newState);
        } else if (lr.interruptedSave || state == oldState) {
            // After a crash the program starts afresh: a new save from the loaded state works.
            Book after;
            after.path = base();
            after.name = QStringLiteral("B");
            lex::LoadBook(after);
            after.textChanged = true;
            ASSERT_TRUE(lex::saveBook(after).ok());
            EXPECT_EQ(loadFresh(base(), QStringLiteral("B")), state);
        }
    }
    EXPECT_GT(sawOld, 0);
    if (sc.textSave)
        EXPECT_GT(sawNew, 0);
}

std::string modeName(Mode m)
{
    switch (m) {
    case Mode::Fail: return "Fail";
    case Mode::Crash: return "Crash";
    case Mode::PowerCut: return "PowerCut";
    case Mode::PowerCutZeros: return "PowerCutZeros";
    }
    return "?";
}

const auto kModes = ::testing::Values(Mode::Fail, Mode::Crash, Mode::PowerCut, Mode::PowerCutZeros);

INSTANTIATE_TEST_SUITE_P(AllSteps, SaveFaults, ::testing::Combine(::testing::Values(0, 1), kModes),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param) ? "IndexOnly" : "TextAndIndex") +
                                    modeName(std::get<1>(info.param));
                         });

// Appending to another Book: the target loads as it was or with every new entry after its own,
// never with an index record that points at text which did not reach the disk.
class AppendFaults : public ::testing::TestWithParam<Mode> {
protected:
    QString base() const { return dir.path() + QLatin1Char('/'); }
    lextest::TempDir dir;
};

TEST_P(AppendFaults, EveryStepLeavesTheOldOrTheNewTarget)
{
    const Mode mode = GetParam();
    Book src;
    src.path = base();
    src.name = QStringLiteral("Src");
    lex::LoadBook(src);
    for (int i = 0; i < 3; ++i)
        src.AddEntry(entry(QStringLiteral("moved%1").arg(i), QStringLiteral("移动 %1").arg(i)), lex::AddMode::Interactive);
    const std::vector<const lex::WordEntry*> sel(src.full().begin(), src.full().end());
    {
        Book t;
        t.path = base();
        t.name = QStringLiteral("T");
        lex::LoadBook(t);
        t.AddEntry(entry(QStringLiteral("own"), QStringLiteral("自己的")), lex::AddMode::Interactive);
        ASSERT_TRUE(lex::saveBook(t).ok());
    }
    const QByteArray oldIdx = dir.read(QStringLiteral("T.idx")), oldTxt = dir.read(QStringLiteral("T.txt"));
    const auto oldState = loadFresh(base(), QStringLiteral("T"));
    auto restore = [&] {
        dir.write(QStringLiteral("T.idx"), oldIdx);
        dir.write(QStringLiteral("T.txt"), oldTxt);
    };

    lextest::FaultEnv env;
    env.breakAt(0, mode);
    ASSERT_FALSE(lex::AppendToBook(sel, base(), QStringLiteral("T"), &env).failed());
    const int steps = env.count();
    const auto newState = loadFresh(base(), QStringLiteral("T"));
    ASSERT_EQ(newState.size(), oldState.size() + sel.size());
    ASSERT_GE(steps, 6);

    int sawOld = 0;
    for (int k = 1; k <= steps; ++k) {
        restore();
        env.breakAt(k, mode);
        SCOPED_TRACE(QStringLiteral("broken at %1").arg(k).toStdString());
        EXPECT_TRUE(lex::AppendToBook(sel, base(), QStringLiteral("T"), &env).failed());
        SCOPED_TRACE(env.log().value(k - 1).toStdString());
        lex::LoadReport r;
        const auto state = loadFresh(base(), QStringLiteral("T"), &r);
        EXPECT_TRUE(state == oldState || state == newState) << "a part of the appended entries";
        EXPECT_TRUE(r.skipped.empty());
        sawOld += state == oldState;
    }
    EXPECT_GT(sawOld, 0);
}

INSTANTIATE_TEST_SUITE_P(AllSteps, AppendFaults, kModes,
                         [](const auto& info) { return modeName(info.param); });
