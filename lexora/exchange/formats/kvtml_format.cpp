// KDE vocabulary files (.kvtml 2.0): not written yet.
#include "lexora/exchange/formats/foreign_format.h"
namespace lex::foreign {
Status parseKvtml(QByteArrayView, ForeignTable*) { return Status::error(Status::Code::Refused, QStringLiteral("not yet")); }
Status readKvtml(Env*, const QString&, ForeignTable*, const ForeignProgressFn&)
{
    return Status::error(Status::Code::Refused, QStringLiteral("not yet"));
}
Status writeKvtml(Env*, const QString&, const std::vector<const WordEntry*>&, const ForeignExportOptions&,
                  ForeignExportResult*)
{
    return Status::error(Status::Code::Refused, QStringLiteral("not yet"));
}
} // namespace lex::foreign
