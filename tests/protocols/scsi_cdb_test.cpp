// SCSI command descriptor blocks on the data-analysis page: the dispatch by
// operation code, the size test of each group, the layouts that differ for
// optical drives, and the value descriptions (decimal from 10 up, unsigned,
// block counts).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocols/ScsiCdb.h"
#include "tests/decode/PageTest.h"
#include "tests/protocols/MscPage.h"

using namespace brx;
using namespace brx::testing;

namespace {

bool Has(const std::string& html, std::string_view what) { return html.find(what) != std::string::npos; }

std::string Cdb(std::vector<uint8_t> cdb, uint8_t kind = 1, int cdbLength = -1) {
    const MscRender r = RenderStage(CbwStage(std::move(cdb), kind, cdbLength));
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(CheckNesting(r.html), "");
    return r.html;
}

std::string Description(const std::string& html, const char* field, size_t occurrence = 0) {
    const auto row = FindRow(html, field, occurrence);
    EXPECT_TRUE(row) << field << "\n" << html;
    return row ? row->description : "(no row)";
}
std::string Value(const std::string& html, const char* field) {
    const auto row = FindRow(html, field);
    EXPECT_TRUE(row) << field << "\n" << html;
    return row ? row->value : "(no row)";
}

TEST(ScsiCdb, CommandsWithoutDecoderOrTooShortShowNoCdbTable) {
    struct Case {
        const char* what;
        std::vector<uint8_t> cdb;
        int cdbLength;
        uint8_t pendingOp;  // the store's pending code (normally CDB byte 0)
        bool table;
    } cases[] = {
        {"01h has no decoder", {0x01, 0, 0, 0, 0, 0}, 6, 0x01, false},
        {"READ(10) in 6 bytes", {0x28, 0, 0, 0, 0, 0, 0, 0, 1, 0}, 6, 0x28, false},
        {"READ(10) in 10 bytes", {0x28, 0, 0, 0, 0, 0, 0, 0, 1, 0}, 10, 0x28, true},
        {"CDB length from the low 5 bits only", {0x28, 0, 0, 0, 0, 0, 0, 0, 1, 0}, 0xEA, 0x28, true},
        {"9Eh in a 12-byte CDB", {0x9E, 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 12, 0x9E, false},
        {"9Eh in 16 bytes", {0x9E, 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 32, 0, 0}, 16, 0x9E, true},
        {"pending code differs from the CDB", {0x28, 0, 0, 0, 0, 0, 0, 0, 1, 0}, 10, 0x2A, false},
        {"READ(12) needs 12 bytes", {0xA8, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0}, 11, 0xA8, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MscStage s = CbwStage(c.cdb, 1, c.cdbLength);
        s.op = c.pendingOp;
        const MscRender r = RenderStage(s);
        EXPECT_EQ(r.result, 1);
        EXPECT_TRUE(Has(r.html, "dCBWSignature"));
        EXPECT_EQ(Has(r.html, "Operation Code"), c.table) << r.html;
    }
}

TEST(ScsiCdb, AddressesLengthsAndCountsFollowTheDecimalRules) {
    struct Case {
        const char* what;
        std::vector<uint8_t> cdb;
        const char* field;
        const char* value;
        const char* description;
    } cases[] = {
        {"LBA 9 has no text", {0x28, 0, 0, 0, 0, 9, 0, 0, 1, 0}, "Logical Block Address", "00000009h", ""},
        {"LBA 10", {0x28, 0, 0, 0, 0, 10, 0, 0, 1, 0}, "Logical Block Address", "0000000Ah", "10"},
        {"LBA 80000000h is unsigned", {0x28, 0, 0x80, 0, 0, 0, 0, 0, 1, 0}, "Logical Block Address", "80000000h",
         "2147483648"},
        {"LBA FFFFFFFFh", {0x28, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 1, 0}, "Logical Block Address", "FFFFFFFFh",
         "4294967295"},
        {"one block", {0x28, 0, 0, 0, 0, 0, 0, 0, 1, 0}, "Transfer Length", "0001h", "1 contiguous logical block"},
        {"zero blocks of READ(10)", {0x28, 0, 0, 0, 0, 0, 0, 0, 0, 0}, "Transfer Length", "0000h",
         "0 contiguous logical blocks"},
        {"READ(6) of 0 reads 256", {0x08, 0, 0, 0, 0, 0}, "Transfer Length", "00h", "256 contiguous logical blocks"},
        {"WRITE(6) of 0 writes 256", {0x0A, 0x1F, 0xFF, 0xFF, 0, 0}, "Transfer Length", "00h",
         "256 contiguous logical blocks"},
        {"READ(6) address of 21 bits", {0x08, 0xFF, 0xFF, 0xFF, 1, 0}, "Logical Block Address", "1FFFFFh",
         "2097151"},
        {"64-bit LBA", {0x88, 0, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 0, 0}, "Logical Block Address",
         "8000000000000000h", "9223372036854775808"},
        {"64-bit LBA below 10", {0x88, 0, 0, 0, 0, 0, 0, 0, 0, 5, 0, 0, 0, 8, 0, 0}, "Logical Block Address",
         "0000000000000005h", ""},
        {"allocation length 9", {0x12, 0, 0, 0, 9, 0}, "Allocation Length", "0009h", ""},
        {"allocation length 36", {0x12, 0, 0, 0, 36, 0}, "Allocation Length", "0024h", "36 bytes"},
        {"REPORT LUNS length unsigned", {0xA0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0}, "Allocation Length",
         "FFFFFFFFh", "4294967295 bytes"},
        {"INC_512 multiplies", {0xA2, 0, 0, 0, 0x80, 0, 0x00, 0x80, 0x00, 0x00, 0, 0}, "Allocation Length",
         "00800000h", "4294967296 bytes"},
        {"MODE SELECT of nothing", {0x15, 0x10, 0, 0, 0, 0}, "Parameter List Length", "00h",
         "Data-Out Buffer shall be empty"},
        {"SYNCHRONIZE CACHE of all", {0x35, 0, 0, 0, 0, 0, 0, 0, 0, 0}, "Number of Blocks", "0000h",
         "All remaining logical blocks"},
        {"READ CD of sub-channel", {0xBE, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 1, 0, 0, 0}, "Starting Logical Block Address",
         "FFFFFFFFh", "Sub-Channel Data"},
        {"SET CD SPEED optimal", {0xBB, 0, 0xFF, 0xFF, 0x00, 0xB0, 0, 0, 0, 0, 0, 0}, "Logical Unit Read Speed",
         "FFFFh", "Set for optimal performance"},
        {"SET CD SPEED in Kbytes", {0xBB, 0, 0xFF, 0xFF, 0x00, 0xB0, 0, 0, 0, 0, 0, 0}, "Logical Unit Write Speed",
         "00B0h", "176 Kbytes/sec"},
        {"event classes joined", {0x4A, 1, 0, 0, 0x14, 0, 0, 0, 8, 0}, "Notification Class Request", "14h",
         "Power Management + Media"},
        {"no event class", {0x4A, 1, 0, 0, 0x00, 0, 0, 0, 8, 0}, "Notification Class Request", "00h",
         "No Event Classes"},
        {"only unnamed event bits", {0x4A, 1, 0, 0, 0x81, 0, 0, 0, 8, 0}, "Notification Class Request", "81h", ""},
        {"INQUIRY page name only when nonzero", {0x12, 1, 0x80, 0, 0xFF, 0}, "Page Code", "80h",
         "Unit Serial Number"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string html = Cdb(c.cdb);
        EXPECT_EQ(Value(html, c.field), c.value);
        EXPECT_EQ(Description(html, c.field), c.description);
    }
}

TEST(ScsiCdb, OpticalDrivesHaveTheirOwnLayouts) {
    struct Case {
        const char* what;
        std::vector<uint8_t> cdb;
        const char* mmcOnly;    // a row only the MMC layout has (null: none)
        const char* otherOnly;  // a row only the other layout has
    } cases[] = {
        {"READ(10)", {0x28, 0, 0, 0, 0, 0, 0, 0, 1, 0}, nullptr, "Group Number"},
        {"WRITE(10)", {0x2A, 0, 0, 0, 0, 0, 0, 0, 1, 0}, nullptr, "Write Protect (WRPROTECT)"},
        {"VERIFY(10)", {0x2F, 0, 0, 0, 0, 0, 0, 0, 1, 0}, "Number of Blocks", "Verification Length"},
        {"SYNCHRONIZE CACHE(10)", {0x35, 0, 0, 0, 0, 0, 0, 0, 1, 0}, nullptr,
         "Synchronize Volatile and Non-Volatile Caches (SYNC_NV)"},
        {"READ(12)", {0xA8, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0}, "Streaming", "Group Number"},
        {"WRITE(12)", {0xAA, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0}, "Streaming", "Write Protect (WRPROTECT)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string mmc = Cdb(c.cdb, 3), sbc = Cdb(c.cdb, 1);
        EXPECT_NE(mmc, sbc);
        if (c.mmcOnly) {
            EXPECT_TRUE(FindRow(mmc, c.mmcOnly));
            EXPECT_FALSE(FindRow(sbc, c.mmcOnly));
        }
        EXPECT_FALSE(FindRow(mmc, c.otherOnly));
        EXPECT_TRUE(FindRow(sbc, c.otherOnly));
    }
    // WRITE(10) in the MMC layout leaves its address undescribed.
    EXPECT_EQ(Description(Cdb({0x2A, 0, 0, 0, 0x10, 0, 0, 0, 1, 0}, 3), "Logical Block Address"), "");
    EXPECT_EQ(Description(Cdb({0x2A, 0, 0, 0, 0x10, 0, 0, 0, 1, 0}, 1), "Logical Block Address"), "4096");
}

TEST(ScsiCdb, StartStopUnitTexts) {
    struct Case {
        uint8_t byte4;
        uint8_t kind;
        const char* value;
        const char* text;
    } cases[] = {
        {0x00, 3, "0b 0b", "Stop the disc"},
        {0x01, 3, "0b 1b", "Start the disc"},
        {0x02, 3, "1b 0b", "Eject the disc"},
        {0x03, 3, "1b 1b", "Load the disc"},
        {0x00, 1, "0b 0b", "No action regarding loading or ejecting the medium"},
        {0x01, 1, "0b 1b", "No action regarding loading or ejecting the medium"},
        {0x03, 1, "1b 1b", "Load the medium"},
        {0x02, 1, "1b 0b", "Unload the medium"},
        {0x13, 1, "1b 1b", ""},  // a power condition set: no text
        {0x32, 3, "1b 0b", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << int(c.byte4) << " kind " << int(c.kind));
        const std::string html = Cdb({0x1B, 0, 0, 0, c.byte4, 0}, c.kind);
        EXPECT_EQ(Value(html, "LoEj and Start"), c.value);
        EXPECT_EQ(Description(html, "LoEj and Start"), c.text);
    }
}

TEST(ScsiCdb, ServiceActionIn16) {
    // READ CAPACITY(16): the heading uses the real service action, the
    // operation code row takes byte 1 as 0.
    std::string html = Cdb({0x9E, 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 32, 1, 0});
    EXPECT_TRUE(html.starts_with("<div class=\"uddiv6\">Read Capacity(16)</div>")) << html;
    EXPECT_EQ(Description(html, "Operation Code"), "Service Action In(16)");
    EXPECT_TRUE(Has(html, "CDB - Read Capacity(16)"));
    EXPECT_EQ(Description(html, "Allocation Length"), "32 bytes");
    EXPECT_EQ(Value(html, "Partial Medium Indicator (PMI)"), "1b");
    EXPECT_FALSE(FindRow(html, "Miscellaneous CDB Information 2"));
    // Another service action: the generic table with thirteen numbered rows.
    html = Cdb({0x9E, 0xF2, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 0x44});
    EXPECT_EQ(Value(html, "Miscellaneous CDB Information"), "111b");
    EXPECT_EQ(Value(html, "Miscellaneous CDB Information 2"), "01h");
    EXPECT_EQ(Value(html, "Miscellaneous CDB Information 14"), "0Dh");
    EXPECT_FALSE(FindRow(html, "Miscellaneous CDB Information 15"));
    EXPECT_EQ(Value(html, "Control"), "44h");
}

TEST(ScsiCdb, EveryDecoderWritesItsControlByteAndNestsCleanly) {
    const uint8_t codes[] = {0x00, 0x03, 0x04, 0x08, 0x0A, 0x12, 0x15, 0x1A, 0x1B, 0x1D, 0x1E, 0x23,
                             0x25, 0x28, 0x2A, 0x2B, 0x2F, 0x35, 0x42, 0x43, 0x46, 0x4A, 0x4E, 0x51,
                             0x52, 0x55, 0x5A, 0x5B, 0x5C, 0x88, 0x8A, 0x91, 0x9E, 0xA0, 0xA1, 0xA2,
                             0xA3, 0xA4, 0xA8, 0xAA, 0xAC, 0xAD, 0xB6, 0xBB, 0xBD, 0xBE};
    for (uint8_t kind : {1, 3}) {
        for (uint8_t code : codes) {
            SCOPED_TRACE(::testing::Message() << std::hex << int(code) << " kind " << int(kind));
            const uint32_t size = ScsiCdbSize(code);
            std::vector<uint8_t> cdb(size, 0xA5);
            cdb[0] = code;
            cdb[size - 1] = 0x3C;
            const std::string html = Cdb(cdb, kind);
            EXPECT_EQ(Value(html, "Control"), "3Ch");
            EXPECT_TRUE(Has(html, "<div class=\"uddiv6\">CDB"));
        }
    }
}

} // namespace
