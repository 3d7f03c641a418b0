// The settings dialogs' criteria images: the find pattern's text form and
// which bytes make two images equal.
#include <gtest/gtest.h>

#include <vector>

#include "app/dialogs/CriteriaImage.h"
#include "capture/MatchCriteria.h"

using namespace brx;

namespace {

using Image = std::vector<uint8_t>;

Image Base() {
    Image image(CRITERIA_IMAGE_SIZE, 0);
    image[CRITERIA_ISSUE] = 1;
    image[CRITERIA_INPUT] = 1;
    image[CRITERIA_KINDS + 73] = 1;
    return image;
}

TEST(CriteriaImage, TypedTextBecomesPatternBytes) {
    struct Case {
        const wchar_t* typed;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {L"ABC", {0xAB, 0xC0}},        // an odd digit completes its byte
        {L"", {}},
        {L"00ff10", {0x00, 0xFF, 0x10}},
        {L"0X", {0x00}},               // a prefix and nothing after it
        {L"1G", {0x01}},               // reading stops at a non-digit
    };
    for (const Case& c : cases) {
        Image image = Base();
        std::fill(image.begin() + CRITERIA_PATTERN_COUNT, image.begin() + CRITERIA_KINDS, 0x77);
        PutPatternText(c.typed, image.data());
        ASSERT_EQ(image[CRITERIA_PATTERN_COUNT], c.bytes.size()) << c.typed;
        for (size_t i = 0; i < c.bytes.size(); ++i) EXPECT_EQ(image[CRITERIA_PATTERN + i], c.bytes[i]) << c.typed;
        // The rest of the pattern area is cleared.
        for (uint32_t i = CRITERIA_PATTERN + static_cast<uint32_t>(c.bytes.size()); i < CRITERIA_KINDS; ++i)
            ASSERT_EQ(image[i], 0) << c.typed << " at " << i;
        EXPECT_EQ(image[CRITERIA_KINDS + 73], 1);
    }
}

TEST(CriteriaImage, PatternTextRoundTrip) {
    Image image = Base();
    PutPatternText(L"DEADBEEF0001", image.data());
    EXPECT_EQ(FormatPattern(image.data()), L"DEADBEEF0001");
    Image again = Base();
    PutPatternText(FormatPattern(image.data()), again.data());
    EXPECT_EQ(again, image);
    // Through the criteria and their stored form, as a preset travels.
    CFindSettings preset;
    ASSERT_EQ(preset.SetImage(image.data(), image.size()), 1);
    const std::vector<uint8_t> blob = preset.ToStoredBlob();
    CFindSettings loaded;
    ASSERT_EQ(loaded.FromBlob(blob.data(), blob.size()), 1);
    Image back(CRITERIA_IMAGE_SIZE);
    loaded.GetImage(back.data(), back.size());
    EXPECT_TRUE(SameFindImage(back.data(), image.data()));
    EXPECT_EQ(FormatPattern(back.data()), L"DEADBEEF0001");
}

TEST(CriteriaImage, WhichBytesCount) {
    Image a = Base();
    PutPatternText(L"1234", a.data());
    EXPECT_TRUE(SameFindImage(a.data(), a.data()));
    EXPECT_TRUE(SameFilterImage(a.data(), a.data()));

    struct Change {
        const char* name;
        uint32_t at;
        bool find, filter;  // still equal for the find / the filter dialog
    } changes[] = {
        {"issue", CRITERIA_ISSUE, false, false},      {"failure", CRITERIA_FAILURE, false, false},
        {"output", CRITERIA_OUTPUT, false, false},    {"kind", CRITERIA_KINDS + 639, false, false},
        {"reserved 3", 3, true, true},                {"pattern count", CRITERIA_PATTERN_COUNT, false, true},
        {"pattern byte", CRITERIA_PATTERN + 1, false, true},
        {"past the pattern", CRITERIA_PATTERN + 2, true, true},
    };
    for (const Change& c : changes) {
        Image b = a;
        b[c.at] ^= 1;
        EXPECT_EQ(SameFindImage(a.data(), b.data()), c.find) << c.name;
        EXPECT_EQ(SameFilterImage(a.data(), b.data()), c.filter) << c.name;
    }
}

} // namespace
