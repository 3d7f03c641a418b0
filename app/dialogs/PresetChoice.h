// The preset list of the settings dialogs (capture, filter, find): the names
// of the saved presets in a combo box, plus at most one modified entry, the
// name of the preset the controls were taken from followed by " (modified)",
// shown first while the controls differ from that preset.
//
// This is the list without the combo box: the dialog asks it what to show,
// what to load and whether Remove may be pressed, and shows Entries() with
// Selected() after every change.
#pragma once
#include <string>
#include <vector>

namespace brx {

struct PresetEntry {
    std::wstring text;       // what the combo box shows
    std::wstring base;       // the preset's name (differs only for the modified entry)
    bool modified = false;
};

class PresetChoice {
public:
    static constexpr size_t kMaxName = 40;
    static const wchar_t kModifiedSuffix[];

    const std::vector<PresetEntry>& Entries() const { return entries_; }
    int Selected() const { return selected_; }
    bool HasModified() const;

    // The stored presets in their order, the name last applied and whether
    // the controls differed from it then. The stored name is selected when
    // it is in the list, and marked modified when the flag says so.
    void Fill(const std::vector<std::wstring>& names, const std::wstring& storedName, bool storedModified);

    // The selected entry's preset name; empty without a selection.
    std::wstring BaseName() const;
    // Remove may be pressed: a plain entry is selected.
    bool CanRemove() const;

    // Shows `name` modified: its modified entry first and selected (the
    // previous one goes). Nothing for an empty name.
    void MarkModified(const std::wstring& name);
    // Removes the modified entry, if any; a selection of it becomes none.
    void RemoveModified();
    // Selects the plain entry of `name`, appending it when it is missing.
    void SelectName(const std::wstring& name);

    // The controls changed; `base` is BaseName() taken before, `loaded`
    // whether that preset could be read, `equal` whether it matches the
    // controls. An unreadable preset changes nothing.
    void ControlsChanged(const std::wstring& base, bool loaded, bool equal);
    // The user chose entry `index` of the combo box: the name of the preset
    // to show, empty when there is nothing to load (the modified entry, which
    // is already shown, or a bad index).
    std::wstring Choose(int index);
    // Save As finished: a saved preset is selected (added when new); a
    // failed save leaves the list as it was.
    void Saved(const std::wstring& name, bool saved);
    // Removes the selected plain entry; the removed name (the preset to
    // delete), empty when nothing was removed. Nothing is selected after.
    std::wstring RemoveSelected();
    // The name and modified flag stored on Apply: the base name, with true
    // for the modified entry; empty and false without a selection.
    std::wstring AppliedName(bool& modified) const;

private:
    std::vector<PresetEntry> entries_;
    int selected_ = -1;
};

} // namespace brx
