#pragma once
// The writer lock of one Book. Whoever writes a Book's files outside a save of the open Book
// holds it: Lexora for as long as it has the Book open (a Book switch takes the new one first),
// Glosix while it appends a word, lexbook while it rewrites a Book. So two writers of one Book
// cannot exist, whichever starts first; the loser waits a little or gives up.
//
// The lock is an flock on "book-HASH.lock" in the per-user runtime folder (0700), HASH being the
// SHA-1 of the Book's canonical path (the folder with its links resolved, then the name), so that
// two spellings of one folder meet on one lock. The kernel drops it when the holder ends in any way.

#include "common/platform/env.h"
#include "common/platform/status.h"

#include <QString>
#include <memory>

namespace lex {

// How long a starting or switching Lexora waits for another writer to finish.
inline constexpr int kBookLockWaitMs = 5000;

// The canonical key of the Book `folder` + `name` (folder with '/' separators).
QString bookLockKey(const QString& folder, const QString& name);

// The lock file of that Book in `runtimeDir`.
QString bookLockPath(const QString& runtimeDir, const QString& folder, const QString& name);

// Takes the Book's lock, waiting at most `timeoutMs` while another holder has it. The runtime
// folder is created (0700) when missing. On failure `*heldByOther` (when given) tells a holder
// that did not let go in time from a runtime folder or lock file that cannot be used.
Status lockBook(const QString& runtimeDir, const QString& folder, const QString& name, int timeoutMs,
                std::unique_ptr<FileLock>* out, bool* heldByOther = nullptr);

} // namespace lex
