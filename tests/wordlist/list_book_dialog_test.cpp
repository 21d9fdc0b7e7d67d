// 从词表新建组 (220) over the sample dictionary and a real folder: the lists with their counts,
// the combination built with the buttons and its live count, a bad combination refused with its
// message, and the Book made with the chosen order and degrees.
#include "scripted_services.h"
#include "temp_dir.h"

#include "common/dictionary/dictionary.h"
#include "common/dictionary/word_info.h"
#include "common/platform/sources.h"
#include "lexora/book/book.h"
#include "lexora/book/book_file.h"
#include "lexora/book/word_entry.h"
#include "lexora/wordlist/list_book_dialog.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace lex;
using namespace lex::res::list_book_dlg;

TEST(ListBookDialog, BuildsTheCombinationCountsItAndMakesTheBook)
{
    const QString dictFolder = lextest::binaryDir() + QStringLiteral("/data/Dict");
    WordInfoTable table;
    ASSERT_TRUE(table.openIndex(dictFolder + QStringLiteral("/Dict.idx")));
    Dictionary dict(DictVariant::Main);
    ASSERT_TRUE(dict.openFolder(dictFolder).isEmpty());
    lextest::TempDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    lextest::ScriptedServices ui;
    FixedClock clock(QDateTime(QDate(2026, 12, 9), QTime(9, 0)));
    ListBookForm form(table, &dict, nullptr, folder);
    CMyListBookDialog d(form, &ui, clock);

    auto* lists = d.item<QListWidget>(kLists);
    ASSERT_EQ(lists->count(), 14);
    EXPECT_EQ(lists->item(2)->text(), QStringLiteral("cet4 (75)"));
    auto count = [&] { return d.item<QLabel>(kCount)->text(); };
    EXPECT_EQ(count(), QStringLiteral("请选择词表，或输入词表组合，例如 cet6 - cet4"));

    lists->setCurrentRow(5); // ielts
    d.item<QPushButton>(kUnion)->click();
    lists->setCurrentRow(2); // cet4
    d.item<QPushButton>(kMinus)->click();
    EXPECT_EQ(d.item<QLineEdit>(kExpression)->text(), QStringLiteral("ielts - cet4"));
    EXPECT_EQ(d.item<QLineEdit>(kName)->text(), QStringLiteral("ielts")) << "the first list names the Book";
    const QString shown = count();
    EXPECT_TRUE(shown.startsWith(QStringLiteral("单词数:"))) << shown.toStdString();
    const int words = shown.mid(4).toInt();
    EXPECT_GT(words, 100);

    // Typed: each edit counts again; a bad one says why and makes nothing.
    auto* edit = d.item<QLineEdit>(kExpression);
    edit->setText(QStringLiteral("ielts -"));
    Q_EMIT edit->textEdited(edit->text());
    EXPECT_EQ(count(), QStringLiteral("词表组合第8个字符处缺少词表名"));
    d.item<QPushButton>(ui::IDOK)->click();
    EXPECT_EQ(ui.messages().value(0), QStringLiteral("词表组合第8个字符处缺少词表名"));
    EXPECT_NE(d.result(), int(QDialog::Accepted));
    EXPECT_FALSE(dir.exists(QStringLiteral("ielts.idx")));

    edit->setText(QStringLiteral("ielts - cet4"));
    Q_EMIT edit->textEdited(edit->text());
    d.item<QComboBox>(kOrder)->setCurrentIndex(3); // alphabetical
    d.item<QComboBox>(kRecognition)->setCurrentIndex(6);
    d.item<QPushButton>(ui::IDOK)->click();
    ASSERT_EQ(d.result(), int(QDialog::Accepted)) << ui.messages().join(u'|').toStdString();
    EXPECT_EQ(d.madeName(), QStringLiteral("ielts"));
    Book book;
    book.path = folder;
    book.name = QStringLiteral("ielts");
    ASSERT_TRUE(LoadBook(book).readError.isEmpty());
    ASSERT_EQ(book.size(), words);
    for (int i = 1; i < book.size(); ++i)
        EXPECT_LE(book.full()[size_t(i - 1)]->word().compare(book.full()[size_t(i)]->word(), Qt::CaseInsensitive), 0);
    EXPECT_EQ(book.full()[0]->stored.recognition, 6);
    EXPECT_EQ(book.full()[0]->stored.spelling, 10);
    EXPECT_FALSE(book.full()[0]->explanation().isEmpty());
}
