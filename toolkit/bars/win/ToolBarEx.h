// The customisable toolbar: it keeps every possible button (only some shown),
// three text-label options and small or large icons, answers the common
// customize dialog from its button records, gives tooltips by text option,
// and saves its options in front of the control's own button records when
// the rebar saves its state.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/ToolBar.h"

namespace brx {

struct TBBUTTONEX {
    TBBUTTON tbinfo;
    BOOL bInitiallyVisible; // shown at first and after a reset
};

constexpr UINT ID_TOOLBAR_CUSTOMIZE = 33001; // "Customize..."

class CToolBarEx : public CToolBar {
public:
    CToolBarEx();
    ~CToolBarEx() override;

    BOOL Create(HWND parent, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP, UINT id = AFX_IDW_TOOLBAR);
    // Bitmap resources of the small and large images (-1: none; the normal
    // ones are required), the icon option to start with and the mask colour.
    void SetBitmaps(int smallNormal, int smallHot, int smallDisabled, int largeNormal, int largeHot,
                    int largeDisabled, int iconOption, COLORREF mask = RGB(255, 0, 255));
    // Every possible button, the visible ones added to the bar; textOption
    // becomes the default a reset returns to.
    void SetButtons(int count, const TBBUTTONEX* buttons, int textOption);
    void SetTextOption(int option, bool relayout = true);
    void SetIconOptions(int option, bool relayout = true);
    int GetTextOption() const { return m_nTextOption; }
    int GetIconOption() const { return m_nIconOption; }
    int GetVersionClass() const { return m_nVersionClass; }
    const std::vector<TBBUTTONEX>& GetButtonRecords() const { return m_buttons; }

    virtual LRESULT OnCustomDraw(NMTBCUSTOMDRAW& draw);
    virtual bool HasButtonText(UINT id) { return true; }
    virtual bool HasButtonTip(UINT id);
    // The part after the first '\n' of the command's string resource.
    virtual void GetButtonText(UINT id, std::wstring& text);
    virtual void GetButtonTip(UINT id, std::wstring& tip) { GetButtonText(id, tip); }
    virtual void Init() {}
    virtual bool IsTextOptionAvailable(int option) { return true; }
    virtual bool IsIconOptionAvailable(int option) { return true; }

    // Rebuilds every button from its record, keeping the order.
    void RefreshButtons();
    // Sets the band of this bar in the parent rebar to the buttons' size.
    void UpdateBandSize();
    // Shows the default buttons with the default options again.
    void Reset();

    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    bool OnReflectedNotify(NMHDR& nm, LRESULT& result);
    LRESULT OnSave(NMTBSAVE& save);
    LRESULT OnRestore(NMTBRESTORE& restore);
    const TBBUTTONEX* FindRecord(int id) const;
    // Moves the saved records worth restoring to the front; their count.
    size_t KeepRestorableRecords(NMTBRESTORE& restore) const;
    void DeleteAllButtons();
    void ReplaceImageList(UINT msg, int resource, int size);

    std::vector<TBBUTTONEX> m_buttons;
    int m_nVersionClass = 0;
    int m_nTextOption = -1;
    int m_nIconOption = -1;
    int m_nDefaultTextOption = 0;
    int m_nDefaultIconOption = 0;
    int m_bitmaps[6] = {-1, -1, -1, -1, -1, -1};
    HIMAGELIST m_images[3] = {nullptr, nullptr, nullptr};
    COLORREF m_clrMask = RGB(255, 0, 255);
};

} // namespace brx
