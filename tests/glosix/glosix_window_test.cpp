// The companion window offscreen: the entry display, the layout, the rectangle it opens at and
// writes at close, the word from Lexora, looking up and speaking.
#include "glosix/glosix_dlg.h"
#include "glosix/window_rect.h"

#include "common/config/config_keys.h"
#include "common/config/profile.h"
#include "common/dictionary/dict_builder.h"
#include "common/dictionary/index_blocks.h"
#include "common/dictionary/stardict_writer.h"
#include "common/dictionary/us_phonetics.h"
#include "common/dictionary/word_forms.h"
#include "common/platform/named_event.h"
#include "common/speech/speech_output.h"
#include "resources/resource_ids.h"
#include "scripted_services.h"
#include "../speech/speech_fakes.h"
#include "temp_dir.h"
#include "wordnet_files.h"

#include <QFontInfo>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <functional>

#include <gtest/gtest.h>

using namespace lex;
using namespace lex::config;
namespace id = lex::res::glosix;

namespace {

struct FakeEvent : NamedEvent {
    bool* setFlag;
    explicit FakeEvent(bool* f) : setFlag(f) {}
    bool set() override { return *setFlag = true; }
    bool wait(int) override { return *setFlag; }
};
struct FakeEvents : NamedEvents {
    bool exists = true;
    bool readySet = false;
    QStringList opened;
    std::unique_ptr<NamedEvent> create(const QString&, EventCreate* r) override
    {
        if (r)
            *r = EventCreate::Failed;
        return nullptr;
    }
    std::unique_ptr<NamedEvent> open(const QString& name) override
    {
        opened << name;
        return exists ? std::make_unique<FakeEvent>(&readySet) : nullptr;
    }
};

QString longEntry()
{
    // The phonetic in the phonetic font's codes, as dictionary files hold it: shown as IPA.
    QString t = QStringLiteral("`1`apple`4`/5Apl/");
    for (int i = 0; i < 80; ++i)
        t += QStringLiteral("`8`n. 苹果 %1").arg(i);
    return t + QStringLiteral("`7`英文释义`9`the round fruit`14`考试：中考");
}

// A program folder with a companion dictionary, a voice folder and Config.INI.
struct Rig {
    lextest::TempDir dir;
    lextest::ScriptedServices ui;
    lextest::FakeEngine tts;
    FakeEvents events;
    std::unique_ptr<CGlosixDlg> w;

    // `prepare` adds to the program folder (and to the companion index) before the window starts.
    explicit Rig(const QByteArray& ini = "[INIT]\nIsDisableTTS=0\n", bool withDict = true,
                 const std::function<void(lextest::TempDir&, QByteArray* idx)>& prepare = {})
    {
        for (const char* sub : {"Voice", "Dict"})
            QDir().mkpath(dir.path(QString::fromLatin1(sub)));
        dir.write(QStringLiteral("Config.INI"), ini);
        if (withDict) {
            std::vector<DictSourceEntry> entries{
                {QStringLiteral("apple"), {}, {}, longEntry()},
                {QStringLiteral("pear"), {}, {}, QStringLiteral("`1`pear`8`n. 梨 <b>&amp;</b>")},
            };
            QByteArray idx, dic;
            DictBuildOptions o;
            o.variant = DictVariant::Companion;
            EXPECT_TRUE(encodeDictionary(entries, o, &idx, &dic, nullptr));
            if (prepare)
                prepare(dir, &idx);
            dir.write(QStringLiteral("Dict/21ct.idx"), idx);
            dir.write(QStringLiteral("Dict/21ct.dic"), dic);
        }
        GlosixServices s;
        s.ui = &ui;
        s.events = &events;
        s.tts = &tts;
        w = std::make_unique<CGlosixDlg>(s, dir.path());
        w->initialise();
    }
};

std::optional<Rect> storedRect(const QString& folder)
{
    Profile p(folder + QStringLiteral("/Config.INI"));
    return unpackRect(p.readStruct(kInit, kGlosixDlgSize, kRectSize).value_or(QByteArray()));
}

QTextBlock blockWithText(QTextDocument* doc, const QString& text)
{
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        if (b.text() == text)
            return b;
    return {};
}

QTextCharFormat formatAt(QTextDocument* doc, const QString& text)
{
    const qsizetype at = doc->toPlainText().indexOf(text);
    EXPECT_GE(at, 0) << qPrintable(text);
    QTextCursor c(doc);
    c.setPosition(int(at) + 1);   // the format of the character before the cursor
    return c.charFormat();
}

} // namespace

