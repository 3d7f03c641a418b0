// A property sheet that lists its pages in a tree view on the left instead of
// tabs, with a caption frame above the page showing the selected page's name.
// The system tab control stays, hidden and disabled, as the sheet's model of
// the pages (order, names, images, current selection); the flat tree mirrors
// it. Ctrl+Tab and Ctrl+Shift+Tab move through the tree with wrap-around; a
// page that refuses to be left keeps the tree selection where it was.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "framework/PropertySheet.h"
#include "toolkit/controls/win/PropPageFrame.h"

namespace brx {

class CTreePropSheet : public CPropertySheet {
public:
    static constexpr UINT kTreeId = 40031;
    static constexpr UINT kFrameId = 0xFFFF;
    // The state image of every tree item: the first 8 x 16 image of this
    // bitmap, magenta transparent.
    static constexpr UINT kStateBitmapId = 157;
    static constexpr int kDefaultTreeWidth = 150;

    explicit CTreePropSheet(const wchar_t* caption = nullptr, HWND parent = nullptr, UINT selectPage = 0);
    ~CTreePropSheet() override;

    // Only before the sheet window exists; 1 when taken.
    BOOL SetTreeWidth(int width);
    int GetTreeWidth() const { return m_nTreeWidth; }
    // Gives a page its tree icon from the program's resources (PSP_USEHICON);
    // 0 when the icon does not exist.
    BOOL SetPageIcon(CPropertyPage* page, LPCWSTR iconName);
    BOOL SetPageIcon(CPropertyPage* page, UINT iconId) { return SetPageIcon(page, MAKEINTRESOURCEW(iconId)); }
    // The colour flag of the page image list (ILC_COLOR4 .. ILC_COLOR32).
    void SetImageListColorFlag(UINT flag) { m_nColorFlag = flag; }

    HWND GetPageTree() const { return m_hTree; }
    CPropPageFrame* GetPageFrame() const { return m_pFrame; }
    // The root-level item whose data is the page index, or null.
    HTREEITEM FindPageItem(int page) const;

    // EnumChildWindows callback: EnableWindow(window, enable), continues.
    static BOOL CALLBACK EnableChildProc(HWND window, LPARAM enable);

protected:
    // The frame the sheet shows its caption and page border with; the derived
    // sheet supplies it (null leaves the sheet without frame and tree).
    virtual CPropPageFrame* CreatePageFrame() = 0;

    BOOL OnInitDialog() override;
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void FillPageTree();
    void SelectCurrentPageItem();
    void UpdateCaption();
    // TVN_SELCHANGING: 1 cancels the change.
    LRESULT OnSelChanging(const NMTREEVIEWW& nm);
    bool OnDialogKey(const MSG* msg);
    void Cleanup();

    HWND m_hTree = nullptr;
    CPropPageFrame* m_pFrame = nullptr;
    bool m_bSelecting = false;
    HIMAGELIST m_hPageImages = nullptr;
    HIMAGELIST m_hStateImages = nullptr;
    int m_nTreeWidth = kDefaultTreeWidth;
    UINT m_nColorFlag = ILC_COLOR32;
};

} // namespace brx
