#include "protocols/HidUsageNames.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <span>

namespace brx {
namespace {

struct HidUsageRow {
    uint16_t usage;
    const char* name;
};

struct HidUsagePageTable {
    uint16_t page;
    uint16_t highest;  // the highest usage the page's table names
    const HidUsageRow* rows;
    size_t count;
};

#include "protocols/HidUsageTables.inc"

// One row per named page; vendor pages FF00h-FFFFh are formatted.
struct PageName {
    uint16_t page;
    const char* name;
};
constexpr PageName kPageNames[] = {
    {0x00, "Undefined"}, {0x01, "Generic Desktop"}, {0x02, "Simulation Controls"},
    {0x03, "VR Controls"}, {0x04, "Sport Controls"}, {0x05, "Game Controls"},
    {0x06, "Generic Device Controls"}, {0x07, "Keyboard/Keypad"}, {0x08, "LEDs"},
    {0x09, "Button"}, {0x0A, "Ordinal"}, {0x0B, "Telephony Devices"},
    {0x0C, "Consumer Devices"}, {0x0D, "Digitizer"}, {0x0F, "Physical Input Device"},
    {0x10, "Unicode"}, {0x14, "Alphanumeric Display"}, {0x20, "Sensor"},
    {0x40, "Medical Instruments"}, {0x80, "Monitor"}, {0x81, "Monitor Enumerated Values"},
    {0x82, "VESA Virtual Controls"}, {0x83, "VESA Command"}, {0x84, "Power Device"},
    {0x85, "Battery System"}, {0x8C, "Bar Code Scanner"}, {0x8D, "Weighing Devices"},
    {0x8E, "Magnetic Stripe Reader"}, {0x90, "Camera Control"}, {0x91, "Arcade"},
};
static_assert(std::size(kPageNames) == 30);

constexpr bool IsVendorPage(uint16_t page) { return page >= 0xFF00; }

const char* Format(char* buf, size_t size, const char* fmt, unsigned value) {
    if (!buf || size == 0) return nullptr;
    const int n = std::snprintf(buf, size, fmt, value);
    return n >= 0 && size_t(n) < size ? buf : nullptr;
}

const HidUsagePageTable* FindPageTable(uint16_t page) {
    const auto* end = std::end(kUsagePages);
    const auto* it = std::lower_bound(std::begin(kUsagePages), end, page,
                                      [](const HidUsagePageTable& t, uint16_t p) { return t.page < p; });
    return it != end && it->page == page ? it : nullptr;
}

const char* TableUsageName(const HidUsagePageTable& table, uint16_t usage) {
    if (usage > table.highest) return nullptr;
    const std::span<const HidUsageRow> rows(table.rows, table.count);
    const auto it = std::lower_bound(rows.begin(), rows.end(), usage,
                                     [](const HidUsageRow& r, uint16_t u) { return r.usage < u; });
    return it != rows.end() && it->usage == usage ? it->name : rows.front().name;  // reserved: row 0
}

} // namespace

const char* HidUsagePageName(uint16_t page, char* buf, size_t size) {
    if (IsVendorPage(page)) return Format(buf, size, "Vendor-Defined %u", unsigned(page - 0xFEFFu));
    for (const PageName& row : kPageNames)
        if (row.page == page) return row.name;
    return nullptr;
}

const char* HidUsageName(uint16_t page, uint16_t usage, char* buf, size_t size) {
    if (IsVendorPage(page))
        return usage == 0 ? "Undefined" : Format(buf, size, "Vendor-Defined %u", usage);
    const char* fmt = nullptr;
    switch (page) {
    case 0x09: fmt = "Button %u"; break;
    case 0x0A: fmt = "Ordinal %u"; break;
    case 0x10: fmt = "Unicode Char %04X"; break;
    case 0x81: fmt = "Enum %u"; break;
    case 0x20:
        if (usage > 0xFF) return Format(buf, size, "Usage:%#x", usage);
        break;
    default: break;
    }
    if (fmt) return usage == 0 ? "Undefined" : Format(buf, size, fmt, usage);
    const HidUsagePageTable* table = FindPageTable(page);
    return table ? TableUsageName(*table, usage) : nullptr;
}

const char* HidUsagePageText(uint16_t page, char* buf, size_t size) {
    const char* name = HidUsagePageName(page, buf, size);
    return name ? name : Format(buf, size, "0x%04X", page);
}

const char* HidUsageText(uint16_t page, uint16_t usage, char* buf, size_t size) {
    const char* name = HidUsageName(page, usage, buf, size);
    return name ? name : Format(buf, size, "0x%04X", usage);
}

const char* HidMainItemTagName(uint8_t tag) {
    switch (tag) {
    case 8: return "Input";
    case 9: return "Output";
    case 10: return "Collection";
    case 11: return "Feature";
    case 12: return "End Collection";
    default: return "Unknown";
    }
}

const char* HidGlobalItemTagName(uint8_t tag) {
    static constexpr const char* kNames[] = {
        "Usage Page", "Logical Minimum", "Logical Maximum", "Physical Minimum", "Physical Maximum",
        "Unit Exponent", "Unit", "Report Size", "Report ID", "Report Count", "Push", "Pop"};
    return tag < std::size(kNames) ? kNames[tag] : "Unknown";
}

const char* HidLocalItemTagName(uint8_t tag) {
    static constexpr const char* kNames[] = {
        "Usage", "Usage Minimum", "Usage Maximum", "Designator Index", "Designator Minimum",
        "Designator Maximum", "Unknown", "String Index", "String Minimum", "String Maximum",
        "Delimiter"};
    return tag < std::size(kNames) ? kNames[tag] : "Unknown";
}

const char* HidDelimiterText(uint32_t data) {
    return data == 0 ? "Close" : data == 1 ? "Open" : nullptr;
}

const char* HidUnitExponentText(uint32_t exponent) {
    static constexpr const char* kTexts[] = {"0",  "1",  "2",  "3",  "4",  "5",  "6",  "7",
                                             "-8", "-7", "-6", "-5", "-4", "-3", "-2", "-1"};
    return exponent < std::size(kTexts) ? kTexts[exponent] : nullptr;
}

const char* HidCollectionTypeName(uint32_t data, char* buf, size_t size) {
    static constexpr const char* kNames[] = {"Physical", "Application", "Logical", "Report",
                                             "Named Array", "Usage Switch", "Usage Modifier"};
    if (data < std::size(kNames)) return kNames[data];
    if (data >= 0x80 && data <= 0xFF) return Format(buf, size, "Vendor-Defined %u", data - 0x7Fu);
    return nullptr;
}

bool FormatHidMainItemData(uint8_t tag, uint32_t data, char* buf, size_t size) {
    if (!buf || size == 0) return false;
    buf[0] = '\0';
    static constexpr const char* kWords[9][2] = {
        {"Data", "Cnst"}, {"Ary", "Var"},   {"Abs", "Rel"},   {"NWrp", "Wrap"}, {"Lin", "NLin"},
        {"Pref", "NPrf"}, {"NNul", "Null"}, {"NVol", "Vol"},  {"Bit", "Buf"}};
    auto word = [&](int bit) { return kWords[bit][(data >> bit) & 1]; };
    int n = -1;
    switch (tag) {
    case 8:  // Input: no volatile word; an array lists three words only
        if (data & 2)
            n = std::snprintf(buf, size, "%s,%s,%s,%s,%s,%s,%s,%s", word(0), word(1), word(2), word(3),
                              word(4), word(5), word(6), word(8));
        else
            n = std::snprintf(buf, size, "%s,%s,%s", word(0), word(1), word(2));
        break;
    case 9:
    case 11:
        n = std::snprintf(buf, size, "%s,%s,%s,%s,%s,%s,%s,%s,%s", word(0), word(1), word(2), word(3),
                          word(4), word(5), word(6), word(7), word(8));
        break;
    case 10: {
        char name[kHidNameSize];
        const char* type = HidCollectionTypeName(data, name, sizeof name);
        if (!type) return false;
        n = std::snprintf(buf, size, "%s", type);
        break;
    }
    case 12: return true;
    default: return false;
    }
    if (n < 0 || size_t(n) >= size) {
        buf[0] = '\0';
        return false;
    }
    return true;
}

namespace {

struct NamedUnit {
    uint32_t unit;
    const char* name;
};
// Compared in this order; the first match wins.
constexpr NamedUnit kNamedUnits[] = {
    {0x11, "Length (cm)"},           {0x101, "Mass (g)"},
    {0x1001, "Time (s)"},            {0x10001, "Temperature (K)"},
    {0x100001, "Current (A)"},       {0x1000001, "Luminous Intens (cd)"},
    {0xF0D121, "Voltage (V)"},       {0xF001, "Frequency (Hz)"},
    {0xD121, "Power (W)"},           {0x101001, "Capacity (mAh)"},
    {0x12, "Angle (rad)"},           {0x13, "Length (in)"},
    {0x14, "Degree"},                {0x102, "Mass (g)"},
    {0x103, "Mass (slug)"},          {0x104, "Mass (slug)"},
    {0x1002, "Time (s)"},            {0x1003, "Time (s)"},
    {0x1004, "Time (s)"},            {0x10002, "Temperature (K)"},
    {0x10003, "Temperature (F)"},    {0x10004, "Temperature (F)"},
    {0x100002, "Current (A)"},       {0x100003, "Current (A)"},
    {0x100004, "Current (A)"},       {0x1000002, "Luminous Intens (cd)"},
    {0x1000003, "Luminous Intens (cd)"}, {0x1000004, "Luminous Intens (cd)"},
    {0xF011, "Velocity (cm/s)"},     {0xF111, "Momentum (kg*m/s)"},
    {0xE011, "Acceleration (m/s2)"}, {0x21, "Area (m2)"},
    {0xE111, "Force (N)"},           {0xE121, "Energy (J)"},
    {0xE012, "Angular Accel (rad/s2)"}, {0xE1F1, "Pressure (Pa)"},
    {0x204FE1, "Capacitance (F)"},   {0xE0D121, "El Resistance (Ohm)"},
    {0x203FE1, "Conductance (S)"},   {0xF0E121, "Magnetic Flux (Wb)"},
    {0xF0E101, "Magnetic Induction (T)"}, {0xE0E121, "Inductance (H)"},
};
static_assert(std::size(kNamedUnits) == 42);

constexpr const char* kSystemNames[] = {"SI Lin", "SI Rot", "Eng Lin", "Eng Rot"};
constexpr const char* kDimensionNames[4][6] = {
    {"cm", "gm", "sec", "K", "amp", "cd"},
    {"rad", "gm", "sec", "K", "amp", "cd"},
    {"in", "slug", "sec", "F", "amp", "cd"},
    {"deg", "slug", "sec", "F", "amp", "cd"},
};

} // namespace

bool FormatHidUnit(uint32_t unit, char* buf, size_t size) {
    if (!buf || size == 0) return false;
    buf[0] = '\0';
    const uint32_t system = unit & 0xF;
    const char* systemName = system >= 1 && system <= 4 ? kSystemNames[system - 1] : "None";
    int n = -1;
    if (unit == 0) {
        n = std::snprintf(buf, size, "None");
    } else if (const auto* named = std::find_if(std::begin(kNamedUnits), std::end(kNamedUnits),
                                                [&](const NamedUnit& u) { return u.unit == unit; });
               named != std::end(kNamedUnits)) {
        n = std::snprintf(buf, size, "%s: %s", systemName, named->name);
    } else if (system >= 1 && system <= 4) {
        n = std::snprintf(buf, size, "%s: ", systemName);
        bool first = true;
        for (int d = 0; d < 6 && n >= 0 && size_t(n) < size; ++d) {
            const uint32_t nibble = (unit >> (4 * (d + 1))) & 0xF;
            if (nibble == 0) continue;
            const char* name = kDimensionNames[system - 1][d];
            const int exponent = nibble >= 8 ? int(nibble) - 16 : int(nibble);
            const int k = nibble == 1
                ? std::snprintf(buf + n, size - n, "%s%s", first ? "" : " * ", name)
                : std::snprintf(buf + n, size - n, "%s%s^%i", first ? "" : " * ", name, exponent);
            n = k < 0 ? -1 : n + k;
            first = false;
        }
    } else {
        n = std::snprintf(buf, size, "%s", system == 0xF ? "Vendor-Defined" : "None");
    }
    if (n < 0 || size_t(n) >= size) {
        buf[0] = '\0';
        return false;
    }
    return true;
}

} // namespace brx
