#include "app/dialogs/win/FindSettingsDlg.h"

#include "app/dialogs/CriteriaImage.h"
#include "app/res/dialogs_ids.h"

namespace brx {

static_assert(CFindSettingsDlg::IDD == IDD_FIND_SETTINGS);

namespace {
constexpr UINT kFindNextCommand = 40011;
constexpr UINT kFindPrevCommand = 40012;
} // namespace

const CRITERIA_DLG_IDS CFindSettingsDlg::kIds = {
    IDD_FIND_SETTINGS, IDI_FIND_SETTINGS, IDC_FD_LABEL, IDC_FD_PRESETS, IDC_FD_SAVE_AS, IDC_FD_REMOVE,
    IDC_FD_REQUEST_TREE, IDC_FD_PHASE_GROUP, IDC_FD_DIRECTION_GROUP, IDC_FD_BLANK,
    {IDC_FD_ISSUE, IDC_FD_SUCCESS, IDC_FD_FAILURE, IDC_FD_INPUT, IDC_FD_OUTPUT},
    IDD_SAVE_FIND_SETTINGS, IDC_FIND_NAME, L"FindSettings", L"find settings"};

const wchar_t CFindSettingsDlg::kPatternMask[] = L"## ## ## ## ## ## ## ## ## ## ## ## ## ## ## ##";

CFindSettingsDlg::CFindSettingsDlg(CWnd* owner, IFindSettingsOwner* target, CFindSettings* settings)
    : CCriteriaSettingsDlg(kIds, owner), m_pTarget(target), m_pSettings(settings) {}

std::unique_ptr<CMatchCriteria> CFindSettingsDlg::NewCriteria() const { return std::make_unique<CFindSettings>(); }

void CFindSettingsDlg::EnumPresets(PresetCallback callback, void* userData) {
    if (m_pSettings) m_pSettings->EnumPresets(callback, userData);
}

void CFindSettingsDlg::DeletePreset(const wchar_t* name) {
    if (m_pSettings) m_pSettings->DeletePreset(name);
}

CriteriaImageBytes CFindSettingsDlg::CurrentImage() {
    CriteriaImageBytes image{};
    if (m_pSettings) m_pSettings->GetImage(image.data(), image.size());
    return image;
}

bool CFindSettingsDlg::SameImage(const CriteriaImageBytes& a, const CriteriaImageBytes& b) const {
    return SameFindImage(a.data(), b.data());
}

void CFindSettingsDlg::AfterInit() {
    HWND edit = GetDlgItem(IDC_FD_PATTERN);
    if (!edit) return;
    // A fixed-pitch face so that the byte groups line up.
    m_hOldFont = reinterpret_cast<HFONT>(::SendMessageW(edit, WM_GETFONT, 0, 0));
    LOGFONTW font{};
    if (!m_hOldFont || !::GetObjectW(m_hOldFont, sizeof font, &font))
        ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    wcscpy_s(font.lfFaceName, L"Courier New");
    m_hFont = ::CreateFontIndirectW(&font);
    if (m_hFont) ::SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(m_hFont), FALSE);
    m_edit.SetPromptChar(L'_');
    m_edit.SetMask(kPatternMask);
    m_edit.SubclassEdit(edit);
}

void CFindSettingsDlg::ShowImage(const CriteriaImageBytes& image) {
    CCriteriaSettingsDlg::ShowImage(image);
    m_edit.SetInputText(FormatPattern(image.data()).c_str(), 0, TRUE);
}

CriteriaImageBytes CFindSettingsDlg::ReadImage() const {
    CriteriaImageBytes image = CCriteriaSettingsDlg::ReadImage();
    PutPatternText(m_edit.GetInputText(), image.data());
    return image;
}

void CFindSettingsDlg::Apply() {
    if (m_pSettings) {
        CriteriaImageBytes image = CurrentImage();
        const CriteriaImageBytes controls = ReadImage();
        for (uint32_t at : {CRITERIA_ISSUE, CRITERIA_SUCCESS, CRITERIA_FAILURE, CRITERIA_INPUT, CRITERIA_OUTPUT})
            image[at] = controls[at];
        std::copy(controls.begin() + CRITERIA_PATTERN_COUNT, controls.end(), image.begin() + CRITERIA_PATTERN_COUNT);
        m_pSettings->SetImage(image.data(), image.size());
        m_pSettings->SaveCurrent();
    }
    m_presetRow.WriteAppliedName();
    if (m_pTarget) m_pTarget->OnFindSettingsApplied();
    ::SetFocus(m_hWnd);
}

void CFindSettingsDlg::Search(bool forward) {
    Apply();
    if (m_pOwner && m_pOwner->m_hWnd)
        ::SendMessageW(m_pOwner->m_hWnd, WM_COMMAND, forward ? kFindNextCommand : kFindPrevCommand, 0);
}

void CFindSettingsDlg::OnOK() {
    Apply();
    if (m_pTarget) m_pTarget->OnFindSettingsClosed(IDOK);
    DestroyWindow();
}

void CFindSettingsDlg::OnCancel() {
    if (m_pTarget) m_pTarget->OnFindSettingsClosed(IDCANCEL);
    DestroyWindow();
}

bool CFindSettingsDlg::OnCommand(CCommand& cmd) {
    if (cmd.Is(IDC_FD_NEXT)) return cmd.Run([&] { Search(true); });
    if (cmd.Is(IDC_FD_PREV)) return cmd.Run([&] { Search(false); });
    if (cmd.IsNotify(IDC_FD_PATTERN, EN_CHANGE)) return cmd.Run([&] { OnControlChanged(); });
    return CCriteriaSettingsDlg::OnCommand(cmd);
}

void CFindSettingsDlg::OnDestroying() {
    HWND edit = m_edit.m_hWnd;
    if (edit) {
        ::SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(m_hOldFont), FALSE);
        m_edit.UnsubclassWindow();
    }
    if (m_hFont) ::DeleteObject(m_hFont);
    m_hFont = nullptr;
}

void CFindSettingsDlg::BuildLayout() {
    constexpr uint32_t fixed = LM_FIXED_W | LM_FIXED_H;
    CPane root = CreateRoot(LM_COLUMN, 7, 2);
    AddCommonRows(root);

    // The pattern's label and edit take their place in the layout, so that
    // nothing overlaps them when the dialog grows or shrinks.
    CPane pattern = MakePane(LM_ROW, LM_FIXED_H, 5);
    pattern->AddItem(MakeItem(IDC_FD_PATTERN_LABEL, fixed | LM_ALIGN_T | LM_ALIGN_B))
        ->AddItem(MakeItem(IDC_FD_PATTERN, LM_FIXED_H));

    CPane buttons = MakePane(LM_ROW, LM_FIXED_H, 5);
    buttons->AddItem(MakeItem(IDC_FD_PREV, fixed))
        ->AddItem(MakeItem(IDC_FD_NEXT, fixed))
        ->AddItem(MakeGrowingSpacer(0))
        ->AddItem(MakeItem(IDOK, fixed))
        ->AddItem(MakeItem(IDCANCEL, fixed));

    root->AddPane(pattern)->AddItem(MakeItem(IDC_FD_STATUS, LM_FIXED_H))->AddPane(buttons);
    SetRoot(root);
}

} // namespace brx
