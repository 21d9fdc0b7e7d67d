// The add/modify dialog (131): the dictionary fill while typing, add mode that stays open,
// modify mode and what counts as a change of text, and the degrees kept for the next run.
#include "list_fixture.h"
#include "temp_dir.h"

#include "common/config/profile.h"
#include "lexora/wordlist/add_modify_dialog.h"
#include "lexora/wordlist/word_list_model.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace lex;

namespace {

class AddModifyTest : public wltest::ListTest {
protected:
    lextest::TempDir dir;
    Profile profile{dir.path(QStringLiteral("Config.INI"))};
    int lookUps = 0;

    void SetUp() override
    {
        host.dictionary.insert(QStringLiteral("apple"), QStringLiteral("n. 苹果\r\n苹果树"));
        host.dictionary.insert(QStringLiteral("pear"), QStringLiteral("n. 梨"));
    }

    std::unique_ptr<CMyAddModifyDialog> open(CMyAddModifyDialog::Mode mode, int row = -1)
    {
        CMyAddModifyDialog::Inputs in;
        in.mode = mode;
        in.row = row;
        in.session = &session;
        in.clock = &clock;
        in.profile = &profile;
        in.lookUp = [this](QStringView w, QString& e, QString& p) {
            ++lookUps;
            return host.lookUpWord(w, e, p);
        };
        auto d = std::make_unique<CMyAddModifyDialog>(in);
        d->show();
        return d;
    }
    static QLineEdit* line(CMyAddModifyDialog& d, int id) { return d.item<QLineEdit>(id); }
    static QPlainTextEdit* plain(CMyAddModifyDialog& d, int id) { return d.item<QPlainTextEdit>(id); }
    static QComboBox* combo(CMyAddModifyDialog& d, int id) { return d.item<QComboBox>(id); }
    static void type(CMyAddModifyDialog& d, const QString& text)
    {
        QTest::keyClicks(line(d, CMyAddModifyDialog::kWord), text);
        QApplication::processEvents();
    }
    static void accept(CMyAddModifyDialog& d) { d.item<QPushButton>(CMyAddModifyDialog::kAccept)->click(); }
};

} // namespace

TEST_F(AddModifyTest, AddModeFillsFromTheDictionaryAndStaysOpenForTheNextWord)
{
    addWords({"one"});
    makeList();
    auto d = open(CMyAddModifyDialog::Mode::Add);
    EXPECT_EQ(d->windowTitle(), QStringLiteral("添加&修改"));
    EXPECT_EQ(d->item<QPushButton>(CMyAddModifyDialog::kAccept)->text(), QStringLiteral("添加"));
    for (int id : {CMyAddModifyDialog::kRecognition, CMyAddModifyDialog::kSpelling, CMyAddModifyDialog::kListening})
        EXPECT_EQ(combo(*d, id)->currentText(), QStringLiteral("10")) << "first use ever: 10, 10, 10";

    type(*d, QStringLiteral("apple"));
    EXPECT_EQ(line(*d, CMyAddModifyDialog::kPhonetic)->text(), QStringLiteral("x"));
    EXPECT_EQ(plain(*d, CMyAddModifyDialog::kExplanation)->toPlainText(), QStringLiteral("n. 苹果\n苹果树"));
    // Typing on to a word the dictionary does not know leaves the last fill in place.
    type(*d, QStringLiteral("z"));
    EXPECT_EQ(plain(*d, CMyAddModifyDialog::kExplanation)->toPlainText(), QStringLiteral("n. 苹果\n苹果树"));

    std::vector<int> added;
    QObject::connect(d.get(), &CMyAddModifyDialog::added, [&](int row) {
        added.push_back(row);
        list->setFocusedRow(row);
    });
    combo(*d, CMyAddModifyDialog::kSpelling)->setCurrentIndex(4);
    accept(*d);
    EXPECT_TRUE(d->isVisible()) << "add mode stays open";
    ASSERT_EQ(book.size(), 2);
    const WordEntry* e = book.atView(1);
    EXPECT_EQ(e->word(), QStringLiteral("applez"));
    EXPECT_EQ(e->explanation(), QStringLiteral("n. 苹果\r\n苹果树"));
    EXPECT_EQ(e->explanationFirstLine(), 5);
    EXPECT_EQ(e->stored.spelling, 4);
    EXPECT_EQ(e->stored.added, stamped());
    EXPECT_EQ(list->itemCount(), 2);
    EXPECT_EQ(list->selectedRows(), std::vector<int>{1});

    // The next word, with a trailing comma and blank, gets the next number.
    line(*d, CMyAddModifyDialog::kWord)->clear();
    type(*d, QStringLiteral("take off, "));
    accept(*d);
    ASSERT_EQ(book.size(), 3);
    EXPECT_EQ(book.atView(2)->word(), QStringLiteral("take off"));
    EXPECT_EQ(book.atView(2)->seq, book.atView(1)->seq + 1);
    EXPECT_EQ(added, (std::vector<int>{1, 2}));
    EXPECT_EQ(list->focusedRow(), 2);
    EXPECT_TRUE(book.textChanged);

    // Empty, or nothing but trimmed characters: nothing added, nothing said, still open.
    for (const char* w : {"", ",", " -/"}) {
        line(*d, CMyAddModifyDialog::kWord)->setText(QString::fromUtf8(w));
        accept(*d);
    }
    EXPECT_EQ(book.size(), 3);
    EXPECT_TRUE(d->isVisible());

    // The degrees of this run are the next run's start.
    combo(*d, CMyAddModifyDialog::kRecognition)->setCurrentIndex(3);
    d->reject();
    auto again = open(CMyAddModifyDialog::Mode::Add);
    EXPECT_EQ(combo(*again, CMyAddModifyDialog::kRecognition)->currentIndex(), 3);
    EXPECT_EQ(combo(*again, CMyAddModifyDialog::kSpelling)->currentIndex(), 4);
    EXPECT_EQ(combo(*again, CMyAddModifyDialog::kListening)->currentIndex(), 10);
}

