// 导入 and 导出 from the word-book window, driven through the dialog as a learner would; the
// refusals and failures of an export; the file rules behind both.
#include "app_test_support.h"

#include "common/config/config_keys.h"
#include "common/config/profile.h"
#include "common/platform/qt_user_services.h"
#include "common/platform/shell_forms.h"
#include "common/text/codepage.h"
#include "common/ui/template_builder.h"
#include "lexora/app/lexora_dlg.h"
#include "lexora/app/main_dialog.h"
#include "lexora/app/word_book_session.h"
#include "lexora/exchange/exchange_files.h"
#include "lexora/exchange/import_dialog.h"
#include "lexora/exchange/words_from_text_dialog.h"
#include "resources/resources.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QListView>
#include <QTest>
#include <QLineEdit>
#include <QTextEdit>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace lex;
using namespace lex::res::import_dlg;

namespace {

class Fixture {
public:
    explicit Fixture(int count)
    {
        pf = apptest::makeProgramFolder(dir, count);
        w = std::make_unique<CMainDialog>(apptest::testServices(&ui), pf.folder);
        EXPECT_TRUE(w->initialise());
        ui.base.clear();
    }
    CLexoraDlg* book() const { return w->wordBook(); }
    CMyListCtrl* list() const { return book()->list(); }
    void select(std::initializer_list<int> rows) const
    {
        list()->clearSelection();
        for (int r : rows)
            list()->selectionModel()->select(list()->model()->index(r, 0),
                                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    // Opens the dialog with `command` and lets `steps` drive it; returns the messages shown.
    QStringList run(int command, const std::function<void(CMyImportDialog&)>& steps)
    {
        ui.base.clear();
        ui.modalHook = [&](QDialog& d) {
            auto* dialog = dynamic_cast<CMyImportDialog*>(&d);
            EXPECT_NE(dialog, nullptr);
            if (dialog)
                steps(*dialog);
            return int(QDialog::Rejected);
        };
        w->onCommand(command, 0);
        ui.modalHook = nullptr;
        return ui.messages();
    }
    QString path(const QString& name) const { return dir.path(name); }

    lextest::TempDir dir;
    apptest::ProgramFolder pf;
    apptest::CheckingServices ui;
    std::unique_ptr<CMainDialog> w;
};

template <class T>
T* at(CMyImportDialog& d, int id)
{
    return ui::control<T>(&d, id);
}

} // namespace

TEST(ImportDialog, ImportsAUtf8FileSelectsTheNewRowsAndKeepsTheStrangeness)
{
    Fixture f(5);
    const QByteArray file = "English\r\nChinese中国的//注释行1//注释行2\r\nRussian俄国人, 俄语";
    f.dir.write(QStringLiteral("list.txt"), file);
    f.ui.base.queueFileName(f.path(QStringLiteral("list.txt")));
    const QStringList messages = f.run(cmd::kImport, [&](CMyImportDialog& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("导入文件"));
        EXPECT_FALSE(at<QWidget>(d, kUnicode)->isEnabled());
        EXPECT_EQ(at<QComboBox>(d, kRecognition)->currentText(), QStringLiteral("10"));
        EXPECT_TRUE(at<QTextEdit>(d, kPreview)->toPlainText().startsWith(QStringLiteral("样式一的解释如果包含词性")));
        d.onCommand(kOpenFile, 0);
        EXPECT_EQ(at<QLineEdit>(d, kLineCount)->text(), QStringLiteral("3"));
        EXPECT_TRUE(at<QTextEdit>(d, kPreview)->toPlainText().contains(QStringLiteral("中国的")));
        EXPECT_TRUE(at<QTextEdit>(d, kPreview)->toPlainText().endsWith(QStringLiteral("\n...\n..\n.")));
        at<QComboBox>(d, kRecognition)->setCurrentIndex(5);
        at<QComboBox>(d, kSpelling)->setCurrentIndex(6);
        at<QComboBox>(d, kListening)->setCurrentIndex(7);
        d.onCommand(kRun, 0);
    });
    EXPECT_EQ(messages, QStringList{QStringLiteral("导入完成，导入单词数:3")});
    const Book& b = f.book()->book();
    ASSERT_EQ(b.size(), 8);
    EXPECT_EQ(f.list()->selectedRows(), (std::vector<int>{5, 6, 7}));
    EXPECT_EQ(b.atView(6)->word(), QStringLiteral("Chinese"));
    EXPECT_EQ(b.atView(6)->explanation(), QStringLiteral("中国的"));
    EXPECT_EQ(b.atView(6)->comment(), QStringLiteral("注释行1\r\n注释行2"));
    EXPECT_EQ(b.atView(7)->stored.recognition, 5);
    EXPECT_EQ(b.atView(7)->stored.spelling, 6);
    EXPECT_EQ(b.atView(7)->stored.listening, 7);
    EXPECT_EQ(b.atView(7)->temporary, 0);
    EXPECT_TRUE(b.textChanged);
    EXPECT_EQ(Profile(f.pf.folder + QStringLiteral("/Config.INI")).readString(config::kImportExport, config::kInFileName),
              f.path(QStringLiteral("list.txt")));

