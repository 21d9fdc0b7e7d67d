#pragma once
// The figures behind the learning statistics: answers per day, words due per day, predicted
// recall, the stored degrees and words added per month. Worked out from the open Book, its
// learning record and the model; shared by `lexbook stats` and the statistics window.

#include "common/platform/status.h"
#include "lexora/record/review_record.h"

#include <QDate>
#include <array>
#include <vector>

namespace lex {

struct ReviewFigures {
    static constexpr int kAnswerDays = 365; // the last year, today included
    static constexpr int kDueDays = 30;     // today and the 29 days after it
    static constexpr int kRecallBins = 10;  // predicted recall in tenths: [0, 0.1), …, [0.9, 1]

    QDate today;
    // Answers of every entry the record knows (deleted ones too), per day, oldest first; "don't
    // know" counts as wrong. The last 30 days are the last 30 elements.
    struct DayAnswers {
        std::array<int, kSkillCount> right{}, wrong{};
    };
    std::vector<DayAnswers> answers;
    // Entries of the Book due per day and skill, by the model where it has a record and by the
    // interval table elsewhere (as today's review decides); anything overdue counts for today.
    std::vector<std::array<int, kSkillCount>> due;
    // Entries of the Book with a record for the skill, by their predicted recall today.
    std::array<std::array<int, kRecallBins>, kSkillCount> recall{};
    // The stored degrees 0..10 (a damaged value above 10 counts as 10).
    std::array<std::array<int, kMaxStrangeness + 1>, kSkillCount> degrees{};
    // Words added per calendar month, months without any left out, oldest first.
    struct Month {
        int year, month, words;
    };
    std::vector<Month> added;
};

// The figures that come from the Book alone (today, the degrees, words added per month), in
// `out`, leaving the others as they are: what a Book without a record can show.
void computeBookFigures(const std::vector<WordEntry*>& entries, QDate today, ReviewFigures* out);

// Everything the record adds to the Book's figures: computeAnswerFigures(), then
// addDueFigures() over every entry.
Status computeReviewFigures(const std::vector<WordEntry*>& entries, const ReviewRecord& record,
                            const ReviewModel& model, QDate today, ReviewFigures* out);

// The answers per day of the year up to `today` (out->answers, replaced), from the record.
Status computeAnswerFigures(const ReviewRecord& record, QDate today, ReviewFigures* out);
// Adds `n` entries to the words due per day and the predicted recall (out->due, already
// kDueDays long, and out->recall): in parts, so that a caller can stop between them.
void addDueFigures(const WordEntry* const* entries, size_t n, const ReviewModel& model, QDate today,
                   ReviewFigures* out);

} // namespace lex
