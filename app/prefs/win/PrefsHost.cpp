#include "app/prefs/win/PrefsHost.h"

#include "app/frame/win/RecentFilesMenu.h"
#include "app/list/win/CaptureList.h"
#include "capture/win/CaptureDriver.h"
#include "capture/win/SystemHelpers.h"

namespace brx {

bool CAppPrefsHost::GetRecentFilesSize(int& size) {
    if (!m_recentFiles) return false;
    size = m_recentFiles->GetSize();
    return true;
}

void CAppPrefsHost::SetRecentFilesSize(int size) {
    if (m_recentFiles) m_recentFiles->SetSize(size);
}

bool CAppPrefsHost::GetColorFlags(PREF_COLOR_FLAGS& flags) {
    if (!m_list) return false;
    flags.colorizeBk = m_list->m_colorizeBk;
    flags.colorizeBkEntireRow = m_list->m_colorizeBkEntireRow;
    flags.colorizeErrorFg = m_list->m_colorizeErrorFg;
    return true;
}

void CAppPrefsHost::SetColorFlags(const PREF_COLOR_FLAGS& flags) {
    if (!m_list) return;
    m_list->m_colorizeBk = flags.colorizeBk;
    m_list->m_colorizeBkEntireRow = flags.colorizeBkEntireRow;
    m_list->m_colorizeErrorFg = flags.colorizeErrorFg;
    m_list->SaveColorSettings();
}

void CAppPrefsHost::RefreshCaptureList() {
    if (m_list && m_list->m_hWnd) m_list->Invalidate(TRUE);
}

bool CAppPrefsHost::IsDriverOpen() { return m_driver.IsOpen(); }
uint32_t CAppPrefsHost::GetKernelMemoryStep() { return m_driver.IsOpen() ? m_driver.GetKernelMemoryStep() : 0; }
uint32_t CAppPrefsHost::GetKernelMemoryMax() { return m_driver.IsOpen() ? m_driver.GetKernelMemoryMax() : 0; }
uint64_t CAppPrefsHost::GetDiskFreeBytes(const wchar_t* folder) { return brx::GetDiskFreeBytes(folder); }
bool CAppPrefsHost::IsOnFixedDrive(const wchar_t* folder) { return brx::IsOnFixedDrive(folder) != 0; }

} // namespace brx
