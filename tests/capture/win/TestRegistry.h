// Points the settings store at a key of this test process only, empty at the
// start and removed at the end, so that tests repeat and never meet each other
// or the product's own settings.
#pragma once
#include <windows.h>
#include <shlwapi.h>

#include <cstdio>
#include <string>

#include "capture/win/SettingsStore.h"

namespace brx::testing {

class TestRegistry {
public:
    TestRegistry() {
        std::snprintf(name_, sizeof name_, "BrindlexTest-%u", static_cast<unsigned>(GetCurrentProcessId()));
        Remove();
        SetAppRegKeyNameForTesting(name_);
    }
    ~TestRegistry() {
        SetAppRegKeyNameForTesting(nullptr);
        Remove();
    }
    TestRegistry(const TestRegistry&) = delete;
    TestRegistry& operator=(const TestRegistry&) = delete;

    std::wstring KeyPath() const {
        std::wstring path = L"software\\";
        for (const char* p = name_; *p; ++p)
            path.push_back(static_cast<wchar_t>(*p));
        return path;
    }
    // The section key path below HKEY_CURRENT_USER.
    std::wstring SectionPath(const wchar_t* section) const { return KeyPath() + L"\\" + section; }
    bool SectionExists(const wchar_t* section) const {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, SectionPath(section).c_str(), 0, KEY_READ, &key) !=
            ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }
    // Writes a raw value of any type, creating the section.
    bool Put(const wchar_t* section, const wchar_t* value, DWORD type, const void* bytes,
             DWORD size) const {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, SectionPath(section).c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
            return false;
        LONG rc = RegSetValueExW(key, value, 0, type, static_cast<const BYTE*>(bytes), size);
        RegCloseKey(key);
        return rc == ERROR_SUCCESS;
    }
    // Reads a raw value: its type and bytes; false when missing.
    bool Get(const wchar_t* section, const wchar_t* value, DWORD& type, std::string& bytes) const {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, SectionPath(section).c_str(), 0, KEY_READ, &key) !=
            ERROR_SUCCESS)
            return false;
        DWORD size = 0;
        LONG rc = RegQueryValueExW(key, value, nullptr, &type, nullptr, &size);
        if (rc == ERROR_SUCCESS) {
            bytes.resize(size);
            rc = RegQueryValueExW(key, value, nullptr, &type,
                                  reinterpret_cast<BYTE*>(bytes.data()), &size);
            bytes.resize(size);
        }
        RegCloseKey(key);
        return rc == ERROR_SUCCESS;
    }

private:
    void Remove() const { SHDeleteKeyW(HKEY_CURRENT_USER, KeyPath().c_str()); }
    char name_[40] = {};
};

} // namespace brx::testing
