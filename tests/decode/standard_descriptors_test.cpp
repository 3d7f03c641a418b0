#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "decode/BosDescriptors.h"
#include "decode/HtmlWriters.h"
#include "decode/PageWriter.h"
#include "decode/StandardDescriptors.h"
#include "tests/decode/DeviceFixtures.h"
#include "tests/decode/PageRows.h"
#include "tests/decode/PageTest.h"

using namespace brx;
using namespace brx::testing;

namespace {

using Bytes = std::vector<uint8_t>;

uint32_t FixtureString(uint8_t index, char16_t* buffer, uint32_t size, void* userData) {
    const auto* f = static_cast<const DeviceFixture*>(userData);
    for (const auto& [i, d] : f->strings) {
        if (i != index || index == 0 || d.size() < 2) continue;
        uint32_t n = 0;
        for (size_t k = 2; k + 1 < d.size() && k + 1 < d[0] && n < size; k += 2) buffer[n++] = static_cast<char16_t>(d[k] | (d[k + 1] << 8));
        return n;
    }
    return 0;
}

// A device's descriptors as one page, the way the USB properties report
// shows them: device (with its configuration known), configuration set,
// qualifier, other-speed set, BOS set, hub descriptor, strings.
std::string DevicePage(const DeviceFixture& f, bool everyRow = true) {
    PageBuffer page;
    const std::string_view sheets[] = {DESCRIPTOR_STYLE_SHEET};
    BeginPage(page, f.name, sheets);
    DECODE_CONTEXT ctx;
    ctx.page = &page;
    ctx.expand = ctx.detail = ctx.offsetColumn = ctx.sizeColumn = everyRow;
    ctx.deviceSpeed = f.speed;
    ctx.descriptor.bcdUSB = static_cast<uint16_t>(f.device[2] | (f.device[3] << 8));
    ctx.descriptor.bDeviceClass = f.device[4];
    ctx.stringCallback = FixtureString;
    ctx.userData = const_cast<DeviceFixture*>(&f);
    auto run = [&](const Bytes& bytes, const std::function<bool(DECODE_CONTEXT&)>& decode) {
        if (bytes.empty()) return;
        ctx.bytes = bytes;
        ctx.anchorBase = bytes;
        ++ctx.anchorSet;
        EXPECT_TRUE(decode(ctx)) << f.name;
    };
    ctx.descriptor.configuration = f.configuration;
    run(f.device, DecodeDescriptor);
    run(f.configuration, DecodeConfigurationDescriptorSet);
    run(f.qualifier, DecodeDescriptor);
    run(f.otherSpeed, DecodeConfigurationDescriptorSet);
    run(f.bos, DecodeBosDescriptorSet);
    if (!f.hub.empty()) {
        // Reached as the class-specific descriptor of the hub interface.
        ctx.descriptor.configuration = f.configuration;
        ctx.descriptor.interfaceDescriptor = FindInterfaceDescriptor(f.configuration, 0, 0);
        run(f.hub, DecodeDescriptor);
        ctx.descriptor.interfaceDescriptor = {};
    }
    for (const auto& [index, bytes] : f.strings)
        run(bytes, [index = index](DECODE_CONTEXT& c) { return DecodeStringDescriptor(c, index); });
    EXPECT_EQ(ctx.divisionDepth, 0) << f.name;
    ClosePage(page);
    return std::string(page.view());
}

TEST(DescriptorPages, DevicesMatchTheirGoldenPages) {
    for (const DeviceFixture& f : AllDeviceFixtures()) {
        SCOPED_TRACE(f.name);
        const std::string page = DevicePage(f);
        EXPECT_EQ(CheckNesting(page), "");
        EXPECT_EQ(page.find("Output truncated"), std::string::npos);
        CheckGoldenPage("descriptors_" + f.name, page);
    }
}

TEST(DescriptorPages, WithoutDetailRowsBitRowsAndColumns) {
    const std::string page = DevicePage(QemuStorageUsb3(), false);
    EXPECT_EQ(CheckNesting(page), "");
    const auto rows = ParseRows(page);
    for (const PageRow& r : rows) {
        EXPECT_FALSE(r.bits) << r.name;
        EXPECT_NE(r.name, "bLength");
        EXPECT_NE(r.name, "bDescriptorType");
    }
    EXPECT_EQ(page.find("class=\"udofs\""), std::string::npos);
    EXPECT_EQ(page.find("class=\"udsiz\""), std::string::npos);
    EXPECT_EQ(RowsNamed(rows, "bMaxBurst").size(), 2u);
    CheckGoldenPage("descriptors_qemu_storage_usb3_brief", page);
}

TEST(DescriptorPages, WhatTheRealDevicesSay) {
    const auto storage = ParseRows(DevicePage(QemuStorageUsb3()));
    // SuperSpeed: bMaxPacketSize0 9 is 512 bytes; companions under bulk endpoints.
    EXPECT_EQ(RowsNamed(storage, "bMaxPacketSize0").at(0).description, "512 bytes");
    EXPECT_EQ(RowsNamed(storage, "bMaxBurst").size(), 2u);
    EXPECT_EQ(RowsNamed(storage, "bMaxBurst").at(0).description, "Up to 16 packets at a time");
    EXPECT_EQ(RowsNamed(storage, "4..0: MaxStreams").size(), 2u);
    EXPECT_EQ(RowsNamed(storage, "wU2DevExitLat").at(0).description, "Less than 32 \xB5s");
    EXPECT_EQ(RowsNamed(storage, "bFunctionalitySupport").at(0).description, "Full-Speed and above");
    EXPECT_EQ(RowsNamed(storage, "1: Link Power Management").at(0).description, "Yes");

    const auto hub = ParseRows(DevicePage(LinuxXhciSuperSpeedRootHub()));
    EXPECT_EQ(RowsNamed(hub, "bHubHdrDecLat").at(0).description, "Much less than 0.1 \xB5s");
    EXPECT_EQ(RowsNamed(hub, "bPwrOn2PwrGood").at(0).description, "20 ms");
    EXPECT_EQ(RowsNamed(hub, "1..0: Power Switching").at(0).description, "Individual port");
    EXPECT_EQ(RowsNamed(hub, "4..3: Over-current Protection").at(0).description, "Individual port");
    // Ports 1-4 of the SuperSpeed hub, from the DeviceRemovable word.
    EXPECT_EQ(RowsNamed(hub, "4: Port 4").size(), 1u);
    EXPECT_TRUE(RowsNamed(hub, "5: Port 5").empty());
    // The interrupt endpoint's companion: its transfer type is known.
    EXPECT_EQ(RowsNamed(hub, "bMaxBurst").at(0).description, "One packet at a time");

    // QEMU's 8-port hub gives PortPwrCtrlMask one byte: shorter than the USB
    // 2.0 layout, so the descriptor is shown as held, not decoded.
    const std::string qemuHub = DevicePage(QemuHub());
    EXPECT_NE(qemuHub.find("Hub Descriptor"), std::string::npos);
    EXPECT_TRUE(RowsNamed(ParseRows(qemuHub), "bNbrPorts").empty());

    // The composite device: EFh/02h/01h with an IAD, no error; the IAD groups
    // both interfaces one division deeper.
    const std::string acmPage = DevicePage(QemuAcmComposite());
    const auto acm = ParseRows(acmPage);
    for (const char* field : {"bDeviceClass", "bDeviceSubClass", "bDeviceProtocol"})
        EXPECT_FALSE(RowsNamed(acm, field).at(0).error) << field;
    EXPECT_NE(acmPage.find("Interface Association Descriptor"), std::string::npos);
    EXPECT_EQ(RowsNamed(acm, "bInterfaceCount").at(0).description, "");
}

// --- Rules of the standard descriptors -------------------------------------

struct Case {
    const char* name;
    Bytes bytes;
    std::function<void(DECODE_CONTEXT&)> setup; // context tweaks (may be null)
    const char* field;
    const char* description; // expected description of the field's first row
    bool error;
};

std::vector<PageRow> Decode(const Bytes& bytes, const std::function<void(DECODE_CONTEXT&)>& setup,
                            bool (*decode)(DECODE_CONTEXT&) = DecodeDescriptor) {
    PageFixture f;
    f.ctx.bytes = bytes;
    if (setup) setup(f.ctx);
    decode(f.ctx);
    EXPECT_EQ(CheckNesting(f.page.view()), "");
    return ParseRows(f.page.view());
}

const Bytes kDevice = {0x12, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x40, 0x6D, 0x04,
                       0x77, 0xC0, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01};
Bytes With(Bytes b, size_t at, std::initializer_list<uint8_t> values) {
    for (uint8_t v : values) b.at(at++) = v;
    return b;
}

// One interface of bInterfaceNumber `number`, alternate `alternate` in a
// configuration of `interfaces` interfaces (preceded by interface 0/0 when first is false).
Bytes Configuration(uint8_t interfaces, std::initializer_list<std::pair<uint8_t, uint8_t>> settings) {
    Bytes c = {0x09, 0x02, 0, 0, interfaces, 0x01, 0x00, 0x80, 0x32};
    for (const auto& [number, alternate] : settings) {
        const Bytes itf = {0x09, 0x04, number, alternate, 0x00, 0xFF, 0x00, 0x00, 0x00};
        c.insert(c.end(), itf.begin(), itf.end());
    }
    c[2] = static_cast<uint8_t>(c.size());
    return c;
}

TEST(StandardDescriptors, FieldRules) {
    auto speed = [](int32_t s) { return [s](DECODE_CONTEXT& c) { c.deviceSpeed = s; }; };
    const Bytes iadSet = {0x09, 0x02, 0x19, 0x00, 0x02, 0x01, 0x00, 0x80, 0x32, 0x08, 0x0B, 0x00, 0x02, 0x02, 0x02, 0x01, 0x00,
                          0x08, 0x0B, 0x00, 0x02, 0x02, 0x02, 0x01, 0x00};
    const Bytes plainSet = Configuration(1, {{0, 0}});
    const Bytes& iadSetHeld = iadSet;
    const Bytes& plainSetHeld = plainSet;
    const std::vector<Case> cases = {
        {"bcdUSB 0101h", With(kDevice, 2, {0x01, 0x01}), nullptr, "bcdUSB", "Fails WHQL testing. Should be 0110h", true},
        {"bcdUSB 0120h", With(kDevice, 2, {0x20, 0x01}), nullptr, "bcdUSB", "Invalid revision", true},
        {"bcdUSB 0210h", With(kDevice, 2, {0x10, 0x02}), nullptr, "bcdUSB", "USB Spec 2.1", false},
        {"mps 9 at full speed", With(kDevice, 7, {9}), speed(1), "bMaxPacketSize0", "9 bytes", false},
        {"mps 9 at SuperSpeed", With(kDevice, 7, {9}), speed(3), "bMaxPacketSize0", "512 bytes", false},
        {"mps 8 at high speed", With(kDevice, 7, {8}), speed(2), "bMaxPacketSize0",
         "Should be 64 bytes for high-speed devices", true},
        {"mps 64 at low speed", kDevice, speed(0), "bMaxPacketSize0", "Should be 8 bytes for low-speed devices", true},
        {"mps 7 unknown speed", With(kDevice, 7, {7}), nullptr, "bMaxPacketSize0", "Should be 8, 16, 32, or 64 bytes", true},
        {"no configurations", With(kDevice, 17, {0}), nullptr, "bNumConfigurations", "Should be greater than zero", true},
        {"subclass without class", With(kDevice, 5, {1}), nullptr, "bDeviceSubClass",
         "Should be zero if bDeviceClass is zero", true},
        {"IAD needs EFh", kDevice, [&](DECODE_CONTEXT& c) { c.descriptor.configuration = iadSetHeld; }, "bDeviceClass",
         "IAD is used. Should be EFh (Miscellaneous Device Class).", true},
        {"IAD needs protocol 01h", With(kDevice, 4, {0xEF, 0x02, 0x00}),
         [&](DECODE_CONTEXT& c) { c.descriptor.configuration = iadSetHeld; }, "bDeviceProtocol",
         "IAD is used. Should be 01h (Interface Association Descriptor).", true},
        {"no IAD, class 00h accepted", kDevice, [&](DECODE_CONTEXT& c) { c.descriptor.configuration = plainSetHeld; },
         "bDeviceClass", "Class info in Ifc Descriptors", false},
        {"qualifier below 2.0", {0x0A, 0x06, 0x10, 0x01, 0x00, 0x00, 0x00, 0x40, 0x01, 0x00}, nullptr, "bcdUSB",
         "Must be at least 0200h (2.0)", true},
        {"qualifier reserved", {0x0A, 0x06, 0x00, 0x02, 0x00, 0x00, 0x00, 0x40, 0x01, 0x01}, nullptr, "bReserved",
         "Reserved, should be zero", true},
        {"endpoint bLength 8", {0x08, 0x05, 0x81, 0x02, 0x40, 0x00, 0x00, 0x00}, nullptr, "bLength",
         "Incorrect, should be 07h", true},
        {"endpoint bLength 10", {0x0A, 0x05, 0x81, 0x02, 0x40, 0x00, 0x00, 0x00, 0x00, 0x00}, nullptr, "bLength",
         "Incorrect, should be 09h", true},
        {"iso at full speed", {0x07, 0x05, 0x81, 0x05, 0xC0, 0x00, 0x04}, speed(1), "bInterval", "8 ms", false},
        {"iso attributes", {0x07, 0x05, 0x81, 0x05, 0xC0, 0x00, 0x04}, speed(1), "bmAttributes",
         "Isochronous, Asynchronous, Data", false},
        {"interrupt at high speed", {0x07, 0x05, 0x81, 0x03, 0x40, 0x08, 0x04}, speed(2), "wMaxPacketSize",
         "64 bytes, 1 additional transaction (2 per microframe)", false},
        {"interrupt interval at high speed", {0x07, 0x05, 0x81, 0x03, 0x40, 0x00, 0x04}, speed(2), "bInterval",
         "1 ms", false},
        {"config bus power missing", {0x09, 0x02, 0x09, 0x00, 0x01, 0x01, 0x00, 0x80, 0x00}, nullptr, "bMaxPower",
         "Bus-powered device should indicate the amount of bus power required", true},
        {"config power too high", {0x09, 0x02, 0x09, 0x00, 0x01, 0x01, 0x00, 0x80, 0xFB}, nullptr, "bMaxPower",
         "Should be less than or equal to FAh (500 mA)", true},
        {"SuperSpeed config power", {0x09, 0x02, 0x09, 0x00, 0x01, 0x01, 0x00, 0x80, 0x70}, speed(3), "bMaxPower",
         "896 mA", false},
        {"config without interfaces", {0x09, 0x02, 0x09, 0x00, 0x00, 0x01, 0x00, 0x80, 0x32}, nullptr, "bNumInterfaces",
         "Should be greater than zero", true},
        {"string as LANGIDs", {0x04, 0x03, 0x09, 0x04}, nullptr, "wLANGID[0]", "English (United States)", false},
        {"USB 2.0 extension of 8 bytes", {0x08, 0x10, 0x02, 0x02, 0x00, 0x00, 0x00, 0x00}, nullptr, "bLength", "", false},
        {"U2 exit latency reserved", {0x0A, 0x10, 0x03, 0x00, 0x0E, 0x00, 0x01, 0x0A, 0x01, 0x08}, nullptr,
         "wU2DevExitLat", "The value is in the reserved range", true},
        {"LPM missing", {0x07, 0x10, 0x02, 0x00, 0x00, 0x00, 0x00}, nullptr, "1: Link Power Management",
         "Should be set to one", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto rows = Decode(c.bytes, c.setup, [](DECODE_CONTEXT& ctx) {
            return ctx.bytes.size() > 1 && ctx.bytes[1] == 0x10 ? DecodeDeviceCapabilityDescriptor(ctx)
                                                                : DecodeDescriptor(ctx);
        });
        const auto named = RowsNamed(rows, c.field);
        ASSERT_FALSE(named.empty()) << c.field;
        EXPECT_EQ(named[0].description, c.description);
        EXPECT_EQ(named[0].error, c.error);
    }
}

TEST(StandardDescriptors, UnrecognizedCapabilityShowsItsBytes) {
    const auto rows = Decode({0x08, 0x10, 0x02, 0x02, 0x00, 0x00, 0x00, 0x00}, nullptr, DecodeDeviceCapabilityDescriptor);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.back().value, "02 00 00 00 00"); // the 5 bytes after bDevCapabilityType
}

TEST(StandardDescriptors, InterfaceNumberingRules) {
    struct NumberCase {
        const char* name;
        Bytes set;
        size_t interfaceAt;
        const char* field;
        const char* description;
    };
    const std::vector<NumberCase> cases = {
        {"first interface 1 of 1", Configuration(1, {{1, 0}}), 9, "bInterfaceNumber",
         "Should be smaller than the total number of interfaces for the configuration"},
        {"alternate 1 after 0", Configuration(1, {{0, 0}, {0, 1}}), 18, "bAlternateSetting", ""},
        {"alternate 3 after 1", Configuration(1, {{0, 0}, {0, 1}, {0, 3}}), 27, "bAlternateSetting",
         "Should be one greater than the alternate setting number of the previous interface descriptor"},
        {"number jumps", Configuration(3, {{0, 0}, {2, 0}}), 18, "bInterfaceNumber",
         "Should be one greater than the interface number of the previous interface descriptor"},
        {"new interface with alternate 1", Configuration(2, {{0, 0}, {1, 1}}), 18, "bAlternateSetting", "Should be zero"},
        {"first interface alternate 1", Configuration(1, {{0, 1}}), 9, "bAlternateSetting",
         "Should be zero for the first interface descriptor in the configuration"},
    };
    for (const NumberCase& c : cases) {
        SCOPED_TRACE(c.name);
        // Decoded inside its set (the set is the current configuration).
        PageFixture f;
        f.ctx.descriptor.configuration = c.set;
        f.ctx.bytes = std::span<const uint8_t>(c.set).subspan(c.interfaceAt, 9);
        ASSERT_TRUE(DecodeInterfaceDescriptor(f.ctx));
        const auto named = RowsNamed(ParseRows(f.page.view()), c.field);
        ASSERT_EQ(named.size(), 1u);
        EXPECT_EQ(named[0].description, c.description);
        EXPECT_EQ(named[0].error, c.description[0] != '\0');
    }
}

TEST(StandardDescriptors, EndpointCountIsCheckedAgainstTheSet) {
    Bytes set = Configuration(1, {{0, 0}});
    set[9 + 4] = 2; // bNumEndpoints 2, one endpoint follows
    const Bytes ep = {0x07, 0x05, 0x81, 0x03, 0x08, 0x00, 0x0A};
    set.insert(set.end(), ep.begin(), ep.end());
    set[2] = static_cast<uint8_t>(set.size());
    PageFixture f;
    f.ctx.bytes = set;
    ASSERT_TRUE(DecodeConfigurationDescriptorSet(f.ctx));
    const auto rows = RowsNamed(ParseRows(f.page.view()), "bNumEndpoints");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].description, "Should match the actual number of endpoint descriptors");
}

