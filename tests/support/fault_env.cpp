#include "fault_env.h"

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

} // namespace

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
