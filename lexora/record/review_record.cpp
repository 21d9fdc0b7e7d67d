#include "lexora/record/review_record.h"
#include "lexora/record/record_schema.h"
#include "lexora/record/review_record_rows.h"

#include "common/platform/env.h"

#include <QFileInfo>
#include <QUrl>
#include <sqlite3.h>
#include <map>
#include <tuple>
#include <unordered_map>

namespace lex {

using namespace record_rows;

namespace {

constexpr int kBusyMs = 250;

int64_t floorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) & ((a < 0) != (b < 0))); }

QString keyText(const EntryKey& k) { return k.word + QChar(0) + QString::number(packedTime(k.added)); }

// Resets a statement when it goes out of scope, so that no read lock outlives a call. One that
// could not be prepared (a table missing from a damaged record) is left alone.
struct Reset {
    sqlite::Statement& s;
    ~Reset()
    {
        if (s) {
            s.reset();
            s.clearBindings();
        }
    }
};

} // namespace

QString outcomeName(AnswerOutcome o)
{
    switch (o) {
    case AnswerOutcome::Right: return QStringLiteral("right");
    case AnswerOutcome::Wrong: return QStringLiteral("wrong");
    case AnswerOutcome::DontKnow: return QStringLiteral("dontknow");
    }
    return {};
}

QString practiceModeName(PracticeMode m)
{
    switch (m) {
    case PracticeMode::Listen: return QStringLiteral("listen");
    case PracticeMode::Learn: return QStringLiteral("learn");
    case PracticeMode::Drill: return QStringLiteral("drill");
    case PracticeMode::Dictate: return QStringLiteral("dictate");
    case PracticeMode::Cloze: return QStringLiteral("cloze");
    }
    return {};
}

int64_t localMs(const QDateTime& t)
{
    const QDateTime l = t.toLocalTime();
    return QDateTime(l.date(), l.time(), Qt::UTC).toMSecsSinceEpoch();
}

QDateTime fromLocalMs(int64_t ms)
{
    const QDateTime u = QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
    return QDateTime(u.date(), u.time(), Qt::LocalTime);
}

int localDay(int64_t ms) { return int(floorDiv(ms, kDayMs) + kJulianDayOf1970); }

struct ReviewRecord::Statements {
    sqlite::Statement begin, commit, rollback, findEntry, insertEntry, memory, insertAnswer, putMemory, insertStamp,
        insertSpelling, insertAnswers;
};

ReviewRecord::ReviewRecord() = default;
ReviewRecord::~ReviewRecord() { close(); }

QString ReviewRecord::fileFor(const QString& bookPath, const QString& bookName)
{
    return bookPath + bookName + QStringLiteral(".review.db");
}

void ReviewRecord::close()
{
    st_.reset();
    setConnection(nullptr);
    file_.clear();
    broken_ = false;
    fault_.reset();
    faultTaken_ = false;
    ids_.clear();
}

