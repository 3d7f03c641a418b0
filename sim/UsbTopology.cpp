#include "sim/UsbTopology.h"

#include <set>

#include "base/ByteReader.h"
#include "base/Text.h"

namespace brx {

namespace {

Bytes StringDescriptor(std::u16string_view text) {
    Bytes b(2 + 2 * text.size());
    b[0] = static_cast<uint8_t>(b.size());
    b[1] = 0x03;
    for (size_t i = 0; i < text.size(); ++i)
        PutU16(b, 2 + 2 * i, text[i]);
    return b;
}

const Bytes kEnglish = {0x04, 0x03, 0x09, 0x04};
constexpr uint16_t kLangEnglish = 0x0409;

std::vector<SimStringDescriptor> Strings(std::initializer_list<std::pair<uint8_t, std::u16string_view>> texts) {
    std::vector<SimStringDescriptor> s{{0, 0, kEnglish}};
    for (const auto& [index, text] : texts)
        s.push_back({index, kLangEnglish, StringDescriptor(text)});
    return s;
}

// Setup classes and interface classes, braced and lower case.
const char16_t kClassUsb[] = u"{36fc9e60-c465-11cf-8056-444553540000}";
const char16_t kClassHid[] = u"{745a17a0-74d3-11d0-b6fe-00a0c90f57da}";
const char16_t kClassDisk[] = u"{4d36e967-e325-11ce-bfc1-08002be10318}";
const char16_t kClassVolume[] = u"{71a27cdd-812a-11d0-bec7-08002be2092f}";
const char16_t kClassMouse[] = u"{4d36e96f-e325-11ce-bfc1-08002be10318}";
const char16_t kClassKeyboard[] = u"{4d36e96b-e325-11ce-bfc1-08002be10318}";
const char16_t kClassPorts[] = u"{4d36e978-e325-11ce-bfc1-08002be10318}";
const char16_t kClassUsbDevice[] = u"{88bae032-5a81-49f0-bc3d-a4ff138216d6}";
const char16_t kInterfaceHostController[] = u"{3abf6f2d-71c4-462a-8a92-1e6861e6af27}";
const char16_t kInterfaceHub[] = u"{f18a0e88-c30c-11d0-8815-00a0c906bed8}";
const char16_t kInterfaceVolume[] = u"{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}";

constexpr uint32_t kCapRemovable = 0x4;
constexpr uint32_t kCapSurpriseRemovalOk = 0x80;

// Driver objects of the stacks that are not the scenario's.
struct Driver {
    uint32_t object;
    const char16_t* name;
};
constexpr Driver kPci{0x8A001200, u"\\Driver\\pci"};
constexpr Driver kEhci{0x8A002200, u"\\Driver\\usbehci"};
constexpr Driver kXhci{0x8A003200, u"\\Driver\\USBXHCI"};
constexpr Driver kOhci{0x8A004200, u"\\Driver\\usbohci"};
constexpr Driver kHub{0x8A005200, u"\\Driver\\usbhub"};
constexpr Driver kDisk{0x8A006200, u"\\Driver\\disk"};
constexpr Driver kPartMgr{0x8A007200, u"\\Driver\\partmgr"};
constexpr Driver kMouHid{0x8A008200, u"\\Driver\\mouhid"};
constexpr Driver kMouClass{0x8A009200, u"\\Driver\\mouclass"};
constexpr Driver kKbdHid{0x8A00A200, u"\\Driver\\kbdhid"};
constexpr Driver kKbdClass{0x8A00B200, u"\\Driver\\kbdclass"};
constexpr Driver kUsbccgp{0x8A00C200, u"\\Driver\\usbccgp"};

// An object of a stack: named objects get the key object - 0x30, as the
// scenario's do.
SimStackObject Object(uint32_t object, std::u16string name, const Driver& driver, bool capturable = false) {
    SimStackObject o;
    o.object = object;
    o.nameKey = name.empty() ? 0 : object - 0x30;
    o.name = std::move(name);
    o.driver = driver.object;
    o.driverKey = 1;
    o.driverName = driver.name;
    o.capturable = capturable;
    return o;
}

SimStackObject Captured(const SimDevice& d) {
    SimStackObject o;
    o.object = d.device.deviceObject;
    o.nameKey = d.device.deviceKey;
    o.name = d.deviceName;
    o.driver = d.device.driverKey0;
    o.driverKey = d.device.driverKey1;
    o.driverName = d.driverName;
    o.capturable = true;
    return o;
}

std::u16string Lower(std::u16string s) {
    for (char16_t& c : s)
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c + 32);
    return s;
}

// The hub name and interface path of a hub's instance ID: '\' becomes '#'.
std::u16string HubName(const std::u16string& instanceId) {
    std::u16string name;
    for (char16_t c : Lower(instanceId))
        name.push_back(c == u'\\' ? u'#' : c);
    return name + u"#" + kInterfaceHub;
}

class Builder {
public:
    uint32_t Add(SimDevnode d) {
        t.devnodes.push_back(std::move(d));
        return static_cast<uint32_t>(t.devnodes.size());
    }
    uint32_t AddHub(uint32_t devnode, size_t ports) {
        SimHub h;
        h.name = HubName(t.Devnode(devnode).instanceId);
        h.devnode = devnode;
        h.ports.resize(ports);
        t.Devnode(devnode).interfaces.push_back({kInterfaceHub, u"\\\\?\\" + h.name});
        t.hubs.push_back(std::move(h));
        return static_cast<uint32_t>(t.hubs.size() - 1);
    }
    void Plug(uint32_t hub, uint32_t port, uint32_t devnode, uint8_t speed, uint16_t address,
              SimUsbDescriptors descriptors) {
        SimPort& p = t.hubs[hub].ports[port - 1];
        p.status = 1;
        p.devnode = devnode;
        p.speed = speed;
        p.address = address;
        p.descriptors = std::move(descriptors);
        t.Devnode(devnode).hasAddress = true;
        t.Devnode(devnode).address = port;
    }
    SimUsbTopology t;
};

SimDevnode Node(uint32_t parent, std::u16string id, const char16_t* classGuid, const char16_t* className,
                std::u16string description, std::u16string pdo) {
    SimDevnode d;
    d.parent = parent;
    d.instanceId = std::move(id);
    d.classGuid = classGuid;
    d.className = className;
    d.description = std::move(description);
    d.pdoName = std::move(pdo);
    return d;
}

SimDevnode UsbDevice(uint32_t parent, std::u16string id, const char16_t* classGuid, const char16_t* className,
                     std::u16string description, std::u16string pdo, std::u16string driverKey,
                     std::u16string service, std::vector<std::u16string> hardwareIds,
                     std::vector<std::u16string> compatibleIds) {
    SimDevnode d = Node(parent, std::move(id), classGuid, className, std::move(description), std::move(pdo));
    d.driverKey = std::move(driverKey);
    d.service = std::move(service);
    d.hardwareIds = std::move(hardwareIds);
    d.compatibleIds = std::move(compatibleIds);
    d.capabilities = kCapRemovable | kCapSurpriseRemovalOk;
    return d;
}

SimDevnode Volume(const std::u16string& id, const std::u16string& pdo, const std::u16string& guid, char16_t letter) {
    SimDevnode v = Node(1, id, kClassVolume, u"Volume", u"Generic volume", pdo);
    std::u16string path = u"\\\\?\\";
    for (char16_t c : id)
        path.push_back(c == u'\\' ? u'#' : c);
    v.interfaces.push_back({kInterfaceVolume, path + u"#" + kInterfaceVolume});
    v.volumeName = u"\\\\?\\Volume{" + guid + u"}\\";
    v.driveLetter = letter;
    return v;
}

} // namespace

