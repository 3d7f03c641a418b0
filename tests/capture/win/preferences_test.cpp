#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include <windows.h>
#include <shellapi.h>

#include "capture/win/Preferences.h"
#include "capture/win/SettingsStore.h"
#include "capture/win/SystemHelpers.h"
#include "tests/capture/win/TestRegistry.h"

using namespace brx;
using brx::testing::TestRegistry;

namespace {

constexpr uint32_t MB = 0x100000;

// The driver's side of the kernel memory limit.
class FakeDriver final : public IKernelMemoryLimit {
public:
    uint32_t current = 0; // 0: cannot answer
    bool accepts = true;
    std::vector<uint32_t> handed;
    uint32_t GetKernelMemoryLimit() override { return current; }
    int SetKernelMemoryLimit(uint32_t bytes) override {
        handed.push_back(bytes);
        if (accepts)
            current = bytes;
        return accepts ? 1 : 0;
    }
};

RECT WorkArea() {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

WINDOWPLACEMENT Placement(RECT normal, UINT showCmd) {
    WINDOWPLACEMENT p{};
    p.length = sizeof p;
    p.showCmd = showCmd;
    p.rcNormalPosition = normal;
    return p;
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::wstring TempDirectoryOf(const CPreferences& prefs) {
    wchar_t buffer[MAX_PATH];
    prefs.GetTempDirectory(buffer, MAX_PATH);
    return buffer;
}

// A scratch folder below the system temporary directory (drive C: of the
// prefix, a fixed drive), removed afterwards with everything in it.
class ScratchFolder {
public:
    ScratchFolder() {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        path_ = std::wstring(temp) + L"BrindlexPrefs-" + std::to_wstring(GetCurrentProcessId());
        Remove();
    }
    ~ScratchFolder() { Remove(); }
    const std::wstring& path() const { return path_; }

private:
    void Remove() {
        std::wstring from = path_ + L'\0';
        SHFILEOPSTRUCTW op{};
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_NO_UI;
        SHFileOperationW(&op);
    }
    std::wstring path_;
};

class Preferences : public ::testing::Test {
protected:
    TestRegistry registry;

    void PutDword(const wchar_t* section, const wchar_t* value, DWORD number) {
        ASSERT_TRUE(registry.Put(section, value, REG_DWORD, &number, sizeof number));
    }
    DWORD StoredDword(const wchar_t* section, const wchar_t* value) {
        DWORD type = 0;
        std::string raw;
        EXPECT_TRUE(registry.Get(section, value, type, raw)) << value;
        EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD)) << value;
        DWORD n = 0;
        if (raw.size() == 4)
            std::memcpy(&n, raw.data(), 4);
        return n;
    }
};

} // namespace

TEST_F(Preferences, LoadFromAnEmptyRegistryGivesTheDefaults) {
    CPreferences prefs;
    EXPECT_EQ(prefs.Load(), 1);

    wchar_t expectedDirectory[MAX_PATH];
    ASSERT_TRUE(GetDefaultTempDirectory(expectedDirectory, MAX_PATH));
    EXPECT_EQ(TempDirectoryOf(prefs), expectedDirectory);
    DWORD attributes = GetFileAttributesW(expectedDirectory);
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(prefs.GetTempFileSize(), 32 * MB);
    EXPECT_EQ(prefs.GetKeptKernelMemoryLimit(), 4 * MB);
    EXPECT_EQ(prefs.GetKernelMemoryLimit(), 4 * MB);
    EXPECT_EQ(prefs.GetSplashAtStartup(), 1);
    EXPECT_EQ(prefs.GetAutoScrollCaptureList(), 0);
    EXPECT_EQ(prefs.GetStartupScreenset(), 1u);
    EXPECT_EQ(prefs.GetMostRecentScreenset(), 1u);
    EXPECT_EQ(prefs.GetUseMostRecentScreenset(), 1);
    EXPECT_EQ(prefs.GetTimeFormat(), 1u);
    EXPECT_EQ(prefs.GetElapsedTimeFormat(), 2u);
    EXPECT_EQ(prefs.GetDurationFormat(), 1u);

    WINDOWPLACEMENT expected{};
    expected.length = 44;
    expected.showCmd = SW_SHOWNORMAL;
    expected.rcNormalPosition = WorkArea();
    WINDOWPLACEMENT placement;
    std::memset(&placement, 0xCC, sizeof placement);
    prefs.GetMainWindowPlacement(&placement);
    EXPECT_EQ(std::memcmp(&placement, &expected, sizeof expected), 0);
    EXPECT_EQ(prefs.GetMainWindowShowCmd(), 1u);
}

