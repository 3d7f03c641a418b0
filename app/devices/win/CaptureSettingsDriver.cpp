#include "app/devices/win/CaptureSettingsDriver.h"

#include "capture/win/CaptureDriver.h"

namespace brx {

static_assert(DRIVER_CAPTURE_SETTINGS_SIZE == CAPTURE_SETTINGS_SIZE);

int CDriverSettingsTarget::SetCaptureSettings(const uint8_t* block) {
    return driver_.SetCaptureSettings(block) ? 1 : 0;
}

CCaptureSettings& GetCaptureSettings() {
    static CDriverSettingsTarget target(GetCaptureDriver());
    static CCaptureSettings settings(&target);
    return settings;
}

} // namespace brx
