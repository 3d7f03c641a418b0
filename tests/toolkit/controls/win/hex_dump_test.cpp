// The hex dump window: clipboard text and bytes, selection, keyboard and
// mouse on a real window (screenshot hex_dump.bmp).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tests/framework/TestApp.h"
#include "tests/toolkit/TestHostWnd.h"
#include "toolkit/controls/win/HexDumpCtrl.h"

using namespace brx;
using namespace brx::test;

namespace {

std::wstring ClipboardText() {
    std::wstring text;
    if (!::OpenClipboard(nullptr)) return text;
    if (HANDLE h = ::GetClipboardData(CF_UNICODETEXT)) {
        if (auto* p = static_cast<const wchar_t*>(::GlobalLock(h))) {
            text = p;
            ::GlobalUnlock(h);
        }
    }
    ::CloseClipboard();
    return text;
}

std::vector<uint8_t> ClipboardBytes() {
    std::vector<uint8_t> bytes;
    if (!::OpenClipboard(nullptr)) return bytes;
    if (HANDLE h = ::GetClipboardData(CHexDumpCtrl::BinaryFormat())) {
        if (auto* p = static_cast<const uint8_t*>(::GlobalLock(h))) {
            bytes.assign(p, p + ::GlobalSize(h));
            ::GlobalUnlock(h);
        }
    }
    ::CloseClipboard();
    return bytes;
}

class HexDumpTest : public ::testing::Test {
protected:
    void SetUp() override {
        host = SharedHost(CRect(30, 30, 670, 290));
        ASSERT_NE(host->m_hWnd, nullptr);
        ASSERT_TRUE(hex.Create(host->GetClientRect(), *host, 5));
        for (int i = 0; i < 20; ++i) data.push_back(static_cast<uint8_t>(0x3A + i));
        data[1] = 0x0A;
        data[2] = 0x7F;
        hex.SetBytesPerLine(16, FALSE);
        hex.SetData(data.data(), data.size());
        Pump();
    }
    void Key(UINT vk) {
        hex.SendMessage(WM_KEYDOWN, vk, 0);
        Pump();
    }

    CTestHostWnd* host = nullptr;
    CHexDumpCtrl hex;
    std::vector<uint8_t> data;
};

TEST_F(HexDumpTest, ClipboardTextOfTwentyBytesAtSixteenPerLine) {
    ASSERT_TRUE(hex.CopyToClipboard(FALSE));
    const std::wstring expected =
        L"00000000  3A 0A 7F 3D 3E 3F 40 41 42 43 44 45 46 47 48 49  : . . = > ? @ A B C D E F G H I  \r\n"
        L"00000010  4A 4B 4C 4D " + std::wstring(12 * 3, L' ') + L" J K L M " + std::wstring(12 * 2, L' ') + L" \r\n";
    EXPECT_EQ(ClipboardText(), expected);
    EXPECT_EQ(ClipboardBytes(), data);
    // Lower case reaches the address too.
    std::vector<uint8_t> many(0x1B, 0xAB);
    hex.SetBytesPerLine(0x1A, FALSE);
    hex.SetData(many.data(), many.size(), FALSE);
    hex.SetLowercaseHex(TRUE, FALSE);
    ASSERT_TRUE(hex.CopyToClipboard(FALSE));
    const std::wstring lower = ClipboardText();
    EXPECT_EQ(lower.substr(lower.find(L"\r\n") + 2, 13), L"0000001a  ab ");
}

TEST_F(HexDumpTest, AOneByteSelectionCopiesOneByte) {
    hex.SetSelection(5, -1, TRUE);
    EXPECT_EQ(hex.GetSelectionStart(), 5u);
    EXPECT_EQ(hex.GetSelectionEnd(), 5u);
    ASSERT_TRUE(hex.CopyToClipboard(TRUE));
    EXPECT_EQ(ClipboardBytes(), std::vector<uint8_t>{data[5]});
    // A range (range selection is on by default), ordered.
    hex.SetSelection(9, 3, TRUE);
    ASSERT_TRUE(hex.CopyToClipboard(TRUE));
    EXPECT_EQ(ClipboardBytes(), std::vector<uint8_t>(data.begin() + 3, data.begin() + 10));
    // Without range selection every selection is one cell; out of range is ignored.
    hex.ModifyDisplayStyle(0, HEXDUMP_STYLE_RANGE, FALSE);
    hex.SetSelection(3, 9, TRUE);
    EXPECT_EQ(hex.GetSelectionEnd(), 3u);
    hex.SetSelection(20, 20, TRUE);  // at the cell count
    EXPECT_EQ(hex.GetSelectionStart(), 3u);
}

TEST_F(HexDumpTest, NoDataCopiesNothingAndColourSlotsStopAtNine) {
    hex.SetData(nullptr, 0);
    Pump();
    EXPECT_FALSE(hex.CopyToClipboard(FALSE));
    const COLORREF before = hex.GetColor(9);
    EXPECT_EQ(hex.SetColor(10, RGB(1, 2, 3)), 0u);
    EXPECT_EQ(hex.GetColor(9), before);
    EXPECT_EQ(hex.SetColor(9, RGB(1, 2, 3)), before);
    EXPECT_EQ(hex.GetColor(9), RGB(1, 2, 3));
}

TEST_F(HexDumpTest, KeyboardMovesTheSelectionAndStopsAtTheLastLine) {
    struct Step {
        UINT key;
        size_t selection;
    };
    const Step steps[] = {
        {VK_RIGHT, 1}, {VK_DOWN, 17}, {VK_DOWN, 17},  // last line, data ends mid-line: nothing moves
        {VK_END, 19},  {VK_HOME, 16}, {VK_UP, 0},     {VK_UP, 0}, {VK_LEFT, 0}, {VK_NEXT, 0},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.key);
        Key(s.key);
        EXPECT_EQ(hex.GetSelectionStart(), s.selection);
    }
    // Down from a cell whose target is past the data, not on the last line.
    hex.SetSelection(10, -1, TRUE);
    Key(VK_DOWN);
    EXPECT_EQ(hex.GetSelectionStart(), 10u);
}

