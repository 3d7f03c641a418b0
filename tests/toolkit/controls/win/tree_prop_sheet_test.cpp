// The tree property sheet on a real modeless sheet: its layout (tree width,
// hidden tab control, frame in the tab's place), Ctrl+Tab wrapping through
// the main loop's pre-translation, a page that refuses to be left keeping
// the tree selection, tree and index selection in step, the caption, and the
// page frame with and without visual styles (theme binder through its
// loader seam). Screenshots of the sheet are saved and looked at.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "tests/framework/TestApp.h"
#include "tests/toolkit/controls/win/tree_sheet_test_ids.h"
#include "toolkit/controls/win/TreePropSheet.h"
#include "toolkit/theme/win/ThemeLibrary.h"

namespace brx {
namespace {

class CRefusingPage : public CPropertyPage {
public:
    explicit CRefusingPage(UINT id) : CPropertyPage(id) { m_psp.dwFlags &= ~PSP_HASHELP; }
    bool refuse = false;
    int killActive = 0;
    BOOL OnKillActive() override {
        ++killActive;
        return refuse ? FALSE : TRUE;
    }
};

// A loader that finds no library: the frame draws classically.
class CNoLibrary : public IThemeLibraryLoader {
public:
    HMODULE Load() override { return nullptr; }
    FARPROC GetProc(HMODULE, const char*) override { return nullptr; }
    void Free(HMODULE) override {}
};

class CTestTreeSheet : public CTreePropSheet {
public:
    explicit CTestTreeSheet(const CThemeLibrary* theme = nullptr) : CTreePropSheet(L"Tree sheet"), m_theme(theme) {
        m_psh.dwFlags &= ~PSH_HASHELP;
    }
    int framesMade = 0;

protected:
    CPropPageFrame* CreatePageFrame() override {
        ++framesMade;
        return new CPropPageFrameDefault(m_theme);
    }

private:
    const CThemeLibrary* m_theme;
};

void HoldKeys(bool ctrl, bool shift) {
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_CONTROL] = keys[VK_LCONTROL] = ctrl ? 0x80 : 0;
    keys[VK_SHIFT] = keys[VK_LSHIFT] = shift ? 0x80 : 0;
    ::SetKeyboardState(keys);
}

// Ctrl(+Shift)+Tab as the keyboard gives it to the focused window, through
// the main loop.
void CtrlTab(bool shift) {
    HoldKeys(true, shift);
    HWND focus = ::GetFocus();
    ::PostMessageW(focus, WM_KEYDOWN, VK_TAB, 1);
    ::PostMessageW(focus, WM_KEYUP, VK_TAB, 0xC0000001);
    test::Pump();
    HoldKeys(false, false);
}

std::wstring ItemText(HWND tree, HTREEITEM item) {
    wchar_t text[300] = {};
    TVITEMW tv{};
    tv.mask = TVIF_TEXT | TVIF_HANDLE;
    tv.hItem = item;
    tv.pszText = text;
    tv.cchTextMax = 300;
    TreeView_GetItem(tree, &tv);
    return text;
}

int SelectedPage(HWND tree) {
    TVITEMW tv{};
    tv.mask = TVIF_PARAM | TVIF_HANDLE;
    tv.hItem = TreeView_GetSelection(tree);
    if (!tv.hItem || !TreeView_GetItem(tree, &tv)) return -1;
    return static_cast<int>(tv.lParam);
}

// Width of a sheet with the same pages and no tree.
int PlainSheetWidth() {
    CRefusingPage a(IDD_TREE_PAGE_A), b(IDD_TREE_PAGE_B), c(IDD_TREE_PAGE_C);
    CPropertySheet plain(L"Plain");
    plain.m_psh.dwFlags &= ~PSH_HASHELP;
    plain.AddPage(&a);
    plain.AddPage(&b);
    plain.AddPage(&c);
    if (!plain.Create()) return -1;
    const int width = plain.GetWindowRect().Width();
    plain.DestroyWindow();
    return width;
}

class TreePropSheetTest : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TAB_CLASSES | ICC_TREEVIEW_CLASSES};
        ::InitCommonControlsEx(&icc);
    }
    void Build(CTestTreeSheet& sheet) {
        ASSERT_TRUE(sheet.SetPageIcon(&a, IDI_TREE_PAGE_A));
        ASSERT_FALSE(sheet.SetPageIcon(&b, 9999)); // no such icon: no image
        ASSERT_TRUE(sheet.SetPageIcon(&c, IDI_TREE_PAGE_C));
        sheet.AddPage(&a);
        sheet.AddPage(&b);
        sheet.AddPage(&c);
    }
    CRefusingPage a{IDD_TREE_PAGE_A}, b{IDD_TREE_PAGE_B}, c{IDD_TREE_PAGE_C};
};