TEST(StandardDescriptors, CompanionWithoutEndpointGetsNoBitRows) {
    const Bytes companion = {0x06, 0x30, 0x02, 0x05, 0x10, 0x00};
    PageFixture alone;
    alone.ctx.bytes = companion;
    ASSERT_TRUE(DecodeSsEndpointCompanionDescriptor(alone.ctx));
    const auto rows = ParseRows(alone.page.view());
    for (const PageRow& r : rows) EXPECT_FALSE(r.bits) << r.name;
    EXPECT_FALSE(RowsNamed(rows, "wBytesPerInterval").at(0).error);

    // After a bulk endpoint in a set: streams and the byte count checked.
    Bytes set = {0x09, 0x02, 0x00, 0x00, 0x01, 0x01, 0x00, 0xC0, 0x00, 0x09, 0x04, 0x00, 0x00, 0x01, 0x08, 0x06, 0x50, 0x00,
                 0x07, 0x05, 0x81, 0x02, 0x00, 0x04, 0x00};
    set.insert(set.end(), companion.begin(), companion.end());
    set[2] = static_cast<uint8_t>(set.size());
    PageFixture inSet;
    inSet.ctx.bytes = set;
    ASSERT_TRUE(DecodeConfigurationDescriptorSet(inSet.ctx));
    const auto setRows = ParseRows(inSet.page.view());
    EXPECT_EQ(RowsNamed(setRows, "4..0: MaxStreams").at(0).description, "32 streams supported");
    EXPECT_EQ(RowsNamed(setRows, "wBytesPerInterval").at(0).description, "Must be zero for Control and Bulk endpoints");
}

