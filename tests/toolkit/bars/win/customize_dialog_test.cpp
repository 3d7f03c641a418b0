// The toolbar's customize dialog taken over by the toolkit: opened with the
// toolbar's own command, it carries the options dialog below the common
// dialog's controls, offers only the options the toolbar allows, applies a
// chosen option at once, follows a reset, draws the button lists' items with
// the toolbar's images and texts, and ends (hook removed) when closed or when
// the program quits meanwhile.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <set>
#include <string>
#include <vector>

#include "tests/toolkit/bars/win/BarsTestUtil.h"
#include "tests/toolkit/bars/win/DemoFrame.h"
#include "toolkit/bars/win/CustomizeDialog.h"
#include "toolkit/bars/win/SizableReBar.h"
#include "toolkit/bars/win/ToolBarEx.h"

namespace brx {
namespace {

using test::CDemoFrame;

// Opens the dialog as the rebar's "Customize..." item does.
void Customize(CDemoFrame& frame) {
    frame.toolBar.ModifyStyle(0, CCS_ADJUSTABLE);
    frame.toolBar.SendMessage(WM_COMMAND, ID_TOOLBAR_CUSTOMIZE, 0);
}

std::vector<std::wstring> ComboTexts(HWND combo, std::vector<int>* options = nullptr) {
    std::vector<std::wstring> texts;
    int count = static_cast<int>(::SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[64] = {};
        ::SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        texts.emplace_back(text);
        if (options) options->push_back(static_cast<int>(::SendMessageW(combo, CB_GETITEMDATA, i, 0)));
    }
    return texts;
}

std::wstring SelectedText(HWND combo) {
    LRESULT sel = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (sel < 0) return L"";
    wchar_t text[64] = {};
    ::SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(sel), reinterpret_cast<LPARAM>(text));
    return text;
}

bool DialogIsUp() { return CCustomizeDialog::Current() != nullptr; }

void Close(CCustomizeDialog* dialog) {
    if (dialog) ::PostMessageW(dialog->m_hWnd, WM_COMMAND, IDCANCEL, 0);
}

TEST(CustomizeDialog, OptionsDialogSitsBelowTheListsAndOffersTheAllowedOptions) {
    CDemoFrame frame;
    ASSERT_TRUE(frame.Build());
    CCustomizeDialog* seen = nullptr;
    std::vector<std::wstring> texts, icons;
    std::vector<int> textOptions;
    std::wstring selectedText, selectedIcon;
    CRect client, options, dialogBefore;
    bool hooked = false, shot = false, firstItemIsOurs = false, drawsItems = true;
    test::RunScenario([&] { Customize(frame); },
                      {[&] {
                           seen = CCustomizeDialog::Current();
                           if (!seen) return;
                           hooked = CCustomizeDialog::IsHookInstalled();
                           COptionsDialog& opts = seen->GetOptionsDialog();
                           texts = ComboTexts(opts.GetDlgItem(IDC_OPTIONS_TEXT), &textOptions);
                           icons = ComboTexts(opts.GetDlgItem(IDC_OPTIONS_ICON));
                           selectedText = SelectedText(opts.GetDlgItem(IDC_OPTIONS_TEXT));
                           selectedIcon = SelectedText(opts.GetDlgItem(IDC_OPTIONS_ICON));
                           client = seen->GetClientRect();
                           // The lists are drawn here only when their items carry
                           // the record and image of each button (Wine keeps its
                           // own pointers there and draws them itself).
                           HWND current = seen->GetDlgItem(IDC_CUSTOMIZE_CURRENT);
                           firstItemIsOurs = ::SendMessageW(current, LB_GETITEMDATA, 0, 0) == MAKELONG(0, 0);
                           drawsItems = seen->DrawsItems();
                           options = test::ChildRect(opts.m_hWnd);
                           ::RedrawWindow(seen->m_hWnd, nullptr, nullptr,
                                          RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
                       },
                       [&] {
                           shot = test::SaveScreenshot(seen->m_hWnd, "customize_dialog.bmp");
                           Close(seen);
                       },
                       [] {}},
                      test::kReadyTickMs, DialogIsUp);
    ASSERT_NE(seen, nullptr);
    EXPECT_TRUE(hooked);
    EXPECT_TRUE(shot);
    EXPECT_EQ(drawsItems, firstItemIsOurs);
    EXPECT_EQ(texts, (std::vector<std::wstring>{L"Show text labels", L"Selective text on right", L"No text labels"}));
    EXPECT_EQ(textOptions, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(icons, (std::vector<std::wstring>{L"Small icons"})); // large icons are never offered
    EXPECT_EQ(selectedText, L"Selective text on right");
    EXPECT_EQ(selectedIcon, L"Small icons");
    // Placed at the left edge right below the common dialog's controls, as wide
    // as the client area, which grew by its height.
    EXPECT_EQ(options.left, 0);
    EXPECT_EQ(options.right, client.right);
    EXPECT_EQ(options.bottom, client.bottom);
    EXPECT_GT(options.Height(), 20);
    // Closed: the hook is gone and no dialog is current.
    EXPECT_EQ(CCustomizeDialog::Current(), nullptr);
    EXPECT_FALSE(CCustomizeDialog::IsHookInstalled());
}

TEST(CustomizeDialog, RefusedOptionsAreLeftOut) {
    CDemoFrame frame;
    frame.toolBar.refusedText = {1};
    frame.toolBar.refusedIcon = {0};
    ASSERT_TRUE(frame.Build());
    std::vector<std::wstring> texts, icons;
    std::vector<int> textOptions;
    bool seen = false;
    test::RunScenario([&] { Customize(frame); },
                      {[&] {
                          CCustomizeDialog* dialog = CCustomizeDialog::Current();
                          if (!dialog) return;
                          seen = true;
                          texts = ComboTexts(dialog->GetOptionsDialog().GetDlgItem(IDC_OPTIONS_TEXT), &textOptions);
                          icons = ComboTexts(dialog->GetOptionsDialog().GetDlgItem(IDC_OPTIONS_ICON));
                          Close(dialog);
                      },
                       [] {}},
                      test::kReadyTickMs, DialogIsUp);
    ASSERT_TRUE(seen);
    EXPECT_EQ(texts, (std::vector<std::wstring>{L"Show text labels", L"No text labels"}));
    EXPECT_EQ(textOptions, (std::vector<int>{0, 2})); // the item data is the option, not the position
    EXPECT_TRUE(icons.empty());
}

TEST(CustomizeDialog, ChoosingAnOptionAppliesItAndAResetSelectsTheDefaults) {
    CDemoFrame frame;
    ASSERT_TRUE(frame.Build());
    int afterChoice = -1, afterReset = -1;
    std::wstring comboAfterReset;
    test::RunScenario([&] { Customize(frame); },
                      {[&] {
                           CCustomizeDialog* dialog = CCustomizeDialog::Current();
                           if (!dialog) return;
                           HWND combo = dialog->GetOptionsDialog().GetDlgItem(IDC_OPTIONS_TEXT);
                           ::SendMessageW(combo, CB_SETCURSEL, 2, 0); // "No text labels"
                           dialog->GetOptionsDialog().SendMessage(WM_COMMAND, MAKEWPARAM(IDC_OPTIONS_TEXT, CBN_SELCHANGE),
                                                                   reinterpret_cast<LPARAM>(combo));
                           afterChoice = frame.toolBar.GetTextOption();
                           // The common dialog's Reset button.
                           NMHDR reset{frame.toolBar.m_hWnd, test::kDemoToolBarId, static_cast<UINT>(TBN_RESET)};
                           frame.m_wndReBar.SendMessage(WM_NOTIFY, test::kDemoToolBarId, reinterpret_cast<LPARAM>(&reset));
                           afterReset = frame.toolBar.GetTextOption();
                           comboAfterReset = SelectedText(combo);
                           Close(dialog);
                       },
                       [] {}},
                      test::kReadyTickMs, DialogIsUp);
    EXPECT_EQ(afterChoice, 2);
    EXPECT_EQ(afterReset, 1);
    EXPECT_EQ(comboAfterReset, L"Selective text on right");
    EXPECT_EQ(frame.toolBar.GetTextOption(), 1);
}

TEST(CustomizeDialog, QuitWhileOpenEndsTheDialogAndStillEndsTheProgram) {
    CDemoFrame frame;
    ASSERT_TRUE(frame.Build());
    EXPECT_TRUE(test::QuitEndsTheLoop([&] { Customize(frame); },
                                      [] { return CCustomizeDialog::Current() != nullptr; }, 5, DialogIsUp));
    EXPECT_EQ(CCustomizeDialog::Current(), nullptr);
    EXPECT_FALSE(CCustomizeDialog::IsHookInstalled());
}

// The items of a list box drawn as the dialog draws them, into a bitmap.
class ItemCanvas {
public:
    static constexpr int kWidth = 200, kRow = 22;
    explicit ItemCanvas(int rows) : m_rows(rows) {
        m_screen = ::GetDC(nullptr);
        m_dc = ::CreateCompatibleDC(m_screen);
        m_bitmap = ::CreateCompatibleBitmap(m_screen, kWidth, kRow * rows);
        m_old = ::SelectObject(m_dc, m_bitmap);
        ::SelectObject(m_dc, ::GetStockObject(DEFAULT_GUI_FONT));
    }
    ~ItemCanvas() {
        ::SelectObject(m_dc, m_old);
        ::DeleteObject(m_bitmap);
        ::DeleteDC(m_dc);
        ::ReleaseDC(nullptr, m_screen);
    }
    bool Draw(CCustomizeDialog& dialog, HWND list, UINT listId, int index, UINT state) {
        DRAWITEMSTRUCT draw{};
        draw.CtlType = ODT_LISTBOX;
        draw.CtlID = listId;
        draw.itemID = static_cast<UINT>(index);
        draw.itemAction = ODA_DRAWENTIRE;
        draw.itemState = state;
        draw.hwndItem = list;
        draw.hDC = m_dc;
        draw.rcItem = RECT{0, index * kRow, kWidth, (index + 1) * kRow};
        return dialog.DrawListItem(draw);
    }
    COLORREF Pixel(int x, int y) const { return ::GetPixel(m_dc, x, y); }
    // Whether any pixel of the rectangle has the colour.
    bool Has(RECT rc, COLORREF colour) const {
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = rc.left; x < rc.right; ++x)
                if (Pixel(x, y) == colour) return true;
        return false;
    }
    bool Save(const char* name) const { return test::SaveBitmap(m_dc, 0, 0, kWidth, kRow * m_rows, name); }

private:
    int m_rows;
    HDC m_screen, m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
};

TEST(CustomizeDialog, ListItemsAreDrawnWithTheToolbarsImagesAndTexts) {
    CDemoFrame frame;
    ASSERT_TRUE(frame.Build());
    // A dialog object of our own over a plain window, and a list whose items
    // carry the data the common controls give the dialog's lists.
    auto* dialog = new CCustomizeDialog(&frame.toolBar);
    HWND host = ::CreateWindowExW(0, L"#32770", L"", WS_POPUP, 0, 0, 300, 200, frame.m_hWnd, nullptr, nullptr, nullptr);
    ASSERT_TRUE(dialog->SubclassWindow(host));
    HWND list = ::CreateWindowExW(0, L"LISTBOX", L"", WS_CHILD | LBS_OWNERDRAWFIXED, 0, 0, 200, 120, host,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_CUSTOMIZE_CURRENT)), nullptr, nullptr);
    // One item per toolbar button (open, separator, capture, stop, about) and the end.
    const LPARAM data[] = {MAKELONG(0, 0), MAKELONG(0, 1), MAKELONG(1, 2), MAKELONG(3, 3), MAKELONG(2, 4), -1};
    for (LPARAM d : data) ::SendMessageW(list, LB_ADDSTRING, 0, d);
    dialog->SendMessage(WM_INITDIALOG);
    ASSERT_TRUE(dialog->DrawsItems());

