#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "capture/Convert.h"
#include "capture/Product.h"
#include "capture/Result.h"
#include "capture/TimeFields.h"

using namespace brx;

namespace {

constexpr uint64_t kTicksPerDay = 864000000000ull;

struct Fields {
    uint16_t y, mo, d, h, mi, s, ms, wd;
};

void ExpectFields(const TIME_FIELDS& t, const Fields& f) {
    EXPECT_EQ(t.Year, f.y);
    EXPECT_EQ(t.Month, f.mo);
    EXPECT_EQ(t.Day, f.d);
    EXPECT_EQ(t.Hour, f.h);
    EXPECT_EQ(t.Minute, f.mi);
    EXPECT_EQ(t.Second, f.s);
    EXPECT_EQ(t.Milliseconds, f.ms);
    EXPECT_EQ(t.Weekday, f.wd);
}

// Days from 1601-01-01 to y-m-d by counting whole years and months.
uint64_t DaysTo(uint32_t y, uint32_t m, uint32_t d) {
    auto leap = [](uint32_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; };
    static const uint32_t len[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    uint64_t days = 0;
    for (uint32_t year = 1601; year < y; ++year) days += leap(year) ? 366 : 365;
    for (uint32_t month = 1; month < m; ++month) days += len[month - 1] + (month == 2 && leap(y) ? 1 : 0);
    return days + d - 1;
}

} // namespace

TEST(TimeFields, EpochIsMondayFirstOfJanuary1601) {
    TIME_FIELDS t{};
    TimeToTimeFields(0, t);
    ExpectFields(t, {1601, 1, 1, 0, 0, 0, 0, 1});
}

TEST(TimeFields, LeapDay2000) {
    // 2000-02-29 12:34:56.789, a Tuesday; 2000 is a leap year by the 400-year rule.
    uint64_t t0 = DaysTo(2000, 2, 29) * kTicksPerDay + ((12 * 3600 + 34 * 60 + 56) * 1000 + 789) * 10000ull + 9999;
    EXPECT_EQ(t0 / 10000000, 12596301296ull);  // seconds since 1601, as Windows counts them
    TIME_FIELDS t{};
    TimeToTimeFields(t0, t);
    ExpectFields(t, {2000, 2, 29, 12, 34, 56, 789, 2});
}

TEST(TimeFields, CycleEdges) {
    struct Row {
        uint32_t y, m, d;
        uint16_t weekday;
    };
    const Row rows[] = {
        {1604, 12, 31, 5}, {1605, 1, 1, 6},   {1700, 2, 28, 0},  {1700, 3, 1, 1},   {1900, 12, 31, 1},
        {2000, 12, 31, 0}, {2001, 1, 1, 1},   {2024, 2, 29, 4},  {2024, 3, 1, 5},   {2100, 3, 1, 1},
        {2400, 2, 29, 2},  {2400, 12, 31, 0}, {30828, 9, 14, 4}, {1970, 1, 1, 4},   {2026, 12, 10, 4},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(::testing::Message() << r.y << "-" << r.m << "-" << r.d);
        TIME_FIELDS t{};
        TimeToTimeFields(DaysTo(r.y, r.m, r.d) * kTicksPerDay + kTicksPerDay - 1, t);
        ExpectFields(t, {static_cast<uint16_t>(r.y), static_cast<uint16_t>(r.m), static_cast<uint16_t>(r.d), 23, 59,
                         59, 999, r.weekday});
    }
}

TEST(TimeFields, LargestTimeStaysInRange) {
    TIME_FIELDS t{};
    TimeToTimeFields(UINT64_MAX, t);
    // 2^64 - 1 units of 100 ns after 1601 is 60056-05-28 05:36:10.955, a Sunday.
    ExpectFields(t, {60056, 5, 28, 5, 36, 10, 955, 0});
}

TEST(TimeFields, Duration) {
    TIME_FIELDS t{};
    t.Weekday = 6;
    uint64_t d = kTicksPerDay + (3600 + 60 + 1) * 10000000ull + 10000 + 9999;
    TimeToDurationFields(d, t);
    ExpectFields(t, {0, 0, 1, 1, 1, 1, 1, 6});  // the weekday is left alone

    TimeToDurationFields(0, t);
    ExpectFields(t, {0, 0, 0, 0, 0, 0, 0, 6});
    TimeToDurationFields(400 * kTicksPerDay + 23 * 3600 * 10000000ull, t);
    ExpectFields(t, {0, 0, 400, 23, 0, 0, 0, 6});
    TimeToDurationFields(UINT64_MAX, t);
    EXPECT_EQ(t.Day, 0xFFFF);  // more days than the field holds
}

TEST(Guid, LowerCaseHexInBraces) {
    const GUID_DATA g = {0x0123ABCD, 0x4EF5, 0x00A6, {0xB7, 0xC8, 0x09, 0xDA, 0xEB, 0xFC, 0x0D, 0x1E}};
    EXPECT_EQ(FormatGuidA(g), "{0123abcd-4ef5-00a6-b7c8-09daebfc0d1e}");
    EXPECT_EQ(FormatGuidW(g), u"{0123abcd-4ef5-00a6-b7c8-09daebfc0d1e}");
    const GUID_DATA zero{};
    EXPECT_EQ(FormatGuidA(zero), "{00000000-0000-0000-0000-000000000000}");
}

namespace {

struct EscapeRow {
    std::u16string text;
    const char* want;
};

// Each text, terminated, escaped in the code page through the native table.
template <size_t N>
void ExpectEscaped(const EscapeRow (&rows)[N], uint32_t codePage) {
    for (const EscapeRow& r : rows) {
        SCOPED_TRACE(r.want);
        auto out = RtfEscapeText(r.text.c_str(), static_cast<uint32_t>((r.text.size() + 1) * 2), codePage,
                                 TableCodePages());
        ASSERT_TRUE(out.has_value());
        EXPECT_EQ(*out, r.want);
    }
}

} // namespace

TEST(RtfEscape, EscapesBracesSemicolonsBackslashesControlAndHighBytes) {
    const EscapeRow rows[] = {
        {u"Plain Text 123", "Plain Text 123"},
        {u"{a}", "\\{a\\}"},
        {u"a;b", "a\\'3bb"},
        {u"C:\\dir", "C:\\'5cdir"},
        {u"tab\there\r\n", "tab\\'09here\\'0d\\'0a"},
        {u"caf\u00e9 \u20ac", "caf\\'e9 \\'80"},  // Windows-1252 bytes E9h and 80h
        {u"\u4e2d", "?"},                          // no Windows-1252 byte
        {u"'quote' \"x\" <y>", "'quote' \"x\" <y>"},
    };
    ExpectEscaped(rows, CP_ANSI);
}

TEST(RtfEscape, LengthLimitsAndTermination) {
    ICodePages& pages = TableCodePages();
    const char16_t text[] = u"ab;cd";
    EXPECT_FALSE(RtfEscapeText(nullptr, 10, CP_ANSI, pages).has_value());
    EXPECT_FALSE(RtfEscapeText(text, 0, CP_ANSI, pages).has_value());
    EXPECT_FALSE(RtfEscapeText(text, 1, CP_ANSI, pages).has_value());
    EXPECT_FALSE(RtfEscapeText(text, 2049, CP_ANSI, pages).has_value());
    // Unterminated within the byte length: only those characters count.
    EXPECT_EQ(RtfEscapeText(text, 2, CP_ANSI, pages).value(), "a");
    EXPECT_EQ(RtfEscapeText(text, 5, CP_ANSI, pages).value(), "ab");
    EXPECT_EQ(RtfEscapeText(text, 6, CP_WESTERN, pages).value(), "ab\\'3b");
    // The text ends at its terminator even when the length goes further.
    const char16_t stops[] = {u'x', 0, u'{', 0};
    EXPECT_EQ(RtfEscapeText(stops, 8, CP_ANSI, pages).value(), "x");
    // 2048 bytes: 1024 characters, no terminator needed.
    std::u16string big(1024, u'}');
    EXPECT_EQ(RtfEscapeText(big.data(), 2048, CP_ANSI, pages).value().size(), 2048u);
    // A terminator first: empty text.
    const char16_t empty[] = u"";
    EXPECT_EQ(RtfEscapeText(empty, 2, CP_ANSI, pages).value(), "");
}

// Shift-JIS: a two-byte character is written as both its bytes escaped, so a
// trail byte that is a brace, backslash or letter on its own stays inside the
// character; single bytes follow the usual rules.
TEST(RtfEscape, DoubleByteCodePageWritesPairs) {
    const EscapeRow rows[] = {
        {u"\u4e2d\u65e5\u672c", "\\'92\\'86\\'93\\'fa\\'96\\'7b"}, // 中日本: trail 7Bh "{"
        {u"\u8868", "\\'95\\'5c"},                             // 表: trail 5Ch "\"
        {u"\u30dc\u30bd", "\\'83\\'7b\\'83\\'5c"},                // ボソ
        {u"\u30a1x", "\\'83\\'40x"},                           // ァ: trail 40h "@"
        {u"a{\u3042};", "a\\{\\'82\\'a0\\}\\'3b"},                  // ASCII between
        {u"\uff71\u3000", "\\'b1\\'81\\'40"},                     // half-width ｱ is one byte
        {u"\u00e9", "?"},                                      // no Shift-JIS byte
    };
    ExpectEscaped(rows, CP_JAPANESE);
    // The same text in Windows-1252 has no pairs.
    const char16_t mixed[] = u"\u00e9{";
    EXPECT_EQ(RtfEscapeText(mixed, sizeof mixed, CP_WESTERN, TableCodePages()).value(), "\\'e9\\{");
}

// A converter that records what it was asked and fails or answers as told.
class ScriptedCodePages final : public ICodePages {
public:
    uint32_t failPage = 0xFFFFFFFF;   // this code page fails
    std::string answer;               // when not empty: the bytes of every conversion
    std::vector<std::pair<uint32_t, uint32_t>> calls; // code page, flags

