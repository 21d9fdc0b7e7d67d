// The groups dialog (206) over a real folder: what the list offers, the two figures, "添加" with
// its refusals, and the move/copy mode.
#include "scripted_services.h"
#include "temp_dir.h"

#include "lexora/book/book_file.h"
#include "lexora/book/book_folder.h"
#include "lexora/wordlist/group_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <gtest/gtest.h>

using namespace lex;

namespace {

struct Groups : ::testing::Test {
    lextest::TempDir dir;
    QString folder = dir.path() + QLatin1Char('/');
    lextest::ScriptedServices ui;

    void book(const QString& name, int entries)
    {
        Book b;
        b.path = folder;
        b.name = name;
        for (int i = 0; i < entries; ++i) {
            auto e = std::make_unique<WordEntry>();
            e->setWord(QStringLiteral("w%1").arg(i));
            b.AddEntry(std::move(e), AddMode::Interactive);
        }
        ASSERT_TRUE(saveBook(b).ok());
    }
    std::unique_ptr<CMyCategory> open(bool moveMode, const QString& openName = QStringLiteral("Open"))
    {
        CMyCategory::Inputs in;
        in.folder = folder;
        in.openName = openName;
        in.moveMode = moveMode;
        in.ui = &ui;
        return std::make_unique<CMyCategory>(in);
    }
    static QStringList offered(CMyCategory& d)
    {
        QStringList out;
        auto* c = d.item<QComboBox>(CMyCategory::kBooks);
        for (int i = 0; i < c->count(); ++i)
            out << c->itemText(i);
        return out;
    }
    static QString figure(CMyCategory& d, int id) { return d.item<QTextEdit>(id)->toPlainText(); }
};

} // namespace

TEST_F(Groups, OffersTheFolderBooksButNeverTheOpenOne)
{
    book(QStringLiteral("Open"), 1);
    book(QStringLiteral("open"), 2);   // another Book on this system
    book(QStringLiteral("Zoo"), 3);
    dir.write(QStringLiteral("Upper.IDX"), "\x74\x00\x00\xff\x15");
    dir.write(QStringLiteral(".hidden.idx"), "");
    dir.write(QStringLiteral("notes.txt"), "");
    QDir().mkpath(folder + QStringLiteral("folder.idx"));
    const QString cwd = QDir::currentPath();

    auto d = open(false);
    EXPECT_EQ(d->windowTitle(), QStringLiteral("新建&切换组"));
    EXPECT_EQ(d->item<QPushButton>(ui::IDOK)->text(), QStringLiteral("切换"));
    EXPECT_FALSE(d->item<QRadioButton>(CMyCategory::kMove)->isEnabled());
    EXPECT_TRUE(d->item<QCheckBox>(CMyCategory::kDiscard)->isEnabled());
    EXPECT_TRUE(d->item<QLabel>(CMyCategory::kNote)->text().contains(QStringLiteral("防止删错")));
    EXPECT_EQ(offered(*d), (QStringList{"open", "Upper", "Zoo"}));
    EXPECT_EQ(QDir::currentPath(), cwd) << "listing leaves the current directory alone";
    // The open Book's name is not offered: the first name is chosen, with its figures.
    EXPECT_EQ(d->chosenName(), QStringLiteral("open"));
    EXPECT_EQ(figure(*d, CMyCategory::kCount), QStringLiteral("2"));
    EXPECT_EQ(figure(*d, CMyCategory::kVersion), QStringLiteral("116"));
    d->item<QComboBox>(CMyCategory::kBooks)->setCurrentIndex(2);
    EXPECT_EQ(d->chosenName(), QStringLiteral("Zoo"));
    EXPECT_EQ(figure(*d, CMyCategory::kCount), QStringLiteral("3"));
    d->item<QCheckBox>(CMyCategory::kDiscard)->setChecked(true);
    d->item<QPushButton>(ui::IDOK)->click();
    EXPECT_EQ(d->result(), int(QDialog::Accepted));
    EXPECT_TRUE(d->discard());
    EXPECT_FALSE(d->move());
}