// ---------------------------------------------------------------------------
// Descriptor sets

SimUsbDescriptors StickDescriptors() {
    SimUsbDescriptors d;
    d.device = {0x12, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x40, 0x09, 0x12,
                0xD1, 0xB5, 0x00, 0x01, 0x01, 0x02, 0x03, 0x01};
    d.configuration = {0x09, 0x02, 0x20, 0x00, 0x01, 0x01, 0x00, 0x80, 0x32,
                       0x09, 0x04, 0x00, 0x00, 0x02, 0x08, 0x06, 0x50, 0x00,
                       0x07, 0x05, 0x81, 0x02, 0x00, 0x02, 0x00,
                       0x07, 0x05, 0x02, 0x02, 0x00, 0x02, 0x00};
    d.qualifier = {0x0A, 0x06, 0x00, 0x02, 0x00, 0x00, 0x00, 0x40, 0x01, 0x00};
    d.otherSpeed = {0x09, 0x07, 0x20, 0x00, 0x01, 0x01, 0x00, 0x80, 0x32,
                    0x09, 0x04, 0x00, 0x00, 0x02, 0x08, 0x06, 0x50, 0x00,
                    0x07, 0x05, 0x81, 0x02, 0x40, 0x00, 0x00,
                    0x07, 0x05, 0x02, 0x02, 0x40, 0x00, 0x00};
    d.strings = Strings({{1, u"Brindlex"}, {2, u"SIM DISK"}, {3, u"0123456789ABCDEF"}});
    return d;
}

SimUsbDescriptors MouseDescriptors() {
    SimUsbDescriptors d;
    // A low-speed boot mouse; it stalls the device qualifier request.
    d.device = {0x12, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x08, 0x6D, 0x04,
                0x77, 0xC0, 0x00, 0x72, 0x01, 0x02, 0x00, 0x01};
    d.configuration = {0x09, 0x02, 0x22, 0x00, 0x01, 0x01, 0x00, 0xA0, 0x32,
                       0x09, 0x04, 0x00, 0x00, 0x01, 0x03, 0x01, 0x02, 0x00,
                       0x09, 0x21, 0x11, 0x01, 0x00, 0x01, 0x22, 0x2E, 0x00,
                       0x07, 0x05, 0x81, 0x03, 0x04, 0x00, 0x0A};
    d.strings = Strings({{1, u"Logitech"}, {2, u"USB Optical Mouse"}});
    // The report descriptor a Logitech mouse (046D:C077) sent.
    d.reportDescriptors = {{0, {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x09, 0x01, 0xA1, 0x00, 0x05, 0x09, 0x19, 0x01,
                                0x29, 0x03, 0x15, 0x00, 0x25, 0x01, 0x95, 0x08, 0x75, 0x01, 0x81, 0x02, 0x05, 0x01,
                                0x09, 0x30, 0x09, 0x31, 0x09, 0x38, 0x15, 0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x03,
                                0x81, 0x06, 0xC0, 0xC0}}};
    return d;
}

