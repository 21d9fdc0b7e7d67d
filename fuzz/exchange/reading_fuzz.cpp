// Arbitrary bytes as something a learner reads: a subtitle file (decoded as the reader does, then
// its cues' text tokenised and counted) or an e-book (a zip of XHTML pages). Every read stays
// inside the input and the reader's own buffers; the e-book's budgets hold whatever the bytes say.
#include "lexora/exchange/epub_text.h"
#include "lexora/exchange/text_encoding.h"
#include "lexora/exchange/text_words.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // An exact-size copy, so that a read one byte past the input is caught.
    std::unique_ptr<char[]> copy(new char[size ? size : 1]);
    std::memcpy(copy.get(), data, size);
    const QByteArrayView bytes(copy.get(), qsizetype(size));
    QString text;
#if LEXORA_FUZZ_EPUB
    if (!lex::epubText(bytes, &text) && !text.isEmpty())
        std::abort();   // a refused book hands over no text
    if (text.size() > lex::kMaxEpubTextChars + 4)
        std::abort();
#else
    text = lex::subtitleText(lex::decodeWordList(bytes));
#endif
    lex::WordResolver resolver;
    resolver.baseOf = [](const QString& lower) { return lower.size() > 3 ? lower.left(3) : QString(); };
    lex::TextWordsSummary sum;
    const std::vector<lex::TextWord> words = lex::wordsFromText(text, resolver, &sum);
    qsizetype counted = 0;
    for (const lex::TextWord& w : words)
        counted += w.count;
    if (counted != sum.tokens || sum.resolvedTokens > sum.tokens)
        std::abort();
    return 0;
}
