#include "capture/win/Preferences.h"

#include <cstring>
#include <cwchar>

#include "capture/PreferenceRules.h"
#include "capture/win/SettingsStore.h"
#include "capture/win/SystemHelpers.h"

namespace brx {

namespace {

constexpr wchar_t SECTION_PREFERENCES[] = L"Preferences";
constexpr wchar_t SECTION_GENERAL[] = L"General";
constexpr wchar_t VALUE_PLACEMENT[] = L"MainWindowPlacement";
constexpr wchar_t VALUE_TEMP_DIRECTORY[] = L"TempDirectory";
constexpr wchar_t VALUE_TEMP_FILE_SIZE[] = L"TempFileSize";
constexpr wchar_t VALUE_KERNEL_MEMORY_LIMIT[] = L"KernelMemoryLimit";
constexpr wchar_t VALUE_SPLASH[] = L"SplashAtStartup";
constexpr wchar_t VALUE_AUTO_SCROLL[] = L"AutoScrollCaptureList";
constexpr wchar_t VALUE_STARTUP_SCREENSET[] = L"StartupScreenset";
constexpr wchar_t VALUE_MOST_RECENT_SCREENSET[] = L"MostRecentScreenset";
constexpr wchar_t VALUE_TIME_FORMAT[] = L"TimeFormat";
constexpr wchar_t VALUE_ELAPSED_TIME_FORMAT[] = L"ElapsedTimeFormat";
constexpr wchar_t VALUE_DURATION_FORMAT[] = L"DurationFormat";

PlacementRect ToPlacementRect(const RECT& r) {
    return PlacementRect{static_cast<int32_t>(r.left), static_cast<int32_t>(r.top),
                         static_cast<int32_t>(r.right), static_cast<int32_t>(r.bottom)};
}

RECT ToRect(const PlacementRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

RECT WorkArea() {
    RECT work{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0))
        SetRectEmpty(&work);
    return work;
}

// The work area of the monitor nearest to a rectangle (the primary one's when
// the system cannot say).
RECT WorkAreaNearest(const RECT& r) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    HMONITOR monitor = MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST);
    if (monitor && GetMonitorInfoW(monitor, &info))
        return info.rcWork;
    return WorkArea();
}

} // namespace

CPreferences::CPreferences()
    : tempFileSize_(PREF_DEFAULT_TEMP_FILE_SIZE),
      kernelMemoryLimit_(PREF_DEFAULT_KERNEL_MEMORY_LIMIT),
      splashAtStartup_(PREF_DEFAULT_SPLASH_AT_STARTUP),
      autoScroll_(PREF_DEFAULT_AUTO_SCROLL),
      startupScreenset_(PREF_DEFAULT_STARTUP_SCREENSET),
      mostRecentScreenset_(PREF_DEFAULT_MOST_RECENT_SCREENSET),
      useMostRecentScreenset_(PREF_DEFAULT_USE_MOST_RECENT_SCREENSET),
      timeFormat_(PREF_DEFAULT_TIME_FORMAT),
      elapsedTimeFormat_(PREF_DEFAULT_ELAPSED_TIME_FORMAT),
      durationFormat_(PREF_DEFAULT_DURATION_FORMAT) {
    placement_.length = PREF_PLACEMENT_LENGTH;
    placement_.showCmd = PREF_SHOW_NORMAL;
    placement_.rcNormalPosition = WorkArea();
    SetDefaultTempDirectory();
}

int CPreferences::Load() {
    LoadWindowPlacement();
    LoadPreferences();
    return 1;
}

int CPreferences::Save() {
    SaveWindowPlacement();
    SavePreferences();
    return 1;
}

void CPreferences::LoadWindowPlacement() {
    WINDOWPLACEMENT stored{};
    uint32_t size = 0;
    if (ReadAppRegBinary(SECTION_GENERAL, VALUE_PLACEMENT, &stored, sizeof stored, &size) &&
        size == sizeof stored)
        SetMainWindowPlacement(&stored);
}

