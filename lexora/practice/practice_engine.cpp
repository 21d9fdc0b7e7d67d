#include "lexora/practice/practice_engine.h"

#include "common/platform/sources.h"
#include "lexora/book/book.h"

#include <algorithm>

namespace lex {
namespace {

constexpr int kNoChoice = 4;   // "chosen" for don't know and time-out
constexpr int kWrongLimit = 5; // ticks a wrong answer stays on screen
constexpr int kPauseCorrectLimit = 3;

void insertAt(std::vector<int32_t>& q, qsizetype index, int32_t value)
{
    // A queue full of copies of one word could ask for an index before the start.
    index = std::clamp<qsizetype>(index, 0, qsizetype(q.size()));
    q.insert(q.begin() + index, value);
}

// Removes every occurrence of `value` at indices `from` down to `to` (inclusive).
void removeDown(std::vector<int32_t>& q, qsizetype from, qsizetype to, int32_t value)
{
    for (qsizetype i = from; i >= to && i >= 0; --i)
        if (i < qsizetype(q.size()) && q[size_t(i)] == value)
            q.erase(q.begin() + i);
}

} // namespace

std::vector<std::vector<int32_t>> buildPracticeGroups(std::vector<int32_t> w, Random& random)
{
    std::vector<std::vector<int32_t>> groups;
    std::vector<int32_t> current;
    while (!w.empty()) {
        const size_t at = uniformDraw(random, uint32_t(w.size()));
        current.push_back(w[at]);
        w.erase(w.begin() + qsizetype(at));
        if (w.size() % kPracticeGroupSize == 0) {
            groups.push_back(std::move(current));
            current.clear();
        }
    }
    if (groups.size() < 2)
        return groups;
    const size_t n = [&] { size_t s = 0; for (auto& g : groups) s += g.size(); return s; }();
    if (n < 2 * kPracticeGroupSize) {
        // 20 < n < 40: one group of all the words.
        std::vector<int32_t> first = std::move(groups.front());
        groups.erase(groups.begin());
        groups.front().insert(groups.front().end(), first.begin(), first.end());
    } else if (groups.front().size() < size_t(kPracticeGroupSize)) {
        std::vector<int32_t> first = std::move(groups.front());
        groups.erase(groups.begin());
        const size_t k = groups.size();
        if (first.size() >= k) {
            for (size_t i = 0; i < first.size(); ++i)
                groups[i % k].push_back(first[i]);
        } else {
            groups.front().insert(groups.front().end(), first.begin(), first.end());
        }
    }
    return groups;
}

std::vector<int32_t> fillPracticeQueue(const std::vector<std::vector<int32_t>>& groups, int loopCount)
{
    loopCount = std::clamp(loopCount, 1, 4);
    std::vector<int32_t> q;
    auto append = [&](const std::vector<int32_t>& g) { q.insert(q.end(), g.begin(), g.end()); };
    if (loopCount == 1) {
        for (const auto& g : groups)
            append(g);
        return q;
    }
    // Each group 2 (loop 2, 3) or 3 (loop 4) times in a row; loops 3 and 4 then all groups once more.
    const int repeats = loopCount == 4 ? 3 : 2;
    for (const auto& g : groups)
        for (int r = 0; r < repeats; ++r)
            append(g);
    if (loopCount >= 3)
        for (const auto& g : groups)
            append(g);
    return q;
}

PracticeEngine::PracticeEngine(const Book& book, PracticeWriter& writer, const PracticeSettings& settings,
                               const PracticeOptions& options, Random& random, const Clock& clock, PracticeSinks sinks)
    : book_(book), writer_(writer), settings_(settings), options_(options), random_(random), clock_(clock), sinks_(std::move(sinks))
{
    settings_.loopCount = std::clamp(settings_.loopCount, 1, 4);
    if (settings_.mode != PracticeMode::Drill)
        settings_.direction = Direction::EnToZh;
    limit_ = startLimit();
    const int visible = visibleSlots();
    for (int i = 0; i < 4; ++i) {
        view_.slotVisible[size_t(i)] = i < visible;
        view_.slotEnabled[size_t(i)] = i < visible;
    }
    if (typedMode()) {
        view_.nextEnabled = true;
        view_.pauseEnabled = false;
        view_.timeCheckEnabled = false;
        view_.dontKnowEnabled = false;
        timeChecked_ = false;
    } else {
        view_.pauseEnabled = true;
        view_.timeCheckEnabled = true;
        view_.dontKnowEnabled = true;
        setProgressRange(limit_);
        tick_ = 1;
        // 中->英 starts without a time-out until the learner asks for one.
        timeChecked_ = settings_.direction == Direction::EnToZh;
    }
}

int PracticeEngine::visibleSlots() const
{
    switch (settings_.mode) {
    case PracticeMode::Listen:
        return 4;
    case PracticeMode::Dictate:
    case PracticeMode::Cloze:
        return 1;
    default:
        return 2;
    }
}

int PracticeEngine::startLimit() const
{
    return settings_.mode == PracticeMode::Drill ? 11 : 6;
}

int32_t PracticeEngine::rowCount() const
{
    return int32_t(book_.view().size());
}

int32_t PracticeEngine::currentRow() const
{
    return queue_.empty() ? -1 : queue_.back();
}

QString PracticeEngine::shownWord(QStringView w) const
{
    return upperCase_ ? w.toString().toUpper() : w.toString();
}

void PracticeEngine::speak()
{
    if (sinks_.SpeakWord)
        sinks_.SpeakWord(word_);
}

void PracticeEngine::settleWith(int32_t row, AnswerOutcome outcome, std::optional<SpellingVerdict> spelling)
{
    writer_.settle({row, settings_.mode, outcome, clock_.localNow(), int(clock_.steadyMs() - shownAtMs_), spelling});
}

void PracticeEngine::setProgressRange(int limit)
{
    view_.progressMax = limit - 1;
}

uint32_t PracticeEngine::uniform(uint32_t bound)
{
    return uniformDraw(random_, bound);
}

void PracticeEngine::start(const std::vector<int32_t>& rowsIn)
{
    std::vector<int32_t> rows = rowsIn;
    if (settings_.mode == PracticeMode::Cloze) {
        rows.clear();
        for (int32_t r : rowsIn) {
            const WordEntry* entry = book_.atView(r);
            std::optional<ClozeQuestion> q = entry && sinks_.clozeFor ? sinks_.clozeFor(*entry) : std::nullopt;
            if (!q) {
                ++clozeLeftOut_;
                continue;
            }
            cloze_[r] = std::move(*q);
            rows.push_back(r);
        }
    }
    BuildPracticeQueue(rows);
    if (!NextQuestion()) {
        finish(PracticeResult::Cancelled, false);
        return;
    }
    view_.focusIndex = 0;
    if (typedMode()) {
        view_.focus = PracticeFocus::WordBox;
    } else {
        view_.focus = PracticeFocus::AnswerButton;
        view_.timerRunning = true;
    }
}

void PracticeEngine::BuildPracticeQueue(const std::vector<int32_t>& rows)
{
    queue_ = fillPracticeQueue(buildPracticeGroups(rows, random_), settings_.loopCount);
}

bool PracticeEngine::NextQuestion()
{
    view_.remaining = int(queue_.size());
    if (queue_.empty())
        return false;
    const int32_t e = queue_.back();
    const WordEntry* entry = book_.atView(e);
    if (!entry)
        return false; // cannot happen: the list does not change during a run
    ++questionNumber_;
    shownAtMs_ = clock_.steadyMs();
    hintRung_ = 0;
    view_.hint.clear();
    view_.missed.reset();
    word_ = entry->word().toString();
    explanation_ = entry->explanation().toString();
    phonetic_ = entry->phonetic().toString();

    const PracticeMode mode = settings_.mode;
    const bool dictate = mode == PracticeMode::Dictate;
    const bool reverse = settings_.direction == Direction::ZhToEn;
    if (mode == PracticeMode::Learn || mode == PracticeMode::Drill) {
        view_.wordBox = reverse ? QString() : shownWord(word_);
        view_.phoneticBox = reverse ? QString() : phonetic_;
    }
    if (mode == PracticeMode::Cloze)
        return NextCloze(e);
    if (options_.comment)
        view_.commentBox = entry->comment().toString();

    if (dictate || reverse) {
        slots_[0] = e;
        correctSlot_ = 0;
        if (dictate)
            view_.wordBoxMaxLength = int(word_.size());
        if (options_.explanation) {
            if (reverse)
                view_.wordBox = explanation_;
            else
                view_.choiceText[0] = explanation_;
        }
        if (options_.phonetic)
            view_.phoneticBox = phonetic_;
        if (options_.autoSpeak)
            speak();
        view_.letterCount = QString::number(word_.size());
        if (dictate)
            view_.letterCountAlert = true;
        view_.firstLetter = options_.firstLetter ? word_.left(1) : QString();
    }
    if (companion_ && sinks_.sendToCompanion)
        sinks_.sendToCompanion(word_, 1);
    if (dictate)
        return true;

    const int c = mode == PracticeMode::Listen ? 4 : 2;
    correctSlot_ = int(uniform(uint32_t(c)));
    slots_[size_t(correctSlot_)] = e;
    const int32_t rows = rowCount();
    // Distractors come from the whole displayed Book and differ from each other and from e.
    const bool enough = rows >= c;
    for (int i = 0; i < c; ++i) {
        if (i == correctSlot_)
            continue;
        if (!enough) {
            slots_[size_t(i)] = -1;
            continue;
        }
        int32_t d;
        for (;;) {
            d = int32_t(uniform(uint32_t(rows)));
            if (d == e)
                continue;
            bool taken = false;
            for (int j = 0; j < i; ++j)
                taken = taken || slots_[size_t(j)] == d;
            if (!taken)
                break;
        }
        slots_[size_t(i)] = d;
    }
    if (!reverse)
        speak();
    return true;
}

void PracticeEngine::RevealChoices(bool show)
{
    for (int slot = visibleSlots() - 1; slot >= 0; --slot) {
        QString text;
        if (show) {
            if (const WordEntry* entry = book_.atView(slots_[size_t(slot)]))
                text = settings_.direction == Direction::ZhToEn ? entry->word().toString() : entry->explanation().toString();
        }
        view_.choiceText[size_t(slot)] = text;
    }
    revealed_ = show;
}

void PracticeEngine::answer(int slot)
{
    if (finished() || !choiceMode() || paused_)
        return;
    if (slot < 0 || slot >= visibleSlots())
        return; // a hidden button (number pad key in a two-choice mode)
    if (!revealed_) {
        RevealChoices(true);
        return;
    }
    if (answered_)
        return;
    chosen_ = slot;
    correct_ = slot == correctSlot_;
    SettleAnswer();
}

void PracticeEngine::dontKnow()
{
    if (finished() || !choiceMode() || paused_ || answered_)
        return;
    chosen_ = kNoChoice;
    correct_ = false;
    SettleAnswer();
}

void PracticeEngine::setAnswerButtonsEnabled(bool on, bool exceptCorrect)
{
    for (int i = 0; i < visibleSlots(); ++i)
        if (!(exceptCorrect && i == correctSlot_))
            view_.slotEnabled[size_t(i)] = on;
    if (choiceMode())
        view_.dontKnowEnabled = on;
}

void PracticeEngine::SettleAnswer()
{
    answered_ = true;
    if (!revealed_)
        RevealChoices(true);
    setAnswerButtonsEnabled(false, true);
    tick_ = 0;
    view_.progressPos = 0;
    const bool reverse = settings_.direction == Direction::ZhToEn;
    if (settings_.mode == PracticeMode::Learn || settings_.mode == PracticeMode::Drill) {
        view_.wordBox = reverse ? explanation_ : shownWord(word_);
        view_.phoneticBox = phonetic_;
    }
    const int32_t e = queue_.back();
    settleWith(e, correct_ ? AnswerOutcome::Right : chosen_ == kNoChoice ? AnswerOutcome::DontKnow : AnswerOutcome::Wrong);
    view_.focusIndex = correctSlot_;
    view_.focus = PracticeFocus::AnswerButton;
    if (correct_) {
        limit_ = 0;
        if (options_.pauseWhenCorrect) {
            limit_ = kPauseCorrectLimit;
            speak();
        }
        setProgressRange(limit_);
        view_.marks[size_t(correctSlot_)] = PracticeMark::Tick;
        return;
    }
    speak();
    requeueChoice();
    if (chosen_ == kNoChoice) {
        for (int i = 0; i < visibleSlots(); ++i)
            if (i != correctSlot_)
                view_.marks[size_t(i)] = PracticeMark::Cross;
    } else {
        view_.marks[size_t(chosen_)] = PracticeMark::Cross;
    }
    limit_ = kWrongLimit;
    setProgressRange(limit_);
}

void PracticeEngine::requeueChoice()
{
    const qsizetype n = qsizetype(queue_.size());
    const int32_t e = queue_.back();
    if (n <= 6)
        shortRequeue_ = true;
    if (shortRequeue_) {
        insertAt(queue_, 0, e); // asked last
        return;
    }
    if (n <= 15)
        mediumRequeue_ = true;
    if (mediumRequeue_) {
        removeDown(queue_, n - 2, 0, e);
        insertAt(queue_, 0, e);
        insertAt(queue_, qsizetype(queue_.size()) - 3, e); // the third question from now
        return;
    }
    const qsizetype lo = std::max<qsizetype>(n - 12, 0);
    removeDown(queue_, n - 2, lo, e);
    insertAt(queue_, std::max<qsizetype>(qsizetype(queue_.size()) - 9, 0), e); // the 10th from now
    insertAt(queue_, qsizetype(queue_.size()) - 3, e);                         // the 3rd from now
}

void PracticeEngine::requeueDictation()
{
    const qsizetype n = qsizetype(queue_.size());
    const int32_t e = queue_.back();
    if (n <= 3) {
        insertAt(queue_, 0, e);
        return;
    }
    const qsizetype lo = std::max<qsizetype>(n - 12, 0);
    removeDown(queue_, n - 2, lo, e);
    const qsizetype size = qsizetype(queue_.size());
    const qsizetype p = size > 6 ? size - 3 : 0;
    insertAt(queue_, p, e);
    if (p != 0 && lo + 3 < p)
        insertAt(queue_, lo + 3, e);
}

void PracticeEngine::finish(PracticeResult r, bool announce)
{
    view_.timerRunning = false;
    // Over before the message: a tick or a key that arrives while the end message is open finds the run
    // ended, not a question with an empty queue behind it.
    result_ = r;
    if (announce) {
        completed_ = true;
        if (sinks_.showMessage)
            sinks_.showMessage(PracticeNotice::Finished, QString());
    }
}

void PracticeEngine::PracticeTick()
{
    if (finished() || paused_ || !choiceMode())
        return;
    if (tick_ == limit_) {
        if (answered_) {
            answered_ = false;
            setAnswerButtonsEnabled(true, false);
            queue_.pop_back();
            if (!NextQuestion()) {
                finish(PracticeResult::Accepted, true);
                return;
            }
            limit_ = startLimit();
            setProgressRange(limit_);
            view_.marks.fill(PracticeMark::None);
            if (settings_.mode == PracticeMode::Listen) {
                view_.wordBox.clear();
                view_.phoneticBox.clear();
            }
            RevealChoices(false);
        } else {
            // Time is up: as 不知道.
            chosen_ = kNoChoice;
            correct_ = false;
            SettleAnswer();
        }
        tick_ = 0;
        view_.progressPos = 0;
    }
    if (timeChecked_ || tick_ < 4 || answered_) {
        view_.progressPos = tick_;
        ++tick_;
    }
    if (!answered_ && tick_ == 3 && settings_.mode != PracticeMode::Drill)
        RevealChoices(true);
}

bool PracticeEngine::sameDictation(QStringView typed, QStringView word)
{
    if (typed.size() != word.size())
        return false;
    auto fold = [](char16_t c) -> char16_t { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
    for (qsizetype i = 0; i < typed.size(); ++i)
        if (fold(typed[i].unicode()) != fold(word[i].unicode()))
            return false;
    return true;
}

bool PracticeEngine::NextCloze(int32_t row)
{
    const ClozeQuestion& q = cloze_[row];
    slots_[0] = row;
    correctSlot_ = 0;
    clozeAnswer_ = q.answer;
    clozeHinted_ = false;
    // The sentence is the question; the explanation waits for a miss, and the word is not spoken
    // nor its comment shown (it may hold the very example).
    view_.choiceText[0] = q.sentence;
    view_.commentBox.clear();
    view_.wordBoxMaxLength = int(clozeAnswer_.size());
    view_.phoneticBox = options_.phonetic ? phonetic_ : QString();
    view_.letterCount = QString::number(clozeAnswer_.size());
    view_.letterCountAlert = true;
    view_.firstLetter = options_.firstLetter ? clozeAnswer_.left(1) : QString();
    if (companion_ && sinks_.sendToCompanion)
        sinks_.sendToCompanion(word_, 1);
    return true;
}

// A miss counts once: the explanation comes as the hint and the same blank may be tried again;
// a second miss shows the answer, as a wrong dictation shows the word. Graded as 听写 is.
void PracticeEngine::CheckCloze()
{
    const int32_t e = slots_[0];
    grade_ = gradeClozeAnswer(view_.wordBox, cloze_[e], checker_);
    const bool right = grade_.verdict == SpellingVerdict::Right;
    if (!clozeHinted_) {
        settleWith(e, right ? AnswerOutcome::Right : AnswerOutcome::Wrong, grade_.verdict);
        if (!right) {
            clozeHinted_ = true;
            requeueDictation();
            view_.choiceText[0] = cloze_[e].sentence + QLatin1Char('\n') + explanation_;
            view_.missed = grade_.verdict;
            view_.focus = PracticeFocus::WordBox;
            dictationTextChanged(QString());
            return;
        }
    } else if (!right) {
        speak();
        if (sinks_.showMessage)
            sinks_.showMessage(PracticeNotice::WrongDictation, clozeAnswer_);
    }
    queue_.pop_back();
    if (!NextQuestion()) {
        finish(PracticeResult::Cancelled, true);
        return;
    }
    view_.focus = PracticeFocus::WordBox;
    dictationTextChanged(QString());
}

void PracticeEngine::CheckDictation()
{
    if (finished() || choiceMode() || composing_)
        return;
    if (settings_.mode == PracticeMode::Cloze) {
        CheckCloze();
        return;
    }
    const int32_t e = slots_[0];
    // Right is the word or its other national spelling; a typo or another word is wrong all the
    // same, only the learner is told which it was.
    grade_ = gradeSpelling(word_, view_.wordBox, checker_);
    const bool right = grade_.verdict == SpellingVerdict::Right;
    settleWith(e, right ? AnswerOutcome::Right : AnswerOutcome::Wrong, grade_.verdict);
    if (!right) {
        speak();
        if (sinks_.showMessage)
            sinks_.showMessage(PracticeNotice::WrongDictation, word_);
        requeueDictation();
    }
    queue_.pop_back();
    if (!NextQuestion()) {
        finish(PracticeResult::Cancelled, true);
        return;
    }
    view_.focus = PracticeFocus::WordBox;
    dictationTextChanged(QString());
}

void PracticeEngine::dictationTextChanged(const QString& typed)
{
    if (choiceMode())
        return;
    view_.wordBox = typed;
    const qsizetype left = typedTarget().size() - typed.size();
    view_.letterCount = QString::number(left);
    view_.letterCountAlert = left != 0;
}

void PracticeEngine::hint()
{
    if (finished() || choiceMode() || hintRung_ >= kHintRungs)
        return;
    ++hintRung_;
    view_.hint = spellingHintPattern(spellingHints(typedTarget(), hyphenator_ ? *hyphenator_ : byVowels_), hintRung_);
}

void PracticeEngine::pause()
{
    if (finished() || paused_ || !choiceMode())
        return;
    view_.focus = PracticeFocus::PauseButton;
    if (answered_)
        view_.slotEnabled[size_t(correctSlot_)] = false;
    else
        setAnswerButtonsEnabled(false, false);
    view_.timerRunning = false;
    paused_ = true;
    pausedAtMs_ = clock_.steadyMs();
}

void PracticeEngine::resume()
{
    if (finished() || !paused_)
        return;
    if (answered_)
        view_.slotEnabled[size_t(correctSlot_)] = true;
    else
        setAnswerButtonsEnabled(true, false);
    view_.focus = PracticeFocus::AnswerButton;
    view_.timerRunning = true;
    paused_ = false;
    shownAtMs_ += clock_.steadyMs() - pausedAtMs_; // a pause is no time spent answering
}

void PracticeEngine::togglePause()
{
    if (paused_)
        resume();
    else
        pause();
}

void PracticeEngine::moveFocus(int delta)
{
    if (finished() || answered_ || !choiceMode())
        return;
    const int visible = visibleSlots();
    view_.focusIndex = ((view_.focusIndex + delta) % visible + visible) % visible;
    view_.focus = PracticeFocus::AnswerButton;
}

void PracticeEngine::speakCurrent()
{
    if (!finished())
        speak();
}

void PracticeEngine::setTimeLimitChecked(bool on)
{
    timeChecked_ = on;
}

void PracticeEngine::setOption(PracticeOption option, bool on)
{
    const WordEntry* entry = book_.atView(slots_[size_t(correctSlot_)]);
    auto field = [&](QStringView (WordEntry::*get)() const) {
        return on && entry ? (entry->*get)().toString() : QString();
    };
    switch (option) {
    case PracticeOption::AutoSpeak:
        options_.autoSpeak = on;
        break;
    case PracticeOption::PauseWhenCorrect:
        options_.pauseWhenCorrect = on;
        break;
    case PracticeOption::TopMost:
        options_.topMost = on;
        break;
    case PracticeOption::Explanation:
        options_.explanation = on;
        if (settings_.mode == PracticeMode::Cloze)
            break;   // the blank's sentence stays; the explanation is the hint after a miss
        if (settings_.direction == Direction::ZhToEn)
            view_.wordBox = field(&WordEntry::explanation);
        else
            view_.choiceText[0] = field(&WordEntry::explanation);
        break;
    case PracticeOption::Phonetic:
        options_.phonetic = on;
        view_.phoneticBox = field(&WordEntry::phonetic);
        break;
    case PracticeOption::Comment:
        options_.comment = on;
        view_.commentBox = field(&WordEntry::comment);
        break;
    case PracticeOption::FirstLetter:
        options_.firstLetter = on;
        view_.firstLetter = on ? typedTarget().left(1) : QString();
        break;
    }
}

void PracticeEngine::setCompanion(bool on)
{
    companion_ = on;
    if (on) {
        if (sinks_.sendToCompanion)
            sinks_.sendToCompanion(word_, 0); // starts it if needed and brings it to the front
    } else if (sinks_.closeCompanion) {
        sinks_.closeCompanion();
    }
}

int32_t PracticeEngine::beginEdit()
{
    if (!paused_ && choiceMode())
        pause();
    return choiceMode() ? slots_[size_t(correctSlot_)] : slots_[0];
}

void PracticeEngine::endEdit(bool accepted)
{
    if (!accepted || finished())
        return;
    const WordEntry* entry = book_.atView(choiceMode() ? slots_[size_t(correctSlot_)] : slots_[0]);
    if (!entry)
        return;
    RevealChoices(true);
    view_.commentBox = entry->comment().toString();
    word_ = shownWord(entry->word());
    explanation_ = entry->explanation().toString();
    phonetic_ = entry->phonetic().toString(); // an edited phonetic shows at once, too
    if (settings_.mode != PracticeMode::Listen || answered_) {
        if (settings_.mode == PracticeMode::Dictate)
            view_.wordBoxMaxLength = int(word_.size());
        else
            view_.wordBox = settings_.direction == Direction::ZhToEn ? explanation_ : word_;
    }
    if (paused_ && choiceMode())
        resume();
}

void PracticeEngine::close()
{
    if (finished())
        return;
    finish(PracticeResult::Cancelled, false);
}

} // namespace lex