SimUsbDescriptors KeyboardDescriptors() {
    // Everything a Holtek keyboard (04D9:1603) sent while it was enumerated.
    SimUsbDescriptors d;
    d.device = {0x12, 0x01, 0x10, 0x01, 0x00, 0x00, 0x00, 0x08, 0xD9, 0x04,
                0x03, 0x16, 0x10, 0x03, 0x01, 0x02, 0x00, 0x01};
    d.configuration = {0x09, 0x02, 0x3B, 0x00, 0x02, 0x01, 0x00, 0xA0, 0x32,
                       0x09, 0x04, 0x00, 0x00, 0x01, 0x03, 0x01, 0x01, 0x00,
                       0x09, 0x21, 0x10, 0x01, 0x00, 0x01, 0x22, 0x3E, 0x00,
                       0x07, 0x05, 0x81, 0x03, 0x08, 0x00, 0x0A,
                       0x09, 0x04, 0x01, 0x00, 0x01, 0x03, 0x00, 0x00, 0x00,
                       0x09, 0x21, 0x10, 0x01, 0x00, 0x01, 0x22, 0x65, 0x00,
                       0x07, 0x05, 0x82, 0x03, 0x08, 0x00, 0x0A};
    d.strings = {{0, 0, kEnglish},
                 {1, kLangEnglish, {0x04, 0x03, 0x20, 0x00}},
                 {2, kLangEnglish, StringDescriptor(u"USB Keyboard")}};
    d.reportDescriptors = {
        {0, {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00, 0x25, 0x01,
             0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x95, 0x01, 0x75, 0x08, 0x81, 0x01, 0x95, 0x03, 0x75, 0x01,
             0x05, 0x08, 0x19, 0x01, 0x29, 0x03, 0x91, 0x02, 0x95, 0x05, 0x75, 0x01, 0x91, 0x01, 0x95, 0x06,
             0x75, 0x08, 0x26, 0xFF, 0x00, 0x05, 0x07, 0x19, 0x00, 0x29, 0x91, 0x81, 0x00, 0xC0}},
        {1, {0x05, 0x01, 0x09, 0x80, 0xA1, 0x01, 0x85, 0x01, 0x19, 0x81, 0x29, 0x83, 0x15, 0x00, 0x25, 0x01,
             0x95, 0x03, 0x75, 0x01, 0x81, 0x02, 0x95, 0x01, 0x75, 0x05, 0x81, 0x01, 0xC0, 0x05, 0x0C, 0x09,
             0x01, 0xA1, 0x01, 0x85, 0x02, 0x15, 0x00, 0x25, 0x01, 0x09, 0xE9, 0x09, 0xEA, 0x09, 0xE2, 0x09,
             0xCD, 0x19, 0xB5, 0x29, 0xB8, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x0A, 0x8A, 0x01, 0x0A, 0x21,
             0x02, 0x0A, 0x2A, 0x02, 0x1A, 0x23, 0x02, 0x2A, 0x27, 0x02, 0x81, 0x02, 0x0A, 0x83, 0x01, 0x0A,
             0x96, 0x01, 0x0A, 0x92, 0x01, 0x0A, 0x9E, 0x01, 0x0A, 0x94, 0x01, 0x0A, 0x06, 0x02, 0x09, 0xB2,
             0x09, 0xB4, 0x81, 0x02, 0xC0}},
    };
    return d;
}

SimUsbDescriptors SerialDescriptors() {
    // A CDC ACM function behind an interface association; full speed only.
    SimUsbDescriptors d;
    d.device = {0x12, 0x01, 0x00, 0x02, 0xEF, 0x02, 0x01, 0x40, 0x09, 0x12,
                0xD2, 0xB5, 0x00, 0x01, 0x01, 0x02, 0x03, 0x01};
    d.configuration = {0x09, 0x02, 0x4B, 0x00, 0x02, 0x01, 0x00, 0x80, 0x32,
                       0x08, 0x0B, 0x00, 0x02, 0x02, 0x02, 0x01, 0x04,
                       0x09, 0x04, 0x00, 0x00, 0x01, 0x02, 0x02, 0x01, 0x00,
                       0x05, 0x24, 0x00, 0x10, 0x01,
                       0x05, 0x24, 0x01, 0x00, 0x01,
                       0x04, 0x24, 0x02, 0x02,
                       0x05, 0x24, 0x06, 0x00, 0x01,
                       0x07, 0x05, 0x83, 0x03, 0x08, 0x00, 0x10,
                       0x09, 0x04, 0x01, 0x00, 0x02, 0x0A, 0x00, 0x00, 0x05,
                       0x07, 0x05, 0x82, 0x02, 0x40, 0x00, 0x00,
                       0x07, 0x05, 0x02, 0x02, 0x40, 0x00, 0x00};
    d.strings = Strings({{1, u"Brindlex"}, {2, u"SIM SERIAL"}, {3, u"SER0001"}, {4, u"CDC Serial"}, {5, u"CDC Data"}});
    return d;
}

