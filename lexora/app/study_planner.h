#pragma once
// StudyPlanner: the daily plan of the open Book as the program keeps it. Its plan file is read
// when a Book opens (a file that is not ours is set aside, and the learner told once); the plan,
// today's words, the check-in and the forecast are worked out from the Book's learning record,
// read afresh on each call through a read-only connection of its own, so that it never waits on
// or disturbs the record the practice writes.

#include "common/platform/status.h"
#include "lexora/record/study_record.h"

#include <QString>
#include <functional>
#include <optional>

namespace lex {

class Book;
class Clock;
class Env;
class Random;

class StudyPlanner {
public:
    // `tell` shows one message to the learner.
    StudyPlanner(Env* env, const Clock* clock, Random* random, std::function<void(const QString&)> tell)
        : env_(env), clock_(clock), random_(random), tell_(std::move(tell))
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
    Env* env_;
    const Clock* clock_;
    Random* random_;
    std::function<void(const QString&)> tell_;
    std::optional<PlanSettings> set_;
    QString file_;
};

} // namespace lex
