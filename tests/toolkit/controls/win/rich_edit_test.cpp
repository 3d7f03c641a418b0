// The rich-edit base on a real Rich Edit 2.0 window: long RTF, appended
// text, the context menu's states, the font fallback chain, and the test
// frame with a tree-list, a hex dump and coloured RTF (controls_frame.bmp).
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "tests/framework/TestApp.h"
#include "tests/toolkit/TestHostWnd.h"
#include "toolkit/controls/win/HexDumpCtrl.h"
#include "toolkit/controls/win/RichEditBase.h"
#include "toolkit/controls/win/TreeList.h"

using namespace brx;
using namespace brx::test;

namespace {

// Answers the menu with a scripted command and keeps what it offered.
class CScriptedRichEdit : public CRichEditBase {
public:
    UINT answer = 0;
    std::vector<std::pair<UINT, bool>> offered;  // command, enabled

protected:
    UINT TrackMenu(HMENU menu, POINT) override {
        offered.clear();
        for (int i = 0, n = ::GetMenuItemCount(menu); i < n; ++i) {
            const UINT id = ::GetMenuItemID(menu, i);
            if (id == static_cast<UINT>(-1) || id == 0) continue;
            offered.emplace_back(id, !(::GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED));
        }
        return answer;
    }
};

std::wstring Text(HWND edit) {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
    return text;
}

class RichEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        host = SharedHost(CRect(10, 10, 510, 310));
        ASSERT_NE(host->m_hWnd, nullptr);
        ASSERT_TRUE(edit.Create(WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY, CRect(0, 0, 500, 300), *host, 9));
        edit.MoveWindow(CRect(0, 0, 500, 300));
        edit.InitFormat();
        Pump();
    }
    void ContextMenu() { edit.SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(edit.m_hWnd), MAKELPARAM(-1, -1)); }

    CTestHostWnd* host = nullptr;
    CScriptedRichEdit edit;
};

TEST_F(RichEditTest, RtfOverThe32KLimitLoadsWhole) {
    std::string rtf = "{\\rtf1\\ansi ";
    std::string body;
    while (body.size() < 40000) body += "0123456789abcdefghijklmnopqrstuvwxyz ";
    rtf += body + "\\par END}";
    ASSERT_GT(rtf.size(), 0x7FFFu);
    ASSERT_TRUE(edit.SetRtf(rtf.data(), rtf.size()));
    const std::wstring text = Text(edit);
    EXPECT_GE(text.size(), body.size());
    EXPECT_NE(text.find(L"END"), std::wstring::npos);
    // Replacing the selection keeps the rest.
    CHARRANGE start{0, 0};
    edit.SendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&start));
    const std::string head = "{\\rtf1\\ansi HEAD }";
    ASSERT_TRUE(edit.ReplaceSelRtf(head.data(), head.size()));
    EXPECT_EQ(Text(edit).substr(0, 4), L"HEAD");
    EXPECT_NE(Text(edit).find(L"END"), std::wstring::npos);
}

TEST_F(RichEditTest, TheMenuGraysCopyWithoutSelectionAndSelectAllWithEverythingSelected) {
    ContextMenu();  // empty text
    EXPECT_EQ(edit.offered, (std::vector<std::pair<UINT, bool>>{{ID_EDIT_COPY_TEXT, false},
                                                                {ID_EDIT_SELECT_ALL_TEXT, false}}));
    edit.AppendText(CFE_BOLD, RGB(200, 0, 0), 0, L"Some text");
    edit.AppendNewLine();
    edit.AppendText(0, RGB(0, 0, 200), 1, L"more");
    CHARRANGE none{0, 0};
    edit.SendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&none));
    ContextMenu();
    EXPECT_EQ(edit.offered, (std::vector<std::pair<UINT, bool>>{{ID_EDIT_COPY_TEXT, false},
                                                                {ID_EDIT_SELECT_ALL_TEXT, true}}));
    // Select All through the menu, then both states flip.
    edit.answer = ID_EDIT_SELECT_ALL_TEXT;
    ContextMenu();
    edit.answer = 0;
    ContextMenu();
    EXPECT_EQ(edit.offered, (std::vector<std::pair<UINT, bool>>{{ID_EDIT_COPY_TEXT, true},
                                                                {ID_EDIT_SELECT_ALL_TEXT, false}}));
    // Copy through the menu puts the text on the clipboard.
    edit.answer = ID_EDIT_COPY_TEXT;
    ContextMenu();
    ASSERT_TRUE(::OpenClipboard(nullptr));
    HANDLE h = ::GetClipboardData(CF_UNICODETEXT);
    std::wstring copied = h ? static_cast<const wchar_t*>(::GlobalLock(h)) : L"";
    if (h) ::GlobalUnlock(h);
    ::CloseClipboard();
    EXPECT_NE(copied.find(L"Some text"), std::wstring::npos);
}

