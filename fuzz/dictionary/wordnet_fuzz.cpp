// Arbitrary bytes as one part of speech of a WordNet database: the first four bytes choose where
// the index ends, the data begins and the exception list begins. Words cut from the input itself
// and their inflections are looked up; every read must stay inside the three buffers.
#include "common/dictionary/wordnet.h"

#include <cstdint>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 5)
        return 0;
    const lex::WordNetPos pos = lex::WordNetPos(data[0] % 4);
    const size_t rest = size - 5;
    size_t a = (size_t(data[1]) | size_t(data[2]) << 8) % (rest + 1);
    size_t b = (size_t(data[3]) | size_t(data[4]) << 8) % (rest + 1);
    if (a > b)
        std::swap(a, b);
    const uint8_t* body = data + 5;
    // Exact-size copies, so that a read one byte past any file is caught.
    auto copy = [](const uint8_t* from, size_t n) {
        std::unique_ptr<char[]> p(new char[n ? n : 1]);
        std::memcpy(p.get(), from, n);
        return p;
    };
    const auto index = copy(body, a), dataFile = copy(body + a, b - a), exc = copy(body + b, rest - b);
    lex::WordNet wn;
    wn.openMemory(pos, QByteArrayView(index.get(), qsizetype(a)), QByteArrayView(dataFile.get(), qsizetype(b - a)),
                  QByteArrayView(exc.get(), qsizetype(rest - b)));
    // Words: the first fields of the index's and the exception list's lines, and their plurals.
    int asked = 0;
    for (const auto& [text, n] : {std::pair<const char*, size_t>{index.get(), a}, {exc.get(), rest - b}}) {
        size_t i = 0;
        while (i < n && asked < 12) {
            size_t j = i;
            while (j < n && text[j] != ' ' && text[j] != '\n' && j - i < 40)
                ++j;
            const QString w = QString::fromUtf8(text + i, qsizetype(j - i));
            wn.senses(w);
            wn.senses(w + QStringLiteral("es"));
            wn.baseForms(w + QStringLiteral("_ups"), lex::WordNetPos::Verb);
            ++asked;
            while (j < n && text[j] != '\n')
                ++j;
            i = j + 1;
        }
    }
    wn.senses(u"dogs");
    return 0;
}
