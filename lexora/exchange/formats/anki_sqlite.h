#pragma once
// The little of SQLite that the Anki collection reader and writer share: an owned connection, an
// owned statement, and the text of a column. Collections live in memory only (serialised into a
// package, or deserialised out of one), so no file is opened here.

#include <QByteArray>
#include <QString>
#include <sqlite3.h>

namespace lex::anki {

struct Db {
    sqlite3* db = nullptr;
    Db() = default;
    Db(const Db&) = delete;
    Db& operator=(const Db&) = delete;
    ~Db() { sqlite3_close(db); }
    bool open() { return sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) == SQLITE_OK; }
    bool exec(const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }
    QString error() const { return QString::fromUtf8(sqlite3_errmsg(db)); }
};

struct Stmt {
    sqlite3_stmt* s = nullptr;
    Stmt(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &s, nullptr); }
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;
    ~Stmt() { sqlite3_finalize(s); }
    explicit operator bool() const { return s != nullptr; }
    int step() { return sqlite3_step(s); }
    void reset() { sqlite3_reset(s); }
    void bind(int i, sqlite3_int64 v) { sqlite3_bind_int64(s, i, v); }
    void bind(int i, const QByteArray& utf8) { sqlite3_bind_text(s, i, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT); }
    void bind(int i, const QString& text) { bind(i, text.toUtf8()); }
    sqlite3_int64 integer(int i) { return sqlite3_column_int64(s, i); }
    // A column's bytes as stored (UTF-8 text or a blob), without copying them.
    QByteArrayView bytes(int i)
    {
        const void* p = sqlite3_column_blob(s, i);
        return p ? QByteArrayView(static_cast<const char*>(p), sqlite3_column_bytes(s, i)) : QByteArrayView();
    }
    QString text(int i)
    {
        const unsigned char* p = sqlite3_column_text(s, i);
        return p ? QString::fromUtf8(reinterpret_cast<const char*>(p), sqlite3_column_bytes(s, i)) : QString();
    }
};

} // namespace lex::anki
