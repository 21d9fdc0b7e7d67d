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
// A piece of the merged state's file, never a file of the folder.
constexpr uint8_t kStateFlag = 2;
static_assert(kHeaderSize == kJournalHeaderSize);
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

void writeRecords(Writer& w, const std::vector<Record>& records)
{
    w.put(uint32_t(records.size()));
    for (const Record& r : records) {
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
}

bool readRecords(Reader& r, qsizetype plainSize, std::vector<Record>* out)
{
    uint32_t count = 0;
    if (!r.get(&count))
        return false;
    out->reserve(std::min<uint32_t>(count, uint32_t(plainSize / 29 + 1)));
    for (uint32_t i = 0; i < count; ++i) {
        Record rec;
        uint8_t kind = 0;
        if (!r.get(&kind) || !r.get(&rec.id) || !r.get(&rec.stamp.ms) || !r.get(&rec.stamp.count)
            || !r.get(&rec.stamp.machine))
            return false;
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
            return false;
        out->push_back(std::move(rec));
    }
    return true;
}

QByteArray seal(QByteArrayView contents, uint8_t flags, bool fast)
{
    const QByteArray body = qCompress(reinterpret_cast<const uchar*>(contents.data()), contents.size(), fast ? 1 : 6);
    Writer h;
    h.bytes.reserve(kHeaderSize + body.size());
    h.bytes.append(kMagic, 4);
    h.put(kVersion);
    h.put(flags);
    h.put(uint16_t(0));
    h.put(uint32_t(body.size()));
    h.put(crcOf(body));
    h.bytes.append(body);
    return h.bytes;
}

// The sealed contents at the start of `bytes`, uncompressed, with their flags and the length they
// take in `bytes`.
ReadResult unseal(QByteArrayView bytes, QByteArray* plain, uint8_t* flags, qsizetype* size)
{
    // A file cut short before its magic is only half carried; one that starts otherwise is not ours.
    const qsizetype magicSeen = std::min<qsizetype>(bytes.size(), 4);
    if (!std::equal(bytes.data(), bytes.data() + magicSeen, kMagic))
        return ReadResult::Foreign;
    if (bytes.size() < kHeaderSize)
        return ReadResult::Incomplete;
    Reader h(bytes.first(kHeaderSize).sliced(4));
    uint8_t version = 0;
    uint16_t reserved = 0;
    uint32_t length = 0, crc = 0;
    h.get(&version), h.get(flags), h.get(&reserved), h.get(&length), h.get(&crc);
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
    *plain = qUncompress(reinterpret_cast<const uchar*>(body.data()), body.size());
    *size = kHeaderSize + qsizetype(length);
    return ReadResult::Ok;
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
    writeRecords(w, file.records);
    return sealJournal(w.bytes, file.snapshot, fast);
}

QByteArray sealJournal(QByteArrayView records, bool snapshot, bool fast)
{
    return seal(records, snapshot ? kSnapshotFlag : 0, fast);
}

ReadResult parseJournal(QByteArrayView bytes, JournalFile* out)
{
    *out = {};
    QByteArray plain;
    uint8_t flags = 0;
    qsizetype size = 0;
    if (const ReadResult r = unseal(bytes, &plain, &flags, &size); r != ReadResult::Ok)
        return r;
    if (flags & kStateFlag)
        return ReadResult::Foreign;
    Reader r(plain);
    out->snapshot = flags & kSnapshotFlag;
    if (!r.text(&out->machine) || !r.text(&out->book) || !r.get(&out->seq) || !readRecords(r, plain.size(), &out->records)
        || !r.atEnd())
        return ReadResult::Foreign;
    return ReadResult::Ok;
}

bool journalKey(QByteArrayView bytes, uint64_t* key)
{
    if (bytes.size() < kHeaderSize || !std::equal(kMagic, kMagic + 4, bytes.data()) || uint8_t(bytes[4]) != kVersion)
        return false;
    *key = uint64_t(qFromLittleEndian<uint32_t>(bytes.data() + 8)) << 32 | qFromLittleEndian<uint32_t>(bytes.data() + 12);
    return true;
}

// ---- the merged state ---------------------------------------------------------------------------

QByteArray encodeMergedState(const QString& machine, const QString& book, const MergedState& state,
                             const std::vector<Record>* added)
{
    Writer w;
    w.text(machine);
    w.text(book);
    w.put(state.nextSeq);
    writeRecords(w, added ? *added : state.state.records());
    w.put(state.latest.ms);
    w.put(state.latest.count);
    w.put(state.latest.machine);
    for (int64_t v : {state.answerRow, state.answerAt, state.stampRow, state.stampAt})
        w.put(v);
    w.put(uint32_t(state.read.size()));
    for (const auto& [key, f] : state.read) {
        w.put(key);
        w.text(f.machine);
        w.put(f.seq);
    }
    w.put(uint32_t(state.lastSeen.size()));
    for (const auto& [m, ms] : state.lastSeen) {
        w.text(m);
        w.put(ms);
    }
    return seal(w.bytes, kStateFlag | (added ? 0 : kSnapshotFlag), true);
}

namespace {

// One piece of the merged state's file: its records, and the rest in `piece`.
bool readStatePiece(const QByteArray& plain, std::vector<Record>* records, MergedState* piece, QString* machine)
{
    Reader r(plain);
    QString book;
    if (!r.text(machine) || !r.text(&book) || !r.get(&piece->nextSeq) || !readRecords(r, plain.size(), records)
        || !r.get(&piece->latest.ms) || !r.get(&piece->latest.count) || !r.get(&piece->latest.machine)
        || !r.get(&piece->answerRow) || !r.get(&piece->answerAt) || !r.get(&piece->stampRow) || !r.get(&piece->stampAt))
        return false;
    uint32_t n = 0;
    if (!r.get(&n))
        return false;
    for (uint32_t i = 0; i < n; ++i) {
        uint64_t key = 0;
        MergedState::SeenFile f;
        if (!r.get(&key) || !r.text(&f.machine) || !r.get(&f.seq))
            return false;
        piece->read.emplace(key, std::move(f));
    }
    if (!r.get(&n))
        return false;
    for (uint32_t i = 0; i < n; ++i) {
        QString m;
        int64_t ms = 0;
        if (!r.text(&m) || !r.get(&ms))
            return false;
        piece->lastSeen[m] = ms;
    }
    return r.atEnd();
}

// The records join the state; the rest is as the later piece says.
void addPiece(MergedState* out, const std::vector<Record>& records, MergedState&& piece)
{
    out->state.applyAll(records);
    out->nextSeq = piece.nextSeq;
    out->latest = std::max(out->latest, piece.latest);
    out->answerRow = piece.answerRow;
    out->answerAt = piece.answerAt;
    out->stampRow = piece.stampRow;
    out->stampAt = piece.stampAt;
    out->read = std::move(piece.read);
    out->lastSeen = std::move(piece.lastSeen);
}

} // namespace

ReadResult parseMergedState(QByteArrayView bytes, MergedState* out, MergedStateRead* how)
{
    *out = {};
    *how = {};
    QByteArray plain;
    uint8_t flags = 0;
    qsizetype size = 0;
    if (const ReadResult r = unseal(bytes, &plain, &flags, &size); r != ReadResult::Ok)
        return ReadResult::Foreign; // written whole, so never half: damaged
    if (!(flags & kStateFlag)) {
        // An older build kept the whole state as one journal file, every event in it.
        JournalFile f;
        if (parseJournal(bytes, &f) != ReadResult::Ok)
            return ReadResult::Foreign;
        out->state.applyAll(f.records);
        out->nextSeq = f.seq;
        out->latest = out->state.latest();
        how->machine = f.machine;
        how->oldForm = true;
        how->wholeBytes = how->goodBytes = size;
        return ReadResult::Ok;
    }
    std::vector<Record> records;
    MergedState piece;
    if (!(flags & kSnapshotFlag) || !readStatePiece(plain, &records, &piece, &how->machine))
        return ReadResult::Foreign;
    addPiece(out, records, std::move(piece));
    how->wholeBytes = how->goodBytes = size;
    while (how->goodBytes < bytes.size()) {
        QString machine;
        records.clear();
        piece = {};
        if (unseal(bytes.sliced(how->goodBytes), &plain, &flags, &size) != ReadResult::Ok || flags != kStateFlag
            || !readStatePiece(plain, &records, &piece, &machine) || machine != how->machine) {
            how->cut = true;
            break;
        }
        addPiece(out, records, std::move(piece));
        how->goodBytes += size;
    }
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

size_t JournalState::keepWaitingEvents()
{
    return std::erase_if(events_, [this](const auto& kv) {
        const Entry* e = find(kv.first.id);
        return e && !e->cells[size_t(Field::Word)].stamp.isNull();
    });
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
