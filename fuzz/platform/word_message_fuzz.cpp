// The window link's decoder takes bytes from any local peer: it must never crash, never accept a
// word over the bound, and agree with itself when the same bytes arrive in pieces.
#include "common/platform/link_protocol.h"

#include <cstdint>
#include <cstdlib>

using namespace lex;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    LinkMessage m;
    qsizetype used = 0;
    const LinkDecode whole = decodeLinkMessage(bytes, &m, &used);
    if (whole == LinkDecode::Ok) {
        if (used < 5 || used > qsizetype(size) || m.word.size() * 2 > kLinkMaxWordBytes)
            std::abort();
        // What was accepted encodes back to exactly the bytes it came from.
        if (encodeLinkMessage(m) != bytes.first(used).toByteArray())
            std::abort();
    }
    // A prefix never decides differently: at most "need more" where the whole is decided.
    if (size > 0) {
        const size_t cut = data[0] % (size + 1);
        const LinkDecode part = decodeLinkMessage(bytes.first(qsizetype(cut)), nullptr, nullptr);
        if (part == LinkDecode::Ok && whole != LinkDecode::Ok)
            std::abort();
        if (part == LinkDecode::Malformed && whole != LinkDecode::Malformed)
            std::abort();
    }
    return 0;
}
