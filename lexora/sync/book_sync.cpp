#include "lexora/sync/book_sync.h"

#include "lexora/book/book_session.h"
#include "lexora/record/review_record.h"
#include "lexora/sync/journal_folder.h"

#include <QHash>
#include <algorithm>

namespace lex::sync {

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
    MergedStateFile stateRead;
    if (!journal || !journal->takeKept(stateFile, o.machine, env->fileSize(stateFile), &stateRead))
        if (Status s = readMergedState(env, stateFile, o.machine, &stateRead); !s)
            report.status = s; // merged again from the folder: nothing is lost, some edits may be sent twice
    const MergedState& merged = stateRead.merged;

    std::vector<EntryValues> values;
    values.reserve(size_t(book.size()));
    for (const WordEntry* e : book.full())
        values.push_back(EntryValues::of(*e));

    // Only the files not read at an earlier merge are read whole.
    FolderRead read = readJournalFolder(env, folder, merged.read);
    if (read.folderMissing && !env->isDir(o.folder))
        report.status = Status::error(Status::Code::NotFound, o.folder);
    // What the Book holds of those came in at a merge whose state a crash lost: not sent again.
    Carried carried;
    for (const JournalFile& f : read.files)
        carried.add(f.records);

    // This machine's changes are stamped before anything of the folder is seen: they were made
    // without it.
    HybridClock clock(machineId(o.machine));
    clock.observe(merged.latest);
    Matched m = matchBook(values, merged.state, journal ? journal->renamed() : KeyChanges{}, clock, o.wallMs, carried);
    // What the record gained since it was last journalled; all of it when it is not the record
    // it was then (replaced, or its last rows gone): sent again, the union keeps each once.
    std::vector<RecordEvent> recorded;
    if (record && !record->isOpen())
        record->open(ReviewRecord::fileFor(book.path, book.name));
    if (record && record->isOpen()) {
        const ReviewRecord::Mark since{merged.answerRow, merged.answerAt, merged.stampRow, merged.stampAt};
        bool holds = false;
        record->holds(since, &holds);
        record->forEachAnswer([&](const ReviewRecord::Answer& a) {
            recorded.push_back({a.key, Record::Kind::Answer, uint8_t(a.mode), uint8_t(a.outcome), a.at, a.durationMs});
            return true;
        }, holds ? since.answerRow : 0);
        record->forEachStamp([&](const ReviewRecord::Stamp& st) {
            recorded.push_back({st.key, Record::Kind::ReviewStamp, uint8_t(st.kind), 0, st.at, 0});
            return true;
        }, holds ? since.stampRow : 0);
    }
    const std::vector<Record> events = localEvents(recorded, m, merged.state, clock, o.wallMs);
    report.sentEdits = int(m.local.size());
    report.sentEvents = int(events.size());

    report.incomplete = read.incomplete;
    report.foreign = read.foreign;
    const std::map<uint64_t, MergedState::SeenFile> whole = read.folderMissing ? merged.read : read.all();
    for (const auto& [key, f] : whole)
        report.filesRead += f.machine != o.machine;

