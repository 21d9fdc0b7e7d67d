// The Anki package reader over arbitrary bytes. The first byte picks what the rest is: a whole
// package (zip), a bare collection (SQLite), or a field's text. Checks that a table read is
// consistent (every row as wide as the field list, only safe media names, media readable or
// refused) and that any text survives the way to a field's HTML and back.
#include "lexora/exchange/formats/anki_package.h"

#include <cstdio>
#include <cstdlib>

namespace {

void checkThat(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

void checkTable(const lex::Status& s, const lex::ForeignTable& t)
{
    if (!s) {
        checkThat(t.rows.empty() && t.fields.isEmpty() && !t.readMedia, "a failed read returns nothing");
        checkThat(!s.message().isEmpty(), "a failure says why");
        return;
    }
    for (const lex::ForeignRow& row : t.rows) {
        checkThat(row.values.size() >= t.fields.size(), "a row is as wide as the field list");
        for (const QString& v : row.values)
            checkThat(v.size() <= lex::kForeignMaxFieldChars, "no field past the limit");
    }
    for (const QString& name : t.mediaNames) {
        checkThat(lex::anki::isSafeMediaName(name), "only safe media names");
        QByteArray data;
        if (t.readMedia)
            t.readMedia(name, &data);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    // Limits a fuzzer's memory can afford; the shipped ones are larger, the logic the same.
    lex::anki::Limits limits;
    limits.member = 64 << 20;
    limits.total = 128 << 20;
    limits.field = 1 << 16;
    lex::ForeignTable table;
    switch (data[0] % 3) {
    case 0: checkTable(lex::anki::readPackage(bytes, &table, {}, limits), table); break;
    case 1: checkTable(lex::anki::readCollection(bytes, &table, {}, limits), table); break;
    default: {
        const QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2);
        checkThat(lex::anki::fieldText(lex::anki::fieldHtml(text)) == text, "text survives a field's HTML");
        QStringList sounds;
        lex::anki::fieldText(QString::fromUtf8(bytes), &sounds);
        for (const QString& s : sounds)
            checkThat(!s.contains(u']'), "a sound name ends at its bracket");
    }
    }
    return 0;
}
