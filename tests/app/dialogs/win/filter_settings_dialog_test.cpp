// The filter settings dialog on real windows over the program's record
// filter and an in-memory log: "Use Filter" switches the criteria controls,
// Apply shows only the matching rows and rebuilds them once, the preset
// shows its modified entry, and the dialog lays out at two sizes.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "app/dialogs/win/FilterSettingsDlg.h"
#include "app/res/dialogs_ids.h"
#include "capture/Filter.h"
#include "tests/WindowScreenshot.h"
#include "tests/app/commands/CommandFixtures.h"
#include "tests/framework/TestApp.h"

using namespace brx;
using brx::testing::CommandLog;
using brx::testing::CriteriaImage;

namespace {

class RecordingOwner : public IFilterSettingsOwner {
public:
    void OnFilterSettingsClosed(int code) override { closed.push_back(code); }
    void OnFilterSettingsApplied() override { ++applied; }
    std::vector<int> closed;
    int applied = 0;
};

std::wstring ProfilePath() {
    std::string dir = BRX_TEST_OUTPUT_DIR;
    std::wstring path(dir.begin(), dir.end());
    for (auto& c : path)
        if (c == L'/') c = L'\\';
    return path + L"\\filter_dialog_profile.INI";
}

class FilterSettingsDialog : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TREEVIEW_CLASSES | ICC_STANDARD_CLASSES};
        ::InitCommonControlsEx(&icc);
        savedProfile_ = test::App().m_strProfileName;
        test::App().m_strProfileName = ProfilePath();
        ::DeleteFileW(ProfilePath().c_str());
        f.Build(5);  // 21 records: Create issues at 1, 5, 9, 13, 17
        // Create issues and completions.
        const auto image = CriteriaImage(true, true, false, false, false, {brx::testing::kCreatePosition});
        ASSERT_EQ(f.filter.SetCriteria(image.data(), image.size()), 1);
    }
    void TearDown() override {
        if (::IsWindow(hwnd)) ::SendMessageW(hwnd, WM_COMMAND, IDCANCEL, 0);
        test::Pump();
        test::App().m_strProfileName = savedProfile_;
    }
    void Open() {
        dialog = new CFilterSettingsDlg(nullptr, &owner, &f.filter);
        ASSERT_TRUE(dialog->Create());
        hwnd = dialog->m_hWnd;
        dialog->ShowWindow(SW_SHOW);
        test::Pump();
    }
    HWND Item(int id) const { return ::GetDlgItem(hwnd, id); }
    bool Enabled(int id) const { return ::IsWindowEnabled(Item(id)) != FALSE; }
    bool Checked(int id) const { return ::SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void Click(int id) {
        ::SendMessageW(Item(id), BM_CLICK, 0, 0);
        test::Pump();
    }

    CommandLog f;
    RecordingOwner owner;
    CFilterSettingsDlg* dialog = nullptr;
    HWND hwnd = nullptr;
    std::wstring savedProfile_;
};

TEST_F(FilterSettingsDialog, OpenedWhileOffShowsTheCriteriaDisabled) {
    Open();
    EXPECT_FALSE(Checked(IDC_FS_USE_FILTER));
    for (int id : {IDC_FS_PRESETS, IDC_FS_SAVE_AS, IDC_FS_REMOVE, IDC_FS_REQUEST_TREE, IDC_FS_ISSUE, IDC_FS_SUCCESS,
                   IDC_FS_FAILURE, IDC_FS_INPUT, IDC_FS_OUTPUT})
        EXPECT_FALSE(Enabled(id)) << id;
    for (int id : {IDC_FS_USE_FILTER, IDOK, IDCANCEL}) EXPECT_TRUE(Enabled(id)) << id;
    EXPECT_TRUE(::IsWindowEnabled(dialog->GetSizeGrip().m_hWnd));
    EXPECT_FALSE(Enabled(IDC_FS_APPLY));  // nothing differs
    EXPECT_FALSE(::IsWindowVisible(Item(IDC_FS_BLANK)));
    // The controls show the filter's criteria.
    EXPECT_TRUE(Checked(IDC_FS_ISSUE));
    EXPECT_TRUE(Checked(IDC_FS_SUCCESS));
    EXPECT_FALSE(Checked(IDC_FS_FAILURE));
}