TEST_F(Preferences, SaveThenLoadGivesEveryValueBack) {
    ScratchFolder scratch;
    FakeDriver driver;
    RECT work = WorkArea();
    WINDOWPLACEMENT placement =
        Placement(RECT{work.left + 10, work.top + 20, work.left + 300, work.top + 200}, SW_SHOWMAXIMIZED);
    placement.flags = WPF_RESTORETOMAXIMIZED;
    placement.ptMaxPosition = POINT{-4, -4};
    placement.ptMinPosition = POINT{-1, -1};
    std::wstring directory = scratch.path() + L"\\deep\\er";
    {
        CPreferences prefs;
        ASSERT_EQ(prefs.SetKernelMemoryDriver(&driver), 1);
        prefs.SetMainWindowPlacement(&placement);
        ASSERT_EQ(prefs.SetTempDirectory(directory.c_str()), 1);
        ASSERT_EQ(prefs.SetTempFileSize(512 * MB), 1);
        ASSERT_EQ(prefs.SetKernelMemoryLimit(16 * MB), 1);
        prefs.SetSplashAtStartup(0);
        prefs.SetAutoScrollCaptureList(1);
        prefs.SetStartupScreenset(3);
        prefs.SetMostRecentScreenset(4);
        prefs.SetUseMostRecentScreenset(1);
        prefs.SetTimeFormat(0);
        prefs.SetElapsedTimeFormat(1);
        prefs.SetDurationFormat(0);
        EXPECT_EQ(prefs.Save(), 1);
        prefs.SetKernelMemoryDriver(nullptr);
    }
    CPreferences loaded;
    EXPECT_EQ(loaded.Load(), 1);
    WINDOWPLACEMENT back{};
    loaded.GetMainWindowPlacement(&back);
    EXPECT_EQ(std::memcmp(&back, &placement, sizeof placement), 0);
    EXPECT_EQ(TempDirectoryOf(loaded), directory);
    EXPECT_EQ(loaded.GetTempFileSize(), 512 * MB);
    EXPECT_EQ(loaded.GetKernelMemoryLimit(), 16 * MB);
    EXPECT_EQ(loaded.GetSplashAtStartup(), 0);
    EXPECT_EQ(loaded.GetAutoScrollCaptureList(), 1);
    EXPECT_EQ(loaded.GetStartupScreenset(), 3u);
    EXPECT_EQ(loaded.GetMostRecentScreenset(), 4u);
    EXPECT_EQ(loaded.GetUseMostRecentScreenset(), 1);
    EXPECT_EQ(loaded.GetTimeFormat(), 0u);
    EXPECT_EQ(loaded.GetElapsedTimeFormat(), 1u);
    EXPECT_EQ(loaded.GetDurationFormat(), 0u);

    // And a second save writes the same values again.
    DWORD sizeBefore = StoredDword(L"Preferences", L"TempFileSize");
    EXPECT_EQ(loaded.Save(), 1);
    EXPECT_EQ(StoredDword(L"Preferences", L"TempFileSize"), sizeBefore);
    EXPECT_EQ(StoredDword(L"Preferences", L"KernelMemoryLimit"), 16 * MB);
    EXPECT_EQ(StoredDword(L"Preferences", L"MostRecentScreenset"), 4u);
}

