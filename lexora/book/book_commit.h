#pragma once
// How a save that rewrites both files of a Book is made atomic, and how the files of a save that
// was interrupted are finished or rolled back. Used by the Book files only.

#include "common/platform/env.h"

#include <QStringList>

namespace lex::bookcommit {

// A save that rewrites both files writes NAME.txt.new and NAME.idx.new, syncs them, and then
// commits by writing NAME.save atomically. Only after that are the two renamed into place and
// NAME.save removed. So: NAME.save present = the new state is complete and wins; absent = the
// old files are untouched and any *.new is rubbish.
struct SaveSet {
    QString dir, idx, txt, idxNew, txtNew, marker, markerTmp, idxTmp;
    SaveSet(const QString& path, const QString& name);
};

struct Pending {
    bool markerFound = false;
    bool committed = false;
    qint64 txtSize = -1, idxSize = -1;   // as the marker records them
    QStringList leftovers;               // files to remove when rolling back
    bool any() const { return markerFound || !leftovers.isEmpty(); }
};

// The content of NAME.save for new files of these sizes.
QByteArray commitContent(qint64 txtSize, qint64 idxSize);
// What an interrupted save left, without changing anything.
Pending examine(Env* env, const SaveSet& s);
// Finishes (committed) or rolls back (not committed) an interrupted save; `what` tells which.
Status finishInterruptedSave(Env* env, const SaveSet& s, QString* what);
// The files that hold the Book's state, with an interrupted save counted as done.
void effectivePaths(Env* env, const SaveSet& s, const Pending& p, QString* idx, QString* txt);
// Undoes a save that failed before or while committing. The marker goes first (and durably), so
// that the new files are never removed while a marker could still make them win.
void rollBack(Env* env, const SaveSet& s);

} // namespace lex::bookcommit