TEST_F(FilterSettingsDialog, ApplyShowsOnlyMatchingRowsAndRebuildsOnce) {
    Open();
    ASSERT_EQ(f.filter.GetRowCount(), 21u);
    Click(IDC_FS_USE_FILTER);
    EXPECT_TRUE(Enabled(IDC_FS_ISSUE));
    EXPECT_TRUE(Enabled(IDC_FS_APPLY));  // the switch alone differs
    uint32_t rebuilds = f.filter.GetRebuildCount();
    Click(IDC_FS_APPLY);
    EXPECT_EQ(f.filter.GetRebuildCount(), rebuilds + 1);
    EXPECT_TRUE(f.filter.IsApplied());
    EXPECT_EQ(f.filter.GetRowCount(), 10u);  // Create issues and completions
    EXPECT_EQ(owner.applied, 1);
    EXPECT_FALSE(Enabled(IDC_FS_APPLY));

    // With the filter applied, a changed box and Apply rebuild at once, once.
    Click(IDC_FS_SUCCESS);
    EXPECT_TRUE(Enabled(IDC_FS_APPLY));
    rebuilds = f.filter.GetRebuildCount();
    Click(IDC_FS_APPLY);
    EXPECT_EQ(f.filter.GetRebuildCount(), rebuilds + 1);
    EXPECT_EQ(f.filter.GetRowCount(), 5u);  // Create issues only
    for (uint32_t row = 0; row < 5; ++row) EXPECT_EQ(f.filter.RowToRecord(row), f.creates[row]);

    // Unchecking the switch alone shows every record again and keeps the criteria.
    Click(IDC_FS_USE_FILTER);
    EXPECT_TRUE(Enabled(IDC_FS_APPLY));
    rebuilds = f.filter.GetRebuildCount();
    Click(IDC_FS_APPLY);
    EXPECT_EQ(f.filter.GetRebuildCount(), rebuilds);
    EXPECT_FALSE(f.filter.IsApplied());
    EXPECT_EQ(f.filter.GetRowCount(), 21u);
    std::vector<uint8_t> image(CRITERIA_IMAGE_SIZE);
    f.filter.GetCriteriaImage(image.data(), image.size());
    EXPECT_EQ(image[CRITERIA_SUCCESS], 0);
    EXPECT_EQ(image[CRITERIA_ISSUE], 1);

    Click(IDOK);
    EXPECT_EQ(owner.closed, std::vector<int>{IDOK});
}

TEST_F(FilterSettingsDialog, APresetShowsItsModifiedEntry) {
    Open();
    Click(IDC_FS_USE_FILTER);
    ASSERT_TRUE(dialog->SavePresetAs(L"Creates"));
    EXPECT_EQ(dialog->Presets().Entries().size(), 1u);
    Click(IDC_FS_FAILURE);
    ASSERT_EQ(dialog->Presets().Entries().size(), 2u);
    EXPECT_EQ(dialog->Presets().Entries()[0].text, L"Creates (modified)");
    Click(IDC_FS_FAILURE);  // back as the preset was
    EXPECT_EQ(dialog->Presets().Entries().size(), 1u);
}

TEST_F(FilterSettingsDialog, LaysOutAtTwoSizes) {
    Open();
    Click(IDC_FS_USE_FILTER);
    auto rectOf = [&](int id) {
        RECT r{};
        ::GetWindowRect(Item(id), &r);
        ::MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    auto check = [&] {
        RECT client{};
        ::GetClientRect(hwnd, &client);
        const RECT tree = rectOf(IDC_FS_REQUEST_TREE), phase = rectOf(IDC_FS_PHASE_GROUP),
                   direction = rectOf(IDC_FS_DIRECTION_GROUP), use = rectOf(IDC_FS_USE_FILTER),
                   ok = rectOf(IDOK), apply = rectOf(IDC_FS_APPLY);
        EXPECT_LT(tree.bottom, phase.top);
        EXPECT_LT(phase.right, direction.left);
        EXPECT_LT(phase.bottom, use.top);
        EXPECT_LT(use.bottom, ok.top);
        EXPECT_LE(apply.right, client.right);
        EXPECT_LE(ok.bottom, client.bottom);
        return tree.bottom - tree.top;
    };
    const int treeHeight = check();
    ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    test::Pump();
    EXPECT_TRUE(test::SaveScreenshot(hwnd, "filter_settings.bmp"));
    RECT window{};
    ::GetWindowRect(hwnd, &window);
    ::SetWindowPos(hwnd, nullptr, 0, 0, window.right - window.left + 160, window.bottom - window.top + 120,
                   SWP_NOMOVE | SWP_NOZORDER);
    test::Pump();
    EXPECT_EQ(check(), treeHeight + 120);
    ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    test::Pump();
    EXPECT_TRUE(test::SaveScreenshot(hwnd, "filter_settings_large.bmp"));
}

} // namespace
