// The toolkit's application base: the facts about the running Windows
// version that every bar consults, the menu font and the menu effects the
// user chose (re-read on WM_SETTINGCHANGE), the optional UxTheme functions,
// and one image list that gives menu items their images.
//
// The frame (CFrameWndEx) marks every popup's items that have images as it
// opens (SetMenuImages) and draws them (MeasureMenuImage, DrawMenuImage).
#pragma once
#include <windows.h>
#include <uxtheme.h>

#include <map>
#include <unordered_map>

#include "framework/ImageList.h"
#include "framework/WinApp.h"
#include "toolkit/bars/BarState.h"

namespace brx {

class CWnd;

class CWinAppEx : public CWinApp {
public:
    explicit CWinAppEx(const wchar_t* appName = nullptr);
    ~CWinAppEx() override;
    CWinAppEx(const CWinAppEx&) = delete;
    CWinAppEx& operator=(const CWinAppEx&) = delete;

    int GetVersionClass() const { return m_nVersionClass; }

    // (Re)reads the non-client metrics and the five menu settings.
    void UpdateMenuSettings();
    const NONCLIENTMETRICSW& GetNonClientMetrics() const { return m_ncm; }
    const LOGFONTW& GetMenuFont() const { return m_ncm.lfMenuFont; }
    // Each is on only when the UI effects are on too.
    BOOL IsMenuAnimation() const { return m_settings.MenuAnimation(); }
    BOOL IsKeyboardCues() const { return m_settings.KeyboardCues(); }
    BOOL IsMenuFade() const { return m_settings.MenuFade(); }
    BOOL IsFlatMenu() const { return m_settings.FlatMenu(); }
    BOOL HasBitmapMenus() const { return m_bBitmapMenus; }
    const MenuEffectSettings& GetMenuSettings() const { return m_settings; }

    // 16x16 images, created on first use.
    CImageList& GetMenuImageList();
    // Adds the bitmap's images (mask colour transparent) and maps each command
    // to the first new image plus its position in the bitmap.
    BOOL AddMenuImages(const std::map<UINT, int>& positions, UINT bitmapId, COLORREF mask);
    // The image of a command, or -1.
    int GetMenuImage(UINT id) const;
    // Gives the items of a popup that have images the callback bitmap and sets
    // MNS_CHECKORBMP when the popup has images and no checked item.
    // recursive: submenus one level down too.
    void SetMenuImages(HMENU menu, bool recursive);

    // Owner drawing of the callback bitmaps (ODT_MENU); false when the item is
    // not ours, so the caller's default handling runs.
    bool MeasureMenuImage(MEASUREITEMSTRUCT& measure) const;
    bool DrawMenuImage(const DRAWITEMSTRUCT& draw);

    // The UxTheme functions of the program's theme binder (ThemeLibrary()),
    // passed through for version class 6 only; each answers 0 (or a null
    // handle) otherwise or when the library lacks them.
    static BOOL IsThemeActive();
    static HTHEME OpenThemeData(HWND hwnd, LPCWSTR classList);
    static HRESULT CloseThemeData(HTHEME theme);
    static HRESULT SetWindowTheme(HWND hwnd, LPCWSTR subAppName, LPCWSTR subIdList);
    static bool AreThemeFunctionsBound();

protected:
    // For tests: switching the theme calls on as the constructor does for a
    // version class; the binder owns the library, so module stays null.
    static void BindThemeFunctions(int versionClass, HMODULE& module);

private:
    int m_nVersionClass = 0;
    NONCLIENTMETRICSW m_ncm{};
    MenuEffectSettings m_settings;
    BOOL m_bBitmapMenus = FALSE;
    CImageList m_menuImages;
    std::unordered_map<UINT, int> m_commandImages;
};

// The application object when it is a CWinAppEx, else null.
CWinAppEx* AfxGetAppEx();

// Reads the menu font and the menu settings as the application does for a
// version class (below 5 only the metrics; flat menus only for class 6).
void ReadMenuSettings(int versionClass, NONCLIENTMETRICSW& metrics, MenuEffectSettings& settings);

// Shows a popup for owner on behalf of its frame: while it tracks, the
// frame's update handlers fill the items (WM_INITMENUPOPUP reaches owner);
// a chosen command is posted to owner as WM_COMMAND (unless TPM_RETURNCMD).
// Returns TrackPopupMenuEx's result.
BOOL TrackFramePopupMenu(HMENU menu, UINT flags, int x, int y, CWnd* owner, const TPMPARAMS* params);

} // namespace brx
