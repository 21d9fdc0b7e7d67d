#pragma once
// StudyPlanner: the daily plan of the open Book as the program keeps it. Its plan file is read
// when a Book opens (a file that is not ours is set aside, and the learner told once); the plan,
// today's words, the check-in and the forecast are worked out from the Book's learning record as
// the record's listener keeps it (BookRecord::study): read once, then kept current answer by
// answer. The forecast, a simulation, is worked out when asked for and again only once the
// answers, the plan, the retention or the day have changed.

#include "common/platform/status.h"
#include "lexora/record/study_record.h"

#include <QString>
#include <functional>
#include <optional>

namespace lex {

class Book;
class BookRecord;
class Clock;
class Env;
class Random;

class StudyPlanner {
public:
    // `tell` shows one message to the learner.
    // `record` follows the open Book's session and outlives the planner.
    StudyPlanner(BookRecord* record, Env* env, const Clock* clock, Random* random,
                 std::function<void(const QString&)> tell)
        : record_(record), env_(env), clock_(clock), random_(random), tell_(std::move(tell))
    {
    }

    // The open Book changed: its plan file is read.
    void bookOpened(const Book& book);
    bool planSet() const { return set_.has_value(); }
    // The plan in force: the Book's, or the default one from today.
    PlanSettings plan() const;

    // Keeps `plan` for the open Book (its first day stays, or is today); false, with the learner
    // told, when the file cannot be written.
    bool setPlan(const Book& book, PlanSettings plan);

    // Everything the plan says today; none (the learner told) when the record cannot be read.
    // Without `forecast` the forecast is left out (the status line needs none).
    std::optional<StudyState> compute(const Book& book, double retention, bool forecast = true);

    QDate today() const;

private:
    BookRecord* record_;
    Env* env_;
    const Clock* clock_;
    Random* random_;
    std::function<void(const QString&)> tell_;
    std::optional<PlanSettings> set_;
    QString file_;
    // The last forecast and what it was worked out from.
    struct ForecastKey {
        uint64_t study = 0;
        PlanSettings plan;
        double retention = 0;
        QDate today;
        bool operator==(const ForecastKey&) const = default;
    };
    std::optional<std::pair<ForecastKey, Forecast>> forecast_;
};

} // namespace lex
