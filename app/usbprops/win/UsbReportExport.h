// Saving a node's USB properties report as an HTML file: the file name from
// the save dialog (through the prompts seam), the page written to a
// temporary file beside the target, which replaces the target only once it is
// whole. Failures are told to the user in a message box.
#pragma once
#include <windows.h>

#include <string>

#include "app/usbprops/UsbReport.h"
#include "base/win/ReplacingFile.h"

namespace brx {

constexpr UINT WM_EXPORT_PROGRESS = WM_USER + 1;   // wParam 1: shown, 100: done, 0: hidden
constexpr wchar_t kExportSection[] = L"ExportSettings";
constexpr wchar_t kExportDirectoryValue[] = L"Directory";

enum class ExportResult { Written, Cancelled, NothingToWrite, Failed };

// Asks for the file (owner: the main window) and writes the saved report
// through a temporary file beside it (CReplacingFile; write is its seam for
// tests).
ExportResult ExportUsbReport(HWND owner, const DEVICE_NODE* node, bool wholeTree, const USB_REPORT_SUMMARY& summary,
                             FileWriteFunction write = ::WriteFile);

} // namespace brx
