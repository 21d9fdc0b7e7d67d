// The .kvtml reader over arbitrary bytes. A table it accepts is whole (one value per field), and
// what it read, written out again, reads back the same.
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
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    lex::ForeignTable table;
    const lex::Status s = lex::foreign::parseKvtml(bytes, &table);
    if (!s) {
        check(table.rows.empty() && table.fields.isEmpty() && !s.message().isEmpty());
        return 0;
    }
    check(table.fields.size() == 5);
    std::vector<std::unique_ptr<lex::WordEntry>> entries;
    std::vector<const lex::WordEntry*> pointers;
    for (const lex::ForeignRow& row : table.rows) {
        check(row.values.size() == table.fields.size());
        for (const QString& v : row.values)
            check(v.size() <= lex::kForeignMaxFieldChars);
        auto e = std::make_unique<lex::WordEntry>();
        e->setWord(row.values[0]);
        e->setPhonetic(row.values[1]);
        e->setExplanation(row.values[2]);
        e->setComment(row.values[3]);
        e->setClassName(row.values[4]);
        pointers.push_back(e.get());
        entries.push_back(std::move(e));
    }
    lextest::MemEnv env;
    lex::ForeignExportResult result;
    check(bool(lex::foreign::writeKvtml(&env, QStringLiteral("k"), pointers, {}, &result)));
    lex::ForeignTable again;
    check(bool(lex::foreign::parseKvtml(env.files[QStringLiteral("k")], &again)));
    check(again.rows.size() == table.rows.size());
    for (size_t i = 0; i < table.rows.size(); ++i)
        for (int f = 0; f < 5; ++f)
            check(again.rows[i].values[f] == lex::withoutFieldSelectors(table.rows[i].values[f]));
    return 0;
}
