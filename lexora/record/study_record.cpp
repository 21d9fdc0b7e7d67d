#include "lexora/record/study_record.h"

#include "lexora/book/book.h"
#include "lexora/record/review_record.h"

#include "common/platform/sources.h"

#include <QHash>

namespace lex {

Status readStudyAnswers(const ReviewRecord& record, const Book& book, std::vector<StudyAnswer>* out)
{
    return readStudyAnswers(record, book.full(), out);
}

Status readStudyAnswers(const ReviewRecord& record, const std::vector<WordEntry*>& entries,
                        std::vector<StudyAnswer>* out)
{
    out->clear();
    auto keyOf = [](QStringView word, const EntryTime& added) {
        return word.toString() + QChar(0) + QString::number(packedTime(added));
    };
    QHash<QString, int> place;
    place.reserve(qsizetype(entries.size()));
    for (size_t i = 0; i < entries.size(); ++i) {
        const WordEntry* e = entries[i];
        const QString k = keyOf(e->word(), e->stored.added);
        if (!place.contains(k)) // twins share one record: it goes to the first
            place.insert(k, int(i));
    }
    return record.forEachAnswer([&](const ReviewRecord::Answer& a) {
        out->push_back({int(place.value(keyOf(a.key.word, a.key.added), -1)), a.skill,
                        a.outcome == AnswerOutcome::Right, a.at});
        return true;
    });
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
    out->plan = plan;
    out->history = replayStudy(int(book.full().size()), answers, plan, retention, today);
    out->streaks = checkInStreaks(out->history.days);
    out->forecast = forecast ? forecastFinish(out->history, plan, retention, *orDefault(random)) : Forecast{};
    return Status::ok();
}

} // namespace lex
