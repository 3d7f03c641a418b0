#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <utility>

#include "protocols/HidUsageNames.h"

namespace brx {
namespace {

std::string Text(const char* s) { return s ? s : "(null)"; }

std::string Usage(uint16_t page, uint16_t usage) {
    char buf[kHidNameSize];
    return Text(HidUsageName(page, usage, buf, sizeof buf));
}

std::string Page(uint16_t page) {
    char buf[kHidNameSize];
    return Text(HidUsagePageName(page, buf, sizeof buf));
}

TEST(HidUsageNames, Usages) {
    struct Case {
        uint16_t page, usage;
        const char* text;
    } cases[] = {
        {0x01, 0x00, "Undefined"},
        {0x01, 0x02, "Mouse"},
        {0x01, 0x03, "Undefined"},  // reserved inside the named range
        {0x01, 0x30, "X"},
        {0x01, 0xB7, "System Display LCD Autoscale"},
        {0x01, 0xB8, nullptr},      // above the named range
        {0x01, 184, nullptr},
        {0x07, 0x03, "Keyboard ErrorUndefined"},
        {0x07, 0x04, "Keyboard a and A"},
        {0x07, 0xC9, "Keypad |"},
        {0x07, 0xCA, "Keypad ||"},
        {0x07, 0xE7, "Keyboard Right GUI"},
        {0x07, 0xE8, nullptr},
        {0x09, 0x00, "Undefined"},
        {0x09, 0x05, "Button 5"},
        {0x09, 0xFFFF, "Button 65535"},
        {0x0A, 0x00, "Undefined"},
        {0x0A, 0x03, "Ordinal 3"},
        {0x10, 0x00, "Undefined"},
        {0x10, 0x20AC, "Unicode Char 20AC"},
        {0x10, 0x00ab, "Unicode Char 00AB"},
        {0x81, 0x07, "Enum 7"},
        {0x0C, 0x29B, "AC Disribute Horizontally"},
        {0x0C, 0x29C, "AC Distribute Vertically"},
        {0x0C, 0x29D, nullptr},
        {0x0C, 0x0CD, "Play/Pause"},
        {0x0D, 0x56, "Scan Time"},
        {0x0D, 0x57, nullptr},
        {0x20, 0x00, "Undefined"},
        {0x20, 0x01, "Sensor"},
        {0x20, 0x02, "Sensor: Reserved"},
        {0x20, 0x11, "Biometric: Human Presence"},
        {0x20, 0x14, "Biometric: Reserved"},
        {0x20, 0x73, "Motion: Accelerometer 3D"},
        {0x20, 0xB0, "Undefined"},  // no category
        {0x20, 0xF0, "Reserved for Vendors/OEMs"},
        {0x20, 0xFF, "Reserved for Vendors/OEMs"},
        {0x20, 0x100, "Usage:0x100"},
        {0x20, 0x453, "Usage:0x453"},
        {0x83, 0x02, "Degauss"},
        {0x83, 0x03, nullptr},
        {0x85, 0xF4, nullptr},
        {0x0E, 0x01, nullptr},      // a page without names
        {0x8C, 0x01, nullptr},      // a page with a name but no usage names
        {0xFF00, 0x00, "Undefined"},
        {0xFF00, 0x03, "Vendor-Defined 3"},
        {0xFFFF, 0xFFFF, "Vendor-Defined 65535"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Usage(c.page, c.usage), Text(c.text)) << std::hex << c.page << ":" << c.usage;
}

TEST(HidUsageNames, Pages) {
    struct Case {
        uint16_t page;
        const char* text;
    } cases[] = {
        {0x00, "Undefined"}, {0x01, "Generic Desktop"}, {0x0C, "Consumer Devices"},
        {0x0E, nullptr},     {0x91, "Arcade"},          {0x92, nullptr},
        {0xFEFF, nullptr},   {0xFF00, "Vendor-Defined 1"}, {0xFFFF, "Vendor-Defined 256"},
    };
    for (const Case& c : cases) EXPECT_EQ(Page(c.page), Text(c.text)) << std::hex << c.page;
}

TEST(HidUsageNames, TextFallsBackToHex) {
    char buf[kHidNameSize];
    EXPECT_STREQ(HidUsageText(0x0E, 0x12, buf, sizeof buf), "0x0012");
    EXPECT_STREQ(HidUsageText(0x01, 0x02, buf, sizeof buf), "Mouse");
    EXPECT_STREQ(HidUsagePageText(0x0E, buf, sizeof buf), "0x000E");
    EXPECT_STREQ(HidUsagePageText(0xFF42, buf, sizeof buf), "Vendor-Defined 67");
}

TEST(HidUsageNames, NamesGoIntoTheCallersBuffer) {
    char a[kHidNameSize], b[kHidNameSize];
    const char* first = HidUsageName(0x09, 1, a, sizeof a);
    const char* second = HidUsageName(0x09, 2, b, sizeof b);
    EXPECT_STREQ(first, "Button 1");  // not overwritten by the second call
    EXPECT_STREQ(second, "Button 2");
    char tiny[4];
    EXPECT_EQ(HidUsageName(0x09, 12345, tiny, sizeof tiny), nullptr);  // does not fit: no name
    EXPECT_EQ(HidUsageName(0x09, 1, nullptr, 0), nullptr);
}

TEST(HidUsageNames, ItemTagsAndSmallTexts) {
    EXPECT_STREQ(HidMainItemTagName(8), "Input");
    EXPECT_STREQ(HidMainItemTagName(12), "End Collection");
    EXPECT_STREQ(HidMainItemTagName(7), "Unknown");
    EXPECT_STREQ(HidGlobalItemTagName(11), "Pop");
    EXPECT_STREQ(HidGlobalItemTagName(12), "Unknown");
    EXPECT_STREQ(HidLocalItemTagName(6), "Unknown");
    EXPECT_STREQ(HidLocalItemTagName(10), "Delimiter");
    EXPECT_STREQ(HidLocalItemTagName(11), "Unknown");
    EXPECT_STREQ(HidDelimiterText(0), "Close");
    EXPECT_STREQ(HidDelimiterText(1), "Open");
    EXPECT_EQ(HidDelimiterText(2), nullptr);
    EXPECT_STREQ(HidUnitExponentText(7), "7");
    EXPECT_STREQ(HidUnitExponentText(8), "-8");
    EXPECT_STREQ(HidUnitExponentText(15), "-1");
    EXPECT_EQ(HidUnitExponentText(16), nullptr);
}

TEST(HidUsageNames, MainItemData) {
    struct Case {
        uint8_t tag;
        uint32_t data;
        bool ok;
        const char* text;
    } cases[] = {
        {8, 0x00, true, "Data,Ary,Abs"},
        {8, 0x02, true, "Data,Var,Abs,NWrp,Lin,Pref,NNul,Bit"},
        {8, 0x1FF, true, "Cnst,Var,Rel,Wrap,NLin,NPrf,Null,Buf"},
        {9, 0x00, true, "Data,Ary,Abs,NWrp,Lin,Pref,NNul,NVol,Bit"},
        {11, 0x82, true, "Data,Var,Abs,NWrp,Lin,Pref,NNul,Vol,Bit"},
        {10, 0x00, true, "Physical"},
        {10, 0x06, true, "Usage Modifier"},
        {10, 0x07, false, ""},
        {10, 0x80, true, "Vendor-Defined 1"},
        {10, 0xFF, true, "Vendor-Defined 128"},
        {10, 0x100, false, ""},
        {12, 0x00, true, ""},
        {13, 0x00, false, ""},
    };
    for (const Case& c : cases) {
        char buf[kHidItemTextSize] = "junk";
        EXPECT_EQ(FormatHidMainItemData(c.tag, c.data, buf, sizeof buf), c.ok) << int(c.tag) << " " << c.data;
        EXPECT_STREQ(buf, c.text) << int(c.tag) << " " << c.data;
    }
}

TEST(HidUsageNames, Units) {
    struct Case {
        uint32_t unit;
        const char* text;
    } cases[] = {
        {0x0, "None"},
        {0x11, "SI Lin: Length (cm)"},
        {0xE121, "SI Lin: Energy (J)"},
        {0x2001, "SI Lin: sec^2"},
        {0xF0011, "SI Lin: cm * K^-1"},   // nibble 4 is temperature (HID 1.11, 6.2.2.7)
        {0xF00011, "SI Lin: cm * amp^-1"},
        {0x10, "None"},
        {0x14, "Eng Rot: Degree"},
        {0x1003, "Eng Lin: Time (s)"},
        {0x12, "SI Rot: Angle (rad)"},
        {0xE014, "Eng Rot: deg * sec^-2"},
        {0x7000001, "SI Lin: cd^7"},
        {0x10000001, "SI Lin: "},         // nibble 7 is not shown
        {0xF1, "SI Lin: cm^-1"},
        {0x1F, "Vendor-Defined"},
        {0x15, "None"},
        {0x88888883, "Eng Lin: in^-8 * slug^-8 * sec^-8 * F^-8 * amp^-8 * cd^-8"},
    };
    for (const Case& c : cases) {
        char buf[kHidItemTextSize];
        EXPECT_TRUE(FormatHidUnit(c.unit, buf, sizeof buf)) << std::hex << c.unit;
        EXPECT_STREQ(buf, c.text) << std::hex << c.unit;
    }
    char small[8];
    EXPECT_FALSE(FormatHidUnit(0xE121, small, sizeof small));
    EXPECT_STREQ(small, "");
}

// The names tshark gives every usage of the shared report descriptors
// (tests/data/hid/usage_names_tshark.txt, made by
// tools/hid_usage_names_tshark.py) against ours.
// Where we differ from tshark on purpose: the rule, keyed by page.
std::string IntendedDifference(uint16_t page, uint16_t usage, const std::string& tshark,
                               const std::string& ours) {
    if (page == 0x09)
        return "Button page: \"Button %d\" and \"Undefined\" for 0; tshark adds "
               "\"(primary/trigger)\" to buttons 1-3 and reads 0 as \"No button pressed\"";
    if (page >= 0xFF00 && tshark == "Vendor")
        return "vendor pages: \"Vendor-Defined %d\" and \"Undefined\" for 0; tshark "
               "reads every vendor usage as \"Vendor\"";
    if (page == 0x20 && usage > 0xFF)
        return "sensor usages above FFh (data fields, properties, events): \"Usage:%#x\"";
    if (ours == "(null)")
        return "outside the pages and ranges we name (newer HID Usage Tables, or pages such "
               "as 15h, 8Ch, F1D0h): shown in hexadecimal";
    if (ours == "Undefined" && tshark == "Reserved")
        return "a reserved usage inside a named range reads \"Undefined\"";
    (void)usage;
    return "";
}

TEST(HidUsageNames, AgreeWithTshark) {
    std::ifstream in(BRX_SOURCE_DIR "/tests/data/hid/usage_names_tshark.txt");
    ASSERT_TRUE(in) << "tests/data/hid/usage_names_tshark.txt";
    std::string line;
    int compared = 0, same = 0;
    std::map<std::string, int> byReason;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        unsigned page = 0, usage = 0;
        int used = 0;
        ASSERT_EQ(std::sscanf(line.c_str(), "%x %x %n", &page, &usage, &used), 2) << line;
        const std::string tshark = line.substr(used);
        const std::string ours = Usage(uint16_t(page), uint16_t(usage));
        ++compared;
        if (ours == tshark) {
            ++same;
            continue;
        }
        const std::string why = IntendedDifference(uint16_t(page), uint16_t(usage), tshark, ours);
        EXPECT_FALSE(why.empty()) << line << " ours: " << ours;
        ++byReason[why];
    }
    EXPECT_GE(compared, 250);
    EXPECT_GE(same, 95);  // the rest differ for the reasons listed
    for (const auto& [why, n] : byReason) std::printf("%3d differ: %s\n", n, why.c_str());
}

// Every usage our tables name against tshark's name for it
// (tests/data/hid/usage_table_names_tshark.txt, tools/hid_usage_names_tshark.py
// --tables). The differences, each settled by the HID Usage Tables' text:
struct Intended {
    uint16_t page, usage;
    const char* why;
};
constexpr Intended kIntended[] = {
    {0x01, 0x13, "a newer usage (Call State Management Control) than tshark 4.0 knows"},
    {0x01, 0xA9, "a newer usage (System Microphone Mute) than tshark 4.0 knows"},
    {0x04, 0x47, "Stick Tempo, which tshark 4.0 leaves out"},
    {0x07, 0x00, "row 0 of every table reads Undefined"},
    {0x80, 0x00, "row 0 of every table reads Undefined"},
    {0x82, 0x00, "row 0 of every table reads Undefined"},
    {0x83, 0x00, "row 0 of every table reads Undefined"},
    {0x83, 0x01, "tshark 4.0 names no VESA Command usage"},
    {0x83, 0x02, "tshark 4.0 names no VESA Command usage"},
    {0x0C, 0x29B, "the tables' own spelling, AC Disribute Horizontally"},
    {0x84, 0xFF, "tshark misspells iSerialNumber"},
    {0x85, 0x19, "tshark writes Usenext"},
    {0x85, 0x63, "tshark writes Maxerror"},
    {0x85, 0x88, "tshark writes iDevicename"},
    {0x85, 0x89, "tshark writes iDeviceChemistery"},
    {0x85, 0x8B, "tshark writes Rechargable"},
};

TEST(HidUsageNames, EveryTableNameAgreesWithTshark) {
    std::ifstream in(BRX_SOURCE_DIR "/tests/data/hid/usage_table_names_tshark.txt");
    ASSERT_TRUE(in);
    std::string line;
    size_t compared = 0, differ = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        unsigned page = 0, usage = 0;
        int used = 0;
        ASSERT_EQ(std::sscanf(line.c_str(), "%x %x %n", &page, &usage, &used), 2) << line;
        const std::string ours = Usage(uint16_t(page), uint16_t(usage));
        ++compared;
        if (ours == line.substr(used)) continue;
        ++differ;
        bool intended = false;
        for (const Intended& i : kIntended) intended = intended || (i.page == page && i.usage == usage);
        EXPECT_TRUE(intended) << line << " ours: " << ours;
    }
    EXPECT_GT(compared, 1300u);
    EXPECT_EQ(differ, std::size(kIntended));
}

} // namespace
} // namespace brx
