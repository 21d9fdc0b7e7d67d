// The hover tip of the word list, and a picture of the list for the eye.
#include "list_fixture.h"

#include "lexora/wordlist/my_edit.h"
#include "resources/phonetic_font.h"
#include "temp_dir.h"

#include <QDir>
#include <QMenu>
#include <QFileInfo>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QWheelEvent>

using namespace lex;
using wltest::ListTest;

namespace {
const QString kCrLf = QStringLiteral("\r\n");
const QString kDictMark = QStringLiteral("\r\n<<词典>>\r\n");
} // namespace

TEST_F(ListTest, TipShowsWholeMultiLineTexts)
{
    const QString explanation = QStringLiteral("n. 苹果") + kCrLf + QStringLiteral("苹果树");
    const QString comment = QStringLiteral("常用") + kCrLf + QStringLiteral("an apple a day");
    add({QStringLiteral("apple"), explanation, QStringLiteral("5Apl"), comment});
    add({QStringLiteral("pear"), QStringLiteral("梨"), {}, QStringLiteral("短")});
    makeList();

    hover(0, 2);
    ASSERT_TRUE(list->isTipShown());
    EXPECT_EQ(list->tipText(), explanation);
    const QRect cell = list->visualRect(this->cell(0, 2));
    EXPECT_EQ(list->tipGeometry().topLeft(), cell.topLeft());
    EXPECT_GE(list->tipGeometry().width(), cell.width());
    // Two lines: taller than the row.
    EXPECT_GT(list->tipGeometry().height(), cell.height() + 10);

    hover(0, 8);
    ASSERT_TRUE(list->isTipShown());
    EXPECT_EQ(list->tipText(), comment);

    // Over the phonetic the cursor tells that a click speaks.
    hover(0, 3);
    EXPECT_EQ(list->viewport()->cursor().shape(), Qt::BitmapCursor);
    hover(1, 1);
    EXPECT_NE(list->viewport()->cursor().shape(), Qt::BitmapCursor);

    // A short single-line text that fits its cell gets no tip; nor do numbers.
    hover(1, 8);
    EXPECT_FALSE(list->isTipShown());
    hover(0, 4);
    EXPECT_FALSE(list->isTipShown());
    hover(0, 0);
    EXPECT_FALSE(list->isTipShown());

    // Moving inside one cell does not bring a hidden tip back.
    hover(0, 2);
    ASSERT_TRUE(list->isTipShown());
    list->hideTip();
    hover(0, 2, {}, QPoint(3, 1));
    EXPECT_FALSE(list->isTipShown());

    // A hidden explanation has no tip while "词典" is unchecked.
    host.toggles[1018] = false;
    at(0)->reveal = false;
    hover(1, 2);
    hover(0, 2);
    EXPECT_FALSE(list->isTipShown());
}

TEST_F(ListTest, TipAddsTheDictionaryExplanation)
{
    add({QStringLiteral("apple"), QStringLiteral("苹果")});
    add({QStringLiteral("kiwi"), QStringLiteral("猕猴桃")});
    add({QStringLiteral("pear"), QStringLiteral("梨") + kCrLf + QStringLiteral("梨树")});
    makeList();
    host.dictionary.insert(QStringLiteral("apple"), QStringLiteral("n. 苹果") + kCrLf + QStringLiteral("苹果树"));
    host.dictionary.insert(QStringLiteral("pear"), QStringLiteral("n. 梨"));
    host.toggles[1018] = false;
    host.toggles[1027] = true;
    for (int r = 0; r < 3; ++r)
        at(r)->reveal = false;

    hover(0, 2);
    ASSERT_TRUE(list->isTipShown());
    EXPECT_TRUE(list->tipText().startsWith(kDictMark));
    EXPECT_EQ(list->tipText(), kDictMark + QStringLiteral("n. 苹果") + kCrLf + QStringLiteral("苹果树"));
    EXPECT_GT(list->tipGeometry().height(), 3 * list->rowHeight(0));

    // A word the dictionary does not know: nothing to show.
    hover(1, 2);
    EXPECT_FALSE(list->isTipShown());

    // An explanation of several lines comes first, then the dictionary's.
    hover(2, 2);
    ASSERT_TRUE(list->isTipShown());
    EXPECT_EQ(list->tipText(), QStringLiteral("梨") + kCrLf + QStringLiteral("梨树") + kDictMark + QStringLiteral("n. 梨"));

    // The dictionary's text is for the explanation column only.
    host.toggles[1017] = true;
    hover(0, 1);
    EXPECT_FALSE(list->isTipShown());
}