TEST_F(Preferences, StoredValuesOutsideTheirRangesLeaveTheDefaults) {
    struct Case {
        const wchar_t* value;
        DWORD stored;
        uint32_t (*read)(const CPreferences&);
        uint32_t expected;
    } cases[] = {
        {L"TempFileSize", 32 * MB - 1, [](const CPreferences& p) { return p.GetTempFileSize(); }, 24 * MB},
        {L"TempFileSize", 8 * MB - 1, [](const CPreferences& p) { return p.GetTempFileSize(); }, 32 * MB},
        {L"TempFileSize", 1024 * MB + 8 * MB, [](const CPreferences& p) { return p.GetTempFileSize(); }, 32 * MB},
        {L"StartupScreenset", 0, [](const CPreferences& p) { return p.GetStartupScreenset(); }, 1},
        {L"StartupScreenset", 5, [](const CPreferences& p) { return p.GetStartupScreenset(); }, 1},
        {L"StartupScreenset", 4, [](const CPreferences& p) { return p.GetStartupScreenset(); }, 4},
        {L"TimeFormat", 2, [](const CPreferences& p) { return p.GetTimeFormat(); }, 1},
        {L"TimeFormat", 0, [](const CPreferences& p) { return p.GetTimeFormat(); }, 0},
        {L"ElapsedTimeFormat", 7, [](const CPreferences& p) { return p.GetElapsedTimeFormat(); }, 2},
        {L"ElapsedTimeFormat", 0, [](const CPreferences& p) { return p.GetElapsedTimeFormat(); }, 0},
        {L"DurationFormat", 0xFFFFFFFF, [](const CPreferences& p) { return p.GetDurationFormat(); }, 1},
        {L"DurationFormat", 0, [](const CPreferences& p) { return p.GetDurationFormat(); }, 0},
    };
    for (const Case& c : cases) {
        PutDword(L"Preferences", c.value, c.stored);
        CPreferences prefs;
        prefs.Load();
        EXPECT_EQ(c.read(prefs), c.expected) << c.value << " " << c.stored;
        DeleteAppRegValue(L"Preferences", c.value);
    }
}

TEST_F(Preferences, ValuesOfTheWrongTypeReadAsMissing) {
    ASSERT_TRUE(registry.Put(L"Preferences", L"TempFileSize", REG_SZ, L"64", 6));
    const uint8_t two[2] = {0, 0};
    ASSERT_TRUE(registry.Put(L"Preferences", L"ElapsedTimeFormat", REG_BINARY, two, 2));
    const DWORD number = 5;
    ASSERT_TRUE(registry.Put(L"Preferences", L"TempDirectory", REG_DWORD, &number, 4));
    CPreferences prefs;
    std::wstring defaultDirectory = TempDirectoryOf(prefs);
    prefs.Load();
    EXPECT_EQ(prefs.GetTempFileSize(), 32 * MB);
    EXPECT_EQ(prefs.GetElapsedTimeFormat(), 2u);
    EXPECT_EQ(TempDirectoryOf(prefs), defaultDirectory);
}

TEST_F(Preferences, OversizedOrEmptyTempDirectoryKeepsTheDefault) {
    std::wstring longPath = L"C:\\" + std::wstring(300, L'd');
    ASSERT_EQ(WriteAppRegString(L"Preferences", L"TempDirectory", longPath.c_str()), 1);
    CPreferences prefs;
    std::wstring defaultDirectory = TempDirectoryOf(prefs);
    prefs.Load();
    EXPECT_EQ(TempDirectoryOf(prefs), defaultDirectory);
    ASSERT_EQ(WriteAppRegString(L"Preferences", L"TempDirectory", L""), 1);
    prefs.Load();
    EXPECT_EQ(TempDirectoryOf(prefs), defaultDirectory);
}

TEST_F(Preferences, MostRecentScreensetZeroStartsWithTheStartupSetAndSavesZero) {
    PutDword(L"Preferences", L"MostRecentScreenset", 0);
    PutDword(L"Preferences", L"StartupScreenset", 2);
    CPreferences prefs;
    prefs.Load();
    EXPECT_EQ(prefs.GetUseMostRecentScreenset(), 0);
    EXPECT_EQ(prefs.GetMostRecentScreenset(), 1u);
    EXPECT_EQ(prefs.GetStartupScreenset(), 2u);
    prefs.SetMostRecentScreenset(3); // remembered but not used
    prefs.Save();
    EXPECT_EQ(StoredDword(L"Preferences", L"MostRecentScreenset"), 0u);

    PutDword(L"Preferences", L"MostRecentScreenset", 9);
    CPreferences other;
    other.Load();
    EXPECT_EQ(other.GetUseMostRecentScreenset(), 1);
    EXPECT_EQ(other.GetMostRecentScreenset(), 1u);
}

