#include "toolkit/dock/win/ScreenSetRegistry.h"

#include <vector>

#include "toolkit/dock/ScreenSetBlob.h"

namespace brx {

DockLoadRules ScreenSetRulesForThisScreen() {
    return ScreenSetLoadRules(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
}

bool SaveLayout(CDPLayout& layout, HKEY key, const wchar_t* valueName) {
    try {
        std::vector<uint8_t> blob;
        if (!layout.Save(blob)) return false;
        return ::RegSetValueExW(key, valueName, 0, REG_BINARY, blob.data(), static_cast<DWORD>(blob.size())) ==
               ERROR_SUCCESS;
    } catch (...) {
        return false;
    }
}

bool SaveLayoutToRegistry(CDPLayout& layout, HKEY key, const wchar_t* name) {
    ::RegDeleteKeyW(key, name);
    return SaveLayout(layout, key, name);
}

bool LoadLayoutFromRegistry(CDPLayout& layout, HKEY key, const wchar_t* valueName) {
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(key, valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    // A blob is never longer than 8192 bytes: a longer value is not one.
    if (type != REG_BINARY || size == 0 || size > DP_BLOB_MAX) return false;
    try {
        std::vector<uint8_t> blob(size, 0);
        DWORD read = size;
        if (::RegQueryValueExW(key, valueName, nullptr, &type, blob.data(), &read) != ERROR_SUCCESS ||
            type != REG_BINARY)
            return false;
        blob.resize(read);  // the value may have shrunk in between
        return layout.LoadFromMemory(blob.data(), blob.size(), ScreenSetRulesForThisScreen());
    } catch (...) {
        return false;
    }
}

} // namespace brx
