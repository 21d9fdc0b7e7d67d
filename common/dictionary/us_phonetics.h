#pragma once
// Both accents' pronunciations in standard IPA, kept in a block after the compiled index (tag
// "LXUS", index_blocks.h) that a reader of its own looks words up in: the American converted from
// the CMU Pronouncing Dictionary's ARPAbet, the British the entry's own phonetic made standard
// (ecdict::standardUkIpa). The entries keep their phonetic in the font's codes as before.

#include "common/dictionary/dictionary.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

namespace lex {

// One syllable of a CMU pronunciation: its ARPAbet phones (lower case, no stress digits) and its
// stress, 0 none, 1 primary, 2 secondary.
struct CmuSyllable {
    QStringList phones;
    int stress = 0;
};

// One pronunciation in IPA: a stress mark before each stressed syllable of a word of more than
// one (the first of several primary stresses is the primary, the rest secondary, as the Festival
// edition merges the two), ʌ and ɝ stressed for ə and ɚ unstressed, and the syllabic l, n and m
// of button and little.
QString arpabetToIpa(const std::vector<CmuSyllable>& syllables);

// One line of the Festival edition of the dictionary (festlex-cmu's cmudict-0.4.out):
//   ("button" nil (((b ah) 1) ((t ax n) 0)))
// False for any other line.
bool parseFestivalCmuLine(QStringView line, QString* word, std::vector<CmuSyllable>* syllables);
// One line of the plain edition ("BUTTON  B AH1 T AH0 N", "READ(1)  R EH1 D"; ";;;" comments):
// the syllables are made by giving each vowel the consonants before it that can begin a syllable.
bool parsePlainCmuLine(QStringView line, QString* word, std::vector<CmuSyllable>* syllables);

// Reads either edition's text: lower-case word -> its pronunciations in IPA, in the file's order,
// without repeats.
QMap<QString, QStringList> readCmuDictionary(const QByteArray& text);

inline constexpr char kUsPhoneticTag[] = "LXUS";

enum class Accent : uint8_t { UK = 0, US = 1 };

struct AccentIpa {
    QString uk, us;   // each "; "-joined when a word has more than one
};

// The block's bytes: magic "LXUS", version 1, the count, an offset per word, then per word its
// lower-case spelling, its British and its American IPA, UTF-8, each ended by a zero byte; words
// in byte order. Words with neither are left out.
QByteArray buildPhoneticBlock(const QMap<QString, AccentIpa>& words);

// The learner's accent (英音 / 美音): Config.INI [SPEECH2] Accent, "UK" (the default) or "US".
inline constexpr char kAccentSection[] = "SPEECH2";
inline constexpr char kAccentKey[] = "Accent";
Accent accentFromSetting(QStringView value);
QString accentSetting(Accent accent);

// The phonetic font's codes of an IPA text: what the Book keeps. Symbols the font lacks become
// the nearest it has (the syllabic mark is left out, ɾ is t, ʍ is w).
QString phoneticCodesFromIpa(QStringView ipa);

class AccentPhonetics;
// The phonetic 添加 fills in for `word`: the dictionary's own (British, in the font's codes) for
// the British accent or when the block has no American form, else the first American one.
QString phoneticToFill(Accent accent, const QString& dictionaryCodes, const AccentPhonetics& accents, QStringView word);

class AccentPhonetics {
public:
    // Reads the "LXUS" block after an index; a missing, damaged or unknown-version block leaves
    // the reader empty. `indexBytes` must outlive the reader.
    void openMemory(QByteArrayView indexBytes);
    // Opens the block of a compiled dictionary's index file.
    bool openIndex(const QString& indexPath);
    qsizetype size() const { return count_; }
    // The IPA of `word` (ASCII case folded) in `accent`, empty when the block has none.
    QString find(QStringView word, Accent accent) const;

private:
    bool entryAt(uint32_t i, QByteArrayView* word, QByteArrayView* uk, QByteArrayView* us) const;
    MappedFile file_;
    const unsigned char* data_ = nullptr;
    uint64_t size_ = 0;
    uint32_t count_ = 0;
};

} // namespace lex
