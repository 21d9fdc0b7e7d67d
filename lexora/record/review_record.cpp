#include "lexora/record/review_record.h"
#include "lexora/record/review_record_rows.h"

#include "common/platform/env.h"

#include <QFileInfo>
#include <QUrl>
#include <sqlite3.h>
#include <unordered_map>

namespace lex {

using namespace record_rows;

namespace {

// "LxRv": tells our records from other SQLite files.
constexpr int kApplicationId = 0x4C785276;
constexpr int kBusyMs = 250;

const char kSchema[] =
    "CREATE TABLE entries(id INTEGER PRIMARY KEY, word TEXT NOT NULL, added INTEGER NOT NULL,"
    "  UNIQUE(word, added));"
    "CREATE TABLE answers(id INTEGER PRIMARY KEY, entry INTEGER NOT NULL, mode INTEGER NOT NULL,"
    "  skill INTEGER NOT NULL, outcome INTEGER NOT NULL, at INTEGER NOT NULL, duration_ms INTEGER NOT NULL,"
    "  UNIQUE(entry, skill, at));"
    "CREATE INDEX answers_at ON answers(at);"
    "CREATE TABLE stamps(id INTEGER PRIMARY KEY, entry INTEGER NOT NULL, kind INTEGER NOT NULL,"
    "  at INTEGER NOT NULL, UNIQUE(entry, kind, at));"
    // Derived from the answers (rebuilt from them when in doubt), kept so that the plan of a
    // large Book needs no replay of every answer.
    "CREATE TABLE memory(entry INTEGER NOT NULL, skill INTEGER NOT NULL, stability REAL NOT NULL,"
    "  difficulty REAL NOT NULL, last_at INTEGER NOT NULL, answers INTEGER NOT NULL,"
    "  PRIMARY KEY(entry, skill)) WITHOUT ROWID;";

// Answers per local day (days since 1970) and skill, kept by SQLite itself as answers come and go,
// whatever version of ours writes them, so that the statistics need not count every answer of a
// large record. A record made before it gets it when first opened for writing; until then its
// answers are counted (answersPerDay()).
#define LEX_DAY_OF(at) "(" at " / 86400000 - (" at " < 0 AND " at " % 86400000 <> 0))"
const char kDayTallies[] =
    "CREATE TABLE answer_days(day INTEGER NOT NULL, skill INTEGER NOT NULL, correct INTEGER NOT NULL,"
    "  wrong INTEGER NOT NULL, PRIMARY KEY(day, skill)) WITHOUT ROWID;"
    "CREATE TRIGGER answer_days_in AFTER INSERT ON answers BEGIN"
    "  INSERT INTO answer_days VALUES(" LEX_DAY_OF("NEW.at") ", NEW.skill, NEW.outcome = 0, NEW.outcome <> 0)"
    "  ON CONFLICT(day, skill) DO UPDATE SET correct = correct + excluded.correct, wrong = wrong + excluded.wrong;"
    "END;"
    "CREATE TRIGGER answer_days_out AFTER DELETE ON answers BEGIN"
    "  UPDATE answer_days SET correct = correct - (OLD.outcome = 0), wrong = wrong - (OLD.outcome <> 0)"
    "  WHERE day = " LEX_DAY_OF("OLD.at") " AND skill = OLD.skill;"
    "END;"
    "CREATE TRIGGER answer_days_moved AFTER UPDATE OF skill, outcome, at ON answers BEGIN"
    "  UPDATE answer_days SET correct = correct - (OLD.outcome = 0), wrong = wrong - (OLD.outcome <> 0)"
    "  WHERE day = " LEX_DAY_OF("OLD.at") " AND skill = OLD.skill;"
    "  INSERT INTO answer_days VALUES(" LEX_DAY_OF("NEW.at") ", NEW.skill, NEW.outcome = 0, NEW.outcome <> 0)"
    "  ON CONFLICT(day, skill) DO UPDATE SET correct = correct + excluded.correct, wrong = wrong + excluded.wrong;"
    "END;";
const char kFillDayTallies[] =
    "INSERT INTO answer_days SELECT " LEX_DAY_OF("at") ", skill, sum(outcome = 0), sum(outcome <> 0) FROM answers"
    "  GROUP BY 1, 2;";
#undef LEX_DAY_OF

int64_t floorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) & ((a < 0) != (b < 0))); }

