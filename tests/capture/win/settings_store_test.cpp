#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "capture/win/SettingsStore.h"
#include "tests/capture/win/TestRegistry.h"

using namespace brx;
using brx::testing::TestRegistry;

namespace {

constexpr wchar_t SECTION[] = L"StoreTest";

class SettingsStore : public ::testing::Test {
protected:
    TestRegistry registry;
};

} // namespace

TEST_F(SettingsStore, ProgramKeyAndSectionsAreCreatedWhenMissing) {
    EXPECT_FALSE(registry.SectionExists(SECTION));
    HKEY app = OpenAppRegKey();
    ASSERT_NE(app, nullptr);
    RegCloseKey(app);
    HKEY section = OpenAppRegSection(SECTION);
    ASSERT_NE(section, nullptr);
    RegCloseKey(section);
    EXPECT_TRUE(registry.SectionExists(SECTION));
}

TEST_F(SettingsStore, DwordIsWrittenReadOverwrittenAndDeleted) {
    EXPECT_EQ(ReadAppRegDword(SECTION, L"Number", 77), 77u);
    EXPECT_TRUE(registry.SectionExists(SECTION)); // reading created the section
    ASSERT_EQ(WriteAppRegDword(SECTION, L"Number", 0x12345678), 1);
    EXPECT_EQ(ReadAppRegDword(SECTION, L"Number", 77), 0x12345678u);
    DWORD type = 0;
    std::string raw;
    ASSERT_TRUE(registry.Get(SECTION, L"Number", type, raw));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(raw.size(), 4u);
    ASSERT_EQ(WriteAppRegDword(SECTION, L"Number", 0xFFFFFFFF), 1);
    EXPECT_EQ(ReadAppRegDword(SECTION, L"Number", 77), 0xFFFFFFFFu);
    EXPECT_EQ(DeleteAppRegValue(SECTION, L"Number"), 1);
    EXPECT_EQ(ReadAppRegDword(SECTION, L"Number", 77), 77u);
    EXPECT_EQ(DeleteAppRegValue(SECTION, L"Number"), 0); // already gone
}

TEST_F(SettingsStore, DwordOfAnotherTypeOrSizeReadsAsMissing) {
    const uint8_t four[4] = {1, 2, 3, 4};
    const uint8_t eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    const uint8_t two[2] = {1, 2};
    ASSERT_TRUE(registry.Put(SECTION, L"Binary4", REG_BINARY, four, 4));
    ASSERT_TRUE(registry.Put(SECTION, L"Binary8", REG_BINARY, eight, 8));
    ASSERT_TRUE(registry.Put(SECTION, L"Short", REG_DWORD, two, 2));
    ASSERT_TRUE(registry.Put(SECTION, L"Text", REG_SZ, L"12", 6));
    for (const wchar_t* name : {L"Binary4", L"Binary8", L"Short", L"Text", L"Missing"})
        EXPECT_EQ(ReadAppRegDword(SECTION, name, 5), 5u) << name;
}

TEST_F(SettingsStore, DwordOnAnOpenKey) {
    EXPECT_EQ(ReadRegDword(nullptr, L"X", 9), 9u);
    EXPECT_EQ(WriteRegDword(nullptr, L"X", 1), 0);
    HKEY section = OpenAppRegSection(SECTION);
    ASSERT_NE(section, nullptr);
    HKEY sub = CreateRegSubKey(section, L"0");
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(WriteRegDword(sub, nullptr, 1), 0);
    EXPECT_EQ(WriteRegDword(sub, L"X", 42), 1);
    EXPECT_EQ(ReadRegDword(sub, L"X", 9), 42u);
    RegCloseKey(sub);
    EXPECT_EQ(CreateRegSubKey(nullptr, L"0"), nullptr);
    RegCloseKey(section);
    EXPECT_TRUE(registry.SectionExists(L"StoreTest\\0"));
}

TEST_F(SettingsStore, StringIsWrittenReadOverwrittenAndDeleted) {
    wchar_t buffer[64];
    ASSERT_EQ(WriteAppRegString(SECTION, L"Text", L"C:\\Temp\\Brindlex"), 1);
    EXPECT_EQ(ReadAppRegString(SECTION, L"Text", buffer, 64), 16u);
    EXPECT_STREQ(buffer, L"C:\\Temp\\Brindlex");
    DWORD type = 0;
    std::string raw;
    ASSERT_TRUE(registry.Get(SECTION, L"Text", type, raw));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(raw.size(), 34u); // terminator included
    ASSERT_EQ(WriteAppRegString(SECTION, L"Text", L"x"), 1);
    EXPECT_EQ(ReadAppRegString(SECTION, L"Text", buffer, 64), 1u);
    EXPECT_STREQ(buffer, L"x");
    ASSERT_EQ(WriteAppRegString(SECTION, L"Text", L""), 1);
    buffer[0] = L'?';
    EXPECT_EQ(ReadAppRegString(SECTION, L"Text", buffer, 64), 0u);
    EXPECT_STREQ(buffer, L"");
    EXPECT_EQ(DeleteAppRegValue(SECTION, L"Text"), 1);
    wcscpy(buffer, L"kept");
    EXPECT_EQ(ReadAppRegString(SECTION, L"Text", buffer, 64), 0u);
    EXPECT_STREQ(buffer, L"kept");
    EXPECT_EQ(WriteAppRegString(SECTION, L"Text", nullptr), 0);
}

