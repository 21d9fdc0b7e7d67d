// The ECDICT CSV reader, the phonetic conversion and both entry forms on arbitrary bytes.
#include "common/dictionary/ecdict_convert.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    // The record splitter must account for every byte it is given without reading past them.
    lex::ecdict::parseCsv(bytes, [](const QList<QByteArray>& fields, qsizetype line, bool) {
        if (line < 1 || fields.isEmpty())
            std::abort();
        return true;
    });

    lex::ecdict::ReadResult read;
    if (!lex::ecdict::readCsv(bytes, &read))
        return 0;
    for (const lex::ecdict::Record& r : read.records) {
        const lex::ecdict::PhoneticResult p = lex::ecdict::convertPhonetic(r.phonetic);
        // The phonetic font's codes are printable ASCII only.
        for (QChar c : p.codes)
            if (c.unicode() < 0x20 || c.unicode() > 0x7E)
                std::abort();
        lex::ecdict::mainEntry(r, p.codes);
        const QString styled = lex::ecdict::companionText(r, p.codes);
        if (!styled.startsWith(QStringLiteral("`1`")))
            std::abort();
    }
    lex::ecdict::ConvertStats stats;
    lex::ecdict::convert(read.records, lex::DictVariant::Main, &stats);
    lex::ecdict::convert(read.records, lex::DictVariant::Companion, &stats);
    return 0;
}
