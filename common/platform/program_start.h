#pragma once
// The first steps both programs take: one instance per user (a second start brings the first to
// the front and ends) and the program folder, which becomes the working folder because relative
// folders in Config.INI (".\Voice\") and the phonetic font file are meant from there.

#include "common/platform/instance_lock.h"
#include "common/platform/window_link.h"

#include <QString>
#include <QStringList>
#include <QTranslator>

namespace lex {

// Qt's own texts (a message box's buttons, the file chooser) in Chinese like the rest: Qt's
// "qtbase_zh_CN" translations from `folder` (Qt's translations folder when empty) loaded into
// `translator` and installed in the application. False, and Qt's texts stay English, when that
// folder does not have them.
bool loadQtTranslations(QTranslator& translator, const QString& folder = {});

class ProgramStart {
public:
    ProgramStart();
    ProgramStart(const ProgramStart&) = delete;
    ProgramStart& operator=(const ProgramStart&) = delete;

    // -1 when the program goes on (with Qt's texts in Chinese where Qt's translations are
    // installed); otherwise the status to end with: 0 when another instance was there (and was
    // raised), 1 when no program folder can be had (said on stderr, after "PROGRAM: ").
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
    QTranslator qtTexts_;         // installed while the program runs
};

} // namespace lex
