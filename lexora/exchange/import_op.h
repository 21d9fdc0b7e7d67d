#pragma once
// The import as an edit of the open Book: an operation run by its session, beside the other edits
// of lexora/book/operations/, kept here because it is made of the word-list readers.

#include "lexora/book/operations/entry_ops.h"
#include "lexora/exchange/text_format.h"

namespace lex {

// Appends the records of `text` (a cancel keeps the entries before it) and, when any was added,
// marks the text as modified; the new rows are announced once, at the end, so a long import with
// progress never shows half its rows. The second form takes records read from another program's
// file (a .apkg, .kvtml or CSV); everything else is the same.
class ImportOp : public RowsOp {
public:
    ImportOp(QStringView text, const ImportSettings& settings, const Clock& clock);
    ImportOp(std::vector<ImportRecord> records, const ImportSettings& settings, const Clock& clock);
    void redo() override;
    void undo() override { takeOut(); }
    ImportResult result() const { return result_; }

private:
    QStringView text_;
    std::vector<ImportRecord> records_;
    bool fromRecords_ = false;
    ImportSettings settings_;
    const Clock* clock_;
    bool done_ = false;
    ImportResult result_;
};

} // namespace lex