    // The next opening shows the values of the last one.
    f.run(cmd::kImport, [&](CMyImportDialog& d) {
        EXPECT_EQ(at<QComboBox>(d, kRecognition)->currentText(), QStringLiteral("5"));
        EXPECT_EQ(at<QComboBox>(d, kListening)->currentText(), QStringLiteral("7"));
    });
}

TEST(ImportDialog, RefusesMissingEmptyAndNonRegularFilesAndTakesTheBoxText)
{
    Fixture f(5);
    f.dir.write(QStringLiteral("empty.txt"), {});
    // A picture taken for a word list: no text in any encoding.
    f.dir.write(QStringLiteral("photo.png"), QByteArray::fromHex("89504e470d0a1a0a0000000d494844520000000100000001"));
    const QString fifo = f.path(QStringLiteral("pipe.txt"));
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    const QStringList messages = f.run(cmd::kImport, [&](CMyImportDialog& d) {
        f.select({1, 2});
        d.onCommand(kRun, 0);   // no path
        at<QLineEdit>(d, kPath)->setText(f.path(QStringLiteral("missing.txt")));
        d.onCommand(kRun, 0);
        EXPECT_EQ(f.list()->selectedRows(), (std::vector<int>{1, 2})) << "refused before the selection is cleared";
        at<QLineEdit>(d, kPath)->setText(f.path(QStringLiteral("empty.txt")));
        d.onCommand(kRun, 0);
        EXPECT_TRUE(f.list()->selectedRows().empty()) << "cleared before the file is read";
        f.select({1, 2});
        at<QLineEdit>(d, kPath)->setText(f.path(QStringLiteral("photo.png")));
        d.onCommand(kRun, 0);
        EXPECT_TRUE(f.list()->selectedRows().empty());
        EXPECT_EQ(f.book()->book().size(), 5) << "nothing added";
        at<QLineEdit>(d, kPath)->setText(fifo);   // would block a reader for ever
        d.onCommand(kRun, 0);
        // 只导入输入框内容: whatever the box holds, here two typed lines and a markup-looking one.
        at<QAbstractButton>(d, kBoxOnly)->setChecked(true);
        d.onCommand(kBoxOnly, 0);
        EXPECT_FALSE(at<QWidget>(d, kOpenFile)->isEnabled());
        EXPECT_TRUE(at<QLineEdit>(d, kPath)->text().isEmpty());
        at<QTextEdit>(d, kPreview)->setPlainText(QStringLiteral("alpha\n<b>beta</b>"));
        d.onCommand(kRun, 0);
    });
    const QString invalid = QStringLiteral("无效文件"), noPath = QStringLiteral("请指定一个有效的文件路径名");
    EXPECT_EQ(messages, (QStringList{noPath, noPath, invalid, invalid, invalid, QStringLiteral("导入完成，导入单词数:2")}));
    EXPECT_EQ(f.book()->book().atView(6)->word(), QStringLiteral("<b>beta</b>"));
}

TEST(ImportDialog, ALongImportShowsProgressAndCanBeCancelled)
{
    Fixture f(5);
    QByteArray big;
    for (int i = 0; i < 60000; ++i)
        big += "word" + QByteArray::number(i) + "\r\n";
    f.dir.write(QStringLiteral("big.txt"), big);
    int steps = 0;
    bool barShown = false;
    const QStringList messages = f.run(cmd::kImport, [&](CMyImportDialog& d) {
        at<QLineEdit>(d, kPath)->setText(f.path(QStringLiteral("big.txt")));
        d.onProgress = [&](qsizetype done, qsizetype total) {
            ++steps;
            barShown = barShown || !ui::findControl(&d, kProgress)->isHidden();
            EXPECT_TRUE(d.isImporting());
            if (done > total / 3)
                d.onCommand(ui::IDCANCEL, 0);   // 关闭 during the import only stops it
        };
        d.onCommand(kRun, 0);
        EXPECT_EQ(d.result(), 0);   // still open
        EXPECT_TRUE(ui::findControl(&d, kRun)->isEnabled());
    });
    EXPECT_GT(steps, 1);
    EXPECT_TRUE(barShown);
    const Book& b = f.book()->book();
    const int added = b.size() - 5;
    EXPECT_GT(added, 0);
    EXPECT_LT(added, 60000);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages.front(), QStringLiteral("导入已取消，导入单词数:%1").arg(added));
    // Every entry before the cancel is whole and in file order.
    for (int i = 0; i < added; ++i)
        ASSERT_EQ(b.atView(5 + i)->word(), QStringLiteral("word%1").arg(i));
}

