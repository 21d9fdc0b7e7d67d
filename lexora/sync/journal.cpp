#include "lexora/sync/journal.h"

#include "lexora/book/book.h"
#include "lexora/record/review_model.h"

#include <QtEndian>
#include <algorithm>
#include <tuple>
#include <zlib.h>

namespace lex::sync {

namespace {

uint64_t fnv1a(const void* data, size_t n, uint64_t h = 1469598103934665603ull)
{
    const auto* p = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < n; ++i) {
        h ^= p[i];
        h *= 1099511628211ull;
    }
    return h;
}

uint64_t hashWord(QStringView word, uint64_t h = 1469598103934665603ull)
{
    const QByteArray utf8 = word.toUtf8();
    return fnv1a(utf8.constData(), size_t(utf8.size()), h);
}

// "LXSJ", then the format's version, flags, the length of what follows and its CRC-32.
constexpr char kMagic[4] = {'L', 'X', 'S', 'J'};
constexpr uint8_t kVersion = 1;
constexpr int kHeaderSize = 4 + 1 + 1 + 2 + 4 + 4;
constexpr uint8_t kSnapshotFlag = 1;
// Far beyond any Book's journal; a larger claim is damage, not something to allocate.
constexpr uint32_t kMaxBody = 512u << 20;

class Writer {
public:
    QByteArray bytes;
    template <class T>
    void put(T v)
    {
        char b[sizeof(T)];
        qToLittleEndian(v, b);
        bytes.append(b, sizeof(T));
    }
    void text(const QString& s)
    {
        const QByteArray u = s.toUtf8();
        put(uint32_t(u.size()));
        bytes.append(u);
    }
};

class Reader {
public:
    explicit Reader(QByteArrayView b) : b_(b) {}
    template <class T>
    bool get(T* v)
    {
        if (qsizetype(sizeof(T)) > b_.size() - at_)
            return false;
        *v = qFromLittleEndian<T>(b_.data() + at_);
        at_ += qsizetype(sizeof(T));
        return true;
    }
    bool text(QString* s)
    {
        uint32_t n = 0;
        if (!get(&n) || qint64(n) > b_.size() - at_)
            return false;
        *s = QString::fromUtf8(b_.data() + at_, qsizetype(n));
        at_ += qsizetype(n);
        return true;
    }
    bool atEnd() const { return at_ == b_.size(); }

private:
    QByteArrayView b_;
    qsizetype at_ = 0;
};

uint32_t crcOf(QByteArrayView b)
{
    return uint32_t(crc32(0, reinterpret_cast<const Bytef*>(b.data()), uInt(b.size())));
}

// Which of two events with one key is kept: the smaller, so that any order keeps the same one.
auto eventOrder(const Record& r)
{
    return std::tie(r.mode, r.outcome, r.durationMs, r.stamp);
}

} // namespace

uint64_t machineId(const QString& name)
{
    return hashWord(name, 0x6d616368696e65ull);
}

Stamp HybridClock::tick(int64_t wallMs)
{
    if (wallMs > last_.ms) {
        last_.ms = wallMs;
        last_.count = 0;
    } else {
        ++last_.count;
    }
    return last_;
}

void HybridClock::observe(const Stamp& seen)
{
    if (seen.ms > last_.ms || (seen.ms == last_.ms && seen.count > last_.count)) {
        last_.ms = seen.ms;
        last_.count = seen.count;
    }
}

EntryId entryIdFor(QStringView word)
{
    return hashWord(trimmedWord(word));
}

EntryId entryIdFor(QStringView word, const EntryTime& added, int salt)
{
    const int64_t t = packedTime(added) * 1000 + salt;
    return fnv1a(&t, sizeof t, hashWord(trimmedWord(word)));
}

// ---- the file -------------------------------------------------------------------------------

QByteArray encodeJournal(const JournalFile& file, bool fast)
{
    Writer w;
    w.bytes.reserve(qsizetype(file.records.size()) * 40 + 64);
    w.text(file.machine);
    w.text(file.book);
    w.put(file.seq);
    w.put(uint32_t(file.records.size()));
    for (const Record& r : file.records) {
        w.put(uint8_t(r.kind));
        w.put(r.id);
        w.put(r.stamp.ms);
        w.put(r.stamp.count);
        w.put(r.stamp.machine);
        switch (r.kind) {
        case Record::Kind::Set:
            w.put(uint8_t(r.field));
            if (isTextField(r.field))
                w.text(r.text);
            else
                w.put(r.number);
            break;
        case Record::Kind::Delete: break;
        case Record::Kind::Answer:
        case Record::Kind::ReviewStamp:
            w.put(r.mode);
            w.put(r.outcome);
            w.put(r.number);
            w.put(r.durationMs);
            break;
        }
    }
    return sealJournal(w.bytes, file.snapshot, fast);
}