TEST(GlosixEntryText, EveryMarkerHasItsColourWeightAndIndent)
{
    QTextEdit pane;
    EntryFonts fonts;
    fonts.text = pane.font();
    QString in = QStringLiteral("`1`head");
    for (int n = 2; n <= 14; ++n)
        in += QStringLiteral("`%1`run%1").arg(n);
    ShowEntryText(&pane, in, fonts);
    QTextDocument* doc = pane.document();
    ASSERT_EQ(doc->blockCount(), 14);
    EXPECT_EQ(doc->begin().text(), QStringLiteral("head")) << "marker 1 first: no empty line above";

    const int h = entryCharHeight(fonts.text);
    ASSERT_GT(h, 0);
    struct Want { int n; QColor colour; bool bold; int indent; };
    const Want want[] = {
        {1, {0, 0, 0}, true, 0},      {2, {0, 32, 128}, false, 0},  {3, {0, 0, 0}, false, 0},
        {4, {0, 128, 128}, false, 0}, {5, {255, 0, 0}, true, 0},    {6, {0, 128, 128}, false, 0},
        {7, {0, 0, 0}, true, 0},      {8, {0, 32, 128}, false, 2},  {9, {128, 32, 0}, false, 4},
        {10, {128, 32, 0}, false, 4}, {11, {128, 32, 0}, false, 4}, {12, {128, 32, 0}, false, 4},
        {13, {0, 0, 0}, false, 4},    {14, {0, 0, 0}, false, 0},
    };
    for (const Want& x : want) {
        const QString text = x.n == 1 ? QStringLiteral("head") : QStringLiteral("run%1").arg(x.n);
        const QTextCharFormat f = formatAt(doc, text);
        EXPECT_EQ(f.foreground().color(), x.colour) << "marker " << x.n;
        EXPECT_EQ(f.fontWeight() >= QFont::Bold, x.bold) << "marker " << x.n;
        const QTextBlock b = blockWithText(doc, text);
        ASSERT_TRUE(b.isValid()) << "marker " << x.n;
        EXPECT_EQ(b.blockFormat().leftMargin(), x.indent * h) << "marker " << x.n;
        EXPECT_NE(f.fontFamilies().toStringList().value(0), QStringLiteral("Lexora Phonetic"))
            << "a colour only, never the phonetic font: marker " << x.n;
    }
}

TEST(GlosixEntryText, TextIsShownAsItIsAndOddMarkersStayVisible)
{
    QTextEdit pane;
    EntryFonts fonts{pane.font()};
    ShowEntryText(&pane, u"`1`a<b>&amp;</b>`15`x`0`y`", fonts);
    EXPECT_EQ(pane.toPlainText(), QStringLiteral("a<b>&amp;</b>`15`x`0`y`"));
    // Past the run of marker 1 (ended by the first backquote) the text is plain again.
    EXPECT_EQ(formatAt(pane.document(), QStringLiteral("15")).fontWeight(), QFont::Normal);
    EXPECT_GE(formatAt(pane.document(), QStringLiteral("<b>")).fontWeight(), QFont::Bold);

    // Line breaks inside an entry (CR LF) are one paragraph break each and keep the run's indent.
    ShowEntryText(&pane, u"`9`one\r\ntwo", fonts);
    EXPECT_EQ(pane.toPlainText(), QStringLiteral("\none\ntwo"));
    EXPECT_EQ(blockWithText(pane.document(), QStringLiteral("two")).blockFormat().leftMargin(),
              4 * entryCharHeight(fonts.text));
    // A new entry replaces the old one completely, formats included.
    ShowEntryText(&pane, u"plain", fonts);
    EXPECT_EQ(pane.toPlainText(), QStringLiteral("plain"));
    EXPECT_EQ(pane.document()->begin().blockFormat().leftMargin(), 0);
    EXPECT_EQ(formatAt(pane.document(), QStringLiteral("plain")).foreground().color(), QColor(0, 0, 0));
}

