#include "framework/PropertySheet.h"

#include "framework/MsgArgs.h"
#include "framework/Resource.h"
#include "framework/WinApp.h"

namespace brx {

namespace {

// A page's object: the lParam of the PROPSHEETPAGEW that WM_INITDIALOG brings.
CWnd* PageOfInit(LPARAM lp) {
    auto* psp = reinterpret_cast<const PROPSHEETPAGEW*>(lp);
    if (!psp) return nullptr;
    return reinterpret_cast<CPropertyPage*>(psp->lParam);
}

// The structure the system gets for a page: the caller's header with our
// dialog procedure, the page's object and its caption.
PROPSHEETPAGEW BuildPage(CPropertyPage* page, const std::wstring& caption) {
    PROPSHEETPAGEW psp = page->m_psp;
    psp.dwSize = sizeof(psp);
    psp.pfnDlgProc = &DialogThunk<&PageOfInit>;
    psp.lParam = reinterpret_cast<LPARAM>(page);
    if (!caption.empty()) {
        psp.dwFlags |= PSP_USETITLE;
        psp.pszTitle = caption.c_str();
    }
    return psp;
}

} // namespace

// --- page

CPropertyPage::CPropertyPage(UINT templateId, UINT captionId) : CDialog(templateId) {
    m_psp.dwSize = sizeof(m_psp);
    m_psp.dwFlags = PSP_DEFAULT | PSP_HASHELP;
    m_psp.hInstance = AfxGetResourceHandle();
    m_psp.pszTemplate = MAKEINTRESOURCEW(templateId);
    if (captionId) m_strCaption = LoadStringResource(captionId);
}

CPropertySheet* CPropertyPage::GetSheet() const { return dynamic_cast<CPropertySheet*>(FromHandle(GetParent())); }

void CPropertyPage::SetModified(bool changed) {
    m_bModified = changed;
    if (m_hWnd) ::SendMessageW(GetParent(), changed ? PSM_CHANGED : PSM_UNCHANGED, reinterpret_cast<WPARAM>(m_hWnd), 0);
}

BOOL CPropertyPage::OnApply() {
    OnOK();
    return TRUE;
}

BOOL CPropertyPage::PreTranslateMessage(MSG* msg) {
    // Keys are the sheet's: it moves between pages and their controls.
    return CWnd::PreTranslateMessage(msg);
}

bool CPropertyPage::OnCommand(CCommand& cmd) {
    // OK and Cancel belong to the sheet.
    return CWnd::OnCommand(cmd);
}

bool CPropertyPage::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_NOTIFY) {
        NMHDR& nm = NotifyArg<NMHDR>(lp);
        if (nm.hwndFrom == GetParent()) {
            LRESULT answer = 0;
            bool handled = true;
            switch (nm.code) {
            case PSN_SETACTIVE: answer = OnSetActive() ? 0 : -1; break;
            case PSN_KILLACTIVE: answer = OnKillActive() ? FALSE : TRUE; break;
            case PSN_APPLY: {
                bool ok = OnApply() != FALSE;
                if (ok) m_bModified = false;
                answer = ok ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
                // lParam is set when OK (not Apply Now) applies: the sheet closes
                // with IDOK once every page agreed.
                if (CPropertySheet* sheet = GetSheet())
                    sheet->m_bApplyingOk = ok && NotifyArg<PSHNOTIFY>(lp).lParam != 0;
                break;
            }
            case PSN_RESET:
                OnReset();
                if (CPropertySheet* sheet = GetSheet()) sheet->m_bApplyingOk = false;
                break;
            case PSN_QUERYCANCEL: answer = OnQueryCancel() ? FALSE : TRUE; break;
            case PSN_HELP: OnHelp(); break;
            default: handled = false; break;
            }
            if (handled) {
                // Both ways a sheet may read the answer of a page's dialog.
                ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, answer);
                result = answer;
                return true;
            }
        }
    }
    return CDialog::OnWndMsg(msg, wp, lp, result);
}

// --- sheet

CPropertySheet::CPropertySheet(const wchar_t* caption, HWND parent, UINT selectPage)
    : m_strCaption(caption ? caption : L"") {
    m_hWndParent = parent;
    m_psh.dwSize = sizeof(m_psh);
    m_psh.dwFlags = PSH_DEFAULT | PSH_HASHELP;
    m_psh.nStartPage = selectPage;
}

