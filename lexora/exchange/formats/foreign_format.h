#pragma once
// Word lists in other programs' formats: Anki packages (.apkg, .colpkg), KDE vocabulary files
// (.kvtml 2.0), CSV and TSV. Each format is one file pair (anki_package, kvtml_format,
// csv_format) and one row of the table at the end of this header; the import/export dialog,
// lexbook and the guessers below reach the formats only through that table.
//
// Reading gives a table (named fields, one row per note, entry or line) so that the learner can
// say in the preview which field becomes which part of an entry; writing takes the entries
// themselves. Nothing here touches a Book: the caller turns the rows into entries through the
// session, as one undoable step.

#include "common/platform/status.h"
#include "lexora/exchange/text_format.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace lex {

class Env;
class WordEntry;

enum class ForeignKind { Anki, Kvtml, Csv, Tsv };

// By extension, case-insensitive, from the table's rows: .apkg and .colpkg → Anki, .kvtml, .csv,
// .tsv. Nothing for every other name (the text styles).
std::optional<ForeignKind> foreignKindForPath(const QString& path);
// By the names of the rows, as lexbook's --format takes them: apkg (or anki, colpkg), kvtml, csv, tsv.
std::optional<ForeignKind> foreignKindByName(const QString& name);

// Sane sizes past which input is refused with Status::Code::Refused (a zip bomb, a 100 MB field).
inline constexpr qint64 kForeignMaxFileBytes = qint64(1) << 31;      // the file as it lies on disk
inline constexpr qint64 kForeignMaxUnpackedBytes = qint64(1) << 31;  // any one member unpacked
inline constexpr qint64 kForeignMaxTotalUnpacked = qint64(4) << 30;  // all members unpacked
inline constexpr qsizetype kForeignMaxFieldChars = 1 << 20;          // one field of one row
inline constexpr qsizetype kForeignMaxRows = 10'000'000;

struct ForeignRow {
    QStringList values;   // one plain text per field (Anki's HTML already reduced to text)
    QStringList tags;     // Anki tags; kvtml lessons
    QStringList sounds;   // media names the row refers to ([sound:NAME]), as stored in the package
};

struct ForeignTable {
    QStringList fields;             // field names: Anki's note type fields, a CSV header, "1", "2", ...
    std::vector<ForeignRow> rows;
    QStringList losses;             // what could not be carried, one line each, for the result message
    QStringList mediaNames;         // media in the package (checked: no "/", no "..", not absolute)
    // Reads one media file by its stored name; empty when the format has no media. Reading is lazy
    // so that a preview never unpacks the package's media.
    std::function<Status(const QString& name, QByteArray* out)> readMedia;
};

// Our Anki export tags each note with the entry's degrees, "lexora::recognition::7" and so on
// (skillName()), so that they come back on import.
inline constexpr QStringView kDegreeTagPrefix = u"lexora::";

// Which field becomes which part of an entry; -1 leaves that part empty.
struct FieldMap {
    int word = 0;
    int phonetic = -1;
    int explanation = 1;
    int comment = -1;
    int className = -1;   // -1 and classFromTags: the first tag that is not a degree tag
    bool classFromTags = false;
};
// The map the preview starts with: by field names first (Word/Front/Expression/单词/英文...,
// Phonetic/Pronunciation/IPA/音标, Meaning/Back/Explanation/释义/中文, Comment/Notes/备注,
// Class/Lesson/类别), else word = field 0 and explanation = field 1.
FieldMap guessFieldMap(const QStringList& fields);

// Rows → records for the session's import step. A row whose word is empty after trimming is left
// out and counted in *rejected.
std::vector<ImportRecord> recordsFromTable(const ForeignTable& table, const FieldMap& map, int* rejected = nullptr);

// Progress of a long read or write: units done and in all (bytes or rows). Returning false cancels.
using ForeignProgressFn = std::function<bool(qint64 done, qint64 total)>;

// Reads `path` in `kind`. Every failure has a message for the learner (a damaged zip, a file that
// is no collection, a newer Anki schema, entity tricks, a field past the limit, ...) and leaves
// *out empty.
Status readForeign(ForeignKind kind, Env* env, const QString& path, ForeignTable* out,
                   const ForeignProgressFn& progress = {});

struct ForeignExportOptions {
    QString deckName;   // the Anki deck and the kvtml title: the Book's name
    // The sound of an entry for the package's media: the bytes and the extension without the dot
    // ("mp3", "wav"). Empty function: no media. Returning false leaves that entry without sound.
    std::function<bool(const WordEntry& entry, QByteArray* data, QString* extension)> sound;
    ForeignProgressFn progress;
};

struct ForeignExportResult {
    int written = 0;
    int withSound = 0;
    QStringList losses;   // what the format could not carry
};

// Writes the entries to `path` in `kind`, through a temporary file renamed over `path`, so that a
// failure leaves any earlier file as it was.
Status writeForeign(ForeignKind kind, Env* env, const QString& path, const std::vector<const WordEntry*>& entries,
                    const ForeignExportOptions& options, ForeignExportResult* result = nullptr);

// One row per format: all that the dialog, lexbook and the guessers know of it.
struct ForeignFormat {
    using Reader = Status (*)(Env* env, const QString& path, ForeignTable* out, const ForeignProgressFn& progress);
    using Writer = Status (*)(Env* env, const QString& path, const std::vector<const WordEntry*>& entries,
                              const ForeignExportOptions& options, ForeignExportResult* result);
    ForeignKind kind;
    QString label;            // the item of 格式 and the chooser's description: "Anki"
    QStringList extensions;   // lower case, without the dot
    QStringList names;        // lexbook's --format: the extensions first, then other names
    bool packsSounds = false; // an export carries each word's sound (ForeignExportOptions::sound)
    Reader read = nullptr;
    Writer write = nullptr;

    // The chooser's filter for the row, in the Windows form: "Anki (*.apkg *.colpkg)|*.apkg;*.colpkg|".
    QString chooserFilter() const;
};
// The rows, in the order 格式 lists them after the text styles.
const std::vector<ForeignFormat>& foreignFormats();
const ForeignFormat& foreignFormat(ForeignKind kind);

// The formats' own entry points, called only through the table.
namespace foreign {
Status readAnki(Env* env, const QString& path, ForeignTable* out, const ForeignProgressFn& progress);
Status writeAnki(Env* env, const QString& path, const std::vector<const WordEntry*>& entries,
                 const ForeignExportOptions& options, ForeignExportResult* result);
Status readKvtml(Env* env, const QString& path, ForeignTable* out, const ForeignProgressFn& progress);
Status writeKvtml(Env* env, const QString& path, const std::vector<const WordEntry*>& entries,
                  const ForeignExportOptions& options, ForeignExportResult* result);
// `tab`: TSV (tab-separated, the default separator) rather than CSV (comma by default); both honour
// Anki's "#separator:", "#html:" and "#columns:" header lines.
Status readDelimited(bool tab, Env* env, const QString& path, ForeignTable* out, const ForeignProgressFn& progress);
Status writeDelimited(bool tab, Env* env, const QString& path, const std::vector<const WordEntry*>& entries,
                      const ForeignExportOptions& options, ForeignExportResult* result);
// Parsers over bytes, for the fuzz targets and the tests.
Status parseKvtml(QByteArrayView bytes, ForeignTable* out);
Status parseDelimited(bool tab, QByteArrayView bytes, ForeignTable* out);
} // namespace foreign

} // namespace lex
