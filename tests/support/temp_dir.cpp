#include "temp_dir.h"

#include <QDir>
#include <QFile>
#include <stdexcept>

namespace lextest {

TempDir::TempDir()
{
    if (!dir_.isValid())
        throw std::runtime_error("cannot create a temporary folder");
}

QString TempDir::path(const QString& name) const
{
    return name.isEmpty() ? dir_.path() : dir_.path() + QLatin1Char('/') + name;
}

void TempDir::write(const QString& name, const QByteArray& bytes) const
{
    QFile f(path(name));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write test file");
}

QByteArray TempDir::read(const QString& name) const
{
    QFile f(path(name));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

bool TempDir::exists(const QString& name) const { return QFile::exists(path(name)); }

QStringList TempDir::files() const
{
    QStringList names = QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    return names;
}

QString sourceDir()
{
    QByteArray s = qgetenv("LEXORA_SOURCE_DIR");
    return s.isEmpty() ? QStringLiteral(LEXORA_TEST_SOURCE_DIR) : QString::fromLocal8Bit(s);
}

QString binaryDir()
{
    QByteArray s = qgetenv("LEXORA_BINARY_DIR");
    return s.isEmpty() ? QStringLiteral(LEXORA_TEST_BINARY_DIR) : QString::fromLocal8Bit(s);
}

void setTestEnvironment()
{
    if (qEnvironmentVariableIsEmpty("LEXORA_SOURCE_DIR"))
        qputenv("LEXORA_SOURCE_DIR", LEXORA_TEST_SOURCE_DIR);
    if (qEnvironmentVariableIsEmpty("LEXORA_BINARY_DIR"))
        qputenv("LEXORA_BINARY_DIR", LEXORA_TEST_BINARY_DIR);
    // No shared StarDict folder: the dictionaries this machine has installed stay out of every
    // test and of the programs the tests start. A test that wants some sets its own.
    qputenv("LEXORA_STARDICT_PATH", "");
    // Nor its Hunspell dictionaries: the spelling grade is right or wrong unless a test names some.
    qputenv("LEXORA_HUNSPELL_PATH", "");
    // Nor its WordNet: senses and examples come from the files a test writes.
    qputenv("LEXORA_WORDNET_PATH", "");
}

} // namespace lextest
