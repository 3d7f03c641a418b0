// USB enumeration against the simulated USB host and the simulated capture
// driver that share one machine: the whole tree with its texts, counts and
// node ids; what each node carries (connection, descriptors, strings, names,
// stacks, report descriptors, drive letters); the request rules (qualifier and
// BOS by bcdUSB, the string retry, the pipe limit); every injected fault
// handled without a crash or a hang and without a handle left open; hot-plug
// notifications; and the system's own implementation under Wine.
#include <gtest/gtest.h>

#include <windows.h>
#include <dbt.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "app/devices/UsbReplies.h"
#include "app/devices/win/DeviceEnumerator.h"
#include "capture/win/CaptureDriver.h"
#include "sim/win/SimulatedDriver.h"
#include "sim/win/SimulatedUsbHost.h"
#include "tests/devices/win/RecordingTree.h"

using namespace brx;
using brx::testing::RecordingTree;

namespace {

// Hub indices and ports of the machine.
constexpr uint32_t kRootHub20 = 0, kExternalHub = 1;
constexpr uint32_t kStickPort = 1, kHubPort = 2, kSerialPort = 3;
constexpr uint32_t kMousePort = 1, kKeyboardPort = 2;

const std::vector<std::string> kWholeTree = {
    "Intel(R) ICH9 Family USB2 Enhanced Host Controller - 293C",
    "  USB Root Hub",
    "    Port1: USB Mass Storage Device (E:, F:)",
    "      BRINDLEX SIM DISK USB Device",
    "    Port2: Generic USB Hub",
    "      Port1: USB Input Device",
    "        HID-compliant mouse",
    "      Port2: USB Input Device",
    "        HID Keyboard Device",
    "      Port3:",
    "      Port4:",
    "    Port3: USB Serial Device (COM3)",
    "    Port4: USB Composite Device",
    "      USB Serial Device (COM5)",
    "      USB Mass Storage Device",
    "Intel(R) USB 3.0 eXtensible Host Controller - 1.0 (Microsoft)",
    "  USB Root Hub (USB 3.0)",
    "    Port1: USB Printing Support",
    "    Port2: Black Magic Probe DFU",
    "NEC PCI to USB Open Host Controller",
};

WString U(const char16_t* s) { return WString(s); }

std::string Utf8(const std::wstring& w) { return WideToUtf8(std::u16string(w.begin(), w.end())); }

class DeviceEnumerationTest : public ::testing::Test {
protected:
    DeviceEnumerationTest() : host(driverSim.Topology()), enumerator(&host) {}

    void SetUp() override { ASSERT_TRUE(driver.Connect()); }

    // One refresh, as the tree view makes it.
    void Refresh(bool components = true) {
        tree.Clear();
        host.ClearRequests();
        enumerator.LoadDriverData(driver);
        enumerator.Enumerate(tree, tree.Root(), components);
        EXPECT_EQ(host.OpenHandles(), 0u);
        EXPECT_EQ(host.OpenSets(), 0u);
        EXPECT_EQ(host.OpenLinks(), 0u);
    }

    const DEVICE_NODE& Node(const std::wstring& prefix) {
        const RecordingTree::Item* item = tree.Find(prefix);
        EXPECT_TRUE(item) << Utf8(prefix);
        static DEVICE_NODE none;
        return item ? *item->node : none;
    }

    SimPort& Port(uint32_t hub, uint32_t port) { return host.Topology().hubs[hub].ports[port - 1]; }

    // The descriptor requests that reached a port, as (type, wLength).
    std::vector<std::pair<uint8_t, uint16_t>> DescriptorRequests(uint32_t hub, uint32_t port) const {
        std::vector<std::pair<uint8_t, uint16_t>> asked;
        for (const CSimulatedUsbHost::Request& r : host.Requests())
            if (r.code == IOCTL_USB_GET_DESCRIPTOR_FROM_NODE_CONNECTION && r.hub == hub && r.port == port)
                asked.push_back({r.type, r.length});
        return asked;
    }