TEST(StandardDescriptors, ShortConfigurationSetShowsTheConfigurationOnly) {
    PageFixture f;
    const Bytes set = {0x09, 0x02, 0x09, 0x00, 0x01, 0x01, 0x00, 0x80, 0x32, 0x09, 0x04, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00};
    f.ctx.bytes = set;
    ASSERT_TRUE(DecodeConfigurationDescriptorSet(f.ctx));
    EXPECT_EQ(Count(f.page.view(), "<table"), 1u);
}

TEST(StandardDescriptors, WalksStopAtTheBytesHeldAndSaySo) {
    // wTotalLength 34, but the data stage holds 25 bytes: the endpoint is cut.
    const Bytes held = {0x09, 0x02, 0x22, 0x00, 0x01, 0x01, 0x00, 0xA0, 0x32, 0x09, 0x04, 0x00, 0x00, 0x01, 0x03,
                        0x01, 0x02, 0x00, 0x09, 0x21, 0x11, 0x01, 0x00, 0x01, 0x22};
    auto block = std::make_unique<uint8_t[]>(held.size()); // exact size under ASan
    std::memcpy(block.get(), held.data(), held.size());
    PageFixture f;
    f.ctx.bytes = std::span<const uint8_t>(block.get(), held.size());
    ASSERT_TRUE(DecodeConfigurationDescriptorSet(f.ctx));
    const auto rows = ParseRows(f.page.view());
    const auto cut = RowsNamed(rows, "Cut short");
    ASSERT_EQ(cut.size(), 1u);
    EXPECT_EQ(cut[0].description, "7 of its 9 bytes held");
    EXPECT_EQ(cut[0].value, "09 21 11 01 00 01 22");
    EXPECT_EQ(CheckNesting(f.page.view()), "");

    // A zero bLength stops the walk, and the page says so.
    Bytes zero = Configuration(1, {{0, 0}});
    zero.insert(zero.end(), {0x00, 0x05, 0x81});
    zero[2] = static_cast<uint8_t>(zero.size());
    PageFixture z;
    z.ctx.bytes = zero;
    ASSERT_TRUE(DecodeConfigurationDescriptorSet(z.ctx));
    const auto stop = RowsNamed(ParseRows(z.page.view()), "Malformed descriptor");
    ASSERT_EQ(stop.size(), 1u);
    EXPECT_EQ(stop[0].description, "bLength 0 is below 2: the walk stops here");
}

