// The toolbar's customize dialog as the toolkit shows it: the common
// controls' own dialog, taken over while it is open. Its two button lists are
// drawn with the toolbar's own images and texts, and the options dialog below
// them chooses the text labels and the icon size.
//
// A toolbar starts the take-over when customisation begins (TBN_BEGINADJUST):
// a thread CBT hook catches the creation of the common dialog and subclasses
// it. One dialog exists at a time.
#pragma once
#include <windows.h>

#include <vector>

#include "framework/Dialog.h"
#include "framework/Wnd.h"

namespace brx {

class CToolBarEx;

// Ids of the common dialog's lists and of the options dialog's combos.
constexpr UINT IDC_CUSTOMIZE_AVAILABLE = 201;
constexpr UINT IDC_CUSTOMIZE_CURRENT = 203;
constexpr UINT IDC_OPTIONS_ICON = 101;
constexpr UINT IDC_OPTIONS_TEXT = 102;

class COptionsDialog : public CDialog {
public:
    explicit COptionsDialog(CToolBarEx* toolBar);
    // A child of the customize dialog (hidden until placed).
    BOOL Create(HWND parent);

    // Selects the combo item of the option and stores it.
    void SelectTextOption(int option);
    void SelectIconOption(int option);

    int m_nTextOption = 0;
    int m_nIconOption = 0;

    BOOL OnInitDialog() override;
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    // A child: Enter and Esc belong to the customize dialog.
    void OnOK() override {}
    void OnCancel() override {}

private:
    void OnSelChange(UINT comboId);

    CToolBarEx* m_pToolBar;
    std::vector<BYTE> m_template;
};

class CCustomizeDialog : public CWnd {
public:
    explicit CCustomizeDialog(CToolBarEx* toolBar);
    ~CCustomizeDialog() override;

    // The dialog that is open, or null.
    static CCustomizeDialog* Current();
    // Starts and ends the take-over of the next customize dialog for toolBar.
    static void InstallHook(CToolBarEx* toolBar);
    static void RemoveHook();
    static bool IsHookInstalled();
    static CToolBarEx* HookToolBar();

    // selectOnly: only the combo follows (after a reset); otherwise the
    // option goes to the toolbar with relayout. Both then fit the lists.
    void SetTextOption(int option, bool selectOnly);
    void SetIconOption(int option, bool selectOnly);

    CToolBarEx* GetToolBar() const { return m_pToolBar; }
    COptionsDialog& GetOptionsDialog() { return m_options; }

    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void PostNcDestroy() override { delete this; }

    // Draws one item of the button lists; false when the item is not one of
    // ours (the dialog's own drawing runs then).
    bool DrawListItem(const DRAWITEMSTRUCT& draw);
    // Whether the lists' items are drawn here: their item data was found in
    // the expected form when the dialog opened.
    bool DrawsItems() const { return m_bDrawItems; }

private:
    static LRESULT CALLBACK CbtHook(int code, WPARAM wp, LPARAM lp);
    int CellSize() const;
    void OnInitDialog();
    bool ListsCarryOurItemData() const;
    bool IsButtonList(UINT id) const { return id == IDC_CUSTOMIZE_AVAILABLE || id == IDC_CUSTOMIZE_CURRENT; }

    COptionsDialog m_options;
    CToolBarEx* m_pToolBar;
    bool m_bDrawItems = false;
};

} // namespace brx
