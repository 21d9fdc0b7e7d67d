#include "lexora/record/study_plan.h"

#include "common/platform/env.h"
#include "common/platform/sources.h"
#include "lexora/record/review_model.h"

#include <QList>
#include <algorithm>
#include <climits>
#include <queue>

namespace lex {
namespace {

constexpr int64_t kDayMs = 86400000;
constexpr int kJulianDayOf1970 = 2440588;
constexpr char kMagic[] = "LexoraPlan 1";

int dayOf(int64_t ms)
{
    const int64_t d = ms >= 0 ? ms / kDayMs : -((-ms + kDayMs - 1) / kDayMs);
    return int(d + kJulianDayOf1970);
}

bool takeInt(QByteArrayView v, int max, int* out)
{
    bool ok = false;
    const int n = v.toByteArray().toInt(&ok);
    if (!ok || n < 0 || n > max)
        return false;
    *out = n;
    return true;
}

} // namespace

QString planFileFor(const QString& bookPath, const QString& bookName) { return bookPath + bookName + QStringLiteral(".plan"); }

QByteArray planFileText(const PlanSettings& plan)
{
    QByteArray t = kMagic;
    t += "\nnew=" + QByteArray::number(plan.newPerDay) + "\nreviews=" + QByteArray::number(plan.reviewCap) + '\n';
    if (plan.since.isValid())
        t += "since=" + plan.since.toString(Qt::ISODate).toLatin1() + '\n';
    return t;
}

bool parsePlanFile(QByteArrayView text, PlanSettings* out)
{
    // Small and strict: our own first line, then each known key once; anything else is not ours.
    if (text.size() > 4096)
        return false;
    const QList<QByteArray> lines = text.toByteArray().split('\n');
    if (lines.isEmpty() || lines[0].trimmed() != kMagic)
        return false;
    PlanSettings p;
    bool haveNew = false, haveCap = false, haveSince = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        if (line.isEmpty())
            continue;
        const qsizetype eq = line.indexOf('=');
        if (eq <= 0)
            return false;
        const QByteArray key = line.left(eq), value = line.mid(eq + 1);
        if (key == "new" && !haveNew) {
            haveNew = takeInt(value, PlanSettings::kMaxNewPerDay, &p.newPerDay);
            if (!haveNew)
                return false;
        } else if (key == "reviews" && !haveCap) {
            haveCap = takeInt(value, PlanSettings::kMaxReviewCap, &p.reviewCap);
            if (!haveCap)
                return false;
        } else if (key == "since" && !haveSince) {
            p.since = value.size() == 10 ? QDate::fromString(QString::fromLatin1(value), Qt::ISODate) : QDate();
            if (!p.since.isValid())
                return false;
            haveSince = true;
        } else {
            return false;
        }
    }
    if (!haveNew || !haveCap)
        return false;
    *out = p;
    return true;
}

PlanFileRead readPlanFile(Env* envIn, const QString& file)
{
    Env* env = orDefault(envIn);
    PlanFileRead r;
    if (!env->fileExists(file))
        return r;
    QByteArray text;
    PlanSettings p;
    if (env->fileSize(file) <= 4096) {
        r.status = env->readFile(file, &text);
        if (!r.status)
            return r;
        if (parsePlanFile(text, &p)) {
            r.settings = p;
            return r;
        }
    }
    // Not ours: out of the way under a name of its own, never read again.
    QString aside = file + QStringLiteral(".bad");
    for (int n = 2; env->fileExists(aside) && n < 1000; ++n)
        aside = file + QStringLiteral(".bad%1").arg(n);
    r.status = env->renameFile(file, aside);
    if (r.status)
        r.setAsideTo = aside;
    return r;
}

Status writePlanFile(Env* env, const QString& file, const PlanSettings& plan)
{
    return writeFileAtomically(orDefault(env), file, planFileText(plan));
}

std::vector<int> TodayPlan::rowsToDo() const
{
    std::vector<int> rows;
    for (const std::vector<int>* part : {&newRows, &reviewRows})
        for (int r : *part)
            if (!doneRows[size_t(r)])
                rows.push_back(r);
    return rows;
}

StudyReplay::StudyReplay(int entries, const PlanSettings& plan, double retention, int firstDay)
    : n_(std::max(entries, 0)), plan_(plan), scheduler_(retention),
      since_(plan.since.isValid() ? int(plan.since.toJulianDay()) : INT_MAX), words_(size_t(n_))
{
    startDay(firstDay);
}

