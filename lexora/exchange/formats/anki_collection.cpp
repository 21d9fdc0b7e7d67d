// Reading an Anki collection: the SQLite database of a package, handed to SQLite as a read-only
// in-memory database. The note type most notes use gives the field names (from the fields table
// in schema 18, from col.models in schema 11); HTML becomes plain text.

#include "lexora/exchange/formats/anki_archive.h"
#include "common/sqlite/sqlite_db.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <map>

namespace lex::anki {

namespace {

// The highest collection schema whose tables we know; newer Anki versions may change them.
constexpr qint64 kNewestSchema = 18;

Status cancelled()
{
    return Status::error(Status::Code::Refused, QStringLiteral("Reading the Anki package was cancelled."));
}

struct NoteType {
    QString name;
    QStringList fields;
};

bool hasTable(sqlite3* db, const char* name)
{
    sqlite::Statement q(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1");
    if (!q)
        return false;
    sqlite3_bind_text(q.handle(), 1, name, -1, SQLITE_STATIC);
    return q.step() == SQLITE_ROW;
}

Status noCollection(const QString& why)
{
    return Status::error(Status::Code::Damaged, QStringLiteral("The file is no Anki collection (%1).").arg(why));
}

Status readNoteTypes(sqlite3* db, QByteArrayView modelsJson, std::map<qint64, NoteType>* types)
{
    if (hasTable(db, "notetypes") && hasTable(db, "fields")) {
        sqlite::Statement names(db, "SELECT id, name FROM notetypes");
        sqlite::Statement fields(db, "SELECT ntid, name FROM fields ORDER BY ntid, ord");
        if (!names || !fields)
            return noCollection(QString::fromUtf8(sqlite3_errmsg(db)));
        while (names.step() == SQLITE_ROW)
            (*types)[names.integer(0)].name = names.text(1);
        while (fields.step() == SQLITE_ROW)
            (*types)[fields.integer(0)].fields << fields.text(1);
        return Status::ok();
    }
    const QJsonDocument doc = QJsonDocument::fromJson(modelsJson.toByteArray());
    const QJsonObject models = doc.object();
    for (auto it = models.begin(); it != models.end(); ++it) {
        const QJsonObject m = it.value().toObject();
        NoteType t;
        t.name = m.value(u"name").toString();
        std::vector<std::pair<int, QString>> flds;
        const QJsonArray arr = m.value(u"flds").toArray();
        for (int i = 0; i < arr.size(); ++i) {
            const QJsonObject f = arr[i].toObject();
            flds.push_back({f.value(u"ord").toInt(i), f.value(u"name").toString()});
        }
        std::stable_sort(flds.begin(), flds.end(), [](auto& a, auto& b) { return a.first < b.first; });
        for (auto& f : flds)
            t.fields << f.second;
        const qint64 id = m.contains(u"id") ? qint64(m.value(u"id").toDouble()) : it.key().toLongLong();
        (*types)[id] = std::move(t);
    }
    return Status::ok();
}

Status fillTable(const QByteArray& sqliteBytes, ForeignTable* out, const ForeignProgressFn& progress,
                 const Limits& limits)
{
    if (!sqliteBytes.startsWith(QByteArrayView("SQLite format 3\0", 16)) || sqliteBytes.size() < 100)
        return noCollection(QStringLiteral("not an SQLite database"));
    // A collection copied while Anki had it open says it is in WAL mode, which an in-memory
    // database cannot follow; its main file is complete all the same.
    QByteArray patched;
    const char* data = sqliteBytes.constData();
    if (sqliteBytes[18] == 2 || sqliteBytes[19] == 2) {
        patched = sqliteBytes;
        patched[18] = 1;
        patched[19] = 1;
        data = patched.constData();
    }
    sqlite::Database db;
    if (db.openInMemory() != SQLITE_OK)
        return Status::error(QStringLiteral("SQLite cannot start"));
    // Read-only: SQLite never writes into (or frees) our buffer.
    auto* buffer = reinterpret_cast<unsigned char*>(const_cast<char*>(data));
    if (sqlite3_deserialize(db.handle(), "main", buffer, sqliteBytes.size(), sqliteBytes.size(),
                            SQLITE_DESERIALIZE_READONLY) != SQLITE_OK)
        return noCollection(db.error());
    sqlite3_db_config(db.handle(), SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db.handle(), SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(db.handle(), SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    sqlite3_db_config(db.handle(), SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
    {
        sqlite::Statement check(db.handle(), "PRAGMA quick_check(1)");
        if (!check)
            return noCollection(db.error());
        const int rc = check.step();
        if (rc != SQLITE_ROW)
            return noCollection(db.error());
        if (check.text(0) != u"ok")
            return damaged(QStringLiteral("its collection fails SQLite's check (%1)").arg(check.text(0).left(200)));
    }
    if (!hasTable(db.handle(), "col") || !hasTable(db.handle(), "notes"))
        return noCollection(QStringLiteral("it has no notes"));

    qint64 version = 0;
    QByteArray models;
    {
        sqlite::Statement col(db.handle(), "SELECT ver, models FROM col LIMIT 1");
        if (!col || col.step() != SQLITE_ROW)
            return noCollection(QStringLiteral("it has no collection record"));
        version = col.integer(0);
        models = col.bytes(1).toByteArray();
    }
    if (version > kNewestSchema)
        return newerAnkiVersion(QStringLiteral("collection schema %1").arg(version));

    std::map<qint64, NoteType> types;
    if (Status s = readNoteTypes(db.handle(), models, &types); !s)
        return s;

    // The note type most notes use gives the field names; others with the same fields come along.
    std::vector<std::pair<qint64, qint64>> counts;   // mid, notes
    qint64 total = 0;
    {
        sqlite::Statement q(db.handle(), "SELECT mid, count(*) FROM notes GROUP BY mid ORDER BY count(*) DESC, min(id)");
        if (!q)
            return noCollection(db.error());
        int rc;
        while ((rc = q.step()) == SQLITE_ROW) {
            counts.push_back({q.integer(0), q.integer(1)});
            total += q.integer(1);
        }
        if (rc != SQLITE_DONE)
            return damaged(db.error());
    }
    if (total > kForeignMaxRows)
        return Status::error(Status::Code::Refused,
                             QStringLiteral("The Anki package has more than %1 notes; it is refused.").arg(kForeignMaxRows));
    const qint64 mainType = counts.empty() ? 0 : counts.front().first;
    const auto mainIt = types.find(mainType);
    const bool mainKnown = mainIt != types.end() && !mainIt->second.fields.isEmpty();
    QHash<qint64, bool> taken;
    for (const auto& [mid, n] : counts) {
        const auto it = types.find(mid);
        const bool same = mid == mainType || (mainKnown && it != types.end() && it->second.fields == mainIt->second.fields);
        taken.insert(mid, same);
        if (!same)
            out->losses << QStringLiteral("%1 notes of the note type “%2” (other fields) were left out.")
                               .arg(n)
                               .arg(it != types.end() ? it->second.name : QString::number(mid));
    }
    if (mainKnown)
        out->fields = mainIt->second.fields;

    sqlite::Statement notes(db.handle(), "SELECT mid, flds, tags FROM notes ORDER BY id");
    if (!notes)
        return noCollection(db.error());
    out->rows.reserve(size_t(counts.empty() ? 0 : counts.front().second));
    int images = 0;
    qint64 done = 0, misfit = 0;
    int rc;
    while ((rc = notes.step()) == SQLITE_ROW) {
        if (progress && (done & 1023) == 0 && !progress(done, total))
            return cancelled();
        ++done;
        if (!taken.value(notes.integer(0)))
            continue;
        ForeignRow row;
        row.values.reserve(std::max<qsizetype>(out->fields.size(), 1));
        const QString flds = notes.text(1);
        for (QStringView value : QStringView(flds).tokenize(u'\x1f')) {
            QString text = fieldText(value, &row.sounds, &images);
            if (text.size() > limits.field)
                return Status::error(Status::Code::Refused,
                                     QStringLiteral("A field of the Anki package is longer than %1 characters; it is refused.")
                                         .arg(limits.field));
            row.values << std::move(text);
        }
        if (!mainKnown && out->fields.isEmpty())
            for (int i = 0; i < row.values.size(); ++i)
                out->fields << QString::number(i + 1);
        if (row.values.size() != out->fields.size()) {
            ++misfit;
            while (row.values.size() < out->fields.size())
                row.values << QString();
        }
        const QString tags = notes.text(2);
        for (QStringView t : QStringView(tags).tokenize(u' ', Qt::SkipEmptyParts))
            row.tags << t.toString();
        out->rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE)
        return damaged(db.error());
    if (progress && !progress(total, total))
        return cancelled();
    if (misfit)
        out->losses << QStringLiteral("%1 notes had more or fewer fields than their note type.").arg(misfit);
    if (images)
        out->losses << QStringLiteral("%1 pictures in the notes were left out.").arg(images);
    return Status::ok();
}

} // namespace

Status readCollection(const QByteArray& sqliteBytes, ForeignTable* out, const ForeignProgressFn& progress,
                      const Limits& limits)
{
    *out = ForeignTable{};
    const Status s = fillTable(sqliteBytes, out, progress, limits);
    if (!s)
        *out = ForeignTable{};
    return s;
}

} // namespace lex::anki
