#pragma once
// The messages one program sends to the other's window over its local socket: bring to the
// front, close, and a word. One message per connection, answered by a two-byte acknowledgement
// once the receiver has handled it. Everything here is pure so that the decoder can be fuzzed.
//
// Frame (little-endian):  u32 payload length | payload
// Payload:                u8 kind | kind Word: u32 raise flag, u32 n, n UTF-16 code units
// Acknowledgement:        0x06, kind

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>

namespace lex {

enum class LinkKind : uint8_t { Raise = 1, Close = 2, Word = 3 };

struct LinkMessage {
    LinkKind kind = LinkKind::Raise;
    uint32_t raiseFlag = 0;   // Word only: 0 = bring the window to the top, 1 = leave the order alone
    QString word;             // Word only: exactly the code units sent, no terminator
};

constexpr qsizetype kLinkMaxWordBytes = 64 * 1024;         // at most 32768 code units
constexpr qsizetype kLinkMaxPayload = 1 + 4 + 4 + kLinkMaxWordBytes;
constexpr char kLinkAckByte = 0x06;

enum class LinkDecode { NeedMore, Ok, Malformed };

// Encodes one frame; a word longer than the bound gives an empty array (nothing can be sent).
QByteArray encodeLinkMessage(const LinkMessage& message);

// Decodes the first frame of `data`. Ok sets *out and *consumed (the frame's size in bytes);
// NeedMore means the frame is incomplete but so far well-formed; Malformed means the peer must be
// dropped (impossible length, unknown kind, sizes that disagree, a word over the bound).
LinkDecode decodeLinkMessage(QByteArrayView data, LinkMessage* out, qsizetype* consumed);

QByteArray encodeLinkAck(LinkKind kind);
// True when `data` is exactly the acknowledgement of `kind`.
bool isLinkAck(QByteArrayView data, LinkKind kind);

} // namespace lex
