#pragma once
// One merge of the open Book with the journal in a synced folder: what this machine changed since
// its last merge goes out as one new file of its own, what the other machines wrote comes in,
// through one operation run by the session (SyncMergeOp) and the learning record's own calls.
// Used by `lexbook sync` and by the program at open, at save and when the folder changes.

#include "common/platform/env.h"
#include "lexora/book/book_listener.h"
#include "lexora/book/book_operation.h"
#include "lexora/sync/book_merge.h"
#include "lexora/sync/journal_folder.h"

#include <QHash>
#include <QStringList>
#include <functional>
#include <optional>

namespace lex {

class BookSession;
class ReviewRecord;

namespace sync {

// Carries out a MergePlan on the Book. Incoming work is no step of the learner's: it is not on
// the history, and the steps before it are dropped (their rows name other entries now).
class SyncMergeOp : public BookOperation {
public:
    explicit SyncMergeOp(MergePlan plan) : plan_(std::move(plan)) {}
    bool undoable() const override { return false; }
    void redo() override;
    void undo() override {}

private:
    MergePlan plan_;
};

// Follows the session (BookSession::addListener) for what the Book alone cannot tell at the next
// merge: which entry a changed word was. Everything else a merge finds by comparing the Book with
// what it merged last, so nothing an operation does can be missed.
// It also keeps what was merged last while the Book stays open, so that the next merge need not
// read that again.
class SyncJournal : public BookListener {
public:
    void wordChanged(const Book& /*book*/, const QString& from, const QString& to, const EntryTime& added) override
    {
        renamed_.push_back({{from, added}, {to, added}});
    }
    void loaded(const Book& /*book*/) override
    {
        renamed_.clear();
        kept_.reset();
    }
    const KeyChanges& renamed() const { return renamed_; }
    void merged() { renamed_.clear(); }

    // The merged state as written to `file` (`size` bytes), for the next merge.
    void keep(const QString& file, MergedStateFile state, qint64 size) { kept_ = Kept{file, std::move(state), size}; }
    void forget() { kept_.reset(); }
    // What keep() kept, when it is what `file` holds for `machine` (of `size` bytes) now.
    bool takeKept(const QString& file, const QString& machine, qint64 size, MergedStateFile* out)
    {
        const bool fits = kept_ && kept_->file == file && kept_->state.read.machine == machine && kept_->size == size;
        if (fits)
            *out = std::move(kept_->state);
        kept_.reset();
        return fits;
    }

private:
    struct Kept {
        QString file;
        MergedStateFile state;
        qint64 size = -1;
    };
    KeyChanges renamed_;
    std::optional<Kept> kept_;
};

struct SyncOptions {
    QString folder;          // the synced folder
    QString machine;         // this machine's name
    int64_t wallMs = 0;      // now, ms since the epoch (UTC)
    int compactAfter = 16;   // own files in the folder before they are replaced by one snapshot
};

struct SyncReport {
    // Out: records of edits and events of the record written in a new file.
    int sentEdits = 0, sentEvents = 0;
    QString sentFile;
    // In: what the other machines' files did here.
    int added = 0, changed = 0, removed = 0, revived = 0, events = 0;
    int filesRead = 0;
    QStringList incomplete, foreign;
    QHash<QString, int64_t> lastSeen;
    bool compacted = false;
    // The first thing that failed (the folder, a write); the merge still did what it could.
    Status status;
    bool cameIn() const { return added + changed + removed + events > 0; }
};

// `save` saves the Book and says whether it worked; what was merged is remembered only after it
// did. `record` may be null (no learning record), `journal` too (no word was changed here since).
SyncReport syncBook(BookSession& session, ReviewRecord* record, SyncJournal* journal, Env* env,
                    const SyncOptions& options, const std::function<bool()>& save);

} // namespace sync
} // namespace lex
