// The program's capture settings and the road of their block to the capture
// driver connection.
#pragma once
#include "app/devices/CaptureSettings.h"

namespace brx {

class CCaptureDriver;

// Sends the settings block through a driver connection (0 when it is not
// open: view-only mode).
class CDriverSettingsTarget final : public ICaptureSettingsDriver {
public:
    explicit CDriverSettingsTarget(CCaptureDriver& driver) : driver_(driver) {}
    int SetCaptureSettings(const uint8_t* block) override;

private:
    CCaptureDriver& driver_;
};

// The one global capture settings, sending to the program's driver
// connection; the defaults until LoadCurrent.
CCaptureSettings& GetCaptureSettings();

} // namespace brx