TEST(StandardDescriptors, ClassDescriptorsWithoutDecoderShowAsUnrecognized) {
    // A HID descriptor in a HID interface: no HID decoder in the standard
    // table, so its bytes are shown, named by the class.
    const Bytes set = {0x09, 0x02, 0x1B, 0x00, 0x01, 0x01, 0x00, 0xA0, 0x32, 0x09, 0x04, 0x00, 0x00, 0x00, 0x03,
                       0x01, 0x02, 0x00, 0x09, 0x21, 0x11, 0x01, 0x00, 0x01, 0x22, 0x2E, 0x00};
    PageFixture f;
    f.ctx.bytes = set;
    ASSERT_TRUE(DecodeConfigurationDescriptorSet(f.ctx));
    const std::string page(f.page.view());
    EXPECT_NE(page.find("HID Descriptor"), std::string::npos);
    EXPECT_NE(page.find("11&nbsp;01&nbsp;00&nbsp;01&nbsp;22&nbsp;2E&nbsp;00"), std::string::npos);
}

TEST(HubDescriptors, PortBitmapsAndChecks) {
    struct HubCase {
        const char* name;
        Bytes bytes;
        uint16_t version;
        const char* field;
        const char* description;
        bool error;
    };
    const std::vector<HubCase> cases = {
        {"7 ports: one byte each", {0x09, 0x29, 0x07, 0x00, 0x00, 0x32, 0x64, 0x00, 0xFF}, 0x0200, "PortPwrCtrlMask", "", false},
        {"mask 00h", {0x09, 0x29, 0x07, 0x00, 0x00, 0x32, 0x64, 0x00, 0x00}, 0x0200, "PortPwrCtrlMask",
         "All bits should be set to one", true},
        {"mask 00h on a 1.0 hub", {0x09, 0x29, 0x07, 0x00, 0x00, 0x32, 0x64, 0x00, 0x00}, 0x0100, "PortPwrCtrlMask", "",
         false},
        {"9 ports", {0x0B, 0x29, 0x09, 0x00, 0x00, 0x32, 0x64, 0x00, 0x00, 0xFF, 0xFF}, 0x0200, "bNbrPorts", "", false},
        {"12 ports", {0x0B, 0x29, 0x0C, 0x00, 0x00, 0x32, 0x64, 0x00, 0x00, 0xFF, 0xFF}, 0x0200, "bNbrPorts", "12 Ports",
         false},
        {"removable reserved bit", {0x09, 0x29, 0x04, 0x00, 0x00, 0x32, 0x64, 0x01, 0xFF}, 0x0200, "0: Reserved",
         "Reserved, should be zero", true},
        {"think time", {0x09, 0x29, 0x04, 0x40, 0x00, 0x32, 0x64, 0x00, 0xFF}, 0x0200, "6..5: TT Think Time",
         "At most 24 FS bit times", false},
        {"power on", {0x09, 0x29, 0x04, 0x00, 0x00, 0x32, 0x64, 0x00, 0xFF}, 0x0200, "bPwrOn2PwrGood", "100 ms", false},
        {"SS latency reserved", {0x0C, 0x2A, 0x04, 0x00, 0x00, 0x0A, 0x00, 0x0B, 0x00, 0x00, 0x00, 0x00}, 0x0300,
         "bHubHdrDecLat", "The value is in the reserved range", true},
        {"SS latency", {0x0C, 0x2A, 0x04, 0x00, 0x00, 0x0A, 0x00, 0x07, 0x00, 0x00, 0x00, 0x00}, 0x0300, "bHubHdrDecLat",
         "0.7 \xB5s", false},
        {"SS current", {0x0C, 0x2A, 0x04, 0x00, 0x00, 0x0A, 0x19, 0x00, 0x00, 0x00, 0x00, 0x00}, 0x0300,
         "bHubContrCurrent", "100 mA", false},
    };
    for (const HubCase& c : cases) {
        SCOPED_TRACE(c.name);
        PageFixture f;
        f.ctx.bytes = c.bytes;
        f.ctx.fallbackVersion = static_cast<int16_t>(c.version);
        ASSERT_TRUE(DecodeHubDescriptor(f.ctx));
        const auto named = RowsNamed(ParseRows(f.page.view()), c.field);
        ASSERT_FALSE(named.empty());
        EXPECT_EQ(named[0].description, c.description);
        EXPECT_EQ(named[0].error, c.error);
    }
    // 8 ports need two bytes each: a descriptor of 10 bytes is too short.
    PageFixture shortHub;
    const Bytes eight = {0x0A, 0x29, 0x08, 0x00, 0x00, 0x32, 0x64, 0x00, 0x00, 0xFF};
    shortHub.ctx.bytes = eight;
    EXPECT_FALSE(DecodeHubDescriptor(shortHub.ctx));
    const Bytes eightWhole = {0x0B, 0x29, 0x08, 0x00, 0x00, 0x32, 0x64, 0x00, 0x00, 0xFF, 0xFF};
    shortHub.ctx.bytes = eightWhole;
    EXPECT_TRUE(DecodeHubDescriptor(shortHub.ctx));
    const auto rows = ParseRows(shortHub.page.view());
    EXPECT_EQ(RowsNamed(rows, "DeviceRemovable").at(0).value, "00 00");
    EXPECT_EQ(RowsNamed(rows, "8: Port 8").size(), 1u);
}

