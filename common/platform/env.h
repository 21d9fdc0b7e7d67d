#pragma once
// Every file access of the core goes through an Env, so that a test can swap in one that makes
// any write, flush or rename fail (see tests/support/fault_env.h). Paths use '/'.

#include "common/platform/status.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <memory>

namespace lex {

class Clock;
class Random;

// A file being written. Data reaches the disk only after sync(); close() is implied by destruction.
class WritableFile {
public:
    virtual ~WritableFile() = default;
    virtual Status append(QByteArrayView data) = 0;
    virtual Status sync() = 0;   // flush to stable storage (fsync)
    virtual Status close() = 0;
};

// A file read from its start, piece by piece.
class SequentialFile {
public:
    virtual ~SequentialFile() = default;
    // Reads at most n bytes into scratch; *got is 0 only at the end of the file.
    virtual Status read(char* scratch, qsizetype n, qsizetype* got) = 0;
};

// The whole of a file, read-only, for as long as the object lives (a memory mapping on the real
// file system). An empty file gives size() 0 and may give a null data().
class ReadOnlyRegion {
public:
    virtual ~ReadOnlyRegion() = default;
    virtual const unsigned char* data() const = 0;
    virtual qint64 size() const = 0;
};

// An advisory lock, released when the object is destroyed.
class FileLock {
public:
    virtual ~FileLock() = default;
};

class Env {
public:
    virtual ~Env() = default;

    // The process-wide real file system. Never null; not owned by the caller.
    static Env* defaultEnv();

    virtual bool fileExists(const QString& path) = 0;
    // Size in bytes, or -1 when the file cannot be examined.
    virtual qint64 fileSize(const QString& path) = 0;
    // Whether `path` names a regular file (not a folder, FIFO or device). Environments without
    // such kinds of file answer whether it exists.
    virtual bool isRegularFile(const QString& path) { return fileExists(path); }
    // Whether `path` names a folder. Environments without folders answer false.
    virtual bool isDir(const QString&) { return false; }
    // The absolute form of an existing path with links, "." and ".." resolved; empty when the
    // path does not exist. Environments without links give the cleaned path of a file they hold.
    virtual QString canonicalPath(const QString& path);
    // Reads the whole file into memory. Fails when it cannot be opened, is not a regular file (a
    // FIFO would block, a device never ends) or fewer bytes than its length arrive (a file cut
    // short while being read).
    virtual Status readFile(const QString& path, QByteArray* out) = 0;
    // Opens a file to be read from its start. This default reads it whole with readFile() and
    // hands it out from memory; the real file system reads it as asked.
    virtual Status newSequentialFile(const QString& path, std::unique_ptr<SequentialFile>* out);
    // Makes the whole of a regular file readable in memory without copying it where the file
    // system allows (the real one maps it). Fails as readFile() does. This default reads it whole.
    virtual Status mapReadOnly(const QString& path, std::unique_ptr<ReadOnlyRegion>* out);
    // Creates an empty file when none exists; an existing file is left untouched.
    virtual Status createIfMissing(const QString& path) = 0;
    // Creates or truncates `path` for writing.
    virtual Status newWritableFile(const QString& path, std::unique_ptr<WritableFile>* out) = 0;
    // Opens an existing file for appending at its end; fails when it does not exist.
    virtual Status newAppendableFile(const QString& path, std::unique_ptr<WritableFile>* out) = 0;
    // Atomically replaces `to` with `from`.
    virtual Status renameFile(const QString& from, const QString& to) = 0;
    virtual Status removeFile(const QString& path) = 0;
    // Makes renames and creations inside `dir` durable.
    virtual Status syncDir(const QString& dir) = 0;
    virtual Status createDir(const QString& path) = 0;
    // Takes an exclusive advisory lock on an existing file or folder, waiting at most `timeoutMs`
    // while another process (or another lock of the same path in this one) holds it. It binds
    // only those who ask for it. This default, for envs that live in one process's memory,
    // succeeds at once; the real file system fails with Status::Code::Busy when the wait runs out.
    virtual Status lockExclusive(const QString& path, int timeoutMs, std::unique_ptr<FileLock>* out);
    // The names of the files in `folder` (no folders, no hidden files), in no particular order;
    // empty when it cannot be read. Lists by the given path: the current directory is untouched.
    virtual QStringList listFiles(const QString& folder);
    // The names of the folders in `folder` (no hidden ones), in no particular order.
    virtual QStringList listFolders(const QString& folder);
};

// Null means the process's real one: the one rule by which an optional Env, Clock or Random
// handed to a class is resolved (tests hand in their own, the programs nothing).
inline Env* orDefault(Env* env) { return env ? env : Env::defaultEnv(); }
Clock* orDefault(Clock* clock);
const Clock* orDefault(const Clock* clock);
Random* orDefault(Random* random);

// The one durable write of an open file: appends `data`, syncs it to stable storage and closes
// the file, stopping at the first step that fails and returning its status.
Status writeDurably(WritableFile& file, QByteArrayView data);

// Writes `data` to `path` so that a crash leaves either the old file or the new one:
// path.tmp is written and synced, then renamed over path, then the folder is synced.
Status writeFileAtomically(Env* env, const QString& path, QByteArrayView data);

// Creates `folder` and any of its parents that are missing.
Status createDirs(Env* env, const QString& folder);

// The folder part of a path ("a/b/c.txt" -> "a/b"; "c.txt" -> ".").
QString parentDir(const QString& path);

} // namespace lex
