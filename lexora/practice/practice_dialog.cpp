#include "lexora/practice/practice_dialog.h"

#include "lexora/texts/lexora_texts.h"

#include "common/config/profile.h"
#include "common/controls/bm_static.h"
#include "common/controls/image_button.h"
#include "common/platform/env.h"
#include "common/platform/user_services.h"
#include "common/ui/template_builder.h"
#include "lexora/book/book.h"
#include "lexora/practice/answer_fit.h"
#include "lexora/practice/practice_setup.h"
#include "resources/resources.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QWindowStateChangeEvent>

namespace lex {

using namespace res::practice_dlg;

namespace {

constexpr int kTimerMs = 1000;
constexpr int kBigFontPx = 30;
constexpr qreal kQuestionLineSpacingPx = 20.0 * 96.0 / 72.0; // 20 points
const QColor kAlert{255, 200, 200};

constexpr std::array<int, 4> kSlotIds{kSlot0, kSlot1, kSlot2, kSlot3};

struct OptionBox {
    int id;
    PracticeOption option;
};
constexpr std::array<OptionBox, 7> kOptionBoxes{{
    {kAutoSpeak, PracticeOption::AutoSpeak},
    {kPhoneticOption, PracticeOption::Phonetic},
    {kFirstLetterOption, PracticeOption::FirstLetter},
    {kExplanationOption, PracticeOption::Explanation},
    {kTopMost, PracticeOption::TopMost},
    {kCommentOption, PracticeOption::Comment},
    {kPauseWhenCorrect, PracticeOption::PauseWhenCorrect},
}};

bool optionValue(const PracticeOptions& o, PracticeOption which)
{
    switch (which) {
    case PracticeOption::AutoSpeak: return o.autoSpeak;
    case PracticeOption::Phonetic: return o.phonetic;
    case PracticeOption::FirstLetter: return o.firstLetter;
    case PracticeOption::Explanation: return o.explanation;
    case PracticeOption::TopMost: return o.topMost;
    case PracticeOption::Comment: return o.comment;
    case PracticeOption::PauseWhenCorrect: return o.pauseWhenCorrect;
    }
    return true;
}

// The number-pad digit of a key event, or -1. Only with Num Lock on does the pad send digits;
// with it off its keys are the cursor keys they are labelled with (pad-End, pad-Up, ...) and are
// handled as those.
int keypadDigit(const QKeyEvent* e)
{
    const int k = e->key();
    if (!(e->modifiers() & Qt::KeypadModifier) || k < Qt::Key_0 || k > Qt::Key_9)
        return -1;
    return k - Qt::Key_0;
}

} // namespace

CMyPracticeDialog::CMyPracticeDialog(const Book& book, PracticeWriter& writer, const PracticeSettings& settings,
                                     const std::vector<int32_t>& rows, PracticeWindowDeps deps, QWidget* parent)
    : CMyBaseDialog(parent), book_(book), deps_(std::move(deps)), trace_(deps_.trace)
{
    const PracticeOptions options = readPracticeOptions(Profile(deps_.configPath, orDefault(deps_.env)));
    PracticeSinks sinks;
    sinks.SpeakWord = deps_.speak;
    sinks.sendToCompanion = deps_.sendToCompanion;
    sinks.closeCompanion = deps_.closeCompanion;
    sinks.clozeFor = deps_.clozeFor;
    sinks.showMessage = [this](PracticeNotice notice, const QString& word) {
        QString text = texts::practiceNoticeText(notice, word);
        if (notice == PracticeNotice::WrongDictation) {
            const QString grade = texts::dictationGradeText(engine_->lastSpellingGrade(), engine_->view().wordBox);
            if (!grade.isEmpty())
                text += QLatin1Char('\n') + grade;
        }
        const QString caption = texts::practiceNoticeCaption(notice);
        trace_.message(text);
        // No tick while the box is open; render() starts the timer again when the run goes on.
        timer_.stop();
        if (deps_.ui)
            deps_.ui->messageBox(this, text, caption);
    };
    engine_ = std::make_unique<PracticeEngine>(book_, writer, settings, options, *orDefault(deps_.random),
                                               *orDefault(deps_.clock), std::move(sinks));
    engine_->setUpperCaseWords(deps_.upperCase);
    engine_->setWordChecker(deps_.wordChecker);
    engine_->setHyphenator(deps_.hyphenator);

    buildControls();
    layOutForMode();
    applyOptionsToBoxes();
    setTopMost(options.topMost);
    engine_->start(rows);
    afterEngine();
    qApp->installEventFilter(this);
}

CMyPracticeDialog::~CMyPracticeDialog()
{
    qApp->removeEventFilter(this);
    Profile profile(deps_.configPath, orDefault(deps_.env));
    writePracticeOptions(profile, engine_->options());
}

CImageButton* CMyPracticeDialog::button(int id) const { return ui::control<CImageButton>(this, id); }
QTextEdit* CMyPracticeDialog::box(int id) const { return ui::control<QTextEdit>(this, id); }

void CMyPracticeDialog::buildControls()
{
    ui::TemplateBuilder builder(res::dialogTemplate(res::IDD_PRACTICE));
    builder.withKind(ui::Kind::CheckBox, createImageButton)
        .withKind(ui::Kind::PushButton, createImageButton)
        .withKind(ui::Kind::DefPushButton, createImageButton)
        .routeTo(this);
    const QRect client = QRect(QPoint(kClientLeft, captionHeight()), builder.clientSize(font()));
    builder.build(this, client.topLeft());
    resize(client.right() + 1 + 4, client.bottom() + 1 + 4);

    // Learner texts are never markup: every rich-text box shows plain text.
    for (int id : {kWordBox, kLetterCount, kCommentBox, kRemaining}) {
        QTextEdit* e = box(id);
        e->setAcceptRichText(false);
        e->setUndoRedoEnabled(false);
    }
    bigFont_ = font();
    bigFont_.setPixelSize(kBigFontPx);
    box(kWordBox)->setFont(bigFont_);
    for (size_t i = 0; i < 4; ++i) {
        slots_[i] = button(kSlotIds[i]);
        slots_[i]->setFont(bigFont_);
        slots_[i]->setBackgroundColor(Qt::white);
        slots_[i]->setAutoDefault(false);
    }
    if (auto* phonetic = ui::control<QLineEdit>(this, kPhoneticBox); phonetic && deps_.phoneticFont != QFont())
        phonetic->setFont(deps_.phoneticFont);
    for (QWidget* w : findChildren<CImageButton*>())
        static_cast<CImageButton*>(w)->setAutoDefault(false);
    connect(box(kWordBox), &QTextEdit::textChanged, this, &CMyPracticeDialog::onWordBoxEdited);
}

void CMyPracticeDialog::layOutForMode()
{
    const PracticeSettings& s = engine_->settings();
    const bool dictate = answerIsTyped(s.mode);
    setCaption(texts::practiceTitle(engine_->settings().mode, engine_->paused()));
    if (dictate) {
        button(kSpeak)->setText(QStringLiteral("读音(F2)"));
        box(kWordBox)->setReadOnly(false);
        box(kWordBox)->setToolTip(QStringLiteral("F2 读音，F3 提示，Enter 回答"));
        button(kNext)->setDefault(true);
        ui::control<QLabel>(this, kWordLabel)->setText(QStringLiteral("输入:"));
        for (int id : {kPauseWhenCorrect, kPause, kTimeLimit, kProgress, kDontKnow})
            ui::findControl(this, id)->setEnabled(false);
    } else if (s.mode == PracticeMode::Drill && s.direction == Direction::ZhToEn) {
        button(kNext)->setEnabled(false);
    } else {
        for (int id : {kAutoSpeak, kPhoneticOption, kFirstLetterOption, kExplanationOption, kNext, kLetterCount})
            ui::findControl(this, id)->setEnabled(false);
    }
    if (!dictate) {
        if (auto* time = button(kTimeLimit))
            time->setCheck(engine_->timeLimitChecked());
        tick_ = new CBMStatic(res::bitmap(res::IDB_TICK), this);
        tick_->hide();
        for (auto& c : crosses_) {
            c = new CBMStatic(res::bitmap(res::IDB_CROSS), this);
            c->hide();
        }
    }

    // Hidden answer buttons: the bottom row moves up under the last visible one, and the window
    // shrinks by as much.
    const PracticeView& v = engine_->view();
    int lastVisible = 0;
    for (int i = 0; i < 4; ++i) {
        slots_[size_t(i)]->setVisible(v.slotVisible[size_t(i)]);
        if (v.slotVisible[size_t(i)])
            lastVisible = i;
    }
    heightChange_ = slots_[size_t(lastVisible)]->geometry().bottom() - slots_[3]->geometry().bottom();
    if (heightChange_ != 0) {
        for (int id : {kPause, kSpeak, kPauseWhenCorrect, kRemainingLabel, kRemaining, kDontKnow, kAutoSpeak})
            if (QWidget* w = ui::findControl(this, id))
                w->move(w->x(), w->y() + heightChange_);
        resize(width(), height() + heightChange_);
    }
    if (s.direction == Direction::EnToZh) {
        // One question line every 20 points, never less than single spacing.
        QTextBlockFormat f;
        f.setLineHeight(kQuestionLineSpacingPx, QTextBlockFormat::MinimumHeight);
        QTextCursor c(box(kWordBox)->document());
        c.select(QTextCursor::Document);
        c.mergeBlockFormat(f);
    }
}

void CMyPracticeDialog::applyOptionsToBoxes()
{
    const PracticeOptions& o = engine_->options();
    for (const OptionBox& b : kOptionBoxes)
        button(b.id)->setCheck(optionValue(o, b.option));
    button(kCompanion)->setCheck(false);
}

void CMyPracticeDialog::setTopMost(bool on)
{
    const bool wasVisible = isVisible();
    const QRect g = geometry();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (wasVisible) {
        setGeometry(g);
        show();
    }
}

void CMyPracticeDialog::setBoxText(int id, const QString& text)
{
    QTextEdit* e = box(id);
    if (e->toPlainText() == text)
        return;
    const QSignalBlocker block(e);
    e->setPlainText(text);
    if (id == kWordBox && engine_->settings().direction == Direction::EnToZh && !answerIsTyped(engine_->settings().mode)) {
        QTextBlockFormat f;
        f.setLineHeight(kQuestionLineSpacingPx, QTextBlockFormat::MinimumHeight);
        QTextCursor c(e->document());
        c.select(QTextCursor::Document);
        c.mergeBlockFormat(f);
    }
    if (id == kLetterCount || id == kRemaining)
        e->setAlignment(Qt::AlignCenter);
    if (!e->isReadOnly())
        e->moveCursor(QTextCursor::End);
}

void CMyPracticeDialog::render()
{
    const PracticeEngine& eng = *engine_;
    const PracticeView& v = eng.view();
    const bool dictate = answerIsTyped(eng.settings().mode);

    setBoxText(kWordBox, v.wordBox);
    if (auto* phonetic = ui::control<QLineEdit>(this, kPhoneticBox); phonetic->text() != v.phoneticBox)
        phonetic->setText(v.phoneticBox);
    {
        // Typed answers: how the first try at a blank missed and the hint's rung take the comment's
        // line, the one line that is never cut short.
        QStringList note;
        if (dictate) {
            if (v.missed)
                note << texts::clozeMissText(*v.missed);
            if (!v.hint.isEmpty())
                note << texts::spellingHintText(v.hint);
        }
        setBoxText(kCommentBox, note.isEmpty() ? v.commentBox : note.join(QStringLiteral("；")));
    }
    setBoxText(kLetterCount, v.letterCount);
    {
        QPalette p = box(kLetterCount)->palette();
        p.setColor(QPalette::Base, v.letterCountAlert ? kAlert : QColor(Qt::white));
        box(kLetterCount)->setPalette(p);
    }
    ui::control<QLineEdit>(this, kFirstLetterBox)->setText(v.firstLetter);
    setBoxText(kRemaining, QString::number(v.remaining));

    for (size_t i = 0; i < 4; ++i) {
        CImageButton* b = slots_[i];
        if (choices_[i] != v.choiceText[i]) {
            choices_[i] = v.choiceText[i];
            const auto [font, text] = fitAnswerText(bigFont_, choices_[i], b->size());
            b->setFont(font);
            b->setText(text);
        }
        b->setEnabled(v.slotEnabled[i]);
        if (!eng.answered() && b->check())
            b->setCheck(false);
    }
    if (!dictate) {
        button(kDontKnow)->setEnabled(v.dontKnowEnabled);
        button(kPause)->setEnabled(v.pauseEnabled);
        button(kPause)->setText(texts::pauseCaption(eng.paused()));
        auto* progress = ui::control<QProgressBar>(this, kProgress);
        progress->setRange(0, qMax(0, v.progressMax));
        progress->setValue(qBound(0, v.progressPos, qMax(0, v.progressMax)));
        // Marks: the tick and the crosses go onto the buttons the engine names.
        tick_->hide();
        for (CBMStatic* c : crosses_)
            c->hide();
        size_t cross = 0;
        for (size_t i = 0; i < 4; ++i) {
            CBMStatic* m = v.marks[i] == PracticeMark::Tick ? tick_
                           : v.marks[i] == PracticeMark::Cross && cross < crosses_.size() ? crosses_[cross++]
                                                                                          : nullptr;
            if (!m)
                continue;
            m->setParent(slots_[i]);
            m->show();
        }
    }
    if (const QString title = texts::practiceTitle(eng.settings().mode, eng.paused()); windowTitle() != title)
        setCaption(title);

    switch (v.focus) {
    case PracticeFocus::AnswerButton:
        if (!dictate)
            slots_[size_t(qBound(0, v.focusIndex, 3))]->setFocus();
        break;
    case PracticeFocus::WordBox:
        box(kWordBox)->setFocus();
        break;
    case PracticeFocus::PauseButton:
        button(kPause)->setFocus();
        break;
    }

    if (v.timerRunning && !timer_.isActive())
        timer_.start(kTimerMs, this);
    else if (!v.timerRunning && timer_.isActive())
        timer_.stop();
}

const CBMStatic* CMyPracticeDialog::markOn(int slot) const
{
    if (slot < 0 || slot > 3)
        return nullptr;
    for (const CBMStatic* m : slots_[size_t(slot)]->findChildren<CBMStatic*>(Qt::FindDirectChildrenOnly))
        if (m->isVisibleTo(slots_[size_t(slot)]))
            return m;
    return nullptr;
}

void CMyPracticeDialog::afterEngine()
{
    render();
    trace_.observe(*engine_);
    if (engine_->finished() && !ending_) {
        ending_ = true;
        timer_.stop();
        endDialog(engine_->result() == PracticeResult::Accepted ? Accepted : Rejected);
    }
}

void CMyPracticeDialog::tick()
{
    engine_->PracticeTick();
    afterEngine();
}

void CMyPracticeDialog::timerEvent(QTimerEvent* e)
{
    if (e->timerId() == timer_.timerId())
        tick();
    else
        CMyBaseDialog::timerEvent(e);
}

bool CMyPracticeDialog::onCommand(int id, qintptr param)
{
    PracticeEngine& eng = *engine_;
    switch (id) {
    case ui::IDOK:
        return true; // Enter never closes the window
    case ui::IDCANCEL:
        // The frame's close button: the rest of the run is dropped.
        eng.close();
        afterEngine();
        return true;
    case kPause:
        eng.togglePause();
        break;
    case kDontKnow:
        eng.dontKnow();
        break;
    case kSpeak:
        eng.speakCurrent();
        break;
    case kModify:
        modify();
        return true;
    case kNext:
        eng.CheckDictation();
        if (!eng.finished())
            box(kWordBox)->clear();
        break;
    case kSlot0:
    case kSlot1:
    case kSlot2:
    case kSlot3:
        eng.answer(int(std::find(kSlotIds.begin(), kSlotIds.end(), id) - kSlotIds.begin()));
        break;
    case kTimeLimit:
        eng.setTimeLimitChecked(button(kTimeLimit)->check());
        break;
    case kTopMost:
        eng.setOption(PracticeOption::TopMost, button(kTopMost)->check());
        setTopMost(button(kTopMost)->check());
        break;
    case kCompanion:
        eng.setCompanion(button(kCompanion)->check());
        break;
    case kAutoSpeak:
    case kPhoneticOption:
    case kFirstLetterOption:
    case kExplanationOption:
    case kCommentOption:
    case kPauseWhenCorrect:
        for (const OptionBox& b : kOptionBoxes)
            if (b.id == id)
                eng.setOption(b.option, button(id)->check());
        break;
    default:
        return CMyBaseDialog::onCommand(id, param);
    }
    afterEngine();
    return true;
}

void CMyPracticeDialog::modify()
{
    const int32_t row = engine_->beginEdit();
    render();
    const bool accepted = deps_.modifyEntry && book_.atView(row) && deps_.modifyEntry(this, row);
    engine_->endEdit(accepted);
    afterEngine();
}

void CMyPracticeDialog::onWordBoxEdited()
{
    if (!answerIsTyped(engine_->settings().mode))
        return;
    QTextEdit* e = box(kWordBox);
    QString typed = e->toPlainText();
    const int max = engine_->view().wordBoxMaxLength;
    if (max >= 0 && typed.size() > max) {
        typed.truncate(max);
        const QSignalBlocker block(e);
        e->setPlainText(typed);
        e->moveCursor(QTextCursor::End);
    }
    engine_->dictationTextChanged(typed);
    render();
}

bool CMyPracticeDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::InputMethod) {
        // While an input method composes, Enter belongs to it: what it holds is no answer.
        auto* w = qobject_cast<QWidget*>(watched);
        if (w && w->window() == this)
            engine_->setComposing(!static_cast<QInputMethodEvent*>(event)->preeditString().isEmpty());
        return false;
    }
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w || w->window() != this || !isVisible())
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (event->type() == QEvent::KeyRelease) {
        // The release of a key the window took must not click the focused button either.
        const int k = key->key();
        return k == Qt::Key_Space || k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Escape
               ? !answerIsTyped(engine_->settings().mode) || k == Qt::Key_Escape
               : false;
    }
    return handleKey(key);
}

