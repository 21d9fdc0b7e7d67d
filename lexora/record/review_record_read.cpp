// The reading half of the learning record: answers, stamps, the model and the day counts.
#include "lexora/record/review_record.h"
#include "lexora/record/review_record_rows.h"

#include <algorithm>

namespace lex {

using namespace record_rows;

Status ReviewRecord::eachRow(const char* sql, const std::function<bool(sqlite3_stmt*)>& row, int64_t parameter) const
{
    if (!db_)
        return broken_ ? Status::error(fault_.value_or(QString())) : Status::ok();
    sqlite3_stmt* s = prepare(sql);
    int rc = s ? SQLITE_OK : sqlite3_errcode(db_);
    if (s) {
        sqlite3_bind_int64(s, 1, parameter);
        while ((rc = sqlite3_step(s)) == SQLITE_ROW)
            if (!row(s)) {
                rc = SQLITE_DONE;
                break;
            }
    }
    sqlite3_finalize(s);
    if (rc == SQLITE_DONE)
        return Status::ok();
    return Status::error(QStringLiteral("无法读取学习记录：%1（%2）").arg(file_, QString::fromUtf8(sqlite3_errstr(rc))));
}

Status ReviewRecord::forEachAnswer(const std::function<bool(const Answer&)>& f) const
{
    return eachRow("SELECT e.word, e.added, a.mode, a.skill, a.outcome, a.at, a.duration_ms "
                   "FROM answers a JOIN entries e ON e.id = a.entry ORDER BY a.at, a.id",
                   [&](sqlite3_stmt* s) {
                       const int64_t mode = sqlite3_column_int64(s, 2), skill = sqlite3_column_int64(s, 3),
                                     outcome = sqlite3_column_int64(s, 4);
                       if (!validMode(mode) || !validSkill(skill) || !validOutcome(outcome))
                           return true; // a row no version of ours writes
                       return f(Answer{EntryKey{columnText(s, 0), unpackedTime(sqlite3_column_int64(s, 1))},
                                       PracticeMode(mode), ReviewDegree(skill), AnswerOutcome(outcome),
                                       sqlite3_column_int64(s, 5), int(sqlite3_column_int64(s, 6))});
                   });
}

Status ReviewRecord::forEachStamp(const std::function<bool(const Stamp&)>& f) const
{
    return eachRow("SELECT e.word, e.added, s.kind, s.at FROM stamps s JOIN entries e ON e.id = s.entry "
                   "ORDER BY s.at, s.id",
                   [&](sqlite3_stmt* s) {
                       const int64_t kind = sqlite3_column_int64(s, 2);
                       if (kind < 0 || kind > 1)
                           return true;
                       return f(Stamp{EntryKey{columnText(s, 0), unpackedTime(sqlite3_column_int64(s, 1))},
                                      StampKind(kind), sqlite3_column_int64(s, 3)});
                   });
}

Status ReviewRecord::loadModel(ReviewModel* model) const
{
    *model = ReviewModel(model->scheduler().retention());
    // Entry by entry, in the order both tables are kept in: one pass over each, and one insertion
    // into the model per entry.
    Status st = eachRow("SELECT max(id) FROM entries", [&](sqlite3_stmt* s) {
        model->reserve(size_t(std::max<int64_t>(0, sqlite3_column_int64(s, 0))));
        return false;
    });
    int64_t current = 0;
    EntryKey key;
    EntryMemory memory;
    bool any = false;
    auto flush = [&] {
        if (any)
            model->put(key, memory);
        memory = {};
        any = false;
    };
    if (st)
        st = eachRow("SELECT e.id, e.word, e.added, m.skill, m.stability, m.difficulty, m.last_at, m.answers "
                     "FROM entries e JOIN memory m ON m.entry = e.id ORDER BY e.id",
                     [&](sqlite3_stmt* s) {
                         const int64_t id = sqlite3_column_int64(s, 0);
                         if (id != current) {
                             flush();
                             current = id;
                             key = EntryKey{columnText(s, 1), unpackedTime(sqlite3_column_int64(s, 2))};
                         }
                         const int64_t skill = sqlite3_column_int64(s, 3);
                         const double stability = sqlite3_column_double(s, 4), difficulty = sqlite3_column_double(s, 5);
                         // Only states the model can have made: a damaged row counts as no record.
                         if (!validSkill(skill) || !(stability > 0 && stability <= 36500)
                             || !(difficulty >= 1 && difficulty <= 10))
                             return true;
                         memory.skills[size_t(skill)] = {{stability, difficulty}, localDay(sqlite3_column_int64(s, 6)),
                                                         int(sqlite3_column_int64(s, 7))};
                         any = true;
                         return true;
                     });
    flush();
    return st;
}

Status ReviewRecord::answersPerDay(int firstDay, std::vector<DayCount>* out) const
{
    out->clear();
    // One pass over the table ("+at" keeps SQLite off the time index): the index is in time order
    // but the rows are in the order they were first written, so going by the index would read a
    // large record's pages at random, once per answer.
    return eachRow("SELECT at / 86400000, skill, sum(outcome = 0), sum(outcome <> 0) FROM answers "
                   "WHERE +at >= ?1 AND skill BETWEEN 0 AND 2 GROUP BY 1, 2 ORDER BY 1, 2",
                   [&](sqlite3_stmt* s) {
                       out->push_back({int(sqlite3_column_int64(s, 0)) + kJulianDayOf1970,
                                       ReviewDegree(sqlite3_column_int(s, 1)), sqlite3_column_int(s, 2),
                                       sqlite3_column_int(s, 3)});
                       return true;
                   },
                   std::max<int64_t>(0, int64_t(firstDay - kJulianDayOf1970) * kDayMs));
}

} // namespace lex
