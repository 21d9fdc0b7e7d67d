#pragma once
// The messages one program sends to the other's window over its local socket: bring to the
// front, close, a word to show, and (from Glosix to Lexora) a word to add to the open Book. One
// message per connection, answered once the receiver has handled it, except the close request,
// which is posted: the sender writes it and goes, nothing comes back. Everything here is pure so
// that the decoders can be fuzzed.
//
// Frame (little-endian):  u32 payload length | payload
// Payload:                u8 kind | kind Word:  u32 raise flag, u32 n, n UTF-16 code units
//                                 | kind AddTo: u32 n (1 or more), n UTF-16 code units
// Acknowledgement:        0x06, kind                 (Raise, Word; Close has none)
// AddTo's reply:          0x06, 4, outcome           (1 added, 2 already in the Book, 3 refused)

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>

namespace lex {

enum class LinkKind : uint8_t { Raise = 1, Close = 2, Word = 3, AddTo = 4 };

// What the receiver of AddTo did with the word.
enum class LinkAddOutcome : uint8_t { Added = 1, AlreadyInBook = 2, Refused = 3 };

struct LinkMessage {
    LinkKind kind = LinkKind::Raise;
    uint32_t raiseFlag = 0;   // Word only: 0 = bring the window to the top, 1 = leave the order alone
    QString word;             // Word and AddTo: exactly the code units sent, no terminator
};

constexpr qsizetype kLinkMaxWordBytes = 64 * 1024;         // at most 32768 code units
constexpr qsizetype kLinkMaxPayload = 1 + 4 + 4 + kLinkMaxWordBytes;
constexpr char kLinkAckByte = 0x06;

enum class LinkDecode { NeedMore, Ok, Malformed };

// Encodes one frame; a word longer than the bound (or an empty word to add) gives an empty array:
// nothing can be sent.
QByteArray encodeLinkMessage(const LinkMessage& message);

// Decodes the first frame of `data`. Ok sets *out and *consumed (the frame's size in bytes);
// NeedMore means the frame is incomplete but so far well-formed; Malformed means the peer must be
// dropped (impossible length, unknown kind, sizes that disagree, a word over the bound).
LinkDecode decodeLinkMessage(QByteArrayView data, LinkMessage* out, qsizetype* consumed);

QByteArray encodeLinkAck(LinkKind kind);
// True when `data` is exactly the acknowledgement of `kind`.
bool isLinkAck(QByteArrayView data, LinkKind kind);

constexpr qsizetype kLinkAddReplySize = 3;
QByteArray encodeLinkAddReply(LinkAddOutcome outcome);
// True, with *outcome set, when `data` is exactly a reply to AddTo with a known outcome.
bool decodeLinkAddReply(QByteArrayView data, LinkAddOutcome* outcome);

} // namespace lex
