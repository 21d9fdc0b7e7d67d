// The start-up questions and messages, in their order, and what a first run leaves behind.
#include "app_test_support.h"

#include "common/config/config_keys.h"
#include "common/config/profile.h"
#include "lexora/app/lexora_dlg.h"
#include "lexora/app/main_dialog.h"
#include "lexora/app/word_book_session.h"
#include "lexora/book/book_lock.h"
#include "lexora/texts/lexora_texts.h"
#include "lexora/book/operations/degree_ops.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace lex;

namespace {

// Relative folders are looked up in the working folder: each test gets its own.
class WorkingFolder {
public:
    explicit WorkingFolder(const QString& dir) : old_(QDir::currentPath()) { QDir::setCurrent(dir); }
    ~WorkingFolder() { QDir::setCurrent(old_); }

private:
    QString old_;
};

} // namespace

TEST(Startup, AFirstRunWithoutConfigAsksItsWayToAnEmptyBook)
{
    lextest::TempDir dir;
    const QString home = dir.path(QStringLiteral("home"));
    QDir().mkpath(home);
    WorkingFolder cwd(dir.path());
    apptest::CheckingServices ui;
    ui.queueAnswer(MessageAnswer::Yes);   // voice folder: the default
    ui.queueAnswer(MessageAnswer::Yes);   // Book folder: the default
    AppServices services = apptest::testServices(&ui);   // no speech engine

    CMainDialog w(services, home);
    ASSERT_TRUE(w.initialise());
    EXPECT_EQ(ui.base.opened(), QStringList{home + QStringLiteral("/Readme.txt")});
    const QStringList expected = {
        QStringLiteral("不能打开词典文件，请确认此文件是否存在\n") + home + QStringLiteral("/Dict/Dict.idx"),
        QStringLiteral("不能打开词典文件，请确认此文件是否存在\n") + home + QStringLiteral("/Dict/Dict.dic"),
        QStringLiteral("TTS初始化错误"),
        QStringLiteral("真人语音路径不存在，是否重置为默认路径。"),
        QStringLiteral("Book路径不存在，是否重置为默认路径。"),
        QStringLiteral("指定Book文件不存在:%1/Book/.idx，将指定一个默认Book名：<Book>").arg(home),
    };
    EXPECT_EQ(ui.messages(), expected);
    EXPECT_EQ(w.wordBook()->paneText(0), QStringLiteral("Book:Book"));
    EXPECT_EQ(w.wordBook()->list()->itemCount(), 0);
    EXPECT_TRUE(QFileInfo::exists(home + QStringLiteral("/Book/Book.idx")));
    Profile p(home + QStringLiteral("/Config.INI"));
    EXPECT_EQ(p.readString(QStringLiteral("INIT"), QStringLiteral("IsFist")), QStringLiteral("0"));

    w.onCommand(cmd::kExit, 0);
    EXPECT_EQ(QFileInfo(home + QStringLiteral("/Book/Book.idx")).size(), 5);
    EXPECT_EQ(p.readString(QStringLiteral("INIT"), QStringLiteral("BookName")), QStringLiteral("Book"));
    EXPECT_EQ(p.readString(QStringLiteral("INIT"), QStringLiteral("VoicePath")), home + QStringLiteral("/Voice/"));
    // No synced folder named: nothing of one, neither beside the Book nor in the settings.
    EXPECT_EQ(QDir(home + QStringLiteral("/Book")).entryList({QStringLiteral("*.sync"), QStringLiteral("*.lxj")}, QDir::Files),
              QStringList());
    QFile config(home + QStringLiteral("/Config.INI"));
    ASSERT_TRUE(config.open(QIODevice::ReadOnly));
    EXPECT_FALSE(config.readAll().contains("[SYNC]"));

    // The second start asks nothing and opens no Readme.
    apptest::CheckingServices again;
    QDir().mkpath(home + QStringLiteral("/Voice"));
    CMainDialog w2(apptest::testServices(&again), home);
    ASSERT_TRUE(w2.initialise());
    for (const QString& m : again.messages())
        EXPECT_TRUE(m.startsWith(QStringLiteral("不能打开词典文件")) || m == QStringLiteral("TTS初始化错误"))
            << m.toStdString();
    EXPECT_TRUE(again.base.opened().isEmpty());
}

TEST(Startup, NoToTheQuestionsKeepsTheMissingFoldersAndAnEmptyBook)
{
    lextest::TempDir dir;
    const QString home = dir.path(QStringLiteral("home"));
    QDir().mkpath(home);
    dir.write(QStringLiteral("home/Config.INI"),
              "[INIT]\nIsFist=0\nIsDisableTTS=1\nVoicePath=/no/voice/\nBookPath=/no/book/\nBookName=Mine\n");
    apptest::CheckingServices ui;
    ui.queueAnswer(MessageAnswer::No);
    ui.queueAnswer(MessageAnswer::No);
    CMainDialog w(apptest::testServices(&ui), home);
    ASSERT_TRUE(w.initialise());
    QStringList asked = ui.messages();
    asked.erase(std::remove_if(asked.begin(), asked.end(),
                               [](const QString& m) { return m.startsWith(QStringLiteral("不能打开词典文件")); }),
                asked.end());
    EXPECT_EQ(asked, (QStringList{QStringLiteral("真人语音路径不存在，是否重置为默认路径。"),
                                  QStringLiteral("Book路径不存在，是否重置为默认路径。"),
                                  QStringLiteral("指定Book文件不存在:/no/book/Mine.idx，将指定一个默认Book名：<Book>")}));
    EXPECT_EQ(w.wordBook()->book().path, QStringLiteral("/no/book/"));
    EXPECT_EQ(w.wordBook()->list()->itemCount(), 0);
    EXPECT_TRUE(ui.base.opened().isEmpty());
}

