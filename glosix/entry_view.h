#pragma once
// Draws an entry text into the text pane: each marker's run in its colour and weight, all in the
// pane's font (a phonetic is IPA, marker 4 only colours it), paragraphs indented by multiples of
// the character height.
// The text is inserted as text, never read as HTML.

#include <QFont>
#include <QStringView>

class QTextEdit;

namespace lex {

struct EntryMarkup;

struct EntryFonts {
    QFont text;   // the pane's font, phonetics included
};

// The character height that indents are counted in: the em height of `font` in pixels.
int entryCharHeight(const QFont& font);

// Replaces the pane's content with `text`, caret and scroll position at the start.
void ShowEntryText(QTextEdit* pane, QStringView text, const EntryFonts& fonts);
// The same for a parsed text (benchmarks parse once).
void showEntryMarkup(QTextEdit* pane, const EntryMarkup& markup, const EntryFonts& fonts);

} // namespace lex
