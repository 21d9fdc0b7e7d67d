// plan and streak: a Book's daily plan (BOOK.plan) and its check-in days, from the learning record.
#include "commands.h"

#include "common/platform/env.h"
#include "common/platform/sources.h"
#include "lexora/book/book.h"
#include "lexora/record/study_record.h"
#include "lexora/record/review_record.h"
#include "lexora/texts/lexora_texts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace lexbook {
namespace {

QString isoDay(int julianDay) { return QDate::fromJulianDay(julianDay).toString(Qt::ISODate); }

struct PlanArgs {
    QDate today;
    double retention = 0;
    int newPerDay = -1, reviewCap = -1;
};

// Reads the options, BOOK, its plan file (set aside when not ours, with one line on stderr) and
// its record, and works the plan out. --new and --reviews (plan only) write the plan first.
bool study(const QStringList& argsIn, const char* verb, bool mayWrite, lex::Book* book, lex::StudyState* state,
           bool* planSet, int* code)
{
    QStringList args = argsIn;
    std::optional<QString> dateArg, retentionArg;
    QString error;
    PlanArgs p;
    if (!takeValue(args, QStringLiteral("--date"), &dateArg, &error)
        || !takeValue(args, QStringLiteral("--retention"), &retentionArg, &error)
        || (mayWrite && (!takeIntOption(args, QStringLiteral("--new"), 0, &p.newPerDay, &error)
                         || !takeIntOption(args, QStringLiteral("--reviews"), 0, &p.reviewCap, &error)))) {
        *code = fail(error);
        return false;
    }
    for (const QString& a : args)
        if (a.startsWith(QLatin1String("--"))) {
            *code = fail(QStringLiteral("unknown option '%1' (see lexbook help %2)").arg(a, QLatin1String(verb)));
            return false;
        }
    if (p.newPerDay > lex::PlanSettings::kMaxNewPerDay || p.reviewCap > lex::PlanSettings::kMaxReviewCap) {
        *code = fail(QStringLiteral("--new goes up to %1 and --reviews up to %2")
                         .arg(lex::PlanSettings::kMaxNewPerDay)
                         .arg(lex::PlanSettings::kMaxReviewCap));
        return false;
    }
    if (!takeDate(dateArg, &p.today, code) || !parseRetention(retentionArg, &p.retention, code))
        return false;
    if (!readEntries(args, verb, book, code))
        return false;

    const QString file = lex::planFileFor(book->path, book->name);
    const lex::PlanFileRead read = lex::readPlanFile(nullptr, file);
    if (!read.setAsideTo.isEmpty())
        fail(lex::texts::planFileSetAside(read.setAsideTo));
    else if (!read.status) {
        *code = fail(read.status.message());
        return false;
    }
    lex::PlanSettings plan = read.settings.value_or(lex::PlanSettings{});
    *planSet = read.settings.has_value();
    if (p.newPerDay >= 0 || p.reviewCap >= 0) {
        if (p.newPerDay >= 0)
            plan.newPerDay = p.newPerDay;
        if (p.reviewCap >= 0)
            plan.reviewCap = p.reviewCap;
        if (!plan.since.isValid())
            plan.since = p.today;
        const lex::Status s = lex::writePlanFile(nullptr, file, plan);
        if (!s) {
            *code = fail(lex::texts::planFileWriteFailure(file, s));
            return false;
        }
        *planSet = true;
    }
    if (!plan.since.isValid())
        plan.since = p.today; // not set: what it would plan from today on

    lex::ReviewRecord record;
    if (!openRecord(book->path, book->name, &record, code))
        return false;
    lex::LcgRandom random(1); // the same forecast for the same record, run after run
    const lex::Status s = lex::computeStudy(record, *book, plan, p.retention, p.today, &random, state);
    if (!s) {
        *code = fail(lex::texts::recordFailure(s, record.lastFault()));
        return false;
    }
    return true;
}

QJsonArray wordsOf(const lex::Book& book, const std::vector<int>& rows)
{
    QJsonArray a;
    for (int r : rows)
        a.append(book.full()[size_t(r)]->word().toString());
    return a;
}

void print(const QJsonObject& o) { out(QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)) + QLatin1Char('\n')); }

} // namespace