TEST(ExportDialog, WritesSelectedRowsRefusesTheBookAndNonFilesAsksBeforeOverwriting)
{
    Fixture f(6);
    f.select({});
    EXPECT_EQ(f.run(cmd::kExport, [](CMyImportDialog&) { ADD_FAILURE() << "no dialog without a selection"; }),
              QStringList{QStringLiteral("请选择单词再导出.要导出全部可按Ctrl-A")});
    f.select({1, 4});
    const QString out = f.path(QStringLiteral("out.txt"));
    const QString fifo = f.path(QStringLiteral("pipe.txt"));
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    const QByteArray bookText = f.dir.read(QStringLiteral("home/Book/English.txt"));
    f.ui.queueAnswer(MessageAnswer::No);
    const QStringList messages = f.run(cmd::kExport, [&](CMyImportDialog& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("导出文件"));
        EXPECT_EQ(at<QAbstractButton>(d, kRun)->text(), QStringLiteral("导出"));
        EXPECT_FALSE(at<QWidget>(d, kBoxOnly)->isEnabled());
        for (int id : {kRecognition, kSpelling, kListening}) {   // disabled and empty
            EXPECT_FALSE(at<QComboBox>(d, id)->isEnabled()) << id;
            EXPECT_EQ(at<QComboBox>(d, id)->currentText(), QString()) << id;
        }
        d.onCommand(kRun, 0);                                  // no path
        at<QAbstractButton>(d, kStyle3)->setChecked(true);
        at<QAbstractButton>(d, kUnicode)->setChecked(true);
        at<QLineEdit>(d, kPath)->setText(out);                 // a new file, typed
        d.onCommand(kRun, 0);
        d.onCommand(kRun, 0);                                  // exists now: not overwritten
        at<QLineEdit>(d, kPath)->setText(f.pf.bookPath + QStringLiteral("./English.txt"));
        d.onCommand(kRun, 0);
        at<QLineEdit>(d, kPath)->setText(fifo);
        d.onCommand(kRun, 0);
        at<QLineEdit>(d, kPath)->setText(f.path(QStringLiteral("no/such/folder/x.txt")));
        d.onCommand(kRun, 0);
    });
    ASSERT_EQ(messages.size(), 6);
    EXPECT_EQ(messages[0], QStringLiteral("请指定要导出的文件路径"));
    EXPECT_EQ(messages[1], QStringLiteral("导出完成，导出单词数:2"));
    EXPECT_TRUE(messages[2].startsWith(QStringLiteral("文件已存在，是否覆盖?")));
    EXPECT_TRUE(messages[3].startsWith(QStringLiteral("不能导出到当前Book自己的文件")));
    EXPECT_TRUE(messages[4].startsWith(QStringLiteral("不是普通文件")));
    EXPECT_TRUE(messages[5].startsWith(QStringLiteral("导出失败")));
    const QByteArray written = f.dir.read(QStringLiteral("out.txt"));
    ASSERT_GE(written.size(), 2);
    EXPECT_EQ(written.left(2), QByteArray("\xFF\xFE", 2));
    EXPECT_TRUE(written.contains(QByteArray("+\0w\0", 4)));
    EXPECT_EQ(f.dir.read(QStringLiteral("home/Book/English.txt")), bookText);
    EXPECT_FALSE(f.dir.exists(QStringLiteral("out.txt.tmp")));
}

