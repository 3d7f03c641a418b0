#include "app/dialogs/win/PresetRow.h"

#include "capture/win/SettingsStore.h"

namespace brx {

void CPresetRow::Attach(HWND dialog) {
    list_ = ::GetDlgItem(dialog, static_cast<int>(ids_.presets));
    remove_ = ::GetDlgItem(dialog, static_cast<int>(ids_.remove));
}

int CPresetRow::CollectName(const wchar_t* name, void* userData) {
    static_cast<std::vector<std::wstring>*>(userData)->push_back(name);
    return 1;
}

void CPresetRow::Fill(const std::vector<std::wstring>& names) {
    std::wstring stored;
    bool modified = false;
    if (!names.empty()) {
        std::vector<wchar_t> name(maxName_ + 1, L'\0');
        if (ReadAppRegString(section_, L"Name", name.data(), static_cast<uint32_t>(name.size())) > 0)
            stored = name.data();
        modified = ReadAppRegDword(section_, L"Modified", 0) != 0;
    }
    choice_.Fill(names, stored, modified);
    Show();
}

void CPresetRow::Show() {
    if (list_) {
        ::SendMessageW(list_, CB_LIMITTEXT, maxName_, 0);
        ::SendMessageW(list_, CB_RESETCONTENT, 0, 0);
        for (const PresetEntry& entry : choice_.Entries()) {
            const auto index = static_cast<int>(
                ::SendMessageW(list_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.text.c_str())));
            if (index >= 0) ::SendMessageW(list_, CB_SETITEMDATA, static_cast<WPARAM>(index), entry.modified);
        }
        ::SendMessageW(list_, CB_SETCURSEL, static_cast<WPARAM>(choice_.Selected()), 0);
    }
    UpdateRemove();
}

void CPresetRow::UpdateRemove() {
    if (remove_) ::EnableWindow(remove_, choice_.CanRemove() && ::IsWindowEnabled(list_));
}

int CPresetRow::ListSelection() const {
    return list_ ? static_cast<int>(::SendMessageW(list_, CB_GETCURSEL, 0, 0)) : -1;
}

void CPresetRow::WriteAppliedName() const {
    bool modified = false;
    const std::wstring name = choice_.AppliedName(modified);
    RegKeyHolder key(OpenAppRegSection(section_));
    if (!key.get()) return;
    const DWORD bytes = name.empty() ? 0 : static_cast<DWORD>((name.size() + 1) * sizeof(wchar_t));
    ::RegSetValueExW(key.get(), L"Name", 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()), bytes);
    WriteRegDword(key.get(), L"Modified", modified ? 1 : 0);
}

void CPresetRow::AddLayoutRows(CLM& layout, CLM::CPane column) const {
    constexpr uint32_t fixed = LM_FIXED_W | LM_FIXED_H;
    CLM::CPane presets = layout.MakePane(LM_ROW, LM_FIXED_H, 5);
    presets->AddItem(layout.MakeItem(ids_.label, fixed | LM_ALIGN_T | LM_ALIGN_B))
        ->AddItem(layout.MakeItem(ids_.presets, 0))
        ->AddItem(layout.MakeItem(ids_.saveAs, fixed))
        ->AddItem(layout.MakeItem(ids_.remove, fixed));
    CLM::CPane tree = layout.MakePane(LM_ROW, 0, 5);
    tree->AddItem(layout.MakeItem(ids_.tree, 0));
    column->AddPane(presets)->AddPane(tree);
}

} // namespace brx
