// The read-only rich-text panes' base: a Rich Edit 2.0 window that picks
// fonts present on the machine, streams RTF in from memory, appends
// formatted text, keeps its caret hidden and offers Copy / Select All.
#pragma once
#include <windows.h>
#include <richedit.h>

#include <functional>
#include <string>

#include "framework/Wnd.h"

namespace brx {

constexpr UINT ID_EDIT_COPY_TEXT = 40028;
constexpr UINT ID_EDIT_SELECT_ALL_TEXT = 40026;

// Whether a font family of that face has the pitch bit (VARIABLE_PITCH or
// FIXED_PITCH) on the screen.
using FontProbe = std::function<bool(const wchar_t* face, BYTE pitch)>;
bool ScreenHasFont(const wchar_t* face, BYTE pitch);

class CRichEditBase : public CWnd {
public:
    CRichEditBase();
    ~CRichEditBase() override;

    static const wchar_t* WindowClass() { return L"RichEdit20W"; }
    BOOL Create(DWORD style, const RECT& rect, HWND parent, UINT id);

    void InitFormat();
    void ChooseFonts();
    void SetTabStops(int first, int second, int third);
    BOOL SetRtf(const char* data, size_t length);
    BOOL ReplaceSelRtf(const char* data, size_t length);
    void AppendText(DWORD effects, COLORREF color, int font, const wchar_t* text);
    void AppendNewLine();

    const std::wstring& GetProportionalFont() const { return m_proportional; }
    const std::wstring& GetFixedFont() const { return m_fixed; }
    void SetFontProbe(FontProbe probe) { m_probe = std::move(probe); }

    // What the context menu offers now: Copy and Select All enabled.
    struct MenuState {
        bool copy;
        bool selectAll;
    };
    MenuState GetMenuState() const;

protected:
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    // Shows the menu and returns the chosen command (0 for none).
    virtual UINT TrackMenu(HMENU menu, POINT screen);

private:
    BOOL Stream(const char* data, size_t length, int format);
    void OnContextMenu(POINT pt);

    std::wstring m_proportional = L"Arial";
    std::wstring m_fixed = L"Courier New";
    HMODULE m_hRichEdit = nullptr;
    FontProbe m_probe;
};

} // namespace brx