QString keyText(const EntryKey& k) { return k.word + QChar(0) + QString::number(packedTime(k.added)); }

void bindText(sqlite3_stmt* s, int i, const QString& t)
{
    sqlite3_bind_text16(s, i, t.utf16(), int(t.size() * 2), SQLITE_TRANSIENT);
}

// Resets a statement when it goes out of scope, so that no read lock outlives a call.
struct Reset {
    sqlite3_stmt* s;
    ~Reset()
    {
        if (s) {
            sqlite3_reset(s);
            sqlite3_clear_bindings(s);
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
    sqlite3_stmt* begin = nullptr;
    sqlite3_stmt* commit = nullptr;
    sqlite3_stmt* rollback = nullptr;
    sqlite3_stmt* findEntry = nullptr;
    sqlite3_stmt* insertEntry = nullptr;
    sqlite3_stmt* memory = nullptr;
    sqlite3_stmt* insertAnswer = nullptr;
    sqlite3_stmt* putMemory = nullptr;
    sqlite3_stmt* insertStamp = nullptr;
    ~Statements()
    {
        for (sqlite3_stmt* s : {begin, commit, rollback, findEntry, insertEntry, memory, insertAnswer, putMemory, insertStamp})
            sqlite3_finalize(s);
    }
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
    const int rc = sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
    return rc == SQLITE_OK || (rc & 0xFF) == SQLITE_BUSY ? Status::ok() : fail("checkpoint", rc);
}

void ReviewRecord::setConnection(sqlite3* db)
{
    const std::lock_guard<std::mutex> lock(connectionMutex_);
    if (db_ && db_ != db)
        sqlite3_close_v2(db_);
    db_ = db;
}

void ReviewRecord::interrupt()
{
    interrupted_.store(true, std::memory_order_relaxed);
    // The flag stops a read between rows; sqlite3_interrupt stops one inside a long step.
    const std::lock_guard<std::mutex> lock(connectionMutex_);
    if (db_)
        sqlite3_interrupt(db_);
}

std::optional<QString> ReviewRecord::takeFirstFault()
{
    if (!fault_ || faultTaken_)
        return std::nullopt;
    faultTaken_ = true;
    return fault_;
}

Status ReviewRecord::fault(const QString& what)
{
    if (!fault_)
        fault_ = what;
    return Status::error(what);
}

Status ReviewRecord::fail(const char* what, int rc)
{
    const QString detail = db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QString::fromUtf8(sqlite3_errstr(rc));
    const int primary = rc & 0xFF;
    if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB) {
        broken_ = true;
        return fault(QStringLiteral("学习记录已损坏，练习照常进行但不再记录：%1").arg(file_));
    }
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
        return fault(QStringLiteral("学习记录被另一个程序占用，这次的练习未能记录：%1").arg(file_));
    return fault(QStringLiteral("无法写入学习记录：%1（%2：%3）").arg(file_, QLatin1String(what), detail));
}

sqlite3_stmt* ReviewRecord::prepare(const char* sql) const
{
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) != SQLITE_OK)
        return nullptr;
    return s;
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
        return Status::error(fault_.value_or(QString()));
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
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(name.constData(), &db, flags, nullptr);
    setConnection(db);
    auto refuse = [this](const QString& message) {
        setConnection(nullptr);
        broken_ = true;
        return fault(message);
    };
    if (rc != SQLITE_OK)
        return refuse(QStringLiteral("无法打开学习记录：%1（%2）").arg(file_, QString::fromUtf8(sqlite3_errstr(rc))));
    sqlite3_busy_timeout(db_, kBusyMs);
    sqlite3_extended_result_codes(db_, 1);

    // What the file is: ours, empty, someone else's, damaged, or from a newer version.
    auto pragmaInt = [this](const char* sql, int* v) {
        sqlite3_stmt* s = nullptr;
        int r = sqlite3_prepare_v2(db_, sql, -1, &s, nullptr);
        if (r == SQLITE_OK) {
            r = sqlite3_step(s);
            if (r == SQLITE_ROW) {
                *v = sqlite3_column_int(s, 0);
                r = SQLITE_OK;
            }
        }
        sqlite3_finalize(s);
        return r;
    };
    int appId = 0, version = 0, tables = 0;
    rc = pragmaInt("PRAGMA application_id", &appId);
    if (rc == SQLITE_OK)
        rc = pragmaInt("PRAGMA user_version", &version);
    if (rc == SQLITE_OK)
        rc = pragmaInt("SELECT count(*) FROM sqlite_schema", &tables);
    if (rc != SQLITE_OK) {
        const int primary = rc & 0xFF;
        if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED) {
            setConnection(nullptr);
            return fault(QStringLiteral("学习记录被另一个程序占用，这次的练习未能记录：%1").arg(file_));
        }
        return refuse(QStringLiteral("学习记录已损坏，练习照常进行但不再记录：%1").arg(file_));
    }
    const bool fresh = appId == 0 && version == 0 && tables == 0;
    if (!fresh && appId != kApplicationId)
        return refuse(QStringLiteral("这不是本程序的学习记录，未被打开也不会被改动：%1").arg(file_));
    if (version > kSchemaVersion)
        return refuse(QStringLiteral("学习记录由较新版本的程序写成，未被打开也不会被改动：%1").arg(file_));

    if (!readOnly) {
        // A checkpoint copies the log into the file and flushes the disk: tens of milliseconds that
        // must not fall on an answer. The log is let grow to 16 MB (some thousands of answers)
        // before one is forced; checkpoint() does it when a run is over, close() at the end.
        sqlite3_exec(db_, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA wal_autocheckpoint=4096;"
                          "PRAGMA cache_size=-8192;", nullptr, nullptr, nullptr);
        if (fresh) {
            const QByteArray sql = QByteArray("BEGIN IMMEDIATE;") + kSchema + kDayTallies
                                   + QByteArray("PRAGMA application_id=") + QByteArray::number(kApplicationId)
                                   + "; PRAGMA user_version=" + QByteArray::number(kSchemaVersion) + "; COMMIT;";
            rc = sqlite3_exec(db_, sql.constData(), nullptr, nullptr, nullptr);
            if (rc != SQLITE_OK) {
                sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
                const Status s = fail("create", rc);
                setConnection(nullptr);
                return s;
            }
        } else {
            // A record made before the day tallies: they are made once, from its answers. Should
            // that fail (another writer in the way), its answers are counted until the next open.
            int tallies = 0;
            if (pragmaInt(kHasDayTallies, &tallies) == SQLITE_OK
                && tallies == 0) {
                const QByteArray sql = QByteArray("BEGIN IMMEDIATE;") + kDayTallies + kFillDayTallies + "COMMIT;";
                if (sqlite3_exec(db_, sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
                    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
            }
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
    if (!st_->findEntry || !st_->memory)
        return refuse(QStringLiteral("学习记录已损坏，练习照常进行但不再记录：%1").arg(file_));
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
        Reset r{st_->findEntry};
        bindText(st_->findEntry, 1, key.word);
        sqlite3_bind_int64(st_->findEntry, 2, packedTime(key.added));
        const int rc = sqlite3_step(st_->findEntry);
        if (rc == SQLITE_ROW)
            *id = sqlite3_column_int64(st_->findEntry, 0);
        else if (rc != SQLITE_DONE)
            return fail("entries", rc);
    }
    if (!*id && create) {
        if (!st_->insertEntry)
            return fail("entries", SQLITE_READONLY);
        Reset r{st_->insertEntry};
        bindText(st_->insertEntry, 1, key.word);
        sqlite3_bind_int64(st_->insertEntry, 2, packedTime(key.added));
        const int rc = sqlite3_step(st_->insertEntry);
        if (rc != SQLITE_DONE)
            return fail("entries", rc);
        *id = sqlite3_last_insert_rowid(db_);
    }
    if (*id)
        ids_.insert(k, *id);
    return Status::ok();
}

namespace {

// Runs one statement to its end.
int stepDone(sqlite3_stmt* s)
{
    Reset r{s};
    const int rc = sqlite3_step(s);
    return rc == SQLITE_DONE || rc == SQLITE_ROW ? SQLITE_OK : rc;
}

} // namespace

Status ReviewRecord::recordAnswer(const EntryKey& key, PracticeMode mode, AnswerOutcome outcome, const QDateTime& at,
                                  int durationMs)
{
    bool given = false;
    return recordAnswers([&](NewAnswer* a) {
        if (given)
            return false;
        *a = {key, mode, outcome, localMs(at), durationMs};
        return given = true;
    });
}

Status ReviewRecord::readMemory(int64_t entry, Skill skill, SkillMemory* m, int64_t* lastAt)
{
    Reset r{st_->memory};
    sqlite3_bind_int64(st_->memory, 1, entry);
    sqlite3_bind_int(st_->memory, 2, int(skill));
    const int rc = sqlite3_step(st_->memory);
    *m = {};
    *lastAt = 0;
    if (rc == SQLITE_ROW) {
        m->state = {sqlite3_column_double(st_->memory, 0), sqlite3_column_double(st_->memory, 1)};
        *lastAt = sqlite3_column_int64(st_->memory, 2);
        m->lastDay = localDay(*lastAt);
        m->answers = sqlite3_column_int(st_->memory, 3);
    } else if (rc != SQLITE_DONE) {
        return fail("memory", rc);
    }
    return Status::ok();
}

Status ReviewRecord::writeMemory(int64_t entry, Skill skill, const SkillMemory& m, int64_t lastAt)
{
    Reset r{st_->putMemory};
    sqlite3_bind_int64(st_->putMemory, 1, entry);
    sqlite3_bind_int(st_->putMemory, 2, int(skill));
    sqlite3_bind_double(st_->putMemory, 3, m.state.stability);
    sqlite3_bind_double(st_->putMemory, 4, m.state.difficulty);
    sqlite3_bind_int64(st_->putMemory, 5, lastAt);
    sqlite3_bind_int(st_->putMemory, 6, m.answers);
    const int rc = sqlite3_step(st_->putMemory);
    return rc == SQLITE_DONE ? Status::ok() : fail("memory", rc);
}

Status ReviewRecord::recordAnswers(const std::function<bool(NewAnswer*)>& next)
{
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
    while (s && next(&a)) {
        int64_t id = 0;
        if (!(s = entryId(a.key, true, &id)))
            break;
        const Skill skill = skillOf(a.mode);
        const size_t k = size_t(skill);
        const uint8_t bit = uint8_t(1u << k);
        Touched& t = touched[id];
        if (t.loaded == 0 && t.changed == 0)
            t.key = a.key;
        if (!(t.loaded & bit)) {
            if (!(s = readMemory(id, skill, &t.memory[k], &t.lastAt[k])))
                break;
            t.loaded |= bit;
        }
        {
            sqlite3_stmt* ins = st_->insertAnswer;
            Reset r{ins};
            sqlite3_bind_int64(ins, 1, id);
            sqlite3_bind_int(ins, 2, int(a.mode));
            sqlite3_bind_int(ins, 3, int(skill));
            sqlite3_bind_int(ins, 4, int(a.outcome));
            sqlite3_bind_int64(ins, 5, a.at);
            sqlite3_bind_int(ins, 6, a.durationMs < 0 ? 0 : a.durationMs);
            if ((rc = sqlite3_step(ins)) != SQLITE_DONE) {
                s = fail("answers", rc);
                break;
            }
        }
        if (sqlite3_changes(db_) == 0 || t.replay)
            continue; // recorded already (a copy made twice), or replayed at the end anyway
        SkillMemory& m = t.memory[k];
        if (m.answers > 0 && a.at < t.lastAt[k]) {
            t.replay = true;
            continue;
        }
        const int day = localDay(a.at);
        m.state = scheduler.review(m.state, day - m.lastDay, gradeOf(a.outcome)).after;
        m.lastDay = day;
        ++m.answers;
        t.lastAt[k] = a.at;
        t.changed |= bit;
    }
    bool replayed = false;
    for (auto& [id, t] : touched) {
        if (!s)
            break;
        if (t.replay) {
            s = rebuildMemory(id);
            replayed = true;
            continue;
        }
        for (size_t k = 0; k < kSkillCount && s; ++k)
            if (t.changed & (1u << k))
                s = writeMemory(id, Skill(k), t.memory[k], t.lastAt[k]);
    }
    if (s && (rc = stepDone(st_->commit)) != SQLITE_OK)
        s = fail("commit", rc);
    if (!s) {
        stepDone(st_->rollback);
        ids_.clear(); // entry rows made in the abandoned transaction are gone
        return s;
    }
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
    if (Status s = ensureWritable(); !s)
        return s;
    int rc = stepDone(st_->begin);
    if (rc != SQLITE_OK)
        return fail("begin", rc);
    int64_t id = 0;
    Status s = entryId(key, true, &id);
    if (s) {
        Reset r{st_->insertStamp};
        sqlite3_bind_int64(st_->insertStamp, 1, id);
        sqlite3_bind_int(st_->insertStamp, 2, int(kind));
        sqlite3_bind_int64(st_->insertStamp, 3, localMs(at));
        rc = sqlite3_step(st_->insertStamp);
        if (rc == SQLITE_DONE)
            rc = stepDone(st_->commit);
        if (rc != SQLITE_OK && rc != SQLITE_DONE)
            s = fail("stamps", rc);
    }
    if (!s) {
        stepDone(st_->rollback);
        ids_.clear();
    }
    return s;
}

Status ReviewRecord::rebuildMemory(int64_t entry)
{
    sqlite3_stmt* del = prepare("DELETE FROM memory WHERE entry=?1");
    sqlite3_stmt* read = prepare("SELECT skill, outcome, at FROM answers WHERE entry=?1 ORDER BY skill, at, id");
    Reset rd{del}, rr{read};
    if (!del || !read) {
        sqlite3_finalize(del);
        sqlite3_finalize(read);
        return fail("memory", sqlite3_errcode(db_));
    }
    sqlite3_bind_int64(del, 1, entry);
    int rc = sqlite3_step(del);
    std::array<SkillMemory, kSkillCount> skills{};
    std::array<int64_t, kSkillCount> last{};
    const FsrsScheduler scheduler;
    sqlite3_bind_int64(read, 1, entry);
    while (rc == SQLITE_DONE || rc == SQLITE_ROW) {
        rc = sqlite3_step(read);
        if (rc != SQLITE_ROW)
            break;
        const int64_t skill = sqlite3_column_int64(read, 0), outcome = sqlite3_column_int64(read, 1);
        if (!validSkill(skill) || !validOutcome(outcome))
            continue;
        SkillMemory& m = skills[size_t(skill)];
        const int64_t at = sqlite3_column_int64(read, 2);
        const int day = localDay(at);
        m.state = scheduler.review(m.state, day - m.lastDay, gradeOf(AnswerOutcome(outcome))).after;
        m.lastDay = day;
        ++m.answers;
        last[size_t(skill)] = at;
    }
    rd.s = nullptr;
    sqlite3_finalize(del);
    rr.s = nullptr;
    sqlite3_finalize(read);
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
            sqlite3_stmt* u = prepare("UPDATE entries SET word=?1, added=?2 WHERE id=?3");
            bindText(u, 1, to.word);
            sqlite3_bind_int64(u, 2, packedTime(to.added));
            sqlite3_bind_int64(u, 3, old);
            rc = sqlite3_step(u);
            sqlite3_finalize(u);
            if (rc != SQLITE_DONE)
                s = fail("rename", rc);
        } else {
            // Both have a record: the answers join the target's, the old key's row goes.
            sql = "UPDATE OR IGNORE answers SET entry=" + QByteArray::number(target) + " WHERE entry=" + QByteArray::number(old)
                  + "; UPDATE OR IGNORE stamps SET entry=" + QByteArray::number(target) + " WHERE entry="
                  + QByteArray::number(old) + "; DELETE FROM answers WHERE entry=" + QByteArray::number(old)
                  + "; DELETE FROM stamps WHERE entry=" + QByteArray::number(old) + "; DELETE FROM memory WHERE entry="
                  + QByteArray::number(old) + "; DELETE FROM entries WHERE id=" + QByteArray::number(old) + ";";
            rc = sqlite3_exec(db_, sql.constData(), nullptr, nullptr, nullptr);
            s = rc == SQLITE_OK ? rebuildMemory(target) : fail("rename", rc);
        }
    }
    if (s && (rc = stepDone(st_->commit)) != SQLITE_OK)
        s = fail("commit", rc);
    if (!s)
        stepDone(st_->rollback);
    ids_.clear();
    if (s && old && attached_)
        attached_->rename(from, to);
    return s;
}

