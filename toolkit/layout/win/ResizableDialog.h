// CLD, the base of the resizable settings dialogs: a dialog with a size grip
// and a layout manager (CLM) that places its controls, bounds its size and
// paints its background, and that remembers its window placement from one
// run to the next in the application profile under (section, entry).
//
// A derived dialog passes its template, section and entry to the constructor,
// calls CLD::OnInitDialog first in its own OnInitDialog, then builds its
// layout tree (see toolkit/layout/win/LayoutManager.h) and hands the root to
// SetRoot:
//
//   CFilterDialog::CFilterDialog(HWND parent)
//       : CLD(IDD_FILTER, parent, L"FilterSettings", L"WindowPlacement", TRUE) {}
//
//   BOOL CFilterDialog::OnInitDialog() {
//       CLD::OnInitDialog();           // grip, thick frame, saved placement
//       CPane root = CreateRoot(LM_COLUMN);
//       root->AddItem(MakeItem(IDC_TREE, 0))
//           ->AddPane(MakePane(LM_ROW, LM_FIXED_H)
//                         ->AddItem(MakeGrowingSpacer(0))
//                         ->AddItem(MakeItem(IDOK, LM_FIXED_W | LM_FIXED_H))
//                         ->AddItem(MakeItem(IDCANCEL, LM_FIXED_W | LM_FIXED_H)));
//       SetRoot(root);
//       return TRUE;
//   }
//
// The placement is saved when the dialog is destroyed, and the tree is
// released then. Maximising hides the grip; restoring shows it again.
#pragma once
#include <windows.h>

#include "framework/Dialog.h"
#include "toolkit/layout/win/LayoutManager.h"
#include "toolkit/layout/win/ResizableGrip.h"

namespace brx {

class CLD : public CDialog, public CResizableGrip, public CLM {
public:
    // section null: no placement is saved or restored; entry null:
    // "WindowPlacement".
    CLD(UINT templateId, HWND parent = nullptr, const wchar_t* section = nullptr, const wchar_t* entry = nullptr,
        BOOL showGrip = TRUE);
    CLD(const DLGTEMPLATE* dialogTemplate, HWND parent = nullptr, const wchar_t* section = nullptr,
        const wchar_t* entry = nullptr, BOOL showGrip = TRUE);

    // The base initialisation; creates the grip, adds the thick frame,
    // restores the saved placement or centres the dialog. Returns TRUE.
    BOOL OnInitDialog() override;
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    CWnd* GetResizableWnd() const override { return const_cast<CLD*>(this); }

protected:
    void OnSize(UINT type, int cx, int cy);
    void OnGetMinMaxInfo(MINMAXINFO* info);

    DWORD m_dwGripVisible = 1; // bit 0: the window is not maximised
    BOOL m_bShowGrip;
};

} // namespace brx
