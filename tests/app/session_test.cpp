// The word-book window's decisions without its widgets: which Book to open, the delete command,
// and the keys kept in Config.INI.
#include "app_test_support.h"

#include "common/config/profile.h"
#include "lexora/app/word_book_session.h"
#include "lexora/book/book_file.h"
#include "lexora/book/book_session.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace lex;
using apptest::CheckingServices;
using lextest::TempDir;

TEST(BookChoice, ExistingFolderAndNameAreUsedWithoutAQuestion)
{
    TempDir dir;
    apptest::writeBook(dir.path(QStringLiteral("b")), QStringLiteral("Mine"), 1);
    CheckingServices ui;
    // Windows separators and a missing trailing separator are both taken.
    QString configured = dir.path(QStringLiteral("b"));
    configured.replace(QLatin1Char('/'), QLatin1Char('\\'));
    const QString path = resolveBookPath(configured, dir.path(), ui, nullptr, nullptr);
    EXPECT_EQ(path, dir.path(QStringLiteral("b/")));
    EXPECT_EQ(resolveBookName(path, QStringLiteral("Mine"), ui, nullptr, nullptr), QStringLiteral("Mine"));
    EXPECT_TRUE(ui.messages().isEmpty());
}

TEST(BookChoice, MissingFolderAsksAndYesGivesTheProgramsBookFolder)
{
    TempDir dir;
    CheckingServices ui;
    ui.queueAnswer(MessageAnswer::Yes);
    const QString path = resolveBookPath(dir.path(QStringLiteral("gone")), dir.path(), ui, nullptr, nullptr);
    EXPECT_EQ(path, dir.path() + QStringLiteral("/Book/"));
    EXPECT_TRUE(QFileInfo(path).isDir()) << "the default folder is made so that the Book can be created in it";
    EXPECT_EQ(ui.messages(), QStringList{QStringLiteral("Book路径不存在，是否重置为默认路径。")});

    // No keeps the configured folder; an empty setting counts as missing.
    CheckingServices no;
    no.queueAnswer(MessageAnswer::No);
    EXPECT_EQ(resolveBookPath(QStringLiteral("/nowhere/at/all"), dir.path(), no, nullptr, nullptr),
              QStringLiteral("/nowhere/at/all/"));
    CheckingServices empty;
    empty.queueAnswer(MessageAnswer::No);
    EXPECT_EQ(resolveBookPath(QString(), dir.path(), empty, nullptr, nullptr), QString());
    EXPECT_EQ(empty.messages().size(), 1);
}

TEST(BookChoice, MissingBookNamesTheIndexFileAndFallsBackToBook)
{
    TempDir dir;
    CheckingServices ui;
    const QString path = dir.path() + QLatin1Char('/');
    EXPECT_EQ(resolveBookName(path, QStringLiteral("Lost"), ui, nullptr, nullptr), QStringLiteral("Book"));
    EXPECT_EQ(ui.messages(), QStringList{QStringLiteral("指定Book文件不存在:%1Lost.idx，将指定一个默认Book名：<Book>").arg(path)});
}

TEST(DeleteCommand, CancelKeepsEverythingButATickedBoxStopsTheQuestions)
{
    BookSession book;
    QStringList asked;
    auto answer = [&asked](bool yes, bool tick) {
        return [&asked, yes, tick](const QString& text, bool* dontAsk) {
            asked << text;
            *dontAsk = tick;
            return yes;
        };
    };
    EXPECT_FALSE(confirmDeletion(book, 0, 0, answer(true, false))) << "nothing selected: no question";
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_FALSE(confirmDeletion(book, 2, 0, answer(false, true)));
    EXPECT_EQ(asked, QStringList{QStringLiteral("您已选择了(2)项\n是否要删除选择项")});
    EXPECT_FALSE(book.book().confirmDelete) << "a ticked box counts on cancel too";
    // No question any more for the rest of the run.
    EXPECT_TRUE(confirmDeletion(book, 1, 0, answer(false, false)));
    EXPECT_EQ(asked.size(), 1);
}

