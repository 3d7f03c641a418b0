// The list text cache: cells and row colours as the capture list stores and
// reads them, the text limits, the caller's buffer sizes and arena rollover.
#include <gtest/gtest.h>

#include <string>

#include "app/list/ListCache.h"

using namespace brx;

namespace {

std::u16string Repeat(char16_t c, size_t n) { return std::u16string(n, c); }

// A cache whose arenas run out after `budget` blocks.
class LimitedCache : public CListCache {
public:
    explicit LimitedCache(int budget) : budget_(budget) {}
    int allocations = 0;

protected:
    void* AllocateBlock(size_t size) override {
        if (budget_ <= 0) return nullptr;
        --budget_;
        ++allocations;
        return CListCache::AllocateBlock(size);
    }

private:
    int budget_;
};

std::u16string LookupText(const CListCache& cache, int row, int column, size_t size = 260, int* found = nullptr) {
    std::u16string buffer(size + 1, u'#');  // one guard unit past the size
    const int hit = cache.Lookup(row, column, buffer.data(), size);
    if (found) *found = hit;
    EXPECT_EQ(buffer[size], u'#') << "wrote past the buffer";
    const size_t end = buffer.find(u'\0');
    return end == std::u16string::npos ? std::u16string(u"<untouched>") : buffer.substr(0, end);
}

struct TextLengthCase {
    size_t length;
    size_t expected;  // stored length
};

class TextLength : public ::testing::TestWithParam<TextLengthCase> {};

TEST_P(TextLength, LongTextsBecomeEmptyCells) {
    CListCache cache;
    const std::u16string text = Repeat(u'x', GetParam().length);
    cache.Add(3, 2, text.c_str());
    std::u16string buffer(300, u'#');
    ASSERT_EQ(cache.Lookup(3, 2, buffer.data(), buffer.size()), 1);
    if (GetParam().expected == 0) {
        EXPECT_EQ(buffer[0], u'#') << "an empty cell writes nothing";
    } else {
        EXPECT_EQ(buffer.substr(0, buffer.find(u'\0')), Repeat(u'x', GetParam().expected));
    }
}

INSTANTIATE_TEST_SUITE_P(Limits, TextLength,
                         ::testing::Values(TextLengthCase{0, 0}, TextLengthCase{1, 1}, TextLengthCase{258, 258},
                                           TextLengthCase{259, 259}, TextLengthCase{260, 0},
                                           TextLengthCase{1000, 0}));

TEST(ListCache, NullTextIsAnEmptyCell) {
    CListCache cache;
    cache.Add(0, 5, nullptr);
    int found = 0;
    EXPECT_EQ(LookupText(cache, 0, 5, 10, &found), u"<untouched>");
    EXPECT_EQ(found, 1);
}

TEST(ListCache, LaterDuplicateWins) {
    CListCache cache;
    cache.Add(7, 1, u"first");
    cache.Add(7, 1, u"second");
    EXPECT_EQ(LookupText(cache, 7, 1), u"second");
}

TEST(ListCache, MissLeavesTheBufferAndCellsShareBuckets) {
    CListCache cache;
    // Rows 0 and 16 share every bucket ((column + row * 8) & 127).
    cache.Add(0, 3, u"row 0");
    cache.Add(16, 3, u"row 16");
    cache.Add(0, 11, u"row 0 col 11");  // bucket 11 = row 1 column 3
    int found = -1;
    EXPECT_EQ(LookupText(cache, 0, 3), u"row 0");
    EXPECT_EQ(LookupText(cache, 16, 3), u"row 16");
    EXPECT_EQ(LookupText(cache, 0, 11), u"row 0 col 11");
    EXPECT_EQ(LookupText(cache, 1, 3, 260, &found), u"<untouched>");
    EXPECT_EQ(found, 0);
    EXPECT_EQ(LookupText(cache, 32, 3, 260, &found), u"<untouched>");
    EXPECT_EQ(found, 0);
}

struct SizeCase {
    size_t size;
    const char16_t* expected;
};

class DestinationSize : public ::testing::TestWithParam<SizeCase> {};

TEST_P(DestinationSize, CopiesAtMostSizeMinusOne) {
    CListCache cache;
    cache.Add(2, 0, u"abcdef");
    int found = 0;
    EXPECT_EQ(LookupText(cache, 2, 0, GetParam().size, &found), GetParam().expected);
    EXPECT_EQ(found, 1);
}

INSTANTIATE_TEST_SUITE_P(Sizes, DestinationSize,
                         ::testing::Values(SizeCase{0, u"<untouched>"}, SizeCase{1, u""}, SizeCase{2, u"a"},
                                           SizeCase{6, u"abcde"}, SizeCase{7, u"abcdef"},
                                           SizeCase{100, u"abcdef"}));

TEST(ListCache, ColoursLiveOnColumnZero) {
    CListCache cache;
    // Before the row's column-0 cell exists the colours are lost.
    cache.SetRowBkColor(4, 0x00112233);
    EXPECT_EQ(cache.GetRowBkColor(4), kNoColor);
    cache.Add(4, 0, u"URB");
    EXPECT_EQ(cache.GetRowBkColor(4), kNoColor);
    EXPECT_EQ(cache.GetRowTextColor(4), kNoColor);
    cache.SetRowBkColor(4, 0x00E8FFFF);
    cache.SetRowTextColor(4, 0x000000CC);
    cache.Add(4, 1, u"0004");
    cache.Add(20, 0, u"other row, same bucket");
    EXPECT_EQ(cache.GetRowBkColor(4), 0x00E8FFFFu);
    EXPECT_EQ(cache.GetRowTextColor(4), 0x000000CCu);
    EXPECT_EQ(cache.GetRowBkColor(20), kNoColor);
    // A negative colour changes nothing.
    cache.SetRowBkColor(4, kNoColor);
    EXPECT_EQ(cache.GetRowBkColor(4), 0x00E8FFFFu);
    // A cell other than column 0 carries no colour.
    cache.SetRowBkColor(5, 0x123456);
    cache.Add(5, 1, u"x");
    cache.SetRowBkColor(5, 0x123456);
    EXPECT_EQ(cache.GetRowBkColor(5), kNoColor);
}

TEST(ListCache, ClearForgetsEverything) {
    CListCache cache;
    for (int row = 0; row < 50; ++row) {
        cache.Add(row, 0, u"cell");
        cache.SetRowTextColor(row, 0xCC);
    }
    cache.Clear();
    EXPECT_EQ(cache.GetArenaCount(), 0u);
    for (int row = 0; row < 50; ++row) {
        int found = -1;
        EXPECT_EQ(LookupText(cache, row, 0, 260, &found), u"<untouched>");
        EXPECT_EQ(found, 0);
        EXPECT_EQ(cache.GetRowTextColor(row), kNoColor);
        EXPECT_EQ(cache.GetRowBkColor(row), kNoColor);
    }
    // And it fills again.
    cache.Add(1, 1, u"again");
    EXPECT_EQ(LookupText(cache, 1, 1), u"again");
}

TEST(ListCache, ArenaRolloverKeepsEveryCell) {
    CListCache cache;
    // 50 rows of 15 columns of long texts: far more than one 32 KB arena.
    const std::u16string longText = Repeat(u'z', 200);
    for (int row = 0; row < 50; ++row) {
        for (int column = 0; column < 15; ++column) {
            const std::u16string text = std::u16string(u"r") + char16_t(u'A' + row % 26) + char16_t(u'a' + column) +
                                        (column % 3 == 0 ? longText : u"");
            cache.Add(row, column, text.c_str());
        }
        cache.SetRowBkColor(row, static_cast<LIST_COLOR>(row));
    }
    EXPECT_GE(cache.GetArenaCount(), 4u);
    for (int row = 0; row < 50; ++row) {
        for (int column = 0; column < 15; ++column) {
            const std::u16string text = std::u16string(u"r") + char16_t(u'A' + row % 26) + char16_t(u'a' + column) +
                                        (column % 3 == 0 ? longText : u"");
            EXPECT_EQ(LookupText(cache, row, column), text) << row << "," << column;
        }
        EXPECT_EQ(cache.GetRowBkColor(row), static_cast<LIST_COLOR>(row));
    }
}

TEST(ListCache, OutOfMemoryDropsTheCellOnly) {
    LimitedCache cache(1);
    int added = 0;
    // Fill the one arena, then go on: the cells that do not fit are dropped.
    for (; added < 1000; ++added) cache.Add(added, 0, u"0123456789");
    EXPECT_EQ(cache.allocations, 1);
    EXPECT_EQ(cache.GetArenaCount(), 1u);
    EXPECT_EQ(LookupText(cache, 0, 0), u"0123456789");
    int found = -1;
    EXPECT_EQ(LookupText(cache, 999, 0, 260, &found), u"<untouched>");
    EXPECT_EQ(found, 0);
    EXPECT_EQ(cache.AddArena(), 0);
    cache.Clear();
}

TEST(ListCache, UnterminatedTextWithin260IsEmpty) {
    // 300 characters without a NUL in the first 260: stored as an empty cell,
    // and nothing past the 261st character is read.
    std::u16string text = Repeat(u'q', 300);
    CListCache cache;
    cache.Add(0, 0, text.c_str());
    std::u16string buffer(10, u'#');
    EXPECT_EQ(cache.Lookup(0, 0, buffer.data(), buffer.size()), 1);
    EXPECT_EQ(buffer[0], u'#');
}

} // namespace
