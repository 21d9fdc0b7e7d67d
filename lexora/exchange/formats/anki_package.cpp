// Anki packages (.apkg, .colpkg): not written yet.
#include "lexora/exchange/formats/foreign_format.h"
namespace lex::foreign {
Status readAnki(Env*, const QString&, ForeignTable*, const ForeignProgressFn&)
{
    return Status::error(Status::Code::Refused, QStringLiteral("Anki packages are not supported yet"));
}
Status writeAnki(Env*, const QString&, const std::vector<const WordEntry*>&, const ForeignExportOptions&,
                 ForeignExportResult*)
{
    return Status::error(Status::Code::Refused, QStringLiteral("Anki packages are not supported yet"));
}
} // namespace lex::foreign