TEST_F(Groups, FiguresFromFiveBytesOnAlwaysTheLow24Bits)
{
    struct Case {
        const char* name;
        QByteArray bytes;   // null: no file
        std::optional<int64_t> count;
        std::optional<uint32_t> version;
    };
    const Case cases[] = {
        {"Zero", QByteArray::fromHex("740000ff00") + QByteArray(42, '\0'), std::nullopt, 116u},   // record size 0: no count
        {"Old", QByteArray(42, '\1'), 37, 0x010101u},   // no header: its first bytes read as one
        {"Five", QByteArray::fromHex("740000ff15"), 0, 116u},
        {"Four", QByteArray::fromHex("740000ff"), std::nullopt, std::nullopt},
        {"Short", QByteArray::fromHex("740000"), std::nullopt, std::nullopt},
        {"Missing", QByteArray(), std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        const QString name = QString::fromLatin1(c.name);
        if (!c.bytes.isNull())
            dir.write(name + QStringLiteral(".idx"), c.bytes);
        const BookFigures f = bookFigures(Env::defaultEnv(), folder, name);
        EXPECT_EQ(f.count, c.count) << c.name;
        EXPECT_EQ(f.version, c.version) << c.name;
    }
}

TEST_F(Groups, AddCreatesBothFilesOrNeither)
{
    book(QStringLiteral("Open"), 1);
    auto d = open(false);
    auto add = [&](const QString& name) {
        d->item<QLineEdit>(CMyCategory::kNewName)->setText(name);
        d->item<QPushButton>(CMyCategory::kAdd)->click();
    };
    add(QStringLiteral("Fresh"));
    EXPECT_TRUE(ui.messages().isEmpty());
    EXPECT_EQ(dir.read(QStringLiteral("Fresh.idx")), QByteArray::fromHex("740000ff15"));
    EXPECT_EQ(dir.read(QStringLiteral("Fresh.txt")), QByteArray::fromHex("740000ff"));
    EXPECT_EQ(d->chosenName(), QStringLiteral("Fresh"));
    EXPECT_EQ(figure(*d, CMyCategory::kCount), QStringLiteral("0"));
    EXPECT_EQ(figure(*d, CMyCategory::kVersion), QStringLiteral("116"));

    add(QStringLiteral("Fresh"));
    EXPECT_EQ(ui.messages().last(), QStringLiteral("指定文件已存在:") + folder + QStringLiteral("Fresh.idx"));
    // A stray text file is never adopted: nothing is created beside it.
    dir.write(QStringLiteral("Stray.txt"), "keep me");
    add(QStringLiteral("Stray"));
    EXPECT_EQ(ui.messages().last(), QStringLiteral("指定文件已存在:") + folder + QStringLiteral("Stray.txt"));
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("Stray.idx")));
    EXPECT_EQ(dir.read(QStringLiteral("Stray.txt")), QByteArray("keep me"));

    // Names that leave the folder or are never listed.
    const int before = int(ui.messages().size());
    for (const QString& bad : {QStringLiteral("../up"), QStringLiteral("a/b"), QStringLiteral(".dot"),
                               QStringLiteral("x") + QChar(0) + QStringLiteral("y"), QStringLiteral("..")}) {
        add(bad);
        EXPECT_TRUE(ui.messages().last().startsWith(QStringLiteral("组名不能用:"))) << bad.toStdString();
    }
    EXPECT_EQ(ui.messages().size(), before + 5);
    EXPECT_FALSE(QFile::exists(dir.path() + QStringLiteral("/../up.idx")));
    add(QString());   // empty: nothing at all
    EXPECT_EQ(ui.messages().size(), before + 5);

    d->item<QPushButton>(CMyCategory::kFolder)->click();
    EXPECT_EQ(ui.opened(), QStringList{folder});
}

TEST_F(Groups, MoveAndCopyMode)
{
    book(QStringLiteral("Open"), 1);
    book(QStringLiteral("Target"), 1);
    auto d = open(true);
    EXPECT_EQ(d->windowTitle(), QStringLiteral("移动&复制到组"));
    EXPECT_EQ(d->item<QPushButton>(ui::IDOK)->text(), QStringLiteral("确定"));
    EXPECT_TRUE(d->item<QLabel>(CMyCategory::kNote)->text().isEmpty());
    EXPECT_TRUE(d->item<QRadioButton>(CMyCategory::kMove)->isChecked());
    EXPECT_FALSE(d->item<QCheckBox>(CMyCategory::kDiscard)->isEnabled());
    d->item<QPushButton>(ui::IDOK)->click();
    EXPECT_TRUE(d->move());
    EXPECT_EQ(d->chosenName(), QStringLiteral("Target"));

    d = open(true);
    d->item<QRadioButton>(CMyCategory::kCopy)->setChecked(true);
    d->item<QPushButton>(ui::IDOK)->click();
    EXPECT_FALSE(d->move());

    // Nothing else in the folder: the chosen name stays the open Book's own.
    QFile::remove(folder + QStringLiteral("Target.idx"));
    d = open(true);
    EXPECT_TRUE(offered(*d).isEmpty());
    EXPECT_EQ(d->chosenName(), QStringLiteral("Open"));
}
