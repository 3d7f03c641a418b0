#include "sim/DriverScenario.h"

#include <algorithm>

namespace brx {

namespace {

constexpr uint32_t kStatusSuccess = 0;

DeviceSpec MakeDevice(uint32_t object, uint8_t cls, uint8_t subClass, uint8_t protocol, uint32_t driverKey) {
    DeviceSpec d;
    d.deviceObject = object;
    d.deviceKey = object - 0x30;
    d.driverKey0 = driverKey;
    d.driverKey1 = 1;
    d.interfaceClass = cls;
    d.interfaceSubClass = subClass;
    d.interfaceProtocol = protocol;
    return d;
}

Bytes Cdb(std::initializer_list<uint8_t> bytes) {
    Bytes c(bytes);
    c.resize(c.size() <= 6 ? 6 : c.size() <= 10 ? 10 : 16, 0);
    return c;
}

Bytes Pattern(size_t n, uint8_t seed) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = static_cast<uint8_t>(seed + i * 7);
    return b;
}

} // namespace

CDriverScenario::CDriverScenario() {
    stick_ = MakeMassStorageDevice(SIM_STICK_OBJECT - 0x30, 0x06);
    stick_.device.driverKey0 = 0x89B10200;
    stick_.device.driverKey1 = 1;
    stick_.bulkOut.handle = 0x8A1C3000;
    stick_.bulkIn.handle = 0x8A1C3100;

    DeviceSpec mouse = MakeDevice(SIM_MOUSE_OBJECT, 0x03, 0x01, 0x02, 0x89B20200);
    DeviceSpec keyboard = MakeDevice(SIM_KEYBOARD_OBJECT, 0x03, 0x01, 0x01, 0x89B20200);
    DeviceSpec serial = MakeDevice(SIM_SERIAL_OBJECT, 0x0A, 0x00, 0x00, 0x89B40200);
    mousePipe_ = {0x81, 0x8A2C2000, 0x0201, PIPE_TYPE_INTERRUPT};
    keyboardPipe_ = {0x81, 0x8A3C2000, 0x0301, PIPE_TYPE_INTERRUPT};
    serialIn_ = {0x82, 0x8A4C2100, 0};
    serialOut_ = {0x02, 0x8A4C2200, 0};

    devices_ = {
        {"mass-storage stick", stick_.device, u"\\Device\\USBPDO-4", u"\\Driver\\USBSTOR", StickDescriptors()},
        {"HID mouse", mouse, u"\\Device\\USBPDO-5", u"\\Driver\\HidUsb", MouseDescriptors()},
        {"HID keyboard", keyboard, u"\\Device\\USBPDO-6", u"\\Driver\\HidUsb", KeyboardDescriptors()},
        {"CDC serial port", serial, u"\\Device\\USBPDO-7", u"\\Driver\\usbser", SerialDescriptors()},
    };
    topology_ = MakeSimUsbTopology(devices_);
}

Bytes CDriverScenario::DeviceListBlock() const { return NameListBlock(1, topology_.DeviceNames()); }

Bytes CDriverScenario::DriverListBlock() const { return NameListBlock(3, topology_.DriverNames()); }

Bytes CDriverScenario::StartupBlock() const {
    // The report descriptor of each HID device's first interface, with the
    // device object and the interrupt pipe the scenario's reports use.
    const SimDevice& mouse = devices_[1];
    const SimDevice& keyboard = devices_[2];
    std::vector<HidDescriptorItem> items(2);
    items[0].descriptor = mouse.descriptors.reportDescriptors.at(0).descriptor;
    items[0].objects = {{mouse.device.deviceObject, mouse.device.deviceKey}};
    items[0].pipes = {{mousePipe_.handle, mousePipe_.hidKey}};
    items[1].descriptor = keyboard.descriptors.reportDescriptors.at(0).descriptor;
    items[1].objects = {{keyboard.device.deviceObject, keyboard.device.deviceKey}};
    items[1].pipes = {{keyboardPipe_.handle, keyboardPipe_.hidKey}};
    return HidDescriptorBlock(items);
}

void CDriverScenario::Reset() {
    b_ = RecordBuilder();
    seen_.clear();
    round_ = 0;
    stick_.nextTag = 1;
}

void CDriverScenario::Enumerate(const SimDevice& d, std::vector<Bytes>& out) {
    const DeviceSpec& dev = d.device;
    out.push_back(b_.Pnp(dev, 0x00, b_.NewIrp()));   // IRP_MN_START_DEVICE
    out.push_back(b_.Complete(dev, 40, b_.Last(), kStatusSuccess));
    out.push_back(b_.Power(dev, 0x02, b_.NewIrp())); // IRP_MN_SET_POWER
    out.push_back(b_.Complete(dev, 22, b_.Last(), kStatusSuccess));

    // The device's own descriptors, as the USB host reports them too.
    UrbSpec device = GetDescriptor(0x01, 0, 0, 18);
    out.push_back(b_.UrbIssue(dev, device, b_.NewIrp()));
    device.data = d.descriptors.device;
    out.push_back(b_.UrbCompletion(dev, device, b_.Last()));

    UrbSpec cfg = GetDescriptor(0x02, 0, 0, 255);
    out.push_back(b_.UrbIssue(dev, cfg, b_.NewIrp()));
    cfg.data.assign(d.descriptors.configuration.begin(),
                    d.descriptors.configuration.begin() +
                        static_cast<std::ptrdiff_t>(std::min<size_t>(255, d.descriptors.configuration.size())));
    out.push_back(b_.UrbCompletion(dev, cfg, b_.Last()));

    UrbSpec select = SelectConfiguration(dev.interfaceNumber, dev.interfaceClass, dev.interfaceSubClass,
                                         dev.interfaceProtocol, {PipeSpec{0x81, 0x8A0C2000, 0}});
    out.push_back(b_.UrbIssue(dev, select, b_.NewIrp()));
    out.push_back(b_.UrbCompletion(dev, select, b_.Last()));
}

