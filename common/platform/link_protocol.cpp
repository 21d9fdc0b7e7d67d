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

void putUnits(QByteArray& out, const QString& word)
{
    putU32(out, uint32_t(word.size()));
    for (QChar c : word) {
        char b[2];
        qToLittleEndian<quint16>(c.unicode(), b);
        out.append(b, 2);
    }
}

QString getUnits(const char* p, uint32_t units)
{
    QString word(qsizetype(units), Qt::Uninitialized);
    QChar* w = word.data();
    for (uint32_t i = 0; i < units; ++i)
        w[i] = QChar(qFromLittleEndian<quint16>(p + 2 * i));
    return word;
}

// The smallest payload of each kind: the kind byte and its fixed fields.
constexpr uint32_t kWordHead = 1 + 4 + 4;
constexpr uint32_t kAddToHead = 1 + 4;

} // namespace

QByteArray encodeLinkMessage(const LinkMessage& message)
{
    QByteArray payload;
    payload.append(char(message.kind));
    if (message.kind == LinkKind::Word || message.kind == LinkKind::AddTo) {
        if (message.word.size() * 2 > kLinkMaxWordBytes)
            return {};
        if (message.kind == LinkKind::AddTo && message.word.isEmpty())
            return {};
        if (message.kind == LinkKind::Word)
            putU32(payload, message.raiseFlag);
        putUnits(payload, message.word);
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
        if (kind < uint8_t(LinkKind::Raise) || kind > uint8_t(LinkKind::AddTo))
            return LinkDecode::Malformed;
        const bool carriesWord = kind == uint8_t(LinkKind::Word) || kind == uint8_t(LinkKind::AddTo);
        if (!carriesWord && length != 1)
            return LinkDecode::Malformed;
        if (kind == uint8_t(LinkKind::Word) && length < kWordHead)
            return LinkDecode::Malformed;
        // A word to add has at least one code unit, and they come in whole pairs of bytes.
        if (kind == uint8_t(LinkKind::AddTo)
            && (length < kAddToHead + 2 || (length - kAddToHead) % 2 != 0 || length > kAddToHead + kLinkMaxWordBytes))
            return LinkDecode::Malformed;
    }
    if (data.size() < qsizetype(4 + length))
        return LinkDecode::NeedMore;

    const char* p = data.data() + 4;
    LinkMessage m;
    m.kind = LinkKind(uint8_t(p[0]));
    if (m.kind == LinkKind::Word || m.kind == LinkKind::AddTo) {
        const uint32_t head = m.kind == LinkKind::Word ? kWordHead : kAddToHead;
        if (m.kind == LinkKind::Word)
            m.raiseFlag = getU32(p + 1);
        const uint32_t units = getU32(p + head - 4);
        if (units > uint32_t(kLinkMaxWordBytes / 2) || uint64_t(length) != head + uint64_t(units) * 2)
            return LinkDecode::Malformed;
        if (m.kind == LinkKind::AddTo && units == 0)
            return LinkDecode::Malformed;
        m.word = getUnits(p + head, units);
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

QByteArray encodeLinkAddReply(LinkAddOutcome outcome)
{
    QByteArray a = encodeLinkAck(LinkKind::AddTo);
    a.append(char(outcome));
    return a;
}

bool decodeLinkAddReply(QByteArrayView data, LinkAddOutcome* outcome)
{
    if (data.size() != kLinkAddReplySize || !isLinkAck(data.first(2), LinkKind::AddTo))
        return false;
    const uint8_t o = uint8_t(data[2]);
    if (o < uint8_t(LinkAddOutcome::Added) || o > uint8_t(LinkAddOutcome::Refused))
        return false;
    if (outcome)
        *outcome = LinkAddOutcome(o);
    return true;
}

} // namespace lex
