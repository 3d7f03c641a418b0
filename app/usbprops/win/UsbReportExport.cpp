#include "app/usbprops/win/UsbReportExport.h"

#include <commdlg.h>

#include <cwchar>
#include <string>
#include <vector>

#include "capture/win/Prompts.h"
#include "capture/win/SettingsStore.h"

namespace brx {

namespace {

constexpr char kProductName[] = "Brindlex";
constexpr char kProductLink[] = "https://www.brindlex.example/";
constexpr wchar_t kTitle[] = L"Export As";

std::wstring SystemText(DWORD error) {
    wchar_t text[1024] = {};
    const DWORD n = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 1024,
                                     text, 1024, nullptr);
    return std::wstring(text, n);
}

void TellFailure(HWND owner, const std::wstring& path, DWORD error) {
    std::wstring text = L"The export file " + path + L" could not be created.\n\n" + SystemText(error);
    Prompts().MessageBoxW(owner, text.c_str(), L"Brindlex", MB_OK | MB_ICONERROR);
}

} // namespace

bool WriteFileReplacing(const std::wstring& path, const char* bytes, size_t size, DWORD& error) {
    const std::wstring temp = path + L".part";
    HANDLE file = ::CreateFileW(temp.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = ::GetLastError();
        return false;
    }
    bool ok = true;
    size_t done = 0;
    while (ok && done < size) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size - done, 1u << 20));
        DWORD written = 0;
        ok = ::WriteFile(file, bytes + done, chunk, &written, nullptr) && written == chunk;
        done += written;
    }
    ok = ok && ::FlushFileBuffers(file);
    if (!ok) error = ::GetLastError();
    ::CloseHandle(file);
    if (ok && !::MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = ::GetLastError();
        ok = false;
    }
    if (!ok) ::DeleteFileW(temp.c_str());
    return ok;
}

ExportResult ExportUsbReport(HWND owner, const DEVICE_NODE* node, bool wholeTree, const USB_REPORT_SUMMARY& summary) {
    const DEVICE_NODE* shown = wholeTree ? nullptr : node;
    if (!wholeTree && !node) return ExportResult::NothingToWrite;
    wchar_t file[MAX_PATH] = {};
    if (shown) {
        const WString name = DefaultExportFileName(shown->name);
        wcsncpy(file, reinterpret_cast<const wchar_t*>(name.c_str()), MAX_PATH - 1);
    }
    // "HTML Files (*.html)|*.html|" with every "|" a NUL.
    wchar_t filter[64];
    std::swprintf(filter, 64, L"%ls (*.%ls)|*.%ls|", L"HTML Files", L"html", L"html");
    for (wchar_t* c = filter; *c; ++c)
        if (*c == L'|') *c = 0;
    wchar_t directory[MAX_PATH] = {};
    if (!ReadAppRegString(kExportSection, kExportDirectoryValue, directory, MAX_PATH))
        ::GetCurrentDirectoryW(MAX_PATH, directory);

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrInitialDir = directory;
    dialog.lpstrTitle = kTitle;
    dialog.lpstrDefExt = L"html";
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_EXTENSIONDIFFERENT | OFN_PATHMUSTEXIST | OFN_EXPLORER |
                   OFN_ENABLESIZING;
    if (!Prompts().GetSaveFileNameW(&dialog)) return ExportResult::Cancelled;

    wchar_t full[MAX_PATH] = {};
    wchar_t* namePart = nullptr;
    const DWORD n = ::GetFullPathNameW(file, MAX_PATH, full, &namePart);
    if (n > 0 && n < MAX_PATH) {
        const WString folder = ExportDirectoryOf(std::u16string_view(reinterpret_cast<const char16_t*>(full), n));
        if (!folder.empty()) WriteAppRegString(kExportSection, kExportDirectoryValue, reinterpret_cast<const wchar_t*>(folder.c_str()));
    }
    const std::wstring path = n > 0 && n < MAX_PATH ? std::wstring(full) : std::wstring(file);

    if (owner) ::SendMessageW(owner, WM_EXPORT_PROGRESS, 1, 0);
    PageBuffer page(kSavedUsbReportCapacity);
    const bool built = WriteSavedUsbReport(page, node, wholeTree, summary, kProductName, kProductLink);
    if (owner) {
        ::SendMessageW(owner, WM_EXPORT_PROGRESS, 100, 0);
        ::SendMessageW(owner, WM_EXPORT_PROGRESS, 0, 0);
    }
    if (!built || page.size() == 0) {
        Prompts().MessageBoxW(owner, L"There is no report to export for this item.", L"Brindlex",
                              MB_OK | MB_ICONERROR);
        return ExportResult::NothingToWrite;
    }
    DWORD error = 0;
    if (!WriteFileReplacing(path, page.data(), page.size(), error)) {
        TellFailure(owner, path, error);
        return ExportResult::Failed;
    }
    if (page.full())
        Prompts().MessageBoxW(owner, L"The report reached its size limit: the file ends where it was cut.", L"Brindlex",
                              MB_OK | MB_ICONWARNING);
    return ExportResult::Written;
}

} // namespace brx
