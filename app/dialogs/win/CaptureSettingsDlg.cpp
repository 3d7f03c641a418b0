#include "app/dialogs/win/CaptureSettingsDlg.h"

#include <cstring>
#include <vector>

#include "app/dialogs/win/PresetNameDlg.h"
#include "app/res/dialogs_ids.h"
#include "capture/win/AppMessageBox.h"
#include "capture/win/SettingsStore.h"
#include "framework/Resource.h"

namespace brx {

static_assert(CCaptureSettingsDlg::IDD == IDD_CAPTURE_SETTINGS);

namespace {

constexpr uint32_t kOptionFlags = CS_HOT_PLUGGED | CS_ENTIRE_STACK | CS_IRP_AND_SL_BODY;
constexpr uint32_t kDefaultLimit = 1024;

struct OptionBox {
    UINT id;
    uint32_t flag;
};
// The check boxes and their flags; the data-transfer boxes only in templates
// that have them.
constexpr OptionBox kOptionBoxes[] = {
    {IDC_CS_HOT_PLUGGED, CS_HOT_PLUGGED}, {IDC_CS_ENTIRE_STACK, CS_ENTIRE_STACK},
    {IDC_CS_IRP_AND_SL_BODY, CS_IRP_AND_SL_BODY}, {IDC_CS_DATA_IN, CS_DATA_IN}, {IDC_CS_DATA_OUT, CS_DATA_OUT}};

} // namespace

const wchar_t CCaptureSettingsDlg::kSection[] = L"CaptureSettings";

CCaptureSettingsDlg::CCaptureSettingsDlg(CWnd* owner, ICaptureSettingsOwner* target, CCaptureSettings* settings)
    : CLD(IDD, owner ? owner->m_hWnd : nullptr, kSection, L"WindowPlacement", TRUE),
      m_pOwner(owner),
      m_pTarget(target),
      m_pSettings(settings),
      m_presetRow({IDC_CS_SETTINGS_LABEL, IDC_CS_PRESETS, IDC_CS_SAVE_AS, IDC_CS_REMOVE, IDC_CS_REQUEST_TREE}, kSection,
                  PresetChoice::kMaxName) {}

BOOL CCaptureSettingsDlg::Create() { return CDialog::Create(IDD, m_pOwner ? m_pOwner->m_hWnd : nullptr); }

BOOL CCaptureSettingsDlg::OnInitDialog() {
    CLD::OnInitDialog();
    HINSTANCE resources = AfxGetResourceHandle();
    m_hIcon = static_cast<HICON>(::LoadImageW(resources, MAKEINTRESOURCEW(IDI_CAPTURE_SETTINGS), IMAGE_ICON,
                                              ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), 0));
    m_hSmallIcon = static_cast<HICON>(::LoadImageW(resources, MAKEINTRESOURCEW(IDI_CAPTURE_SETTINGS), IMAGE_ICON,
                                                   ::GetSystemMetrics(SM_CXSMICON),
                                                   ::GetSystemMetrics(SM_CYSMICON), 0));
    if (m_hIcon) SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    if (m_hSmallIcon) SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hSmallIcon));
    m_presetRow.Attach(m_hWnd);
    m_hSizeLimit = GetDlgItem(IDC_CS_SIZE_LIMIT);
    m_tree.SubclassDlgItem(IDC_CS_REQUEST_TREE, m_hWnd);
    m_tree.Init();

    FillSizeLimits();
    if (m_pSettings) ShowImage(m_pSettings->Image());
    FillPresets();
    UpdateApply();

    ModifyStyle(WS_MINIMIZEBOX, 0, SWP_FRAMECHANGED);
    BuildLayout();
    return TRUE;
}