TEST(GlosixWindow, StartsWithThePaneHiddenAndLaysOutOnResize)
{
    Rig rig;
    CGlosixDlg& w = *rig.w;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Glosix"));
    EXPECT_TRUE(w.listPane()->isHidden());
    EXPECT_EQ(w.focusWidget(), w.button(id::IDC_LOOKUP)) << "the first focus is on 查询";
    QPushButton* toggle = w.button(id::IDC_TOGGLE);
    EXPECT_EQ(toggle->text(), QStringLiteral(">"));
    EXPECT_FALSE(toggle->isEnabled());
    EXPECT_EQ(toggle->x(), w.listPane()->x());
    EXPECT_EQ(w.textPane()->x(), toggle->x());
    EXPECT_EQ(w.button(id::IDC_SPEAK)->x(), toggle->x() + toggle->width() + 3);
    EXPECT_EQ(w.button(id::IDC_ADDTO)->x(), w.button(id::IDC_SPEAK)->geometry().right() + 1 + 3);
    EXPECT_EQ(w.button(id::IDC_SETUP)->x(), w.button(id::IDC_ADDTO)->geometry().right() + 1 + 3);
    EXPECT_FALSE(w.button(id::IDC_ADDTO)->isEnabled());
    EXPECT_FALSE(w.button(id::IDC_SETUP)->isEnabled());
    EXPECT_TRUE(w.button(id::IDC_SPEAK)->isEnabled());

    // The toggle itself, run again: the pane comes back and everything moves right of it.
    const int textRight = w.textPane()->geometry().right();
    w.onCommand(id::IDC_TOGGLE, 0);
    EXPECT_FALSE(w.listPane()->isHidden());
    EXPECT_EQ(toggle->text(), QStringLiteral("<"));
    EXPECT_EQ(toggle->x(), w.listPane()->geometry().right() + 1);
    EXPECT_EQ(w.textPane()->x(), toggle->x());
    EXPECT_EQ(w.textPane()->geometry().right(), textRight) << "the text pane's right edge stays";
    w.onCommand(id::IDC_TOGGLE, 0);
    EXPECT_TRUE(w.listPane()->isHidden());

    w.show();
    for (const QSize size : {QSize(640, 480), QSize(351, 201), QSize(1000, 300)}) {
        w.resize(size);
        const int cw = w.width(), ch = w.height();
        EXPECT_EQ(w.textPane()->geometry().right(), cw - 2) << "right edge at client width - 1 (exclusive)";
        EXPECT_EQ(w.textPane()->geometry().bottom(), ch - 2);
        EXPECT_EQ(w.listPane()->geometry().bottom(), ch - 2);
        QPushButton* look = w.button(id::IDC_LOOKUP);
        EXPECT_EQ(look->geometry().right() + 1, cw - 2);
        EXPECT_EQ(w.input()->geometry().right() + 1, look->x() - 5);
        EXPECT_EQ(w.button(id::IDC_SPEAK)->x(), toggle->x() + toggle->width() + 3) << "other buttons stay";
    }
    // The smallest window is 350 x 200 with its frame.
    w.resize(100, 50);
    EXPECT_EQ(w.frameGeometry().size(), kGlosixMinimumSize);
}

