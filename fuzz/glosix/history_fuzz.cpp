// The look-up history file can be damaged or edited by hand, and the selection and the clipboard
// come from any program: reading either must stay in bounds, and what is read must write back
// the same.
#include "glosix/look_up_history.h"
#include "glosix/selection_word.h"

#include <cstdint>
#include <cstdlib>

using namespace lex;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    std::vector<HistoryRecord> records;
    if (parseHistory(bytes, &records)) {
        for (const HistoryRecord& r : records)
            if (r.word.isEmpty() || r.count < 1 || r.first > r.last)
                std::abort();
        // A history read is written back as it would be read again.
        const QByteArray written = serializeHistory(records);
        std::vector<HistoryRecord> again;
        if (!parseHistory(written, &again) || serializeHistory(again) != written)
            std::abort();
    }
    const QString text = QString::fromUtf8(bytes);
    const QString word = wordInSelection(text);
    if (word.size() > kSelectionScan * 2 || (!word.isEmpty() && !word.front().isLetter()))
        std::abort();
    for (bool own : {false, true}) {
        const QString copied = copiedWord(text, own);
        if ((own && !copied.isEmpty()) || copied.size() > kCopiedWordMax)
            std::abort();
    }
    return 0;
}