// --- Truncation: every descriptor cut at every length, in an exact block -----

TEST(DescriptorTruncation, EveryCutOfEveryFixtureStaysInItsBytes) {
    for (const DeviceFixture& f : AllDeviceFixtures()) {
        for (const Bytes* whole : {&f.device, &f.configuration, &f.qualifier, &f.otherSpeed, &f.bos, &f.hub}) {
            for (size_t n = 0; n <= whole->size(); ++n) {
                SCOPED_TRACE(f.name + " cut at " + std::to_string(n));
                auto block = std::make_unique<uint8_t[]>(n == 0 ? 1 : n);
                if (n) std::memcpy(block.get(), whole->data(), n);
                const std::span<const uint8_t> bytes(block.get(), n);
                for (auto decode : {DecodeDescriptor, DecodeConfigurationDescriptorSet, DecodeBosDescriptorSet,
                                    DecodeHubDescriptor}) {
                    PageFixture p(0x40000);
                    p.ctx.bytes = bytes;
                    p.ctx.descriptor.configuration = bytes;
                    p.ctx.deviceSpeed = f.speed;
                    decode(p.ctx);
                    EXPECT_EQ(p.ctx.divisionDepth, 0);
                    EXPECT_EQ(CheckNesting(p.page.view()), "");
                }
            }
        }
    }
}

} // namespace
