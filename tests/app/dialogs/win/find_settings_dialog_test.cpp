// The find settings dialog on real windows: the pattern typed into the
// masked edit becomes the criteria's pattern, Prev and Next store the
// criteria before asking the owner window to search, a preset saved with a
// pattern equals itself, and the dialog lays out at two sizes.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "app/dialogs/win/FindSettingsDlg.h"
#include "app/res/dialogs_ids.h"
#include "tests/WindowScreenshot.h"
#include "tests/framework/TestApp.h"
#include "tests/toolkit/TestHostWnd.h"

using namespace brx;

namespace {

class RecordingOwner : public IFindSettingsOwner {
public:
    void OnFindSettingsClosed(int code) override { closed.push_back(code); }
    void OnFindSettingsApplied() override { ++applied; }
    std::vector<int> closed;
    int applied = 0;
};

// The owner window: records the find commands with the criteria's pattern
// length at the time they arrive.
class CCommandHost : public test::CTestHostWnd {
public:
    CFindSettings* settings = nullptr;
    std::vector<std::pair<UINT, uint32_t>> commands;

protected:
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
        if (msg == WM_COMMAND && (LOWORD(wp) == 40011 || LOWORD(wp) == 40012)) {
            commands.emplace_back(LOWORD(wp), settings ? settings->PatternLength() : 0);
            result = 0;
            return true;
        }
        return test::CTestHostWnd::OnWndMsg(msg, wp, lp, result);
    }
};

std::wstring ProfilePath() {
    std::string dir = BRX_TEST_OUTPUT_DIR;
    std::wstring path(dir.begin(), dir.end());
    for (auto& c : path)
        if (c == L'/') c = L'\\';
    return path + L"\\find_dialog_profile.INI";
}

class FindSettingsDialog : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TREEVIEW_CLASSES | ICC_STANDARD_CLASSES};
        ::InitCommonControlsEx(&icc);
        savedProfile_ = test::App().m_strProfileName;
        test::App().m_strProfileName = ProfilePath();
        ::DeleteFileW(ProfilePath().c_str());
        host = test::SharedHost<CCommandHost>(CRect(700, 20, 760, 60));
        host->settings = &settings;
        host->commands.clear();
        std::vector<uint8_t> image(CRITERIA_IMAGE_SIZE, 0);
        image[CRITERIA_ISSUE] = 1;
        image[CRITERIA_KINDS + 73] = 1;
        settings.SetImage(image.data(), image.size());
    }
    void TearDown() override {
        if (::IsWindow(hwnd)) ::SendMessageW(hwnd, WM_COMMAND, IDCANCEL, 0);
        test::Pump();
        test::App().m_strProfileName = savedProfile_;
    }
    void Open() {
        dialog = new CFindSettingsDlg(host, &owner, &settings);
        ASSERT_TRUE(dialog->Create());
        hwnd = dialog->m_hWnd;
        dialog->ShowWindow(SW_SHOW);
        test::Pump();
    }
    HWND Item(int id) const { return ::GetDlgItem(hwnd, id); }
    void Click(int id) {
        ::SendMessageW(Item(id), BM_CLICK, 0, 0);
        test::Pump();
    }
    void Type(const wchar_t* keys) {
        HWND edit = Item(IDC_FD_PATTERN);
        ::SetFocus(edit);
        ::SendMessageW(edit, EM_SETSEL, 0, 0);
        for (const wchar_t* k = keys; *k; ++k) ::SendMessageW(edit, WM_CHAR, *k, 1);
        test::Pump();
    }
    std::vector<uint8_t> Pattern() const {
        return std::vector<uint8_t>(settings.Pattern(), settings.Pattern() + settings.PatternLength());
    }

    CFindSettings settings;
    RecordingOwner owner;
    CCommandHost* host = nullptr;
    CFindSettingsDlg* dialog = nullptr;
    HWND hwnd = nullptr;
    std::wstring savedProfile_;
};

