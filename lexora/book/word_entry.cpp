#include "lexora/book/word_entry.h"

#include "lexora/book/book_file.h"
#include "lexora/book/record_scan.h"

namespace lex {

namespace {
QString timeText(unsigned year, const EntryTime& t)
{
    return QString::asprintf("%02u/%02u/%02u %02u:%02u", year, unsigned(t.month), unsigned(t.day), unsigned(t.hour),
                             unsigned(t.minute));
}
} // namespace

QString EntryTime::toText() const
{
    return timeText(year, *this);
}

QString EntryTime::toText(int todayYear) const
{
    return timeText(year < 16 ? unsigned(calendarYear(year, todayYear) % 100) : year, *this);
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

QStringView WordEntry::text(TextField f) const
{
    if (rep_ == Rep::Owned)
        return owned_->texts[size_t(f)];
    if (rep_ == Rep::Empty)
        return {};
    // The field is the run after its selector up to the next selector. The whole record is
    // scanned, since a selector that occurs again means the field is the join of its runs.
    const char16_t sel = char16_t(f);
    const qsizetype n = qsizetype(length_);
    qsizetype start = -1, end = -1;
    bool repeated = false;
    scanSelectors(record_, n, [&](qsizetype k, char16_t u) {
        if (start >= 0 && end < 0)
            end = k;
        if (u == sel) {
            if (start >= 0) {
                repeated = true;
                return false;
            }
            start = k + 1;
        }
        return true;
    });
    if (repeated) {
        takeOwnership();
        return owned_->texts[size_t(f)];
    }
    if (start < 0)
        return {};
    return QStringView(record_ + start, (end < 0 ? n : end) - start);
}

void WordEntry::takeOwnership() const
{
    // Entries are never made const objects, only handed out as const.
    auto* self = const_cast<WordEntry*>(this);
    const QStringView record(record_, qsizetype(length_));
    self->clearTexts();
    self->takeCopy(record);
}

WordEntry::WordEntry(const WordEntry& other)
    : seq(other.seq), keptSeq(other.keptSeq), stored(other.stored), temporary(other.temporary),
      reveal(other.reveal)
{
    if (other.rep_ == Rep::Empty)
        return;
    for (int i = 0; i < kTextFieldCount; ++i) {
        const QStringView v = other.text(TextField(i));
        if (!v.isEmpty())
            setText(TextField(i), v.toString());
    }
}

WordEntry& WordEntry::operator=(const WordEntry& other)
{
    if (this != &other) {
        WordEntry copy(other); // owns its texts or has none
        clearTexts();
        seq = copy.seq;
        keptSeq = copy.keptSeq;
        stored = copy.stored;
        temporary = copy.temporary;
        reveal = copy.reveal;
        if (copy.rep_ == Rep::Owned) {
            owned_ = copy.owned_;
            rep_ = Rep::Owned;
            copy.owned_ = nullptr;
            copy.rep_ = Rep::Empty;
        }
    }
    return *this;
}

void WordEntry::setText(TextField f, const QString& value)
{
    if (rep_ == Rep::Record)
        takeOwnership();
    if (rep_ == Rep::Empty) {
        owned_ = new Owned;
        rep_ = Rep::Owned;
    }
    QString& slot = owned_->texts[size_t(f)];
    slot = value;
    // U+0000..U+0004 separate the fields of a text record: one inside a field would split it
    // into the wrong fields at the next load.
    if (hasFieldSelector(slot))
        slot = withoutFieldSelectors(slot);
    // A string made with fromRawData does not own its characters: take a real copy.
    if (!slot.isEmpty() && !slot.isDetached())
        slot.detach();
}

bool hasFieldSelector(QStringView text)
{
    for (QChar c : text)
        if (c.unicode() <= 4)
            return true;
    return false;
}

QString withoutFieldSelectors(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (c.unicode() > 4)
            out += c;
    return out;
}

void WordEntry::takeCopy(QStringView record)
{
    parseTextRecord(record, *this);
}

void WordEntry::clearTexts()
{
    if (rep_ == Rep::Owned)
        delete owned_;
    rep_ = Rep::Empty;
    record_ = nullptr;
    length_ = 0;
}

} // namespace lex
