#include "app/usbprops/win/UsbReportExport.h"

#include <commdlg.h>

#include <cwchar>
#include <string>
#include <vector>

#include "capture/win/Prompts.h"
#include "capture/win/SettingsStore.h"
#include "capture/win/SystemHelpers.h"

namespace brx {

namespace {

constexpr char kProductName[] = "Brindlex";
constexpr char kProductLink[] = "https://www.brindlex.example/";
constexpr wchar_t kTitle[] = L"Export As";

void TellFailure(HWND owner, const std::wstring& path, DWORD error) {
    std::wstring text = L"The export file " + path + L" could not be created.\n\n" + SystemErrorText(error);
    Prompts().MessageBoxW(owner, text.c_str(), L"Brindlex", MB_OK | MB_ICONERROR);
}

} // namespace

ExportResult ExportUsbReport(HWND owner, const DEVICE_NODE* node, bool wholeTree, const USB_REPORT_SUMMARY& summary,
                             FileWriteFunction write) {
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
    if (const DWORD error = WriteFileReplacing(path.c_str(), page.data(), page.size(), write)) {
        TellFailure(owner, path, error);
        return ExportResult::Failed;
    }
    if (page.full())
        Prompts().MessageBoxW(owner, L"The report reached its size limit: the file ends where it was cut.", L"Brindlex",
                              MB_OK | MB_ICONWARNING);
    return ExportResult::Written;
}

} // namespace brx