SimUsbDescriptors CompositeDescriptors() {
    // The Linux "CDC ACM + mass storage" composite gadget (g_acm_ms, 1D6B:0106)
    // at high speed, as the kernel's composite framework, f_acm and
    // f_mass_storage build it: device class EFh/02h/01h; an interface
    // association (CDC, ACM, AT commands) over the communication interface
    // with its header, call management, ACM (line coding and serial state)
    // and union descriptors and its 10-byte notification endpoint (interval
    // 32 ms), the data interface with its bulk pair; then the mass-storage
    // interface. Endpoints in f_acm's order of autoconfiguration (bulk IN,
    // bulk OUT, notification); string indices as the framework hands them out.
    SimUsbDescriptors d;
    d.device = {0x12, 0x01, 0x00, 0x02, 0xEF, 0x02, 0x01, 0x40, 0x6B, 0x1D,
                0x06, 0x01, 0x01, 0x06, 0x01, 0x02, 0x00, 0x01};
    const Bytes functions = {0x08, 0x0B, 0x00, 0x02, 0x02, 0x02, 0x01, 0x06,
                             0x09, 0x04, 0x00, 0x00, 0x01, 0x02, 0x02, 0x01, 0x04,
                             0x05, 0x24, 0x00, 0x10, 0x01,
                             0x05, 0x24, 0x01, 0x00, 0x01,
                             0x04, 0x24, 0x02, 0x02,
                             0x05, 0x24, 0x06, 0x00, 0x01};
    auto configuration = [&](uint8_t type, uint8_t bulkLow, uint8_t bulkHigh, uint8_t notifyInterval,
                             uint8_t outInterval) {
        Bytes c = {0x09, type, 0x62, 0x00, 0x03, 0x01, 0x00, 0xC0, 0x01};
        c.insert(c.end(), functions.begin(), functions.end());
        const Bytes rest = {0x07, 0x05, 0x82, 0x03, 0x0A, 0x00, notifyInterval,
                            0x09, 0x04, 0x01, 0x00, 0x02, 0x0A, 0x00, 0x00, 0x05,
                            0x07, 0x05, 0x81, 0x02, bulkLow, bulkHigh, 0x00,
                            0x07, 0x05, 0x01, 0x02, bulkLow, bulkHigh, 0x00,
                            0x09, 0x04, 0x02, 0x00, 0x02, 0x08, 0x06, 0x50, 0x07,
                            0x07, 0x05, 0x83, 0x02, bulkLow, bulkHigh, 0x00,
                            0x07, 0x05, 0x02, 0x02, bulkLow, bulkHigh, outInterval};
        c.insert(c.end(), rest.begin(), rest.end());
        return c;
    };
    d.configuration = configuration(0x02, 0x00, 0x02, 0x09, 0x01);   // 512-byte bulk, 2^(9-1) microframes
    d.qualifier = {0x0A, 0x06, 0x00, 0x02, 0xEF, 0x02, 0x01, 0x40, 0x01, 0x00};
    d.otherSpeed = configuration(0x07, 0x40, 0x00, 0x20, 0x00);      // 64-byte bulk, 32 frames
    d.strings = Strings({{1, u"Linux 6.1.21-v8+ with 3f980000.usb"},
                         {2, u"Composite Gadget (ACM + MS)"},
                         {4, u"CDC Abstract Control Model (ACM)"},
                         {5, u"CDC ACM Data"},
                         {6, u"CDC Serial"},
                         {7, u"Mass Storage"}});
    return d;
}

SimUsbDescriptors DfuDescriptors() {
    // The Black Magic Probe's DFU bootloader (1D50:6017, its dfucore.c) at
    // full speed: one interface FEh/01h/02h (DFU mode) without endpoints and
    // its DFU functional descriptor: download, upload and will-detach,
    // detach timeout 255 ms, 1024-byte transfers, DFU version 1.1a. The
    // interface string names the flash layout for the flashing tools.
    SimUsbDescriptors d;
    d.device = {0x12, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x40, 0x50, 0x1D,
                0x17, 0x60, 0x00, 0x01, 0x01, 0x02, 0x03, 0x01};
    d.configuration = {0x09, 0x02, 0x1B, 0x00, 0x01, 0x01, 0x00, 0xC0, 0x32,
                       0x09, 0x04, 0x00, 0x00, 0x00, 0xFE, 0x01, 0x02, 0x04,
                       0x09, 0x21, 0x0B, 0xFF, 0x00, 0x00, 0x04, 0x1A, 0x01};
    d.strings = Strings({{1, u"Black Magic Debug"},
                         {2, u"Black Magic Probe DFU (native) v1.10.2"},
                         {3, u"7BB180B4"},
                         {4, u"@Internal Flash   /0x08000000/8*001Ka,120*001Kg"}});
    return d;
}

SimUsbDescriptors PrinterDescriptors() {
    // The Linux printer gadget (g_printer, 0525:A4A8) at high speed, as
    // f_printer builds it: class per interface, one interface 07h/01h/02h
    // (printer, bidirectional) with a bulk IN and a bulk OUT endpoint,
    // self-powered.
    SimUsbDescriptors d;
    d.device = {0x12, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x40, 0x25, 0x05,
                0xA8, 0xA4, 0x01, 0x06, 0x01, 0x02, 0x03, 0x01};
    d.configuration = {0x09, 0x02, 0x20, 0x00, 0x01, 0x01, 0x00, 0xC0, 0x01,
                       0x09, 0x04, 0x00, 0x00, 0x02, 0x07, 0x01, 0x02, 0x00,
                       0x07, 0x05, 0x81, 0x02, 0x00, 0x02, 0x00,
                       0x07, 0x05, 0x01, 0x02, 0x00, 0x02, 0x00};
    d.qualifier = {0x0A, 0x06, 0x00, 0x02, 0x00, 0x00, 0x00, 0x40, 0x01, 0x00};
    d.otherSpeed = {0x09, 0x07, 0x20, 0x00, 0x01, 0x01, 0x00, 0xC0, 0x01,
                    0x09, 0x04, 0x00, 0x00, 0x02, 0x07, 0x01, 0x02, 0x00,
                    0x07, 0x05, 0x81, 0x02, 0x40, 0x00, 0x00,
                    0x07, 0x05, 0x01, 0x02, 0x40, 0x00, 0x00};
    d.strings = Strings({{1, u"Linux 6.1.21-v8+ with 3f980000.usb"}, {2, u"Printer Gadget"}, {3, u"1"}});
    return d;
}

Bytes PrinterDeviceId() {
    // The printer gadget's default Device ID.
    const std::string_view text = "MFG:linux;MDL:g_printer;CLS:PRINTER;SN:1;";
    Bytes id = {0, static_cast<uint8_t>(2 + text.size())};
    id.insert(id.end(), text.begin(), text.end());
    return id;
}

