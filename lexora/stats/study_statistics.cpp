#include "lexora/stats/study_statistics.h"

#include "common/platform/env.h"
#include "lexora/record/study_record.h"
#include "lexora/texts/lexora_texts.h"

#include <QStringList>
#include <algorithm>
#include <map>

namespace lex {

StudyStatistics::StudyStatistics(QObject* parent) : QObject(parent) {}

StudyStatistics::~StudyStatistics() { cancel(); }

void StudyStatistics::cancel()
{
    cancelled_ = true;
    for (ReviewRecord* r : {modelRecord_.get(), answerRecord_.get()})
        if (r)
            r->interrupt();
    if (worker_.joinable())
        worker_.join();
    const std::lock_guard<std::mutex> lock(mutex_);
    pendingReady_ = false; // a hand-over already queued finds nothing
    pending_ = ReviewFigures();
}

void StudyStatistics::start(Source source)
{
    cancel();
    cancelled_ = false;
    Env* env = orDefault(source.env);
    hasRecord_ = !source.recordFile.isEmpty() && env->fileExists(source.recordFile);
    loaded_ = false;
    error_.clear();
    figures_ = ReviewFigures();
    streaks_ = Streaks();
    figures_.answers.resize(ReviewFigures::kAnswerDays);
    figures_.due.resize(ReviewFigures::kDueDays);
    computeBookFigures(source.entries, source.today, &figures_);

    modelRecord_ = std::make_unique<ReviewRecord>();
    answerRecord_ = std::make_unique<ReviewRecord>();
    worker_ = std::thread([this, source = std::move(source), hasRecord = hasRecord_] { read(source, hasRecord); });
}

void StudyStatistics::read(const Source& source, bool hasRecord)
{
    // The answers of a large record take as long to count as the model to load: both at once,
    // each on a connection of its own.
    ReviewFigures answers;
    Streaks streaks;
    Status counted;
    std::optional<RecordFault> countFault, modelFault;
    std::thread counter;
    if (hasRecord)
        counter = std::thread([&] {
            ReviewRecord& r = *answerRecord_;
            counted = r.open(source.recordFile, ReviewRecord::Mode::ReadOnly);
            if (counted)
                counted = computeAnswerFigures(r, source.today, &answers);
            // The check-in days: the same answers replayed under the plan.
            std::vector<StudyAnswer> study;
            if (counted && !cancelled_)
                counted = readStudyAnswers(r, source.entries, &study);
            if (counted && !cancelled_) {
                PlanSettings plan = source.plan.value_or(PlanSettings{});
                if (!source.plan)
                    plan.since = QDate(); // no plan: nothing was ever planned
                streaks = checkInStreaks(
                    replayStudy(int(source.entries.size()), study, plan, source.retention, source.today).days);
            }
            countFault = r.lastFault();
            r.close();
        });

    // Without a record the model is empty: words due come from the interval table alone.
    ReviewModel own(source.retention);
    const ReviewModel* model = source.model ? source.model : &own;
    Status s;
    if (hasRecord && !source.model) {
        ReviewRecord& r = *modelRecord_;
        s = r.open(source.recordFile, ReviewRecord::Mode::ReadOnly);
        if (s)
            s = r.loadModel(&own);
        modelFault = r.lastFault();
        r.close();
        if (!s)
            own = ReviewModel(source.retention);
    }
    ReviewFigures f;
    f.due.resize(ReviewFigures::kDueDays);
    for (size_t i = 0; i < source.entries.size() && !cancelled_; i += kSlice)
        addDueFigures(source.entries.data() + i, std::min(kSlice, source.entries.size() - i), *model, source.today, &f);
    if (counter.joinable())
        counter.join();
    if (cancelled_)
        return; // closed while reading: what was read goes
    f.answers = std::move(answers.answers);
    if (f.answers.empty())
        f.answers.resize(ReviewFigures::kAnswerDays);
    if (s) {
        s = counted;
        modelFault = countFault;
    }
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        pending_ = std::move(f);
        pendingStreaks_ = std::move(streaks);
        pendingError_ = s ? QString() : texts::recordFailure(s, modelFault);
        pendingReady_ = true;
    }
    QMetaObject::invokeMethod(this, [this] { adopt(); }, Qt::QueuedConnection);
}

void StudyStatistics::waitForRecord()
{
    if (worker_.joinable())
        worker_.join();
    adopt();
}

void StudyStatistics::adopt()
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (!pendingReady_)
            return;
        pendingReady_ = false;
        // The Book's own figures stay as start() made them.
        figures_.answers = std::move(pending_.answers);
        figures_.due = std::move(pending_.due);
        figures_.recall = pending_.recall;
        streaks_ = std::move(pendingStreaks_);
        error_ = pendingError_;
    }
    if (worker_.joinable())
        worker_.join(); // it has handed over: only its last steps remain
    loaded_ = true;
    Q_EMIT recordReady();
}

