// Another program's file through the import/export dialog, driven by control numbers with scripted
// answers: the format follows the extension, the table preview and its field map, the import as
// one step that an undo takes back whole, bad files that change nothing, an export read back, and
// a package's sounds copied into the voice folder.
#include "session_probe.h"
#include "../wordlist/list_fixture.h"
#include "book_snapshot.h"
#include "entry_builder.h"
#include "scripted_services.h"
#include "temp_dir.h"

#include "lexora/exchange/foreign_exchange.h"
#include "common/ui/template_builder.h"
#include "lexora/exchange/import_dialog.h"
#include "resources/resources.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableWidget>
#include <gtest/gtest.h>

using namespace lex;
using namespace lex::res::import_dlg;

namespace {

class ForeignDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* w : {"alpha", "beta", "gamma"})
            lextest::writableBook(session).AddEntry(lextest::entry(QString::fromLatin1(w), QStringLiteral("释义")), AddMode::Loaded);
        list = std::make_unique<CMyListCtrl>(&host, &session, &clock, nullptr);
        session.announceReset();
    }
    std::unique_ptr<CMyImportDialog> open(bool importMode)
    {
        ImportExportHost h;
        h.session = &session;
        h.list = list.get();
        h.ui = &ui;
        h.clock = &clock;
        h.programFolder = dir.path(QStringLiteral("prog"));
        QDir().mkpath(h.programFolder);   // Config.INI keeps the dialog's choices there
        h.voiceFolder = dir.path(QStringLiteral("Voice/"));
        h.lookUp = lookUp;
        return std::make_unique<CMyImportDialog>(importMode, h);
    }
    LookUpFn lookUp;
    lextest::TempDir dir;
    lextest::ScriptedServices ui;
    wltest::FakeHost host;
    BookSession session;
    FixedClock clock{QDateTime(QDate(2026, 3, 4), QTime(5, 6))};
    std::unique_ptr<CMyListCtrl> list;
};

template <class T>
T* at(CMyImportDialog& d, int id)
{
    return ui::control<T>(&d, id);
}

} // namespace

TEST_F(ForeignDialog, ImportsATableWithTheLearnersFieldMapAndUndoesItWhole)
{
    const QString file = dir.path(QStringLiteral("deck.tsv"));
    dir.write(QStringLiteral("deck.tsv"), "#columns:Front\tBack\tIPA\tNotes\n"
                                          "apple\t苹果\tˈæpl\tfruit\n"
                                          "tab\tb\tx\tline1\n"
                                          "\tno word\t\t\n");
    const std::string before = lextest::snapshot(session.book());
    auto d = open(true);
    ui.queueFileName(file);
    d->onCommand(kOpenFile, 0);
    EXPECT_EQ(d->foreignKind(), ForeignKind::Tsv) << "chosen by the extension";
    EXPECT_EQ(at<QComboBox>(*d, kFormat)->currentText(), QStringLiteral("TSV"));
    EXPECT_FALSE(at<QWidget>(*d, kStyle1)->isEnabled());
    auto* table = at<QTableWidget>(*d, kTable);
    ASSERT_FALSE(table->isHidden());
    EXPECT_EQ(table->columnCount(), 4);
    EXPECT_EQ(table->item(0, 1)->text(), QStringLiteral("苹果"));
    EXPECT_EQ(at<QLineEdit>(*d, kLineCount)->text(), QStringLiteral("3"));
    // The guess from the field names, shown in the headers too.
    const FieldMap guess = d->fieldMap();
    EXPECT_EQ(guess.word, 0);
    EXPECT_EQ(guess.explanation, 1);
    EXPECT_EQ(guess.phonetic, 2);
    EXPECT_EQ(guess.comment, 3);
    EXPECT_EQ(table->horizontalHeaderItem(2)->text(), QStringLiteral("IPA → 音标"));

    // The learner takes the notes as the explanation and leaves the comment out.
    at<QComboBox>(*d, kMapExplanation)->setCurrentIndex(4);   // item 0 is "(无)"
    at<QComboBox>(*d, kMapComment)->setCurrentIndex(0);
    EXPECT_EQ(table->horizontalHeaderItem(3)->text(), QStringLiteral("Notes → 解释"));
    at<QComboBox>(*d, kRecognition)->setCurrentIndex(5);
    d->onCommand(kRun, 0);
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_TRUE(ui.messages().front().startsWith(QStringLiteral("导入完成，导入单词数:2\n没有单词而未导入:1")))
        << ui.messages().front().toStdString();

    const Book& b = session.book();
    ASSERT_EQ(b.size(), 5);
    EXPECT_EQ(b.atView(3)->word(), QStringLiteral("apple"));
    EXPECT_EQ(b.atView(3)->explanation(), QStringLiteral("fruit"));
    EXPECT_EQ(b.atView(3)->phonetic(), QStringLiteral("ˈæpl"));
    EXPECT_EQ(b.atView(3)->comment(), QString());
    EXPECT_EQ(b.atView(4)->stored.recognition, 5);
    EXPECT_EQ(b.atView(4)->stored.added, toEntryTime(clock.localNow()));
    EXPECT_EQ(list->selectedRows(), (std::vector<int>{3, 4}));
    EXPECT_TRUE(b.textChanged);

    const std::string after = lextest::snapshot(b);
    EXPECT_EQ(session.history().count(), 1) << "one step";
    session.undo();
    EXPECT_EQ(lextest::snapshot(b), before);
    session.redo();
    EXPECT_EQ(lextest::snapshot(b), after);
}

