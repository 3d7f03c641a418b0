#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Text.h"
#include "protocols/MscDetails.h"

namespace brx {
namespace {

// A record pair as the capture list hands it over, with the transfer bytes and
// the mass-storage bytes of the pending command set directly.
struct MscRecord {
    std::vector<uint8_t> data;
    std::vector<uint8_t> companionData;
    bool massStorage = true;
    uint8_t op = 0, cdb1 = 0, kind = 1, version = 0;
    bool completion = true;
    uint32_t direction = DIRECTION_IN;
    std::vector<uint8_t> cdb; // the pending command's CDB, when the store attached it

    std::u16string Describe() {
        pair.record.data = data.empty() ? nullptr : data.data();
        pair.record.dataLength = static_cast<uint32_t>(data.size());
        pair.record.hasBlock = true;
        pair.record.completion = completion;
        pair.record.direction = direction;
        pair.record.massStorage = massStorage;
        uint8_t bytes[4] = {op, cdb1, kind, version};
        std::copy(bytes, bytes + 4, pair.record.massStorageBytes);
        pair.companionPresent = !companionData.empty();
        pair.companion.data = companionData.empty() ? nullptr : companionData.data();
        pair.companion.dataLength = static_cast<uint32_t>(companionData.size());
        pair.cdbPresent = !cdb.empty();
        std::fill(pair.cdb, pair.cdb + 16, 0);
        std::copy(cdb.begin(), cdb.end(), pair.cdb);
        std::u16string text(200, u'#');
        REQUEST_DETAILS_CONTEXT ctx;
        ctx.pair = &pair;
        ctx.text = text.data();
        ctx.textSize = static_cast<uint32_t>(text.size());
        DescribeMscBulkOnly(ctx, nullptr);
        size_t end = text.find(u'\0');
        return end == std::u16string::npos ? u"(untouched)" : text.substr(0, end);
    }
    CRecordPairView pair;
};

std::vector<uint8_t> Cbw(uint8_t lun, std::vector<uint8_t> cdb) {
    std::vector<uint8_t> w(31, 0);
    w[0] = 'U', w[1] = 'S', w[2] = 'B', w[3] = 'C';
    w[13] = lun;
    w[14] = static_cast<uint8_t>(cdb.size());
    std::copy(cdb.begin(), cdb.end(), w.begin() + 15);
    return w;
}

std::vector<uint8_t> Csw(uint8_t status) {
    std::vector<uint8_t> w(13, 0);
    w[0] = 'U', w[1] = 'S', w[2] = 'B', w[3] = 'S';
    w[12] = status;
    return w;
}

std::u16string W(const char* s) { return AnsiToWide(s); }

TEST(MscDetails, CommandWrappers) {
    struct Case {
        const char* what;
        uint8_t lun;
        std::vector<uint8_t> cdb;
        uint8_t kind;
        bool massStorage;
        const char* text;
        int pending = -1; // the pending command's code when it is not the CDB's
    } cases[] = {
        {"READ(6) of 0 blocks reads 256", 0, {0x08, 0x01, 0x02, 0x03, 0x00, 0}, 1, true,
         "Read(6) (Lba 66051, Blocks 256) - CBW"},
        {"READ(10)", 0, {0x28, 0, 0, 0, 0x10, 0, 0, 0, 8, 0}, 1, true, "Read(10) (Lba 4096, Blocks 8) - CBW"},
        {"LBA above 2^31 stays unsigned", 0, {0x28, 0, 0xF0, 0, 0, 0, 0, 0, 1, 0}, 1, true,
         "Read(10) (Lba 4026531840, Blocks 1) - CBW"},
        {"READ(16)", 0, {0x88, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0x20, 0, 0}, 1, true,
         "Read(16) (Lba 4294967296, Blocks 32) - CBW"},
        {"LUN 2", 2, {0x00, 0, 0, 0, 0, 0}, 1, true, "Test Unit Ready - CBW (Lun 2)"},
        {"without the mass-storage bytes", 0, {0x28, 0, 0, 0, 0, 0, 0, 0, 1, 0}, 1, false, "CBW"},
        {"unnamed command", 0, {0xC1, 0, 0, 0, 0, 0}, 1, true, "SCSI Command C1h - CBW"},
        {"CDB shorter than the command", 0, {0x28, 0, 0, 0, 0x10, 0}, 1, true, "Read(10) - CBW"},
        {"INQUIRY of a VPD page", 0, {0x12, 0x01, 0x80, 0, 0xFF, 0}, 1, true,
         "Inquiry (Unit Serial Number) - CBW"},
        {"INQUIRY standard", 0, {0x12, 0, 0, 0, 36, 0}, 1, true, "Inquiry (Standard) - CBW"},
        {"MODE SENSE(6) all pages", 0, {0x1A, 0, 0x3F, 0, 0xC0, 0}, 1, true,
         "Mode Sense(6) (Return all Pages, Current values) - CBW"},
        {"START STOP UNIT of an MMC drive", 0, {0x1B, 0, 0, 0, 0x02, 0}, 3, true, "Start/Stop Unit (Eject Disc) - CBW"},
        {"START STOP UNIT of a disk", 0, {0x1B, 0, 0, 0, 0x03, 0}, 1, true, "Start/Stop Unit (Load Medium) - CBW"},
        {"PREVENT ALLOW", 0, {0x1E, 0, 0, 0, 0x01, 0}, 1, true, "Prevent/Allow Medium Removal (Prohibit removal) - CBW"},
        {"READ TOC", 0, {0x43, 0, 0, 0, 0, 0, 1, 0, 12, 0}, 3, true, "Read TOC/PMA/ATIP (TOC, Starting Track 1) - CBW"},
        {"GET CONFIGURATION one feature", 0, {0x46, 0x02, 0x01, 0x07, 0, 0, 0, 0, 8, 0}, 3, true,
         "Get Configuration (Real Time Streaming Feature) - CBW"},
        {"GET CONFIGURATION vendor feature", 0, {0x46, 0x02, 0xFF, 0x10, 0, 0, 0, 0, 8, 0}, 3, true,
         "Get Configuration (FF10h Vendor Specific Feature) - CBW"},
        {"READ CD", 0, {0xBE, 0x08, 0, 0, 0, 16, 0, 0, 2, 0, 0, 0}, 3, true,
         "Read CD (Type Mode 1, Lba 16, Blocks 2) - CBW"},
        {"READ DISC STRUCTURE", 0, {0xAD, 0, 0, 0, 0, 0, 1, 0x00, 0, 4, 0, 0}, 3, true,
         "Read DVD Structure (Physical, Layer 1) - CBW"},
        {"command not matching the pending code", 0, {0x2A, 0, 0, 0, 0x10, 0, 0, 0, 8, 0}, 1, true,
         "Read(10) - CBW", 0x28},
    };
    for (const Case& c : cases) {
        MscRecord r;
        r.data = Cbw(c.lun, c.cdb);
        r.op = c.pending >= 0 ? static_cast<uint8_t>(c.pending) : c.cdb[0];
        r.kind = c.kind;
        r.massStorage = c.massStorage;
        EXPECT_EQ(r.Describe(), W(c.text)) << c.what;
    }
}

TEST(MscDetails, CommandWrapperAtIssueAndCompletionAndWrongSignature) {
    MscRecord r;
    r.data = Cbw(0, {0x00, 0, 0, 0, 0, 0});
    r.op = 0x00;
    r.completion = false;
    EXPECT_EQ(r.Describe(), u"Test Unit Ready - CBW");
    r.completion = true;
    EXPECT_EQ(r.Describe(), u"Test Unit Ready - CBW");
    r.data[0] = 'X';
    EXPECT_EQ(r.Describe(), u"(untouched)");
    r.data = Csw(0);
    r.data[3] = 'X';
    EXPECT_EQ(r.Describe(), u"(untouched)");
}

TEST(MscDetails, StatusWrappers) {
    struct Case {
        bool massStorage, completion;
        uint8_t op, status;
        const char* text;
    } cases[] = {
        {false, true, 0, 5, "CSW (Status 05h)"},
        {false, true, 0, 1, "CSW (Failed)"},
        {false, false, 0, 0, "CSW"},
        {true, true, 0x28, 0, "Read(10) - CSW (Passed)"},
        {true, true, 0x28, 7, "Read(10) - CSW (Status 07h)"},
        {true, false, 0x28, 0, "Read(10) - CSW"},
        {true, true, 0xC1, 2, "SCSI Command C1h - CSW (Phase Error)"},
        {true, true, 0xC1, 9, "SCSI Command C1h - CSW (Status 09h)"},
        {true, false, 0xC1, 0, "SCSI Command C1h - CSW"},
    };
    for (const Case& c : cases) {
        MscRecord r;
        r.data = Csw(c.status);
        r.massStorage = c.massStorage;
        r.completion = c.completion;
        r.op = c.op;
        EXPECT_EQ(r.Describe(), W(c.text)) << c.text;
    }
}

std::vector<uint8_t> SenseData(uint8_t key, uint8_t asc, uint8_t ascq) {
    std::vector<uint8_t> d(18, 0);
    d[0] = 0x70;
    d[2] = key;
    d[7] = 10;
    d[12] = asc;
    d[13] = ascq;
    return d;
}

// A MODE SENSE(6) reply: header, no block descriptors, then the pages.
std::vector<uint8_t> ModeSense6(std::vector<std::vector<uint8_t>> pages) {
    std::vector<uint8_t> d = {0, 0, 0, 0};
    for (auto& p : pages) d.insert(d.end(), p.begin(), p.end());
    d[0] = static_cast<uint8_t>(d.size() - 1);
    return d;
}

TEST(MscDetails, DataStages) {
    MscRecord r;
    r.op = 0x03;
    r.data = SenseData(0x5, 0x24, 0x00);
    EXPECT_EQ(r.Describe(), u"Request Sense (Illegal Request, Invalid Field in CDB) - Data-In");
    r.data = SenseData(0x5, 0x44, 0x01); // no name for the code: the key alone
    EXPECT_EQ(r.Describe(), u"Request Sense (Illegal Request) - Data-In");

    r.op = 0x12;
    r.data.assign(36, 0x20);
    EXPECT_EQ(r.Describe(), u"Inquiry - Data-In"); // the detail needs the pending CDB
    r.cdb = {0x12, 0x01, 0x83, 0, 0xFF, 0};
    EXPECT_EQ(r.Describe(), u"Inquiry (Device Identification) - Data-In");

    r.op = 0x1A;
    r.cdb.clear();
    std::vector<uint8_t> caching = {0x08, 0x02, 0, 0}, control = {0x0A, 0x02, 0, 0},
                         recovery = {0x01, 0x02, 0, 0}, power = {0x1A, 0x02, 0, 0},
                         exceptions = {0x1C, 0x02, 0, 0};
    r.data = ModeSense6({caching, control});
    EXPECT_EQ(r.Describe(), u"Mode Sense(6) (Caching, Control) - Data-In");
    r.data = ModeSense6({caching, control, recovery, power, exceptions});
    EXPECT_EQ(r.Describe(), u"Mode Sense(6) (Caching, Control, Read/Write Error Recovery ...) - Data-In");

    r.op = 0x2A;
    r.direction = DIRECTION_OUT;
    r.data.assign(512, 0);
    EXPECT_EQ(r.Describe(), u"Write(10) - Data-Out");
    r.massStorage = false;
    EXPECT_EQ(r.Describe(), u"MSC Data-Out");
    r.direction = DIRECTION_NONE;
    EXPECT_EQ(r.Describe(), u"MSC Data");
}

TEST(MscDetails, CompanionDataWhenTheRecordHasNone) {
    MscRecord r;
    r.op = 0x00;
    r.completion = true;
    r.companionData = Cbw(0, {0x00, 0, 0, 0, 0, 0});
    EXPECT_EQ(r.Describe(), u"Test Unit Ready - CBW");
    r.companionData.clear();
    EXPECT_EQ(r.Describe(), u"(untouched)");
}

TEST(MscDetails, ModePageListWalk) {
    char out[64];
    // A subpage-format page (SPF) and a page without a name between two named ones.
    std::vector<uint8_t> pages = {0x4A, 0x01, 0x00, 0x02, 0, 0, 0x06, 0x01, 0, 0x08, 0x02, 0, 0};
    ASSERT_NE(DescribeModePages(pages.data(), pages.size(), 1, out, sizeof out), 0);
    EXPECT_STREQ(out, "Control Extension, Caching");
    // A zero page length ends the list; a cut page is not read past its bytes.
    std::vector<uint8_t> zero = {0x08, 0x00, 0x0A, 0x02, 0, 0};
    EXPECT_EQ(DescribeModePages(zero.data(), zero.size(), 1, out, sizeof out), 0);
    std::vector<uint8_t> cut = {0x08, 0x40};
    EXPECT_EQ(DescribeModePages(cut.data(), cut.size(), 1, out, sizeof out), 1);
    EXPECT_STREQ(out, "Caching");
    // A small buffer ends the list with the marker.
    char small[16];
    std::vector<uint8_t> two = {0x01, 0x01, 0, 0x08, 0x01, 0};
    EXPECT_NE(DescribeModePages(two.data(), two.size(), 1, small, sizeof small), 0);
    EXPECT_STREQ(small, "Read/Write  ...");
}

TEST(MscDetails, TransferEntryNeedsBulkOnlyInterface) {
    MscRecord r;
    r.data = Csw(0);
    r.massStorage = false;
    r.Describe(); // binds the pair
    std::u16string text(64, u'#');
    REQUEST_DETAILS_CONTEXT ctx;
    ctx.pair = &r.pair;
    ctx.text = text.data();
    ctx.textSize = 64;
    std::vector<uint8_t> iface(44, 0);
    iface[8] = 0x08;
    iface[10] = 0x50;
    uint8_t urb[16] = {};
    EXPECT_EQ(DescribeMscTransfer(ctx, iface.data(), 43, urb), 0);
    iface[10] = 0x62; // UAS
    EXPECT_EQ(DescribeMscTransfer(ctx, iface.data(), iface.size(), urb), 0);
    iface[10] = 0x50;
    EXPECT_EQ(DescribeMscTransfer(ctx, iface.data(), iface.size(), urb), 1);
    EXPECT_EQ(text.substr(0, 10), u"CSW (Passe");
}

} // namespace
} // namespace brx
