#pragma once
// The program folder holds Config.INI, Dict/, Voice/, Book/ and Readme.txt. Both programs resolve
// it the same way, so they share one Config.INI and find each other.

#include "common/platform/status.h"

#include <QString>
#include <QStringList>

namespace lex {

class Env;

struct ProgramFolderInputs {
    QString homeOption;       // --home DIR
    QString homeVariable;     // LEXORA_HOME
    QString executableDir;    // folder of the running executable
    QString dataHome;         // $XDG_DATA_HOME, else ~/.local/share
    QString installedData;    // read-only data of an installed copy (Readme.txt, Dict/...)
};

// The inputs of this process: the arguments (for --home DIR or --home=DIR) and its environment.
ProgramFolderInputs programFolderInputs(const QStringList& arguments);

// In order: --home, LEXORA_HOME, the executable's folder when writable (a portable copy), else
// dataHome/lexora, created on first start and seeded from installedData with the files that are
// missing there (Readme.txt and the dictionary files). The result has no trailing '/'.
Status resolveProgramFolder(const ProgramFolderInputs& in, Env* env, QString* folder);

// The files an installed copy seeds into a new program folder, relative to it.
QStringList seededFiles();

} // namespace lex
