// The theme library binder through its loader seam: a library that does not
// load, one that lacks an entry, the system folder as the only place the
// system's loader looks, and the wrappers' neutral answers.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/SystemLibrary.h"
#include "toolkit/theme/win/ThemeLibrary.h"

namespace brx {
namespace {

// A library of our own: every entry a wrapper calls answers something no
// neutral answer equals; one entry can be left out.
int g_calls = 0;
HTHEME WINAPI FakeOpen(HWND, LPCWSTR) { ++g_calls; return reinterpret_cast<HTHEME>(0x1234); }
HRESULT WINAPI FakeClose(HTHEME) { ++g_calls; return S_OK; }
HRESULT WINAPI FakeDraw(HTHEME, HDC, int, int, const RECT*, const RECT*) { ++g_calls; return S_OK; }
HRESULT WINAPI FakeContent(HTHEME, HDC, int, int, const RECT* bounds, RECT* content) {
    ++g_calls;
    *content = *bounds;
    return S_OK;
}
BOOL WINAPI FakeTrue() { ++g_calls; return TRUE; }
HRESULT WINAPI FakeSetTheme(HWND, LPCWSTR, LPCWSTR) { ++g_calls; return S_OK; }

class CFakeLoader : public IThemeLibraryLoader {
public:
    bool loads = true;
    std::string missing;
    std::vector<std::string> asked;
    int freed = 0;
    HMODULE Load() override { return loads ? reinterpret_cast<HMODULE>(0x10000) : nullptr; }
    FARPROC GetProc(HMODULE, const char* name) override {
        asked.push_back(name);
        if (missing == name) return nullptr;
        const std::string n = name;
        void* fn = nullptr;
        if (n == "OpenThemeData") fn = reinterpret_cast<void*>(&FakeOpen);
        else if (n == "CloseThemeData") fn = reinterpret_cast<void*>(&FakeClose);
        else if (n == "DrawThemeBackground") fn = reinterpret_cast<void*>(&FakeDraw);
        else if (n == "GetThemeBackgroundContentRect") fn = reinterpret_cast<void*>(&FakeContent);
        else if (n == "IsThemeActive" || n == "IsAppThemed") fn = reinterpret_cast<void*>(&FakeTrue);
        else if (n == "SetWindowTheme") fn = reinterpret_cast<void*>(&FakeSetTheme);
        else fn = reinterpret_cast<void*>(&FakeTrue); // bound, never called
        return reinterpret_cast<FARPROC>(fn);
    }
    void Free(HMODULE) override { ++freed; }
};

// What each wrapper answers: true when it gave its neutral answer.
struct Answers {
    bool open, close, draw, content, active, appThemed;
};

Answers Ask(const CThemeLibrary& theme) {
    RECT bounds{1, 2, 30, 40}, content{};
    HTHEME fake = reinterpret_cast<HTHEME>(0x1234);
    Answers a{};
    a.open = theme.OpenThemeData(nullptr, L"Tab") == nullptr;
    a.close = theme.CloseThemeData(fake) == E_FAIL;
    a.draw = theme.DrawThemeBackground(fake, nullptr, 9, 0, &bounds, nullptr) == E_FAIL;
    a.content = theme.GetThemeBackgroundContentRect(fake, nullptr, 9, 0, &bounds, &content) == E_FAIL;
    a.active = theme.IsThemeActive() == FALSE;
    a.appThemed = theme.IsAppThemed() == FALSE;
    return a;
}

TEST(ThemeLibraryTest, EveryEntryIsAskedByNameInTableOrder) {
    CFakeLoader loader;
    CThemeLibrary theme(&loader);
    ASSERT_EQ(loader.asked.size(), 47u);
    for (int i = 0; i < CThemeLibrary::kEntryCount; ++i) {
        EXPECT_EQ(loader.asked[static_cast<size_t>(i)], CThemeLibrary::kEntryNames[i]) << i;
        EXPECT_TRUE(theme.HasEntry(static_cast<CThemeLibrary::Entry>(i))) << i;
    }
    EXPECT_STREQ(CThemeLibrary::kEntryNames[CThemeLibrary::kEnableTheming], "EnableTheming");
    EXPECT_STREQ(CThemeLibrary::kEntryNames[CThemeLibrary::kIsAppThemed], "IsAppThemed");
}

TEST(ThemeLibraryTest, WithoutTheLibraryEveryWrapperAnswersNeutrally) {
    CFakeLoader loader;
    loader.loads = false;
    {
        CThemeLibrary theme(&loader);
        EXPECT_EQ(theme.GetModule(), nullptr);
        EXPECT_TRUE(loader.asked.empty());
        g_calls = 0;
        const Answers a = Ask(theme);
        EXPECT_TRUE(a.open && a.close && a.draw && a.content && a.active && a.appThemed);
        EXPECT_EQ(theme.SetWindowTheme(nullptr, nullptr, nullptr), E_FAIL);
        EXPECT_FALSE(theme.IsThemed());
        EXPECT_EQ(g_calls, 0);
    }
    EXPECT_EQ(loader.freed, 0); // nothing loaded, nothing freed
}

TEST(ThemeLibraryTest, ALibraryLackingOneEntryMakesOnlyThatWrapperNeutral) {
    struct Case {
        const char* missing;
        Answers neutral;
        bool themed;
    };
    const Case cases[] = {
        {"", {false, false, false, false, false, false}, true},
        {"OpenThemeData", {true, false, false, false, false, false}, true},
        {"CloseThemeData", {false, true, false, false, false, false}, true},
        {"DrawThemeBackground", {false, false, true, false, false, false}, true},
        {"GetThemeBackgroundContentRect", {false, false, false, true, false, false}, true},
        {"IsThemeActive", {false, false, false, false, true, false}, false},
        {"IsAppThemed", {false, false, false, false, false, true}, false},
        {"DrawThemeText", {false, false, false, false, false, false}, true},
    };
    for (const Case& c : cases) {
        CFakeLoader loader;
        loader.missing = c.missing;
        {
            CThemeLibrary theme(&loader);
            const Answers a = Ask(theme);
            EXPECT_EQ(a.open, c.neutral.open) << c.missing;
            EXPECT_EQ(a.close, c.neutral.close) << c.missing;
            EXPECT_EQ(a.draw, c.neutral.draw) << c.missing;
            EXPECT_EQ(a.content, c.neutral.content) << c.missing;
            EXPECT_EQ(a.active, c.neutral.active) << c.missing;
            EXPECT_EQ(a.appThemed, c.neutral.appThemed) << c.missing;
            EXPECT_EQ(theme.IsThemed(), c.themed) << c.missing;
        }
        EXPECT_EQ(loader.freed, 1) << c.missing; // released once at the end
    }
}

std::vector<std::wstring> g_paths;
HMODULE RecordLoad(const wchar_t* path) {
    g_paths.push_back(path);
    return nullptr;
}

TEST(ThemeLibraryTest, TheSystemLoaderAsksForTheSystemFolderOnly) {
    g_paths.clear();
    LoadLibraryCall previous = SetLoadLibraryCall(&RecordLoad);
    {
        CThemeLibrary theme; // the system's loader, through the path seam
        EXPECT_EQ(theme.GetModule(), nullptr);
    }
    SetLoadLibraryCall(previous);
    wchar_t system[MAX_PATH] = {};
    ASSERT_GT(::GetSystemDirectoryW(system, MAX_PATH), 0u);
    ASSERT_EQ(g_paths.size(), 1u);
    EXPECT_EQ(_wcsicmp(g_paths[0].c_str(), (std::wstring(system) + L"\\UxTheme.dll").c_str()), 0) << g_paths[0].c_str();
}

TEST(ThemeLibraryTest, TheProgramsBinderHoldsTheRealLibrary) {
    // Under Wine UxTheme.dll exists in the system folder: the program's one
    // binder has it, with the entries the toolkit calls.
    CThemeLibrary& theme = ThemeLibrary();
    ASSERT_NE(theme.GetModule(), nullptr);
    EXPECT_EQ(&theme, &ThemeLibrary());
    for (auto entry : {CThemeLibrary::kOpenThemeData, CThemeLibrary::kCloseThemeData, CThemeLibrary::kIsAppThemed,
                       CThemeLibrary::kIsThemeActive, CThemeLibrary::kDrawThemeBackground,
                       CThemeLibrary::kGetThemeBackgroundContentRect})
        EXPECT_TRUE(theme.HasEntry(entry)) << CThemeLibrary::kEntryNames[entry];
}

} // namespace
} // namespace brx
