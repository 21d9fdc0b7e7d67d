#include "lexora/app/study_planner.h"

#include "common/platform/env.h"
#include "common/platform/sources.h"
#include "lexora/book/book.h"
#include "lexora/record/book_record.h"
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
    const PlanSettings p = plan();
    StudyHistory history;
    if (const Status s = record_->study(book, p, retention, today(), &history); !s) {
        tell_(texts::recordFailure(s, record_->record().lastFault()));
        return std::nullopt;
    }
    StudyState state = studyStateOf(std::move(history), p, retention, random_, false);
    if (forecast) {
        const ForecastKey key{record_->studyVersion(), p, retention, today()};
        if (!forecast_ || !(forecast_->first == key))
            forecast_.emplace(key, forecastFinish(state.history, p, retention, *orDefault(random_)));
        state.forecast = forecast_->second;
    }
    return state;
}

} // namespace lex
