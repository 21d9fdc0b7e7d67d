#include "common/platform/program_folder.h"

#include "common/platform/env.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace lex {

namespace {

QString clean(const QString& dir) { return QDir::cleanPath(QFileInfo(dir).absoluteFilePath()); }

bool writableFolder(const QString& dir)
{
    return !dir.isEmpty() && ::access(QFile::encodeName(dir).constData(), W_OK | X_OK) == 0;
}

} // namespace

QStringList seededFiles()
{
    return {QStringLiteral("Readme.txt"), QStringLiteral("Dict/Dict.idx"), QStringLiteral("Dict/Dict.dic"),
            QStringLiteral("Dict/21ct.idx"), QStringLiteral("Dict/21ct.dic")};
}

ProgramFolderInputs programFolderInputs(const QStringList& arguments)
{
    ProgramFolderInputs in;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--home") && i + 1 < arguments.size()) {
            in.homeOption = arguments[i + 1];
            break;
        }
        if (a.startsWith(QLatin1String("--home="))) {
            in.homeOption = a.mid(7);
            break;
        }
    }
    in.homeVariable = qEnvironmentVariable("LEXORA_HOME");
    in.executableDir = QCoreApplication::applicationDirPath();
    const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    in.dataHome = xdg.startsWith(QLatin1Char('/')) ? xdg : QDir::homePath() + QStringLiteral("/.local/share");
    if (!in.executableDir.isEmpty())
        in.installedData = QDir::cleanPath(in.executableDir + QStringLiteral("/../share/lexora"));
    return in;
}

Status resolveProgramFolder(const ProgramFolderInputs& in, Env* env, QString* folder)
{
    if (!in.homeOption.isEmpty()) {
        *folder = clean(in.homeOption);
        return Status::ok();
    }
    if (!in.homeVariable.isEmpty()) {
        *folder = clean(in.homeVariable);
        return Status::ok();
    }
    if (writableFolder(in.executableDir)) {
        *folder = clean(in.executableDir);
        return Status::ok();
    }
    const QString dir = clean(in.dataHome + QStringLiteral("/lexora"));
    if (!QFileInfo(dir).isDir()) {
        if (!QDir().mkpath(dir))
            return Status::error(QStringLiteral("cannot create %1").arg(dir));
    }
    *folder = dir;
    if (in.installedData.isEmpty())
        return Status::ok();
    // Seed only what is missing: the user's own Config.INI, Book and changed files stay.
    for (const QString& name : seededFiles()) {
        const QString from = in.installedData + QLatin1Char('/') + name;
        const QString to = dir + QLatin1Char('/') + name;
        if (env->fileExists(to) || !env->fileExists(from))
            continue;
        QByteArray bytes;
        Status s = env->readFile(from, &bytes);
        if (s)
            s = env->createDir(parentDir(to));
        if (s)
            s = writeFileAtomically(env, to, bytes);
        if (!s)
            return s;
    }
    return Status::ok();
}

} // namespace lex
