// Descriptor sets of real and emulated devices for the descriptor page tests.
//
// Where the bytes come from:
// - the simulated machine's devices (sim/UsbTopology.cpp): their device,
//   configuration, qualifier, other-speed and string descriptors as the
//   simulated USB host answers them;
// - qemu_storage_usb3: QEMU's USB mass-storage device (hw/usb/dev-storage.c
//   descriptor tables, serialised by hw/usb/desc.c) as it answers at
//   SuperSpeed: bcdUSB 3.00, bulk endpoints of 1024 bytes each with a
//   SuperSpeed companion (bMaxBurst 15), and the BOS hw/usb/desc.c builds
//   (USB 2.0 extension with LPM, SuperSpeed USB capability: full, high and
//   SuperSpeed, U1 exit 0Ah, U2 exit 20h);
// - linux_xhci_ss_roothub: the SuperSpeed root hub of Linux's xHCI driver
//   (drivers/usb/core/hcd.c usb3_rh_dev_descriptor and
//   ss_rh_config_descriptor, kernel 6.1 in bcdDevice; drivers/usb/host/
//   xhci-hub.c usb_bos_descriptor and xhci_usb3_hub_descriptor) on QEMU's
//   xHCI controller (4 SuperSpeed ports, per-port power switching, HCSPARAMS3
//   0, so both exit latencies are 0);
// - qemu_hub: QEMU's USB hub (hw/usb/dev-hub.c) with its default 8 ports;
//   its hub descriptor gives PortPwrCtrlMask one byte for 8 ports;
// - qemu_acm_composite: the QEMU USB ACM device of You-Sheng Yang's
//   hw/usb/dev-acm.c (2015), a composite device with an interface
//   association, serialised by hw/usb/desc.c (the association first, then the
//   interfaces).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "sim/UsbTopology.h"

