// The registry half of the capture settings: the current settings as value
// "0" of the section "CaptureSettings", named presets as values of its
// subkey "0". Keys are opened for each operation and closed before it returns.
#include <windows.h>

#include <cwchar>
#include <vector>

#include "app/devices/CaptureSettings.h"
#include "capture/win/SettingsStore.h"

namespace brx {
namespace {

constexpr wchar_t kCurrentValue[] = L"0";
// Blobs are 100 bytes; a value far larger is not settings and is not read.
constexpr uint32_t kBlobReadMax = 64 * 1024;

bool ValidPresetName(const wchar_t* name) {
    return name && name[0] && wcsnlen(name, CAPTURE_PRESET_NAME_MAX + 1) <= CAPTURE_PRESET_NAME_MAX;
}

} // namespace

int CCaptureSettings::WriteBlob(HKEY key, const wchar_t* valueName) const {
    if (!key || !valueName)
        return 0;
    const CaptureSettingsBlob blob = ToBlob();
    return RegSetValueExW(key, valueName, 0, REG_BINARY, blob.data(), static_cast<DWORD>(blob.size())) ==
           ERROR_SUCCESS;
}

int CCaptureSettings::ReadBlob(HKEY key, const wchar_t* valueName, bool push) {
    std::vector<uint8_t> blob;
    if (!ReadRegBinaryValue(key, valueName, CAPTURE_SETTINGS_BLOB_HEADER, kBlobReadMax, blob))
        return 0;
    return push ? FromBlob(blob.data(), blob.size()) : LoadBlob(blob.data(), blob.size());
}

int CCaptureSettings::LoadCurrent() {
    RegKeyHolder key(OpenAppRegSection(kSection));
    const int loaded = ReadBlob(key.get(), kCurrentValue, false);
    // The driver gets the block even when nothing usable is stored (first
    // run): otherwise it would capture with its own defaults while the menus
    // show the program's.
    const int answer = PushToDriver();
    return loaded ? answer : 0;
}

int CCaptureSettings::SaveCurrent() const {
    RegKeyHolder key(OpenAppRegSection(kSection));
    return WriteBlob(key.get(), kCurrentValue);
}

int CCaptureSettings::LoadPreset(const wchar_t* name) {
    if (!ValidPresetName(name))
        return 0;
    RegKeyHolder sub(OpenAppRegPresetKey(kSection, KEY_READ));
    return ReadBlob(sub.get(), name, false);
}

int CCaptureSettings::SavePreset(const wchar_t* name) const {
    // A name the dialog could not show again is not saved.
    if (!ValidPresetName(name))
        return 0;
    RegKeyHolder sub(CreateAppRegPresetKey(kSection));
    return WriteBlob(sub.get(), name);
}

int CCaptureSettings::DeletePreset(const wchar_t* name) const {
    if (!name || !name[0])
        return 0;
    RegKeyHolder sub(OpenAppRegPresetKey(kSection, KEY_SET_VALUE));
    if (!sub.get())
        return 0;
    return RegDeleteValueW(sub.get(), name) == ERROR_SUCCESS;
}

void CCaptureSettings::EnumPresets(PresetCallback callback, void* userData) const {
    if (!callback)
        return;
    RegKeyHolder sub(OpenAppRegPresetKey(kSection, KEY_READ));
    if (!sub.get())
        return;
    EnumRegValues(sub.get(), CAPTURE_PRESET_NAME_MAX, kBlobReadMax,
                  [&](const wchar_t* name, uint32_t type, const uint8_t*, uint32_t size) {
                      if (type != REG_BINARY || size <= CAPTURE_SETTINGS_BLOB_HEADER || !name[0])
                          return true;
                      return callback(name, userData) != 0;
                  });
}

int CCaptureSettings::SetFlag(uint32_t flag, int on) {
    const int sent = ChangeFlag(flag, on);
    if (sent < 0)
        return 1;
    SaveCurrent();
    return sent;
}

int CCaptureSettings::SetCaptureEntireStack(int on) { return SetFlag(CS_ENTIRE_STACK, on); }
int CCaptureSettings::SetCaptureHotPlugged(int on) { return SetFlag(CS_HOT_PLUGGED, on); }

} // namespace brx
