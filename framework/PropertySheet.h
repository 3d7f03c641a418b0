// Property sheets and pages over the system property sheet. The header
// structures (m_psh, m_psp) stay open to callers for their flags, titles and
// icons. A sheet always runs modeless underneath: DoModal disables the owner
// and runs our own loop, whose pre-translation hands keys to the sheet
// (PSM_ISDIALOGMESSAGE), so Tab, Ctrl+Tab and the mnemonics work everywhere.
//
// Pages answer the sheet's notifications through virtual functions:
// OnSetActive, OnKillActive (false keeps the page, e.g. on invalid data),
// OnApply (false refuses), OnReset, OnQueryCancel, OnHelp. SetModified marks
// a page changed, which enables Apply; applying clears the mark.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <string>
#include <vector>

#include "framework/Dialog.h"

namespace brx {

class CPropertySheet;

class CPropertyPage : public CDialog {
public:
    // A page from a dialog resource; captionId 0 takes the template's title.
    explicit CPropertyPage(UINT templateId, UINT captionId = 0);

    // The page's header: PSP_* flags (PSP_HASHELP on by default), title, icon.
    // Its dialog procedure and lParam belong to the page.
    PROPSHEETPAGEW m_psp{};

    CPropertySheet* GetSheet() const;
    HWND GetSheetWindow() const { return GetParent(); }
    void SetModified(bool changed = true);
    bool IsModified() const { return m_bModified; }

    virtual BOOL OnSetActive() { return TRUE; }
    // Data exchange checks the page's values; false keeps the page.
    virtual BOOL OnKillActive() { return UpdateData(TRUE); }
    // Default: OnOK, then the page is no longer modified.
    virtual BOOL OnApply();
    virtual void OnReset() { OnCancel(); }
    virtual BOOL OnQueryCancel() { return TRUE; }
    virtual void OnHelp() {}
    // A page neither ends nor destroys itself on OK or Cancel: the sheet does.
    void OnOK() override {}
    void OnCancel() override {}

    BOOL PreTranslateMessage(MSG* msg) override;
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    bool OnCommand(CCommand& cmd) override;

private:
    friend class CPropertySheet;
    std::wstring m_strCaption;
    bool m_bModified = false;
};

class CPropertySheet : public CDialog {
public:
    explicit CPropertySheet(const wchar_t* caption = nullptr, HWND parent = nullptr, UINT selectPage = 0);

    // The sheet's header: PSH_* flags (PSH_HASHELP on by default), caption and
    // start page. Pages and the dialog procedure are filled at creation.
    PROPSHEETHEADERW m_psh{};

    // Pages belong to the caller and must outlive the sheet's window.
    void AddPage(CPropertyPage* page);
    void RemovePage(int index);
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    CPropertyPage* GetPage(int index) const;
    int GetPageIndex(const CPropertyPage* page) const;
    int GetActiveIndex() const;
    CPropertyPage* GetActivePage() const;
    // False when the current page refuses to be left.
    BOOL SetActivePage(int index);
    BOOL SetActivePage(CPropertyPage* page) { return SetActivePage(GetPageIndex(page)); }
    HWND GetTabControl() const { return reinterpret_cast<HWND>(SendMessage(PSM_GETTABCONTROL)); }
    void SetTitle(const wchar_t* text, UINT style = 0);
    // PSBTN_OK, PSBTN_CANCEL, PSBTN_APPLYNOW, ...
    void PressButton(int button) { PostMessage(PSM_PRESSBUTTON, static_cast<WPARAM>(button)); }
    // Applies every created page (PSN_APPLY); false when one refused.
    BOOL Apply() { return SendMessage(PSM_APPLY) != 0; }
    void CancelToClose() { SendMessage(PSM_CANCELTOCLOSE); }

    // Modeless: shows the sheet and returns; it lives in the main loop.
    BOOL Create(HWND parent = nullptr);
    // DoModal runs the sheet in our own loop until OK, Cancel or close, and
    // answers IDOK or IDCANCEL.
    // Whether the sheet was closed (OK, Cancel or the close box), and how:
    // IDOK when OK closed it, else IDCANCEL.
    bool IsClosed() const;
    INT_PTR GetResult() const;

    // Runs after the system's own initialisation of the sheet (pages, tab
    // control and buttons exist).
    BOOL OnInitDialog() override { return TRUE; }

    BOOL PreTranslateMessage(MSG* msg) override;
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    bool OnCommand(CCommand& cmd) override;

protected:
    bool ContinueModal() override;
    BOOL CreateForModal(HWND owner) override { return Create(owner); }

private:
    std::vector<CPropertyPage*> m_pages;
    std::vector<PROPSHEETPAGEW> m_built;
    std::wstring m_strCaption;
    friend class CPropertyPage;
    bool m_bApplyingOk = false; // the last PSN_APPLY came from OK and succeeded
};

} // namespace brx
