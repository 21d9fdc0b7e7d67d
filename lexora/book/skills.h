#pragma once
// The words for what a learner knows of an entry and how a practice result says it, used by every
// floor above: the four strangeness degrees, the three skills (the stored degrees), the practice
// modes and their answers, and every conversion between them and the numbers that stand for them
// elsewhere (list columns, stored order, command numbers, lexbook's names).

#include <QDateTime>
#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>
#include <optional>

namespace lex {

// ---- degrees ---------------------------------------------------------------------------------

// The four strangeness degrees of an entry: 临时 (never stored), 认读, 拼写, 听辩.
enum class Degree : uint8_t { Temporary, Recognition, Spelling, Listening };
inline constexpr int kDegreeCount = 4;
inline constexpr int kMaxStrangeness = 10;

// One step up or down the strangeness scale.
enum class Step : int8_t { Down = -1, Up = +1 };

// What a strangeness change does to a degree: set a value 0..10, or move it one step.
class DegreeChange {
public:
    static constexpr DegreeChange to(uint8_t value) { return DegreeChange(value, 0); }
    static constexpr DegreeChange by(Step step) { return DegreeChange(0, int8_t(step)); }
    constexpr bool isStep() const { return step_ != 0; }
    // The degree after the change from `now`; -1 when it would leave 0..10 (a step at the end of
    // the scale, a value above 10).
    constexpr int applied(uint8_t now) const
    {
        const int next = step_ ? int(now) + step_ : int(value_);
        return next >= 0 && next <= kMaxStrangeness ? next : -1;
    }
    constexpr bool operator==(const DegreeChange&) const = default;

private:
    constexpr DegreeChange(uint8_t value, int8_t step) : value_(value), step_(step) {}
    uint8_t value_;
    int8_t step_;
};

// ---- skills ----------------------------------------------------------------------------------

// The three stored degrees, which are what a learner practises and a review plans: numbered in
// the order a Book stores them (index record, ADDMODIFY/StrangeIndex, a package's degree tags).
enum class Skill : uint8_t { Recognition = 0, Spelling = 1, Listening = 2 };
inline constexpr int kSkillCount = 3;
inline constexpr std::array<Skill, kSkillCount> kSkills{Skill::Recognition, Skill::Spelling, Skill::Listening};

// A skill's position in stored order, and back; -1 / nothing outside it.
constexpr int storedIndex(Skill s) { return int(s); }
constexpr std::optional<Skill> skillAtStoredIndex(int index)
{
    return index >= 0 && index < kSkillCount ? std::optional<Skill>(Skill(index)) : std::nullopt;
}

// The degree a skill is kept in, and the skill of a degree (none for the temporary one).
constexpr Degree degreeOf(Skill s) { return Degree(int(s) + 1); }
constexpr std::optional<Skill> skillOf(Degree d)
{
    return d == Degree::Temporary ? std::nullopt : std::optional<Skill>(Skill(int(d) - 1));
}

// "recognition", "spelling", "listening": lexbook's names and a package's degree tags.
QString skillName(Skill s);
std::optional<Skill> skillFromName(QStringView name);

// ---- list columns ----------------------------------------------------------------------------

// The list shows the degrees in columns 4 (临时) to 7 (听辩), in the order of Degree.
inline constexpr int kFirstDegreeColumn = 4;
constexpr bool isDegreeColumn(int column)
{
    return column >= kFirstDegreeColumn && column < kFirstDegreeColumn + kDegreeCount;
}
// The degree of a degree column (isDegreeColumn()), and the column of a degree.
constexpr Degree degreeOfColumn(int column) { return Degree(column - kFirstDegreeColumn); }
constexpr int columnOf(Degree d) { return kFirstDegreeColumn + int(d); }

// ---- command numbers -------------------------------------------------------------------------

// What one of the list's strangeness commands does. Each kind has a base number
// (resources/resource_ids.h: kSetStrangeness, kRaiseStrangeness, kLowerStrangeness) and the
// command is the base plus an offset: 100 × the degree (in the order of Degree) + the value for a
// set (10307: 听辩 to 7), the degree's list column for a step (12005: 认读 up one).
struct DegreeCommand {
    Degree degree;
    DegreeChange change;
};
constexpr int setCommandOffset(Degree d, uint8_t value) { return 100 * int(d) + value; }
constexpr int stepCommandOffset(Degree d) { return columnOf(d); }
// The meaning of an offset past the set base / a step base; nothing when it names no command.
constexpr std::optional<DegreeCommand> setCommandAt(int offset)
{
    const int degree = offset / 100, value = offset % 100;
    if (offset < 0 || degree >= kDegreeCount || value > kMaxStrangeness)
        return std::nullopt;
    return DegreeCommand{Degree(degree), DegreeChange::to(uint8_t(value))};
}
constexpr std::optional<DegreeCommand> stepCommandAt(int offset, Step step)
{
    if (!isDegreeColumn(offset))
        return std::nullopt;
    return DegreeCommand{degreeOfColumn(offset), DegreeChange::by(step)};
}

// ---- practice --------------------------------------------------------------------------------

// Cloze (填空) types the word blanked in one of its examples.
enum class PracticeMode : uint8_t { Listen = 0, Learn = 1, Drill = 2, Dictate = 3, Cloze = 4 };

// The skill a practice mode trains: 听辩 listening, 听写 and 填空 spelling, 初记 and 强记 recognition.
constexpr Skill skillOf(PracticeMode m)
{
    return m == PracticeMode::Listen    ? Skill::Listening
           : m == PracticeMode::Dictate || m == PracticeMode::Cloze ? Skill::Spelling
                                        : Skill::Recognition;
}

// 听写 and 填空 take a typed answer; the other modes a choice among buttons.
constexpr bool answerIsTyped(PracticeMode m) { return m == PracticeMode::Dictate || m == PracticeMode::Cloze; }

// How a question was answered; a time-out is 不知道.
enum class AnswerOutcome : uint8_t { Right = 0, Wrong = 1, DontKnow = 2 };

// How a typed answer was spelt (lexora/practice/spelling_grade.h): right (or the other national
// spelling), typo (no English word, a slip away), other-word (an English word but not this one),
// wrong. A typo still settles as a wrong answer; the record keeps which it was.
enum class SpellingVerdict : uint8_t { Right = 0, Typo = 1, OtherWord = 2, Wrong = 3 };

// One settled answer of a practice run.
struct PracticeAnswer {
    int32_t row;            // view row of the entry asked
    PracticeMode mode;
    AnswerOutcome outcome;
    QDateTime at;           // when it was settled, local time
    int durationMs;         // from the question shown to the answer, pauses left out
    std::optional<SpellingVerdict> spelling = {};   // a typed answer's grade
};

// How the list stamped a review time: its Space key, a click on the phonetic.
enum class StampKind : uint8_t { Space = 0, Phonetic = 1 };

} // namespace lex
