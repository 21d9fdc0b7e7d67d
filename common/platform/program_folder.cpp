#include "common/platform/program_folder.h"

#include "common/config/config_keys.h"
#include "common/config/profile.h"
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

QString findBuildTreeHome(const QString& executableDir)
{
    if (executableDir.isEmpty())
        return {};
    QDir d(executableDir);
    for (int up = 0; up <= 3; ++up) {
        if (d.exists(QStringLiteral("CMakeCache.txt")))
            return d.exists(QStringLiteral("data")) ? d.absoluteFilePath(QStringLiteral("data")) : QString();
        if (!d.cdUp())
            break;
    }
    return {};
}

// Copies each of `names` from `from` to `to` that is missing there.
Status copyMissing(Env* env, const QString& from, const QString& to, const QStringList& names)
{
    for (const QString& name : names) {
        const QString source = from + QLatin1Char('/') + name;
        const QString target = to + QLatin1Char('/') + name;
        if (env->fileExists(target) || !env->fileExists(source))
            continue;
        QByteArray bytes;
        Status s = env->readFile(source, &bytes);
        if (s)
            s = createDirs(env, parentDir(target));
        // Config.INI under the lock of its every write: Glosix may be writing its first key now.
        if (s)
            s = name == config::kFileName ? Profile(target, env).seed(bytes) : writeFileAtomically(env, target, bytes);
        if (!s)
            return s;
    }
    return Status::ok();
}

} // namespace

QStringList seededFiles()
{
    return {QStringLiteral("Readme.txt"), QStringLiteral("ReportError.txt"), QStringLiteral("Dict/Dict.idx"), QStringLiteral("Dict/Dict.dic"),
            QStringLiteral("Dict/21ct.idx"), QStringLiteral("Dict/21ct.dic")};
}

QStringList startingFiles()
{
    return {config::kFileName, QStringLiteral("Book/English.idx"), QStringLiteral("Book/English.txt")};
}

QString userDataHome()
{
    const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    return xdg.startsWith(QLatin1Char('/')) ? xdg : QDir::homePath() + QStringLiteral("/.local/share");
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
    in.buildTreeHome = findBuildTreeHome(in.executableDir);
    in.dataHome = userDataHome();
    if (!in.executableDir.isEmpty())
        in.installedData = QDir::cleanPath(in.executableDir + QStringLiteral("/../share/lexora"));
    return in;
}

Status resolveProgramFolder(const ProgramFolderInputs& in, Env* env, QString* folder, ProgramFolderKind* kind)
{
    ProgramFolderKind k = ProgramFolderKind::UserData;
    QString dir;
    if (!in.homeOption.isEmpty()) {
        k = ProgramFolderKind::HomeOption;
        dir = clean(in.homeOption);
    } else if (!in.homeVariable.isEmpty()) {
        k = ProgramFolderKind::HomeVariable;
        dir = clean(in.homeVariable);
    } else if (!in.buildTreeHome.isEmpty()) {
        k = ProgramFolderKind::BuildTree;
        dir = clean(in.buildTreeHome);
    } else if (!in.executableDir.isEmpty() && writableFolder(in.executableDir)
               && env->isRegularFile(in.executableDir + QStringLiteral("/Config.INI"))) {
        k = ProgramFolderKind::Portable;
        dir = clean(in.executableDir);
    } else {
        dir = clean(in.dataHome + QStringLiteral("/lexora"));
    }
    if (kind)
        *kind = k;
    *folder = dir;

    const bool isNew = !env->isDir(dir);
    if (isNew) {
        if (Status s = createDirs(env, dir); !s)
            return Status::error(QStringLiteral("cannot create the program folder %1: %2").arg(dir, s.message()));
    }
    if (k != ProgramFolderKind::UserData || in.installedData.isEmpty() || !env->isDir(in.installedData))
        return Status::ok();
    // Only what is missing: the learner's own Config.INI, Books and changed files stay as they are.
    if (isNew) {
        Status s = copyMissing(env, in.installedData, dir, startingFiles());
        if (s)
            s = createDirs(env, dir + QStringLiteral("/Voice"));
        if (!s)
            return s;
    }
    return copyMissing(env, in.installedData, dir, seededFiles());
}

} // namespace lex
