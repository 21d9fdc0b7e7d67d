#pragma once
// The plan's view of a Book's learning record: its answers with each entry's place in the Book.

#include "common/platform/status.h"
#include "lexora/record/check_in.h"
#include "lexora/record/study_plan.h"

#include <QHash>
#include <QString>
#include <optional>
#include <vector>

namespace lex {

class Book;
class WordEntry;
class Random;
class ReviewRecord;
struct EntryKey;

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
// The same from a history already replayed.
StudyState studyStateOf(StudyHistory history, const PlanSettings& plan, double retention, Random* random,
                        bool forecast = true);

// The plan's view of the open Book's record, kept in memory: the answers are read once, each one
// recorded afterwards is added as it comes (BookRecord, the record's listener, keeps it current),
// and the history is replayed only over the answers added since it was last asked for. A change
// of the plan, the retention or the Book's entries replays the kept answers afresh or, for the
// entries, reads them again.
class StudyCache {
public:
    bool filled() const { return filled_; }
    void clear();
    // Every answer of `record`, placed in `book` (readStudyAnswers).
    Status fill(const ReviewRecord& record, const Book& book);
    // An answer just recorded (nothing while not filled: the next fill reads it).
    void answered(const EntryKey& key, Skill skill, bool right, int64_t at);
    // As replayStudy over every answer kept.
    StudyHistory history(const PlanSettings& plan, double retention, QDate today);
    // Answers kept, and replays from the first of them (for the benchmarks' and tests' count).
    size_t answers() const { return answers_.size(); }
    int fullReplays() const { return fullReplays_; }

private:
    bool filled_ = false;
    QHash<QString, int> place_;
    int entries_ = 0;
    std::vector<StudyAnswer> answers_;
    std::optional<StudyReplay> replay_;
    size_t replayed_ = 0;
    PlanSettings plan_;
    double retention_ = 0;
    int fullReplays_ = 0;
};

} // namespace lex
