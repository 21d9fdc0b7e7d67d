// Reading Anki packages (.apkg, .colpkg) in the three layouts Anki has written: collection.anki2
// and collection.anki21 (schema 11, note types as JSON in col.models, a JSON media list) and
// collection.anki21b (zstd-compressed, schema 18 with note types and fields in tables of their
// own, a zstd-compressed protobuf media list, each media file zstd-compressed).
//
// Nothing is unpacked to disk: the package is mapped through Env, members are inflated into
// memory within the limits, and the collection is handed to SQLite as an in-memory database.

#include "lexora/exchange/formats/anki_package.h"

#include "common/platform/env.h"
#include "lexora/exchange/formats/anki_sqlite.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <map>
#include <memory>
#include <zip.h>
#include <zstd.h>

namespace lex::anki {

namespace {

// The highest collection schema whose tables we know; newer Anki versions may change them.
constexpr qint64 kNewestSchema = 18;
// The package metadata's newest layout (collection.anki21b, zstd).
constexpr quint64 kNewestPackageVersion = 3;
constexpr qint64 kSmallMember = 16 << 20;   // meta and media lists
constexpr QByteArrayView kZstdMagic("\x28\xB5\x2F\xFD", 4);

Status damaged(const QString& why)
{
    return Status::error(Status::Code::Damaged, QStringLiteral("The Anki package is damaged: %1.").arg(why));
}

Status tooLarge(qint64 limit)
{
    return Status::error(Status::Code::Refused,
                         QStringLiteral("The Anki package unpacks to more than %1 MB; it is refused.").arg(limit >> 20));
}

Status newerAnki(const QString& what)
{
    return Status::error(Status::Code::Refused,
                         QStringLiteral("The Anki package was made by a newer Anki version (%1). Export it from Anki "
                                        "with \"Support older Anki versions\" checked.")
                             .arg(what));
}

Status cancelled()
{
    return Status::error(Status::Code::Refused, QStringLiteral("Reading the Anki package was cancelled."));
}

// What may still be unpacked from one package.
struct Budget {
    Limits limits;
    qint64 left;
    explicit Budget(const Limits& l) : limits(l), left(l.total) {}
    Status take(qint64 n)
    {
        if (n > limits.member)
            return tooLarge(limits.member);
        if (n > left)
            return tooLarge(limits.total);
        left -= n;
        return Status::ok();
    }
};

Status unzstd(QByteArrayView in, Budget& budget, QByteArray* out)
{
    out->clear();
    const unsigned long long declared = ZSTD_getFrameContentSize(in.data(), size_t(in.size()));
    if (declared == ZSTD_CONTENTSIZE_ERROR)
        return damaged(QStringLiteral("a compressed part is no zstd stream"));
    const qint64 cap = std::min(budget.limits.member, budget.left);
    // A frame that says it is too large is refused before anything is unpacked.
    if (declared != ZSTD_CONTENTSIZE_UNKNOWN && declared > (unsigned long long)cap)
        return budget.take(declared > (1ull << 62) ? qint64(1) << 62 : qint64(declared));
    std::unique_ptr<ZSTD_DCtx, size_t (*)(ZSTD_DCtx*)> ctx(ZSTD_createDCtx(), ZSTD_freeDCtx);
    if (!ctx)
        return Status::error(QStringLiteral("out of memory"));
    // Room for the size the frame states, within what so much input is likely to hold; a frame
    // stating more than it holds then costs no memory.
    if (declared != ZSTD_CONTENTSIZE_UNKNOWN)
        out->resize(qsizetype(std::min<qint64>(qint64(declared) + 1, in.size() * qint64(64) + (1 << 20))));
    ZSTD_inBuffer input{in.data(), size_t(in.size()), 0};
    size_t ret = 1;
    qint64 used = 0;
    while (input.pos < input.size) {
        if (used == out->size())
            out->resize(std::min<qint64>(std::max<qint64>(out->size() * 2, 1 << 16), cap + 1));
        ZSTD_outBuffer output{out->data() + used, size_t(out->size() - used), 0};
        ret = ZSTD_decompressStream(ctx.get(), &output, &input);
        if (ZSTD_isError(ret))
            return damaged(QStringLiteral("a compressed part is broken (%1)").arg(QString::fromUtf8(ZSTD_getErrorName(ret))));
        used += qint64(output.pos);
        if (used > cap)
            return budget.take(used);
        if (output.pos == 0 && input.pos == input.size)
            break;
    }
    // Output left inside the decoder once the input is used up.
    while (ret != 0) {
        if (used == out->size())
            out->resize(std::min<qint64>(std::max<qint64>(out->size() * 2, 1 << 16), cap + 1));
        ZSTD_outBuffer output{out->data() + used, size_t(out->size() - used), 0};
        ret = ZSTD_decompressStream(ctx.get(), &output, &input);
        if (ZSTD_isError(ret))
            return damaged(QStringLiteral("a compressed part is broken (%1)").arg(QString::fromUtf8(ZSTD_getErrorName(ret))));
        used += qint64(output.pos);
        if (used > cap)
            return budget.take(used);
        if (output.pos == 0 && ret != 0)
            return damaged(QStringLiteral("a compressed part is cut short"));
    }
    out->resize(used);
    return budget.take(used);
}

// The package's bytes: a mapping of the file or a copy in memory, shared with the table's media
// reader.
struct PackageBytes {
    std::unique_ptr<ReadOnlyRegion> region;
    QByteArray bytes;
    QByteArrayView view() const
    {
        return region ? QByteArrayView(reinterpret_cast<const char*>(region->data()), region->size())
                      : QByteArrayView(bytes);
    }
};

class Archive {
public:
    ~Archive()
    {
        if (zip_)
            zip_discard(zip_);
    }