    uint32_t WideCharToMultiByte(uint32_t codePage, uint32_t flags, const char16_t* text, uint32_t units,
                                 char* out, uint32_t capacity) override {
        calls.emplace_back(codePage, flags);
        if (codePage == failPage) return 0;
        if (answer.empty()) return TableCodePages().WideCharToMultiByte(codePage, flags, text, units, out, capacity);
        if (capacity == 0) return static_cast<uint32_t>(answer.size());
        if (capacity < answer.size()) return 0;
        answer.copy(out, answer.size());
        return static_cast<uint32_t>(answer.size());
    }
    bool IsDBCSLeadByteEx(uint32_t codePage, uint8_t byte) override {
        return TableCodePages().IsDBCSLeadByteEx(codePage == 0 ? CP_JAPANESE : codePage, byte);
    }
};

TEST(RtfEscape, FailedCodePageFallsBackToAnsiWithoutBestFit) {
    const char16_t euro[] = u"\u20ac;";
    {
        // An unknown code page: the ANSI code page with the fallback flags.
        ScriptedCodePages pages;
        pages.failPage = 12345;
        EXPECT_EQ(RtfEscapeText(euro, sizeof euro, 12345, pages).value(), "\\'80\\'3b");
        const std::vector<std::pair<uint32_t, uint32_t>> want = {
            {12345, 0}, {CP_ANSI, 0x640}, {CP_ANSI, 0x640}};
        EXPECT_EQ(pages.calls, want);
    }
    {
        // The ANSI code page itself failing leaves nothing to fall back on.
        ScriptedCodePages pages;
        pages.failPage = CP_ANSI;
        EXPECT_FALSE(RtfEscapeText(euro, sizeof euro, CP_ANSI, pages).has_value());
        EXPECT_EQ(pages.calls.size(), 1u);
    }
    {
        ScriptedCodePages pages;
        pages.failPage = CP_ANSI;
        EXPECT_FALSE(RtfEscapeText(euro, sizeof euro, 12345, pages).has_value());
    }
    // The table knows no other code page either.
    EXPECT_EQ(RtfEscapeText(euro, sizeof euro, 850, TableCodePages()).value(), "\\'80\\'3b");
}

// Pairs are only looked for when the conversion produced more bytes than
// characters, and a lead byte at the very end is written on its own.
TEST(RtfEscape, LeadBytesNeedMoreBytesThanCharactersAndATrail) {
    const char16_t two[] = u"ab";
    ScriptedCodePages pages;
    pages.answer = "\x83\x7b"; // as many bytes as characters: two single bytes
    EXPECT_EQ(RtfEscapeText(two, sizeof two, CP_JAPANESE, pages).value(), "\\'83\\{");
    const char16_t one[] = u"a";
    pages.answer = "x\x83"; // more bytes, but the lead byte has no trail
    EXPECT_EQ(RtfEscapeText(one, sizeof one, CP_JAPANESE, pages).value(), "x\\'83");
}

TEST(StgCodes, MapBothWays) {
    const std::pair<uint32_t, uint32_t> rows[] = {
        {STG_E_FILENOTFOUND, 2},       {STG_E_PATHNOTFOUND, 3},         {STG_E_TOOMANYOPENFILES, 4},
        {STG_E_ACCESSDENIED, 5},       {STG_E_INVALIDHANDLE, 6},        {STG_E_INSUFFICIENTMEMORY, 8},
        {STG_E_NOMOREFILES, 18},       {STG_E_DISKISWRITEPROTECTED, 19}, {STG_E_SEEKERROR, 25},
        {STG_E_WRITEFAULT, 29},        {STG_E_READFAULT, 30},           {STG_E_SHAREVIOLATION, 32},
        {STG_E_LOCKVIOLATION, 33},     {STG_E_FILEALREADYEXISTS, 183},  {STG_E_INVALIDPARAMETER, 87},
        {STG_E_MEDIUMFULL, 112},       {STG_E_INVALIDNAME, 123},        {STG_E_INVALIDFLAG, 1004},
        {STG_E_DOCFILECORRUPT, 11},
    };
    for (auto [stg, win32] : rows) {
        EXPECT_EQ(StgErrorToWin32(stg), win32) << std::hex << stg;
        EXPECT_EQ(Win32ErrorToStg(win32), stg) << win32;
    }
    EXPECT_EQ(Win32ErrorToStg(65), STG_E_ACCESSDENIED);
    EXPECT_EQ(Win32ErrorToStg(80), STG_E_FILEALREADYEXISTS);
    EXPECT_EQ(Win32ErrorToStg(39), STG_E_MEDIUMFULL);
    EXPECT_EQ(Win32ErrorToStg(161), STG_E_INVALIDNAME);
    EXPECT_EQ(Win32ErrorToStg(206), STG_E_INVALIDNAME);
    EXPECT_EQ(Win32ErrorToStg(1), STG_E_INVALIDFUNCTION);
}

TEST(StgCodes, UnknownValues) {
    EXPECT_EQ(StgErrorToWin32(STG_E_INVALIDFUNCTION), 1u);
    EXPECT_EQ(StgErrorToWin32(0), 1u);
    EXPECT_EQ(StgErrorToWin32(LOG_E_FULL), 1u);
    EXPECT_EQ(StgErrorToWin32(0x80070002), 1u);  // HRESULT_FROM_WIN32 forms have no row
    EXPECT_EQ(Win32ErrorToStg(1450), 0x800705AAu);  // ERROR_NO_SYSTEM_RESOURCES
    EXPECT_EQ(Win32ErrorToStg(0), 0u);
    EXPECT_EQ(Win32ErrorToStg(0x80004005), 0x80004005u);  // already an HRESULT
}

TEST(ResultCodes, LogCodesAndSeverity) {
    EXPECT_EQ(LOG_E_FULL, 0xE0030002u);
    EXPECT_EQ(LOG_E_OLD_FORMAT, 0xE0030003u);
    EXPECT_EQ(LOG_S_NEWER_FORMAT, 0xA0030001u);
    EXPECT_TRUE(Failed(LOG_E_FULL));
    EXPECT_TRUE(Failed(STG_E_READFAULT));
    EXPECT_FALSE(Failed(0));
    // The "newer format" warning has the severity bit of a failure set too:
    // callers must compare it by value before testing for failure.
    EXPECT_TRUE(Failed(LOG_S_NEWER_FORMAT));
}

TEST(Product, NamesAndVersion) {
    EXPECT_STREQ(GetVersionText(), "2.2 ");
    EXPECT_STREQ(GetVersionBuildText(), "2.2 Build 100");
    EXPECT_STREQ(GetProductNameA(), "Brindlex");
    EXPECT_STREQ(GetWindowClassNameA(), "Brindlex");
    EXPECT_EQ(std::u16string(GetProductNameW()), u"Brindlex");
    EXPECT_EQ(std::u16string(GetFrameTitleW()), u"Brindlex");
}
