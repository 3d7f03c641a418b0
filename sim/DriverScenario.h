// The simulated driver's devices and their traffic: a mass-storage stick
// (INQUIRY, READ CAPACITY, READ(10), a failing READ(10) with its sense data),
// an HID mouse and keyboard, a CDC serial port; a composite device's CDC ACM
// function (line coding, control lines, a break, a serial-state notification,
// bulk data both ways), a DFU bootloader taking a firmware block (the DFU
// class requests with their status and state answers) and a printer (its
// Device ID, port status, a print job out and the printer's status back);
// enumeration requests and PnP and power IRPs when a capture first sees a
// device. Records come from the
// record builder, in the driver's layout; only selected device objects
// produce records. Also what the driver reports about the machine's devices:
// the name lists, the HID report descriptors, and the device stacks and report
// descriptors of a device-tree refresh, all from the simulated USB topology
// (sim/UsbTopology.h) whose captured devices these are.
#pragma once
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "sim/RecordBuilder.h"
#include "sim/UsbTopology.h"

namespace brx {

class CDriverScenario {
public:
    CDriverScenario();

    const std::vector<SimDevice>& Devices() const { return devices_; }
    // The machine the devices sit in; the simulated USB host answers from it
    // and may change it (hot-plug).
    SimUsbTopology& Topology() { return topology_; }
    const SimUsbTopology& Topology() const { return topology_; }

    // Kind 1 (device names) and kind 3 (driver names) of every object of the
    // present devices' stacks, and kind 10 (the HID devices' report
    // descriptors: the start-up notifications).
    Bytes DeviceListBlock() const;
    Bytes DriverListBlock() const;
    Bytes StartupBlock() const;
    // The refresh data and refresh list of the present devices.
    Bytes RefreshDataBlock() const { return topology_.RefreshData(); }
    Bytes RefreshListBlock() const { return topology_.RefreshList(); }

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
    void CompositeRound(std::vector<Bytes>& out);
    void DfuRound(std::vector<Bytes>& out);
    void PrinterRound(bool first, std::vector<Bytes>& out);
    // A class request to an interface at issue and at completion; data is
    // what an OUT request sends or what an IN request brings back.
    void ClassRequest(const DeviceSpec& d, bool in, uint8_t request, uint16_t value, uint16_t index,
                      uint32_t length, const Bytes& data, std::vector<Bytes>& out);
    // A bulk or interrupt transfer at issue and at completion; data as above,
    // by the pipe's direction.
    void Transfer(const DeviceSpec& d, const PipeSpec& pipe, uint32_t length, const Bytes& data,
                  std::vector<Bytes>& out);

    RecordBuilder b_;
    std::vector<SimDevice> devices_;
    SimUsbTopology topology_;
    MassStorageDevice stick_;
    PipeSpec mousePipe_, keyboardPipe_, serialIn_, serialOut_;
    // The composite device's CDC ACM function: its communication interface
    // (class requests, notifications) and data interface (bulk pair).
    DeviceSpec acmControl_, acmData_;
    PipeSpec acmNotify_, acmIn_, acmOut_;
    PipeSpec printerIn_, printerOut_;
    std::set<uint32_t> seen_;
    uint32_t round_ = 0;
};

} // namespace brx