TEST(FileChooser, ShowsTheLabelsAsGivenAndAllFilesListsEveryName)
{
    // Qt's own chooser, opened as the services open it: the labels read as the program wrote
    // them, and "所有文件 (*.*)" lists names without a dot as well.
    lextest::TempDir dir;
    for (const char* name : {"a.txt", "b.idx", "README", "c.tar.gz"})
        dir.write(QString::fromLatin1(name), "x");
    QFileDialog d(nullptr, QString(), dir.path(), qtFileFilter(QStringLiteral("文本文件 (*.idx)|*.idx|所有文件 (*.*)|*.*||")));
    d.setOptions(kFileChooserOptions | QFileDialog::DontUseNativeDialog);
    d.show();
    auto* types = d.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    auto* list = d.findChild<QListView*>(QStringLiteral("listView"));
    ASSERT_TRUE(types && list);
    ASSERT_EQ(types->count(), 2);
    EXPECT_EQ(types->itemText(0), QStringLiteral("文本文件 (*.idx)"));
    EXPECT_EQ(types->itemText(1), QStringLiteral("所有文件 (*.*)"));
    const auto listed = [&] {
        QStringList names;
        for (int r = 0; r < list->model()->rowCount(list->rootIndex()); ++r)
            names << list->model()->index(r, 0, list->rootIndex()).data().toString();
        names.sort();
        return names;
    };
    const QStringList want[2] = {{QStringLiteral("b.idx")},
                                 {QStringLiteral("README"), QStringLiteral("a.txt"), QStringLiteral("b.idx"),
                                  QStringLiteral("c.tar.gz")}};
    for (int i : {0, 1, 0}) {
        d.selectNameFilter(d.nameFilters()[i]);
        EXPECT_TRUE(QTest::qWaitFor([&] { return listed() == want[i]; }, 5000))
            << i << ": " << listed().join(QLatin1Char(' ')).toStdString();
    }
}

TEST(ExchangeFiles, PreviewEndsOnACharacterAndStoredBytesAreRangeChecked)
{
    // 199 ASCII bytes and one two-byte character: the 200-byte cut would split it.
    QByteArray gbk(199, 'a');
    gbk += cp936::encode(QStringLiteral("中文"));
    const WordListPreview p = previewImportBytes(gbk);
    EXPECT_EQ(p.encoding, TextEncoding::Cp936);
    EXPECT_FALSE(p.text.contains(QChar(0xFFFD)));
    EXPECT_TRUE(p.text.startsWith(QString(199, QLatin1Char('a')) + QStringLiteral("\r\n...")));

    lextest::TempDir dir;
    Profile profile(dir.path(QStringLiteral("Config.INI")));
    profile.writeStruct(config::kImportExport, config::kStrangeIndex, QByteArray("\x05\x0B\x02", 3));
    EXPECT_EQ(readStrangeIndex(&profile, config::kImportExport), (StrangeIndex{10, 10, 10}));
    profile.writeStruct(config::kImportExport, config::kStrangeIndex, QByteArray("\x05\x00\x0A", 3));
    EXPECT_EQ(readStrangeIndex(&profile, config::kImportExport), (StrangeIndex{5, 0, 10}));
}

