// A simulated capture for the export tests: markers, a failed request, names
// with markup and non-ASCII text, and a bulk transfer over 1 MB, in an
// in-memory log read through the record filter as the list reads it.
#pragma once
#include <algorithm>
#include <cstring>
#include <map>
#include <string>

#include "app/export/ListExport.h"
#include "capture/Filter.h"
#include "decode/SummaryWriter.h"
#include "tests/capture/FakeFilterLog.h"

namespace brx::testing {

class ExportNames final : public ISummaryNames {
public:
    std::map<uint64_t, std::u16string> devices, drivers;
    uint32_t LookupDeviceName(OBJECT_KEY key, char16_t* out, uint32_t capacity) const override {
        return Copy(devices, key, out, capacity);
    }
    uint32_t LookupDriverName(OBJECT_KEY key, char16_t* out, uint32_t capacity) const override {
        return Copy(drivers, key, out, capacity);
    }
    int HasReportIds(const HID_OBJECT_KEY&, uint8_t) const override { return 0; }
    static uint64_t Key(uint32_t a, uint32_t b) { return (static_cast<uint64_t>(b) << 32) | a; }

private:
    static uint32_t Copy(const std::map<uint64_t, std::u16string>& m, OBJECT_KEY key, char16_t* out, uint32_t cap) {
        auto it = m.find(Key(key.key0, key.key1));
        if (it == m.end() || cap == 0) return 0;
        const uint32_t n = static_cast<uint32_t>(std::min<size_t>(it->second.size(), cap - 1));
        std::copy_n(it->second.data(), n, out);
        out[n] = 0;
        return n;
    }
};

// Collects what the export writes; can refuse writes after a number of bytes.
class StringSink final : public IExportSink {
public:
    std::string bytes;
    size_t failAfter = SIZE_MAX;
    bool Write(const char* p, size_t n) override {
        if (bytes.size() + n > failAfter) return false;
        bytes.append(p, n);
        return true;
    }
};

constexpr uint32_t kBigTransfer = 1200000;

class SimulatedCapture {
public:
    FakeFilterLog log;
    RecordBuilder b;
    CFilter filter;
    ExportNames names;
    CFilterExportSource source{filter};

    SimulatedCapture() {
        filter.SetLogSource([this] { return static_cast<IFilterLog*>(&log); });
        b.SetClock(0x01DD5A2B3C4D5E00ull, 5000000, 10000, 10000);
        DeviceSpec plain;
        DeviceSpec marked;
        marked.deviceObject = 0x89A02030;
        marked.deviceKey = 0x89A02000;
        marked.driverKey0 = 0x89B00300;
        names.devices[ExportNames::Key(plain.deviceObject, plain.deviceKey)] = u"\\Device\\USBPDO-5";
        names.drivers[ExportNames::Key(plain.driverKey0, plain.driverKey1)] = u"\\Driver\\usbhub";
        // Markup, a tab, a line feed, non-ASCII and a character outside the BMP.
        names.devices[ExportNames::Key(marked.deviceObject, marked.deviceKey)] =
            u"\\Device\\<Ger\u00E4t> & \"Z\u00FCrich\"\t\u2713\n\U0001D11E";
        names.drivers[ExportNames::Key(marked.driverKey0, marked.driverKey1)] = u"\\Driver\\caf\u00E9<&>";

        log.Append(b.StartMarker());
        log.Append(b.Create(plain, b.NewIrp()));
        log.Append(b.Complete(plain, 1, b.Last(), 0));
        // A close completed within a microsecond: "< 1 us".
        b.SetClock(b.FileTime(), b.Counter(), 10000, 3);
        log.Append(b.Close(plain, b.NewIrp()));
        log.Append(b.Complete(plain, 2, b.Last(), 0));
        b.SetClock(b.FileTime(), b.Counter() + 10000, 10000, 10000);
        // A string descriptor read whose data holds markup characters.
        Bytes text = {'<', 'a', '&', 'b', '>', '"', 0xE9, 0x00, 0x1F, 'z'};
        UrbSpec descriptor = GetDescriptor(3, 0, 0x409, 40);
        log.Append(b.UrbIssue(marked, descriptor, b.NewIrp()));
        descriptor.data = text;
        log.Append(b.UrbCompletion(marked, descriptor, b.Last(), 0));
        // A failed (stalled) bulk transfer.
        UrbSpec stalled = BulkTransfer(PipeSpec{}, 8);
        stalled.usbdStatus = static_cast<int32_t>(0xC0000004);
        log.Append(b.UrbIssue(plain, stalled, b.NewIrp()));
        log.Append(b.UrbCompletion(plain, stalled, b.Last(), 0xC0000001));
        log.Append(b.DropMarker());
        // A bulk IN transfer of more than 1 MB.
        Bytes big(kBigTransfer);
        for (uint32_t i = 0; i < kBigTransfer; ++i) big[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
        UrbSpec bulk = BulkTransfer(PipeSpec{}, kBigTransfer);
        bulk.transferFlags = 1;
        log.Append(b.UrbIssue(marked, bulk, b.NewIrp()));
        bulk.data = big;
        log.Append(b.UrbCompletion(marked, bulk, b.Last(), 0));
        bigData = big;
        // A user-mode device-control request with a buffer.
        log.Append(b.IoctlIssue(plain, 4441, 0x22040C, 20, Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16,
                                                                 17, 18, 19, 20},
                                b.NewIrp()));
        log.Append(b.IoctlCompletion(plain, 4441, 0x22040C, 20,
                                     Bytes{'<', '>', '&', '"', 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20},
                                     b.Last(), 0));
    }

    EXPORT_JOB Job(uint32_t format) const {
        EXPORT_JOB job;
        job.settings.format = format;
        job.order.resize(COLUMN_COUNT);
        job.visible.assign(COLUMN_COUNT, 1);
        for (uint32_t c = 0; c < COLUMN_COUNT; ++c) job.order[c] = static_cast<int32_t>(c);
        job.text.layout = const_cast<FakeFilterLog&>(log).GetRecordLayout();
        job.text.frequency = 10000000;
        job.text.reference = 5000000;
        job.text.names = &names;
        return job;
    }

    Bytes bigData;
};

} // namespace brx::testing
