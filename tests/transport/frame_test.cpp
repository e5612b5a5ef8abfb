#include "transport/checksum16.h"
#include "transport/datagramframe.h"
#include "transport/datagrampacket.h"

#include <gtest/gtest.h>

using namespace corvane;

TEST(CheckSum16, ReferenceValues) {
    EXPECT_EQ(CheckSum16("abc"), 0x9738);
    EXPECT_EQ(CheckSum16("123456789"), 0xBB3D);
    EXPECT_EQ(CheckSum16(""), 0);
}

TEST(Frame, PrefixPayloadAndUpperCaseChecksum) {
    const QByteArray frame = FrameDatagram("abc", 10000);
    ASSERT_EQ(frame.size(), 3 + 8);
    EXPECT_TRUE(frame.startsWith("0000abc"));
    EXPECT_EQ(frame.right(4), Hex4(CheckSum16("0000abc")));
    EXPECT_TRUE(FrameChecks(frame));
    EXPECT_EQ(FramePayload(frame), "abc");
    // The prefix is the tick count modulo 10000 in upper-case hex.
    EXPECT_TRUE(FrameDatagram("x", 19999).startsWith("270F"));
    EXPECT_TRUE(FrameDatagram("x", 0xAB).startsWith("00AB"));
}

TEST(Frame, ChecksOfBadDatagrams) {
    QByteArray frame = FrameDatagram("hello", 1234);
    QByteArray changed = frame;
    changed[6] = 'X';
    EXPECT_FALSE(FrameChecks(changed));
    // Lower-case checksum digits fail: find a frame whose checksum has letters.
    QByteArray withLetters;
    for (int i = 0; i < 100 && withLetters.isEmpty(); ++i) {
        const QByteArray f = FrameDatagram(QByteArray::number(i), 1234);
        if (f.right(4) != f.right(4).toLower())
            withLetters = f;
    }
    ASSERT_FALSE(withLetters.isEmpty());
    EXPECT_TRUE(FrameChecks(withLetters));
    QByteArray lowered = withLetters;
    lowered.replace(lowered.size() - 4, 4, withLetters.right(4).toLower());
    EXPECT_FALSE(FrameChecks(lowered));
    // Short datagrams: "0000" passes with an empty payload, shorter ones fail.
    EXPECT_TRUE(FrameChecks("0000"));
    EXPECT_EQ(FramePayload("0000"), "");
    EXPECT_FALSE(FrameChecks("000"));
    EXPECT_FALSE(FrameChecks(""));
    EXPECT_EQ(FramePayload("00000000"), "");
}

TEST(Packet, EncodeDecodeRoundTrip) {
    DatagramPacket p{"*", "HOST1", "CORVANE3", FrameDatagram("WHO_IS_HERE", 5)};
    const QByteArray bytes = p.Encode();
    ASSERT_TRUE(bytes.startsWith("CMS1\x01*\x05HOST1\x08" "CORVANE3"));
    auto back = DatagramPacket::Decode(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->target, "*");
    EXPECT_EQ(back->sender, "HOST1");
    EXPECT_EQ(back->slot, "CORVANE3");
    EXPECT_EQ(back->frame, p.frame);
}

TEST(Packet, MalformedHeadersAreRejected) {
    EXPECT_FALSE(DatagramPacket::Decode(""));
    EXPECT_FALSE(DatagramPacket::Decode("CMS2\x01*\x01H\x01S"));
    EXPECT_FALSE(DatagramPacket::Decode("CMS1"));
    EXPECT_FALSE(DatagramPacket::Decode("CMS1\x01*\x01H"));        // no slot
    EXPECT_FALSE(DatagramPacket::Decode("CMS1\x01*\x05HO"));       // length past the end
    EXPECT_FALSE(DatagramPacket::Decode(QByteArray("CMS1\x00\x01H\x01S", 9))); // empty target
    EXPECT_TRUE(DatagramPacket::Decode("CMS1\x01*\x01H\x01S"));    // empty frame is a header
    // Texts too long for the header cannot be written.
    DatagramPacket p{QByteArray(256, 'A'), "H", "S", "0000"};
    EXPECT_TRUE(p.Encode().isEmpty());
}
