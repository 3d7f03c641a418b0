#include "app/export/win/ExportList.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <vector>

#include "app/list/win/CaptureList.h"
#include "app/res/export_ids.h"
#include "capture/Filter.h"
#include "capture/MessageTarget.h"
#include "capture/win/AppMessageBox.h"
#include "capture/win/Prompts.h"
#include "capture/win/SettingsStore.h"
#include "capture/win/SystemHelpers.h"

namespace brx {

namespace {

const wchar_t kSection[] = L"ExportSettings";
constexpr int kFileTypeBox = 1136;   // the save dialog's file type combo box (cmb1)
constexpr int kFileListArea = 1121;  // the save dialog's file list (lst1), else 1120
constexpr int kFileListAreaOld = 1120;

// Hands the bytes to the file that replaces the target when complete.
class CFileSink final : public IExportSink {
public:
    explicit CFileSink(CReplacingFile& file) : file_(file) {}
    bool Write(const char* bytes, size_t size) override { return file_.Write(bytes, size); }

private:
    CReplacingFile& file_;
};

// Digits only (GetDlgItemInt takes "12a" as 12 under Wine), at most 10 and
// within 32 bits; false leaves the value as it was.
bool ReadUnsigned(HWND dialog, int id, uint32_t& value) {
    wchar_t text[16] = {};
    const int n = ::GetDlgItemTextW(dialog, id, text, 16);
    if (n <= 0 || n > 10) return false;
    uint64_t v = 0;
    for (int i = 0; i < n; ++i) {
        if (text[i] < L'0' || text[i] > L'9') return false;
        v = v * 10 + static_cast<uint64_t>(text[i] - L'0');
    }
    if (v > 0xFFFFFFFFull) return false;
    value = static_cast<uint32_t>(v);
    return true;
}

void SetUnsigned(HWND dialog, int id, uint32_t value) {
    wchar_t text[16];
    std::swprintf(text, 16, L"%u", value);
    ::SetDlgItemTextW(dialog, id, text);
}

void Enable(HWND dialog, int id, bool on) { ::EnableWindow(::GetDlgItem(dialog, id), on ? TRUE : FALSE); }

void EnableColumns(HWND dialog, bool on) {
    Enable(dialog, IDC_EXPORT_COLUMNS_DEFAULT, on);
    Enable(dialog, IDC_EXPORT_COLUMNS_AS_IS, on);
}

} // namespace

DWORD ExportToFile(const wchar_t* target, const EXPORT_JOB& job, IExportSource& source,
                   IExportProgress* progress, FileWriteFunction write) {
    CReplacingFile file(write);
    if (const DWORD error = file.Create(target)) return error;
    CFileSink sink(file);
    const EXPORT_OUTCOME outcome = WriteListExport(job, source, sink, progress);
    switch (outcome.result) {
    case ExportResult::Done: break;
    case ExportResult::Cancelled: return ERROR_CANCELLED;
    case ExportResult::WriteFailed: return file.Error() ? file.Error() : ERROR_WRITE_FAULT;
    case ExportResult::NoMemory: return ERROR_NOT_ENOUGH_MEMORY;
    }
    // An export always has its frame: nothing written, or less than the
    // export counted, is a failure.
    if (outcome.bytesWritten == 0 || outcome.bytesWritten != file.Written()) return ERROR_WRITE_FAULT;
    return file.Commit();
}

bool CExportProgress::OnExportProgress(uint32_t value) {
    if (frame_) ::SendMessageW(frame_, WM_LOGPROGRESS, value, 0);
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE)) {
        if (msg.wParam == VK_ESCAPE) return false;
    }
    return true;
}

std::wstring ExportDirectoryOf(const std::wstring& fullPath) {
    const size_t slash = fullPath.find_last_of(L'\\');
    if (slash == std::wstring::npos) return std::wstring();
    // A drive root keeps its backslash ("C:\").
    if (slash == 2 && fullPath.size() > 1 && fullPath[1] == L':') return fullPath.substr(0, 3);
    return fullPath.substr(0, slash);
}

CExportList::CExportList() { LoadSettings(); }

void CExportList::LoadSettings() {
    EXPORT_SETTINGS s;
    s.format = ReadAppRegDword(kSection, L"Format", 0);
    s.range = ReadAppRegDword(kSection, L"Range", 0);
    s.columns = ReadAppRegDword(kSection, L"Columns", 0);
    s.transferBuffer = ReadAppRegDword(kSection, L"TransferBuffer", 1);
    s.transferBufferLimit = ReadAppRegDword(kSection, L"TransferBufferLimit", 32);
    s.from = m_settings.from;
    s.to = m_settings.to;
    m_settings = NormalizeExportSettings(s);
    wchar_t directory[MAX_PATH + 1] = {};
    if (ReadAppRegString(kSection, L"Directory", directory, MAX_PATH + 1) == 0)
        ::GetCurrentDirectoryW(MAX_PATH + 1, directory);
    m_directory = directory;
}

