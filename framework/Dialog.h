// Dialogs. A modal dialog is a modeless one run by our own loop (the owner
// disabled meanwhile), so the application's pre-translation and idle pass go
// on while it is open; a modeless dialog lives in the main loop, whose
// pre-translation hands its keys to IsDialogMessage.
//
// Data exchange: DoDataExchange moves values between members and controls in
// both directions (UpdateData(FALSE) fills the controls, UpdateData(TRUE)
// reads and checks them); a failed check focuses the control and makes
// UpdateData return FALSE. Members read before the failed check keep their
// new values, so callers trust the members only after IDOK.
#pragma once
#include <windows.h>
#include <string>

#include "framework/Wnd.h"

namespace brx {

class CDataExchange;

class CDialog : public CWnd {
public:
    CDialog() = default;
    // From a dialog resource, or from a template in memory (kept by the caller).
    explicit CDialog(UINT templateId, HWND parent = nullptr);
    explicit CDialog(const DLGTEMPLATE* dialogTemplate, HWND parent = nullptr);

    // Modeless creation.
    BOOL Create(UINT templateId, HWND parent = nullptr);
    BOOL CreateIndirect(const DLGTEMPLATE* dialogTemplate, HWND parent = nullptr);
    // Runs the dialog modally; returns the EndDialog code, -1 when it could not
    // be created.
    virtual INT_PTR DoModal();
    // Ends a modal dialog; destroys a modeless one.
    void EndDialog(INT_PTR result);
    bool IsModal() const { return m_bModal; }

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* dx) {}
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    void NextDlgCtrl() const { ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, 0, FALSE); }
    void PrevDlgCtrl() const { ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, 1, FALSE); }
    void GotoDlgCtrl(HWND control) const {
        ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    }
    void SetDefID(UINT id) { SendMessage(DM_SETDEFID, id); }

    BOOL PreTranslateMessage(MSG* msg) override;
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    bool OnCommand(CCommand& cmd) override;

protected:
    // Runs until EndDialog (or WM_QUIT, which is posted again).
    void RunModalLoop();
    // Whether the modal loop goes on.
    virtual bool ContinueModal();
    // Creates the window that DoModal runs (owner disabled meanwhile).
    virtual BOOL CreateForModal(HWND owner);

    UINT m_nIDTemplate = 0;
    const DLGTEMPLATE* m_lpTemplate = nullptr;
    HWND m_hWndParent = nullptr;
    INT_PTR m_nModalResult = -1;
    bool m_bModal = false;
    bool m_bEndModal = false;
};

// The dialog procedure of dialogs that the system creates from our templates
// (property pages, hooked common dialogs). The object arrives with
// WM_INITDIALOG: Read finds it in that message's lParam (a page's
// PROPSHEETPAGEW, a common dialog's structure). The thunk then attaches it to
// the window through the subclass chain and hands it WM_INITDIALOG; every
// later message reaches the object's OnWndMsg before the dialog manager, and
// the object is let go at WM_NCDESTROY like any window's.
using DialogObjectReader = CWnd* (*)(LPARAM initParam);
INT_PTR DialogThunkMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, CWnd* object);
template <DialogObjectReader Read>
INT_PTR CALLBACK DialogThunk(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return DialogThunkMessage(hwnd, msg, wp, lp, msg == WM_INITDIALOG ? Read(lp) : nullptr);
}

class CDataExchange {
public:
    CDataExchange(CWnd* dialog, bool saveAndValidate) : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
    CWnd* m_pDlgWnd;
    bool m_bSaveAndValidate;
    bool m_bFail = false;
    HWND m_hWndLastControl = nullptr;

    // The control with the id, remembered for Fail. Null when missing (which
    // fails the exchange).
    HWND PrepareCtrl(int id);
    // Marks the exchange failed and focuses the last prepared control.
    void Fail();
};

void DDX_Text(CDataExchange* dx, int id, std::wstring& value);
// Whole numbers; reading fails on text that is not a number in range.
void DDX_Text(CDataExchange* dx, int id, int& value);
void DDX_Text(CDataExchange* dx, int id, UINT& value);
// Check box: 0 unchecked, 1 checked, 2 indeterminate.
void DDX_Check(CDataExchange* dx, int id, int& value);
// The group of radio buttons that starts at id (WS_GROUP up to the next
// WS_GROUP): the index of the checked one, -1 for none.
void DDX_Radio(CDataExchange* dx, int id, int& value);
void DDX_CBIndex(CDataExchange* dx, int id, int& value);
void DDX_LBIndex(CDataExchange* dx, int id, int& value);
// Subclasses the control on the first exchange.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
void DDV_MinMaxInt(CDataExchange* dx, int value, int minValue, int maxValue);
void DDV_MaxChars(CDataExchange* dx, const std::wstring& value, int maxChars);

} // namespace brx
