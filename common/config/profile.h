#pragma once
// Config.INI: our own private-profile reader and writer over the same file format. Section and
// key names match without regard to case. Every read reads the file afresh (nothing is cached);
// every write changes only its own line and replaces the file atomically, holding an advisory
// lock on the file's folder from the read to the replacement, so that two programs writing
// different keys at once lose neither. The wait is bounded: a write whose lock another writer
// keeps for two seconds fails (the file stays as that writer leaves it), and while that writer
// seems stuck later writes wait only a tenth of a second.
//
// Encoding, decided once for the whole file: a file that starts with the UTF-8 byte-order mark is
// UTF-8; a file without it is code page 936, as Windows reads it, unless the whole file is valid
// UTF-8 and reads far likelier so (files our earlier versions wrote without the mark). Every write
// stores the whole file as UTF-8 with the mark. Writes keep the file's line endings
// (CRLF when its first line ends so, else LF; a new file gets LF). When a key appears twice in a
// section the first one counts; repeated sections of one name read as one.

#include "common/platform/env.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

namespace lex {

class Profile {
public:
    explicit Profile(QString path, Env* env = Env::defaultEnv());
    const QString& path() const { return path_; }

    // Whether the key is present (with any value, even an empty one).
    bool contains(const QString& section, const QString& key) const;
    // As Windows reads integers: optional sign, then decimal digits or a lower-case "0x", "0o" or
    // "0b" prefix and digits of that base, up to the first other character; text that is not a
    // number gives 0; a missing key or an empty value gives `def`. Beyond 32 bits the value wraps
    // modulo 2^32 and is read as signed ("4294967297" gives 1, "2147483648" gives INT_MIN).
    int readInt(const QString& section, const QString& key, int def) const;
    // At most capacity - 1 UTF-16 units (a surrogate pair is never split); surrounding white
    // space and one pair of matching quotes (" or ') are removed. A missing key gives `def`.
    QString readString(const QString& section, const QString& key, const QString& def = {},
                       int capacity = 256) const;
    // Exactly `size` bytes, or nothing when the key is missing or its length or checksum is wrong.
    std::optional<QByteArray> readStruct(const QString& section, const QString& key, int size) const;

    // False when the file cannot be read or replaced (the old file is then left as it was), when
    // another writer holds the lock too long (see above), or
    // when the names or value cannot be stored as one line (a line break in them, an empty name,
    // surrounding white space in a name, a '=' in the key or a key starting with ';' or '[', a
    // ']' in the section). A value that would not read back as written (surrounding white space,
    // or enclosed in matching quotes) is stored in double quotes, which the reader removes.
    bool writeString(const QString& section, const QString& key, const QString& value);
    bool writeInt(const QString& section, const QString& key, int value);
    bool writeStruct(const QString& section, const QString& key, const QByteArray& bytes);

    // Takes the lock every write of the file holds, for a caller that must know before it starts
    // whether it may write at all (lexbook refuses while a program is writing). Until
    // unlockWriters() (or the last copy of this object goes), this object's writes do not take it
    // again. Waits at most `timeoutMs`; on failure `*heldByOther` tells a writer that did not let
    // go in time from a folder that cannot be locked.
    Status lockWriters(int timeoutMs, bool* heldByOther = nullptr);
    void unlockWriters() { held_.reset(); }

    // The first start's file: writes `bytes` as the whole file when there is none yet, under the
    // writers' lock, so that a program writing its first key at the same moment (Glosix started
    // with Lexora) is neither overwritten nor overwrites the seed. An existing file is left as it
    // is. Fails when the lock was not had in time or the write failed.
    Status seed(QByteArrayView bytes);

private:
    QString path_;
    Env* env_;
    std::shared_ptr<FileLock> held_;   // lockWriters()
};

} // namespace lex
