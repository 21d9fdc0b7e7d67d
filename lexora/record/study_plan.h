#pragma once
// The daily plan of a Book: how many new words a day and how many reviews at most, kept in a small
// file beside the Book (NAME.plan; the Book's own two files are never touched), and what follows
// from it and the learning record: today's new words and reviews, each past day's targets and what
// was done of them (for the check-in), and the forecast day the whole Book will have been learned.
//
// Everything here is worked out from the answers of the record, replayed in time order with the
// memory model (the same steps as the record's own memory): a word is "practised" from its first
// answer in any skill; a practised word is due for review on a day when any skill it was answered
// in falls due by the model (its predicted recall at the desired retention). Words not yet
// practised are taken in Book order. Days are local calendar dates (Julian day numbers), as the
// record keeps them: a word answered at 23:59 and again at 00:01 was answered on two days.

#include "common/platform/status.h"
#include "lexora/book/skills.h"
#include "lexora/record/fsrs.h"
#include "lexora/record/review_model.h"

#include <QDate>
#include <QString>
#include <array>
#include <climits>
#include <cstdint>
#include <optional>
#include <vector>

namespace lex {

class Env;
class Random;

struct PlanSettings {
    static constexpr int kMaxNewPerDay = 1000, kMaxReviewCap = 10000;
    int newPerDay = 20;
    int reviewCap = 200;
    QDate since; // the day the plan was first set; days before it had nothing planned

    bool operator==(const PlanSettings& o) const = default;
};

// Book path ('/'-terminated) + name + ".plan".
QString planFileFor(const QString& bookPath, const QString& bookName);

// Reading the plan file: none, read, or set aside. A file that is not a plan of ours (another
// program's, damaged, values out of range) is never read into the plan: it is renamed to
// NAME.plan.bad (NAME.plan.bad2, ... when taken) so that the learner can look at it, and the
// caller tells him once, with the name it now has.
struct PlanFileRead {
    std::optional<PlanSettings> settings; // none: no plan set (or set aside)
    QString setAsideTo;                   // non-empty: the file was set aside under this name
    Status status;                        // a failure to read or to set aside
};
PlanFileRead readPlanFile(Env* env, const QString& file);
// The plan as text, and back (false: not a plan of ours).
QByteArray planFileText(const PlanSettings& plan);
bool parsePlanFile(QByteArrayView text, PlanSettings* out);
Status writePlanFile(Env* env, const QString& file, const PlanSettings& plan);

// One answer of the record, as the plan sees it: `entry` is its place in the Book's full array,
// -1 for an entry no longer in the Book (it counts in the answers of its day, nothing else).
struct StudyAnswer {
    int entry = -1;
    Skill skill = Skill::Recognition;
    bool right = false;
    int64_t at = 0; // local wall-clock milliseconds (review_record.h, localMs)
};

// One day of the plan: its targets at the start of the day and what was done of them.
struct StudyDay {
    int day = 0;             // Julian day number
    int answers = 0;         // every answer of the day, deleted entries' too
    bool planned = false;    // on or after the plan's first day
    int plannedNew = 0;      // min(new per day, words not yet practised)
    int plannedReviews = 0;  // min(review cap, reviews due)
    int twiceNew = 0;        // the same, twice over (a make-up): min(2·new per day, not practised)
    int twiceReviews = 0;    //   min(2·cap, due)
    int doneNew = 0;         // words first answered this day
    int doneReviews = 0;     // reviews due at the start of the day answered this day

    bool nothingPlanned() const { return plannedNew == 0 && plannedReviews == 0; }
    bool done() const { return doneNew >= plannedNew && doneReviews >= plannedReviews; }
    bool doneTwice() const { return doneNew >= twiceNew && doneReviews >= twiceReviews; }
};

// Today's plan: the targets of today and the rows (indexes into the Book's full array, in Book
// order) that make them, those done already included.
struct TodayPlan {
    StudyDay today;
    std::vector<int> newRows;     // words first answered today, then the next not yet practised
    std::vector<int> reviewRows;  // reviews due this morning, up to the cap, done ones first
    std::vector<bool> doneRows;   // by full-array index: answered today
    int practised = 0;            // words of the Book practised before today
    int reviewsDue = 0;           // before the cap
    int total = 0;                // words in the Book

