#pragma once
// 从文章取词: the words of something the learner reads (a text, a subtitle file, an e-book),
// each brought to its base form, counted, with the sentence it first stands in.

#include "common/platform/env.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>
#include <optional>
#include <vector>

namespace lex {

class Dictionary;
class WordForms;
class WordInfoTable;
class WordNet;

// The largest file read whole; a longer one is refused with a message, not read in part.
inline constexpr qint64 kMaxReadingFileBytes = 64 * 1024 * 1024;

enum class ReadingKind { Text, Subtitles, Epub };
// By the file's extension (.txt, .srt, .vtt, .epub; anything else is text).
ReadingKind readingKindOf(const QString& path);

// The text of a subtitle file (SubRip or WebVTT): the cues' lines without their numbers, times,
// settings, styling tags and notes.
QString subtitleText(QStringView raw);

// Reads a file the learner chose into plain text, by its kind (text in UTF-8, UTF-16 or GBK as
// the word lists are). Refused: a missing file, one past kMaxReadingFileBytes, one that is no text.
Status readReadingFile(Env* env, const QString& path, QString* text);

// One word as the text has it.
struct TextToken {
    QString text;              // as written, apostrophes straightened ("don't", "mother-in-law")
    qsizetype sentence = 0;    // the number of its sentence, from 0
    bool sentenceStart = false;
};

// Calls `each` for every word of `text` and `sentence` for every sentence (its number and its
// text, spaces simplified) before that sentence's words. Numbers and words not in Latin letters
// are not words here.
void tokenizeText(QStringView text, const std::function<void(const TextToken&)>& each,
                  const std::function<void(qsizetype number, const QString& sentence)>& sentence = {});

// How the words are brought to their headwords; every member may be empty.
struct WordResolver {
    // The headword `lower` (a word in lower case) is a form of, or the word itself when it is a
    // headword; empty when the dictionaries know neither.
    std::function<QString(const QString& lower)> baseOf;
    // Word-information data where the dictionary has it: the frequency rank (none: no data) ...
    std::function<std::optional<int>(const QString& headword)> rankOf;
    // ... and the exam lists the word belongs to.
    std::function<QStringList(const QString& headword)> examsOf;
};

// The resolver over the dictionaries at hand (each may be null): the dictionary's inflected forms
// first ("went" is "go"), then WordNet (the word itself when it is a lemma, else its morphology),
// then the dictionary's own headwords. The rank is the word information's frequency rank (frq) and
// the exams its exam lists by their tags ("cet4"), of the headword as found or, failing that,
// capitalised ("english" has those of "English"). They must outlive the resolver.
WordResolver dictionaryResolver(const WordForms* forms, const WordNet* wordnet, const Dictionary* dict,
                                const WordInfoTable* info = nullptr);

struct TextWord {
    QString word;              // the headword (or the word in lower case when none was found)
    int count = 0;             // how often it stands in the text, all its forms together
    QString sentence;          // the sentence it first stands in
    bool resolved = false;     // a headword of the dictionaries
    bool name = false;         // only ever written with a capital inside a sentence: a proper name
    std::optional<int> rank;
    QStringList exams;
    qsizetype firstAt = 0;     // the number of its first token
};

struct TextWordsSummary {
    qsizetype tokens = 0;      // every word token
    qsizetype nameTokens = 0;  // the tokens of proper names
    qsizetype resolvedTokens = 0;
};

// The words of `text`, most frequent first (then in the order they first appear).
std::vector<TextWord> wordsFromText(QStringView text, const WordResolver& resolver, TextWordsSummary* summary = nullptr);

// What the learner asked to leave out: words already in the Book (`known`, in lower case), words
// of a frequency rank within `knownRank` (0: none), and proper names unless `keepNames`.
struct TextWordFilter {
    std::function<bool(const QString& lowerWord)> inBook;
    int knownRank = 0;
    bool keepNames = false;
};
std::vector<TextWord> filterTextWords(std::vector<TextWord> words, const TextWordFilter& filter);

} // namespace lex
