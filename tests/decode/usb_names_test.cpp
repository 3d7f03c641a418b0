#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "ExpectName.h"
#include "decode/UsbNames.h"

using namespace brx;

TEST(UsbNames, BcdVersions) {
    struct Row {
        uint16_t bcd;
        const char* text;
    };
    const Row rows[] = {
        {0x0110, "1.10"}, {0x0200, "2.00"}, {0x1234, "12.34"}, {0x0000, "0.00"}, {0x0FFF, "?.??"},
        {0x1000, "10.00"}, {0x9999, "99.99"}, {0xA000, "?0.00"}, {0xFFFF, "??.??"}, {0x01A9, "1.?9"},
        {0x0B10, "?.10"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        char out[8];
        std::memset(out, 'x', sizeof out);
        size_t n = FormatBcdVersion(r.bcd, out, sizeof out);
        EXPECT_STREQ(out, r.text);
        EXPECT_EQ(n, std::strlen(r.text));
    }
}

TEST(UsbNames, BcdVersionNeverWritesPastASmallBuffer) {
    char out[6] = {'x', 'x', 'x', 'x', 'x', 'x'};
    EXPECT_EQ(FormatBcdVersion(0x1234, out, 5), 0u);
    EXPECT_EQ(out[0], 'x');
    EXPECT_EQ(FormatBcdVersion(0x1234, nullptr, 6), 0u);
    EXPECT_EQ(FormatBcdVersion(0x1234, out, 6), 5u);
    EXPECT_STREQ(out, "12.34");
}

TEST(UsbNames, SpecVersions) {
    ExpectName(UsbSpecVersionName(0x100), "USB Spec 1.0");
    ExpectName(UsbSpecVersionName(0x101), "USB Spec 1.1");
    ExpectName(UsbSpecVersionName(0x110), "USB Spec 1.1");
    ExpectName(UsbSpecVersionName(0x10200), "USB Spec 2.0");  // taken as 16 bits
    ExpectName(UsbSpecVersionName(0x300), "USB Spec 3.0");
    ExpectName(UsbSpecVersionName(0x320), nullptr);
}

TEST(UsbNames, ClassesSubclassesProtocols) {
    ExpectName(DeviceClassName(0x00), "Class info in Ifc Descriptors");
    ExpectName(DeviceClassName(0x04), nullptr);
    ExpectName(DeviceClassName(0xFF), "Vendor-Specific");
    ExpectName(InterfaceClassName(0x00), nullptr);
    ExpectName(InterfaceClassName(0x04), "Display");
    ExpectName(InterfaceClassName(0x05), "Physical Interface Device");
    ExpectName(InterfaceClassName(0x12), nullptr);

    struct Sub {
        uint8_t cls, sub;
        const char* text;
    };
    const Sub subs[] = {
        {0x01, 0x01, "Audio Control"}, {0x02, 0x02, "Abstract Control Model"},
        {0x08, 0x06, "SCSI Transparent Command Set"}, {0x08, 0xFF, "Vendor-Specific"}, {0x0E, 0x01, "Video Control"},
        {0xFE, 0x03, "USB Test & Measurement"}, {0xE0, 0x02, "Wireless USB Wire Adapter"},
        {0x02, 0x80, "Vendor-Specific"}, {0x02, 0xFE, "Vendor-Specific"}, {0x02, 0x7F, nullptr},
        {0x02, 0xFF, nullptr}, {0x03, 0x80, nullptr}, {0xFF, 0x01, nullptr}, {0xFF, 0xFF, nullptr},
        {0x01, 0x00, nullptr},
    };
    for (const Sub& s : subs) {
        SCOPED_TRACE(testing::Message() << std::hex << int(s.cls) << "/" << int(s.sub));
        ExpectName(ClassSubclassName(s.cls, s.sub), s.text);
    }

    struct Proto {
        uint8_t cls, sub, proto;
        const char* text;
    };
    const Proto protos[] = {
        {0x02, 0x02, 0x01, "AT Commands: V.250 etc"},  // the row's subclass FFh stands for any
        {0x02, 0xFF, 0x01, "AT Commands: V.250 etc"},
        {0x02, 0x0C, 0x07, "Ethernet Emulation Model"},
        {0x02, 0x02, 0x07, nullptr},
        {0x03, 0x01, 0x01, "Keyboard"},
        {0x03, 0x01, 0x02, "Mouse"},
        {0x03, 0x00, 0x01, nullptr},
        {0x07, 0x01, 0x02, "Bi-directional"},
        {0x08, 0x06, 0x50, "Bulk-Only Transport"},
        {0x08, 0x02, 0x50, "Bulk-Only Transport"},
        {0x09, 0x00, 0x01, "Single TT"},
        {0x09, 0x00, 0x02, "Multiple TTs"},
        {0x09, 0x00, 0x00, nullptr},
        {0x03, 0x01, 0xFF, "Vendor-Specific"},
        {0x00, 0x00, 0xFF, "Vendor-Specific"},
        {0xFF, 0xFF, 0xFF, nullptr},
        {0xFF, 0x01, 0x01, nullptr},
        {0xEF, 0x06, 0x01, "Stream Transport Efficient Protocol"},
        {0xFE, 0x01, 0x02, "DFU Mode"},
        {0xFE, 0x03, 0x01, "TMC USB488"},
    };
    for (const Proto& p : protos) {
        SCOPED_TRACE(testing::Message() << std::hex << int(p.cls) << "/" << int(p.sub) << "/" << int(p.proto));
        ExpectName(ClassProtocolName(p.cls, p.sub, p.proto), p.text);
    }
}

TEST(UsbNames, DescriptorTypes) {
    struct Row {
        uint8_t type;
        const char* text;
    };
    const Row rows[] = {
        {0x00, nullptr}, {0x01, "Device"}, {0x02, "Configuration"}, {0x0B, "Interface Association"},
        {0x0F, "Binary Device Object Store (BOS) "}, {0x11, "Wireless USB Endpoint Companion"},
        {0x12, "Unrecognized Standard"}, {0x1F, "Unrecognized Standard"}, {0x30, "SuperSpeed Endpoint Companion"},
        {0x21, nullptr}, {0x29, nullptr}, {0x41, nullptr}, {0x80, nullptr}, {0xFF, nullptr},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(int(r.type));
        ExpectName(DescriptorTypeName(r.type), r.text);
    }
    EXPECT_EQ(kDescriptorTypeCodeNames.size(), 15u);
    ExpectName(LookupCodeName(0x0B, kDescriptorTypeCodeNames), "USB_INTERFACE_ASSOCIATION_DESCRIPTOR_TYPE");
    ExpectName(LookupCodeName(0x22, kDescriptorTypeCodeNames), "HID_REPORT_DESCRIPTOR_TYPE");
    ExpectName(LookupCodeName(0x29, kDescriptorTypeCodeNames), "HUB");
}

TEST(UsbNames, ClassDescriptors) {
    struct Row {
        uint8_t type, subtype, cls, sub, proto;
        const char* text;
    };
    const Row rows[] = {
        {0x81, 0, 0x01, 1, 0, nullptr},
        {0x04, 0, 0x01, 1, 0, "Interface"},
        {0x41, 0, 0x01, 1, 0, nullptr},
        {0x24, 1, 0x01, 1, 0, "Audio Control Interface Header"},
        {0x24, 8, 0x01, 1, 0, "Audio Control Extension Unit"},
        {0x24, 9, 0x01, 1, 0, "Unrecognized Audio Class-Specific"},
        {0x24, 0, 0x01, 1, 0, "Unrecognized Audio Class-Specific"},
        {0x24, 3, 0x01, 2, 0, "Audio Streaming Format-Specific"},
        {0x25, 1, 0x01, 2, 0, "Audio Streaming Isochronous Audio Data Endpoint"},
        {0x24, 4, 0x01, 3, 0, "MIDI Element"},
        {0x24, 0, 0x02, 2, 1, "Header"},
        {0x24, 6, 0x0A, 0, 0, "Union"},
        {0x24, 25, 0x02, 2, 1, "OBEX Service Identifier"},
        {0x24, 26, 0x02, 2, 1, "Unrecognized CDC Class-Specific"},
        {0x25, 1, 0x02, 2, 1, nullptr},
        {0x21, 0, 0x03, 0, 0, "HID"},
        {0x22, 0, 0x03, 0, 0, "Report"},
        {0x23, 0, 0x03, 0, 0, "Physical"},
        {0x24, 0, 0x03, 0, 0, "Unrecognized HID Class-Specific"},
        {0x29, 0, 0x09, 0, 0, "Hub"},
        {0x2A, 0, 0x09, 0, 0, "Unrecognized Hub Class-Specific"},
        {0x21, 0, 0x0B, 0, 0, "Smart Card"},
        {0x23, 0, 0x0D, 0, 0, "Content Security Method"},
        {0x24, 0, 0x0D, 0, 0, "Content Security Method Variant"},
        {0x25, 0, 0x0D, 0, 0, "Unrecognized Content Security Class-Specific"},
        {0x24, 6, 0x0E, 1, 0, "Video Control Extension Unit"},
        {0x24, 7, 0x0E, 1, 0, "Unrecognized Video Class-Specific"},
        {0x25, 3, 0x0E, 1, 0, "Video Control Interrupt Endpoint"},
        {0x24, 18, 0x0E, 2, 0, "Video Streaming Stream Based Format"},
        {0x24, 19, 0x0E, 2, 0, "Unrecognized Video Class-Specific"},
        {0x21, 0, 0xE0, 1, 1, "Wire Adapter"},
        {0x24, 0, 0xE0, 1, 1, "Unrecognized Wireless USB Class-Specific"},
        {0x21, 0, 0xFE, 1, 1, "Device Firmware Upgrade (DFU) Functional"},
        {0x21, 0, 0xFE, 3, 1, "USB TMC USB488 Interface"},
        {0x21, 0, 0xFE, 3, 2, "Unrecognized Application Specific Class"},
        {0x24, 0, 0xFE, 1, 1, "Unrecognized Application Specific Class"},
        {0x21, 0, 0x08, 6, 0x50, nullptr},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << std::hex << int(r.type) << " " << int(r.subtype) << " " << int(r.cls));
        ExpectName(ClassDescriptorName(r.type, r.subtype, r.cls, r.sub, r.proto), r.text);
    }
}

