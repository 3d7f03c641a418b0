#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "protocols/ScsiNames.h"
#include "protocols/ScsiOpcodes.h"

namespace brx {
namespace {

std::string Text(const char* s) { return s ? s : "(null)"; }

TEST(ScsiNames, SenseCodes) {
    struct Case {
        uint32_t asc, ascq;
        const char* text;
    } cases[] = {
        {0x00, 0x00, "No Additional Sense Information"},
        {0x04, 0xFF, "Logical Drive not Ready - Device is Busy"},
        {0x40, 0x00, "RAM Failure (Should Use 40 NN)"},
        {0x40, 0x01, "Diagnostic Failure on Component"},
        {0x40, 0x85, "Diagnostic Failure on Component"},
        {0x40, 0xFF, "Diagnostic Failure on Component"},
        {0x44, 0x00, "Internal Target Failure"},
        {0x44, 0x01, nullptr}, // an ASC written with ASCQ 00 answers only for 00
        {0x54, 0x00, "USB to Host System Interface Failure"},
        {0x80, 0x00, "Insufficient Resources"},
        {0x3A, 0x02, "Medium not Present - Tray Open"},
        {0x01, 0x00, nullptr},
        {0x140, 0x00, "RAM Failure (Should Use 40 NN)"}, // a byte field: high bits ignored
    };
    for (const Case& c : cases)
        EXPECT_EQ(Text(ScsiAscAscqName(c.asc, c.ascq)), Text(c.text)) << std::hex << c.asc << "/" << c.ascq;
}

TEST(ScsiNames, ModePagesByDeviceKind) {
    struct Case {
        uint32_t page, subpage, kind;
        const char* text;
    } cases[] = {
        {0x0A, 0x01, 1, "Control Extension"},
        {0x0A, 0x01, 3, nullptr},
        {0x01, 0x05, 1, nullptr},
        {0x01, 0x05, 3, "Read/Write Error Recovery"},
        {0x01, 0x00, 0, "Read/Write Error Recovery"},
        {0x03, 0x07, 1, "Format Device"},
        {0x2C, 0x00, 3, "MRW"},
        {0x2A, 0x00, 3, "MM Capabilities & Mechanical Status"},
        {0x2B, 0x00, 3, nullptr}, // between the MMC pages 2Ah and 2Ch
        {0x2D, 0x00, 3, "Vendor Specific"},
        {0x20, 0x00, 1, "Vendor Specific"},
        {0x20, 0xFF, 1, nullptr}, // all subpages of a page
        {0x1C, 0x02, 1, "Logical Block Provisioning"},
        {0x1C, 0x00, 3, "Fault/Failure Reporting"},
        {0x06, 0x00, 1, nullptr},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Text(ModePageName(c.page, c.subpage, c.kind, 0)), Text(c.text))
            << std::hex << c.page << "/" << c.subpage << " kind " << c.kind;
}

TEST(ScsiNames, CodeTables) {
    EXPECT_EQ(Text(VpdPageName(0x42)), "ASCII Information");
    EXPECT_EQ(Text(VpdPageName(0x9A)), "(null)");
    EXPECT_EQ(Text(VpdPageName(0xB7)), "Block Limits Extension");
    EXPECT_EQ(Text(VpdPageName(0xC5)), "Vendor Specific");
    EXPECT_EQ(Text(MmcFeatureName(0xFF10)), "Vendor Specific");
    EXPECT_EQ(Text(MmcFeatureName(0x0101)), "S.M.A.R.T.");
    EXPECT_EQ(Text(MmcProfileName(0x0000)), "(null)");
    EXPECT_EQ(Text(MmcProfileName(0xFFFF)), "Drives not Conforming to a Standard Profile");
    EXPECT_EQ(Text(ScsiSenseKeyName(0xC)), "(null)");
    EXPECT_EQ(Text(ScsiSenseKeyName(0x5)), "Illegal Request");
    EXPECT_EQ(Text(SecurityProtocolName(0x03)), "Defined by TCG");
    EXPECT_EQ(Text(SecurityProtocolName(0xF7)), "Vendor Specific");
    EXPECT_EQ(Text(ExternalRequestName(0x0250)), "ASCII Button");
    EXPECT_EQ(Text(ExternalRequestName(0x0105)), "(null)");
    EXPECT_EQ(Text(DcbContentDescriptorName(0x544F4300)), "TOC");
    EXPECT_EQ(Text(PhysicalInterfaceStandardName(0xFFFF)), "Vendor Unique");
    EXPECT_EQ(Text(RpcSchemeName(0)), "Unknown");
    EXPECT_EQ(Text(PreventAllowName(2)), "Allow removal");
    EXPECT_EQ(Text(PreventAllowName(3)), "Prohibit removal");
    EXPECT_EQ(Text(PreventAllowName(4)), "(null)");
    EXPECT_EQ(Text(PowerConditionModifierName(0xA, 2)), "C");
    EXPECT_EQ(Text(PowerConditionModifierName(0xB, 1)), "Y");
    EXPECT_EQ(Text(PowerConditionModifierName(0x3, 2)), "(null)");
    EXPECT_EQ(Text(NotificationClassName(0x104)), "Media");
    EXPECT_EQ(Text(TocPointName(1, 0x63)), "Track number references");
    EXPECT_EQ(Text(TocPointName(5, 0x41)), "(null)");
    EXPECT_EQ(Text(TocPointName(5, 0xB3)), "Skip track assignment pointers");
    // Texts outside ASCII are Windows-1252 bytes.
    EXPECT_EQ(Text(CloseFunctionName(5)), "Close Session and Finalize Disc \x96 special case");
    EXPECT_EQ(Text(KeyClassName(1)), "ReWritable Security Service \x96 A");
}

TEST(ScsiOpcodes, NamesByDeviceKind) {
    struct Case {
        uint32_t code, cdb1, kind;
        const char* text;
    } cases[] = {
        {0x51, 0, 0, "XPWrite(10)"},
        {0xA1, 0, 0, "ATA Pass-Through(12)"},
        {0x51, 0, 3, "Read Disc Information"},
        {0xA1, 0, 3, "Blank"},
        {0x08, 0, 2, nullptr}, // READ(6) is no RBC command
        {0x28, 0, 2, "Read(10)"},
        {0x9E, 0x10, 1, "Read Capacity(16)"},
        {0x9E, 0x16, 1, "Get Stream Status"},
        {0x9E, 0x30, 1, "Service Action In(16)"},
        {0x9E, 0x10, 0, nullptr},
        {0x9E, 0x10, 3, nullptr},
        {0x9F, 0x11, 1, "Write Long (16)"},
        {0x9F, 0x12, 1, "Service Action Out(16)"},
        {0xA9, 0, 1, "Service Action Out(12)"},
        {0xA9, 0, 0, nullptr},
        {0x43, 0, 1, nullptr}, // READ TOC is not a block command
        {0x43, 0, 0, "Read TOC/PMA/ATIP"},
        {0x25, 0, 3, "Read Capacity"},
        {0x25, 0, 1, "Read Capacity(10)"},
        {0xBE, 0, 3, "Read CD"},
        {0xB7, 0, 3, nullptr},
        {0x12, 0, 7, "Inquiry"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Text(ScsiOpcodeName(c.code, c.cdb1, c.kind, 0, 1)), Text(c.text))
            << std::hex << c.code << "/" << c.cdb1 << " kind " << c.kind;
    EXPECT_EQ(ScsiOpcodeName(0x28, 0, 1, 0, 0), nullptr);
}

TEST(ScsiOpcodes, Descriptions) {
    const char* mmcBlank = "Provides the ability to erase any part of a CD/DVD-RW disc.";
    for (uint32_t kind : {0u, 1u, 2u, 3u}) EXPECT_EQ(Text(ScsiCommandDescription(0xA1, 0, kind, 0)), mmcBlank);
    EXPECT_EQ(Text(ScsiCommandDescription(0x9E, 0x10, 1, 0)), Text(ScsiCommandDescription(0x25, 0, 1, 0)));
    EXPECT_EQ(ScsiCommandDescription(0x9E, 0x11, 1, 0), nullptr);
    EXPECT_EQ(Text(ScsiCommandDescription(0xAA, 0, 0, 0)), Text(ScsiCommandDescription(0x0A, 0, 0, 0)));
    EXPECT_EQ(ScsiCommandDescription(0x01, 0, 0, 0), nullptr);
}

TEST(ScsiOpcodes, ModeSenseSelectors) {
    EXPECT_EQ(Text(ModePageNameForCdb(0x3F, 0x00, 1, 0)), "Return all Pages");
    EXPECT_EQ(Text(ModePageNameForCdb(0x3F, 0xFF, 1, 0)), "Return all Pages and Subpages");
    EXPECT_EQ(Text(ModePageNameForCdb(0x1C, 0xFF, 1, 0)), "Return all Subpages");
    EXPECT_EQ(Text(ModePageNameForCdb(0x3F, 0x01, 1, 0)), Text(ModePageName(0x3F, 0x01, 1, 0)));
    EXPECT_EQ(Text(ModePageNameForCdb(0x08, 0x00, 1, 0)), "Caching");
}

TEST(ScsiOpcodes, CdTrackControl) {
    char out[128];
    ASSERT_TRUE(CdTrackControlText(0x4, out, sizeof out));
    EXPECT_STREQ(out, "Data track, recorded uninterrupted + Digital copy prohibited");
    ASSERT_TRUE(CdTrackControlText(0x3, out, sizeof out));
    EXPECT_STREQ(out, "2 audio channels with pre-emphasis of 50/15 \xB5s + Digital copy permitted");
    ASSERT_TRUE(CdTrackControlText(0x9, out, sizeof out));
    EXPECT_STREQ(out, "4 audio channels with pre-emphasis of 50/15 \xB5s (reserved in CD-R/RW) + Digital copy prohibited");
    ASSERT_TRUE(CdTrackControlText(0x6, out, sizeof out));
    EXPECT_STREQ(out, "Data track, recorded uninterrupted + Digital copy permitted");
    ASSERT_TRUE(CdTrackControlText(0xE, out, sizeof out)); // 1100b: no track type
    EXPECT_STREQ(out, "Digital copy permitted");
    char small[8];
    EXPECT_FALSE(CdTrackControlText(0x0, small, sizeof small));
}

} // namespace
} // namespace brx
