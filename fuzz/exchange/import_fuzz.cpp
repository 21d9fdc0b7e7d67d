// The word-list reader over arbitrary bytes. The first byte picks the style (mod 3) and the
// encoding (div 3, mod 4: auto, UTF-16, code page 936, UTF-8); the rest is the file. Checks that
// the import, its preview and the encoding guess agree, and that the guess only ever picks a
// reading that is valid.
#include "common/platform/sources.h"
#include "common/text/codepage.h"
#include "common/text/encoding_guess.h"
#include "lexora/book/book.h"
#include "lexora/exchange/text_format.h"

#include <QDateTime>
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
    const int style = data[0] % 3 + 1;
    static const lex::TextEncoding encodings[] = {lex::TextEncoding::Auto, lex::TextEncoding::Utf16,
                                                  lex::TextEncoding::Cp936, lex::TextEncoding::Utf8};
    const lex::TextEncoding encoding = encodings[(data[0] / 3) % 4];
    const QByteArrayView bytes(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));

    lex::TextEncoding used{};
    const QString text = lex::decodeWordList(bytes, encoding, &used);
    check(used != lex::TextEncoding::Auto);
    const lex::WordListPreview preview = lex::previewWordList(bytes);
    const lex::TextEncoding detected = lex::detectEncoding(bytes);
    check(preview.encoding == detected);
    if (encoding == lex::TextEncoding::Auto) {
        check(used == detected);
        check(text == lex::decodeWordList(bytes, detected));
    }
    if (detected == lex::TextEncoding::Utf8 && !bytes.startsWith("\xEF\xBB\xBF")) {
        // Taken as UTF-8 without a mark: valid UTF-8 but for a cut last character, and not ASCII.
        check(!lex::cp936::isAscii(bytes));
        check(lex::utf8::isValid(bytes.first(bytes.size() - lex::incompleteUtf8Tail(bytes))));
    }
    if (detected == lex::TextEncoding::Cp936 && lex::utf8::isValid(bytes) && !lex::cp936::isAscii(bytes))
        check(!lex::cp936::decode(bytes).contains(QChar(0xFFFD))); // both readings were valid

    static lex::FixedClock clock(QDateTime(QDate(2024, 1, 2), QTime(3, 4)));
    lex::ImportSettings settings;
    settings.style = style;
    // A dictionary that knows words of even length, and leaves rubbish behind for the others.
    settings.lookUp = [](QStringView w, QString& e, QString& p) {
        e = QStringLiteral("x");
        p = w.left(2).toString();
        return w.size() % 2 == 0;
    };
    lex::Book book;
    const lex::ImportResult all = lex::importWordList(book, text, settings, clock);
    check(!all.cancelled);
    check(all.added == book.size());
    for (const lex::WordEntry* e : book.view())
        check(e->explanationFirstLine() == lex::firstLineBreak(e->explanation()));

    // Cancelling at the first report keeps only whole records: never more than a full import.
    lex::Book partial;
    settings.progress = [](qsizetype, qsizetype) { return false; };
    const lex::ImportResult cut = lex::importWordList(partial, text, settings, clock);
    check(cut.added <= all.added);

    const std::vector<const lex::WordEntry*> rows(book.view().begin(), book.view().end());
    for (lex::TextEncoding out : {lex::TextEncoding::Utf16, lex::TextEncoding::Cp936, lex::TextEncoding::Utf8}) {
        const QByteArray file = lex::exportWordListBytes(rows, style, out);
        if (out == lex::TextEncoding::Utf16) {
            // UTF-16 carries every code unit: the file decodes back to the exported text.
            check(lex::decodeWordList(file) == lex::exportWordList(rows, style));
        }
    }
    return 0;
}