void CCaptureSettingsDlg::FillSizeLimits() {
    if (!m_hSizeLimit) return;
    ::SendMessageW(m_hSizeLimit, CB_RESETCONTENT, 0, 0);
    for (const TRANSFER_BUFFER_LIMIT& row : TRANSFER_BUFFER_LIMITS) {
        const auto index = static_cast<int>(
            ::SendMessageW(m_hSizeLimit, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.text)));
        if (index >= 0) ::SendMessageW(m_hSizeLimit, CB_SETITEMDATA, static_cast<WPARAM>(index), row.value);
    }
    // The list drops down with every row visible.
    const auto field = static_cast<int>(::SendMessageW(m_hSizeLimit, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    RECT box{};
    ::GetWindowRect(m_hSizeLimit, &box);
    ::SetWindowPos(m_hSizeLimit, nullptr, 0, 0, box.right - box.left, field * (TRANSFER_BUFFER_LIMIT_COUNT + 1),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CCaptureSettingsDlg::ShowImage(const CAPTURE_SETTINGS_IMAGE& image) {
    m_tree.SetSelection(image.kinds);
    if (m_hSizeLimit) {
        int row = -1;
        int fallback = -1;
        const auto count = static_cast<int>(::SendMessageW(m_hSizeLimit, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            const auto value = static_cast<uint32_t>(::SendMessageW(m_hSizeLimit, CB_GETITEMDATA, i, 0));
            if (value == image.transferBufferLimit) row = i;
            if (value == kDefaultLimit) fallback = i;
        }
        ::SendMessageW(m_hSizeLimit, CB_SETCURSEL, static_cast<WPARAM>(row >= 0 ? row : fallback), 0);
    }
    for (const OptionBox& box : kOptionBoxes) {
        if (HWND button = GetDlgItem(box.id))
            ::SendMessageW(button, BM_SETCHECK, (image.flags & box.flag) ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

CAPTURE_SETTINGS_IMAGE CCaptureSettingsDlg::ReadImage(const CAPTURE_SETTINGS_IMAGE& base) const {
    CAPTURE_SETTINGS_IMAGE image = base;
    m_tree.MergeSelection(image.kinds);
    image.transferBufferLimit = 0;
    if (m_hSizeLimit) {
        const auto row = static_cast<int>(::SendMessageW(m_hSizeLimit, CB_GETCURSEL, 0, 0));
        if (row >= 0)
            image.transferBufferLimit = static_cast<uint32_t>(::SendMessageW(m_hSizeLimit, CB_GETITEMDATA, row, 0));
    }
    // Flags without a box here keep their values.
    for (const OptionBox& box : kOptionBoxes) {
        HWND button = GetDlgItem(box.id);
        if (!button) continue;
        image.flags &= ~box.flag;
        if (::SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED) image.flags |= box.flag;
    }
    static_assert((kOptionFlags & (CS_DATA_IN | CS_DATA_OUT)) == 0);
    return image;
}

bool CCaptureSettingsDlg::SameImage(const CAPTURE_SETTINGS_IMAGE& a, const CAPTURE_SETTINGS_IMAGE& b) {
    return a.flags == b.flags && a.transferBufferLimit == b.transferBufferLimit &&
           std::memcmp(a.kinds, b.kinds, sizeof a.kinds) == 0;
}

bool CCaptureSettingsDlg::LoadPreset(const std::wstring& name, CCaptureSettings& into) {
    return !name.empty() && into.LoadPreset(name.c_str()) != 0;
}

// ---- Presets

void CCaptureSettingsDlg::FillPresets() {
    std::vector<std::wstring> names;
    if (m_pSettings) m_pSettings->EnumPresets(&CPresetRow::CollectName, &names);
    m_presetRow.Fill(names);
}

void CCaptureSettingsDlg::UpdateApply() {
    bool differs = false;
    if (m_pSettings) differs = !SameImage(ReadImage(m_pSettings->Image()), m_pSettings->Image());
    ::EnableWindow(GetDlgItem(IDC_CS_APPLY), differs);
}

void CCaptureSettingsDlg::OnControlChanged() {
    const std::wstring base = m_presetRow.Choice().BaseName();
    if (!base.empty()) {
        CCaptureSettings preset; // no driver: loading it sends nothing
        const bool loaded = LoadPreset(base, preset);
        const bool equal = loaded && SameImage(preset.Image(), ReadImage(preset.Image()));
        m_presetRow.Choice().ControlsChanged(base, loaded, equal);
        m_presetRow.Show();
    }
    UpdateApply();
}

void CCaptureSettingsDlg::OnSelectPreset() {
    const std::wstring name = m_presetRow.Choice().Choose(m_presetRow.ListSelection());
    m_presetRow.Show();
    if (name.empty()) return;
    CCaptureSettings preset;
    if (LoadPreset(name, preset)) ShowImage(preset.Image());
    UpdateApply();
}

bool CCaptureSettingsDlg::SavePresetAs(const std::wstring& name) {
    if (name.empty() || !m_pSettings) return false;
    CCaptureSettings preset; // no driver: saving a preset sends nothing
    preset.ApplyImage(ReadImage(m_pSettings->Image()));
    const bool saved = preset.SavePreset(name.c_str()) != 0;
    m_presetRow.Choice().Saved(name, saved);
    m_presetRow.Show();
    if (!saved) {
        const std::wstring text = L"The capture settings could not be saved as \"" + name + L"\".";
        AppMessageBox(text.c_str(), nullptr, MB_ICONEXCLAMATION);
        return false;
    }
    OnSelectPreset();
    return true;
}

void CCaptureSettingsDlg::OnSaveAs() {
    CPresetNameDlg ask(IDD_SAVE_CAPTURE_SETTINGS, IDC_PRESET_NAME, m_hWnd, m_presetRow.Choice().BaseName());
    if (ask.DoModal() != IDOK || ask.Name().empty()) return;
    SavePresetAs(ask.Name());
}

void CCaptureSettingsDlg::OnRemove() {
    const std::wstring name = m_presetRow.Choice().RemoveSelected();
    if (name.empty()) return;
    if (m_pSettings) m_pSettings->DeletePreset(name.c_str());
    m_presetRow.Show();
}

// ---- Apply, OK, Cancel

void CCaptureSettingsDlg::Apply() {
    ::EnableWindow(GetDlgItem(IDC_CS_APPLY), FALSE);
    if (m_pSettings) {
        m_pSettings->ApplyImage(ReadImage(m_pSettings->Image()));
        m_pSettings->SaveCurrent();
    }
    m_presetRow.WriteAppliedName();
    if (m_pTarget) m_pTarget->OnCaptureSettingsApplied();
    UpdateApply();
    ::SetFocus(m_hWnd);
}

void CCaptureSettingsDlg::OnOK() {
    Apply();
    if (m_pTarget) m_pTarget->OnCaptureSettingsClosed(IDOK);
    DestroyWindow();
}

void CCaptureSettingsDlg::OnCancel() {
    if (m_pTarget) m_pTarget->OnCaptureSettingsClosed(IDCANCEL);
    DestroyWindow();
}

bool CCaptureSettingsDlg::OnCommand(CCommand& cmd) {
    if (cmd.Is(IDC_CS_APPLY)) return cmd.Run([&] { Apply(); });
    if (cmd.IsNotify(IDC_CS_PRESETS, CBN_SELCHANGE)) return cmd.Run([&] { OnSelectPreset(); });
    if (cmd.Is(IDC_CS_SAVE_AS)) return cmd.Run([&] { OnSaveAs(); });
    if (cmd.Is(IDC_CS_REMOVE)) return cmd.Run([&] { OnRemove(); });
    if (cmd.IsNotify(IDC_CS_SIZE_LIMIT, CBN_SELCHANGE)) return cmd.Run([&] { OnControlChanged(); });
    for (const OptionBox& box : kOptionBoxes)
        if (cmd.Is(box.id)) return cmd.Run([&] { OnControlChanged(); });
    return CLD::OnCommand(cmd);
}

bool CCaptureSettingsDlg::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_REQUEST_TREE_CHANGED:
        OnControlChanged();
        result = 0;
        return true;
    case WM_DESTROY:
        m_tree.Free();
        if (m_tree.m_hWnd) m_tree.UnsubclassWindow();
        m_presetRow.Choice().RemoveModified();
        break;
    case WM_NCDESTROY:
        if (m_hIcon) ::DestroyIcon(m_hIcon);
        if (m_hSmallIcon) ::DestroyIcon(m_hSmallIcon);
        m_hIcon = m_hSmallIcon = nullptr;
        break;
    }
    return CLD::OnWndMsg(msg, wp, lp, result);
}

// ---- Layout

void CCaptureSettingsDlg::BuildLayout() {
    constexpr uint32_t fixed = LM_FIXED_W | LM_FIXED_H;
    CPane root = CreateRoot(LM_COLUMN, 7, 2);
    m_presetRow.AddLayoutRows(*this, root);

    CPane options = MakePane(LM_COLUMN, LM_ALIGN_L, 5);
    options->AddItem(MakeItem(IDC_CS_HOT_PLUGGED, fixed))
        ->AddItem(MakeItem(IDC_CS_ENTIRE_STACK, fixed))
        ->AddItem(MakeItem(IDC_CS_IRP_AND_SL_BODY, fixed))
        ->AddItem(MakeGrowingSpacer(1));

    CPane sizeRow = MakePane(LM_ROW, LM_FIXED_H, 5);
    sizeRow->AddItem(MakeItem(IDC_CS_SIZE_LABEL, fixed))
        ->AddItem(MakeItem(IDC_CS_SIZE_LIMIT, fixed))
        ->AddItem(MakeGrowingSpacer(0));
    CPane transferColumn = MakePane(LM_COLUMN, LM_FIXED_H, 5);
    transferColumn->AddItem(MakeFixedSpacer(1, 8))
        ->AddPane(sizeRow)
        ->AddItem(MakeItem(IDC_CS_DATA_IN, fixed))
        ->AddItem(MakeItem(IDC_CS_DATA_OUT, fixed));
    CPane transfer = MakePaneCtrl(IDC_CS_TRANSFER_GROUP, LM_ROW, LM_FIXED_H, 5, 10);
    transfer->AddPane(transferColumn);
    CPane transferSide = MakePane(LM_COLUMN, LM_ALIGN_R, 5);
    transferSide->AddPane(transfer);

    CPane bottom = MakePane(LM_ROW, LM_FIXED_H, 5);
    bottom->AddPane(options)->AddPane(transferSide);

    CPane buttons = MakePane(LM_ROW, LM_FIXED_H, 5);
    buttons->AddItem(MakeGrowingSpacer(0))
        ->AddItem(MakeItem(IDOK, fixed))
        ->AddItem(MakeItem(IDCANCEL, fixed))
        ->AddItem(MakeItem(IDC_CS_APPLY, fixed));

    root->AddPane(bottom)
        ->AddItem(MakeItem(IDC_CS_STATUS, LM_FIXED_H))
        ->AddPane(buttons);
    SetRoot(root);
}

} // namespace brx
