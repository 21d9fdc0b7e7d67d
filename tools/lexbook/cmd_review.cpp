// fsrs: the memory model alone, on reviews given on the command line. log, stats and due --model:
// a Book's learning record (NAME.review.db), read without writing anything.
#include "commands.h"

#include "lexora/book/book.h"
#include "lexora/practice/spelling_grade.h"
#include "lexora/record/book_record.h"
#include "lexora/record/fsrs.h"
#include "lexora/record/review_record.h"
#include "lexora/record/review_stats.h"
#include "lexora/texts/lexora_texts.h"
#include "common/platform/sources.h"

#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

namespace lexbook {
namespace {

QString jsonNumber(double v) { return QString::number(v, 'g', QLocale::FloatingPointShortest); }

QString jsonLocalTime(int64_t localMs)
{
    return QLatin1Char('"') + lex::fromLocalMs(localMs).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) + QLatin1Char('"');
}

QJsonObject perSkill(const std::array<int, lex::kSkillCount>& v)
{
    QJsonObject o;
    for (lex::Skill d : lex::kSkills)
        o.insert(lex::skillName(d), v[size_t(d)]);
    return o;
}

template <size_t N> QJsonObject histogramPerSkill(const std::array<std::array<int, N>, lex::kSkillCount>& v)
{
    QJsonObject o;
    for (lex::Skill d : lex::kSkills) {
        QJsonArray a;
        for (int n : v[size_t(d)])
            a.append(n);
        o.insert(lex::skillName(d), a);
    }
    return o;
}

QString isoDay(const QDate& d) { return d.toString(QStringLiteral("yyyy-MM-dd")); }

} // namespace

// Opens BOOK's record for reading; false with *code set when it is there but cannot be read.
bool openRecord(const QString& bookPath, const QString& bookName, lex::ReviewRecord* record, int* code)
{
    const lex::Status s = record->open(lex::ReviewRecord::fileFor(bookPath, bookName), lex::ReviewRecord::Mode::ReadOnly);
    if (!s) {
        *code = fail(lex::texts::recordFailure(s, record->lastFault()));
        return false;
    }
    return true;
}

bool parseRetention(const std::optional<QString>& given, double* retention, int* code)
{
    *retention = lex::FsrsScheduler::kDefaultRetention;
    if (!given)
        return true;
    bool ok = false;
    *retention = given->toDouble(&ok);
    if (!ok || !lex::FsrsScheduler::validRetention(*retention)) {
        *code = fail(QStringLiteral("--retention needs a number between 0 and 1, e.g. 0.9"));
        return false;
    }
    return true;
}

bool takeDate(const std::optional<QString>& given, QDate* day, int* code)
{
    *day = lex::reviewDay(*lex::Clock::system());
    if (!given)
        return true;
    const QDate d = given->size() == 10 ? QDate::fromString(*given, QStringLiteral("yyyy-MM-dd")) : QDate();
    if (!d.isValid()) {
        *code = fail(QStringLiteral("'%1' is not a date: give --date as YYYY-MM-DD, e.g. 2026-03-01").arg(*given));
        return false;
    }
    *day = d;
    return true;
}

const char kLogHelp[] =
    "Prints BOOK's learning record (BOOK.review.db) as one JSON object a line, in time order: each\n"
    "answer of a practice run (kind \"answer\": the entry's word and added time, mode, skill, outcome\n"
    "right, wrong or dontknow, the local time, how many milliseconds the answer took and, for a\n"
    "typed answer, its spelling: right, typo, other-word or wrong) and each\n"
    "review stamp (kind \"stamp\": space or phonetic). Entries deleted from the Book keep their\n"
    "record. Prints nothing for a Book without a record. Never writes anything.\n";

const char kStatsHelp[] =
    "Prints the figures behind the learning statistics as one JSON object: answers per day for the\n"
    "last year (365 days up to today or --date, right and wrong per skill; the last 30 are the last\n"
    "month), entries due per day for the next 30 days per skill (by the memory model where the record\n"
    "has the entry, else by the interval table; overdue counts for today), the predicted recall of\n"
    "the entries with a record in tenths per skill, the stored degrees 0 to 10 and the words added\n"
    "per month. --retention sets the desired retention (default 0.9). Never writes anything.\n";

