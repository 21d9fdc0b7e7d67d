// The reading half of the learning record: answers, stamps, the model and the day counts.
#include "lexora/record/review_record.h"
#include "lexora/record/record_schema.h"
#include "lexora/record/review_record_rows.h"

#include <algorithm>
#include <array>
#include <map>

namespace lex {

using namespace record_rows;

Status ReviewRecord::readFailure(int rc) const
{
    if (interrupted() || (rc & 0xFF) == SQLITE_INTERRUPT)
        return failed(about(RecordFault::Kind::Stopped));
    return failed(about(RecordFault::Kind::Unreadable, QString::fromUtf8(sqlite3_errstr(rc))));
}

Status ReviewRecord::eachRow(const char* sql, const std::function<bool(const sqlite::Statement&)>& row,
                             int64_t parameter) const
{
    if (interrupted())
        return readFailure(SQLITE_INTERRUPT);
    if (!db_)
        return broken_ && fault_ ? failed(*fault_) : Status::ok();
    sqlite::Statement s = prepare(sql);
    int rc = s ? SQLITE_OK : sqlite3_errcode(db_.handle());
    if (s) {
        s.bind(1, sqlite3_int64(parameter));
        while ((rc = s.step()) == SQLITE_ROW) {
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
    return rc == SQLITE_DONE ? Status::ok() : readFailure(rc);
}

Status ReviewRecord::forEachAnswer(const std::function<bool(const Answer&)>& f, int64_t afterRow) const
{
    // The grades where the record keeps them (a record of an older build has no such table).
    bool graded = false;
    if (Status st = eachRow(record_schema::kHasSpelling, [&](const sqlite::Statement& s) {
            graded = s.integer(0) > 0;
            return false;
        });
        !st)
        return st;
    // All of them in the order of the time index; only the rows after one by their ids.
    const char* sql = graded ? (afterRow ? "SELECT e.word, e.added, a.mode, a.skill, a.outcome, a.at, a.duration_ms, "
                                           "coalesce(g.verdict, -1) FROM answers a JOIN entries e ON e.id = a.entry "
                                           "LEFT JOIN answer_spelling g ON g.answer = a.id WHERE a.id > ?1 ORDER BY a.at, a.id"
                                         : "SELECT e.word, e.added, a.mode, a.skill, a.outcome, a.at, a.duration_ms, "
                                           "coalesce(g.verdict, -1) FROM answers a JOIN entries e ON e.id = a.entry "
                                           "LEFT JOIN answer_spelling g ON g.answer = a.id ORDER BY a.at, a.id")
                             : (afterRow ? "SELECT e.word, e.added, a.mode, a.skill, a.outcome, a.at, a.duration_ms, -1 "
                                           "FROM answers a JOIN entries e ON e.id = a.entry WHERE a.id > ?1 ORDER BY a.at, a.id"
                                         : "SELECT e.word, e.added, a.mode, a.skill, a.outcome, a.at, a.duration_ms, -1 "
                                           "FROM answers a JOIN entries e ON e.id = a.entry ORDER BY a.at, a.id");
    return eachRow(sql, [&](const sqlite::Statement& s) {
        const int64_t mode = s.integer(2), skill = s.integer(3), outcome = s.integer(4);
        if (!validMode(mode) || !validSkill(skill) || !validOutcome(outcome))
            return true; // a row no version of ours writes
        std::optional<SpellingVerdict> spelling;
        if (s.integer(7) >= 0 && s.integer(7) <= int64_t(SpellingVerdict::Wrong))
            spelling = SpellingVerdict(s.integer(7));
        return f(Answer{EntryKey{s.text(0), unpackedTime(s.integer(1))}, PracticeMode(mode), Skill(skill),
                        AnswerOutcome(outcome), s.integer(5), int(s.integer(6)), spelling});
    }, afterRow);
}

Status ReviewRecord::forEachStamp(const std::function<bool(const Stamp&)>& f, int64_t afterRow) const
{
    return eachRow(afterRow ? "SELECT e.word, e.added, s.kind, s.at FROM stamps s JOIN entries e ON e.id = s.entry "
                              "WHERE s.id > ?1 ORDER BY s.at, s.id"
                            : "SELECT e.word, e.added, s.kind, s.at FROM stamps s JOIN entries e ON e.id = s.entry "
                              "ORDER BY s.at, s.id",
                   [&](const sqlite::Statement& s) {
                       const int64_t kind = s.integer(2);
                       if (kind < 0 || kind > 1)
                           return true;
                       return f(Stamp{EntryKey{s.text(0), unpackedTime(s.integer(1))}, StampKind(kind), s.integer(3)});
                   }, afterRow);
}

Status ReviewRecord::mark(Mark* out) const
{
    *out = {};
    return eachRow("SELECT coalesce(a.id, 0), coalesce(a.at, 0), coalesce(s.id, 0), coalesce(s.at, 0) FROM"
                   " (SELECT 1) LEFT JOIN (SELECT id, at FROM answers ORDER BY id DESC LIMIT 1) a"
                   " LEFT JOIN (SELECT id, at FROM stamps ORDER BY id DESC LIMIT 1) s",
                   [&](const sqlite::Statement& s) {
                       *out = {s.integer(0), s.integer(1), s.integer(2), s.integer(3)};
                       return false;
                   });
}

Status ReviewRecord::holds(const Mark& m, bool* out) const
{
    // A row of 0 names none: nothing was there to lose.
    *out = true;
    auto check = [&](const char* sql, int64_t row, int64_t at) {
        if (row == 0)
            return Status::ok();
        bool there = false;
        const Status st = eachRow(sql, [&](const sqlite::Statement& s) {
            there = s.integer(0) == at;
            return false;
        }, row);
        *out = *out && there;
        return st;
    };
    if (Status st = check("SELECT at FROM answers WHERE id = ?1", m.answerRow, m.answerAt); !st)
        return st;
    return check("SELECT at FROM stamps WHERE id = ?1", m.stampRow, m.stampAt);
}

Status ReviewRecord::loadModel(ReviewModel* model) const
{
    *model = ReviewModel(model->scheduler().retention());
    Status st = eachRow("SELECT max(id) FROM entries", [&](const sqlite::Statement& s) {
        model->reserve(size_t(std::max<int64_t>(0, s.integer(0))));
        return false;
    });
    if (!st || !db_)
        return st;
    // The memory rows and the entries they belong to side by side, both in entry order: each
    // table is read straight through, where a join would look up each entry on its own (half as
    // fast again on a large record). One insertion into the model per entry.
    sqlite::Statement keys = prepare("SELECT id, word, added FROM entries ORDER BY id");
    if (!keys)
        return readFailure(sqlite3_errcode(db_.handle()));
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
                 [&](const sqlite::Statement& s) {
                     const int64_t id = s.integer(0);
                     if (id != current) {
                         flush();
                         current = id;
                         while (keysRc == SQLITE_ROW && keyId < id)
                             if ((keysRc = keys.step()) == SQLITE_ROW)
                                 keyId = keys.integer(0);
                         keyFound = keysRc == SQLITE_ROW && keyId == id;
                         if (keyFound)
                             key = EntryKey{keys.text(1), unpackedTime(keys.integer(2))};
                         else if (keysRc != SQLITE_ROW && keysRc != SQLITE_DONE)
                             return false;
                     }
                     const int64_t skill = s.integer(1);
                     const double stability = s.real(2), difficulty = s.real(3);
                     // Only states the model can have made, of an entry there is: a damaged row
                     // counts as no record.
                     if (!keyFound || !validSkill(skill) || !(stability > 0 && stability <= 36500)
                         || !(difficulty >= 1 && difficulty <= 10))
                         return true;
                     memory.skills[size_t(skill)] = {{stability, difficulty}, localDay(s.integer(4)), int(s.integer(5))};
                     any = true;
                     return true;
                 });
    keys = {};
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
    Status st = eachRow(record_schema::kHasDayTallies, [&](const sqlite::Statement& s) {
        tallied = s.integer(0) > 0;
        return false;
    });
    if (!st)
        return st;
    if (tallied)
        return eachRow("SELECT day, skill, correct, wrong FROM answer_days WHERE day >= ?1 AND skill BETWEEN 0 AND 2"
                       "  AND (correct > 0 OR wrong > 0) ORDER BY day, skill",
                       [&](const sqlite::Statement& s) {
                           out->push_back({int(s.integer(0)) + kJulianDayOf1970, Skill(s.integer(1)),
                                           int(s.integer(2)), int(s.integer(3))});
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
                 [&](const sqlite::Statement& s) {
                     const int64_t skill = s.integer(1);
                     if (!validSkill(skill))
                         return true;
                     const int day = localDay(s.integer(0)) - firstDay;
                     Tally& t = day < kDense ? dense[size_t(day)] : later[day];
                     ++(s.integer(2) == 0 ? t.right : t.wrong)[size_t(skill)];
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