void CExportList::SaveSettings() const {
    WriteAppRegDword(kSection, L"Format", m_settings.format);
    WriteAppRegDword(kSection, L"Range", m_settings.range);
    WriteAppRegDword(kSection, L"Columns", m_settings.columns);
    WriteAppRegDword(kSection, L"TransferBuffer", m_settings.transferBuffer);
    WriteAppRegDword(kSection, L"TransferBufferLimit", m_settings.transferBufferLimit);
    WriteAppRegString(kSection, L"Directory", m_directory.c_str());
}

int CExportList::ShowExportDialog(wchar_t* fileName, DWORD size) {
    // "%s (*.%s)|*.%s|" for each type, every "|" a NUL.
    std::wstring filter;
    for (const EXPORT_FILE_TYPE& type : EXPORT_FILE_TYPES) {
        const std::wstring ext(reinterpret_cast<const wchar_t*>(type.extension));
        filter += reinterpret_cast<const wchar_t*>(type.description);
        filter += L" (*." + ext + L")";
        filter += L'\0';
        filter += L"*." + ext;
        filter += L'\0';
    }
    filter += L'\0';
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = m_frame;
    ofn.hInstance = ::GetModuleHandleW(nullptr);
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = m_settings.format + 1;
    ofn.lpstrFile = fileName;
    ofn.nMaxFile = size;
    ofn.lpstrInitialDir = m_directory.empty() ? nullptr : m_directory.c_str();
    ofn.lpstrTitle = L"Export As";
    ofn.lpstrDefExt = reinterpret_cast<const wchar_t*>(EXPORT_FILE_TYPES[m_settings.format].extension);
    ofn.lpTemplateName = MAKEINTRESOURCEW(IDD_EXPORT_OPTIONS);
    ofn.lpfnHook = ExportDlgHookProc;
    ofn.lCustData = reinterpret_cast<LPARAM>(this);
    ofn.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_OVERWRITEPROMPT |
                OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_EXTENSIONDIFFERENT;
    if (!Prompts().GetSaveFileNameW(&ofn)) return 0;
    m_settings.format = ofn.nFilterIndex >= 1 && ofn.nFilterIndex <= 4 ? ofn.nFilterIndex - 1 : 0;
    m_directory = ExportDirectoryOf(FullPathOf(fileName));
    return 1;
}

UINT_PTR CALLBACK ExportDlgHookProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<CExportList*>(::GetWindowLongPtrW(dialog, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG: {
        const auto* ofn = reinterpret_cast<const OPENFILENAMEW*>(lp);
        self = reinterpret_cast<CExportList*>(ofn->lCustData);
        ::SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        if (!self) return FALSE;
        const EXPORT_SETTINGS& s = self->m_settings;
        ::SendDlgItemMessageW(dialog, IDC_EXPORT_FROM, EM_LIMITTEXT, 10, 0);
        ::SendDlgItemMessageW(dialog, IDC_EXPORT_TO, EM_LIMITTEXT, 10, 0);
        ::SendDlgItemMessageW(dialog, IDC_EXPORT_BUFFER_BYTES, EM_LIMITTEXT, 10, 0);
        ::CheckRadioButton(dialog, IDC_EXPORT_RANGE_ALL, IDC_EXPORT_RANGE_SOME,
                           s.range ? IDC_EXPORT_RANGE_SOME : IDC_EXPORT_RANGE_ALL);
        ::CheckRadioButton(dialog, IDC_EXPORT_COLUMNS_DEFAULT, IDC_EXPORT_COLUMNS_AS_IS,
                           s.columns ? IDC_EXPORT_COLUMNS_AS_IS : IDC_EXPORT_COLUMNS_DEFAULT);
        ::CheckRadioButton(dialog, IDC_EXPORT_BUFFER_ALL, IDC_EXPORT_BUFFER_LIMIT,
                           s.transferBuffer ? IDC_EXPORT_BUFFER_LIMIT : IDC_EXPORT_BUFFER_ALL);
        Enable(dialog, IDC_EXPORT_FROM, s.range != 0);
        Enable(dialog, IDC_EXPORT_TO, s.range != 0);
        SetUnsigned(dialog, IDC_EXPORT_FROM, self->m_firstSequence);
        SetUnsigned(dialog, IDC_EXPORT_TO, self->m_lastSequence);
        HWND types = ::GetDlgItem(::GetParent(dialog), kFileTypeBox);
        const bool xml = types ? ::SendMessageW(types, CB_GETCURSEL, 0, 0) == 1 : ofn->nFilterIndex == 2;
        EnableColumns(dialog, !xml);
        Enable(dialog, IDC_EXPORT_BUFFER_BYTES, s.transferBuffer != 0);
        SetUnsigned(dialog, IDC_EXPORT_BUFFER_BYTES, s.transferBufferLimit);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_EXPORT_RANGE_ALL:
        case IDC_EXPORT_RANGE_SOME:
            Enable(dialog, IDC_EXPORT_FROM, LOWORD(wp) == IDC_EXPORT_RANGE_SOME);
            Enable(dialog, IDC_EXPORT_TO, LOWORD(wp) == IDC_EXPORT_RANGE_SOME);
            return TRUE;
        case IDC_EXPORT_BUFFER_ALL:
        case IDC_EXPORT_BUFFER_LIMIT:
            Enable(dialog, IDC_EXPORT_BUFFER_BYTES, LOWORD(wp) == IDC_EXPORT_BUFFER_LIMIT);
            return TRUE;
        default: return FALSE;
        }
    case WM_NOTIFY: {
        const auto* n = reinterpret_cast<const OFNOTIFYW*>(lp);
        if (!self || !n) return FALSE;
        if (n->hdr.code == CDN_TYPECHANGE) {
            EnableColumns(dialog, !(n->lpOFN && n->lpOFN->nFilterIndex == 2));
            return TRUE;
        }
        if (n->hdr.code == CDN_FILEOK) {
            EXPORT_SETTINGS& s = self->m_settings;
            s.range = ::IsDlgButtonChecked(dialog, IDC_EXPORT_RANGE_ALL) == BST_CHECKED ? 0 : 1;
            ReadUnsigned(dialog, IDC_EXPORT_FROM, s.from);
            ReadUnsigned(dialog, IDC_EXPORT_TO, s.to);
            s.columns = ::IsDlgButtonChecked(dialog, IDC_EXPORT_COLUMNS_DEFAULT) == BST_CHECKED ? 0 : 1;
            s.transferBuffer = ::IsDlgButtonChecked(dialog, IDC_EXPORT_BUFFER_ALL) == BST_CHECKED ? 0 : 1;
            ReadUnsigned(dialog, IDC_EXPORT_BUFFER_BYTES, s.transferBufferLimit);
            ::SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 0);
            return FALSE;
        }
        return FALSE;
    }
    case WM_SIZE: {
        HWND parent = ::GetParent(dialog);
        HWND area = ::GetDlgItem(parent, kFileListArea);
        if (!area) area = ::GetDlgItem(parent, kFileListAreaOld);
        if (!area) return FALSE;
        RECT a{}, mine{};
        ::GetWindowRect(area, &a);
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&a), 2);
        ::GetWindowRect(dialog, &mine);
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&mine), 2);
        ::SetWindowPos(dialog, nullptr, a.left, mine.top, a.right - a.left, mine.bottom - mine.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        return FALSE;
    }
    default: return FALSE;
    }
}

