// Arbitrary bytes as a dictionary: the first two bytes choose where the index ends and the text
// begins. Look-ups of words cut from the input itself must stay inside both buffers, and the
// bisecting search must answer exactly as the plain walk does.
#include "common/dictionary/dictionary.h"
#include "common/text/codepage.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr lex::DictVariant kVariant = LEXORA_FUZZ_COMPANION ? lex::DictVariant::Companion : lex::DictVariant::Main;

struct Answer {
    bool found = false;
    QString a, b;
    bool operator==(const Answer& o) const { return found == o.found && a == o.a && b == o.b; }
};

Answer ask(const lex::Dictionary& d, const QString& q)
{
    Answer r;
    if (kVariant == lex::DictVariant::Main)
        r.found = d.LookUpWord(q, r.a, r.b);
    else
        r.found = d.LookUpEntryText(q, r.a);
    return r;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const size_t rest = size - 2;
    const size_t split = (size_t(data[0]) | size_t(data[1]) << 8) % (rest + 1);
    // Exact-size copies, so that a read one byte past either file is caught.
    std::unique_ptr<char[]> index(new char[split ? split : 1]);
    std::unique_ptr<char[]> text(new char[rest - split ? rest - split : 1]);
    std::memcpy(index.get(), data + 2, split);
    std::memcpy(text.get(), data + 2 + split, rest - split);

    lex::Dictionary indexed(kVariant), walk(kVariant);
    indexed.openMemory(QByteArrayView(index.get(), qsizetype(split)), QByteArrayView(text.get(), qsizetype(rest - split)));
    walk.openMemory(QByteArrayView(index.get(), qsizetype(split)), QByteArrayView(text.get(), qsizetype(rest - split)));
    walk.setFirstLevelSearch(lex::FirstLevelSearch::Walk);

    // Words: the runs of printable or high bytes in the index, the way keys sit in it.
    int asked = 0;
    size_t i = 4 < split ? 4 : split;
    while (i < split && asked < 8) {
        while (i < split && uint8_t(index[i]) < 0x20)
            ++i;
        size_t j = i;
        while (j < split && uint8_t(index[j]) >= 0x20 && j - i < 40)
            ++j;
        for (size_t len : {j - i, (j - i) / 2}) {
            const QString q = lex::cp936::decode(QByteArrayView(index.get() + i, qsizetype(len)));
            if (!(ask(indexed, q) == ask(walk, q)))
                std::abort();
            ++asked;
        }
        i = j + 1;
    }
    const QString fixed = QStringLiteral("book");
    if (!(ask(indexed, fixed) == ask(walk, fixed)))
        std::abort();
    return 0;
}
