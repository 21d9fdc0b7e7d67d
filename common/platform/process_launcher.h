#pragma once
// Starting the companion from beside the running executable.

#include <QString>
#include <QStringList>

namespace lex {

class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    // Starts `program` detached; false when it cannot be started (missing, not executable).
    virtual bool startDetached(const QString& program, const QStringList& arguments) = 0;
};

class QtProcessLauncher final : public ProcessLauncher {
public:
    bool startDetached(const QString& program, const QStringList& arguments) override;
};

// The companion's executable: "Glosix" in the folder of the running executable.
QString companionExecutable();

// Starts the companion, handing it our program folder so that both read the same Config.INI
// whichever way ours was chosen.
bool startCompanion(ProcessLauncher& launcher, const QString& programFolder,
                    const QString& executable = companionExecutable());

} // namespace lex
