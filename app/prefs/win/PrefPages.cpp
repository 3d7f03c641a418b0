#include "app/prefs/win/PrefPages.h"

#include <commctrl.h>

#include <vector>

#include "app/res/prefs_ids.h"
#include "capture/win/Preferences.h"
#include "capture/win/Prompts.h"
#include "capture/win/SystemHelpers.h"
#include "toolkit/controls/win/TreePropSheet.h"

namespace brx {

namespace {

constexpr wchar_t kBrowseTitle[] = L"Select temporary capture file directory";
constexpr wchar_t kBrowsePrompt[] = L"Choose a directory for temporary capture file (use fixed drives only).";
constexpr wchar_t kNotFixedDrive[] =
    L"The temporary capture file directory must be on a fixed drive. The directory was not changed.";
constexpr wchar_t kPreferencesCaption[] = L"Preferences";

// Both spins speed up from one step to two after 2 seconds.
const UDACCEL kSpinAccel[] = {{0, 1}, {2, 2}};

const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

std::u16string Text(HWND window) {
    const int n = ::GetWindowTextLengthW(window);
    std::vector<wchar_t> buffer(static_cast<size_t>(n > 0 ? n : 0) + 1);
    const int got = ::GetWindowTextW(window, buffer.data(), static_cast<int>(buffer.size()));
    return std::u16string(reinterpret_cast<const char16_t*>(buffer.data()), static_cast<size_t>(got > 0 ? got : 0));
}

int TrackbarPos(HWND page, int id) { return static_cast<int>(::SendDlgItemMessageW(page, id, TBM_GETPOS, 0, 0)); }

} // namespace

// --- number edit

bool CPrefNumberEdit::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_SETTEXT:
        if (lp && m_onSet) {
            const auto* text = reinterpret_cast<const char16_t*>(lp);
            if (std::optional<std::u16string> clamped = m_onSet(text)) {
                result = DefWindowProc(msg, wp, reinterpret_cast<LPARAM>(clamped->c_str()));
                return true;
            }
        }
        break;
    case WM_KEYUP:
        result = Default();
        if (m_onKeyUp) {
            if (std::optional<std::u16string> clamped = m_onKeyUp(Text(m_hWnd))) {
                ::SetWindowTextW(m_hWnd, W(*clamped));
                SendMessage(EM_SETSEL, 0, -1);
            }
        }
        return true;
    }
    return CWnd::OnWndMsg(msg, wp, lp, result);
}

// --- common

CPrefPage::CPrefPage(UINT templateId, PREF_CONTEXT& context) : CPropertyPage(templateId), m_ctx(context) {
    m_psp.dwFlags &= ~static_cast<DWORD>(PSP_HASHELP);
}

void CPrefPage::Changed() {
    if (!m_bFilling) SetModified(true);
}

void CPrefPage::Applied() {
    m_ctx.changed = true;
    m_ctx.host.RefreshCaptureList();
}

void CPrefPage::SetText(int id, const std::u16string& text) { ::SetDlgItemTextW(m_hWnd, id, W(text)); }

std::u16string CPrefPage::GetText(int id) const { return Text(GetDlgItem(id)); }

void CPrefPage::DisableAll() { ::EnumChildWindows(m_hWnd, &CTreePropSheet::EnableChildProc, FALSE); }

void CPrefPage::SetInfoIcon(int id) {
    HICON icon = static_cast<HICON>(::LoadImageW(nullptr, IDI_INFORMATION, IMAGE_ICON,
                                                 ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON),
                                                 LR_SHARED));
    if (icon) ::SendDlgItemMessageW(m_hWnd, id, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
}

// --- General

CPrefPageGeneral::CPrefPageGeneral(PREF_CONTEXT& context)
    : CPrefPage(IDD_PREF_GENERAL, context),
      m_recentFiles(&RecentFilesTextOnSet, &RecentFilesTextOnKeyUp),
      m_screenset(&ScreensetTextOnSet, &ScreensetTextOnKeyUp) {}