    static Status open(std::shared_ptr<const PackageBytes> bytes, std::unique_ptr<Archive>* out)
    {
        auto a = std::unique_ptr<Archive>(new Archive);
        a->bytes_ = std::move(bytes);
        const QByteArrayView v = a->bytes_->view();
        zip_error_t err;
        zip_error_init(&err);
        zip_source_t* src = zip_source_buffer_create(v.data(), zip_uint64_t(v.size()), 0, &err);
        if (src)
            a->zip_ = zip_open_from_source(src, ZIP_RDONLY | ZIP_CHECKCONS, &err);
        if (!a->zip_) {
            if (src)
                zip_source_free(src);
            const QString why = QString::fromUtf8(zip_error_strerror(&err));
            zip_error_fini(&err);
            return damaged(QStringLiteral("it is no readable zip file (%1)").arg(why));
        }
        zip_error_fini(&err);
        *out = std::move(a);
        return Status::ok();
    }

    zip_int64_t find(const QString& name) const { return zip_name_locate(zip_, name.toUtf8().constData(), 0); }

    // One member, checked against its declared size and the budget while it is inflated.
    Status read(zip_int64_t index, Budget& budget, QByteArray* out) const
    {
        out->clear();
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(zip_, zip_uint64_t(index), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE))
            return damaged(QStringLiteral("a member has no size"));
        const QString name = QString::fromUtf8(st.name ? st.name : "");
        const qint64 declared = st.size > zip_uint64_t(1) << 62 ? qint64(1) << 62 : qint64(st.size);
        if (Status s = budget.take(declared); !s)
            return s;
        zip_file_t* f = zip_fopen_index(zip_, zip_uint64_t(index), 0);
        if (!f)
            return damaged(QStringLiteral("“%1” cannot be opened (%2)").arg(name, QString::fromUtf8(zip_strerror(zip_))));
        // Room for what the member says it holds, but never more than its packed size could
        // inflate to (deflate reaches about 1:1032), so that a lying header costs no memory; past
        // that the buffer grows as data arrives.
        const qint64 packed = (st.valid & ZIP_STAT_COMP_SIZE) ? qint64(std::min<zip_uint64_t>(st.comp_size, 1ull << 40)) : 0;
        out->resize(std::min(declared + 1, packed * 1100 + (1 << 16)));
        qint64 used = 0;
        Status s;
        for (;;) {
            if (used == out->size())
                out->resize(std::min<qint64>(std::max<qint64>(out->size() * 2, 1 << 16), declared + 1));
            const zip_int64_t got = zip_fread(f, out->data() + used, zip_uint64_t(out->size() - used));
            if (got < 0) {
                s = damaged(QStringLiteral("“%1” cannot be unpacked (%2)").arg(name, QString::fromUtf8(zip_file_strerror(f))));
                break;
            }
            if (got == 0)
                break;
            used += got;
            if (used > declared) {
                s = damaged(QStringLiteral("“%1” unpacks to more than it says").arg(name));
                break;
            }
        }
        zip_fclose(f);
        if (s && used != declared)
            s = damaged(QStringLiteral("“%1” unpacks to less than it says").arg(name));
        if (!s)
            out->clear();
        else
            out->resize(used);
        return s;
    }

private:
    Archive() = default;
    std::shared_ptr<const PackageBytes> bytes_;
    zip_t* zip_ = nullptr;
};

// Protobuf, only as far as the package metadata and the media list need it.
struct ProtoReader {
    QByteArrayView b;
    qsizetype pos = 0;
    bool varint(quint64* v)
    {
        *v = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            if (pos >= b.size())
                return false;
            const auto c = quint8(b[pos++]);
            *v |= quint64(c & 0x7F) << shift;
            if (!(c & 0x80))
                return true;
        }
        return false;
    }
    // The next field: its number, wire type, and for a varint its value, for a length-delimited
    // field its bytes. False at the end or on a malformed field (*bad then set).
    bool next(quint64* field, int* wire, quint64* value, QByteArrayView* bytes, bool* bad)
    {
        *bad = false;
        if (pos >= b.size())
            return false;
        quint64 tag = 0;
        if (!varint(&tag)) {
            *bad = true;
            return false;
        }
        *field = tag >> 3;
        *wire = int(tag & 7);
        quint64 skip = 0;
        switch (*wire) {
        case 0:
            if (varint(value))
                return true;
            break;
        case 1: skip = 8; break;
        case 5: skip = 4; break;
        case 2:
            if (!varint(&skip))
                break;
            if (skip > quint64(b.size() - pos))
                break;
            *bytes = b.sliced(pos, qsizetype(skip));
            pos += qsizetype(skip);
            return true;
        default: break;
        }
        if (skip && skip <= quint64(b.size() - pos)) {
            pos += qsizetype(skip);
            return true;
        }
        *bad = true;
        return false;
    }
};

