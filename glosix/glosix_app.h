#pragma once
// CGlosixApp: the start of the companion. One copy per user ("Glosix.exe"): a second start brings
// the running "Glosix" window to the front and ends. The window is published under its title
// before it initialises, so that Lexora, told "GlosixReady" at the end of that, finds it at once.

#include "common/platform/shared_names.h"

#include <QString>
#include <QStringList>

namespace lex {

class CGlosixDlg;

class CGlosixApp {
public:
    static inline const QString kInstanceName = names::kGlosixInstance;
    static inline const QString kWindowTitle = names::kGlosixTitle;

    // Runs the program with the process's arguments (already checked by the command line);
    // returns its exit code. With `lookUpSelection` (`Glosix --selection`) the word selected in
    // another program is looked up: handed to the running Glosix, which comes to the front, or
    // shown by this one once it is up.
    int run(const QStringList& arguments, bool lookUpSelection = false);

    // The running window, while there is one: the close path for a signal handler, which must go
    // through CGlosixDlg::closeWindow() on the event loop's thread.
    static CGlosixDlg* window();
};

} // namespace lex
