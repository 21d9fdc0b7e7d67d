#include "commands.h"

namespace lexbook {

int cmdLookup(const QStringList&)
{
    return fail(QStringLiteral("not available yet"));
}

int cmdDictBuild(const QStringList&)
{
    return fail(QStringLiteral("not available yet"));
}

} // namespace lexbook