TEST_F(TreePropSheetTest, LayoutTreeItemsAndCaption) {
    const int plainWidth = PlainSheetWidth();
    ASSERT_GT(plainWidth, 0);
    CTestTreeSheet sheet;
    EXPECT_EQ(sheet.GetTreeWidth(), 150);
    EXPECT_TRUE(sheet.SetTreeWidth(200));
    Build(sheet);
    ASSERT_TRUE(sheet.Create());
    EXPECT_FALSE(sheet.SetTreeWidth(120)); // too late
    EXPECT_EQ(sheet.GetTreeWidth(), 200);
    EXPECT_EQ(sheet.framesMade, 1);

    EXPECT_EQ(sheet.GetWindowRect().Width(), plainWidth + 200);
    HWND tree = sheet.GetPageTree();
    ASSERT_TRUE(tree);
    EXPECT_EQ(::GetDlgCtrlID(tree), 40031);
    RECT treeRect{};
    ::GetWindowRect(tree, &treeRect);
    EXPECT_EQ(treeRect.right - treeRect.left, 195);
    HWND tab = sheet.GetTabControl();
    EXPECT_FALSE(::GetWindowLongW(tab, GWL_STYLE) & WS_VISIBLE);
    EXPECT_FALSE(::IsWindowEnabled(tab));
    // The frame stands where the tab control is (both moved right).
    HWND frame = ::GetDlgItem(sheet, 0xFFFF);
    ASSERT_TRUE(frame);
    RECT frameRect{}, tabRect{};
    ::GetWindowRect(frame, &frameRect);
    ::GetWindowRect(tab, &tabRect);
    EXPECT_TRUE(::EqualRect(&frameRect, &tabRect));
    EXPECT_GE(frameRect.left, treeRect.right);

    // One bold root item per page, in order, with the state image and the
    // page icons (none for the page without one).
    ASSERT_EQ(TreeView_GetCount(tree), 3u);
    const wchar_t* titles[] = {L"Alpha", L"Bravo", L"Charlie with a rather long page title"};
    int index = 0;
    for (HTREEITEM item = TreeView_GetRoot(tree); item; item = TreeView_GetNextSibling(tree, item), ++index) {
        EXPECT_EQ(ItemText(tree, item), titles[index]);
        EXPECT_EQ(TreeView_GetChild(tree, item), nullptr);
        TVITEMW tv{};
        tv.mask = TVIF_STATE | TVIF_IMAGE | TVIF_PARAM | TVIF_HANDLE;
        tv.stateMask = TVIS_BOLD | TVIS_STATEIMAGEMASK;
        tv.hItem = item;
        ASSERT_TRUE(TreeView_GetItem(tree, &tv));
        EXPECT_TRUE(tv.state & TVIS_BOLD);
        EXPECT_EQ(tv.state & TVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(1));
        EXPECT_EQ(tv.lParam, index);
        EXPECT_EQ(sheet.FindPageItem(index), item);
        TCITEMW tci{};
        tci.mask = TCIF_IMAGE;
        TabCtrl_GetItem(tab, index, &tci);
        EXPECT_EQ(tci.iImage >= 0, index != 1) << index;
        EXPECT_EQ(tv.iImage, tci.iImage >= 0 ? tci.iImage : I_IMAGENONE) << index;
    }
    EXPECT_EQ(sheet.FindPageItem(3), nullptr);
    EXPECT_EQ(sheet.FindPageItem(-1), nullptr);
    EXPECT_EQ(SelectedPage(tree), 0);
    EXPECT_EQ(sheet.GetPageFrame()->GetCaption(), L"Alpha");
    RECT item0{};
    TabCtrl_GetItemRect(tab, 0, &item0);
    EXPECT_EQ(sheet.GetPageFrame()->GetCaptionHeight(), item0.bottom - item0.top + 2);
    sheet.DestroyWindow();
    EXPECT_EQ(sheet.GetPageTree(), nullptr);
    EXPECT_EQ(sheet.GetPageFrame(), nullptr);
}

TEST_F(TreePropSheetTest, CtrlTabWrapsAndTreeAndIndexStayInStep) {
    CTestTreeSheet sheet;
    Build(sheet);
    ASSERT_TRUE(sheet.Create());
    HWND tree = sheet.GetPageTree();
    struct Step {
        const char* what;
        int select;  // -1: a key; else PSM_SETCURSEL with this index; 10+n: click item n
        bool shift;
        int page;
    };
    const Step steps[] = {
        {"Ctrl+Shift+Tab on the first wraps to the last", -1, true, 2},
        {"Ctrl+Tab on the last wraps to the first", -1, false, 0},
        {"Ctrl+Tab moves on", -1, false, 1},
        {"by index, the tree follows", 2, false, 2},
        {"by index back to the first", 0, false, 0},
        {"by tree, the sheet follows", 11, false, 1},
        {"by tree to the last", 12, false, 2},
    };
    for (const Step& s : steps) {
        if (s.select < 0) {
            ::SetFocus(tree);
            CtrlTab(s.shift);
        } else if (s.select < 10) {
            EXPECT_TRUE(sheet.SetActivePage(s.select)) << s.what;
        } else {
            EXPECT_TRUE(TreeView_SelectItem(tree, sheet.FindPageItem(s.select - 10))) << s.what;
        }
        test::Pump();
        EXPECT_EQ(sheet.GetActiveIndex(), s.page) << s.what;
        EXPECT_EQ(SelectedPage(tree), s.page) << s.what;
        EXPECT_EQ(TabCtrl_GetCurSel(sheet.GetTabControl()), s.page) << s.what;
        EXPECT_EQ(sheet.GetPageFrame()->GetCaption(), ItemText(tree, sheet.FindPageItem(s.page))) << s.what;
    }
    sheet.DestroyWindow();
}