    CSimulatedDriver driverSim;
    CCaptureDriver driver{&driverSim, nullptr};
    CSimulatedUsbHost host;
    CDeviceEnumerator enumerator;
    RecordingTree tree;
};

TEST_F(DeviceEnumerationTest, WholeTreeOfTheMachine) {
    Refresh();
    EXPECT_EQ(tree.Lines(), kWholeTree);
    const DEVICE_COUNTS& c = enumerator.Counts();
    EXPECT_EQ(c.hostControllers, 3u);   // the EHCI found twice is listed once
    EXPECT_EQ(c.rootHubs, 2u);
    EXPECT_EQ(c.externalHubs, 1u);
    EXPECT_EQ(c.connectedPorts, 8u);    // stick, hub, mouse, keyboard, serial port, composite, printer, DFU

    // Ids in creation order from 1, kinds by place.
    uint32_t previous = 0;
    for (const RecordingTree::Item* item : tree.Items()) {
        EXPECT_EQ(item->node->id, previous + 1) << Utf8(item->text);
        previous = item->node->id;
    }
    EXPECT_EQ(Node(L"Intel(R) ICH9").kind, NODE_HOST_CONTROLLER);
    EXPECT_EQ(Node(L"USB Root Hub").kind, NODE_ROOT_HUB);
    EXPECT_EQ(Node(L"Port2: Generic").kind, NODE_EXTERNAL_HUB);
    EXPECT_EQ(Node(L"Port1: USB Mass").kind, NODE_DEVICE);
    EXPECT_EQ(Node(L"HID-compliant").kind, NODE_DEVICE);

    // A second refresh starts the ids again and builds the same tree.
    Refresh();
    EXPECT_EQ(tree.Lines(), kWholeTree);
    EXPECT_EQ(tree.Items().front()->node->id, 1u);
}

TEST_F(DeviceEnumerationTest, ControllersAndHubsCarryTheirNames) {
    Refresh();
    const DEVICE_NODE& ehci = Node(L"Intel(R) ICH9");
    EXPECT_EQ(ehci.instanceId, U(u"PCI\\VEN_8086&DEV_293C&SUBSYS_20F017AA&REV_03\\3&21436425&0&EF"));
    EXPECT_EQ(ehci.pdoName, U(u"\\Device\\NTPNP_PCI0012"));
    EXPECT_EQ(ehci.symbolicName, U(u"HCD0"));
    ASSERT_TRUE(ehci.stack);
    EXPECT_EQ(ehci.stack->entries.size(), 2u);
    const DEVICE_NODE& xhci = Node(L"Intel(R) USB 3.0");
    EXPECT_EQ(xhci.symbolicName.rfind(u"\\\\?\\pci#ven_8086&dev_a12f", 0), 0u);   // its interface path
    const DEVICE_NODE& ohci = Node(L"NEC PCI");
    EXPECT_TRUE(ohci.symbolicName.empty());
    EXPECT_EQ(tree.Find(L"NEC PCI")->children.size(), 0u);   // no handle, no root hub

    const DEVICE_NODE& rootHub = Node(L"USB Root Hub");
    EXPECT_EQ(rootHub.symbolicName, host.Topology().hubs[kRootHub20].name);
    EXPECT_EQ(rootHub.instanceId, U(u"USB\\ROOT_HUB20\\4&1F2A3B4C&0"));
    EXPECT_EQ(rootHub.pdoName, U(u"\\Device\\USBPDO-0"));
    ASSERT_EQ(rootHub.hubInfo.size(), USB_NODE_INFORMATION_SIZE);
    EXPECT_EQ(rootHub.PortCount(), 4u);
    EXPECT_FALSE(rootHub.connection);

    const DEVICE_NODE& hub = Node(L"Port2: Generic");
    EXPECT_EQ(hub.instanceId, U(u"USB\\VID_05E3&PID_0608\\5&2C3D4E5F&0&2"));
    EXPECT_EQ(hub.PortCount(), 4u);
    ASSERT_TRUE(hub.connection);
    EXPECT_EQ(hub.connection->deviceIsHub, 1);
    EXPECT_EQ(hub.deviceQualifier, HubDescriptors().qualifier);   // bcdUSB 2.00: qualifier and other speed
    EXPECT_EQ(std::vector<uint8_t>(hub.otherSpeedConfig.begin() + USB_DESCRIPTOR_REQUEST_HEADER,
                                   hub.otherSpeedConfig.end()),
              HubDescriptors().otherSpeed);
    ASSERT_TRUE(hub.stack);
    EXPECT_EQ(hub.stack->entries[0].deviceObject, 0x89A0F030u);
}

TEST_F(DeviceEnumerationTest, PortsCarryConnectionDescriptorsStringsAndStacks) {
    Refresh();
    const DEVICE_NODE& stick = Node(L"Port1: USB Mass");
    EXPECT_EQ(stick.instanceId, U(u"USB\\VID_1209&PID_B5D1\\0123456789ABCDEF"));
    EXPECT_EQ(stick.pdoName, U(u"\\Device\\USBPDO-4"));
    EXPECT_EQ(stick.driveLetters, U(u"E:, F:"));
    ASSERT_TRUE(stick.connection);
    EXPECT_EQ(stick.connection->connectionIndex, kStickPort);
    EXPECT_EQ(stick.connection->connectionStatus, 1u);
    EXPECT_EQ(stick.connection->speed, 2);
    EXPECT_EQ(stick.connection->deviceAddress, 2);
    EXPECT_TRUE(std::equal(stick.connection->deviceDescriptor.begin(), stick.connection->deviceDescriptor.end(),
                           StickDescriptors().device.begin()));
    ASSERT_EQ(stick.connection->pipes.size(), 2u);
    EXPECT_EQ(stick.connection->pipes[0].endpoint[2], 0x81);
    EXPECT_EQ(stick.connection->pipes[1].endpoint[2], 0x02);
    // The configuration block: the request header, then the whole set.
    ASSERT_EQ(stick.configDescriptor.size(), USB_DESCRIPTOR_REQUEST_HEADER + 32u);
    EXPECT_EQ(stick.configDescriptor[0], kStickPort);
    EXPECT_EQ(stick.configDescriptor[7], USB_CONFIGURATION_DESCRIPTOR_TYPE);
    EXPECT_EQ(std::vector<uint8_t>(stick.configDescriptor.begin() + 12, stick.configDescriptor.end()),
              StickDescriptors().configuration);
    EXPECT_EQ(stick.deviceQualifier, StickDescriptors().qualifier);
    EXPECT_TRUE(stick.bos.empty());
    // Languages first, then iManufacturer, iProduct, iSerialNumber.
    ASSERT_EQ(stick.strings.size(), 4u);
    EXPECT_EQ(stick.strings[0].descriptor, (std::vector<uint8_t>{4, 3, 0x09, 0x04}));
    EXPECT_EQ(stick.strings[1].index, 1);
    EXPECT_EQ(stick.strings[1].languageId, 0x0409);
    EXPECT_EQ(stick.strings[3].descriptor.size(), 2u + 2 * 16);
    ASSERT_TRUE(stick.stack);
    EXPECT_EQ(stick.stack->entries[0].deviceObject, static_cast<uint32_t>(SIM_STICK_OBJECT));
    WString name;
    EXPECT_TRUE(enumerator.DeviceNames().Lookup(stick.stack->entries[0].DeviceKey(), name));
    EXPECT_EQ(name, stick.pdoName);
    EXPECT_TRUE(enumerator.DriverNames().Lookup(stick.stack->entries[0].DriverKey(), name));
    EXPECT_EQ(name, U(u"\\Driver\\USBSTOR"));
    EXPECT_TRUE(stick.reportDescriptors.empty());

    // The keyboard (its real descriptors): USB 1.1, so no qualifier asked;
    // two report descriptors for its one PDO, in order.
    const DEVICE_NODE& keyboard = *tree.Find(L"Port2: Generic")->children[1]->node;
    EXPECT_EQ(keyboard.instanceId, U(u"USB\\VID_04D9&PID_1603\\6&1A2B3C4D&0&2"));
    EXPECT_EQ(keyboard.connection->speed, 1);
    EXPECT_TRUE(keyboard.deviceQualifier.empty());
    ASSERT_EQ(keyboard.strings.size(), 3u);
    EXPECT_EQ(keyboard.strings[2].descriptor, KeyboardDescriptors().strings[2].bytes);   // "USB Keyboard"
    ASSERT_EQ(keyboard.reportDescriptors.size(), 2u);
    EXPECT_EQ(keyboard.reportDescriptors[0].descriptor.size(), 62u);
    EXPECT_EQ(keyboard.reportDescriptors[1].interfaceNumber, 1);
    EXPECT_EQ(keyboard.reportDescriptors[1].descriptor.size(), 101u);
    EXPECT_EQ(keyboard.stack->entries.size(), 2u);

    // The serial port: iFunction of its interface association and iInterface.
    const DEVICE_NODE& serial = Node(L"Port3: USB Serial");
    std::vector<uint8_t> indices;
    for (const STRING_DESCRIPTOR_ENTRY& s : serial.strings)
        indices.push_back(s.index);
    EXPECT_EQ(indices, (std::vector<uint8_t>{0, 1, 2, 3, 4, 5}));

    // An empty port: its connection only.
    const DEVICE_NODE& empty = *tree.Find(L"Port4:")->node;
    ASSERT_TRUE(empty.connection);
    EXPECT_EQ(empty.connection->connectionStatus, 0u);
    EXPECT_TRUE(empty.instanceId.empty());
    EXPECT_TRUE(empty.configDescriptor.empty());
    EXPECT_FALSE(empty.stack);

    // Components below a device, with the stacks the driver reports for them.
    const DEVICE_NODE& disk = Node(L"BRINDLEX SIM DISK");
    EXPECT_EQ(disk.pdoName, U(u"\\Device\\00000072"));
    ASSERT_TRUE(disk.stack);
    EXPECT_EQ(disk.stack->entries.size(), 3u);
    EXPECT_FALSE(disk.connection);
}

TEST_F(DeviceEnumerationTest, ComponentsOnlyWhenAsked) {
    Refresh(false);
    // Without the disk, the mouse, the keyboard and the composite device's two functions.
    EXPECT_EQ(tree.Lines().size(), kWholeTree.size() - 5);
    EXPECT_FALSE(tree.Find(L"BRINDLEX SIM DISK"));
    EXPECT_FALSE(tree.Find(L"USB Serial Device (COM5)"));
}

TEST_F(DeviceEnumerationTest, QualifierOtherSpeedAndBosByBcdUsb) {
    const struct {
        uint16_t bcd;
        bool qualifier, bos;
    } cases[] = {
        {0x0200, true, false}, {0x0210, true, false}, {0x0250, true, false}, {0x0201, false, false},
        {0x0110, false, false}, {0x0300, false, true}, {0x0310, false, false},
    };
    const Bytes bos = {0x05, 0x0F, 0x16, 0x00, 0x02, 0x07, 0x10, 0x02, 0x02, 0x00, 0x00, 0x00,
                       0x0A, 0x10, 0x03, 0x00, 0x0E, 0x00, 0x01, 0x0A, 0xFF, 0x07};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bcd);
        SimPort& stick = Port(kRootHub20, kStickPort);
        stick.descriptors.device[2] = static_cast<uint8_t>(c.bcd);
        stick.descriptors.device[3] = static_cast<uint8_t>(c.bcd >> 8);
        stick.descriptors.bos = bos;
        Refresh();
        const DEVICE_NODE& node = Node(L"Port1: USB Mass");
        std::set<uint8_t> types;
        for (const auto& [type, length] : DescriptorRequests(kRootHub20, kStickPort))
            types.insert(type);
        EXPECT_EQ(types.count(USB_DEVICE_QUALIFIER_DESCRIPTOR_TYPE) != 0, c.qualifier);
        EXPECT_EQ(types.count(USB_OTHER_SPEED_CONFIGURATION_DESCRIPTOR_TYPE) != 0, c.qualifier);
        EXPECT_EQ(types.count(USB_BOS_DESCRIPTOR_TYPE) != 0, c.bos);
        EXPECT_EQ(node.deviceQualifier.empty(), !c.qualifier);
        EXPECT_EQ(node.otherSpeedConfig.empty(), !c.qualifier);
        ASSERT_EQ(node.bos.empty(), !c.bos);
        if (c.bos) {
            EXPECT_EQ(std::vector<uint8_t>(node.bos.begin() + 12, node.bos.end()), bos);
        }
    }
    // A qualifier the device stalls: no other-speed request either.
    Refresh();
    EXPECT_EQ(DescriptorRequests(kExternalHub, kMousePort).size(), 1u + 2 + 3);   // 2 configuration, 1 qualifier, 3 strings
    EXPECT_TRUE(Node(L"Port2: Generic").deviceQualifier.size() == USB_DEVICE_QUALIFIER_SIZE);
}