SimUsbDescriptors HubDescriptors() {
    SimUsbDescriptors d;
    d.device = {0x12, 0x01, 0x00, 0x02, 0x09, 0x00, 0x01, 0x40, 0xE3, 0x05,
                0x08, 0x06, 0x32, 0x85, 0x00, 0x01, 0x00, 0x01};
    d.configuration = {0x09, 0x02, 0x19, 0x00, 0x01, 0x01, 0x00, 0xE0, 0x32,
                       0x09, 0x04, 0x00, 0x00, 0x01, 0x09, 0x00, 0x00, 0x00,
                       0x07, 0x05, 0x81, 0x03, 0x01, 0x00, 0x0C};
    d.qualifier = {0x0A, 0x06, 0x00, 0x02, 0x09, 0x00, 0x02, 0x40, 0x01, 0x00};
    d.otherSpeed = {0x09, 0x07, 0x19, 0x00, 0x01, 0x01, 0x00, 0xE0, 0x32,
                    0x09, 0x04, 0x00, 0x00, 0x01, 0x09, 0x00, 0x00, 0x00,
                    0x07, 0x05, 0x81, 0x03, 0x01, 0x00, 0xFF};
    d.strings = Strings({{1, u"USB2.0 Hub"}});
    return d;
}

std::vector<Bytes> OpenPipes(const Bytes& configuration) {
    std::vector<Bytes> pipes;
    const ByteReader r(configuration.data(), configuration.size());
    bool firstSetting = false;
    for (size_t at = 0; r.has(at, 2);) {
        const uint8_t length = r.u8or(at), type = r.u8or(at + 1);
        if (length < 2 || !r.has(at, length))
            break;
        if (type == 0x04 && length >= 9)
            firstSetting = r.u8or(at + 3) == 0;
        if (type == 0x05 && length >= 7 && firstSetting)
            pipes.emplace_back(configuration.begin() + static_cast<std::ptrdiff_t>(at),
                               configuration.begin() + static_cast<std::ptrdiff_t>(at + 7));
        at += length;
    }
    return pipes;
}

// ---------------------------------------------------------------------------
// The machine

