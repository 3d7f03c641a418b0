// The capture settings dialog on real windows: what it shows of the current
// settings, toggles in the request tree by keyboard, the modified entry of
// the preset list, Save As, Remove, Apply and what reaches the driver: one
// block per Apply, none for loading or saving a preset, and the two
// data-transfer flags kept.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/devices/CaptureSettings.h"
#include "app/dialogs/win/CaptureSettingsDlg.h"
#include "app/res/dialogs_ids.h"
#include "capture/win/SettingsStore.h"
#include "tests/WindowScreenshot.h"
#include "tests/capture/win/ScriptedPrompts.h"
#include "tests/capture/win/TestRegistry.h"
#include "tests/framework/TestApp.h"

using namespace brx;

namespace {

class RecordingDriver : public ICaptureSettingsDriver {
public:
    int SetCaptureSettings(const uint8_t* block) override {
        blocks.emplace_back(block, block + DRIVER_CAPTURE_SETTINGS_SIZE);
        return 1;
    }
    std::vector<std::vector<uint8_t>> blocks;
};

class RecordingOwner : public ICaptureSettingsOwner {
public:
    void OnCaptureSettingsClosed(int code) override { closed.push_back(code); }
    void OnCaptureSettingsApplied() override { ++applied; }
    std::vector<int> closed;
    int applied = 0;
};

std::wstring TestProfilePath() {
    std::string dir = BRX_TEST_OUTPUT_DIR;
    std::wstring path(dir.begin(), dir.end());
    for (auto& c : path)
        if (c == L'/') c = L'\\';
    return path + L"\\dialogs_profile.INI";
}

class CaptureSettingsDialog : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TREEVIEW_CLASSES | ICC_STANDARD_CLASSES};
        ::InitCommonControlsEx(&icc);
        savedProfile_ = test::App().m_strProfileName;
        test::App().m_strProfileName = TestProfilePath();
        ::DeleteFileW(TestProfilePath().c_str());
    }
    void TearDown() override {
        if (dialog && ::IsWindow(hwnd)) ::SendMessageW(hwnd, WM_COMMAND, IDCANCEL, 0);
        test::Pump();
        test::App().m_strProfileName = savedProfile_;
    }

    void Open() {
        dialog = new CCaptureSettingsDlg(nullptr, &owner, &settings);
        ASSERT_TRUE(dialog->Create());
        hwnd = dialog->m_hWnd;
        dialog->ShowWindow(SW_SHOW);
        test::Pump();
    }
    void SavePreset(const wchar_t* name, const CCaptureSettings& from) { ASSERT_TRUE(from.SavePreset(name)); }

    HWND Item(int id) const { return ::GetDlgItem(hwnd, id); }
    bool Enabled(int id) const { return ::IsWindowEnabled(Item(id)) != FALSE; }
    bool Checked(int id) const { return ::SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void Click(int id) {
        ::SendMessageW(Item(id), BM_CLICK, 0, 0);
        test::Pump();
    }
    // Space on a tree item, as the keyboard toggles a check box.
    void SpaceOn(HTREEITEM item) {
        CRequestTree& tree = dialog->Tree();
        tree.SelectItem(item);
        ::SetFocus(tree.m_hWnd);
        ::SendMessageW(tree.m_hWnd, WM_KEYDOWN, VK_SPACE, 0);
        ::SendMessageW(tree.m_hWnd, WM_KEYUP, VK_SPACE, 0xC0000001);
        test::Pump();
    }
    HTREEITEM Leaf(int position) {
        return dialog->Tree().ItemOf(dialog->Tree().Model().LeafOfPosition(position));
    }
    std::vector<std::wstring> PresetTexts() const {
        std::vector<std::wstring> texts;
        const auto count = static_cast<int>(::SendMessageW(Item(IDC_CS_PRESETS), CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t text[64] = {};
            ::SendMessageW(Item(IDC_CS_PRESETS), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            texts.push_back(text);
        }
        return texts;
    }
    int PresetSelection() const {
        return static_cast<int>(::SendMessageW(Item(IDC_CS_PRESETS), CB_GETCURSEL, 0, 0));
    }
    void ChoosePreset(int index) {
        ::SendMessageW(Item(IDC_CS_PRESETS), CB_SETCURSEL, index, 0);
        ::SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDC_CS_PRESETS, CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(Item(IDC_CS_PRESETS)));
        test::Pump();
    }
    std::wstring SizeText() const {
        wchar_t text[16] = {};
        ::GetWindowTextW(Item(IDC_CS_SIZE_LIMIT), text, 16);
        return text;
    }

    brx::testing::TestRegistry registry;
    brx::testing::ScriptedPrompts prompts;
    RecordingDriver driver;
    CCaptureSettings settings{&driver};
    RecordingOwner owner;
    CCaptureSettingsDlg* dialog = nullptr;
    HWND hwnd = nullptr;
    std::wstring savedProfile_;
};

} // namespace

