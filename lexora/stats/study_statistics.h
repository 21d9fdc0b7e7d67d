#pragma once
// StudyStatistics: what the statistics window shows, without a widget. The figures that come
// from the Book (the degrees, words added per month) are there as soon as start() returns; the
// ones that need the learning record (answers per day, words due, predicted recall) are read on
// a thread of their own, since a large record takes seconds to go through, and recordReady()
// says when they are in. Each page's figures can also be had as CSV text.
//
// The answers per day are counted on a second thread, beside the model's load and the due days.
// cancel() (and the destructor) stops the reading at once and drops what it had; no
// recordReady() follows.
//
// The entries (and the model) given to start() are read on those threads until recordReady() or
// cancel(): the caller keeps them alive and unchanged meanwhile (the window is modal).

#include "lexora/record/check_in.h"
#include "lexora/record/review_stats.h"

#include <QDate>
#include <QObject>
#include <QString>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace lex {

class Env;

class StudyStatistics : public QObject {
    Q_OBJECT
public:
    enum class Page { AnswersMonth, AnswersYear, Due, Recall, Degrees, Added, Calendar };
    static constexpr int kPageCount = 7;
    static constexpr int kMonthDays = 30; // the short answers chart

    struct Source {
        std::vector<WordEntry*> entries; // the Book's entries, in any order
        QString recordFile;              // ReviewRecord::fileFor(...) of the Book
        double retention = FsrsScheduler::kDefaultRetention;
        QDate today;
        Env* env = nullptr;              // asked whether the record is there; null: the default
        // The record's model when the program has it read already (with this retention): not
        // read again. Null: read from the record.
        const ReviewModel* model = nullptr;
        // The Book's daily plan, for the check-in days of the calendar (none: nothing planned).
        std::optional<PlanSettings> plan;
    };

    explicit StudyStatistics(QObject* parent = nullptr);
    ~StudyStatistics() override;

    void start(Source source);
    // Blocks until the record's figures are in (and applies them); for tests and benchmarks.
    void waitForRecord();
    // Stops reading the record and forgets what was read; returns once the threads are done,
    // which takes no longer than a row of the record or a slice of the entries.
    void cancel();

    // False when the Book has no learning record yet (nothing practised since it was kept).
    bool hasRecord() const { return hasRecord_; }
    bool recordLoaded() const { return loaded_; }
    // The record's fault, empty when it was read (or there is none).
    const QString& recordError() const { return error_; }
    const ReviewFigures& figures() const { return figures_; }
    // The check-in of every day from the first answer (or the plan's first day) to today, with
    // the streaks; empty until the record is in, and without a record.
    const Streaks& streaks() const { return streaks_; }

    static QString pageTitle(Page page);
    static QString skillName(Skill d);
    // The pages that show what the record holds; the rest come from the Book (due per day falls
    // back to the interval table, as today's review does).
    static bool needsRecord(Page page)
    {
        return page == Page::AnswersMonth || page == Page::AnswersYear || page == Page::Recall || page == Page::Calendar;
    }

    // The page's figures as CSV: a header row, then one row per day, bin or month (UTF-8, CRLF).
    QString csv(Page page) const;

Q_SIGNALS:
    void recordReady();

private:
    void adopt();
    void read(const Source& source, bool hasRecord); // on the worker

    static constexpr size_t kSlice = 65536; // entries between two looks at cancelled_

    ReviewFigures figures_;
    bool hasRecord_ = false;
    bool loaded_ = false;
    QString error_;

    std::thread worker_;
    std::atomic<bool> cancelled_{false};
    // Read on the worker and the answer counter; made anew by each start().
    std::unique_ptr<ReviewRecord> modelRecord_, answerRecord_;
    std::mutex mutex_;       // guards what the worker hands over
    bool pendingReady_ = false;
    ReviewFigures pending_;
    Streaks pendingStreaks_, streaks_;
    QString pendingError_;
};

} // namespace lex
