#pragma once
// Syllables of an English word from hyphenation patterns (Liang's method, the pattern files of
// the hyphen package: a charset line, optional LEFTHYPHENMIN/RIGHTHYPHENMIN lines, then one
// pattern a line). Without patterns a word is cut after each vowel group, which is rougher but
// never empty.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

namespace lex {

// The patterns file kHyphenationPatternsVariable names (set but empty: none), else the system's
// English patterns (the hyphen-en-us package).
inline constexpr char kHyphenationPatternsVariable[] = "LEXORA_HYPHEN_PATTERNS";
QString defaultHyphenationPatterns();

class Hyphenator {
public:
    Hyphenator() = default;
    // Reads a pattern file's bytes; lines it does not understand are skipped. False when no
    // pattern was found (the object then cuts by vowel groups).
    bool load(const QByteArray& patterns);
    bool hasPatterns() const { return !patterns_.isEmpty(); }

    // The word's syllables in order; their concatenation is the word. A word with anything but
    // letters in it is cut only at its letters' runs.
    QStringList syllables(QStringView word) const;

private:
    QStringList byVowelGroups(QStringView word) const;
    QHash<QString, std::vector<uint8_t>> patterns_;   // letters -> the digits between them
    int maxPatternLength_ = 0;
    int leftMin_ = 2, rightMin_ = 2;
};

} // namespace lex
