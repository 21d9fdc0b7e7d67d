#pragma once
// Running a built program (lexbook, a script) to its end from a test.

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

namespace lextest {

struct ToolRun {
    int code = -1;       // -1 when it crashed or did not end in time
    QString out, err;    // read as UTF-8
};

// Runs `program` with `args`; `env` adds NAME=VALUE settings to the test's own environment.
ToolRun runTool(const QString& program, const QStringList& args, const QStringList& env = {},
                int timeoutMs = 30000);

// The lexbook binary of this build.
QString lexbookPath();
inline ToolRun lexbook(const QStringList& args) { return runTool(lexbookPath(), args); }

// The objects of output with one JSON object a line (empty lines skipped).
QList<QJsonObject> jsonLines(const QString& out);

} // namespace lextest
