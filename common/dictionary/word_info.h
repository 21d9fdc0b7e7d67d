#pragma once
// What the word list says of a headword beyond its texts: the exam word lists it is in, the
// Oxford 3000 mark, its Collins stars and two frequency ranks. Kept in a block after the end of a
// compiled index (tag "LXWI", index_blocks.h) that older readers never look at; a dictionary
// without the block has no word information, and so offers no word lists.
//
// Block: "LXWINFO" and a version byte (1), the record count and the byte size of the word pool
// (32-bit little-endian each), the records, then the pool. A record is 16 bytes: the offset of its
// word in the pool (32 bits), the exam and Oxford bits (16 bits), the Collins stars (8 bits), a
// byte kept 0, the BNC rank and the frequency rank (32 bits each; 0 = unranked). Records are
// sorted by the UTF-8 bytes of their words, each word once; the pool holds the words, each ended
// by NUL.

#include "common/dictionary/dictionary.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <vector>

namespace lex {

// The exam word lists, in the order of their bits and of the names learners know them by.
enum class Exam : uint8_t { Zk, Gk, Cet4, Cet6, Ky, Ielts, Toefl, Gre };
constexpr int kExamCount = 8;
// "zk", "gk", "cet4", "cet6", "ky", "ielts", "toefl", "gre": the word list's own tags.
const char* examName(Exam e);

constexpr int kMaxCollins = 5;

struct WordInfo {
    uint16_t exams = 0;  // bit (1 << Exam)
    bool oxford = false; // in the Oxford 3000
    uint8_t collins = 0; // Collins stars, 0 to 5
    uint32_t bnc = 0;    // rank in the British National Corpus; 0 = unranked
    uint32_t frq = 0;    // rank in the contemporary corpus; 0 = unranked
    bool inExam(Exam e) const { return exams & (1u << unsigned(e)); }
    bool any() const { return exams || oxford || collins || bnc || frq; }
    bool operator==(const WordInfo&) const = default;
};

// The information of one word-list record: its space-separated tags (unknown ones ignored), its
// Collins stars (clamped to 0..5), Oxford mark (non-zero: in) and ranks (negative: unranked).
WordInfo wordInfoFrom(QStringView tags, int collins, int oxford, int bnc, int frq);

struct WordInfoRecord {
    QString word;
    WordInfo info;
};

inline constexpr char kWordInfoTag[5] = "LXWI";

// The block for `records`: sorted, the first of equal words kept, words without information and
// empty words or words holding U+0000 left out.
QByteArray encodeWordInfoBlock(std::vector<WordInfoRecord> records);

class WordInfoTable {
public:
    explicit WordInfoTable(Env* env = Env::defaultEnv()) : file_(env) {}
    WordInfoTable(const WordInfoTable&) = delete;
    WordInfoTable& operator=(const WordInfoTable&) = delete;

    // Finds the block at the end of a compiled index file (mapped, not read). A file without the
    // block, or with one of another version or damaged, opens with no words; false only when the
    // file cannot be opened.
    bool openIndex(const QString& indexPath);
    // The same over bytes in memory, which must outlive this object.
    void openMemory(QByteArrayView indexBytes);
    void close();

    // Records in the order of their words' UTF-8 bytes.
    qsizetype count() const { return count_; }
    QByteArrayView wordBytes(qsizetype i) const; // UTF-8, without its NUL
    QString word(qsizetype i) const { return QString::fromUtf8(wordBytes(i)); }
    WordInfo info(qsizetype i) const;
    // The record of exactly `word` (case counts), or -1.
    qsizetype find(QStringView word) const;

private:
    MappedFile file_;
    const unsigned char* records_ = nullptr;
    const char* pool_ = nullptr;
    uint32_t poolSize_ = 0;
    qsizetype count_ = 0;
};

} // namespace lex
