#pragma once
// An Env that keeps every file in memory (fuzzing, fast tests). Header-only so that targets
// without the test support library can use it. Folders are not modelled: every path exists as a
// file or not at all (isDir() is false, canonicalPath() the cleaned path, mappings are copies:
// Env's defaults).

#include "common/platform/env.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace lextest {

class MemEnv : public lex::Env {
public:
    std::map<QString, QByteArray> files;
    // Each read of a sequential file hands out at most this many bytes (0: all that was asked).
    qsizetype readPiece = 0;

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
            return lex::Status::error(lex::Status::Code::NotFound, QStringLiteral("no file ") + path);
        *out = it->second;
        return lex::Status::ok();
    }
    lex::Status newSequentialFile(const QString& path, std::unique_ptr<lex::SequentialFile>* out) override
    {
        auto it = files.find(path);
        if (it == files.end())
            return lex::Status::error(lex::Status::Code::NotFound, QStringLiteral("no file ") + path);
        *out = std::make_unique<Reader>(it->second, readPiece);
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
            return lex::Status::error(lex::Status::Code::NotFound, QStringLiteral("no file ") + path);
        *out = std::make_unique<File>(this, path);
        return lex::Status::ok();
    }
    lex::Status renameFile(const QString& from, const QString& to) override
    {
        auto it = files.find(from);
        if (it == files.end())
            return lex::Status::error(lex::Status::Code::NotFound, QStringLiteral("no file ") + from);
        QByteArray data = std::move(it->second);
        files.erase(it);
        files[to] = std::move(data);
        return lex::Status::ok();
    }
    lex::Status removeFile(const QString& path) override
    {
        return files.erase(path) ? lex::Status::ok()
                                 : lex::Status::error(lex::Status::Code::NotFound, QStringLiteral("no file ") + path);
    }
    lex::Status syncDir(const QString&) override { return lex::Status::ok(); }
    lex::Status createDir(const QString&) override { return lex::Status::ok(); }

private:
    class Reader final : public lex::SequentialFile {
    public:
        Reader(QByteArray bytes, qsizetype piece) : bytes_(std::move(bytes)), piece_(piece) {}
        lex::Status read(char* scratch, qsizetype n, qsizetype* got) override
        {
            *got = std::min(piece_ > 0 ? std::min(n, piece_) : n, bytes_.size() - pos_);
            if (*got > 0)
                std::memcpy(scratch, bytes_.constData() + pos_, size_t(*got));
            pos_ += *got;
            return lex::Status::ok();
        }

    private:
        QByteArray bytes_;
        qsizetype piece_;
        qsizetype pos_ = 0;
    };
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
