#include "common/platform/link_protocol.h"

#include <QtEndian>

namespace lex {

namespace {

void putU32(QByteArray& out, uint32_t v)
{
    char b[4];
    qToLittleEndian<quint32>(v, b);
    out.append(b, 4);
}

uint32_t getU32(const char* p) { return qFromLittleEndian<quint32>(p); }

} // namespace

QByteArray encodeLinkMessage(const LinkMessage& message)
{
    QByteArray payload;
    payload.append(char(message.kind));
    if (message.kind == LinkKind::Word) {
        const qsizetype bytes = message.word.size() * 2;
        if (bytes > kLinkMaxWordBytes)
            return {};
        putU32(payload, message.raiseFlag);
        putU32(payload, uint32_t(message.word.size()));
        for (QChar c : message.word) {
            char b[2];
            qToLittleEndian<quint16>(c.unicode(), b);
            payload.append(b, 2);
        }
    }
    QByteArray frame;
    frame.reserve(4 + payload.size());
    putU32(frame, uint32_t(payload.size()));
    frame.append(payload);
    return frame;
}

LinkDecode decodeLinkMessage(QByteArrayView data, LinkMessage* out, qsizetype* consumed)
{
    if (data.size() < 4)
        return LinkDecode::NeedMore;
    const uint32_t length = getU32(data.data());
    if (length < 1 || length > uint32_t(kLinkMaxPayload))
        return LinkDecode::Malformed;
    // The kind can be judged before the rest arrives, so a stray peer is dropped early.
    if (data.size() >= 5) {
        const uint8_t kind = uint8_t(data[4]);
        if (kind < uint8_t(LinkKind::Raise) || kind > uint8_t(LinkKind::Word))
            return LinkDecode::Malformed;
        if (kind != uint8_t(LinkKind::Word) && length != 1)
            return LinkDecode::Malformed;
        if (kind == uint8_t(LinkKind::Word) && length < 9)
            return LinkDecode::Malformed;
    }
    if (data.size() < qsizetype(4 + length))
        return LinkDecode::NeedMore;

    const char* p = data.data() + 4;
    LinkMessage m;
    m.kind = LinkKind(uint8_t(p[0]));
    if (m.kind == LinkKind::Word) {
        m.raiseFlag = getU32(p + 1);
        const uint32_t units = getU32(p + 5);
        if (units > uint32_t(kLinkMaxWordBytes / 2) || uint64_t(length) != 9 + uint64_t(units) * 2)
            return LinkDecode::Malformed;
        m.word.resize(qsizetype(units));
        QChar* w = m.word.data();
        for (uint32_t i = 0; i < units; ++i)
            w[i] = QChar(qFromLittleEndian<quint16>(p + 9 + 2 * i));
    }
    if (out)
        *out = std::move(m);
    if (consumed)
        *consumed = 4 + qsizetype(length);
    return LinkDecode::Ok;
}

QByteArray encodeLinkAck(LinkKind kind)
{
    QByteArray a;
    a.append(kLinkAckByte);
    a.append(char(kind));
    return a;
}

bool isLinkAck(QByteArrayView data, LinkKind kind)
{
    return data.size() == 2 && data[0] == kLinkAckByte && uint8_t(data[1]) == uint8_t(kind);
}

} // namespace lex
