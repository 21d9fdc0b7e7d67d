#include "fault_env.h"

#include <algorithm>
#include <cstring>

namespace lextest {
namespace {

class FaultFile final : public lex::WritableFile {
public:
    FaultFile(FaultEnv* env, std::unique_ptr<lex::WritableFile> base, QString path, int inode)
        : env_(env), base_(std::move(base)), path_(std::move(path)), inode_(inode) {}
    lex::Status append(QByteArrayView data) override
    {
        lex::Status s = env_->step(QStringLiteral("append %1 (%2 bytes)").arg(path_).arg(data.size()), path_);
        if (s)
            s = base_->append(data);
        if (s)
            env_->appended(inode_, data);
        return s;
    }
    lex::Status sync() override
    {
        lex::Status s = env_->step(QStringLiteral("sync %1").arg(path_), path_);
        if (s)
            s = base_->sync();
        if (s)
            env_->synced(inode_);
        return s;
    }
    lex::Status close() override
    {
        if (closed_)
            return lex::Status::ok();
        closed_ = true;
        lex::Status s = env_->step(QStringLiteral("close %1").arg(path_), path_);
        // A "dead" process does not close anything either, but the descriptor must not leak.
        lex::Status b = base_->close();
        return s ? b : s;
    }

private:
    FaultEnv* env_;
    std::unique_ptr<lex::WritableFile> base_;
    QString path_;
    int inode_;
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

lex::Status FaultEnv::wholeReadFault(const QString& path)
{
    const bool failing = !failSuffix_.isEmpty() && path.endsWith(failSuffix_);
    if (failing && base_->fileSize(path) > failAfter_)
        return lex::Status::error(QStringLiteral("read %1: injected failure").arg(path));
    return lex::Status::ok();
}

lex::Status FaultEnv::readFile(const QString& path, QByteArray* out)
{
    const lex::Status s = wholeReadFault(path);
    return s ? base_->readFile(path, out) : s;
}

lex::Status FaultEnv::mapReadOnly(const QString& path, std::unique_ptr<lex::ReadOnlyRegion>* out)
{
    const lex::Status s = wholeReadFault(path);
    return s ? base_->mapReadOnly(path, out) : s;
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

lex::Status FaultEnv::step(const QString& what, const QString& path)
{
    ++count_;
    log_ << what;
    if (crashed_)
        return lex::Status::error(QStringLiteral("crashed before: ") + what);
    if (!refusedFolder_.isEmpty() && !path.isEmpty() && path.startsWith(refusedFolder_))
        return lex::Status::error(lex::Status::Code::Refused,
                                  QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(strerror(refusedErr_))));
    if (count_ == breakAt_) {
        if (mode_ != Mode::Fail)
            crashed_ = true;
        if (powerCutMode())
            cutPower();
        return lex::Status::error(QStringLiteral("injected fault: ") + what);
    }
    return lex::Status::ok();
}

void FaultEnv::breakAt(int k, Mode mode)
{
    breakAt_ = k;
    mode_ = mode;
    count_ = 0;
    crashed_ = false;
    log_.clear();
    inodes_.clear();
    names_.clear();
    durable_.clear();
}

int FaultEnv::newInode()
{
    inodes_.emplace_back();
    return int(inodes_.size()) - 1;
}

int& FaultEnv::named(const QString& path)
{
    auto it = names_.find(path);
    if (it != names_.end())
        return it->second;
    int inode = -1;
    QByteArray bytes;
    if (base_->fileExists(path) && base_->readFile(path, &bytes)) {
        inode = newInode();
        inodes_[size_t(inode)].data = bytes;
        inodes_[size_t(inode)].durable = bytes;
    }
    durable_[path] = inode;
    return names_[path] = inode;
}

void FaultEnv::appended(int inode, QByteArrayView data)
{
    if (inode >= 0 && size_t(inode) < inodes_.size())
        inodes_[size_t(inode)].data.append(data);
}

void FaultEnv::synced(int inode)
{
    if (inode >= 0 && size_t(inode) < inodes_.size())
        inodes_[size_t(inode)].durable = inodes_[size_t(inode)].data;
}

void FaultEnv::cutPower()
{
    for (const auto& [path, inode] : durable_) {
        // Removed first, so that a descriptor still open on the old file cannot write into
        // what is put back.
        if (base_->fileExists(path))
            base_->removeFile(path);
        if (inode < 0)
            continue;
        const Inode& n = inodes_[size_t(inode)];
        QByteArray bytes = n.durable;
        if (mode_ == Mode::PowerCutZeros && n.data.size() > bytes.size())
            bytes.append(QByteArray(n.data.size() - bytes.size(), '\0'));
        std::unique_ptr<lex::WritableFile> f;
        if (base_->newWritableFile(path, &f)) {
            f->append(bytes);
            f->close();
        }
    }
}

lex::Status FaultEnv::createIfMissing(const QString& path)
{
    lex::Status s = step(QStringLiteral("create %1").arg(path), path);
    if (!s)
        return s;
    int& inode = named(path);   // the state before the call
    s = base_->createIfMissing(path);
    if (s && inode < 0)
        inode = newInode();
    return s;
}

lex::Status FaultEnv::newWritableFile(const QString& path, std::unique_ptr<lex::WritableFile>* out)
{
    lex::Status s = step(QStringLiteral("open for writing %1").arg(path), path);
    if (!s)
        return s;
    int& inode = named(path);   // the state before the call
    std::unique_ptr<lex::WritableFile> f;
    s = base_->newWritableFile(path, &f);
    if (!s)
        return s;
    if (inode < 0)
        inode = newInode();
    inodes_[size_t(inode)] = Inode();
    *out = std::make_unique<FaultFile>(this, std::move(f), path, inode);
    return s;
}

lex::Status FaultEnv::newAppendableFile(const QString& path, std::unique_ptr<lex::WritableFile>* out)
{
    lex::Status s = step(QStringLiteral("open for appending %1").arg(path), path);
    if (!s)
        return s;
    const int inode = named(path);
    std::unique_ptr<lex::WritableFile> f;
    s = base_->newAppendableFile(path, &f);
    if (s)
        *out = std::make_unique<FaultFile>(this, std::move(f), path, inode);
    return s;
}

lex::Status FaultEnv::renameFile(const QString& from, const QString& to)
{
    lex::Status s = step(QStringLiteral("rename %1 -> %2").arg(from, to), to);
    if (s) {
        const int inode = named(from);
        named(to);
        s = base_->renameFile(from, to);
        if (s) {
            names_[to] = inode;
            names_[from] = -1;
        }
    }
    return s;
}

lex::Status FaultEnv::removeFile(const QString& path)
{
    lex::Status s = step(QStringLiteral("remove %1").arg(path), path);
    if (s) {
        named(path);
        s = base_->removeFile(path);
        if (s)
            names_[path] = -1;
    }
    return s;
}

lex::Status FaultEnv::syncDir(const QString& dir)
{
    lex::Status s = step(QStringLiteral("sync folder %1").arg(dir), dir);
    if (s)
        s = base_->syncDir(dir);
    if (s) {
        for (const auto& [path, inode] : names_) {
            if (lex::parentDir(path) == dir)
                durable_[path] = inode;
        }
    }
    return s;
}

lex::Status FaultEnv::createDir(const QString& path)
{
    lex::Status s = step(QStringLiteral("create folder %1").arg(path), path);
    return s ? base_->createDir(path) : s;
}

} // namespace lextest
