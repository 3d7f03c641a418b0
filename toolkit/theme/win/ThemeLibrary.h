// The visual-styles functions of UxTheme.dll, used without linking to it so
// that the program also runs where the library is absent. One binder holds
// the library for the whole program (ThemeLibrary()); callers go through its
// wrappers, which answer a fixed neutral value when an entry is missing.
// Visual styles count as active only when IsAppThemed and IsThemeActive both
// answer true (IsThemed).
#pragma once
#include <windows.h>
#include <uxtheme.h>

#include <cstddef>

namespace brx {

// How the binder reaches the library: the product loads UxTheme.dll from the
// system folder; tests hand in a library of their own, or none.
class IThemeLibraryLoader {
public:
    virtual ~IThemeLibraryLoader() = default;
    virtual HMODULE Load() = 0;
    virtual FARPROC GetProc(HMODULE module, const char* name) = 0;
    virtual void Free(HMODULE module) = 0;
};

// The system's loader: UxTheme.dll from the system folder, never by bare name.
IThemeLibraryLoader& SystemThemeLibraryLoader();

class CThemeLibrary {
public:
    // The entry points, in the order of the address table.
    enum Entry : int {
        kOpenThemeData, kCloseThemeData, kDrawThemeBackground, kDrawThemeText,
        kGetThemeBackgroundContentRect, kGetThemeBackgroundExtent, kGetThemePartSize,
        kGetThemeTextExtent, kGetThemeTextMetrics, kGetThemeBackgroundRegion,
        kHitTestThemeBackground, kDrawThemeEdge, kDrawThemeIcon, kIsThemePartDefined,
        kIsThemeBackgroundPartiallyTransparent, kGetThemeColor, kGetThemeMetric, kGetThemeString,
        kGetThemeBool, kGetThemeInt, kGetThemeEnumValue, kGetThemePosition, kGetThemeFont,
        kGetThemeRect, kGetThemeMargins, kGetThemeIntList, kGetThemePropertyOrigin, kSetWindowTheme,
        kGetThemeFilename, kGetThemeSysColor, kGetThemeSysColorBrush, kGetThemeSysBool,
        kGetThemeSysSize, kGetThemeSysFont, kGetThemeSysString, kGetThemeSysInt, kIsThemeActive,
        kIsAppThemed, kGetWindowTheme, kEnableThemeDialogTexture, kIsThemeDialogTextureEnabled,
        kGetThemeAppProperties, kSetThemeAppProperties, kGetCurrentThemeName,
        kGetThemeDocumentationProperty, kDrawThemeParentBackground, kEnableTheming,
        kEntryCount
    };
    static const char* const kEntryNames[kEntryCount];

    // Binds the library through the loader (the system's when null); a
    // library that does not load leaves every address null.
    explicit CThemeLibrary(IThemeLibraryLoader* loader = nullptr);
    ~CThemeLibrary();
    CThemeLibrary(const CThemeLibrary&) = delete;
    CThemeLibrary& operator=(const CThemeLibrary&) = delete;

    HMODULE GetModule() const { return m_hModule; }
    bool HasEntry(Entry entry) const { return m_procs[entry] != nullptr; }

    // Wrappers: the system function when bound, else the neutral answer.
    HTHEME OpenThemeData(HWND window, LPCWSTR classList) const;                      // null
    HRESULT CloseThemeData(HTHEME theme) const;                                      // E_FAIL
    HRESULT DrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT* rect,
                                const RECT* clip) const;                             // E_FAIL
    HRESULT GetThemeBackgroundContentRect(HTHEME theme, HDC dc, int part, int state,
                                          const RECT* bounds, RECT* content) const;  // E_FAIL
    BOOL IsThemeActive() const;                                                      // FALSE
    BOOL IsAppThemed() const;                                                        // FALSE
    // The toolbar popup and the menu bar take their theme off a window.
    HRESULT SetWindowTheme(HWND window, LPCWSTR subAppName, LPCWSTR subIdList) const; // E_FAIL

    // Visual styles in use: IsAppThemed and IsThemeActive both true.
    bool IsThemed() const { return IsAppThemed() && IsThemeActive(); }

private:
    template <typename Fn> Fn Proc(Entry entry) const {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(m_procs[entry]));
    }

    IThemeLibraryLoader* m_loader;
    HMODULE m_hModule = nullptr;
    FARPROC m_procs[kEntryCount] = {};
};

// The program's binder, bound on first use (when the application object is
// made, before any window) and released at exit.
CThemeLibrary& ThemeLibrary();

} // namespace brx