TEST_F(CaptureSettingsDialog, ShowsTheCurrentSettingsAndLaysOutItsControls) {
    CAPTURE_SETTINGS_IMAGE image = settings.Image();
    image.flags |= CS_ENTIRE_STACK;
    image.transferBufferLimit = 8192;
    image.kinds[0] = 0; // Create
    settings.ApplyImage(image);
    driver.blocks.clear();
    Open();
    ASSERT_TRUE(hwnd);
    EXPECT_EQ(dialog->GetWindowText(), L"Capture Settings");
    EXPECT_FALSE(Checked(IDC_CS_HOT_PLUGGED));
    EXPECT_TRUE(Checked(IDC_CS_ENTIRE_STACK));
    EXPECT_FALSE(Checked(IDC_CS_IRP_AND_SL_BODY));
    EXPECT_EQ(SizeText(), L"8K");
    EXPECT_EQ(::SendMessageW(Item(IDC_CS_SIZE_LIMIT), CB_GETCOUNT, 0, 0), 18);
    CRequestTree& tree = dialog->Tree();
    EXPECT_EQ(tree.CheckOf(tree.FindTopLevelItem(L"URB Functions")), REQUEST_CHECKED);
    EXPECT_EQ(tree.CheckOf(tree.FindTopLevelItem(L"IRP")), REQUEST_PARTIAL);
    EXPECT_EQ(tree.CheckOf(Leaf(0)), REQUEST_UNCHECKED);
    // The controls match the settings (kinds it does not show and the data
    // flags included): nothing to apply, nothing sent.
    EXPECT_FALSE(Enabled(IDC_CS_APPLY));
    EXPECT_FALSE(Enabled(IDC_CS_REMOVE));
    EXPECT_TRUE(driver.blocks.empty());
    EXPECT_EQ(::GetWindowLongW(hwnd, GWL_STYLE) & WS_MINIMIZEBOX, 0);
    EXPECT_EQ(::GetWindowLongW(hwnd, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME), WS_CAPTION | WS_THICKFRAME);

    // Laid out inside the client area, the tree above the options, the
    // buttons at the bottom right; a larger dialog gives the tree the room.
    RECT client{}, treeRect{}, okRect{}, groupRect{}, boxRect{};
    ::GetClientRect(hwnd, &client);
    auto rectOf = [&](int id, RECT& r) {
        ::GetWindowRect(Item(id), &r);
        ::MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
    };
    rectOf(IDC_CS_REQUEST_TREE, treeRect);
    rectOf(IDOK, okRect);
    rectOf(IDC_CS_TRANSFER_GROUP, groupRect);
    rectOf(IDC_CS_HOT_PLUGGED, boxRect);
    EXPECT_LT(treeRect.bottom, groupRect.top);
    EXPECT_LT(treeRect.bottom, boxRect.top);
    EXPECT_LT(boxRect.right, groupRect.left);
    EXPECT_LT(groupRect.bottom, okRect.top);
    EXPECT_LE(okRect.bottom, client.bottom);
    const int treeHeight = treeRect.bottom - treeRect.top;
    tree.Expand(tree.FindTopLevelItem(L"IRP"), TVE_EXPAND);
    ::SetForegroundWindow(hwnd);
    ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    test::Pump();
    EXPECT_TRUE(test::SaveScreenshot(hwnd, "capture_settings.bmp"));
    RECT window{};
    ::GetWindowRect(hwnd, &window);
    ::SetWindowPos(hwnd, nullptr, 0, 0, window.right - window.left + 120, window.bottom - window.top + 150,
                   SWP_NOMOVE | SWP_NOZORDER);
    test::Pump();
    rectOf(IDC_CS_REQUEST_TREE, treeRect);
    EXPECT_EQ(treeRect.bottom - treeRect.top, treeHeight + 150);
    EXPECT_TRUE(test::SaveScreenshot(hwnd, "capture_settings_large.bmp"));
}

