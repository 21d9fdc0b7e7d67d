// The session that owns the open Book: every action changes the Book and announces exactly what
// changed; the rules of adding, modifying, deleting, class names, find, move/copy and switching.
#include "session_probe.h"
#include "entry_builder.h"
#include "fault_env.h"
#include "temp_dir.h"

#include "common/platform/sources.h"
#include "lexora/book/book_session.h"
#include "lexora/book/operations/degree_ops.h"
#include "lexora/book/operations/entry_ops.h"
#include "lexora/exchange/import_op.h"
#include "lexora/book/operations/order_ops.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace lex;

namespace {

using lextest::entry;

// What the session announced, in order, as short texts ("ins 3-3", "rem 1-2,5-5", "chg 0-0", "reset").
struct Recorder {
    QStringList events;
    explicit Recorder(BookSession& s)
    {
        QObject::connect(&s, &BookSession::rowsInserted, [this](int f, int l) { events << QStringLiteral("ins %1-%2").arg(f).arg(l); });
        QObject::connect(&s, &BookSession::rowsChanged, [this](int f, int l) { events << QStringLiteral("chg %1-%2").arg(f).arg(l); });
        QObject::connect(&s, &BookSession::bookReset, [this] { events << QStringLiteral("reset"); });
        QObject::connect(&s, &BookSession::rowsRemoved, [this](const RowRanges& r) {
            QStringList parts;
            for (const RowRange& x : r)
                parts << QStringLiteral("%1-%2").arg(x.first).arg(x.last);
            events << QStringLiteral("rem ") + parts.join(QLatin1Char(','));
        });
    }
    QString take()
    {
        const QString s = events.join(QLatin1Char('|'));
        events.clear();
        return s;
    }
};

using Rows = std::vector<int>;

template <class Op, class... Args>
auto run(BookSession& s, Args&&... args)
{
    return s.run(std::make_unique<Op>(std::forward<Args>(args)...));
}

void fill(BookSession& s, int n)
{
    for (int i = 0; i < n; ++i)
        lextest::writableBook(s).AddEntry(entry(QStringLiteral("w%1").arg(i), QStringLiteral("e%1").arg(i)), AddMode::Loaded);
    s.announceReset();
}

QStringList words(const BookSession& s)
{
    QStringList out;
    for (const WordEntry* e : s.book().view())
        out << e->word().toString();
    return out;
}

} // namespace

TEST(BookSession, EveryActionAnnouncesWhatChanged)
{
    BookSession s;
    fill(s, 6);
    Recorder rec(s);
    FixedClock clock(QDateTime(QDate(2026, 1, 2), QTime(3, 4)));

    EXPECT_EQ(run<AddOp>(s, entry(QStringLiteral("new"))), 6);
    EXPECT_EQ(rec.take(), QStringLiteral("ins 6-6"));
    EXPECT_EQ(run<StrangenessOp>(s, Rows{1, 2, 4}, Degree::Recognition, DegreeChange::to(3)), 3);
    EXPECT_EQ(rec.take(), QStringLiteral("chg 1-2|chg 4-4"));
    // A step past the end of the scale changes nothing and announces nothing.
    run<StrangenessOp>(s, Rows{0}, Degree::Temporary, DegreeChange::to(0));
    rec.take();
    EXPECT_EQ(run<StrangenessOp>(s, Rows{0}, Degree::Temporary, DegreeChange::by(Step::Down)), 0);
    EXPECT_EQ(rec.take(), QString());
    run<StampReviewOp>(s, 3, StampKind::Space, clock);
    run<RevealOp>(s, Rows{5}, clock);
    EXPECT_EQ(rec.take(), QStringLiteral("chg 3-3|chg 5-5"));
    run<SortOp>(s, 1);
    run<RenumberOp>(s);
    EXPECT_EQ(rec.take(), QStringLiteral("chg 0-6|chg 0-6"));

    const DeleteOutcome d = run<DeleteOp>(s, Rows{5, 1, 2, 2, 99});
    EXPECT_EQ(d.removed, 3);
    EXPECT_FALSE(d.cleared);
    EXPECT_EQ(d.selectRow, 0);
    EXPECT_EQ(rec.take(), QStringLiteral("rem 1-2,5-5"));
    EXPECT_EQ(s.rowCount(), 4);
    EXPECT_EQ(s.book().full(), s.book().view());
    EXPECT_EQ(run<DeleteOp>(s, Rows{}).removed, 0);
    EXPECT_EQ(rec.take(), QString());
}