Status ReviewRecord::checkpoint()
{
    if (!db_ || mode_ == Mode::ReadOnly)
        return Status::ok();
    const int rc = sqlite3_wal_checkpoint_v2(db_.handle(), nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
    return rc == SQLITE_OK || (rc & 0xFF) == SQLITE_BUSY ? Status::ok() : fail("checkpoint", rc);
}

void ReviewRecord::setConnection(sqlite3* db)
{
    const std::lock_guard<std::mutex> lock(connectionMutex_);
    if (db_.handle() != db) {
        db_.close();
        db_.exchange(db);
    }
}

void ReviewRecord::interrupt()
{
    interrupted_.store(true, std::memory_order_relaxed);
    // The flag stops a read between rows; sqlite3_interrupt stops one inside a long step.
    const std::lock_guard<std::mutex> lock(connectionMutex_);
    if (db_)
        sqlite3_interrupt(db_.handle());
}

std::optional<RecordFault> ReviewRecord::takeFirstFault()
{
    if (!fault_ || faultTaken_)
        return std::nullopt;
    faultTaken_ = true;
    return fault_;
}

namespace {

Status::Code statusCode(RecordFault::Kind kind)
{
    switch (kind) {
    case RecordFault::Kind::Damaged: return Status::Code::Damaged;
    case RecordFault::Kind::Busy: return Status::Code::Busy;
    case RecordFault::Kind::Foreign:
    case RecordFault::Kind::Newer: return Status::Code::Refused;
    case RecordFault::Kind::Unopenable:
    case RecordFault::Kind::Unwritable:
    case RecordFault::Kind::Unreadable:
    case RecordFault::Kind::Stopped: break;
    }
    return Status::Code::IO;
}

} // namespace

Status ReviewRecord::failed(RecordFault f) const
{
    // The message is for a log line; the learner is told in the program's words (lastFault()).
    QString line = f.file;
    for (const QString* part : {&f.step, &f.detail})
        if (!part->isEmpty())
            line += QStringLiteral(": ") + *part;
    const Status::Code code = statusCode(f.kind);
    lastFault_ = std::move(f);
    return Status::error(code, line);
}

Status ReviewRecord::fault(RecordFault f)
{
    if (!fault_)
        fault_ = f;
    return failed(std::move(f));
}

Status ReviewRecord::fail(const char* what, int rc)
{
    const QString detail = db_ ? db_.error() : QString::fromUtf8(sqlite3_errstr(rc));
    const int primary = rc & 0xFF;
    if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB) {
        broken_ = true;
        return fault(about(RecordFault::Kind::Damaged));
    }
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
        return fault(about(RecordFault::Kind::Busy));
    return fault({RecordFault::Kind::Unwritable, file_, QString::fromLatin1(what), detail});
}

sqlite::Statement ReviewRecord::prepare(const char* sql) const
{
    return sqlite::Statement(db_.handle(), sql, SQLITE_PREPARE_PERSISTENT);
}

Status ReviewRecord::open(const QString& file, Mode mode)
{
    close();
    file_ = file;
    mode_ = mode;
    if (Env::defaultEnv()->fileExists(file) || QFileInfo(file).isSymLink())
        return ensureWritable();
    return Status::ok(); // created by the first write (ReadWrite), or simply empty (ReadOnly)
}

