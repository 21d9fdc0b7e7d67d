#include "commands.h"

namespace lexbook {

int cmdImport(const QStringList&)
{
    return fail(QStringLiteral("not available yet"));
}

int cmdExport(const QStringList&)
{
    return fail(QStringLiteral("not available yet"));
}

} // namespace lexbook