    ItemCanvas canvas(6);
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE), highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    for (int row = 0; row < 6; ++row)
        ASSERT_TRUE(canvas.Draw(*dialog, list, IDC_CUSTOMIZE_CURRENT, row, row == 3 ? ODS_SELECTED | ODS_FOCUS : 0));
    EXPECT_TRUE(canvas.Save("customize_items.bmp"));

    // Row 2: the capture image (a red disc) in the cell shrunk by 3, the text
    // on the button face.
    COLORREF disc = canvas.Pixel(3 + 8, 44 + 3 + 8);
    EXPECT_GT(GetRValue(disc), 180);
    EXPECT_LT(GetGValue(disc), 80);
    EXPECT_EQ(canvas.Pixel(1, 45), face);
    EXPECT_TRUE(canvas.Has(RECT{27, 44, 80, 66}, ::GetSysColor(COLOR_BTNTEXT)));
    // Row 1: an etched line across the middle of the cell, no image.
    EXPECT_EQ(canvas.Pixel(10, 22 + 10), ::GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(canvas.Pixel(10, 22 + 11), ::GetSysColor(COLOR_BTNHIGHLIGHT));
    // Row 3, selected with the focus: highlight right of the cell, a raised
    // frame round the cell, the focus frame in the inverse colour.
    EXPECT_EQ(canvas.Pixel(23, 66 + 1), highlight);
    EXPECT_EQ(canvas.Pixel(0, 66), ::GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(canvas.Pixel(21, 66 + 21), ::GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(canvas.Pixel(25, 66 + 10),
              RGB(GetRValue(highlight) ^ 255, GetGValue(highlight) ^ 255, GetBValue(highlight) ^ 255));
    EXPECT_EQ(canvas.Pixel(3 + 8, 66 + 3 + 8), RGB(40, 40, 40)); // the stop image
    // Row 5, the end of the current list: embossed text, no etched line.
    EXPECT_TRUE(canvas.Has(RECT{27, 110, 100, 132}, ::GetSysColor(COLOR_BTNSHADOW)));
    EXPECT_NE(canvas.Pixel(10, 110 + 10), ::GetSysColor(COLOR_BTNSHADOW));

    // Item data that is not of this form is left to the dialog.
    ::SendMessageW(list, LB_SETITEMDATA, 2, MAKELONG(7, 2)); // record 2 has image 1, not 7
    EXPECT_FALSE(canvas.Draw(*dialog, list, IDC_CUSTOMIZE_CURRENT, 2, 0));
    // Lists whose data does not follow the toolbar's buttons: nothing is drawn.
    ::SendMessageW(list, LB_SETITEMDATA, 2, MAKELONG(1, 2));
    ::SendMessageW(list, LB_SETITEMDATA, 0, 0x370BE0); // a pointer, as some systems keep there
    dialog->SendMessage(WM_INITDIALOG);
    EXPECT_FALSE(dialog->DrawsItems());
    EXPECT_FALSE(canvas.Draw(*dialog, list, IDC_CUSTOMIZE_CURRENT, 1, 0));
    ::DestroyWindow(host); // deletes the dialog object
}

} // namespace
} // namespace brx
