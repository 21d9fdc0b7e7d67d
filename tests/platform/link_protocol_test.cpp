#include "common/platform/link_protocol.h"

#include <QtEndian>
#include <gtest/gtest.h>

using namespace lex;

namespace {

QByteArray u32(uint32_t v)
{
    char b[4];
    qToLittleEndian<quint32>(v, b);
    return QByteArray(b, 4);
}

LinkDecode decode(const QByteArray& data, LinkMessage* m = nullptr, qsizetype* used = nullptr)
{
    return decodeLinkMessage(data, m, used);
}

} // namespace

TEST(LinkProtocol, WordsArriveAsExactlyTheirCodeUnits)
{
    const QString words[] = {QStringLiteral("apple"), QStringLiteral("苹果"), QString::fromUtf16(u"\U0001D49Cb"),
                             QString(), QString(QChar(0)) + QStringLiteral("x"), QString(32768, QChar(0x4E2D))};
    for (const QString& w : words) {
        const QByteArray frame = encodeLinkMessage(LinkMessage{LinkKind::Word, 1, w});
        ASSERT_EQ(frame.size(), 4 + 9 + 2 * w.size());
        LinkMessage m;
        qsizetype used = 0;
        ASSERT_EQ(decode(frame + "trailing", &m, &used), LinkDecode::Ok);
        EXPECT_EQ(used, frame.size());
        EXPECT_EQ(m.kind, LinkKind::Word);
        EXPECT_EQ(m.raiseFlag, 1u);
        EXPECT_EQ(m.word.size(), w.size());
        EXPECT_EQ(m.word, w);
    }
}

TEST(LinkProtocol, IncompleteFramesWaitAndEveryPrefixAgrees)
{
    const QByteArray frame = encodeLinkMessage(LinkMessage{LinkKind::Word, 0, QStringLiteral("词典")});
    for (qsizetype n = 0; n < frame.size(); ++n)
        EXPECT_EQ(decode(frame.left(n)), LinkDecode::NeedMore) << n;
    EXPECT_EQ(decode(frame), LinkDecode::Ok);
    for (LinkKind k : {LinkKind::Raise, LinkKind::Close}) {
        LinkMessage m;
        ASSERT_EQ(decode(encodeLinkMessage(LinkMessage{k, 0, {}}), &m), LinkDecode::Ok);
        EXPECT_EQ(m.kind, k);
    }
}

TEST(LinkProtocol, MalformedFramesAreRefused)
{
    EXPECT_EQ(decode(u32(0)), LinkDecode::Malformed);                          // empty payload
    EXPECT_EQ(decode(u32(0xFFFFFFFFu)), LinkDecode::Malformed);                // impossible length
    EXPECT_EQ(decode(u32(uint32_t(kLinkMaxPayload) + 1)), LinkDecode::Malformed);
    EXPECT_EQ(decode(u32(1) + '\x09'), LinkDecode::Malformed);                 // unknown kind
    EXPECT_EQ(decode(u32(2) + '\x01' + 'x'), LinkDecode::Malformed);           // raise with a body
    EXPECT_EQ(decode(u32(5) + '\x03' + u32(0)), LinkDecode::Malformed);        // word without count
    // The count disagrees with the frame length, both ways, and an odd number of bytes.
    EXPECT_EQ(decode(u32(13) + '\x03' + u32(0) + u32(1) + "abcd"), LinkDecode::Malformed);
    EXPECT_EQ(decode(u32(11) + '\x03' + u32(0) + u32(2) + "ab"), LinkDecode::Malformed);
    EXPECT_EQ(decode(u32(12) + '\x03' + u32(0) + u32(1) + "abc"), LinkDecode::Malformed);
    // A count near 2^31 must not wrap the size check.
    EXPECT_EQ(decode(u32(9) + '\x03' + u32(0) + u32(0x80000000u)), LinkDecode::Malformed);
}

TEST(LinkProtocol, OversizedWordsAreNeitherSentNorAccepted)
{
    EXPECT_TRUE(encodeLinkMessage(LinkMessage{LinkKind::Word, 0, QString(32769, QLatin1Char('a'))}).isEmpty());
    QByteArray big = u32(9 + 2 * 32769) + '\x03' + u32(0) + u32(32769);
    EXPECT_EQ(decode(big), LinkDecode::Malformed);   // refused from the header, before the body
}