void CPropertySheet::AddPage(CPropertyPage* page) {
    if (!page) return;
    m_pages.push_back(page);
    if (!m_hWnd) return;
    PROPSHEETPAGEW psp = BuildPage(page, page->m_strCaption);
    HPROPSHEETPAGE handle = ::CreatePropertySheetPageW(&psp);
    if (!handle || !SendMessage(PSM_ADDPAGE, 0, reinterpret_cast<LPARAM>(handle))) {
        if (handle) ::DestroyPropertySheetPage(handle);
        m_pages.pop_back();
    }
}

void CPropertySheet::RemovePage(int index) {
    if (index < 0 || index >= GetPageCount()) return;
    if (m_hWnd) SendMessage(PSM_REMOVEPAGE, static_cast<WPARAM>(index), 0);
    m_pages.erase(m_pages.begin() + index);
}

CPropertyPage* CPropertySheet::GetPage(int index) const {
    return index >= 0 && index < GetPageCount() ? m_pages[static_cast<size_t>(index)] : nullptr;
}

int CPropertySheet::GetPageIndex(const CPropertyPage* page) const {
    for (size_t i = 0; i < m_pages.size(); ++i)
        if (m_pages[i] == page) return static_cast<int>(i);
    return -1;
}

int CPropertySheet::GetActiveIndex() const {
    if (!m_hWnd) return static_cast<int>(m_psh.nStartPage);
    LRESULT page = SendMessage(PSM_GETCURRENTPAGEHWND);
    if (!page) return -1;
    return static_cast<int>(SendMessage(PSM_HWNDTOINDEX, static_cast<WPARAM>(page)));
}

CPropertyPage* CPropertySheet::GetActivePage() const { return GetPage(GetActiveIndex()); }

BOOL CPropertySheet::SetActivePage(int index) {
    if (index < 0 || index >= GetPageCount()) return FALSE;
    if (!m_hWnd) {
        m_psh.nStartPage = static_cast<UINT>(index);
        return TRUE;
    }
    return SendMessage(PSM_SETCURSEL, static_cast<WPARAM>(index), 0) ? TRUE : FALSE;
}

void CPropertySheet::SetTitle(const wchar_t* text, UINT style) {
    m_strCaption = text ? text : L"";
    if (m_hWnd) SendMessage(PSM_SETTITLEW, style, reinterpret_cast<LPARAM>(m_strCaption.c_str()));
}

BOOL CPropertySheet::Create(HWND parent) {
    if (m_hWnd || m_pages.empty()) return FALSE;
    if (parent) m_hWndParent = parent;
    m_built.clear();
    for (CPropertyPage* page : m_pages) m_built.push_back(BuildPage(page, page->m_strCaption));
    m_psh.dwFlags |= PSH_PROPSHEETPAGE | PSH_MODELESS;
    m_psh.hwndParent = m_hWndParent;
    m_psh.hInstance = AfxGetResourceHandle();
    m_psh.pszCaption = m_strCaption.c_str();
    m_psh.nPages = static_cast<UINT>(m_built.size());
    m_psh.ppsp = m_built.data();
    if (m_psh.nStartPage >= m_psh.nPages) m_psh.nStartPage = 0;
    m_bApplyingOk = false;
    INT_PTR created;
    {
        // The sheet's own window is the first this call makes.
        CreationHook hook(this);
        created = ::PropertySheetW(&m_psh);
    }
    if (created <= 0 || !m_hWnd) return FALSE;
    if (!(GetStyle() & WS_VISIBLE)) ShowWindow(SW_SHOW);
    return TRUE;
}

bool CPropertySheet::IsClosed() const { return m_hWnd && SendMessage(PSM_GETCURRENTPAGEHWND) == 0; }

INT_PTR CPropertySheet::GetResult() const { return IsClosed() && m_bApplyingOk ? IDOK : IDCANCEL; }

bool CPropertySheet::ContinueModal() {
    if (!m_hWnd) return false;
    if (IsClosed()) {
        m_nModalResult = GetResult();
        return false;
    }
    return CDialog::ContinueModal();
}

BOOL CPropertySheet::PreTranslateMessage(MSG* msg) {
    if (CWnd::PreTranslateMessage(msg)) return TRUE;
    return SendMessage(PSM_ISDIALOGMESSAGE, 0, reinterpret_cast<LPARAM>(msg)) ? TRUE : FALSE;
}

bool CPropertySheet::OnCommand(CCommand& cmd) {
    // OK, Cancel and Apply are the system sheet's own.
    return CWnd::OnCommand(cmd);
}

bool CPropertySheet::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_INITDIALOG:
        result = Default(); // the system builds the sheet first
        OnInitDialog();
        return true;
    }
    return CDialog::OnWndMsg(msg, wp, lp, result);
}

} // namespace brx
