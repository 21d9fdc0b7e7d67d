// The reading half of the learning record: answers, stamps, the model and the day counts.
#include "lexora/record/review_record.h"
#include "lexora/record/review_record_rows.h"

#include <algorithm>
#include <array>
#include <map>

namespace lex {

using namespace record_rows;

Status ReviewRecord::readFailure(int rc) const
{
    if (interrupted() || (rc & 0xFF) == SQLITE_INTERRUPT)
        return Status::error(QStringLiteral("读取学习记录已中止：%1").arg(file_));
    return Status::error(QStringLiteral("无法读取学习记录：%1（%2）").arg(file_, QString::fromUtf8(sqlite3_errstr(rc))));
}

Status ReviewRecord::eachRow(const char* sql, const std::function<bool(sqlite3_stmt*)>& row, int64_t parameter) const
{
    if (interrupted())
        return readFailure(SQLITE_INTERRUPT);
    if (!db_)
        return broken_ ? Status::error(fault_.value_or(QString())) : Status::ok();
    sqlite3_stmt* s = prepare(sql);
    int rc = s ? SQLITE_OK : sqlite3_errcode(db_);
    if (s) {
        sqlite3_bind_int64(s, 1, parameter);
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
            if (interrupted()) {
                rc = SQLITE_INTERRUPT;
                break;
            }
            if (!row(s)) {
                rc = SQLITE_DONE;
                break;
            }
        }
    }
    sqlite3_finalize(s);
    return rc == SQLITE_DONE ? Status::ok() : readFailure(rc);
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
                                       PracticeMode(mode), Skill(skill), AnswerOutcome(outcome),
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
    Status st = eachRow("SELECT max(id) FROM entries", [&](sqlite3_stmt* s) {
        model->reserve(size_t(std::max<int64_t>(0, sqlite3_column_int64(s, 0))));
        return false;
    });
    if (!st || !db_)
        return st;
    // The memory rows and the entries they belong to side by side, both in entry order: each
    // table is read straight through, where a join would look up each entry on its own (half as
    // fast again on a large record). One insertion into the model per entry.
    sqlite3_stmt* keys = prepare("SELECT id, word, added FROM entries ORDER BY id");
    if (!keys)
        return readFailure(sqlite3_errcode(db_));
    int keysRc = SQLITE_ROW;
    int64_t keyId = 0, current = 0;
    bool keyFound = false;
    EntryKey key;
    EntryMemory memory;
    bool any = false;
    auto flush = [&] {
        if (any)
            model->put(key, memory);
        memory = {};
        any = false;
    };
    st = eachRow("SELECT entry, skill, stability, difficulty, last_at, answers FROM memory ORDER BY entry, skill",
                 [&](sqlite3_stmt* s) {
                     const int64_t id = sqlite3_column_int64(s, 0);
                     if (id != current) {
                         flush();
                         current = id;
                         while (keysRc == SQLITE_ROW && keyId < id)
                             if ((keysRc = sqlite3_step(keys)) == SQLITE_ROW)
                                 keyId = sqlite3_column_int64(keys, 0);
                         keyFound = keysRc == SQLITE_ROW && keyId == id;
                         if (keyFound)
                             key = EntryKey{columnText(keys, 1), unpackedTime(sqlite3_column_int64(keys, 2))};
                         else if (keysRc != SQLITE_ROW && keysRc != SQLITE_DONE)
                             return false;
                     }
                     const int64_t skill = sqlite3_column_int64(s, 1);
                     const double stability = sqlite3_column_double(s, 2), difficulty = sqlite3_column_double(s, 3);
                     // Only states the model can have made, of an entry there is: a damaged row
                     // counts as no record.
                     if (!keyFound || !validSkill(skill) || !(stability > 0 && stability <= 36500)
                         || !(difficulty >= 1 && difficulty <= 10))
                         return true;
                     memory.skills[size_t(skill)] = {{stability, difficulty}, localDay(sqlite3_column_int64(s, 4)),
                                                     int(sqlite3_column_int64(s, 5))};
                     any = true;
                     return true;
                 });
    sqlite3_finalize(keys);
    if (st && keysRc != SQLITE_ROW && keysRc != SQLITE_DONE)
        st = readFailure(keysRc);
    flush();
    return st;
}

Status ReviewRecord::answersPerDay(int firstDay, std::vector<DayCount>* out) const
{
    out->clear();
    // The day tallies where the record keeps them.
    bool tallied = false;
    Status st = eachRow(kHasDayTallies, [&](sqlite3_stmt* s) {
        tallied = sqlite3_column_int(s, 0) > 0;
        return false;
    });
    if (!st)
        return st;
    if (tallied)
        return eachRow("SELECT day, skill, correct, wrong FROM answer_days WHERE day >= ?1 AND skill BETWEEN 0 AND 2"
                       "  AND (correct > 0 OR wrong > 0) ORDER BY day, skill",
                       [&](sqlite3_stmt* s) {
                           out->push_back({int(sqlite3_column_int64(s, 0)) + kJulianDayOf1970,
                                           Skill(sqlite3_column_int(s, 1)), sqlite3_column_int(s, 2),
                                           sqlite3_column_int(s, 3)});
                           return true;
                       },
                       int64_t(firstDay) - kJulianDayOf1970);
    // A record made before them: its answers counted here in one pass over the table, not by
    // GROUP BY, for which SQLite sorts every row it counts (five times as long). "+at" keeps SQLite
    // off the time index: the index is in time order but the rows are in the order they were first
    // written, so going by it would read a large record's pages at random, once per answer.
    // The days of a year and some after it by their place; later ones (a clock far ahead) apart.
    constexpr int kDense = 1024;
    struct Tally {
        std::array<int, kSkillCount> right{}, wrong{};
    };
    std::vector<Tally> dense(kDense);
    std::map<int, Tally> later;
    st = eachRow("SELECT at, skill, outcome FROM answers WHERE +at >= ?1",
                 [&](sqlite3_stmt* s) {
                     const int64_t skill = sqlite3_column_int64(s, 1);
                     if (!validSkill(skill))
                         return true;
                     const int day = localDay(sqlite3_column_int64(s, 0)) - firstDay;
                     Tally& t = day < kDense ? dense[size_t(day)] : later[day];
                     ++(sqlite3_column_int64(s, 2) == 0 ? t.right : t.wrong)[size_t(skill)];
                     return true;
                 },
                 std::max<int64_t>(0, int64_t(firstDay - kJulianDayOf1970) * kDayMs));
    if (!st)
        return st;
    auto emit = [&](int day, const Tally& t) {
        for (size_t k = 0; k < kSkillCount; ++k)
            if (t.right[k] || t.wrong[k])
                out->push_back({firstDay + day, Skill(k), t.right[k], t.wrong[k]});
    };
    for (int d = 0; d < kDense; ++d)
        emit(d, dense[size_t(d)]);
    for (const auto& [d, t] : later)
        emit(d, t);
    return st;
}

} // namespace lex
