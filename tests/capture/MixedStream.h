// A long stream of records of mixed kinds, as a capture of a mass-storage
// device and a HID device would deliver it: Bulk-Only commands, interrupt
// and control transfers, PnP and power IRPs, hub device control, drop
// markers and pipe resets, each at issue and at completion.
#pragma once
#include <cstddef>
#include <vector>

#include "sim/RecordBuilder.h"

namespace brx::fixtures {

// Exactly `count` records (the last issue may lack its completion), starting
// with a capture-start marker.
inline RecordStream MixedStream(size_t count, RecordBuilder& b) {
    RecordStream s;
    MassStorageDevice msc = MakeMassStorageDevice(0x85550000);
    DeviceSpec hid;
    hid.deviceKey = 0x87770000;
    hid.deviceObject = 0x87770020;
    hid.interfaceClass = 0x03;
    const Bytes read10 = {0x28, 0, 0, 0, 0, 0, 0, 0, 1, 0};
    const uint8_t setup[8] = {0x80, 0x06, 0x00, 0x02, 0x00, 0x00, 0x20, 0x00};
    const PipeSpec interruptIn{0x81, 0x8A0C7000, 1};
    size_t round = 0;
    std::vector<Bytes> recs;
    s.Add(b.StartMarker());
    while (s.count() < count) {
        recs.clear();
        const size_t turn = round++ % 7;
        if (turn == 0) {
            AppendMassStorageCommand(b, msc, read10, true, 512, Bytes(512, 0x5A), 0, recs);
        } else if (turn == 1) {
            recs.push_back(b.UrbIssue(hid, BulkTransfer(interruptIn, 8), b.NewIrp()));
            recs.push_back(b.UrbCompletion(hid, BulkTransfer(interruptIn, 8, Bytes(8, 1)), b.Last()));
        } else if (turn == 2) {
            recs.push_back(b.UrbIssue(hid, ControlTransfer(setup), b.NewIrp()));
            recs.push_back(b.UrbCompletion(hid, ControlTransfer(setup, Bytes(32, 2)), b.Last()));
        } else if (turn == 3) {
            recs.push_back(b.Pnp(hid, 9, b.NewIrp(), IrpForm::Short));
            recs.push_back(b.Complete(hid, 49, b.Last(), 0, IrpForm::Short));
        } else if (turn == 4) {
            recs.push_back(b.IoctlIssue(hid, 4441, 0x22040C, 64, {}, b.NewIrp()));
            recs.push_back(b.IoctlCompletion(hid, 4441, 0x22040C, 64, Bytes(24, 3), b.Last()));
        } else if (turn == 5) {
            recs.push_back(b.Power(hid, 2, b.NewIrp()));
            recs.push_back(b.Complete(hid, 22, b.Last(), 0));
        } else {
            recs.push_back(b.DropMarker());
            recs.push_back(b.UrbIssue(hid, PipeRequest(URB_FN_RESET_PIPE, PipeSpec{}), b.NewIrp()));
            recs.push_back(b.UrbCompletion(hid, PipeRequest(URB_FN_RESET_PIPE, PipeSpec{}), b.Last()));
        }
        for (const Bytes& r : recs) {
            if (s.count() == count) break;
            s.Add(r);
        }
    }
    return s;
}

// The end of the window that starts at `at`: whole records of about `bytes`.
inline size_t WindowEnd(const RecordStream& s, size_t at, size_t bytes) {
    const Bytes& all = s.bytes();
    size_t end = at;
    while (end < all.size() && end - at < bytes)
        end += static_cast<size_t>(all[end] | (all[end + 1] << 8) | (all[end + 2] << 16));
    return end;
}

} // namespace brx::fixtures
