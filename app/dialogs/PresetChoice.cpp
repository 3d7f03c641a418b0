#include "app/dialogs/PresetChoice.h"

namespace brx {

const wchar_t PresetChoice::kModifiedSuffix[] = L" (modified)";

bool PresetChoice::HasModified() const {
    for (const PresetEntry& entry : entries_)
        if (entry.modified) return true;
    return false;
}

void PresetChoice::Fill(const std::vector<std::wstring>& names, const std::wstring& storedName, bool storedModified) {
    entries_.clear();
    selected_ = -1;
    for (const std::wstring& name : names) {
        if (name.empty()) continue;
        entries_.push_back({name, name, false});
    }
    if (entries_.empty() || storedName.empty()) return;
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].text == storedName) {
            selected_ = static_cast<int>(i);
            if (storedModified) MarkModified(storedName);
            return;
        }
    }
}

std::wstring PresetChoice::BaseName() const {
    if (selected_ < 0 || static_cast<size_t>(selected_) >= entries_.size()) return {};
    return entries_[static_cast<size_t>(selected_)].base;
}

bool PresetChoice::CanRemove() const {
    return selected_ >= 0 && static_cast<size_t>(selected_) < entries_.size() &&
           !entries_[static_cast<size_t>(selected_)].modified;
}

void PresetChoice::MarkModified(const std::wstring& name) {
    if (name.empty()) return;
    RemoveModified();
    entries_.insert(entries_.begin(), PresetEntry{name + kModifiedSuffix, name, true});
    selected_ = 0;
}

void PresetChoice::RemoveModified() {
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (!entries_[i].modified) continue;
        entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
        const int removed = static_cast<int>(i);
        if (selected_ == removed) selected_ = -1;
        else if (selected_ > removed) --selected_;
        return;
    }
}

void PresetChoice::SelectName(const std::wstring& name) {
    if (name.empty()) return;
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (!entries_[i].modified && entries_[i].text == name) {
            selected_ = static_cast<int>(i);
            return;
        }
    }
    entries_.push_back({name, name, false});
    selected_ = static_cast<int>(entries_.size() - 1);
}

void PresetChoice::ControlsChanged(const std::wstring& base, bool loaded, bool equal) {
    if (base.empty() || !loaded) return;
    RemoveModified();
    if (equal) SelectName(base);
    else MarkModified(base);
}

std::wstring PresetChoice::Choose(int index) {
    if (index < 0 || static_cast<size_t>(index) >= entries_.size()) return {};
    if (entries_[static_cast<size_t>(index)].modified) {
        selected_ = index;
        return {};
    }
    const std::wstring name = entries_[static_cast<size_t>(index)].text;
    RemoveModified();
    SelectName(name);
    return name;
}

void PresetChoice::Saved(const std::wstring& name, bool saved) {
    if (!saved || name.empty()) return;
    RemoveModified();
    SelectName(name);
}

std::wstring PresetChoice::RemoveSelected() {
    if (!CanRemove()) return {};
    const std::wstring name = entries_[static_cast<size_t>(selected_)].text;
    entries_.erase(entries_.begin() + selected_);
    selected_ = -1;
    return name;
}

std::wstring PresetChoice::AppliedName(bool& modified) const {
    modified = false;
    if (selected_ < 0 || static_cast<size_t>(selected_) >= entries_.size()) return {};
    modified = entries_[static_cast<size_t>(selected_)].modified;
    return entries_[static_cast<size_t>(selected_)].base;
}

} // namespace brx
