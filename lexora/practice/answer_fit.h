#pragma once
// The text of a practice answer button: an explanation in the window's big font when it fits, else
// in the largest smaller font that holds all of it, else cut with "…" at the smallest size.
// Explanations of two or three lines are common; a long one must not run off the button.

#include <QFont>
#include <QSize>
#include <QString>
#include <utility>

namespace lex {

// The font and text for a button of `button` size that draws `text` centred and word-wrapped.
std::pair<QFont, QString> fitAnswerText(const QFont& big, const QString& text, const QSize& button);

} // namespace lex