TEST_F(CaptureSettingsDialog, ApplySendsOneBlockAndKeepsTheDataFlags) {
    Open();
    CRequestTree& tree = dialog->Tree();
    HTREEITEM irp = tree.FindTopLevelItem(L"IRP");
    SpaceOn(irp); // checked: off with everything under it
    EXPECT_EQ(tree.CheckOf(irp), REQUEST_UNCHECKED);
    EXPECT_EQ(tree.CheckOf(Leaf(32)), REQUEST_UNCHECKED);
    EXPECT_TRUE(Enabled(IDC_CS_APPLY));
    Click(IDC_CS_HOT_PLUGGED);
    ::SendMessageW(Item(IDC_CS_SIZE_LIMIT), CB_SETCURSEL, 2, 0); // "64"
    ::SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDC_CS_SIZE_LIMIT, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(Item(IDC_CS_SIZE_LIMIT)));
    test::Pump();
    EXPECT_TRUE(driver.blocks.empty()) << "nothing reaches the driver before Apply";

    Click(IDC_CS_APPLY);
    ASSERT_EQ(driver.blocks.size(), 1u);
    const std::vector<uint8_t>& block = driver.blocks[0];
    EXPECT_EQ(block[0], 64);
    EXPECT_EQ(block[4], 1) << "data in kept";
    EXPECT_EQ(block[5], 1) << "data out kept";
    EXPECT_EQ(block[6], 1) << "hot-plugged";
    EXPECT_EQ(block[108], 0) << "no Plug and Play minor";
    EXPECT_EQ(block[134], 0) << "no Create";
    EXPECT_EQ(block[137], 0) << "no power minor";
    EXPECT_EQ(block[9], 1) << "URB functions still";
    EXPECT_EQ(block[86], 1) << "a kind the tree does not show keeps its value";
    EXPECT_EQ(settings.Image().flags, CS_DATA_IN | CS_DATA_OUT | CS_HOT_PLUGGED);
    EXPECT_EQ(owner.applied, 1);
    EXPECT_FALSE(Enabled(IDC_CS_APPLY));
    // Stored as the current settings, with no preset name.
    CCaptureSettings stored;
    ASSERT_TRUE(stored.ReadBlob(RegKeyHolder(OpenAppRegSection(L"CaptureSettings")).get(), L"0", false));
    EXPECT_EQ(std::memcmp(&stored.Image(), &settings.Image(), sizeof(CAPTURE_SETTINGS_IMAGE)), 0);
    EXPECT_EQ(ReadAppRegDword(L"CaptureSettings", L"Modified", 7), 0u);

    // OK applies once more and closes; Cancel would not.
    Click(IDOK);
    EXPECT_EQ(driver.blocks.size(), 2u);
    EXPECT_EQ(owner.closed, std::vector<int>{IDOK});
    EXPECT_FALSE(::IsWindow(hwnd));
    dialog = nullptr;
}

TEST_F(CaptureSettingsDialog, ThePresetOfTheControlsShowsModifiedUntilTheyMatchAgain) {
    CCaptureSettings quiet;
    CAPTURE_SETTINGS_IMAGE image = quiet.Image();
    std::memset(image.kinds, 0, sizeof image.kinds);
    image.kinds[0] = 1;
    quiet.ApplyImage(image);
    SavePreset(L"quiet", quiet);
    SavePreset(L"all", CCaptureSettings());
    WriteAppRegString(L"CaptureSettings", L"Name", L"all");
    WriteAppRegDword(L"CaptureSettings", L"Modified", 0);
    Open();
    ASSERT_EQ(PresetTexts().size(), 2u);
    EXPECT_EQ(PresetTexts()[static_cast<size_t>(PresetSelection())], L"all");
    EXPECT_TRUE(Enabled(IDC_CS_REMOVE));

    ChoosePreset(PresetTexts()[0] == L"quiet" ? 0 : 1);
    EXPECT_EQ(dialog->Tree().CheckOf(dialog->Tree().FindTopLevelItem(L"URB Functions")), REQUEST_UNCHECKED);
    EXPECT_EQ(dialog->Tree().CheckOf(Leaf(0)), REQUEST_CHECKED);
    EXPECT_TRUE(Enabled(IDC_CS_APPLY));

    SpaceOn(Leaf(1)); // Close on: differs from "quiet"
    std::vector<std::wstring> texts = PresetTexts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], L"quiet (modified)");
    EXPECT_EQ(PresetSelection(), 0);
    EXPECT_FALSE(Enabled(IDC_CS_REMOVE));
    SpaceOn(Leaf(1)); // and off again: the plain entry
    texts = PresetTexts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[static_cast<size_t>(PresetSelection())], L"quiet");
    EXPECT_TRUE(Enabled(IDC_CS_REMOVE));
    EXPECT_TRUE(driver.blocks.empty()) << "loading and comparing presets sends nothing";

    // Apply stores the name and whether it was modified.
    SpaceOn(Leaf(2));
    Click(IDC_CS_APPLY);
    EXPECT_EQ(driver.blocks.size(), 1u);
    wchar_t name[41] = {};
    EXPECT_EQ(ReadAppRegString(L"CaptureSettings", L"Name", name, 41), 5u);
    EXPECT_STREQ(name, L"quiet");
    EXPECT_EQ(ReadAppRegDword(L"CaptureSettings", L"Modified", 0), 1u);
}