TEST(GlosixWindow, TheStoredRectangleIsUsedOnlyWhenItCanBeSeen)
{
    const QList<QRect> screens{QRect(0, 0, 1280, 800), QRect(1280, 0, 1024, 768)};
    const Rect def = kDefaultGlosixDlgSize;
    EXPECT_EQ(glosixStartRect(std::nullopt, screens), def);
    EXPECT_EQ(glosixStartRect(Rect{10, 20, 410, 320}, screens), (Rect{10, 20, 410, 320}));
    EXPECT_EQ(glosixStartRect(Rect{1500, 100, 1900, 400}, screens), (Rect{1500, 100, 1900, 400})) << "second screen";
    EXPECT_EQ(glosixStartRect(Rect{0, 0, 0, 0}, screens), def) << "empty";
    EXPECT_EQ(glosixStartRect(Rect{500, 400, 100, 100}, screens), def) << "inverted";
    EXPECT_EQ(glosixStartRect(Rect{0, 0, 349, 300}, screens), def) << "narrower than the minimum";
    EXPECT_EQ(glosixStartRect(Rect{0, 0, 400, 199}, screens), def) << "lower than the minimum";
    EXPECT_EQ(glosixStartRect(Rect{0, 0, 350, 200}, screens), (Rect{0, 0, 350, 200})) << "exactly the minimum";
    EXPECT_EQ(glosixStartRect(Rect{5000, 5000, 5400, 5300}, screens), def) << "off every screen";
    EXPECT_EQ(glosixStartRect(Rect{-351, 100, -1, 400}, screens), def) << "left of the screens";
    EXPECT_EQ(glosixStartRect(Rect{2254, 700, 2654, 1000}, screens), (Rect{2254, 700, 2654, 1000})) << "50 x 68 visible";
    EXPECT_EQ(glosixStartRect(Rect{2255, 700, 2655, 1000}, screens), def) << "49 pixels visible";
    EXPECT_EQ(glosixStartRect(Rect{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, screens), def) << "absurd";
}

TEST(GlosixWindow, TheStoredRectangleIsTheWindowsFrameAndOldClientRectanglesStillOpen)
{
    // A title bar of 30 and borders of 4: the client area sits inside the stored frame.
    const QMargins frame(4, 30, 4, 4);
    struct Case { Rect stored; QMargins frame; QRect client; const char* what; };
    const Case cases[] = {
        {{100, 100, 500, 400}, frame, QRect(104, 130, 392, 266), "the frame lands where it was"},
        {{100, 100, 500, 400}, QMargins(), QRect(100, 100, 400, 300), "no frame (offscreen, or before showing)"},
        // What earlier builds wrote, a client rectangle, opens as a frame of that size: the same
        // place, smaller by the frame.
        {{200, 150, 700, 500}, frame, QRect(204, 180, 492, 316), "an earlier build's client rectangle"},
        // The minimum of 350 x 200 is the whole window's, frame included.
        {{0, 0, 350, 200}, frame, QRect(4, 30, 342, 166), "the smallest window"},
        {{0, 0, 300, 150}, frame, QRect(4, 30, 342, 166), "never below the minimum size"},
        {{0, 0, 300, 150}, QMargins(), QRect(0, 0, 350, 200), "never below the minimum size, no frame"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(glosixClientGeometry(c.stored, c.frame), c.client) << c.what;
        if (c.stored.right - c.stored.left >= kGlosixMinimumSize.width())
            EXPECT_EQ(glosixWindowRect(c.client.marginsAdded(c.frame)), c.stored) << "written back unchanged: " << c.what;
    }
    EXPECT_EQ(glosixMinimumClientSize(frame), QSize(342, 166));
}

TEST(GlosixWindow, OpensAtTheStoredRectangleAndWritesOnlyItAtClose)
{
    {
        Rig rig("[INIT]\r\nIsDisableTTS=0\r\nGlosixDlgSize=garbage\r\n");
        EXPECT_EQ(rig.w->geometry(), QRect(100, 100, 400, 300)) << "an invalid value gives the default";
    }
    Rig rig;
    rig.w->show();
    rig.w->close();   // the close box: through the one close path
    EXPECT_TRUE(rig.w->isClosed());
    EXPECT_EQ(storedRect(rig.dir.path()), (Rect{100, 100, 500, 400}));

    // Opened again at a stored place and size; moved and closed, the new place is stored.
    Profile p(rig.dir.path(QStringLiteral("Config.INI")));
    ASSERT_TRUE(p.writeStruct(kInit, kGlosixDlgSize, packRect(Rect{200, 150, 700, 500})));
    const QByteArray before = rig.dir.read(QStringLiteral("Config.INI"));
    Rig again(before);
    EXPECT_EQ(again.w->geometry(), QRect(200, 150, 500, 350));
    again.w->setGeometry(210, 160, 600, 400);
    QTest::keyClick(again.w.get(), Qt::Key_Escape);
    EXPECT_TRUE(again.w->isClosed());
    EXPECT_EQ(storedRect(again.dir.path()), (Rect{210, 160, 810, 560}));
    // Nothing but the rectangle changed.
    auto otherLines = [](const QByteArray& ini) {
        QList<QByteArray> lines = ini.split('\n');
        lines.removeIf([](const QByteArray& l) { return l.startsWith("GlosixDlgSize="); });
        return lines;
    };
    EXPECT_EQ(otherLines(again.dir.read(QStringLiteral("Config.INI"))), otherLines(before));
    again.w->closeWindow();   // a second close does nothing
}

TEST(GlosixWindow, ClosingMaximisedOrMinimisedKeepsTheStoredRectangle)
{
    for (Qt::WindowState st : {Qt::WindowMaximized, Qt::WindowMinimized}) {
        Rig rig("[INIT]\n");
        Profile p(rig.dir.path(QStringLiteral("Config.INI")));
        ASSERT_TRUE(p.writeStruct(kInit, kGlosixDlgSize, packRect(Rect{20, 30, 420, 330})));
        rig.w->show();
        rig.w->setWindowState(st);
        rig.w->closeWindow();
        EXPECT_EQ(storedRect(rig.dir.path()), (Rect{20, 30, 420, 330})) << int(st);
    }
}

TEST(GlosixWindow, TellsLexoraItIsReadyAtTheEndOfItsStart)
{
    Rig rig;
    EXPECT_EQ(rig.events.opened, QStringList{QStringLiteral("GlosixReady")});
    EXPECT_TRUE(rig.events.readySet);
}

TEST(GlosixWindow, LookingUpShowsAndSpeaksAWordFromLexoraIsOnlyShown)
{
    Rig rig;
    CGlosixDlg& w = *rig.w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));

    w.receiveWord(QStringLiteral("apple"));
    EXPECT_EQ(w.input()->text(), QStringLiteral("apple"));
    EXPECT_TRUE(w.textPane()->toPlainText().startsWith(QStringLiteral("apple\n/ˈæpl/\nn. 苹果 0")));
    EXPECT_TRUE(rig.tts.spoken.isEmpty()) << "a word from Lexora is not spoken";

    // Scrolled down, then the next word from Lexora is shown from the top.
    w.textPane()->verticalScrollBar()->setValue(w.textPane()->verticalScrollBar()->maximum());
    ASSERT_GT(w.textPane()->verticalScrollBar()->value(), 0) << "the long entry needs scrolling";
    w.receiveWord(QStringLiteral("APPLE"));   // ASCII case is folded
    EXPECT_EQ(w.textPane()->verticalScrollBar()->value(), 0);
    EXPECT_EQ(w.textPane()->textCursor().position(), 0);

    // "查询" (and Enter in the input box) looks up and speaks.
    w.input()->setText(QStringLiteral("pear"));
    QTest::keyClick(w.input(), Qt::Key_Return);
    EXPECT_FALSE(w.isClosed()) << "Enter never closes the window";
    EXPECT_EQ(w.textPane()->toPlainText(), QStringLiteral("pear\nn. 梨 <b>&amp;</b>"));
    EXPECT_EQ(rig.tts.spoken, QStringList{QStringLiteral("pear")});

    // A word that is not there: nothing changes, nothing is spoken.
    w.input()->setText(QStringLiteral("nosuchword"));
    w.button(id::IDC_LOOKUP)->click();
    EXPECT_EQ(w.textPane()->toPlainText(), QStringLiteral("pear\nn. 梨 <b>&amp;</b>"));
    EXPECT_EQ(rig.tts.spoken.size(), 1);
    w.receiveWord(QStringLiteral("nosuchword"));
    EXPECT_EQ(w.textPane()->toPlainText(), QStringLiteral("pear\nn. 梨 <b>&amp;</b>"));

    // "Speak" speaks whatever is in the box.
    w.button(id::IDC_SPEAK)->click();
    EXPECT_EQ(rig.tts.spoken.last(), QStringLiteral("nosuchword"));
    // 美音 chosen in Lexora's settings while this window runs: the next word is American.
    EXPECT_EQ(w.speech()->currentVoice(), QStringLiteral("test/voices/Tokens/en"));
    rig.dir.write(QStringLiteral("Config.INI"), "[INIT]\nIsDisableTTS=0\n[SPEECH2]\nAccent=US\n");
    w.input()->setText(QStringLiteral("pear"));
    QTest::keyClick(w.input(), Qt::Key_Return);
    EXPECT_EQ(w.speech()->currentVoice(), QStringLiteral("test/voices/Tokens/en-US"));
    EXPECT_EQ(rig.tts.voicesSet.back(), QStringLiteral("test/voices/Tokens/en-US"));
    EXPECT_EQ(rig.tts.spoken.last(), QStringLiteral("pear"));

    // The about box.
    w.onCommand(res::IDM_ABOUTBOX, 0);
    EXPECT_EQ(rig.ui.messages(), QStringList{QStringLiteral("Glosix 1.0 版")});
}

