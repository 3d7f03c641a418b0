#include "app/prefs/win/PreferencesDlg.h"

#include "app/res/prefs_ids.h"
#include "capture/win/Preferences.h"
#include "framework/Resource.h"

namespace brx {

namespace {

constexpr UINT kApplyNow = 0x3021;

} // namespace

CPreferencesDlg::CPreferencesDlg(CPreferences& prefs, IPrefsHost& host, HWND parent)
    : CTreePropSheet(L"Preferences", parent),
      m_ctx{prefs, host, false},
      m_pageGeneral(m_ctx),
      m_pageDriver(m_ctx),
      m_pageCapture(m_ctx),
      m_pageColoring(m_ctx),
      m_pageTime(m_ctx) {
    m_psh.dwFlags &= ~static_cast<DWORD>(PSH_HASHELP);
    struct PageIcon {
        CPropertyPage* page;
        UINT icon;
    };
    const PageIcon pages[] = {{&m_pageGeneral, IDI_PREF_GENERAL},
                              {&m_pageDriver, IDI_PREF_DRIVER},
                              {&m_pageCapture, IDI_PREF_CAPTURE},
                              {&m_pageColoring, IDI_PREF_COLORING},
                              {&m_pageTime, IDI_PREF_TIME}};
    for (const PageIcon& p : pages) {
        p.page->m_psp.dwFlags &= ~static_cast<DWORD>(PSP_HASHELP);
        SetPageIcon(p.page, p.icon);
        AddPage(p.page);
    }
    SetTreeWidth(kTreeWidth);
}

CPreferencesDlg::~CPreferencesDlg() = default; // the icon is shared

CPropPageFrame* CPreferencesDlg::CreatePageFrame() { return new CPropPageFrameDefault(); }

BOOL CPreferencesDlg::OnInitDialog() {
    const BOOL result = CTreePropSheet::OnInitDialog();
    m_hIcon = LoadIconResource(IDI_PREFERENCES);
    if (m_hIcon) {
        SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
        SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    }
    return result;
}

bool CPreferencesDlg::OnCommand(CCommand& cmd) {
    // The pages mark the change as they apply; OK and Apply Now mark it too
    // where the system sends them as commands.
    if (cmd.Id() == IDOK || cmd.Id() == kApplyNow) {
        m_ctx.changed = true;
        m_ctx.host.RefreshCaptureList();
    }
    return CTreePropSheet::OnCommand(cmd);
}

bool CPreferencesDlg::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_DESTROY) {
        CTreePropSheet::OnWndMsg(msg, wp, lp, result);
        if (m_ctx.changed) {
            m_ctx.prefs.Save();
            m_ctx.changed = false;
        }
        return true;
    }
    return CTreePropSheet::OnWndMsg(msg, wp, lp, result);
}

} // namespace brx
