// The USB properties report: golden pages of every node kind of the
// simulated machine (the nodes hold what the enumeration reads from the
// simulated USB host) and of two fixtures (a USB 3 device with a BOS, an
// eight-port hub), checked by the browser check too; the string look-up, the
// controller count, the heading and the export name as tables of cases.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/usbprops/UsbReport.h"
#include "decode/PageWriter.h"
#include "sim/UsbTopology.h"
#include "tests/decode/DeviceFixtures.h"
#include "tests/decode/PageTest.h"

using namespace brx;
using namespace brx::testing;

namespace {

using Bytes = std::vector<uint8_t>;

// A multi-string literal with its inner NULs.
template <size_t N>
std::u16string Multi(const char16_t (&text)[N]) {
    return std::u16string(text, N - 1);
}

Bytes WithRequestHeader(const Bytes& set) {
    if (set.empty()) return {};
    Bytes b(USB_DESCRIPTOR_REQUEST_HEADER, 0);
    b.insert(b.end(), set.begin(), set.end());
    return b;
}

// USB_NODE_INFORMATION as the simulated USB host answers it (or with the hub
// descriptor given).
Bytes HubInfo(uint8_t ports, bool busPowered, const Bytes& hubDescriptor = {}) {
    Bytes info(USB_NODE_INFORMATION_SIZE, 0);
    Bytes d = hubDescriptor;
    if (d.empty()) d = {9, 0x29, ports, 0x09, 0, 50, 100, 0, 0};
    for (size_t i = 0; i < d.size() && i < USB_NODE_INFO_HUB_DESCRIPTOR_MAX; ++i) info[USB_NODE_INFO_HUB_DESCRIPTOR + i] = d[i];
    info[USB_NODE_INFO_BUS_POWERED] = busPowered ? 1 : 0;
    return info;
}

std::unique_ptr<DEVICE_NODE> PortNode(uint32_t kind, const char16_t* name, uint32_t port, int32_t speed,
                                      uint16_t address, const DeviceFixture& f, bool withReports = false,
                                      const SimUsbDescriptors* sim = nullptr) {
    auto node = std::make_unique<DEVICE_NODE>();
    node->id = 5;
    node->kind = kind;
    node->name = name;
    auto c = std::make_unique<PORT_CONNECTION_INFO>();
    c->connectionIndex = port;
    c->connectionStatus = 1;
    for (size_t i = 0; i < f.device.size() && i < USB_DEVICE_DESCRIPTOR_SIZE; ++i) c->deviceDescriptor[i] = f.device[i];
    c->currentConfigurationValue = f.configuration.size() > 5 ? f.configuration[5] : 0;
    c->speed = speed;
    c->deviceIsHub = kind == NODE_EXTERNAL_HUB;
    c->deviceAddress = address;
    for (const Bytes& pipe : OpenPipes(f.configuration)) {
        USB_PIPE p;
        for (size_t i = 0; i < pipe.size() && i < p.endpoint.size(); ++i) p.endpoint[i] = pipe[i];
        c->pipes.push_back(p);
    }
    node->connection = std::move(c);
    node->configDescriptor = WithRequestHeader(f.configuration);
    node->deviceQualifier = f.qualifier;
    node->otherSpeedConfig = WithRequestHeader(f.otherSpeed);
    node->bos = WithRequestHeader(f.bos);
    for (const auto& [index, bytes] : f.strings) node->strings.push_back({index, 0x0409, bytes});
    if (withReports && sim)
        for (const auto& r : sim->reportDescriptors) node->reportDescriptors.push_back({r.interfaceNumber, r.descriptor});
    return node;
}

std::unique_ptr<DEVICE_NODE> EmptyPort(uint32_t port) {
    auto node = std::make_unique<DEVICE_NODE>();
    node->id = 9;
    node->kind = NODE_DEVICE;
    node->connection = std::make_unique<PORT_CONNECTION_INFO>();
    node->connection->connectionIndex = port;
    return node;
}

std::unique_ptr<DEVICE_NODE> RootHub() {
    auto node = std::make_unique<DEVICE_NODE>();
    node->id = 2;
    node->kind = NODE_ROOT_HUB;
    node->name = u"USB Root Hub";
    node->symbolicName = u"USB#ROOT_HUB20#4&1f2a3b4c&0#{f18a0e88-c30c-11d0-8815-00a0c906bed8}";
    node->hubInfo = HubInfo(4, false);
    return node;
}

std::unique_ptr<DEVICE_NODE> Controller() {
    auto node = std::make_unique<DEVICE_NODE>();
    node->id = 1;
    node->kind = NODE_HOST_CONTROLLER;
    node->name = u"Standard Enhanced PCI to USB Host Controller";
    return node;
}

// The simulated machine: EHCI, xHCI and OHCI controllers, two root hubs, one
// external hub, five connected devices (the hub included).
USB_REPORT_SUMMARY SimSummary() {
    USB_REPORT_SUMMARY s;
    CountHostController(s, ClassifyHostController(Multi(u"PCI\\CC_0C0320\0PCI\\CC_0C03\0")));
    CountHostController(s, ClassifyHostController(Multi(u"PCI\\CC_0C0330\0PCI\\CC_0C03\0")));
    CountHostController(s, ClassifyHostController(Multi(u"PCI\\CC_0C0310\0PCI\\CC_0C03\0")));
    s.hostControllers = 3;
    s.rootHubs = 2;
    s.externalHubs = 1;
    s.connectedPorts = 5;
    return s;
}

std::string PanePage(const DEVICE_NODE* node, bool wholeTree = false, const USB_REPORT_SUMMARY& s = {}) {
    PageBuffer page(kUsbPropertiesPageCapacity);
    EXPECT_TRUE(WriteUsbPropertiesPage(page, node, wholeTree, s, USB_REPORT_OPTIONS{}));
    EXPECT_TRUE(page.closed());
    return std::string(page.view());
}

std::string SavedPage(const DEVICE_NODE* node, bool wholeTree = false, const USB_REPORT_SUMMARY& s = {}) {
    PageBuffer page(kUsbPropertiesPageCapacity);
    EXPECT_TRUE(WriteSavedUsbReport(page, node, wholeTree, s, "Brindlex", "https://www.brindlex.example/"));
    return std::string(page.view());
}

void Golden(const std::string& name, const std::string& page) {
    SCOPED_TRACE(name);
    EXPECT_EQ(CheckNesting(page), "");
    EXPECT_EQ(page.find(kTruncationLine), std::string::npos);
    CheckGoldenPage(name, page);
}

} // namespace

