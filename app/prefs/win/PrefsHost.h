// What the Preferences pages read and change outside the preferences
// themselves: the recent files list, the capture list's colour flags, the
// capture driver's memory scale, the disk and the clock. The program's host
// forwards to its windows and the system; tests hand in their own.
#pragma once
#include <windows.h>

#include <cstdint>

namespace brx {

class CCaptureDriver;
class CCaptureList;
class CRecentFilesMenu;

// The capture list's three colour flags, in the page's order.
struct PREF_COLOR_FLAGS {
    uint32_t colorizeBk = 0;
    uint32_t colorizeBkEntireRow = 0;
    uint32_t colorizeErrorFg = 0;
};

class IPrefsHost {
public:
    virtual ~IPrefsHost() = default;
    // The recent files list; false when there is none.
    virtual bool GetRecentFilesSize(int& size) = 0;
    virtual void SetRecentFilesSize(int size) = 0;
    // The capture list's colour flags; false when there is no list. Setting
    // also writes them to the settings store.
    virtual bool GetColorFlags(PREF_COLOR_FLAGS& flags) = 0;
    virtual void SetColorFlags(const PREF_COLOR_FLAGS& flags) = 0;
    // Redraws the capture list with the current colours and formats.
    virtual void RefreshCaptureList() = 0;
    // The capture driver: connected, and its memory scale (0: not known).
    virtual bool IsDriverOpen() = 0;
    virtual uint32_t GetKernelMemoryStep() = 0;
    virtual uint32_t GetKernelMemoryMax() = 0;
    // Free bytes on a folder's drive; whether a folder lies on a fixed drive.
    virtual uint64_t GetDiskFreeBytes(const wchar_t* folder) = 0;
    virtual bool IsOnFixedDrive(const wchar_t* folder) = 0;
    virtual void GetLocalTime(SYSTEMTIME& time) = 0;
};

// The program's host: the main frame's capture list and recent files (either
// may be null) and the capture driver.
class CAppPrefsHost : public IPrefsHost {
public:
    CAppPrefsHost(CCaptureList* list, CRecentFilesMenu* recentFiles, CCaptureDriver& driver)
        : m_list(list), m_recentFiles(recentFiles), m_driver(driver) {}

    bool GetRecentFilesSize(int& size) override;
    void SetRecentFilesSize(int size) override;
    bool GetColorFlags(PREF_COLOR_FLAGS& flags) override;
    void SetColorFlags(const PREF_COLOR_FLAGS& flags) override;
    void RefreshCaptureList() override;
    bool IsDriverOpen() override;
    uint32_t GetKernelMemoryStep() override;
    uint32_t GetKernelMemoryMax() override;
    uint64_t GetDiskFreeBytes(const wchar_t* folder) override;
    bool IsOnFixedDrive(const wchar_t* folder) override;
    void GetLocalTime(SYSTEMTIME& time) override { ::GetLocalTime(&time); }

private:
    CCaptureList* m_list;
    CRecentFilesMenu* m_recentFiles;
    CCaptureDriver& m_driver;
};

} // namespace brx
