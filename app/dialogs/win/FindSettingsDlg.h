// The modeless, resizable "Find Settings" dialog: the find criteria (request
// kinds, phases, URB directions and a data pattern typed as hex bytes),
// named find presets, and Prev/Next, which store the criteria and ask the
// owner window to search (find previous / find next commands).
#pragma once
#include "app/dialogs/win/CriteriaSettingsDlg.h"
#include "toolkit/controls/win/HexMaskedEdit.h"

namespace brx {

class IFindSettingsOwner {
public:
    virtual ~IFindSettingsOwner() = default;
    virtual void OnFindSettingsClosed(int code) = 0;
    virtual void OnFindSettingsApplied() = 0;
};

class CFindSettingsDlg final : public CCriteriaSettingsDlg {
public:
    static constexpr UINT IDD = 142;
    static const CRITERIA_DLG_IDS kIds;
    // Sixteen two-digit groups: at most 16 pattern bytes.
    static const wchar_t kPatternMask[];

    CFindSettingsDlg(CWnd* owner, IFindSettingsOwner* target, CFindSettings* settings);

    void OnOK() override;
    void OnCancel() override;
    bool OnCommand(CCommand& cmd) override;
    bool SameImage(const CriteriaImageBytes& a, const CriteriaImageBytes& b) const override;
    CriteriaImageBytes ReadImage() const override;
    void ShowImage(const CriteriaImageBytes& image) override;

    CHexMaskedEdit& PatternEdit() { return m_edit; }
    void Apply();
    // Apply, then the owner window's find next (forward) or previous.
    void Search(bool forward);

protected:
    std::unique_ptr<CMatchCriteria> NewCriteria() const override;
    void EnumPresets(PresetCallback callback, void* userData) override;
    void DeletePreset(const wchar_t* name) override;
    CriteriaImageBytes CurrentImage() override;
    void AfterInit() override;
    void OnDestroying() override;
    void BuildLayout() override;

private:
    IFindSettingsOwner* m_pTarget;
    CFindSettings* m_pSettings;
    CHexMaskedEdit m_edit;
    HFONT m_hOldFont = nullptr;
    HFONT m_hFont = nullptr;
};

} // namespace brx