int cmdLog(const QStringList& args)
{
    lex::Book book;
    int code = 0;
    if (!readEntries(args, "log", &book, &code))
        return code;
    lex::ReviewRecord record;
    if (!openRecord(book.path, book.name, &record, &code))
        return code;
    std::vector<lex::ReviewRecord::Stamp> stamps;
    lex::Status s = record.forEachStamp([&](const lex::ReviewRecord::Stamp& st) {
        stamps.push_back(st);
        return true;
    });
    size_t next = 0;
    QString text;
    auto flush = [&text] {
        if (text.size() > 1 << 16) {
            out(text);
            text.clear();
        }
    };
    auto stampsUpTo = [&](int64_t at) {
        for (; next < stamps.size() && stamps[next].at <= at; ++next) {
            const lex::ReviewRecord::Stamp& st = stamps[next];
            text += QStringLiteral("{\"kind\":\"stamp\",\"word\":") + jsonString(st.key.word)
                    + QStringLiteral(",\"added\":") + jsonTime(st.key.added) + QStringLiteral(",\"stamp\":\"")
                    + (st.kind == lex::StampKind::Space ? QStringLiteral("space") : QStringLiteral("phonetic"))
                    + QStringLiteral("\",\"at\":") + jsonLocalTime(st.at) + QStringLiteral("}\n");
        }
    };
    if (s)
        s = record.forEachAnswer([&](const lex::ReviewRecord::Answer& a) {
            stampsUpTo(a.at);
            text += QStringLiteral("{\"kind\":\"answer\",\"word\":") + jsonString(a.key.word)
                    + QStringLiteral(",\"added\":") + jsonTime(a.key.added) + QStringLiteral(",\"mode\":\"")
                    + lex::practiceModeName(a.mode) + QStringLiteral("\",\"skill\":\"") + lex::skillName(a.skill)
                    + QStringLiteral("\",\"outcome\":\"") + lex::outcomeName(a.outcome) + QStringLiteral("\",\"at\":")
                    + jsonLocalTime(a.at) + QStringLiteral(",\"durationMs\":%1").arg(a.durationMs)
                    + (a.spelling ? QStringLiteral(",\"spelling\":\"") + lex::spellingVerdictName(*a.spelling) + u'"'
                                  : QString())
                    + QStringLiteral("}\n");
            flush();
            return true;
        });
    stampsUpTo(INT64_MAX);
    out(text);
    return s ? 0 : fail(lex::texts::recordFailure(s, record.lastFault()));
}

int cmdStats(const QStringList& argsIn)
{
    QStringList args = argsIn;
    std::optional<QString> dateArg, retentionArg;
    QString error;
    if (!takeValue(args, QStringLiteral("--date"), &dateArg, &error)
        || !takeValue(args, QStringLiteral("--retention"), &retentionArg, &error))
        return fail(error);
    for (const QString& a : args)
        if (a.startsWith(QLatin1String("--")))
            return fail(QStringLiteral("unknown option '%1' (see lexbook help stats)").arg(a));
    int code = 0;
    QDate today;
    double retention = 0;
    if (!takeDate(dateArg, &today, &code) || !parseRetention(retentionArg, &retention, &code))
        return code;
    lex::Book book;
    if (!readEntries(args, "stats", &book, &code))
        return code;
    lex::ReviewRecord record;
    if (!openRecord(book.path, book.name, &record, &code))
        return code;
    lex::ReviewModel model(retention);
    lex::ReviewFigures f;
    lex::Status s = record.loadModel(&model);
    if (s)
        s = lex::computeReviewFigures(book.full(), record, model, today, &f);
    if (!s)
        return fail(lex::texts::recordFailure(s, record.lastFault()));

    QJsonArray answers;
    for (size_t i = 0; i < f.answers.size(); ++i) {
        QJsonObject day{{"day", isoDay(today.addDays(qint64(i) - qint64(f.answers.size()) + 1))}};
        for (lex::Skill d : lex::kSkills)
            day.insert(lex::skillName(d), QJsonObject{{"right", f.answers[i].right[size_t(d)]},
                                                             {"wrong", f.answers[i].wrong[size_t(d)]}});
        answers.append(day);
    }
    QJsonArray due;
    for (size_t i = 0; i < f.due.size(); ++i) {
        QJsonObject day = perSkill(f.due[i]);
        day.insert(QStringLiteral("day"), isoDay(today.addDays(qint64(i))));
        due.append(day);
    }
    QJsonArray added;
    for (const lex::ReviewFigures::Month& m : f.added)
        added.append(QJsonObject{{"month", QStringLiteral("%1-%2").arg(m.year, 4, 10, QLatin1Char('0')).arg(m.month, 2, 10, QLatin1Char('0'))},
                                 {"words", m.words}});
    const QJsonObject all{{"today", isoDay(today)},
                          {"retention", retention},
                          {"answersPerDay", answers},
                          {"duePerDay", due},
                          {"recall", histogramPerSkill(f.recall)},
                          {"degrees", histogramPerSkill(f.degrees)},
                          {"addedPerMonth", added}};
    out(QString::fromUtf8(QJsonDocument(all).toJson(QJsonDocument::Compact)) + QLatin1Char('\n'));
    return 0;
}

