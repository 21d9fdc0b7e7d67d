#pragma once
// Test helpers: a temporary folder removed at the end of the test, and small file utilities.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace lextest {

class TempDir {
public:
    TempDir();
    // Absolute path of `name` inside the folder ('/'-separated).
    QString path(const QString& name = {}) const;
    void write(const QString& name, const QByteArray& bytes) const;
    QByteArray read(const QString& name) const;
    bool exists(const QString& name) const;
    QStringList files() const;   // names of the files in the folder, sorted

private:
    QTemporaryDir dir_;
};

// The repository's source folder (for data files used by tests).
QString sourceDir();
// The build folder (for built tools and data).
QString binaryDir();
// Sets LEXORA_SOURCE_DIR and LEXORA_BINARY_DIR when unset, so that helper processes and tests see them,
// and LEXORA_STARDICT_PATH, LEXORA_HUNSPELL_PATH and LEXORA_WORDNET_PATH to no folder at all.
void setTestEnvironment();

} // namespace lextest
