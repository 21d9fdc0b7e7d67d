#pragma once
// Config.INI: our own private-profile reader and writer over the same file format. Section and
// key names match without regard to case. Every read reads the file afresh (nothing is cached);
// every write changes only its own line and replaces the file atomically.

#include "common/platform/env.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace lex {

class Profile {
public:
    explicit Profile(QString path, Env* env = Env::defaultEnv());
    const QString& path() const { return path_; }

    // Optional sign and leading digits; text that is not a number gives 0; a missing key gives `def`.
    int readInt(const QString& section, const QString& key, int def) const;
    // At most capacity - 1 characters; a missing key gives `def`.
    QString readString(const QString& section, const QString& key, const QString& def = {},
                       int capacity = 256) const;
    // Exactly `size` bytes, or nothing when the key is missing or its length or checksum is wrong.
    std::optional<QByteArray> readStruct(const QString& section, const QString& key, int size) const;

    bool writeString(const QString& section, const QString& key, const QString& value);
    bool writeInt(const QString& section, const QString& key, int value);
    bool writeStruct(const QString& section, const QString& key, const QByteArray& bytes);

private:
    QString path_;
    Env* env_;
};

} // namespace lex