Status ReviewRecord::ensureWritable()
{
    if (broken_)
        return fault_ ? failed(*fault_) : Status::error(QString());
    lastFault_.reset();
    if (db_)
        return mode_ == Mode::ReadOnly ? Status::error(QStringLiteral("read-only")) : Status::ok();
    if (file_.isEmpty())
        return Status::error(QStringLiteral("no record open"));

    const bool readOnly = mode_ == Mode::ReadOnly;
    int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) | SQLITE_OPEN_NOMUTEX;
    QByteArray name = QFile::encodeName(file_);
    // A reader beside no writer: without a write-ahead log the file is complete, and opening it as
    // immutable leaves no -wal and -shm files behind. With a log (a writer at work, or one that was
    // killed) the reader shares it.
    if (readOnly && !Env::defaultEnv()->fileExists(file_ + QStringLiteral("-wal"))) {
        name = QUrl::fromLocalFile(QFileInfo(file_).absoluteFilePath()).toEncoded() + "?immutable=1";
        flags |= SQLITE_OPEN_URI;
    }
    sqlite::Database opened;
    int rc = opened.open(name, flags);
    setConnection(opened.exchange(nullptr));
    auto refuse = [this](RecordFault f) {
        setConnection(nullptr);
        broken_ = true;
        return fault(std::move(f));
    };
    if (rc != SQLITE_OK)
        return refuse(about(RecordFault::Kind::Unopenable, QString::fromUtf8(sqlite3_errstr(rc))));
    sqlite3_busy_timeout(db_.handle(), kBusyMs);
    sqlite3_extended_result_codes(db_.handle(), 1);

    // What the file is: ours, empty, someone else's, damaged, or from a newer version.
    record_schema::Identity identity;
    rc = record_schema::identify(db_.handle(), &identity);
    if (rc != SQLITE_OK) {
        const int primary = rc & 0xFF;
        if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED) {
            setConnection(nullptr);
            return fault(about(RecordFault::Kind::Busy));
        }
        return refuse(about(RecordFault::Kind::Damaged));
    }
    const bool fresh = identity.fresh();
    if (!fresh && !identity.ours())
        return refuse(about(RecordFault::Kind::Foreign));
    if (identity.newer())
        return refuse(about(RecordFault::Kind::Newer));

    if (!readOnly) {
        // A checkpoint copies the log into the file and flushes the disk: tens of milliseconds that
        // must not fall on an answer. The log is let grow to 16 MB (some thousands of answers)
        // before one is forced; checkpoint() does it when a run is over, close() at the end.
        db_.exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA wal_autocheckpoint=4096;"
                 "PRAGMA cache_size=-8192;");
        if (fresh) {
            rc = record_schema::create(db_.handle());
            if (rc != SQLITE_OK) {
                const Status s = fail("create", rc);
                setConnection(nullptr);
                return s;
            }
        } else {
            record_schema::upgrade(db_.handle());
        }
    } else if (fresh) {
        setConnection(nullptr); // an empty file: nothing to read
        return Status::ok();
    }

    st_ = std::make_unique<Statements>();
    st_->begin = prepare("BEGIN IMMEDIATE");
    st_->commit = prepare("COMMIT");
    st_->rollback = prepare("ROLLBACK");
    st_->findEntry = prepare("SELECT id FROM entries WHERE word=?1 AND added=?2");
    st_->insertEntry = prepare("INSERT INTO entries(word, added) VALUES(?1, ?2)");
    st_->memory = prepare("SELECT stability, difficulty, last_at, answers FROM memory WHERE entry=?1 AND skill=?2");
    st_->insertAnswer = prepare("INSERT OR IGNORE INTO answers(entry, mode, skill, outcome, at, duration_ms) "
                                "VALUES(?1, ?2, ?3, ?4, ?5, ?6)");
    st_->putMemory = prepare("INSERT OR REPLACE INTO memory(entry, skill, stability, difficulty, last_at, answers) "
                             "VALUES(?1, ?2, ?3, ?4, ?5, ?6)");
    st_->insertStamp = prepare("INSERT OR IGNORE INTO stamps(entry, kind, at) VALUES(?1, ?2, ?3)");
    // Invalid where the table could not be added (a reader in the way): the grades are then not kept.
    if (!readOnly) {
        bool kept = false;
        eachRow(record_schema::kHasSpelling, [&](const sqlite::Statement& s) {
            kept = s.integer(0) > 0;
            return false;
        });
        if (kept)
            st_->insertSpelling = prepare("INSERT OR REPLACE INTO answer_spelling(answer, verdict) VALUES(?1, ?2)");
    }
    if (!st_->findEntry || !st_->memory)
        return refuse(about(RecordFault::Kind::Damaged));
    return Status::ok();
}

Status ReviewRecord::entryId(const EntryKey& key, bool create, int64_t* id)
{
    const QString k = keyText(key);
    if (const auto it = ids_.constFind(k); it != ids_.constEnd()) {
        *id = *it;
        return Status::ok();
    }
    *id = 0;
    {
        sqlite::Statement& find = st_->findEntry;
        Reset r{find};
        find.bind(1, key.word);
        find.bind(2, sqlite3_int64(packedTime(key.added)));
        const int rc = find.step();
        if (rc == SQLITE_ROW)
            *id = find.integer(0);
        else if (rc != SQLITE_DONE)
            return fail("entries", rc);
    }
    if (!*id && create) {
        if (!st_->insertEntry)
            return fail("entries", SQLITE_READONLY);
        sqlite::Statement& insert = st_->insertEntry;
        Reset r{insert};
        insert.bind(1, key.word);
        insert.bind(2, sqlite3_int64(packedTime(key.added)));
        const int rc = insert.step();
        if (rc != SQLITE_DONE)
            return fail("entries", rc);
        *id = sqlite3_last_insert_rowid(db_.handle());
    }
    if (*id)
        ids_.insert(k, *id);
    return Status::ok();
}

namespace {

// Runs one statement to its end.
int stepDone(sqlite::Statement& s)
{
    Reset r{s};
    const int rc = s.step();
    return rc == SQLITE_DONE || rc == SQLITE_ROW ? SQLITE_OK : rc;
}

} // namespace