TEST_F(DeviceEnumerationTest, StringsThatFailFirstAreAskedAgainWith256) {
    host.knobs().failFirstStringRequest = true;
    Refresh();
    EXPECT_EQ(tree.Lines(), kWholeTree);
    EXPECT_EQ(Node(L"Port1: USB Mass").strings.size(), 4u);
    std::vector<std::pair<uint8_t, uint16_t>> strings;
    for (const auto& r : DescriptorRequests(kRootHub20, kStickPort))
        if (r.first == USB_STRING_DESCRIPTOR_TYPE)
            strings.push_back(r);
    const std::vector<std::pair<uint8_t, uint16_t>> want = {{3, 255}, {3, 256}, {3, 255}, {3, 256},
                                                             {3, 255}, {3, 256}, {3, 255}, {3, 256}};
    EXPECT_EQ(strings, want);
}

TEST_F(DeviceEnumerationTest, DriverKeyFailureFallsBackToTheHubsChildWithThatAddress) {
    host.knobs().driverKeyFailures = {{kRootHub20, kStickPort}, {kExternalHub, kKeyboardPort}};
    Refresh();
    EXPECT_EQ(tree.Lines(), kWholeTree);
    EXPECT_EQ(Node(L"Port1: USB Mass").instanceId, U(u"USB\\VID_1209&PID_B5D1\\0123456789ABCDEF"));
    // Without the configuration manager's child walk there is no fallback:
    // the port is listed without a name, and no components are found.
    host.knobs().childNotWritten = true;
    Refresh();
    EXPECT_TRUE(tree.Find(L"Port1:")->node->instanceId.empty());
    EXPECT_EQ(tree.Lines()[2], "    Port1:");
    EXPECT_FALSE(tree.Find(L"BRINDLEX SIM DISK"));
    EXPECT_TRUE(tree.Find(L"Port1: USB Input Device"));   // the mouse's key still reads
}

