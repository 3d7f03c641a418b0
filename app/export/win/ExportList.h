// The Export List command: the save dialog with the export options under its
// file controls, then the export of the list's rows into a temporary file
// beside the chosen one, which replaces it only when everything was written.
// A failure (disk full, out of memory, a write error) leaves an existing file
// whole and tells the user; Esc during a long export cancels it. The main
// frame shows the progress (WM_LOGPROGRESS: 1, the steps of the rows, 100,
// then 0).
#pragma once
#include <windows.h>
#include <commdlg.h>

#include <cstdint>
#include <string>

#include "app/export/ListExport.h"
#include "base/win/ReplacingFile.h"

namespace brx {

class CCaptureList;

// Writes the export into a temporary file in the target's folder and moves it
// over the target when it is complete (CReplacingFile; write is its seam for
// tests). Returns 0 when the file is in place, ERROR_CANCELLED when the user
// cancelled, else the system error (the target untouched, the temporary file
// removed).
DWORD ExportToFile(const wchar_t* target, const EXPORT_JOB& job, IExportSource& source,
                   IExportProgress* progress, FileWriteFunction write = ::WriteFile);

// Progress for the main frame (WM_LOGPROGRESS, sent) that cancels on Esc.
class CExportProgress final : public IExportProgress {
public:
    explicit CExportProgress(HWND frame) : frame_(frame) {}
    bool OnExportProgress(uint32_t value) override;

private:
    HWND frame_;
};

class CExportList {
public:
    CExportList();
    virtual ~CExportList() = default;

    // Runs the command: nothing without a list window or rows. Returns the
    // result of the last message box, or 0.
    int Export(CCaptureList& list);
    // The save dialog with the options; 1 on OK (the settings and the file
    // name taken), 0 on cancel.
    int ShowExportDialog(wchar_t* fileName, DWORD size);

    void LoadSettings();
    void SaveSettings() const;

    EXPORT_SETTINGS m_settings;
    std::wstring m_directory;
    // The main frame, owner of the dialogs and receiver of the progress.
    HWND m_frame = nullptr;
    // The first and last sequence numbers of the rows, for the dialog.
    uint32_t m_firstSequence = 0;
    uint32_t m_lastSequence = 0;
    // Set while the dialog runs: the XML type turns the column choice off.
    bool m_xmlChosen = false;
};

// The hook of the options template (lCustData of the OPENFILENAMEW: the
// CExportList).
UINT_PTR CALLBACK ExportDlgHookProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp);

// The folder a chosen path is stored as: the path cut before its file name,
// without the separating backslash except at a drive root.
std::wstring ExportDirectoryOf(const std::wstring& fullPath);

} // namespace brx