bool planByModel(const lex::Book& book, QDate today, const std::optional<QString>& retentionArg,
                 lex::ReviewPlan* plan, std::vector<uint8_t>* fromModel, int* code)
{
    double retention = 0;
    if (!parseRetention(retentionArg, &retention, code))
        return false;
    // The plan of 今日复习 itself, on a record opened for reading only.
    std::optional<QString> fault;
    lex::BookRecord record([&fault](const lex::RecordFault& f) { fault = lex::texts::recordFault(f); },
                           lex::ReviewRecord::Mode::ReadOnly);
    record.setRetention(retention);
    *plan = record.todayPlan(book, book.full(), today);
    if (fault) {
        *code = fail(*fault);
        return false;
    }
    const lex::ReviewModel& model = record.model(book);
    fromModel->assign(book.full().size(), 0);
    for (size_t i = 0; i < book.full().size(); ++i) {
        const lex::WordEntry* e = book.full()[i];
        if (const lex::EntryMemory* m = model.find(e->word(), e->stored.added))
            for (lex::Skill d : lex::kSkills)
                if (!m->skill(d).state.isNew())
                    (*fromModel)[i] |= lex::dueBit(d);
    }
    return true;
}

void appendModelKey(QString& line, uint8_t degrees)
{
    line += QStringLiteral(",\"model\":[");
    bool first = true;
    for (lex::Skill d : lex::kSkills) {
        if (!(degrees & lex::dueBit(d)))
            continue;
        line += (first ? QStringLiteral("\"") : QStringLiteral(",\"")) + lex::skillName(d) + QLatin1Char('"');
        first = false;
    }
    line += QLatin1Char(']');
}

const char kFsrsHelp[] =
    "Runs the memory model (FSRS-6, default parameters) over one item's reviews, given in time order\n"
    "as local times with the grade: 1 again, 2 hard, 3 good, 4 easy. Prints one JSON object per review:\n"
    "stability (days until recall falls to 90 %), difficulty (1 to 10), retrievability (the predicted\n"
    "recall just before the review, null for the first) and interval (whole days to the next review at\n"
    "the desired retention, at least 1). Days are counted between calendar dates; reviews on the same\n"
    "date do not raise the stability. --retention sets the desired retention (default 0.9).\n"
    "Example: lexbook fsrs 2026-03-01T09:00=3 2026-03-04T20:15=1\n";

int cmdFsrs(const QStringList& argsIn)
{
    QStringList args = argsIn;
    std::optional<QString> retentionArg;
    QString error;
    double retention = 0;
    int code = 0;
    if (!takeValue(args, QStringLiteral("--retention"), &retentionArg, &error))
        return fail(error);
    if (!parseRetention(retentionArg, &retention, &code))
        return code;
    if (args.isEmpty())
        return fail(QStringLiteral("usage: lexbook fsrs [--retention R] YYYY-MM-DDTHH:MM=G..."));

    const lex::FsrsScheduler scheduler(retention);
    lex::MemoryState state;
    // Date and time apart: a local time that a clock change skips is still a time a learner can
    // write, and only the calendar date counts.
    QDate lastDay;
    QTime lastTime;
    QString text;
    for (const QString& a : args) {
        const qsizetype eq = a.indexOf(QLatin1Char('='));
        const QDate day = QDate::fromString(a.left(10), QStringLiteral("yyyy-MM-dd"));
        const QTime time = QTime::fromString(a.mid(11, 5), QStringLiteral("HH:mm"));
        bool ok = false;
        const int grade = eq > 0 ? a.mid(eq + 1).toInt(&ok) : 0;
        if (eq != 16 || a[10] != QLatin1Char('T') || !day.isValid() || !time.isValid() || !ok || grade < 1 || grade > 4)
            return fail(QStringLiteral("'%1' is not a review: give YYYY-MM-DDTHH:MM=G with G 1 (again) to 4 (easy)").arg(a));
        if (lastDay.isValid() && (day < lastDay || (day == lastDay && time < lastTime)))
            return fail(QStringLiteral("'%1' comes before the review given before it: give the reviews in time order").arg(a));
        const int days = lastDay.isValid() ? int(lastDay.daysTo(day)) : 0;
        const lex::FsrsScheduler::Step step = scheduler.review(state, days, lex::FsrsGrade(grade));
        text += QStringLiteral("{\"stability\":%1,\"difficulty\":%2,\"retrievability\":%3,\"interval\":%4}\n")
                    .arg(jsonNumber(step.after.stability), jsonNumber(step.after.difficulty),
                         step.retrievability ? jsonNumber(*step.retrievability) : QStringLiteral("null"))
                    .arg(step.interval);
        state = step.after;
        lastDay = day;
        lastTime = time;
    }
    out(text);
    return 0;
}

} // namespace lexbook
