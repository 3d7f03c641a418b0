// The demo frame of the bar tests: a toolkit frame with a menu (whose
// "Q && A" popup has no mnemonic) in its menu bar, a customisable toolbar
// with images in a second rebar band, and a status bar whose last pane holds
// a progress control.
#pragma once
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "framework/Geometry.h"
#include "toolkit/bars/win/FrameWndEx.h"
#include "toolkit/bars/win/StatusControlBar.h"
#include "toolkit/bars/win/ToolBarEx.h"

namespace brx::test {

constexpr UINT kOpen = 0x7401, kExit = 0x7402, kStatus = 0x7403, kAbout = 0x7404, kCapture = 0x7405,
               kStop = 0x7406;
constexpr UINT kPaneFill = 0x7410;
constexpr UINT kDemoToolBarId = 0xE800;

HMENU BuildDemoMenu();

class CDemoToolBar : public CToolBarEx {
public:
    void GetButtonText(UINT id, std::wstring& text) override;
    // Stop shows only its image with the selective text option.
    bool HasButtonText(UINT id) override { return id != kStop; }
    // Options the customize dialog must not offer.
    std::set<int> refusedText, refusedIcon;
    bool IsTextOptionAvailable(int option) override { return !refusedText.count(option); }
    bool IsIconOptionAvailable(int option) override { return !refusedIcon.count(option); }
};

class CDemoFrame : public CFrameWndEx {
public:
    CDemoFrame() { m_bAutoDelete = false; }
    ~CDemoFrame() override;
    CDemoToolBar toolBar;
    CStatusControlBar statusBar;
    HWND progress = nullptr;
    HMENU m_menu = nullptr;
    std::vector<UINT> ran; // the commands that reached the frame

    // Creates and fills the frame at rect and makes it the active window;
    // shown only for tests that read the screen.
    bool Build(const RECT& rect = kDemoRect, bool shown = false);
    static constexpr RECT kDemoRect{40, 40, 680, 400};
    bool OnCommand(CCommand& cmd) override;
    bool OnUpdateCommand(CCmdUI& ui) override;
};

} // namespace brx::test
