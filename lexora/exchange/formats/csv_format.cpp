// CSV and TSV: not written yet.
#include "lexora/exchange/formats/foreign_format.h"
namespace lex::foreign {
Status parseDelimited(bool, QByteArrayView, ForeignTable*) { return Status::error(Status::Code::Refused, QStringLiteral("not yet")); }
Status readDelimited(bool, Env*, const QString&, ForeignTable*, const ForeignProgressFn&)
{
    return Status::error(Status::Code::Refused, QStringLiteral("not yet"));
}
Status writeDelimited(bool, Env*, const QString&, const std::vector<const WordEntry*>&, const ForeignExportOptions&,
                      ForeignExportResult*)
{
    return Status::error(Status::Code::Refused, QStringLiteral("not yet"));
}
} // namespace lex::foreign
