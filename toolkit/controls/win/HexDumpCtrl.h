// The hex dump window: an owned copy of a byte buffer shown as lines of
// cells in up to six parts (address, hexadecimal, decimal, binary, octal,
// characters), an optional caption row and value bar, selection by mouse and
// keyboard, its own vertical scroll bar and copying as text and raw bytes.
// The arithmetic lives in HexDumpLayout.h; this file draws and handles input.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

#include "framework/Wnd.h"
#include "toolkit/controls/HexDumpLayout.h"

namespace brx {

constexpr int kHexColorSlots = 10;
constexpr UINT kHexScrollBarId = 100;

class CHexDumpCtrl : public CWnd {
public:
    CHexDumpCtrl();
    ~CHexDumpCtrl() override;

    BOOL Create(const RECT& rect, HWND parent, UINT id, DWORD style = WS_VISIBLE, DWORD exStyle = 0);
    void SetData(const uint8_t* bytes, size_t length, BOOL redraw = TRUE);
    void SetFont(const LOGFONTW& font, BOOL redraw = TRUE);
    void SetFontByName(const wchar_t* face, int points, BOOL italic, BOOL bold, BOOL underline, BOOL strikeOut,
                       BOOL redraw = TRUE);
    void SetBytesPerLine(int count, BOOL redraw = TRUE);
    void SetLowercaseHex(BOOL lower, BOOL redraw = TRUE);
    void ModifyDisplayParts(uint32_t add, uint32_t remove, BOOL redraw = TRUE);
    void ModifyDisplayStyle(uint32_t add, uint32_t remove, BOOL redraw = TRUE);
    void ModifyExtraStyle(uint32_t add, uint32_t remove, BOOL redraw = TRUE);
    COLORREF SetColor(int slot, COLORREF color, BOOL redraw = TRUE);
    void SetFirstVisible(long long cell, BOOL redraw = TRUE);
    void SetSelection(long long first, long long last, BOOL scroll = TRUE);
    BOOL CopyToClipboard(BOOL selectionOnly);
    void ResetDefaults(BOOL redraw = TRUE);

    const std::vector<uint8_t>& GetData() const { return m_data; }
    size_t GetSelectionStart() const { return m_selStart; }
    size_t GetSelectionEnd() const { return m_selEnd; }
    size_t GetFirstVisible() const { return m_firstVisible; }
    uint32_t GetDisplayParts() const { return m_parts; }
    uint32_t GetDisplayStyle() const { return m_style; }
    COLORREF GetColor(int slot) const { return slot >= 0 && slot < kHexColorSlots ? m_colors[slot] : 0; }
    // The layout of the last paint (or of the current size when none).
    HEXDUMP_LAYOUT GetLayout() const;

    // The clipboard format of raw bytes.
    static UINT BinaryFormat();

protected:
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void ResetState();
    void ChangeDisplayWord(uint32_t& word, uint32_t add, uint32_t remove, BOOL redraw);
    void Repaint(BOOL redraw) {
        if (redraw && m_hWnd) Invalidate(FALSE);
    }
    void Relayout();
    void OnPaint();
    void PaintValueBar(HDC dc, const HEXDUMP_LAYOUT& l, COLORREF text);
    void PaintParts(HDC dc, const HEXDUMP_LAYOUT& l, COLORREF text);
    void UpdateScrollBar(const HEXDUMP_LAYOUT& l);
    void OnKeyDown(UINT key);
    void OnMouseMove(POINT pt);
    void OnLButtonDown(POINT pt);
    void OnVScroll(int code);
    void ScrollToFirst(size_t first);
    void DrawHover(HDC dc, bool erase);
    size_t CurrentCell() const;

    std::vector<uint8_t> m_data;
    uint32_t m_parts = kHexDefaultParts;
    uint32_t m_style = kHexDefaultStyle;
    uint32_t m_valueBar = kHexDefaultValueBar;
    int m_fixedCellsPerLine = 0;
    int m_cellsPerLine = 1;
    int m_cellsPerPage = 0;
    size_t m_firstVisible = 0;
    size_t m_selStart = 0, m_selEnd = 0, m_anchor = 0;
    int m_hoverPart = -1;
    size_t m_hoverCell = 0;
    RECT m_hoverRect{};
    HFONT m_hFont = nullptr;
    int m_charWidth = 0, m_lineHeight = 0;
    bool m_bLower = false;
    bool m_bFocus = false, m_bSelecting = false, m_bTracking = false;
    COLORREF m_colors[kHexColorSlots] = {};
    COLORREF m_disabledText = 0, m_disabledBack = 0;
    HWND m_hScroll = nullptr;
    HEXDUMP_LAYOUT m_layout;
};

} // namespace brx
