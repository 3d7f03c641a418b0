// The path another instance sends: only identifier 100 is ours, and its bytes
// are checked before they are read as text.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/commands/CopyData.h"

using namespace brx;

namespace {

std::vector<uint8_t> Utf16Bytes(const std::u16string& text, bool nul = true) {
    std::vector<uint8_t> bytes((text.size() + (nul ? 1 : 0)) * 2, 0);
    std::memcpy(bytes.data(), text.data(), text.size() * 2);
    return bytes;
}

TEST(CopyData, OtherIdentifiersAndNoStructureAreNotOurs) {
    const auto bytes = Utf16Bytes(u"C:\\a.bdx");
    std::u16string path;
    EXPECT_EQ(CheckCopyDataPath(true, 99, bytes.data(), bytes.size(), path), CopyDataCheck::NotOurs);
    EXPECT_EQ(CheckCopyDataPath(true, 101, bytes.data(), bytes.size(), path), CopyDataCheck::NotOurs);
    EXPECT_EQ(CheckCopyDataPath(false, 100, bytes.data(), bytes.size(), path), CopyDataCheck::NotOurs);
}

TEST(CopyData, TakesAPathEndingInsideTheData) {
    std::u16string path;
    auto bytes = Utf16Bytes(u"C:\\captures\\k\u00E9yboard.bdx");
    ASSERT_EQ(CheckCopyDataPath(true, 100, bytes.data(), bytes.size(), path), CopyDataCheck::Path);
    EXPECT_EQ(path, u"C:\\captures\\k\u00E9yboard.bdx");
    // Bytes after the NUL are not part of the path.
    bytes.push_back('x');
    bytes.push_back(0);
    ASSERT_EQ(CheckCopyDataPath(true, 100, bytes.data(), bytes.size(), path), CopyDataCheck::Path);
    EXPECT_EQ(path, u"C:\\captures\\k\u00E9yboard.bdx");
}

TEST(CopyData, RefusesBadData) {
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        bool nullData;
        int64_t size;  // -1: the bytes' own size
    };
    const std::vector<Case> cases = {
        {"no data", {}, true, 4},
        {"size zero", Utf16Bytes(u"a"), false, 0},
        {"odd size", Utf16Bytes(u"ab"), false, 5},
        {"one byte", {'a'}, false, -1},
        {"no NUL inside", Utf16Bytes(u"C:\\a.bdx", false), false, -1},
        {"NUL only", Utf16Bytes(u""), false, -1},
        {"NUL just past the size", Utf16Bytes(u"abc"), false, 6},
        {"too long", Utf16Bytes(std::u16string(MAX_COPYDATA_PATH + 1, u'a')), false, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::u16string path = u"left over";
        const uint64_t size = c.size < 0 ? c.bytes.size() : static_cast<uint64_t>(c.size);
        EXPECT_EQ(CheckCopyDataPath(true, 100, c.nullData ? nullptr : c.bytes.data(), size, path),
                  CopyDataCheck::Refused);
        EXPECT_TRUE(path.empty());
    }
}

TEST(CopyData, TheLongestPathIsTakenAndAHugeSizeIsNotScanned) {
    std::u16string longest(MAX_COPYDATA_PATH, u'p');
    auto bytes = Utf16Bytes(longest);
    std::u16string path;
    ASSERT_EQ(CheckCopyDataPath(true, 100, bytes.data(), bytes.size(), path), CopyDataCheck::Path);
    EXPECT_EQ(path.size(), MAX_COPYDATA_PATH);
    // A claimed size far beyond the bytes: the scan stops at the NUL, which
    // lies within the longest path.
    auto shortPath = Utf16Bytes(u"D:\\x.bdx");
    ASSERT_EQ(CheckCopyDataPath(true, 100, shortPath.data(), uint64_t{1} << 40, path), CopyDataCheck::Path);
    EXPECT_EQ(path, u"D:\\x.bdx");
}

TEST(CopyData, UnalignedBuffersAreRead) {
    std::vector<uint8_t> storage(1, 0xEE);
    const auto bytes = Utf16Bytes(u"E:\\odd.bdx");
    storage.insert(storage.end(), bytes.begin(), bytes.end());
    std::u16string path;
    ASSERT_EQ(CheckCopyDataPath(true, 100, storage.data() + 1, bytes.size(), path), CopyDataCheck::Path);
    EXPECT_EQ(path, u"E:\\odd.bdx");
}

} // namespace
