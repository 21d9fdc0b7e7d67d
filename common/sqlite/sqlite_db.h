#pragma once
// An owned SQLite connection and an owned prepared statement, and the text of a column. Result
// codes are SQLite's own: the callers decide what each means for them.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <sqlite3.h>

namespace lex::sqlite {

// A column's text as UTF-8, as stored: asked for UTF-16, SQLite would first convert every value
// into a buffer of its own. A NULL is an empty string.
QString columnText(sqlite3_stmt* s, int column);

class Database {
public:
    Database() = default;
    explicit Database(sqlite3* db) : db_(db) {}
    ~Database() { close(); }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // sqlite3_open_v2; the connection is kept even when it fails, for its error.
    int open(const QByteArray& name, int flags);
    // An empty database in memory.
    int openInMemory() { return open(":memory:", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE); }
    // Closes now, or as soon as the last statement of it is finalized.
    void close();
    // Hands the connection over (nullptr: none) and returns the one there was, still open.
    sqlite3* exchange(sqlite3* db);

    sqlite3* handle() const { return db_; }
    explicit operator bool() const { return db_ != nullptr; }
    int exec(const char* sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr); }
    QString error() const { return QString::fromUtf8(sqlite3_errmsg(db_)); }

private:
    sqlite3* db_ = nullptr;
};

class Statement {
public:
    Statement() = default;
    // Prepares `sql`; on failure the statement is null and the connection holds the error.
    // SQLITE_PREPARE_PERSISTENT in `flags` for one that is used again and again.
    Statement(sqlite3* db, const char* sql, unsigned flags = 0) { sqlite3_prepare_v3(db, sql, -1, flags, &s_, nullptr); }
    ~Statement() { sqlite3_finalize(s_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    Statement(Statement&& o) noexcept : s_(o.s_) { o.s_ = nullptr; }
    Statement& operator=(Statement&& o) noexcept
    {
        if (this != &o) {
            sqlite3_finalize(s_);
            s_ = o.s_;
            o.s_ = nullptr;
        }
        return *this;
    }

    explicit operator bool() const { return s_ != nullptr; }
    sqlite3_stmt* handle() const { return s_; }

    int step() { return sqlite3_step(s_); }
    // Ready to run again; the bindings stay.
    void reset() { sqlite3_reset(s_); }
    void clearBindings() { sqlite3_clear_bindings(s_); }

    void bind(int i, sqlite3_int64 v) { sqlite3_bind_int64(s_, i, v); }
    void bind(int i, int v) { sqlite3_bind_int(s_, i, v); }
    void bind(int i, double v) { sqlite3_bind_double(s_, i, v); }
    // Text given as UTF-8 bytes.
    void bind(int i, QByteArrayView utf8) { sqlite3_bind_text(s_, i, utf8.data(), int(utf8.size()), SQLITE_TRANSIENT); }
    void bind(int i, const QByteArray& utf8) { bind(i, QByteArrayView(utf8)); }
    // Text given as a QString: handed over in its UTF-16, which SQLite stores as UTF-8.
    void bind(int i, const QString& text)
    {
        sqlite3_bind_text16(s_, i, text.utf16(), int(text.size() * 2), SQLITE_TRANSIENT);
    }

    sqlite3_int64 integer(int i) const { return sqlite3_column_int64(s_, i); }
    double real(int i) const { return sqlite3_column_double(s_, i); }
    QString text(int i) const { return columnText(s_, i); }
    // A column's bytes as stored (UTF-8 text or a blob), without copying them.
    QByteArrayView bytes(int i) const
    {
        const void* p = sqlite3_column_blob(s_, i);
        return p ? QByteArrayView(static_cast<const char*>(p), sqlite3_column_bytes(s_, i)) : QByteArrayView();
    }

private:
    sqlite3_stmt* s_ = nullptr;
};

} // namespace lex::sqlite
