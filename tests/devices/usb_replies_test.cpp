// The bytes of the USB host's replies and requests: connection information
// of both request forms with its pipe limits, names in two-call replies, the
// descriptor request header, and the string indices and languages a device's
// descriptors give, each reply in a heap block of exactly its size.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/devices/UsbReplies.h"
#include "sim/RecordBuilder.h"

using namespace brx;

namespace {

std::unique_ptr<PORT_CONNECTION_INFO> Parse(const Bytes& reply, bool extended) {
    std::unique_ptr<uint8_t[]> copy(new uint8_t[reply.size() ? reply.size() : 1]);
    std::copy(reply.begin(), reply.end(), copy.get());
    return ParseConnectionInfo(copy.get(), reply.size(), extended);
}

Bytes ConnectionReply(uint32_t pipesClaimed, size_t pipesPresent, uint8_t speedByte) {
    Bytes r(CONNECTION_INFO_HEADER + CONNECTION_INFO_PIPE_SIZE * pipesPresent, 0);
    PutU32(r, 0, 3);                                  // ConnectionIndex
    for (size_t i = 0; i < 18; ++i) r[4 + i] = static_cast<uint8_t>(0x10 + i);
    r[22] = 1;                                        // configuration value
    r[23] = speedByte;
    r[24] = 1;                                        // a hub
    PutU16(r, 25, 0x1234);                            // address
    PutU32(r, 27, pipesClaimed);
    PutU32(r, 31, 1);                                 // connected
    for (size_t p = 0; p < pipesPresent; ++p) {
        const size_t at = 35 + 11 * p;
        r[at] = 7;
        r[at + 1] = 5;
        r[at + 2] = static_cast<uint8_t>(0x81 + p);
        PutU32(r, at + 7, static_cast<uint32_t>(100 + p));
    }
    return r;
}

TEST(UsbReplies, ConnectionInformationFields) {
    auto c = Parse(ConnectionReply(2, 2, 3), true);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->connectionIndex, 3u);
    EXPECT_EQ(c->deviceDescriptor[0], 0x10);
    EXPECT_EQ(c->deviceDescriptor[17], 0x21);
    EXPECT_EQ(c->currentConfigurationValue, 1);
    EXPECT_EQ(c->speed, 3);
    EXPECT_EQ(c->deviceIsHub, 1);
    EXPECT_EQ(c->deviceAddress, 0x1234);
    EXPECT_EQ(c->connectionStatus, 1u);
    ASSERT_EQ(c->pipes.size(), 2u);
    EXPECT_EQ(c->pipes[1].endpoint[2], 0x82);
    EXPECT_EQ(c->pipes[1].scheduleOffset, 101u);
    EXPECT_EQ(c->BcdUsb(), 0x1312);
    // The older request says only whether the device is low speed.
    EXPECT_EQ(Parse(ConnectionReply(0, 0, 1), false)->speed, 0);
    EXPECT_EQ(Parse(ConnectionReply(0, 0, 0), false)->speed, USB_SPEED_UNKNOWN);
}

TEST(UsbReplies, PipesAreTheFewestOfCountThirtyAndWholeOnes) {
    const struct {
        uint32_t claimed;
        size_t present, extraBytes, expected;
    } cases[] = {
        {2, 2, 0, 2}, {31, 30, 0, 30}, {0xFFFFFFFF, 30, 0, 30}, {5, 2, 0, 2}, {5, 2, 10, 2}, {1, 3, 0, 1},
    };
    for (const auto& c : cases) {
        Bytes reply = ConnectionReply(c.claimed, c.present, 2);
        reply.resize(reply.size() + c.extraBytes, 0xEE);
        auto info = Parse(reply, true);
        ASSERT_TRUE(info);
        EXPECT_EQ(info->pipes.size(), c.expected) << c.claimed << " " << c.present;
    }
    Bytes tooShort = ConnectionReply(0, 0, 2);
    tooShort.pop_back();
    EXPECT_FALSE(Parse(tooShort, true));
}

TEST(UsbReplies, NamesEndAtTheirNulOrTheBytesReturned) {
    const Bytes reply = {0x20, 0, 0, 0, 'H', 0, 'u', 0, 'b', 0, 0, 0, 'x', 0};
    WString name;
    EXPECT_TRUE(ReadReplyName(reply.data(), reply.size(), 4, name));
    EXPECT_EQ(name, u"Hub");
    EXPECT_TRUE(ReadReplyName(reply.data(), 9, 4, name));   // an odd count: whole characters only
    EXPECT_EQ(name, u"Hu");
    EXPECT_FALSE(ReadReplyName(reply.data(), 4, 4, name));
    EXPECT_FALSE(ReadReplyName(reply.data(), reply.size(), 10, name));
    EXPECT_TRUE(name.empty());
}