// 从文章取词: the ticked words of a subtitle file go in with their sentences as one step, which
// 撤销 takes back whole. The words are no English ones, so no dictionary on the machine names them.
TEST(WordsFromText, TickedWordsGoInWithTheirSentencesAndOneUndoTakesThemOut)
{
    Fixture f(5);
    f.dir.write(QStringLiteral("film.srt"), "1\n00:00:01,000 --> 00:00:02,000\nXyzzy plugh xyzzy.\n\n"
                                            "2\n00:00:03,000 --> 00:00:04,000\nFrotz quux!\n");
    const int before = f.book()->book().size();
    QStringList shown;
    f.ui.modalHook = [&](QDialog& d) {
        auto* dialog = dynamic_cast<CWordsFromTextDialog*>(&d);
        EXPECT_NE(dialog, nullptr);
        if (!dialog)
            return int(QDialog::Rejected);
        EXPECT_TRUE(dialog->openFile(f.path(QStringLiteral("film.srt"))));
        for (const TextWord& w : dialog->shown())
            shown << w.word + QLatin1Char(':') + QString::number(w.count);
        dialog->setTicked(0, true);
        dialog->setTicked(2, true);
        EXPECT_EQ(dialog->addTicked().added, 2);
        EXPECT_EQ(dialog->shown().size(), 2u);   // the added words left the list
        return int(QDialog::Rejected);
    };
    f.w->onCommand(cmd::kWordsFromText, 0);
    f.ui.modalHook = nullptr;
    EXPECT_EQ(shown, (QStringList{QStringLiteral("xyzzy:2"), QStringLiteral("plugh:1"), QStringLiteral("frotz:1"),
                                  QStringLiteral("quux:1")}));
    const Book& b = f.book()->book();
    ASSERT_EQ(b.size(), before + 2);
    EXPECT_EQ(b.atView(before)->word(), QStringLiteral("xyzzy"));
    EXPECT_EQ(b.atView(before)->comment(), QStringLiteral("Xyzzy plugh xyzzy."));
    EXPECT_EQ(b.atView(before + 1)->word(), QStringLiteral("frotz"));
    EXPECT_EQ(b.atView(before + 1)->comment(), QStringLiteral("Frotz quux!"));
    f.w->onCommand(cmd::kUndo, 0);
    EXPECT_EQ(f.book()->book().size(), before);
}

// 从文章取词 over the sample dictionary: each word's frequency rank and exam lists come from the
// dictionary's word information, and the words the last vocabulary test says the learner knows are
// hidden from the start (the 100th word of the test's pool is "student", frequency rank 157).
TEST(WordsFromText, TheVocabularyTestSetsHowManyOfTheMostFrequentWordsAreHidden)
{
    struct Row {
        const char* what;
        const char* plan;   // [PLAN] lines; empty: no test taken
        int knownRank;
        QStringList shown;
    };
    const Row rows[] = {
        {"no test taken", "", 0,
         {"the", "student", "found", "nothing", "to", "practice"}},
        {"100 words known", "VocabularyWords=100\nVocabularyLow=80\nVocabularyHigh=120\nVocabularyPool=595\n", 157,
         {"found", "nothing", "to", "practice"}},
        {"a pool larger than the dictionary's now", "VocabularyWords=9000\nVocabularyLow=8000\nVocabularyHigh=9900\n"
         "VocabularyPool=20000\n", 22274, {"found", "to"}},
        {"figures that do not hold together", "VocabularyWords=100\nVocabularyLow=150\nVocabularyHigh=120\n", 0,
         {"the", "student", "found", "nothing", "to", "practice"}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Fixture f(0);
        if (*r.plan) {
            QFile ini(f.pf.folder + QStringLiteral("/Config.INI"));
            ASSERT_TRUE(ini.open(QIODevice::Append));
            ini.write(QByteArray("\n[PLAN]\n") + r.plan);
        }
        int knownRank = -1;
        QStringList shown;
        std::optional<TextWord> nothing;
        f.ui.modalHook = [&](QDialog& d) {
            auto* dialog = dynamic_cast<CWordsFromTextDialog*>(&d);
            EXPECT_NE(dialog, nullptr);
            if (!dialog)
                return int(QDialog::Rejected);
            knownRank = dialog->knownRank();
            dialog->takeText(QStringLiteral("The student found nothing to practice."));
            for (const TextWord& w : dialog->shown()) {
                shown << w.word;
                if (w.word == QLatin1String("nothing"))
                    nothing = w;
            }
            return int(QDialog::Rejected);
        };
        f.w->onCommand(cmd::kWordsFromText, 0);
        f.ui.modalHook = nullptr;
        EXPECT_EQ(knownRank, r.knownRank);
        EXPECT_EQ(shown, r.shown);
        if (r.shown.contains(QStringLiteral("nothing"))) {
            ASSERT_TRUE(nothing.has_value());
            EXPECT_EQ(nothing->rank, std::optional<int>(315));
            EXPECT_EQ(nothing->exams, (QStringList{QStringLiteral("zk"), QStringLiteral("gk"), QStringLiteral("ielts")}));
        }
    }
}