BOOL CPrefPageGeneral::OnInitDialog() {
    CPrefPage::OnInitDialog();
    m_bFilling = true;
    m_recentFiles.SubclassDlgItem(IDC_PREF_RECENT_FILES, m_hWnd);
    m_screenset.SubclassDlgItem(IDC_PREF_SCREENSET, m_hWnd);
    ::SendDlgItemMessageW(m_hWnd, IDC_PREF_RECENT_FILES, EM_LIMITTEXT, kPrefRecentFilesDigits, 0);
    ::SendDlgItemMessageW(m_hWnd, IDC_PREF_SCREENSET, EM_LIMITTEXT, kPrefScreensetDigits, 0);
    for (int spin : {IDC_PREF_RECENT_FILES_SPIN, IDC_PREF_SCREENSET_SPIN})
        ::SendDlgItemMessageW(m_hWnd, spin, UDM_SETACCEL, 2, reinterpret_cast<LPARAM>(kSpinAccel));
    ::SendDlgItemMessageW(m_hWnd, IDC_PREF_RECENT_FILES_SPIN, UDM_SETRANGE32, 0, kPrefRecentFilesMax);
    ::SendDlgItemMessageW(m_hWnd, IDC_PREF_SCREENSET_SPIN, UDM_SETRANGE32, kPrefScreensetMin, kPrefScreensetMax);

    int recent = static_cast<int>(kPrefRecentFilesMax);
    if (!m_ctx.host.GetRecentFilesSize(recent)) recent = static_cast<int>(kPrefRecentFilesMax);
    ::SetDlgItemInt(m_hWnd, IDC_PREF_RECENT_FILES, static_cast<UINT>(recent), FALSE);
    ::SetDlgItemInt(m_hWnd, IDC_PREF_SCREENSET, m_ctx.prefs.GetStartupScreenset(), FALSE);
    Check(IDC_PREF_SPLASH, m_ctx.prefs.GetSplashAtStartup() != 0);
    Check(IDC_PREF_USE_RECENT_SCREENSET, m_ctx.prefs.GetUseMostRecentScreenset() != 0);
    EnableScreenset();
    m_bFilling = false;
    return TRUE;
}

void CPrefPageGeneral::EnableScreenset() {
    const BOOL on = IsChecked(IDC_PREF_USE_RECENT_SCREENSET) ? FALSE : TRUE;
    ::EnableWindow(GetDlgItem(IDC_PREF_SCREENSET), on);
    ::EnableWindow(GetDlgItem(IDC_PREF_SCREENSET_SPIN), on);
}

bool CPrefPageGeneral::OnCommand(CCommand& cmd) {
    if (cmd.IsNotify(IDC_PREF_SPLASH, BN_CLICKED)) return cmd.Run([&] { Changed(); });
    if (cmd.IsNotify(IDC_PREF_USE_RECENT_SCREENSET, BN_CLICKED)) return cmd.Run([&] {
        EnableScreenset();
        Changed();
    });
    if (cmd.IsNotify(IDC_PREF_RECENT_FILES, EN_CHANGE) || cmd.IsNotify(IDC_PREF_SCREENSET, EN_CHANGE))
        return cmd.Run([&] { Changed(); });
    return CPrefPage::OnCommand(cmd);
}

BOOL CPrefPageGeneral::OnApply() {
    int size = 0;
    if (m_ctx.host.GetRecentFilesSize(size))
        m_ctx.host.SetRecentFilesSize(static_cast<int>(RecentFilesValue(GetText(IDC_PREF_RECENT_FILES))));
    m_ctx.prefs.SetSplashAtStartup(IsChecked(IDC_PREF_SPLASH) ? 1 : 0);
    m_ctx.prefs.SetStartupScreenset(ScreensetValue(GetText(IDC_PREF_SCREENSET)));
    m_ctx.prefs.SetUseMostRecentScreenset(IsChecked(IDC_PREF_USE_RECENT_SCREENSET) ? 1 : 0);
    Applied();
    return CPrefPage::OnApply();
}

// --- Driver

CPrefPageDriver::CPrefPageDriver(PREF_CONTEXT& context)
    : CPrefPage(IDD_PREF_DRIVER, context),
      m_scale(MakeKernelMemoryScale(context.host.GetKernelMemoryStep(), context.host.GetKernelMemoryMax())) {}

