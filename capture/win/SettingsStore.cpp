#include "capture/win/SettingsStore.h"

#include <cstring>
#include <cwchar>
#include <vector>

#include "capture/Product.h"

namespace brx {

namespace {

constexpr REGSAM APP_KEY_ACCESS = KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE;
char g_testKeyName[64];

const char* AppKeyName() { return g_testKeyName[0] ? g_testKeyName : GetProductNameA(); }

constexpr wchar_t kPresetKey[] = L"0";

} // namespace

void SetAppRegKeyNameForTesting(const char* name) {
    g_testKeyName[0] = 0;
    if (name && std::strlen(name) < sizeof g_testKeyName)
        std::strcpy(g_testKeyName, name);
}

HKEY OpenAppRegKey() {
    HKEY software = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "software", 0, APP_KEY_ACCESS, &software) != ERROR_SUCCESS)
        return nullptr;
    HKEY app = nullptr;
    LONG rc = RegCreateKeyExA(software, AppKeyName(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              APP_KEY_ACCESS, nullptr, &app, nullptr);
    RegCloseKey(software);
    return rc == ERROR_SUCCESS ? app : nullptr;
}

HKEY CreateRegSubKey(HKEY key, const wchar_t* name) {
    if (!key || !name)
        return nullptr;
    HKEY sub = nullptr;
    if (RegCreateKeyExW(key, name, 0, nullptr, REG_OPTION_NON_VOLATILE, APP_KEY_ACCESS, nullptr,
                        &sub, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return sub;
}

HKEY OpenAppRegSection(const wchar_t* section) {
    RegKeyHolder app(OpenAppRegKey());
    if (!app.get())
        return nullptr;
    return CreateRegSubKey(app.get(), section);
}

uint32_t ReadRegDword(HKEY key, const wchar_t* value, uint32_t defaultValue) {
    if (!key)
        return defaultValue;
    DWORD type = 0, number = 0, size = sizeof number;
    LONG rc = RegQueryValueExW(key, value, nullptr, &type, reinterpret_cast<BYTE*>(&number), &size);
    if (rc != ERROR_SUCCESS || type != REG_DWORD || size != sizeof number)
        return defaultValue;
    return number;
}

int WriteRegDword(HKEY key, const wchar_t* value, uint32_t number) {
    if (!key || !value)
        return 0;
    DWORD n = number;
    return RegSetValueExW(key, value, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&n), sizeof n) ==
           ERROR_SUCCESS;
}

uint32_t ReadAppRegDword(const wchar_t* section, const wchar_t* value, uint32_t defaultValue) {
    RegKeyHolder key(OpenAppRegSection(section));
    return ReadRegDword(key.get(), value, defaultValue);
}

int WriteAppRegDword(const wchar_t* section, const wchar_t* value, uint32_t number) {
    RegKeyHolder key(OpenAppRegSection(section));
    return WriteRegDword(key.get(), value, number);
}

uint32_t ReadAppRegString(const wchar_t* section, const wchar_t* value, wchar_t* buffer,
                          uint32_t capacity) {
    if (!buffer || capacity == 0)
        return 0;
    RegKeyHolder key(OpenAppRegSection(section));
    if (!key.get())
        return 0;
    // Read into a copy of the stored size: a failed or partial query must
    // leave the caller's text as it was.
    DWORD type = 0, needed = 0;
    if (RegQueryValueExW(key.get(), value, nullptr, &type, nullptr, &needed) != ERROR_SUCCESS ||
        type != REG_SZ)
        return 0;
    if (needed / sizeof(wchar_t) > capacity)
        return 0;
    std::vector<wchar_t> copy(needed / sizeof(wchar_t) + 1, 0);
    DWORD bytes = static_cast<DWORD>(copy.size() * sizeof(wchar_t));
    LONG rc = RegQueryValueExW(key.get(), value, nullptr, &type,
                               reinterpret_cast<BYTE*>(copy.data()), &bytes);
    if (rc != ERROR_SUCCESS || type != REG_SZ)
        return 0;
    // Whole characters within the bytes returned, up to the first NUL.
    size_t chars = bytes / sizeof(wchar_t);
    if (chars > copy.size())
        return 0;
    chars = wcsnlen(copy.data(), chars);
    if (chars >= capacity) // no room for the terminator
        return 0;
    std::memcpy(buffer, copy.data(), chars * sizeof(wchar_t));
    buffer[chars] = 0;
    return static_cast<uint32_t>(chars);
}

int WriteAppRegString(const wchar_t* section, const wchar_t* value, const wchar_t* text) {
    if (!text)
        return 0;
    size_t chars = wcsnlen(text, APP_REG_STRING_MAX_CHARS + 1);
    if (chars > APP_REG_STRING_MAX_CHARS)
        return 0;
    RegKeyHolder key(OpenAppRegSection(section));
    if (!key.get())
        return 0;
    DWORD bytes = static_cast<DWORD>((chars + 1) * sizeof(wchar_t));
    return RegSetValueExW(key.get(), value, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          bytes) == ERROR_SUCCESS;
}

int ReadAppRegBinary(const wchar_t* section, const wchar_t* value, void* buffer, uint32_t capacity,
                     uint32_t* size) {
    uint32_t dummy = 0;
    if (!size)
        size = &dummy;
    *size = 0;
    RegKeyHolder key(OpenAppRegSection(section));
    if (!key.get())
        return 0;
    DWORD type = 0, needed = 0;
    if (RegQueryValueExW(key.get(), value, nullptr, &type, nullptr, &needed) != ERROR_SUCCESS ||
        type != REG_BINARY)
        return 0;
    if (needed > capacity || (!buffer && needed != 0)) {
        *size = needed;
        return 0;
    }
    DWORD got = capacity;
    LONG rc = RegQueryValueExW(key.get(), value, nullptr, &type, static_cast<BYTE*>(buffer), &got);
    if (rc == ERROR_MORE_DATA) { // grew between the two queries
        *size = got;
        return 0;
    }
    if (rc != ERROR_SUCCESS || type != REG_BINARY)
        return 0;
    *size = got;
    return 1;
}

int WriteAppRegBinary(const wchar_t* section, const wchar_t* value, const void* bytes,
                      uint32_t count) {
    if (!bytes && count != 0)
        return 0;
    RegKeyHolder key(OpenAppRegSection(section));
    if (!key.get())
        return 0;
    return RegSetValueExW(key.get(), value, 0, REG_BINARY, static_cast<const BYTE*>(bytes),
                          count) == ERROR_SUCCESS;
}

int DeleteAppRegValue(const wchar_t* section, const wchar_t* value) {
    RegKeyHolder key(OpenAppRegSection(section));
    if (!key.get())
        return 0;
    return RegDeleteValueW(key.get(), value) == ERROR_SUCCESS;
}

uint32_t EnumRegValues(HKEY key, uint32_t maxNameChars, uint32_t maxDataBytes,
                       const RegValueVisitor& visit) {
    if (!key || !visit)
        return 0;
    std::vector<wchar_t> name(static_cast<size_t>(maxNameChars) + 1);
    std::vector<uint8_t> data(maxDataBytes ? maxDataBytes : 1);
    uint32_t visited = 0;
    for (DWORD index = 0;; ++index) {
        DWORD nameChars = static_cast<DWORD>(name.size());
        DWORD type = 0;
        DWORD bytes = maxDataBytes;
        LONG rc = RegEnumValueW(key, index, name.data(), &nameChars, nullptr, &type, data.data(),
                                &bytes);
        if (rc == ERROR_NO_MORE_ITEMS)
            break;
        if (rc == ERROR_MORE_DATA) // name or data too long: skip this value
            continue;
        if (rc != ERROR_SUCCESS)
            break;
        if (nameChars > maxNameChars || bytes > maxDataBytes)
            continue;
        name[nameChars] = 0;
        ++visited;
        if (!visit(name.data(), type, data.data(), bytes))
            break;
    }
    return visited;
}

bool ReadRegBinaryValue(HKEY key, const wchar_t* value, uint32_t minExclusive, uint32_t maxBytes,
                        std::vector<uint8_t>& out) {
    out.clear();
    if (!key || !value)
        return false;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, value, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_BINARY ||
        size <= minExclusive || size > maxBytes)
        return false;
    std::vector<uint8_t> bytes(size);
    DWORD got = size;
    if (RegQueryValueExW(key, value, nullptr, &type, bytes.data(), &got) != ERROR_SUCCESS || type != REG_BINARY ||
        got <= minExclusive || got > size)
        return false;
    bytes.resize(got);
    out = std::move(bytes);
    return true;
}

HKEY OpenAppRegPresetKey(const wchar_t* section, REGSAM access) {
    RegKeyHolder sectionKey(OpenAppRegSection(section));
    if (!sectionKey.get())
        return nullptr;
    HKEY sub = nullptr;
    if (RegOpenKeyExW(sectionKey.get(), kPresetKey, 0, access, &sub) != ERROR_SUCCESS)
        return nullptr;
    return sub;
}

HKEY CreateAppRegPresetKey(const wchar_t* section) {
    RegKeyHolder sectionKey(OpenAppRegSection(section));
    return CreateRegSubKey(sectionKey.get(), kPresetKey);
}

} // namespace brx