void CPreferences::LoadPreferences() {
    wchar_t directory[MAX_PATH] = {};
    if (ReadAppRegString(SECTION_PREFERENCES, VALUE_TEMP_DIRECTORY, directory, MAX_PATH) > 0)
        std::memcpy(tempDirectory_, directory, sizeof tempDirectory_);

    SetTempFileSize(ReadAppRegDword(SECTION_PREFERENCES, VALUE_TEMP_FILE_SIZE, tempFileSize_));

    uint32_t limit =
        ReadAppRegDword(SECTION_PREFERENCES, VALUE_KERNEL_MEMORY_LIMIT, kernelMemoryLimit_);
    if (driver_)
        SetKernelMemoryLimit(limit);
    else if (limit != 0) // kept until a driver connects
        kernelMemoryLimit_ = limit;

    SetSplashAtStartup(
        static_cast<int>(ReadAppRegDword(SECTION_PREFERENCES, VALUE_SPLASH, splashAtStartup_)));
    SetAutoScrollCaptureList(
        static_cast<int>(ReadAppRegDword(SECTION_GENERAL, VALUE_AUTO_SCROLL, autoScroll_)));
    SetStartupScreenset(
        ReadAppRegDword(SECTION_PREFERENCES, VALUE_STARTUP_SCREENSET, startupScreenset_));

    bool useMostRecent = useMostRecentScreenset_ != 0;
    uint32_t mostRecent = mostRecentScreenset_;
    DecodeMostRecentScreenset(
        ReadAppRegDword(SECTION_PREFERENCES, VALUE_MOST_RECENT_SCREENSET,
                        EncodeMostRecentScreenset(useMostRecent, mostRecent)),
        useMostRecent, mostRecent);
    SetUseMostRecentScreenset(useMostRecent);
    SetMostRecentScreenset(mostRecent);

    SetTimeFormat(ReadAppRegDword(SECTION_PREFERENCES, VALUE_TIME_FORMAT, timeFormat_));
    SetElapsedTimeFormat(
        ReadAppRegDword(SECTION_PREFERENCES, VALUE_ELAPSED_TIME_FORMAT, elapsedTimeFormat_));
    SetDurationFormat(ReadAppRegDword(SECTION_PREFERENCES, VALUE_DURATION_FORMAT, durationFormat_));
}

void CPreferences::SaveWindowPlacement() {
    if (placement_.length == PREF_PLACEMENT_LENGTH)
        WriteAppRegBinary(SECTION_GENERAL, VALUE_PLACEMENT, &placement_, sizeof placement_);
}

void CPreferences::SavePreferences() {
    WriteAppRegString(SECTION_PREFERENCES, VALUE_TEMP_DIRECTORY, tempDirectory_);
    WriteAppRegDword(SECTION_PREFERENCES, VALUE_TEMP_FILE_SIZE, tempFileSize_);
    WriteAppRegDword(SECTION_PREFERENCES, VALUE_KERNEL_MEMORY_LIMIT, GetKernelMemoryLimit());
    WriteAppRegDword(SECTION_PREFERENCES, VALUE_SPLASH, static_cast<uint32_t>(splashAtStartup_));
    WriteAppRegDword(SECTION_GENERAL, VALUE_AUTO_SCROLL, static_cast<uint32_t>(autoScroll_));
    WriteAppRegDword(SECTION_PREFERENCES, VALUE_STARTUP_SCREENSET, startupScreenset_);
    WriteAppRegDword(SECTION_PREFERENCES, VALUE_MOST_RECENT_SCREENSET,
                     EncodeMostRecentScreenset(useMostRecentScreenset_ != 0, mostRecentScreenset_));
    WriteAppRegDword(SECTION_PREFERENCES, VALUE_TIME_FORMAT, timeFormat_);
    WriteAppRegDword(SECTION_PREFERENCES, VALUE_ELAPSED_TIME_FORMAT, elapsedTimeFormat_);
    WriteAppRegDword(SECTION_PREFERENCES, VALUE_DURATION_FORMAT, durationFormat_);
}

uint32_t CPreferences::GetMainWindowShowCmd() const { return ReadableShowCmd(placement_.showCmd); }

void CPreferences::GetMainWindowPlacement(WINDOWPLACEMENT* placement) const {
    if (placement)
        *placement = placement_;
}

