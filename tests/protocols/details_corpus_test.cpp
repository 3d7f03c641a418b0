// The seeds of the request-details fuzzer: record streams of each family the
// column names (URBs of every writer, class requests, mass storage, IRPs,
// device control), built by the record builder.
#include <gtest/gtest.h>

#include <string>

#include "capture/RequestKind.h"
#include "sim/RecordBuilder.h"
#include "tests/CorpusSeeds.h"
#include "tests/capture/MixedStream.h"

namespace brx {
namespace {

Bytes Stream(const std::vector<Bytes>& records, uint8_t mode = 0) {
    Bytes s = {mode};
    for (const Bytes& r : records) s.insert(s.end(), r.begin(), r.end());
    return s;
}

std::vector<testing::CorpusSeed> BuildSeeds() {
    std::vector<testing::CorpusSeed> seeds;
    RecordBuilder b;
    DeviceSpec d;
    auto both = [&](const DeviceSpec& dev, const UrbSpec& u) {
        std::vector<Bytes> r;
        r.push_back(b.UrbIssue(dev, u, b.NewIrp()));
        r.push_back(b.UrbCompletion(dev, u, b.Last()));
        return r;
    };
    {
        RecordBuilder mixed;
        Bytes s = {1};
        const RecordStream stream = fixtures::MixedStream(40, mixed);
        s.insert(s.end(), stream.bytes().begin(), stream.bytes().end());
        seeds.push_back({"mixed", s});
    }
    {
        MassStorageDevice dev = MakeMassStorageDevice(0x89A05000, 0x02);
        std::vector<Bytes> r;
        AppendMassStorageCommand(b, dev, {0x12, 0x01, 0x80, 0, 0xFF, 0}, true, 36, InquiryData(5, 5), 0, r);
        AppendMassStorageCommand(b, dev, {0x5A, 0, 0x3F, 0, 0, 0, 0, 0, 0xFF, 0}, true, 16,
                                 {0, 14, 0, 0, 0, 0, 0, 0, 0x2A, 0x02, 0, 0, 0x01, 0x02, 0, 0}, 0, r);
        AppendMassStorageCommand(b, dev, {0x03, 0, 0, 0, 18, 0}, true, 18,
                                 {0x70, 0, 5, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x24, 0, 0, 0, 0, 0}, 1, r);
        seeds.push_back({"mass_storage", Stream(r, 1)});
    }
    {
        std::vector<Bytes> r;
        DeviceSpec hub = d;
        hub.interfaceClass = 0x09;
        uint8_t portFeature[8] = {0x23, 0x01, 0x10, 0, 1, 0, 0, 0};
        for (auto& x : both(hub, ControlTransfer(portFeature))) r.push_back(x);
        r.push_back(b.IoctlIssue(hub, 4442, 0x220410, 12, {2, 0, 0, 0, 0x80, 6, 0, 3, 0, 0, 0xFF, 0}, b.NewIrp()));
        r.push_back(b.IoctlIssue(hub, 4441, 0x22040C, 4, {3, 0, 0, 0}, b.NewIrp()));
        seeds.push_back({"hub", Stream(r)});
    }
    {
        std::vector<Bytes> r;
        DeviceSpec cdc = d;
        cdc.interfaceClass = 0x02;
        cdc.interfaceSubClass = 0x02;
        uint8_t hook[8] = {0x21, 0x11, 1, 0, 0, 0, 0, 0};
        for (auto& x : both(cdc, ControlTransfer(hook))) r.push_back(x);
        UrbSpec notify = BulkTransfer(PipeSpec{0x83, 0x8A0C2200, 0}, 10, {0xA1, 0x20, 0, 0, 0, 0, 2, 0, 3, 0});
        notify.transferFlags = 1;
        for (auto& x : both(cdc, notify)) r.push_back(x);
        DeviceSpec dfu = d;
        dfu.interfaceClass = 0xFE;
        dfu.interfaceSubClass = 0x01;
        uint8_t download[8] = {0x21, 0x01, 5, 0, 0, 0, 64, 0};
        for (auto& x : both(dfu, ControlTransfer(download))) r.push_back(x);
        seeds.push_back({"class_requests", Stream(r)});
    }
    {
        std::vector<Bytes> r;
        for (auto& x : both(d, GetDescriptor(3, 0, 0, 255))) r.push_back(x);
        UrbSpec cls = VendorClassRequest(URB_FN_CLASS_INTERFACE, true, 0x01, 0x0102, 0, 8);
        DeviceSpec hid = d;
        hid.interfaceClass = 0x03;
        for (auto& x : both(hid, cls)) r.push_back(x);
        r.push_back(b.Power(d, 2, b.NewIrp()));
        r.push_back(b.Pnp(d, 0x13, b.NewIrp()));
        r.push_back(b.Create(d, b.NewIrp()));
        seeds.push_back({"urbs_and_irps", Stream(r)});
    }
    {
        // Create and cleanup names at offsets near 2^32: 16 + offset must not
        // wrap round to the block where size_t has 32 bits.
        std::vector<Bytes> r;
        for (uint32_t offset : {0xFFFFFFF0u, 0xFFFFFFF8u, 0xFFFFFFFFu}) {
            RequestSpec spec;
            spec.hasBlock = true;
            spec.block.assign(32, 0);
            PutU32(spec.block, 0, 64);
            PutU16(spec.block, 18, 8);
            PutU32(spec.block, 20, offset);
            for (char16_t c : std::u16string(u"\\Device\\COM3")) {
                spec.block.push_back(static_cast<uint8_t>(c));
                spec.block.push_back(static_cast<uint8_t>(c >> 8));
            }
            spec.kind = KIND_CREATE;
            spec.majorFunction = 0;
            r.push_back(b.Request(spec));
            spec.kind = KIND_CLEANUP;
            spec.majorFunction = 18;
            r.push_back(b.Request(spec));
        }
        seeds.push_back({"create_name_offsets", Stream(r)});
    }
    return seeds;
}

TEST(RequestDetailsCorpus, SeedsMatchTheirSources) { testing::CheckCorpusSeeds("details", BuildSeeds()); }

} // namespace
} // namespace brx
