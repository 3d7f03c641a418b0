#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "decode/HtmlWriters.h"
#include "decode/SetupRows.h"
#include "tests/decode/PageTest.h"

using namespace brx;
using brx::testing::Count;
using brx::testing::PageFixture;

namespace {

struct SetupFixture : PageFixture {
    explicit SetupFixture(std::initializer_list<uint8_t> bytes) {
        if (bytes.size() != 0) std::memcpy(packet, std::data(bytes), bytes.size());
        ctx.bytes = std::span<const uint8_t>(packet, bytes.size());
    }
    uint8_t packet[8] = {};
};

bool Has(const std::string& s, const std::string& what) { return s.find(what) != std::string::npos; }

TEST(SetupRows, PlainRowsNameOffsetAndSize) {
    SetupFixture f({0x80, 0x06, 0x00, 0x01, 0x09, 0x04, 0x12, 0x00});
    struct Case {
        bool (*write)(DECODE_CONTEXT&);
        const char* name;
        uint32_t offset, size;
        const char* value;
    };
    const Case cases[] = {
        {[](DECODE_CONTEXT& c) { return WriteSetupRequestTypeRow(c); }, "bmRequestType", 0, 1, "80h"},
        {[](DECODE_CONTEXT& c) { return WriteSetupRequestRow(c, "GET_DESCRIPTOR"); }, "bRequest", 1, 1, "06h"},
        {[](DECODE_CONTEXT& c) { return WriteSetupValueRow(c, nullptr); }, "wValue", 2, 2, "0100h"},
        {[](DECODE_CONTEXT& c) { return WriteSetupValueLowByteRow(c, nullptr); }, "wValue.LowByte", 2, 1, "00h"},
        {[](DECODE_CONTEXT& c) { return WriteSetupValueHighByteRow(c, nullptr); }, "wValue.HiByte", 3, 1, "01h"},
        {[](DECODE_CONTEXT& c) { return WriteSetupIndexRow(c, nullptr); }, "wIndex", 4, 2, "0409h"},
        {[](DECODE_CONTEXT& c) { return WriteSetupIndexLowByteRow(c, nullptr); }, "wIndex.LowByte", 4, 1, "09h"},
        {[](DECODE_CONTEXT& c) { return WriteSetupIndexHighByteRow(c, nullptr); }, "wIndex.HiByte", 5, 1, "04h"},
        {[](DECODE_CONTEXT& c) { return WriteSetupLengthRow(c, nullptr); }, "wLength", 6, 2, "0012h"},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(c.write(f.ctx)) << c.name;
        const std::string s = f.Take();
        EXPECT_TRUE(Has(s, "<td class=\"udofs\">" + std::to_string(c.offset) + "</td>")) << s;
        EXPECT_TRUE(Has(s, std::string("<nobr>") + c.name + "</nobr>")) << s;
        EXPECT_TRUE(Has(s, "<td class=\"udsiz\">" + std::to_string(c.size) + "</td>")) << s;
        EXPECT_TRUE(Has(s, std::string("<td class=\"udval\">") + c.value + "</td>")) << s;
    }
}

TEST(SetupRows, CheckedRows) {
    SetupFixture f({0x00, 0x09, 0x01, 0x00, 0x00, 0x00, 0x02, 0x00});
    struct Case {
        bool (*write)(DECODE_CONTEXT&);
        const char* error; // null: the plain row
    };
    const Case cases[] = {
        {[](DECODE_CONTEXT& c) { return WriteCheckedSetupLengthRow(c, 1, nullptr); }, "Should be 1"},
        {[](DECODE_CONTEXT& c) { return WriteCheckedSetupLengthRow(c, 0, nullptr); }, "Should be zero"},
        {[](DECODE_CONTEXT& c) { return WriteCheckedSetupLengthRow(c, 2, "two"); }, nullptr},
        {[](DECODE_CONTEXT& c) { return WriteCheckedSetupIndexRow(c, 0, nullptr); }, nullptr},
        {[](DECODE_CONTEXT& c) { return WriteCheckedSetupIndexRow(c, 300, nullptr); }, "Should be 300"},
        {[](DECODE_CONTEXT& c) { return WriteCheckedSetupValueRow(c, 1, nullptr); }, nullptr},
        {[](DECODE_CONTEXT& c) { return WriteCheckedSetupValueRow(c, 0, nullptr); }, "Should be zero"},
        {[](DECODE_CONTEXT& c) { return WriteCheckedSetupValueHighByteRow(c, 0, nullptr); }, nullptr},
        {[](DECODE_CONTEXT& c) { return WriteCheckedSetupValueHighByteRow(c, 3, nullptr); }, "Should be 3"},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(c.write(f.ctx));
        const std::string s = f.Take();
        if (c.error) {
            EXPECT_TRUE(Has(s, std::string("<span class=\"error\">") + c.error + "</span>")) << s;
            EXPECT_EQ(Count(s, "class=\"error\""), 2u) << s;
        } else {
            EXPECT_FALSE(Has(s, "error")) << s;
        }
    }
    EXPECT_TRUE(WriteCheckedSetupLengthRow(f.ctx, 2, "two"));
    EXPECT_TRUE(Has(f.Take(), "<td class=\"uddes\">two</td>"));
}

TEST(SetupRows, RequestTypeBits) {
    struct Case {
        uint8_t type;
        bool (*write)(DECODE_CONTEXT&);
        const char* label;
        const char* pattern;
        const char* text;
        bool error;
    };
    const Case cases[] = {
        {0x80, [](DECODE_CONTEXT& c) { return WriteSetupRecipientRow(c); }, "4..0: Recipient", "...00000", "Device", false},
        {0x03, [](DECODE_CONTEXT& c) { return WriteSetupRecipientRow(c); }, "4..0: Recipient", "...00011", "Other", false},
        {0x05, [](DECODE_CONTEXT& c) { return WriteSetupRecipientRow(c); }, "4..0: Recipient", "...00101",
         "4..31 are reserved values", true},
        {0x21, [](DECODE_CONTEXT& c) { return WriteSetupTypeRow(c); }, "6..5: Type", ".01.....", "Class", false},
        {0x41, [](DECODE_CONTEXT& c) { return WriteSetupTypeRow(c); }, "6..5: Type", ".10.....", "Vendor", false},
        {0x61, [](DECODE_CONTEXT& c) { return WriteSetupTypeRow(c); }, "6..5: Type", ".11.....", "3 is reserved value", true},
        {0x80, [](DECODE_CONTEXT& c) { return WriteSetupDirectionRow(c); }, "7: Direction", "1.......", "Device-to-Host", false},
        {0x00, [](DECODE_CONTEXT& c) { return WriteSetupDirectionRow(c); }, "7: Direction", "0.......", "Host-to-Device", false},
        {0x00, [](DECODE_CONTEXT& c) { return WriteCheckedSetupDirectionRow(c, 1); }, "7: Direction", "0.......",
         "Should be Device-to-Host", true},
        {0x80, [](DECODE_CONTEXT& c) { return WriteCheckedSetupDirectionRow(c, 0); }, "7: Direction", "1.......",
         "Should be Host-to-Device", true},
        {0x80, [](DECODE_CONTEXT& c) { return WriteCheckedSetupDirectionRow(c, 1); }, "7: Direction", "1.......",
         "Device-to-Host", false},
        {0x80, [](DECODE_CONTEXT& c) { return WriteCheckedSetupDirectionRow(c, 2); }, "7: Direction", "1.......",
         "Device-to-Host", false},
    };
    for (const Case& c : cases) {
        SetupFixture f({c.type, 0, 0, 0, 0, 0, 0, 0});
        EXPECT_TRUE(c.write(f.ctx));
        const std::string s = f.Take();
        EXPECT_TRUE(Has(s, std::string("<nobr>") + c.label + "</nobr>")) << s;
        EXPECT_TRUE(Has(s, std::string("<nobr>") + c.pattern + "&nbsp;</nobr>")) << s;
        EXPECT_TRUE(Has(s, c.error ? std::string("<span class=\"error\">") + c.text + "</span>"
                                   : std::string("<td class=\"uddes\">") + c.text + "</td>"))
            << s;
        // Without the expand flag the bit rows are not written.
        f.ctx.expand = false;
        EXPECT_TRUE(c.write(f.ctx));
        EXPECT_EQ(f.Take(), "");
    }
}

TEST(SetupRows, ShortPacketWritesOnlyTheFieldsHeld) {
    SetupFixture f({0x80, 0x06, 0x00});
    EXPECT_TRUE(WriteSetupRequestTypeRow(f.ctx));
    EXPECT_TRUE(WriteSetupRequestRow(f.ctx, nullptr));
    EXPECT_TRUE(WriteSetupValueRow(f.ctx, nullptr));
    EXPECT_TRUE(WriteSetupValueLowByteRow(f.ctx, nullptr));
    EXPECT_TRUE(WriteSetupValueHighByteRow(f.ctx, nullptr));
    EXPECT_TRUE(WriteCheckedSetupLengthRow(f.ctx, 0, nullptr));
    const std::string s = f.Take();
    EXPECT_EQ(Count(s, "<tr"), 3u);
    EXPECT_FALSE(Has(s, "wValue<"));
    EXPECT_FALSE(Has(s, "wLength"));
    f.ctx.bytes = {};
    EXPECT_TRUE(WriteSetupRecipientRow(f.ctx));
    EXPECT_EQ(f.Take(), "");
}

TEST(SetupRows, TitlesAndEndpointNumbers) {
    PageFixture f;
    EXPECT_TRUE(WriteSectionTitle(f.ctx, "Setup Packet"));
    EXPECT_TRUE(WriteSubsectionTitle(f.ctx, "Data <stage>"));
    EXPECT_EQ(f.Take(), "<div class=\"uddiv6\">Setup Packet</div>\r\n<div class=\"uddiv7\">Data &lt;stage&gt;</div>\r\n");
    struct Case {
        uint8_t address;
        const char* text;
    };
    for (const Case& c : {Case{0x81, "1 In"}, Case{0x02, "2 Out"}, Case{0x8F, "15 In"}, Case{0x00, ""},
                          Case{0x80, ""}, Case{0x70, ""}}) {
        char out[8];
        EXPECT_EQ(FormatEndpointNumber(c.address, out, sizeof out), std::strlen(c.text));
        EXPECT_STREQ(out, c.text);
    }
    char tiny[4];
    EXPECT_EQ(FormatEndpointNumber(0x8F, tiny, sizeof tiny), 0u);
    EXPECT_STREQ(tiny, "");
}

} // namespace