SimUsbTopology MakeSimUsbTopology(const std::vector<SimDevice>& captured) {
    Builder b;
    const uint32_t root = b.Add(Node(0, u"HTREE\\ROOT\\0", u"", u"", u"", u""));
    const std::u16string hcKey = std::u16string(kClassUsb) + u"\\000";

    // EHCI controller: \\.\HCD0 and an interface.
    SimDevnode ehci = Node(root, u"PCI\\VEN_8086&DEV_293C&SUBSYS_20F017AA&REV_03\\3&21436425&0&EF", kClassUsb, u"USB",
                           u"Intel(R) ICH9 Family USB2 Enhanced Host Controller - 293C", u"\\Device\\NTPNP_PCI0012");
    ehci.driverKey = hcKey + u"0";
    ehci.service = u"usbehci";
    ehci.manufacturer = u"Intel";
    ehci.hardwareIds = {u"PCI\\VEN_8086&DEV_293C&SUBSYS_20F017AA&REV_03", u"PCI\\VEN_8086&DEV_293C"};
    ehci.compatibleIds = {u"PCI\\VEN_8086&DEV_293C&REV_03", u"PCI\\VEN_8086&CC_0C0320", u"PCI\\VEN_8086&CC_0C03",
                          u"PCI\\CC_0C0320", u"PCI\\CC_0C03"};
    ehci.interfaces = {{kInterfaceHostController,
                        u"\\\\?\\pci#ven_8086&dev_293c&subsys_20f017aa&rev_03#3&21436425&0&ef#" +
                            std::u16string(kInterfaceHostController)}};
    ehci.stack = {Object(0x8A011030, u"\\Device\\NTPNP_PCI0012", kPci), Object(0x8A012030, u"\\Device\\USBFDO-0", kEhci)};
    const uint32_t ehciNode = b.Add(ehci);

    SimDevnode rootHub20 = Node(ehciNode, u"USB\\ROOT_HUB20\\4&1F2A3B4C&0", kClassUsb, u"USB", u"USB Root Hub",
                                u"\\Device\\USBPDO-0");
    rootHub20.driverKey = hcKey + u"1";
    rootHub20.service = u"usbhub";
    rootHub20.hardwareIds = {u"USB\\ROOT_HUB20&VID8086&PID293C&REV0003", u"USB\\ROOT_HUB20"};
    rootHub20.stack = {Object(0x89A00030, u"\\Device\\USBPDO-0", kEhci), Object(0x89A00130, u"", kHub)};
    const uint32_t rootHub20Node = b.Add(rootHub20);
    const uint32_t hub20 = b.AddHub(rootHub20Node, 4);
    b.t.controllers.push_back({ehciNode, 0, hub20});

    // Port 1: the stick, with its disk and two volumes.
    const SimDevice& stick = captured[0];
    SimDevnode stickNode = UsbDevice(rootHub20Node, u"USB\\VID_1209&PID_B5D1\\0123456789ABCDEF", kClassUsb, u"USB",
                                     u"USB Mass Storage Device", stick.deviceName, hcKey + u"2", u"USBSTOR",
                                     {u"USB\\VID_1209&PID_B5D1&REV_0100", u"USB\\VID_1209&PID_B5D1"},
                                     {u"USB\\Class_08&SubClass_06&Prot_50", u"USB\\Class_08&SubClass_06", u"USB\\Class_08"});
    stickNode.capabilities = kCapRemovable;   // removable storage: not for surprise removal
    stickNode.manufacturer = u"Compatible USB storage device";
    stickNode.location = u"Port_#0001.Hub_#0001";
    const Driver usbstor{stick.device.driverKey0, u"\\Driver\\USBSTOR"};
    stickNode.stack = {Captured(stick), Object(0x89A11830, u"", usbstor, true)};
    const uint32_t stickId = b.Add(stickNode);
    b.Plug(hub20, 1, stickId, 2, 2, stick.descriptors);

    const std::u16string diskId = u"USBSTOR\\DISK&VEN_BRINDLEX&PROD_SIM_DISK&REV_1.00\\0123456789ABCDEF&0";
    const std::u16string volumeE = u"STORAGE\\VOLUME\\{4C1B2A3D-6E5F-11EF-9A01-806E6F6E6963}#0000000000100000";
    const std::u16string volumeF = u"STORAGE\\VOLUME\\{4C1B2A3D-6E5F-11EF-9A01-806E6F6E6963}#0000000040100000";
    SimDevnode disk = Node(stickId, diskId, kClassDisk, u"DiskDrive", u"Disk drive", u"\\Device\\00000072");
    disk.friendlyName = u"BRINDLEX SIM DISK USB Device";
    disk.service = u"disk";
    disk.driverKey = std::u16string(kClassDisk) + u"\\0001";
    disk.removalRelations = {volumeE, volumeF};
    disk.stack = {Object(0x89C11030, u"\\Device\\00000072", usbstor),
                  Object(0x89C11130, u"\\Device\\Harddisk1\\DR1", kDisk), Object(0x89C11230, u"", kPartMgr)};
    b.Add(disk);
    b.Add(Volume(volumeE, u"\\Device\\HarddiskVolume5", u"b4e5c8a1-0e1f-11ef-9a01-806e6f6e6963", u'E'));
    b.Add(Volume(volumeF, u"\\Device\\HarddiskVolume6", u"b4e5c8a2-0e1f-11ef-9a01-806e6f6e6963", u'F'));

    // Port 2: a four-port hub with the mouse and the keyboard.
    SimDevnode hubNode = UsbDevice(rootHub20Node, u"USB\\VID_05E3&PID_0608\\5&2C3D4E5F&0&2", kClassUsb, u"USB",
                                   u"Generic USB Hub", u"\\Device\\USBPDO-3", hcKey + u"3", u"usbhub",
                                   {u"USB\\VID_05E3&PID_0608&REV_8532", u"USB\\VID_05E3&PID_0608"},
                                   {u"USB\\Class_09&SubClass_00&Prot_01", u"USB\\Class_09&SubClass_00", u"USB\\Class_09"});
    hubNode.location = u"Port_#0002.Hub_#0001";
    hubNode.stack = {Object(0x89A0F030, u"\\Device\\USBPDO-3", kHub, true), Object(0x89A0F130, u"", kHub, true)};
    const uint32_t hubId = b.Add(hubNode);
    const uint32_t hub4 = b.AddHub(hubId, 4);
    b.Plug(hub20, 2, hubId, 2, 3, HubDescriptors());
    b.t.hubs[hub20].ports[1].hub = hub4;

    const std::u16string hidKey = std::u16string(kClassHid) + u"\\000";
    const SimDevice& mouse = captured[1];
    SimDevnode mouseNode = UsbDevice(hubId, u"USB\\VID_046D&PID_C077\\6&1A2B3C4D&0&1", kClassHid, u"HIDClass",
                                     u"USB Input Device", mouse.deviceName, hidKey + u"0", u"HidUsb",
                                     {u"USB\\VID_046D&PID_C077&REV_7200", u"USB\\VID_046D&PID_C077"},
                                     {u"USB\\Class_03&SubClass_01&Prot_02", u"USB\\Class_03&SubClass_01", u"USB\\Class_03"});
    mouseNode.location = u"Port_#0001.Hub_#0002";
    mouseNode.stack = {Captured(mouse)};
    const uint32_t mouseId = b.Add(mouseNode);
    b.Plug(hub4, 1, mouseId, 0, 4, mouse.descriptors);
    SimDevnode mouseHid = Node(mouseId, u"HID\\VID_046D&PID_C077\\7&2B3C4D5E&0&0000", kClassMouse, u"Mouse",
                               u"HID-compliant mouse", u"\\Device\\00000073");
    mouseHid.service = u"mouhid";
    mouseHid.stack = {Object(0x89C21030, u"\\Device\\00000073", {mouse.device.driverKey0, u"\\Driver\\HidUsb"}),
                      Object(0x89C21130, u"", kMouHid), Object(0x89C21230, u"\\Device\\PointerClass0", kMouClass)};
    b.Add(mouseHid);

    const SimDevice& keyboard = captured[2];
    SimDevnode keyboardNode = UsbDevice(hubId, u"USB\\VID_04D9&PID_1603\\6&1A2B3C4D&0&2", kClassHid, u"HIDClass",
                                        u"USB Input Device", keyboard.deviceName, hidKey + u"1", u"HidUsb",
                                        {u"USB\\VID_04D9&PID_1603&REV_0310", u"USB\\VID_04D9&PID_1603"},
                                        {u"USB\\Class_03&SubClass_01&Prot_01", u"USB\\Class_03&SubClass_01", u"USB\\Class_03"});
    keyboardNode.location = u"Port_#0002.Hub_#0002";
    keyboardNode.stack = {Captured(keyboard), Object(0x89A31830, u"", kKbdHid, true)};
    const uint32_t keyboardId = b.Add(keyboardNode);
    b.Plug(hub4, 2, keyboardId, 1, 5, keyboard.descriptors);
    SimDevnode keyboardHid = Node(keyboardId, u"HID\\VID_04D9&PID_1603\\7&3C4D5E6F&0&0000", kClassKeyboard,
                                  u"Keyboard", u"HID Keyboard Device", u"\\Device\\00000074");
    keyboardHid.service = u"kbdhid";
    keyboardHid.stack = {Object(0x89C31030, u"\\Device\\00000074", {keyboard.device.driverKey0, u"\\Driver\\HidUsb"}),
                         Object(0x89C31130, u"", kKbdHid), Object(0x89C31230, u"\\Device\\KeyboardClass0", kKbdClass)};
    b.Add(keyboardHid);

    // Port 3: the serial port.
    const SimDevice& serial = captured[3];
    SimDevnode serialNode = UsbDevice(rootHub20Node, u"USB\\VID_1209&PID_B5D2\\SER0001", kClassPorts, u"Ports",
                                      u"USB Serial Device", serial.deviceName, std::u16string(kClassPorts) + u"\\0003",
                                      u"usbser", {u"USB\\VID_1209&PID_B5D2&REV_0100", u"USB\\VID_1209&PID_B5D2"},
                                      {u"USB\\Class_02&SubClass_02&Prot_01", u"USB\\Class_02&SubClass_02", u"USB\\Class_02"});
    serialNode.friendlyName = u"USB Serial Device (COM3)";
    serialNode.location = u"Port_#0003.Hub_#0001";
    serialNode.stack = {Captured(serial)};
    const uint32_t serialId = b.Add(serialNode);
    b.Plug(hub20, 3, serialId, 1, 6, serial.descriptors);

    // Port 4: the composite device. The composite driver makes a child for
    // each function: the CDC ACM function (interfaces 0 and 1, captured) and
    // the mass-storage function (interface 2), which has no medium.
    const SimDevice& composite = captured[4];
    SimDevnode compositeNode = UsbDevice(rootHub20Node, u"USB\\VID_1D6B&PID_0106\\5&2C3D4E5F&0&4", kClassUsb, u"USB",
                                         u"USB Composite Device", u"\\Device\\USBPDO-8", hcKey + u"7", u"usbccgp",
                                         {u"USB\\VID_1D6B&PID_0106&REV_0601", u"USB\\VID_1D6B&PID_0106"},
                                         {u"USB\\DevClass_EF&SubClass_02&Prot_01", u"USB\\DevClass_EF&SubClass_02",
                                          u"USB\\DevClass_EF", u"USB\\COMPOSITE"});
    compositeNode.manufacturer = u"(Standard USB Host Controller)";
    compositeNode.location = u"Port_#0004.Hub_#0001";
    compositeNode.stack = {Object(0x89A5F030, u"\\Device\\USBPDO-8", kHub), Object(0x89A5F130, u"", kUsbccgp)};
    const uint32_t compositeId = b.Add(compositeNode);
    b.Plug(hub20, 4, compositeId, 2, 7, composite.descriptors);
    SimDevnode acmNode = UsbDevice(compositeId, u"USB\\VID_1D6B&PID_0106&MI_00\\6&3D4E5F60&0&0000", kClassPorts, u"Ports",
                                   u"USB Serial Device", composite.deviceName, std::u16string(kClassPorts) + u"\\0005",
                                   u"usbser",
                                   {u"USB\\VID_1D6B&PID_0106&REV_0601&MI_00", u"USB\\VID_1D6B&PID_0106&MI_00"},
                                   {u"USB\\Class_02&SubClass_02&Prot_01", u"USB\\Class_02&SubClass_02", u"USB\\Class_02"});
    acmNode.friendlyName = u"USB Serial Device (COM5)";
    acmNode.location = u"0000.0000.0000.004.000.000.000.000.000";
    acmNode.stack = {Captured(composite)};
    b.Add(acmNode);
    SimDevnode functionStorage = UsbDevice(
        compositeId, u"USB\\VID_1D6B&PID_0106&MI_02\\6&3D4E5F60&0&0002", kClassUsb, u"USB", u"USB Mass Storage Device",
        u"\\Device\\USBPDO-10", hcKey + u"8", u"USBSTOR",
        {u"USB\\VID_1D6B&PID_0106&REV_0601&MI_02", u"USB\\VID_1D6B&PID_0106&MI_02"},
        {u"USB\\Class_08&SubClass_06&Prot_50", u"USB\\Class_08&SubClass_06", u"USB\\Class_08"});
    functionStorage.manufacturer = u"Compatible USB storage device";
    functionStorage.stack = {Object(0x89A5E030, u"\\Device\\USBPDO-10", kUsbccgp), Object(0x89A5E130, u"", usbstor)};
    b.Add(functionStorage);

    // xHCI controller, found only through its interface, with an empty root hub.
    SimDevnode xhci = Node(root, u"PCI\\VEN_8086&DEV_A12F&SUBSYS_20F017AA&REV_31\\3&21436425&0&A0", kClassUsb, u"USB",
                           u"Intel(R) USB 3.0 eXtensible Host Controller - 1.0 (Microsoft)", u"\\Device\\NTPNP_PCI0019");
    xhci.driverKey = hcKey + u"4";
    xhci.service = u"USBXHCI";
    xhci.compatibleIds = {u"PCI\\VEN_8086&CC_0C0330", u"PCI\\CC_0C0330", u"PCI\\CC_0C03"};
    xhci.interfaces = {{kInterfaceHostController,
                        u"\\\\?\\pci#ven_8086&dev_a12f&subsys_20f017aa&rev_31#3&21436425&0&a0#" +
                            std::u16string(kInterfaceHostController)}};
    xhci.stack = {Object(0x8A021030, u"\\Device\\NTPNP_PCI0019", kPci), Object(0x8A022030, u"\\Device\\USBFDO-1", kXhci)};
    const uint32_t xhciNode = b.Add(xhci);
    SimDevnode rootHub30 = Node(xhciNode, u"USB\\ROOT_HUB30\\4&2B3C4D5E&0&0", kClassUsb, u"USB",
                                u"USB Root Hub (USB 3.0)", u"\\Device\\USBPDO-1");
    rootHub30.driverKey = hcKey + u"5";
    rootHub30.service = u"USBHUB3";
    rootHub30.stack = {Object(0x89A01030, u"\\Device\\USBPDO-1", kXhci)};
    const uint32_t rootHub30Node = b.Add(rootHub30);
    const uint32_t hub30 = b.AddHub(rootHub30Node, 2);
    b.t.controllers.push_back({xhciNode, -1, hub30});

    // Port 1: the printer; port 2: the DFU bootloader, bound to WinUSB.
    const SimDevice& printer = captured[6];
    SimDevnode printerNode = UsbDevice(rootHub30Node, u"USB\\VID_0525&PID_A4A8\\1", kClassUsb, u"USB",
                                       u"USB Printing Support", printer.deviceName, hcKey + u"9", u"usbprint",
                                       {u"USB\\VID_0525&PID_A4A8&REV_0601", u"USB\\VID_0525&PID_A4A8"},
                                       {u"USB\\Class_07&SubClass_01&Prot_02", u"USB\\Class_07&SubClass_01", u"USB\\Class_07"});
    printerNode.manufacturer = u"Microsoft";
    printerNode.location = u"Port_#0001.Hub_#0003";
    printerNode.stack = {Captured(printer)};
    const uint32_t printerId = b.Add(printerNode);
    b.Plug(hub30, 1, printerId, 2, 1, printer.descriptors);

    const SimDevice& dfu = captured[5];
    SimDevnode dfuNode = UsbDevice(rootHub30Node, u"USB\\VID_1D50&PID_6017\\7BB180B4", kClassUsbDevice, u"USBDevice",
                                   u"Black Magic Probe DFU", dfu.deviceName, std::u16string(kClassUsbDevice) + u"\\0000",
                                   u"WinUSB", {u"USB\\VID_1D50&PID_6017&REV_0100", u"USB\\VID_1D50&PID_6017"},
                                   {u"USB\\Class_FE&SubClass_01&Prot_02", u"USB\\Class_FE&SubClass_01", u"USB\\Class_FE"});
    dfuNode.manufacturer = u"Black Magic Debug";
    dfuNode.location = u"Port_#0002.Hub_#0003";
    dfuNode.stack = {Captured(dfu)};
    const uint32_t dfuId = b.Add(dfuNode);
    b.Plug(hub30, 2, dfuId, 1, 2, dfu.descriptors);

    // OHCI controller, known only to its setup class.
    SimDevnode ohci = Node(root, u"PCI\\VEN_1033&DEV_0035&SUBSYS_00351033&REV_43\\3&21436425&0&40", kClassUsb, u"USB",
                           u"NEC PCI to USB Open Host Controller", u"\\Device\\NTPNP_PCI0020");
    ohci.driverKey = hcKey + u"6";
    ohci.service = u"usbohci";
    ohci.compatibleIds = {u"PCI\\VEN_1033&CC_0C0310", u"PCI\\CC_0C0310", u"PCI\\CC_0C03"};
    ohci.stack = {Object(0x8A031030, u"\\Device\\NTPNP_PCI0020", kPci), Object(0x8A032030, u"", kOhci)};
    const uint32_t ohciNode = b.Add(ohci);
    b.t.controllers.push_back({ohciNode, -1, SIM_NONE});
    return std::move(b.t);
}

