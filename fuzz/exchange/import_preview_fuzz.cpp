// The import dialog's preview of a chosen file over arbitrary bytes: what the learner sees before
// an import. Checks that it agrees with the reading the import itself makes (same encoding, the
// same text up to where the preview stops), never ends in half a character, and counts lines as
// the import's text has them.
#include "common/text/codepage.h"
#include "lexora/exchange/exchange_files.h"
#include "lexora/exchange/text_encoding.h"

#include <cstdio>
#include <cstdlib>

namespace {

// Names the broken rule before the abort, so that a finding says what it is.
void checkThat(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}
#define check(x) checkThat((x), #x)

const QString kTail = QStringLiteral("\r\n...\r\n..\r\n.");

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const lex::WordListPreview p = lex::previewImportBytes(bytes);

    lex::TextEncoding used{};
    const QString whole = lex::decodeWordList(bytes, lex::TextEncoding::Auto, &used);
    check(p.encoding == used);
    check(p.lineCount == int(whole.count(QStringLiteral("\r\n"))) + 1);
    check(p.text.endsWith(kTail));
    const QString shown = p.text.chopped(kTail.size());
    // At most 200 characters (UTF-16, UTF-8) or bytes (code page 936) of the file.
    check(shown.size() <= 200);
    // What is shown is how the file begins, as the import reads it.
    check(whole.startsWith(shown));
    // Never half a character at the cut: no surrogate pair split, and in code page 936 no lead byte
    // cut from its trail byte (which would show as U+FFFD the import does not have, caught above).
    if (!shown.isEmpty() && shown.size() < whole.size())
        check(!(shown.back().isHighSurrogate() && whole.at(shown.size()).isLowSurrogate()));
    return 0;
}
