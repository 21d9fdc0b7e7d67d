// The practice set-up and the practice window, offscreen: per-mode layout, the option bytes,
// pause, keys, 修改 and the end of a run.
#include "practice_support.h"
#include "scripted_services.h"
#include "temp_dir.h"

#include "common/config/config_keys.h"
#include "common/config/profile.h"
#include "common/controls/image_button.h"
#include "common/ui/template_builder.h"
#include "lexora/practice/practice_dialog.h"
#include "lexora/practice/practice_setup.h"
#include "lexora/practice/practice_setup_dialog.h"
#include "lexora/texts/lexora_texts.h"
#include "resources/resources.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextEdit>
#include <gtest/gtest.h>

using namespace lex;
using namespace lex::res::practice_dlg;

namespace {

struct Window {
    lextest::TempDir dir;
    Book book;
    lextest::DirectPracticeWriter writer{book};
    LcgRandom random{11};
    FixedClock clock{QDateTime(QDate(2026, 3, 4), QTime(9, 15))};
    lextest::ScriptedServices ui;
    QStringList spoken;
    int edits = 0;
    bool editAnswer = false;
    std::unique_ptr<CMyPracticeDialog> w;

    QStringList traced;

    explicit Window(PracticeMode mode, Direction direction = Direction::EnToZh, int rows = 12, const QByteArray& state = {},
                    UserServices* services = nullptr)
    {
        practicetest::fillBook(book, rows);
        if (!state.isEmpty()) {
            Profile p(configPath());
            p.writeStruct(config::kPracticeTool, config::kState, state);
        }
        PracticeWindowDeps d;
        d.ui = services ? services : &ui;
        d.trace = [this](const QString& line) { traced << line; };
        d.random = &random;
        d.clock = &clock;
        d.speak = [this](QStringView word) { spoken << word.toString(); };
        d.modifyEntry = [this](QWidget*, int row) {
            ++edits;
            if (editAnswer)
                book.atView(row)->setExplanation(QStringLiteral("edited"));
            return editAnswer;
        };
        d.configPath = configPath();
        // 填空: every word has one example, "An <word> here".
        d.clozeFor = [](const WordEntry& e) {
            return maskSentence(QStringLiteral("An ") + e.word().toString() + QStringLiteral(" here"), e.word(), {});
        };
        std::vector<int32_t> all = practicetest::range(0, rows);
        w = std::make_unique<CMyPracticeDialog>(book, writer, PracticeSettings{mode, direction, 1}, all, d);
    }
    QString configPath() const { return dir.path(QStringLiteral("Config.INI")); }
    CImageButton* button(int id) const { return ui::control<CImageButton>(w.get(), id); }
    QTextEdit* box(int id) const { return ui::control<QTextEdit>(w.get(), id); }
    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier) const { QTest::keyClick(w->focusWidget() ? w->focusWidget() : w.get(), Qt::Key(k), m); }
    std::vector<bool> visibleSlots() const
    {
        std::vector<bool> v;
        for (int id : {kSlot0, kSlot1, kSlot2, kSlot3})
            v.push_back(button(id)->isVisibleTo(w.get()));
        return v;
    }
};

} // namespace

