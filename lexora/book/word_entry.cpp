#include "lexora/book/word_entry.h"

#include "lexora/book/book_file.h"

namespace lex {

QString EntryTime::toText() const
{
    return QString::asprintf("%02u/%02u/%02u %02u:%02u", unsigned(year), unsigned(month), unsigned(day),
                             unsigned(hour), unsigned(minute));
}

int EntryTime::compare(const EntryTime& o) const
{
    const uint8_t a[5] = {year, month, day, hour, minute};
    const uint8_t b[5] = {o.year, o.month, o.day, o.hour, o.minute};
    for (int i = 0; i < 5; ++i) {
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
    }
    return 0;
}

int32_t firstLineBreak(QStringView text)
{
    const char16_t* p = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i + 1 < n; ++i) {
        if (p[i] == u'\r' && p[i + 1] == u'\n')
            return int32_t(i);
    }
    return -1;
}

void WordEntry::parsePending() const
{
    // Parsing fills the fields through bindText()/setText(), which must see no pending record.
    const QStringView record = fields_[0];
    pending_ = false;
    fields_[0] = QStringView();
    bindTextRecord(record, const_cast<WordEntry&>(*this));
}

WordEntry::WordEntry(const WordEntry& other)
    : seq(other.seq), keptSeq(other.keptSeq), stored(other.stored), temporary(other.temporary),
      reveal(other.reveal), explanationFirstLine_(other.explanationFirstLine_),
      commentFirstLine_(other.commentFirstLine_)
{
    other.resolve();
    explanationFirstLine_ = other.explanationFirstLine_;
    commentFirstLine_ = other.commentFirstLine_;
    for (int i = 0; i < kTextFieldCount; ++i) {
        if (!other.fields_[size_t(i)].isEmpty())
            setText(TextField(i), other.fields_[size_t(i)].toString());
    }
}

WordEntry& WordEntry::operator=(const WordEntry& other)
{
    if (this != &other) {
        WordEntry copy(other);
        seq = copy.seq;
        keptSeq = copy.keptSeq;
        stored = copy.stored;
        temporary = copy.temporary;
        reveal = copy.reveal;
        // The views point into the copy's heap array, which moves over unchanged.
        fields_ = copy.fields_;
        pending_ = false;
        owned_ = std::move(copy.owned_);
        explanationFirstLine_ = copy.explanationFirstLine_;
        commentFirstLine_ = copy.commentFirstLine_;
    }
    return *this;
}

void WordEntry::setText(TextField f, const QString& value)
{
    resolve();
    if (!owned_)
        owned_ = std::make_unique<std::array<QString, kTextFieldCount>>();
    QString& slot = (*owned_)[size_t(f)];
    slot = value;
    // A string made with fromRawData does not own its characters: take a real copy.
    if (!slot.isEmpty() && !slot.isDetached())
        slot.detach();
    fields_[size_t(f)] = slot;
    if (f == TextField::Explanation)
        explanationFirstLine_ = firstLineBreak(slot);
    else if (f == TextField::Comment)
        commentFirstLine_ = firstLineBreak(slot);
}

void WordEntry::bindText(TextField f, QStringView borrowed)
{
    resolve();
    if (owned_)
        (*owned_)[size_t(f)].clear();
    fields_[size_t(f)] = borrowed;
    if (f == TextField::Explanation)
        explanationFirstLine_ = firstLineBreak(borrowed);
    else if (f == TextField::Comment)
        commentFirstLine_ = firstLineBreak(borrowed);
}

bool WordEntry::ownsAllTexts() const
{
    resolve();
    for (int i = 0; i < kTextFieldCount; ++i) {
        const QStringView v = fields_[size_t(i)];
        if (!v.isEmpty() && !(owned_ && v.utf16() == QStringView((*owned_)[size_t(i)]).utf16()))
            return false;
    }
    return true;
}

void WordEntry::clearTexts()
{
    owned_.reset();
    fields_ = {};
    pending_ = false;
    explanationFirstLine_ = -1;
    commentFirstLine_ = -1;
}

uint8_t* WordEntry::strangeness(int column)
{
    switch (column) {
    case kColTemporary: return &temporary;
    case kColRecognition: return &stored.recognition;
    case kColSpelling: return &stored.spelling;
    case kColListening: return &stored.listening;
    default: return nullptr;
    }
}

const uint8_t* WordEntry::strangeness(int column) const
{
    return const_cast<WordEntry*>(this)->strangeness(column);
}

void WordEntry::updateFirstLines()
{
    explanationFirstLine_ = firstLineBreak(explanation());
    commentFirstLine_ = firstLineBreak(comment());
}

} // namespace lex