const char kPlanHelp[] =
    "Prints BOOK's plan for today (or --date) as one JSON object: the plan (new words a day, the cap on\n"
    "reviews a day, the day it was set; \"set\": false when BOOK has no plan yet, and then what the\n"
    "default plan would give), today's new words (the next in Book order not yet practised, those\n"
    "first answered today included) and reviews (the practised words due by the memory model, up to\n"
    "the cap), each with its planned and done counts, and the forecast day the whole Book will have\n"
    "been learned at this pace (every word's next review at least 21 days away), the median of\n"
    "simulations with the memory model at the desired retention (--retention, default 0.9); null when\n"
    "that is more than ten years away. --new N and --reviews C set the plan (BOOK.plan, beside the\n"
    "Book) first. A plan file that is not Lexora's is renamed to BOOK.plan.bad and not read.\n";

const char kStreakHelp[] =
    "Prints BOOK's check-in days as one JSON object: every day from the first answer (or the day the\n"
    "plan was set) to today (or --date) with its answers, its targets, what was done and its state:\n"
    "done (the plan was done), madeUp (missed, made up by doing the next day's plan twice over; once\n"
    "in any 7 days), missed (ends the streak), nothing (nothing planned: keeps the streak) or waiting\n"
    "(today, or yesterday while today may still make it up); then the current and the longest streak.\n";

int cmdPlan(const QStringList& args)
{
    lex::Book book;
    lex::StudyState st;
    bool set = false;
    int code = 0;
    if (!study(args, "plan", true, &book, &st, &set, &code))
        return code;
    const lex::TodayPlan& t = st.history.plan;
    const int today = t.today.day;
    const QJsonObject all{
        {"today", isoDay(today)},
        {"plan", QJsonObject{{"set", set},
                             {"newPerDay", st.plan.newPerDay},
                             {"reviewCap", st.plan.reviewCap},
                             {"since", set ? QJsonValue(st.plan.since.toString(Qt::ISODate)) : QJsonValue()}}},
        {"words", t.total},
        {"practised", t.practised},
        {"learned", st.forecast.learned},
        {"new", QJsonObject{{"planned", t.today.plannedNew}, {"done", t.today.doneNew}, {"words", wordsOf(book, t.newRows)}}},
        {"reviews", QJsonObject{{"due", t.reviewsDue},
                                {"planned", t.today.plannedReviews},
                                {"done", t.today.doneReviews},
                                {"words", wordsOf(book, t.reviewRows)}}},
        {"toDo", int(t.rowsToDo().size())},
        {"forecast", st.forecast.finishDay ? QJsonValue(isoDay(*st.forecast.finishDay)) : QJsonValue()},
        {"forecastDays", st.forecast.finishDay ? QJsonValue(*st.forecast.finishDay - today) : QJsonValue()},
        {"streak", st.streaks.current},
        {"checkedInToday", st.streaks.days.back().state == lex::CheckIn::Done}};
    print(all);
    return 0;
}

int cmdStreak(const QStringList& args)
{
    lex::Book book;
    lex::StudyState st;
    bool set = false;
    int code = 0;
    if (!study(args, "streak", false, &book, &st, &set, &code))
        return code;
    QJsonArray days;
    for (size_t i = 0; i < st.history.days.size(); ++i) {
        const lex::StudyDay& d = st.history.days[i];
        days.append(QJsonObject{{"day", isoDay(d.day)},
                                {"state", QString::fromLatin1(lex::checkInName(st.streaks.days[i].state))},
                                {"answers", d.answers},
                                {"plannedNew", d.plannedNew},
                                {"doneNew", d.doneNew},
                                {"plannedReviews", d.plannedReviews},
                                {"doneReviews", d.doneReviews}});
    }
    print(QJsonObject{{"today", isoDay(st.history.days.back().day)},
                      {"planSet", set},
                      {"days", days},
                      {"current", st.streaks.current},
                      {"longest", st.streaks.longest},
                      {"checkedIn", st.streaks.checkedIn}});
    return 0;
}

} // namespace lexbook