Status ReviewRecord::recordAnswer(const EntryKey& key, PracticeMode mode, AnswerOutcome outcome, const QDateTime& at,
                                  int durationMs, std::optional<SpellingVerdict> spelling)
{
    bool given = false;
    return recordAnswers([&](NewAnswer* a) {
        if (given)
            return false;
        *a = {key, mode, outcome, localMs(at), durationMs, spelling};
        return given = true;
    });
}

Status ReviewRecord::readMemory(int64_t entry, Skill skill, SkillMemory* m, int64_t* lastAt)
{
    sqlite::Statement& q = st_->memory;
    Reset r{q};
    q.bind(1, sqlite3_int64(entry));
    q.bind(2, int(skill));
    const int rc = q.step();
    *m = {};
    *lastAt = 0;
    if (rc == SQLITE_ROW) {
        m->state = {q.real(0), q.real(1)};
        *lastAt = q.integer(2);
        m->lastDay = localDay(*lastAt);
        m->answers = int(q.integer(3));
    } else if (rc != SQLITE_DONE) {
        return fail("memory", rc);
    }
    return Status::ok();
}

Status ReviewRecord::writeMemory(int64_t entry, Skill skill, const SkillMemory& m, int64_t lastAt)
{
    sqlite::Statement& put = st_->putMemory;
    Reset r{put};
    put.bind(1, sqlite3_int64(entry));
    put.bind(2, int(skill));
    put.bind(3, m.state.stability);
    put.bind(4, m.state.difficulty);
    put.bind(5, sqlite3_int64(lastAt));
    put.bind(6, m.answers);
    const int rc = put.step();
    return rc == SQLITE_DONE ? Status::ok() : fail("memory", rc);
}

namespace {

// From this many answers in one transaction on, the day tallies are added up once at its end.
constexpr int kTallyAtEnd = 512;

// The trigger that tallies each answer as it comes in, dropped for the rest of a large batch
// inside its transaction (no other connection ever sees it missing): the answers after that are
// tallied here and added once at the end, where the trigger is put back as it was.
class TallyAtEnd {
public:
    explicit TallyAtEnd(sqlite3* db) : db_(db) {}
    // Nothing to do where the record keeps no tallies.
    int start()
    {
        sqlite::Statement q(db_, "SELECT sql FROM sqlite_schema WHERE type='trigger' AND name='answer_days_in'");
        if (!q)
            return sqlite3_errcode(db_);
        const int rc = q.step();
        if (rc != SQLITE_ROW)
            return rc == SQLITE_DONE ? SQLITE_OK : rc;
        trigger_ = q.bytes(0).toByteArray();
        q = {};
        return sqlite3_exec(db_, "DROP TRIGGER answer_days_in", nullptr, nullptr, nullptr);
    }
    void add(int64_t at, Skill skill, AnswerOutcome outcome)
    {
        if (trigger_.isEmpty())
            return;
        // By days since 1970 (floored) and skill, as the trigger counts.
        auto& [right, wrong] = days_[{floorDiv(at, kDayMs), int(skill)}];
        ++(outcome == AnswerOutcome::Right ? right : wrong);
    }
    int finish()
    {
        if (trigger_.isEmpty())
            return SQLITE_OK;
        sqlite::Statement put(db_, "INSERT INTO answer_days VALUES(?1, ?2, ?3, ?4) ON CONFLICT(day, skill) DO UPDATE"
                                   " SET correct = correct + excluded.correct, wrong = wrong + excluded.wrong");
        if (!put)
            return sqlite3_errcode(db_);
        for (const auto& [day, counts] : days_) {
            put.bind(1, sqlite3_int64(day.first));
            put.bind(2, day.second);
            put.bind(3, counts.first);
            put.bind(4, counts.second);
            if (const int rc = put.step(); rc != SQLITE_DONE)
                return rc;
            put.reset();
        }
        put = {};
        const int rc = sqlite3_exec(db_, trigger_.constData(), nullptr, nullptr, nullptr);
        trigger_.clear();
        return rc;
    }

private:
    sqlite3* db_;
    QByteArray trigger_;
    std::map<std::pair<int64_t, int>, std::pair<int, int>> days_;
};

} // namespace

