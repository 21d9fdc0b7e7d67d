// LEXORA_FUZZ_LISTS=1: arbitrary bytes as the end of a dictionary index, read for its word
// information. Every record's word and figures must read inside the input, and finding a word
// must give a record with exactly those bytes (or none, for a table that is not sorted).
// LEXORA_FUZZ_LISTS=2: arbitrary text as a list expression, parsed and evaluated over a small
// table with one word book, then ordered every way: an error names a place inside the text, and
// the words named are each named once.
#include "common/dictionary/dict_builder.h"
#include "common/dictionary/word_info.h"
#include "common/dictionary/word_lists.h"

#include <QSet>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

const QByteArray& smallIndex()
{
    static const QByteArray index = [] {
        std::vector<lex::WordInfoRecord> records;
        const char* words[] = {"able", "abandon", "zeal", "café", "Zeus", "abyss", "go", "went"};
        for (int i = 0; i < 8; ++i)
            records.push_back({QString::fromUtf8(words[i]), lex::wordInfoFrom(QString::fromLatin1(i % 2 ? "cet4 gre" : "zk cet6 ielts"),
                                                                               i % 6, i % 2, i * 100, (7 - i) * 50)});
        QByteArray idx, text;
        lex::DictBuildOptions options;
        options.blocks.push_back({{'L', 'X', 'W', 'I', 0}, lex::encodeWordInfoBlock(records)});
        lex::encodeDictionary({{QStringLiteral("go"), QStringLiteral("g"), {QStringLiteral("v.")}, {}}}, options, &idx, &text, nullptr);
        return idx;
    }();
    return index;
}

void readTable(const uint8_t* data, size_t size)
{
    // An exact-size copy, so that a read one byte past the input is caught.
    std::unique_ptr<char[]> bytes(new char[size ? size : 1]);
    std::memcpy(bytes.get(), data, size);
    lex::WordInfoTable table;
    table.openMemory(QByteArrayView(bytes.get(), qsizetype(size)));
    for (qsizetype i = 0; i < table.count() && i < 4096; ++i) {
        const QByteArrayView w = table.wordBytes(i);
        if (w.data() < bytes.get() || w.data() + w.size() > bytes.get() + size)
            std::abort();
        (void)table.info(i);
        const qsizetype at = table.find(QString::fromUtf8(w));
        if (at >= 0 && table.word(at) != QString::fromUtf8(w))
            std::abort();
    }
    (void)lex::dictionaryLists(table);
}

void evaluate(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    static lex::WordInfoTable table;
    table.openMemory(smallIndex());
    lex::ListExpression expr;
    lex::ListExprError err = lex::parseListExpression(text, &expr);
    if (err.failed()) {
        if (err.position < 0 || err.position > text.size())
            std::abort();
        return;
    }
    if (expr.terms.empty() || qsizetype(expr.terms.size()) != expr.ops.size() + 1)
        std::abort();
    QStringList words;
    err = lex::evaluateListExpression(expr, table, [](const QString& book, QStringList* w) {
        if (book.size() % 3 == 0)
            return lex::ListExprError::Why::MissingBook;
        *w = {book, QStringLiteral("zeal"), QStringLiteral("zeal")};
        return lex::ListExprError::Why::None;
    }, &words);
    if (err.failed())
        return;
    if (QSet<QString>(words.begin(), words.end()).size() != words.size())
        std::abort();
    for (lex::ListOrder o : {lex::ListOrder::Frq, lex::ListOrder::Bnc, lex::ListOrder::Collins, lex::ListOrder::Alpha}) {
        QStringList ordered = words;
        lex::orderWords(&ordered, table, o);
        if (ordered.size() != words.size())
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (LEXORA_FUZZ_LISTS == 1)
        readTable(data, size);
    else
        evaluate(data, size);
    return 0;
}