void StudyReplay::startDay(int day)
{
    StudyDay d;
    d.day = day;
    int due = 0;
    for (int e : practised_) {
        Word& w = words_[size_t(e)];
        w.dueThisMorning = w.dueDay <= day;
        due += w.dueThisMorning;
        w.answeredToday = w.reviewCounted = false;
    }
    const int notPractised = n_ - int(practised_.size());
    d.planned = day >= since_;
    if (d.planned) {
        d.plannedNew = std::min(plan_.newPerDay, notPractised);
        d.plannedReviews = std::min(plan_.reviewCap, due);
        d.twiceNew = std::min(2 * plan_.newPerDay, notPractised);
        d.twiceReviews = std::min(2 * plan_.reviewCap, due);
    }
    current_ = d;
    morningPractised_ = int(practised_.size());
    morningDue_ = due;
}

void StudyReplay::advanceTo(int day)
{
    while (current_.day < day) {
        days_.push_back(current_);
        startDay(current_.day + 1);
    }
}

bool StudyReplay::add(const StudyAnswer& a, int day)
{
    if (day < current_.day)
        return false;
    advanceTo(day);
    ++current_.answers;
    if (a.entry < 0 || a.entry >= n_)
        return true;
    Word& w = words_[size_t(a.entry)];
    if (w.firstDay == INT_MAX) {
        w.firstDay = day;
        practised_.push_back(a.entry);
        ++current_.doneNew;
    } else if (w.firstDay < day && w.dueThisMorning && !w.reviewCounted) {
        w.reviewCounted = true;
        ++current_.doneReviews;
    }
    w.answeredToday = true;
    SkillMemory& m = w.skill[size_t(a.skill)];
    m.state = memoryScheduler_.review(m.state, day - m.lastDay, a.right ? FsrsGrade::Good : FsrsGrade::Again).after;
    m.lastDay = day;
    ++m.answers;
    int soonest = INT_MAX;
    for (const SkillMemory& s : w.skill)
        if (s.answers > 0)
            soonest = std::min(soonest, s.lastDay + scheduler_.interval(s.state.stability));
    w.dueDay = soonest;
    return true;
}

std::optional<StudyHistory> StudyReplay::history(int today)
{
    if (today < current_.day)
        return std::nullopt;
    advanceTo(today);
    StudyHistory h;
    h.days.reserve(days_.size() + 1);
    h.days = days_;
    h.days.push_back(current_);
    const int n = n_;

    TodayPlan& p = h.plan;
    p.today = current_;
    p.practised = morningPractised_;
    p.reviewsDue = morningDue_;
    p.total = n;
    p.doneRows.assign(size_t(n), false);
    int newLeft = p.today.plannedNew - p.today.doneNew, reviewsLeft = p.today.plannedReviews - p.today.doneReviews;
    for (int e = 0; e < n; ++e) {
        const Word& w = words_[size_t(e)];
        p.doneRows[size_t(e)] = w.answeredToday;
        if (w.firstDay == today)
            p.newRows.push_back(e);
        else if (w.firstDay < today && w.dueThisMorning && w.reviewCounted)
            p.reviewRows.push_back(e);
    }
    for (int e = 0; e < n && (newLeft > 0 || reviewsLeft > 0); ++e) {
        const Word& w = words_[size_t(e)];
        if (w.firstDay == INT_MAX && newLeft > 0) {
            p.newRows.push_back(e);
            --newLeft;
        } else if (w.firstDay < today && w.dueThisMorning && !w.reviewCounted && reviewsLeft > 0) {
            p.reviewRows.push_back(e);
            --reviewsLeft;
        }
    }
    std::sort(p.newRows.begin(), p.newRows.end());

    h.memory.resize(size_t(n));
    for (int e = 0; e < n; ++e) {
        const Word& w = words_[size_t(e)];
        int soonest = INT_MAX;
        for (const SkillMemory& s : w.skill)
            if (s.answers > 0) {
                const int dueDay = s.lastDay + scheduler_.interval(s.state.stability);
                if (dueDay < soonest) {
                    soonest = dueDay;
                    h.memory[size_t(e)] = {s.state, s.lastDay};
                }
            }
    }
    return h;
}

int studyFirstDay(const std::vector<StudyAnswer>& answers, const PlanSettings& plan, int today)
{
    int first = today;
    if (!answers.empty())
        first = std::min(first, dayOf(answers.front().at));
    if (plan.since.isValid())
        first = std::min(first, int(plan.since.toJulianDay()));
    return first;
}

int studyDay(const StudyAnswer& answer) { return dayOf(answer.at); }

StudyHistory replayStudy(int n, const std::vector<StudyAnswer>& answers, const PlanSettings& plan, double retention,
                         QDate todayDate)
{
    const int today = int(todayDate.toJulianDay());
    StudyReplay replay(n, plan, retention, studyFirstDay(answers, plan, today));
    // Answers dated after today (a clock set wrong) count for today.
    for (const StudyAnswer& a : answers)
        replay.add(a, std::min(dayOf(a.at), today));
    return *replay.history(today);
}

