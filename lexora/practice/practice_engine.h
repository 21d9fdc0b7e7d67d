#pragma once
// A practice run without its window: the question order, each question in the four modes, the
// one-second tick, judging, putting wrongly answered words back, and everything the practice
// window draws. The window forwards its clicks, keys and timer here and redraws from view().
//
// Entry indices are rows of the Book's view array, kept at full width: a Book may hold more rows
// than a 16-bit index can name.

#include "common/platform/sources.h"
#include "common/text/hyphenator.h"
#include "lexora/book/practice_writer.h"
#include "lexora/book/skills.h"
#include "lexora/practice/cloze.h"
#include "lexora/practice/spelling_grade.h"

#include <QDateTime>
#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace lex {

class Book;
class WordEntry;
class Clock;
class Random;

constexpr int kMinPracticeWords = 10;
constexpr int kPracticeGroupSize = 20;

// Which side of an entry a question shows.
enum class Direction : uint8_t {
    EnToZh,   // 英->中: the English word shown
    ZhToEn,   // 中->英: the explanation shown (Drill only)
};

struct PracticeSettings {
    PracticeMode mode = PracticeMode::Learn;
    Direction direction = Direction::EnToZh;
    int loopCount = 3;   // 1..4
};

// The seven persisted option check boxes, in their stored order.
struct PracticeOptions {
    bool autoSpeak = true;        // 自动发音
    bool phonetic = true;         // 音标:
    bool firstLetter = true;      // 首字母:
    bool explanation = true;      // 解释
    bool topMost = true;          // 固顶
    bool comment = true;          // 注释:
    bool pauseWhenCorrect = true; // 正确停顿
};

enum class PracticeOption { AutoSpeak, Phonetic, FirstLetter, Explanation, TopMost, Comment, PauseWhenCorrect };

// What the engine tells the learner in a modal message box; the window phrases it.
enum class PracticeNotice : uint8_t {
    Finished,         // the queue ran out, captioned with the application's name
    WrongDictation,   // a wrong dictation: the correct word
};

// What the engine needs from outside besides the Book's writer. Every member may be left empty.
struct PracticeSinks {
    std::function<void(QStringView word)> SpeakWord;                   // SpeakWord(word, false)
    std::function<void(QStringView word, int raiseFlag)> sendToCompanion;
    std::function<void()> closeCompanion;
    // A modal message box: the run finished, or the correct word (`word`) after a wrong dictation.
    std::function<void(PracticeNotice notice, const QString& word)> showMessage;
    // 填空: the entry's word blanked in one of its examples; none when it has no example.
    std::function<std::optional<ClozeQuestion>(const WordEntry& entry)> clozeFor;
};

enum class PracticeMark : uint8_t { None, Tick, Cross };
enum class PracticeFocus : uint8_t { AnswerButton, WordBox, PauseButton };
enum class PracticeResult : uint8_t { Running, Accepted, Cancelled };

// Everything the practice window shows. Slots 0..3 are the answer buttons 1017, 1018, 1027, 1019.
struct PracticeView {
    QString wordBox;                 // 1059: the question; the typed text in Dictate and Cloze
    int wordBoxMaxLength = -1;       // Dictate: the word's length; -1 for no limit
    QString phoneticBox;             // 1012
    QString commentBox;              // 1081
    QString letterCount;             // 1085
    bool letterCountAlert = false;   // RGB(255, 200, 200) background instead of white
    QString firstLetter;             // 1013
    QString hint;                    // Dictate and Cloze: the hint ladder's rung (spellingHintPattern)
    // Cloze: the grade of the first miss while the same blank waits for its second try.
    std::optional<SpellingVerdict> missed;
    std::array<QString, 4> choiceText;
    std::array<bool, 4> slotVisible{};
    std::array<bool, 4> slotEnabled{};
    std::array<PracticeMark, 4> marks{};
    bool dontKnowEnabled = false;    // 1005
    bool nextEnabled = false;        // 1010, Dictate only
    bool pauseEnabled = false;       // 1004
    bool timeCheckEnabled = false;   // 1055
    int progressMax = 0;             // range 0..progressMax (time limit - 1)
    int progressPos = 0;
    int remaining = 0;               // 1037: the queue size when the question was prepared
    PracticeFocus focus = PracticeFocus::AnswerButton;
    int focusIndex = 0;
    bool timerRunning = false;       // timer 1, 1000 ms
};

class PracticeEngine {
public:
    // The engine reads `book` and changes it only through `writer`, once per settled answer.
    PracticeEngine(const Book& book, PracticeWriter& writer, const PracticeSettings& settings,
                   const PracticeOptions& options, Random& random, const Clock& clock, PracticeSinks sinks = {});

    // Upper-cases words shown in the word box (the word list's upper-case option).
    void setUpperCaseWords(bool on) { upperCase_ = on; }
    // The English words a dictation's answer is graded with (null: right or wrong only); it must
    // outlive the run.
    void setWordChecker(const WordChecker* checker) { checker_ = checker; }
    // The patterns the hint ladder cuts syllables with (null: by vowel groups); it must outlive the run.
    void setHyphenator(const Hyphenator* hyphenator) { hyphenator_ = hyphenator; }
    // An input method is composing in the word box: what it holds is no answer yet.
    void setComposing(bool on) { composing_ = on; }
    bool composing() const { return composing_; }

    // Starting the run: builds the queue from the rows handed over by takePracticeRows() and
    // prepares the first question. 填空 leaves out the rows without an example.
    void start(const std::vector<int32_t>& rows);
    // How many rows 填空 left out for want of an example.
    int clozeLeftOut() const { return clozeLeftOut_; }

