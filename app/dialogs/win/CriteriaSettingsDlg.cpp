#include "app/dialogs/win/CriteriaSettingsDlg.h"

#include <vector>

#include "app/dialogs/win/PresetNameDlg.h"
#include "capture/win/AppMessageBox.h"
#include "capture/win/SettingsStore.h"
#include "framework/Resource.h"

namespace brx {
namespace {

constexpr uint32_t kBoxBytes[5] = {CRITERIA_ISSUE, CRITERIA_SUCCESS, CRITERIA_FAILURE, CRITERIA_INPUT,
                                   CRITERIA_OUTPUT};
constexpr size_t kNameChars = CRITERIA_PRESET_NAME_MAX;

} // namespace

CCriteriaSettingsDlg::CCriteriaSettingsDlg(const CRITERIA_DLG_IDS& ids, CWnd* owner)
    : CLD(ids.dialog, owner ? owner->m_hWnd : nullptr, ids.section, L"WindowPlacement", TRUE),
      m_ids(ids),
      m_pOwner(owner),
      m_presetRow({ids.label, ids.presets, ids.saveAs, ids.remove, ids.tree}, ids.section, kNameChars) {}

BOOL CCriteriaSettingsDlg::Create() { return CDialog::Create(m_ids.dialog, m_pOwner ? m_pOwner->m_hWnd : nullptr); }

BOOL CCriteriaSettingsDlg::OnInitDialog() {
    CLD::OnInitDialog();
    HINSTANCE resources = AfxGetResourceHandle();
    m_hIcon = static_cast<HICON>(::LoadImageW(resources, MAKEINTRESOURCEW(m_ids.icon), IMAGE_ICON,
                                              ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), 0));
    m_hSmallIcon = static_cast<HICON>(::LoadImageW(resources, MAKEINTRESOURCEW(m_ids.icon), IMAGE_ICON,
                                                   ::GetSystemMetrics(SM_CXSMICON),
                                                   ::GetSystemMetrics(SM_CYSMICON), 0));
    if (m_hIcon) SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    if (m_hSmallIcon) SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hSmallIcon));
    m_presetRow.Attach(m_hWnd);
    m_hTree = GetDlgItem(m_ids.tree);
    m_tree.SubclassDlgItem(m_ids.tree, m_hWnd);
    m_tree.Init();
    // The blank button of the template has no role: it stays hidden.
    if (HWND blank = GetDlgItem(m_ids.blank)) ::ShowWindow(blank, SW_HIDE);

    AfterInit();
    ShowImage(CurrentImage());
    FillPresets();
    AfterChange();

    ModifyStyle(WS_MINIMIZEBOX, 0, SWP_FRAMECHANGED);
    BuildLayout();
    return TRUE;
}

