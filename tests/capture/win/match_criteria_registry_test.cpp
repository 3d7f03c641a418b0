// The criteria in the registry: the current criteria and the named presets of
// a section, values of the wrong type or size, and the record filter's
// forwarders and window target.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "capture/Filter.h"
#include "capture/MatchCriteria.h"
#include "capture/win/WindowMessageTarget.h"
#include "tests/capture/win/TestRegistry.h"

using namespace brx;
using brx::testing::TestRegistry;

namespace {

using Image = std::vector<uint8_t>;

Image MakeImage(uint8_t flagsMask, std::initializer_list<int> positions) {
    Image image(CRITERIA_IMAGE_SIZE, 0);
    const uint32_t flagBytes[] = {CRITERIA_ISSUE, CRITERIA_SUCCESS, CRITERIA_FAILURE, CRITERIA_INPUT, CRITERIA_OUTPUT};
    for (uint32_t i = 0; i < 5; ++i)
        if (flagsMask & (1u << i)) image[flagBytes[i]] = 1;
    for (int p : positions) image.at(CRITERIA_KINDS + p) = 1;
    return image;
}
Image ImageOf(const CMatchCriteria& c) {
    Image image(CRITERIA_IMAGE_SIZE);
    c.GetImage(image.data(), image.size());
    return image;
}
template <class T>
T With(const Image& image) {
    T c;
    EXPECT_EQ(c.SetImage(image.data(), image.size()), 1);
    return c;
}

std::vector<std::wstring> Presets(const CMatchCriteria& c, int stopAfter = 1000) {
    struct Seen {
        std::vector<std::wstring> names;
        int stopAfter;
    } seen{{}, stopAfter};
    c.EnumPresets(
        [](const wchar_t* name, void* user) -> int {
            auto* s = static_cast<Seen*>(user);
            s->names.push_back(name);
            return static_cast<int>(s->names.size()) < s->stopAfter;
        },
        &seen);
    std::sort(seen.names.begin(), seen.names.end());
    return seen.names;
}

class CriteriaRegistry : public ::testing::Test {
protected:
    TestRegistry registry;
    const Image bulkIn = MakeImage(0x01 | 0x08, {64 + 9});
    const Image failures = MakeImage(0x04 | 0x10, {0, 161, 213});
};

} // namespace

TEST_F(CriteriaRegistry, CurrentCriteriaRoundTripPerSection) {
    CFilterSettings filter = With<CFilterSettings>(bulkIn);
    CFindSettings find = With<CFindSettings>(failures);
    ASSERT_EQ(filter.SaveCurrent(), 1);
    ASSERT_EQ(find.SaveCurrent(), 1);

    DWORD type = 0;
    std::string raw;
    ASSERT_TRUE(registry.Get(L"FilterSettings", L"0", type, raw));
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    const CriteriaBlob blob = filter.ToBlob();
    EXPECT_EQ(raw, std::string(blob.begin(), blob.end()));

    CFilterSettings filterBack;
    CFindSettings findBack;
    ASSERT_EQ(filterBack.LoadCurrent(), 1);
    ASSERT_EQ(findBack.LoadCurrent(), 1);
    EXPECT_EQ(ImageOf(filterBack), bulkIn);
    EXPECT_EQ(ImageOf(findBack), failures);
    EXPECT_EQ(filterBack.CanMatch(), 1u);
}

TEST_F(CriteriaRegistry, UnusableValuesLeaveTheCriteriaAsTheyWere) {
    CFindSettings find = With<CFindSettings>(failures);
    EXPECT_EQ(find.LoadCurrent(), 0) << "no value yet";

    const CriteriaBlob good = With<CFindSettings>(bulkIn).ToBlob();
    std::string badOffset(good.begin(), good.end());
    badOffset[4] = 96;
    const DWORD number = 1;
    struct Case {
        const char* name;
        DWORD type;
        std::string bytes;
    };
    const Case cases[] = {
        {"a DWORD", REG_DWORD, std::string(reinterpret_cast<const char*>(&number), 4)},
        {"a text", REG_SZ, std::string("a\0b\0\0\0", 6)},
        {"blob as text type", REG_SZ, std::string(good.begin(), good.end())},
        {"12 bytes", REG_BINARY, std::string(good.begin(), good.begin() + 12)},
        {"empty", REG_BINARY, std::string()},
        {"bitmap offset 96", REG_BINARY, badOffset},
        {"cut short", REG_BINARY, std::string(good.begin(), good.begin() + 40)},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(registry.Put(L"FindSettings", L"0", c.type, c.bytes.data(), static_cast<DWORD>(c.bytes.size())));
        EXPECT_EQ(find.LoadCurrent(), 0) << c.name;
        EXPECT_EQ(ImageOf(find), failures) << c.name;
    }
    EXPECT_EQ(find.WriteToKey(nullptr, L"0"), 0);
    EXPECT_EQ(find.ReadFromKey(nullptr, L"0"), 0);
}