TEST(BookSession, DeletingEveryRowKeepsTheNumberingAndTheTextFlag)
{
    BookSession s;
    fill(s, 4);
    lextest::writableBook(s).textChanged = false;
    Recorder rec(s);
    const DeleteOutcome d = run<DeleteOp>(s, Rows{0, 1, 2, 3});
    EXPECT_TRUE(d.cleared);
    EXPECT_EQ(rec.take(), QStringLiteral("reset"));
    EXPECT_TRUE(s.book().empty());
    EXPECT_FALSE(s.book().textChanged) << "the text file keeps its records";
    // The next word added is number 5, not 1.
    ASSERT_EQ(run<AddOp>(s, entry(QStringLiteral("after"))), 0);
    EXPECT_EQ(s.book().atView(0)->seq, 4);
}

TEST(BookSession, AddRefusesWordsThatTrimToNothingAndDropsFieldSelectors)
{
    BookSession s;
    Recorder rec(s);
    EXPECT_EQ(run<AddOp>(s, entry(QStringLiteral(","))), -1);
    EXPECT_EQ(run<AddOp>(s, entry(QStringLiteral(" - /"))), -1);
    EXPECT_EQ(run<AddOp>(s, entry(QString())), -1);
    EXPECT_EQ(rec.take(), QString());
    EXPECT_TRUE(s.book().empty());

    EXPECT_EQ(run<AddOp>(s, entry(QStringLiteral("take off, "))), 0);
    EXPECT_EQ(s.book().atView(0)->word(), QStringLiteral("take off"));
    QString pasted = QStringLiteral("a");
    pasted += QChar(1);
    pasted += QStringLiteral("b");
    pasted += QChar(0);
    EXPECT_EQ(run<AddOp>(s, entry(pasted, pasted)), 1);
    EXPECT_EQ(s.book().atView(1)->word(), QStringLiteral("ab"));
    EXPECT_EQ(s.book().atView(1)->explanation(), QStringLiteral("ab"));
    EXPECT_TRUE(s.book().textChanged);
}

TEST(BookSession, ModifyMarksTheTextOnlyWhenATextChanged)
{
    BookSession s;
    fill(s, 3);
    lextest::writableBook(s).textChanged = false;
    EntryEdit edit{QStringLiteral("w1"), QString(), QStringLiteral("e1"), QString(), 4, 5, 6};
    ModifyOp::Outcome m = run<ModifyOp>(s, 1, edit);
    ASSERT_TRUE(m.done);
    EXPECT_FALSE(m.textChanged);
    EXPECT_FALSE(s.book().textChanged) << "degrees live in the index file";
    EXPECT_EQ(s.book().atView(1)->stored.spelling, 5);

    edit.explanation = QStringLiteral("line one\r\nline two");
    m = run<ModifyOp>(s, 1, edit);
    ASSERT_TRUE(m.done);
    EXPECT_TRUE(m.textChanged);
    EXPECT_TRUE(s.book().textChanged);
    EXPECT_EQ(s.book().atView(1)->explanationFirstLine(), 8);

    // A word that trims to nothing would vanish at the next load: refused, entry untouched.
    edit.word = QStringLiteral(", ");
    EXPECT_FALSE(run<ModifyOp>(s, 1, edit).done);
    EXPECT_EQ(s.book().atView(1)->word(), QStringLiteral("w1"));
    EXPECT_FALSE(run<ModifyOp>(s, 7, edit).done);
    // Otherwise the word is stored as typed, trailing comma and all.
    edit.word = QStringLiteral("w1,");
    ASSERT_TRUE(run<ModifyOp>(s, 1, edit).done);
    EXPECT_EQ(s.book().atView(1)->word(), QStringLiteral("w1,"));
}