int CExportList::Export(CCaptureList& list) {
    if (!list.m_hWnd) return 0;
    CFilter& filter = list.GetFilter();
    if (filter.GetRowCount() == 0) return 0;
    uint32_t first = 0, last = 0;
    filter.GetSequenceRange(first, last);
    m_firstSequence = first;
    m_lastSequence = last;
    wchar_t fileName[MAX_PATH + 1] = {};
    if (!ShowExportDialog(fileName, MAX_PATH + 1)) return 0;
    if (m_frame) ::UpdateWindow(m_frame);
    if (m_settings.range == 1) {
        m_settings.from = std::max(m_settings.from, first);
        m_settings.to = std::min(m_settings.to, last);
        if (m_settings.to < m_settings.from) {
            wchar_t text[160];
            std::swprintf(text, 160,
                          L"The export file could not be created because\nthe invalid range %u-%u was specified.",
                          m_settings.from, m_settings.to);
            return AppMessageBox(text, nullptr, MB_ICONHAND);
        }
    }
    EXPORT_JOB job;
    job.settings = m_settings;
    CHeaderCtrlEx& header = list.GetHeader();
    const int n = std::min<int>(header.m_hWnd ? header.GetItemCount() : 0, COLUMN_COUNT);
    job.order.assign(static_cast<size_t>(n), 0);
    job.visible.assign(static_cast<size_t>(n), 1);
    if (n > 0) {
        std::vector<int> order(static_cast<size_t>(n)), visible(static_cast<size_t>(n), 1);
        if (header.GetOrderArray(order.data(), n)) std::copy(order.begin(), order.end(), job.order.begin());
        else for (int i = 0; i < n; ++i) job.order[static_cast<size_t>(i)] = i;
        if (header.GetColumnsVisible(visible.data(), n)) std::copy(visible.begin(), visible.end(), job.visible.begin());
    }
    job.filterApplied = filter.IsApplied() != 0;
    std::shared_ptr<ISummaryNames> names;
    if (!list.GetTextContext(job.text, names)) return 0;
    CFilterExportSource source(filter);
    CExportProgress progress(m_frame);
    if (m_frame) ::SendMessageW(m_frame, WM_LOGPROGRESS, 1, 0);
    const DWORD error = ExportToFile(fileName, job, source, &progress);
    if (m_frame) {
        ::SendMessageW(m_frame, WM_LOGPROGRESS, 100, 0);
        ::SendMessageW(m_frame, WM_LOGPROGRESS, 0, 0);
    }
    if (error == ERROR_CANCELLED) return 0;
    if (error) {
        const std::wstring text = std::wstring(L"The export file ") + FullPathOf(fileName) +
                                  L" could not be created.\n\n" + SystemErrorText(error);
        return AppMessageBox(text.c_str(), nullptr, MB_ICONHAND);
    }
    SaveSettings();
    return 0;
}

} // namespace brx
