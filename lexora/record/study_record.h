#pragma once
// The plan's view of a Book's learning record: its answers with each entry's place in the Book.

#include "common/platform/status.h"
#include "lexora/record/check_in.h"
#include "lexora/record/study_plan.h"

#include <vector>

namespace lex {

class Book;
class WordEntry;
class Random;
class ReviewRecord;

// Every answer of `record`, in time order, its entry by its place in `book`'s full array (-1:
// an entry no longer in the Book).
Status readStudyAnswers(const ReviewRecord& record, const Book& book, std::vector<StudyAnswer>* out);
// The same over `entries` (the Book's in any order): places in that list.
Status readStudyAnswers(const ReviewRecord& record, const std::vector<WordEntry*>& entries,
                        std::vector<StudyAnswer>* out);

// All the plan says of a Book on `today`: its days, today's plan, the streaks and the forecast.
struct StudyState {
    PlanSettings plan;
    StudyHistory history;
    Streaks streaks;
    Forecast forecast;
};
// `record` may be closed (a Book without a record); `random` (null: the process's) draws the
// forecast's simulated recalls; without `forecast` the forecast stays empty.
Status computeStudy(const ReviewRecord& record, const Book& book, const PlanSettings& plan, double retention,
                    QDate today, Random* random, StudyState* out, bool forecast = true);

} // namespace lex