TEST(GlosixWindow, MissingDictionaryFilesAreReportedAndLookUpsFindNothing)
{
    Rig rig("[INIT]\n", false);
    const QStringList m = rig.ui.messages();
    ASSERT_EQ(m.size(), 2);
    EXPECT_TRUE(m[0].startsWith(QStringLiteral("不能打开词典文件，请确认此文件是否存在\n")));
    EXPECT_TRUE(m[0].endsWith(QStringLiteral("/Dict/21ct.idx")));
    EXPECT_TRUE(m[1].endsWith(QStringLiteral("/Dict/21ct.dic")));
    rig.w->receiveWord(QStringLiteral("apple"));
    EXPECT_EQ(rig.w->input()->text(), QStringLiteral("apple"));
    EXPECT_TRUE(rig.w->textPane()->toPlainText().isEmpty());
    EXPECT_TRUE(rig.events.readySet) << "still ready, after the messages";
}

TEST(GlosixWindow, ShowsTheOwnEntryFirstThenEachStarDictEntryUnderItsName)
{
    Rig rig("[INIT]\nIsDisableTTS=0\n", true, [](lextest::TempDir& dir, QByteArray* idx) {
        // Both accents' IPA go under the own entry, above the StarDict ones; the forms block stays last.
        appendIndexBlock(idx, kUsPhoneticTag,
                         buildPhoneticBlock({{QStringLiteral("apple"), {QStringLiteral("ˈæpl"), QStringLiteral("ˈæpəl")}}}));
        appendFormsBlock(idx, encodeFormsBlock({{QStringLiteral("apples"), QStringLiteral("apple"), FormKind::Plural}}));
        StarDictSource src;
        src.bookname = QStringLiteral("小词典");
        src.entries = {{QStringLiteral("apple"), "a round fruit", {}}, {QStringLiteral("kiwi"), "a furry fruit", {}}};
        const StarDictFiles f = writeStarDict(src);
        for (const char* sub : {"Dict/mine", "Dict/broken"})
            QDir().mkpath(dir.path(QString::fromLatin1(sub)));
        dir.write(QStringLiteral("Dict/mine/mine.ifo"), f.ifo);
        dir.write(QStringLiteral("Dict/mine/mine.idx"), f.idx);
        dir.write(QStringLiteral("Dict/mine/mine.dict"), f.dict);
        // Its .idx is missing: left out without a message.
        dir.write(QStringLiteral("Dict/broken/broken.ifo"), f.ifo);
    });
    CGlosixDlg& w = *rig.w;
    EXPECT_TRUE(rig.ui.messages().isEmpty());
    const QString ownApple = QStringLiteral("apple\n/ˈæpl/\nn. 苹果 0");

    // One empty line above each dictionary's name, none elsewhere.
    const QString kiwi = QStringLiteral("小词典\na furry fruit");
    struct Case { QString word; QString starts, ends; const char* what; };
    const Case cases[] = {
        {QStringLiteral("apple"), ownApple, QStringLiteral("the round fruit\n考试：中考\n英 /ˈæpl/　美 /ˈæpəl/\n\n小词典\na round fruit"),
         "own entry, then the StarDict one under its bookname"},
        {QStringLiteral("kiwi"), kiwi, kiwi, "only the StarDict dictionary knows it"},
        {QStringLiteral("apples"), QStringLiteral("\napples：apple 的复数\n") + ownApple,
         QStringLiteral("考试：中考\n英 /ˈæpl/　美 /ˈæpəl/\n\n小词典\napples：apple 的复数\na round fruit"),
         "found under its base form in both, the base form's IPA"},
    };
    for (const Case& c : cases) {
        w.receiveWord(c.word);
        const QString shown = w.textPane()->toPlainText();
        EXPECT_TRUE(shown.startsWith(c.starts)) << c.what << "\n" << qPrintable(shown);
        EXPECT_TRUE(shown.endsWith(c.ends)) << c.what << "\n" << qPrintable(shown);
    }
    w.input()->setText(QStringLiteral("kiwi"));
    w.button(id::IDC_LOOKUP)->click();
    EXPECT_EQ(w.textPane()->toPlainText(), kiwi);
    EXPECT_EQ(rig.tts.spoken, QStringList{QStringLiteral("kiwi")});
}