    // The engine's steps, public so that the window and the tests can drive them.
    void BuildPracticeQueue(const std::vector<int32_t>& rows);
    bool NextQuestion();
    void RevealChoices(bool show);
    void SettleAnswer();
    void PracticeTick();
    void CheckDictation();

    // The learner's input.
    void answer(int slot);             // an answer button, Enter on the focused one, number pad
    void dontKnow();                   // 不知道, End
    void pause();
    void resume();
    void togglePause();
    void moveFocus(int delta);         // Up (-1) / Down (+1), unless answered
    void speakCurrent();               // 读音, Space, F2
    void setTimeLimitChecked(bool on); // 时间:(秒)
    void setOption(PracticeOption option, bool on);
    void setCompanion(bool on);        // 例句
    void dictationTextChanged(const QString& typed);
    // Dictate and Cloze: one rung up the hint ladder (first letter, syllables, length); the
    // answer itself only comes after a wrong answer.
    void hint();
    int hintRung() const { return hintRung_; }
    // 修改: beginEdit() pauses; endEdit(true) after the entry was changed in place.
    int32_t beginEdit();               // returns the row to edit
    void endEdit(bool accepted);
    // The frame's close button: the rest of the queue is dropped.
    void close();

    const PracticeView& view() const { return view_; }
    const PracticeSettings& settings() const { return settings_; }
    const PracticeOptions& options() const { return options_; }
    bool timeLimitChecked() const { return timeChecked_; }
    bool paused() const { return paused_; }
    bool revealed() const { return revealed_; }
    bool answered() const { return answered_; }
    bool lastAnswerCorrect() const { return correct_; }
    // The grade of the last typed answer (听写 or 填空) checked.
    const SpellingGrade& lastSpellingGrade() const { return grade_; }
    bool finished() const { return result_ != PracticeResult::Running; }
    PracticeResult result() const { return result_; }
    bool completed() const { return completed_; }   // the queue ran out (not closed or cancelled)

    // The run's state, for the window's 修改 and for tests.
    const std::vector<int32_t>& queue() const { return queue_; }
    const std::array<int32_t, 4>& choiceSlots() const { return slots_; }
    int correctSlot() const { return correctSlot_; }
    int32_t currentRow() const;
    const QString& currentWord() const { return word_; }
    // Counts the questions shown so far in this run, the first being 1; a word asked again counts anew.
    int questionNumber() const { return questionNumber_; }
    int tickCounter() const { return tick_; }
    int timeLimit() const { return limit_; }
    bool shortRequeue() const { return shortRequeue_; }
    bool mediumRequeue() const { return mediumRequeue_; }

    // Dictation equality: ASCII letters without regard to case, every other character exactly.
    static bool sameDictation(QStringView typed, QStringView word);

private:
    // Dictate and Cloze: the answer is typed.
    bool typedMode() const { return answerIsTyped(settings_.mode); }
    bool choiceMode() const { return !typedMode(); }
    // What the word box is to hold: the word, or in 填空 what the blank hides.
    const QString& typedTarget() const { return settings_.mode == PracticeMode::Cloze ? clozeAnswer_ : word_; }
    bool NextCloze(int32_t row);
    void CheckCloze();
    int visibleSlots() const;
    int startLimit() const;
    QString shownWord(QStringView w) const;
    void speak();
    // The answer to the question of `row` settled: the writer stamps it, raises a wrong one.
    void settleWith(int32_t row, AnswerOutcome outcome, std::optional<SpellingVerdict> spelling = {});
    void requeueChoice();
    void requeueDictation();
    void setProgressRange(int limit);
    void setAnswerButtonsEnabled(bool on, bool exceptCorrect);
    void finish(PracticeResult r, bool announce);
    uint32_t uniform(uint32_t bound);
    int32_t rowCount() const;

    const Book& book_;
    PracticeWriter& writer_;
    PracticeSettings settings_;
    PracticeOptions options_;
    Random& random_;
    const Clock& clock_;
    PracticeSinks sinks_;
    bool upperCase_ = false;
    const WordChecker* checker_ = nullptr;
    const Hyphenator* hyphenator_ = nullptr;
    Hyphenator byVowels_;
    int hintRung_ = 0;
    bool composing_ = false;
    SpellingGrade grade_;

    std::vector<int32_t> queue_;
    std::array<int32_t, 4> slots_{-1, -1, -1, -1};
    int correctSlot_ = 0;
    int chosen_ = 0;
    QString word_, explanation_, phonetic_;
    bool revealed_ = false, answered_ = false, correct_ = false, paused_ = false;
    bool companion_ = false, shortRequeue_ = false, mediumRequeue_ = false;
    bool timeChecked_ = true;
    int tick_ = 1, limit_ = 6;
    PracticeResult result_ = PracticeResult::Running;
    bool completed_ = false;
    int questionNumber_ = 0;
    int64_t shownAtMs_ = 0, pausedAtMs_ = 0; // steady clock: the question shown, the pause begun
    PracticeView view_;
    std::map<int32_t, ClozeQuestion> cloze_;   // 填空: each row's question, made once at the start
    int clozeLeftOut_ = 0;
    QString clozeAnswer_;
    bool clozeHinted_ = false;                 // the question missed once, the explanation shown
};

// Builds the question order: random groups of 20 (a short first group absorbed), repeated by the
// loop count. Exposed for tests; the engine calls it from BuildPracticeQueue.
std::vector<std::vector<int32_t>> buildPracticeGroups(std::vector<int32_t> rows, Random& random);
std::vector<int32_t> fillPracticeQueue(const std::vector<std::vector<int32_t>>& groups, int loopCount);

} // namespace lex
