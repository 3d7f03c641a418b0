// The simulated driver's devices and their traffic: a mass-storage stick
// (INQUIRY, READ CAPACITY, READ(10), a failing READ(10) with its sense data),
// an HID mouse and keyboard, a CDC serial port; enumeration requests and PnP
// and power IRPs when a capture first sees a device. Records come from the
// record builder, in the driver's layout; only selected device objects
// produce records. Also the name lists and HID report descriptors the driver
// reports for these devices.
#pragma once
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "sim/RecordBuilder.h"

namespace brx {

struct SimDevice {
    const char* label;
    DeviceSpec device;
    std::u16string deviceName;
    std::u16string driverName;
};

// Device objects of the scenario.
enum : uint32_t {
    SIM_STICK_OBJECT = 0x89A11030,
    SIM_MOUSE_OBJECT = 0x89A21030,
    SIM_KEYBOARD_OBJECT = 0x89A31030,
    SIM_SERIAL_OBJECT = 0x89A41030,
};

class CDriverScenario {
public:
    CDriverScenario();

    const std::vector<SimDevice>& Devices() const { return devices_; }

    // Kind 1 (device names), kind 3 (driver names), and kind 10 (the HID
    // devices' report descriptors: the start-up notifications).
    Bytes DeviceListBlock() const;
    Bytes DriverListBlock() const;
    Bytes StartupBlock() const;

    // Sequence numbers from 1, the clock at its start, devices not yet seen.
    void Reset();
    // The record that marks the start of a capture.
    Bytes StartMarker() { return b_.StartMarker(); }
    // Appends one round of traffic of the selected device objects; a device's
    // first round after a reset begins with its PnP, power and enumeration
    // requests. Returns the number of records appended.
    size_t NextRound(const std::set<uint32_t>& selected, std::vector<Bytes>& out);

private:
    void Enumerate(const SimDevice& d, std::vector<Bytes>& out);
    void StickRound(std::vector<Bytes>& out);
    void HidRound(const DeviceSpec& d, const PipeSpec& pipe, const Bytes& press, const Bytes& release,
                  std::vector<Bytes>& out);
    void SerialRound(std::vector<Bytes>& out);

    RecordBuilder b_;
    std::vector<SimDevice> devices_;
    MassStorageDevice stick_;
    PipeSpec mousePipe_, keyboardPipe_, serialIn_, serialOut_;
    std::set<uint32_t> seen_;
    uint32_t round_ = 0;
};

} // namespace brx