// Whatever is wrong with a file, the learner is told and the Book stays as it was.
TEST_F(ForeignDialog, BadFilesChangeNothingAndSaySo)
{
    struct Case {
        const char* name;
        QByteArray bytes;
        int format;   // the 格式 item the learner picks after the path (0: by the extension)
    } cases[] = {
        {"damaged.apkg", QByteArray("PK\x03\x04 not really a zip", 24), 0},
        {"entities.kvtml", "<?xml version=\"1.0\"?><!DOCTYPE kvtml [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;\">]>"
                           "<kvtml version=\"2.0\"><entries><entry id=\"0\"><translation id=\"0\"><text>&b;</text>"
                           "</translation></entry></entries></kvtml>", 0},
        {"empty.csv", "", 0},
        {"words.txt", "not a package", 1},   // the learner says Anki for a text file
        {"missing.tsv", {}, 0},
    };
    const std::string before = lextest::snapshot(session.book());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.path(QString::fromLatin1(c.name));
        if (QByteArray(c.name) != "missing.tsv")
            dir.write(QString::fromLatin1(c.name), c.bytes);
        ui.clear();
        auto d = open(true);
        at<QLineEdit>(*d, kPath)->setText(path);
        d->onCommand(kPath, 0);
        if (c.format)
            at<QComboBox>(*d, kFormat)->setCurrentIndex(c.format);
        ASSERT_TRUE(d->foreignKind().has_value());
        d->onCommand(kRun, 0);
        ASSERT_EQ(ui.messages().size(), 1);
        const QString m = ui.messages().front();
        if (QByteArray(c.name) == "missing.tsv")
            EXPECT_EQ(m, QStringLiteral("请指定一个有效的文件路径名"));
        else
            EXPECT_TRUE(m.startsWith(QStringLiteral("无效文件"))) << m.toStdString();
        EXPECT_EQ(lextest::snapshot(session.book()), before);
        EXPECT_FALSE(session.history().canUndo());
    }
}

// The chooser opens on the files of the chosen format, and the next opening on that format again.
TEST_F(ForeignDialog, TheChooserFollowsTheFormatAndOpensOnItNextTime)
{
    const QString anki = QStringLiteral("Anki (*.apkg *.colpkg)|*.apkg;*.colpkg|文本文件 (*.txt)|*.txt|");
    const QString text = QStringLiteral("文本文件 (*.txt)|*.txt|Anki (*.apkg *.colpkg)|*.apkg;*.colpkg|");
    for (bool importMode : {true, false}) {
        SCOPED_TRACE(importMode ? "import" : "export");
        const auto chooserFilter = [&](CMyImportDialog& d) {
            ui.clear();
            ui.queueFileName(QString());   // the learner looks and cancels
            d.onCommand(kOpenFile, 0);
            return ui.shown().isEmpty() ? QString() : ui.shown().back().text;
        };
        {
            auto d = open(importMode);
            EXPECT_TRUE(chooserFilter(*d).startsWith(text));
            at<QComboBox>(*d, kFormat)->setCurrentIndex(1);
            EXPECT_TRUE(chooserFilter(*d).startsWith(anki)) << chooserFilter(*d).toStdString();
        }
        auto d = open(importMode);
        EXPECT_EQ(at<QComboBox>(*d, kFormat)->currentText(), QStringLiteral("Anki"));
        EXPECT_EQ(d->foreignKind(), ForeignKind::Anki);
        EXPECT_TRUE(chooserFilter(*d).startsWith(anki));
        at<QComboBox>(*d, kFormat)->setCurrentIndex(0);
        d.reset();
        EXPECT_TRUE(chooserFilter(*open(importMode)).startsWith(text));
    }
}

