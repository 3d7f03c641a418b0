// The user's preferences: temporary capture file, kernel memory limit,
// start-up behaviour, screen sets, time formats, auto-scroll and the main
// window's placement. Read from the settings store at start-up, written at
// exit and when the Preferences dialog applies; setters keep only values in
// their accepted ranges.
#pragma once
#include <windows.h>

#include <cstdint>

#include "capture/KernelMemoryLimit.h"

namespace brx {

static_assert(sizeof(WINDOWPLACEMENT) == 44, "the stored placement record is 44 bytes");

class CPreferences {
public:
    // Defaults; creates the default temporary directory.
    CPreferences();
    virtual ~CPreferences() = default;
    CPreferences(const CPreferences&) = delete;
    CPreferences& operator=(const CPreferences&) = delete;

    int Load(); // placement, then the other values; 1
    int Save(); // placement, then the other values; 1
    void LoadWindowPlacement();
    void LoadPreferences();
    void SaveWindowPlacement();
    void SavePreferences();

    // Main window.
    uint32_t GetMainWindowShowCmd() const; // values above 11 read as 1
    void GetMainWindowPlacement(WINDOWPLACEMENT* placement) const;
    // Ignored unless its length is 44, and when it is shown hidden (a
    // program started hidden has nothing to see); the normal rectangle is
    // moved back onto the work area and a minimised window opens normal.
    void SetMainWindowPlacement(const WINDOWPLACEMENT* placement);

    // Temporary capture file.
    // Copies the directory (at most capacity characters with the terminator,
    // MAX_PATH is always enough); the number of characters.
    uint32_t GetTempDirectory(wchar_t* buffer, uint32_t capacity) const;
    // 1 when taken: a directory on a fixed drive, created when missing.
    int SetTempDirectory(const wchar_t* path);
    // Back to "<AppData>\Brindlex", created; 1 when it exists afterwards.
    int SetDefaultTempDirectory();
    uint32_t GetTempFileSize() const { return tempFileSize_; }
    // 1 when taken: from 8 MB up, rounded down to 8 MB, at most 1 GB.
    int SetTempFileSize(uint32_t bytes);

    // Kernel memory limit, exchanged with the capture driver. While no driver
    // is connected the preferences keep the stored limit; the connection
    // hands itself over with SetKernelMemoryDriver, which passes the kept
    // limit on to the driver.
    // The driver's current limit when it answers (kept), else the kept one.
    uint32_t GetKernelMemoryLimit();
    // The kept limit, without asking the driver.
    uint32_t GetKeptKernelMemoryLimit() const { return kernelMemoryLimit_; }
    // Hands the limit to the driver; kept only when the driver accepts it.
    // Returns the driver's answer (0 without a driver).
    int SetKernelMemoryLimit(uint32_t bytes);
    // The connected driver, or null when it disconnects. Connecting hands the
    // kept limit to the driver and returns its answer; disconnecting first
    // keeps the driver's current limit.
    int SetKernelMemoryDriver(IKernelMemoryLimit* driver);

    int GetSplashAtStartup() const { return splashAtStartup_; }
    void SetSplashAtStartup(int on) { splashAtStartup_ = on; }
    int GetAutoScrollCaptureList() const { return autoScroll_; }
    void SetAutoScrollCaptureList(int on) { autoScroll_ = on; }

    // Screen sets 1..4; other values leave the setting unchanged.
    uint32_t GetStartupScreenset() const { return startupScreenset_; }
    void SetStartupScreenset(uint32_t screenset);
    uint32_t GetMostRecentScreenset() const { return mostRecentScreenset_; }
    void SetMostRecentScreenset(uint32_t screenset);
    int GetUseMostRecentScreenset() const { return useMostRecentScreenset_; }
    void SetUseMostRecentScreenset(int on) { useMostRecentScreenset_ = on ? 1 : 0; }

    // Formats: out-of-range values become the largest accepted one.
    uint32_t GetTimeFormat() const { return timeFormat_; }
    void SetTimeFormat(uint32_t format);
    uint32_t GetElapsedTimeFormat() const { return elapsedTimeFormat_; }
    void SetElapsedTimeFormat(uint32_t format);
    uint32_t GetDurationFormat() const { return durationFormat_; }
    void SetDurationFormat(uint32_t format);

private:
    WINDOWPLACEMENT placement_{};
    wchar_t tempDirectory_[MAX_PATH] = {};
    uint32_t tempFileSize_;
    uint32_t kernelMemoryLimit_;
    IKernelMemoryLimit* driver_ = nullptr;
    int splashAtStartup_;
    int autoScroll_;
    uint32_t startupScreenset_;
    uint32_t mostRecentScreenset_;
    int useMostRecentScreenset_;
    uint32_t timeFormat_;
    uint32_t elapsedTimeFormat_;
    uint32_t durationFormat_;
};

// The program's one preferences object, constructed on first use.
CPreferences& GetPreferences();

} // namespace brx
