#pragma once
// The three text word-list styles: reading them into a Book and writing entries back out.
//   style 1: one entry per line; the first TAB or non-ASCII character starts the explanation
//   style 2: a word line, then an explanation line
//   style 3: tagged lines (+word \explanation &phonetic @class //comment)
// Styles 1 and 2 end a line only at CR LF; style 3 also at a lone CR, LF or U+0000.

#include "lexora/book/skills.h"
#include "lexora/exchange/text_encoding.h"

#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace lex {

class Book;
class Clock;
class WordEntry;

constexpr int kFirstStyle = 1;
constexpr int kLastStyle = 3;

// One parsed record, before it becomes a WordEntry.
struct ImportRecord {
    QString word, explanation, phonetic, comment, className;
    // Degrees the file itself carries (by storedIndex() of each Skill; 0..10), as our own Anki
    // packages do; -1 takes the import's chosen degree.
    std::array<int, kSkillCount> degrees{-1, -1, -1};
};

// Dictionary fill: on success sets the explanation and the phonetic of `word`. On failure it may
// leave the outputs as they were; the reader then treats both as empty.
using LookUpFn = std::function<bool(QStringView word, QString& explanation, QString& phonetic)>;

// Progress of a long import: characters read so far and in all. Returning false cancels; the
// record being read then is dropped, every record already added stays.
using ImportProgressFn = std::function<bool(qsizetype done, qsizetype total)>;

// Parses `text` in `style` (1..3) and hands every complete record to `sink`, in file order.
// `lookUp` may be empty (no dictionary). `sink` returning false stops the parse. Returns false
// when stopped (by the sink or by `progress`).
bool parseWordList(QStringView text, int style, const LookUpFn& lookUp,
                   const std::function<bool(ImportRecord&)>& sink,
                   const ImportProgressFn& progress = {});

struct ImportSettings {
    int style = 1;
    // Given to every imported entry; the temporary degree is always 0.
    uint8_t recognition = 10, spelling = 10, listening = 10;
    LookUpFn lookUp;
    ImportProgressFn progress;
    // Leaves out a record whose word the Book already holds (as Glosix's AddTo compares words),
    // a word met earlier in the same import included.
    bool skipKnown = false;
};

struct ImportResult {
    int added = 0;       // rows appended to the Book
    int rejected = 0;    // records whose word was empty
    int skipped = 0;     // records left out by skipKnown
    bool cancelled = false;
};

// Appends one entry per complete record through Book::AddEntry(entry, AddMode::Interactive).
// Review and added time are the clock's local time, taken once at the start.
ImportResult importWordList(Book& book, QStringView text, const ImportSettings& settings, const Clock& clock);
// The same for records read from another program's file: no style; the dictionary fills the
// explanation or phonetic a record leaves empty, as style 3 does; `progress` counts records.
ImportResult importRecords(Book& book, std::vector<ImportRecord>& records, const ImportSettings& settings,
                           const Clock& clock);

// The text of an export, every line ending in CR LF. Strangeness and times are never written.
QString exportWordList(const std::vector<const WordEntry*>& entries, int style);
// The bytes of an exported file in `encoding` (Utf16, Cp936 or Utf8).
QByteArray exportWordListBytes(const std::vector<const WordEntry*>& entries, int style,
                               TextEncoding encoding, bool* lossy = nullptr);

} // namespace lex
