#pragma once
// One entry of a word book, and its time stamps.

#include "lexora/book/skills.h"

#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>
#include <limits>
#include <memory>

namespace lex {

// The calendar year a stored year (its last four bits) stands for, seen from `todayYear`: the
// latest year not after it that ends in those bits.
constexpr int calendarYear(unsigned storedYear, int todayYear)
{
    return todayYear - ((todayYear - int(storedYear & 15u)) % 16 + 16) % 16;
}

// Five bytes as stored: year modulo 16, month, day, hour, minute (local time).
struct EntryTime {
    uint8_t year = 0, month = 0, day = 0, hour = 0, minute = 0;

    // "08/04/05 09:07": each stored value in decimal with at least two digits.
    QString toText() const;
    // As the list shows it, seen from `todayYear`: "26/12/09 10:07", the year as the last two
    // digits of its calendarYear(). A year byte above 15 (a damaged index) is shown as stored.
    QString toText(int todayYear) const;
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

// Index of the first CR LF in `text`, -1 when none.
int32_t firstLineBreak(QStringView text);

// U+0000..U+0004 are the field selectors of a text record; no field may hold one. setText()
// drops them, so every way in (dialogs, class names, import, dictionary fill) is covered.
bool hasFieldSelector(QStringView text);
QString withoutFieldSelectors(QStringView text);

// 48 bytes: a Book of a million entries is loaded by filling one block of these, so every
// byte here is paid for on each load. A loaded entry only points at its text record in the
// Book's copy of NAME.txt and finds its fields there when asked; an entry that was edited, or
// made in memory, owns its five texts in a separate allocation.
class WordEntry {
public:
    WordEntry() = default;
    ~WordEntry()
    {
        if (rep_ == Rep::Owned)
            clearTexts();
    }
    // A copy owns its texts, so it outlives the Book that the original may borrow them from.
    WordEntry(const WordEntry& other);
    WordEntry& operator=(const WordEntry& other);

    int32_t seq = 0;       // sequence number; the list shows seq + 1
    int32_t keptSeq = 0;   // restored into seq after a shuffle
    IndexFields stored;    // exactly what the index file holds
    uint8_t temporary = 0; // 临时 strangeness, never stored
    bool reveal = true;    // shows word and explanation while the list hides them

    // Derived: index of the first CR LF of the explanation / comment, -1 when none.
    int32_t explanationFirstLine() const { return firstLineBreak(explanation()); }
    int32_t commentFirstLine() const { return firstLineBreak(comment()); }

    // Text fields. A view stays valid until the field is set again or the Book is cleared.
    QStringView text(TextField f) const;
    QStringView word() const { return text(TextField::Word); }
    QStringView explanation() const { return text(TextField::Explanation); }
    QStringView phonetic() const { return text(TextField::Phonetic); }
    QStringView className() const { return text(TextField::ClassName); }
    QStringView comment() const { return text(TextField::Comment); }

    // Sets a field to its own copy of `value` without field selectors; the other fields keep
    // their texts.
    void setText(TextField f, const QString& value);
    void setWord(const QString& v) { setText(TextField::Word, v); }
    void setExplanation(const QString& v) { setText(TextField::Explanation, v); }
    void setPhonetic(const QString& v) { setText(TextField::Phonetic, v); }
    void setClassName(const QString& v) { setText(TextField::ClassName, v); }
    void setComment(const QString& v) { setText(TextField::Comment, v); }

    // Points the entry at a whole text record (selectors and texts, as stored) owned by someone
    // else, normally the loaded text file held by the Book, which must outlive the entry or its
    // next setText()/clearTexts(). Nothing is copied or parsed: each field is found in the
    // record when asked for, so loading reads no text and a list parses only the rows it shows.
    void bindRecord(QStringView record)
    {
        if (rep_ != Rep::Empty)
            clearTexts();
        if (record.isEmpty())
            return;
        if (quint64(record.size()) > std::numeric_limits<uint32_t>::max()) {
            takeCopy(record); // longer than any Book file can hold
            return;
        }
        record_ = record.utf16();
        length_ = uint32_t(record.size());
        rep_ = Rep::Record;
    }
    // The same answer as word().isEmpty(), cheaper for a borrowed record whose first characters
    // already tell (the word selector followed by a character of the word).
    bool wordIsEmpty() const
    {
        if (rep_ == Rep::Record && length_ >= 2 && record_[0] == 0 && record_[1] > 4)
            return false;
        return word().isEmpty();
    }

    // True when no field borrows text (every field is empty or an owned copy).
    bool ownsAllTexts() const { return rep_ != Rep::Record; }
    // Drops every text (owned or borrowed): all five fields empty, first-line fields -1.
    void clearTexts();

    uint8_t& strangeness(Degree d)
    {
        switch (d) {
        case Degree::Temporary: return temporary;
        case Degree::Recognition: return stored.recognition;
        case Degree::Spelling: return stored.spelling;
        case Degree::Listening: break;
        }
        return stored.listening;
    }
    uint8_t strangeness(Degree d) const { return const_cast<WordEntry*>(this)->strangeness(d); }

private:
    struct Owned {
        std::array<QString, kTextFieldCount> texts;
    };
    enum class Rep : uint8_t { Empty, Record, Owned };

    // A borrowed record in which some field occurs twice (its parts are joined) is turned into
    // owned texts the first time that field is asked for; the only change a const call makes.
    void takeOwnership() const;
    void takeCopy(QStringView record);

    Rep rep_ = Rep::Empty;
    uint32_t length_ = 0; // code units of record_
    union {
        const char16_t* record_ = nullptr; // Rep::Record
        Owned* owned_;                     // Rep::Owned
    };
};

static_assert(sizeof(void*) != 8 || sizeof(WordEntry) == 48, "keep the loaded entry small");


} // namespace lex
