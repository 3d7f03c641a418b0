// The Preferences command of the main frame: the sheet runs modally from the
// menu command, and what it applies reaches the capture list (colours and
// time format redrawn at once) and the recent files list before the command
// returns.
#include <gtest/gtest.h>

#include <cwctype>
#include <string>
#include <vector>

#include "app/frame/win/RecentFilesMenu.h"
#include "app/prefs/win/PreferencesDlg.h"
#include "app/res/prefs_ids.h"
#include "capture/win/Preferences.h"
#include "tests/app/main_commands/FrameFixture.h"

namespace brx::testing {
namespace {

using PreferencesCommand = FrameTest;

std::wstring CellText(HWND list, int row, int column) {
    wchar_t text[260] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 260;
    ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

// "2026-03-07 ..." : the time column with its date.
bool HasDate(const std::wstring& s) {
    return s.size() > 11 && std::iswdigit(s[0]) && std::iswdigit(s[3]) && s[4] == L'-' && s[7] == L'-' && s[10] == L' ';
}

TEST_F(PreferencesCommand, AppliedPreferencesReachTheListAndTheRecentFilesAtOnce) {
    CaptureOneRound();
    ASSERT_GT(ListCount(), 0u);
    CPreferences& prefs = GetPreferences();
    prefs.SetTimeFormat(0);
    frame->m_wndCaptureList.Invalidate();
    Pump(300);
    const int columns = static_cast<int>(::SendMessageW(ListView_GetHeader(List()), HDM_GETITEMCOUNT, 0, 0));
    int timeColumn = -1;
    for (int c = 0; c < columns && timeColumn < 0; ++c)
        if (HasDate(CellText(List(), 0, c))) timeColumn = c;
    ASSERT_GE(timeColumn, 0) << "a time column with its date";
    CRecentFilesMenu* recent = GetRecentFiles();
    ASSERT_TRUE(recent);
    const int oldRecent = recent->GetSize();
    const uint32_t oldBk = frame->m_wndCaptureList.m_colorizeBk;

    std::vector<std::string> failures;
    int step = 0;
    test::App().onIdle = [&](LONG count) {
        if (count != 0) return;
        HWND window = ::FindWindowW(L"#32770", L"Preferences");
        auto* sheet = dynamic_cast<CPreferencesDlg*>(CWnd::FromHandle(window));
        if (!sheet) return;
        switch (step++) {
        case 0: {
            HWND edit = ::GetDlgItem(sheet->m_pageGeneral.m_hWnd, IDC_PREF_RECENT_FILES);
            ::SendMessageW(edit, EM_SETSEL, 0, -1);
            ::SendMessageW(edit, WM_CHAR, L'3', 1);
            ::SendMessageW(edit, WM_KEYUP, L'3', 0xC0000001);
            sheet->SetActivePage(3);
            ::SendDlgItemMessageW(sheet->m_pageColoring.m_hWnd, IDC_PREF_COLORIZE_BK, BM_CLICK, 0, 0);
            sheet->SetActivePage(4);
            ::SendDlgItemMessageW(sheet->m_pageTime.m_hWnd, IDC_PREF_TIME_OF_DAY, BM_CLICK, 0, 0);
            sheet->PressButton(PSBTN_OK);
            break;
        }
        default:
            if (step > 60) {
                failures.push_back("the sheet did not close");
                sheet->PressButton(PSBTN_CANCEL);
            }
        }
    };
    ASSERT_TRUE(Enabled(ID_TOOLS_PREFERENCES));
    Command(ID_TOOLS_PREFERENCES); // returns when the sheet has closed
    test::App().onIdle = nullptr;
    for (const std::string& f : failures) ADD_FAILURE() << f;
    EXPECT_GE(step, 1);
    EXPECT_FALSE(::FindWindowW(L"#32770", L"Preferences"));

    EXPECT_EQ(recent->GetSize(), 3);
    EXPECT_EQ(frame->m_wndCaptureList.m_colorizeBk, oldBk ? 0u : 1u);
    EXPECT_EQ(prefs.GetTimeFormat(), 1u);
    Pump(300); // the list repaints and takes the new format
    const std::wstring after = CellText(List(), 0, timeColumn);
    EXPECT_FALSE(HasDate(after)) << std::string(after.begin(), after.end());
    EXPECT_FALSE(after.empty());

    // Back as it was for the other tests.
    recent->SetSize(oldRecent);
    frame->m_wndCaptureList.m_colorizeBk = oldBk;
    frame->m_wndCaptureList.SaveColorSettings();
    prefs.SetTimeFormat(0);
}

} // namespace
} // namespace brx::testing
