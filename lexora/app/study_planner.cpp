#include "lexora/app/study_planner.h"

#include "common/platform/env.h"
#include "common/platform/sources.h"
#include "lexora/book/book.h"
#include "lexora/record/review_plan.h"
#include "lexora/record/review_record.h"
#include "lexora/texts/lexora_texts.h"

namespace lex {

QDate StudyPlanner::today() const { return reviewDay(*orDefault(clock_)); }

void StudyPlanner::bookOpened(const Book& book)
{
    file_ = planFileFor(book.path, book.name);
    const PlanFileRead read = readPlanFile(env_, file_);
    set_ = read.settings;
    if (!read.setAsideTo.isEmpty())
        tell_(texts::planFileSetAside(read.setAsideTo));
}

PlanSettings StudyPlanner::plan() const
{
    PlanSettings p = set_.value_or(PlanSettings{});
    if (!p.since.isValid())
        p.since = today();
    return p;
}

bool StudyPlanner::setPlan(const Book& book, PlanSettings plan)
{
    if (!plan.since.isValid())
        plan.since = set_ && set_->since.isValid() ? set_->since : today();
    file_ = planFileFor(book.path, book.name);
    const Status s = writePlanFile(env_, file_, plan);
    if (!s) {
        tell_(texts::planFileWriteFailure(file_, s));
        return false;
    }
    set_ = plan;
    return true;
}

std::optional<StudyState> StudyPlanner::compute(const Book& book, double retention, bool forecast)
{
    ReviewRecord record;
    Status s = record.open(ReviewRecord::fileFor(book.path, book.name), ReviewRecord::Mode::ReadOnly);
    StudyState state;
    if (s)
        s = computeStudy(record, book, plan(), retention, today(), random_, &state, forecast);
    if (!s) {
        tell_(texts::recordFailure(s, record.lastFault()));
        return std::nullopt;
    }
    return state;
}

} // namespace lex