TEST(GlosixWindow, ShowsBothAccentsAndTheFoldedWordNetSensesUnderTheEntryEachPartCanBeTurnedOff)
{
    // Both accents' IPA in the companion index, four WordNet senses of "apple" (one under "apples").
    auto prepare = [](lextest::TempDir& dir, QByteArray* idx) {
        appendIndexBlock(idx, kUsPhoneticTag,
                         buildPhoneticBlock({{QStringLiteral("apple"), {QStringLiteral("ˈæpl"), QStringLiteral("ˈæpəl")}}}));
        lextest::WordNetFiles wn;
        const WordNetPos n = WordNetPos::Noun;
        wn.lemma(n, "apple", {wn.synset(n, {"apple"}, "fruit with red or yellow or green skin; \"an apple a day\""),
                              wn.synset(n, {"apple", "orchard_apple_tree", "Malus_pumila"}, "native Eurasian tree"),
                              wn.synset(n, {"apple`s"}, "a made-up third sense"),
                              wn.synset(n, {"Big_Apple"}, "a fourth sense past the fold")});
        wn.writeTo(dir.path(QStringLiteral("wn")));
        qputenv(kWordNetPathVariable, dir.path(QStringLiteral("wn")).toLocal8Bit());
    };
    const QString entryEnd = QStringLiteral("英文释义\nthe round fruit\n考试：中考\n");
    const QString senses = QStringLiteral("WordNet\n1. n. fruit with red or yellow or green skin\n“an apple a day”\n"
                                          "2. n. native Eurasian tree\n同义词：orchard apple tree, Malus pumila\n"
                                          "3. n. a made-up third sense\n同义词：apple‘s\n");
    const QString folded = QStringLiteral("还有 1 条释义（Ctrl+E 展开）");
    const QString open = QStringLiteral("4. n. a fourth sense past the fold\n同义词：Big Apple\n（Ctrl+E 收起）");
    struct Case { QByteArray ini; QString ends, opened; const char* what; };
    const Case cases[] = {
        {"", entryEnd + QStringLiteral("英 /ˈæpl/　美 /ˈæpəl/\n") + senses + folded,
         entryEnd + QStringLiteral("英 /ˈæpl/　美 /ˈæpəl/\n") + senses + open, "British first by default"},
        {"[SPEECH2]\nAccent=US\n", QStringLiteral("美 /ˈæpəl/　英 /ˈæpl/\n") + senses + folded, {},
         "the learner's American accent first"},
        {"[ENGLISH]\nPhonetics=0\n", entryEnd + senses + folded, {}, "no IPA"},
        {"[ENGLISH]\nSenses=0\n", entryEnd + QStringLiteral("英 /ˈæpl/　美 /ˈæpəl/"),
         entryEnd + QStringLiteral("英 /ˈæpl/　美 /ˈæpəl/"), "no senses, nothing to open"},
        {"[ENGLISH]\nDefinition=0\nSensesShown=4\n", QStringLiteral("n. 苹果 79\n考试：中考\n英 /ˈæpl/　美 /ˈæpəl/\n") + senses +
         QStringLiteral("4. n. a fourth sense past the fold\n同义词：Big Apple"), {}, "without the entry's English definition, all four shown"},
    };
    for (const Case& c : cases) {
        Rig rig("[INIT]\nIsDisableTTS=0\n" + c.ini, true, prepare);
        qputenv(kWordNetPathVariable, "");
        CGlosixDlg& w = *rig.w;
        w.show();
        w.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
        w.receiveWord(QStringLiteral("apple"));
        EXPECT_TRUE(w.textPane()->toPlainText().endsWith(c.ends)) << c.what << "\n" << qPrintable(w.textPane()->toPlainText());
        if (c.opened.isEmpty())
            continue;
        // Ctrl+E from the input box opens the rest; the next word opens folded again.
        w.input()->setFocus();
        QTest::keyClick(w.input(), Qt::Key_E, Qt::ControlModifier);
        EXPECT_TRUE(w.textPane()->toPlainText().endsWith(c.opened)) << c.what << "\n" << qPrintable(w.textPane()->toPlainText());
        w.receiveWord(QStringLiteral("pear"));
        EXPECT_FALSE(w.allSenses()) << c.what;
        EXPECT_EQ(w.textPane()->toPlainText(), QStringLiteral("pear\nn. 梨 <b>&amp;</b>")) << c.what;
    }
}