void CPreferences::SetMainWindowPlacement(const WINDOWPLACEMENT* placement) {
    // A hidden window would start the program with nothing to see: such a
    // placement counts as missing.
    if (!placement || placement->length != PREF_PLACEMENT_LENGTH || placement->showCmd == PREF_SHOW_HIDE)
        return;
    placement_ = *placement;
    PlacementRect normal = NormalizeRect(ToPlacementRect(placement_.rcNormalPosition));
    placement_.rcNormalPosition =
        ToRect(FitRectToWorkArea(normal, ToPlacementRect(WorkAreaNearest(ToRect(normal)))));
    if (placement_.showCmd == PREF_SHOW_MINIMIZED)
        placement_.showCmd = PREF_SHOW_NORMAL;
}

uint32_t CPreferences::GetTempDirectory(wchar_t* buffer, uint32_t capacity) const {
    if (!buffer || capacity == 0)
        return 0;
    size_t n = wcsnlen(tempDirectory_, MAX_PATH - 1);
    if (n >= capacity)
        n = capacity - 1;
    std::memcpy(buffer, tempDirectory_, n * sizeof(wchar_t));
    buffer[n] = 0;
    return static_cast<uint32_t>(n);
}

int CPreferences::SetTempDirectory(const wchar_t* path) {
    if (!path || !path[0] || wcsnlen(path, MAX_PATH) >= MAX_PATH)
        return 0;
    wchar_t full[MAX_PATH] = {};
    DWORD n = GetFullPathNameW(path, MAX_PATH, full, nullptr);
    if (n == 0 || n >= MAX_PATH)
        return 0;
    if (!IsOnFixedDrive(full) || !CreateDirectoryPath(full))
        return 0;
    std::memcpy(tempDirectory_, full, sizeof full);
    return 1;
}

int CPreferences::SetDefaultTempDirectory() {
    wchar_t folder[MAX_PATH] = {};
    if (!GetDefaultTempDirectory(folder, MAX_PATH))
        return 0;
    std::memcpy(tempDirectory_, folder, sizeof folder);
    return CreateDirectoryPath(folder);
}

int CPreferences::SetTempFileSize(uint32_t bytes) {
    uint32_t accepted = 0;
    if (!AcceptTempFileSize(bytes, accepted))
        return 0;
    tempFileSize_ = accepted;
    return 1;
}

uint32_t CPreferences::GetKernelMemoryLimit() {
    if (driver_) {
        uint32_t current = driver_->GetKernelMemoryLimit();
        if (current != 0)
            kernelMemoryLimit_ = current;
    }
    return kernelMemoryLimit_;
}

int CPreferences::SetKernelMemoryLimit(uint32_t bytes) {
    if (!driver_)
        return 0;
    int accepted = driver_->SetKernelMemoryLimit(bytes);
    if (accepted)
        kernelMemoryLimit_ = bytes;
    return accepted;
}

int CPreferences::SetKernelMemoryDriver(IKernelMemoryLimit* driver) {
    if (!driver) {
        GetKernelMemoryLimit(); // keep what the leaving driver holds
        driver_ = nullptr;
        return 0;
    }
    driver_ = driver;
    return SetKernelMemoryLimit(kernelMemoryLimit_);
}

void CPreferences::SetStartupScreenset(uint32_t screenset) {
    if (IsScreensetInRange(screenset))
        startupScreenset_ = screenset;
}

void CPreferences::SetMostRecentScreenset(uint32_t screenset) {
    if (IsScreensetInRange(screenset))
        mostRecentScreenset_ = screenset;
}

void CPreferences::SetTimeFormat(uint32_t format) { timeFormat_ = ClampTimeFormat(format); }
void CPreferences::SetElapsedTimeFormat(uint32_t format) {
    elapsedTimeFormat_ = ClampElapsedTimeFormat(format);
}
void CPreferences::SetDurationFormat(uint32_t format) { durationFormat_ = ClampDurationFormat(format); }

CPreferences& GetPreferences() {
    static CPreferences preferences;
    return preferences;
}

} // namespace brx
