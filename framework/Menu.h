// A menu that owns its handle when it made or loaded it (destroyed with the
// object unless detached); Attach wraps a menu without taking it over.
// TrackPopupMenu shows a popup for a window on behalf of its frame: the
// frame's update handlers fill the popup's items as it opens, and the chosen
// command takes the frame's route (active view, frame, application).
#pragma once
#include <windows.h>

#include <string>

namespace brx {

class CWnd;

class CMenu {
public:
    CMenu() = default;
    ~CMenu() { DestroyMenu(); }
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    HMENU m_hMenu = nullptr;
    operator HMENU() const { return m_hMenu; }
    HMENU GetSafeHmenu() const { return m_hMenu; }

    BOOL CreateMenu() { return Own(::CreateMenu()); }
    BOOL CreatePopupMenu() { return Own(::CreatePopupMenu()); }
    BOOL LoadMenu(UINT id);
    // Wraps a menu that stays its owner's.
    BOOL Attach(HMENU menu) {
        DestroyMenu();
        m_hMenu = menu;
        m_bOwns = false;
        return menu != nullptr;
    }
    HMENU Detach() {
        HMENU menu = m_hMenu;
        m_hMenu = nullptr;
        m_bOwns = false;
        return menu;
    }
    BOOL DestroyMenu() {
        HMENU menu = m_hMenu;
        bool owns = m_bOwns;
        Detach();
        return menu && owns ? ::DestroyMenu(menu) : FALSE;
    }

    BOOL AppendMenu(UINT flags, UINT_PTR idOrPopup = 0, const wchar_t* text = nullptr) {
        return ::AppendMenuW(m_hMenu, flags, idOrPopup, text);
    }
    BOOL InsertMenu(UINT position, UINT flags, UINT_PTR idOrPopup = 0, const wchar_t* text = nullptr) {
        return ::InsertMenuW(m_hMenu, position, flags, idOrPopup, text);
    }
    BOOL ModifyMenu(UINT position, UINT flags, UINT_PTR idOrPopup = 0, const wchar_t* text = nullptr) {
        return ::ModifyMenuW(m_hMenu, position, flags, idOrPopup, text);
    }
    BOOL RemoveMenu(UINT position, UINT flags) { return ::RemoveMenu(m_hMenu, position, flags); }
    BOOL DeleteMenu(UINT position, UINT flags) { return ::DeleteMenu(m_hMenu, position, flags); }
    int GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }
    UINT GetMenuItemID(int position) const { return ::GetMenuItemID(m_hMenu, position); }
    HMENU GetSubMenu(int position) const { return ::GetSubMenu(m_hMenu, position); }
    UINT GetMenuState(UINT item, UINT flags) const { return ::GetMenuState(m_hMenu, item, flags); }
    UINT EnableMenuItem(UINT item, UINT flags) { return static_cast<UINT>(::EnableMenuItem(m_hMenu, item, flags)); }
    UINT CheckMenuItem(UINT item, UINT flags) { return ::CheckMenuItem(m_hMenu, item, flags); }
    BOOL SetDefaultItem(UINT item, BOOL byPosition = FALSE) { return ::SetMenuDefaultItem(m_hMenu, item, byPosition); }
    BOOL GetMenuItemInfo(UINT item, MENUITEMINFOW& info, BOOL byPosition = FALSE) const {
        return ::GetMenuItemInfoW(m_hMenu, item, byPosition, &info);
    }
    BOOL SetMenuItemInfo(UINT item, const MENUITEMINFOW& info, BOOL byPosition = FALSE) {
        return ::SetMenuItemInfoW(m_hMenu, item, byPosition, &info);
    }
    std::wstring GetMenuString(UINT item, UINT flags) const;

    // Shows the popup for owner. Without TPM_RETURNCMD in flags the chosen
    // command runs through the frame of owner (or owner itself when it is a
    // frame) and the result is nonzero when one was chosen; with it, the
    // command id is returned and nothing runs.
    BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, const TPMPARAMS* params = nullptr) const;

private:
    BOOL Own(HMENU menu) {
        DestroyMenu();
        m_hMenu = menu;
        m_bOwns = menu != nullptr;
        return m_bOwns;
    }
    bool m_bOwns = false;
};

} // namespace brx
