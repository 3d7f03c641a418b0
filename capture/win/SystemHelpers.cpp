#include "capture/win/SystemHelpers.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <cstring>
#include <cwchar>
#include <new>
#include <string>

#include "capture/Product.h"
#include "capture/SystemArithmetic.h"
#include "capture/win/Prompts.h"
#include "capture/win/SystemSeams.h"

namespace brx {

namespace {


bool HasDriveLetter(const wchar_t* path) {
    return path && ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
           path[1] == L':';
}

// Copies a terminated text into a buffer; false (and nothing copied) when it
// does not fit.
bool CopyText(const wchar_t* text, wchar_t* buffer, uint32_t capacity) {
    if (!text || !buffer || capacity == 0)
        return false;
    size_t n = wcsnlen(text, capacity);
    if (n >= capacity)
        return false;
    std::memcpy(buffer, text, (n + 1) * sizeof(wchar_t));
    return true;
}

} // namespace

int ToLocalFileTime(uint64_t utcTime, uint64_t* localTime) {
    if (!localTime)
        return 0;
    FILETIME utc{static_cast<DWORD>(utcTime), static_cast<DWORD>(utcTime >> 32)};
    FILETIME local{};
    if (!FileTimeToLocalFileTime(&utc, &local))
        return 0;
    *localTime = (static_cast<uint64_t>(local.dwHighDateTime) << 32) | local.dwLowDateTime;
    return 1;
}

std::unique_ptr<wchar_t[]> AnsiToWideAlloc(const char* text) {
    if (!text)
        return nullptr;
    int n = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text, -1, nullptr, 0);
    if (n <= 0)
        return nullptr;
    std::unique_ptr<wchar_t[]> out(new (std::nothrow) wchar_t[n]);
    if (!out || MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text, -1, out.get(), n) != n)
        return nullptr;
    return out;
}

std::unique_ptr<char[]> WideToAnsiAlloc(const wchar_t* text) {
    if (!text)
        return nullptr;
    // Measured first: a multi-byte code page (UTF-8 among them) may need more
    // than two bytes per character.
    int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return nullptr;
    std::unique_ptr<char[]> out(new (std::nothrow) char[n]);
    if (!out || WideCharToMultiByte(CP_ACP, 0, text, -1, out.get(), n, nullptr, nullptr) != n)
        return nullptr;
    return out;
}

uint32_t SystemErrorText(uint32_t code, wchar_t* buffer, uint32_t capacity) {
    if (!buffer || capacity == 0)
        return 0;
    // FormatMessage takes at most 64 KB of output.
    DWORD size = capacity < 32767 ? capacity : 32767;
    // No inserts: a system text with %1 would otherwise read arguments that
    // were never passed.
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             code, 0x400, buffer, size, nullptr);
    if (n == 0 || n >= size) {
        buffer[0] = 0;
        return 0;
    }
    buffer[n] = 0;
    return n;
}

std::wstring SystemErrorText(uint32_t code) {
    wchar_t text[1024] = {};
    return std::wstring(text, SystemErrorText(code, text, 1024));
}

int IsWow64() {
    BOOL wow64 = FALSE;
    return SystemSeams().IsWow64Process(GetCurrentProcess(), &wow64) && wow64 ? 1 : 0;
}

int GetModuleProductVersion(HMODULE module, uint16_t parts[4]) {
    if (!parts)
        return 0;
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16) /*RT_VERSION*/);
    if (!found)
        return 0;
    DWORD size = SizeofResource(module, found);
    HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes || size == 0)
        return 0;
    return ParseProductVersion(bytes, size, parts) ? 1 : 0;
}

int GetProductVersion(uint16_t parts[4]) {
    return GetModuleProductVersion(GetModuleHandleW(nullptr), parts);
}

uint64_t GetDiskFreeBytes(const wchar_t* path) {
    if (!HasDriveLetter(path))
        return 0;
    const wchar_t root[] = {path[0], L':', L'\\', 0};
    ULARGE_INTEGER freeToCaller{};
    if (!SystemSeams().GetDiskFreeSpaceExW(root, &freeToCaller, nullptr, nullptr))
        return 0;
    return freeToCaller.QuadPart;
}

bool DiskHasRoomFor(const wchar_t* folder, uint64_t bytes) {
    ULARGE_INTEGER freeToCaller{};
    if (!folder || !SystemSeams().GetDiskFreeSpaceExW(folder, &freeToCaller, nullptr, nullptr)) return true;
    return freeToCaller.QuadPart >= bytes;
}

uint32_t GetDllVersion(const wchar_t* dllName) {
    if (!dllName)
        return 0;
    // A library asked for by name alone is taken from the system folder, never
    // from the current one (a file planted there would run in the program).
    std::wstring path = dllName;
    if (path.find_first_of(L"\\/:") == std::wstring::npos) {
        wchar_t system[MAX_PATH] = {};
        const UINT length = GetSystemDirectoryW(system, MAX_PATH);
        if (length == 0 || length >= MAX_PATH)
            return 0;
        path = std::wstring(system) + L"\\" + dllName;
    }
    HMODULE module = LoadLibraryW(path.c_str());
    if (!module)
        return 0;
    uint32_t version = 0;
    auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllGetVersion")));
    if (getVersion) {
        DLLVERSIONINFO info{};
        info.cbSize = sizeof info;
        if (SUCCEEDED(getVersion(&info)))
            version = (static_cast<uint32_t>(info.dwMajorVersion & 0xFFFF) << 16) |
                      (info.dwMinorVersion & 0xFFFF);
    }
    FreeLibrary(module);
    return version;
}