Status ReviewRecord::recordAnswers(const std::function<bool(NewAnswer*)>& next, int* addedCount)
{
    if (addedCount)
        *addedCount = 0;
    if (Status s = ensureWritable(); !s)
        return s;
    int rc = stepDone(st_->begin);
    if (rc != SQLITE_OK)
        return fail("begin", rc);

    // Each entry met: its memory per skill, read once and carried forward answer by answer while
    // the answers come in time order; an entry with an answer older than its last one is
    // replayed from the record instead (the clock was put back, or answers were merged).
    struct Touched {
        EntryKey key;
        std::array<SkillMemory, kSkillCount> memory{};
        std::array<int64_t, kSkillCount> lastAt{};
        uint8_t loaded = 0, changed = 0;
        bool replay = false;
    };
    std::unordered_map<int64_t, Touched> touched;
    const FsrsScheduler scheduler; // the retention plays no part in the memory itself
    Status s;
    NewAnswer a;
    TallyAtEnd tally(db_.handle());
    int count = 0, newOnes = 0;
    EntryKey lastKey;
    int64_t id = 0;

    // An answer that went in: tallied, and its skill's memory carried forward.
    auto took = [&](int64_t entry, Skill skill, AnswerOutcome outcome, int64_t at) {
        ++newOnes;
        tally.add(at, skill, outcome);
        const size_t k = size_t(skill);
        const uint8_t bit = uint8_t(1u << k);
        Touched& t = touched[entry];
        if (!(t.loaded & bit)) {
            if (Status st = readMemory(entry, skill, &t.memory[k], &t.lastAt[k]); !st)
                return st;
            t.loaded |= bit;
        }
        if (t.replay)
            return Status::ok(); // replayed at the end anyway
        SkillMemory& m = t.memory[k];
        if (m.answers > 0 && at < t.lastAt[k]) {
            t.replay = true;
            return Status::ok();
        }
        const int day = localDay(at);
        m.state = scheduler.next(m.state, day - m.lastDay, gradeOf(outcome));
        m.lastDay = day;
        ++m.answers;
        t.lastAt[k] = at;
        t.changed |= bit;
        return Status::ok();
    };
    // One answer's six columns, from parameter `p` on.
    auto bindAnswer = [](sqlite::Statement& ins, int p, int64_t entry, const NewAnswer& one) {
        ins.bind(p, sqlite3_int64(entry));
        ins.bind(p + 1, int(one.mode));
        ins.bind(p + 2, int(skillOf(one.mode)));
        ins.bind(p + 3, int(one.outcome));
        ins.bind(p + 4, sqlite3_int64(one.at));
        ins.bind(p + 5, one.durationMs < 0 ? 0 : one.durationMs);
    };
    // One answer by itself; `added` says whether it went in (not recorded before).
    auto insertOne = [&](int64_t entry, const NewAnswer& one, bool* added) {
        sqlite::Statement& ins = st_->insertAnswer;
        Reset r{ins};
        bindAnswer(ins, 1, entry, one);
        const int rc = ins.step();
        *added = sqlite3_changes(db_.handle()) > 0;
        return rc == SQLITE_DONE ? Status::ok() : fail("answers", rc);
    };
    // Answers without a grade go in kRows at a time, one statement for them all. Which of them
    // went in shows in the rows after the last one before them, when not all did.
    constexpr int kRows = 32;
    std::vector<std::pair<int64_t, NewAnswer>> pending;
    int64_t lastRow = -1; // the last answer row, once a batch needs it
    auto flush = [&]() -> Status {
        if (int(pending.size()) < kRows) {
            for (const auto& [entry, one] : pending) {
                bool added = false;
                if (Status st = insertOne(entry, one, &added); !st)
                    return st;
                if (added)
                    if (Status st = took(entry, skillOf(one.mode), one.outcome, one.at); !st)
                        return st;
            }
            lastRow = -1;
            pending.clear();
            return Status::ok();
        }
        if (!st_->insertAnswers) {
            QByteArray sql = "INSERT OR IGNORE INTO answers(entry, mode, skill, outcome, at, duration_ms) VALUES(?,?,?,?,?,?)";
            for (int i = 1; i < kRows; ++i)
                sql += ",(?,?,?,?,?,?)";
            st_->insertAnswers = prepare(sql.constData());
        }
        if (lastRow < 0) {
            const int rc = eachRow("SELECT coalesce(max(id), 0) FROM answers", [&](const sqlite::Statement& q) {
                lastRow = q.integer(0);
                return false;
            }) ? SQLITE_OK : SQLITE_ERROR;
            if (rc != SQLITE_OK || !st_->insertAnswers)
                return fail("answers", sqlite3_errcode(db_.handle()));
        }
        sqlite::Statement& ins = st_->insertAnswers;
        int changes = 0;
        {
            Reset r{ins};
            int p = 1;
            for (const auto& [entry, one] : pending) {
                bindAnswer(ins, p, entry, one);
                p += 6;
            }
            if (const int rc = ins.step(); rc != SQLITE_DONE)
                return fail("answers", rc);
            changes = sqlite3_changes(db_.handle());
        }
        const int64_t before = lastRow;
        if (changes > 0)
            lastRow = sqlite3_last_insert_rowid(db_.handle());
        if (changes == kRows) {
            for (const auto& [entry, one] : pending)
                if (Status st = took(entry, skillOf(one.mode), one.outcome, one.at); !st)
                    return st;
        } else if (changes > 0) {
            std::vector<std::tuple<int64_t, int64_t, int64_t, int64_t>> rows;
            if (Status st = eachRow("SELECT entry, skill, outcome, at FROM answers WHERE id > ?1 ORDER BY id",
                                    [&](const sqlite::Statement& q) {
                                        rows.emplace_back(q.integer(0), q.integer(1), q.integer(2), q.integer(3));
                                        return true;
                                    }, before);
                !st)
                return fail("answers", sqlite3_errcode(db_.handle()));
            for (const auto& [entry, skill, outcome, at] : rows)
                if (Status st = took(entry, Skill(skill), AnswerOutcome(outcome), at); !st)
                    return st;
        }
        pending.clear();
        return Status::ok();
    };

    while (s && next(&a)) {
        // A batch comes entry by entry more often than not (a merge, an import).
        if (id == 0 || a.key.word != lastKey.word || a.key.added != lastKey.added) {
            if (!(s = entryId(a.key, true, &id)))
                break;
            lastKey = a.key;
        }
        if (++count == kTallyAtEnd && (rc = tally.start()) != SQLITE_OK) {
            s = fail("answer_days", rc);
            break;
        }
        Touched& t = touched[id];
        if (t.loaded == 0 && t.changed == 0)
            t.key = a.key;
        if (!a.spelling) {
            pending.emplace_back(id, a);
            if (int(pending.size()) == kRows)
                s = flush();
            continue;
        }
        // A typed answer's grade goes beside its row.
        if (!(s = flush()))
            break;
        bool added = false;
        if (!(s = insertOne(id, a, &added)))
            break;
        lastRow = -1;
        if (added && st_->insertSpelling) {
            sqlite::Statement& sp = st_->insertSpelling;
            Reset r{sp};
            sp.bind(1, sqlite3_int64(sqlite3_last_insert_rowid(db_.handle())));
            sp.bind(2, int(*a.spelling));
            if ((rc = sp.step()) != SQLITE_DONE) {
                s = fail("answer_spelling", rc);
                break;
            }
        }
        if (added)
            s = took(id, skillOf(a.mode), a.outcome, a.at);
    }
    if (s)
        s = flush();
    bool replayed = false;
    for (auto& [entry, t] : touched) {
        if (!s)
            break;
        if (t.replay) {
            s = rebuildMemory(entry);
            replayed = true;
            continue;
        }
        for (size_t k = 0; k < kSkillCount && s; ++k)
            if (t.changed & (1u << k))
                s = writeMemory(entry, Skill(k), t.memory[k], t.lastAt[k]);
    }
    if (s && (rc = tally.finish()) != SQLITE_OK)
        s = fail("answer_days", rc);
    if (s && (rc = stepDone(st_->commit)) != SQLITE_OK)
        s = fail("commit", rc);
    if (!s) {
        stepDone(st_->rollback);
        ids_.clear(); // entry rows made in the abandoned transaction are gone
        return s;
    }
    ++answerChanges_;
    if (addedCount)
        *addedCount = newOnes;
    if (attached_) {
        if (replayed)
            return loadModel(attached_);
        for (const auto& [id, t] : touched)
            for (size_t k = 0; k < kSkillCount; ++k)
                if (t.changed & (1u << k))
                    attached_->set(t.key, Skill(k), t.memory[k]);
    }
    return Status::ok();
}

