#include "toolkit/bars/win/WinAppEx.h"

#include <cstddef>

#include "framework/FrameWnd.h"
#include "framework/Gdi.h"
#include "framework/Resource.h"
#include "framework/SystemLibrary.h"
#include "framework/Wnd.h"
#include "toolkit/bars/win/VersionClass.h"
#include "toolkit/theme/win/ThemeLibrary.h"

namespace brx {

namespace {

// The metrics without the padded-border field that newer systems add: the
// size every Windows version accepts.
constexpr UINT kMetricsSize = 500;
static_assert(sizeof(NONCLIENTMETRICSW) >= kMetricsSize);

constexpr int kMenuImageSize = 16;

// Theme calls pass through for version class 6 only; the library itself is
// the program's one binder's.
bool g_themeForVersionClass = false;

uint32_t ReadSetting(UINT action) {
    BOOL value = FALSE;
    if (!::SystemParametersInfoW(action, 0, &value, 0)) return 0;
    return value ? 1u : 0u;
}

} // namespace

CWinAppEx* AfxGetAppEx() { return dynamic_cast<CWinAppEx*>(AfxGetApp()); }

void ReadMenuSettings(int versionClass, NONCLIENTMETRICSW& metrics, MenuEffectSettings& settings) {
    metrics.cbSize = kMetricsSize;
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, kMetricsSize, &metrics, 0);
    if (versionClass < 5) return;
    settings.menuAnimation = ReadSetting(SPI_GETMENUANIMATION);
    settings.keyboardCues = ReadSetting(SPI_GETKEYBOARDCUES);
    settings.uiEffects = ReadSetting(SPI_GETUIEFFECTS);
    settings.menuFade = ReadSetting(SPI_GETMENUFADE);
    if (versionClass == 6) settings.flatMenu = ReadSetting(SPI_GETFLATMENU);
}

CWinAppEx::CWinAppEx(const wchar_t* appName)
    : CWinApp(appName), m_nVersionClass(GetWindowsVersionClass()), m_bBitmapMenus(m_nVersionClass > 4) {
    HMODULE unused = nullptr;
    BindThemeFunctions(m_nVersionClass, unused);
    UpdateMenuSettings();
}

CWinAppEx::~CWinAppEx() { g_themeForVersionClass = false; }

void CWinAppEx::BindThemeFunctions(int versionClass, HMODULE& module) {
    // The binder loaded the library once; nothing is loaded here.
    module = nullptr;
    g_themeForVersionClass = versionClass == 6 && ThemeLibrary().GetModule() != nullptr;
}

bool CWinAppEx::AreThemeFunctionsBound() {
    const CThemeLibrary& theme = ThemeLibrary();
    return g_themeForVersionClass && theme.HasEntry(CThemeLibrary::kIsThemeActive) &&
           theme.HasEntry(CThemeLibrary::kOpenThemeData) && theme.HasEntry(CThemeLibrary::kCloseThemeData) &&
           theme.HasEntry(CThemeLibrary::kSetWindowTheme);
}

BOOL CWinAppEx::IsThemeActive() { return g_themeForVersionClass ? ThemeLibrary().IsThemeActive() : FALSE; }

HTHEME CWinAppEx::OpenThemeData(HWND hwnd, LPCWSTR classList) {
    return g_themeForVersionClass ? ThemeLibrary().OpenThemeData(hwnd, classList) : nullptr;
}

HRESULT CWinAppEx::CloseThemeData(HTHEME theme) {
    return g_themeForVersionClass && theme ? ThemeLibrary().CloseThemeData(theme) : 0;
}

HRESULT CWinAppEx::SetWindowTheme(HWND hwnd, LPCWSTR subAppName, LPCWSTR subIdList) {
    return g_themeForVersionClass ? ThemeLibrary().SetWindowTheme(hwnd, subAppName, subIdList) : 0;
}

void CWinAppEx::UpdateMenuSettings() { ReadMenuSettings(m_nVersionClass, m_ncm, m_settings); }

CImageList& CWinAppEx::GetMenuImageList() {
    if (!m_menuImages.GetSafeHandle()) m_menuImages.Create(kMenuImageSize, kMenuImageSize, ILC_COLOR8 | ILC_MASK, 1, 0);
    return m_menuImages;
}

BOOL CWinAppEx::AddMenuImages(const std::map<UINT, int>& positions, UINT bitmapId, COLORREF mask) {
    CImageList& images = GetMenuImageList();
    HBITMAP bitmap = LoadBitmapResource(bitmapId);
    if (!bitmap || !images.GetSafeHandle()) {
        if (bitmap) ::DeleteObject(bitmap);
        return FALSE;
    }
    int first = images.Add(bitmap, mask);
    ::DeleteObject(bitmap);
    if (first < 0) return FALSE;
    for (const auto& [id, position] : positions) m_commandImages[id] = first + position;
    return TRUE;
}

int CWinAppEx::GetMenuImage(UINT id) const {
    auto found = m_commandImages.find(id);
    return found == m_commandImages.end() ? -1 : found->second;
}

