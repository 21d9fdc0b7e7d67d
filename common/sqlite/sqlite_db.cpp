#include "common/sqlite/sqlite_db.h"

namespace lex::sqlite {

QString columnText(sqlite3_stmt* s, int column)
{
    const unsigned char* p = sqlite3_column_text(s, column);
    return p ? QString::fromUtf8(reinterpret_cast<const char*>(p), sqlite3_column_bytes(s, column)) : QString();
}

int Database::open(const QByteArray& name, int flags)
{
    close();
    return sqlite3_open_v2(name.constData(), &db_, flags, nullptr);
}

void Database::close()
{
    if (db_)
        sqlite3_close_v2(db_);
    db_ = nullptr;
}

sqlite3* Database::exchange(sqlite3* db)
{
    sqlite3* old = db_;
    db_ = db;
    return old;
}

} // namespace lex::sqlite
