#include "tool_run.h"

#include "temp_dir.h"

#include <QJsonDocument>
#include <QProcess>
#include <QProcessEnvironment>

namespace lextest {

ToolRun runTool(const QString& program, const QStringList& args, const QStringList& env, int timeoutMs)
{
    QProcess p;
    if (!env.isEmpty()) {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        for (const QString& kv : env)
            e.insert(kv.section(QLatin1Char('='), 0, 0), kv.section(QLatin1Char('='), 1));
        p.setProcessEnvironment(e);
    }
    p.start(program, args);
    ToolRun r;
    if (!p.waitForFinished(timeoutMs))
        return r;
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QString lexbookPath()
{
    return binaryDir() + QStringLiteral("/tools/lexbook/lexbook");
}

QList<QJsonObject> jsonLines(const QString& out)
{
    QList<QJsonObject> list;
    for (const QByteArray& line : out.toUtf8().split('\n'))
        if (!line.isEmpty())
            list << QJsonDocument::fromJson(line).object();
    return list;
}

} // namespace lextest
