// The journal reader over arbitrary bytes. An input whose first byte is odd is sealed first (a
// valid header and checksum around the rest), so that the records themselves are explored rather
// than the checksum. Reading must stay inside the buffer; a file read as whole must write back to
// bytes that read the same; its records merged and rebuilt must give the same state, in any order.
// With bit 2 of the first byte the bytes are read as the merged state kept beside a Book (sealed
// as its whole state when bit 1 is set too): what reads must write back whole to the same state.
#include "lexora/sync/journal.h"

#include <algorithm>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace lex::sync;
    if (size == 0)
        return 0;
    const QByteArrayView rest(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    QByteArray bytes = (data[0] & 1) ? sealJournal(rest, data[0] & 2) : rest.toByteArray();
    if (data[0] & 4) {
        // The flags are outside the checksum: 3 makes the sealed records a whole merged state.
        if ((data[0] & 1) && bytes.size() > 5)
            bytes[5] = 3;
        MergedState state;
        MergedStateRead how;
        if (parseMergedState(bytes, &state, &how) != ReadResult::Ok)
            return 0;
        if (how.goodBytes > bytes.size() || how.wholeBytes > how.goodBytes)
            std::abort();
        MergedState again;
        MergedStateRead howAgain;
        const QByteArray whole = encodeMergedState(how.machine, QStringLiteral("B"), state, nullptr);
        if (parseMergedState(whole, &again, &howAgain) != ReadResult::Ok || howAgain.cut || howAgain.machine != how.machine
            || !(again.state == state.state) || again.besides() != state.besides())
            std::abort();
        return 0;
    }
    JournalFile file;
    if (parseJournal(bytes, &file) != ReadResult::Ok)
        return 0;
    JournalFile again;
    if (parseJournal(encodeJournal(file), &again) != ReadResult::Ok || again.records != file.records
        || again.machine != file.machine || again.seq != file.seq)
        std::abort();
    JournalState forward, backward, rebuilt;
    forward.applyAll(file.records);
    std::vector<Record> reversed(file.records.rbegin(), file.records.rend());
    backward.applyAll(reversed);
    backward.applyAll(file.records);
    rebuilt.applyAll(forward.records());
    if (!(forward == backward) || !(rebuilt == forward))
        std::abort();
    return 0;
}
