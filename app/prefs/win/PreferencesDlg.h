// The "Preferences" sheet: five pages in a tree property sheet. The main
// frame makes a new sheet for each command and runs it modally. OK and
// Apply Now apply every page that was created; the preferences are written
// to the settings store once, when the sheet's window is destroyed, and only
// when something was applied: Cancel writes nothing.
#pragma once
#include <windows.h>

#include "app/prefs/win/PrefPages.h"
#include "toolkit/controls/win/TreePropSheet.h"

namespace brx {

class CPreferencesDlg : public CTreePropSheet {
    // First: the pages are built with a reference to it.
    PREF_CONTEXT m_ctx;

public:
    static constexpr int kTreeWidth = 100;

    CPreferencesDlg(CPreferences& prefs, IPrefsHost& host, HWND parent = nullptr);
    ~CPreferencesDlg() override;

    bool IsChanged() const { return m_ctx.changed; }
    // The image-list depth of the page icons (the program's colour depth).
    using CTreePropSheet::SetImageListColorFlag;

    CPrefPageGeneral m_pageGeneral;
    CPrefPageDriver m_pageDriver;
    CPrefPageCapture m_pageCapture;
    CPrefPageColoring m_pageColoring;
    CPrefPageTime m_pageTime;

protected:
    CPropPageFrame* CreatePageFrame() override;
    BOOL OnInitDialog() override;
    bool OnCommand(CCommand& cmd) override;
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    HICON m_hIcon = nullptr;
};

} // namespace brx
