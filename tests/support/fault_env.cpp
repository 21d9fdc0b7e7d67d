#include "fault_env.h"

#include <algorithm>

namespace lextest {
namespace {

class FaultFile final : public lex::WritableFile {
public:
    FaultFile(FaultEnv* env, std::unique_ptr<lex::WritableFile> base, QString path)
        : env_(env), base_(std::move(base)), path_(std::move(path)) {}
    lex::Status append(QByteArrayView data) override
    {
        lex::Status s = env_->step(QStringLiteral("append %1 (%2 bytes)").arg(path_).arg(data.size()));
        return s ? base_->append(data) : s;
    }
    lex::Status sync() override
    {
        lex::Status s = env_->step(QStringLiteral("sync %1").arg(path_));
        return s ? base_->sync() : s;
    }
    lex::Status close() override
    {
        if (closed_)
            return lex::Status::ok();
        closed_ = true;
        lex::Status s = env_->step(QStringLiteral("close %1").arg(path_));
        // A "dead" process does not close anything either, but the descriptor must not leak.
        lex::Status b = base_->close();
        return s ? b : s;
    }

private:
    FaultEnv* env_;
    std::unique_ptr<lex::WritableFile> base_;
    QString path_;
    bool closed_ = false;
};

class ShapedFile final : public lex::SequentialFile {
public:
    ShapedFile(std::unique_ptr<lex::SequentialFile> base, QString path, qsizetype piece, qint64 failAfter)
        : base_(std::move(base)), path_(std::move(path)), piece_(piece), failAfter_(failAfter) {}
    lex::Status read(char* scratch, qsizetype n, qsizetype* got) override
    {
        if (piece_ > 0)
            n = std::min(n, piece_);
        if (failAfter_ >= 0) {
            if (done_ >= failAfter_)
                return lex::Status::error(QStringLiteral("read %1: injected failure").arg(path_));
            n = qsizetype(std::min<qint64>(n, failAfter_ - done_));
        }
        const lex::Status s = base_->read(scratch, n, got);
        if (s)
            done_ += *got;
        return s;
    }

private:
    std::unique_ptr<lex::SequentialFile> base_;
    QString path_;
    qsizetype piece_;
    qint64 failAfter_; // -1: never
    qint64 done_ = 0;
};

} // namespace

lex::Status FaultEnv::readFile(const QString& path, QByteArray* out)
{
    const bool failing = !failSuffix_.isEmpty() && path.endsWith(failSuffix_);
    if (failing && base_->fileSize(path) > failAfter_)
        return lex::Status::error(QStringLiteral("read %1: injected failure").arg(path));
    return base_->readFile(path, out);
}

lex::Status FaultEnv::newSequentialFile(const QString& path, std::unique_ptr<lex::SequentialFile>* out)
{
    std::unique_ptr<lex::SequentialFile> base;
    const lex::Status s = base_->newSequentialFile(path, &base);
    if (!s)
        return s;
    const bool failing = !failSuffix_.isEmpty() && path.endsWith(failSuffix_);
    *out = std::make_unique<ShapedFile>(std::move(base), path, piece_, failing ? failAfter_ : -1);
    return s;
}

lex::Status FaultEnv::step(const QString& what)
{
    ++count_;
    log_ << what;
    if (crashed_)
        return lex::Status::error(QStringLiteral("crashed before: ") + what);
    if (count_ == breakAt_) {
        if (mode_ == Mode::Crash)
            crashed_ = true;
        return lex::Status::error(QStringLiteral("injected fault: ") + what);
    }
    return lex::Status::ok();
}

lex::Status FaultEnv::createIfMissing(const QString& path)
{
    lex::Status s = step(QStringLiteral("create %1").arg(path));
    return s ? base_->createIfMissing(path) : s;
}

lex::Status FaultEnv::newWritableFile(const QString& path, std::unique_ptr<lex::WritableFile>* out)
{
    lex::Status s = step(QStringLiteral("open for writing %1").arg(path));
    if (!s)
        return s;
    std::unique_ptr<lex::WritableFile> f;
    s = base_->newWritableFile(path, &f);
    if (s)
        *out = std::make_unique<FaultFile>(this, std::move(f), path);
    return s;
}

lex::Status FaultEnv::newAppendableFile(const QString& path, std::unique_ptr<lex::WritableFile>* out)
{
    lex::Status s = step(QStringLiteral("open for appending %1").arg(path));
    if (!s)
        return s;
    std::unique_ptr<lex::WritableFile> f;
    s = base_->newAppendableFile(path, &f);
    if (s)
        *out = std::make_unique<FaultFile>(this, std::move(f), path);
    return s;
}

lex::Status FaultEnv::renameFile(const QString& from, const QString& to)
{
    lex::Status s = step(QStringLiteral("rename %1 -> %2").arg(from, to));
    return s ? base_->renameFile(from, to) : s;
}

lex::Status FaultEnv::removeFile(const QString& path)
{
    lex::Status s = step(QStringLiteral("remove %1").arg(path));
    return s ? base_->removeFile(path) : s;
}

lex::Status FaultEnv::syncDir(const QString& dir)
{
    lex::Status s = step(QStringLiteral("sync folder %1").arg(dir));
    return s ? base_->syncDir(dir) : s;
}

lex::Status FaultEnv::createDir(const QString& path)
{
    lex::Status s = step(QStringLiteral("create folder %1").arg(path));
    return s ? base_->createDir(path) : s;
}

} // namespace lextest
