// The CSV/TSV reader over arbitrary bytes; the first byte picks TSV (odd) or CSV. A table it
// accepts is whole (one value per field), and its first five fields, written out again, read back
// the same.
#include "lexora/book/word_entry.h"
#include "lexora/exchange/formats/foreign_format.h"
#include "tests/support/mem_env.h"

#include <cstdlib>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const bool tab = data[0] & 1;
    const QByteArrayView bytes(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    lex::ForeignTable table;
    const lex::Status s = lex::foreign::parseDelimited(tab, bytes, &table);
    if (!s) {
        check(table.rows.empty() && table.fields.isEmpty() && !s.message().isEmpty());
        return 0;
    }
    std::vector<std::unique_ptr<lex::WordEntry>> entries;
    std::vector<const lex::WordEntry*> pointers;
    auto value = [](const lex::ForeignRow& row, int i) { return i < row.values.size() ? row.values[i] : QString(); };
    for (const lex::ForeignRow& row : table.rows) {
        check(row.values.size() == table.fields.size());
        for (const QString& v : row.values)
            check(v.size() <= lex::kForeignMaxFieldChars);
        auto e = std::make_unique<lex::WordEntry>();
        e->setWord(value(row, 0));
        e->setPhonetic(value(row, 1));
        e->setExplanation(value(row, 2));
        e->setComment(value(row, 3));
        e->setClassName(value(row, 4));
        pointers.push_back(e.get());
        entries.push_back(std::move(e));
    }
    lextest::MemEnv env;
    lex::ForeignExportResult result;
    check(bool(lex::foreign::writeDelimited(tab, &env, QStringLiteral("d"), pointers, {}, &result)));
    lex::ForeignTable again;
    const lex::Status back = lex::foreign::parseDelimited(tab, env.files[QStringLiteral("d")], &again);
    check(bool(back));
    check(again.rows.size() == table.rows.size());
    for (size_t i = 0; i < table.rows.size(); ++i)
        for (int f = 0; f < 5; ++f)
            check(again.rows[i].values[f] == lex::withoutFieldSelectors(value(table.rows[i], f)));
    return 0;
}
