// The open Book and the other writers: a Book whose lock another writer never lets go is opened
// read-only (nothing of it changed, never saved over), and a save-as locks its new Book before
// writing it, never writing one another writer holds.
#include "session_probe.h"
#include "temp_dir.h"

#include "lexora/book/book_lock.h"
#include "lexora/book/book_session.h"
#include "lexora/book/operations/degree_ops.h"
#include "lexora/book/operations/entry_ops.h"
#include "lexora/texts/lexora_texts.h"

#include <gtest/gtest.h>
#include <map>

using namespace lex;

namespace {

std::map<QString, QByteArray> contents(const lextest::TempDir& dir, const QString& sub)
{
    std::map<QString, QByteArray> m;
    for (const QString& f : dir.files())
        if (f.startsWith(sub))
            m[f] = dir.read(f);
    return m;
}

} // namespace

TEST(BookSessionLock, AHungWriterMeansReadOnlyAndSaveAsLocksItsBookFirst)
{
    lextest::TempDir dir;
    const QString runtime = dir.path(QStringLiteral("run"));
    const QString folder = dir.path(QStringLiteral("Book")) + QLatin1Char('/');
    {
        Book b;
        b.path = folder;
        ASSERT_TRUE(createDirs(Env::defaultEnv(), folder));
        b.name = QStringLiteral("A");
        for (const char* w : {"apple", "pear"}) {
            auto e = std::make_unique<WordEntry>();
            e->setWord(QString::fromLatin1(w));
            b.AddEntry(std::move(e), AddMode::Interactive);
        }
        ASSERT_TRUE(saveBook(b).ok());
    }
    // What a load that may write would tidy away: the other writer's business now.
    dir.write(QStringLiteral("Book/A.idx.damaged-0badf00d.tmp"), "half");
    const auto before = contents(dir, QStringLiteral("Book/"));

    // The hung writer holds A; another holds B.
    std::unique_ptr<FileLock> a, b;
    ASSERT_TRUE(lockBook(runtime, folder, QStringLiteral("A"), 0, &a));
    ASSERT_TRUE(lockBook(runtime, folder, QStringLiteral("B"), 0, &b));

    BookSession s;
    s.setLockFolder(runtime, 100);
    lextest::writableBook(s).path = folder;
    lextest::writableBook(s).name = QStringLiteral("A");
    s.load();
    EXPECT_TRUE(s.readOnly());
    EXPECT_FALSE(s.holdsBookLock());
    EXPECT_EQ(s.rowCount(), 2);
    EXPECT_EQ(contents(dir, QStringLiteral("Book/")), before) << "a read-only load changed the files";
    auto e = std::make_unique<WordEntry>();
    e->setWord(QStringLiteral("plum"));
    ASSERT_GE(s.run(std::make_unique<AddOp>(std::move(e))), 0);

    // Each save: the questions asked, the answers given, the file names chosen.
    struct Round {
        std::vector<bool> answers;
        QStringList chosen;
        QStringList expectedQuestions;
        bool saved;
    };
    const Round rounds[] = {
        // Declined: nothing written, the edit still there for the next try.
        {{false}, {}, {texts::saveAsQuestion({SaveAsQuestion::Why::ReadOnly, QStringLiteral("A")})}, false},
        // A itself and B are held: each refused with its question; C is free.
        {{true, true, true},
         {folder + QStringLiteral("A.idx"), folder + QStringLiteral("B.idx"), folder + QStringLiteral("C.idx")},
         {texts::saveAsQuestion({SaveAsQuestion::Why::ReadOnly, QStringLiteral("A")}),
          texts::saveAsQuestion({SaveAsQuestion::Why::Busy, QStringLiteral("A")}),
          texts::saveAsQuestion({SaveAsQuestion::Why::Busy, QStringLiteral("B")})},
         true},
    };
    for (const Round& r : rounds) {
        QStringList asked;
        size_t answer = 0, file = 0;
        SaveQuestions q;
        q.askSaveAs = [&](const SaveAsQuestion& question) {
            asked << texts::saveAsQuestion(question);
            return answer < r.answers.size() && r.answers[answer++];
        };
        q.chooseFile = [&](const QString&, SaveFailure) { return file < size_t(r.chosen.size()) ? r.chosen[file++] : QString(); };
        EXPECT_EQ(s.save(q).ok(), r.saved);
        EXPECT_EQ(asked, r.expectedQuestions);
        EXPECT_EQ(file, size_t(r.chosen.size()));
    }
    auto after = contents(dir, QStringLiteral("Book/"));
    EXPECT_FALSE(after.count(QStringLiteral("Book/B.idx")) || after.count(QStringLiteral("Book/B.txt")));
    after.erase(QStringLiteral("Book/C.idx"));
    after.erase(QStringLiteral("Book/C.txt"));
    EXPECT_EQ(after, before) << "A was written to or B created";

    // C is the open Book now, writable and held against others.
    EXPECT_FALSE(s.readOnly());
    EXPECT_TRUE(s.holdsBookLock());
    EXPECT_EQ(s.book().name, QStringLiteral("C"));
    std::unique_ptr<FileLock> c;
    bool busy = false;
    EXPECT_FALSE(lockBook(runtime, folder, QStringLiteral("C"), 0, &c, &busy));
    EXPECT_TRUE(busy);
    Book reread;
    reread.path = folder;
    reread.name = QStringLiteral("C");
    LoadBook(reread);
    EXPECT_EQ(reread.size(), 3);
}
