#include "toolkit/theme/win/ThemeLibrary.h"

#include "framework/SystemLibrary.h"

namespace brx {

namespace {

class CSystemThemeLoader : public IThemeLibraryLoader {
public:
    HMODULE Load() override { return LoadSystemLibrary(L"UxTheme.dll"); }
    FARPROC GetProc(HMODULE module, const char* name) override { return ::GetProcAddress(module, name); }
    void Free(HMODULE module) override { ::FreeLibrary(module); }
};

} // namespace

IThemeLibraryLoader& SystemThemeLibraryLoader() {
    static CSystemThemeLoader loader;
    return loader;
}

const char* const CThemeLibrary::kEntryNames[kEntryCount] = {
    "OpenThemeData", "CloseThemeData", "DrawThemeBackground", "DrawThemeText",
    "GetThemeBackgroundContentRect", "GetThemeBackgroundExtent", "GetThemePartSize",
    "GetThemeTextExtent", "GetThemeTextMetrics", "GetThemeBackgroundRegion",
    "HitTestThemeBackground", "DrawThemeEdge", "DrawThemeIcon", "IsThemePartDefined",
    "IsThemeBackgroundPartiallyTransparent", "GetThemeColor", "GetThemeMetric", "GetThemeString",
    "GetThemeBool", "GetThemeInt", "GetThemeEnumValue", "GetThemePosition", "GetThemeFont",
    "GetThemeRect", "GetThemeMargins", "GetThemeIntList", "GetThemePropertyOrigin", "SetWindowTheme",
    "GetThemeFilename", "GetThemeSysColor", "GetThemeSysColorBrush", "GetThemeSysBool",
    "GetThemeSysSize", "GetThemeSysFont", "GetThemeSysString", "GetThemeSysInt", "IsThemeActive",
    "IsAppThemed", "GetWindowTheme", "EnableThemeDialogTexture", "IsThemeDialogTextureEnabled",
    "GetThemeAppProperties", "SetThemeAppProperties", "GetCurrentThemeName",
    "GetThemeDocumentationProperty", "DrawThemeParentBackground", "EnableTheming",
};
static_assert(sizeof(CThemeLibrary::kEntryNames) / sizeof(CThemeLibrary::kEntryNames[0]) == 47);

CThemeLibrary::CThemeLibrary(IThemeLibraryLoader* loader)
    : m_loader(loader ? loader : &SystemThemeLibraryLoader()) {
    m_hModule = m_loader->Load();
    if (!m_hModule) return;
    for (int i = 0; i < kEntryCount; ++i) m_procs[i] = m_loader->GetProc(m_hModule, kEntryNames[i]);
}

CThemeLibrary::~CThemeLibrary() {
    if (m_hModule) m_loader->Free(m_hModule);
    m_hModule = nullptr;
}

HTHEME CThemeLibrary::OpenThemeData(HWND window, LPCWSTR classList) const {
    auto fn = Proc<HTHEME(WINAPI*)(HWND, LPCWSTR)>(kOpenThemeData);
    return fn ? fn(window, classList) : nullptr;
}

HRESULT CThemeLibrary::CloseThemeData(HTHEME theme) const {
    auto fn = Proc<HRESULT(WINAPI*)(HTHEME)>(kCloseThemeData);
    return fn ? fn(theme) : E_FAIL;
}

HRESULT CThemeLibrary::DrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT* rect,
                                           const RECT* clip) const {
    auto fn = Proc<HRESULT(WINAPI*)(HTHEME, HDC, int, int, const RECT*, const RECT*)>(kDrawThemeBackground);
    return fn ? fn(theme, dc, part, state, rect, clip) : E_FAIL;
}

HRESULT CThemeLibrary::GetThemeBackgroundContentRect(HTHEME theme, HDC dc, int part, int state,
                                                     const RECT* bounds, RECT* content) const {
    auto fn = Proc<HRESULT(WINAPI*)(HTHEME, HDC, int, int, const RECT*, RECT*)>(kGetThemeBackgroundContentRect);
    return fn ? fn(theme, dc, part, state, bounds, content) : E_FAIL;
}

BOOL CThemeLibrary::IsThemeActive() const {
    auto fn = Proc<BOOL(WINAPI*)()>(kIsThemeActive);
    return fn ? fn() : FALSE;
}

BOOL CThemeLibrary::IsAppThemed() const {
    auto fn = Proc<BOOL(WINAPI*)()>(kIsAppThemed);
    return fn ? fn() : FALSE;
}

HRESULT CThemeLibrary::SetWindowTheme(HWND window, LPCWSTR subAppName, LPCWSTR subIdList) const {
    auto fn = Proc<HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR)>(kSetWindowTheme);
    return fn ? fn(window, subAppName, subIdList) : E_FAIL;
}

CThemeLibrary& ThemeLibrary() {
    static CThemeLibrary library;
    return library;
}

} // namespace brx