struct MediaList {
    std::vector<std::pair<QString, QString>> entries;   // name → zip member
    bool unreadable = false;
};

MediaList parseMediaJson(QByteArrayView bytes)
{
    MediaList list;
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes.toByteArray(), &err);
    if (err.error != QJsonParseError::NoError || !doc.isObject()) {
        list.unreadable = true;
        return list;
    }
    const QJsonObject map = doc.object();
    std::vector<std::pair<qint64, std::pair<QString, QString>>> sorted;
    for (auto it = map.begin(); it != map.end(); ++it) {
        if (!it.value().isString())
            continue;
        bool ok = false;
        const qint64 n = it.key().toLongLong(&ok);
        sorted.push_back({ok ? n : -1, {it.value().toString(), it.key()}});
    }
    std::sort(sorted.begin(), sorted.end());
    for (auto& e : sorted)
        list.entries.push_back(std::move(e.second));
    return list;
}

MediaList parseMediaProto(QByteArrayView bytes)
{
    MediaList list;
    ProtoReader r{bytes};
    quint64 field = 0, value = 0;
    int wire = 0;
    QByteArrayView sub;
    bool bad = false;
    qint64 index = 0;
    while (r.next(&field, &wire, &value, &sub, &bad)) {
        if (field != 1 || wire != 2)
            continue;
        ProtoReader e{sub};
        QString name;
        QString member = QString::number(index++);
        quint64 f = 0, v = 0;
        int w = 0;
        QByteArrayView s;
        bool subBad = false;
        while (e.next(&f, &w, &v, &s, &subBad)) {
            if (f == 1 && w == 2)
                name = QString::fromUtf8(s);
            else if (f == 255 && w == 0)
                member = QString::number(v);
        }
        if (subBad) {
            bad = true;
            break;
        }
        list.entries.push_back({name, member});
    }
    list.unreadable = bad;
    if (bad)
        list.entries.clear();
    return list;
}