TEST_F(RichEditTest, AppendedTextTakesItsEffectsColourAndFont) {
    edit.AppendText(CFE_BOLD, RGB(200, 0, 0), 0, L"red");
    edit.AppendText(0, RGB(0, 0, 200), 1, L"blue");
    edit.AppendText(0, 0, 0, nullptr);
    EXPECT_EQ(Text(edit), L"redblue");
    CHARRANGE blue{3, 7};
    edit.SendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&blue));
    CHARFORMATW cf{};
    cf.cbSize = sizeof(cf);
    edit.SendMessage(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    EXPECT_EQ(cf.crTextColor, RGB(0, 0, 200));
    EXPECT_FALSE(cf.dwEffects & CFE_BOLD);
    EXPECT_EQ(std::wstring(cf.szFaceName), edit.GetFixedFont());
}

TEST(RichEditFonts, TheFallbackChainTakesTheFirstFontPresent) {
    struct Case {
        std::set<std::wstring> present;
        const wchar_t* proportional;
        const wchar_t* fixed;
    };
    const Case cases[] = {
        {{L"Arial", L"Tahoma", L"Courier New"}, L"Arial", L"Courier New"},
        {{L"Tahoma", L"Verdana", L"Courier"}, L"Tahoma", L"Courier"},
        {{L"Verdana"}, L"Verdana", L""},
        {{}, L"", L""},
    };
    for (const Case& c : cases) {
        CRichEditBase edit;
        std::vector<std::wstring> asked;
        edit.SetFontProbe([&](const wchar_t* face, BYTE) {
            asked.push_back(face);
            return c.present.count(face) != 0;
        });
        edit.ChooseFonts();
        EXPECT_EQ(edit.GetProportionalFont(), c.proportional);
        EXPECT_EQ(edit.GetFixedFont(), c.fixed);
    }
    // The real probe finds something the screen has.
    EXPECT_FALSE(ScreenHasFont(L"No Such Font Face", VARIABLE_PITCH));
}

// The three controls side by side, as the panes show them.
TEST(ControlsFrame, TreeListHexDumpAndRichEditTogether) {
    CTestHostWnd* host = SharedHost(CRect(0, 0, 900, 560));
    ASSERT_NE(host->m_hWnd, nullptr);
    CTestHostWnd& frame = *host;
    CTreeList tree;
    ASSERT_TRUE(tree.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 450, 300), frame, 1));
    tree.ModifyStyle(0x0002, 0x1035);
    tree.InsertColumn(0, L"Field Name", 0, 150);
    tree.InsertColumn(1, L"Value", 0, 140);
    tree.InsertColumn(2, L"Comment", 0, 200);
    HTREEITEM irp = tree.InsertItemA("IRP", TVI_ROOT, TVI_LAST);
    HTREEITEM stack = tree.InsertItemA("StackLocation", irp, TVI_LAST);
    for (const char* field : {"MajorFunction", "MinorFunction", "Flags"}) {
        HTREEITEM row = tree.InsertItemA(field, stack, TVI_LAST);
        tree.SetItemTextA(row, 1, "0000000Fh");
        tree.SetItemTextA(row, 2, "IRP_MJ_INTERNAL_DEVICE_CONTROL");
    }
    tree.SetItemTextA(irp, 1, "8A0D1000h");
    tree.GetTreeCtrl().Expand(irp, TVE_EXPAND);
    tree.GetTreeCtrl().Expand(stack, TVE_EXPAND);

    CHexDumpCtrl hex;
    ASSERT_TRUE(hex.Create(CRect(0, 300, 900, 560), frame, 2));
    std::vector<uint8_t> bytes(300);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 13 + 1);
    hex.SetData(bytes.data(), bytes.size());
    hex.SetSelection(18, 40, TRUE);

    CRichEditBase rich;
    ASSERT_TRUE(rich.Create(WS_VISIBLE | ES_MULTILINE | ES_READONLY, CRect(450, 0, 900, 300), frame, 3));
    rich.MoveWindow(CRect(450, 0, 900, 300));
    rich.InitFormat();
    const std::string rtf =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fmodern Courier New;}}"
        "{\\colortbl;\\red0\\green0\\blue0;\\red0\\green0\\blue255;\\red255\\green0\\blue0;\\red0\\green128\\blue0;}"
        "\\f0\\fs20\\cf2\\b URB_FUNCTION_BULK_OR_INTERRUPT_TRANSFER\\b0\\par"
        "\\cf1 Status: \\cf4 USBD_STATUS_SUCCESS\\par"
        "\\cf3 Transfer: 512 bytes\\par\\f1\\cf1 00 01 02 03 04 05 06 07\\par}";
    ASSERT_TRUE(rich.SetRtf(rtf.data(), rtf.size()));
    Pump();
    ::RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    EXPECT_TRUE(SaveScreenshot(frame, "controls_frame.bmp"));
}

} // namespace