TEST(LinkProtocol, Acknowledgement)
{
    EXPECT_TRUE(isLinkAck(encodeLinkAck(LinkKind::Word), LinkKind::Word));
    EXPECT_FALSE(isLinkAck(encodeLinkAck(LinkKind::Raise), LinkKind::Word));
    EXPECT_FALSE(isLinkAck(QByteArray("\x06"), LinkKind::Raise));
}

TEST(LinkProtocol, AWordToAddRoundTripsAndItsFrameIsStrict)
{
    for (const QString& w : {QStringLiteral("apple"), QStringLiteral("苹果"), QString::fromUtf16(u"\U0001D49C"),
                             QString(32768, QChar(0x4E2D))}) {
        const QByteArray frame = encodeLinkMessage(LinkMessage{LinkKind::AddTo, 7, w});
        ASSERT_EQ(frame.size(), 4 + 5 + 2 * w.size());
        EXPECT_EQ(frame.mid(4, 5), QByteArray(1, '\x04') + u32(uint32_t(w.size())));
        LinkMessage m;
        qsizetype used = 0;
        ASSERT_EQ(decode(frame + "next", &m, &used), LinkDecode::Ok);
        EXPECT_EQ(used, frame.size());
        EXPECT_EQ(m.kind, LinkKind::AddTo);
        EXPECT_EQ(m.raiseFlag, 0u) << "no raise flag travels with a word to add";
        EXPECT_EQ(m.word, w);
        for (qsizetype n = 0; n < frame.size(); ++n)
            ASSERT_EQ(decode(frame.left(n)), LinkDecode::NeedMore) << n;
    }
    // Nothing to add is nothing to send, and never accepted.
    EXPECT_TRUE(encodeLinkMessage(LinkMessage{LinkKind::AddTo, 0, QString()}).isEmpty());
    EXPECT_TRUE(encodeLinkMessage(LinkMessage{LinkKind::AddTo, 0, QString(32769, QLatin1Char('a'))}).isEmpty());
    EXPECT_EQ(decode(u32(5) + '\x04' + u32(0)), LinkDecode::Malformed);
    EXPECT_EQ(decode(u32(1) + '\x04'), LinkDecode::Malformed);                  // no count
    EXPECT_EQ(decode(u32(6) + '\x04' + u32(1) + "a"), LinkDecode::Malformed);   // half a code unit
    EXPECT_EQ(decode(u32(6) + '\x04'), LinkDecode::Malformed) << "judged from the header alone";
    EXPECT_EQ(decode(u32(9) + '\x04' + u32(1) + "abcd"), LinkDecode::Malformed);   // count disagrees
    EXPECT_EQ(decode(u32(7) + '\x04' + u32(2) + "ab"), LinkDecode::Malformed);
    EXPECT_EQ(decode(u32(7) + '\x04' + u32(0x80000001u) + "ab"), LinkDecode::Malformed);
    EXPECT_EQ(decode(u32(5 + 2 * 32769) + '\x04' + u32(32769)), LinkDecode::Malformed);
    EXPECT_EQ(decode(u32(1) + '\x05'), LinkDecode::Malformed);                  // the next kind is unknown
}

TEST(LinkProtocol, TheReplyToAddToCarriesOneOfThreeOutcomes)
{
    for (LinkAddOutcome o : {LinkAddOutcome::Added, LinkAddOutcome::AlreadyInBook, LinkAddOutcome::Refused}) {
        const QByteArray reply = encodeLinkAddReply(o);
        EXPECT_EQ(reply, QByteArray("\x06\x04", 2) + char(o));
        LinkAddOutcome back{};
        ASSERT_TRUE(decodeLinkAddReply(reply, &back));
        EXPECT_EQ(back, o);
        EXPECT_FALSE(decodeLinkAddReply(reply.left(2), &back));
        EXPECT_FALSE(decodeLinkAddReply(reply + '\0', &back));
    }
    LinkAddOutcome o{};
    EXPECT_FALSE(decodeLinkAddReply(QByteArray("\x06\x04\x00", 3), &o));
    EXPECT_FALSE(decodeLinkAddReply(QByteArray("\x06\x04\x04", 3), &o));
    EXPECT_FALSE(decodeLinkAddReply(QByteArray("\x06\x03\x01", 3), &o)) << "another kind's acknowledgement";
    EXPECT_FALSE(isLinkAck(encodeLinkAddReply(LinkAddOutcome::Added), LinkKind::AddTo)) << "three bytes, not two";
}
