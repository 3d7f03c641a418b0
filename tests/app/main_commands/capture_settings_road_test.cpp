// The capture settings dialog on the road: opened from the frame's menu on
// the simulated machine, categories toggled with the keyboard, a preset
// saved and loaded, the settings applied; the driver gets one settings
// block per Apply (none for presets), and the capture that follows holds
// only the chosen request kinds.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "app/devices/win/CaptureSettingsDriver.h"
#include "app/dialogs/win/CaptureSettingsDlg.h"
#include "app/res/dialogs_ids.h"
#include "capture/MatchCriteria.h"
#include "capture/RecordView.h"
#include "capture/RequestKind.h"
#include "capture/win/SettingsStore.h"
#include "sim/CaptureSettingsBlock.h"
#include "tests/app/main_commands/FrameFixture.h"

namespace brx::testing {
namespace {

constexpr wchar_t kPreset[] = L"road urbs";

class CaptureSettingsRoad : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        GetCaptureSettings().DeletePreset(kPreset);
        // The simulated driver captures what the settings block selects.
        sim().SetCaptureFilter([](const Bytes& block, const Bytes& record) {
            return SettingsBlockCaptures(block, record, kDriverRecordLayout);
        });
    }
    void TearDown() override {
        FrameTest::TearDown();
        sim().SetCaptureFilter(nullptr);
        // The next tests capture every kind again.
        CCaptureSettings& settings = GetCaptureSettings();
        CCaptureSettings defaults;
        settings.ApplyImage(defaults.Image());
        settings.SaveCurrent();
        settings.DeletePreset(kPreset);
        WriteAppRegDword(L"CaptureSettings", L"Modified", 0);
        WriteAppRegString(L"CaptureSettings", L"Name", L"");
    }

    uint32_t Blocks() { return sim().CallCount(IOCTL_BRX_SET_CAPTURE_SETTINGS); }
    CCaptureSettingsDlg* Dialog() { return dynamic_cast<CCaptureSettingsDlg*>(frame->m_pCaptureSettingsDlg); }
    void SpaceOn(CRequestTree& tree, HTREEITEM item) {
        tree.SelectItem(item);
        ::SetFocus(tree.m_hWnd);
        ::SendMessageW(tree.m_hWnd, WM_KEYDOWN, VK_SPACE, 0);
        ::SendMessageW(tree.m_hWnd, WM_KEYUP, VK_SPACE, 0xC0000001);
        Pump(300);
    }
    HTREEITEM Child(CRequestTree& tree, HTREEITEM parent, const wchar_t* text) {
        for (HTREEITEM item = tree.GetChildItem(parent); item; item = tree.GetNextSiblingItem(item))
            if (tree.GetItemText(item) == text) return item;
        return nullptr;
    }
    // The kind positions of the request records of the active log.
    std::set<int32_t> CapturedPositions() {
        std::set<int32_t> positions;
        std::vector<uint8_t> buffer(64 * 1024);
        CCaptureLog* log = GetActiveLog();
        for (uint32_t row = 0; log && row < log->GetRecordCount(); ++row) {
            CRecordView view;
            view.Init(buffer.data(), static_cast<uint32_t>(buffer.size()));
            if (log->ReadRecord(row, view) != 0 || view.type != RECORD_TYPE_REQUEST) continue;
            if (IsUrbKind(view.kind)) {
                if (view.urb && view.urbLength >= 4)
                    positions.insert(KindIndexOfUrbFunction(view.urb[2] | view.urb[3] << 8));
            } else {
                positions.insert(KindIndexOf(view.kind));
            }
        }
        return positions;
    }
};