TEST(UsbNames, LanguagesAndCountries) {
    ExpectName(LangIdName(0x0407), "German (Germany)");
    ExpectName(LangIdName(0x0409), "English (United States)");
    ExpectName(LangIdName(0x040C), "French (France)");
    ExpectName(LangIdName(0x0411), "Japanese (Japan)");
    ExpectName(LangIdName(0x0804), "Chinese (PRC)");
    ExpectName(LangIdName(0x0809), "English (United Kingdom)");
    ExpectName(LangIdName(0xFCFF), "HID (Vendor Defined 4)");
    ExpectName(LangIdName(0x0000), nullptr);
    ExpectName(LangIdName(0x040E), nullptr);
    ExpectName(CountryName(0), nullptr);
    ExpectName(CountryName(36), "Australia");
    ExpectName(CountryName(158), "Taiwan, Province of China");
    ExpectName(CountryName(840), "United States");
    ExpectName(CountryName(841), nullptr);
}

TEST(UsbNames, HubDeviceAndLinkTexts) {
    ExpectName(LookupIndexedName(0, kHubStatusNames), "Local power supply lost");
    ExpectName(LookupIndexedName(1, kHubStatusChangeNames), "Over-current status has changed");
    ExpectName(LookupIndexedName(2, kHubStatusNames), nullptr);
    ExpectName(HubPowerSwitchingText(0x0000), "Ganged power switching");
    ExpectName(HubPowerSwitchingText(0x0001), "Individual port power switching");
    ExpectName(HubPowerSwitchingText(0x0003), "No power switching");
    ExpectName(HubCompoundDeviceText(0x0004), "Part of a compound device");
    ExpectName(HubOverCurrentText(0x0008), "Individual port over-current protection");
    ExpectName(HubOverCurrentText(0x0018), "No over-current protection");
    ExpectName(HubThinkTimeText(0x0060), "TT requires at most 32 FS bit times");
    ExpectName(HubPortIndicatorText(0x0080), "Port Indicators are supported");
    ExpectName(HubPortIndicatorText(0x007F), "Port Indicators are not supported");

    ExpectName(DeviceSpeedName(2, NAME_SYMBOLIC), "UsbHighSpeed");
    ExpectName(DeviceSpeedName(3, NAME_FRIENDLY), "Super (5 Gbit/s)");
    ExpectName(DeviceSpeedName(4, NAME_FRIENDLY), nullptr);
    ExpectName(LowSpeedName(0), "Not Low Speed");
    ExpectName(LowSpeedName(1), "Low Speed");
    ExpectName(LowSpeedName(2), "Invalid value");
    ExpectName(ConnectionStatusName(10, NAME_SYMBOLIC), "DeviceReset");
    ExpectName(ConnectionStatusName(10, NAME_FRIENDLY), "Device connected to the port is currently being reset");
    ExpectName(ConnectionStatusName(11, NAME_SYMBOLIC), nullptr);
    ExpectName(BusNotificationTypeName(1, NAME_SYMBOLIC), "InsufficentBandwidth");
    ExpectName(BusNotificationTypeName(11, NAME_FRIENDLY), "Modern Device In Legacy Hub");
    ExpectName(NodeTypeName(1, NAME_FRIENDLY), "Multiple interfaces composite device");
    ExpectName(UsbIoPriorityName(0, NAME_SYMBOLIC), "UsbIoPriorty_Normal");
    ExpectName(UsbIoPriorityName(2, NAME_FRIENDLY), "Very High");
    ExpectName(PipeTypeName(3, NAME_SYMBOLIC), "UsbdPipeTypeInterrupt");
    ExpectName(PipeTypeName(1, NAME_FRIENDLY), "Isochronous");
    ExpectName(LinkStateName(0), "Link is in the U0 State");
    ExpectName(LinkStateName(8), "Link is in the RecoveryState");
    ExpectName(LinkStateName(11), "Link is in the Loopback State");
    ExpectName(LinkStateName(12), nullptr);
    ExpectName(TestModeName(0, NAME_SYMBOLIC), nullptr);
    ExpectName(TestModeName(1, NAME_SYMBOLIC), "Test_J");
    ExpectName(TestModeName(1, NAME_FRIENDLY), "Test J");
    ExpectName(TestModeName(5, NAME_SYMBOLIC), "Test_Force_Enable");
    ExpectName(TestModeName(6, NAME_SYMBOLIC), nullptr);
    ExpectName(SuperSpeedLinkSpeedText(0), "Negotiated speed is 5 Gbps");
    ExpectName(SuperSpeedLinkSpeedText(1), nullptr);
}
