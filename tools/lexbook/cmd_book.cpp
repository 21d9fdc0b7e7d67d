#include "commands.h"

namespace lexbook {

int cmdDump(const QStringList&)
{
    return fail(QStringLiteral("not available yet"));
}

int cmdCheck(const QStringList&)
{
    return fail(QStringLiteral("not available yet"));
}

} // namespace lexbook