// The note types of a collection: id → name and field names in order.
struct NoteType {
    QString name;
    QStringList fields;
};

bool hasTable(sqlite3* db, const char* name)
{
    Stmt q(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1");
    if (!q)
        return false;
    sqlite3_bind_text(q.s, 1, name, -1, SQLITE_STATIC);
    return q.step() == SQLITE_ROW;
}

Status noCollection(const QString& why)
{
    return Status::error(Status::Code::Damaged, QStringLiteral("The file is no Anki collection (%1).").arg(why));
}

Status readNoteTypes(sqlite3* db, QByteArrayView modelsJson, std::map<qint64, NoteType>* types)
{
    if (hasTable(db, "notetypes") && hasTable(db, "fields")) {
        Stmt names(db, "SELECT id, name FROM notetypes");
        Stmt fields(db, "SELECT ntid, name FROM fields ORDER BY ntid, ord");
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

} // namespace

Status readCollection(const QByteArray& sqliteBytes, ForeignTable* out, const ForeignProgressFn& progress,
                      const Limits& limits)
{
    *out = ForeignTable{};
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
    Db db;
    if (!db.open())
        return Status::error(QStringLiteral("SQLite cannot start"));
    // Read-only: SQLite never writes into (or frees) our buffer.
    auto* buffer = reinterpret_cast<unsigned char*>(const_cast<char*>(data));
    if (sqlite3_deserialize(db.db, "main", buffer, sqliteBytes.size(), sqliteBytes.size(),
                            SQLITE_DESERIALIZE_READONLY) != SQLITE_OK)
        return noCollection(db.error());
    sqlite3_db_config(db.db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db.db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(db.db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    sqlite3_db_config(db.db, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
    {
        Stmt check(db.db, "PRAGMA quick_check(1)");
        if (!check)
            return noCollection(db.error());
        const int rc = check.step();
        if (rc != SQLITE_ROW)
            return noCollection(db.error());
        if (check.text(0) != u"ok")
            return damaged(QStringLiteral("its collection fails SQLite's check (%1)").arg(check.text(0).left(200)));
    }
    if (!hasTable(db.db, "col") || !hasTable(db.db, "notes"))
        return noCollection(QStringLiteral("it has no notes"));

    qint64 version = 0;
    QByteArray models;
    {
        Stmt col(db.db, "SELECT ver, models FROM col LIMIT 1");
        if (!col || col.step() != SQLITE_ROW)
            return noCollection(QStringLiteral("it has no collection record"));
        version = col.integer(0);
        models = col.bytes(1).toByteArray();
    }
    if (version > kNewestSchema)
        return newerAnki(QStringLiteral("collection schema %1").arg(version));

    std::map<qint64, NoteType> types;
    if (Status s = readNoteTypes(db.db, models, &types); !s)
        return s;

    // The note type most notes use gives the field names; others with the same fields come along.
    std::vector<std::pair<qint64, qint64>> counts;   // mid, notes
    qint64 total = 0;
    {
        Stmt q(db.db, "SELECT mid, count(*) FROM notes GROUP BY mid ORDER BY count(*) DESC, min(id)");
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

    Stmt notes(db.db, "SELECT mid, flds, tags FROM notes ORDER BY id");
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

namespace {

Status readPackageBytes(std::shared_ptr<const PackageBytes> bytes, ForeignTable* out,
                        const ForeignProgressFn& progress, const Limits& limits)
{
    std::unique_ptr<Archive> zip;
    if (Status s = Archive::open(bytes, &zip); !s)
        return s;
    Budget budget(limits);
    Limits small = limits;
    small.member = std::min(limits.member, kSmallMember);

    // The metadata, when there is any, says the layout; without it the names do.
    quint64 layout = 0;
    if (const zip_int64_t meta = zip->find(QStringLiteral("meta")); meta >= 0) {
        QByteArray m;
        Budget b(small);
        if (Status s = zip->read(meta, b, &m); !s)
            return s;
        ProtoReader r{m};
        quint64 field = 0, value = 0;
        int wire = 0;
        QByteArrayView sub;
        bool bad = false;
        while (r.next(&field, &wire, &value, &sub, &bad))
            if (field == 1 && wire == 0)
                layout = value;
        if (bad)
            return damaged(QStringLiteral("its metadata cannot be read"));
        if (layout == 0 || layout > kNewestPackageVersion)
            return newerAnki(QStringLiteral("package version %1").arg(layout));
    }
    const QString names[] = {QStringLiteral("collection.anki21b"), QStringLiteral("collection.anki21"),
                             QStringLiteral("collection.anki2")};
    int chosen = -1;
    zip_int64_t index = -1;
    if (layout != 0) {
        chosen = int(kNewestPackageVersion - layout);
        index = zip->find(names[chosen]);
    } else {
        for (int i = 0; i < 3 && index < 0; ++i)
            if ((index = zip->find(names[i])) >= 0)
                chosen = i;
    }
    if (index < 0)
        return Status::error(Status::Code::Damaged,
                             QStringLiteral("The file is no Anki package (it holds no collection)."));
    const bool zstd = chosen == 0;
    QByteArray collection;
    if (Status s = zip->read(index, budget, &collection); !s)
        return s;
    if (zstd) {
        QByteArray raw;
        if (Status s = unzstd(collection, budget, &raw); !s)
            return s;
        collection = std::move(raw);
    }
    if (Status s = readCollection(collection, out, progress, limits); !s)
        return s;
    collection.clear();

    // The media list. One we cannot read costs the media, not the words.
    MediaList media;
    if (const zip_int64_t m = zip->find(QStringLiteral("media")); m >= 0) {
        QByteArray list;
        Budget b(small);
        Status s = zip->read(m, b, &list);
        if (s && list.startsWith(kZstdMagic)) {
            QByteArray raw;
            s = unzstd(list, b, &raw);
            media = s ? parseMediaProto(raw) : MediaList{{}, true};
        } else if (s) {
            media = list.trimmed().isEmpty() ? MediaList{} : parseMediaJson(list);
        } else {
            media.unreadable = true;
        }
    }
    if (media.unreadable)
        out->losses << QStringLiteral("The package's list of media cannot be read; its sounds were left out.");
    auto members = std::make_shared<QHash<QString, QString>>();
    for (const auto& [name, member] : media.entries) {
        if (!isSafeMediaName(name)) {
            out->losses << QStringLiteral("The media file “%1” was left out: its name points outside the media folder.")
                               .arg(name.left(200));
            continue;
        }
        if (members->contains(name))
            continue;
        members->insert(name, member);
        out->mediaNames << name;
    }
    if (members->isEmpty())
        return Status::ok();
    // The media reader keeps the archive open; each file is unpacked only when asked for.
    std::shared_ptr<Archive> archive(zip.release());
    auto left = std::make_shared<Budget>(budget);
    const bool compressed = zstd || layout == kNewestPackageVersion;
    out->readMedia = [archive, members, left, compressed](const QString& name, QByteArray* data) -> Status {
        data->clear();
        const auto it = members->constFind(name);
        const zip_int64_t index = it == members->constEnd() ? -1 : archive->find(*it);
        if (index < 0)
            return Status::error(Status::Code::NotFound, QStringLiteral("The package has no media file “%1”.").arg(name));
        QByteArray raw;
        if (Status s = archive->read(index, *left, &raw); !s)
            return s;
        if (!compressed) {
            *data = std::move(raw);
            return Status::ok();
        }
        return unzstd(raw, *left, data);
    };
    return Status::ok();
}

} // namespace

Status readPackage(const QByteArray& bytes, ForeignTable* out, const ForeignProgressFn& progress, const Limits& limits)
{
    auto held = std::make_shared<PackageBytes>();
    held->bytes = bytes;
    *out = ForeignTable{};
    Status s = readPackageBytes(std::move(held), out, progress, limits);
    if (!s)
        *out = ForeignTable{};
    return s;
}

Status unzipMember(QByteArrayView zip, const QString& name, QByteArray* out, const Limits& limits)
{
    auto held = std::make_shared<PackageBytes>();
    held->bytes = zip.toByteArray();
    std::unique_ptr<Archive> a;
    if (Status s = Archive::open(std::move(held), &a); !s)
        return s;
    const zip_int64_t index = a->find(name);
    if (index < 0)
        return Status::error(Status::Code::NotFound, QStringLiteral("no member ") + name);
    Budget budget(limits);
    return a->read(index, budget, out);
}

Status zipMembers(const std::vector<std::pair<QString, QByteArray>>& members, QByteArray* out, int level)
{
    out->clear();
    zip_error_t err;
    zip_error_init(&err);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &err);
    zip_t* za = buffer ? zip_open_from_source(buffer, ZIP_CREATE | ZIP_TRUNCATE, &err) : nullptr;
    if (!za) {
        if (buffer)
            zip_source_free(buffer);
        const QString why = QString::fromUtf8(zip_error_strerror(&err));
        zip_error_fini(&err);
        return Status::error(QStringLiteral("cannot make the package: %1").arg(why));
    }
    zip_error_fini(&err);
    zip_source_keep(buffer);   // it outlives the archive: the result is read out of it
    auto fail = [&](const QString& why) {
        zip_discard(za);
        zip_source_free(buffer);
        return Status::error(QStringLiteral("cannot make the package: %1").arg(why));
    };
    for (const auto& [name, data] : members) {
        zip_source_t* s = zip_source_buffer(za, data.constData(), zip_uint64_t(data.size()), 0);
        const zip_int64_t i = s ? zip_file_add(za, name.toUtf8().constData(), s, ZIP_FL_ENC_UTF_8) : -1;
        if (i < 0) {
            if (s)
                zip_source_free(s);
            return fail(QString::fromUtf8(zip_strerror(za)));
        }
        zip_set_file_compression(za, zip_uint64_t(i), level == 0 ? ZIP_CM_STORE : ZIP_CM_DEFLATE, zip_uint32_t(level));
    }
    if (zip_close(za) != 0)
        return fail(QString::fromUtf8(zip_strerror(za)));
    zip_stat_t st;
    zip_stat_init(&st);
    bool ok = zip_source_stat(buffer, &st) == 0 && zip_source_open(buffer) == 0;
    if (ok) {
        out->resize(qsizetype(st.size));
        ok = zip_source_read(buffer, out->data(), st.size) == zip_int64_t(st.size);
        zip_source_close(buffer);
    }
    zip_source_free(buffer);
    if (!ok) {
        out->clear();
        return Status::error(QStringLiteral("cannot make the package"));
    }
    return Status::ok();
}

} // namespace lex::anki

namespace lex::foreign {

Status readAnki(Env* env, const QString& path, ForeignTable* out, const ForeignProgressFn& progress)
{
    *out = ForeignTable{};
    if (!env->fileExists(path))
        return Status::error(Status::Code::NotFound, QStringLiteral("No such file: %1").arg(path));
    if (env->fileSize(path) > kForeignMaxFileBytes)
        return Status::error(Status::Code::Refused,
                             QStringLiteral("The Anki package is larger than %1 MB; it is refused.").arg(kForeignMaxFileBytes >> 20));
    auto held = std::make_shared<anki::PackageBytes>();
    if (Status s = env->mapReadOnly(path, &held->region); !s)
        return s;
    Status s = anki::readPackageBytes(std::move(held), out, progress, anki::Limits{});
    if (!s)
        *out = ForeignTable{};
    return s;
}

} // namespace lex::foreign
