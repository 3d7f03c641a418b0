// What the "Filter Settings" and "Find Settings" dialogs share: a request
// tree, the phase and direction boxes, and named presets of match criteria
// (the preset row, as in the capture settings dialog). Each dialog names its
// controls and says where the criteria live; the preset's modified state
// compares the controls with the preset loaded into a temporary object.
#pragma once
#include <windows.h>

#include <array>
#include <memory>
#include <string>

#include "app/dialogs/win/PresetRow.h"
#include "app/dialogs/win/RequestTree.h"
#include "capture/MatchCriteria.h"
#include "toolkit/layout/win/ResizableDialog.h"

namespace brx {

using CriteriaImageBytes = std::array<uint8_t, CRITERIA_IMAGE_SIZE>;

struct CRITERIA_DLG_IDS {
    UINT dialog, icon, label, presets, saveAs, remove, tree;
    UINT phaseGroup, directionGroup, blank;
    UINT boxes[5];  // issue, success, failure, input, output
    UINT nameDialog, nameEdit;
    const wchar_t* section;
    const wchar_t* noun;  // "filter" / "find settings", for the save failure message
};

class CCriteriaSettingsDlg : public CLD {
public:
    CCriteriaSettingsDlg(const CRITERIA_DLG_IDS& ids, CWnd* owner);

    BOOL Create();
    BOOL OnInitDialog() override;
    bool OnCommand(CCommand& cmd) override;
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

    // The controls' image: all zero, the tree's kinds and the boxes (and,
    // for the find, the pattern).
    virtual CriteriaImageBytes ReadImage() const;
    virtual void ShowImage(const CriteriaImageBytes& image);
    virtual bool SameImage(const CriteriaImageBytes& a, const CriteriaImageBytes& b) const = 0;

    CRequestTree& Tree() { return m_tree; }
    const PresetChoice& Presets() const { return m_presetRow.Choice(); }

    void OnControlChanged();
    void OnSelectPreset();
    void OnSaveAs();
    void OnRemove();
    bool SavePresetAs(const std::wstring& name);

protected:
    void PostNcDestroy() override { delete this; }
    // A criteria object of the dialog's section, for presets.
    virtual std::unique_ptr<CMatchCriteria> NewCriteria() const = 0;
    virtual void EnumPresets(PresetCallback callback, void* userData) = 0;
    virtual void DeletePreset(const wchar_t* name) = 0;
    // The image the dialog edits.
    virtual CriteriaImageBytes CurrentImage() = 0;
    virtual void AfterInit() {}
    virtual void AfterChange() {}
    virtual void OnDestroying() {}
    virtual void BuildLayout() = 0;

    void FillPresets();
    void SetCheck(UINT id, bool on);
    bool IsChecked(UINT id) const;
    // The layout rows both dialogs share: presets, tree, the two groups.
    void AddCommonRows(CPane root);

    const CRITERIA_DLG_IDS& m_ids;
    CWnd* m_pOwner;
    CRequestTree m_tree;
    CPresetRow m_presetRow;
    HWND m_hTree = nullptr;
    HICON m_hIcon = nullptr;
    HICON m_hSmallIcon = nullptr;
};

} // namespace brx
