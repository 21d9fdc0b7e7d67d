#pragma once
// Builds the two dictionary files of either variant from headwords and their texts, and reads
// the tab-separated source that `lexbook dict-build` compiles.

#include "common/dictionary/dictionary.h"
#include "common/dictionary/word_forms.h"
#include "common/platform/env.h"
#include "common/platform/status.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace lex {

struct DictSourceEntry {
    QString key;
    QString phonetic;        // main variant
    QStringList explanation; // main variant: one string per line
    QString text;            // companion variant: the entry text; CR LF or LF between lines
};

// A look-up walks at most one block record by record, converting keys that are not ASCII, while
// the first level is bisected: small blocks cost little per look-up and 64 keeps the first-level
// table (one record per block) small enough to stay in cache for a dictionary of 770,000 words.
constexpr int kDefaultDictBlockSize = 64;

struct DictBuildOptions {
    DictVariant variant = DictVariant::Main;
    int blockSize = kDefaultDictBlockSize; // records per second-level block, at least 1
    std::vector<InflectedForm> forms;      // kept in a block after the index (none: no block)
    // Further blocks after the index (index_blocks.h), in this order, each with its tag; the
    // forms block follows them, last, where older readers look for it.
    struct Block {
        char tag[5];
        QByteArray bytes;
    };
    std::vector<Block> blocks;
};

struct DictBuildStats {
    qsizetype in = 0;
    qsizetype written = 0;
    qsizetype duplicates = 0;    // equal to an earlier key under the variant's comparison
    qsizetype notInCodePage = 0; // key has a character code page 936 cannot hold
    qsizetype keyTooLong = 0;    // main variant: the key needs 128 bytes or more
    qsizetype badKey = 0;        // empty, or holds U+0000
    qsizetype badText = 0;       // holds a character the text layout uses as a separator
    qsizetype textReplaced = 0;  // written, but some text characters became '?'
    qsizetype blocks = 0;
};

// Sorts, filters and lays out the entries; `index` and `text` receive the two files' bytes.
Status encodeDictionary(const std::vector<DictSourceEntry>& entries, const DictBuildOptions& options,
                        QByteArray* index, QByteArray* text, DictBuildStats* stats);

// encodeDictionary, then writes the text file and the index file, each atomically.
Status buildDictionary(Env* env, const QString& indexPath, const QString& textPath,
                       const std::vector<DictSourceEntry>& entries, const DictBuildOptions& options,
                       DictBuildStats* stats);

// The tab-separated source: UTF-8, one entry a line, '#' lines and blank lines skipped.
// Main: word TAB phonetic TAB explanation; companion: word TAB entry text. In the explanation
// and the entry text, backslash-n is a line break, backslash-t a tab and two backslashes one.
// The phonetic is taken as written (its font uses the backslash as a letter).
struct DictSourceParse {
    std::vector<DictSourceEntry> entries;
    QList<int> malformedLines; // 1-based numbers of lines with the wrong number of fields
};
Status parseDictSource(QByteArrayView utf8, DictVariant format, DictSourceParse* out);

// A companion entry text made from a main entry: the headword in marker 1, the phonetic in
// marker 4 (in the phonetic font's codes, as the file's code page holds no IPA; the companion
// shows them as IPA) and each explanation line in marker 8.
QString companionTextFromMain(const DictSourceEntry& mainEntry);

} // namespace lex