TEST_F(FindSettingsDialog, TypedPatternIsStoredByNextAndPrevBeforeTheSearch) {
    Open();
    EXPECT_EQ(::GetWindowTextLengthW(Item(IDC_FD_PATTERN)), 47);
    Type(L"abc");
    Click(IDC_FD_NEXT);
    EXPECT_EQ(Pattern(), (std::vector<uint8_t>{0xAB, 0xC0}));
    ASSERT_EQ(host->commands.size(), 1u);
    EXPECT_EQ(host->commands[0].first, 40011u);
    EXPECT_EQ(host->commands[0].second, 2u);  // stored before the search
    // A changed box takes effect in the same click.
    Click(IDC_FD_FAILURE);
    Click(IDC_FD_PREV);
    ASSERT_EQ(host->commands.size(), 2u);
    EXPECT_EQ(host->commands[1].first, 40012u);
    std::vector<uint8_t> image(CRITERIA_IMAGE_SIZE);
    settings.GetImage(image.data(), image.size());
    EXPECT_EQ(image[CRITERIA_FAILURE], 1);
    // The stored criteria bring the pattern back.
    CFindSettings stored;
    ASSERT_EQ(stored.LoadCurrent(), 1);
    EXPECT_EQ(stored.PatternLength(), 2u);
    // An empty pattern: count 0.
    ::SetWindowTextW(Item(IDC_FD_PATTERN), L"");
    Click(IDOK);
    EXPECT_EQ(settings.PatternLength(), 0u);
    EXPECT_EQ(owner.closed, std::vector<int>{IDOK});
}

TEST_F(FindSettingsDialog, APresetWithAPatternEqualsItselfAndAPatternModifiesIt) {
    Open();
    Type(L"0102");
    ASSERT_TRUE(dialog->SavePresetAs(L"Ones"));
    ASSERT_EQ(dialog->Presets().Entries().size(), 1u);
    EXPECT_EQ(::GetWindowTextLengthW(Item(IDC_FD_PATTERN)), 47);
    dialog->OnControlChanged();  // reloaded and compared: still equal
    EXPECT_EQ(dialog->Presets().Entries().size(), 1u);
    EXPECT_EQ(dialog->PatternEdit().GetInputText(), L"0102");
    Type(L"f");  // only the pattern differs
    ASSERT_EQ(dialog->Presets().Entries().size(), 2u);
    EXPECT_EQ(dialog->Presets().Entries()[0].text, L"Ones (modified)");
}

TEST_F(FindSettingsDialog, LaysOutAtTwoSizesWithThePatternInTheLayout) {
    Open();
    Type(L"deadbeef");
    EXPECT_FALSE(::IsWindowVisible(Item(IDC_FD_BLANK)));
    auto rectOf = [&](int id) {
        RECT r{};
        ::GetWindowRect(Item(id), &r);
        ::MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    auto check = [&] {
        RECT client{};
        ::GetClientRect(hwnd, &client);
        const RECT phase = rectOf(IDC_FD_PHASE_GROUP), label = rectOf(IDC_FD_PATTERN_LABEL),
                   edit = rectOf(IDC_FD_PATTERN), next = rectOf(IDC_FD_NEXT), ok = rectOf(IDOK),
                   cancel = rectOf(IDCANCEL);
        EXPECT_LT(phase.bottom, edit.top);
        EXPECT_LT(phase.bottom, label.top);
        EXPECT_LE(label.right, edit.left);
        EXPECT_LT(edit.bottom, next.top);
        EXPECT_LT(next.right, ok.left);
        EXPECT_LE(cancel.right, client.right);
        EXPECT_LE(ok.bottom, client.bottom);
        return edit.right - edit.left;
    };
    const int editWidth = check();
    ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    test::Pump();
    EXPECT_TRUE(test::SaveScreenshot(hwnd, "find_settings.bmp"));
    RECT window{};
    ::GetWindowRect(hwnd, &window);
    ::SetWindowPos(hwnd, nullptr, 0, 0, window.right - window.left + 160, window.bottom - window.top + 120,
                   SWP_NOMOVE | SWP_NOZORDER);
    test::Pump();
    EXPECT_EQ(check(), editWidth + 160);
    ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    test::Pump();
    EXPECT_TRUE(test::SaveScreenshot(hwnd, "find_settings_large.bmp"));
}

} // namespace