// Words come in with what the dictionary knows of them where the file says nothing, and words the
// Book holds are left out unless the learner unticks 跳过词库中已有的单词.
TEST_F(ForeignDialog, FillsWhatTheMapLeavesFromTheDictionaryAndSkipsKnownWords)
{
    lookUp = [](QStringView word, QString& explanation, QString& phonetic) {
        if (word == u"fig")
            explanation = QStringLiteral("词典的无花果"), phonetic = QStringLiteral("fɪɡ");
        else if (word == u"kiwi")
            explanation = QStringLiteral("猕猴桃"), phonetic = QStringLiteral("ˈkiːwiː");
        else
            return false;
        return true;
    };
    const QString file = dir.path(QStringLiteral("deck.csv"));
    dir.write(QStringLiteral("deck.csv"), "#columns:Front,Back\nalpha,甲\nfig,无花果\nfig,又一个\nkiwi,\n");
    const struct {
        bool skip;
        QString message;
        QStringList words;
    } cases[] = {
        {true, QStringLiteral("导入完成，导入单词数:2\n已在词库中而未导入:2"), {QStringLiteral("fig"), QStringLiteral("kiwi")}},
        {false, QStringLiteral("导入完成，导入单词数:4"),
         {QStringLiteral("alpha"), QStringLiteral("fig"), QStringLiteral("fig"), QStringLiteral("kiwi")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.skip);
        ui.clear();
        auto d = open(true);
        ui.queueFileName(file);
        d->onCommand(kOpenFile, 0);
        auto* skip = at<QAbstractButton>(*d, kSkipKnown);
        EXPECT_TRUE(skip->isChecked()) << "on for another program's file";
        at<QComboBox>(*d, kFormat)->setCurrentIndex(0);
        EXPECT_FALSE(skip->isChecked()) << "the text styles add every line";
        at<QComboBox>(*d, kFormat)->setCurrentIndex(3);
        EXPECT_TRUE(skip->isChecked());
        skip->setChecked(c.skip);
        d->onCommand(kRun, 0);
        ASSERT_EQ(ui.messages().size(), 1);
        EXPECT_EQ(ui.messages().front(), c.message);
        const Book& b = session.book();
        QStringList added;
        for (int row = 3; row < b.size(); ++row)
            added << b.atView(row)->word().toString();
        EXPECT_EQ(added, c.words);
        const WordEntry* fig = b.atView(int(3 + c.words.indexOf(QStringLiteral("fig"))));
        EXPECT_EQ(fig->phonetic(), QStringLiteral("fɪɡ"));
        EXPECT_EQ(fig->explanation(), QStringLiteral("无花果")) << "what the file gives stays";
        EXPECT_EQ(b.atView(b.size() - 1)->explanation(), QStringLiteral("猕猴桃"));
        session.undo();
    }
}

TEST_F(ForeignDialog, ExportsTheSelectedRowsInTheFormatOfTheExtension)
{
    const QString out = dir.path(QStringLiteral("out.csv"));
    list->selectRows({0, 2});
    auto d = open(false);
    at<QLineEdit>(*d, kPath)->setText(out);
    d->onCommand(kPath, 0);
    EXPECT_EQ(d->foreignKind(), ForeignKind::Csv);
    EXPECT_FALSE(at<QWidget>(*d, kUnicode)->isEnabled());
    d->onCommand(kRun, 0);
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_TRUE(ui.messages().front().startsWith(QStringLiteral("导出完成，导出单词数:2"))) << ui.messages().front().toStdString();
    ForeignTable t;
    ASSERT_TRUE(readForeign(ForeignKind::Csv, nullptr, out, &t));
    const std::vector<ImportRecord> r = recordsFromTable(t, guessFieldMap(t.fields));
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].word, QStringLiteral("alpha"));
    EXPECT_EQ(r[1].word, QStringLiteral("gamma"));
    EXPECT_EQ(r[1].explanation, QStringLiteral("释义"));
}

