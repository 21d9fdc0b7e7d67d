// The plan file beside a Book over arbitrary contents: a read never fails but by saying "not
// ours", what it reads writes back as the same plan, and the rest of the input, taken as answers
// (any entry number, any order, any time), replays into consecutive days that the check-in reads.
#include "lexora/record/check_in.h"
#include "lexora/record/study_plan.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "plan_file: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first byte says how many of the next are the file; the rest are answers.
    const size_t split = size > 0 ? 1 + std::min<size_t>(data[0], size - 1) : 0;
    const QByteArrayView text(reinterpret_cast<const char*>(data) + (size > 0), qsizetype(split > 0 ? split - 1 : 0));
    lex::PlanSettings plan;
    if (lex::parsePlanFile(text, &plan)) {
        lex::PlanSettings back;
        check(lex::parsePlanFile(lex::planFileText(plan), &back) && back == plan, "written plan reads back");
    } else {
        plan.newPerDay = 3;
        plan.reviewCap = 5;
    }
    const QDate today(2026, 3, 1);
    if (!plan.since.isValid() || plan.since > today || plan.since < today.addDays(-400))
        plan.since = today.addDays(-3);
    std::vector<lex::StudyAnswer> answers;
    int64_t at = (today.addDays(-10).toJulianDay() - 2440588) * 86400000LL;
    for (size_t i = split; i + 3 <= size; i += 3) {
        at += int64_t(data[i + 2]) * 3600000; // in time order, as the record gives them
        answers.push_back({int(int8_t(data[i])) % 20, lex::Skill(data[i + 1] % 3), (data[i + 1] & 8) != 0, at});
    }
    const lex::StudyHistory h = lex::replayStudy(12, answers, plan, 0.9, today);
    check(!h.days.empty() && h.days.back().day == today.toJulianDay(), "the days end today");
    for (size_t i = 1; i < h.days.size(); ++i)
        check(h.days[i].day == h.days[i - 1].day + 1, "consecutive days");
    const lex::Streaks s = lex::checkInStreaks(h.days);
    check(s.current <= s.longest && s.longest <= s.checkedIn, "streaks");
    for (int r : h.plan.rowsToDo())
        check(r >= 0 && r < 12, "rows inside the Book");
    return 0;
}