TEST_F(TreePropSheetTest, APageThatRefusesToBeLeftKeepsTheTreeSelection) {
    CTestTreeSheet sheet;
    Build(sheet);
    ASSERT_TRUE(sheet.Create());
    HWND tree = sheet.GetPageTree();
    ASSERT_TRUE(sheet.SetActivePage(1));
    b.refuse = true;
    struct Attempt {
        const char* what;
        int how; // 0 tree click, 1 Ctrl+Tab, 2 by index
    };
    const Attempt attempts[] = {{"tree", 0}, {"Ctrl+Tab", 1}, {"index", 2}};
    for (const Attempt& at : attempts) {
        const int before = b.killActive;
        if (at.how == 0) TreeView_SelectItem(tree, sheet.FindPageItem(2));
        else if (at.how == 1) {
            ::SetFocus(tree);
            CtrlTab(false);
        } else EXPECT_FALSE(sheet.SetActivePage(0));
        test::Pump();
        EXPECT_GT(b.killActive, before) << at.what;
        EXPECT_EQ(sheet.GetActiveIndex(), 1) << at.what;
        EXPECT_EQ(SelectedPage(tree), 1) << at.what;
        EXPECT_EQ(sheet.GetPageFrame()->GetCaption(), L"Bravo") << at.what;
    }
    b.refuse = false;
    TreeView_SelectItem(tree, sheet.FindPageItem(2));
    EXPECT_EQ(sheet.GetActiveIndex(), 2);
    EXPECT_EQ(::GetFocus(), tree); // the tree keeps the focus
    sheet.DestroyWindow();
}

// The colour of the caption's middle row at a column, read from the screen.
COLORREF ScreenPixel(HWND window, int x, int y) {
    test::FlushToScreen();
    POINT p{x, y};
    ::ClientToScreen(window, &p);
    HDC screen = ::GetDC(nullptr);
    COLORREF c = ::GetPixel(screen, p.x, p.y);
    ::ReleaseDC(nullptr, screen);
    return c;
}

TEST_F(TreePropSheetTest, FrameDrawsClassicWithoutThemeAndLikeATabPaneWithIt) {
    CNoLibrary none;
    CThemeLibrary noTheme(&none);
    struct Case {
        const char* name;
        const CThemeLibrary* theme;
        bool themed;
    };
    // The test prefix has a theme active (WINE.md): the program's binder draws themed there.
    ASSERT_TRUE(ThemeLibrary().IsThemed());
    const Case cases[] = {{"classic", &noTheme, false}, {"themed", &ThemeLibrary(), true}};
    for (const Case& c : cases) {
        CTestTreeSheet sheet(c.theme);
        CRefusingPage pa(IDD_TREE_PAGE_A), pb(IDD_TREE_PAGE_B), pc(IDD_TREE_PAGE_C);
        sheet.SetPageIcon(&pa, IDI_TREE_PAGE_A);
        sheet.SetPageIcon(&pc, IDI_TREE_PAGE_C);
        sheet.AddPage(&pa);
        sheet.AddPage(&pb);
        sheet.AddPage(&pc);
        ASSERT_TRUE(sheet.Create()) << c.name;
        sheet.SetActivePage(2);
        ::UpdateWindow(sheet);
        HWND frame = ::GetDlgItem(sheet, 0xFFFF);
        auto* pageFrame = static_cast<CPropPageFrameDefault*>(sheet.GetPageFrame());
        EXPECT_EQ(pageFrame->IsThemed(), c.themed) << c.name;
        EXPECT_EQ((::GetWindowLongW(frame, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0, !c.themed) << c.name;
        const CRect caption = pageFrame->GetCaptionRect();
        EXPECT_GT(caption.Height(), 2) << c.name;
        // The caption is filled in the inactive-caption colour (left of the
        // centred text).
        EXPECT_EQ(ScreenPixel(frame, caption.left + 3, caption.top + caption.Height() / 2),
                  ::GetSysColor(COLOR_INACTIVECAPTION))
            << c.name;
        test::SaveWindowBmp(sheet, std::string(BRX_TEST_OUTPUT_DIR) + "/tree_prop_sheet_" + c.name + ".bmp");
        sheet.DestroyWindow();
    }
}

TEST_F(TreePropSheetTest, EnableChildProcEnablesEveryChild) {
    CTestTreeSheet sheet;
    Build(sheet);
    ASSERT_TRUE(sheet.Create());
    HWND page = a.m_hWnd;
    ::EnumChildWindows(page, &CTreePropSheet::EnableChildProc, FALSE);
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, IDC_TREE_PAGE_EDIT)));
    ::EnumChildWindows(page, &CTreePropSheet::EnableChildProc, TRUE);
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(page, IDC_TREE_PAGE_EDIT)));
    sheet.DestroyWindow();
}

} // namespace
} // namespace brx
