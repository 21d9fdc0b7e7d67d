#pragma once
// An Env that keeps every file in memory (fuzzing, fast tests). Header-only so that targets
// without the test support library can use it. Folders are not modelled: every path exists as a
// file or not at all.

#include "common/platform/env.h"

#include <map>

namespace lextest {

class MemEnv final : public lex::Env {
public:
    std::map<QString, QByteArray> files;

    bool fileExists(const QString& path) override { return files.count(path) != 0; }
    qint64 fileSize(const QString& path) override
    {
        auto it = files.find(path);
        return it == files.end() ? -1 : it->second.size();
    }
    lex::Status readFile(const QString& path, QByteArray* out) override
    {
        auto it = files.find(path);
        if (it == files.end())
            return lex::Status::error(QStringLiteral("no file ") + path);
        *out = it->second;
        return lex::Status::ok();
    }
    lex::Status createIfMissing(const QString& path) override
    {
        files.try_emplace(path);
        return lex::Status::ok();
    }
    lex::Status newWritableFile(const QString& path, std::unique_ptr<lex::WritableFile>* out) override
    {
        files[path].clear();
        *out = std::make_unique<File>(this, path);
        return lex::Status::ok();
    }
    lex::Status newAppendableFile(const QString& path, std::unique_ptr<lex::WritableFile>* out) override
    {
        if (!fileExists(path))
            return lex::Status::error(QStringLiteral("no file ") + path);
        *out = std::make_unique<File>(this, path);
        return lex::Status::ok();
    }
    lex::Status renameFile(const QString& from, const QString& to) override
    {
        auto it = files.find(from);
        if (it == files.end())
            return lex::Status::error(QStringLiteral("no file ") + from);
        QByteArray data = std::move(it->second);
        files.erase(it);
        files[to] = std::move(data);
        return lex::Status::ok();
    }
    lex::Status removeFile(const QString& path) override
    {
        return files.erase(path) ? lex::Status::ok() : lex::Status::error(QStringLiteral("no file ") + path);
    }
    lex::Status syncDir(const QString&) override { return lex::Status::ok(); }
    lex::Status createDir(const QString&) override { return lex::Status::ok(); }

private:
    class File final : public lex::WritableFile {
    public:
        File(MemEnv* env, QString path) : env_(env), path_(std::move(path)) {}
        lex::Status append(QByteArrayView data) override
        {
            env_->files[path_].append(data);
            return lex::Status::ok();
        }
        lex::Status sync() override { return lex::Status::ok(); }
        lex::Status close() override { return lex::Status::ok(); }

    private:
        MemEnv* env_;
        QString path_;
    };
};

} // namespace lextest