TEST(UsbReport, GoldenPagesOfEveryNodeKind) {
    const SimUsbDescriptors mouse = MouseDescriptors();
    const auto stick = PortNode(NODE_DEVICE, u"USB Mass Storage Device", 1, 2, 2, FromSim("sim_stick", 2, StickDescriptors()));
    const auto mouseNode =
        PortNode(NODE_DEVICE, u"USB Input Device", 1, 0, 4, FromSim("sim_mouse", 0, mouse), true, &mouse);
    auto hub = PortNode(NODE_EXTERNAL_HUB, u"Generic USB Hub", 2, 2, 3, FromSim("sim_hub", 2, HubDescriptors()));
    hub->hubInfo = HubInfo(4, true);
    const auto root = RootHub();
    const auto controller = Controller();
    const auto empty = EmptyPort(4);

    Golden("usbprops_computer", PanePage(nullptr, true, SimSummary()));
    Golden("usbprops_host_controller", PanePage(controller.get()));
    Golden("usbprops_root_hub", PanePage(root.get()));
    Golden("usbprops_external_hub", PanePage(hub.get()));
    Golden("usbprops_device", PanePage(stick.get()));
    Golden("usbprops_hid_device", PanePage(mouseNode.get()));
    Golden("usbprops_empty_port", PanePage(empty.get()));
    Golden("usbprops_saved_device", SavedPage(stick.get()));
    Golden("usbprops_saved_computer", SavedPage(nullptr, true, SimSummary()));
}