// Sounds become recorded files under the word's name; a recorded file is replaced only when the
// learner says so, and nothing lands outside the voice folder.
TEST(NoteSounds, CopiedUnderTheWordAskingBeforeReplacing)
{
    lextest::TempDir dir;
    const QString voice = dir.path(QStringLiteral("Voice/"));
    for (const char* sub : {"Voice/k", "Voice/r"})
        ASSERT_TRUE(QDir().mkpath(dir.path(QString::fromLatin1(sub))));
    dir.write(QStringLiteral("Voice/k/kept.mp3"), "mine");
    dir.write(QStringLiteral("Voice/r/replaced.wav"), "mine");
    ForeignTable t;
    t.fields = {QStringLiteral("Front")};
    auto row = [&](const char* word, const char* media) {
        t.rows.push_back({{QString::fromUtf8(word)}, {}, {QString::fromLatin1(media)}});
    };
    row("new ,", "a.mp3");       // stored as "new"
    row("kept", "b.mp3");
    row("replaced", "c.wav");
    row("../evil", "d.mp3");
    row("ogg", "e.ogg");
    row("", "f.mp3");            // no entry, no sound
    t.readMedia = [](const QString& name, QByteArray* out) {
        *out = "sound of " + name.toLatin1();
        return Status::ok();
    };
    const std::vector<NoteSound> sounds = noteSounds(t, guessFieldMap(t.fields));
    ASSERT_EQ(sounds.size(), 5u);
    EXPECT_EQ(sounds[0].word, QStringLiteral("new"));
    QStringList asked;
    const SoundCopyResult r = copyNoteSounds(Env::defaultEnv(), t, sounds, voice, [&](const QString& existing) {
        asked << existing;
        return existing.endsWith(QStringLiteral("replaced.wav"));
    });
    EXPECT_EQ(r.copied, 2);
    EXPECT_EQ(r.kept, 1);
    EXPECT_EQ(r.unusable, 2);
    EXPECT_TRUE(r.error.isEmpty());
    EXPECT_EQ(asked, (QStringList{voice + QStringLiteral("k/kept.mp3"), voice + QStringLiteral("r/replaced.wav")}));
    EXPECT_EQ(dir.read(QStringLiteral("Voice/n/new.mp3")), "sound of a.mp3");
    EXPECT_EQ(dir.read(QStringLiteral("Voice/k/kept.mp3")), "mine");
    EXPECT_EQ(dir.read(QStringLiteral("Voice/r/replaced.wav")), "sound of c.wav");
    EXPECT_FALSE(QFileInfo::exists(dir.path(QStringLiteral("evil.mp3"))));

    // An export packs the file playback would choose.
    auto sound = recordedSounds(Env::defaultEnv(), voice);
    QByteArray data;
    QString ext;
    EXPECT_TRUE(sound(*lextest::entry(QStringLiteral("kept")), &data, &ext));
    EXPECT_EQ(data, "mine");
    EXPECT_EQ(ext, QStringLiteral("mp3"));
    EXPECT_FALSE(sound(*lextest::entry(QStringLiteral("absent")), &data, &ext));
}

// A package's sounds through the dialog: asked once, then copied beside the learner's own files.
TEST_F(ForeignDialog, OffersAPackagesSoundsForTheVoiceFolder)
{
    const QString apkg = dir.path(QStringLiteral("deck.apkg"));
    auto fig = lextest::entry(QStringLiteral("fig"), QStringLiteral("无花果"));
    ForeignExportOptions options;
    options.sound = [](const WordEntry& e, QByteArray* data, QString* ext) {
        *data = "sound of " + e.word().toString().toUtf8();
        *ext = QStringLiteral("mp3");
        return true;
    };
    ASSERT_TRUE(writeForeign(ForeignKind::Anki, nullptr, apkg, {fig.get()}, options));
    auto d = open(true);
    ui.queueFileName(apkg);
    d->onCommand(kOpenFile, 0);
    EXPECT_EQ(d->foreignKind(), ForeignKind::Anki);
    ui.queueAnswer(MessageAnswer::Yes);
    d->onCommand(kRun, 0);
    const QStringList m = ui.messages();
    ASSERT_EQ(m.size(), 2);
    EXPECT_TRUE(m[0].startsWith(QStringLiteral("导入的单词中有1个带声音"))) << m[0].toStdString();
    EXPECT_TRUE(m[1].startsWith(QStringLiteral("导入完成，导入单词数:1"))) << m[1].toStdString();
    EXPECT_TRUE(m[1].contains(QStringLiteral("复制声音文件:1"))) << m[1].toStdString();
    EXPECT_EQ(dir.read(QStringLiteral("Voice/f/fig.mp3")), "sound of fig");
    EXPECT_EQ(session.book().atView(3)->explanation(), QStringLiteral("无花果"));
}
