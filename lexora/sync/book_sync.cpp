#include "lexora/sync/book_sync.h"

#include "lexora/book/book_session.h"
#include "lexora/record/review_record.h"
#include "lexora/sync/journal_folder.h"

#include <QHash>
#include <QSet>
#include <unordered_set>
#include <algorithm>

namespace lex::sync {

namespace {

QString keyOf(const EntryKey& k)
{
    return keyText(k.word, k.added);
}

// An event as the record tells one from another: its entry, an answer's skill or a stamp's kind, its time.
struct HeldEvent {
    QString entry;
    int what;
    int64_t at;
    bool operator==(const HeldEvent&) const = default;
};
struct HeldHash {
    size_t operator()(const HeldEvent& e) const { return qHash(e.entry) ^ (size_t(e.at) * 31 + size_t(e.what)); }
};
HeldEvent heldEvent(const QString& entry, const RecordEvent& ev)
{
    return {entry, ev.kind == Record::Kind::Answer ? int(skillOf(PracticeMode(ev.mode))) : 10 + ev.mode, ev.at};
}

} // namespace

void SyncMergeOp::redo()
{
    Book& b = book();
    const std::vector<WordEntry*> full = b.full();
    for (const auto& [i, v] : plan_.change)
        v.writeTo(*full[size_t(i)]);
    if (!plan_.remove.empty()) {
        QHash<const WordEntry*, int> rowOf;
        for (int r = 0; r < b.size(); ++r)
            rowOf.insert(b.view()[size_t(r)], r);
        std::vector<int> rows;
        for (int i : plan_.remove)
            rows.push_back(rowOf.value(full[size_t(i)]));
        b.removeViewRows(std::move(rows));
    }
    for (const auto& [id, v] : plan_.add) {
        auto e = std::make_unique<WordEntry>();
        v.writeTo(*e);
        b.AddEntry(std::move(e), AddMode::Loaded);
    }
    changed_ = !plan_.change.empty() || !plan_.remove.empty() || !plan_.add.empty();
    if (changed_) {
        b.textChanged = true;
        announceReset();
    }
}

SyncReport syncBook(BookSession& session, ReviewRecord* record, SyncJournal* journal, Env* env,
                    const SyncOptions& o, const std::function<bool()>& save)
{
    SyncReport report;
    const Book& book = session.book();
    const QString stateFile = mergedStateFile(book.path, book.name);
    const QString folder = journalFolder(o.folder, book.name);
    MergedState merged;
    if (Status s = readMergedState(env, stateFile, o.machine, &merged); !s)
        report.status = s; // merged again from the folder: nothing is lost, some edits may be sent twice

    std::vector<EntryValues> values;
    values.reserve(size_t(book.size()));
    for (const WordEntry* e : book.full())
        values.push_back(EntryValues::of(*e));

    // This machine's changes are stamped before anything of the folder is seen: they were made
    // without it.
    HybridClock clock(machineId(o.machine));
    Matched m = matchBook(values, merged.state, journal ? journal->renamed() : KeyChanges{}, clock, o.wallMs);
    std::vector<RecordEvent> recorded;
    if (record && !record->isOpen())
        record->open(ReviewRecord::fileFor(book.path, book.name));
    if (record && record->isOpen()) {
        record->forEachAnswer([&](const ReviewRecord::Answer& a) {
            recorded.push_back({a.key, Record::Kind::Answer, uint8_t(a.mode), uint8_t(a.outcome), a.at, a.durationMs});
            return true;
        });
        record->forEachStamp([&](const ReviewRecord::Stamp& st) {
            recorded.push_back({st.key, Record::Kind::ReviewStamp, uint8_t(st.kind), 0, st.at, 0});
            return true;
        });
    }
    const std::vector<Record> events = localEvents(recorded, m, merged.state, clock, o.wallMs);
    report.sentEdits = int(m.local.size());
    report.sentEvents = int(events.size());

    FolderRead read = readJournalFolder(env, folder);
    if (read.folderMissing && !env->isDir(o.folder))
        report.status = Status::error(Status::Code::NotFound, o.folder);
    report.incomplete = read.incomplete;
    report.foreign = read.foreign;
    report.lastSeen = read.lastSeen;
    for (const JournalFile& f : read.files)
        report.filesRead += f.machine != o.machine;

    JournalState before = merged.state;
    before.applyAll(m.local);
    before.applyAll(events);
    uint64_t seq = std::max(merged.nextSeq, lastSeqOf(read, o.machine) + 1);
    bool sent = true;
    if (!m.local.empty() || !events.empty()) {
        JournalFile out{o.machine, book.name, seq, false, m.local};
        out.records.insert(out.records.end(), events.begin(), events.end());
        if (report.status.isOk() || report.status.code() == Status::Code::Damaged) {
            const Status w = writeJournalFile(env, folder, out);
            sent = w.isOk();
            if (!w)
                report.status = w;
        } else {
            sent = false;
        }
        if (sent) {
            report.sentFile = journalFileName(o.machine, seq);
            ++seq;
        }
    }
    if (!sent)
        report.sentEdits = report.sentEvents = 0;

    JournalState after = before;
    for (const JournalFile& f : read.files)
        after.applyAll(f.records);
    // What the record holds, under the keys it will have once the renames are done.
    QHash<QString, QString> renamed;
    for (const auto& [from, to] : keyChanges(before, after))
        renamed.insert(keyOf(from), keyOf(to));
    std::unordered_set<HeldEvent, HeldHash> held;
    held.reserve(recorded.size());
    for (const RecordEvent& ev : recorded) {
        const QString key = keyOf(ev.key);
        held.insert(heldEvent(renamed.value(key, key), ev));
    }
    MergePlan plan = planMerge(values, m.ids, before, after,
                               [&](const RecordEvent& ev) { return held.count(heldEvent(keyOf(ev.key), ev)) != 0; });
    report.added = int(plan.add.size());
    report.changed = int(plan.change.size());
    report.removed = int(plan.remove.size());
    report.revived = plan.revived;
    report.events = int(plan.events.size());

    if (record && record->isOpen()) {
        for (const auto& [from, to] : plan.renames)
            record->renameEntry(from, to);
        size_t next = 0;
        record->recordAnswers([&](ReviewRecord::NewAnswer* a) {
            while (next < plan.events.size() && plan.events[next].kind != Record::Kind::Answer)
                ++next;
            if (next == plan.events.size())
                return false;
            const RecordEvent& ev = plan.events[next++];
            *a = {ev.key, PracticeMode(ev.mode), AnswerOutcome(ev.outcome), ev.at, ev.durationMs};
            return true;
        });
        for (const RecordEvent& ev : plan.events)
            if (ev.kind == Record::Kind::ReviewStamp)
                record->recordStamp(ev.key, StampKind(ev.mode), fromLocalMs(ev.at));
    }
    const bool bookChanged = !plan.change.empty() || !plan.remove.empty() || !plan.add.empty();
    if (bookChanged) {
        session.run(std::make_unique<SyncMergeOp>(std::move(plan)));
        session.history().clear();
    }
    if (!save())
        return report;

    // What was not sent is not remembered as merged, so that the next merge sends it.
    MergedState next;
    next.state = merged.state;
    if (sent) {
        next.state.applyAll(m.local);
        next.state.applyAll(events);
    }
    for (const JournalFile& f : read.files)
        next.state.applyAll(f.records);
    next.nextSeq = seq;
    int own = 0;
    for (const JournalFile& f : read.files)
        own += f.machine == o.machine;
    if (sent && own + 1 > o.compactAfter) {
        JournalFile snapshot{o.machine, book.name, next.nextSeq, true, next.state.records(machineId(o.machine))};
        if (Status c = compactJournal(env, folder, snapshot); c) {
            report.compacted = true;
            ++next.nextSeq;
        } else if (report.status.isOk()) {
            report.status = c;
        }
    }
    if (Status s = writeMergedState(env, stateFile, o.machine, book.name, next); !s) {
        if (report.status.isOk())
            report.status = s;
    } else if (journal && sent) {
        journal->merged();
    }
    return report;
}

} // namespace lex::sync
