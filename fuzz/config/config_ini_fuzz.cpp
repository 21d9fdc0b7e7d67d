// Config.INI reader and writer over arbitrary file contents, in memory. Checks that every read
// survives any input (with or without the UTF-8 mark, code page 936 or UTF-8), that each write
// reads back as written and leaves the file marked as UTF-8, that a write leaves every other
// key's value as it was (a file read as code page 936 is converted whole), and that integers in
// every form Windows reads (base prefixes, values beyond 32 bits) come back as written.
#include "common/config/profile.h"
#include "tests/support/mem_env.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <strings.h>

namespace {

void check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "config_ini: %s\n", what);
        std::abort();
    }
}

// "INIT" and "init" are one section: a write through one must show through the other.
constexpr int kSectionCount = 3, kKeyCount = 2;
const char* const kSections[kSectionCount] = {"INIT", "init", "S"};
const char* const kKeys[kKeyCount] = {"k", "b"};

// All three reads run over the input as given; afterwards the string view is enough to see that
// other values stayed the same, since the integer and the structure come from the same text.
struct Snapshot {
    QString strings[kSectionCount][kKeyCount];
};

// Every read reads the whole file afresh; the integer, structure and presence reads run for one
// key per input (picked by the input) to keep each run quick.
Snapshot readAll(const lex::Profile& p, int allKindsFor)
{
    Snapshot s;
    for (int i = 0; i < kSectionCount; ++i)
        for (int j = 0; j < kKeyCount; ++j) {
            const QString sec = QLatin1String(kSections[i]), key = QLatin1String(kKeys[j]);
            s.strings[i][j] = p.readString(sec, key, QStringLiteral("DEF"), 4096);
            if (i * kKeyCount + j == allKindsFor) {
                const int n = p.readInt(sec, key, -7);
                const auto st = p.readStruct(sec, key, 2);
                check(!st || st->size() == 2, "structure of the wrong size");
                if (!p.contains(sec, key) || s.strings[i][j].isEmpty())
                    check(n == -7, "an empty or missing value must give the default integer");
            }
        }
    return s;
}

bool sameAscii(const char* a, const char* b) { return strcasecmp(a, b) == 0; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const uint8_t pick = data[0];
    const size_t valueLen = data[1] % 48;
    data += 2;
    size -= 2;
    const size_t fileLen = size > valueLen ? size - valueLen : 0;

    lextest::MemEnv env;
    const QString path = QStringLiteral("/cfg/Config.INI");
    env.files[path] = QByteArray(reinterpret_cast<const char*>(data), qsizetype(fileLen));
    lex::Profile profile(path, &env);
    const Snapshot before = readAll(profile, (pick >> 4) % (kSectionCount * kKeyCount));

    // The value comes from the tail of the input; line breaks cannot be stored and are refused.
    QString value = QString::fromUtf8(reinterpret_cast<const char*>(data + fileLen), qsizetype(size - fileLen));
    const int si = pick % kSectionCount, ki = (pick / kSectionCount) % kKeyCount;
    const QString sec = QLatin1String(kSections[si]), key = QLatin1String(kKeys[ki]);
    const bool hasBreak = value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r'));
    const bool wrote = profile.writeString(sec, key, value);
    check(wrote != hasBreak, "writeString refused a storable value or stored a line break");
    if (!wrote) {
        value.remove(QLatin1Char('\n')).remove(QLatin1Char('\r'));
        check(profile.writeString(sec, key, value), "writeString failed");
    }
    check(profile.readString(sec, key, QStringLiteral("DEF"), 1024) == value, "string does not read back");

    // Every other key reads as before.
    const Snapshot after = readAll(profile, -1);
    for (int i = 0; i < kSectionCount; ++i)
        for (int j = 0; j < kKeyCount; ++j) {
            const bool written = sameAscii(kSections[i], kSections[si]) && sameAscii(kKeys[j], kKeys[ki]);
            check(written || after.strings[i][j] == before.strings[i][j], "another value changed");
        }

    check(env.files[path].startsWith("\xEF\xBB\xBF"), "a written file lacks the UTF-8 mark");

    // The integer comes from the input too, so that every bit pattern is reached.
    uint32_t bits = uint32_t(pick) * 2654435761u;
    for (size_t i = 0; i < fileLen && i < 4; ++i)
        bits ^= uint32_t(data[i]) << (8 * i);
    const int number = int(bits);
    check(profile.writeInt(sec, key, number), "writeInt failed");
    check(profile.readInt(sec, key, 0) == number, "integer does not read back");
    const QString forms[] = {
        QStringLiteral("0x") + QString::number(bits, 16),
        QStringLiteral("0o") + QString::number(bits, 8),
        QStringLiteral("0b") + QString::number(bits, 2),
        QStringLiteral("  -0x") + QString::number(0u - bits, 16) + QStringLiteral("z"),
        QString::number(qint64(bits) + (qint64(pick % 7) << 32)), // wraps modulo 2^32
        QString::number(qint64(bits) - (qint64(1) << 32)),
    };
    // In a file of their own: the forms need no large file around them, and stay quick.
    const QString intPath = QStringLiteral("/cfg/ints.INI");
    lex::Profile ints(intPath, &env);
    for (const QString& form : forms) {
        check(ints.writeString(sec, key, form), "writeString of an integer failed");
        check(ints.readInt(sec, key, 0) == number, "an integer form does not read as Windows reads it");
    }

    const QByteArray bytes = value.toUtf8().left(20);
    check(profile.writeStruct(sec, key, bytes), "writeStruct failed");
    check(profile.readStruct(sec, key, int(bytes.size())) == bytes, "structure does not read back");
    check(!profile.readStruct(sec, key, int(bytes.size()) + 1), "structure read with the wrong size");
    return 0;
}