// ---------------------------------------------------------------------------
// Queries

uint32_t SimUsbTopology::FindDevnode(std::u16string_view instanceId) const {
    for (size_t i = 0; i < devnodes.size(); ++i)
        if (devnodes[i].present && WideEqualsIgnoreCase(devnodes[i].instanceId, instanceId))
            return static_cast<uint32_t>(i + 1);
    return 0;
}

SimPort* SimUsbTopology::FindPort(uint32_t devinst, uint32_t* hubIndex) {
    for (size_t h = 0; h < hubs.size(); ++h)
        for (SimPort& p : hubs[h].ports)
            if (p.devnode == devinst && p.status != 0) {
                if (hubIndex)
                    *hubIndex = static_cast<uint32_t>(h);
                return &p;
            }
    return nullptr;
}

std::vector<RefreshStackSpec> SimUsbTopology::Stacks() const {
    std::vector<RefreshStackSpec> stacks;
    for (const SimDevnode& d : devnodes) {
        if (!d.present || d.stack.empty())
            continue;
        RefreshStackSpec s;
        s.value = d.stackValue;
        s.physicalDeviceObject = d.stack[0].object;
        s.instanceId = d.instanceId;
        for (const SimStackObject& o : d.stack)
            s.entries.push_back({o.object, o.nameKey, o.driver, o.driverKey, o.capturable});
        stacks.push_back(std::move(s));
    }
    return stacks;
}