TEST_F(HexDumpTest, AResizeClampsTheFirstVisibleLineAndTheScrollBarFollows) {
    std::vector<uint8_t> bytes(256);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i);
    hex.SetData(bytes.data(), bytes.size());
    hex.MoveWindow(CRect(0, 0, 600, 120));
    Pump();
    const HWND bar = ::GetDlgItem(hex, 100);
    ASSERT_NE(bar, nullptr);
    hex.SendMessage(WM_VSCROLL, SB_BOTTOM, reinterpret_cast<LPARAM>(bar));
    Pump();
    const size_t n = static_cast<size_t>(hex.GetLayout().cellsPerLine);
    ASSERT_EQ(n, 16u);
    ASSERT_GT(hex.GetFirstVisible(), 0u);
    // Taller by a few lines: the last line moves down to the bottom edge.
    hex.MoveWindow(CRect(0, 0, 600, 200));
    Pump();
    const HEXDUMP_LAYOUT taller = hex.GetLayout();
    const size_t lines = bytes.size() / n, pageLines = static_cast<size_t>(taller.cellsPerPage) / n;
    ASSERT_LT(pageLines, lines);
    EXPECT_EQ(hex.GetFirstVisible(), (lines - pageLines) * n);
    EXPECT_EQ(static_cast<size_t>(::GetScrollPos(bar, SB_CTL)), lines - pageLines);
    // Tall enough for everything: back at the top, no scroll bar.
    hex.MoveWindow(CRect(0, 0, 600, 1000));
    Pump();
    EXPECT_EQ(hex.GetFirstVisible(), 0u);
    EXPECT_FALSE(::IsWindowVisible(bar));
    // Narrower at the bottom: a line start of the new width, within the range.
    hex.MoveWindow(CRect(0, 0, 600, 120));
    hex.SetBytesPerLine(0, FALSE);
    Pump();
    hex.SendMessage(WM_VSCROLL, SB_BOTTOM, reinterpret_cast<LPARAM>(bar));
    Pump();
    hex.MoveWindow(CRect(0, 0, 300, 120));
    Pump();
    const HEXDUMP_LAYOUT narrow = hex.GetLayout();
    const size_t m = static_cast<size_t>(narrow.cellsPerLine);
    ASSERT_GT(m, 0u);
    EXPECT_EQ(hex.GetFirstVisible() % m, 0u);
    EXPECT_LE(hex.GetFirstVisible() / m, (bytes.size() + m - 1) / m - static_cast<size_t>(narrow.cellsPerPage) / m);
    EXPECT_EQ(static_cast<size_t>(::GetScrollPos(bar, SB_CTL)), hex.GetFirstVisible() / m);
}

TEST_F(HexDumpTest, ANarrowWindowStillShowsOneCellPerLine) {
    hex.SetBytesPerLine(0, FALSE);
    hex.MoveWindow(CRect(0, 0, 20, 200));
    Pump();
    EXPECT_EQ(hex.GetLayout().cellsPerLine, 1);
}

TEST_F(HexDumpTest, AClickSelectsTheCellUnderTheMouseAndADragARange) {
    hex.ModifyDisplayParts(0x1C, 0, FALSE);  // every part
    hex.ModifyDisplayStyle(HEXDUMP_STYLE_CAPTION, 0);
    hex.ModifyExtraStyle(0x3F, 0);
    hex.SetBytesPerLine(8, TRUE);
    std::vector<uint8_t> big(200);
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 7);
    hex.SetData(big.data(), big.size());
    Pump();
    const HEXDUMP_LAYOUT l = hex.GetLayout();
    ASSERT_TRUE(l.valid);
    const HexRect a = HexCellRect(l, HEX_PART_HEX, 1, 2);
    const HexRect b = HexCellRect(l, HEX_PART_HEX, 2, 5);
    hex.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(a.left + 2, a.top + 2));
    EXPECT_EQ(hex.GetSelectionStart(), 10u);
    hex.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(b.left + 2, b.top + 2));
    hex.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(b.left + 2, b.top + 2));
    EXPECT_EQ(hex.GetSelectionStart(), 10u);
    EXPECT_EQ(hex.GetSelectionEnd(), 21u);
    Pump();
    ::RedrawWindow(*host, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    EXPECT_TRUE(SaveScreenshot(*host, "hex_dump.bmp"));
    // The wheel scrolls a line.
    hex.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    EXPECT_EQ(hex.GetFirstVisible(), 8u);
}

} // namespace
