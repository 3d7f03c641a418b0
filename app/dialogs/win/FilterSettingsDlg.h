// The modeless, resizable "Filter Settings" dialog: the criteria of the
// record filter (request kinds, phases, URB directions), "Use Filter", and
// named filter presets. Apply stores the criteria and switches the filter
// on or off, rebuilding its rows once.
#pragma once
#include "app/dialogs/win/CriteriaSettingsDlg.h"

namespace brx {

class CFilter;

class IFilterSettingsOwner {
public:
    virtual ~IFilterSettingsOwner() = default;
    // The dialog is closing: code IDOK or IDCANCEL. Forget it.
    virtual void OnFilterSettingsClosed(int code) = 0;
    // The criteria were applied: the list shows the rows anew.
    virtual void OnFilterSettingsApplied() = 0;
};

class CFilterSettingsDlg final : public CCriteriaSettingsDlg {
public:
    static constexpr UINT IDD = 141;
    static const CRITERIA_DLG_IDS kIds;

    CFilterSettingsDlg(CWnd* owner, IFilterSettingsOwner* target, CFilter* filter);

    void OnOK() override;
    void OnCancel() override;
    bool OnCommand(CCommand& cmd) override;
    bool SameImage(const CriteriaImageBytes& a, const CriteriaImageBytes& b) const override;

    void Apply();
    // "Use Filter" clicked: enables the criteria controls with it.
    void OnUseFilter();

protected:
    std::unique_ptr<CMatchCriteria> NewCriteria() const override;
    void EnumPresets(PresetCallback callback, void* userData) override;
    void DeletePreset(const wchar_t* name) override;
    CriteriaImageBytes CurrentImage() override;
    void AfterInit() override;
    void AfterChange() override;
    void BuildLayout() override;

private:
    void UpdateApply();

    IFilterSettingsOwner* m_pTarget;
    CFilter* m_pFilter;
};

} // namespace brx