TEST(UsbReplies, DescriptorRequestHeader) {
    uint8_t header[12];
    MakeDescriptorRequest(header, 0x01020304, USB_STRING_DESCRIPTOR_TYPE, 2, 0x0409, 255);
    EXPECT_EQ(Bytes(header, header + 12), (Bytes{0x04, 0x03, 0x02, 0x01, 0x80, 0x06, 0x02, 0x03, 0x09, 0x04, 0xFF, 0x00}));
}

TEST(UsbReplies, StringIndicesOfDeviceAndConfiguration) {
    const Bytes device = {0x12, 0x01, 0x00, 0x02, 0xEF, 0x02, 0x01, 0x40, 0x09, 0x12, 0xD2, 0xB5, 0x00, 0x01, 1, 0, 3, 1};
    const Bytes config = {0x09, 0x02, 0x2B, 0x00, 0x02, 0x01, 0x06, 0x80, 0x32,   // iConfiguration 6
                          0x08, 0x0B, 0x00, 0x02, 0x02, 0x02, 0x01, 0x04,         // iFunction 4
                          0x09, 0x04, 0x00, 0x00, 0x01, 0x02, 0x02, 0x01, 0x05,   // iInterface 5
                          0x09, 0x04, 0x01, 0x00, 0x02, 0x0A, 0x00, 0x00, 0x05,   // 5 again
                          0x08, 0x04, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00};        // too short for iInterface
    EXPECT_EQ(StringIndices(device.data(), config.data(), config.size()), (std::vector<uint8_t>{1, 3, 6, 4, 5, 5}));
    EXPECT_TRUE(HasStringDescriptors(device.data(), config.data(), config.size()));

    const struct {
        const char* name;
        size_t at;
        uint8_t value;
        std::vector<uint8_t> expected;
    } cases[] = {
        {"bLength 0 ends the walk", 17, 0, {1, 3, 6, 4}},
        // From the association's second byte on, its own bytes read as
        // descriptors of lengths 11, 1, 2 (a short configuration), 1 and 5,
        // until a 0 inside the first interface ends the walk.
        {"bLength 1 steps one byte", 9, 1, {1, 3, 6}},
        {"wTotalLength cuts the set", 2, 26, {1, 3, 6, 4, 5}},
        {"wTotalLength 0", 2, 0, {1, 3}},
        {"a descriptor past the set", 35, 0x30, {1, 3, 6, 4, 5, 5}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes changed = config;
        changed[c.at] = c.value;
        std::unique_ptr<uint8_t[]> copy(new uint8_t[changed.size()]);
        std::copy(changed.begin(), changed.end(), copy.get());
        EXPECT_EQ(StringIndices(device.data(), copy.get(), changed.size()), c.expected);
    }
    const Bytes noStrings = {0x12, 0x01, 0x00, 0x02, 0, 0, 0, 0x40, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    const Bytes plain = {0x09, 0x02, 0x09, 0x00, 0x00, 0x01, 0x00, 0x80, 0x32};
    EXPECT_FALSE(HasStringDescriptors(noStrings.data(), plain.data(), plain.size()));
}

TEST(UsbReplies, LanguageIds) {
    EXPECT_EQ(LanguageIds({4, 3, 0x09, 0x04}), (std::vector<uint16_t>{0x0409}));
    EXPECT_EQ(LanguageIds({6, 3, 0x09, 0x04, 0x07, 0x04}), (std::vector<uint16_t>{0x0409, 0x0407}));
    EXPECT_TRUE(LanguageIds({1, 3, 0x09, 0x04}).empty());
    EXPECT_TRUE(LanguageIds({0}).empty());
    EXPECT_TRUE(LanguageIds({}).empty());
    EXPECT_EQ(LanguageIds({8, 3, 0x09, 0x04}), (std::vector<uint16_t>{0x0409}));   // bLength past the bytes
    EXPECT_EQ(LanguageIds({5, 3, 0x09, 0x04, 0x07}), (std::vector<uint16_t>{0x0409}));   // odd bLength
}

} // namespace
