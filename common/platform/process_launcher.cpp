#include "common/platform/process_launcher.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>

namespace lex {

bool QtProcessLauncher::startDetached(const QString& program, const QStringList& arguments)
{
    const QFileInfo info(program);
    if (!info.isFile() || !info.isExecutable())
        return false;
    return QProcess::startDetached(program, arguments, info.absolutePath());
}

QString companionExecutable()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/Glosix");
}

bool startCompanion(ProcessLauncher& launcher, const QString& programFolder, const QString& executable)
{
    return launcher.startDetached(executable, {QStringLiteral("--home"), programFolder});
}

} // namespace lex
