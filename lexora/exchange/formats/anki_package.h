#pragma once
// The parts of the Anki package reader and writer that the tests and the fuzz target reach
// directly: field text to and from Anki's HTML, the zip members, and the readers over bytes with
// limits a test or a fuzzer can lower. Everything else goes through foreign_format.h.

#include "lexora/exchange/formats/foreign_format.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

namespace lex::anki {

// Sizes past which a package is refused; the defaults are the sane sizes of foreign_format.h.
struct Limits {
    qint64 member = kForeignMaxUnpackedBytes;   // one zip member, or one zstd stream, unpacked
    qint64 total = kForeignMaxTotalUnpacked;    // everything unpacked from one package
    qsizetype field = kForeignMaxFieldChars;    // one field as plain text
};

// Plain text → the HTML of an Anki field. Every character that HTML would change is escaped
// (& < > as entities, CR LF as <br>, lone CR, lone LF, TAB and the field separator as numeric
// references, "[sound:" with its bracket escaped), so that fieldText(fieldHtml(t)) == t.
QString fieldHtml(QStringView text);
// An Anki field → plain text: <br> and block ends become CR LF, entities are decoded, other tags
// are dropped, [sound:NAME] references are taken out into *sounds (when given).
QString fieldText(QStringView html, QStringList* sounds = nullptr, int* images = nullptr);

// Whether a media name may become a file name in a folder: not empty, no '/', '\\', "..",
// drive or control characters, not absolute.
bool isSafeMediaName(QStringView name);

// A zip of the members in the given order (deflated at `level`, 0 = stored).
Status zipMembers(const std::vector<std::pair<QString, QByteArray>>& members, QByteArray* out, int level = 1);
// One member of a zip, unpacked within the limits.
Status unzipMember(QByteArrayView zip, const QString& name, QByteArray* out, const Limits& limits = {});

// A whole package (.apkg, .colpkg) held in memory. The table's readMedia keeps its own reference
// to `bytes`.
Status readPackage(const QByteArray& bytes, ForeignTable* out, const ForeignProgressFn& progress = {},
                   const Limits& limits = {});
// A bare collection (the SQLite file, already unpacked).
Status readCollection(const QByteArray& sqlite, ForeignTable* out, const ForeignProgressFn& progress = {},
                      const Limits& limits = {});

// The collection of a package written by writeAnki, before it is zipped; for the tests.
struct CollectionParts {
    QByteArray collection;                                // collection.anki2
    QByteArray mediaMap;                                  // media: {"0": "name", ...}
    std::vector<std::pair<QString, QByteArray>> media;    // "0" → bytes, ...
};
Status buildCollection(const std::vector<const WordEntry*>& entries, const ForeignExportOptions& options,
                       CollectionParts* out, ForeignExportResult* result);

} // namespace lex::anki
