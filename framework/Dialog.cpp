#include "framework/Dialog.h"

#include <cerrno>
#include <climits>
#include <cwchar>
#include <cwctype>

#include "framework/Resource.h"
#include "framework/WinApp.h"

namespace brx {

namespace {

// The dialog procedure behind our window procedure: everything we do not
// handle gets the dialog manager's default behaviour.
INT_PTR CALLBACK DialogStub(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

bool IsRadio(HWND hwnd) { return (::SendMessageW(hwnd, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) != 0; }

} // namespace

INT_PTR DialogThunkMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, CWnd* object) {
    // Once attached, the object saw the message before the dialog manager
    // called us: nothing more to do here.
    if (msg != WM_INITDIALOG || !object || CWnd::FromHandle(hwnd)) return FALSE;
    if (!object->SubclassWindow(hwnd)) return FALSE;
    try {
        LRESULT result = TRUE; // focus the first control unless the object says otherwise
        if (!object->OnWndMsg(msg, wp, lp, result)) result = TRUE;
        return static_cast<INT_PTR>(result);
    } catch (...) {
        ::OutputDebugStringW(L"brx: exception in a dialog's WM_INITDIALOG\n");
        return TRUE;
    }
}

CDialog::CDialog(UINT templateId, HWND parent) : m_nIDTemplate(templateId), m_hWndParent(parent) {}

CDialog::CDialog(const DLGTEMPLATE* dialogTemplate, HWND parent) : m_lpTemplate(dialogTemplate), m_hWndParent(parent) {}

BOOL CDialog::Create(UINT templateId, HWND parent) {
    m_nIDTemplate = templateId;
    HRSRC found =
        ::FindResourceW(AfxGetResourceHandle(), MAKEINTRESOURCEW(templateId), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
    HGLOBAL loaded = found ? ::LoadResource(AfxGetResourceHandle(), found) : nullptr;
    auto* tmpl = loaded ? static_cast<const DLGTEMPLATE*>(::LockResource(loaded)) : nullptr;
    if (!tmpl) return FALSE;
    return CreateIndirect(tmpl, parent);
}

BOOL CDialog::CreateIndirect(const DLGTEMPLATE* dialogTemplate, HWND parent) {
    if (m_hWnd || !dialogTemplate) return FALSE;
    m_lpTemplate = dialogTemplate;
    m_hWndParent = parent;
    HWND hwnd;
    {
        CreationHook hook(this);
        hwnd = ::CreateDialogIndirectParamW(AfxGetResourceHandle(), dialogTemplate, parent, &DialogStub, 0);
    }
    return hwnd != nullptr;
}

INT_PTR CDialog::DoModal() {
    if (m_hWnd) return -1;
    CWinApp* app = AfxGetApp();
    HWND owner = m_hWndParent;
    if (!owner && app && app->m_pMainWnd) owner = app->m_pMainWnd->m_hWnd;
    while (owner && (::GetWindowLongPtrW(owner, GWL_STYLE) & WS_CHILD)) owner = ::GetParent(owner);
    bool reenable = owner && ::IsWindowEnabled(owner);
    if (reenable) ::EnableWindow(owner, FALSE);
    m_bModal = true;
    m_bEndModal = false;
    m_nModalResult = -1;
    HWND parentWas = m_hWndParent;
    BOOL created = CreateForModal(owner);
    m_hWndParent = parentWas;
    if (created && ContinueModal()) RunModalLoop();
    // Give the activation back to the owner before the dialog goes away.
    if (reenable) ::EnableWindow(owner, TRUE);
    if (m_hWnd) {
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        if (owner && ::GetActiveWindow() == m_hWnd) ::SetActiveWindow(owner);
        DestroyWindow();
    }
    m_bModal = false;
    return created ? m_nModalResult : -1;
}

BOOL CDialog::CreateForModal(HWND owner) {
    if (m_lpTemplate) return CreateIndirect(m_lpTemplate, owner);
    return m_nIDTemplate ? Create(m_nIDTemplate, owner) : FALSE;
}

bool CDialog::ContinueModal() { return !m_bEndModal && m_hWnd; }

void CDialog::RunModalLoop() {
    if (!(GetStyle() & WS_VISIBLE)) ShowWindow(SW_SHOWNORMAL);
    CWinApp* app = AfxGetApp();
    bool idle = true;
    LONG idleCount = 0;
    while (ContinueModal()) {
        MSG msg;
        while (idle && ContinueModal() && !::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            SendMessage(WM_KICKIDLE, MSGF_DIALOGBOX, idleCount);
            bool more = app && app->OnIdle(idleCount);
            ++idleCount;
            if (!more) idle = false;
        }
        if (!ContinueModal()) break;
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(msg.wParam)); // for the loop outside
            m_nModalResult = IDCANCEL;
            break;
        }
        if (got == -1) break;
        BOOL taken = app ? app->PreTranslateMessage(&msg) : PreTranslateMessage(&msg);
        if (!taken) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (!app || app->IsIdleMessage(msg)) {
            idle = true;
            idleCount = 0;
        }
    }
}

void CDialog::EndDialog(INT_PTR result) {
    m_nModalResult = result;
    if (m_bModal) m_bEndModal = true;
    else DestroyWindow();
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate != FALSE);
    DoDataExchange(&dx);
    return dx.m_bFail ? FALSE : TRUE;
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
    if (CWnd::PreTranslateMessage(msg)) return TRUE;
    bool input = (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST) ||
                 (msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST);
    return input && ::IsDialogMessageW(m_hWnd, msg);
}

bool CDialog::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_INITDIALOG: result = OnInitDialog(); return true;
    }
    return CWnd::OnWndMsg(msg, wp, lp, result);
}

