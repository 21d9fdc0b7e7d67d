#pragma once
// The per-user folder in which the two programs meet: instance locks, named events and the
// window sockets live there. It must belong to us and be closed to everyone else (0700), or a
// second user could squat a name or talk to our windows.

#include "common/platform/status.h"

#include <QString>

namespace lex {

// $XDG_RUNTIME_DIR/lexora, else /tmp/lexora-UID.
QString defaultRuntimeDir();

// Creates `dir` (mode 0700) when missing and checks that it is a real folder (not a link) owned by
// this user with no access for group or others. An existing folder with a looser mode is refused
// rather than repaired: someone else may already have put something in it.
Status ensureRuntimeDir(const QString& dir);

// A name turned into a file-name part: letters, digits, '.', '-', '_' stay, anything else becomes
// %XX of its UTF-8 bytes, so that no name can reach outside the folder.
QString runtimeFileName(const QString& prefix, const QString& name, const QString& suffix);

// Opens (creating when asked) a file in the runtime folder for locking, close-on-exec so that a
// started companion never inherits a lock. -1 on failure.
int openRuntimeFile(const QString& path, bool create);

} // namespace lex