    JournalState before = merged.state;
    before.applyAll(m.local);
    uint64_t seq = std::max(merged.nextSeq, lastSeqOf(read, o.machine) + 1);
    bool sent = true;
    uint64_t sentKey = 0;
    if (!m.local.empty() || !events.empty()) {
        JournalFile out{o.machine, book.name, seq, false, m.local};
        out.records.insert(out.records.end(), events.begin(), events.end());
        if (report.status.isOk() || report.status.code() == Status::Code::Damaged) {
            const Status w = writeJournalFile(env, folder, out, &sentKey);
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
    MergePlan plan = planMerge(values, m.ids, before, after);
    report.added = int(plan.add.size());
    report.changed = int(plan.change.size());
    report.removed = int(plan.remove.size());
    report.revived = plan.revived;

    // The record keeps each event once: those it has already (its own, or read again) add nothing.
    // When it takes them not (locked, damaged), the files are read again at the next merge.
    bool recordTook = !record;
    if (record && record->isOpen()) {
        for (const auto& [from, to] : plan.renames)
            record->renameEntry(from, to);
        size_t next = 0;
        int answers = 0, stamps = 0;
        const Status answered = record->recordAnswers([&](ReviewRecord::NewAnswer* a) {
            while (next < plan.events.size() && plan.events[next].kind != Record::Kind::Answer)
                ++next;
            if (next == plan.events.size())
                return false;
            const RecordEvent& ev = plan.events[next++];
            *a = {ev.key, PracticeMode(ev.mode), AnswerOutcome(ev.outcome), ev.at, ev.durationMs};
            return true;
        }, &answers);
        next = 0;
        const Status stamped = record->recordStamps([&](ReviewRecord::NewStamp* st) {
            while (next < plan.events.size() && plan.events[next].kind != Record::Kind::ReviewStamp)
                ++next;
            if (next == plan.events.size())
                return false;
            const RecordEvent& ev = plan.events[next++];
            *st = {ev.key, StampKind(ev.mode), ev.at};
            return true;
        }, &stamps);
        report.events = answers + stamps;
        recordTook = answered && stamped;
    }

    // What this merge changed of the state: appended to the state's file, not written whole.
    MergedState next = merged;
    std::vector<Record> added;
    auto take = [&](const Record& r) {
        if (next.state.apply(r))
            added.push_back(r);
    };
    // What was not sent is not remembered as merged, so that the next merge sends it.
    if (sent)
        for (const Record& r : m.local)
            take(r);
    for (const JournalFile& f : read.files)
        for (const Record& r : f.records)
            if (r.kind == Record::Kind::Set || r.kind == Record::Kind::Delete)
                take(r);
    // Events whose entry is known are in the record now; the others wait for it.
    for (const JournalFile& f : read.files)
        for (const Record& r : f.records)
            if (r.kind == Record::Kind::Answer || r.kind == Record::Kind::ReviewStamp)
                if (const JournalState::Entry* e = next.state.find(r.id); !e || e->cells[size_t(Field::Word)].stamp.isNull())
                    take(r);
    const bool forgot = recordTook && next.state.keepWaitingEvents() > 0;
    next.latest = std::max(next.latest, after.latest());
    if (!m.local.empty() || !events.empty())
        next.latest = std::max(next.latest, clock.last()); // the stamps made here
    next.nextSeq = seq;
    next.read = whole;
    if (!recordTook)
        for (uint64_t key : read.keys)
            next.read.erase(key);
    if (!report.sentFile.isEmpty())
        next.read[sentKey] = {o.machine, seq - 1};
    for (const auto& [machine, ms] : read.lastSeen.asKeyValueRange())
        next.lastSeen[machine] = std::max(next.lastSeen[machine], ms);
    for (const auto& [machine, ms] : next.lastSeen)
        report.lastSeen.insert(machine, ms);
    // The record as journalled: up to its end now, when what it gained here went out.
    ReviewRecord::Mark end;
    if (sent && record && record->isOpen() && record->mark(&end)) {
        next.answerRow = end.answerRow;
        next.answerAt = end.answerAt;
        next.stampRow = end.stampRow;
        next.stampAt = end.stampAt;
    }

    const bool bookChanged = !plan.change.empty() || !plan.remove.empty() || !plan.add.empty();
    if (bookChanged) {
        session.run(std::make_unique<SyncMergeOp>(std::move(plan)));
        session.history().clear();
    }
    if (!save())
        return report;

    int own = 0;
    for (const auto& [key, f] : whole)
        own += f.machine == o.machine;
    if (sent && own + 1 > o.compactAfter) {
        JournalFile snapshot{o.machine, book.name, next.nextSeq, true, next.state.records(machineId(o.machine))};
        uint64_t key = 0;
        if (Status c = compactJournal(env, folder, snapshot, &key); c) {
            report.compacted = true;
            std::erase_if(next.read, [&](const auto& kv) { return kv.second.machine == o.machine && kv.second.seq < snapshot.seq; });
            next.read[key] = {o.machine, snapshot.seq};
            ++next.nextSeq;
        } else if (report.status.isOk()) {
            report.status = c;
        }
    }
    // A merge that changed nothing leaves the file as it is.
    const MergedStateRead& was = stateRead.read;
    const bool same = !forgot && added.empty() && was.wholeBytes > 0 && !was.cut && !was.oldForm
                      && next.besides() == merged.besides();
    MergedStateRead written = was;
    if (Status s = same ? Status::ok() : writeMergedState(env, stateFile, o.machine, book.name, next, was, forgot ? nullptr : &added, &written); !s) {
        if (report.status.isOk())
            report.status = s;
    } else if (journal) {
        if (sent)
            journal->merged();
        journal->keep(stateFile, {std::move(next), written}, env->fileSize(stateFile));
    }
    return report;
}

} // namespace lex::sync
