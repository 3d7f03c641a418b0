// The registry half of the match criteria: the current criteria as value "0"
// of the section key, named presets as values of its subkey "0". Keys are
// opened for each operation and closed before it returns.
#include <windows.h>

#include <cwchar>
#include <vector>

#include "capture/MatchCriteria.h"
#include "capture/win/SettingsStore.h"

namespace brx {
namespace {

constexpr wchar_t kCurrentValue[] = L"0";
// Blobs are 96 bytes, with a find pattern at most 356; a value far larger is not criteria and is not read.
constexpr DWORD kBlobReadMax = 64 * 1024;

bool ValidPresetName(const wchar_t* name) {
    return name && name[0] && wcsnlen(name, CRITERIA_PRESET_NAME_MAX + 1) <= CRITERIA_PRESET_NAME_MAX;
}

} // namespace

int CMatchCriteria::WriteToKey(HKEY key, const wchar_t* valueName) const {
    if (!key || !valueName) return 0;
    const std::vector<uint8_t> blob = ToStoredBlob();
    return RegSetValueExW(key, valueName, 0, REG_BINARY, blob.data(), static_cast<DWORD>(blob.size())) ==
           ERROR_SUCCESS;
}

int CMatchCriteria::ReadFromKey(HKEY key, const wchar_t* valueName) {
    std::vector<uint8_t> blob;
    if (!ReadRegBinaryValue(key, valueName, CRITERIA_BLOB_HEADER, kBlobReadMax, blob)) return 0;
    return FromBlob(blob.data(), blob.size());
}

int CMatchCriteria::LoadCurrent() {
    RegKeyHolder key(OpenAppRegSection(section_));
    return ReadFromKey(key.get(), kCurrentValue);
}

int CMatchCriteria::SaveCurrent() const {
    RegKeyHolder key(OpenAppRegSection(section_));
    return WriteToKey(key.get(), kCurrentValue);
}

int CMatchCriteria::LoadPreset(const wchar_t* name) {
    if (!ValidPresetName(name)) return 0;
    RegKeyHolder sub(OpenAppRegPresetKey(section_, KEY_READ));
    return ReadFromKey(sub.get(), name);
}

int CMatchCriteria::SavePreset(const wchar_t* name) const {
    // A name the enumeration would skip could never be chosen again.
    if (!ValidPresetName(name)) return 0;
    RegKeyHolder sub(CreateAppRegPresetKey(section_));
    return WriteToKey(sub.get(), name);
}

int CMatchCriteria::DeletePreset(const wchar_t* name) const {
    if (!name || !name[0]) return 0;
    RegKeyHolder sub(OpenAppRegPresetKey(section_, KEY_SET_VALUE));
    if (!sub.get()) return 0;
    return RegDeleteValueW(sub.get(), name) == ERROR_SUCCESS;
}

void CMatchCriteria::EnumPresets(PresetCallback callback, void* userData) const {
    if (!callback) return;
    RegKeyHolder sub(OpenAppRegPresetKey(section_, KEY_READ));
    if (!sub.get()) return;
    EnumRegValues(sub.get(), CRITERIA_PRESET_NAME_MAX, kBlobReadMax,
                  [&](const wchar_t* name, uint32_t type, const uint8_t*, uint32_t size) {
                      if (type != REG_BINARY || size <= CRITERIA_BLOB_HEADER || !name[0]) return true;
                      return callback(name, userData) != 0;
                  });
}

} // namespace brx