TEST(BookSession, ClassNamesMarkTheTextWhenRowsChanged)
{
    BookSession s;
    fill(s, 4);
    lextest::writableBook(s).textChanged = false;
    EXPECT_EQ(run<ClassNameOp>(s, Rows{0, 2}, QString()), 0) << "already empty";
    EXPECT_FALSE(s.book().textChanged);
    QString name = QStringLiteral("单元一");
    name += QChar(3);
    EXPECT_EQ(run<ClassNameOp>(s, Rows{0, 2}, name), 2);
    EXPECT_TRUE(s.book().textChanged);
    EXPECT_EQ(s.book().atView(2)->className(), QStringLiteral("单元一"));
    EXPECT_EQ(s.book().atView(1)->className(), QString());
}

TEST(BookSession, FindWrapsFromTheFocusedRowAndSkipsIt)
{
    BookSession s;
    for (const char* w : {"apple", "pear", "grape", "plum", "Grape", "fig", "kiwi", "grapefruit"})
        lextest::writableBook(s).AddEntry(entry(QString::fromUtf8(w), QStringLiteral("x ") + QString::fromUtf8(w)), AddMode::Loaded);
    const auto grape = QStringLiteral("grape");
    EXPECT_EQ(s.findNext(5, grape, true), 7);
    EXPECT_EQ(s.findNext(7, grape, true), 2);
    EXPECT_EQ(s.findNext(-1, QStringLiteral("apple"), true), 0) << "no focus: from row 0";
    EXPECT_EQ(s.findNext(0, QStringLiteral("apple"), true), -1) << "the focused row itself is not searched";
    EXPECT_EQ(s.findNext(0, QStringLiteral("Grape"), true), 4) << "case-sensitive";
    EXPECT_EQ(s.findNext(0, QStringLiteral("x fig"), false), 5);
    EXPECT_EQ(s.findNext(0, QStringLiteral("x fig"), true), -1);
    EXPECT_EQ(s.findNext(0, QString(), true), -1);
    EXPECT_EQ(s.findNext(99, QStringLiteral("apple"), true), 0) << "a stale focus counts as none";
}

TEST(BookSession, CopyAndMoveAppendToAnotherBookButNeverToItself)
{
    lextest::TempDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    {
        Book target;
        target.path = folder;
        target.name = QStringLiteral("Other");
        target.textChanged = true;
        ASSERT_TRUE(saveBook(target).ok());
    }
    BookSession s;
    lextest::writableBook(s).path = folder;
    lextest::writableBook(s).name = QStringLiteral("Mine");
    fill(s, 5);
    ASSERT_TRUE(saveBook(lextest::writableBook(s)).ok());

    EXPECT_TRUE(run<MoveToOp>(s, Rows{1, 2}, QStringLiteral("Mine"), true).intoOpenBook);
    EXPECT_EQ(s.rowCount(), 5);
    EXPECT_EQ(dir.read(QStringLiteral("Mine.idx")).size(), 5 + 5 * 21) << "its own files untouched";

    EXPECT_FALSE(run<MoveToOp>(s, Rows{0, 2, 4}, QStringLiteral("Other"), false).failed());
    EXPECT_EQ(s.rowCount(), 5);
    EXPECT_EQ(dir.read(QStringLiteral("Other.idx")).size(), 5 + 3 * 21);
    const MoveToOp::Outcome moved = run<MoveToOp>(s, Rows{1, 3}, QStringLiteral("Other"), true);
    EXPECT_FALSE(moved.failed());
    EXPECT_EQ(moved.deleted.removed, 2);
    EXPECT_EQ(words(s), (QStringList{"w0", "w2", "w4"}));

    Book other;
    other.path = folder;
    other.name = QStringLiteral("Other");
    LoadBook(other);
    QStringList got;
    for (const WordEntry* e : other.full())
        got << e->word().toString();
    EXPECT_EQ(got, (QStringList{"w0", "w2", "w4", "w1", "w3"}));
    // "other" is not "Other".
    EXPECT_EQ(run<MoveToOp>(s, Rows{0}, QStringLiteral("other"), false).append.why, AppendFailure::Why::IndexUnreadable);
}

