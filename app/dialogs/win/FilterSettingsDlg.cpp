#include "app/dialogs/win/FilterSettingsDlg.h"

#include "app/dialogs/CriteriaImage.h"
#include "app/res/dialogs_ids.h"
#include "capture/Filter.h"

namespace brx {

static_assert(CFilterSettingsDlg::IDD == IDD_FILTER_SETTINGS);

const CRITERIA_DLG_IDS CFilterSettingsDlg::kIds = {
    IDD_FILTER_SETTINGS, IDI_FILTER_SETTINGS, IDC_FS_LABEL, IDC_FS_PRESETS, IDC_FS_SAVE_AS, IDC_FS_REMOVE,
    IDC_FS_REQUEST_TREE, IDC_FS_PHASE_GROUP, IDC_FS_DIRECTION_GROUP, IDC_FS_BLANK,
    {IDC_FS_ISSUE, IDC_FS_SUCCESS, IDC_FS_FAILURE, IDC_FS_INPUT, IDC_FS_OUTPUT},
    IDD_SAVE_FILTER, IDC_FILTER_NAME, L"FilterSettings", L"filter"};

CFilterSettingsDlg::CFilterSettingsDlg(CWnd* owner, IFilterSettingsOwner* target, CFilter* filter)
    : CCriteriaSettingsDlg(kIds, owner), m_pTarget(target), m_pFilter(filter) {}

std::unique_ptr<CMatchCriteria> CFilterSettingsDlg::NewCriteria() const { return std::make_unique<CFilterSettings>(); }

void CFilterSettingsDlg::EnumPresets(PresetCallback callback, void* userData) {
    if (m_pFilter) m_pFilter->EnumPresets(callback, userData);
}

void CFilterSettingsDlg::DeletePreset(const wchar_t* name) {
    if (m_pFilter) m_pFilter->DeletePreset(name);
}

CriteriaImageBytes CFilterSettingsDlg::CurrentImage() {
    CriteriaImageBytes image{};
    if (m_pFilter) m_pFilter->GetCriteriaImage(image.data(), image.size());
    return image;
}

bool CFilterSettingsDlg::SameImage(const CriteriaImageBytes& a, const CriteriaImageBytes& b) const {
    return SameFilterImage(a.data(), b.data());
}

void CFilterSettingsDlg::AfterInit() {
    SetCheck(IDC_FS_USE_FILTER, m_pFilter && m_pFilter->IsApplied());
}

void CFilterSettingsDlg::AfterChange() { OnUseFilter(); }

void CFilterSettingsDlg::OnUseFilter() {
    const bool on = IsChecked(IDC_FS_USE_FILTER);
    // Every child but the switch, the status line, OK, Cancel, Apply and the
    // size grip follows the switch.
    const HWND grip = GetSizeGrip().m_hWnd;
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        const int id = ::GetDlgCtrlID(child);
        if (child == grip || id == IDC_FS_USE_FILTER || id == IDC_FS_STATUS || id == IDOK || id == IDCANCEL ||
            id == IDC_FS_APPLY)
            continue;
        ::EnableWindow(child, on);
    }
    if (on) m_presetRow.UpdateRemove();
    UpdateApply();
}

void CFilterSettingsDlg::UpdateApply() {
    bool differs = false;
    if (m_pFilter) {
        const CriteriaImageBytes current = CurrentImage();
        differs = !SameImage(ReadImage(), current) || IsChecked(IDC_FS_USE_FILTER) != (m_pFilter->IsApplied() != 0);
    }
    ::EnableWindow(GetDlgItem(IDC_FS_APPLY), differs);
}

void CFilterSettingsDlg::Apply() {
    ::EnableWindow(GetDlgItem(IDC_FS_APPLY), FALSE);
    if (m_pFilter) {
        CriteriaImageBytes image = CurrentImage();
        const CriteriaImageBytes controls = ReadImage();
        // The controls' part of the image over the filter's.
        for (uint32_t at : {CRITERIA_ISSUE, CRITERIA_SUCCESS, CRITERIA_FAILURE, CRITERIA_INPUT, CRITERIA_OUTPUT})
            image[at] = controls[at];
        std::copy(controls.begin() + CRITERIA_KINDS, controls.end(), image.begin() + CRITERIA_KINDS);
        const bool on = IsChecked(IDC_FS_USE_FILTER);
        // The rows are rebuilt once: the criteria setter rebuilds an applied
        // filter itself, so switching on goes through Apply only when the
        // filter was off, and switching off comes first.
        if (!on) m_pFilter->Apply(0);
        const bool wasApplied = m_pFilter->IsApplied() != 0;
        m_pFilter->SetCriteria(image.data(), image.size());
        m_pFilter->SaveCriteria();
        if (on && !wasApplied) m_pFilter->Apply(1);
        else if (on) m_pFilter->PostNotify(LOG_NOTIFY_AFTER, 0);
    }
    m_presetRow.WriteAppliedName();
    if (m_pTarget) m_pTarget->OnFilterSettingsApplied();
    UpdateApply();
    ::SetFocus(m_hWnd);
}

void CFilterSettingsDlg::OnOK() {
    Apply();
    if (m_pTarget) m_pTarget->OnFilterSettingsClosed(IDOK);
    DestroyWindow();
}

void CFilterSettingsDlg::OnCancel() {
    if (m_pTarget) m_pTarget->OnFilterSettingsClosed(IDCANCEL);
    DestroyWindow();
}

bool CFilterSettingsDlg::OnCommand(CCommand& cmd) {
    if (cmd.Is(IDC_FS_APPLY)) return cmd.Run([&] { Apply(); });
    if (cmd.Is(IDC_FS_USE_FILTER)) return cmd.Run([&] { OnUseFilter(); });
    return CCriteriaSettingsDlg::OnCommand(cmd);
}

void CFilterSettingsDlg::BuildLayout() {
    constexpr uint32_t fixed = LM_FIXED_W | LM_FIXED_H;
    CPane root = CreateRoot(LM_COLUMN, 7, 2);
    AddCommonRows(root);

    CPane use = MakePane(LM_ROW, LM_FIXED_H, 0);
    use->AddItem(MakeItem(IDC_FS_USE_FILTER, fixed))
        ->AddItem(MakeItem(IDC_FS_STATUS, LM_FIXED_H | LM_ALIGN_T | LM_ALIGN_B));

    CPane buttons = MakePane(LM_ROW, LM_FIXED_H, 5);
    buttons->AddItem(MakeGrowingSpacer(0))
        ->AddItem(MakeItem(IDOK, fixed))
        ->AddItem(MakeItem(IDCANCEL, fixed))
        ->AddItem(MakeItem(IDC_FS_APPLY, fixed));

    root->AddPane(use)->AddPane(buttons);
    SetRoot(root);
}

} // namespace brx