TEST_F(CaptureSettingsDialog, OpensWithTheStoredModifiedEntry) {
    SavePreset(L"one", CCaptureSettings());
    WriteAppRegString(L"CaptureSettings", L"Name", L"one");
    WriteAppRegDword(L"CaptureSettings", L"Modified", 1);
    Open();
    const std::vector<std::wstring> texts = PresetTexts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], L"one (modified)");
    EXPECT_EQ(PresetSelection(), 0);
    EXPECT_FALSE(Enabled(IDC_CS_REMOVE));
}

TEST_F(CaptureSettingsDialog, SaveAsSelectsTheNameOnlyWhenSavedAndRemoveDeletesIt) {
    Open();
    SpaceOn(dialog->Tree().FindTopLevelItem(L"USB User-Mode IOCTLs"));
    EXPECT_TRUE(dialog->SavePresetAs(L"no user"));
    EXPECT_EQ(PresetTexts(), std::vector<std::wstring>{L"no user"});
    EXPECT_EQ(PresetSelection(), 0);
    EXPECT_TRUE(Enabled(IDC_CS_REMOVE));
    EXPECT_TRUE(driver.blocks.empty()) << "saving a preset sends nothing";
    CCaptureSettings back;
    ASSERT_TRUE(back.LoadPreset(L"no user"));
    EXPECT_EQ(back.Image().kinds[195], 0);
    EXPECT_EQ(back.Image().kinds[0], 1);
    EXPECT_EQ(back.Image().flags, CS_DATA_IN | CS_DATA_OUT);

    // A name the store refuses: said so, nothing selected or added.
    const std::wstring tooLong(41, L'x');
    prompts.boxes.clear();
    EXPECT_FALSE(dialog->SavePresetAs(tooLong));
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_NE(prompts.boxes[0].text.find(L"could not be saved"), std::wstring::npos);
    EXPECT_EQ(PresetTexts(), std::vector<std::wstring>{L"no user"});

    Click(IDC_CS_REMOVE);
    EXPECT_TRUE(PresetTexts().empty());
    EXPECT_EQ(PresetSelection(), -1);
    EXPECT_FALSE(Enabled(IDC_CS_REMOVE));
    EXPECT_FALSE(back.LoadPreset(L"no user"));
}

TEST_F(CaptureSettingsDialog, SaveAsAsksForTheNameInItsOwnDialog) {
    Open();
    // The name dialog runs modally; a timer answers it as a user would.
    static std::wstring shownName;
    shownName.clear();
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR id, DWORD) {
        HWND ask = ::FindWindowW(nullptr, L"Save Capture Settings");
        if (!ask) return;
        ::KillTimer(nullptr, id);
        HWND edit = ::GetDlgItem(ask, IDC_PRESET_NAME);
        wchar_t text[64] = {};
        ::GetWindowTextW(edit, text, 64);
        shownName = text;
        ::SetWindowTextW(edit, L"");
        const bool okWhenEmpty = ::IsWindowEnabled(::GetDlgItem(ask, IDOK)) != FALSE;
        ::SetWindowTextW(edit, L"typed");
        if (okWhenEmpty) shownName += L"|ok-enabled-while-empty";
        ::SendMessageW(::GetDlgItem(ask, IDOK), BM_CLICK, 0, 0);
    });
    Click(IDC_CS_SAVE_AS);
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(shownName, L"");
    EXPECT_EQ(PresetTexts(), std::vector<std::wstring>{L"typed"});
    EXPECT_EQ(PresetSelection(), 0);
    EXPECT_TRUE(driver.blocks.empty());
}

TEST_F(CaptureSettingsDialog, CancelClosesWithoutApplying) {
    Open();
    SpaceOn(dialog->Tree().FindTopLevelItem(L"IRP"));
    Click(IDCANCEL);
    EXPECT_EQ(owner.closed, std::vector<int>{IDCANCEL});
    EXPECT_TRUE(driver.blocks.empty());
    EXPECT_FALSE(::IsWindow(hwnd));
    dialog = nullptr;
}