bool CDialog::OnCommand(CCommand& cmd) {
    if (cmd.Is(IDOK)) return cmd.Run([&] { OnOK(); });
    if (cmd.Is(IDCANCEL)) return cmd.Run([&] { OnCancel(); });
    return CWnd::OnCommand(cmd);
}

// --- data exchange

HWND CDataExchange::PrepareCtrl(int id) {
    HWND control = ::GetDlgItem(m_pDlgWnd->m_hWnd, id);
    m_hWndLastControl = control;
    if (!control) m_bFail = true;
    return control;
}

void CDataExchange::Fail() {
    m_bFail = true;
    if (!m_hWndLastControl) return;
    ::MessageBeep(MB_ICONEXCLAMATION);
    ::SendMessageW(m_pDlgWnd->m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_hWndLastControl), TRUE);
    ::SendMessageW(m_hWndLastControl, EM_SETSEL, 0, -1);
}

void DDX_Text(CDataExchange* dx, int id, std::wstring& value) {
    if (dx->m_bFail) return;
    HWND control = dx->PrepareCtrl(id);
    if (!control) return;
    if (dx->m_bSaveAndValidate) value = CWnd::GetWindowText(control);
    else ::SetWindowTextW(control, value.c_str());
}

namespace {

// Whole number with optional blanks around it; false when not one or out of range.
bool ParseNumber(const std::wstring& text, bool allowSign, long long minValue, long long maxValue, long long& out) {
    const wchar_t* p = text.c_str();
    while (std::iswspace(*p)) ++p;
    if (!allowSign && *p == L'-') return false;
    if (!*p) return false;
    wchar_t* end = nullptr;
    errno = 0;
    long long v = std::wcstoll(p, &end, 10);
    if (end == p || errno == ERANGE) return false;
    while (std::iswspace(*end)) ++end;
    if (*end) return false;
    if (v < minValue || v > maxValue) return false;
    out = v;
    return true;
}

} // namespace

void DDX_Text(CDataExchange* dx, int id, int& value) {
    if (dx->m_bFail) return;
    HWND control = dx->PrepareCtrl(id);
    if (!control) return;
    if (dx->m_bSaveAndValidate) {
        long long v = 0;
        if (!ParseNumber(CWnd::GetWindowText(control), true, INT_MIN, INT_MAX, v)) return dx->Fail();
        value = static_cast<int>(v);
    } else {
        ::SetWindowTextW(control, std::to_wstring(value).c_str());
    }
}

void DDX_Text(CDataExchange* dx, int id, UINT& value) {
    if (dx->m_bFail) return;
    HWND control = dx->PrepareCtrl(id);
    if (!control) return;
    if (dx->m_bSaveAndValidate) {
        long long v = 0;
        if (!ParseNumber(CWnd::GetWindowText(control), false, 0, UINT_MAX, v)) return dx->Fail();
        value = static_cast<UINT>(v);
    } else {
        ::SetWindowTextW(control, std::to_wstring(value).c_str());
    }
}

void DDX_Check(CDataExchange* dx, int id, int& value) {
    if (dx->m_bFail) return;
    HWND control = dx->PrepareCtrl(id);
    if (!control) return;
    if (dx->m_bSaveAndValidate) value = static_cast<int>(::SendMessageW(control, BM_GETCHECK, 0, 0));
    else ::SendMessageW(control, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void DDX_Radio(CDataExchange* dx, int id, int& value) {
    if (dx->m_bFail) return;
    HWND control = dx->PrepareCtrl(id);
    if (!control) return;
    if (dx->m_bSaveAndValidate) value = -1;
    int index = 0;
    for (HWND button = control; button; button = ::GetWindow(button, GW_HWNDNEXT)) {
        if (button != control && (::GetWindowLongPtrW(button, GWL_STYLE) & WS_GROUP)) break;
        if (!IsRadio(button)) continue;
        if (dx->m_bSaveAndValidate) {
            if (::SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED) value = index;
        } else {
            ::SendMessageW(button, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        ++index;
    }
}

void DDX_CBIndex(CDataExchange* dx, int id, int& value) {
    if (dx->m_bFail) return;
    HWND control = dx->PrepareCtrl(id);
    if (!control) return;
    if (dx->m_bSaveAndValidate) value = static_cast<int>(::SendMessageW(control, CB_GETCURSEL, 0, 0));
    else ::SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(value), 0);
}

void DDX_LBIndex(CDataExchange* dx, int id, int& value) {
    if (dx->m_bFail) return;
    HWND control = dx->PrepareCtrl(id);
    if (!control) return;
    if (dx->m_bSaveAndValidate) value = static_cast<int>(::SendMessageW(control, LB_GETCURSEL, 0, 0));
    else ::SendMessageW(control, LB_SETCURSEL, static_cast<WPARAM>(value), 0);
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (dx->m_bFail || control.m_hWnd) return;
    HWND hwnd = dx->PrepareCtrl(id);
    if (!hwnd) return;
    if (!control.SubclassWindow(hwnd)) dx->m_bFail = true;
}

void DDV_MinMaxInt(CDataExchange* dx, int value, int minValue, int maxValue) {
    if (dx->m_bFail || !dx->m_bSaveAndValidate) return;
    if (value < minValue || value > maxValue) dx->Fail();
}

void DDV_MaxChars(CDataExchange* dx, const std::wstring& value, int maxChars) {
    if (dx->m_bFail) return;
    if (!dx->m_bSaveAndValidate) {
        if (dx->m_hWndLastControl)
            ::SendMessageW(dx->m_hWndLastControl, EM_LIMITTEXT, static_cast<WPARAM>(maxChars), 0);
        return;
    }
    if (value.size() > static_cast<size_t>(maxChars)) dx->Fail();
}

} // namespace brx
