// The frame of a tree property sheet's page area: a caption bar above the
// page showing the selected page's name, and the page's border.
// CPropPageFrame is the interface the sheet talks to; CPropPageFrameDefault
// draws like a tab pane when visual styles are active (through the theme
// binder) and with a sunken edge and caption colours otherwise.
#pragma once
#include <windows.h>

#include <string>

#include "framework/Geometry.h"
#include "framework/Wnd.h"

namespace brx {

class CThemeLibrary;

class CPropPageFrame {
public:
    CPropPageFrame() = default;
    virtual ~CPropPageFrame() = default;
    CPropPageFrame(const CPropPageFrame&) = delete;
    CPropPageFrame& operator=(const CPropPageFrame&) = delete;

    virtual BOOL Create(DWORD style, const RECT& rect, HWND parent, UINT id) = 0;
    virtual CWnd* GetWnd() = 0;
    // Invalidates the caption rectangle (with erase) when the window exists.
    virtual void UpdateCaption();
    virtual void SetCaptionHeight(int height);
    virtual void SetCaption(const wchar_t* text, HICON icon = nullptr);
    virtual void DrawCaption(HDC dc);
    // The client rectangle with its bottom at top + caption height.
    virtual CRect GetCaptionRect();
    virtual void DrawCaptionContent(HDC dc, const RECT& rect, const wchar_t* text, HICON icon) {}

    int GetCaptionHeight() const { return m_nCaptionHeight; }
    const std::wstring& GetCaption() const { return m_strCaption; }
    HICON GetCaptionIcon() const { return m_hCaptionIcon; }

protected:
    int m_nCaptionHeight = 0;
    std::wstring m_strCaption;
    HICON m_hCaptionIcon = nullptr;
};

class CPropPageFrameDefault : public CWnd, public CPropPageFrame {
public:
    // theme: the binder to ask about visual styles (the program's by default).
    explicit CPropPageFrameDefault(const CThemeLibrary* theme = nullptr);
    ~CPropPageFrameDefault() override;

    BOOL Create(DWORD style, const RECT& rect, HWND parent, UINT id) override;
    CWnd* GetWnd() override { return this; }
    CRect GetCaptionRect() override;
    void DrawCaptionContent(HDC dc, const RECT& rect, const wchar_t* text, HICON icon) override;

    // Visual styles in use: IsAppThemed and IsThemeActive both true.
    bool IsThemed() const;
    HFONT GetCaptionFont() const { return m_hCaptionFont; }

protected:
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    const CThemeLibrary& m_theme;
    HFONT m_hCaptionFont = nullptr;
};

} // namespace brx
