// Our mass-storage pages against tshark's reading of the same stages: the
// fixture (tools/msc_tshark_fixtures.py) holds each stage's bytes and the
// fields tshark dissected from a capture of them; every field tshark gave
// must agree with the row of our page that shows it.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/protocols/MscPage.h"

using namespace brx;
using namespace brx::testing;

namespace {

std::vector<uint8_t> FromHex(const std::string& hex) {
    std::vector<uint8_t> b;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) b.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return b;
}

std::vector<std::string> Split(const std::string& s, char sep) {
    std::vector<std::string> out;
    std::stringstream in(s);
    std::string part;
    while (std::getline(in, part, sep)) out.push_back(part);
    if (!s.empty() && s.back() == sep) out.emplace_back();
    return out;
}

// A number as tshark shows it: "0x4d530001" or decimal.
uint64_t TsharkNumber(const std::string& v) { return std::stoull(v, nullptr, 0); }

// Our value cell as a number: "4D530001h", "2h", "3Ah&nbsp;00h" (first or second byte).
uint64_t OurNumber(const std::string& cell, int part = 0) {
    std::string v = cell;
    const size_t nb = v.find("&nbsp;");
    if (nb != std::string::npos) v = part == 0 ? v.substr(0, nb) : v.substr(nb + 6);
    if (!v.empty() && v.back() == 'h') v.pop_back();
    return std::stoull(v, nullptr, 16);
}

std::string TrimRight(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

enum class Kind { Number, First, Second, Text };

struct FieldMap {
    const char* tshark;
    const char* stage;  // the stage whose page shows it
    const char* ours;
    Kind kind;
};

constexpr FieldMap kFields[] = {
    {"usbms.dCBWTag", "cbw", "dCBWTag", Kind::Number},
    {"usbms.dCBWTag", "csw", "dCSWTag", Kind::Number},
    {"usbms.dCBWDataTransferLength", "cbw", "dCBWDataTransferLength", Kind::Number},
    {"usbms.dCBWLUN", "cbw", "bCBWLUN", Kind::Number},
    {"usbms.dCSWDataResidue", "csw", "dCSWDataResidue", Kind::Number},
    {"usbms.dCSWStatus", "csw", "bCSWStatus", Kind::Number},
    {"scsi_sbc.opcode", "cbw", "Operation Code", Kind::Number},
    {"scsi_sbc.rdwr10.lba", "cbw", "Logical Block Address", Kind::Number},
    {"scsi_sbc.rdwr10.xferlen", "cbw", "Transfer Length", Kind::Number},
    {"scsi_sbc.rdwr6.lba", "cbw", "Logical Block Address", Kind::Number},
    {"scsi_sbc.rdwr6.xferlen", "cbw", "Transfer Length", Kind::Number},
    {"scsi.inquiry.vendor_id", "data", "Vendor Identification", Kind::Text},
    {"scsi.inquiry.product_id", "data", "Product Identification", Kind::Text},
    {"scsi.inquiry.product_rev", "data", "Product Revision Level", Kind::Text},
    {"scsi.inquiry.version", "data", "Version", Kind::Number},
    {"scsi_sbc.returned_lba", "data", "Logical Block Address", Kind::Number},
    {"scsi_sbc.blocksize", "data", "Block Length", Kind::Number},
    {"scsi.sns.key", "data", "Sense Key", Kind::Number},
    {"scsi.sns.asc", "data", "ASC and ASCQ", Kind::First},
    {"scsi.sns.ascq", "data", "ASC and ASCQ", Kind::Second},
};

TEST(MscTshark, OurPagesAgreeWithTshark) {
    std::ifstream in(std::string(BRX_SOURCE_DIR) + "/tests/data/details/msc_tshark.txt");
    ASSERT_TRUE(in.good());
    std::string line;
    size_t stages = 0, compared = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        const std::vector<std::string> cells = Split(line, '|');
        ASSERT_EQ(cells.size(), 5u) << line;
        const std::string& name = cells[0];
        const std::string& stage = cells[1];
        SCOPED_TRACE(name + " " + stage);
        std::map<std::string, std::string> tshark;
        for (const std::string& kv : Split(cells[4], ';')) {
            const size_t eq = kv.find('=');
            if (eq != std::string::npos) tshark[kv.substr(0, eq)] = kv.substr(eq + 1);
        }
        MscStage s;
        s.bytes = FromHex(cells[2]);
        std::vector<uint8_t> cdb = FromHex(cells[3]);
        s.op = cdb[0];
        s.cdb1 = cdb.size() > 1 ? cdb[1] : 0;
        cdb.resize(16, 0);
        s.cdb = cdb;
        // Command wrappers and data-out stages are taken at issue, the rest at completion.
        const bool out = stage == "data" && tshark.count("scsi_sbc.opcode") && (s.op == 0x2A || s.op == 0x0A);
        s.completion = !(stage == "cbw" || out);
        const MscRender r = RenderStage(s);
        ASSERT_EQ(r.result, 1);
        ++stages;
        for (const FieldMap& f : kFields) {
            if (stage != f.stage || !tshark.count(f.tshark)) continue;
            SCOPED_TRACE(f.tshark);
            const auto row = FindRow(r.html, f.ours);
            ASSERT_TRUE(row) << r.html;
            const std::string& theirs = tshark[f.tshark];
            switch (f.kind) {
            case Kind::Number:
                EXPECT_EQ(OurNumber(row->value), TsharkNumber(theirs));
                // Decimal descriptions of addresses and lengths read the same unsigned value.
                if (std::string(f.ours) == "Logical Block Address" && TsharkNumber(theirs) >= 10) {
                    EXPECT_EQ(row->description, theirs);
                }
                break;
            case Kind::First: EXPECT_EQ(OurNumber(row->value, 0), TsharkNumber(theirs)); break;
            case Kind::Second: EXPECT_EQ(OurNumber(row->value, 1), TsharkNumber(theirs)); break;
            case Kind::Text: EXPECT_EQ(row->value, "\"" + TrimRight(theirs) + "\""); break;
            }
            ++compared;
        }
    }
    EXPECT_EQ(stages, 32u);
    EXPECT_GE(compared, 70u);
}

} // namespace
