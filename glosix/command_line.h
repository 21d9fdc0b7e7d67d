#pragma once
// Glosix's command line: --help, --version and --home DIR (the program folder, as for Lexora).

#include <QString>
#include <QStringList>

namespace lex {

struct GlosixCommandLine {
    enum Action { Run, Help, Version, Error } action = Run;
    QString output;   // what Help, Version and Error print
};

// `arguments` as in main (the program first). Parses without an application object.
GlosixCommandLine parseGlosixCommandLine(const QStringList& arguments);

// "Glosix " + the build's version.
QString glosixVersionText();

} // namespace lex
