// Reading Anki packages (.apkg, .colpkg) in the three layouts Anki has written: collection.anki2
// and collection.anki21 (schema 11, note types as JSON in col.models, a JSON media list) and
// collection.anki21b (zstd-compressed, schema 18 with note types and fields in tables of their
// own, a zstd-compressed protobuf media list, each media file zstd-compressed).
//
// Nothing is unpacked to disk: the package is mapped through Env, members are inflated into
// memory within the limits (anki_archive), and the collection is handed to SQLite as an
// in-memory database (anki_collection).

#include "lexora/exchange/formats/anki_archive.h"

#include "common/platform/env.h"

#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

namespace lex::anki {

namespace {

// The package metadata's newest layout (collection.anki21b, zstd).
constexpr quint64 kNewestPackageVersion = 3;
constexpr qint64 kSmallMember = 16 << 20;   // meta and media lists

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
    if (const qint64 meta = zip->find(QStringLiteral("meta")); meta >= 0) {
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
            return newerAnkiVersion(QStringLiteral("package version %1").arg(layout));
    }
    const QString names[] = {QStringLiteral("collection.anki21b"), QStringLiteral("collection.anki21"),
                             QStringLiteral("collection.anki2")};
    int chosen = -1;
    qint64 index = -1;
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
    if (const qint64 m = zip->find(QStringLiteral("media")); m >= 0) {
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
        const qint64 index = it == members->constEnd() ? -1 : archive->find(*it);
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
