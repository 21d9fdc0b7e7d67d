// The save of a shutdown request: when the Book cannot be saved where it belongs, it is written
// whole into a new recovery folder (never over an earlier one) that the next start is told of.
#include "session_probe.h"
#include "fault_env.h"
#include "temp_dir.h"

#include "lexora/book/book_recovery.h"
#include "lexora/book/book_session.h"
#include "lexora/book/operations/degree_ops.h"
#include "lexora/book/operations/entry_ops.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace lex;

namespace {

QStringList entriesOf(const Book& b)
{
    QStringList out;
    for (const WordEntry* e : b.full())
        out << QStringLiteral("%1 %2 %3").arg(e->word().toString(), e->explanation().toString()).arg(e->stored.spelling);
    return out;
}

enum class Trouble { None, BookFolderRemoved, FirstWriteFails };

} // namespace

TEST(ShutdownSave, AFailedSaveWritesTheWholeBookToANewRecoveryFolder)
{
    const struct {
        const char* name;
        Trouble trouble;
    } cases[] = {{"saved", Trouble::None}, {"folder removed", Trouble::BookFolderRemoved},
                 {"first write fails", Trouble::FirstWriteFails}};
    const QDateTime now(QDate(2026, 3, 1), QTime(18, 30, 5));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        lextest::TempDir dir;
        const QString folder = dir.path(QStringLiteral("Book")) + QLatin1Char('/');
        const QString root = dir.path(QStringLiteral("recovered"));
        ASSERT_TRUE(createDirs(Env::defaultEnv(), folder));
        lextest::FaultEnv env;
        BookSession s(&env);
        lextest::writableBook(s).path = folder;
        lextest::writableBook(s).name = QStringLiteral("English");
        s.load();
        for (int i = 0; i < 3; ++i) {
            auto e = std::make_unique<WordEntry>();
            e->setWord(QStringLiteral("w%1").arg(i));
            e->setExplanation(QStringLiteral("解释%1").arg(i));
            s.run(std::make_unique<AddOp>(std::move(e)));
        }
        ASSERT_TRUE(s.save({}).ok());
        s.run(std::make_unique<StrangenessOp>(std::vector<int>{1}, Degree::Spelling, DegreeChange::to(4)));   // changed since: only the index would be rewritten
        const QStringList expected = entriesOf(s.book());

        if (c.trouble == Trouble::BookFolderRemoved)
            ASSERT_TRUE(QDir(folder).removeRecursively());
        QStringList written;
        for (int round = 0; round < 2; ++round) {
            env.breakAt(c.trouble == Trouble::FirstWriteFails ? 1 : 0, lextest::FaultEnv::Mode::Fail);
            lextest::writableBook(s).saveOnExit = true;
            const QString where = saveForShutdownRequest(s, root, now);
            EXPECT_FALSE(s.book().saveOnExit) << "the window's exit would save (and ask) again";
            if (c.trouble == Trouble::None) {
                EXPECT_TRUE(where.isEmpty());
                continue;
            }
            ASSERT_TRUE(where.startsWith(root + QStringLiteral("/2026-03-01_18-30-05"))) << where.toStdString();
            EXPECT_FALSE(written.contains(where)) << "written over an earlier copy";
            written << where;
            Book back;
            back.path = where.left(where.lastIndexOf(QLatin1Char('/')) + 1);
            back.name = QStringLiteral("English");
            EXPECT_TRUE(LoadBook(back).clean());
            EXPECT_EQ(entriesOf(back), expected);
            // The open Book is still the learner's own.
            EXPECT_EQ(s.book().path, folder);
        }
        EXPECT_EQ(takeRecoveredBooks(root, Env::defaultEnv()), written);
        EXPECT_TRUE(takeRecoveredBooks(root, Env::defaultEnv()).isEmpty()) << "told twice";
        if (c.trouble == Trouble::None) {
            Book saved;
            saved.path = folder;
            saved.name = QStringLiteral("English");
            LoadBook(saved);
            EXPECT_EQ(entriesOf(saved), expected);
        }
    }
}
