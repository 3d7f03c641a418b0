#include "app/devices/CaptureSettings.h"

#include <cstring>

#include "base/ByteReader.h"
#include "base/ByteWriter.h"

namespace brx {

const wchar_t CCaptureSettings::kSection[] = L"CaptureSettings";

const TRANSFER_BUFFER_LIMIT TRANSFER_BUFFER_LIMITS[TRANSFER_BUFFER_LIMIT_COUNT] = {
    {0, L"0"},           {8, L"8"},           {64, L"64"},         {256, L"256"},       {512, L"512"},
    {1024, L"1K"},       {2048, L"2K"},       {4096, L"4K"},       {8192, L"8K"},       {16384, L"16K"},
    {32768, L"32K"},     {65536, L"64K"},     {131072, L"128K"},   {262144, L"256K"},   {524288, L"512K"},
    {1048576, L"1M"},    {2097152, L"2M"},    {4194304, L"4M"},
};

namespace {

constexpr uint32_t kDefaultFlags = CS_DATA_IN | CS_DATA_OUT;
constexpr uint32_t kDefaultLimit = 1024;

// Kind positions that the defaults select: [first, last] ranges.
constexpr struct {
    uint16_t first, last;
} kDefaultKinds[] = {
    {0, 2}, {8, 11}, {32, 45}, {47, 56}, {64, 116}, {161, 161}, {163, 174}, {192, 211}, {213, 213},
};

// Block offsets of the flag bytes.
constexpr struct {
    uint8_t at;
    uint32_t flag;
} kFlagBytes[] = {
    {4, CS_DATA_IN}, {5, CS_DATA_OUT}, {6, CS_HOT_PLUGGED}, {7, CS_ENTIRE_STACK}, {8, CS_IRP_AND_SL_BODY},
};

// Runs of block bytes, each taken from consecutive kind positions.
struct KindRun {
    uint8_t at;       // first block byte
    uint16_t kind;    // its kind position
    uint8_t count;
};
constexpr KindRun kKindRuns[] = {
    {10, 64, 53},    // URB functions 0x00..0x34
    {64, 161, 1},    // internal device control: reset port
    {65, 163, 6},    // root hub PDO .. hub name
    {71, 170, 4},    // bus info, controller name, bus GUID, parent hub info
    {75, 169, 1},    // idle notification
    {76, 174, 1},    // device handle
    {78, 192, 4},    // statistics 1, diagnostic on/off, root hub name
    {82, 197, 1},    // statistics 2 before the driver key name
    {83, 196, 1},
    {84, 198, 3},    // disable port, enable port, host-controller user request
    {87, 201, 11},   // hub requests
    {98, 213, 1},
    {109, 32, 25},   // Plug and Play minor functions 0..24
    {134, 0, 1},     // Create
    {135, 2, 1},     // Cleanup before Close
    {136, 1, 1},
    {138, 8, 4},     // power minor functions 0..3
};

// The "any" bytes and the block bytes each summarises.
constexpr struct {
    uint8_t at, first, last;
} kAnyBytes[] = {
    {9, 10, 62}, {63, 64, 76}, {77, 78, 98}, {108, 109, 133}, {137, 138, 141},
};

// Blob offsets.
constexpr uint32_t kBlobSize = 0;
constexpr uint32_t kBlobBitmapOffset = 2;
constexpr uint32_t kBlobFlags = 8;
constexpr uint32_t kBlobLimit = 12;

} // namespace

CCaptureSettings::CCaptureSettings(ICaptureSettingsDriver* driver) : driver_(driver) { SetDefaults(); }

int CCaptureSettings::GetImage(CAPTURE_SETTINGS_IMAGE* out) const {
    if (!out)
        return 0;
    *out = image_;
    return 1;
}

void CCaptureSettings::SetDefaults() {
    std::memset(&image_, 0, sizeof(image_));
    image_.flags = kDefaultFlags;
    image_.transferBufferLimit = kDefaultLimit;
    for (const auto& r : kDefaultKinds)
        for (uint32_t k = r.first; k <= r.last; ++k)
            image_.kinds[k] = 1;
}

uint32_t CCaptureSettings::RoundTransferBufferLimit(uint32_t bytes) {
    uint32_t limit = TRANSFER_BUFFER_LIMITS[0].value;
    for (const TRANSFER_BUFFER_LIMIT& row : TRANSFER_BUFFER_LIMITS)
        if (row.value <= bytes)
            limit = row.value;
    return limit;
}

void CCaptureSettings::SetTransferBufferLimit(uint32_t bytes) { image_.transferBufferLimit = RoundTransferBufferLimit(bytes); }

int CCaptureSettings::ToDriverBlock(const CAPTURE_SETTINGS_IMAGE& image, uint8_t* block) {
    if (!block)
        return 0;
    std::memset(block, 0, DRIVER_CAPTURE_SETTINGS_SIZE);
    PutLe32(block, image.transferBufferLimit);
    for (const auto& f : kFlagBytes)
        block[f.at] = (image.flags & f.flag) ? 1 : 0;
    for (const KindRun& run : kKindRuns)
        for (uint32_t i = 0; i < run.count; ++i)
            block[run.at + i] = image.kinds[run.kind + i] == 1 ? 1 : 0;
    for (const auto& any : kAnyBytes)
        for (uint32_t i = any.first; i <= any.last; ++i)
            if (block[i] == 1)
                block[any.at] = 1;
    return 1;
}

int CCaptureSettings::PushToDriver() const {
    if (!driver_)
        return 0;
    uint8_t block[DRIVER_CAPTURE_SETTINGS_SIZE];
    ToDriverBlock(image_, block);
    return driver_->SetCaptureSettings(block);
}

int CCaptureSettings::ApplyImage(const CAPTURE_SETTINGS_IMAGE& image) {
    std::memcpy(image_.kinds, image.kinds, sizeof(image_.kinds));
    SetTransferBufferLimit(image.transferBufferLimit);
    image_.flags = image.flags;
    return PushToDriver();
}

CaptureSettingsBlob CCaptureSettings::ToBlob() const {
    CaptureSettingsBlob blob{};
    PutLe16(blob.data() + kBlobSize, CAPTURE_SETTINGS_BLOB_SIZE);
    PutLe16(blob.data() + kBlobBitmapOffset, CAPTURE_SETTINGS_BLOB_HEADER);
    PutLe32(blob.data() + kBlobFlags, image_.flags);
    PutLe32(blob.data() + kBlobLimit, image_.transferBufferLimit);
    PackKindBitmap(image_.kinds, KIND_SELECTION_COUNT, blob.data() + CAPTURE_SETTINGS_BLOB_HEADER,
                   blob.size() - CAPTURE_SETTINGS_BLOB_HEADER);
    return blob;
}

int CCaptureSettings::LoadBlob(const uint8_t* blob, size_t size) {
    const ByteReader in(blob, size);
    uint16_t ownSize = 0, bitmapAt = 0;
    if (size <= CAPTURE_SETTINGS_BLOB_HEADER || !in.u16le(kBlobSize, ownSize) ||
        ownSize <= CAPTURE_SETTINGS_BLOB_HEADER || !in.u16le(kBlobBitmapOffset, bitmapAt) ||
        bitmapAt < CAPTURE_SETTINGS_BLOB_HEADER || bitmapAt >= size)
        return 0;
    SetDefaults();
    SetTransferBufferLimit(in.u32le_or(kBlobLimit));
    image_.flags = in.u32le_or(kBlobFlags) & CS_FLAG_MASK;
    UnpackKindBitmap(blob + bitmapAt, size - bitmapAt, image_.kinds, sizeof(image_.kinds));
    return 1;
}

int CCaptureSettings::FromBlob(const uint8_t* blob, size_t size) {
    if (!LoadBlob(blob, size))
        return 0;
    return PushToDriver();
}

int CCaptureSettings::ChangeFlag(uint32_t flag, int on) {
    const uint32_t flags = on ? image_.flags | flag : image_.flags & ~flag;
    if (flags == image_.flags)
        return -1;
    image_.flags = flags;
    return PushToDriver();
}

} // namespace brx
