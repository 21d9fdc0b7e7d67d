#pragma once
// Turns the ECDICT word list (a CSV file: word, phonetic, definition, translation, pos, collins,
// oxford, tag, bnc, frq, exchange, detail, audio) into the entries of either dictionary variant.
// The entries then go through encodeDictionary/buildDictionary like any other source.

#include "common/dictionary/dict_builder.h"
#include "common/dictionary/dictionary.h"
#include "common/dictionary/word_info.h"
#include "common/platform/status.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>
#include <map>
#include <vector>

namespace lex::ecdict {

// ---- CSV ---------------------------------------------------------------------------------------

// Reads comma-separated records: a field in double quotes may hold commas, line breaks and
// doubled quotes; records end at LF or CR LF outside quotes. `row` gets each record's fields and
// the 1-based line it starts on, and whether it was well formed (a quote that does not close, or
// text after a closing quote, makes it not). Returning false from `row` stops the reading.
void parseCsv(QByteArrayView data,
              const std::function<bool(const QList<QByteArray>& fields, qsizetype line, bool wellFormed)>& row);

// ---- Records -----------------------------------------------------------------------------------

struct Record {
    QString word, phonetic, definition, translation, pos, tag, exchange;
    int collins = 0, oxford = 0; // Collins stars 0..5; 1 = in the Oxford 3000
    int bnc = 0, frq = 0;        // frequency ranks (BNC, contemporary corpus); 0 = unknown
};

struct ReadResult {
    std::vector<Record> records;
    QList<qsizetype> badLines; // 1-based start lines of malformed records or of records with the wrong field count
};

// Reads the whole file: columns are found by their names in the first line; only `word` is
// required. Fails on invalid UTF-8 or a missing `word` column.
Status readCsv(QByteArrayView utf8, ReadResult* out);

// A text field as lines: the file writes a line break as the two characters backslash, n (or
// backslash r backslash n), and a backslash as two. Real line breaks count too. Lines are
// trimmed; empty ones are dropped.
QStringList fieldLines(QStringView field);

// The word information of the records (exam tags, Oxford mark, Collins stars, ranks), for the
// block after the main variant's index.
std::vector<WordInfoRecord> wordInfoRecords(const std::vector<Record>& records);

// ---- Phonetics ---------------------------------------------------------------------------------

// What the phonetic field was written in; an entry may mix several.
enum PhoneticKind : unsigned {
    kIpa = 1u << 0,           // IPA letters and stress marks
    kOldCodes = 1u << 1,      // the phonetic font's own codes: '^' for ɡ, '\' for ɜ, 'j' for ʊ
    kLookAlike = 1u << 2,     // Cyrillic or Greek look-alikes (ә, є, ε) and stress-mark look-alikes (ˊ)
    kAsciiStress = 1u << 3,   // ' for primary, , or . for secondary stress
    kVariantMarker = 1u << 4, // "(?@)" before a second pronunciation
};
constexpr int kPhoneticKindCount = 5;

struct PhoneticResult {
    QString codes;        // in the phonetic font's codes ("5iN^liF" reads ˈiŋɡliʃ)
    unsigned kinds = 0;   // PhoneticKind bits
    QString dropped;      // source characters with no place in the font, one per occurrence
    QString approximated; // source characters written as the nearest symbol of the font (ɒ as ɔ)
    bool clean() const { return dropped.isEmpty() && approximated.isEmpty(); }
};

// Converts one ECDICT phonetic field to the phonetic font's codes.
PhoneticResult convertPhonetic(QStringView ecdictPhonetic);

// What standardUkIpa had to mend in a field; an entry may need several.
enum UkMend : unsigned {
    kMendColon = 1u << 0,        // ASCII ':' for ː
    kMendAsciiStress = 1u << 1,  // ' and , (or .) for ˈ and ˌ, and the acute look-alikes of ˈ
    kMendLookAlike = 1u << 2,    // Cyrillic ә for ə, є or Greek ε for ɛ, and other look-alike letters
    kMendOldCodes = 1u << 3,     // the phonetic font's codes: ^ for ɡ, \ for ɜ, j for ʊ
    kMendAsciiG = 1u << 4,       // ASCII g for ɡ
    kMendRunTogether = 1u << 5,  // two variants run together ("dæns. dɑ:ns") or marked "(?@)"
    kMendAmericanFirst = 1u << 6, // an American variant before the British one
    kMendOldDiphthong = 1u << 7   // the older letters of the diphthongs: ei, ai, au, əu, ɔi for eɪ, aɪ, aʊ, əʊ, ɔɪ
};
constexpr int kUkMendCount = 8;

// The British pronunciation of an ECDICT phonetic field in standard IPA: its variants apart,
// the British first.
struct UkIpa {
    QStringList variants;
    unsigned mends = 0;   // UkMend bits
};
UkIpa standardUkIpa(QStringView ecdictPhonetic);

// ---- Entries -----------------------------------------------------------------------------------

// Main variant: the phonetic, then one explanation line per translation line (the English
// definition lines when there is no translation).
DictSourceEntry mainEntry(const Record& r, const QString& phoneticCodes);

// Companion variant: a marked-up text. Marker 1 the headword; 4 the phonetic between slashes in
// the font's codes (code page 936 holds no IPA; the companion shows them as IPA); 8 each translation line; 7 the headings of the
// word forms and the English definitions; 13 each word form; 9 each definition line; 14 the exam
// word lists; 6 the Collins stars and the Oxford 3000 mark.
QString companionText(const Record& r, const QString& phoneticCodes);

// Records per second-level block for the ECDICT dictionaries. On the 770,000 headwords, look-ups
// took least time with blocks of 16 to 32 records (the block walk converts few keys, the
// bisected first level stays small); 32 gives the smaller index of the two.
constexpr int kBlockSize = 32;

// Keys longer than this many bytes in code page 936 are left out of both variants (the main
// variant's reader takes a key length of 128 or more as a damaged record).
constexpr int kMaxKeyBytes = 127;

struct ConvertStats {
    qsizetype records = 0;
    qsizetype withPhonetic = 0, phoneticClean = 0, phoneticApproximated = 0, phoneticDropped = 0,
              phoneticEmptied = 0;
    qsizetype kinds[kPhoneticKindCount] = {};
    std::map<char32_t, qsizetype> droppedChars, approximatedChars; // character -> entries
    qsizetype notInCodePage = 0, keyTooLong = 0, badKey = 0, noText = 0;
    qsizetype caseDuplicates = 0;  // companion: same key under ASCII case folding
    qsizetype exactDuplicates = 0; // the same spelling twice
    qsizetype out = 0;
};

// Filters, resolves duplicates and converts. Main keeps every exact spelling (of two equal
// spellings the first). The companion folds ASCII case in its look-up and keeps one entry per
// folded key: the most frequent (lowest non-zero rank, `frq` then `bnc`), then the all-lower-case
// spelling, then the first in the file.
std::vector<DictSourceEntry> convert(const std::vector<Record>& records, DictVariant variant, ConvertStats* stats);

} // namespace lex::ecdict