Status ReviewRecord::recordStamp(const EntryKey& key, StampKind kind, const QDateTime& at)
{
    bool given = false;
    return recordStamps([&](NewStamp* st) {
        if (given)
            return false;
        *st = {key, kind, localMs(at)};
        return given = true;
    });
}

Status ReviewRecord::recordStamps(const std::function<bool(NewStamp*)>& next, int* added)
{
    if (added)
        *added = 0;
    if (Status s = ensureWritable(); !s)
        return s;
    int rc = stepDone(st_->begin);
    if (rc != SQLITE_OK)
        return fail("begin", rc);
    Status s;
    NewStamp st;
    int newOnes = 0;
    while (s && next(&st)) {
        int64_t id = 0;
        if (!(s = entryId(st.key, true, &id)))
            break;
        sqlite::Statement& ins = st_->insertStamp;
        Reset r{ins};
        ins.bind(1, sqlite3_int64(id));
        ins.bind(2, int(st.kind));
        ins.bind(3, sqlite3_int64(st.at));
        if ((rc = ins.step()) != SQLITE_DONE) {
            s = fail("stamps", rc);
            break;
        }
        newOnes += sqlite3_changes(db_.handle()) > 0;
    }
    if (s && (rc = stepDone(st_->commit)) != SQLITE_OK)
        s = fail("commit", rc);
    if (!s) {
        stepDone(st_->rollback);
        ids_.clear();
        return s;
    }
    if (added)
        *added = newOnes;
    return s;
}

