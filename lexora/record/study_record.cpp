#include "lexora/record/study_record.h"

#include "lexora/book/book.h"
#include "lexora/record/review_record.h"

#include "common/platform/sources.h"

#include <QHash>
#include <algorithm>

namespace lex {

Status readStudyAnswers(const ReviewRecord& record, const Book& book, std::vector<StudyAnswer>* out)
{
    return readStudyAnswers(record, book.full(), out);
}

namespace {

QString keyOf(QStringView word, const EntryTime& added)
{
    return word.toString() + QChar(0) + QString::number(packedTime(added));
}

QHash<QString, int> placesOf(const std::vector<WordEntry*>& entries)
{
    QHash<QString, int> place;
    place.reserve(qsizetype(entries.size()));
    for (size_t i = 0; i < entries.size(); ++i) {
        const WordEntry* e = entries[i];
        const QString k = keyOf(e->word(), e->stored.added);
        if (!place.contains(k)) // twins share one record: it goes to the first
            place.insert(k, int(i));
    }
    return place;
}

Status readAnswers(const ReviewRecord& record, const QHash<QString, int>& place, std::vector<StudyAnswer>* out)
{
    out->clear();
    return record.forEachAnswer([&](const ReviewRecord::Answer& a) {
        out->push_back({int(place.value(keyOf(a.key.word, a.key.added), -1)), a.skill,
                        a.outcome == AnswerOutcome::Right, a.at});
        return true;
    });
}

} // namespace

Status readStudyAnswers(const ReviewRecord& record, const std::vector<WordEntry*>& entries,
                        std::vector<StudyAnswer>* out)
{
    return readAnswers(record, placesOf(entries), out);
}

Status computeStudy(const ReviewRecord& record, const Book& book, const PlanSettings& plan, double retention,
                    QDate today, Random* random, StudyState* out, bool forecast)
{
    std::vector<StudyAnswer> answers;
    if (record.isOpen()) {
        const Status s = readStudyAnswers(record, book, &answers);
        if (!s)
            return s;
    }
    *out = studyStateOf(replayStudy(int(book.full().size()), answers, plan, retention, today), plan, retention, random,
                        forecast);
    return Status::ok();
}

StudyState studyStateOf(StudyHistory history, const PlanSettings& plan, double retention, Random* random, bool forecast)
{
    StudyState out;
    out.plan = plan;
    out.history = std::move(history);
    out.streaks = checkInStreaks(out.history.days);
    out.forecast = forecast ? forecastFinish(out.history, plan, retention, *orDefault(random)) : Forecast{};
    return out;
}

} // namespace lex

namespace lex {

void StudyCache::clear()
{
    filled_ = false;
    place_.clear();
    answers_.clear();
    replay_.reset();
    replayed_ = 0;
}

Status StudyCache::fill(const ReviewRecord& record, const Book& book)
{
    clear();
    place_ = placesOf(book.full());
    entries_ = int(book.full().size());
    if (record.isOpen())
        if (const Status s = readAnswers(record, place_, &answers_); !s) {
            clear();
            return s;
        }
    filled_ = true;
    return Status::ok();
}

void StudyCache::answered(const EntryKey& key, Skill skill, bool right, int64_t at)
{
    if (!filled_)
        return;
    // The record keeps its answers in time order; one recorded out of it (a clock put back)
    // goes to its place, and the replay starts afresh.
    const StudyAnswer a{int(place_.value(keyOf(key.word, key.added), -1)), skill, right, at};
    auto at_ = std::upper_bound(answers_.begin(), answers_.end(), at,
                                [](int64_t t, const StudyAnswer& x) { return t < x.at; });
    if (size_t(at_ - answers_.begin()) < replayed_)
        replay_.reset();
    answers_.insert(at_, a);
}

StudyHistory StudyCache::history(const PlanSettings& plan, double retention, QDate todayDate)
{
    const int today = int(todayDate.toJulianDay());
    if (replay_ && (!(plan == plan_) || retention != retention_))
        replay_.reset();
    for (int pass = 0; pass < 2; ++pass) {
        if (!replay_) {
            replay_.emplace(entries_, plan, retention, studyFirstDay(answers_, plan, today));
            replayed_ = 0;
            plan_ = plan;
            retention_ = retention;
            ++fullReplays_;
        }
        bool ok = true;
        for (; ok && replayed_ < answers_.size(); ++replayed_)
            ok = replay_->add(answers_[replayed_], studyDay(answers_[replayed_]));
        if (ok)
            if (std::optional<StudyHistory> h = replay_->history(today))
                return std::move(*h);
        replay_.reset();
        if (pass == 1)
            break;
    }
    // Answers dated after today (a clock set wrong): replayStudy counts them for today.
    return replayStudy(entries_, answers_, plan, retention, todayDate);
}

} // namespace lex