Status ReviewRecord::copyEntriesTo(ReviewRecord& target, const std::vector<EntryKey>& keys)
{
    if (!db_ || !st_)
        return broken_ ? Status::error(fault_.value_or(QString())) : Status::ok(); // nothing recorded here
    // What to copy: the given keys that have a record here, or every entry.
    std::vector<std::pair<EntryKey, int64_t>> from;
    if (keys.empty()) {
        sqlite3_stmt* all = prepare("SELECT id, word, added FROM entries ORDER BY id");
        while (all && sqlite3_step(all) == SQLITE_ROW)
            from.push_back({EntryKey{columnText(all, 1), unpackedTime(sqlite3_column_int64(all, 2))},
                            sqlite3_column_int64(all, 0)});
        sqlite3_finalize(all);
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

    sqlite3_stmt* answers = prepare("SELECT mode, skill, outcome, at, duration_ms FROM answers WHERE entry=?1");
    sqlite3_stmt* stamps = prepare("SELECT kind, at FROM stamps WHERE entry=?1");
    int rc = stepDone(target.st_->begin);
    Status s = rc == SQLITE_OK ? Status::ok() : target.fail("begin", rc);
    for (const auto& [key, id] : from) {
        if (!s)
            break;
        int64_t to = 0;
        s = target.entryId(key, true, &to);
        sqlite3_bind_int64(answers, 1, id);
        while (s && sqlite3_step(answers) == SQLITE_ROW) {
            sqlite3_stmt* ins = target.st_->insertAnswer;
            Reset r{ins};
            sqlite3_bind_int64(ins, 1, to);
            for (int c = 0; c < 5; ++c)
                sqlite3_bind_int64(ins, c + 2, sqlite3_column_int64(answers, c));
            if ((rc = sqlite3_step(ins)) != SQLITE_DONE)
                s = target.fail("answers", rc);
        }
        sqlite3_reset(answers);
        sqlite3_bind_int64(stamps, 1, id);
        while (s && sqlite3_step(stamps) == SQLITE_ROW) {
            sqlite3_stmt* ins = target.st_->insertStamp;
            Reset r{ins};
            sqlite3_bind_int64(ins, 1, to);
            sqlite3_bind_int64(ins, 2, sqlite3_column_int64(stamps, 0));
            sqlite3_bind_int64(ins, 3, sqlite3_column_int64(stamps, 1));
            if ((rc = sqlite3_step(ins)) != SQLITE_DONE)
                s = target.fail("stamps", rc);
        }
        sqlite3_reset(stamps);
        if (s)
            s = target.rebuildMemory(to);
    }
    sqlite3_finalize(answers);
    sqlite3_finalize(stamps);
    if (s && (rc = stepDone(target.st_->commit)) != SQLITE_OK)
        s = target.fail("commit", rc);
    if (!s)
        stepDone(target.st_->rollback);
    target.ids_.clear();
    if (s && target.attached_)
        target.loadModel(target.attached_);
    return s;
}

} // namespace lex