TEST(PracticeSetup, RulesPerModeAndWordCount)
{
    CMyMemSet nine(PracticeMode::Learn, 9);
    EXPECT_EQ(nine.windowTitle(), QStringLiteral("初记"));
    EXPECT_EQ(ui::control<QLineEdit>(&nine, res::setup_dlg::kWordCount)->text(), QStringLiteral("9"));
    EXPECT_EQ(ui::control<QPlainTextEdit>(&nine, res::setup_dlg::kExplanation)->toPlainText(),
              QStringLiteral("请选择10至100个单词"));
    EXPECT_FALSE(nine.startEnabled());
    nine.onCommand(ui::IDOK, 0);   // Enter while 开始 is disabled starts nothing
    EXPECT_EQ(nine.result(), 0);

    CMyMemSet learn(PracticeMode::Learn, 10);
    auto* loops = ui::control<QComboBox>(&learn, res::setup_dlg::kLoops);
    EXPECT_EQ(loops->count(), 3);
    EXPECT_EQ(loops->itemText(0), QStringLiteral("2"));
    EXPECT_EQ(loops->currentText(), QStringLiteral("3"));
    EXPECT_FALSE(ui::findControl(&learn, res::setup_dlg::kEnToZh)->isEnabled());
    EXPECT_TRUE(learn.startEnabled());

    CMyMemSet drill(PracticeMode::Drill, 150);   // no upper check here
    EXPECT_EQ(ui::control<QComboBox>(&drill, res::setup_dlg::kLoops)->currentText(), QStringLiteral("2"));
    EXPECT_TRUE(ui::control<QAbstractButton>(&drill, res::setup_dlg::kEnToZh)->isChecked());
    EXPECT_TRUE(ui::control<QPlainTextEdit>(&drill, res::setup_dlg::kExplanation)
                    ->toPlainText()
                    .endsWith(QStringLiteral("预期的请选择<不知道>")));
    ui::control<QAbstractButton>(&drill, res::setup_dlg::kZhToEn)->click();
    ui::control<QComboBox>(&drill, res::setup_dlg::kLoops)->setCurrentText(QStringLiteral("3"));
    drill.onCommand(ui::IDOK, 0);
    EXPECT_EQ(drill.result(), QDialog::Accepted);
    EXPECT_EQ(drill.settings().direction, Direction::ZhToEn);
    EXPECT_EQ(drill.settings().loopCount, 3);

    EXPECT_EQ(practiceSetupFor(PracticeMode::Dictate, 20).loopSelected, QStringLiteral("1"));
    EXPECT_EQ(texts::practiceSetupTitle(PracticeMode::Listen), QStringLiteral("听辨"));
}

TEST(PracticeWindow, LayoutPerModeHidesButtonsAndShrinks)
{
    Window listen(PracticeMode::Listen);
    EXPECT_EQ(listen.visibleSlots(), (std::vector<bool>{true, true, true, true}));
    EXPECT_EQ(listen.w->heightChange(), 0);
    EXPECT_EQ(listen.w->windowTitle(), QStringLiteral("单词听辩"));

    Window learn(PracticeMode::Learn);
    EXPECT_EQ(learn.visibleSlots(), (std::vector<bool>{true, true, false, false}));
    EXPECT_LT(learn.w->heightChange(), 0);
    EXPECT_EQ(learn.w->height(), listen.w->height() + learn.w->heightChange());
    // The bottom row sits right under the second answer button.
    EXPECT_EQ(learn.button(kPause)->y(), listen.button(kPause)->y() + learn.w->heightChange());
    EXPECT_GT(learn.button(kPause)->y(), learn.button(kSlot1)->geometry().bottom());
    EXPECT_FALSE(learn.button(kAutoSpeak)->isEnabled());
    EXPECT_FALSE(learn.button(kNext)->isEnabled());

    Window drill(PracticeMode::Drill, Direction::ZhToEn);
    EXPECT_EQ(drill.w->windowTitle(), QStringLiteral("单词强记"));
    EXPECT_FALSE(drill.button(kNext)->isEnabled());
    EXPECT_TRUE(drill.button(kAutoSpeak)->isEnabled());
    EXPECT_FALSE(drill.button(kTimeLimit)->check());   // 中->英 starts without a time-out

    Window dictate(PracticeMode::Dictate);
    EXPECT_EQ(dictate.visibleSlots(), (std::vector<bool>{true, false, false, false}));
    EXPECT_EQ(dictate.w->windowTitle(), QStringLiteral("单词拼写"));
    EXPECT_EQ(dictate.button(kSpeak)->text(), QStringLiteral("读音(F2)"));
    EXPECT_FALSE(dictate.box(kWordBox)->isReadOnly());
    EXPECT_FALSE(dictate.button(kPause)->isEnabled());
    EXPECT_FALSE(dictate.button(kDontKnow)->isEnabled());
    EXPECT_FALSE(dictate.w->timerActive());
}