TEST(BookSession, SwitchingOnlyAfterASuccessfulSaveAndFromTheFolderAsked)
{
    lextest::TempDir dir;
    const QString folder = dir.path(QStringLiteral("books/"));
    QDir().mkpath(folder);
    {
        Book b;
        b.path = folder;
        b.name = QStringLiteral("Two");
        b.AddEntry(entry(QStringLiteral("two")), AddMode::Interactive);
        ASSERT_TRUE(saveBook(b).ok());
    }
    lextest::FaultEnv env;
    BookSession s(&env);
    lextest::writableBook(s).path = folder;
    lextest::writableBook(s).name = QStringLiteral("One");
    s.load();
    run<AddOp>(s, entry(QStringLiteral("unsaved")));
    Recorder rec(s);
    SaveQuestions decline;
    decline.askSaveAs = [](const SaveAsQuestion&) { return false; };
    decline.chooseFile = [](const QString&, SaveFailure) { return QString(); };

    // The save fails and the learner declines the save-as: the edits stay, nothing is loaded.
    env.breakAt(1, lextest::FaultEnv::Mode::Fail);
    EXPECT_FALSE(s.switchBook(folder, QStringLiteral("Two"), false, decline));
    EXPECT_EQ(s.book().name, QStringLiteral("One"));
    EXPECT_EQ(words(s), QStringList{QStringLiteral("unsaved")});
    EXPECT_EQ(rec.take(), QString());

    // Save-as into another folder: the switch still opens "Two" of the folder asked for.
    const QString elsewhere = dir.path(QStringLiteral("elsewhere/"));
    QDir().mkpath(elsewhere);
    SaveQuestions saveAs;
    saveAs.askSaveAs = [](const SaveAsQuestion&) { return true; };
    saveAs.chooseFile = [&](const QString&, SaveFailure) { return elsewhere + QStringLiteral("Kept.idx"); };
    env.breakAt(1, lextest::FaultEnv::Mode::Fail);
    EXPECT_TRUE(s.switchBook(folder, QStringLiteral("Two"), false, saveAs));
    EXPECT_EQ(s.book().path, folder);
    EXPECT_EQ(words(s), QStringList{QStringLiteral("two")});
    EXPECT_EQ(rec.take(), QStringLiteral("reset"));
    EXPECT_TRUE(QFile::exists(elsewhere + QStringLiteral("Kept.idx")));

    // Without saving: the edits are dropped on purpose.
    run<AddOp>(s, entry(QStringLiteral("dropped")));
    env.breakAt(0, lextest::FaultEnv::Mode::Fail);
    EXPECT_TRUE(s.switchBook(folder, QStringLiteral("One"), true, decline));
    EXPECT_TRUE(s.switchBook(folder, QStringLiteral("Two"), true, decline));
    EXPECT_EQ(words(s), QStringList{QStringLiteral("two")});
    EXPECT_EQ(s.book().atView(0)->seq, 0) << "a switch numbers from 0 again";
}

