#pragma once
// `Glosix --selection`: reading the word the learner selected in another program, and showing it
// in a Glosix that has just started.

#include <QString>

namespace lex {

class CGlosixDlg;

// The text the learner selected: X11's PRIMARY selection; where there is none (Wayland without
// the primary-selection protocol) or it holds no word there, the clipboard.
QString selectedText();

// Shows `word` in the window just shown, as a word that brings it up (counted as a look-up). With
// no word on a platform other than X11 the selection is read again once the window has the focus:
// Wayland hands the selection only to a focused window.
void showSelectionAtStart(CGlosixDlg& window, const QString& word);

// For a `Glosix --selection` that hands its word to the running Glosix and has no window of its
// own: on a platform other than X11 a one-pixel window of ours is shown until it has the focus
// (at most `timeoutMs`), the selection read, and the window closed. On X11: selectedText().
QString selectedTextWithFocus(int timeoutMs = 1500);

} // namespace lex