TEST_F(CaptureSettingsRoad, ChosenKindsReachTheDriverOncePerApplyAndShapeTheCapture) {
    // The menu offers the command; choosing it opens the dialog.
    HMENU bar = frame->m_menu;
    ASSERT_NE(bar, nullptr);
    HMENU capture = ::GetSubMenu(bar, 1);
    ::SendMessageW(frame->m_hWnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(capture), 1);
    EXPECT_EQ(::GetMenuState(capture, ID_CAPTURE_SETTINGS, MF_BYCOMMAND) & (MF_DISABLED | MF_GRAYED), 0u);
    const uint32_t before = Blocks();
    ::PostMessageW(frame->m_hWnd, WM_COMMAND, ID_CAPTURE_SETTINGS, 0);
    Pump();
    CCaptureSettingsDlg* dialog = Dialog();
    ASSERT_NE(dialog, nullptr);
    HWND hwnd = dialog->m_hWnd;
    ASSERT_TRUE(::IsWindowVisible(hwnd));
    EXPECT_FALSE(Enabled(ID_CAPTURE_SETTINGS)) << "one dialog at a time";

    // URB functions only, and of them not the configuration requests.
    CRequestTree& tree = dialog->Tree();
    SpaceOn(tree, tree.FindTopLevelItem(L"USB Kernel-Mode IOCTLs"));
    SpaceOn(tree, tree.FindTopLevelItem(L"USB User-Mode IOCTLs"));
    SpaceOn(tree, tree.FindTopLevelItem(L"IRP"));
    HTREEITEM urb = tree.FindTopLevelItem(L"URB Functions");
    SpaceOn(tree, Child(tree, urb, L"Configuration"));
    EXPECT_EQ(tree.CheckOf(tree.FindTopLevelItem(L"IRP")), REQUEST_UNCHECKED);
    EXPECT_EQ(tree.CheckOf(urb), REQUEST_PARTIAL);
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(hwnd, IDC_CS_APPLY)));
    EXPECT_EQ(Blocks(), before) << "toggling sends nothing";

    // Save As: the name dialog answered as a user would.
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR id, DWORD) {
        HWND ask = ::FindWindowW(nullptr, L"Save Capture Settings");
        if (!ask) return;
        ::KillTimer(nullptr, id);
        ::SetWindowTextW(::GetDlgItem(ask, IDC_PRESET_NAME), kPreset);
        ::SendMessageW(::GetDlgItem(ask, IDOK), BM_CLICK, 0, 0);
    });
    ::SendMessageW(::GetDlgItem(hwnd, IDC_CS_SAVE_AS), BM_CLICK, 0, 0);
    ::KillTimer(nullptr, timer);
    Pump(300);
    HWND presets = ::GetDlgItem(hwnd, IDC_CS_PRESETS);
    const int index = static_cast<int>(::SendMessageW(presets, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                      reinterpret_cast<LPARAM>(kPreset)));
    ASSERT_GE(index, 0) << "the preset is listed";
    EXPECT_EQ(::SendMessageW(presets, CB_GETCURSEL, 0, 0), index);
    EXPECT_EQ(Blocks(), before) << "saving a preset sends nothing";
    // Loading it again (choosing it) sends nothing either.
    ::SendMessageW(presets, CB_SETCURSEL, index, 0);
    ::SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDC_CS_PRESETS, CBN_SELCHANGE), reinterpret_cast<LPARAM>(presets));
    Pump(300);
    EXPECT_EQ(Blocks(), before) << "loading a preset sends nothing";
    EXPECT_EQ(tree.CheckOf(tree.FindTopLevelItem(L"IRP")), REQUEST_UNCHECKED);

    ::SendMessageW(::GetDlgItem(hwnd, IDC_CS_APPLY), BM_CLICK, 0, 0);
    Pump(300);
    EXPECT_EQ(Blocks(), before + 1) << "one block for Apply";
    const Bytes block = sim().SettingsBlock();
    ASSERT_EQ(block.size(), DRIVER_CAPTURE_SETTINGS_SIZE);
    EXPECT_EQ(block[9], 1) << "URB functions";
    EXPECT_EQ(block[10 + 0x00], 0) << "no select configuration";
    EXPECT_EQ(block[10 + 0x0B], 1) << "get descriptor";
    EXPECT_EQ(block[63], 0) << "no kernel-mode requests";
    EXPECT_EQ(block[77], 1) << "position 200, which the tree does not show, is kept";
    EXPECT_EQ(block[81], 0) << "no user-mode requests the tree shows";
    EXPECT_EQ(block[108], 0) << "no Plug and Play";
    EXPECT_EQ(block[134], 0) << "no Create";
    EXPECT_EQ(block[4], 1) << "data in kept";
    EXPECT_EQ(block[5], 1) << "data out kept";
    ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    EXPECT_TRUE(test::SaveScreenshot(hwnd, "capture_settings_road.bmp"));

    ::SendMessageW(::GetDlgItem(hwnd, IDOK), BM_CLICK, 0, 0);
    Pump(300);
    EXPECT_EQ(Blocks(), before + 2) << "OK applies once more";
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(frame->m_pCaptureSettingsDlg, nullptr);
    EXPECT_TRUE(Enabled(ID_CAPTURE_SETTINGS));

    // A capture from a reset driver: the devices' enumeration (Plug and Play,
    // power, descriptors, configuration) and their traffic, less what the
    // settings leave out.
    Command(ID_FILE_NEW_LOG);
    CaptureOneRound();
    const std::set<int32_t> positions = CapturedPositions();
    EXPECT_EQ(positions.count(64 + 0x0B), 1u) << "get descriptor, from the enumeration";
    EXPECT_EQ(positions.count(64 + 0x09), 1u) << "bulk transfers";
    for (int32_t position : positions) {
        EXPECT_GE(position, 64) << "only URB functions";
        EXPECT_LE(position, 116) << "only URB functions";
        EXPECT_NE(position, 64 + 0x00) << "no select configuration";
    }
}

} // namespace
} // namespace brx::testing
