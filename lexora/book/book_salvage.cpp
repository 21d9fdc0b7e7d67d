#include "lexora/book/book_salvage.h"

#include "common/text/codepage.h"

#include <QtEndian>
#include <algorithm>
#include <climits>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

namespace lex {
namespace {

constexpr uint32_t kLastAnsiVersion = 111;

struct IndexRecord {
    IndexFields f{};
    bool whole = false;  // all 21 bytes are there
    bool sound = false;  // the loader accepted its offsets
    bool used = false;   // already given to a recovered text record
};

// Finds the first unused record among those filed under `key`.
int takeFrom(const std::unordered_multimap<qint64, int>& map, qint64 key, std::vector<IndexRecord>& recs)
{
    auto [a, b] = map.equal_range(key);
    int best = -1;
    for (auto it = a; it != b; ++it) {
        if (!recs[size_t(it->second)].used && (best < 0 || it->second < best))
            best = it->second;
    }
    return best;
}

} // namespace

SalvageReport salvageBook(const QString& path, const QString& name, Book& into, const EntryTime& now, Env* env)
{
    SalvageReport rep;
    rep.load = inspectBook(path, name, env, &into);
    rep.fromIndex = into.size();
    if (!rep.load.readError.isEmpty())
        return rep;
    QByteArray idx, txt;
    if (env->fileExists(rep.load.indexFile))
        env->readFile(rep.load.indexFile, &idx);
    if (env->fileExists(rep.load.textFile))
        env->readFile(rep.load.textFile, &txt);
    const qint64 textLen = txt.size();

    // The text file's form, as the loader reads it.
    qint64 dataStart = 0;
    bool ansi = false;
    if (textLen >= 4) {
        const uint32_t th = qFromLittleEndian<uint32_t>(txt.constData());
        if ((th >> 24) == 0xFF) {
            dataStart = 4;
            ansi = (th & 0xFFFFFF) <= kLastAnsiVersion;
        }
    }
    const qint64 unit = ansi ? 1 : 2;

    // The index records. With a record-size byte below 21 the loader trusts none of them; they
    // are then read as the 21-byte records the writer makes, for their degrees and times only.
    std::vector<IndexRecord> recs;
    if (rep.load.recordSize != 0 && idx.size() >= 5) {
        const bool sizeDamaged = rep.load.recordSize < kIndexRecordSize;
        const qint64 step = sizeDamaged ? kIndexRecordSize : rep.load.recordSize;
        std::unordered_set<int> skipped;
        for (const SkippedRecord& s : rep.load.skipped)
            skipped.insert(s.index);
        for (qint64 off = rep.load.indexHasHeader ? 5 : 0; off < idx.size(); off += step) {
            IndexRecord r;
            const qint64 left = idx.size() - off;
            std::memcpy(static_cast<void*>(&r.f), idx.constData() + off, size_t(std::min<qint64>(left, kIndexRecordSize)));
            r.whole = left >= kIndexRecordSize;
            r.sound = !sizeDamaged && r.whole && !skipped.count(int(recs.size()));
            recs.push_back(r);
        }
    }

    // The loaded entries belong to the sound records in order (records with an empty word are
    // sound but not loaded): that gives each its place in the index.
    std::unordered_map<const WordEntry*, std::pair<qint64, qint64>> order;
    {
        size_t j = 0;
        const auto& full = into.full();
        for (size_t i = 0; i < recs.size() && j < full.size(); ++i) {
            const IndexRecord& r = recs[i];
            if (r.sound && full[j]->stored.textStart == r.f.textStart && full[j]->stored.textEnd == r.f.textEnd)
                order[full[j++]] = {qint64(i), 0};
        }
        for (; j < full.size(); ++j)
            order[full[j]] = {qint64(recs.size()), 0};
    }

    // What the sound records cover, merged, and where the damaged but readable ones point.
    std::vector<std::pair<qint64, qint64>> covered;
    std::unordered_multimap<qint64, int> byStart, byEnd, byReversed, afterEnd, beforeStart;
    for (size_t i = 0; i < recs.size(); ++i) {
        const IndexRecord& r = recs[i];
        if (r.sound) {
            if (r.f.textEnd > r.f.textStart)
                covered.emplace_back(r.f.textStart, r.f.textEnd);
            continue;
        }
        if (!r.whole)
            continue;
        const int k = int(i);
        byStart.emplace(r.f.textStart, k);
        byEnd.emplace(r.f.textEnd, k);
        byReversed.emplace(qint64(r.f.textEnd) << 32 | r.f.textStart, k);
        if (i > 0 && recs[i - 1].sound)
            afterEnd.emplace(recs[i - 1].f.textEnd, k);
        if (i + 1 < recs.size() && recs[i + 1].sound)
            beforeStart.emplace(recs[i + 1].f.textStart, k);
    }
    std::sort(covered.begin(), covered.end());
    std::vector<std::pair<qint64, qint64>> merged;
    for (const auto& c : covered) {
        if (!merged.empty() && c.first <= merged.back().second)
            merged.back().second = std::max(merged.back().second, c.second);
        else
            merged.push_back(c);
    }

    // The gaps between them, scanned for records.
    std::vector<std::pair<qint64, qint64>> gaps;
    qint64 at = dataStart;
    for (const auto& m : merged) {
        if (m.first > at)
            gaps.emplace_back(at, m.first);
        at = std::max(at, m.second);
    }
    if (textLen > at)
        gaps.emplace_back(at, textLen);

    auto unitAt = [&](qint64 p) -> unsigned {
        return ansi ? unsigned(uchar(txt[p])) : qFromLittleEndian<quint16>(txt.constData() + p);
    };
    QString scratch;
    for (const auto& [a0, b] : gaps) {
        // Records start on the code unit grid of the file.
        const qint64 a = a0 + ((a0 - dataStart) % unit);
        std::vector<qint64> starts;
        for (qint64 p = a; p + unit <= b; p += unit) {
            if (unitAt(p) == 0)
                starts.push_back(p);
        }
        for (size_t n = 0; n < starts.size(); ++n) {
            const qint64 s = starts[n];
            const qint64 e = n + 1 < starts.size() ? starts[n + 1] : b;
            scratch.clear();
            if (ansi) {
                cp936::decodeAppend(QByteArrayView(txt.constData() + s, e - s), scratch);
            } else {
                scratch.resize((e - s) / 2);
                std::memcpy(static_cast<void*>(scratch.data()), txt.constData() + s, size_t(scratch.size()) * 2);
            }
            auto entry = std::make_unique<WordEntry>();
            parseTextRecord(scratch, *entry);
            if (entry->wordIsEmpty()) {
                ++rep.emptyPieces;
                continue;
            }
            int k = takeFrom(byStart, s, recs);
            if (k < 0)
                k = takeFrom(byEnd, e, recs);
            if (k < 0)
                k = takeFrom(byReversed, s << 32 | e, recs);
            if (k < 0)
                k = takeFrom(afterEnd, s, recs);
            if (k < 0)
                k = takeFrom(beforeStart, e, recs);
            std::pair<qint64, qint64> place{qint64(recs.size()) + 1, s};
            if (k >= 0) {
                IndexRecord& r = recs[size_t(k)];
                r.used = true;
                entry->stored = r.f;
                // Damaged bytes may hold anything; a degree beyond the scale is taken as its top.
                for (uint8_t* d : {&entry->stored.recognition, &entry->stored.spelling, &entry->stored.listening})
                    *d = uint8_t(std::min<int>(*d, kMaxStrangeness));
                place = {k, 0};
                ++rep.fromTextWithIndex;
            } else {
                entry->stored.recognition = entry->stored.spelling = entry->stored.listening = kMaxStrangeness;
                entry->stored.review = now;
                entry->stored.added = now;
                ++rep.fromTextDefaults;
            }
            entry->stored.textStart = uint32_t(s);
            entry->stored.textEnd = uint32_t(e);
            WordEntry* raw = entry.get();
            if (into.AddEntry(std::move(entry), AddMode::Loaded))
                order[raw] = place;
        }
    }

    auto& full = into.fullForReorder();
    std::stable_sort(full.begin(), full.end(), [&](const WordEntry* x, const WordEntry* y) { return order[x] < order[y]; });
    into.syncViewToFull();
    for (size_t i = 0; i < full.size(); ++i)
        full[i]->seq = full[i]->keptSeq = int32_t(i);
    into.textChanged = true;
    return rep;
}

} // namespace lex