void CWinAppEx::SetMenuImages(HMENU menu, bool recursive) {
    if (!m_bBitmapMenus || !menu) return;
    bool hasImages = false;
    bool hasCheck = false;
    int count = ::GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        UINT id = ::GetMenuItemID(menu, position);
        if (id == static_cast<UINT>(-1)) {
            if (recursive) SetMenuImages(::GetSubMenu(menu, position), false);
            continue;
        }
        if (id == 0) continue;
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_BITMAP;
        if (GetMenuImage(id) >= 0) {
            info.hbmpItem = HBMMENU_CALLBACK;
            ::SetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
        } else if (!::GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info) || !info.hbmpItem) {
            continue;
        }
        hasImages = true;
        if (::GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED) hasCheck = true;
    }
    MENUINFO menuInfo{};
    menuInfo.cbSize = sizeof(menuInfo);
    menuInfo.fMask = MIM_STYLE;
    if (!::GetMenuInfo(menu, &menuInfo)) return;
    if (hasImages && !hasCheck) menuInfo.dwStyle |= MNS_CHECKORBMP;
    else menuInfo.dwStyle &= ~static_cast<DWORD>(MNS_CHECKORBMP);
    ::SetMenuInfo(menu, &menuInfo);
}

bool CWinAppEx::MeasureMenuImage(MEASUREITEMSTRUCT& measure) const {
    if (!m_bBitmapMenus || measure.CtlType != ODT_MENU) return false;
    measure.itemWidth = kMenuImageSize + 4;
    measure.itemHeight = kMenuImageSize;
    return true;
}

bool CWinAppEx::DrawMenuImage(const DRAWITEMSTRUCT& draw) {
    if (!m_bBitmapMenus || draw.CtlType != ODT_MENU) return false;
    int image = GetMenuImage(draw.itemID);
    if (image < 0 || !m_menuImages.GetSafeHandle()) return true;
    int x = draw.rcItem.left;
    int y = draw.rcItem.top + (draw.rcItem.bottom - draw.rcItem.top - kMenuImageSize) / 2;
    if (!(draw.itemState & ODS_GRAYED)) {
        m_menuImages.Draw(draw.hDC, image, POINT{x, y}, ILD_NORMAL);
        return true;
    }
    // A grayed item shows the image's silhouette: the image over a highlight
    // background, turned monochrome (background white, the rest black), is
    // copied so that the menu's own text and background colours paint it.
    HDC screen = ::GetDC(nullptr);
    HDC colourDC = ::CreateCompatibleDC(screen);
    HDC monoDC = ::CreateCompatibleDC(screen);
    HBITMAP colour = ::CreateCompatibleBitmap(screen, kMenuImageSize, kMenuImageSize);
    HBITMAP mono = ::CreateBitmap(kMenuImageSize, kMenuImageSize, 1, 1, nullptr);
    HGDIOBJ oldColour = ::SelectObject(colourDC, colour);
    HGDIOBJ oldMono = ::SelectObject(monoDC, mono);
    COLORREF background = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    RECT cell{0, 0, kMenuImageSize, kMenuImageSize};
    HBRUSH brush = ::CreateSolidBrush(background);
    ::FillRect(colourDC, &cell, brush);
    ::DeleteObject(brush);
    ::ImageList_Draw(m_menuImages, image, colourDC, 0, 0, ILD_TRANSPARENT);
    COLORREF oldBk = ::SetBkColor(colourDC, background);
    ::BitBlt(monoDC, 0, 0, kMenuImageSize, kMenuImageSize, colourDC, 0, 0, SRCCOPY);
    ::SetBkColor(colourDC, oldBk);
    ::BitBlt(draw.hDC, x, y, kMenuImageSize, kMenuImageSize, monoDC, 0, 0, SRCCOPY);
    ::SelectObject(monoDC, oldMono);
    ::SelectObject(colourDC, oldColour);
    ::DeleteObject(mono);
    ::DeleteObject(colour);
    ::DeleteDC(monoDC);
    ::DeleteDC(colourDC);
    ::ReleaseDC(nullptr, screen);
    return true;
}

BOOL TrackFramePopupMenu(HMENU menu, UINT flags, int x, int y, CWnd* owner, const TPMPARAMS* params) {
    if (!menu || !owner || !owner->m_hWnd) return FALSE;
    // A frame fills its popups itself; any other owner's popup is filled by
    // the route of its frame.
    CCmdTarget* target = nullptr;
    if (!owner->IsFrameWnd()) {
        CFrameWnd* frame = owner->GetParentFrame();
        target = frame ? static_cast<CCmdTarget*>(frame) : owner;
    }
    CCmdTarget* previous = CWnd::SetPopupUpdateTarget(target);
    BOOL result = ::TrackPopupMenuEx(menu, flags, x, y, owner->m_hWnd, const_cast<TPMPARAMS*>(params));
    CWnd::SetPopupUpdateTarget(previous);
    return result;
}

} // namespace brx
