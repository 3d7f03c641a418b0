// A static text turned into a link: link colours, an underlined font, a hand
// cursor, a tooltip with the target, and the shell opens the target on a
// click or on Space.
#pragma once
#include <windows.h>

#include <string>

#include "framework/CommonControls.h"
#include "framework/Gdi.h"
#include "framework/StdControls.h"

namespace brx {

enum : DWORD {
    HLS_UNDERLINE = 0x01,
    HLS_HOVERCOLOR = 0x02,
    HLS_AUTOSIZE = 0x04,
    HLS_DOWNCLICK = 0x08,
    HLS_GETFOCUS = 0x10,
    HLS_NOHANDCURSOR = 0x20,
    HLS_NOACTIVECOLOR = 0x40,
};
constexpr DWORD kHyperLinkDefaultStyle = HLS_UNDERLINE | HLS_AUTOSIZE | HLS_GETFOCUS;

class CHyperLink : public CStatic {
public:
    // The colours of every link of the process; hover -1: the highlight colour.
    static void SetColors(COLORREF normal, COLORREF active, COLORREF visited, COLORREF hover = static_cast<COLORREF>(-1));
    static COLORREF NormalColor();
    static COLORREF ActiveColor();
    static COLORREF VisitedColor();
    static COLORREF HoverColor();

    // Takes over a static control (of a dialog) and makes it a link.
    BOOL SubclassLink(HWND hwnd);
    void SetURL(const wchar_t* url);
    const std::wstring& GetURL() const { return m_url; }
    void SetToolTipText(const wchar_t* text);
    BOOL ModifyLinkStyle(DWORD remove, DWORD add, BOOL redraw = TRUE);
    DWORD GetLinkStyle() const { return m_style; }
    void SetFont(HFONT font);
    void SetWindowText(const wchar_t* text);

    bool IsVisited() const { return m_bVisited != 0; }
    bool IsActive() const { return m_bActive != 0; }
    bool IsHover() const { return m_bHover != 0; }
    COLORREF CurrentColor() const;
    CToolTipCtrl& GetToolTip() { return m_toolTip; }

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    // The shell's answer for opening a target (above 32 on success).
    virtual INT_PTR ShellOpen(const wchar_t* target);
    virtual void Beep();

private:
    void Open();
    void ResizeToText();
    void RebuildFont();

    int m_bActive = 0;
    int m_bHover = 0;
    int m_bVisited = 0;
    DWORD m_style = kHyperLinkDefaultStyle;
    std::wstring m_url;
    CFont m_font;
    CToolTipCtrl m_toolTip;
};

} // namespace brx
