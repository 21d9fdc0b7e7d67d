#pragma once
// The first steps both programs take: one instance per user (a second start brings the first to
// the front and ends) and the program folder, which becomes the working folder because relative
// folders in Config.INI (".\Voice\") and the phonetic font file are meant from there.

#include "common/platform/instance_lock.h"
#include "common/platform/window_link.h"

#include <QString>
#include <QStringList>

namespace lex {

class ProgramStart {
public:
    ProgramStart();
    ProgramStart(const ProgramStart&) = delete;
    ProgramStart& operator=(const ProgramStart&) = delete;

    // -1 when the program goes on; otherwise the status to end with: 0 when another instance
    // was there (and was raised), 1 when no program folder can be had (said on stderr, after
    // "PROGRAM: ").
    int claim(const QStringList& arguments, const char* program, const QString& instanceName,
              const QString& windowTitle);

    const QString& runtimeDir() const { return runtimeDir_; }
    LocalWindowLink& link() { return link_; }
    const QString& folder() const { return folder_; }

private:
    QString runtimeDir_;
    LocalWindowLink link_;
    FileLockInstance instance_;   // held for the life of the program
    QString folder_;
};

} // namespace lex