QByteArray sealJournal(QByteArrayView records, bool snapshot, bool fast)
{
    const QByteArray body = qCompress(reinterpret_cast<const uchar*>(records.data()), records.size(), fast ? 1 : 6);
    Writer h;
    h.bytes.append(kMagic, 4);
    h.put(kVersion);
    h.put(uint8_t(snapshot ? kSnapshotFlag : 0));
    h.put(uint16_t(0));
    h.put(uint32_t(body.size()));
    h.put(crcOf(body));
    return h.bytes + body;
}

ReadResult parseJournal(QByteArrayView bytes, JournalFile* out)
{
    *out = {};
    // A file cut short before its magic is only half carried; one that starts otherwise is not ours.
    const qsizetype magicSeen = std::min<qsizetype>(bytes.size(), 4);
    if (!std::equal(bytes.data(), bytes.data() + magicSeen, kMagic))
        return ReadResult::Foreign;
    if (bytes.size() < kHeaderSize)
        return ReadResult::Incomplete;
    Reader h(bytes.first(kHeaderSize).sliced(4));
    uint8_t version = 0, flags = 0;
    uint16_t reserved = 0;
    uint32_t length = 0, crc = 0;
    h.get(&version), h.get(&flags), h.get(&reserved), h.get(&length), h.get(&crc);
    if (version != kVersion)
        return ReadResult::Foreign;
    if (length > kMaxBody || bytes.size() - kHeaderSize < qsizetype(length))
        return ReadResult::Incomplete;
    const QByteArrayView body = bytes.sliced(kHeaderSize, length);
    if (crcOf(body) != crc)
        return ReadResult::Incomplete;
    // The checksum held, so what fails below was written so by someone: not ours after all.
    if (body.size() < 4 || qFromBigEndian<uint32_t>(body.data()) > kMaxBody)
        return ReadResult::Foreign;
    const QByteArray plain = qUncompress(reinterpret_cast<const uchar*>(body.data()), body.size());
    Reader r(plain);
    uint32_t count = 0;
    out->snapshot = flags & kSnapshotFlag;
    if (!r.text(&out->machine) || !r.text(&out->book) || !r.get(&out->seq) || !r.get(&count))
        return ReadResult::Foreign;
    out->records.reserve(std::min<uint32_t>(count, uint32_t(plain.size() / 29 + 1)));
    for (uint32_t i = 0; i < count; ++i) {
        Record rec;
        uint8_t kind = 0;
        if (!r.get(&kind) || !r.get(&rec.id) || !r.get(&rec.stamp.ms) || !r.get(&rec.stamp.count)
            || !r.get(&rec.stamp.machine))
            return ReadResult::Foreign;
        rec.kind = Record::Kind(kind);
        bool good = true;
        switch (rec.kind) {
        case Record::Kind::Set: {
            uint8_t field = 0;
            good = r.get(&field) && field < kFieldCount;
            rec.field = Field(field);
            if (good)
                good = isTextField(rec.field) ? r.text(&rec.text) : r.get(&rec.number);
            if (good && isDegreeField(rec.field))
                good = rec.number >= 0 && rec.number <= kMaxStrangeness;
            break;
        }
        case Record::Kind::Delete: break;
        case Record::Kind::Answer:
        case Record::Kind::ReviewStamp:
            good = r.get(&rec.mode) && r.get(&rec.outcome) && r.get(&rec.number) && r.get(&rec.durationMs);
            if (good)
                good = rec.kind == Record::Kind::Answer ? rec.mode <= uint8_t(PracticeMode::Dictate) && rec.outcome <= uint8_t(AnswerOutcome::DontKnow)
                                                        : rec.mode <= uint8_t(StampKind::Phonetic);
            break;
        default: good = false;
        }
        if (!good)
            return ReadResult::Foreign;
        out->records.push_back(std::move(rec));
    }
    if (!r.atEnd())
        return ReadResult::Foreign;
    return ReadResult::Ok;
}

// ---- values -----------------------------------------------------------------------------------

EntryValues EntryValues::of(const WordEntry& e)
{
    EntryValues v;
    for (int f = 0; f < kTextFieldCount; ++f)
        v.texts[size_t(f)] = e.text(TextField(f)).toString();
    for (Skill s : kSkills)
        v.degrees[size_t(s)] = e.strangeness(degreeOf(s));
    v.review = e.stored.review;
    v.added = e.stored.added;
    return v;
}

void EntryValues::writeTo(WordEntry& e) const
{
    for (int f = 0; f < kTextFieldCount; ++f)
        if (e.text(TextField(f)) != texts[size_t(f)])
            e.setText(TextField(f), texts[size_t(f)]);
    for (Skill s : kSkills)
        e.strangeness(degreeOf(s)) = degrees[size_t(s)];
    e.stored.review = review;
    e.stored.added = added;
}

