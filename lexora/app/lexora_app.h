#pragma once
// CLexoraApp: the start of the main program. One copy per user ("Lexora.exe"): a second start
// brings the running "Tessaly" to the front and ends. Then the program folder, the outer window,
// and its modal loop, which is the program's main loop.

#include <QStringList>

namespace lex {

class CLexoraApp {
public:
    static inline const QString kInstanceName = QStringLiteral("Lexora.exe");
    static inline const QString kWindowTitle = QStringLiteral("Tessaly");

    // Runs the program with the process's arguments; returns its exit code.
    int run(const QStringList& arguments);
};

} // namespace lex
