#include "sim/DriverScenario.h"

#include <algorithm>
#include <string>

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

    // The composite device's ACM function shares the serial port's driver.
    acmControl_ = MakeDevice(SIM_COMPOSITE_OBJECT, 0x02, 0x02, 0x01, 0x89B40200);
    acmData_ = acmControl_;
    acmData_.interfaceNumber = 1;
    acmData_.interfaceClass = 0x0A;
    acmData_.interfaceSubClass = acmData_.interfaceProtocol = 0;
    acmNotify_ = {0x82, 0x8A5C2000, 0, PIPE_TYPE_INTERRUPT};
    acmIn_ = {0x81, 0x8A5C2100, 0};
    acmOut_ = {0x01, 0x8A5C2200, 0};
    DeviceSpec dfu = MakeDevice(SIM_DFU_OBJECT, 0xFE, 0x01, 0x02, 0x89B60200);
    DeviceSpec printer = MakeDevice(SIM_PRINTER_OBJECT, 0x07, 0x01, 0x02, 0x89B70200);
    printerIn_ = {0x81, 0x8A7C2100, 0};
    printerOut_ = {0x01, 0x8A7C2200, 0};

    devices_ = {
        {"mass-storage stick", stick_.device, u"\\Device\\USBPDO-4", u"\\Driver\\USBSTOR", StickDescriptors()},
        {"HID mouse", mouse, u"\\Device\\USBPDO-5", u"\\Driver\\HidUsb", MouseDescriptors()},
        {"HID keyboard", keyboard, u"\\Device\\USBPDO-6", u"\\Driver\\HidUsb", KeyboardDescriptors()},
        {"CDC serial port", serial, u"\\Device\\USBPDO-7", u"\\Driver\\usbser", SerialDescriptors()},
        {"composite CDC ACM device", acmControl_, u"\\Device\\USBPDO-9", u"\\Driver\\usbser",
         CompositeDescriptors(), true},
        {"DFU bootloader", dfu, u"\\Device\\USBPDO-11", u"\\Driver\\WinUSB", DfuDescriptors(), true},
        {"printer", printer, u"\\Device\\USBPDO-12", u"\\Driver\\usbprint", PrinterDescriptors(), true},
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

    // Devices whose drivers read their strings: the language list, then
    // each string in the first language.
    if (d.readsStrings)
        for (const SimStringDescriptor& str : d.descriptors.strings) {
            UrbSpec get = GetDescriptor(0x03, str.index, str.languageId, 255);
            out.push_back(b_.UrbIssue(dev, get, b_.NewIrp()));
            get.data = str.bytes;
            out.push_back(b_.UrbCompletion(dev, get, b_.Last()));
        }

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

void CDriverScenario::ClassRequest(const DeviceSpec& d, bool in, uint8_t request, uint16_t value, uint16_t index,
                                   uint32_t length, const Bytes& data, std::vector<Bytes>& out) {
    UrbSpec u = VendorClassRequest(URB_FN_CLASS_INTERFACE, in, request, value, index, length, in ? Bytes{} : data);
    out.push_back(b_.UrbIssue(d, u, b_.NewIrp()));
    // The completion carries what came back and the length transferred.
    u.data = in ? data : Bytes{};
    if (in)
        u.bufferLength = static_cast<uint32_t>(data.size());
    out.push_back(b_.UrbCompletion(d, u, b_.Last()));
}

void CDriverScenario::Transfer(const DeviceSpec& d, const PipeSpec& pipe, uint32_t length, const Bytes& data,
                               std::vector<Bytes>& out) {
    const bool in = (pipe.endpoint & 0x80) != 0;
    UrbSpec u = BulkTransfer(pipe, length, in ? Bytes{} : data);
    out.push_back(b_.UrbIssue(d, u, b_.NewIrp()));
    // The completion carries what came back and the length transferred.
    u.data = in ? data : Bytes{};
    if (in)
        u.bufferLength = static_cast<uint32_t>(data.size());
    out.push_back(b_.UrbCompletion(d, u, b_.Last()));
}

// CDC ACM requests, as the serial driver sends them when a program opens the
// port: 115200 8N1, read back; DTR and RTS raised; a 100 ms break. The
// function then reports carrier and DSR on its notification endpoint, and a
// command goes out and its answer comes back.
void CDriverScenario::CompositeRound(std::vector<Bytes>& out) {
    const Bytes lineCoding = {0x00, 0xC2, 0x01, 0x00, 0x00, 0x00, 0x08};   // 115200 8N1
    ClassRequest(acmControl_, false, 0x20, 0, 0, 7, lineCoding, out);      // SET_LINE_CODING
    ClassRequest(acmControl_, true, 0x21, 0, 0, 7, lineCoding, out);       // GET_LINE_CODING
    ClassRequest(acmControl_, false, 0x22, 0x0003, 0, 0, {}, out);         // SET_CONTROL_LINE_STATE: DTR, RTS
    ClassRequest(acmControl_, false, 0x23, 100, 0, 0, {}, out);            // SEND_BREAK: 100 ms
    // SERIAL_STATE: bRxCarrier (DCD) and bTxCarrier (DSR).
    Transfer(acmControl_, acmNotify_, 10, {0xA1, 0x20, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x03, 0x00}, out);
    const std::string command = "ATI" + std::to_string(round_ % 10) + "\r";
    Transfer(acmData_, acmOut_, static_cast<uint32_t>(command.size()), Bytes(command.begin(), command.end()), out);
    const std::string answer = "\r\nLinux g_acm_ms\r\n\r\nOK\r\n";
    Transfer(acmData_, acmIn_, 512, Bytes(answer.begin(), answer.end()), out);
}

namespace {

// DFU requests, their status answers (bStatus, bwPollTimeout, bState,
// iString) and the bootloader's block 0 commands.
enum : uint8_t { DFU_DNLOAD = 1, DFU_UPLOAD = 2, DFU_GETSTATUS = 3, DFU_CLRSTATUS = 4, DFU_GETSTATE = 5, DFU_ABORT = 6 };
enum : uint8_t { DFU_IDLE = 2, DFU_DNBUSY = 4, DFU_DNLOAD_IDLE = 5, DFU_MANIFEST = 7, DFU_UPLOAD_IDLE = 9, DFU_ERROR = 10 };
constexpr uint8_t kDfuOk = 0x00, kDfuErrTarget = 0x01;
constexpr uint8_t kCommandSetAddress = 0x21, kCommandErase = 0x41;

Bytes DfuStatus(uint8_t status, uint32_t pollTimeout, uint8_t state) {
    return {status, static_cast<uint8_t>(pollTimeout), static_cast<uint8_t>(pollTimeout >> 8),
            static_cast<uint8_t>(pollTimeout >> 16), state, 0};
}

Bytes DfuCommand(uint8_t command, uint32_t address) {
    return {command, static_cast<uint8_t>(address), static_cast<uint8_t>(address >> 8),
            static_cast<uint8_t>(address >> 16), static_cast<uint8_t>(address >> 24)};
}

} // namespace

// One session of a flashing tool with the bootloader, which numbers blocks
// the way its firmware does: block 0 carries a command (erase a page, set the
// address), blocks from 2 carry data written at the address + (n - 2) * 1024.
// The tool erases and writes one 1 KiB page (the next one each round), reads
// it back, trips over an address outside the flash and clears the error, then
// ends the download with a zero-length block; the bootloader then manifests
// (and would reset: the next round finds it idle again).
void CDriverScenario::DfuRound(std::vector<Bytes>& out) {
    const DeviceSpec& d = devices_[5].device;
    const uint32_t page = 0x08002000 + (round_ % 120) * 0x400;
    auto status = [&](uint8_t s, uint32_t poll, uint8_t state) {
        ClassRequest(d, true, DFU_GETSTATUS, 0, 0, 6, DfuStatus(s, poll, state), out);
    };
    status(kDfuOk, 0, DFU_IDLE);
    for (uint8_t command : {kCommandErase, kCommandSetAddress}) {
        ClassRequest(d, false, DFU_DNLOAD, 0, 0, 5, DfuCommand(command, page), out);
        status(kDfuOk, command == kCommandErase ? 50 : 0, DFU_DNBUSY);
        status(kDfuOk, 0, DFU_DNLOAD_IDLE);
    }
    const Bytes firmware = Pattern(1024, static_cast<uint8_t>(round_));
    ClassRequest(d, false, DFU_DNLOAD, 2, 0, 1024, firmware, out);
    status(kDfuOk, 20, DFU_DNBUSY);
    status(kDfuOk, 0, DFU_DNLOAD_IDLE);
    ClassRequest(d, false, DFU_ABORT, 0, 0, 0, {}, out);
    // Read back for verification.
    ClassRequest(d, true, DFU_UPLOAD, 2, 0, 1024, firmware, out);
    ClassRequest(d, true, DFU_GETSTATE, 0, 0, 1, {DFU_UPLOAD_IDLE}, out);
    ClassRequest(d, false, DFU_ABORT, 0, 0, 0, {}, out);
    // An address below the application: errTARGET until cleared.
    ClassRequest(d, false, DFU_DNLOAD, 0, 0, 5, DfuCommand(kCommandSetAddress, 0x00000000), out);
    status(kDfuErrTarget, 0, DFU_ERROR);
    ClassRequest(d, false, DFU_CLRSTATUS, 0, 0, 0, {}, out);
    ClassRequest(d, true, DFU_GETSTATE, 0, 0, 1, {DFU_IDLE}, out);
    // The end of the download.
    ClassRequest(d, false, DFU_DNLOAD, 3, 0, 0, {}, out);
    status(kDfuOk, 0, DFU_MANIFEST);
}

// The printer class driver asks the Device ID and the port status (paper in,
// selected, no error); a print job in PJL goes out and the printer answers
// its status. A soft reset clears the printer when the driver first starts.
void CDriverScenario::PrinterRound(bool first, std::vector<Bytes>& out) {
    const DeviceSpec& d = devices_[6].device;
    if (first)
        ClassRequest(d, false, 0x02, 0, 0, 0, {}, out);                  // SOFT_RESET
    ClassRequest(d, true, 0x00, 0, 0, 1023, PrinterDeviceId(), out);     // GET_DEVICE_ID
    ClassRequest(d, true, 0x01, 0, 0, 1, {0x18}, out);                   // GET_PORT_STATUS: selected, no error
    const std::string job = "\x1B%-12345X@PJL JOB NAME=\"Page " + std::to_string(round_ + 1) +
                            "\"\r\n@PJL INFO STATUS\r\n@PJL ENTER LANGUAGE=PCL\r\n\x1B" "EHello from Brindlex\r\n\f"
                            "\x1B" "E\x1B%-12345X@PJL EOJ\r\n\x1B%-12345X";
    Transfer(d, printerOut_, static_cast<uint32_t>(job.size()), Bytes(job.begin(), job.end()), out);
    const std::string status = "@PJL INFO STATUS\r\nCODE=10001\r\nDISPLAY=\"Ready\"\r\nONLINE=TRUE\r\n\f";
    Transfer(d, printerIn_, 512, Bytes(status.begin(), status.end()), out);
}

size_t CDriverScenario::NextRound(const std::set<uint32_t>& selected, std::vector<Bytes>& out) {
    const size_t before = out.size();
    std::set<uint32_t> firstSight;
    for (const SimDevice& d : devices_)
        if (selected.count(d.device.deviceObject) && seen_.insert(d.device.deviceObject).second) {
            Enumerate(d, out);
            firstSight.insert(d.device.deviceObject);
        }
    if (selected.count(SIM_STICK_OBJECT))
        StickRound(out);
    if (selected.count(SIM_MOUSE_OBJECT))
        HidRound(devices_[1].device, mousePipe_, {0x01, 0x05, 0xFD, 0x00}, {0x00, 0x00, 0x00, 0x00}, out);
    if (selected.count(SIM_KEYBOARD_OBJECT))
        HidRound(devices_[2].device, keyboardPipe_, {0, 0, static_cast<uint8_t>(0x04 + round_ % 26), 0, 0, 0, 0, 0},
                 {0, 0, 0, 0, 0, 0, 0, 0}, out);
    if (selected.count(SIM_SERIAL_OBJECT))
        SerialRound(out);
    if (selected.count(SIM_COMPOSITE_OBJECT))
        CompositeRound(out);
    if (selected.count(SIM_DFU_OBJECT))
        DfuRound(out);
    if (selected.count(SIM_PRINTER_OBJECT))
        PrinterRound(firstSight.count(SIM_PRINTER_OBJECT) != 0, out);
    ++round_;
    return out.size() - before;
}

} // namespace brx