TEST(UsbReport, GoldenPagesOfUsb3DeviceAndEightPortHub) {
    const DeviceFixture storage = QemuStorageUsb3();
    const auto usb3 = PortNode(NODE_DEVICE, u"USB Attached SCSI", 1, 3, 1, storage);
    const std::string page3 = PanePage(usb3.get());
    EXPECT_NE(page3.find("Binary Device Object Store (BOS)"), std::string::npos);
    EXPECT_NE(page3.find("SuperSpeed"), std::string::npos);
    Golden("usbprops_usb3_bos", page3);

    const DeviceFixture qemuHub = QemuHub();
    auto hub = PortNode(NODE_EXTERNAL_HUB, u"QEMU USB Hub", 1, 1, 2, qemuHub);
    hub->hubInfo = HubInfo(8, false, qemuHub.hub);
    const std::string page8 = PanePage(hub.get());
    EXPECT_NE(page8.find("Self Powered"), std::string::npos);
    // QEMU gives eight ports one PortPwrCtrlMask byte: shown with its bytes.
    EXPECT_NE(page8.find("<b>Unrecognized Class-Specific Descriptor</b>"), std::string::npos);
    Golden("usbprops_hub_8_ports", page8);

    // The same hub with the descriptor eight ports need (two bytes per mask).
    hub->hubInfo = HubInfo(8, false, {0x0B, 0x29, 0x08, 0x0A, 0x00, 0x01, 0x00, 0x00, 0x00, 0xFF, 0xFF});
    const std::string fixed = PanePage(hub.get());
    EXPECT_NE(fixed.find("<b>Hub Descriptor</b> 8 Ports"), std::string::npos);
    EXPECT_EQ(CheckNesting(fixed), "");
}

TEST(UsbReport, ProductStringWithMarkupIsEscaped) {
    DeviceFixture f = FromSim("sim_stick", 2, StickDescriptors());
    for (auto& [index, bytes] : f.strings)
        if (index == f.device[15]) bytes = AsciiString("<b>Fast</b> & \"Safe\" <script>x</script>");
    auto node = PortNode(NODE_DEVICE, u"<i>Stick</i> & Co", 1, 2, 2, f);
    const std::string pane = PanePage(node.get());
    EXPECT_EQ(pane.find("<script>"), std::string::npos);
    EXPECT_EQ(pane.find("<b>Fast"), std::string::npos);
    EXPECT_NE(pane.find("&lt;b&gt;Fast&lt;/b&gt; &amp; &quot;Safe&quot;"), std::string::npos);
    // A vendor name with an ampersand (usb.ids: 0467h "AT&T Paradyne").
    node->connection->deviceDescriptor[8] = 0x67;
    node->connection->deviceDescriptor[9] = 0x04;
    const std::string vendor = PanePage(node.get());
    EXPECT_NE(vendor.find("AT&amp;T Paradyne"), std::string::npos);
    EXPECT_EQ(vendor.find("AT&T"), std::string::npos);
    node->connection->deviceDescriptor[8] = 0x09;
    node->connection->deviceDescriptor[9] = 0x12;
    const std::string saved = SavedPage(node.get());
    EXPECT_EQ(saved.find("<i>Stick"), std::string::npos);
    EXPECT_NE(saved.find("&#x003C;&#x0069;&#x003E;"), std::string::npos);
    Golden("usbprops_markup", saved);
}

TEST(UsbReport, HostControllerPageHasOnlyStylesAndAnEmptyBody) {
    const auto controller = Controller();
    const std::string page = PanePage(controller.get());
    const size_t body = page.find("<body><a name=\"top\"></a>\r\n");
    ASSERT_NE(body, std::string::npos);
    EXPECT_EQ(page.substr(body), "<body><a name=\"top\"></a>\r\n</body>\r\n</html>\r\n");
    EXPECT_NE(page.find(".uddiv1"), std::string::npos) << "the descriptor sheet";
}

TEST(UsbReport, EmptyPortShowsConnectionStatusOnly) {
    const auto empty = EmptyPort(3);
    const std::string page = PanePage(empty.get());
    EXPECT_EQ(Count(page, "<tr"), 1u);
    EXPECT_NE(page.find("<td><b>Connection Status</b></td><td>No device connected</td>"), std::string::npos);
}

TEST(UsbReport, SummaryCountsUnknownControllersOnlyWhenSomeAreLeft) {
    struct Case {
        uint32_t total;
        const char* unknownRow;   // null: no row
    } cases[] = {{3, nullptr}, {5, "<td><b>Unknown Host Controllers</b></td><td>2</td>"}, {1, nullptr}};
    for (const Case& c : cases) {
        USB_REPORT_SUMMARY s = SimSummary();
        s.hostControllers = c.total;
        const std::string page = PanePage(nullptr, true, s);
        SCOPED_TRACE(c.total);
        if (c.unknownRow)
            EXPECT_NE(page.find(c.unknownRow), std::string::npos);
        else
            EXPECT_EQ(page.find("Unknown Host Controllers"), std::string::npos);
        EXPECT_NE(page.find("<td><b>Enhanced Host Controllers</b></td><td>1</td>"), std::string::npos);
        EXPECT_NE(page.find("<td><b>Devices (incl. External Hubs)</b></td><td>5</td>"), std::string::npos);
    }
}