uint32_t GetScreenColorDepth() {
    HDC dc = GetDC(nullptr);
    if (!dc)
        return 0;
    int bits = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
    ReleaseDC(nullptr, dc);
    return ReduceColorDepth(bits > 0 ? static_cast<uint32_t>(bits) : 0);
}

uint32_t LoadModuleResourceBytes(HMODULE module, LPCWSTR name, LPCWSTR type, void* buffer,
                                 uint32_t capacity) {
    if (!buffer)
        return 0;
    HRSRC found = FindResourceW(module, name, type);
    if (!found)
        return 0;
    DWORD size = SizeofResource(module, found);
    if (size == 0 || size > capacity)
        return 0;
    HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return 0;
    std::memcpy(buffer, bytes, size);
    return size;
}

uint32_t LoadResourceBytes(LPCWSTR name, LPCWSTR type, void* buffer, uint32_t capacity) {
    return LoadModuleResourceBytes(GetModuleHandleW(nullptr), name, type, buffer, capacity);
}

HMENU DetachFirstPopup(HMENU menu) {
    if (!menu)
        return nullptr;
    HMENU popup = GetSubMenu(menu, 0);
    if (popup)
        RemoveMenu(menu, 0, MF_BYPOSITION);
    DestroyMenu(menu);
    return popup;
}

HMENU LoadPopupMenu(UINT menuId) {
    return DetachFirstPopup(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(menuId)));
}

int IsOnFixedDrive(const wchar_t* path) {
    if (!HasDriveLetter(path))
        return 0;
    const wchar_t root[] = {path[0], L':', L'\\', 0};
    return GetDriveTypeW(root) == DRIVE_FIXED ? 1 : 0;
}

int CALLBACK BrowseForFolderCallback(HWND window, UINT message, LPARAM param, LPARAM data) {
    const auto* start = reinterpret_cast<const BROWSE_FOLDER_START*>(data);
    if (message == BFFM_INITIALIZED && start) {
        if (start->initialFolder && start->initialFolder[0])
            SendMessageW(window, BFFM_SETSELECTIONW, TRUE,
                         reinterpret_cast<LPARAM>(start->initialFolder));
        if (start->title)
            SetWindowTextW(window, start->title);
    } else if (message == BFFM_SELCHANGED) {
        wchar_t path[MAX_PATH] = {};
        auto item = reinterpret_cast<PCIDLIST_ABSOLUTE>(param);
        BOOL ok = item && SHGetPathFromIDListW(item, path) && IsOnFixedDrive(path);
        SendMessageW(window, BFFM_ENABLEOK, 0, ok ? TRUE : FALSE);
    }
    return 0;
}

int BrowseForFolder(HWND owner, int rootCsidl, const wchar_t* initialFolder, const wchar_t* title,
                    const wchar_t* prompt, wchar_t* path, uint32_t capacity) {
    if (!path || capacity == 0)
        return 0;
    HRESULT init = CoInitialize(nullptr);
    PIDLIST_ABSOLUTE root = nullptr;
    if (rootCsidl != 0 && FAILED(SHGetFolderLocation(owner, rootCsidl, nullptr, 0, &root)))
        root = nullptr;
    wchar_t displayName[MAX_PATH] = {};
    BROWSE_FOLDER_START start{initialFolder, title};
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.pidlRoot = root;
    info.pszDisplayName = displayName;
    info.lpszTitle = prompt;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_RETURNFSANCESTORS |
                   BIF_NEWDIALOGSTYLE;
    info.lpfn = BrowseForFolderCallback;
    info.lParam = reinterpret_cast<LPARAM>(&start);
    PIDLIST_ABSOLUTE chosen = Prompts().SHBrowseForFolderW(&info);
    int result = 0;
    if (chosen) {
        wchar_t chosenPath[MAX_PATH] = {};
        if (SHGetPathFromIDListW(chosen, chosenPath) && CopyText(chosenPath, path, capacity))
            result = 1;
        CoTaskMemFree(chosen);
    }
    CoTaskMemFree(root);
    if (SUCCEEDED(init))
        CoUninitialize();
    return result;
}

int CreateDirectoryPath(const wchar_t* path) {
    if (!path || !path[0])
        return 0;
    int rc = SHCreateDirectoryExW(nullptr, path, nullptr);
    if (rc != ERROR_SUCCESS && rc != ERROR_ALREADY_EXISTS && rc != ERROR_FILE_EXISTS)
        return 0;
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
}

int GetAppDataFolder(wchar_t* buffer, uint32_t capacity) {
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return 0;
    return CopyText(folder, buffer, capacity) ? 1 : 0;
}

int GetDefaultTempDirectory(wchar_t* buffer, uint32_t capacity) {
    wchar_t folder[MAX_PATH] = {};
    if (!GetAppDataFolder(folder, MAX_PATH))
        return 0;
    std::wstring path(folder);
    if (!path.empty() && path.back() != L'\\')
        path += L'\\';
    path += reinterpret_cast<const wchar_t*>(GetProductNameW());
    return CopyText(path.c_str(), buffer, capacity) ? 1 : 0;
}

} // namespace brx