bool CMyPracticeDialog::handleKey(QKeyEvent* e)
{
    const int k = e->key();
    if (k == Qt::Key_Escape)
        return true; // never closes the window
    if (answerIsTyped(engine_->settings().mode)) {
        if (k == Qt::Key_F2) {
            onCommand(kSpeak, 0);
            return true;
        }
        if (k == Qt::Key_F3) {
            engine_->hint();
            afterEngine();
            return true;
        }
        if (k == Qt::Key_Return || k == Qt::Key_Enter) {
            if (engine_->composing())
                return false;   // the input method's, to commit what it composes
            onCommand(kNext, 0);
            return true;
        }
        return false;
    }
    const int digit = keypadDigit(e);
    switch (digit) {
    case 0:
        onCommand(kSpeak, 0);
        return true;
    case 7:
        onCommand(kDontKnow, 0);
        return true;
    case 4:
    case 1:
    case 5:
    case 2: {
        // Straight to the engine, which takes no answer while the run is paused.
        const int slot = digit == 4 ? 0 : digit == 1 ? 1 : digit == 5 ? 2 : 3;
        engine_->answer(slot);
        afterEngine();
        return true;
    }
    default:
        break;
    }
    switch (k) {
    case Qt::Key_Pause:
        onCommand(kPause, 0);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        engine_->answer(engine_->view().focusIndex);
        afterEngine();
        return true;
    case Qt::Key_Space:
        onCommand(kSpeak, 0);
        return true;
    case Qt::Key_End:
        onCommand(kDontKnow, 0);
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (engine_->answered())
            return false;
        engine_->moveFocus(k == Qt::Key_Up ? -1 : +1);
        afterEngine();
        return true;
    default:
        return false;
    }
}

void CMyPracticeDialog::changeEvent(QEvent* e)
{
    CMyBaseDialog::changeEvent(e);
    if (e->type() != QEvent::WindowStateChange || answerIsTyped(engine_->settings().mode))
        return;
    const auto* change = static_cast<QWindowStateChangeEvent*>(e);
    if (isMinimized() && !engine_->paused()) {
        engine_->pause();
        afterEngine();
    } else if (!isMinimized() && (change->oldState() & Qt::WindowMinimized) && engine_->paused()) {
        engine_->resume();
        afterEngine();
    }
}

} // namespace lex