BOOL CPrefPageDriver::OnInitDialog() {
    CPrefPage::OnInitDialog();
    m_bFilling = true;
    SetInfoIcon(IDC_PREF_DRIVER_INFO);
    const uint32_t current = ClampKernelMemory(m_ctx.prefs.GetKernelMemoryLimit(), m_scale);
    HWND bar = GetDlgItem(IDC_PREF_KERNEL_MEMORY);
    ::SendMessageW(bar, TBM_SETRANGE, TRUE, MAKELPARAM(1, KernelMemoryRangeMax(m_scale)));
    ::SendMessageW(bar, TBM_SETTICFREQ, 1, 0);
    ::SendMessageW(bar, TBM_SETLINESIZE, 0, 1);
    ::SendMessageW(bar, TBM_SETPAGESIZE, 0, 2);
    ::SendMessageW(bar, TBM_SETPOS, TRUE, KernelMemoryPosition(current, m_scale));
    SetText(IDC_PREF_KERNEL_MEMORY_TEXT, MegabytesText(current));
    if (!m_ctx.host.IsDriverOpen()) DisableAll();
    m_bFilling = false;
    return TRUE;
}

bool CPrefPageDriver::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_HSCROLL && reinterpret_cast<HWND>(lp) == GetDlgItem(IDC_PREF_KERNEL_MEMORY) &&
        LOWORD(wp) <= TB_ENDTRACK) {
        SetText(IDC_PREF_KERNEL_MEMORY_TEXT,
                MegabytesText(KernelMemoryOfPosition(TrackbarPos(m_hWnd, IDC_PREF_KERNEL_MEMORY), m_scale)));
        Changed();
        result = 0;
        return true;
    }
    return CPrefPage::OnWndMsg(msg, wp, lp, result);
}

BOOL CPrefPageDriver::OnApply() {
    if (m_ctx.host.IsDriverOpen())
        m_ctx.prefs.SetKernelMemoryLimit(KernelMemoryOfPosition(TrackbarPos(m_hWnd, IDC_PREF_KERNEL_MEMORY), m_scale));
    Applied();
    return CPrefPage::OnApply();
}

// --- Capture

CPrefPageCapture::CPrefPageCapture(PREF_CONTEXT& context) : CPrefPage(IDD_PREF_CAPTURE, context) {}

BOOL CPrefPageCapture::OnInitDialog() {
    CPrefPage::OnInitDialog();
    m_bFilling = true;
    SetInfoIcon(IDC_PREF_CAPTURE_INFO);
    wchar_t directory[MAX_PATH] = {};
    m_ctx.prefs.GetTempDirectory(directory, MAX_PATH);
    ::SetDlgItemTextW(m_hWnd, IDC_PREF_TEMP_DIRECTORY, directory);
    HWND bar = GetDlgItem(IDC_PREF_TEMP_SIZE);
    ::SendMessageW(bar, TBM_SETRANGE, TRUE, MAKELPARAM(kPrefTempFilePositionMin, kPrefTempFilePositionMax));
    ::SendMessageW(bar, TBM_SETTICFREQ, 4, 0);
    ::SendMessageW(bar, TBM_SETLINESIZE, 0, 1);
    ::SendMessageW(bar, TBM_SETPAGESIZE, 0, 4);
    ::SendMessageW(bar, TBM_SETPOS, TRUE, TempFilePosition(m_ctx.prefs.GetTempFileSize()));
    SetText(IDC_PREF_TEMP_SIZE_TEXT, MegabytesText(m_ctx.prefs.GetTempFileSize()));
    ShowFreeSpace();
    if (!m_ctx.host.IsDriverOpen()) DisableAll();
    m_bFilling = false;
    return TRUE;
}

void CPrefPageCapture::ShowFreeSpace() {
    const std::u16string directory = GetText(IDC_PREF_TEMP_DIRECTORY);
    SetText(IDC_PREF_FREE_SPACE, MegabytesText(m_ctx.host.GetDiskFreeBytes(W(directory))));
}