TEST_F(Preferences, PlacementIsMovedBackOntoTheWorkAreaAndOpensNormal) {
    RECT work = WorkArea();
    ASSERT_GT(work.right - work.left, 400);
    CPreferences prefs;
    // 100 pixels off the right edge.
    WINDOWPLACEMENT off = Placement(RECT{work.right - 300, work.top + 10, work.right + 100, work.top + 200},
                                    SW_SHOWMINIMIZED);
    ASSERT_EQ(WriteAppRegBinary(L"General", L"MainWindowPlacement", &off, sizeof off), 1);
    prefs.Load();
    WINDOWPLACEMENT p{};
    prefs.GetMainWindowPlacement(&p);
    EXPECT_TRUE(SameRect(p.rcNormalPosition,
                         RECT{work.right - 400, work.top + 10, work.right, work.top + 200}));
    EXPECT_EQ(prefs.GetMainWindowShowCmd(), static_cast<uint32_t>(SW_SHOWNORMAL));

    // Wider than the work area: narrowed to it.
    WINDOWPLACEMENT wide = Placement(RECT{work.left - 50, work.top, work.right + 50, work.top + 100}, SW_SHOWNORMAL);
    prefs.SetMainWindowPlacement(&wide);
    prefs.GetMainWindowPlacement(&p);
    EXPECT_TRUE(SameRect(p.rcNormalPosition, RECT{work.left, work.top, work.right, work.top + 100}));

    // A show command above 11 reads as normal.
    WINDOWPLACEMENT odd = Placement(RECT{work.left, work.top, work.left + 10, work.top + 10}, 12);
    prefs.SetMainWindowPlacement(&odd);
    EXPECT_EQ(prefs.GetMainWindowShowCmd(), 1u);
}

TEST_F(Preferences, PlacementOfAnotherSizeOrLengthIsIgnored) {
    RECT work = WorkArea();
    WINDOWPLACEMENT good = Placement(RECT{work.left + 1, work.top + 2, work.left + 30, work.top + 40}, SW_SHOWMAXIMIZED);
    uint8_t bytes[48] = {};
    std::memcpy(bytes, &good, sizeof good);
    WINDOWPLACEMENT badLength = good;
    badLength.length = 40;
    // A hidden window would start the program with nothing to see.
    WINDOWPLACEMENT hidden = good;
    hidden.showCmd = SW_HIDE;
    struct Case {
        const char* what;
        const void* data;
        uint32_t size;
    } cases[] = {{"40 bytes", bytes, 40},
                 {"48 bytes", bytes, 48},
                 {"length field 40", &badLength, 44},
                 {"shown hidden", &hidden, 44}};
    for (const Case& c : cases) {
        ASSERT_EQ(WriteAppRegBinary(L"General", L"MainWindowPlacement", c.data, c.size), 1);
        CPreferences prefs;
        prefs.Load();
        WINDOWPLACEMENT p{};
        prefs.GetMainWindowPlacement(&p);
        EXPECT_TRUE(SameRect(p.rcNormalPosition, work)) << c.what;
        EXPECT_EQ(p.showCmd, static_cast<UINT>(SW_SHOWNORMAL)) << c.what;
    }
    CPreferences prefs;
    prefs.SetMainWindowPlacement(&badLength);
    prefs.SetMainWindowPlacement(nullptr);
    prefs.SetMainWindowPlacement(&hidden);
    WINDOWPLACEMENT p{};
    prefs.GetMainWindowPlacement(&p);
    EXPECT_TRUE(SameRect(p.rcNormalPosition, work));
    EXPECT_EQ(prefs.GetMainWindowShowCmd(), static_cast<uint32_t>(SW_SHOWNORMAL));
}

