#include "app/frame/win/RecentFilesMenu.h"

#include <commdlg.h>

#include <vector>

#include "app/res/frame_ids.h"
#include "capture/win/SettingsStore.h"

namespace brx {

namespace {

WString ToWide16(const std::wstring& s) { return WString(s.begin(), s.end()); }
std::wstring FromWide16(const WString& s) { return std::wstring(s.begin(), s.end()); }

class SectionSettings : public RecentFilesSettings {
public:
    explicit SectionSettings(const std::wstring& section) : m_section(section) {}
    uint32_t ReadDword(const WString& name, uint32_t defaultValue) override {
        return ReadAppRegDword(m_section.c_str(), FromWide16(name).c_str(), defaultValue);
    }
    WString ReadString(const WString& name) override {
        wchar_t buffer[kRecentFilesDisplayLength + 1] = {};
        uint32_t n = ReadAppRegString(m_section.c_str(), FromWide16(name).c_str(), buffer, kRecentFilesDisplayLength + 1);
        return n ? WString(buffer, buffer + n) : WString();
    }
    void WriteDword(const WString& name, uint32_t value) override {
        WriteAppRegDword(m_section.c_str(), FromWide16(name).c_str(), value);
    }
    void WriteString(const WString& name, const WString& value) override {
        WriteAppRegString(m_section.c_str(), FromWide16(name).c_str(), FromWide16(value).c_str());
    }
    void DeleteValue(const WString& name) override { DeleteAppRegValue(m_section.c_str(), FromWide16(name).c_str()); }

private:
    std::wstring m_section;
};

bool SamePath(const WString& a, const WString& b) {
    if (a.empty() || a.size() != b.size()) return false;
    return ::CompareStringOrdinal(reinterpret_cast<const wchar_t*>(a.data()), static_cast<int>(a.size()),
                                  reinterpret_cast<const wchar_t*>(b.data()), static_cast<int>(b.size()),
                                  TRUE) == CSTR_EQUAL;
}

bool ShellFileTitle(const WString& name, WString& title) {
    wchar_t buffer[MAX_PATH + 1] = {};
    std::wstring file = FromWide16(name);
    if (::GetFileTitleW(file.c_str(), buffer, MAX_PATH) != 0) return false;
    title = ToWide16(buffer);
    return true;
}

} // namespace

CRecentFilesMenu::CRecentFilesMenu(const wchar_t* section, const wchar_t* format)
    : m_list(ToWide16(format ? format : L"File%d")), m_section(section ? section : L"RecentFiles") {
    m_list.SetSize(kRecentFilesDefaultCount);
}

void CRecentFilesMenu::Load() {
    SectionSettings settings(m_section);
    m_list.Load(settings);
}

void CRecentFilesMenu::Save() {
    SectionSettings settings(m_section);
    m_list.Save(settings);
}

void CRecentFilesMenu::DeleteValues() {
    SectionSettings settings(m_section);
    m_list.DeleteValues(settings);
}

void CRecentFilesMenu::AddFile(const wchar_t* path) {
    if (!path || !*path || m_list.GetSize() == 0) return;
    std::wstring full(MAX_PATH, L'\0');
    DWORD n = ::GetFullPathNameW(path, static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n >= full.size()) {
        full.resize(n);
        n = ::GetFullPathNameW(path, static_cast<DWORD>(full.size()), full.data(), nullptr);
    }
    if (n == 0 || n >= full.size()) full = path;
    else full.resize(n);
    m_list.Add(ToWide16(full), SamePath);
    Save();
}

void CRecentFilesMenu::RemoveFile(int index) {
    if (!m_list.Remove(index)) return;
    DeleteValues();
    Save();
}

void CRecentFilesMenu::Clear() {
    m_list.Clear();
    DeleteValues();
}

std::wstring CRecentFilesMenu::GetEntry(int index) const { return FromWide16(m_list.Entry(index)); }

BOOL CRecentFilesMenu::GetDisplayName(std::wstring& name, int index, const wchar_t* currentDirectory,
                                      int currentDirectoryLength, BOOL atLeastName) const {
    WString directory;
    if (currentDirectory && currentDirectoryLength > 0)
        directory.assign(currentDirectory, currentDirectory + currentDirectoryLength);
    WString out;
    if (!RecentDisplayName(m_list.Entry(index), directory, m_nMaxDisplayLength, atLeastName != FALSE, ShellFileTitle,
                           out))
        return FALSE;
    name = FromWide16(out);
    return TRUE;
}

void CRecentFilesMenu::UpdateMenu(CCmdUI* ui) {
    if (!ui || !ui->m_hMenu) return;
    HMENU menu = ui->m_hMenu;
    if (ui->m_hSubMenu) {
        // The popup's own item in the File menu.
        ::EnableMenuItem(menu, ui->m_nIndex, MF_BYPOSITION | (CountUsed() > 0 ? MF_ENABLED : MF_DISABLED | MF_GRAYED));
        return;
    }
    if (m_list.GetSize() == 0 || m_list.Entry(0).empty()) {
        ::EnableMenuItem(menu, ui->m_nIndex, MF_BYPOSITION | MF_DISABLED | MF_GRAYED);
        ::EnableMenuItem(menu, ID_FILE_MRU_CLEAR, MF_BYCOMMAND | MF_DISABLED | MF_GRAYED);
        return;
    }
    // Everything but the separator and "&Clear Recent Files List" goes, then
    // any item left with one of the entries' ids.
    for (int count = ::GetMenuItemCount(menu); count > 2; --count) ::DeleteMenu(menu, 0, MF_BYPOSITION);
    for (int i = 0; i < m_list.GetSize(); ++i) ::DeleteMenu(menu, ID_FILE_MRU_FIRST + i, MF_BYCOMMAND);

    wchar_t directory[MAX_PATH + 2] = {};
    DWORD length = ::GetCurrentDirectoryW(MAX_PATH, directory);
    if (length == 0 || length >= MAX_PATH) length = 0;
    if (length && directory[length - 1] != L'\\') directory[length++] = L'\\';
    directory[length] = L'\0';

    UINT index = 0;
    std::wstring name;
    for (int i = 0; i < m_list.GetSize(); ++i) {
        if (!GetDisplayName(name, i, directory, static_cast<int>(length), TRUE)) break;
        std::wstring text = FromWide16(RecentMenuText(i, ToWide16(name)));
        ::InsertMenuW(menu, index++, MF_BYPOSITION | MF_STRING, ID_FILE_MRU_FIRST + i, text.c_str());
    }
    ::EnableMenuItem(menu, ID_FILE_MRU_CLEAR, MF_BYCOMMAND | MF_ENABLED);
    ui->m_nIndex = index ? index - 1 : 0;
    ui->m_bEnableChanged = true;
}

} // namespace brx
