#include <gtest/gtest.h>

#include <cstdint>

#include "decode/WindowsNames.h"

using namespace brx;

namespace {

// A GUID as captured: 16 bytes, Data1-Data3 little-endian.
GUID_VALUE Captured(const uint8_t (&bytes)[16]) {
    GUID_VALUE guid{};
    EXPECT_TRUE(ReadGuid(bytes, sizeof bytes, guid));
    return guid;
}

} // namespace

TEST(GuidNames, NamesOfCapturedGuids) {
    // {A5DCBF10-6530-11D2-901F-00C04FB951ED}
    const uint8_t usbDevice[16] = {0x10, 0xBF, 0xDC, 0xA5, 0x30, 0x65, 0xD2, 0x11,
                                   0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED};
    EXPECT_STREQ(GuidName(Captured(usbDevice), NAME_SYMBOLIC), "GUID_DEVINTERFACE_USB_DEVICE");
    EXPECT_STREQ(GuidName(Captured(usbDevice), NAME_FRIENDLY), "USB Device");

    // {B1A96A13-3DE0-4574-9B01-C08FEAB318D6}: named twice, the published name first.
    const uint8_t usbdi[16] = {0x13, 0x6A, 0xA9, 0xB1, 0xE0, 0x3D, 0x74, 0x45,
                               0x9B, 0x01, 0xC0, 0x8F, 0xEA, 0xB3, 0x18, 0xD6};
    EXPECT_STREQ(SymbolicGuidName(Captured(usbdi)), "USB_BUS_INTERFACE_USBDI_GUID");
    EXPECT_STREQ(GuidName(Captured(usbdi), NAME_FRIENDLY), "USB Bus Driver");

    // {4747B320-62CE-11CF-A5D6-28DB04C10000}
    const uint8_t swenum[16] = {0x20, 0xB3, 0x47, 0x47, 0xCE, 0x62, 0xCF, 0x11,
                                0xA5, 0xD6, 0x28, 0xDB, 0x04, 0xC1, 0x00, 0x00};
    EXPECT_STREQ(GuidName(Captured(swenum), NAME_SYMBOLIC), "KSMEDIUMSETID_Standard");
    EXPECT_STREQ(GuidName(Captured(swenum), NAME_FRIENDLY), "Bub Interface Reference");

    // A class GUID has a symbolic name only.
    const GUID_VALUE usbClass = {0x36FC9E60, 0xC465, 0x11CF, {0x80, 0x56, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
    EXPECT_STREQ(GuidName(usbClass, NAME_SYMBOLIC), "GUID_DEVCLASS_USB");
    EXPECT_EQ(GuidName(usbClass, NAME_FRIENDLY), nullptr);

    // One byte off is unknown.
    uint8_t other[16];
    std::copy(std::begin(usbDevice), std::end(usbDevice), other);
    other[15] ^= 1;
    EXPECT_EQ(GuidName(Captured(other), NAME_SYMBOLIC), nullptr);
    EXPECT_EQ(GuidName(GUID_VALUE{}, NAME_FRIENDLY), nullptr);
}

TEST(GuidNames, ShortBytesGiveNoGuid) {
    const uint8_t bytes[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    GUID_VALUE guid{};
    EXPECT_FALSE(ReadGuid(bytes, 15, guid));
    EXPECT_FALSE(ReadGuid(nullptr, 16, guid));
    EXPECT_EQ(guid, GUID_VALUE{});
    EXPECT_TRUE(ReadGuid(bytes, 16, guid));
    EXPECT_EQ(guid.data1, 0x04030201u);
    EXPECT_EQ(guid.data2, 0x0605);
    EXPECT_EQ(guid.data3, 0x0807);
    EXPECT_EQ(guid.data4[7], 16);
}
