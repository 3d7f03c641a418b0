// The recent files list of the File menu's "&Recent Files" popup (commands
// 40101 to 40116): the paths of the capture files opened or saved last,
// stored in a section of the settings store.
#pragma once
#include <windows.h>

#include <string>

#include "app/frame/RecentFileList.h"
#include "framework/CmdTarget.h"

namespace brx {

class CRecentFilesMenu {
public:
    // section: the settings section ("RecentFiles"); format: the entries'
    // value names with "%d" for the 1-based number ("File%d").
    CRecentFilesMenu(const wchar_t* section, const wchar_t* format);

    // n clamped to 0..16, the first entries kept; nothing is stored.
    void SetSize(int n) { m_list.SetSize(n); }
    int GetSize() const { return m_list.GetSize(); }
    void Load();
    void Save();
    void DeleteValues();
    // Makes the path a full path and puts it at the top, then saves.
    void AddFile(const wchar_t* path);
    void RemoveFile(int index);
    void Clear();
    int CountUsed() const { return m_list.CountUsed(); }
    std::wstring GetEntry(int index) const;
    // The menu text of an entry (before numbering); FALSE for an empty or
    // over-long entry. currentDirectory ends with a backslash.
    BOOL GetDisplayName(std::wstring& name, int index, const wchar_t* currentDirectory, int currentDirectoryLength,
                        BOOL atLeastName = TRUE) const;
    // The update of the popup's first item (40101), or of the popup's own
    // item in the File menu: rebuilds the numbered items from the entries.
    void UpdateMenu(CCmdUI* ui);

    // -1 shows every path in full.
    int m_nMaxDisplayLength = kRecentFilesDisplayLength;

private:
    RecentFileList m_list;
    std::wstring m_section;
};

} // namespace brx
