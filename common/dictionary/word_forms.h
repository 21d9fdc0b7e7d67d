#pragma once
// Inflected forms ("went" is the past tense of "go") kept in a block after the end of a compiled
// dictionary index. The look-up of the index never reads past its last block, so readers that
// know nothing of this block read such a file as before.
//
// Block: "LXFORMS" and a version byte (1), the record count, the count of the sparse table, the
// sparse table (offset of every 16th record from the first record), then the records
// "form NUL lemma NUL kind" sorted by the bytes of `form`. The index file then ends with the
// block's offset and length (32-bit little-endian each) and "LXFM".

#include "common/dictionary/dictionary.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

namespace lex {

// The forms of the word list's `exchange` column.
enum class FormKind : char {
    Past = 'p',
    PastParticiple = 'd',
    Present = 'i',      // -ing
    ThirdPerson = '3',
    Plural = 's',
    Comparative = 'r',
    Superlative = 't',
};

struct InflectedForm {
    QString form, lemma;
    FormKind kind;
};

// The forms that one word-list record names: "p:went/d:gone/..." on the lemma's record, and
// "0:go/1:pd" on a form's own record (it is the lemma's past tense and past participle).
std::vector<InflectedForm> formsFromExchange(QStringView word, QStringView exchange);

// The block for `forms` (sorted and without repeats on encoding; forms equal to their lemma
// are left out), and the same block appended with its footer to an index.
QByteArray encodeFormsBlock(std::vector<InflectedForm> forms);
void appendFormsBlock(QByteArray* index, const QByteArray& block);

// What was typed, named the way the entry's line says it: "went：go 的过去式".
QString formNote(const QString& typed, const QString& lemma, FormKind kind);

struct BaseForm {
    QString lemma;
    FormKind kind;
};

class WordForms {
public:
    // Finds the block at the end of a compiled index file (mapped, not read). A file without one
    // opens with no forms; true unless the file cannot be opened.
    bool openIndex(const QString& indexPath);
    // The same over bytes in memory, which must outlive this object.
    void openMemory(QByteArrayView indexBytes);
    void close();
    qsizetype count() const { return count_; }

    // The lemma `word` is a form of (the first of several, in the order p d i 3 s r t), or none.
    // Exact: the case of the letters counts, as the forms are stored in lower case.
    std::optional<BaseForm> baseFormOf(QStringView word) const;

private:
    MappedFile file_;
    const unsigned char* records_ = nullptr;
    uint64_t recordsSize_ = 0;
    const unsigned char* sparse_ = nullptr;
    uint32_t sparseCount_ = 0;
    qsizetype count_ = 0;
};

} // namespace lex