Status ReviewRecord::rebuildMemory(int64_t entry)
{
    sqlite::Statement del = prepare("DELETE FROM memory WHERE entry=?1");
    sqlite::Statement read = prepare("SELECT skill, outcome, at FROM answers WHERE entry=?1 ORDER BY skill, at, id");
    if (!del || !read)
        return fail("memory", sqlite3_errcode(db_.handle()));
    del.bind(1, sqlite3_int64(entry));
    int rc = del.step();
    std::array<SkillMemory, kSkillCount> skills{};
    std::array<int64_t, kSkillCount> last{};
    const FsrsScheduler scheduler;
    read.bind(1, sqlite3_int64(entry));
    while (rc == SQLITE_DONE || rc == SQLITE_ROW) {
        rc = read.step();
        if (rc != SQLITE_ROW)
            break;
        const int64_t skill = read.integer(0), outcome = read.integer(1);
        if (!validSkill(skill) || !validOutcome(outcome))
            continue;
        SkillMemory& m = skills[size_t(skill)];
        const int64_t at = read.integer(2);
        const int day = localDay(at);
        m.state = scheduler.next(m.state, day - m.lastDay, gradeOf(AnswerOutcome(outcome)));
        m.lastDay = day;
        ++m.answers;
        last[size_t(skill)] = at;
    }
    del = {};
    read = {};
    if (rc != SQLITE_DONE)
        return fail("memory", rc);
    for (size_t k = 0; k < skills.size(); ++k)
        if (skills[k].answers)
            if (Status s = writeMemory(entry, Skill(k), skills[k], last[k]); !s)
                return s;
    return Status::ok();
}