// The recall lines of an entry's learning record ride on a tip that shows anyway (several lines,
// a text too wide for its cell, the dictionary's addition), never on a cell whose text fits; they
// are drawn in the list font, also under the phonetic.
TEST_F(ListTest, TheRecallLinesRideOnlyOnATipThatShowsAnyway)
{
    const QString pear = QStringLiteral("梨") + kCrLf + QStringLiteral("梨树");
    const QString phonetic = QStringLiteral("7intE5nAFEnEl 7intE5nAFEnEl 7intE5nAFEnEl");
    add({QStringLiteral("apple"), QStringLiteral("苹果"), QStringLiteral("5Apl"), QStringLiteral("短")});
    add({QStringLiteral("pear"), pear});
    add({QStringLiteral("international"), QStringLiteral("国际的"), phonetic});
    add({QStringLiteral("kiwi"), QStringLiteral("猕猴桃")});
    makeList();
    const QString lines = QStringLiteral("认 75%") + kCrLf + QStringLiteral("拼 40%");
    for (const char* w : {"apple", "pear", "international", "kiwi"})
        host.recall.insert(QString::fromUtf8(w), lines);
    host.dictionary.insert(QStringLiteral("kiwi"), QStringLiteral("n. 猕猴桃"));
    const QString recall = kCrLf + QStringLiteral("<<记忆>>") + kCrLf + lines;

    const struct {
        const char* what;
        int row, column;
        bool dictionary;
        QString tip;   // empty: no tip
    } cases[] = {
        {"a word that fits", 0, 1, false, {}},
        {"an explanation that fits", 0, 2, false, {}},
        {"a phonetic that fits", 0, 3, false, {}},
        {"a comment that fits", 0, 8, false, {}},
        {"several lines", 1, 2, false, pear + recall},
        {"too wide for its cell", 2, 3, false, phonetic + recall},
        {"the dictionary's addition", 3, 2, true, QStringLiteral("猕猴桃") + kDictMark + QStringLiteral("n. 猕猴桃") + recall},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        host.toggles[1027] = c.dictionary;
        hover(c.row == 0 ? 1 : 0, 0);   // another cell first: each case is a new hover
        hover(c.row, c.column);
        EXPECT_EQ(list->isTipShown(), !c.tip.isEmpty());
        if (!c.tip.isEmpty())
            EXPECT_EQ(list->tipText(), c.tip);
    }

    // Under the phonetic the recall lines are in the list font: the phonetic font would draw
    // their letters as IPA signs.
    host.toggles[1027] = false;
    hover(0, 0);
    hover(2, 3);
    ASSERT_TRUE(list->isTipShown());
    auto* tip = list->viewport()->findChild<CMyEdit*>();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->document()->defaultFont().families(), list->phoneticFont().families());
    int recallBlocks = 0;
    for (QTextBlock b = tip->document()->begin(); b.isValid(); b = b.next()) {
        if (!b.text().startsWith(QStringLiteral("认")) && !b.text().startsWith(QStringLiteral("拼")))
            continue;
        ++recallBlocks;
        for (auto f = b.begin(); !f.atEnd(); ++f)
            EXPECT_EQ(f.fragment().charFormat().font().families(), list->listFont().families())
                << b.text().toStdString();
    }
    EXPECT_EQ(recallBlocks, 2);
}

