#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <cstring>
#include <vector>

#include "decode/SetupPacket.h"

using namespace brx;

namespace {

using Packet = std::array<uint8_t, 8>;

// An 80-byte control-type URB with its function and the fields the builders read.
struct UrbFields {
    uint16_t function = 0;
    uint32_t transferFlags = 0;
    uint32_t transferLength = 0;
    uint8_t b72 = 0, b73 = 0, b74 = 0, b75 = 0;
    uint16_t w76 = 0;
};

std::vector<uint8_t> MakeUrb(const UrbFields& f, size_t size = 80) {
    std::vector<uint8_t> urb(80, 0xEE);
    urb[0] = 80;
    urb[1] = 0;
    urb[2] = static_cast<uint8_t>(f.function);
    urb[3] = static_cast<uint8_t>(f.function >> 8);
    for (int i = 0; i < 4; ++i) {
        urb[20 + i] = static_cast<uint8_t>(f.transferFlags >> (8 * i));
        urb[24 + i] = static_cast<uint8_t>(f.transferLength >> (8 * i));
    }
    urb[72] = f.b72;
    urb[73] = f.b73;
    urb[74] = f.b74;
    urb[75] = f.b75;
    urb[76] = static_cast<uint8_t>(f.w76);
    urb[77] = static_cast<uint8_t>(f.w76 >> 8);
    urb.resize(size);
    return urb;
}

// The URB copied into a block of exactly its size, so that ASan sees any read past it.
int Build(const std::vector<uint8_t>& urb, Packet& packet) {
    std::unique_ptr<uint8_t[]> exact(new uint8_t[urb.size() ? urb.size() : 1]);
    if (!urb.empty()) std::memcpy(exact.get(), urb.data(), urb.size());
    return BuildSetupPacketForUrb(exact.get(), urb.size(), packet.data());
}

} // namespace

