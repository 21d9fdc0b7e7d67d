// Every undoable operation on a Book read from its files: done, undone, redone, and a save after
// the undo writes the Book exactly as it was loaded; what changes nothing or is no edit adds no
// step; key presses on one cell merge; the history is bounded in steps and in bytes.
#include "session_probe.h"
#include "entry_builder.h"
#include "book_snapshot.h"
#include "temp_dir.h"

#include "common/platform/sources.h"
#include "lexora/book/book_file.h"
#include "lexora/book/book_session.h"
#include "lexora/book/operations/degree_ops.h"
#include "lexora/book/operations/entry_ops.h"
#include "lexora/exchange/import_op.h"
#include "lexora/book/operations/order_ops.h"

#include <gtest/gtest.h>

#include <functional>

using namespace lex;
using lextest::entry;

namespace {

using Rows = std::vector<int>;

using lextest::snapshot;

struct Fixture {
    lextest::TempDir dir;
    QString folder = dir.path() + QLatin1Char('/');
    FixedClock clock{QDateTime(QDate(2026, 3, 4), QTime(5, 6))};
    LcgRandom random{7};
    BookSession s;

    Fixture()
    {
        for (const QString& name : {QStringLiteral("Mine"), QStringLiteral("Other")}) {
            Book b;
            b.path = folder;
            b.name = name;
            if (name == QStringLiteral("Mine")) {
                // A word the add rule would refuse ("--") stays as it was stored.
                b.AddEntry(entry(QStringLiteral("--"), QStringLiteral("dash")), AddMode::Loaded);
                for (int i = 1; i < 8; ++i)
                    b.AddEntry(entry(QStringLiteral("w%1").arg(i), QStringLiteral("e%1").arg(i), {}, {}, {}, i),
                               AddMode::Loaded);
            }
            b.textChanged = true;
            EXPECT_TRUE(saveBook(b).ok());
        }
        lextest::writableBook(s).path = folder;
        lextest::writableBook(s).name = QStringLiteral("Mine");
        s.load();
    }
    std::string onDisk()
    {
        Book b;
        b.path = folder;
        b.name = QStringLiteral("Mine");
        LoadBook(b);
        return snapshot(b, false);
    }
};

} // namespace

