#pragma once
// Marked-up text (HTML, XDXF, Pango markup) reduced to what a reader sees: the words and the line
// breaks, never a tag, script, style, link or image.

#include <QString>
#include <QStringView>

namespace lex {

// The text of `markup`. Tags that start a block (br, p, div, li, ...) become '\n'; character
// references (&amp;, &#20013;, &#x4E2D;) become their characters, unknown ones stay as written.
// `collapse`: runs of white space become one blank (HTML), else line breaks in the text are kept
// (XDXF, Pango).
QString markupToText(QStringView markup, bool collapse);

} // namespace lex