TEST(GlosixWindow, SnapsToANearbyEdgeOnceItRestsUnlessForbidden)
{
    Rig rig;
    CGlosixDlg& w = *rig.w;
    w.show();
    w.move(300, 200);
    const QRect f = w.frameGeometry();
    // Another window whose left edge is 6 pixels right of ours, and one far away.
    const EdgeRect other{f.right() + 1 + 6, f.bottom() + 300, f.right() + 1 + 306, f.bottom() + 600};
    w.setWindowSource([&](const QWidget*) { return std::vector<EdgeRect>{other}; });
    w.setForbidWinStick(true);
    w.settleMove();
    EXPECT_EQ(w.frameGeometry().topLeft(), f.topLeft());
    w.setForbidWinStick(false);
    w.settleMove();
    EXPECT_EQ(w.frameGeometry().right() + 1, other.left) << "our right edge on its left edge";
    EXPECT_EQ(w.frameGeometry().top(), f.top());
    // Moved by the window manager (a drag ends): once the moves rest, the window snaps.
    QTest::qWait(600);   // past the first placement after showing
    w.move(other.left - 4 - w.frameGeometry().width(), 200);
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.frameGeometry().right() + 1 == other.left; }, 3000));
    // Ten pixels away nothing attracts.
    w.move(other.left - 10 - w.frameGeometry().width(), 200);
    const QPoint at = w.frameGeometry().topLeft();
    w.settleMove();
    EXPECT_EQ(w.frameGeometry().topLeft(), at);

    // While it is dragged, as Lexora's frame does: each move is a step of the rule, at once.
    QTest::qWait(400);   // the drag above has ended
    const int width = w.frameGeometry().width();
    struct Step { int dx; int rightGap; const char* what; };
    const Step drag[] = {
        {+2, 10, "10 pixels away: nothing yet"},
        {+1, 0, "9 away: snaps during the move, not after it"},
        {+3, 0, "held while the mouse stays within reach"},
        {+9, 0, "still within 9 on the mouse's count"},
        {+7, -10, "10 past on the mouse's count: lets go, where the mouse put it"},
    };
    w.move(other.left - 12 - width, 200);
    QTest::qWait(400);
    for (const Step& s : drag) {
        w.move(w.frameGeometry().left() + s.dx, 200);   // the window manager follows the mouse
        EXPECT_EQ(other.left - (w.frameGeometry().right() + 1), s.rightGap) << s.what;
    }
}