TEST_F(CriteriaRegistry, PresetsSaveLoadEnumerateDelete) {
    CFilterSettings filter = With<CFilterSettings>(bulkIn);
    EXPECT_TRUE(Presets(filter).empty()) << "no preset key yet";
    ASSERT_EQ(filter.SavePreset(L"Bulk in"), 1);
    CFilterSettings other = With<CFilterSettings>(failures);
    ASSERT_EQ(other.SavePreset(L"Failures"), 1);
    EXPECT_EQ(Presets(filter), (std::vector<std::wstring>{L"Bulk in", L"Failures"}));
    EXPECT_EQ(Presets(filter, 1).size(), 1u) << "a callback returning 0 stops";
    EXPECT_TRUE(Presets(CFindSettings()).empty()) << "presets belong to their section";

    CFilterSettings loaded;
    ASSERT_EQ(loaded.LoadPreset(L"Failures"), 1);
    EXPECT_EQ(ImageOf(loaded), failures);
    ASSERT_EQ(loaded.LoadPreset(L"Bulk in"), 1);
    EXPECT_EQ(ImageOf(loaded), bulkIn);
    EXPECT_EQ(loaded.LoadPreset(L"Missing"), 0);
    EXPECT_EQ(ImageOf(loaded), bulkIn);

    EXPECT_EQ(filter.DeletePreset(L"Bulk in"), 1);
    EXPECT_EQ(filter.DeletePreset(L"Bulk in"), 0);
    EXPECT_EQ(filter.DeletePreset(L""), 0);
    EXPECT_EQ(filter.DeletePreset(nullptr), 0);
    EXPECT_EQ(Presets(filter), (std::vector<std::wstring>{L"Failures"}));
    EXPECT_EQ(CFindSettings().DeletePreset(L"Failures"), 0);
}

TEST_F(CriteriaRegistry, PresetNamesAndValuesTheEnumerationSkips) {
    CFilterSettings filter = With<CFilterSettings>(bulkIn);
    const std::wstring name60(60, L'x');
    const std::wstring name61(61, L'y');
    EXPECT_EQ(filter.SavePreset(name61.c_str()), 0) << "a name that could never be listed";
    EXPECT_EQ(filter.SavePreset(L""), 0);
    EXPECT_EQ(filter.SavePreset(nullptr), 0);
    ASSERT_EQ(filter.SavePreset(name60.c_str()), 1);

    const CriteriaBlob blob = filter.ToBlob();
    const wchar_t* presetKey = L"FilterSettings\\0";
    ASSERT_TRUE(registry.Put(presetKey, name61.c_str(), REG_BINARY, blob.data(), 96));
    ASSERT_TRUE(registry.Put(presetKey, L"", REG_BINARY, blob.data(), 96));
    ASSERT_TRUE(registry.Put(presetKey, L"Short", REG_BINARY, blob.data(), 12));
    const DWORD number = 5;
    ASSERT_TRUE(registry.Put(presetKey, L"Number", REG_DWORD, &number, 4));
    ASSERT_TRUE(registry.Put(presetKey, L"Thirteen", REG_BINARY, blob.data(), 13));
    EXPECT_EQ(Presets(filter), (std::vector<std::wstring>{L"Thirteen", name60}));

    CFilterSettings loaded;
    EXPECT_EQ(loaded.LoadPreset(name60.c_str()), 1);
    EXPECT_EQ(ImageOf(loaded), bulkIn);
    // 13 bytes pass the enumeration but are no loadable blob.
    CFilterSettings other = With<CFilterSettings>(failures);
    EXPECT_EQ(other.LoadPreset(L"Thirteen"), 0);
    EXPECT_EQ(ImageOf(other), failures);
}

TEST_F(CriteriaRegistry, FilterCriteriaAndPresetsThroughTheFilter) {
    CFilter filter;
    ASSERT_EQ(filter.SetCriteria(failures.data(), failures.size()), 1);
    ASSERT_EQ(filter.SaveCriteria(), 1);
    CFilterSettings stored;
    ASSERT_EQ(stored.LoadCurrent(), 1);
    EXPECT_EQ(ImageOf(stored), failures);

    CFilter other;
    ASSERT_EQ(other.LoadCriteria(), 1);
    Image image(CRITERIA_IMAGE_SIZE);
    ASSERT_EQ(other.GetCriteriaImage(image.data(), image.size()), 1);
    EXPECT_EQ(image, failures);

    ASSERT_EQ(With<CFilterSettings>(bulkIn).SavePreset(L"One"), 1);
    std::vector<std::wstring> names;
    filter.EnumPresets(
        [](const wchar_t* name, void* user) -> int {
            static_cast<std::vector<std::wstring>*>(user)->push_back(name);
            return 1;
        },
        &names);
    EXPECT_EQ(names, std::vector<std::wstring>{L"One"});
    EXPECT_EQ(filter.DeletePreset(L"One"), 1);
    EXPECT_TRUE(Presets(CFilterSettings()).empty());
}

TEST(WindowMessageTarget, FilterPostsChangeCodesToTheWindow) {
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    CWindowMessageTarget target;
    EXPECT_FALSE(target.Post(WM_LOGCHANGED, 4, 0)) << "no window yet";
    target.SetWindow(window);
    CFilter filter;
    filter.SetNotifyTarget(&target);
    filter.OnLogNotify(4);
    filter.OnLogNotify(6);
    filter.OnLogNotify(9);
    std::vector<WPARAM> codes;
    MSG msg;
    while (PeekMessageW(&msg, window, WM_LOGCHANGED, WM_LOGCHANGED, PM_REMOVE)) {
        EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 167));
        EXPECT_EQ(msg.lParam, 0);
        codes.push_back(msg.wParam);
    }
    EXPECT_EQ(codes, (std::vector<WPARAM>{4, 6}));
    DestroyWindow(window);
}
