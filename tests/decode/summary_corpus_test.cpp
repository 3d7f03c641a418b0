// The seeds of the request-summary fuzzer: record streams of each family the
// summary renders (URBs of every writer, class requests, PnP and power IRPs,
// create requests, kernel- and user-mode device control, markers) and the
// records whose names claim more bytes than follow them, built by the record
// builder.
#include <gtest/gtest.h>

#include "capture/RequestKind.h"
#include "sim/RecordBuilder.h"
#include "tests/CorpusSeeds.h"
#include "tests/capture/MixedStream.h"
#include "tests/decode/SummaryText.h"

namespace brx {
namespace {

Bytes Stream(const std::vector<Bytes>& records, uint8_t mode = 1) {
    Bytes s = {mode};
    for (const Bytes& r : records) s.insert(s.end(), r.begin(), r.end());
    return s;
}

using testing::Utf16Bytes;

RequestSpec Completed(uint16_t kind, uint8_t major, Bytes block) {
    RequestSpec spec;
    spec.kind = kind;
    spec.majorFunction = major;
    spec.completion = true;
    spec.hasBlock = true;
    spec.block = std::move(block);
    return spec;
}

std::vector<testing::CorpusSeed> BuildSeeds() {
    std::vector<testing::CorpusSeed> seeds;
    RecordBuilder b;
    DeviceSpec d;
    auto both = [&](const DeviceSpec& dev, const UrbSpec& issue, const UrbSpec& done, std::vector<Bytes>& r) {
        r.push_back(b.UrbIssue(dev, issue, b.NewIrp()));
        r.push_back(b.UrbCompletion(dev, done, b.Last()));
    };
    {
        RecordBuilder mixed;
        Bytes s = {0x21};
        const RecordStream stream = fixtures::MixedStream(40, mixed);
        s.insert(s.end(), stream.bytes().begin(), stream.bytes().end());
        seeds.push_back({"mixed", s});
    }
    {
        std::vector<Bytes> r;
        const Bytes config = {9, 2, 34, 0, 1, 1, 0, 0xA0, 50, 8, 11, 0, 2, 3, 0, 0, 0,
                              9, 4, 0, 0, 1, 3, 1, 2, 0, 7, 5, 0x81, 3, 8, 0, 10};
        const uint8_t getConfig[8] = {0x80, 6, 0, 2, 0, 0, 34, 0};
        both(d, ControlTransfer(getConfig), ControlTransfer(getConfig, config), r);
        const uint8_t getString[8] = {0x80, 6, 1, 3, 9, 4, 10, 0};
        both(d, ControlTransfer(getString), ControlTransfer(getString, {10, 3, 'a', 0, '{', 0, '\\', 0, 0xAC, 0x20}), r);
        UrbSpec feature = PipeRequest(URB_FN_SET_FEATURE_TO_DEVICE, PipeSpec{});
        feature.value = 3;
        both(d, feature, feature, r);
        both(d, SelectConfiguration(0, 3, 1, 1, {PipeSpec{}}), SelectConfiguration(0, 3, 1, 1, {PipeSpec{}}), r);
        UrbSpec iso = IsochTransfer(PipeSpec{0x23, 0x8A0C9000, 0}, 4, 64);
        both(d, iso, iso, r);
        seeds.push_back({"urbs", Stream(r)});
    }
    {
        std::vector<Bytes> r;
        DeviceSpec hub = d;
        hub.interfaceClass = 0x09;
        hub.usbVersion = 0x0300;
        const uint8_t portStatus[8] = {0xA3, 0, 0, 0, 1, 0, 4, 0};
        both(hub, ControlTransfer(portStatus), ControlTransfer(portStatus, {0x61, 0x02, 0x40, 0}), r);
        DeviceSpec hid = d;
        hid.interfaceClass = 0x03;
        const uint8_t idle[8] = {0x21, 0x0A, 0, 250, 0, 0, 0, 0};
        both(hid, ControlTransfer(idle), ControlTransfer(idle), r);
        DeviceSpec dfu = d;
        dfu.interfaceClass = 0xFE;
        dfu.interfaceSubClass = 0x01;
        const uint8_t status[8] = {0xA1, 3, 0, 0, 0, 0, 6, 0};
        both(dfu, ControlTransfer(status), ControlTransfer(status, {0, 0, 0, 0, 2, 0}), r);
        DeviceSpec cdc = d;
        cdc.interfaceClass = 0x02;
        UrbSpec notify = BulkTransfer(PipeSpec{0x83, 0x8A0C2200, 0, PIPE_TYPE_INTERRUPT}, 10);
        notify.transferFlags = 1;
        UrbSpec notified = notify;
        notified.data = {0xA1, 0x20, 0, 0, 0, 0, 2, 0, 3, 0};
        both(cdc, notify, notified, r);
        seeds.push_back({"class_requests", Stream(r)});
    }
    {
        std::vector<Bytes> r;
        Bytes relations(12 + 8 * 3, 0);
        PutU32(relations, 8, 3);
        PutU32(relations, 12, 0x89A01030);
        PutU32(relations, 24, 0x89A01000);
        r.push_back(b.Request(Completed(KIND_PNP_FIRST + 7, 27, relations)));
        Bytes ids(8, 0);
        PutU32(ids, 4, 1);
        Bytes text = Utf16Bytes(u"USB\\VID_1234&PID_5678");
        ids.insert(ids.end(), text.begin(), text.end());
        ids.insert(ids.end(), {0, 0, 'X', 0, 0, 0, 0, 0});
        r.push_back(b.Request(Completed(KIND_PNP_FIRST + 19, 27, ids)));
        Bytes power(16, 0);
        PutU32(power, 4, 1);
        PutU32(power, 8, 4);
        RequestSpec setPower = Completed(KIND_POWER_FIRST + 2, 22, power);
        setPower.completion = false;
        r.push_back(b.Request(setPower));
        Bytes create(32, 0);
        PutU32(create, 0, 32);
        Bytes path = Utf16Bytes(u"C:\\Tools\\viewer.exe");
        PutU16(create, 18, static_cast<uint16_t>(path.size()));
        create.insert(create.end(), path.begin(), path.end());
        r.push_back(b.Request(Completed(KIND_CREATE, 0, create)));
        seeds.push_back({"irps", Stream(r)});
    }
    {
        // Names whose length fields claim more than the bytes that follow them.
        std::vector<Bytes> r;
        Bytes rootHub = {40, 0, 0, 0};
        Bytes name = Utf16Bytes(u"ABCDEF");
        rootHub.insert(rootHub.end(), name.begin(), name.end());
        RequestSpec root = Completed(KIND_HCD_FIRST + 3, 14, RecordBuilder::IoctlBlock(0x220408, 64, rootHub));
        r.push_back(b.Request(root));
        Bytes hubName = {200, 0, 0, 0, 100, 0, 0, 0, 100, 0, 0, 0};
        hubName.insert(hubName.end(), name.begin(), name.end());
        r.push_back(b.Request(Completed(KIND_KMIO_FIRST + 8, 15, hubName)));
        r.push_back(b.Request(Completed(KIND_KMIO_FIRST + 265, 15, hubName)));
        Bytes connection = {2, 0, 0, 0, 0xFF, 0, 0, 0};
        connection.insert(connection.end(), name.begin(), name.end());
        r.push_back(b.Request(Completed(KIND_HUB_FIRST + 3, 14, RecordBuilder::IoctlBlock(0x220414, 64, connection))));
        RequestSpec tooSmall = Completed(KIND_HUB_FIRST + 0, 14, RecordBuilder::IoctlBlock(0x220408, 76, {}));
        tooSmall.status = 0xC0000023;
        r.push_back(b.Request(tooSmall));
        Bytes huge(20, 0);
        PutU32(huge, 8, 0x40000000);
        PutU32(huge, 12, 0x89A01030);
        r.push_back(b.Request(Completed(KIND_PNP_FIRST + 7, 27, huge)));
        r.push_back(b.StartMarker());
        r.push_back(b.DropMarker());
        seeds.push_back({"long_names", Stream(r, 0x0B)});
    }
    {
        // Query blocks whose leading length is shorter than the bytes held,
        // and create and cleanup names at offsets near 2^32.
        std::vector<Bytes> r;
        Bytes ids(8, 0);
        PutU32(ids, 0, 12);
        PutU32(ids, 4, 1);
        const Bytes text = Utf16Bytes(u"USB\\VID_1234&PID_5678");
        ids.insert(ids.end(), text.begin(), text.end());
        ids.insert(ids.end(), {0, 0, 0, 0});
        r.push_back(b.Request(Completed(KIND_PNP_FIRST + 19, 27, ids)));
        Bytes relations(12 + 8 * 3, 0);
        PutU32(relations, 0, 16);
        PutU32(relations, 8, 3);
        r.push_back(b.Request(Completed(KIND_PNP_FIRST + 7, 27, relations)));
        Bytes deviceText(12, 0);
        PutU32(deviceText, 0, 14);
        deviceText.insert(deviceText.end(), text.begin(), text.end());
        r.push_back(b.Request(Completed(KIND_PNP_FIRST + 12, 27, deviceText)));
        Bytes query(28, 0);
        PutU32(query, 0, 0xFFFFFFFF);
        r.push_back(b.Request(Completed(KIND_PNP_FIRST + 8, 27, query)));
        for (uint32_t offset : {0xFFFFFFF0u, 0xFFFFFFF8u}) {
            Bytes create(32, 0);
            PutU32(create, 0, 32);
            PutU16(create, 18, 8);
            PutU32(create, 20, offset);
            create.insert(create.end(), text.begin(), text.end());
            r.push_back(b.Request(Completed(KIND_CREATE, 0, create)));
            r.push_back(b.Request(Completed(KIND_CLEANUP, 18, create)));
        }
        seeds.push_back({"hostile_irps", Stream(r)});
    }
    return seeds;
}

TEST(RequestSummaryCorpus, SeedsMatchTheirSources) { testing::CheckCorpusSeeds("summary", BuildSeeds()); }

} // namespace
} // namespace brx
