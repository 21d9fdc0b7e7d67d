#pragma once
// An Env that wraps another and lets a test break the k-th file operation: either that one
// operation fails (Fail), or the process "dies" there (Crash): that operation and every later one
// is not performed. Operations counted: creating, opening for writing or appending, each append,
// sync and close of a file, rename, remove, folder sync, folder creation. Reads are not counted;
// they can be cut into small pieces and made to fail part way instead (shapeReads, failReads).

#include "common/platform/env.h"

#include <QStringList>

namespace lextest {

class FaultEnv final : public lex::Env {
public:
    enum class Mode { Fail, Crash };

    explicit FaultEnv(lex::Env* base = lex::Env::defaultEnv()) : base_(base) {}

    // Breaks the k-th counted operation (1-based); 0 breaks nothing.
    void breakAt(int k, Mode mode) { breakAt_ = k; mode_ = mode; count_ = 0; crashed_ = false; log_.clear(); }
    int count() const { return count_; }
    bool crashed() const { return crashed_; }
    // One line per counted operation ("rename a -> b"), for failure messages.
    const QStringList& log() const { return log_; }

    // Each read of a sequential file hands out at most `piece` bytes (0: all that was asked for).
    void shapeReads(qsizetype piece) { piece_ = piece; }
    // Reading a file whose path ends with `suffix` fails once `after` of its bytes have been read
    // (whole-file reads fail outright when the file is longer). An empty suffix fails nothing.
    void failReads(const QString& suffix, qint64 after) { failSuffix_ = suffix; failAfter_ = after; }

    // Called before each counted operation: an error when it must not be performed.
    lex::Status step(const QString& what);

    bool fileExists(const QString& path) override { return base_->fileExists(path); }
    bool isRegularFile(const QString& path) override { return base_->isRegularFile(path); }
    qint64 fileSize(const QString& path) override { return base_->fileSize(path); }
    lex::Status readFile(const QString& path, QByteArray* out) override;
    lex::Status newSequentialFile(const QString& path, std::unique_ptr<lex::SequentialFile>* out) override;
    lex::Status createIfMissing(const QString& path) override;
    lex::Status newWritableFile(const QString& path, std::unique_ptr<lex::WritableFile>* out) override;
    lex::Status newAppendableFile(const QString& path, std::unique_ptr<lex::WritableFile>* out) override;
    lex::Status renameFile(const QString& from, const QString& to) override;
    lex::Status removeFile(const QString& path) override;
    lex::Status syncDir(const QString& dir) override;
    lex::Status createDir(const QString& path) override;

private:
    lex::Env* base_;
    int breakAt_ = 0;
    Mode mode_ = Mode::Fail;
    int count_ = 0;
    bool crashed_ = false;
    QStringList log_;
    qsizetype piece_ = 0;
    QString failSuffix_;
    qint64 failAfter_ = 0;
};

} // namespace lextest