TEST(UsbReport, ClassifiesControllersByTheFirstMatchingCompatibleId) {
    struct Case {
        std::u16string ids;
        HostControllerKind kind;
    } cases[] = {
        {Multi(u"PCI\\VEN_8086&CC_0C0300\0"), HostControllerKind::Universal},
        {Multi(u"PCI\\CC_0C03\0PCI\\CC_0C0330\0PCI\\CC_0C0320\0"), HostControllerKind::Extensible},
        {Multi(u"PCI\\CC_0C0320CC_0C0300\0"), HostControllerKind::Universal},
        {Multi(u"PCI\\CC_0C03\0\0PCI\\CC_0C0310\0"), HostControllerKind::Unknown},   // ends at the empty string
        {u"PCI\\CC_0C0310", HostControllerKind::Open},   // no terminator at all
        {u"", HostControllerKind::Unknown},
    };
    for (const Case& c : cases) EXPECT_EQ(ClassifyHostController(c.ids), c.kind);
}

TEST(UsbReport, StringLookupCopiesWithinTheEntry) {
    DEVICE_NODE node;
    node.strings.push_back({0, 0, {4, 3, 0x09, 0x04}});
    node.strings.push_back({1, 0x0409, {2, 3}});                       // empty text: skipped
    node.strings.push_back({1, 0x0407, AsciiString("Erste")});
    node.strings.push_back({1, 0x0409, AsciiString("First")});          // a second language: never reached
    node.strings.push_back({2, 0x0409, {40, 3, 'A', 0, 'B', 0}});      // bLength 40, 6 bytes held
    node.strings.push_back({3, 0x0409, AsciiString("Long text")});
    node.strings.push_back({4, 0x0409, {}});
    struct Case {
        uint8_t index;
        uint32_t capacity;
        const char16_t* expected;   // null: 0 returned
    } cases[] = {
        {0, 64, nullptr}, {1, 64, u"Erste"}, {2, 64, u"AB"}, {3, 64, u"Long text"},
        {3, 9, nullptr},   // nine characters need ten with the NUL
        {3, 10, u"Long text"}, {4, 64, nullptr}, {5, 64, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        std::vector<char16_t> buffer(c.capacity + 1, u'#');
        const uint32_t n = NodeStringDescriptor(c.index, buffer.data(), c.capacity, &node);
        if (!c.expected) {
            EXPECT_EQ(n, 0u);
            continue;
        }
        EXPECT_EQ(std::u16string(buffer.data(), n), c.expected);
        EXPECT_EQ(buffer[n], 0);
        EXPECT_EQ(buffer[c.capacity], u'#') << "written past the capacity";
    }
    char16_t b[8];
    EXPECT_EQ(NodeStringDescriptor(1, b, 8, nullptr), 0u);
}

TEST(UsbReport, DescriptorSetsAreBoundedByTheBytesHeld) {
    // wTotalLength says 0x400 and the hub descriptor's bLength 71: only the
    // bytes held are read (the address sanitizer sees any other read).
    DeviceFixture f = FromSim("sim_stick", 2, StickDescriptors());
    f.configuration[2] = 0x00;
    f.configuration[3] = 0x04;
    f.configuration.resize(20);
    f.bos = {0x05, 0x0F, 0xFF, 0x00, 0x03, 0x07, 0x10};
    auto node = PortNode(NODE_EXTERNAL_HUB, u"Cut", 1, 2, 2, f);
    node->hubInfo = HubInfo(4, true, {71, 0x29, 4});
    node->hubInfo.resize(40);
    node->configDescriptor.shrink_to_fit();
    node->strings = {{1, 0x0409, {0xFF, 3, 'A'}}};
    const std::string page = PanePage(node.get());
    EXPECT_EQ(CheckNesting(page), "");
    EXPECT_NE(page.find("Self Powered"), std::string::npos) << "no bus-powered byte held";
}

TEST(UsbReport, FullPageEndsWithTheTruncationLine) {
    const SimUsbDescriptors mouse = MouseDescriptors();
    const auto node = PortNode(NODE_DEVICE, u"USB Input Device", 1, 0, 4, FromSim("sim_mouse", 0, mouse), true, &mouse);
    const size_t head = PanePage(node.get()).find("<body>") + PageBuffer::kTailReserve;
    PageBuffer tooSmall(head - 200);
    EXPECT_FALSE(WriteUsbPropertiesPage(tooSmall, node.get(), false, {}, USB_REPORT_OPTIONS{}));
    EXPECT_EQ(tooSmall.size(), 0u);
    for (size_t capacity : {head + 100, head + 3000, head + 12000}) {
        PageBuffer page(capacity);
        ASSERT_TRUE(WriteUsbPropertiesPage(page, node.get(), false, {}, USB_REPORT_OPTIONS{}));
        const std::string text(page.view());
        SCOPED_TRACE(capacity);
        EXPECT_EQ(CheckNesting(text), "");
        EXPECT_NE(text.find(kTruncationLine), std::string::npos);
        EXPECT_LE(text.size(), capacity);
    }
}

TEST(UsbReport, NoPageForMissingOrUnknownNodes) {
    DEVICE_NODE odd;
    odd.kind = 7;
    PageBuffer page(0x10000);
    EXPECT_FALSE(WriteUsbPropertiesPage(page, nullptr, false, {}, USB_REPORT_OPTIONS{}));
    EXPECT_EQ(page.size(), 0u);
    EXPECT_FALSE(WriteUsbPropertiesPage(page, &odd, false, {}, USB_REPORT_OPTIONS{}));
    EXPECT_EQ(page.size(), 0u);
    EXPECT_FALSE(WriteSavedUsbReport(page, &odd, false, {}, "Brindlex", "x"));
    EXPECT_EQ(page.size(), 0u);
}

TEST(UsbReport, DisplaySwitchesReachTheTables) {
    const auto stick = PortNode(NODE_DEVICE, u"Stick", 1, 2, 2, FromSim("sim_stick", 2, StickDescriptors()));
    PageBuffer page(kUsbPropertiesPageCapacity);
    USB_REPORT_OPTIONS brief;
    brief.headerRow = brief.offsetColumn = brief.sizeColumn = brief.expand = brief.detail = false;
    ASSERT_TRUE(WriteUsbPropertiesPage(page, stick.get(), false, {}, brief));
    const std::string text(page.view());
    EXPECT_EQ(text.find("<th"), std::string::npos);
    EXPECT_EQ(text.find("bLength"), std::string::npos);
    EXPECT_NE(PanePage(stick.get()).find("bLength"), std::string::npos);
}

TEST(UsbReport, HeadingWritesEveryCharacterAsAReference) {
    struct Case {
        std::u16string name;
        const char* markup;
    } cases[] = {
        {u"A<&", "&#x0041;&#x003C;&#x0026;"},
        {u"\u00E9\u4E2D", "&#x00E9;&#x4E2D;"},
        {u"a\tb\u0085", "&#x0061;&#x002E;&#x0062;&#x002E;"},
        {u"\U0001F600", "&#x1F600;"},
        {u"\xD800x", "&#xFFFD;&#x0078;"},
    };
    for (const Case& c : cases) {
        PageBuffer page(0x1000);
        ASSERT_TRUE(WriteReportHeading(page, c.name));
        const std::string text(page.view());
        EXPECT_NE(text.find(std::string("\">") + c.markup + "</p>\r\n"), std::string::npos) << text;
    }
    PageBuffer page(0x10000);
    ASSERT_TRUE(WriteReportHeading(page, std::u16string(300, u'x')));
    EXPECT_EQ(Count(page.view(), "&#x0078;"), 255u);
}

TEST(UsbReport, DefaultExportFileName) {
    struct Case {
        std::u16string name;
        std::u16string expected;
    } cases[] = {
        {u"Port1: USB Mass Storage", u"Port1  USB Mass Storage"},
        {u"a\"*/:<>?\\|b", u"a         b"},
        {u"tab\there", u"tab here"},
        {u"", u""},
        {std::u16string(300, u'n'), std::u16string(260, u'n')},
    };
    for (const Case& c : cases) EXPECT_EQ(DefaultExportFileName(c.name), c.expected);
}

TEST(UsbReport, ExportDirectoryKeepsADriveRootsBackslash) {
    struct Case {
        std::u16string path;
        std::u16string expected;
    } cases[] = {
        {u"C:\\report.html", u"C:\\"},
        {u"C:\\Users\\dev\\report.html", u"C:\\Users\\dev"},
        {u"report.html", u""},
        {u"C:report.html", u""},
        {u"\\\\server\\share\\r.html", u"\\\\server\\share"},
        {u"C:\\" + std::u16string(300, u'd') + u"\\r.html", u""},   // the name starts past 259
    };
    for (const Case& c : cases) EXPECT_EQ(ExportDirectoryOf(c.path), c.expected);
}