    // What is left of today's plan: the rows not answered yet, new words first.
    std::vector<int> rowsToDo() const;
};

// The whole story of a Book under its plan: every day from the first answer (or the plan's first
// day) to `today`, and today's plan. `answers` in time order; `entries` is the Book's size.
struct StudyHistory {
    std::vector<StudyDay> days; // consecutive, the last one today
    TodayPlan plan;
    // Each word's memory at the start of today, for the forecast (the skill due soonest); a
    // word never practised is new.
    struct Memory {
        MemoryState state;
        int lastDay = 0;
    };
    std::vector<Memory> memory;
};
StudyHistory replayStudy(int entries, const std::vector<StudyAnswer>& answers, const PlanSettings& plan,
                         double retention, QDate today);

// The day (Julian day number) replayStudy starts on: the first answer's, the plan's first day or
// `today`, whichever is earliest; and the day of an answer.
int studyFirstDay(const std::vector<StudyAnswer>& answers, const PlanSettings& plan, int today);
int studyDay(const StudyAnswer& answer);

// replayStudy kept open: answers come one by one in time order, and the history can be asked
// for between them, each answer replayed once however often it is asked.
class StudyReplay {
public:
    StudyReplay(int entries, const PlanSettings& plan, double retention, int firstDay);
    // The answer as of `day`; false, with nothing changed, for a day before the last one
    // replayed (the caller replays afresh).
    bool add(const StudyAnswer& answer, int day);
    // The history up to `today`; none when the replay has gone past it already.
    std::optional<StudyHistory> history(int today);

private:
    struct Word {
        std::array<SkillMemory, kSkillCount> skill;
        int firstDay = INT_MAX;
        int dueDay = INT_MAX; // the soonest due day of its answered skills
        bool dueThisMorning = false;
        bool answeredToday = false; // the day being replayed
        bool reviewCounted = false;
    };
    void startDay(int day);
    void advanceTo(int day);

    int n_;
    PlanSettings plan_;
    FsrsScheduler memoryScheduler_; // the memory itself does not depend on the retention
    FsrsScheduler scheduler_;
    int since_;
    std::vector<Word> words_;
    std::vector<int> practised_; // in the order of their first answers
    std::vector<StudyDay> days_; // the days before the current one
    StudyDay current_;
    int morningPractised_ = 0, morningDue_ = 0;
};

// The forecast: the day the whole Book will have been learned at this pace, every word practised
// until, once at least, it was remembered well enough that its next review was kLearnedDays away
// or more. A simulation
// from today's memories: each day the reviews due (the most overdue first, up to the cap) and the
// next new words; the learner recalls a word with the probability the model predicts (a new
// word's first answer is right with kFirstRecall). The forecast is the median finish day of
// `runs` simulations (fewer, down to 3, for a Book of more than 2,000 words left, whose finish
// day varies less); none when the Book would not be learned within kHorizonDays (a plan with no
// new words and words left) .
struct Forecast {
    static constexpr int kLearnedDays = 21;
    static constexpr int kHorizonDays = 3650;
    static constexpr double kFirstRecall = 0.5;
    static constexpr int kRuns = 15;
    std::optional<int> finishDay; // Julian day number
    int learned = 0;              // words learned already today
};
// One simulated learner from `memory` (as StudyHistory::memory) with `newToday`/`reviewsToday`
// already done today; returns the finish day, or none past the horizon.
std::optional<int> simulateFinish(const std::vector<StudyHistory::Memory>& memory, const PlanSettings& plan,
                                  const FsrsScheduler& scheduler, int today, int newDoneToday,
                                  int reviewsDoneToday, Random& random);
Forecast forecastFinish(const StudyHistory& history, const PlanSettings& plan, double retention, Random& random,
                        int runs = Forecast::kRuns);

} // namespace lex