void CPrefPageCapture::Browse() {
    std::u16string start = GetText(IDC_PREF_TEMP_DIRECTORY);
    if (start.empty()) {
        wchar_t current[MAX_PATH] = {};
        const DWORD n = ::GetCurrentDirectoryW(MAX_PATH, current);
        if (n > 0 && n < MAX_PATH) start.assign(reinterpret_cast<const char16_t*>(current), n);
    }
    wchar_t chosen[MAX_PATH] = {};
    if (!BrowseForFolder(m_hWnd, 0, W(start), kBrowseTitle, kBrowsePrompt, chosen, MAX_PATH)) return;
    if (!m_ctx.host.IsOnFixedDrive(chosen)) {
        // Refused now, not silently when the sheet applies.
        Prompts().MessageBoxW(m_hWnd, kNotFixedDrive, kPreferencesCaption, MB_OK | MB_ICONWARNING);
        return;
    }
    ::SetDlgItemTextW(m_hWnd, IDC_PREF_TEMP_DIRECTORY, chosen);
    ShowFreeSpace();
    Changed();
}

bool CPrefPageCapture::OnCommand(CCommand& cmd) {
    if (cmd.IsNotify(IDC_PREF_BROWSE, BN_CLICKED)) return cmd.Run([&] { Browse(); });
    return CPrefPage::OnCommand(cmd);
}

bool CPrefPageCapture::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_HSCROLL && reinterpret_cast<HWND>(lp) == GetDlgItem(IDC_PREF_TEMP_SIZE) &&
        LOWORD(wp) <= TB_ENDTRACK) {
        SetText(IDC_PREF_TEMP_SIZE_TEXT, MegabytesText(TempFileSizeOfPosition(TrackbarPos(m_hWnd, IDC_PREF_TEMP_SIZE))));
        Changed();
        result = 0;
        return true;
    }
    return CPrefPage::OnWndMsg(msg, wp, lp, result);
}

BOOL CPrefPageCapture::OnApply() {
    if (m_ctx.host.IsDriverOpen()) {
        const std::u16string directory = GetText(IDC_PREF_TEMP_DIRECTORY);
        m_ctx.prefs.SetTempDirectory(W(directory));
        m_ctx.prefs.SetTempFileSize(TempFileSizeOfPosition(TrackbarPos(m_hWnd, IDC_PREF_TEMP_SIZE)));
    }
    Applied();
    return CPrefPage::OnApply();
}

// --- Coloring

CPrefPageColoring::CPrefPageColoring(PREF_CONTEXT& context) : CPrefPage(IDD_PREF_COLORING, context) {}

BOOL CPrefPageColoring::OnInitDialog() {
    CPrefPage::OnInitDialog();
    PREF_COLOR_FLAGS flags;
    if (m_ctx.host.GetColorFlags(flags)) {
        Check(IDC_PREF_COLORIZE_BK, flags.colorizeBk != 0);
        Check(IDC_PREF_COLORIZE_ROW, flags.colorizeBkEntireRow != 0);
        Check(IDC_PREF_COLORIZE_ERROR, flags.colorizeErrorFg != 0);
    }
    ::EnableWindow(GetDlgItem(IDC_PREF_COLORIZE_ROW), IsChecked(IDC_PREF_COLORIZE_BK));
    return TRUE;
}

bool CPrefPageColoring::OnCommand(CCommand& cmd) {
    if (cmd.IsNotify(IDC_PREF_COLORIZE_BK, BN_CLICKED)) return cmd.Run([&] {
        ::EnableWindow(GetDlgItem(IDC_PREF_COLORIZE_ROW), IsChecked(IDC_PREF_COLORIZE_BK));
        Changed();
    });
    if (cmd.IsNotify(IDC_PREF_COLORIZE_ROW, BN_CLICKED) || cmd.IsNotify(IDC_PREF_COLORIZE_ERROR, BN_CLICKED))
        return cmd.Run([&] { Changed(); });
    return CPrefPage::OnCommand(cmd);
}

