// The row of presets the settings dialogs share ("Capture Settings", "Filter
// Settings", "Find Settings"): a label, the drop-down list of named presets
// (a PresetChoice), "Save As..." and "Remove", above the request tree; the
// applied preset's name and modified state kept in the dialog's section
// ("Name", "Modified"). The dialog owns the presets themselves.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "app/dialogs/PresetChoice.h"
#include "toolkit/layout/win/LayoutManager.h"

namespace brx {

struct PRESET_ROW_IDS {
    UINT label, presets, saveAs, remove, tree;
};

class CPresetRow {
public:
    // maxName: the longest name in characters (the list's edit limit; the
    // stored name is read with one more for its terminator).
    CPresetRow(const PRESET_ROW_IDS& ids, const wchar_t* section, size_t maxName)
        : ids_(ids), section_(section), maxName_(maxName) {}

    // Finds the list and Remove among the dialog's controls.
    void Attach(HWND dialog);
    // Fills the choice with the preset names and the applied name stored in
    // the section (read only when there are presets), then shows it.
    void Fill(const std::vector<std::wstring>& names);
    // The list as the choice stands, and Remove as UpdateRemove sets it.
    void Show();
    // Remove is enabled when the choice allows it and the list is enabled.
    void UpdateRemove();
    // The list's selected row (-1 without a selection or a list).
    int ListSelection() const;
    // Stores the applied name (empty without one) and its modified state.
    void WriteAppliedName() const;
    // Adds the row of presets and the row of the tree to a layout column.
    void AddLayoutRows(CLM& layout, CLM::CPane column) const;

    PresetChoice& Choice() { return choice_; }
    const PresetChoice& Choice() const { return choice_; }
    size_t MaxName() const { return maxName_; }

    // A preset enumeration callback that appends each name to the
    // std::vector<std::wstring> userData points to.
    static int CollectName(const wchar_t* name, void* userData);

private:
    PRESET_ROW_IDS ids_;
    const wchar_t* section_;
    size_t maxName_;
    HWND list_ = nullptr;
    HWND remove_ = nullptr;
    PresetChoice choice_;
};

} // namespace brx