void CDriverScenario::StickRound(std::vector<Bytes>& out) {
    AppendMassStorageCommand(b_, stick_, Cdb({0x12, 0, 0, 0, 36, 0}), true, 36, InquiryData(0x00, 0x06), 0, out);
    const Bytes capacity = {0x00, 0x01, 0xDF, 0xFF, 0x00, 0x00, 0x02, 0x00};   // 122880 blocks of 512
    AppendMassStorageCommand(b_, stick_, Cdb({0x25}), true, 8, capacity, 0, out);
    const uint8_t lba = static_cast<uint8_t>(round_ & 0xFF);
    AppendMassStorageCommand(b_, stick_, Cdb({0x28, 0, 0, 0, 0, lba, 0, 0, 1, 0}), true, 512,
                             Pattern(512, lba), 0, out);
    // A read past the end fails; the host asks for the sense data.
    AppendMassStorageCommand(b_, stick_, Cdb({0x28, 0, 0x00, 0x01, 0xE0, 0x00, 0, 0, 1, 0}), true, 512, {}, 1,
                             out);
    const Bytes sense = {0x70, 0, 0x05, 0, 0, 0, 0, 0x0A, 0, 0, 0, 0, 0x21, 0x00, 0, 0, 0, 0};
    AppendMassStorageCommand(b_, stick_, Cdb({0x03, 0, 0, 0, 18, 0}), true, 18, sense, 0, out);
}

void CDriverScenario::HidRound(const DeviceSpec& d, const PipeSpec& pipe, const Bytes& press, const Bytes& release,
                               std::vector<Bytes>& out) {
    for (const Bytes* report : {&press, &release}) {
        UrbSpec u = BulkTransfer(pipe, static_cast<uint32_t>(report->size()));
        out.push_back(b_.UrbIssue(d, u, b_.NewIrp()));
        u.data = *report;
        out.push_back(b_.UrbCompletion(d, u, b_.Last()));
    }
}

void CDriverScenario::SerialRound(std::vector<Bytes>& out) {
    const DeviceSpec& d = devices_[3].device;
    const Bytes lineCoding = {0x00, 0xC2, 0x01, 0x00, 0x00, 0x00, 0x08};   // 115200 8N1
    UrbSpec coding = VendorClassRequest(URB_FN_CLASS_INTERFACE, false, 0x20, 0, 0, 7, lineCoding);
    out.push_back(b_.UrbIssue(d, coding, b_.NewIrp()));
    coding.data.clear();
    out.push_back(b_.UrbCompletion(d, coding, b_.Last()));
    UrbSpec lines = VendorClassRequest(URB_FN_CLASS_INTERFACE, false, 0x22, 0x0003, 0, 0);
    out.push_back(b_.UrbIssue(d, lines, b_.NewIrp()));
    out.push_back(b_.UrbCompletion(d, lines, b_.Last()));

    // The answer is read while the command goes out: issue, issue, complete, complete.
    UrbSpec in = BulkTransfer(serialIn_, 64);
    out.push_back(b_.UrbIssue(d, in, b_.NewIrp()));
    Issued readIssued = b_.Last();
    UrbSpec cmd = BulkTransfer(serialOut_, 3, Bytes{'A', 'T', '\r'});
    out.push_back(b_.UrbIssue(d, cmd, b_.NewIrp()));
    Issued writeIssued = b_.Last();
    cmd.data.clear();
    out.push_back(b_.UrbCompletion(d, cmd, writeIssued));
    in.data = Bytes{'\r', '\n', 'O', 'K', '\r', '\n'};
    out.push_back(b_.UrbCompletion(d, in, readIssued));
}

size_t CDriverScenario::NextRound(const std::set<uint32_t>& selected, std::vector<Bytes>& out) {
    const size_t before = out.size();
    for (const SimDevice& d : devices_)
        if (selected.count(d.device.deviceObject) && seen_.insert(d.device.deviceObject).second)
            Enumerate(d, out);
    if (selected.count(SIM_STICK_OBJECT))
        StickRound(out);
    if (selected.count(SIM_MOUSE_OBJECT))
        HidRound(devices_[1].device, mousePipe_, {0x01, 0x05, 0xFD, 0x00}, {0x00, 0x00, 0x00, 0x00}, out);
    if (selected.count(SIM_KEYBOARD_OBJECT))
        HidRound(devices_[2].device, keyboardPipe_, {0, 0, static_cast<uint8_t>(0x04 + round_ % 26), 0, 0, 0, 0, 0},
                 {0, 0, 0, 0, 0, 0, 0, 0}, out);
    if (selected.count(SIM_SERIAL_OBJECT))
        SerialRound(out);
    ++round_;
    return out.size() - before;
}

} // namespace brx
