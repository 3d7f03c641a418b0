// The Data Analysis trees of device-control and Plug and Play buffers: golden
// dumps of each structure, and the conditions of their comments and loops.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decode/DataAnalysisTrees.h"
#include "sim/RecordBuilder.h"
#include "tests/decode/Golden.h"
#include "tests/decode/RecordingTreeSink.h"

namespace brx {
namespace {

using testing::CheckGolden;
using testing::RecordingTreeSink;

using Renderer = void (*)(ITreeSink&, const uint8_t*, size_t);

std::string Dump(Renderer render, const Bytes& bytes, size_t length = SIZE_MAX) {
    const size_t n = std::min(length, bytes.size());
    std::vector<uint8_t> exact(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
    RecordingTreeSink tree;
    render(tree, exact.empty() ? nullptr : exact.data(), n);
    return tree.Dump();
}

void PutName(Bytes& b, size_t at, const char16_t* name) {
    for (size_t i = 0; name[i]; ++i) PutU16(b, at + 2 * i, name[i]);
}

// USB_NODE_CONNECTION_INFORMATION(_EX) of a full-speed mass-storage device
// with two open pipes.
Bytes NodeConnection(uint8_t maxPacket0 = 64, uint8_t bLength = 18, uint32_t status = 1) {
    Bytes b(35 + 2 * 11, 0);
    PutU32(b, 0, 3);                                   // ConnectionIndex
    const uint8_t descriptor[18] = {bLength, 1, 0x00, 0x02, 0x00, 0x00, 0x00, maxPacket0, 0x81, 0x07,
                                    0x51, 0x55, 0x00, 0x01, 1, 2, 3, 1};
    std::copy(descriptor, descriptor + 18, b.begin() + 4);
    b[22] = 1;                                         // CurrentConfigurationValue
    b[23] = 1;                                         // Speed / LowSpeed
    b[24] = 0;                                         // DeviceIsHub
    PutU16(b, 25, 5);                                  // DeviceAddress
    PutU32(b, 27, 2);                                  // NumberOfOpenPipes
    PutU32(b, 31, status);                             // ConnectionStatus
    const uint8_t pipes[2][11] = {{7, 5, 0x81, 2, 0x40, 0, 0, 0, 0, 0, 0}, {7, 5, 0x02, 2, 0x40, 0, 0, 4, 0, 0, 0}};
    for (int i = 0; i < 2; ++i) std::copy(pipes[i], pipes[i] + 11, b.begin() + 35 + 11 * i);
    return b;
}

TEST(DataAnalysisTrees, NodeConnectionInformationGoldens) {
    CheckGolden("node_connection_information_ex", Dump(RenderNodeConnectionInformationEx, NodeConnection()));
    CheckGolden("node_connection_information", Dump(RenderNodeConnectionInformation, NodeConnection()));
}

TEST(DataAnalysisTrees, DeviceDescriptorCommentsNeedTheWholeDescriptor) {
    struct Case {
        const char* name;
        Bytes bytes;
        bool comments;
    };
    const Case cases[] = {
        {"whole", NodeConnection(), true},
        {"bLength 17", NodeConnection(64, 17), false},
        {"descriptor cut", NodeConnection(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string tree =
            Dump(RenderNodeConnectionInformationEx, c.bytes, c.comments || c.bytes[4] != 18 ? SIZE_MAX : 20);
        EXPECT_EQ(tree.find("bDeviceClass | 00h | Class info in Ifc Descriptors") != std::string::npos, c.comments)
            << tree;
        EXPECT_EQ(tree.find("idVendor | 0781h | SanDisk") != std::string::npos, c.comments) << tree;
    }
}

TEST(DataAnalysisTrees, MaxPacketSizeZeroTexts) {
    struct Case {
        uint8_t value;
        const char* line;
    };
    const Case cases[] = {
        {8, "bMaxPacketSize0 | 08h\n"},      {9, "bMaxPacketSize0 | 09h | 512 bytes\n"},
        {16, "bMaxPacketSize0 | 10h | 16 bytes\n"}, {64, "bMaxPacketSize0 | 40h | 64 bytes\n"},
        {100, "bMaxPacketSize0 | 64h | 100 bytes\n"}, {7, "bMaxPacketSize0 | 07h\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_NE(Dump(RenderNodeConnectionInformation, NodeConnection(c.value)).find(c.line), std::string::npos);
    }
}

TEST(DataAnalysisTrees, SpeedCommentsNeedAConnection) {
    EXPECT_NE(Dump(RenderNodeConnectionInformationEx, NodeConnection()).find("Speed | 01h | Full (12 Mbit/s)\n"),
              std::string::npos);
    EXPECT_NE(Dump(RenderNodeConnectionInformationEx, NodeConnection(64, 18, 0)).find("Speed | 01h\n"),
              std::string::npos);
    EXPECT_NE(Dump(RenderNodeConnectionInformation, NodeConnection()).find("LowSpeed | 01h | Low Speed\n"),
              std::string::npos);
}

TEST(DataAnalysisTrees, PipeListIsClampedToItsCount) {
    Bytes b = NodeConnection();
    PutU32(b, 27, 1);
    std::string tree = Dump(RenderNodeConnectionInformation, b);
    EXPECT_NE(tree.find("PipeList[0]"), std::string::npos);
    EXPECT_EQ(tree.find("PipeList[1]"), std::string::npos);
    PutU32(b, 27, 0xFFFFFFFF);
    tree = Dump(RenderNodeConnectionInformation, b);
    EXPECT_NE(tree.find("PipeList[1]"), std::string::npos);
    EXPECT_EQ(tree.find("PipeList[2]"), std::string::npos);
}

TEST(DataAnalysisTrees, CountedNames) {
    Bytes hub(4 + 2 * 12, 0);
    PutU32(hub, 0, static_cast<uint32_t>(hub.size()));
    PutName(hub, 4, u"USB#ROOT_HUB");
    CheckGolden("hub_name", Dump(RenderHubName, hub));
    // ActualLength larger than the data: the captured bytes bound the name.
    PutU32(hub, 0, 4000);
    EXPECT_EQ(Dump(RenderHubName, hub, 4 + 2 * 3), "struct _USB_HUB_NAME\n  ActualLength | 00000FA0h\n  HubName[..] | L\"USB\"\n");
    // Two bytes of name or fewer: no name row.
    PutU32(hub, 0, 6);
    EXPECT_EQ(Dump(RenderHubName, hub), "struct _USB_HUB_NAME\n  ActualLength | 00000006h\n");

    Bytes node(8 + 2 * 5, 0);
    PutU32(node, 0, 2);
    PutU32(node, 4, static_cast<uint32_t>(node.size()));
    PutName(node, 8, u"HUB#1");
    EXPECT_EQ(Dump(RenderNodeConnectionName, node),
              "struct _USB_NODE_CONNECTION_NAME\n  ConnectionIndex | 00000002h\n  ActualLength | 00000012h\n"
              "  NodeName[..] | L\"HUB#1\"\n");
    EXPECT_NE(Dump(RenderNodeConnectionDriverKeyName, node).find("  DriverKeyName[..] | L\"HUB#1\"\n"),
              std::string::npos);
}

TEST(DataAnalysisTrees, LongNamesStopAt2040Bytes) {
    Bytes b(4 + 3000, 0);
    PutU32(b, 0, static_cast<uint32_t>(b.size()));
    for (size_t i = 0; i < 1500; ++i) PutU16(b, 4 + 2 * i, u'a');
    const std::string tree = Dump(RenderRootHubName, b);
    EXPECT_NE(tree.find("RootHubName[..] | L\"" + std::string(1020, 'a') + "\"\n"), std::string::npos);
}

Bytes Capabilities() {
    Bytes b(64, 0);
    PutU16(b, 0, 64);
    PutU16(b, 2, 1);
    PutU32(b, 4, 0x00000250 | (3u << 19));  // Removable, UniqueID, SurpriseRemovalOK, reserved bits
    PutU32(b, 8, 2);
    PutU32(b, 12, 0xFFFFFFFF);
    const uint32_t states[7] = {0, 1, 4, 4, 4, 4, 4};
    for (int i = 0; i < 7; ++i) PutU32(b, 16 + 4 * i, states[i]);
    PutU32(b, 44, 4);
    PutU32(b, 48, 3);
    PutU32(b, 60, 100);
    return b;
}

TEST(DataAnalysisTrees, DeviceCapabilities) {
    CheckGolden("device_capabilities", Dump(RenderDeviceCapabilities, Capabilities()));
    EXPECT_EQ(Dump(RenderDeviceCapabilities, Capabilities(), 63), "");
}

TEST(DataAnalysisTrees, DeviceRelations) {
    Bytes b(4 + 4 * 3, 0);
    PutU32(b, 0, 3);
    for (int i = 0; i < 3; ++i) PutU32(b, 4 + 4 * i, 0x89A01030 + 0x100 * i);
    EXPECT_EQ(Dump(RenderDeviceRelations, b),
              "struct _DEVICE_RELATIONS\n  Count | 00000003h\n  Objects[3] |  | PDEVICE_OBJECT\n"
              "    [0] | 89A01030h\n    [1] | 89A01130h\n    [2] | 89A01230h\n");
    // More objects counted than captured, and at most 32 shown.
    PutU32(b, 0, 1000);
    EXPECT_NE(Dump(RenderDeviceRelations, b).find("Objects[1000]"), std::string::npos);
    EXPECT_EQ(Dump(RenderDeviceRelations, b).find("[3]"), std::string::npos);
    Bytes many(4 + 4 * 40, 0);
    PutU32(many, 0, 40);
    const std::string tree = Dump(RenderDeviceRelations, many);
    EXPECT_NE(tree.find("[31]"), std::string::npos);
    EXPECT_EQ(tree.find("[32]"), std::string::npos);
    PutU32(b, 0, 0);
    EXPECT_EQ(Dump(RenderDeviceRelations, b),
              "struct _DEVICE_RELATIONS\n  Count | 00000000h\n  Objects[1] |  | PDEVICE_OBJECT\n    [0] | 89A01030h\n");
    EXPECT_EQ(Dump(RenderDeviceRelations, b, 7), "");
}

TEST(DataAnalysisTrees, HubCapabilitiesAndNodeInformation) {
    const Bytes flags = {0x35, 0x01, 0, 0};
    EXPECT_EQ(Dump(RenderHubCapabilities, flags), "struct _USB_HUB_CAPABILITIES\n  HubIs2xCapable:1 | 00000001h\n");
    CheckGolden("hub_capabilities_ex", Dump(RenderHubCapabilitiesEx, flags));
    EXPECT_EQ(Dump(RenderHubCapabilitiesEx, flags, 3), "");

    Bytes hub(76, 0);
    hub[4] = 9;  // the hub descriptor
    hub[5] = 0x29;
    hub[6] = 4;
    PutU16(hub, 7, 0x0009);
    hub[9] = 50;
    hub[11] = 0x06;
    hub[75] = 1;
    CheckGolden("node_information_hub", Dump(RenderNodeInformation, hub));
    EXPECT_EQ(Dump(RenderNodeInformation, hub, 75), "struct _USB_NODE_INFORMATION\n  NodeType | 00000000h | UsbHub\n");
    const Bytes parent = {1, 0, 0, 0, 3, 0, 0, 0};
    EXPECT_EQ(Dump(RenderNodeInformation, parent),
              "struct _USB_NODE_INFORMATION\n  NodeType | 00000001h | UsbMIParent\n"
              "  MiParentInformation |  | struct _USB_MI_PARENT_INFORMATION\n    NumberOfInterfaces | 00000003h\n");
}

GUID_VALUE Guid(uint32_t d1, uint16_t d2, uint16_t d3, std::initializer_list<uint8_t> d4) {
    GUID_VALUE g{d1, d2, d3, {}};
    std::copy(d4.begin(), d4.end(), g.data4);
    return g;
}

TEST(DataAnalysisTrees, BusInterfacesByGuidAndVersion) {
    const GUID_VALUE hubGuid = Guid(0xB2BB8C0A, 0x5AB4, 0x11D3, {0xA8, 0xCD, 0x00, 0xC0, 0x4F, 0x68, 0x74, 0x7A});
    const GUID_VALUE usbdiGuid = Guid(0xB1A96A13, 0x3DE0, 0x4574, {0x9B, 0x01, 0xC0, 0x8F, 0xEA, 0xB3, 0x18, 0xD6});
    const GUID_VALUE swenum = Guid(0x4747B320, 0x62CE, 0x11CF, {0xA5, 0xD6, 0x28, 0xDB, 0x04, 0xC1, 0x00, 0x00});
    const GUID_VALUE other = Guid(1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11});
    auto dump = [](const GUID_VALUE& g, const Bytes& b) {
        RecordingTreeSink tree;
        RenderBusInterface(g, tree, b.data(), b.size());
        return tree.Dump();
    };
    Bytes usbdi(48, 0);
    PutU16(usbdi, 0, 40);
    PutU16(usbdi, 2, 2);
    for (size_t at = 4; at < 48; at += 4) PutU32(usbdi, at, 0xF8000000 + static_cast<uint32_t>(at));
    CheckGolden("bus_interface_usbdi_v2", dump(usbdiGuid, usbdi));

    Bytes hub(132, 0);
    PutU16(hub, 0, 132);
    PutU16(hub, 2, 1);
    const std::string hubTree = dump(hubGuid, hub);
    EXPECT_EQ(hubTree.rfind("struct _USB_BUS_INTERFACE_HUB_V1\n", 0), 0u);
    EXPECT_NE(hubTree.find("  QueryDeviceInformation"), std::string::npos);  // offset 40, inside 44
    EXPECT_EQ(hubTree.find("GetControllerInformation"), std::string::npos);   // offset 44
    PutU16(hub, 2, 7);
    EXPECT_EQ(dump(hubGuid, hub).rfind("struct _INTERFACE\n", 0), 0u);

    Bytes sw(40, 0);
    PutU16(sw, 0, 40);
    PutU16(sw, 2, 0x100);
    const std::string swTree = dump(swenum, sw);
    EXPECT_NE(swTree.find("Version | 0100h | BUS_INTERFACE_SWENUM_VERSION\n"), std::string::npos);
    EXPECT_NE(swTree.find("QueryReferenceString"), std::string::npos);

    Bytes generic(16, 0);
    PutU16(generic, 0, 16);
    EXPECT_EQ(dump(other, generic),
              "struct _INTERFACE\n  Size | 0010h\n  Version | 0000h\n  Context | 00000000h\n"
              "  InterfaceReference | 00000000h\n  InterfaceDereference | 00000000h\n");
    EXPECT_EQ(dump(other, Bytes(15, 0)), "");
}

TEST(DataAnalysisTrees, StatisticsAreCappedAtTheirSizes) {
    Bytes stats(200, 0);
    PutU32(stats, 20, 0x1000);
    PutU32(stats, 24, 0x12345);
    CheckGolden("hcd_statistics_2", Dump(RenderHcdStatistics2, stats));
    const std::string one = Dump(RenderHcdStatistics1, stats);
    EXPECT_NE(one.find("PortDisableCount"), std::string::npos);
    EXPECT_EQ(one.find("IsoCounters"), std::string::npos);
}

TEST(DataAnalysisTrees, SmallTables) {
    Bytes notification(16, 0);
    PutU32(notification, 0, 1);
    PutU32(notification, 4, 12000);
    EXPECT_NE(Dump(RenderBusNotification, notification).find("NotificationType | 00000001h | InsufficentBandwidth\n"),
              std::string::npos);
    Bytes attributes(12, 0);
    PutU32(attributes, 4, 1);
    PutU32(attributes, 8, 0x01000002);
    EXPECT_EQ(Dump(RenderNodeConnectionAttributes, attributes),
              "struct _USB_NODE_CONNECTION_ATTRIBUTES\n  ConnectionIndex | 00000000h\n"
              "  ConnectionStatus | 00000001h | Device connected\n"
              "  PortAttributes | 01000002h | USB_PORTATTR_SHARED_USB2\n   |  | USB_PORTATTR_OWNED_BY_CC\n");
    Bytes bus(24, 0);
    PutU32(bus, 16, 15);
    PutU32(bus, 20, 2);
    EXPECT_NE(Dump(RenderPnpBusInformation, bus).find("PortFeature | 0000000Fh | PNPBus\n  Port Number | 00000002h\n"),
              std::string::npos);
}

} // namespace
} // namespace brx
