// The seeds of the details-trees fuzzer: record streams with IRPs and URBs of
// the shapes the trees decode, and structures for the Data Analysis
// renderers and the field tables, built here from the record builder.
#include <gtest/gtest.h>

#include "sim/RecordBuilder.h"
#include "tests/CorpusSeeds.h"
#include "tests/decode/DetailsRecords.h"

namespace brx {
namespace {

Bytes Records(const std::vector<Bytes>& records) {
    Bytes s = {0};
    for (const Bytes& r : records) s.insert(s.end(), r.begin(), r.end());
    return s;
}

Bytes Structure(uint8_t choice, const Bytes& bytes) {
    Bytes s = {1, choice};
    s.insert(s.end(), bytes.begin(), bytes.end());
    return s;
}

std::vector<testing::CorpusSeed> BuildSeeds() {
    std::vector<testing::CorpusSeed> seeds;
    RecordBuilder b;
    DeviceSpec d;
    const PipeSpec in{0x81, 0x8A0C2000, 0};
    {
        std::vector<Bytes> r;
        r.push_back(b.Create(d, b.NewIrp()));
        r.push_back(b.Pnp(d, 0x13, b.NewIrp()));
        r.push_back(b.Power(d, 2, b.NewIrp(), IrpForm::Short));
        r.push_back(b.IoctlIssue(d, 4441, 0x22040C, 4, {3, 0, 0, 0}, b.NewIrp()));
        seeds.push_back({"irps", Records(r)});
    }
    {
        std::vector<Bytes> r;
        r.push_back(b.UrbIssue(d, SelectConfiguration(0, 0x08, 0x06, 0x50, {in, PipeSpec{0x02, 0x8A0C2100, 0}}),
                               b.NewIrp()));
        const uint8_t setup[8] = {0x80, 0x06, 0x00, 0x01, 0x00, 0x00, 0x12, 0x00};
        r.push_back(b.UrbIssue(d, ControlTransfer(setup), b.NewIrp()));
        r.push_back(b.UrbIssue(d, IsochTransfer(in, 3, 576), b.NewIrp()));
        r.push_back(b.UrbIssue(d, GetDescriptor(2, 0, 0, 255), b.NewIrp()));
        r.push_back(b.UrbIssue(d, BulkTransfer(in, 64), b.NewIrp()));
        seeds.push_back({"urbs", Records(r)});
    }
    {
        Bytes policy = testing::MakeUrb(51, 32);
        PutU32(policy, 20, 2);
        seeds.push_back({"urb_short_and_policy",
                         Records({testing::UrbRecord(b, testing::MakeUrb(8, 60)), testing::UrbRecord(b, policy)})});
    }
    {
        Bytes node(57, 0);
        node[4] = 18;
        node[5] = 1;
        node[11] = 64;
        PutU32(node, 27, 2);
        PutU32(node, 31, 1);
        node[35] = 7;
        node[36] = 5;
        seeds.push_back({"node_connection_ex", Structure(16, node)});
    }
    {
        Bytes name(4 + 8, 0);
        PutU32(name, 0, 12);
        PutU16(name, 4, 'H');
        PutU16(name, 6, 'U');
        PutU16(name, 8, 'B');
        seeds.push_back({"hub_name", Structure(9, name)});
    }
    {
        Bytes caps(64, 0);
        PutU16(caps, 0, 64);
        PutU32(caps, 4, 0x3FFFF);
        seeds.push_back({"device_capabilities", Structure(3, caps)});
    }
    {
        Bytes hub(76, 0);
        hub[4] = 9;
        hub[5] = 0x29;
        seeds.push_back({"node_information_hub", Structure(7, hub)});
    }
    {
        Bytes usbdi(48, 0);
        PutU16(usbdi, 0, 48);
        PutU16(usbdi, 2, 3);
        seeds.push_back({"bus_interface_usbdi", Structure(22, usbdi)});
    }
    {
        Bytes irp(112, 0);
        irp[34] = 3;
        irp[35] = 2;
        PutU32(irp, 8, 0xC0010043);
        seeds.push_back({"irp", Structure(0, irp)});
    }
    return seeds;
}

TEST(DetailTreesCorpus, SeedsMatchTheirSources) { testing::CheckCorpusSeeds("detailtrees", BuildSeeds()); }

} // namespace
} // namespace brx