BOOL CPrefPageColoring::OnApply() {
    PREF_COLOR_FLAGS flags;
    if (m_ctx.host.GetColorFlags(flags)) {
        flags.colorizeBk = IsChecked(IDC_PREF_COLORIZE_BK) ? 1 : 0;
        flags.colorizeBkEntireRow = IsChecked(IDC_PREF_COLORIZE_ROW) ? 1 : 0;
        flags.colorizeErrorFg = IsChecked(IDC_PREF_COLORIZE_ERROR) ? 1 : 0;
        m_ctx.host.SetColorFlags(flags);
    }
    Applied();
    return CPrefPage::OnApply();
}

// --- Time

CPrefPageTime::CPrefPageTime(PREF_CONTEXT& context) : CPrefPage(IDD_PREF_TIME, context) {}

BOOL CPrefPageTime::OnInitDialog() {
    CPrefPage::OnInitDialog();
    const uint32_t time = m_ctx.prefs.GetTimeFormat();
    const uint32_t elapsed = ElapsedFormatChoice(m_ctx.prefs.GetElapsedTimeFormat());
    const uint32_t duration = m_ctx.prefs.GetDurationFormat();
    ::CheckRadioButton(m_hWnd, IDC_PREF_TIME_DATE, IDC_PREF_TIME_OF_DAY,
                       time == 0 ? IDC_PREF_TIME_DATE : IDC_PREF_TIME_OF_DAY);
    ::CheckRadioButton(m_hWnd, IDC_PREF_ELAPSED_TIME, IDC_PREF_ELAPSED_FORMATTED,
                       IDC_PREF_ELAPSED_TIME + static_cast<int>(elapsed));
    ::CheckRadioButton(m_hWnd, IDC_PREF_DURATION_SECONDS, IDC_PREF_DURATION_FORMATTED,
                       duration == 0 ? IDC_PREF_DURATION_SECONDS : IDC_PREF_DURATION_FORMATTED);
    ShowSamples();
    return TRUE;
}

void CPrefPageTime::ShowSamples() {
    SYSTEMTIME now{};
    m_ctx.host.GetLocalTime(now);
    const PrefLocalTime t{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
    SetText(IDC_PREF_TIME_SAMPLE, TimeSample(IsChecked(IDC_PREF_TIME_DATE) ? 0 : 1, t));
    const uint32_t elapsed = IsChecked(IDC_PREF_ELAPSED_TIME) ? 0 : IsChecked(IDC_PREF_ELAPSED_FORMATTED) ? 2 : 1;
    SetText(IDC_PREF_ELAPSED_SAMPLE, ElapsedSample(elapsed));
    SetText(IDC_PREF_DURATION_SAMPLE, DurationSample(IsChecked(IDC_PREF_DURATION_SECONDS) ? 0 : 1));
}

bool CPrefPageTime::OnCommand(CCommand& cmd) {
    static constexpr UINT kRadios[] = {IDC_PREF_TIME_DATE,         IDC_PREF_TIME_OF_DAY,     IDC_PREF_ELAPSED_TIME,
                                       IDC_PREF_ELAPSED_SECONDS,   IDC_PREF_ELAPSED_FORMATTED, IDC_PREF_DURATION_SECONDS,
                                       IDC_PREF_DURATION_FORMATTED};
    for (UINT id : kRadios) {
        if (cmd.IsNotify(id, BN_CLICKED)) return cmd.Run([&] {
            ShowSamples();
            Changed();
        });
    }
    return CPrefPage::OnCommand(cmd);
}

BOOL CPrefPageTime::OnApply() {
    m_ctx.prefs.SetTimeFormat(IsChecked(IDC_PREF_TIME_DATE) ? 0 : 1);
    m_ctx.prefs.SetElapsedTimeFormat(IsChecked(IDC_PREF_ELAPSED_TIME) ? 0 : IsChecked(IDC_PREF_ELAPSED_FORMATTED) ? 2 : 1);
    m_ctx.prefs.SetDurationFormat(IsChecked(IDC_PREF_DURATION_SECONDS) ? 0 : 1);
    Applied();
    return CPrefPage::OnApply();
}

} // namespace brx