TEST(SetupPacket, BuildersByFunction) {
    struct Row {
        const char* what;
        UrbFields urb;
        Packet expected;
    };
    const Row rows[] = {
        {"string descriptor", {.function = 11, .transferLength = 255, .b74 = 2, .b75 = 3, .w76 = 0x0409},
         {0x80, 0x06, 0x02, 0x03, 0x09, 0x04, 0xFF, 0x00}},
        {"set descriptor to device", {.function = 12, .transferLength = 0x12345, .b74 = 0, .b75 = 1},
         {0x00, 0x07, 0x00, 0x01, 0x00, 0x00, 0x45, 0x23}},
        {"endpoint descriptor get", {.function = 36, .transferLength = 9, .b74 = 1, .b75 = 0x25},
         {0x82, 0x06, 0x01, 0x25, 0x00, 0x00, 0x09, 0x00}},
        {"set descriptor to endpoint", {.function = 37, .b75 = 5}, {0x02, 0x07, 0x00, 0x05, 0, 0, 0, 0}},
        {"interface descriptor get", {.function = 40, .transferLength = 0x40, .b75 = 0x22, .w76 = 0},
         {0x81, 0x06, 0x00, 0x22, 0x00, 0x00, 0x40, 0x00}},
        {"set descriptor to interface", {.function = 41, .b75 = 0x22}, {0x01, 0x07, 0x00, 0x22, 0, 0, 0, 0}},
        {"set feature device", {.function = 13, .transferLength = 99, .b74 = 1, .w76 = 0},
         {0x00, 0x03, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00}},
        {"set feature interface", {.function = 14, .b74 = 0, .w76 = 2}, {0x01, 0x03, 0, 0, 0x02, 0, 0, 0}},
        {"set feature endpoint", {.function = 15, .b74 = 0, .b75 = 0, .w76 = 0x81},
         {0x02, 0x03, 0, 0, 0x81, 0, 0, 0}},
        {"clear feature device", {.function = 16, .b74 = 1}, {0x00, 0x01, 0x01, 0, 0, 0, 0, 0}},
        {"clear feature interface", {.function = 17, .w76 = 1}, {0x01, 0x01, 0, 0, 0x01, 0, 0, 0}},
        {"clear halt", {.function = 18, .w76 = 0x02}, {0x02, 0x01, 0, 0, 0x02, 0, 0, 0}},
        {"clear feature other", {.function = 34, .b74 = 0x10, .w76 = 3}, {0x03, 0x01, 0x10, 0, 0x03, 0, 0, 0}},
        {"set feature other", {.function = 35, .b74 = 8, .b75 = 1, .w76 = 4}, {0x03, 0x03, 0x08, 0x01, 0x04, 0, 0, 0}},
        {"status device", {.function = 19, .transferLength = 2}, {0x80, 0x00, 0, 0, 0, 0, 0x02, 0}},
        {"status interface", {.function = 20, .transferLength = 2, .w76 = 1}, {0x81, 0x00, 0, 0, 1, 0, 2, 0}},
        {"status endpoint", {.function = 21, .transferLength = 2, .w76 = 0x82}, {0x82, 0x00, 0, 0, 0x82, 0, 2, 0}},
        {"status other", {.function = 33, .transferLength = 4, .w76 = 2}, {0x83, 0x00, 0, 0, 2, 0, 4, 0}},
        {"vendor device out",
         {.function = 23, .transferFlags = 0, .transferLength = 0x10, .b72 = 0xFF, .b73 = 0x51, .b74 = 0x34,
          .b75 = 0x12, .w76 = 0x5678},
         {0x40, 0x51, 0x34, 0x12, 0x78, 0x56, 0x10, 0x00}},
        {"vendor interface in", {.function = 24, .transferFlags = 1, .b73 = 1}, {0xC1, 0x01, 0, 0, 0, 0, 0, 0}},
        {"vendor endpoint in", {.function = 25, .transferFlags = 3, .b73 = 2}, {0xC2, 0x02, 0, 0, 0, 0, 0, 0}},
        {"class device", {.function = 26, .transferFlags = 2, .b73 = 6}, {0x20, 0x06, 0, 0, 0, 0, 0, 0}},
        {"class interface in, short OK", {.function = 27, .transferFlags = 3, .transferLength = 8, .b73 = 1, .w76 = 0},
         {0xA1, 0x01, 0, 0, 0, 0, 8, 0}},
        {"class endpoint", {.function = 28, .transferFlags = 0, .b73 = 1}, {0x22, 0x01, 0, 0, 0, 0, 0, 0}},
        {"class other in", {.function = 31, .transferFlags = 1, .transferLength = 4, .b73 = 0, .w76 = 1},
         {0xA3, 0x00, 0, 0, 1, 0, 4, 0}},
        {"vendor other", {.function = 32, .transferFlags = 0x10, .b73 = 9}, {0x43, 0x09, 0, 0, 0, 0, 0, 0}},
        {"get configuration", {.function = 38, .transferLength = 1, .b74 = 7, .w76 = 7},
         {0x80, 0x08, 0, 0, 0, 0, 1, 0}},
        {"get interface", {.function = 39, .transferLength = 1, .b74 = 9, .w76 = 3}, {0x81, 0x0A, 0, 0, 3, 0, 1, 0}},
        {"MS feature descriptor", {.function = 42, .transferLength = 40, .b73 = 4}, {0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Packet packet;
        packet.fill(0xCC);
        EXPECT_EQ(Build(MakeUrb(r.urb), packet), 1);
        EXPECT_EQ(packet, r.expected);
    }
}

TEST(SetupPacket, ControlTransfersCopyTheirOwnPacket) {
    for (uint16_t function : {uint16_t(8), uint16_t(50)}) {
        SCOPED_TRACE(function);
        std::vector<uint8_t> urb = MakeUrb({.function = function, .transferFlags = 1});
        const uint8_t own[8] = {0xC0, 0x33, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06};
        std::memcpy(urb.data() + 72, own, 8);
        Packet packet{};
        EXPECT_EQ(Build(urb, packet), 1);
        EXPECT_EQ(std::memcmp(packet.data(), own, 8), 0);
    }
}

TEST(SetupPacket, FunctionsWithoutABuilderLeaveThePacket) {
    const Packet before = {1, 2, 3, 4, 5, 6, 7, 8};
    for (uint16_t function : {0, 1, 2, 3, 4, 5, 6, 7, 9, 10, 22, 29, 30, 43, 44, 45, 46, 47, 48, 49, 51, 52}) {
        SCOPED_TRACE(function);
        Packet packet = before;
        EXPECT_EQ(Build(MakeUrb({.function = function}, 24), packet), 1);
        EXPECT_EQ(packet, before);
    }
}

TEST(SetupPacket, RefusedUrbsLeaveThePacket) {
    const Packet before = {1, 2, 3, 4, 5, 6, 7, 8};
    Packet packet = before;
    EXPECT_EQ(Build(MakeUrb({.function = 53}), packet), 0);
    EXPECT_EQ(Build(MakeUrb({.function = 0xFFFF}), packet), 0);
    EXPECT_EQ(Build(MakeUrb({.function = 0x010B}), packet), 0);  // function is 16 bits
    EXPECT_EQ(BuildSetupPacketForUrb(nullptr, 80, packet.data()), 0);
    EXPECT_EQ(packet, before);
}

TEST(SetupPacket, ShortUrbsGiveNoPacketAndNoReadPastTheirEnd) {
    struct Row {
        uint16_t function;
        size_t longestRefused;  // one byte more and the builder runs
    };
    const Row rows[] = {{11, 77}, {13, 77}, {19, 77}, {27, 77}, {38, 27}, {39, 77}, {8, 79}, {50, 79},
                        {42, 3}, {9, 3}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.function);
        for (size_t size : {size_t(0), size_t(3), r.longestRefused, r.longestRefused + 1}) {
            if (size > r.longestRefused + 1) continue;
            const Packet before = {9, 9, 9, 9, 9, 9, 9, 9};
            Packet packet = before;
            const int built = Build(MakeUrb({.function = r.function, .transferLength = 1}, size), packet);
            EXPECT_EQ(built, size > r.longestRefused ? 1 : 0) << size;
            if (!built) {
                EXPECT_EQ(packet, before) << size;
            }
        }
    }
}

TEST(SetupPacket, TableRowsMatchTheirFunctions) {
    for (uint32_t f = 0; f < kUrbSetupFunctions; ++f) EXPECT_EQ(UrbSetupRequest(f).function, f);
    EXPECT_EQ(UrbSetupRequest(11).request, 6);
    EXPECT_EQ(UrbSetupRequest(39).recipient, 1);
    EXPECT_EQ(UrbSetupRequest(9).size, 72);
}