QString StudyStatistics::pageTitle(Page page)
{
    switch (page) {
    case Page::AnswersMonth: return QStringLiteral("近30天答题");
    case Page::AnswersYear: return QStringLiteral("近一年答题");
    case Page::Due: return QStringLiteral("未来30天到期");
    case Page::Recall: return QStringLiteral("预测记忆率");
    case Page::Degrees: return QStringLiteral("陌生度分布");
    case Page::Added: return QStringLiteral("每月新增");
    case Page::Calendar: return QStringLiteral("打卡日历");
    }
    return {};
}

QString StudyStatistics::skillName(Skill d)
{
    switch (d) {
    case Skill::Recognition: return QStringLiteral("认识");
    case Skill::Spelling: return QStringLiteral("拼写");
    case Skill::Listening: return QStringLiteral("听力");
    }
    return {};
}

QString StudyStatistics::csv(Page page) const
{
    const ReviewFigures& f = figures_;
    QList<QStringList> rows;
    QStringList header;
    auto perSkill = [&](const QString& suffix) {
        for (Skill d : kSkills)
            header << skillName(d) + suffix;
    };
    switch (page) {
    case Page::AnswersMonth:
    case Page::AnswersYear: {
        header << QStringLiteral("日期");
        for (Skill d : kSkills)
            header << skillName(d) + QStringLiteral("答对") << skillName(d) + QStringLiteral("答错");
        const int n = int(f.answers.size());
        for (int i = page == Page::AnswersMonth ? std::max(0, n - kMonthDays) : 0; i < n; ++i) {
            QStringList row{f.today.addDays(i - n + 1).toString(Qt::ISODate)};
            for (Skill d : kSkills)
                row << QString::number(f.answers[size_t(i)].right[size_t(d)])
                    << QString::number(f.answers[size_t(i)].wrong[size_t(d)]);
            rows << row;
        }
        break;
    }
    case Page::Due:
        header << QStringLiteral("日期");
        perSkill(QStringLiteral("到期"));
        for (size_t i = 0; i < f.due.size(); ++i) {
            QStringList row{f.today.addDays(qint64(i)).toString(Qt::ISODate)};
            for (Skill d : kSkills)
                row << QString::number(f.due[i][size_t(d)]);
            rows << row;
        }
        break;
    case Page::Recall:
        header << QStringLiteral("预测记忆率");
        perSkill(QStringLiteral("单词数"));
        for (int b = 0; b < ReviewFigures::kRecallBins; ++b) {
            QStringList row{QStringLiteral("%1-%2%").arg(b * 10).arg(b * 10 + 10)};
            for (Skill d : kSkills)
                row << QString::number(f.recall[size_t(d)][size_t(b)]);
            rows << row;
        }
        break;
    case Page::Degrees:
        header << QStringLiteral("陌生度");
        perSkill(QStringLiteral("单词数"));
        for (int v = 0; v <= kMaxStrangeness; ++v) {
            QStringList row{QString::number(v)};
            for (Skill d : kSkills)
                row << QString::number(f.degrees[size_t(d)][size_t(v)]);
            rows << row;
        }
        break;
    case Page::Calendar: {
        header << QStringLiteral("日期") << QStringLiteral("答题数") << QStringLiteral("打卡");
        std::map<int, CheckIn> state;
        for (const CheckInDay& d : streaks_.days)
            state[d.day] = d.state;
        const int n = int(f.answers.size());
        for (int i = 0; i < n; ++i) {
            const QDate day = f.today.addDays(i - n + 1);
            int answers = 0;
            for (Skill d : kSkills)
                answers += f.answers[size_t(i)].right[size_t(d)] + f.answers[size_t(i)].wrong[size_t(d)];
            const auto it = state.find(int(day.toJulianDay()));
            rows << QStringList{day.toString(Qt::ISODate), QString::number(answers),
                                QString::fromLatin1(checkInName(it == state.end() ? CheckIn::Nothing : it->second))};
        }
        break;
    }
    case Page::Added:
        header << QStringLiteral("月份") << QStringLiteral("新增单词");
        for (const ReviewFigures::Month& m : f.added)
            rows << QStringList{QStringLiteral("%1-%2").arg(m.year, 4, 10, QLatin1Char('0')).arg(m.month, 2, 10, QLatin1Char('0')),
                                QString::number(m.words)};
        break;
    }
    QString out = header.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    for (const QStringList& row : rows)
        out += row.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    return out;
}

} // namespace lex
