#pragma once
// The names by which Lexora and Glosix find each other: window titles, the one-copy-per-user
// names, the named events and the prefixes of their files in the runtime folder. Each program and
// lexbook must use the same spelling, so each is written here once. (The link's message kinds are
// LinkKind in link_protocol.h.)

#include <QString>

namespace lex::names {

// Window titles: the link finds a window by these.
inline const QString kLexoraTitle = QStringLiteral("Tessaly");
inline const QString kGlosixTitle = QStringLiteral("Glosix");

// One running copy per user and program.
inline const QString kLexoraInstance = QStringLiteral("Lexora.exe");
inline const QString kGlosixInstance = QStringLiteral("Glosix.exe");

// Named events: Glosix is ready to receive words; a voice playback took its file.
inline const QString kGlosixReady = QStringLiteral("GlosixReady");
inline const QString kWaitPlayed = QStringLiteral("WaitPlayed");

// Files in the runtime folder: PREFIX + name + suffix (see runtimeFileName).
inline const QString kWindowFilePrefix = QStringLiteral("window-");     // .sock and .lock of a window title
inline const QString kInstanceFilePrefix = QStringLiteral("instance-"); // .lock of an instance name
inline const QString kEventFilePrefix = QStringLiteral("event-");       // a named event
inline const QString kBookLockPrefix = QStringLiteral("book-");         // + SHA-1 of the Book's key + ".lock"
inline const QString kSocketSuffix = QStringLiteral(".sock");
inline const QString kLockSuffix = QStringLiteral(".lock");

} // namespace lex::names
