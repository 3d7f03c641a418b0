// Splitting the tips text: blank lines, both line ends, the byte-order mark,
// odd sizes and an early NUL.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "app/frame/Tips.h"

namespace brx {
namespace {

std::vector<uint8_t> Bytes(const std::u16string& text, bool bom = true) {
    std::vector<uint8_t> out;
    if (bom) out = {0xFF, 0xFE};
    for (char16_t c : text) {
        out.push_back(static_cast<uint8_t>(c & 0xFF));
        out.push_back(static_cast<uint8_t>(c >> 8));
    }
    return out;
}

TEST(Tips, SplitTable) {
    struct Case {
        std::u16string text;
        std::vector<WString> tips;
    } cases[] = {
        {u"", {}},
        {u"\r\n\r\n", {}},
        {u"one", {u"one"}},
        {u"one\r\n\r\ntwo\r\n", {u"one", u"two"}},
        {u"\n\none\ntwo\rthree", {u"one", u"two", u"three"}},
        {u"caf\u00e9 | \u00fcber", {u"caf\u00e9 | \u00fcber"}},
        {std::u16string(u"one\0two", 7), {u"one"}},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = Bytes(c.text);
        EXPECT_EQ(TipsFromResource(bytes.data(), bytes.size()), c.tips) << WideToUtf8(c.text);
    }
}

TEST(Tips, ShortAndOddBlocks) {
    EXPECT_TRUE(TipsFromResource(nullptr, 10).empty());
    const uint8_t bom[] = {0xFF, 0xFE};
    EXPECT_TRUE(TipsFromResource(bom, 1).empty());
    EXPECT_TRUE(TipsFromResource(bom, 2).empty());
    // The first two bytes are skipped whatever they are; a trailing odd byte
    // is not read.
    std::vector<uint8_t> bytes = Bytes(u"ab", false);
    bytes.insert(bytes.begin(), {'x', 'y'});
    bytes.push_back('c');
    EXPECT_EQ(TipsFromResource(bytes.data(), bytes.size()), std::vector<WString>{u"ab"});
}

TEST(Tips, TheProgramsTipsText) {
    std::ifstream in(BRX_SOURCE_DIR "/app/res/frame/tips.txt", std::ios::binary);
    ASSERT_TRUE(in.good());
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<WString> tips = TipsFromResource(bytes.data(), bytes.size());
    ASSERT_EQ(tips.size(), 4u);
    EXPECT_EQ(tips[0], u"Most commands can be accessed from toolbar, menu or using keyboard shortcuts.");
    EXPECT_EQ(tips[3], u"To keep the last Capture List entry in view select the Navigate|Auto Scroll menu option or "
                       u"use appropriate button on the toolbar.");
}

} // namespace
} // namespace brx
