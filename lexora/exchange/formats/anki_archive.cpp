// Zip members and zstd streams of Anki packages, always within the limits: a member's stated
// size is checked before it is unpacked and again while it is, so that neither a bomb nor a
// member lying about its size gets past them.

#include "lexora/exchange/formats/anki_archive.h"

#include "common/platform/env.h"

#include <algorithm>
#include <zip.h>
#include <zstd.h>

namespace lex::anki {

Status damaged(const QString& why)
{
    return Status::error(Status::Code::Damaged, QStringLiteral("The Anki package is damaged: %1.").arg(why));
}

Status tooLarge(qint64 limit)
{
    return Status::error(Status::Code::Refused,
                         QStringLiteral("The Anki package unpacks to more than %1 MB; it is refused.").arg(limit >> 20));
}

Status newerAnkiVersion(const QString& what)
{
    return Status::error(Status::Code::Refused,
                         QStringLiteral("The Anki package was made by a newer Anki version (%1). Export it from Anki "
                                        "with \"Support older Anki versions\" checked.")
                             .arg(what));
}

Status Budget::take(qint64 n)
{
    if (n > limits.member)
        return tooLarge(limits.member);
    if (n > left)
        return tooLarge(limits.total);
    left -= n;
    return Status::ok();
}

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
    qint64 used = 0;
    for (;;) {
        if (used == out->size())
            out->resize(std::min<qint64>(std::max<qint64>(out->size() * 2, 1 << 16), cap + 1));
        ZSTD_outBuffer output{out->data() + used, size_t(out->size() - used), 0};
        const size_t before = input.pos;
        const size_t ret = ZSTD_decompressStream(ctx.get(), &output, &input);
        if (ZSTD_isError(ret))
            return damaged(QStringLiteral("a compressed part is broken (%1)").arg(QString::fromUtf8(ZSTD_getErrorName(ret))));
        used += qint64(output.pos);
        if (used > cap)
            return budget.take(used);
        if (ret == 0 && input.pos == input.size)
            break;   // the last frame is complete
        // With room to write and nothing read or written, the stream ends inside a frame.
        if (output.pos == 0 && input.pos == before)
            return damaged(QStringLiteral("a compressed part is cut short"));
    }
    out->resize(used);
    return budget.take(used);
}

PackageBytes::~PackageBytes() = default;

QByteArrayView PackageBytes::view() const
{
    return region ? QByteArrayView(reinterpret_cast<const char*>(region->data()), region->size())
                  : QByteArrayView(bytes);
}

Archive::~Archive()
{
    if (zip_)
        zip_discard(zip_);
}

Status Archive::open(std::shared_ptr<const PackageBytes> bytes, std::unique_ptr<Archive>* out)
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

qint64 Archive::find(const QString& name) const
{
    return zip_name_locate(zip_, name.toUtf8().constData(), 0);
}

Status Archive::read(qint64 index, Budget& budget, QByteArray* out) const
{
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
