// The window link's decoders take bytes from any local peer: they must never crash, never accept a
// word over the bound (or an empty word to add), and agree with themselves when the same bytes
// arrive in pieces. The reply to AddTo is judged from the same bytes.
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
        if (m.kind == LinkKind::AddTo && m.word.isEmpty())
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
    // AddTo's reply: accepted only as exactly three bytes with a known outcome, which encode back.
    LinkAddOutcome outcome{};
    if (decodeLinkAddReply(bytes, &outcome)) {
        if (size != size_t(kLinkAddReplySize) || encodeLinkAddReply(outcome) != bytes.toByteArray())
            std::abort();
    }
    return 0;
}