TEST(Startup, AnOldIndexFormOpensTheReportAndTheWindowRectangleIsRestored)
{
    lextest::TempDir dir;
    const auto pf = apptest::makeProgramFolder(dir, 3);
    // An index without its header: the 21-byte records alone.
    QByteArray idx = dir.read(QStringLiteral("home/Book/English.idx"));
    dir.write(QStringLiteral("home/Book/English.idx"), idx.mid(5));
    Profile p(pf.folder + QStringLiteral("/Config.INI"));
    ASSERT_TRUE(p.writeStruct(QStringLiteral("INIT"), QStringLiteral("LexoraDlgSize"),
                              config::packRect(config::Rect{20, 30, 920, 730})));
    apptest::CheckingServices ui;
    CMainDialog w(apptest::testServices(&ui), pf.folder);
    ASSERT_TRUE(w.initialise());
    EXPECT_EQ(ui.base.opened(), QStringList{pf.folder + QStringLiteral("/ReportError.txt")});
    EXPECT_EQ(w.wordBook()->list()->itemCount(), 3);
    EXPECT_EQ(w.geometry(), QRect(20, 30, 900, 700));
    EXPECT_TRUE(w.wordBook()->book().textChanged);
}

TEST(Startup, ADamagedBookIsToldOnceAndItsFilesAreKeptByTheSaveAtExit)
{
    lextest::TempDir dir;
    const auto pf = apptest::makeProgramFolder(dir, 3);
    // The second record's text end lies past the end of the text file.
    const QString idxName = QStringLiteral("home/Book/English.idx"), txtName = QStringLiteral("home/Book/English.txt");
    QByteArray idx = dir.read(idxName);
    const QByteArray txt = dir.read(txtName);
    qToLittleEndian<uint32_t>(uint32_t(txt.size() + 100), idx.data() + 5 + 21 + 4);
    dir.write(idxName, idx);
    auto bookMessages = [](const apptest::CheckingServices& ui) {
        QStringList m;
        for (const QString& t : ui.messages())
            if (!t.startsWith(QStringLiteral("不能打开词典文件")))
                m << t;
        return m;
    };
    {
        apptest::CheckingServices ui;
        CMainDialog w(apptest::testServices(&ui), pf.folder);
        ASSERT_TRUE(w.initialise());
        const QStringList told = bookMessages(ui);
        ASSERT_EQ(told.size(), 1);
        EXPECT_TRUE(told[0].startsWith(QStringLiteral("单词本“English”中有 1 条记录已损坏，未能读入。"))) << told[0].toStdString();
        EXPECT_TRUE(told[0].contains(pf.bookPath + QStringLiteral("English.idx.damaged-")));
        EXPECT_EQ(w.wordBook()->list()->itemCount(), 2);
        w.onCommand(cmd::kExit, 0);
        EXPECT_EQ(bookMessages(ui).size(), 1);
    }
    QStringList copies = QDir(pf.bookPath).entryList({QStringLiteral("*.damaged-*")}, QDir::Files, QDir::Name);
    ASSERT_EQ(copies.size(), 2);
    EXPECT_EQ(dir.read(QStringLiteral("home/Book/") + copies[0]), idx);
    EXPECT_EQ(dir.read(QStringLiteral("home/Book/") + copies[1]), txt);

    // The save left a sound Book: nothing more to tell, nothing more to keep.
    apptest::CheckingServices ui;
    CMainDialog w(apptest::testServices(&ui), pf.folder);
    ASSERT_TRUE(w.initialise());
    EXPECT_TRUE(bookMessages(ui).isEmpty());
    w.onCommand(cmd::kExit, 0);
    EXPECT_EQ(QDir(pf.bookPath).entryList({QStringLiteral("*.damaged-*")}, QDir::Files).size(), 2);
}

// Another writer keeps the Book locked past the wait: the learner is told it is open read-only,
// and the exit asks before anything (declined here), leaving the files as they were.
TEST(Startup, ABookAnotherWriterKeepsIsOpenedReadOnlyAndNeverSavedOver)
{
    lextest::TempDir dir;
    const auto pf = apptest::makeProgramFolder(dir, 3);
    const QByteArray idx = dir.read(QStringLiteral("home/Book/English.idx"));
    apptest::CheckingServices ui;
    AppServices services = apptest::testServices(&ui);
    services.runtimeDir = dir.path(QStringLiteral("run"));
    std::unique_ptr<FileLock> held;
    ASSERT_TRUE(lockBook(services.runtimeDir, pf.bookPath, QStringLiteral("English"), 0, &held));
    CMainDialog w(services, pf.folder);
    ASSERT_TRUE(w.initialise());
    EXPECT_TRUE(ui.messages().contains(texts::readOnlyNotice(QStringLiteral("English")))) << ui.messages().join('|').toStdString();
    EXPECT_EQ(w.wordBook()->list()->itemCount(), 3);
    w.wordBook()->session().run(std::make_unique<StrangenessOp>(std::vector<int>{0}, Degree::Spelling, DegreeChange::to(1)));
    ui.queueAnswer(MessageAnswer::No);   // save as another Book? no
    w.onCommand(cmd::kExit, 0);
    EXPECT_EQ(ui.messages().last(), texts::saveAsQuestion({SaveAsQuestion::Why::ReadOnly, QStringLiteral("English")}));
    EXPECT_EQ(dir.read(QStringLiteral("home/Book/English.idx")), idx);
}