Status ReviewRecord::renameEntry(const EntryKey& from, const EntryKey& to)
{
    if (from == to || (!db_ && !Env::defaultEnv()->fileExists(file_)))
        return Status::ok(); // nothing recorded yet
    if (Status s = ensureWritable(); !s)
        return s;
    int rc = stepDone(st_->begin);
    if (rc != SQLITE_OK)
        return fail("begin", rc);
    int64_t old = 0, target = 0;
    Status s = entryId(from, false, &old);
    if (s && old)
        s = entryId(to, false, &target);
    if (s && old) {
        QByteArray sql;
        if (!target) {
            sqlite::Statement u = prepare("UPDATE entries SET word=?1, added=?2 WHERE id=?3");
            u.bind(1, to.word);
            u.bind(2, sqlite3_int64(packedTime(to.added)));
            u.bind(3, sqlite3_int64(old));
            rc = u.step();
            if (rc != SQLITE_DONE)
                s = fail("rename", rc);
        } else {
            // Both have a record: the answers join the target's, the old key's row goes.
            sql = "UPDATE OR IGNORE answers SET entry=" + QByteArray::number(target) + " WHERE entry=" + QByteArray::number(old)
                  + "; UPDATE OR IGNORE stamps SET entry=" + QByteArray::number(target) + " WHERE entry="
                  + QByteArray::number(old) + "; DELETE FROM answers WHERE entry=" + QByteArray::number(old)
                  + "; DELETE FROM stamps WHERE entry=" + QByteArray::number(old) + "; DELETE FROM memory WHERE entry="
                  + QByteArray::number(old) + "; DELETE FROM entries WHERE id=" + QByteArray::number(old) + ";";
            rc = db_.exec(sql.constData());
            s = rc == SQLITE_OK ? rebuildMemory(target) : fail("rename", rc);
        }
    }
    if (s && (rc = stepDone(st_->commit)) != SQLITE_OK)
        s = fail("commit", rc);
    if (!s)
        stepDone(st_->rollback);
    ids_.clear();
    if (s && old)
        ++answerChanges_;
    if (s && old && attached_)
        attached_->rename(from, to);
    return s;
}

Status ReviewRecord::copyEntriesTo(ReviewRecord& target, const std::vector<EntryKey>& keys)
{
    if (!db_ || !st_)
        return broken_ && fault_ ? failed(*fault_) : Status::ok(); // nothing recorded here
    // What to copy: the given keys that have a record here, or every entry.
    std::vector<std::pair<EntryKey, int64_t>> from;
    if (keys.empty()) {
        sqlite::Statement all = prepare("SELECT id, word, added FROM entries ORDER BY id");
        while (all && all.step() == SQLITE_ROW)
            from.push_back({EntryKey{all.text(1), unpackedTime(all.integer(2))}, all.integer(0)});
    } else {
        for (const EntryKey& k : keys) {
            int64_t id = 0;
            if (Status s = entryId(k, false, &id); !s)
                return s;
            if (id)
                from.push_back({k, id});
        }
    }
    if (from.empty())
        return Status::ok();
    if (Status s = target.ensureWritable(); !s)
        return s;

    sqlite::Statement answers = prepare("SELECT mode, skill, outcome, at, duration_ms FROM answers WHERE entry=?1");
    sqlite::Statement stamps = prepare("SELECT kind, at FROM stamps WHERE entry=?1");
    int rc = stepDone(target.st_->begin);
    Status s = rc == SQLITE_OK ? Status::ok() : target.fail("begin", rc);
    for (const auto& [key, id] : from) {
        if (!s)
            break;
        int64_t to = 0;
        s = target.entryId(key, true, &to);
        answers.bind(1, sqlite3_int64(id));
        while (s && answers.step() == SQLITE_ROW) {
            sqlite::Statement& ins = target.st_->insertAnswer;
            Reset r{ins};
            ins.bind(1, sqlite3_int64(to));
            for (int c = 0; c < 5; ++c)
                ins.bind(c + 2, answers.integer(c));
            if ((rc = ins.step()) != SQLITE_DONE)
                s = target.fail("answers", rc);
        }
        answers.reset();
        stamps.bind(1, sqlite3_int64(id));
        while (s && stamps.step() == SQLITE_ROW) {
            sqlite::Statement& ins = target.st_->insertStamp;
            Reset r{ins};
            ins.bind(1, sqlite3_int64(to));
            ins.bind(2, stamps.integer(0));
            ins.bind(3, stamps.integer(1));
            if ((rc = ins.step()) != SQLITE_DONE)
                s = target.fail("stamps", rc);
        }
        stamps.reset();
        if (s)
            s = target.rebuildMemory(to);
    }
    answers = {};
    stamps = {};
    if (s && (rc = stepDone(target.st_->commit)) != SQLITE_OK)
        s = target.fail("commit", rc);
    if (!s)
        stepDone(target.st_->rollback);
    target.ids_.clear();
    if (s)
        ++target.answerChanges_;
    if (s && target.attached_)
        target.loadModel(target.attached_);
    return s;
}

} // namespace lex
