#pragma once
// The package as an archive: its bytes (mapped or in memory), its zip members unpacked within the
// limits, zstd streams, and the messages every part of the reader gives for a bad package.

#include "lexora/exchange/formats/anki_package.h"

#include <memory>

struct zip;

namespace lex {
class ReadOnlyRegion;
}

namespace lex::anki {

constexpr QByteArrayView kZstdMagic("\x28\xB5\x2F\xFD", 4);

Status damaged(const QString& why);
Status tooLarge(qint64 limit);
Status newerAnkiVersion(const QString& what);

// What may still be unpacked from one package.
struct Budget {
    Limits limits;
    qint64 left;
    explicit Budget(const Limits& l) : limits(l), left(l.total) {}
    // Counts n more bytes unpacked; refused past one member's limit or the package's total.
    Status take(qint64 n);
};

// A zstd stream (one or more frames), unpacked within the budget.
Status unzstd(QByteArrayView in, Budget& budget, QByteArray* out);

// The package's bytes: a mapping of the file or a copy in memory, shared with the table's media
// reader.
struct PackageBytes {
    std::unique_ptr<ReadOnlyRegion> region;
    QByteArray bytes;
    ~PackageBytes();
    QByteArrayView view() const;
};

class Archive {
public:
    ~Archive();
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    static Status open(std::shared_ptr<const PackageBytes> bytes, std::unique_ptr<Archive>* out);
    // The member's index, -1 when there is none of that name.
    qint64 find(const QString& name) const;
    // One member, checked against its declared size and the budget while it is inflated.
    Status read(qint64 index, Budget& budget, QByteArray* out) const;

private:
    Archive() = default;
    std::shared_ptr<const PackageBytes> bytes_;
    struct zip* zip_ = nullptr;
};

} // namespace lex::anki