TEST(BookSession, AnImportAndAPracticeRunAreAnnouncedOnceEach)
{
    BookSession s;
    fill(s, 3);
    lextest::writableBook(s).textChanged = false;
    Recorder rec(s);
    FixedClock clock(QDateTime(QDate(2026, 1, 2), QTime(3, 4)));

    // A cancelled import keeps the entries before the cancel; their rows come in one announcement.
    ImportSettings settings;
    int steps = 0;
    settings.progress = [&steps](qsizetype, qsizetype) { return ++steps < 3; };
    QString text;
    for (int i = 0; i < 5000; ++i)
        text += QStringLiteral("x%1\r\n").arg(i);
    const ImportResult r = run<ImportOp>(s, text, settings, clock);
    ASSERT_TRUE(r.cancelled);
    ASSERT_GT(r.added, 0);
    EXPECT_EQ(s.rowCount(), 3 + r.added);
    EXPECT_EQ(rec.take(), QStringLiteral("ins 3-%1").arg(2 + r.added));
    EXPECT_TRUE(s.book().textChanged);
    // Nothing to add: no announcement, and the text file is not marked for rewriting.
    lextest::writableBook(s).textChanged = false;
    EXPECT_EQ(run<ImportOp>(s, u"\r\n", ImportSettings{}, clock).added, 0);
    EXPECT_EQ(rec.take(), QString());
    EXPECT_FALSE(s.book().textChanged);

    // The run start clears the temporary degree of the rows taken and says so.
    lextest::writableBook(s).atView(0)->temporary = 4;
    lextest::writableBook(s).atView(2)->temporary = 7;
    const std::vector<int32_t> rows = run<BeginPracticeOp>(s, Rows{2, 0, 2, s.rowCount() + 5});
    EXPECT_EQ(rows, (std::vector<int32_t>{0, 2}));
    EXPECT_EQ(s.book().atView(0)->temporary, 0);
    EXPECT_EQ(s.book().atView(2)->temporary, 0);
    EXPECT_EQ(rec.take(), QStringLiteral("chg 0-0|chg 2-2"));
    // What the practice window wrote into the entries reaches the views when the run ends.
    run<EndPracticeOp>(s, rows);
    EXPECT_EQ(rec.take(), QStringLiteral("chg 0-0|chg 2-2"));
}

// Undo puts taken rows back where they stood, on a Book read from its files (entries in the
// loader's block, texts borrowed from the loaded text file) and on entries made in memory.
TEST(BookSession, TakenRowsComeBackWhereTheyStood)
{
    lextest::TempDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    {
        BookSession writer;
        lextest::writableBook(writer).path = folder;
        lextest::writableBook(writer).name = QStringLiteral("Mine");
        fill(writer, 8);
        lextest::writableBook(writer).textChanged = true;
        ASSERT_TRUE(saveBook(lextest::writableBook(writer)).ok());
    }
    BookSession s;
    lextest::writableBook(s).path = folder;
    lextest::writableBook(s).name = QStringLiteral("Mine");
    s.load();
    run<AddOp>(s, entry(QStringLiteral("made")));   // one entry outside the block
    Recorder rec(s);
    const QStringList all = words(s);

    run<DeleteOp>(s, Rows{8, 1, 5, 6});
    EXPECT_EQ(words(s), (QStringList{"w0", "w2", "w3", "w4", "w7"}));
    rec.take();
    lextest::writableBook(s).textChanged = false;
    s.undo();
    EXPECT_EQ(words(s), all);
    EXPECT_EQ(rec.take(), QStringLiteral("ins 1-1|ins 5-6|ins 8-8"));
    EXPECT_TRUE(s.book().textChanged) << "the text file may no longer hold them";
    EXPECT_EQ(s.book().atView(8)->seq, 8);

    // Every row: the entries themselves are kept, and freed with the step when it is dropped.
    const std::vector<WordEntry*> entries = s.book().view();
    run<DeleteOp>(s, Rows{0, 1, 2, 3, 4, 5, 6, 7, 8});
    EXPECT_EQ(s.rowCount(), 0);
    s.undo();
    EXPECT_EQ(s.book().view(), entries);
    EXPECT_EQ(s.book().atView(3)->explanation(), QStringLiteral("e3"));
    run<DeleteOp>(s, Rows{2, 3});
    run<DeleteOp>(s, Rows{0, 1, 2, 3, 4, 5, 6});
    s.history().clear();
    EXPECT_EQ(s.rowCount(), 0);
    ASSERT_TRUE(saveBook(lextest::writableBook(s)).ok());
}