TEST_F(Preferences, KernelMemoryLimitIsKeptWithoutADriverAndHandedOverOnConnection) {
    PutDword(L"Preferences", L"KernelMemoryLimit", 8 * MB);
    CPreferences prefs;
    prefs.Load();
    // No driver yet: the stored limit is kept, not lost.
    EXPECT_EQ(prefs.GetKernelMemoryLimit(), 8 * MB);
    EXPECT_EQ(prefs.SetKernelMemoryLimit(2 * MB), 0); // nobody accepted it
    EXPECT_EQ(prefs.GetKernelMemoryLimit(), 8 * MB);

    FakeDriver driver;
    driver.current = 4 * MB;
    EXPECT_EQ(prefs.SetKernelMemoryDriver(&driver), 1);
    EXPECT_EQ(driver.handed, (std::vector<uint32_t>{8 * MB}));
    EXPECT_EQ(prefs.GetKernelMemoryLimit(), 8 * MB);

    // The driver's own answer wins while it is connected.
    driver.current = 6 * MB;
    prefs.Save();
    EXPECT_EQ(StoredDword(L"Preferences", L"KernelMemoryLimit"), 6 * MB);

    // A refused limit is not kept.
    driver.accepts = false;
    EXPECT_EQ(prefs.SetKernelMemoryLimit(64 * MB), 0);
    EXPECT_EQ(prefs.GetKernelMemoryLimit(), 6 * MB);

    // A driver that cannot answer: the kept value is written.
    driver.current = 0;
    prefs.Save();
    EXPECT_EQ(StoredDword(L"Preferences", L"KernelMemoryLimit"), 6 * MB);

    // Disconnecting keeps the driver's last limit.
    driver.current = 10 * MB;
    EXPECT_EQ(prefs.SetKernelMemoryDriver(nullptr), 0);
    driver.current = 12 * MB;
    EXPECT_EQ(prefs.GetKernelMemoryLimit(), 10 * MB);
    prefs.Save();
    EXPECT_EQ(StoredDword(L"Preferences", L"KernelMemoryLimit"), 10 * MB);
}

TEST_F(Preferences, LoadWithAConnectedDriverHandsTheStoredLimitOver) {
    PutDword(L"Preferences", L"KernelMemoryLimit", 8 * MB);
    FakeDriver driver;
    driver.accepts = false;
    CPreferences prefs;
    prefs.SetKernelMemoryDriver(&driver);
    driver.handed.clear();
    prefs.Load();
    EXPECT_EQ(driver.handed, (std::vector<uint32_t>{8 * MB}));
    EXPECT_EQ(prefs.GetKeptKernelMemoryLimit(), 4 * MB); // refused: not kept
    prefs.SetKernelMemoryDriver(nullptr);
}

TEST_F(Preferences, TempDirectoryIsTakenOnlyOnAFixedDriveAndCreated) {
    ScratchFolder scratch;
    CPreferences prefs;
    std::wstring before = TempDirectoryOf(prefs);
    std::wstring nested = scratch.path() + L"\\one\\two";
    EXPECT_EQ(prefs.SetTempDirectory(nested.c_str()), 1);
    EXPECT_EQ(TempDirectoryOf(prefs), nested);
    DWORD attributes = GetFileAttributesW(nested.c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));

    std::wstring tooLong = scratch.path() + L"\\" + std::wstring(300, L'x');
    const wchar_t* refused[] = {nullptr, L"", L"Q:\\NoSuchDrive\\Temp", tooLong.c_str()};
    for (const wchar_t* path : refused) {
        EXPECT_EQ(prefs.SetTempDirectory(path), 0);
        EXPECT_EQ(TempDirectoryOf(prefs), nested);
    }

    // A file of that name is not a directory.
    std::wstring file = scratch.path() + L"\\file";
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_EQ(prefs.SetTempDirectory(file.c_str()), 0);

    EXPECT_EQ(prefs.SetDefaultTempDirectory(), 1);
    EXPECT_EQ(TempDirectoryOf(prefs), before);

    // The getter copies at most what the buffer holds, terminated.
    wchar_t small[5];
    EXPECT_EQ(prefs.GetTempDirectory(small, 5), 4u);
    EXPECT_EQ(std::wstring(small), before.substr(0, 4));
}

TEST_F(Preferences, TempFileSizeSetterKeepsItsRange) {
    CPreferences prefs;
    EXPECT_EQ(prefs.SetTempFileSize(100 * MB), 1);
    EXPECT_EQ(prefs.GetTempFileSize(), 96 * MB);
    EXPECT_EQ(prefs.SetTempFileSize(4 * MB), 0);
    EXPECT_EQ(prefs.SetTempFileSize(2048 * MB), 0);
    EXPECT_EQ(prefs.GetTempFileSize(), 96 * MB);
}