TEST_F(SettingsStore, StringsUpTo511CharactersAreWritten) {
    std::wstring ok(511, L'a'), tooLong(512, L'b');
    ASSERT_EQ(WriteAppRegString(SECTION, L"Long", ok.c_str()), 1);
    EXPECT_EQ(WriteAppRegString(SECTION, L"Long", tooLong.c_str()), 0);
    std::vector<wchar_t> buffer(600);
    EXPECT_EQ(ReadAppRegString(SECTION, L"Long", buffer.data(), 600), 511u);
    EXPECT_EQ(std::wstring(buffer.data()), ok); // the refused text wrote nothing
    EXPECT_EQ(WriteAppRegString(SECTION, L"Other", tooLong.c_str()), 0);
    DWORD type = 0;
    std::string raw;
    EXPECT_FALSE(registry.Get(SECTION, L"Other", type, raw));
}

TEST_F(SettingsStore, StringOfAnotherTypeOrTooLargeReadsAsZeroAndLeavesTheBuffer) {
    const wchar_t expand[] = L"%TEMP%";
    const DWORD number = 7;
    ASSERT_TRUE(registry.Put(SECTION, L"Expand", REG_EXPAND_SZ, expand, sizeof expand));
    ASSERT_TRUE(registry.Put(SECTION, L"Number", REG_DWORD, &number, 4));
    ASSERT_TRUE(registry.Put(SECTION, L"Multi", REG_MULTI_SZ, L"a\0b\0", 10));
    ASSERT_EQ(WriteAppRegString(SECTION, L"Ten", L"0123456789"), 1);
    wchar_t buffer[16];
    for (const wchar_t* name : {L"Expand", L"Number", L"Multi", L"Missing"}) {
        wcscpy(buffer, L"kept");
        EXPECT_EQ(ReadAppRegString(SECTION, name, buffer, 16), 0u) << name;
        EXPECT_STREQ(buffer, L"kept") << name;
    }
    // Ten characters need eleven with the terminator.
    wcscpy(buffer, L"kept");
    EXPECT_EQ(ReadAppRegString(SECTION, L"Ten", buffer, 10), 0u);
    EXPECT_STREQ(buffer, L"kept");
    EXPECT_EQ(ReadAppRegString(SECTION, L"Ten", buffer, 11), 10u);
    EXPECT_STREQ(buffer, L"0123456789");
    EXPECT_EQ(ReadAppRegString(SECTION, L"Ten", nullptr, 11), 0u);
    EXPECT_EQ(ReadAppRegString(SECTION, L"Ten", buffer, 0), 0u);
}

TEST_F(SettingsStore, StoredStringsWithoutTerminatorOrOfOddLengthAreReadWithinTheirBytes) {
    // Written by another program: no terminator, an odd byte count, an
    // embedded NUL. Each is read from the stored bytes only and terminated.
    ASSERT_TRUE(registry.Put(SECTION, L"NoNul", REG_SZ, L"abcd", 8));
    ASSERT_TRUE(registry.Put(SECTION, L"Odd", REG_SZ, L"abcd", 5));
    ASSERT_TRUE(registry.Put(SECTION, L"One", REG_SZ, "a", 1));
    ASSERT_TRUE(registry.Put(SECTION, L"Embedded", REG_SZ, L"ab\0cd", 12));
    struct Case {
        const wchar_t* name;
        uint32_t chars;
        const wchar_t* text;
    } cases[] = {{L"NoNul", 4, L"abcd"}, {L"Odd", 2, L"ab"}, {L"One", 0, L""}, {L"Embedded", 2, L"ab"}};
    for (const Case& c : cases) {
        wchar_t buffer[16];
        wmemset(buffer, L'#', 16);
        EXPECT_EQ(ReadAppRegString(SECTION, c.name, buffer, 16), c.chars) << c.name;
        EXPECT_STREQ(buffer, c.text) << c.name;
        EXPECT_EQ(buffer[c.chars + 1], L'#') << c.name; // nothing written past the text
    }
    // Four unterminated characters leave no room for the terminator in four.
    wchar_t four[5] = {L'k', 0, L'#', L'#', L'#'};
    EXPECT_EQ(ReadAppRegString(SECTION, L"NoNul", four, 4), 0u);
    EXPECT_STREQ(four, L"k");
    EXPECT_EQ(ReadAppRegString(SECTION, L"NoNul", four, 5), 4u);
    EXPECT_STREQ(four, L"abcd");
}

