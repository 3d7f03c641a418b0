// The modeless, resizable "Capture Settings" dialog: which request kinds the
// capture driver captures (a CRequestTree), three capture options, the URB
// transfer buffer size limit, and named presets of all of these.
//
// The controls are compared with the current settings (Apply is enabled
// while they differ) and with the preset they came from (the preset shows
// as "name (modified)" while they differ). Presets are loaded only to show
// or compare them; the driver gets the settings on Apply and OK alone, one
// block each time. The two data-transfer flags (CS_DATA_IN, CS_DATA_OUT)
// and the kinds the tree does not show have no control here and keep their
// values.
#pragma once
#include <windows.h>

#include <string>

#include "app/devices/CaptureSettings.h"
#include "app/dialogs/win/PresetRow.h"
#include "app/dialogs/win/RequestTree.h"
#include "toolkit/layout/win/ResizableDialog.h"

namespace brx {

// What the dialog tells its owner (the main frame).
class ICaptureSettingsOwner {
public:
    virtual ~ICaptureSettingsOwner() = default;
    // The dialog is closing: code IDOK or IDCANCEL. Forget it.
    virtual void OnCaptureSettingsClosed(int code) = 0;
    // The settings were applied (and sent to the driver).
    virtual void OnCaptureSettingsApplied() = 0;
};

class CCaptureSettingsDlg final : public CLD {
public:
    static constexpr UINT IDD = 140;
    static const wchar_t kSection[];

    // owner: the frame window; target: told of closing and applying;
    // settings: the program's capture settings, edited on Apply.
    CCaptureSettingsDlg(CWnd* owner, ICaptureSettingsOwner* target, CCaptureSettings* settings);

    // Creates the modeless window from its template; whether it was created.
    BOOL Create();

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool OnCommand(CCommand& cmd) override;
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

    // What the controls show over `base`: its kinds with the tree's kinds
    // written in, its flags with the three option bits from the boxes, the
    // selected size limit (0 without a selection).
    CAPTURE_SETTINGS_IMAGE ReadImage(const CAPTURE_SETTINGS_IMAGE& base) const;
    void ShowImage(const CAPTURE_SETTINGS_IMAGE& image);
    static bool SameImage(const CAPTURE_SETTINGS_IMAGE& a, const CAPTURE_SETTINGS_IMAGE& b);

    CRequestTree& Tree() { return m_tree; }
    const PresetChoice& Presets() const { return m_presetRow.Choice(); }

    // The handlers, as the controls call them.
    void Apply();
    void OnControlChanged();
    void OnSelectPreset();
    void OnSaveAs();
    void OnRemove();
    // Saves the controls as the preset `name` and selects it; false (and
    // nothing selected) when the preset could not be written.
    bool SavePresetAs(const std::wstring& name);

protected:
    void PostNcDestroy() override { delete this; }

private:
    void FillSizeLimits();
    void FillPresets();
    void UpdateApply();
    void BuildLayout();
    // Loads a preset into `into` without sending it anywhere.
    static bool LoadPreset(const std::wstring& name, CCaptureSettings& into);

    CWnd* m_pOwner;
    ICaptureSettingsOwner* m_pTarget;
    CCaptureSettings* m_pSettings;
    CRequestTree m_tree;
    CPresetRow m_presetRow;
    HWND m_hSizeLimit = nullptr;
    HICON m_hIcon = nullptr;
    HICON m_hSmallIcon = nullptr;
};

} // namespace brx
