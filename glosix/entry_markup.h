#pragma once
// The markup of a companion dictionary entry. A text carries markers: a backquote, a number 1 to 14
// and a backquote ("`4`", "`12`"). Each marker starts a run that lasts up to the next backquote;
// marker 1 is removed, every other marker becomes a line break before its run. A backquote that
// begins no known marker stays in the text and ends the run before it.
//
// Pure (QtCore only): entry texts come from dictionary files, so this is fuzzed.

#include <QString>
#include <QStringView>
#include <cstdint>
#include <vector>

namespace lex {

struct EntryRun {
    int marker = 0;          // 1 to 14
    qsizetype start = 0;     // in EntryMarkup::text, end exclusive
    qsizetype end = 0;
};

struct EntryMarkup {
    QString text;                      // the shown text: markers replaced, line breaks as '\n'
    std::vector<EntryRun> runs;        // in text order, never overlapping
    // One per paragraph of `text` (split at '\n'): the marker whose indent the paragraph takes,
    // that is the last run touching it, or 0 when no run touches it.
    std::vector<int> paragraphMarkers;
};

// The look of a marker's run.
struct EntryStyle {
    uint8_t red = 0, green = 0, blue = 0;
    bool bold = false;      // otherwise the weight is left as it is
    int indent = 0;         // paragraph start indent in character heights
};

// The style of markers 1 to 14; anything else gives the plain default (black, no indent).
EntryStyle entryStyle(int marker);

// The marker (1 to 14) beginning at text[k] (a backquote), with its length (3 or 4) in *length;
// 0 when none begins there. Never reads past the end of the text.
int markerAt(QStringView text, qsizetype k, qsizetype* length);

// Parses an entry text in one pass (linear in its length). CR LF line breaks count as one '\n'.
EntryMarkup parseEntryText(QStringView text);

} // namespace lex