namespace {

double uniform01(Random& random) { return double(uniformDraw(random, 1u << 24)) / double(1u << 24); }

} // namespace

std::optional<int> simulateFinish(const std::vector<StudyHistory::Memory>& memory, const PlanSettings& plan,
                                  const FsrsScheduler& scheduler, int today, int newDoneToday, int reviewsDoneToday,
                                  Random& random)
{
    struct Word {
        MemoryState state;
        int lastDay;
        bool learned;
    };
    std::vector<Word> words;
    words.reserve(memory.size());
    // Reviews by due day, the most overdue first.
    using Due = std::pair<int, int>; // due day, word
    std::priority_queue<Due, std::vector<Due>, std::greater<Due>> queue;
    int unlearned = 0, fresh = 0;
    // Learned: the next review at least kLearnedDays away, i.e. a stability of at least the
    // least one whose interval is that long (the interval grows with the stability).
    double lo = 0, hi = 36500;
    for (int i = 0; i < 60; ++i) {
        const double mid = (lo + hi) / 2;
        (scheduler.interval(mid) >= Forecast::kLearnedDays ? hi : lo) = mid;
    }
    const double learnedStability = hi;
    auto isLearned = [learnedStability](const MemoryState& s) { return s.stability >= learnedStability; };
    for (const StudyHistory::Memory& m : memory) {
        const bool practised = !m.state.isNew();
        const bool learned = practised && isLearned(m.state);
        words.push_back({m.state, m.lastDay, learned});
        unlearned += !learned;
        fresh += !practised;
        if (practised)
            queue.push({m.lastDay + scheduler.interval(m.state.stability), int(words.size() - 1)});
    }
    if (unlearned == 0)
        return today;
    // A word once learned stays learned: a later lapse is one more review, not a word to learn
    // again, and asking every word to be past the mark on one day forecast years for a small Book.
    auto answer = [&](Word& w, int day, bool right) {
        w.state = scheduler.review(w.state, day - w.lastDay, right ? FsrsGrade::Good : FsrsGrade::Again).after;
        w.lastDay = day;
        if (!w.learned && isLearned(w.state)) {
            w.learned = true;
            --unlearned;
        }
    };
    // New words are taken in order; those practised already come out of the way first.
    std::vector<int> order;
    order.reserve(size_t(fresh));
    for (size_t i = 0; i < words.size(); ++i)
        if (words[i].state.isNew())
            order.push_back(int(i));
    size_t nextNew = 0;
    for (int day = today; day <= today + Forecast::kHorizonDays; ++day) {
        int reviews = plan.reviewCap - (day == today ? reviewsDoneToday : 0);
        while (reviews > 0 && !queue.empty() && queue.top().first <= day) {
            const int i = queue.top().second;
            queue.pop();
            Word& w = words[size_t(i)];
            const bool right = uniform01(random) < scheduler.retrievability(day - w.lastDay, w.state.stability);
            answer(w, day, right);
            queue.push({day + scheduler.interval(w.state.stability), i});
            --reviews;
        }
        int newLeft = plan.newPerDay - (day == today ? newDoneToday : 0);
        for (; newLeft > 0 && nextNew < order.size(); --newLeft, ++nextNew) {
            Word& w = words[size_t(order[nextNew])];
            answer(w, day, uniform01(random) < Forecast::kFirstRecall);
            queue.push({day + scheduler.interval(w.state.stability), order[nextNew]});
        }
        if (unlearned == 0)
            return day;
    }
    return std::nullopt;
}

Forecast forecastFinish(const StudyHistory& history, const PlanSettings& plan, double retention, Random& random,
                        int runs)
{
    const FsrsScheduler scheduler(retention);
    Forecast f;
    for (const StudyHistory::Memory& m : history.memory)
        f.learned += !m.state.isNew() && scheduler.interval(m.state.stability) >= Forecast::kLearnedDays;
    const int today = history.days.empty() ? 0 : history.days.back().day;
    // A large Book's finish day varies little from run to run: fewer runs keep its plan quick.
    const int unlearned = int(history.memory.size()) - f.learned;
    runs = std::clamp(runs * 2000 / std::max(unlearned, 1), 3, std::max(runs, 1));
    std::vector<int> finish;
    for (int r = 0; r < std::max(runs, 1); ++r) {
        const std::optional<int> d = simulateFinish(history.memory, plan, scheduler, today, history.plan.today.doneNew,
                                                    history.plan.today.doneReviews, random);
        if (d)
            finish.push_back(*d);
    }
    // The median, a run that never finishes counting as the latest.
    std::sort(finish.begin(), finish.end());
    const size_t mid = (size_t(std::max(runs, 1)) - 1) / 2;
    if (mid < finish.size())
        f.finishDay = finish[mid];
    return f;
}

} // namespace lex
