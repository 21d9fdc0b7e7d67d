#pragma once
// What the text formats (.kvtml, CSV, TSV) share: reading the file within the size limit, the
// cancel answer, and the line about what none of them carries.

#include "common/platform/env.h"
#include "lexora/exchange/formats/foreign_format.h"

namespace lex::foreign {

// The whole file, refused before it is read when it is larger than kForeignMaxFileBytes.
inline Status readWithinLimit(Env* env, const QString& path, QByteArray* out)
{
    const qint64 size = env->fileSize(path);
    if (size > kForeignMaxFileBytes)
        return Status::error(Status::Code::Refused,
                             QStringLiteral("%1 is %2 MB; files over %3 MB are not read")
                                 .arg(path)
                                 .arg(size >> 20)
                                 .arg(kForeignMaxFileBytes >> 20));
    return env->readFile(path, out);
}

inline Status cancelled() { return Status::error(Status::Code::Refused, QStringLiteral("cancelled")); }

inline Status fieldTooLong(qsizetype where)
{
    return Status::error(Status::Code::Refused,
                         QStringLiteral("a field near row %1 is longer than %2 characters; the file is not read")
                             .arg(where)
                             .arg(kForeignMaxFieldChars));
}

inline Status tooManyRows()
{
    return Status::error(Status::Code::Refused,
                         QStringLiteral("the file holds more than %1 rows; it is not read").arg(kForeignMaxRows));
}

// Progress is asked for every this many rows, so that a cancel is quick and costs nothing.
inline constexpr int kProgressEvery = 1024;

inline QString degreesAndTimesLost()
{
    return QStringLiteral("strangeness degrees and time stamps are not carried");
}

} // namespace lex::foreign