TEST_F(AddModifyTest, KeystrokesNeverWaitForTheDictionary)
{
    makeList();
    auto d = open(CMyAddModifyDialog::Mode::Add);
    QApplication::processEvents();
    lookUps = 0;
    // Keys typed faster than the window gets back to its loop cost one look-up, afterwards.
    for (QChar c : QStringLiteral("pear"))
        QTest::keyClick(line(*d, CMyAddModifyDialog::kWord), c.toLatin1());
    EXPECT_EQ(lookUps, 0);
    EXPECT_TRUE(d->fillPending());
    QApplication::processEvents();
    EXPECT_EQ(lookUps, 1);
    EXPECT_EQ(plain(*d, CMyAddModifyDialog::kExplanation)->toPlainText(), QStringLiteral("n. 梨"));

    // Accepting before the look-up ran still stores the filled texts of the word accepted.
    line(*d, CMyAddModifyDialog::kWord)->setText(QStringLiteral("apple"));
    ASSERT_TRUE(d->fillPending());
    accept(*d);
    ASSERT_EQ(book.size(), 1);
    EXPECT_EQ(book.atView(0)->explanation(), QStringLiteral("n. 苹果\r\n苹果树"));

    // Field selectors typed or pasted never reach the entry.
    QString pasted = QStringLiteral("fi");
    pasted += QChar(2);
    pasted += QStringLiteral("g");
    line(*d, CMyAddModifyDialog::kWord)->setText(pasted);
    plain(*d, CMyAddModifyDialog::kComment)->setPlainText(QStringLiteral("a") + QChar(4) + QStringLiteral("b"));
    accept(*d);
    ASSERT_EQ(book.size(), 2);
    EXPECT_EQ(book.atView(1)->word(), QStringLiteral("fig"));
    EXPECT_EQ(book.atView(1)->comment(), QStringLiteral("ab"));
}

TEST_F(AddModifyTest, ModifyKeepsTheEntrysTextsAndCountsOnlyRealChanges)
{
    add({QStringLiteral("apple"), QStringLiteral("own\r\nlines"), QStringLiteral("ˈæpl"), QStringLiteral("c1"),
         QString(), 1, 2, 3});
    add({QStringLiteral("pear"), QStringLiteral("梨")});
    makeList();
    book.textChanged = false;
    auto d = open(CMyAddModifyDialog::Mode::Modify, 0);
    QApplication::processEvents();
    EXPECT_EQ(d->item<QPushButton>(CMyAddModifyDialog::kAccept)->text(), QStringLiteral("确定"));
    EXPECT_EQ(line(*d, CMyAddModifyDialog::kPhonetic)->text(), QStringLiteral("ˈæpl")) << "the dictionary fill is dropped";
    EXPECT_EQ(plain(*d, CMyAddModifyDialog::kExplanation)->toPlainText(), QStringLiteral("own\nlines"));
    EXPECT_EQ(combo(*d, CMyAddModifyDialog::kListening)->currentIndex(), 3);
    EXPECT_EQ(lookUps, 0);

    // Only a degree: the entry changes, the Book's text does not.
    combo(*d, CMyAddModifyDialog::kRecognition)->setCurrentIndex(9);
    accept(*d);
    EXPECT_EQ(d->result(), int(QDialog::Accepted));
    EXPECT_FALSE(d->textChanged());
    EXPECT_EQ(book.atView(0)->stored.recognition, 9);
    EXPECT_EQ(book.atView(0)->explanation(), QStringLiteral("own\r\nlines"));
    EXPECT_FALSE(book.textChanged);

    // An explanation that gains a line shows its first line and the mark.
    d = open(CMyAddModifyDialog::Mode::Modify, 1);
    plain(*d, CMyAddModifyDialog::kExplanation)->setPlainText(QStringLiteral("梨\n梨树"));
    accept(*d);
    EXPECT_TRUE(d->textChanged());
    EXPECT_TRUE(book.textChanged);
    QString first;
    EXPECT_TRUE(list->listModel()->multiLineCell(1, 2, &first));
    EXPECT_EQ(first, QStringLiteral("梨"));

    // An empty word would vanish at the next start: refused, the dialog stays.
    d = open(CMyAddModifyDialog::Mode::Modify, 1);
    line(*d, CMyAddModifyDialog::kWord)->setText(QStringLiteral(" ,"));
    accept(*d);
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(book.atView(1)->word(), QStringLiteral("pear"));
    d->reject();
    EXPECT_EQ(d->result(), int(QDialog::Rejected));
    EXPECT_FALSE(profile.contains(QStringLiteral("ADDMODIFY"), QStringLiteral("StrangeIndex")))
        << "modify mode writes nothing";
}