Bytes SimUsbTopology::RefreshData() const { return brx::RefreshData(Stacks()); }

Bytes SimUsbTopology::RefreshList() const {
    std::vector<RefreshDescriptorSpec> list;
    for (const SimHub& h : hubs)
        for (const SimPort& p : h.ports) {
            if (p.status == 0 || !p.devnode || !Devnode(p.devnode).present || Devnode(p.devnode).stack.empty())
                continue;
            for (const SimUsbDescriptors::Report& r : p.descriptors.reportDescriptors)
                list.push_back({Devnode(p.devnode).stack[0].object, r.interfaceNumber, r.descriptor});
        }
    return brx::RefreshList(list);
}

std::vector<NameItem> SimUsbTopology::DeviceNames() const {
    std::vector<NameItem> items;
    std::set<uint32_t> done;
    for (const SimDevnode& d : devnodes)
        for (const SimStackObject& o : d.stack)
            if (o.nameKey && done.insert(o.object).second)
                items.push_back({o.object, o.nameKey, o.name});
    return items;
}

std::vector<NameItem> SimUsbTopology::DriverNames() const {
    std::vector<NameItem> items;
    std::set<uint32_t> done;
    for (const SimDevnode& d : devnodes)
        for (const SimStackObject& o : d.stack)
            if (o.driverKey && done.insert(o.driver).second)
                items.push_back({o.driver, o.driverKey, o.driverName});
    return items;
}

} // namespace brx