void CCriteriaSettingsDlg::SetCheck(UINT id, bool on) {
    if (HWND box = GetDlgItem(id)) ::SendMessageW(box, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool CCriteriaSettingsDlg::IsChecked(UINT id) const {
    HWND box = GetDlgItem(id);
    return box && ::SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

CriteriaImageBytes CCriteriaSettingsDlg::ReadImage() const {
    CriteriaImageBytes image{};
    m_tree.GetSelection(image.data() + CRITERIA_KINDS);
    for (int i = 0; i < 5; ++i)
        if (IsChecked(m_ids.boxes[i])) image[kBoxBytes[i]] = 1;
    return image;
}

void CCriteriaSettingsDlg::ShowImage(const CriteriaImageBytes& image) {
    m_tree.SetSelection(image.data() + CRITERIA_KINDS);
    for (int i = 0; i < 5; ++i) SetCheck(m_ids.boxes[i], image[kBoxBytes[i]] != 0);
}

// ---- Presets

void CCriteriaSettingsDlg::FillPresets() {
    std::vector<std::wstring> names;
    EnumPresets(&CPresetRow::CollectName, &names);
    m_presetRow.Fill(names);
}

void CCriteriaSettingsDlg::OnControlChanged() {
    const std::wstring base = m_presetRow.Choice().BaseName();
    if (!base.empty()) {
        std::unique_ptr<CMatchCriteria> preset = NewCriteria();
        const bool loaded = preset->LoadPreset(base.c_str()) != 0;
        CriteriaImageBytes stored{};
        if (loaded) preset->GetImage(stored.data(), stored.size());
        const bool equal = loaded && SameImage(stored, ReadImage());
        m_presetRow.Choice().ControlsChanged(base, loaded, equal);
        m_presetRow.Show();
    }
    AfterChange();
}

void CCriteriaSettingsDlg::OnSelectPreset() {
    const std::wstring name = m_presetRow.Choice().Choose(m_presetRow.ListSelection());
    m_presetRow.Show();
    if (name.empty()) return;
    std::unique_ptr<CMatchCriteria> preset = NewCriteria();
    if (preset->LoadPreset(name.c_str())) {
        CriteriaImageBytes image{};
        preset->GetImage(image.data(), image.size());
        ShowImage(image);
    }
    AfterChange();
}

bool CCriteriaSettingsDlg::SavePresetAs(const std::wstring& name) {
    if (name.empty()) return false;
    std::unique_ptr<CMatchCriteria> preset = NewCriteria();
    const CriteriaImageBytes image = ReadImage();
    preset->SetImage(image.data(), image.size());
    const bool saved = preset->SavePreset(name.c_str()) != 0;
    m_presetRow.Choice().Saved(name, saved);
    m_presetRow.Show();
    if (!saved) {
        const std::wstring text = L"The " + std::wstring(m_ids.noun) + L" could not be saved as \"" + name + L"\".";
        AppMessageBox(text.c_str(), nullptr, MB_ICONEXCLAMATION);
        return false;
    }
    OnSelectPreset();
    return true;
}

void CCriteriaSettingsDlg::OnSaveAs() {
    CPresetNameDlg ask(m_ids.nameDialog, m_ids.nameEdit, m_hWnd, m_presetRow.Choice().BaseName(), kNameChars);
    if (ask.DoModal() != IDOK || ask.Name().empty()) return;
    SavePresetAs(ask.Name());
}

void CCriteriaSettingsDlg::OnRemove() {
    const std::wstring name = m_presetRow.Choice().RemoveSelected();
    if (name.empty()) return;
    DeletePreset(name.c_str());
    m_presetRow.Show();
}

bool CCriteriaSettingsDlg::OnCommand(CCommand& cmd) {
    if (cmd.IsNotify(m_ids.presets, CBN_SELCHANGE)) return cmd.Run([&] { OnSelectPreset(); });
    if (cmd.Is(m_ids.saveAs)) return cmd.Run([&] { OnSaveAs(); });
    if (cmd.Is(m_ids.remove)) return cmd.Run([&] { OnRemove(); });
    for (UINT box : m_ids.boxes)
        if (cmd.Is(box)) return cmd.Run([&] { OnControlChanged(); });
    return CLD::OnCommand(cmd);
}

bool CCriteriaSettingsDlg::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_REQUEST_TREE_CHANGED:
        OnControlChanged();
        result = 0;
        return true;
    case WM_DESTROY:
        OnDestroying();
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

void CCriteriaSettingsDlg::AddCommonRows(CPane root) {
    constexpr uint32_t fixed = LM_FIXED_W | LM_FIXED_H;
    m_presetRow.AddLayoutRows(*this, root);

    // Each group: a framed row holding a column of a spacer and its boxes,
    // in a right-aligned column with a growing spacer.
    auto group = [&](UINT groupId, const UINT* boxes, int count) {
        CPane column = MakePane(LM_COLUMN, LM_FIXED_H, 5);
        column->AddItem(MakeFixedSpacer(1, 8));
        for (int i = 0; i < count; ++i) column->AddItem(MakeItem(boxes[i], fixed));
        CPane frame = MakePaneCtrl(groupId, LM_ROW, LM_FIXED_H, 5, 10);
        frame->AddPane(column);
        CPane side = MakePane(LM_COLUMN, LM_ALIGN_R, 5);
        side->AddPane(frame)->AddItem(MakeGrowingSpacer(1));
        return side;
    };
    const UINT phase[] = {m_ids.boxes[0], m_ids.boxes[1], m_ids.boxes[2]};
    const UINT direction[] = {m_ids.boxes[3], m_ids.boxes[4], m_ids.blank};
    CPane groups = MakePane(LM_ROW, LM_FIXED_H, 5);
    groups->AddPane(group(m_ids.phaseGroup, phase, 3))->AddPane(group(m_ids.directionGroup, direction, 3));

    root->AddPane(groups);
}

} // namespace brx
