#pragma once
// WordNet 3.0 in its own file format (index.*, data.*, *.exc of one folder), read in place:
// the files are mapped through an Env and every look-up bisects the sorted index and exception
// files, so nothing is built when it opens. A word's senses come out as WordNet's own `wn WORD
// -over` lists them: per part of speech (noun, verb, adjective, adverb) the word itself, then the
// base forms its morphology finds (the exception list, else the suffix rules), each with its
// senses in the index's order.

#include "common/dictionary/dictionary.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <vector>

namespace lex {

class WordForms;

inline constexpr char kWordNetPathVariable[] = "LEXORA_WORDNET_PATH";

enum class WordNetPos { Noun, Verb, Adj, Adv };
// "noun", "verb", "adj", "adv".
const char* wordNetPosName(WordNetPos pos);

struct WordSense {
    WordNetPos pos = WordNetPos::Noun;
    QString lemma;         // the index word the sense was found under ("leaf" for "leaves")
    QStringList words;     // the synset's words as written, spaces for underscores, no "(p)" marks
    QString gloss;         // the definition without its examples
    QStringList examples;  // the quoted examples, without their quotes
};

class WordNet {
public:
    explicit WordNet(Env* env = nullptr);
    WordNet(const WordNet&) = delete;
    WordNet& operator=(const WordNet&) = delete;

    // The folder LEXORA_WORDNET_PATH names when set (empty: none), else where Debian puts the files.
    static QString defaultFolder();
    // Maps what `folder` holds of the twelve files; true when at least one part of speech has
    // both its index and its data. A part of speech missing either has no senses.
    bool open(const QString& folder);
    // The files of one part of speech as bytes in memory (tests, fuzzing), not copied: they must
    // outlive this object or the next open().
    void openMemory(WordNetPos pos, QByteArrayView index, QByteArrayView data, QByteArrayView exceptions);
    void close();
    bool isOpen() const;

    // The base forms WordNet's morphology gives `word` in `pos`, in its order: every lemma of the
    // exception list when the word is there, else the first suffix rule whose result is a lemma.
    QStringList baseForms(QStringView word, WordNetPos pos) const;
    // Whether `lemma` is in the index of `pos` (in any of the spellings WordNet tries).
    bool contains(QStringView lemma, WordNetPos pos) const;

    // Every sense of `word` and of its base forms, in the order above. When WordNet finds none and
    // `forms` (a dictionary's inflected forms) names a lemma for the word, that lemma's senses.
    std::vector<WordSense> senses(QStringView word, const WordForms* forms = nullptr) const;

private:
    struct Part {
        std::unique_ptr<MappedFile> index, data, exceptions;
        QByteArrayView indexBytes, dataBytes, excBytes;
    };
    QByteArrayView excLine(const QByteArray& word, WordNetPos pos) const;
    QByteArrayList excBases(const QByteArray& word, WordNetPos pos) const;
    std::vector<QByteArrayView> indexLines(const QByteArray& word, WordNetPos pos) const;
    bool isDefined(const QByteArray& word, WordNetPos pos) const;
    QByteArray morphWord(const QByteArray& word, WordNetPos pos) const;
    QByteArrayList morphBases(const QByteArray& str, WordNetPos pos) const;
    QByteArray morphWithPreposition(const QByteArray& str) const;
    void appendSenses(QByteArrayView indexLine, WordNetPos pos, std::vector<WordSense>* out) const;
    void appendAll(const QByteArray& str, WordNetPos pos, std::vector<WordSense>* out) const;

    Env* env_;
    std::array<Part, 4> parts_;
};

// Splits the text after a synset's "|" into its gloss and its quoted examples.
void splitWordNetGloss(QStringView text, QString* gloss, QStringList* examples);

// The one example a learner is shown for `word` among its `senses`: the first in which the word or
// its sense's lemma stands as a whole word (letters compared without case), else the first of all
// (a synset's example may use another of its words); empty when no sense has one.
QString exampleOf(const std::vector<WordSense>& senses, QStringView word);

} // namespace lex
