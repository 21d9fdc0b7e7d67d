#pragma once
// Grading a typed spelling against the word asked: right (the word or its other national spelling,
// colour/color, centre/center, -ise/-ize), typo (no English word and only a slip away), other-word
// (an English word, but not this one) or wrong. Whether a string is an English word is a checker's
// answer, handed in; without one the grade is right or wrong only.

#include "lexora/book/skills.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <vector>

namespace lex {

class Hyphenator;

// "right", "typo", "other-word", "wrong"
QString spellingVerdictName(SpellingVerdict v);

class WordChecker {
public:
    virtual ~WordChecker() = default;
    // True when `word` is spelt as an English word (either national spelling).
    virtual bool isWord(QStringView word) const = 0;
};

// One run of letters that differ, at `at` in the compared spelling: what was typed there and what
// belongs there ("" for a letter missing or one too many).
struct SpellingEdit {
    int at = 0;
    QString typed, wanted;
    bool operator==(const SpellingEdit&) const = default;
};

struct SpellingGrade {
    SpellingVerdict verdict = SpellingVerdict::Wrong;
    QString compared;                 // the spelling the answer was held against (the word or its variant)
    int distance = 0;                 // Damerau–Levenshtein distance from `compared`
    std::vector<SpellingEdit> edits;  // the differing letters, in order
    bool checked = true;              // false: no word checker, right or wrong only
};

// The restricted Damerau–Levenshtein distance (adjacent swaps count one), ASCII case folded.
int damerauLevenshtein(QStringView a, QStringView b);
// The distance a typo may be from the word: 1 for words up to 4 letters, 2 up to 8, 3 beyond.
int typoAllowance(qsizetype letters);
// The differing letters of `typed` against `wanted`, merged into runs.
std::vector<SpellingEdit> spellingEdits(QStringView typed, QStringView wanted);
// `wanted` with each differing run in brackets: "rec[ei]ve", "bus[]ness" for a missing letter.
QString markedSpelling(QStringView wanted, const std::vector<SpellingEdit>& edits);

// The other national spellings of `word` that `checker` accepts, lower case, without `word` itself.
// Without a checker: the pairs no rule makes and what the reliable rules make (-ise/-ize, British
// -our, -re, -lled to American).
QStringList spellingVariants(QStringView word, const WordChecker* checker);

SpellingGrade gradeSpelling(QStringView target, QStringView typed, const WordChecker* checker);

// The hint ladder before the answer: the first letter, then the syllables, then the length.
struct SpellingHints {
    QString firstLetter;
    QStringList syllables;
    int length = 0;
};
SpellingHints spellingHints(QStringView word, const Hyphenator& hyphenator);
// The rungs of the ladder, each telling more than the one before and none the whole word.
inline constexpr int kHintRungs = 3;
// What rung 1..kHintRungs shows: the first letter ("r…"), then each syllable's first letter
// ("r… · c…"), then every letter's place ("r_ · c____"). Anything but a letter shows as it is.
QString spellingHintPattern(const SpellingHints& hints, int rung);

// The grade as one JSON object: {"verdict": ..., "compared": ..., "distance": ..., "marked": ...,
// "edits": [...], "checked": ...}.
QString spellingGradeJson(const SpellingGrade& g);

} // namespace lex
