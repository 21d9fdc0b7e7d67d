#include "common/platform/program_start.h"

#include "common/platform/env.h"
#include "common/platform/program_folder.h"
#include "common/platform/runtime_dir.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <cstdio>

namespace lex {

bool loadQtTranslations(QTranslator& translator, const QString& folder)
{
    const QString from = folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
    if (!translator.load(QStringLiteral("qtbase_zh_CN"), from))
        return false;
    return QCoreApplication::installTranslator(&translator);
}

ProgramStart::ProgramStart() : runtimeDir_(defaultRuntimeDir()), link_(runtimeDir_), instance_(runtimeDir_) {}

int ProgramStart::claim(const QStringList& arguments, const char* program, const QString& instanceName,
                        const QString& windowTitle)
{
    if (!claimOrRaise(instance_, link_, instanceName, windowTitle))
        return 0;
    if (const Status st = resolveProgramFolder(programFolderInputs(arguments), Env::defaultEnv(), &folder_); !st) {
        std::fprintf(stderr, "%s: %s\n", program, qPrintable(st.message()));
        return 1;
    }
    QDir::setCurrent(folder_);
    loadQtTranslations(qtTexts_);
    return -1;
}

} // namespace lex
