#pragma once
// The journal's files in the synced folder: FOLDER/BOOK/MACHINE.NNNNNNNN.lxj, each written once,
// whole (through Env's durable write), by the machine it names. Every file whose name ends in
// ".lxj" is read, whatever else its name says, so that the copies sync tools make when they see
// two versions of a file ("x.sync-conflict-20261209-101010-ABCDEFG.lxj", "x (conflicted copy
// 2026-12-09).lxj", "x (Machine's conflicted copy).lxj") count like any other; they are never
// renamed or removed. Only a machine's own files under their own names are ever removed, by its
// compaction, after the snapshot that replaces them is durable.
//
// What this machine last merged lives beside the Book (NAME.sync), not in the synced folder.

#include "common/platform/env.h"
#include "lexora/sync/journal.h"

#include <QHash>
#include <QStringList>
#include <map>

namespace lex::sync {

// Letters, digits, '-' and '_' of a machine name (others become '_'), so it makes a file name.
QString fileSafeName(const QString& machine);
QString journalFileName(const QString& machine, uint64_t seq);
// The Book's folder inside the synced folder ('/'-terminated).
QString journalFolder(const QString& syncFolder, const QString& bookName);
// The file beside the Book that keeps what this machine last merged.
QString mergedStateFile(const QString& bookPath, const QString& bookName);

struct FolderRead {
    std::vector<JournalFile> files;          // whole files not read before, each once (a conflict copy of a file read is dropped)
    std::vector<uint64_t> keys;              // theirs (journalKey), in the same order
    std::map<uint64_t, MergedState::SeenFile> known; // whole files read at an earlier merge that are still there
    QStringList incomplete;                  // names not whole yet
    QStringList foreign;                     // names of another program or a newer build
    QHash<QString, int64_t> lastSeen;        // machine -> the latest wall time it wrote, in the files read now
    bool folderMissing = false;
    // Every whole file of the folder: the ones read now and those read before.
    std::map<uint64_t, MergedState::SeenFile> all() const;
};
// Reads the files of `folder`, but of those `known` names (read whole at an earlier merge) only
// their first bytes.
FolderRead readJournalFolder(Env* env, const QString& folder, const std::map<uint64_t, MergedState::SeenFile>& known = {});

// The highest number this machine used in `read`, 0 when none.
uint64_t lastSeqOf(const FolderRead& read, const QString& machine);

// Writes `file` under its own name (the folder is made when missing); `key`: its journalKey().
Status writeJournalFile(Env* env, const QString& folder, const JournalFile& file, uint64_t* key = nullptr);

// Replaces this machine's files up to snapshot.seq - 1 by `snapshot` (its own records of the
// merged state) and every answer and stamp those files hold: the snapshot is made durable first,
// then the old files are removed. A file of its own that cannot be read is kept.
Status compactJournal(Env* env, const QString& folder, JournalFile snapshot, uint64_t* key = nullptr);

// What this machine merged last (an empty state when there is no such file yet, or one of another
// machine's: a Book folder copied from there).
struct MergedStateFile {
    MergedState merged;
    MergedStateRead read;
};
Status readMergedState(Env* env, const QString& file, const QString& machine, MergedStateFile* out);
// Writes `state`: `added` (what this merge added to the state as read) appended to the file as
// read, or the whole state anew when there is no such addition (events were forgotten), the
// file was cut or of an older build, or the additions have grown past the whole state.
// `written`: the file as it is then.
Status writeMergedState(Env* env, const QString& file, const QString& machine, const QString& book,
                        const MergedState& state, const MergedStateRead& asRead, const std::vector<Record>* added,
                        MergedStateRead* written = nullptr);

} // namespace lex::sync
