#include "framework/WinApp.h"

#include <algorithm>
#include <cwchar>

#include "framework/FrameWnd.h"
#include "framework/Wnd.h"

namespace brx {

namespace {

CWinApp* g_app = nullptr;
thread_local std::vector<CFrameWnd*> t_frames;

bool IsChild(HWND hwnd) { return (::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) != 0; }

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD got = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (got == 0) return std::wstring();
        if (got < path.size()) {
            path.resize(got);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

} // namespace

CWinApp* AfxGetApp() { return g_app; }

CWnd* AfxGetMainWnd() { return g_app ? g_app->m_pMainWnd : nullptr; }

CWinApp::CWinApp(const wchar_t* appName) {
    g_app = this;
    m_hInstance = ::GetModuleHandleW(nullptr);
    std::wstring path = ModulePath();
    size_t slash = path.find_last_of(L"\\/");
    size_t dot = path.find_last_of(L'.');
    if (dot != std::wstring::npos && slash != std::wstring::npos && dot < slash) dot = std::wstring::npos;
    std::wstring stem = path.substr(0, dot);
    m_strProfileName = stem + L".INI";
    if (appName) m_strAppName = appName;
    else m_strAppName = stem.substr(slash == std::wstring::npos ? 0 : slash + 1);
}

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

int AfxWinMain(HINSTANCE instance, int cmdShow) {
    CWinApp* app = AfxGetApp();
    if (!app) return -1;
    app->m_hInstance = instance;
    app->m_nCmdShow = cmdShow;
    try {
        if (!app->InitInstance()) {
            if (app->m_pMainWnd) {
                CWnd* main = app->m_pMainWnd;
                app->m_pMainWnd = nullptr;
                main->DestroyWindow();
            }
            return app->ExitInstance();
        }
        return app->Run();
    } catch (...) {
        ::OutputDebugStringW(L"brx: exception left the application\n");
        return -1;
    }
}

bool CWinApp::IsIdleMessage(const MSG& msg) {
    static thread_local POINT lastPoint{-1, -1};
    static thread_local UINT lastMouse = 0;
    if (msg.message == WM_PAINT || msg.message == 0x0118 /* system timer: caret blink */) return false;
    if (msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE) {
        if (msg.message == lastMouse && msg.pt.x == lastPoint.x && msg.pt.y == lastPoint.y) return false;
        lastMouse = msg.message;
        lastPoint = msg.pt;
    }
    return true;
}

BOOL CWinApp::PreTranslateMessage(MSG* msg) {
    HWND top = nullptr;
    for (HWND hwnd = msg->hwnd; hwnd; hwnd = ::GetParent(hwnd)) {
        CWnd* wnd = CWnd::FromHandle(hwnd);
        if (wnd && wnd->PreTranslateMessage(msg)) return TRUE;
        top = hwnd;
        if (!IsChild(hwnd)) break;
    }
    // Messages of another top-level window (a floating frame, a modeless
    // dialog that let them pass) get the main window's accelerators last.
    if (msg->hwnd && m_pMainWnd && m_pMainWnd->m_hWnd && top != m_pMainWnd->m_hWnd)
        return m_pMainWnd->PreTranslateMessage(msg);
    return FALSE;
}

BOOL CWinApp::OnIdle(LONG count) {
    if (count > 0) return FALSE;
    std::vector<HWND> frames;
    for (CFrameWnd* frame : t_frames)
        if (frame->m_hWnd) frames.push_back(frame->m_hWnd);
    for (HWND hwnd : frames) {
        // A frame may go away during the pass of another.
        auto* frame = static_cast<CFrameWnd*>(CWnd::FromHandle(hwnd));
        if (frame && frame->IsFrameWnd()) frame->IdleUpdate();
    }
    return FALSE;
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info) const {
    const wchar_t* line = ::GetCommandLineW();
    brx::ParseCommandLine(SplitCommandLine(line ? line : L""), info);
}

bool CWinApp::PumpMessage() {
    BOOL got = ::GetMessageW(&m_msgCur, nullptr, 0, 0);
    if (got == 0 || got == -1) return false;
    if (!PreTranslateMessage(&m_msgCur)) {
        ::TranslateMessage(&m_msgCur);
        ::DispatchMessageW(&m_msgCur);
    }
    return true;
}

int CWinApp::Run() {
    bool idle = true;
    LONG idleCount = 0;
    for (;;) {
        MSG peek;
        while (idle && !::PeekMessageW(&peek, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(idleCount++)) idle = false;
        }
        if (!PumpMessage()) {
            m_nExitCode = static_cast<int>(m_msgCur.wParam);
            return ExitInstance();
        }
        if (IsIdleMessage(m_msgCur)) {
            idle = true;
            idleCount = 0;
        }
    }
}

bool CWinApp::PumpUntilIdle() {
    // Bounded, so that a window that never validates its paint cannot hang a test.
    for (int round = 0; round < 100; ++round) {
        MSG msg;
        for (int n = 0; n < 10000 && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++n) {
            if (msg.message == WM_QUIT) {
                ::PostQuitMessage(static_cast<int>(msg.wParam));
                return false;
            }
            m_msgCur = msg;
            if (!PreTranslateMessage(&msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
        LONG count = 0;
        while (OnIdle(count++)) {
        }
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) return true;
    }
    return true;
}

void CWinApp::AddFrame(CFrameWnd* frame) {
    if (std::find(t_frames.begin(), t_frames.end(), frame) == t_frames.end()) t_frames.push_back(frame);
}

void CWinApp::RemoveFrame(CFrameWnd* frame) {
    t_frames.erase(std::remove(t_frames.begin(), t_frames.end(), frame), t_frames.end());
}

std::vector<CFrameWnd*> CWinApp::Frames() { return t_frames; }

// --- profile

UINT CWinApp::GetProfileInt(const wchar_t* section, const wchar_t* entry, int defaultValue) const {
    return ::GetPrivateProfileIntW(section, entry, defaultValue, m_strProfileName.c_str());
}

bool CWinApp::WriteProfileInt(const wchar_t* section, const wchar_t* entry, int value) const {
    wchar_t text[16];
    std::swprintf(text, 16, L"%d", value);
    return WriteProfileString(section, entry, text);
}

std::wstring CWinApp::GetProfileString(const wchar_t* section, const wchar_t* entry,
                                       const wchar_t* defaultValue) const {
    std::wstring buffer(256, L'\0');
    for (;;) {
        DWORD got = ::GetPrivateProfileStringW(section, entry, defaultValue ? defaultValue : L"", buffer.data(),
                                               static_cast<DWORD>(buffer.size()), m_strProfileName.c_str());
        // A full buffer is reported as size - 1: try again with more room.
        if (got + 2 < buffer.size() || buffer.size() >= (1u << 20)) {
            buffer.resize(got);
            return buffer;
        }
        buffer.resize(buffer.size() * 4);
    }
}

bool CWinApp::WriteProfileString(const wchar_t* section, const wchar_t* entry, const wchar_t* value) const {
    return ::WritePrivateProfileStringW(section, entry, value, m_strProfileName.c_str()) != 0;
}

std::wstring EncodeProfileBinary(const void* data, size_t size) {
    auto* bytes = static_cast<const uint8_t*>(data);
    std::wstring text;
    text.reserve(size * 2);
    for (size_t i = 0; i < size; ++i) {
        text.push_back(static_cast<wchar_t>(L'A' + (bytes[i] & 0x0F)));
        text.push_back(static_cast<wchar_t>(L'A' + (bytes[i] >> 4)));
    }
    return text;
}

bool DecodeProfileBinary(const std::wstring& text, std::vector<uint8_t>& data) {
    data.clear();
    if (text.size() % 2 != 0) return false;
    data.reserve(text.size() / 2);
    for (size_t i = 0; i < text.size(); i += 2) {
        wchar_t low = text[i], high = text[i + 1];
        if (low < L'A' || low > L'P' || high < L'A' || high > L'P') {
            data.clear();
            return false;
        }
        data.push_back(static_cast<uint8_t>((low - L'A') | ((high - L'A') << 4)));
    }
    return true;
}

bool CWinApp::GetProfileBinary(const wchar_t* section, const wchar_t* entry, std::vector<uint8_t>& data) const {
    std::wstring text = GetProfileString(section, entry, L"");
    if (text.empty()) {
        data.clear();
        return false;
    }
    return DecodeProfileBinary(text, data);
}

bool CWinApp::WriteProfileBinary(const wchar_t* section, const wchar_t* entry, const void* data, size_t size) const {
    std::wstring text = EncodeProfileBinary(data, size);
    return WriteProfileString(section, entry, text.c_str());
}

} // namespace brx