namespace brx::testing {

struct DeviceFixture {
    std::string name;
    int32_t speed = -1; // DECODE_CONTEXT::deviceSpeed
    std::vector<uint8_t> device, configuration, qualifier, otherSpeed, bos, hub;
    std::vector<std::pair<uint8_t, std::vector<uint8_t>>> strings; // index, descriptor as sent
};

inline std::vector<uint8_t> AsciiString(const char* text) {
    std::vector<uint8_t> d{0, 0x03};
    for (const char* c = text; *c; ++c) {
        d.push_back(static_cast<uint8_t>(*c));
        d.push_back(0);
    }
    d[0] = static_cast<uint8_t>(d.size());
    return d;
}

inline DeviceFixture FromSim(const char* name, int32_t speed, const SimUsbDescriptors& d) {
    DeviceFixture f;
    f.name = name;
    f.speed = speed;
    f.device = d.device;
    f.configuration = d.configuration;
    f.qualifier = d.qualifier;
    f.otherSpeed = d.otherSpeed;
    f.bos = d.bos;
    for (const SimStringDescriptor& s : d.strings) f.strings.push_back({s.index, s.bytes});
    return f;
}

inline DeviceFixture QemuStorageUsb3() {
    DeviceFixture f;
    f.name = "qemu_storage_usb3";
    f.speed = 3;
    f.device = {0x12, 0x01, 0x00, 0x03, 0x00, 0x00, 0x00, 0x09, 0xF4, 0x46, 0x01, 0x00, 0x00, 0x00, 0x01, 0x02, 0x03, 0x01};
    f.configuration = {0x09, 0x02, 0x2C, 0x00, 0x01, 0x01, 0x06, 0xC0, 0x00,
                       0x09, 0x04, 0x00, 0x00, 0x02, 0x08, 0x06, 0x50, 0x00,
                       0x07, 0x05, 0x81, 0x02, 0x00, 0x04, 0x00,
                       0x06, 0x30, 0x0F, 0x00, 0x00, 0x00,
                       0x07, 0x05, 0x02, 0x02, 0x00, 0x04, 0x00,
                       0x06, 0x30, 0x0F, 0x00, 0x00, 0x00};
    f.bos = {0x05, 0x0F, 0x16, 0x00, 0x02,
             0x07, 0x10, 0x02, 0x02, 0x00, 0x00, 0x00,
             0x0A, 0x10, 0x03, 0x00, 0x0E, 0x00, 0x01, 0x0A, 0x20, 0x00};
    f.strings = {{0, {0x04, 0x03, 0x09, 0x04}},
                 {1, AsciiString("QEMU")},
                 {2, AsciiString("QEMU USB HARDDRIVE")},
                 {3, AsciiString("1")},
                 {6, AsciiString("Super speed config (usb 3.0)")}};
    return f;
}

inline DeviceFixture LinuxXhciSuperSpeedRootHub() {
    DeviceFixture f;
    f.name = "linux_xhci_ss_roothub";
    f.speed = 3;
    f.device = {0x12, 0x01, 0x00, 0x03, 0x09, 0x00, 0x03, 0x09, 0x6B, 0x1D, 0x03, 0x00, 0x01, 0x06, 0x03, 0x02, 0x01, 0x01};
    f.configuration = {0x09, 0x02, 0x1F, 0x00, 0x01, 0x01, 0x00, 0xC0, 0x00,
                       0x09, 0x04, 0x00, 0x00, 0x01, 0x09, 0x00, 0x00, 0x00,
                       0x07, 0x05, 0x81, 0x03, 0x04, 0x00, 0x0C,
                       0x06, 0x30, 0x00, 0x00, 0x02, 0x00};
    f.bos = {0x05, 0x0F, 0x0F, 0x00, 0x01,
             0x0A, 0x10, 0x03, 0x00, 0x08, 0x00, 0x03, 0x00, 0x00, 0x00};
    f.hub = {0x0C, 0x2A, 0x04, 0x09, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    f.strings = {{0, {0x04, 0x03, 0x09, 0x04}},
                 {1, AsciiString("0000:00:04.0")},
                 {2, AsciiString("xHCI Host Controller")},
                 {3, AsciiString("Linux 6.1.0 xhci-hcd")}};
    return f;
}

inline DeviceFixture QemuHub() {
    DeviceFixture f;
    f.name = "qemu_hub";
    f.speed = 1;
    f.device = {0x12, 0x01, 0x10, 0x01, 0x09, 0x00, 0x00, 0x08, 0x09, 0x04, 0xAA, 0x55, 0x01, 0x01, 0x01, 0x02, 0x03, 0x01};
    f.configuration = {0x09, 0x02, 0x19, 0x00, 0x01, 0x01, 0x00, 0xE0, 0x00,
                       0x09, 0x04, 0x00, 0x00, 0x01, 0x09, 0x00, 0x00, 0x00,
                       0x07, 0x05, 0x81, 0x03, 0x02, 0x00, 0xFF};
    f.hub = {0x0A, 0x29, 0x08, 0x0A, 0x00, 0x01, 0x00, 0x00, 0x00, 0xFF};
    f.strings = {{0, {0x04, 0x03, 0x09, 0x04}},
                 {1, AsciiString("QEMU")},
                 {2, AsciiString("QEMU USB Hub")},
                 {3, AsciiString("314159")}};
    return f;
}

inline DeviceFixture QemuAcmComposite() {
    DeviceFixture f;
    f.name = "qemu_acm_composite";
    f.speed = 2;
    f.device = {0x12, 0x01, 0x00, 0x02, 0xEF, 0x02, 0x01, 0x40, 0xF4, 0x46, 0x05, 0x00, 0x00, 0x00, 0x01, 0x02, 0x03, 0x01};
    f.configuration = {0x09, 0x02, 0x4B, 0x00, 0x02, 0x01, 0x04, 0x80, 0xFA,
                       0x08, 0x0B, 0x00, 0x02, 0x02, 0x02, 0x01, 0x05,
                       0x09, 0x04, 0x00, 0x00, 0x01, 0x02, 0x02, 0x01, 0x05,
                       0x05, 0x24, 0x00, 0x20, 0x01,
                       0x04, 0x24, 0x02, 0x00,
                       0x05, 0x24, 0x06, 0x00, 0x01,
                       0x05, 0x24, 0x01, 0x00, 0x01,
                       0x07, 0x05, 0x81, 0x03, 0x40, 0x00, 0x04,
                       0x09, 0x04, 0x01, 0x00, 0x02, 0x0A, 0x00, 0x00, 0x06,
                       0x07, 0x05, 0x82, 0x02, 0x00, 0x02, 0x00,
                       0x07, 0x05, 0x03, 0x02, 0x00, 0x02, 0x00};
    f.strings = {{0, {0x04, 0x03, 0x09, 0x04}},
                 {1, AsciiString("QEMU")},
                 {2, AsciiString("QEMU ACM device")},
                 {3, AsciiString("1")},
                 {4, AsciiString("1")},
                 {5, AsciiString("COM(comm_if)")},
                 {6, AsciiString("COM(data_if)")}};
    return f;
}

inline std::vector<DeviceFixture> AllDeviceFixtures() {
    return {FromSim("sim_stick", 2, StickDescriptors()),
            FromSim("sim_mouse", 0, MouseDescriptors()),
            FromSim("sim_keyboard", 0, KeyboardDescriptors()),
            FromSim("sim_serial", 1, SerialDescriptors()),
            FromSim("sim_hub", 2, HubDescriptors()),
            QemuStorageUsb3(),
            LinuxXhciSuperSpeedRootHub(),
            QemuHub(),
            QemuAcmComposite()};
}

} // namespace brx::testing