TEST_F(DeviceEnumerationTest, MoreThanThirtyOpenPipesAreCutToThirty) {
    SimPort& stick = Port(kRootHub20, kStickPort);
    Bytes config = stick.descriptors.configuration;
    config[13] = 33;   // bNumEndpoints
    for (uint8_t e = 3; e <= 33; ++e) {
        const Bytes endpoint = {0x07, 0x05, static_cast<uint8_t>(0x80 | (e & 0x0F)), 0x02, 0x00, 0x02, 0x00};
        config.insert(config.end(), endpoint.begin(), endpoint.end());
    }
    config[2] = static_cast<uint8_t>(config.size());
    config[3] = static_cast<uint8_t>(config.size() >> 8);
    stick.descriptors.configuration = config;
    ASSERT_EQ(OpenPipes(config).size(), 33u);
    Refresh();
    const DEVICE_NODE& node = Node(L"Port1: USB Mass");
    ASSERT_TRUE(node.connection);
    EXPECT_EQ(node.connection->pipes.size(), PORT_MAX_OPEN_PIPES);
    EXPECT_EQ(node.configDescriptor.size(), USB_DESCRIPTOR_REQUEST_HEADER + config.size());
}

TEST_F(DeviceEnumerationTest, InjectedFaultsLeaveItemsOutButNeverCrashOrHang) {
    struct Fault {
        const char* name;
        void (*inject)(CSimulatedUsbHost&);
        std::vector<std::string> present, absent;   // lines that must be there, and must not
    };
    const Fault faults[] = {
        {"connection information cut short",
         [](CSimulatedUsbHost& h) {
             h.knobs().shortReplies[IOCTL_USB_GET_NODE_CONNECTION_INFORMATION_EX] = CONNECTION_INFO_HEADER - 1;
         },
         {"  USB Root Hub", "  USB Root Hub (USB 3.0)"}, {"    Port4:"}},
        {"descriptors cut short",
         [](CSimulatedUsbHost& h) { h.knobs().shortReplies[IOCTL_USB_GET_DESCRIPTOR_FROM_NODE_CONNECTION] = 15; },
         {"    Port1: USB Mass Storage Device (E:, F:)", "      Port2: USB Input Device"}, {}},
        {"names cut short",
         [](CSimulatedUsbHost& h) {
             h.knobs().shortReplies[IOCTL_USB_GET_NODE_CONNECTION_NAME] = 9;
             h.knobs().shortReplies[IOCTL_USB_GET_NODE_CONNECTION_DRIVERKEY_NAME] = 9;
         },
         {"    Port1: USB Mass Storage Device (E:, F:)", "    Port3: USB Serial Device (COM3)"},
         {"    Port2: Generic USB Hub"}},
        {"root hub name cut short",
         [](CSimulatedUsbHost& h) { h.knobs().shortReplies[IOCTL_USB_GET_ROOT_HUB_NAME] = 6; },
         {"NEC PCI to USB Open Host Controller"}, {"  USB Root Hub"}},
        {"controller driver key cut short",
         [](CSimulatedUsbHost& h) { h.knobs().shortReplies[IOCTL_GET_HCD_DRIVERKEY_NAME] = 6; },
         {"HCD0", "  USB Root Hub"}, {}},
        {"configuration descriptor with a zero total length",
         [](CSimulatedUsbHost& h) {
             Bytes& c = h.Topology().hubs[kRootHub20].ports[kStickPort - 1].descriptors.configuration;
             c[2] = c[3] = 0;
         },
         {"    Port1: USB Mass Storage Device (E:, F:)"}, {}},
        {"descriptor lengths 0 and 1",
         [](CSimulatedUsbHost& h) {
             SimUsbDescriptors& d = h.Topology().hubs[kRootHub20].ports[kSerialPort - 1].descriptors;
             d.configuration[9] = 1;     // the association descriptor: length 1
             d.strings[0].bytes[0] = 1;  // a language list too short to hold one
             SimUsbDescriptors& s = h.Topology().hubs[kRootHub20].ports[kStickPort - 1].descriptors;
             s.configuration[9] = 0;     // the interface descriptor: length 0
         },
         {"    Port3: USB Serial Device (COM3)"}, {}},
        {"device gone in the middle of its enumeration",
         [](CSimulatedUsbHost& h) {
             h.knobs().unplugOnCode = IOCTL_USB_GET_DESCRIPTOR_FROM_NODE_CONNECTION;
             h.knobs().unplugHub = kRootHub20;
             h.knobs().unplugPort = kStickPort;
         },
         {"    Port1:", "    Port3: USB Serial Device (COM3)"}, {"      BRINDLEX SIM DISK USB Device"}},
        {"child walk answering without writing",
         [](CSimulatedUsbHost& h) { h.knobs().childNotWritten = true; },
         {"    Port1: USB Mass Storage Device", "      Port1: USB Input Device"},
         {"      BRINDLEX SIM DISK USB Device"}},
        {"child and sibling walks naming the node asked about",
         [](CSimulatedUsbHost& h) { h.knobs().cmAnswersItself = true; },
         {"      Port2: USB Input Device"}, {"        HID Keyboard Device"}},
        {"hub without its symbolic link",
         [](CSimulatedUsbHost& h) { h.Topology().hubs[kExternalHub].symbolicLink = false; },
         {"    Port2: Generic USB Hub", "        HID-compliant mouse"}, {}},
        {"hub that does not open",
         [](CSimulatedUsbHost& h) {
             h.knobs().unopenable.insert(L"\\\\.\\" + std::wstring(h.Topology().hubs[kExternalHub].name.begin(),
                                                                   h.Topology().hubs[kExternalHub].name.end()));
         },
         {"    Port3: USB Serial Device (COM3)"}, {"    Port2: Generic USB Hub", "      Port1: USB Input Device"}},
    };
    for (const Fault& f : faults) {
        SCOPED_TRACE(f.name);
        CSimulatedDriver sim;
        CCaptureDriver connection(&sim, nullptr);
        ASSERT_TRUE(connection.Connect());
        CSimulatedUsbHost faulty(sim.Topology());
        f.inject(faulty);
        CDeviceEnumerator e(&faulty);
        RecordingTree t;
        e.LoadDriverData(connection);
        e.Enumerate(t, t.Root(), true);
        const std::vector<std::string> lines = t.Lines();
        for (const std::string& line : f.present)
            EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
        for (const std::string& line : f.absent)
            EXPECT_EQ(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
        EXPECT_EQ(faulty.OpenHandles(), 0u);
        EXPECT_EQ(faulty.OpenSets(), 0u);
        EXPECT_EQ(faulty.OpenLinks(), 0u);
        // Whatever the fault, a node that was inserted keeps only what fits.
        for (const RecordingTree::Item* item : t.Items()) {
            const DEVICE_NODE& n = *item->node;
            EXPECT_LE(n.driveLetters.size(), DRIVE_LETTERS_MAX);
            if (n.connection) {
                EXPECT_LE(n.connection->pipes.size(), PORT_MAX_OPEN_PIPES);
            }
            for (const STRING_DESCRIPTOR_ENTRY& s : n.strings)
                EXPECT_LE(s.descriptor.size(), 255u);
        }
    }
}

TEST_F(DeviceEnumerationTest, FaultsChangeWhatTheNodesHold) {
    // Descriptor lengths 0 and 1: the string walk stops at 0, steps over 1;
    // a language list of bLength 1 gives no languages.
    SimUsbDescriptors& serial = Port(kRootHub20, kSerialPort).descriptors;
    serial.strings[0].bytes[0] = 1;
    SimUsbDescriptors& stick = Port(kRootHub20, kStickPort).descriptors;
    stick.configuration[9] = 0;
    Refresh();
    ASSERT_EQ(Node(L"Port3: USB Serial").strings.size(), 1u);   // the language list alone
    EXPECT_EQ(Node(L"Port1: USB Mass").strings.size(), 4u);      // device strings still read

    // Zero total length: no configuration, so no strings either.
    stick.configuration[2] = stick.configuration[3] = 0;
    Refresh();
    EXPECT_TRUE(Node(L"Port1: USB Mass").configDescriptor.empty());
    EXPECT_TRUE(Node(L"Port1: USB Mass").strings.empty());
}

TEST_F(DeviceEnumerationTest, RefusedInsertFreesTheNodeAndSkipsItsChildren) {
    tree.refusePrefix = L"Port2: Generic";
    Refresh();
    const std::vector<std::string> lines = tree.Lines();
    EXPECT_EQ(std::find(lines.begin(), lines.end(), "      Port1: USB Input Device"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "    Port3: USB Serial Device (COM3)"), lines.end());
}

// A hub that reports itself on one of its ports is walked no deeper than
// USB's five external hub tiers; the walk ends with every handle closed.
TEST_F(DeviceEnumerationTest, AHubThatReportsItselfEndsAtTheLastHubTier) {
    Port(kExternalHub, 3) = Port(kRootHub20, kHubPort);
    Refresh();
    size_t hubs = 0, deepest = 0;
    for (const std::string& line : tree.Lines()) {
        if (line.find("Generic USB Hub") == std::string::npos)
            continue;
        ++hubs;
        deepest = std::max(deepest, line.find_first_not_of(' '));
    }
    EXPECT_EQ(hubs, 5u);
    EXPECT_EQ(deepest, 4u + 2 * 4);   // the first external hub at 4, then 2 per tier
    EXPECT_EQ(enumerator.Counts().externalHubs, 6u);   // the sixth is met, not walked
    // The devices of the first hub are still there.
    EXPECT_NE(tree.Find(L"HID-compliant mouse"), nullptr);
}

// Memory that runs out while the tree takes a node ends the walk there: the
// exception stays inside the enumeration, the nodes inserted so far stay, and
// every handle and information set is closed (Refresh checks).
TEST_F(DeviceEnumerationTest, AnAllocationFailureEndsTheWalkWithoutAnException) {
    tree.throwPrefix = L"Port2: USB Input";
    EXPECT_NO_THROW(Refresh());
    EXPECT_NE(tree.Find(L"HID-compliant mouse"), nullptr);
    EXPECT_EQ(tree.Find(L"Port2: USB Input"), nullptr);
    EXPECT_EQ(tree.Find(L"Port3: USB Serial"), nullptr);
    // The next refresh walks the whole machine again.
    tree.throwPrefix.clear();
    Refresh();
    EXPECT_EQ(tree.Lines(), kWholeTree);
}

TEST_F(DeviceEnumerationTest, DriveLetterTextIsCutTo31Characters) {
    SimUsbTopology& t = host.Topology();
    const uint32_t disk = t.FindDevnode(u"USBSTOR\\DISK&VEN_BRINDLEX&PROD_SIM_DISK&REV_1.00\\0123456789ABCDEF&0");
    ASSERT_NE(disk, 0u);
    const SimDevnode volume = t.Devnode(t.FindDevnode(t.Devnode(disk).removalRelations[0]));
    for (char16_t letter = u'G'; letter <= u'R'; ++letter) {
        SimDevnode v = volume;
        v.instanceId += std::u16string(1, letter);
        v.interfaces[0].path += std::u16string(1, letter);
        v.volumeName = u"\\\\?\\Volume{" + std::u16string(1, letter) + u"}\\";
        v.driveLetter = letter;
        t.devnodes.push_back(v);
        t.Devnode(disk).removalRelations.push_back(v.instanceId);
    }
    Refresh();
    EXPECT_EQ(Node(L"Port1: USB Mass").driveLetters, U(u"E:, F:, G:, H:, I:, J:, K:, L:,"));
    EXPECT_EQ(tree.Lines()[2], "    Port1: USB Mass Storage Device (E:, F:, G:, H:, I:, J:, K:, L:,)");
}

TEST_F(DeviceEnumerationTest, RemovableStorageBelowADeviceKeepsItsLettersToItself) {
    // A child that is removable storage of its own (a card in a reader) is
    // skipped with everything below it: its volumes are not the device's.
    SimUsbTopology& t = host.Topology();
    const uint32_t disk = t.FindDevnode(u"USBSTOR\\DISK&VEN_BRINDLEX&PROD_SIM_DISK&REV_1.00\\0123456789ABCDEF&0");
    ASSERT_NE(disk, 0u);
    t.Devnode(disk).capabilities = CM_DEVCAP_REMOVABLE;
    Refresh();
    EXPECT_TRUE(Node(L"Port1: USB Mass").driveLetters.empty());
    EXPECT_EQ(tree.Lines()[2], "    Port1: USB Mass Storage Device");
    EXPECT_EQ(enumerator.GetNodeDriveLetters(t.Devnode(disk).instanceId), U(u"E:, F:"));
    // A device that may be pulled at any time is no removable storage.
    t.Devnode(disk).capabilities = 0;
    t.Devnode(t.FindDevnode(u"USB\\VID_1209&PID_B5D1\\0123456789ABCDEF")).capabilities |= CM_DEVCAP_SURPRISEREMOVALOK;
    Refresh();
    EXPECT_TRUE(Node(L"Port1: USB Mass").driveLetters.empty());
}

TEST_F(DeviceEnumerationTest, WithoutTheDriverNodesHaveNoStacks) {
    driver.Disconnect();
    Refresh();
    EXPECT_EQ(tree.Lines(), kWholeTree);
    for (const RecordingTree::Item* item : tree.Items()) {
        EXPECT_FALSE(item->node->stack) << Utf8(item->text);
        EXPECT_TRUE(item->node->reportDescriptors.empty());
    }
    EXPECT_EQ(enumerator.DeviceNames().GetCount(), 0u);
}

// ---------------------------------------------------------------------------
// Hot-plug

struct DeviceChange {
    WPARAM event;
    std::wstring path;
};
std::vector<DeviceChange> g_changes;

LRESULT CALLBACK RecordChanges(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DEVICECHANGE) {
        std::wstring path;
        auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
        if (header && header->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE)
            path = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(lParam)->dbcc_name;
        g_changes.push_back({wParam, path});
        return TRUE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(DeviceEnumerationTest, HotPlugRemovalAndArrival) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = RecordChanges;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"BrxDeviceChanges";
    RegisterClassW(&wc);
    HWND window = CreateWindowW(L"BrxDeviceChanges", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(window);
    DEV_BROADCAST_DEVICEINTERFACE_W filter{};
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    HDEVNOTIFY registration = host.RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    ASSERT_TRUE(registration);
    g_changes.clear();

    host.Unplug(kExternalHub, kKeyboardPort);
    ASSERT_EQ(g_changes.size(), 2u);
    EXPECT_EQ(g_changes[0].event, static_cast<WPARAM>(DBT_DEVICEREMOVECOMPLETE));
    EXPECT_EQ(g_changes[0].path, L"\\\\?\\USB#VID_04D9&PID_1603#6&1A2B3C4D&0&2#{a5dcbf10-6530-11d2-901f-00c04fb951ed}");
    EXPECT_EQ(g_changes[1].event, static_cast<WPARAM>(DBT_DEVNODES_CHANGED));
    Refresh();
    std::vector<std::string> without = kWholeTree;
    without[7] = "      Port2:";
    without.erase(without.begin() + 8);
    EXPECT_EQ(tree.Lines(), without);
    EXPECT_EQ(enumerator.Counts().connectedPorts, 7u);

    g_changes.clear();
    host.Replug(kExternalHub, kKeyboardPort);
    ASSERT_EQ(g_changes.size(), 2u);
    EXPECT_EQ(g_changes[0].event, static_cast<WPARAM>(DBT_DEVICEARRIVAL));
    Refresh();
    EXPECT_EQ(tree.Lines(), kWholeTree);
    const DEVICE_NODE& keyboard = *tree.Find(L"Port2: Generic")->children[1]->node;
    ASSERT_TRUE(keyboard.stack);
    EXPECT_EQ(keyboard.stack->entries[0].deviceObject, static_cast<uint32_t>(SIM_KEYBOARD_OBJECT));

    // Unplugging the hub takes everything below it.
    host.Unplug(kRootHub20, kHubPort);
    Refresh();
    EXPECT_FALSE(tree.Find(L"Port2: Generic"));
    EXPECT_FALSE(tree.Find(L"HID Keyboard Device"));
    EXPECT_TRUE(host.UnregisterDeviceNotification(registration));
    EXPECT_EQ(host.Registrations(), 0u);
    DestroyWindow(window);
}

// ---------------------------------------------------------------------------
// The system's implementation

TEST(SystemUsbHost, EnumerationUnderWineEndsWithoutControllers) {
    // Wine has no USB host controllers: the real calls find nothing and the
    // walk ends.
    CDeviceEnumerator e;
    RecordingTree t;
    e.Enumerate(t, t.Root(), true);
    EXPECT_EQ(e.Counts().hostControllers, 0u);
    EXPECT_EQ(e.Counts().rootHubs, 0u);
    EXPECT_TRUE(t.Lines().empty());
    EXPECT_TRUE(e.ResolveDosDeviceName(u"USB#ROOT_HUB20#nothing").empty());
    // The object-manager links themselves work: a drive letter leads to its device.
    const WString drive = e.ResolveDosDeviceName(u"C:");
    EXPECT_FALSE(drive.empty());
    EXPECT_NE(drive, U(u"C:"));
    EXPECT_TRUE(e.GetNodeDriveLetters(u"USB\\VID_0000&PID_0000\\none").empty());
    EXPECT_EQ(e.GetDeviceName(u"USB\\VID_0000&PID_0000\\none"), U(u"*Unknown Device*"));
}

} // namespace
