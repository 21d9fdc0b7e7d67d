// The .kvtml reader (LEXORA_FUZZ_KVTML) or the CSV/TSV reader over arbitrary bytes; for CSV/TSV
// the first byte picks TSV (odd) or CSV. A table it accepts is whole (one value per field, none
// past the limit), and its first five fields, written out as entries and read again, come back
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

#ifdef LEXORA_FUZZ_KVTML
lex::Status parse(bool, QByteArrayView bytes, lex::ForeignTable* out) { return lex::foreign::parseKvtml(bytes, out); }
lex::Status write(bool, lextest::MemEnv* env, const std::vector<const lex::WordEntry*>& entries)
{
    lex::ForeignExportResult result;
    return lex::foreign::writeKvtml(env, QStringLiteral("f"), entries, {}, &result);
}
#else
lex::Status parse(bool tab, QByteArrayView bytes, lex::ForeignTable* out)
{
    return lex::foreign::parseDelimited(tab, bytes, out);
}
lex::Status write(bool tab, lextest::MemEnv* env, const std::vector<const lex::WordEntry*>& entries)
{
    lex::ForeignExportResult result;
    return lex::foreign::writeDelimited(tab, env, QStringLiteral("f"), entries, {}, &result);
}
#endif

QString value(const lex::ForeignRow& row, int i) { return i < row.values.size() ? row.values[i] : QString(); }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
#ifdef LEXORA_FUZZ_KVTML
    const bool tab = false;
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
#else
    if (size == 0)
        return 0;
    const bool tab = data[0] & 1;
    const QByteArrayView bytes(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
#endif
    lex::ForeignTable table;
    const lex::Status s = parse(tab, bytes, &table);
    if (!s) {
        check(table.rows.empty() && table.fields.isEmpty() && !s.message().isEmpty());
        return 0;
    }
    // Rows into records as the import takes them: degrees from tags are real degrees or none.
    lex::FieldMap map = lex::guessFieldMap(table.fields);
    map.classFromTags = map.className < 0;
    for (const lex::ImportRecord& r : lex::recordsFromTable(table, map))
        for (int d : r.degrees)
            check(d >= -1 && d <= lex::kMaxStrangeness);
    std::vector<std::unique_ptr<lex::WordEntry>> entries;
    std::vector<const lex::WordEntry*> pointers;
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
    check(bool(write(tab, &env, pointers)));
    lex::ForeignTable again;
    check(bool(parse(tab, env.files[QStringLiteral("f")], &again)));
    check(again.rows.size() == table.rows.size());
    for (size_t i = 0; i < table.rows.size(); ++i)
        for (int f = 0; f < 5; ++f)
            check(value(again.rows[i], f) == lex::withoutFieldSelectors(value(table.rows[i], f)));
    return 0;
}
