#pragma once
// One entry of a word book, and its time stamps.

#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>
#include <memory>

namespace lex {

// Five bytes as stored: year modulo 16, month, day, hour, minute (local time).
struct EntryTime {
    uint8_t year = 0, month = 0, day = 0, hour = 0, minute = 0;

    // "08/04/05 09:07": each value in decimal with at least two digits.
    QString toText() const;
    // Year, month, day, hour, minute as unsigned bytes, the first difference deciding.
    int compare(const EntryTime& other) const;
    bool operator==(const EntryTime&) const = default;
};
static_assert(sizeof(EntryTime) == 5);

// The 21 bytes that the index file stores per entry, in file order and packed.
#pragma pack(push, 1)
struct IndexFields {
    uint32_t textStart = 0;   // byte offset of the text record in NAME.txt
    uint32_t textEnd = 0;     // just past it
    uint8_t recognition = 0;  // 认读
    uint8_t spelling = 0;     // 拼写
    uint8_t listening = 0;    // 听辩
    EntryTime review;         // 复习时间
    EntryTime added;          // 添加时间
};
#pragma pack(pop)
static_assert(sizeof(IndexFields) == 21);

enum class TextField : uint8_t { Word = 0, Explanation = 1, Phonetic = 2, ClassName = 3, Comment = 4 };
constexpr int kTextFieldCount = 5;

// The list columns that address the four strangeness degrees.
enum StrangenessColumn : int { kColTemporary = 4, kColRecognition = 5, kColSpelling = 6, kColListening = 7 };
constexpr int kMaxStrangeness = 10;

class WordEntry {
public:
    WordEntry() = default;
    // A copy owns its texts, so it outlives the Book that the original may borrow them from.
    WordEntry(const WordEntry& other);
    WordEntry& operator=(const WordEntry& other);

    int32_t seq = 0;       // sequence number; the list shows seq + 1
    int32_t keptSeq = 0;   // restored into seq after a shuffle
    IndexFields stored;    // exactly what the index file holds
    uint8_t temporary = 0; // 临时 strangeness, never stored
    bool reveal = true;    // shows word and explanation while the list hides them

    // Derived: index of the first CR LF of the explanation / comment, -1 when none.
    int32_t explanationFirstLine() const { resolve(); return explanationFirstLine_; }
    int32_t commentFirstLine() const { resolve(); return commentFirstLine_; }

    // Text fields. A view stays valid until the field is set again or the Book is cleared.
    QStringView text(TextField f) const { resolve(); return fields_[size_t(f)]; }
    QStringView word() const { return text(TextField::Word); }
    QStringView explanation() const { return text(TextField::Explanation); }
    QStringView phonetic() const { return text(TextField::Phonetic); }
    QStringView className() const { return text(TextField::ClassName); }
    QStringView comment() const { return text(TextField::Comment); }

    // Sets a field to its own copy of `value` and keeps the first-line fields up to date.
    void setText(TextField f, const QString& value);
    void setWord(const QString& v) { setText(TextField::Word, v); }
    void setExplanation(const QString& v) { setText(TextField::Explanation, v); }
    void setPhonetic(const QString& v) { setText(TextField::Phonetic, v); }
    void setClassName(const QString& v) { setText(TextField::ClassName, v); }
    void setComment(const QString& v) { setText(TextField::Comment, v); }

    // Points a field at text owned by someone else (the loaded text file held by the Book), so
    // that loading copies no text. The owner must outlive the entry or the next setText().
    // Keeps the first-line fields up to date like setText().
    void bindText(TextField f, QStringView borrowed);
    // The same with the field's first CR LF already known (the loader finds it while scanning).
    void bindText(TextField f, QStringView borrowed, int32_t firstLine)
    {
        resolve();
        if (owned_)
            (*owned_)[size_t(f)].clear();
        fields_[size_t(f)] = borrowed;
        if (f == TextField::Explanation)
            explanationFirstLine_ = firstLine;
        else if (f == TextField::Comment)
            commentFirstLine_ = firstLine;
    }
    // Points the entry at a whole text record owned by someone else (as bindText does) and
    // leaves it unparsed until a field is first asked for: loading a large Book then reads no
    // text at all, and a list that shows a few rows parses only those.
    void bindRecord(QStringView record)
    {
        if (owned_ || pending_)
            clearTexts();
        else
            fields_[1] = fields_[2] = fields_[3] = fields_[4] = QStringView();
        fields_[0] = record;
        pending_ = true;
    }
    // The same answer as word().isEmpty(), without parsing a pending record when its first
    // characters already tell (the word selector followed by a character of the word).
    bool wordIsEmpty() const
    {
        if (pending_) {
            const QStringView r = fields_[0];
            if (r.size() >= 2 && r[0].unicode() == 0 && r[1].unicode() > 4)
                return false;
        }
        return word().isEmpty();
    }

    // True when no field borrows text (every field is empty or an owned copy).
    bool ownsAllTexts() const;
    // Drops every text (owned or borrowed): all five fields empty, first-line fields -1.
    void clearTexts();

    // Strangeness by list column 4..7; nullptr for any other column.
    uint8_t* strangeness(int column);
    const uint8_t* strangeness(int column) const;

    // Recomputes both first-line fields from the current texts.
    void updateFirstLines();

private:
    void resolve() const
    {
        if (pending_)
            parsePending();
    }
    void parsePending() const;

    // While pending_ is set, fields_[0] holds the unparsed record (see bindRecord).
    mutable std::array<QStringView, kTextFieldCount> fields_{};
    // Owned copies, allocated on the first setText(); fields_ then point into them.
    std::unique_ptr<std::array<QString, kTextFieldCount>> owned_;
    mutable int32_t explanationFirstLine_ = -1;
    mutable int32_t commentFirstLine_ = -1;
    mutable bool pending_ = false;
};

// Index of the first CR LF in `text`, -1 when none.
int32_t firstLineBreak(QStringView text);

} // namespace lex