TEST(BookOperations, EachComesBackWithUndoAndGoesAgainWithRedo)
{
    struct Case {
        const char* name;
        std::function<void(Fixture&)> run;
    };
    const std::vector<Case> cases = {
        {"add", [](Fixture& f) { f.s.run(std::make_unique<AddOp>(entry(QStringLiteral("new, ")))); }},
        {"modify", [](Fixture& f) {
             f.s.run(std::make_unique<ModifyOp>(0, EntryEdit{QStringLiteral("dash"), QStringLiteral("dæʃ"),
                                                             QStringLiteral("-"), QStringLiteral("c"), 1, 2, 3}));
         }},
        {"delete some", [](Fixture& f) { f.s.run(std::make_unique<DeleteOp>(Rows{6, 1, 2})); }},
        {"delete all", [](Fixture& f) { f.s.run(std::make_unique<DeleteOp>(Rows{0, 1, 2, 3, 4, 5, 6, 7})); }},
        {"move", [](Fixture& f) { f.s.run(std::make_unique<MoveToOp>(Rows{3, 4}, QStringLiteral("Other"), true)); }},
        {"import", [](Fixture& f) {
             f.s.run(std::make_unique<ImportOp>(u"alpha\n甲\nbeta\n乙\n", ImportSettings{}, f.clock));
         }},
        {"import records", [](Fixture& f) {
             std::vector<ImportRecord> r{{QStringLiteral("kiwi"), QStringLiteral("猕猴桃"), QStringLiteral("ˈkiːwiː"),
                                          QStringLiteral("c"), QStringLiteral("水果")},
                                         {QStringLiteral(" ,")}};   // trimmed to nothing: refused
             ImportSettings settings;
             settings.recognition = 3;
             f.s.run(std::make_unique<ImportOp>(std::move(r), settings, f.clock));
         }},
        {"class name", [](Fixture& f) { f.s.run(std::make_unique<ClassNameOp>(Rows{0, 5}, QStringLiteral("单元"))); }},
        {"set a degree", [](Fixture& f) {
             f.s.run(std::make_unique<StrangenessOp>(Rows{1, 2, 3}, Degree::Spelling, DegreeChange::to(9)));
         }},
        {"step a degree", [](Fixture& f) {
             f.s.run(std::make_unique<StrangenessOp>(Rows{0, 7}, Degree::Recognition, DegreeChange::by(Step::Down)));
         }},
        {"step the temporary degree", [](Fixture& f) {
             f.s.run(std::make_unique<StrangenessOp>(Rows{2}, Degree::Temporary, DegreeChange::by(Step::Up)));
         }},
        {"sort", [](Fixture& f) {
             // The Book is in word order already: the second click sorts descending.
             f.s.run(std::make_unique<SortOp>(1));
             f.s.history().clear();
             f.s.run(std::make_unique<SortOp>(1));
         }},
        {"shuffle", [](Fixture& f) { f.s.run(std::make_unique<ShuffleOp>(f.clock, f.random)); }},
        {"renumber", [](Fixture& f) {
             f.s.run(std::make_unique<ShuffleOp>(f.clock, f.random));
             f.s.history().clear();
             f.s.run(std::make_unique<RenumberOp>());
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        c.run(f);
        const std::string after = snapshot(f.s.book());
        // What the case did before its operation is where its undo ends.
        f.s.undo();
        const std::string before = snapshot(f.s.book());
        const std::string beforeSaved = snapshot(f.s.book(), false);
        ASSERT_NE(after, before) << "the operation changed nothing";
        EXPECT_FALSE(f.s.history().canUndo()) << "one step per operation";
        f.s.redo();
        EXPECT_EQ(snapshot(f.s.book()), after);
        ASSERT_TRUE(saveBook(lextest::writableBook(f.s)).ok());
        f.s.undo();
        EXPECT_EQ(snapshot(f.s.book()), before);
        ASSERT_TRUE(saveBook(lextest::writableBook(f.s)).ok());
        EXPECT_EQ(f.onDisk(), beforeSaved);
        f.s.redo();
        ASSERT_TRUE(saveBook(lextest::writableBook(f.s)).ok());
        EXPECT_EQ(f.onDisk(), snapshot(f.s.book(), false));
    }
}

TEST(BookOperations, OnlyEditsThatChangedSomethingAreSteps)
{
    Fixture f;
    BookHistory& h = f.s.history();
    f.s.run(std::make_unique<StrangenessOp>(Rows{0}, Degree::Recognition, DegreeChange::by(Step::Down)));   // at 0
    f.s.run(std::make_unique<ClassNameOp>(Rows{1}, QString()));
    f.s.run(std::make_unique<DeleteOp>(Rows{}));
    f.s.run(std::make_unique<MoveToOp>(Rows{1}, QStringLiteral("Other"), false));   // a copy
    f.s.run(std::make_unique<StampReviewOp>(1, StampKind::Space, f.clock));
    f.s.run(std::make_unique<RevealOp>(Rows{1, 2}, f.clock));
    f.s.run(std::make_unique<BeginPracticeOp>(Rows{1, 2}));
    EXPECT_EQ(h.count(), 0);

    // Key presses on the same rows merge into one step; another degree is another step.
    for (int i = 0; i < 3; ++i)
        f.s.run(std::make_unique<StrangenessOp>(Rows{3}, Degree::Spelling, DegreeChange::by(Step::Up)));
    EXPECT_EQ(h.count(), 1);
    EXPECT_EQ(f.s.book().atView(3)->stored.spelling, 3);
    f.s.run(std::make_unique<StrangenessOp>(Rows{3}, Degree::Listening, DegreeChange::by(Step::Up)));
    EXPECT_EQ(h.count(), 2);
    f.s.undo();
    // A value changed since by something that is no edit stays where it is.
    lextest::writableBook(f.s).atView(3)->stored.spelling = 9;
    f.s.undo();
    EXPECT_EQ(f.s.book().atView(3)->stored.spelling, 9);
    lextest::writableBook(f.s).atView(3)->stored.spelling = 3;
    f.s.redo();
    EXPECT_EQ(f.s.book().atView(3)->stored.spelling, 3) << "redo moves a value only from where the undo left it";
}

// The oldest steps go once the kept steps hold more than the byte limit; the newest always stays.
TEST(BookOperations, TheHistoryIsBoundedInBytes)
{
    struct Heavy : BookOperation {
        size_t bytes;
        explicit Heavy(size_t b) : bytes(b) {}
        void redo() override { changed_ = true; }
        void undo() override {}
        size_t cost() const override { return bytes; }
    };
    Fixture f;
    BookHistory& h = f.s.history();
    for (int i = 0; i < 5; ++i)
        f.s.run(std::make_unique<Heavy>(BookHistory::kByteLimit / 3));
    EXPECT_EQ(h.count(), 3);
    EXPECT_LE(h.bytes(), BookHistory::kByteLimit);
    f.s.run(std::make_unique<Heavy>(BookHistory::kByteLimit * 2));
    EXPECT_EQ(h.count(), 1);
    EXPECT_TRUE(h.canUndo());
}