// The word's English example rides, like the recall lines, only on a tip that shows anyway, before
// those lines and in the list font; a word without one (or with examples turned off: the host
// gives none) has a tip without it.
TEST_F(ListTest, TheExampleRidesOnlyOnATipThatShowsAnyway)
{
    const QString pear = QStringLiteral("梨") + kCrLf + QStringLiteral("梨树");
    const QString phonetic = QStringLiteral("7intE5nAFEnEl 7intE5nAFEnEl 7intE5nAFEnEl");
    add({QStringLiteral("apple"), QStringLiteral("苹果"), QStringLiteral("5Apl"), QStringLiteral("短")});
    add({QStringLiteral("pear"), pear});
    add({QStringLiteral("international"), QStringLiteral("国际的"), phonetic});
    add({QStringLiteral("kiwi"), QStringLiteral("猕猴桃")});
    add({QStringLiteral("plum"), QStringLiteral("李子") + kCrLf + QStringLiteral("梅子")});
    makeList();
    for (const char* w : {"apple", "pear", "international", "kiwi"})
        host.examples.insert(QString::fromUtf8(w), QStringLiteral("the %1 on the table").arg(QString::fromUtf8(w)));
    host.recall.insert(QStringLiteral("pear"), QStringLiteral("认 75%"));
    host.dictionary.insert(QStringLiteral("kiwi"), QStringLiteral("n. 猕猴桃"));
    const QString mark = kCrLf + QStringLiteral("<<例句>>") + kCrLf;

    const struct {
        const char* what;
        int row, column;
        bool dictionary;
        QString tip;   // empty: no tip
    } cases[] = {
        {"a word that fits", 0, 1, false, {}},
        {"an explanation that fits", 0, 2, false, {}},
        {"a comment that fits", 0, 8, false, {}},
        {"several lines, then the recall lines", 1, 2, false,
         pear + mark + QStringLiteral("the pear on the table") + kCrLf + QStringLiteral("<<记忆>>") + kCrLf + QStringLiteral("认 75%")},
        {"too wide for its cell", 2, 3, false, phonetic + mark + QStringLiteral("the international on the table")},
        {"the dictionary's addition", 3, 2, true,
         QStringLiteral("猕猴桃") + kDictMark + QStringLiteral("n. 猕猴桃") + mark + QStringLiteral("the kiwi on the table")},
        {"a word without an example", 4, 2, false, QStringLiteral("李子") + kCrLf + QStringLiteral("梅子")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        host.toggles[1027] = c.dictionary;
        hover(c.row == 0 ? 1 : 0, 0);   // another cell first: each case is a new hover
        hover(c.row, c.column);
        EXPECT_EQ(list->isTipShown(), !c.tip.isEmpty());
        if (!c.tip.isEmpty())
            EXPECT_EQ(list->tipText(), c.tip);
    }

    // Under the phonetic the example is in the list font too, and the tip is tall enough for it.
    host.toggles[1027] = false;
    hover(0, 0);
    hover(2, 3);
    ASSERT_TRUE(list->isTipShown());
    auto* tip = list->viewport()->findChild<CMyEdit*>();
    ASSERT_NE(tip, nullptr);
    bool found = false;
    for (QTextBlock b = tip->document()->begin(); b.isValid(); b = b.next())
        if (b.text() == QStringLiteral("the international on the table")) {
            found = true;
            for (auto f = b.begin(); !f.atEnd(); ++f)
                EXPECT_EQ(f.fragment().charFormat().font().families(), list->listFont().families());
        }
    EXPECT_TRUE(found);
    EXPECT_GE(list->tipGeometry().height(), tip->fittingSize().height());
}

TEST_F(ListTest, ShiftAndTheWheelKeepTheTipAway)
{
    add({QStringLiteral("apple"), QStringLiteral("一") + kCrLf + QStringLiteral("二")});
    add({QStringLiteral("pear"), QStringLiteral("三") + kCrLf + QStringLiteral("四")});
    for (int i = 0; i < 40; ++i)
        add({QStringLiteral("w%1").arg(i)});
    makeList();

    hover(0, 2, Qt::ShiftModifier);
    EXPECT_FALSE(list->isTipShown());
    hover(1, 2);
    ASSERT_TRUE(list->isTipShown());
    QTest::keyPress(list.get(), Qt::Key_Shift);
    QTest::keyRelease(list.get(), Qt::Key_Shift);
    EXPECT_FALSE(list->isTipShown());

    hover(0, 2);
    ASSERT_TRUE(list->isTipShown());
    const QPoint p = centre(0, 2);
    QWheelEvent wheel(p, list->viewport()->mapToGlobal(p), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(list->viewport(), &wheel);
    EXPECT_FALSE(list->isTipShown());
    EXPECT_GT(list->verticalScrollBar()->value(), 0);
}

TEST_F(ListTest, TipStaysInsideTheList)
{
    for (int i = 0; i < 30; ++i)
        add({QStringLiteral("w%1").arg(i)});
    add({QStringLiteral("long"), {}, {}, {}, QStringLiteral("一个很长很长的分类名称，远远超过这一列的宽度，甚至超过整个列表")});
    makeList(QSize(700, 300));
    const int last = list->itemCount() - 1;
    list->scrollTo(this->cell(last, 11));
    QApplication::processEvents();
    const QRect cell = list->visualRect(this->cell(last, 11));
    ASSERT_TRUE(cell.intersects(list->viewport()->rect()));
    const QPoint p = QRect(cell.intersected(list->viewport()->rect())).center();
    QMouseEvent move(QEvent::MouseMove, p, list->viewport()->mapToGlobal(p), Qt::NoButton, Qt::NoButton, {});
    QApplication::sendEvent(list->viewport(), &move);
    ASSERT_TRUE(list->isTipShown());
    const QRect tip = list->tipGeometry();
    EXPECT_TRUE(list->viewport()->rect().contains(tip)) << tip.x() << "," << tip.y() << " " << tip.width() << "x"
                                                        << tip.height();
}

TEST_F(ListTest, ClicksOnTheTipReachTheList)
{
    add({QStringLiteral("apple"), {}, {}, QStringLiteral("一") + kCrLf + QStringLiteral("二"), {}, 1, 1, 1, 1});
    add({QStringLiteral("pear"), {}, {}, QStringLiteral("三") + kCrLf + QStringLiteral("四")});
    makeList();
    selectRows({0});
    hover(1, 8);
    ASSERT_TRUE(list->isTipShown());
    auto* tip = list->viewport()->findChild<CMyEdit*>();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->property("lexControlId").toInt(), CMyEdit::kControlId);
    QTest::mouseClick(tip->viewport(), Qt::LeftButton, {}, QPoint(8, 5));
    QApplication::processEvents();
    EXPECT_FALSE(list->isTipShown());
    EXPECT_EQ(list->selectedRows(), std::vector<int>{1});

    hover(0, 8);
    ASSERT_TRUE(list->isTipShown());
    QTest::mouseClick(tip->viewport(), Qt::RightButton, {}, QPoint(8, 5));
    QApplication::processEvents();
    EXPECT_FALSE(list->isTipShown());
    ASSERT_NE(list->popupMenu(), nullptr);
    EXPECT_TRUE(list->popupMenu()->isVisible());
    list->popupMenu()->hide();
}

// A picture of the list with Chinese texts, phonetics, a multi-line cell and a tip, kept in the
// build folder for a person to look at.
TEST_F(ListTest, PictureOfTheList)
{
    const struct {
        const char16_t *word, *explanation, *phonetic, *comment, *cls;
        int r, s, l, t;
    } rows[] = {
        {u"English", u"n. 英语；英国人", u"5iN^liF", u"", u"名词", 2, 3, 1, 0},
        {u"thought", u"n. 思想\r\nv. think 的过去式", u"WC:t", u"不规则动词", u"动词", 5, 4, 2, 1},
        {u"vision", u"n. 视力；远见", u"5viVEn", u"", u"名词", 1, 0, 0, 0},
        {u"bird", u"n. 鸟", u"b\\:d", u"小学词汇\r\n复数 birds", u"名词", 0, 0, 0, 0},
        {u"father", u"n. 父亲", u"5fB:TE", u"", u"名词", 3, 3, 3, 2},
        {u"this", u"pron. 这个", u"Tis", u"", u"代词", 0, 1, 0, 0},
        {u"take off", u"起飞；脱下", u"teik C:f", u"词组", u"短语", 7, 8, 9, 10},
        {u"cat", u"n. 猫", u"kAt", u"", u"名词", 0, 0, 0, 0},
    };
    for (const auto& r : rows)
        add({QString::fromUtf16(r.word), QString::fromUtf16(r.explanation), QString::fromUtf16(r.phonetic),
             QString::fromUtf16(r.comment), QString::fromUtf16(r.cls), r.r, r.s, r.l, r.t});
    res::loadPhoneticFont(QString(), lextest::TempDir().path());
    makeList(QSize(980, 260));
    list->setFonts(1, list->listFont(), res::phoneticFont(18));
    QFont f = list->listFont();
    f.setPixelSize(18);
    list->setFonts(1, f, res::phoneticFont(18));
    host.toggles[1017] = false;
    at(2)->reveal = false;
    at(5)->reveal = false;
    selectRows({4, 5});
    list->setCurrentIndex(cell(5, 0));
    selectRows({4, 5});
    hover(0, 2);   // too long for its cell
    ASSERT_TRUE(list->isTipShown());
    EXPECT_EQ(list->tipText(), QStringLiteral("n. 英语；英国人"));
    QApplication::processEvents();
    const QImage shot = list->grab().toImage();
    const QString path = QDir(lextest::binaryDir()).filePath(QStringLiteral("tests/wordlist/word_list.png"));
    QDir().mkpath(QFileInfo(path).path());
    EXPECT_TRUE(shot.save(path)) << path.toStdString();

    // The default font type 0, with the focus elsewhere: selected rows in the button face.
    QWidget other;
    other.setFocusPolicy(Qt::StrongFocus);
    other.show();
    other.setFocus();
    list->setFonts(0, QFont(list->listFont().families().first()), res::phoneticFont(14));
    QFont small = list->listFont();
    small.setFamilies(QStringList{QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans CJK SC")});
    small.setPixelSize(14);
    list->setFonts(0, small, res::phoneticFont(14));
    list->clearFocus();
    QApplication::processEvents();
    EXPECT_FALSE(list->hasFocus());
    const QString smallPath = QDir(lextest::binaryDir()).filePath(QStringLiteral("tests/wordlist/word_list_small.png"));
    EXPECT_TRUE(list->grab().toImage().save(smallPath));
    // The phonetic column is drawn in the phonetic font: its IPA glyphs differ from plain letters.
    EXPECT_NE(res::phoneticFontFamily(), QStringLiteral("DejaVu Sans"));
}