TEST(DeleteCommand, ParameterOneAsksNothing)
{
    BookSession book;
    QStringList asked;
    auto ask = [&asked](const QString& text, bool*) {
        asked << text;
        return false;
    };
    EXPECT_TRUE(confirmDeletion(book, 3, 1, ask));
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_TRUE(book.book().confirmDelete);
    EXPECT_FALSE(confirmDeletion(book, 3, 0, ask));
    EXPECT_EQ(asked.size(), 1);
}

TEST(WordBookConfig, FocusedRowAndFontTypeCarryOverThroughMainListCtrl)
{
    TempDir dir;
    // A file from before, with only the INIT keys: they are read.
    dir.write(QStringLiteral("Config.INI"), "[INIT]\nFocusedItem=7\nFontType=2\nIsCase=1\n");
    Profile p(dir.path(QStringLiteral("Config.INI")));
    WordBookConfig c = readWordBookConfig(p);
    EXPECT_EQ(c.focusedItem, 7);
    EXPECT_EQ(c.fontType, 2);
    EXPECT_TRUE(c.isCase);
    EXPECT_FALSE(c.background.has_value());
    EXPECT_EQ(c.columnWidths, config::kDefaultColumnWidths);

    WordBookExitState s;
    s.voicePath = QStringLiteral("/v/");
    s.bookPath = QStringLiteral("/b/");
    s.bookName = QStringLiteral("Name");
    s.focusedItem = 12;
    s.fontType = 1;
    s.background = QColor(1, 2, 3);
    s.columnWidths = {41, 121, 122, 81, 31, 32, 33, 34, 101, 102, 103, 70000};
    writeWordBookConfig(p, s);

    // What was written at exit is what the next start reads.
    c = readWordBookConfig(p);
    EXPECT_EQ(c.focusedItem, 12);
    EXPECT_EQ(c.fontType, 1);
    EXPECT_FALSE(c.isCase);
    EXPECT_EQ(c.bookPath, QStringLiteral("/b/"));
    EXPECT_EQ(c.bookName, QStringLiteral("Name"));
    ASSERT_TRUE(c.background.has_value());
    EXPECT_EQ(*c.background, QColor(1, 2, 3));
    EXPECT_EQ(c.columnWidths[0], 41);
    EXPECT_EQ(c.columnWidths[11], 0xFFFF) << "a width beyond 16 bits is clamped, not wrapped";
    EXPECT_EQ(p.readInt(QStringLiteral("MAINLISTCTRL"), QStringLiteral("FocusedItem"), 0), 12);
    EXPECT_EQ(p.readInt(QStringLiteral("MAINLISTCTRL"), QStringLiteral("FontSize"), 0), 1);
    EXPECT_EQ(p.readString(QStringLiteral("INIT"), QStringLiteral("VoicePath")), QStringLiteral("/v/"));
    EXPECT_EQ(p.readInt(QStringLiteral("INIT"), QStringLiteral("IsDisableTTS"), 9), 0);
}

TEST(WordBookConfig, ABrokenColumnWidthChecksumGivesTheDefaults)
{
    TempDir dir;
    Profile p(dir.path(QStringLiteral("Config.INI")));
    config::ColumnWidths w = config::kDefaultColumnWidths;
    w[1] = 300;
    ASSERT_TRUE(p.writeStruct(QStringLiteral("MAINLISTCTRL"), QStringLiteral("ColumnWidth"), config::packColumnWidths(w)));
    EXPECT_EQ(readWordBookConfig(p).columnWidths[1], 300);
    QByteArray ini = dir.read(QStringLiteral("Config.INI"));
    const qsizetype eq = ini.indexOf("ColumnWidth=");
    const qsizetype end = ini.indexOf('\n', eq);
    ini[end - 1] = ini[end - 1] == '0' ? '1' : '0';   // the checksum's last digit
    dir.write(QStringLiteral("Config.INI"), ini);
    EXPECT_EQ(readWordBookConfig(p).columnWidths, config::kDefaultColumnWidths);
}