TEST(PracticeWindow, OptionBytesReadCheckedAndWrittenBack)
{
    {
        Window w(PracticeMode::Learn);   // no key: all seven on, and the window topmost
        for (int id : {kAutoSpeak, kPhoneticOption, kFirstLetterOption, kExplanationOption, kTopMost, kCommentOption,
                       kPauseWhenCorrect})
            EXPECT_TRUE(w.button(id)->check()) << id;
        EXPECT_TRUE(w.w->windowFlags() & Qt::WindowStaysOnTopHint);
        EXPECT_FALSE(w.button(kCompanion)->check());
        w.button(kCommentOption)->click();
        w.button(kTopMost)->click();
        EXPECT_FALSE(w.w->windowFlags() & Qt::WindowStaysOnTopHint);
        EXPECT_TRUE(w.box(kCommentBox)->toPlainText().isEmpty());
        const QString path = w.configPath();
        w.w.reset();
        EXPECT_EQ(Profile(path).readStruct(config::kPracticeTool, config::kState, 7),
                  QByteArray("\1\1\1\1\0\0\1", 7));
    }
    // A structure that passes its checksum but holds a 2 falls back to the defaults.
    Window bad(PracticeMode::Learn, Direction::EnToZh, 12, QByteArray("\0\2\0\0\0\0\0", 7));
    EXPECT_TRUE(bad.button(kAutoSpeak)->check());
    EXPECT_TRUE(bad.button(kPhoneticOption)->check());
    Window off(PracticeMode::Learn, Direction::EnToZh, 12, QByteArray(7, '\0'));
    EXPECT_FALSE(off.button(kTopMost)->check());
    EXPECT_FALSE(off.w->windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST(PracticeWindow, PauseResumeKeysAndMinimise)
{
    Window w(PracticeMode::Learn);
    w.w->show();
    ASSERT_TRUE(w.w->timerActive());
    w.button(kPause)->click();
    EXPECT_TRUE(w.w->engine().paused());
    EXPECT_EQ(w.w->windowTitle(), QStringLiteral("单词初记 <已暂停>"));
    EXPECT_EQ(w.button(kPause)->text(), QStringLiteral("继续"));
    EXPECT_FALSE(w.button(kSlot0)->isEnabled());
    EXPECT_FALSE(w.button(kDontKnow)->isEnabled());
    EXPECT_FALSE(w.w->timerActive());

    // Number-pad answers are ignored while paused, even though they bypass the buttons.
    w.w->engine().RevealChoices(true);
    w.key(Qt::Key_4, Qt::KeypadModifier);
    w.key(Qt::Key_1, Qt::KeypadModifier);
    EXPECT_FALSE(w.w->engine().answered());

    w.key(Qt::Key_Pause);
    EXPECT_FALSE(w.w->engine().paused());
    EXPECT_EQ(w.w->windowTitle(), QStringLiteral("单词初记"));
    EXPECT_EQ(w.button(kPause)->text(), QStringLiteral("暂停(Pause)"));
    EXPECT_TRUE(w.w->timerActive());

    // Esc never closes the window; Enter answers the focused button.
    w.key(Qt::Key_Escape);
    EXPECT_TRUE(w.w->isVisible());
    EXPECT_FALSE(w.w->engine().finished());
    const int correct = w.w->engine().correctSlot();
    w.key(correct == 0 ? Qt::Key_4 : Qt::Key_1, Qt::KeypadModifier);
    EXPECT_TRUE(w.w->engine().answered());
    EXPECT_TRUE(w.w->engine().lastAnswerCorrect());
    EXPECT_NE(w.w->markOn(correct), nullptr);

    // Minimising pauses a choice run; restoring resumes it.
    w.w->showMinimized();
    EXPECT_TRUE(w.w->engine().paused());
    w.w->showNormal();
    EXPECT_FALSE(w.w->engine().paused());
}

TEST(PracticeWindow, NumberPadWithNumLockOnAndOff)
{
    // With Num Lock on the pad sends digits; with it off, the cursor keys printed on it.
    enum Effect { Answer, DontKnow, Focus, Speak, Nothing };
    struct Case {
        const char* name;
        int key;
        Effect effect;
        int value;   // the slot answered or the focus index reached
    };
    const Qt::KeyboardModifiers pad = Qt::KeypadModifier;
    for (const Case& c : {Case{"KP_4", Qt::Key_4, Answer, 0}, Case{"KP_1", Qt::Key_1, Answer, 1},
                          Case{"KP_5", Qt::Key_5, Answer, 2}, Case{"KP_2", Qt::Key_2, Answer, 3},
                          Case{"KP_0", Qt::Key_0, Speak, 0}, Case{"KP_7", Qt::Key_7, DontKnow, 0},
                          Case{"KP_8", Qt::Key_8, Nothing, 0},
                          Case{"KP_End", Qt::Key_End, DontKnow, 0}, Case{"KP_Down", Qt::Key_Down, Focus, 1},
                          Case{"KP_Up", Qt::Key_Up, Focus, 3}, Case{"KP_Enter", Qt::Key_Enter, Answer, 0},
                          Case{"KP_Insert", Qt::Key_Insert, Nothing, 0}, Case{"KP_Left", Qt::Key_Left, Nothing, 0},
                          Case{"KP_Home", Qt::Key_Home, Nothing, 0}, Case{"KP_Begin", Qt::Key_Clear, Nothing, 0},
                          Case{"KP_Next", Qt::Key_PageDown, Nothing, 0}}) {
        SCOPED_TRACE(c.name);
        Window w(PracticeMode::Listen);
        w.w->show();
        PracticeEngine& e = w.w->engine();
        e.RevealChoices(true);
        w.spoken.clear();
        w.key(c.key, pad);
        EXPECT_EQ(e.answered(), c.effect == Answer || c.effect == DontKnow);
        if (c.effect == Answer) {
            EXPECT_EQ(e.lastAnswerCorrect(), c.value == e.correctSlot());
            EXPECT_NE(w.w->markOn(c.value), nullptr);   // the tick or the cross is on the slot chosen
        } else if (c.effect == DontKnow) {
            EXPECT_FALSE(e.lastAnswerCorrect());
        } else {
            EXPECT_EQ(e.view().focusIndex, c.effect == Focus ? c.value : 0);
            EXPECT_EQ(w.spoken.size(), c.effect == Speak ? 1 : 0);
        }
    }
    // The digits of the main keyboard are no answers.
    Window w(PracticeMode::Listen);
    w.w->engine().RevealChoices(true);
    w.key(Qt::Key_4);
    EXPECT_FALSE(w.w->engine().answered());
}

TEST(PracticeWindow, ModifyThenCancelLeavesTheRunPausedOkResumes)
{
    Window w(PracticeMode::Learn);
    w.w->onCommand(kModify, 0);
    EXPECT_EQ(w.edits, 1);
    EXPECT_TRUE(w.w->engine().paused());
    EXPECT_EQ(w.button(kPause)->text(), QStringLiteral("继续"));

    w.editAnswer = true;
    w.w->onCommand(kModify, 0);
    EXPECT_FALSE(w.w->engine().paused());
    const int correct = w.w->engine().correctSlot();
    EXPECT_EQ(w.button(correct == 0 ? kSlot0 : kSlot1)->text(), QStringLiteral("edited"));
}

TEST(PracticeWindow, WrongAnswersRaiseTemporaryStrangenessAndTheRunEnds)
{
    Window w(PracticeMode::Learn, Direction::EnToZh, 10);
    w.book.atView(0)->temporary = 0;
    int questions = 0;
    QSet<int32_t> wrong;
    while (!w.w->engine().finished() && questions < 200) {
        ++questions;
        PracticeEngine& e = w.w->engine();
        const int correct = e.correctSlot();
        const bool answerWrong = wrong.size() < 2 && !wrong.contains(e.currentRow());
        if (answerWrong)
            wrong.insert(e.currentRow());
        w.w->onCommand(kSlot0, 0);   // the first press only reveals
        w.w->onCommand(answerWrong == (correct == 0) ? kSlot1 : kSlot0, 0);
        ASSERT_TRUE(e.answered());
        while (e.answered() && !e.finished())
            w.w->tick();
    }
    EXPECT_TRUE(w.w->engine().finished());
    EXPECT_EQ(w.w->result(), QDialog::Accepted);
    EXPECT_EQ(w.ui.messages(), QStringList{QStringLiteral("已完成")});
    for (int r = 0; r < 10; ++r)
        EXPECT_EQ(w.book.atView(r)->temporary, wrong.contains(r) ? 1 : 0) << r;
}

TEST(PracticeWindow, DictationTypesChecksAndTextsStayPlain)
{
    Window w(PracticeMode::Dictate);
    w.w->show();
    QTextEdit* box = w.box(kWordBox);
    box->setFocus();
    QTest::keyClicks(box, QStringLiteral("w"));
    EXPECT_EQ(w.w->engine().view().wordBox, QStringLiteral("w"));
    const qsizetype spokenBefore = w.spoken.size();
    w.key(Qt::Key_F2);
    EXPECT_EQ(w.spoken.size(), spokenBefore + 1);
    const QString word = w.w->engine().currentWord();
    w.key(Qt::Key_F3);   // the hint ladder, a rung a press, under the explanation
    w.key(Qt::Key_F3);
    EXPECT_EQ(w.w->engine().hintRung(), 2);
    EXPECT_EQ(w.box(kCommentBox)->toPlainText(), QStringLiteral("提示(F3): ") + w.w->engine().view().hint);
    EXPECT_EQ(box->toPlainText(), QStringLiteral("w"));   // F3 types nothing
    box->setPlainText(word.toUpper() + QStringLiteral("xyz"));   // cut to the word's length
    EXPECT_EQ(box->toPlainText(), word.toUpper());
    {   // An input method composing: Enter is its own, and no answer is taken.
        QInputMethodEvent composing(QStringLiteral("ni"), {});
        QApplication::sendEvent(box, &composing);
        w.key(Qt::Key_Return);
        EXPECT_TRUE(w.writer.answers.empty());
        EXPECT_EQ(w.w->engine().currentWord(), word);
        QInputMethodEvent committed;   // the composition is over, nothing committed
        QApplication::sendEvent(box, &committed);
    }
    w.key(Qt::Key_Return);
    ASSERT_EQ(w.writer.answers.size(), 1u);
    EXPECT_EQ(w.writer.answers[0].spelling, SpellingVerdict::Right);
    EXPECT_TRUE(w.ui.messages().isEmpty());   // capitals are right
    EXPECT_TRUE(box->toPlainText().isEmpty());
    box->setPlainText(QStringLiteral("x"));
    w.w->onCommand(kNext, 0);
    ASSERT_EQ(w.ui.shown().size(), 1);
    EXPECT_EQ(w.ui.shown().front().caption, QStringLiteral("Wrong"));
    // Without English words to hand the grade is wrong, and the differing letters are shown.
    EXPECT_TRUE(w.ui.shown().front().text.contains(QStringLiteral("\n拼写错误: ["))) << w.ui.shown().front().text.toStdString();
}

TEST(PracticeWindow, ClozeTypesLikeDictationAndHintsWithTheExplanation)
{
    Window w(PracticeMode::Cloze);
    w.w->show();
    EXPECT_EQ(w.w->windowTitle(), QStringLiteral("单词填空"));
    EXPECT_EQ(w.visibleSlots(), (std::vector<bool>{true, false, false, false}));
    EXPECT_FALSE(w.box(kWordBox)->isReadOnly());
    EXPECT_EQ(w.button(kSlot0)->text(), QStringLiteral("A(n) _____ here"));
    EXPECT_TRUE(w.spoken.isEmpty());   // the word is not given away
    QTextEdit* box = w.box(kWordBox);
    box->setFocus();
    const QString word = w.w->engine().currentWord();
    QTest::keyClicks(box, word.toUpper());
    w.key(Qt::Key_Return);
    EXPECT_TRUE(w.ui.shown().empty());
    EXPECT_TRUE(box->toPlainText().isEmpty());
    const int32_t row = w.w->engine().currentRow();
    QTest::keyClicks(box, QStringLiteral("no"));
    w.key(Qt::Key_Return);                       // a miss: the hint, the same blank again
    EXPECT_EQ(w.w->engine().currentRow(), row);
    EXPECT_TRUE(w.button(kSlot0)->text().contains(w.book.atView(row)->explanation().toString()));
    EXPECT_EQ(w.box(kCommentBox)->toPlainText(), QStringLiteral("不对，再试一次"));
    w.key(Qt::Key_F3);
    EXPECT_EQ(w.box(kCommentBox)->toPlainText(),
              QStringLiteral("不对，再试一次；提示(F3): ") + w.w->engine().currentWord().left(1) + QChar(0x2026));
    QTest::keyClicks(box, QStringLiteral("no"));
    w.key(Qt::Key_Return);
    ASSERT_EQ(w.ui.shown().size(), 1);
    EXPECT_EQ(w.ui.shown().front().caption, QStringLiteral("Wrong"));
}

TEST(PracticeWindow, LearnerTextsAreNeverMarkup)
{
    Window w(PracticeMode::Drill, Direction::ZhToEn);
    for (int r = 0; r < w.book.size(); ++r)
        w.book.atView(r)->setExplanation(QStringLiteral("<b>e</b>"));
    w.button(kExplanationOption)->click();
    w.button(kExplanationOption)->click();   // 解释 refreshes the word box from the entry
    EXPECT_EQ(w.box(kWordBox)->toPlainText(), QStringLiteral("<b>e</b>"));
    EXPECT_FALSE(w.box(kWordBox)->acceptRichText());
}

namespace {

// Passes everything on, and notes whether the window's timer ran while a message box was open.
struct TimerWatch final : UserServices {
    lextest::ScriptedServices& next;
    std::function<bool()> timerActive;
    int boxesWithTimer = 0;
    explicit TimerWatch(lextest::ScriptedServices& n) : next(n) {}
    MessageAnswer messageBox(QWidget* o, const QString& t, const QString& c, MessageButtons b, MessageIcon i) override
    {
        if (timerActive && timerActive())
            ++boxesWithTimer;
        return next.messageBox(o, t, c, b, i);
    }
    QString openFileName(QWidget* o, const QString& p, const QString& f) override { return next.openFileName(o, p, f); }
    QString saveFileName(QWidget* o, const QString& p, const QString& f) override { return next.saveFileName(o, p, f); }
    QString folder(QWidget* o, const QString& t, const QString& p) override { return next.folder(o, t, p); }
    QColor color(QWidget* o, const QColor& c) override { return next.color(o, c); }
    bool openExternally(const QString& p) override { return next.openExternally(p); }
    int runModal(QDialog* d) override { return next.runModal(d); }
};

} // namespace

TEST(PracticeWindow, TheTraceNamesEachRightButtonAndTheTimerRestsDuringTheEndMessage)
{
    lextest::ScriptedServices scripted;
    TimerWatch watch(scripted);
    Window w(PracticeMode::Learn, Direction::EnToZh, 10, {}, &watch);
    watch.timerActive = [&] { return w.w->timerActive(); };
    int questions = 0;
    while (!w.w->engine().finished() && questions < 100) {
        ++questions;
        PracticeEngine& e = w.w->engine();
        // What the trace says is right is what the engine judges right.
        ASSERT_FALSE(w.traced.isEmpty());
        const QStringList q = w.traced.last().split(QLatin1Char('\t'));
        ASSERT_EQ(q.size(), 4) << w.traced.last().toStdString();
        EXPECT_EQ(q[0], QStringLiteral("question"));
        EXPECT_EQ(q[1].toInt(), questions);
        EXPECT_EQ(q[3], e.currentWord());
        const int slot = q[2].toInt();
        const bool wrong = questions == 1;
        w.w->onCommand(kSlot0, 0);   // shows the choices
        w.w->onCommand((slot == 0) != wrong ? kSlot0 : kSlot1, 0);
        EXPECT_EQ(w.traced.last(), QStringLiteral("answer\t%1\t%2").arg(questions).arg(wrong ? u"wrong" : u"right"));
        while (e.answered() && !e.finished())
            w.w->tick();
    }
    ASSERT_TRUE(w.w->engine().finished());
    ASSERT_GE(w.traced.size(), 2);
    EXPECT_EQ(w.traced.mid(w.traced.size() - 2),
              (QStringList{QStringLiteral("message\t已完成"), QStringLiteral("end\taccepted")}));
    EXPECT_EQ(scripted.messages(), QStringList{QStringLiteral("已完成")});
    EXPECT_EQ(watch.boxesWithTimer, 0) << "no tick may reach the run while 已完成 is open";
}

TEST(PracticeWindow, LongExplanationsFitTheAnswerButtons)
{
    const QString shortText = QStringLiteral("n. 八月");
    const QString twoLines = QStringLiteral("prep. 在……之后\r\nconj. 在……以后");
    QString huge;
    for (int i = 0; i < 40; ++i)
        huge += QStringLiteral("n. 意思%1；").arg(i);
    Window w(PracticeMode::Listen, Direction::EnToZh, 12);
    const QString texts[3] = {shortText, twoLines, huge};
    for (int r = 0; r < w.book.size(); ++r)
        w.book.atView(r)->setExplanation(texts[r % 3]);
    const int ids[4] = {kSlot0, kSlot1, kSlot2, kSlot3};
    bool saw[3] = {false, false, false};
    for (int question = 0; question < 12 && !(saw[0] && saw[1] && saw[2]); ++question) {
        w.w->onCommand(kSlot0, 0);   // shows the four choices
        for (int i = 0; i < 4; ++i) {
            CImageButton* b = w.button(ids[i]);
            const int kind = w.w->engine().choiceSlots()[size_t(i)] % 3;
            const QString& full = texts[kind];
            saw[kind] = true;
            const int px = b->font().pixelSize();
            const QRect inside = b->rect().adjusted(4, 4, -4, -4);
            const QRect needed =
                QFontMetrics(b->font()).boundingRect(inside, Qt::AlignCenter | Qt::TextWordWrap, b->text());
            EXPECT_LE(needed.height(), inside.height()) << b->text().toStdString();
            EXPECT_LE(needed.width(), inside.width()) << b->text().toStdString();
            if (kind == 0) {
                EXPECT_EQ(px, 30) << "a short explanation keeps the big font";
                EXPECT_EQ(b->text(), full);
            } else if (kind == 1) {
                EXPECT_LT(px, 30);
                EXPECT_GE(px, 14);
                EXPECT_EQ(b->text(), full) << "two lines fit whole in a smaller font";
            } else {
                EXPECT_EQ(px, 14);
                EXPECT_TRUE(b->text().endsWith(QChar(0x2026)));
                EXPECT_TRUE(full.startsWith(b->text().chopped(1).trimmed()));
            }
        }
        w.w->onCommand(kDontKnow, 0);
        ASSERT_TRUE(w.w->engine().answered());
        while (w.w->engine().answered() && !w.w->engine().finished())
            w.w->tick();
        // The next question starts with empty buttons.
        for (int id : ids)
            EXPECT_TRUE(w.button(id)->text().isEmpty());
    }
    EXPECT_TRUE(saw[0] && saw[1] && saw[2]);
}
