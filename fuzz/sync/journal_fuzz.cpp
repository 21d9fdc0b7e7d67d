// The journal reader over arbitrary bytes. An input whose first byte is odd is sealed first (a
// valid header and checksum around the rest), so that the records themselves are explored rather
// than the checksum. Reading must stay inside the buffer; a file read as whole must write back to
// bytes that read the same; its records merged and rebuilt must give the same state, in any order.
#include "lexora/sync/journal.h"

#include <algorithm>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace lex::sync;
    if (size == 0)
        return 0;
    const QByteArrayView rest(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    const QByteArray bytes = (data[0] & 1) ? sealJournal(rest, data[0] & 2) : rest.toByteArray();
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
