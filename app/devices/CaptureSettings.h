// What the capture driver is told to capture: option flags, the size limit of
// captured URB transfer buffers and one selection byte per request-kind
// position (the 640 positions the match criteria use).
//
// Three forms of the same settings:
// - the image (648 bytes: flags, limit, 640 kind bytes), which the settings
//   dialog compares and edits;
// - the blob (100 bytes, REG_BINARY in the registry section "CaptureSettings":
//   WORD total size, WORD bitmap offset, 4 zero bytes, DWORD flags, DWORD
//   limit, then the 84-byte kind bitmap);
// - the 144-byte block the driver receives.
//
// The driver gets the block whenever the settings take effect: loading the
// current settings at start-up, applying an image, toggling one of the two
// capture commands. Loading a preset never sends anything: the dialog loads
// presets only to show or compare them, and only Apply changes what the driver
// captures.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

#include "capture/MatchCriteria.h"

struct HKEY__;

namespace brx {

enum : uint32_t {
    CS_HOT_PLUGGED = 0x001,
    CS_ENTIRE_STACK = 0x002,
    CS_IRP_AND_SL_BODY = 0x004,
    CS_DATA_IN = 0x100,
    CS_DATA_OUT = 0x200,
    CS_FLAG_MASK = 0x307,   // the flags a stored blob may set
};

constexpr uint32_t CAPTURE_SETTINGS_IMAGE_SIZE = 648;
constexpr uint32_t DRIVER_CAPTURE_SETTINGS_SIZE = 144;
constexpr uint32_t CAPTURE_SETTINGS_BLOB_SIZE = 100;
constexpr uint32_t CAPTURE_SETTINGS_BLOB_HEADER = 16;   // a blob must be longer than this
constexpr uint32_t CAPTURE_PRESET_NAME_MAX = 40;

struct CAPTURE_SETTINGS_IMAGE {
    uint32_t flags;
    uint32_t transferBufferLimit;
    uint8_t kinds[KIND_SELECTION_COUNT];
};
static_assert(sizeof(CAPTURE_SETTINGS_IMAGE) == CAPTURE_SETTINGS_IMAGE_SIZE);

using CaptureSettingsBlob = std::array<uint8_t, CAPTURE_SETTINGS_BLOB_SIZE>;

// The transfer buffer size limits the settings allow, with the texts the
// dialog shows, smallest first.
struct TRANSFER_BUFFER_LIMIT {
    uint32_t value;
    const wchar_t* text;
};
constexpr uint32_t TRANSFER_BUFFER_LIMIT_COUNT = 18;
extern const TRANSFER_BUFFER_LIMIT TRANSFER_BUFFER_LIMITS[TRANSFER_BUFFER_LIMIT_COUNT];

// Where the settings block goes: the capture driver connection in the
// program, a recorder in tests. Nonzero when the driver took the block.
class ICaptureSettingsDriver {
public:
    virtual ~ICaptureSettingsDriver() = default;
    virtual int SetCaptureSettings(const uint8_t* block) = 0;
};

class CCaptureSettings {
public:
    // driver: where the block goes; null for settings that never reach the
    // driver (the dialog's temporary copies), whose pushes answer 0.
    explicit CCaptureSettings(ICaptureSettingsDriver* driver = nullptr);
    virtual ~CCaptureSettings() = default;

    int GetImage(CAPTURE_SETTINGS_IMAGE* out) const;
    const CAPTURE_SETTINGS_IMAGE& Image() const { return image_; }
    void SetDefaults();
    // Rounds down to the largest limit of the table not above bytes.
    void SetTransferBufferLimit(uint32_t bytes);
    static uint32_t RoundTransferBufferLimit(uint32_t bytes);

    // Fills a 144-byte driver block from an image; returns 1.
    static int ToDriverBlock(const CAPTURE_SETTINGS_IMAGE& image, uint8_t* block);
    // Takes the kinds, the limit (rounded) and the flags as they are, then
    // sends the block; the driver's answer.
    int ApplyImage(const CAPTURE_SETTINGS_IMAGE& image);
    // Sends the current settings; the driver's answer, 0 without a driver.
    int PushToDriver() const;

    CaptureSettingsBlob ToBlob() const;
    // Loads a blob without sending it: 1, or 0 with the settings unchanged
    // when the blob is 16 bytes or shorter, says so itself, or puts its bitmap
    // outside [16, size). Flags are masked with CS_FLAG_MASK, the limit rounded.
    int LoadBlob(const uint8_t* blob, size_t size);
    // LoadBlob, then sends the settings: the driver's answer, 0 for a
    // rejected blob.
    int FromBlob(const uint8_t* blob, size_t size);

    bool IsCaptureEntireStack() const { return (image_.flags & CS_ENTIRE_STACK) != 0; }
    bool IsCaptureHotPlugged() const { return (image_.flags & CS_HOT_PLUGGED) != 0; }
    // Sets or clears one flag and sends the block: -1 and nothing sent when
    // the flag already had that state, else the driver's answer.
    int ChangeFlag(uint32_t flag, int on);
    // The two capture commands (Windows only): ChangeFlag, and value "0"
    // written when the flag changed; 1 when it already had that state, else
    // the driver's answer.
    int SetCaptureEntireStack(int on);
    int SetCaptureHotPlugged(int on);

    // Registry (Windows only), section "CaptureSettings": value "0" the
    // current settings, subkey "0" one value per preset (names of 1 to 40
    // characters). Failures leave the settings unchanged and give 0.
    int WriteBlob(HKEY__* key, const wchar_t* valueName) const;
    int ReadBlob(HKEY__* key, const wchar_t* valueName, bool push);
    // Loads value "0" and sends the settings to the driver (start-up, right
    // after the connection): the stored ones, else the ones held (the
    // defaults on a first run). The driver's answer when value "0" was
    // loaded, else 0.
    int LoadCurrent();
    int SaveCurrent() const;
    // Loads a preset without sending it: 1 when loaded.
    int LoadPreset(const wchar_t* name);
    int SavePreset(const wchar_t* name) const;
    int DeletePreset(const wchar_t* name) const;
    // Preset names (REG_BINARY values longer than 16 bytes) in the registry's
    // order until the callback returns 0.
    void EnumPresets(PresetCallback callback, void* userData) const;

    static const wchar_t kSection[];

private:
    int SetFlag(uint32_t flag, int on);

    ICaptureSettingsDriver* driver_;
    CAPTURE_SETTINGS_IMAGE image_;
};

} // namespace brx
