#include "lexora/exchange/import_op.h"

#include "lexora/book/book_session.h"

#include <numeric>

namespace lex {

ImportOp::ImportOp(QStringView text, const ImportSettings& settings, const Clock& clock)
    : RowsOp(QStringLiteral("导入")), text_(text), settings_(settings), clock_(&clock)
{
}

ImportOp::ImportOp(std::vector<ImportRecord> records, const ImportSettings& settings, const Clock& clock)
    : RowsOp(QStringLiteral("导入")), records_(std::move(records)), fromRecords_(true), settings_(settings),
      clock_(&clock)
{
}

void ImportOp::redo()
{
    if (done_) {
        putBack();
        return;
    }
    // The text is only read here, while the caller of run() still holds it.
    done_ = true;
    Book& b = book();
    const int before = b.size();
    result_ = fromRecords_ ? importRecords(b, records_, settings_, *clock_)
                           : importWordList(b, text_, settings_, *clock_);
    text_ = {};
    records_ = {};   // the entries hold the texts now
    // Only what was added changes the text file; an import that added nothing leaves the flag.
    changed_ = b.size() > before;
    if (!changed_)
        return;
    b.textChanged = true;
    rows_.resize(size_t(b.size() - before));
    std::iota(rows_.begin(), rows_.end(), before);
    announceInserted({{before, b.size() - 1}});
}

} // namespace lex
