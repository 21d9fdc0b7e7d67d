#pragma once
// An Env that wraps another and lets a test break the k-th file operation: either that one
// operation fails (Fail), or the process "dies" there (Crash): that operation and every later one
// is not performed. Operations counted: creating, opening for writing or appending, each append,
// sync and close of a file, rename, remove, folder sync, folder creation. Reads are not counted;
// they can be cut into small pieces and made to fail part way instead (shapeReads, failReads).
//
// The power-cut modes die as Crash does and then put the files back as a disk would show them
// after losing power: a file holds only what was synced (PowerCut drops the rest; PowerCutZeros
// keeps the length and zeros the rest, as a file system that wrote the size but not the data),
// and a creation, rename or removal counts only when a later syncDir() of its folder made it
// durable. Opening an existing file for writing counts as truncating it at once. Files that
// existed before breakAt() are taken as durable. Folders themselves are not modelled.

#include "common/platform/env.h"

#include <QStringList>
#include <map>
#include <vector>

namespace lextest {

class FaultEnv final : public lex::Env {
public:
    enum class Mode { Fail, Crash, PowerCut, PowerCutZeros };

    explicit FaultEnv(lex::Env* base = lex::Env::defaultEnv()) : base_(base) {}

    // Breaks the k-th counted operation (1-based); 0 breaks nothing.
    void breakAt(int k, Mode mode);
    int count() const { return count_; }
    bool crashed() const { return crashed_; }
    // One line per counted operation ("rename a -> b"), for failure messages.
    const QStringList& log() const { return log_; }

    // Each read of a sequential file hands out at most `piece` bytes (0: all that was asked for).
    void shapeReads(qsizetype piece) { piece_ = piece; }
    // Reading a file whose path ends with `suffix` fails once `after` of its bytes have been read
    // (whole-file reads and mappings fail outright when the file is longer). An empty suffix
    // fails nothing.
    void failReads(const QString& suffix, qint64 after) { failSuffix_ = suffix; failAfter_ = after; }

    // Every counted operation on a path under `folder` fails as the system fails it with `err`
    // (EROFS: a folder on a file system mounted read-only; EACCES: one without the right to
    // write), also as root; an empty folder refuses nothing.
    void refuseWritesUnder(const QString& folder, int err) { refusedFolder_ = folder; refusedErr_ = err; }

    // Called before each counted operation (on `path`): an error when it must not be performed.
    lex::Status step(const QString& what, const QString& path = {});

    bool fileExists(const QString& path) override { return base_->fileExists(path); }
    bool isRegularFile(const QString& path) override { return base_->isRegularFile(path); }
    bool isDir(const QString& path) override { return base_->isDir(path); }
    QString canonicalPath(const QString& path) override { return base_->canonicalPath(path); }
    qint64 fileSize(const QString& path) override { return base_->fileSize(path); }
    lex::Status readFile(const QString& path, QByteArray* out) override;
    lex::Status newSequentialFile(const QString& path, std::unique_ptr<lex::SequentialFile>* out) override;
    // A mapping is a whole-file read: failReads() refuses it as it refuses readFile().
    lex::Status mapReadOnly(const QString& path, std::unique_ptr<lex::ReadOnlyRegion>* out) override;
    lex::Status createIfMissing(const QString& path) override;
    lex::Status newWritableFile(const QString& path, std::unique_ptr<lex::WritableFile>* out) override;
    lex::Status newAppendableFile(const QString& path, std::unique_ptr<lex::WritableFile>* out) override;
    lex::Status renameFile(const QString& from, const QString& to) override;
    lex::Status removeFile(const QString& path) override;
    lex::Status syncDir(const QString& dir) override;
    lex::Status createDir(const QString& path) override;

    // What the open files report back (power-cut bookkeeping); `inode` is from the open call.
    void appended(int inode, QByteArrayView data);
    void synced(int inode);

private:
    struct Inode {
        QByteArray data;     // as written
        QByteArray durable;  // as of the last sync
    };
    lex::Status wholeReadFault(const QString& path);
    bool powerCutMode() const { return mode_ == Mode::PowerCut || mode_ == Mode::PowerCutZeros; }
    // The inode a path names now (-1: none), learning the path's state from the base first.
    int& named(const QString& path);
    int newInode();
    void cutPower();

    std::vector<Inode> inodes_;
    std::map<QString, int> names_;    // now
    std::map<QString, int> durable_;  // as the folders were last synced

    lex::Env* base_;
    int breakAt_ = 0;
    Mode mode_ = Mode::Fail;
    int count_ = 0;
    bool crashed_ = false;
    QStringList log_;
    qsizetype piece_ = 0;
    QString failSuffix_;
    qint64 failAfter_ = 0;
    QString refusedFolder_;
    int refusedErr_ = 0;
};

} // namespace lextest