// ---- the state --------------------------------------------------------------------------------

namespace {

// The journal's fields in the order of TextField for the texts.
constexpr Field kTextFields[kTextFieldCount] = {Field::Word, Field::Explanation, Field::Phonetic, Field::ClassName,
                                                Field::Comment};

} // namespace

bool JournalState::Entry::live() const
{
    Stamp latestEdit;
    for (int f = 0; f < kFieldCount; ++f)
        if (Field(f) != Field::Review)
            latestEdit = std::max(latestEdit, cells[size_t(f)].stamp);
    return !cells[size_t(Field::Word)].stamp.isNull() && latestEdit > deleted;
}

EntryValues JournalState::Entry::values() const
{
    EntryValues v;
    for (int t = 0; t < kTextFieldCount; ++t)
        v.texts[size_t(t)] = cells[size_t(kTextFields[t])].text;
    for (Skill s : kSkills)
        v.degrees[size_t(s)] = uint8_t(cells[size_t(Field::Recognition) + size_t(s)].number);
    v.review = unpackedTime(cells[size_t(Field::Review)].number);
    v.added = unpackedTime(cells[size_t(Field::Added)].number);
    return v;
}

bool JournalState::apply(const Record& r)
{
    // No clock gives a stamp at or before the null one, which stands for "never" in a cell: such
    // a record (damage that kept its checksum) says nothing.
    if (r.stamp <= Stamp{})
        return false;
    latest_ = std::max(latest_, r.stamp);
    switch (r.kind) {
    case Record::Kind::Set: {
        Cell& c = entries_[r.id].cells[size_t(r.field)];
        // Equal stamps are one record seen twice, or two records of one stamp: the larger value
        // wins then, whichever came first.
        if (r.stamp < c.stamp || (r.stamp == c.stamp && std::tie(r.text, r.number) <= std::tie(c.text, c.number)))
            return false;
        c.stamp = r.stamp;
        c.text = r.text;
        c.number = r.number;
        return true;
    }
    case Record::Kind::Delete: {
        Entry& e = entries_[r.id];
        if (r.stamp <= e.deleted)
            return false;
        e.deleted = r.stamp;
        return true;
    }
    case Record::Kind::Answer:
    case Record::Kind::ReviewStamp: {
        const uint8_t what = r.kind == Record::Kind::Answer ? uint8_t(skillOf(PracticeMode(r.mode))) : r.mode;
        const EventKey key{r.id, uint8_t(r.kind), what, r.number};
        auto [it, inserted] = events_.try_emplace(key, r);
        if (inserted)
            return true;
        if (eventOrder(r) < eventOrder(it->second)) {
            it->second = r;
            return true;
        }
        return false;
    }
    }
    return false;
}

void JournalState::merge(const JournalState& other)
{
    applyAll(other.records());
}

const JournalState::Entry* JournalState::find(EntryId id) const
{
    const auto it = entries_.find(id);
    return it == entries_.end() ? nullptr : &it->second;
}

std::vector<Record> JournalState::records(uint64_t machine) const
{
    std::vector<Record> out;
    auto mine = [machine](const Stamp& s) { return machine == 0 || s.machine == machine; };
    for (const auto& [id, e] : entries_) {
        for (int f = 0; f < kFieldCount; ++f) {
            const Cell& c = e.cells[size_t(f)];
            if (!c.stamp.isNull() && mine(c.stamp))
                out.push_back({Record::Kind::Set, id, c.stamp, Field(f), c.text, c.number, 0, 0, 0});
        }
        if (!e.deleted.isNull() && mine(e.deleted))
            out.push_back({Record::Kind::Delete, id, e.deleted, Field::Word, {}, 0, 0, 0, 0});
    }
    // A machine's own snapshot drops what it wrote and lost: the later record that beat it is
    // kept by its own writer, and the latest of a field always wins wherever it is read.
    for (const auto& [key, r] : events_)
        if (mine(r.stamp))
            out.push_back(r);
    return out;
}

bool JournalState::operator==(const JournalState& o) const
{
    if (entries_.size() != o.entries_.size() || events_ != o.events_)
        return false;
    for (const auto& [id, e] : entries_) {
        const Entry* other = o.find(id);
        if (!other || other->deleted != e.deleted)
            return false;
        for (int f = 0; f < kFieldCount; ++f) {
            const Cell &a = e.cells[size_t(f)], &b = other->cells[size_t(f)];
            if (a.stamp != b.stamp || a.text != b.text || a.number != b.number)
                return false;
        }
    }
    return true;
}

} // namespace lex::sync
