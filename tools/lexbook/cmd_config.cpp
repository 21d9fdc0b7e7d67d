#include "commands.h"

namespace lexbook {

int cmdConfig(const QStringList&)
{
    return fail(QStringLiteral("not available yet"));
}

} // namespace lexbook
