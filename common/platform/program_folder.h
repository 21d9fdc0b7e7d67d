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
    QString buildTreeHome;    // the build's sample folder when the executable runs from a build tree
    QString dataHome;         // $XDG_DATA_HOME, else ~/.local/share
    QString installedData;    // read-only data of an installed copy: <prefix>/share/lexora
};

// How the folder was chosen (for messages and tests).
enum class ProgramFolderKind { HomeOption, HomeVariable, BuildTree, Portable, UserData };

// The user's data folder: $XDG_DATA_HOME when it is an absolute path, else ~/.local/share.
QString userDataHome();

// The inputs of this process: the arguments (for --home DIR or --home=DIR) and its environment.
// A build tree is recognised by CMakeCache.txt in the executable's folder or up to three folders
// above it; its sample folder is <build>/data.
ProgramFolderInputs programFolderInputs(const QStringList& arguments);

// In order:
//   1. --home, 2. LEXORA_HOME (both used as given, created when missing);
//   3. the build's sample folder for a program run from its build tree;
//   4. the executable's own folder for a portable copy: one that already holds a Config.INI and
//      is writable (an installed program's folder, /usr/bin, never qualifies: it holds none);
//   5. otherwise dataHome/lexora, created on the first start and then seeded from installedData:
//      once, when the folder is new, a starting Config.INI, the sample Book and an empty Voice
//      folder; at each start the read-only files that are missing (Readme.txt, ReportError.txt and the dictionary
//      files, e.g. after a newer package added them).
// The result has no trailing '/'.
Status resolveProgramFolder(const ProgramFolderInputs& in, Env* env, QString* folder,
                            ProgramFolderKind* kind = nullptr);

// The read-only files an installed copy brings into a program folder when they are missing.
QStringList seededFiles();
// The starting Config.INI and the sample Book, copied only into a new program folder.
QStringList startingFiles();

} // namespace lex
