// Every lexbook verb that writes a Book or Config.INI refuses while another program holds its
// lock, changing nothing, and does its work once the lock is free.
#include "common/config/profile.h"
#include "lexora/book/book_file.h"
#include "lexora/book/book_lock.h"
#include "temp_dir.h"
#include "tool_run.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

struct WriterVerb {
    const char* name;
    QStringList args;   // "%D" stands for the test's folder
    const char* changed;   // the file the verb writes there
};

const WriterVerb kWriters[] = {
    {"Import", {"import", "%D/B", "%D/list.txt", "--style", "1"}, "B.idx"},
    {"Salvage", {"salvage", "%D/B", "%D/Out"}, "Out.idx"},
    {"Sync", {"sync", "%D/B", "--folder", "%D", "--device", "t"}, "B.sync"},
    {"ConfigSet", {"config", "%D/Config.INI", "set", "INIT", "BookName", "Other"}, "Config.INI"},
    {"ConfigSetStruct", {"config", "%D/Config.INI", "set", "INIT", "LexoraDlgSize", "--struct", "01020304"}, "Config.INI"},
};

TEST(LexbookWriters, RefuseWhileAnotherProgramHoldsTheLockAndWriteOnceItIsFree)
{
    lextest::TempDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    lex::Book book;
    book.path = folder;
    book.name = QStringLiteral("B");
    auto e = std::make_unique<lex::WordEntry>();
    e->setWord(QStringLiteral("apple"));
    book.AddEntry(std::move(e), lex::AddMode::Interactive);
    ASSERT_TRUE(lex::saveBook(book).ok());
    dir.write(QStringLiteral("list.txt"), "pear\t梨\n");
    dir.write(QStringLiteral("Config.INI"), "[INIT]\nBookName=B\n");
    // lexbook finds the Book locks where Lexora puts them: $XDG_RUNTIME_DIR/lexora.
    QDir().mkpath(dir.path(QStringLiteral("run")));
    const QString runtime = dir.path(QStringLiteral("run/lexora"));
    const QStringList env{QStringLiteral("XDG_RUNTIME_DIR=") + dir.path(QStringLiteral("run"))};

    auto runAll = [&](bool held) {
        for (const WriterVerb& v : kWriters) {
            SCOPED_TRACE(std::string(v.name) + (held ? " while held" : " once free"));
            QStringList args;
            for (const QString& a : v.args)
                args << QString(a).replace(QStringLiteral("%D"), dir.path());
            const QString file = QString::fromLatin1(v.changed);
            const QByteArray before = dir.exists(file) ? dir.read(file) : QByteArray();
            const lextest::ToolRun r = lextest::runTool(lextest::lexbookPath(), args, env);
            if (held) {
                EXPECT_EQ(r.code, 3) << r.err.toStdString();
                EXPECT_TRUE(r.err.contains(QStringLiteral("nothing was changed"))) << r.err.toStdString();
                EXPECT_EQ(dir.exists(file) ? dir.read(file) : QByteArray(), before);
            } else {
                EXPECT_EQ(r.code, 0) << r.err.toStdString();
                EXPECT_NE(dir.read(file), before);
            }
        }
    };

    // Lexora holds the Book it has open (and one it is about to save as), Glosix is stuck in a
    // write of Config.INI.
    std::unique_ptr<lex::FileLock> b, out;
    ASSERT_TRUE(lex::lockBook(runtime, folder, QStringLiteral("B"), 0, &b));
    ASSERT_TRUE(lex::lockBook(runtime, folder, QStringLiteral("Out"), 0, &out));
    lex::Profile glosix(dir.path(QStringLiteral("Config.INI")));
    ASSERT_TRUE(glosix.lockWriters(0));
    runAll(true);
    b.reset();
    out.reset();
    glosix.unlockWriters();
    runAll(false);
}

} // namespace