TEST_F(SettingsStore, BinaryIsWrittenReadOverwrittenAndDeleted) {
    uint8_t bytes[44];
    for (int i = 0; i < 44; ++i)
        bytes[i] = static_cast<uint8_t>(i * 7);
    ASSERT_EQ(WriteAppRegBinary(SECTION, L"Blob", bytes, 44), 1);
    uint8_t buffer[64] = {};
    uint32_t size = 0;
    ASSERT_EQ(ReadAppRegBinary(SECTION, L"Blob", buffer, 64, &size), 1);
    EXPECT_EQ(size, 44u);
    EXPECT_EQ(std::memcmp(buffer, bytes, 44), 0);
    ASSERT_EQ(WriteAppRegBinary(SECTION, L"Blob", bytes + 4, 3), 1);
    EXPECT_EQ(ReadAppRegBinary(SECTION, L"Blob", buffer, 64, &size), 1);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(std::memcmp(buffer, bytes + 4, 3), 0);
    ASSERT_EQ(WriteAppRegBinary(SECTION, L"Blob", nullptr, 0), 1);
    EXPECT_EQ(ReadAppRegBinary(SECTION, L"Blob", buffer, 64, &size), 1);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(WriteAppRegBinary(SECTION, L"Blob", nullptr, 4), 0);
    EXPECT_EQ(DeleteAppRegValue(SECTION, L"Blob"), 1);
    size = 99;
    EXPECT_EQ(ReadAppRegBinary(SECTION, L"Blob", buffer, 64, &size), 0);
    EXPECT_EQ(size, 0u);
}

TEST_F(SettingsStore, BinaryTooLargeForTheBufferReportsItsSize) {
    uint8_t bytes[44] = {1, 2, 3};
    ASSERT_EQ(WriteAppRegBinary(SECTION, L"Blob", bytes, 44), 1);
    uint8_t buffer[48];
    std::memset(buffer, 0xAA, sizeof buffer);
    uint32_t size = 0;
    EXPECT_EQ(ReadAppRegBinary(SECTION, L"Blob", buffer, 40, &size), 0);
    EXPECT_EQ(size, 44u);
    for (uint8_t b : buffer)
        ASSERT_EQ(b, 0xAA); // nothing written
    size = 0;
    EXPECT_EQ(ReadAppRegBinary(SECTION, L"Blob", nullptr, 0, &size), 0);
    EXPECT_EQ(size, 44u);
    EXPECT_EQ(ReadAppRegBinary(SECTION, L"Blob", buffer, 40, nullptr), 0);
}

TEST_F(SettingsStore, BinaryOfAnotherTypeReadsAsMissing) {
    const DWORD number = 7;
    ASSERT_TRUE(registry.Put(SECTION, L"Number", REG_DWORD, &number, 4));
    ASSERT_EQ(WriteAppRegString(SECTION, L"Text", L"abc"), 1);
    uint8_t buffer[16];
    for (const wchar_t* name : {L"Number", L"Text", L"Missing"}) {
        uint32_t size = 99;
        EXPECT_EQ(ReadAppRegBinary(SECTION, name, buffer, 16, &size), 0) << name;
        EXPECT_EQ(size, 0u) << name;
    }
}

TEST_F(SettingsStore, EnumerationVisitsValuesInOrderAndSkipsOversizedOnes) {
    HKEY section = OpenAppRegSection(SECTION);
    ASSERT_NE(section, nullptr);
    const uint8_t small[13] = {1};
    const uint8_t large[100] = {2};
    std::wstring longName(61, L'n');
    ASSERT_TRUE(registry.Put(SECTION, L"First", REG_BINARY, small, sizeof small));
    ASSERT_TRUE(registry.Put(SECTION, longName.c_str(), REG_BINARY, small, sizeof small));
    ASSERT_TRUE(registry.Put(SECTION, L"Large", REG_BINARY, large, sizeof large));
    ASSERT_TRUE(registry.Put(SECTION, L"Second", REG_SZ, L"x", 4));
    ASSERT_TRUE(registry.Put(SECTION, L"Third", REG_DWORD, small, 4));

    std::vector<std::wstring> names;
    std::vector<uint32_t> types, sizes;
    uint32_t visited = EnumRegValues(section, 60, 64, [&](const wchar_t* name, uint32_t type,
                                                          const uint8_t*, uint32_t size) {
        names.push_back(name);
        types.push_back(type);
        sizes.push_back(size);
        return true;
    });
    EXPECT_EQ(visited, 3u);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"First", L"Second", L"Third"}));
    EXPECT_EQ(types, (std::vector<uint32_t>{REG_BINARY, REG_SZ, REG_DWORD}));
    EXPECT_EQ(sizes, (std::vector<uint32_t>{13, 4, 4}));

    names.clear();
    visited = EnumRegValues(section, 60, 64, [&](const wchar_t* name, uint32_t, const uint8_t*, uint32_t) {
        names.push_back(name);
        return false; // stop at the first
    });
    EXPECT_EQ(visited, 1u);
    EXPECT_EQ(names.size(), 1u);
    EXPECT_EQ(EnumRegValues(nullptr, 60, 64, [](const wchar_t*, uint32_t, const uint8_t*, uint32_t) {
                  return true;
              }),
              0u);
    RegCloseKey(section);
}
