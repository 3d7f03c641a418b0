#include "framework/SystemLibrary.h"

#include <vector>

namespace brx {
namespace {

HMODULE SystemLoadLibrary(const wchar_t* path) {
    return ::LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

LoadLibraryCall g_loadLibrary = nullptr;

HMODULE Load(const std::wstring& path) {
    if (path.empty()) return nullptr;
    return (g_loadLibrary ? g_loadLibrary : SystemLoadLibrary)(path.c_str());
}

std::wstring Join(std::wstring folder, const wchar_t* name) {
    if (folder.empty() || !name || !*name) return {};
    if (folder.back() != L'\\') folder += L'\\';
    return folder + name;
}

} // namespace

LoadLibraryCall SetLoadLibraryCall(LoadLibraryCall call) {
    LoadLibraryCall previous = g_loadLibrary;
    g_loadLibrary = call;
    return previous;
}

std::wstring SystemLibraryPath(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    return Join(std::wstring(folder, length), name);
}

std::wstring ProgramLibraryPath(const wchar_t* name) {
    // Long program paths are allowed: grow the buffer until the name fits.
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            std::wstring program(path.data(), length);
            const size_t slash = program.find_last_of(L"\\/");
            if (slash == std::wstring::npos) return {};
            return Join(program.substr(0, slash), name);
        }
        if (path.size() >= 32768) return {};
        path.resize(path.size() * 2);
    }
}

HMODULE LoadSystemLibrary(const wchar_t* name) { return Load(SystemLibraryPath(name)); }

HMODULE LoadProgramLibrary(const wchar_t* name) { return Load(ProgramLibraryPath(name)); }

void RemoveCurrentFolderFromLibrarySearch() {
    // An empty string removes the current folder from the search order.
    ::SetDllDirectoryW(L"");
}

} // namespace brx