// An inflected form offers its base form beside the word, never taking it by itself; Alt+B (or a
// click) takes it, and the dictionary fills the base form's texts.
TEST_F(AddModifyTest, AnInflectedFormOffersItsBaseForm)
{
    host.dictionary.insert(QStringLiteral("go"), QStringLiteral("v. 去"));
    QByteArray index;
    appendFormsBlock(&index, encodeFormsBlock({{QStringLiteral("went"), QStringLiteral("go"), FormKind::Past},
                                               {QStringLiteral("gone"), QStringLiteral("go"), FormKind::PastParticiple}}));
    WordForms forms;
    forms.openMemory(index);
    makeList();
    const struct {
        const char* typed;
        const char* offered;   // empty: no hint
    } cases[] = {{"went", "go"}, {"Went", "go"}, {"go", ""}, {"wen", ""}};
    for (const auto& c : cases) {
        CMyAddModifyDialog::Inputs in;
        in.session = &session;
        in.clock = &clock;
        in.lookUp = [this](QStringView w, QString& e, QString& p) { return host.lookUpWord(w, e, p); };
        in.baseFormOf = [&forms](QStringView w) { return forms.baseFormOf(w); };
        CMyAddModifyDialog d(in);
        d.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
        type(d, QString::fromLatin1(c.typed));
        auto* hint = d.item<QPushButton>(CMyAddModifyDialog::kBaseForm);
        EXPECT_EQ(d.offeredBaseForm(), QLatin1String(c.offered)) << c.typed;
        EXPECT_EQ(hint->isVisible(), *c.offered != 0) << c.typed;
        EXPECT_EQ(line(d, CMyAddModifyDialog::kWord)->text(), QLatin1String(c.typed)) << "the word stays as typed";
        if (!*c.offered)
            continue;
        EXPECT_EQ(hint->text(), QStringLiteral("原形: go"));
        QTest::keyClick(&d, Qt::Key_B, Qt::AltModifier);
        QApplication::processEvents();
        EXPECT_EQ(line(d, CMyAddModifyDialog::kWord)->text(), QStringLiteral("go"));
        EXPECT_EQ(plain(d, CMyAddModifyDialog::kExplanation)->toPlainText(), QStringLiteral("v. 去"));
        EXPECT_FALSE(hint->isVisible());
    }
}

TEST_F(AddModifyTest, TheWordsExampleGoesIntoTheCommentWithAClick)
{
    makeList();
    CMyAddModifyDialog::Inputs in;
    in.session = &session;
    in.clock = &clock;
    in.exampleOf = [](QStringView w) {
        return w == u"dog" ? QStringLiteral("the dog barked all night") : QString();
    };
    CMyAddModifyDialog d(in);
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    type(d, QStringLiteral("cat"));
    EXPECT_TRUE(d.offeredExample().isEmpty());
    line(d, CMyAddModifyDialog::kWord)->clear();
    type(d, QStringLiteral("dog"));
    EXPECT_EQ(d.offeredExample(), QStringLiteral("the dog barked all night"));
    plain(d, CMyAddModifyDialog::kComment)->setPlainText(QStringLiteral("mine"));
    d.takeExample();
    EXPECT_EQ(plain(d, CMyAddModifyDialog::kComment)->toPlainText(), QStringLiteral("mine\nthe dog barked all night"));
    EXPECT_TRUE(d.offeredExample().isEmpty());   // taken once
    EXPECT_EQ(line(d, CMyAddModifyDialog::kWord)->text(), QStringLiteral("dog"));
}
